#ifndef JACKMIDIPLATFORM_H
#define JACKMIDIPLATFORM_H

#include "midi/platform/JackOutputWriter.h"
#include "midi/platform/MidiPlatformIF.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

// The platform over libjack: one JACK client with the input and the output
// port. Endpoints are the MIDI ports of other clients, named and identified
// by their full JACK names, so one that goes and comes back keeps its
// reference. The process callback (JACK's real-time thread) hands the input's
// events to the read procedure and writes what send() put in a lock-free ring
// at the start of the next cycle, or at the frame of its due time; it takes no
// lock and never waits. The client joins the server only in refresh(), so a
// slow or absent server never holds up whoever creates it, and it is active
// (its process callback running) while it has ports on a server. The server may stop and start again: the client is then recreated by
// refresh(), with its ports and connections by name. One client at a time.
class JackMidiPlatform : public MidiPlatformIF
{
public:
    JackMidiPlatform();
    ~JackMidiPlatform() override;

    JackMidiPlatform(const JackMidiPlatform&) = delete;
    JackMidiPlatform& operator=(const JackMidiPlatform&) = delete;

    // Succeeds without a server too: the client then waits for one in refresh().
    static constexpr const char* SystemName = "JACK";
    const char* systemName() const override { return SystemName; }
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
    // Renames the client's own port: peers connect to it by that name.
    bool openVirtualInput(Ref inputPort, const QString& name, void* connRefCon, Ref* source) override;
    bool openVirtualOutput(Ref outputPort, const QString& name, Ref* destination) override;
    void closeVirtualOutput(Ref outputPort) override;
    // Waits up to a few hundred cycles for room in the output ring.
    bool send(Ref outputPort, Ref destination, const unsigned char* data, std::size_t size) override;
    // Written one period after its due time at the exact frame.
    bool sendAt(Ref outputPort, Ref destination, const unsigned char* data, std::size_t size,
                std::int64_t dueMicroseconds) override;
    bool schedulesByDueTime() const override { return true; }
    std::int64_t scheduleStart(std::int64_t nowMicroseconds) override;
    void selectDestination(Ref outputPort, Ref destination) override;
    bool waitUntilSent(int timeoutMilliseconds) override;
    bool hasRoom(Ref outputPort, std::size_t size) override;
    std::size_t largestPiece() const override { return JackOutputWriter::LargestMessage; }
    std::uint64_t droppedMessages() const override { return m_writer.droppedMessages(); }
    std::uint64_t unsentBytes() const override { return m_writer.unfinishedBytes(); }
    std::uint64_t xrunCount() const override { return m_xruns; }
    bool generatesClock() const override { return true; }
    bool startClock(Ref outputPort, Ref destination, int tempo, bool startStop) override;
    void setClockTempo(int tempo) override;
    void stopClock() override;
    std::size_t takeSentClocks(ClockEvent* events, std::size_t capacity) override;
    bool refresh() override;
    bool serviceAvailable() override;

private:
    struct Endpoint
    {
        MidiEndpointKind kind;
        std::string name;
        // One of the client's own ports, opened for others to connect to.
        bool own = false;
    };

    // The real-time part.
    void process(std::uint32_t frames);
    void readInput(std::uint32_t frames);
    void writeOutput(std::uint32_t frames);
    // Under m_mutex: the output port takes sends to destination now.
    bool sendsTo(Ref outputPort, Ref destination);

    // Under m_mutex. Whether the destination takes sends, and room for size more bytes.
    bool sendable(Ref outputPort, Ref destination, std::size_t size, bool* hasRoom);
    bool queue(Ref outputPort, Ref destination, const unsigned char* data, std::size_t size,
               std::int64_t dueMicroseconds);
    std::uint32_t dueFrame(std::int64_t dueMicroseconds);
    void updateAnchor(std::int64_t nowJack, std::uint32_t nowFrame);
    std::int64_t framesSinceAnchor(std::int64_t jackTime) const;
    // Activates the client while it has ports, and deactivates it otherwise.
    void updateActivation();
    bool openServerClient();
    void closeServerClient();
    jack_port_t* registerPort(const std::string& name, bool input);
    // Puts a port registered under name in the slot of the one there (also
    // the name it has when registered again) and returns it.
    jack_port_t* replacePort(std::atomic<jack_port_t*>& slot, std::string* portName, const std::string& name,
                             bool input);
    // Ends the connection the program made to the destination, no other.
    void disconnectDestination();
    // Opens a client of m_clientName, or of it with a suffix where another
    // client has that name already.
    jack_client_t* openUniqueClient();
    bool isOwn(Ref endpoint) const;
    void reconnect();
    bool connectDestination(const std::string& name);
    std::vector<std::string> portNames(MidiEndpointKind kind) const;
    const Endpoint* findEndpoint(Ref ref, MidiEndpointKind kind) const;
    Ref nextRef();

    // Guards everything but the atomics; the process callback never takes it.
    std::mutex m_mutex;
    jack_client_t* m_pJack;
    bool m_active;
    // Due times become frames from this point of JACK's clock on.
    bool m_anchored;
    std::int64_t m_anchorTime;
    std::uint32_t m_anchorFrame;
    std::uint32_t m_sampleRate;
    std::uint32_t m_periodFrames;
    Ref m_lastRef;
    std::map<Ref, Endpoint> m_endpoints;
    Ref m_client;
    std::string m_clientName;
    Ref m_inputPort;
    std::string m_inputPortName;
    std::string m_inputPortDefaultName;
    Ref m_outputPort;
    std::string m_outputPortName;
    std::string m_outputPortDefaultName;
    // The connected source and the destination of the latest send, kept while
    // they are gone so that they are reconnected when they come back.
    Ref m_source;
    Ref m_destination;
    // The destination found connected, and m_graphChanges then.
    std::string m_checkedDestination;
    std::uint64_t m_checkedGraphChanges;

    // Shared with the process callback.
    std::atomic<jack_port_t*> m_pInPort;
    std::atomic<jack_port_t*> m_pOutPort;
    std::atomic<ReadProc> m_readProc;
    std::atomic<void*> m_readRefCon;
    std::atomic<void*> m_connRefCon;
    // Set by the process callback while it is inside the read procedure.
    std::atomic<bool> m_delivering;
    std::atomic<std::uint64_t> m_cycles;
    // A new connection takes effect a cycle later: output waits until then.
    std::atomic<std::uint64_t> m_holdUntilCycle;
    std::atomic<bool> m_serverGone;
    std::atomic<bool> m_endpointsChanged;
    // Counts changes of ports and connections, so that a send need not ask
    // the server whether the destination is still there and connected.
    std::atomic<std::uint64_t> m_graphChanges;
    std::atomic<std::uint64_t> m_xruns;
    // What send(), sendAt() and the clock hand to the process callback;
    // the sending side under m_mutex.
    JackOutputWriter m_writer;
};

#endif // JACKMIDIPLATFORM_H
