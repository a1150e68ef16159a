#ifndef RTMIDIPLATFORM_H
#define RTMIDIPLATFORM_H

#include "midi/platform/MidiPlatformIF.h"

#include <QMutex>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

class JackCycleWatch;
class RtMidiIn;
class RtMidiOut;

// The platform over RtMidi. A client opens one RtMidi input and one RtMidi
// output on the first backend that answers; the input port listens to one
// source at a time and the output port is opened on the destination of the
// latest send. Endpoints are RtMidi ports, named by RtMidi's port names; their
// unique id is a hash of the name. One client at a time.
class RtMidiPlatform : public MidiPlatformIF
{
public:
    enum class Backend
    {
        AlsaSequencer,
        Jack
    };

    // Backends are tried in the given order when the client is created.
    explicit RtMidiPlatform(std::vector<Backend> backends = {Backend::AlsaSequencer, Backend::Jack});
    ~RtMidiPlatform() override;

    RtMidiPlatform(const RtMidiPlatform&) = delete;
    RtMidiPlatform& operator=(const RtMidiPlatform&) = delete;

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
    // An RtMidi port is known by its name and by how many ports of the same
    // name come before it, which survives other ports coming and going.
    struct Endpoint
    {
        MidiEndpointKind kind;
        std::string name;
        unsigned int occurrence;
    };

    // Where the RtMidi input callback delivers. It lives as long as the
    // RtMidi input, so a callback still running while a port closes finds it.
    struct InputRoute
    {
        std::atomic<ReadProc> readProc{nullptr};
        std::atomic<void*> readRefCon{nullptr};
        std::atomic<void*> connRefCon{nullptr};
    };

    static void deliverMessage(double timeStamp, std::vector<unsigned char>* message, void* route);

    bool openClient(Backend backend, const std::string& name);
    void waitUntilConnected() const;
    void closeClient();
    Ref nextRef();
    bool portNames(MidiEndpointKind kind, std::vector<std::string>* names);
    bool currentIndex(const Endpoint& endpoint, unsigned int* index);
    const Endpoint* findEndpoint(Ref ref, MidiEndpointKind kind) const;

    const std::vector<Backend> m_backends;
    QMutex m_mutex;
    Ref m_lastRef;
    std::map<Ref, Endpoint> m_endpoints;

    Ref m_client;
    std::unique_ptr<RtMidiIn> m_pIn;
    std::unique_ptr<RtMidiOut> m_pOut;
    // Only with JACK, where connections take effect a cycle later.
    std::unique_ptr<JackCycleWatch> m_pCycleWatch;
    // Set by RtMidi's error callback; cleared before each RtMidi call.
    std::atomic<bool> m_rtMidiFailed;

    Ref m_inputPort;
    std::string m_inputPortName;
    InputRoute m_inputRoute;
    Ref m_connectedSource;

    Ref m_outputPort;
    std::string m_outputPortName;
    Ref m_openDestination;
};

#endif // RTMIDIPLATFORM_H
