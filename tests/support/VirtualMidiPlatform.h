#ifndef VIRTUALMIDIPLATFORM_H
#define VIRTUALMIDIPLATFORM_H

#include "midi/platform/MidiPlatformIF.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

// An in-process MIDI platform for tests.
//
// Creating it installs it as the current platform (MidiPlatform::install), so
// create it before the MidiClient and destroy it after the ports and the
// client; the destructor restores the platform installed before.
//
// Sources and destinations are added by name (equal names are allowed and stay
// separate endpoints, each with a unique id of its own), removed and moved to
// another index; the handle that addSource/addDestination return is the
// endpoint's platform reference. Packets injected into a source are delivered
// to the read procedure of every input port connected to it, on a delivery
// thread of the platform's own, like the MIDI thread of a real platform. Every
// send is recorded with its bytes and the steady-clock time of the call. Any
// operation can be made to fail on demand. All members are thread-safe.
class VirtualMidiPlatform : public MidiPlatformIF
{
public:
    enum class Operation
    {
        CreateClient,
        CreateInputPort,
        CreateOutputPort,
        Endpoint,
        EndpointName,
        EndpointUniqueId,
        ConnectSource,
        DisconnectSource,
        Send
    };

    struct SentMessage
    {
        Ref destination;
        QByteArray bytes;
        std::chrono::steady_clock::time_point time;
    };

    VirtualMidiPlatform();
    ~VirtualMidiPlatform() override;

    VirtualMidiPlatform(const VirtualMidiPlatform&) = delete;
    VirtualMidiPlatform& operator=(const VirtualMidiPlatform&) = delete;

    // Endpoints, appended at the end of their list.
    Ref addSource(const QString& name);
    Ref addDestination(const QString& name);
    // Removes a source or destination; a connection to it ends.
    void removeEndpoint(Ref endpoint);
    // Moves a source or destination to index within its list (clamped).
    void moveEndpoint(Ref endpoint, int index);
    qint32 uniqueIdOf(Ref endpoint) const;

    // From now on, every call of op fails once `successes` more calls have
    // succeeded (0: the next call fails already).
    void failOperation(Operation op, int successes = 0);
    void clearFailures();
    // Calls of op so far, failed ones included.
    int callCount(Operation op) const;

    // Queues one delivery of a list of packets from source; it reaches every
    // input port connected to source on the delivery thread. Deliveries keep
    // the order in which they were injected.
    void injectPackets(Ref source, const QList<QByteArray>& packets);
    void injectPacket(Ref source, const QByteArray& packet);
    // Waits until every injected delivery has returned from the read
    // procedures; false on time-out.
    bool waitUntilDelivered(int timeoutMs = 5000);
    bool isConnected(Ref source) const;

    // Every accepted send, in call order.
    QList<SentMessage> sentMessages() const;
    // Waits until at least count sends are recorded; false on time-out.
    bool waitForSends(int count, int timeoutMs = 5000) const;
    void clearSentMessages();

    // Live clients and ports (each client disposes its ports with it).
    int clientCount() const;
    int portCount() const;

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

private:
    struct Endpoint
    {
        Ref ref;
        QString name;
        qint32 uniqueId;
    };
    struct Port
    {
        Ref client;
        bool input;
        ReadProc readProc;
        void* readRefCon;
        std::map<Ref, void*> connections; // source -> connRefCon
    };
    struct Delivery
    {
        Ref source;
        QList<QByteArray> packets;
    };
    struct Failure
    {
        bool armed = false;
        int successesLeft = 0;
    };

    bool attempt(Operation op);
    Ref nextRef();
    std::vector<Endpoint>& listOf(MidiEndpointKind kind);
    const Endpoint* findEndpoint(Ref ref) const;
    bool findEndpoint(Ref ref, std::vector<Endpoint>** list, std::size_t* index);
    void deliverLoop();

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    MidiPlatformIF* m_pPreviousPlatform;
    Ref m_lastRef;
    qint32 m_lastUniqueId;
    std::vector<Endpoint> m_sources;
    std::vector<Endpoint> m_destinations;
    std::map<Ref, QString> m_clients;
    std::map<Ref, Port> m_ports;
    std::map<Operation, Failure> m_failures;
    std::map<Operation, int> m_callCounts;
    QList<SentMessage> m_sent;
    std::deque<Delivery> m_deliveries;
    bool m_delivering;
    bool m_stopping;
    std::thread m_deliveryThread;
};

#endif // VIRTUALMIDIPLATFORM_H
