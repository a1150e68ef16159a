#ifndef VIRTUALMIDIPLATFORM_H
#define VIRTUALMIDIPLATFORM_H

#include "midi/platform/AlsaPortName.h"
#include "midi/platform/MidiPlatformIF.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

typedef struct snd_midi_event snd_midi_event_t;
typedef struct snd_seq_event snd_seq_event_t;

// An in-process MIDI platform for tests.
//
// Creating it installs it as the current platform (MidiPlatform::install), so
// create it before the MidiClient and destroy it after the ports and the
// client; the destructor restores the platform installed before.
//
// Sources and destinations are added by name (equal names stay separate
// endpoints with ids of their own), removed and moved; the handle returned is
// the endpoint's reference. Packets injected into a source reach the read
// procedure of the input port connected to it on a delivery thread of the
// platform's own, like a real platform's MIDI thread; disconnecting, removing
// or disposing waits until a delivery in progress has returned. Every send is
// recorded with its bytes and steady-clock time. Operations can be made to
// fail on demand. refresh() reports whether endpoints changed since its last
// call. A destination can echo what it is sent back from a source after a
// set delay, as a device in MIDI Thru mode or a loopback cable does; with
// scheduling on, a message sent at a due time counts as sent at that time,
// as a platform that places it at its frame sends it. All members are
// thread-safe.
//
// In the ALSA role (opt-in) it behaves as the ALSA sequencer platform does:
// endpoints are sequencer ports at an address, listed, named and told apart
// by that platform's rules (alsaEndpoints): "Client:Port" without the
// address, equal names by their order, and the client's own input and output
// ports, which the sequencer lists, never offered. A device that comes back
// is a new port at another address (remove it and add it again). Each send is
// turned into sequencer events as the ALSA output does, fails where that
// fails, and may be a piece of a message up to the ALSA output's largest.
class VirtualMidiPlatform : public MidiPlatformIF
{
public:
    enum class Operation
    {
        ConnectSource,
        EndpointUniqueId,
        Send
    };

    struct SentMessage
    {
        Ref destination;
        QByteArray bytes;
        std::chrono::steady_clock::time_point time;
        // In the ALSA role: the types of the sequencer events the send became.
        QList<int> eventTypes;
    };

    VirtualMidiPlatform();
    ~VirtualMidiPlatform() override;

    VirtualMidiPlatform(const VirtualMidiPlatform&) = delete;
    VirtualMidiPlatform& operator=(const VirtualMidiPlatform&) = delete;

    Ref addSource(const QString& name) { return addEndpoint(MidiEndpointKind::Source, name); }
    Ref addDestination(const QString& name) { return addEndpoint(MidiEndpointKind::Destination, name); }
    // A connection to a removed source ends.
    void removeEndpoint(Ref endpoint);
    // Moves an endpoint to index among those of its kind (clamped).
    void moveEndpoint(Ref endpoint, int index);

    // Every call of op fails until clearFailures().
    void failOperation(Operation op) { m_failures |= 1u << static_cast<int>(op); }
    void clearFailures() { m_failures = 0; }
    // What one send carries (0: no limit), and whether a message may go in
    // pieces, as a real platform's.
    void setLargestPiece(std::size_t size) { m_largestPiece = size; }
    // Overruns of the cycle, as JACK reports them.
    void addXruns(std::uint64_t count) { m_xruns += count; }
    std::uint64_t xrunCount() const override { return m_xruns; }
    void setCarriesPartialMessages(bool carries) { m_carriesPartialMessages = carries; }

    // Queues one delivery; deliveries keep the order of injection. Packets
    // arrive at the given times (monotonic microseconds), those without one
    // when they are delivered.
    void injectPackets(Ref source, const QList<QByteArray>& packets, const QList<std::int64_t>& microseconds = {});
    // Waits until every injected delivery has returned; false on time-out.
    bool waitUntilDelivered(int timeoutMs = 5000);
    bool isConnected(Ref source) const;

    // What is sent to destination from now on arrives at source delay
    // microseconds after it was sent; NoRef as destination ends the echo.
    void setEcho(Ref destination, Ref source, std::int64_t delayMicroseconds);
    // sendAt keeps the due time and schedulesByDueTime() is true while on.
    void setScheduling(bool on) { m_scheduling = on; }

    // Takes the ALSA role; the program's client gets the number ownClient.
    // Call it before the client is made.
    void setAlsaRole(int ownClient);
    // A sequencer port of another client, a source or a destination.
    Ref addAlsaPort(MidiEndpointKind kind, const QString& clientName, const QString& portName, AlsaAddress address);

    QList<SentMessage> sentMessages() const;
    bool waitForSends(int count, int timeoutMs = 5000) const;
    void clearSentMessages();

    const char* systemName() const override { return "virtual"; }
    bool createClient(const QString& name, Ref* client) override;
    void disposeClient(Ref client) override;
    bool createInputPort(Ref client, const QString& name, ReadProc readProc, void* readRefCon, Ref* port) override;
    bool createOutputPort(Ref client, const QString& name, Ref* port) override;
    void disposePort(Ref port) override;
    unsigned int endpointCount(MidiEndpointKind kind) override;
    Ref endpoint(MidiEndpointKind kind, unsigned int index) override;
    bool endpointName(Ref endpoint, QString* name) override;
    bool endpointUniqueId(Ref endpoint, std::int32_t* id) override;
    bool connectSource(Ref inputPort, Ref source, void* connRefCon) override;
    bool disconnectSource(Ref inputPort, Ref source) override;
    bool send(Ref outputPort, Ref destination, const unsigned char* data, std::size_t size) override;
    bool carriesPartialMessages() const override { return m_carriesPartialMessages; }
    std::size_t largestPiece() const override { return m_largestPiece; }
    bool sendAt(Ref outputPort, Ref destination, const unsigned char* data, std::size_t size,
                std::int64_t dueMicroseconds) override;
    bool schedulesByDueTime() const override { return m_scheduling; }
    bool refresh() override;

private:
    struct Endpoint
    {
        Ref ref;
        MidiEndpointKind kind;
        QString name;
        // In the ALSA role.
        AlsaAddress address;
        std::string clientName;
        std::string portName;
    };
    struct Port
    {
        Ref client;
        ReadProc readProc; // null for an output port
        void* readRefCon;
        std::map<Ref, void*> connections; // source -> connRefCon
        // In the ALSA role: the sequencer port it is, listed for others.
        Ref sequencerPort = NoRef;
    };
    struct EncoderDeleter
    {
        void operator()(snd_midi_event_t* encoder) const;
    };

    Ref addEndpoint(MidiEndpointKind kind, const QString& name);
    // Under the lock: the endpoints of a kind that are offered, in order.
    std::vector<Ref> offered(MidiEndpointKind kind) const;
    // Under the lock, in the ALSA role: turns a send into sequencer events.
    bool encodeForAlsa(const unsigned char* data, std::size_t size, QList<int>* eventTypes);
    bool fails(Operation op) const { return (m_failures & (1u << static_cast<int>(op))) != 0; }
    // Under the lock.
    std::vector<Endpoint>::iterator find(Ref ref);
    bool isKind(Ref ref, MidiEndpointKind kind);
    bool createPort(Ref client, const QString& name, MidiEndpointKind listedAs, Port created, Ref* port);
    void waitForDelivery(std::unique_lock<std::mutex>& lock);
    // Records a send at its time and queues its echo.
    bool record(Ref outputPort, Ref destination, const unsigned char* data, std::size_t size,
                std::chrono::steady_clock::time_point time);
    void deliverLoop();

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    MidiPlatformIF* m_pPreviousPlatform;
    Ref m_lastRef = NoRef;
    std::vector<Endpoint> m_endpoints;
    std::set<Ref> m_clients;
    std::map<Ref, Port> m_ports;
    std::atomic<unsigned> m_failures{0};
    std::atomic<std::size_t> m_largestPiece{0};
    std::atomic<std::uint64_t> m_xruns{0};
    std::atomic<bool> m_carriesPartialMessages{true};
    std::atomic<bool> m_scheduling{false};
    bool m_alsaRole = false;
    int m_ownClient = -1;
    int m_nextOwnPort = 0;
    QString m_clientName;
    std::unique_ptr<snd_midi_event_t, EncoderDeleter> m_pEncoder;
    std::vector<snd_seq_event_t> m_alsaEvents;
    Ref m_echoDestination = NoRef;
    Ref m_echoSource = NoRef;
    std::int64_t m_echoDelay = 0;
    QList<SentMessage> m_sent;
    struct Delivery
    {
        Ref source;
        QList<QByteArray> packets;
        QList<std::int64_t> microseconds;
    };
    std::deque<Delivery> m_deliveries;
    bool m_endpointsChanged = false;
    bool m_delivering = false;
    bool m_stopping = false;
    std::thread m_deliveryThread;
};

#endif // VIRTUALMIDIPLATFORM_H
