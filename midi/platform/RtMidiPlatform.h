#ifndef RTMIDIPLATFORM_H
#define RTMIDIPLATFORM_H

#include "midi/platform/AlsaSequencerInput.h"
#include "midi/platform/AlsaSequencerOutput.h"
#include "midi/platform/MidiPlatformIF.h"

#include <QMutex>

#include <atomic>
#include <map>
#include <string>
#include <vector>

// The platform on the ALSA sequencer, through alsa-lib (it began over RtMidi
// and keeps the name). A client opens two sequencer clients: the input
// (AlsaSequencerInput), which listens to one source at a time and passes
// System Exclusive on piece by piece as it arrives, and the output
// (AlsaSequencerOutput), which lists the ports and sends, in pieces where a
// message is long. Endpoints are the sequencer's ports named "Client:Port"
// without their address, which changes when a device comes back; ports of
// equal names are told apart by their order. The program's own ports are left
// out by their client numbers. The unique id is a hash of the name. One
// client at a time.
//
// The input and the output have a mutex each, and the input thread takes
// neither: ending a connection (which waits out a delivery) never waits for a
// thread that waits for the lock, and sending never waits for the input.
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
    // Overruns of the sequencer's input: what arrived then is lost.
    std::uint64_t xrunCount() const override { return m_input.overruns(); }

private:
    // A port is known by its name and by how many ports of the same name
    // come before it, which survives other ports coming and going.
    struct Endpoint
    {
        MidiEndpointKind kind;
        std::string name;
        unsigned int occurrence;
        // A port of the program's own, opened for others to connect to.
        bool own = false;
    };

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
    // Under m_outMutex: whether the destination of the latest send is still
    // at its address, else where it is now.
    bool destinationAddress(Ref destination, AlsaAddress* address);
    void noteOutputState();
    // Takes m_mutex; a copy, as the table may change once it is released.
    bool findEndpoint(Ref ref, MidiEndpointKind kind, Endpoint* endpoint);

    // Guards the client and the endpoint table; never held across a sequencer call.
    QMutex m_mutex;
    // Guard the sequencer input (only the GUI thread uses it) and output;
    // m_outMutex and m_mutex may be taken inside m_inMutex, m_mutex inside
    // m_outMutex, never the other way round.
    QMutex m_inMutex;
    QMutex m_outMutex;
    Ref m_lastRef;
    std::map<Ref, Endpoint> m_endpoints;

    Ref m_client;
    AlsaSequencerInput m_input;
    // The input's client number, for listing under m_outMutex.
    std::atomic<int> m_inputClient;
    AlsaSequencerOutput m_output;

    Ref m_inputPort;
    Ref m_connectedSource;

    Ref m_outputPort;
    // The other program's destination of the latest send and where it was then.
    Ref m_openDestination;
    AlsaAddress m_openAddress;
    std::atomic<std::uint64_t> m_droppedMessages;
    std::atomic<std::uint64_t> m_unsentBytes;
};

#endif // RTMIDIPLATFORM_H
