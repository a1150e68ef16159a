#ifndef RTMIDIPLATFORM_H
#define RTMIDIPLATFORM_H

#include "midi/platform/MidiPlatformIF.h"

#include <QMutex>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

class RtMidiIn;
class RtMidiOut;

// The platform over RtMidi on the ALSA sequencer. A client opens one RtMidi
// input and one RtMidi output; the input port listens to one source at a time
// and the output port is opened on the destination of the latest send.
// Endpoints are RtMidi ports, named by RtMidi's port names, the client's own
// left out; their unique id is a hash of the name. One client at a time.
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
    // The sequencer is not asked to report ports coming and going: the device
    // layer looks at the endpoints at every refresh.
    bool refresh() override;
    // RtMidi encodes each send for the ALSA sequencer whole, which splits long
    // System Exclusive itself.
    bool carriesPartialMessages() const override { return false; }

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
    // Under the mutex of the kind's RtMidi object.
    bool portNames(MidiEndpointKind kind, std::vector<std::string>* names);
    bool currentIndex(const Endpoint& endpoint, unsigned int* index);
    // Takes m_mutex; a copy, as the table may change once it is released.
    bool findEndpoint(Ref ref, MidiEndpointKind kind, Endpoint* endpoint);

    // Guards the client and the endpoint table; never held across an RtMidi call.
    QMutex m_mutex;
    // Guard the RtMidi input (only the GUI thread uses it) and the RtMidi
    // output; m_mutex may be taken inside them, never the other way round.
    QMutex m_inMutex;
    QMutex m_outMutex;
    Ref m_lastRef;
    std::map<Ref, Endpoint> m_endpoints;

    Ref m_client;
    std::string m_clientName;
    std::unique_ptr<RtMidiIn> m_pIn;
    std::unique_ptr<RtMidiOut> m_pOut;
    // Set by RtMidi's error callbacks; cleared before each RtMidi call.
    std::atomic<bool> m_inFailed;
    std::atomic<bool> m_outFailed;

    Ref m_inputPort;
    std::string m_inputPortName;
    InputRoute m_inputRoute;
    Ref m_connectedSource;

    Ref m_outputPort;
    std::string m_outputPortName;
    Ref m_openDestination;
};

#endif // RTMIDIPLATFORM_H
