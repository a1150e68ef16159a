#include "midi/platform/RtMidiPlatform.h"

#include "midi/platform/JackCycleWatch.h"
#include "midi/platform/MidiSystemProbe.h"

#include <RtMidi.h>

#include <QMutexLocker>

namespace {

// RtMidi keeps its own queue only for polling; every message goes to the
// callback, so a small queue serves.
const unsigned int RtMidiQueueSize = 100;

// Cycles to wait after connecting on JACK, and how long at most.
const int ConnectionCycles = 2;
const int ConnectionTimeoutMs = 200;

// The largest unique id; 0x7FFFFFFF is kept free for "no endpoint".
const std::uint32_t UniqueIdModulus = 0x7FFFFFFF;

std::int32_t uniqueIdOfName(const std::string& name)
{
    // FNV-1a: stable across runs, so an id read earlier still finds the port.
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : name) {
        hash ^= c;
        hash *= 16777619u;
    }
    return static_cast<std::int32_t>(hash % UniqueIdModulus);
}

void noteRtMidiError(RtMidiError::Type, const std::string&, void* failed)
{
    static_cast<std::atomic<bool>*>(failed)->store(true);
}

bool backendAvailable(RtMidiPlatform::Backend backend)
{
    return backend == RtMidiPlatform::Backend::AlsaSequencer ? MidiSystemProbe::alsaSequencerAvailable()
                                                             : MidiSystemProbe::jackServerAvailable();
}

RtMidi::Api rtMidiApi(RtMidiPlatform::Backend backend)
{
    return backend == RtMidiPlatform::Backend::AlsaSequencer ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK;
}

} // namespace

RtMidiPlatform::RtMidiPlatform(std::vector<Backend> backends)
    : m_backends(std::move(backends))
    , m_lastRef(NoRef)
    , m_client(NoRef)
    , m_rtMidiFailed(false)
    , m_inputPort(NoRef)
    , m_connectedSource(NoRef)
    , m_outputPort(NoRef)
    , m_openDestination(NoRef)
{
}

RtMidiPlatform::~RtMidiPlatform()
{
    QMutexLocker lock(&m_mutex);
    closeClient();
}

bool RtMidiPlatform::createClient(const QString& name, Ref* client)
{
    QMutexLocker lock(&m_mutex);
    if (m_client != NoRef) {
        return false;
    }
    for (Backend backend : m_backends) {
        if (openClient(backend, name.toStdString())) {
            m_client = nextRef();
            *client = m_client;
            return true;
        }
    }
    return false;
}

bool RtMidiPlatform::openClient(Backend backend, const std::string& name)
{
    if (!backendAvailable(backend)) {
        return false;
    }
    try {
        m_pIn = std::make_unique<RtMidiIn>(rtMidiApi(backend), name, RtMidiQueueSize);
        m_pIn->setErrorCallback(noteRtMidiError, &m_rtMidiFailed);
        m_pIn->setCallback(deliverMessage, &m_inputRoute);
        m_pIn->ignoreTypes(false, false, false);
        m_pOut = std::make_unique<RtMidiOut>(rtMidiApi(backend), name);
        m_pOut->setErrorCallback(noteRtMidiError, &m_rtMidiFailed);
    } catch (const RtMidiError&) {
        m_pIn.reset();
        m_pOut.reset();
        return false;
    }
    if (backend == Backend::Jack) {
        m_pCycleWatch = std::make_unique<JackCycleWatch>();
    }
    return true;
}

void RtMidiPlatform::disposeClient(Ref client)
{
    QMutexLocker lock(&m_mutex);
    if (client == m_client) {
        closeClient();
    }
}

void RtMidiPlatform::closeClient()
{
    // Closing the RtMidi objects closes their ports and stops their callbacks.
    m_pIn.reset();
    m_pOut.reset();
    m_pCycleWatch.reset();
    m_inputRoute.connRefCon = nullptr;
    m_inputRoute.readProc = nullptr;
    m_client = NoRef;
    m_inputPort = NoRef;
    m_connectedSource = NoRef;
    m_outputPort = NoRef;
    m_openDestination = NoRef;
}

bool RtMidiPlatform::createInputPort(Ref client, const QString& name, ReadProc readProc, void* readRefCon, Ref* port)
{
    QMutexLocker lock(&m_mutex);
    if (client == NoRef || client != m_client || m_inputPort != NoRef || !readProc) {
        return false;
    }
    m_inputRoute.readRefCon = readRefCon;
    m_inputRoute.readProc = readProc;
    m_inputPortName = name.toStdString();
    m_inputPort = nextRef();
    *port = m_inputPort;
    return true;
}

bool RtMidiPlatform::createOutputPort(Ref client, const QString& name, Ref* port)
{
    QMutexLocker lock(&m_mutex);
    if (client == NoRef || client != m_client || m_outputPort != NoRef) {
        return false;
    }
    m_outputPortName = name.toStdString();
    m_outputPort = nextRef();
    *port = m_outputPort;
    return true;
}

void RtMidiPlatform::disposePort(Ref port)
{
    QMutexLocker lock(&m_mutex);
    if (port == NoRef) {
        return;
    }
    if (port == m_inputPort) {
        m_pIn->closePort();
        m_inputRoute.connRefCon = nullptr;
        m_inputRoute.readProc = nullptr;
        m_connectedSource = NoRef;
        m_inputPort = NoRef;
    } else if (port == m_outputPort) {
        m_pOut->closePort();
        m_openDestination = NoRef;
        m_outputPort = NoRef;
    }
}

unsigned int RtMidiPlatform::endpointCount(MidiEndpointKind kind)
{
    QMutexLocker lock(&m_mutex);
    if (m_client == NoRef) {
        return 0;
    }
    m_rtMidiFailed = false;
    const unsigned int count = kind == MidiEndpointKind::Source ? m_pIn->getPortCount() : m_pOut->getPortCount();
    return m_rtMidiFailed ? 0 : count;
}

MidiPlatformIF::Ref RtMidiPlatform::endpoint(MidiEndpointKind kind, unsigned int index)
{
    QMutexLocker lock(&m_mutex);
    std::vector<std::string> names;
    if (!portNames(kind, &names) || index >= names.size()) {
        return NoRef;
    }
    const std::string& name = names[index];
    unsigned int occurrence = 0;
    for (unsigned int i = 0; i < index; ++i) {
        occurrence += names[i] == name ? 1 : 0;
    }
    for (const auto& known : m_endpoints) {
        const Endpoint& e = known.second;
        if (e.kind == kind && e.occurrence == occurrence && e.name == name) {
            return known.first;
        }
    }
    const Ref ref = nextRef();
    m_endpoints.emplace(ref, Endpoint{kind, name, occurrence});
    return ref;
}

bool RtMidiPlatform::endpointName(Ref endpoint, QString* name)
{
    QMutexLocker lock(&m_mutex);
    const auto found = m_endpoints.find(endpoint);
    if (found == m_endpoints.end()) {
        return false;
    }
    *name = QString::fromStdString(found->second.name);
    return true;
}

bool RtMidiPlatform::endpointUniqueId(Ref endpoint, std::int32_t* id)
{
    QMutexLocker lock(&m_mutex);
    const auto found = m_endpoints.find(endpoint);
    if (found == m_endpoints.end()) {
        return false;
    }
    *id = uniqueIdOfName(found->second.name);
    return true;
}

bool RtMidiPlatform::connectSource(Ref inputPort, Ref source, void* connRefCon)
{
    QMutexLocker lock(&m_mutex);
    const Endpoint* endpoint = findEndpoint(source, MidiEndpointKind::Source);
    unsigned int index = 0;
    if (inputPort == NoRef || inputPort != m_inputPort || !endpoint || !currentIndex(*endpoint, &index)) {
        return false;
    }
    m_rtMidiFailed = false;
    if (m_pIn->isPortOpen()) {
        m_pIn->closePort();
        m_connectedSource = NoRef;
    }
    m_inputRoute.connRefCon = connRefCon;
    m_pIn->openPort(index, m_inputPortName);
    if (m_rtMidiFailed || !m_pIn->isPortOpen()) {
        m_pIn->closePort();
        m_inputRoute.connRefCon = nullptr;
        return false;
    }
    waitUntilConnected();
    m_connectedSource = source;
    return true;
}

bool RtMidiPlatform::disconnectSource(Ref inputPort, Ref source)
{
    QMutexLocker lock(&m_mutex);
    const Endpoint* endpoint = findEndpoint(source, MidiEndpointKind::Source);
    const Endpoint* connected = findEndpoint(m_connectedSource, MidiEndpointKind::Source);
    // Equal names share one unique id, so a source of the connected name
    // stands for the connected one.
    if (inputPort == NoRef || inputPort != m_inputPort || !endpoint || !connected || endpoint->name != connected->name) {
        return false;
    }
    m_rtMidiFailed = false;
    m_pIn->closePort();
    m_inputRoute.connRefCon = nullptr;
    m_connectedSource = NoRef;
    return !m_rtMidiFailed;
}

bool RtMidiPlatform::send(Ref outputPort, Ref destination, const unsigned char* data, std::size_t size)
{
    QMutexLocker lock(&m_mutex);
    if (outputPort == NoRef || outputPort != m_outputPort) {
        return false;
    }
    m_rtMidiFailed = false;
    if (destination != m_openDestination || !m_pOut->isPortOpen()) {
        const Endpoint* endpoint = findEndpoint(destination, MidiEndpointKind::Destination);
        unsigned int index = 0;
        if (!endpoint || !currentIndex(*endpoint, &index)) {
            return false;
        }
        m_pOut->closePort();
        m_openDestination = NoRef;
        m_pOut->openPort(index, m_outputPortName);
        if (m_rtMidiFailed || !m_pOut->isPortOpen()) {
            m_pOut->closePort();
            return false;
        }
        waitUntilConnected();
        m_openDestination = destination;
    }
    m_pOut->sendMessage(data, size);
    return !m_rtMidiFailed;
}

void RtMidiPlatform::waitUntilConnected() const
{
    if (m_pCycleWatch) {
        m_pCycleWatch->waitForCycles(ConnectionCycles, ConnectionTimeoutMs);
    }
}

void RtMidiPlatform::deliverMessage(double, std::vector<unsigned char>* message, void* route)
{
    const InputRoute* input = static_cast<const InputRoute*>(route);
    void* connRefCon = input->connRefCon.load();
    const ReadProc readProc = input->readProc.load();
    if (!connRefCon || !readProc) {
        return;
    }
    const MidiPacket packet{message->data(), message->size()};
    readProc(MidiPacketList{&packet, 1}, input->readRefCon.load(), connRefCon);
}

MidiPlatformIF::Ref RtMidiPlatform::nextRef()
{
    do {
        ++m_lastRef;
    } while (m_lastRef == NoRef || m_lastRef == ~Ref(0));
    return m_lastRef;
}

bool RtMidiPlatform::portNames(MidiEndpointKind kind, std::vector<std::string>* names)
{
    if (m_client == NoRef) {
        return false;
    }
    RtMidi& rtMidi = kind == MidiEndpointKind::Source ? static_cast<RtMidi&>(*m_pIn) : static_cast<RtMidi&>(*m_pOut);
    m_rtMidiFailed = false;
    const unsigned int count = rtMidi.getPortCount();
    for (unsigned int i = 0; i < count && !m_rtMidiFailed; ++i) {
        names->push_back(rtMidi.getPortName(i));
    }
    return !m_rtMidiFailed;
}

bool RtMidiPlatform::currentIndex(const Endpoint& endpoint, unsigned int* index)
{
    std::vector<std::string> names;
    if (!portNames(endpoint.kind, &names)) {
        return false;
    }
    unsigned int occurrence = 0;
    for (unsigned int i = 0; i < names.size(); ++i) {
        if (names[i] != endpoint.name) {
            continue;
        }
        if (occurrence == endpoint.occurrence) {
            *index = i;
            return true;
        }
        ++occurrence;
    }
    return false;
}

const RtMidiPlatform::Endpoint* RtMidiPlatform::findEndpoint(Ref ref, MidiEndpointKind kind) const
{
    const auto found = m_endpoints.find(ref);
    return found != m_endpoints.end() && found->second.kind == kind ? &found->second : nullptr;
}
