#ifndef RTMIDIPLATFORM_H
#define RTMIDIPLATFORM_H

#include "midi/platform/AlsaSequencerOutput.h"
#include "midi/platform/MidiPlatformIF.h"

#include <QMutex>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

class RtMidiIn;

// The platform on the ALSA sequencer. A client opens one RtMidi input, which
// listens to one source at a time, and a sequencer client of its own through
// alsa-lib (AlsaSequencerOutput) that lists the ports and sends, in pieces
// where a message is long. Endpoints are the sequencer's ports named
// "Client:Port" without their address, which changes when a device comes
// back; ports of equal names are told apart by their order. The program's own
// ports are left out by their client number. The unique id is a hash of the
// name. One client at a time.
//
// The input and the output have a mutex each, and the RtMidi input thread
// takes neither: closing the input (which joins that thread) never waits for
// a thread that waits for the lock, and sending never waits for the input.
class RtMidiPlatform : public MidiPlatformIF
{
public:
    RtMidiPlatform();
    ~RtMidiPlatform() override;

    RtMidiPlatform(const RtMidiPlatform&) = delete;
    RtMidiPlatform& operator=(const RtMidiPlatform&) = delete;

    const char* systemName() const override { return "ALSA sequencer"; }
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
    bool openVirtualInput(Ref inputPort, const QString& name, void* connRefCon, Ref* source) override;
    bool openVirtualOutput(Ref outputPort, const QString& name, Ref* destination) override;
    void closeVirtualOutput(Ref outputPort) override;
    bool send(Ref outputPort, Ref destination, const unsigned char* data, std::size_t size) override;
    void selectDestination(Ref outputPort, Ref destination) override;
    bool hasRoom(Ref outputPort, std::size_t size) override;
    std::size_t largestPiece() const override { return AlsaSequencerOutput::LargestPiece; }
    std::uint64_t droppedMessages() const override { return m_droppedMessages; }
    std::uint64_t unsentBytes() const override { return m_unsentBytes; }
    bool waitUntilSent(int timeoutMilliseconds) override;
    // The sequencer is not asked to report ports coming and going: the device
    // layer looks at the endpoints at every refresh.
    bool refresh() override;

private:
    // An RtMidi port is known by its name and by how many ports of the same
    // name come before it, which survives other ports coming and going.
    struct Endpoint
    {
        MidiEndpointKind kind;
        std::string name;
        unsigned int occurrence;
        // A virtual port of RtMidi's, opened for others to connect to.
        bool own = false;
    };

    // Where the RtMidi input callback delivers. It lives as long as the
    // RtMidi input, so a callback still running while a port closes finds it.
    struct InputRoute
    {
        std::atomic<ReadProc> readProc{nullptr};
        std::atomic<void*> readRefCon{nullptr};
        std::atomic<void*> connRefCon{nullptr};
        // The arrival of the previous message, which the sequencer's time
        // stamps count from; negative before the first one of a connection.
        std::atomic<std::int64_t> lastMicroseconds{-1};
    };

    static void deliverMessage(double timeStamp, std::vector<unsigned char>* message, void* route);

    bool openClient(const std::string& name);
    void closeClient();
    // Under m_mutex.
    Ref nextRef();
    // Take m_mutex.
    Ref newRef();
    Ref addOwnEndpoint(MidiEndpointKind kind, const QString& name);
    bool isClient(Ref client);
    // Under m_outMutex: the offered endpoints of a kind now.
    bool currentEndpoints(MidiEndpointKind kind, std::vector<AlsaEndpoint>* endpoints);
    // Under m_outMutex: where the endpoint is now.
    bool currentAddress(const Endpoint& endpoint, AlsaAddress* address);
    // Under m_inMutex: RtMidi's index of the port at address.
    bool rtMidiIndex(AlsaAddress address, unsigned int* index);
    // Under m_outMutex: whether the destination of the latest send is still
    // at its address, else where it is now.
    bool destinationAddress(Ref destination, AlsaAddress* address);
    void noteOutputState();
    // Takes m_mutex; a copy, as the table may change once it is released.
    bool findEndpoint(Ref ref, MidiEndpointKind kind, Endpoint* endpoint);

    // Guards the client and the endpoint table; never held across an RtMidi call.
    QMutex m_mutex;
    // Guard the RtMidi input (only the GUI thread uses it) and the sequencer
    // output; m_outMutex and m_mutex may be taken inside m_inMutex, m_mutex
    // inside m_outMutex, never the other way round.
    QMutex m_inMutex;
    QMutex m_outMutex;
    Ref m_lastRef;
    std::map<Ref, Endpoint> m_endpoints;

    Ref m_client;
    std::unique_ptr<RtMidiIn> m_pIn;
    AlsaSequencerOutput m_output;
    // Set by RtMidi's error callback; cleared before each RtMidi call.
    std::atomic<bool> m_inFailed;

    Ref m_inputPort;
    std::string m_inputPortName;
    InputRoute m_inputRoute;
    Ref m_connectedSource;

    Ref m_outputPort;
    // The other program's destination of the latest send and where it was then.
    Ref m_openDestination;
    AlsaAddress m_openAddress;
    std::atomic<std::uint64_t> m_droppedMessages;
    std::atomic<std::uint64_t> m_unsentBytes;
};

#endif // RTMIDIPLATFORM_H
