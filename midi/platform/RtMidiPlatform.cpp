#include "midi/platform/RtMidiPlatform.h"

#include "midi/platform/EndpointId.h"
#include "midi/platform/MidiSystemProbe.h"
#include "midi/platform/SteadyClock.h"

#include <RtMidi.h>

#include <QMutexLocker>

#include <cmath>
#include <cstdlib>

namespace {

// RtMidi keeps its own queue only for polling; every message goes to the
// callback, so a small queue serves.
const unsigned int RtMidiQueueSize = 100;
const double MicrosecondsPerSecond = 1e6;
// How far the sum of time stamps may stray from the monotonic clock.
const std::int64_t LargestTimeStampStray = 100000;

void noteRtMidiError(RtMidiError::Type, const std::string&, void* failed)
{
    static_cast<std::atomic<bool>*>(failed)->store(true);
}

} // namespace

RtMidiPlatform::RtMidiPlatform()
    : m_lastRef(NoRef)
    , m_client(NoRef)
    , m_inFailed(false)
    , m_outFailed(false)
    , m_inputPort(NoRef)
    , m_connectedSource(NoRef)
    , m_outputPort(NoRef)
    , m_openDestination(NoRef)
{
}

RtMidiPlatform::~RtMidiPlatform()
{
    closeClient();
}

bool RtMidiPlatform::createClient(const QString& name, Ref* client)
{
    QMutexLocker lock(&m_mutex);
    if (m_client != NoRef || !openClient(name.toStdString())) {
        return false;
    }
    m_client = nextRef();
    *client = m_client;
    return true;
}

bool RtMidiPlatform::openClient(const std::string& name)
{
    if (!MidiSystemProbe::alsaSequencerAvailable()) {
        return false;
    }
    try {
        m_pIn = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, name, RtMidiQueueSize);
        m_pIn->setErrorCallback(noteRtMidiError, &m_inFailed);
        m_pIn->setCallback(deliverMessage, &m_inputRoute);
        m_pIn->ignoreTypes(false, false, false);
        m_pOut = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, name);
        m_pOut->setErrorCallback(noteRtMidiError, &m_outFailed);
    } catch (const RtMidiError&) {
        m_pIn.reset();
        m_pOut.reset();
        return false;
    }
    m_clientName = name;
    return true;
}

void RtMidiPlatform::disposeClient(Ref client)
{
    {
        QMutexLocker lock(&m_mutex);
        if (client == NoRef || client != m_client) {
            return;
        }
        m_client = NoRef;
    }
    closeClient();
}

void RtMidiPlatform::closeClient()
{
    // Closing the RtMidi objects closes their ports and stops their callbacks.
    {
        QMutexLocker lock(&m_inMutex);
        m_pIn.reset();
        m_inputRoute.connRefCon = nullptr;
        m_inputRoute.readProc = nullptr;
        m_inputPort = NoRef;
        m_connectedSource = NoRef;
    }
    QMutexLocker lock(&m_outMutex);
    m_pOut.reset();
    m_outputPort = NoRef;
    m_openDestination = NoRef;
}

bool RtMidiPlatform::createInputPort(Ref client, const QString& name, ReadProc readProc, void* readRefCon, Ref* port)
{
    if (!isClient(client)) {
        return false;
    }
    QMutexLocker inLock(&m_inMutex);
    if (m_inputPort != NoRef || !readProc) {
        return false;
    }
    m_inputRoute.readRefCon = readRefCon;
    m_inputRoute.readProc = readProc;
    m_inputPortName = name.toStdString();
    m_inputPort = newRef();
    *port = m_inputPort;
    return true;
}

bool RtMidiPlatform::createOutputPort(Ref client, const QString& name, Ref* port)
{
    if (!isClient(client)) {
        return false;
    }
    QMutexLocker outLock(&m_outMutex);
    if (m_outputPort != NoRef) {
        return false;
    }
    m_outputPortName = name.toStdString();
    m_outputPort = newRef();
    *port = m_outputPort;
    return true;
}

void RtMidiPlatform::disposePort(Ref port)
{
    if (port == NoRef) {
        return;
    }
    {
        QMutexLocker inLock(&m_inMutex);
        if (port == m_inputPort) {
            m_pIn->closePort();
            m_inputRoute.connRefCon = nullptr;
            m_inputRoute.readProc = nullptr;
            m_connectedSource = NoRef;
            m_inputPort = NoRef;
            return;
        }
    }
    QMutexLocker outLock(&m_outMutex);
    if (port == m_outputPort) {
        m_pOut->closePort();
        m_openDestination = NoRef;
        m_outputPort = NoRef;
    }
}

unsigned int RtMidiPlatform::endpointCount(MidiEndpointKind kind)
{
    QMutexLocker lock(kind == MidiEndpointKind::Source ? &m_inMutex : &m_outMutex);
    std::vector<std::string> names;
    return portNames(kind, &names) ? static_cast<unsigned int>(names.size()) : 0;
}

MidiPlatformIF::Ref RtMidiPlatform::endpoint(MidiEndpointKind kind, unsigned int index)
{
    std::vector<std::string> names;
    {
        QMutexLocker lock(kind == MidiEndpointKind::Source ? &m_inMutex : &m_outMutex);
        if (!portNames(kind, &names) || index >= names.size()) {
            return NoRef;
        }
    }
    const std::string& name = names[index];
    unsigned int occurrence = 0;
    for (unsigned int i = 0; i < index; ++i) {
        occurrence += names[i] == name ? 1 : 0;
    }
    QMutexLocker lock(&m_mutex);
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
    *id = endpointIdOfName(found->second.name);
    return true;
}

bool RtMidiPlatform::connectSource(Ref inputPort, Ref source, void* connRefCon)
{
    Endpoint endpoint;
    if (!findEndpoint(source, MidiEndpointKind::Source, &endpoint)) {
        return false;
    }
    QMutexLocker inLock(&m_inMutex);
    unsigned int index = 0;
    if (inputPort == NoRef || inputPort != m_inputPort || !currentIndex(endpoint, &index)) {
        return false;
    }
    m_inFailed = false;
    if (m_pIn->isPortOpen()) {
        m_pIn->closePort();
        m_connectedSource = NoRef;
    }
    m_inputRoute.connRefCon = connRefCon;
    m_inputRoute.lastMicroseconds = -1;
    m_pIn->openPort(index, m_inputPortName);
    if (m_inFailed || !m_pIn->isPortOpen()) {
        m_pIn->closePort();
        m_inputRoute.connRefCon = nullptr;
        return false;
    }
    m_connectedSource = source;
    return true;
}

bool RtMidiPlatform::disconnectSource(Ref inputPort, Ref source)
{
    Endpoint endpoint;
    if (!findEndpoint(source, MidiEndpointKind::Source, &endpoint)) {
        return false;
    }
    QMutexLocker inLock(&m_inMutex);
    if (endpoint.own) {
        if (inputPort == NoRef || inputPort != m_inputPort || source != m_connectedSource) {
            return false;
        }
        m_pIn->closePort();
        m_inputRoute.connRefCon = nullptr;
        m_connectedSource = NoRef;
        return true;
    }
    Endpoint connected;
    // Equal names share one unique id, so a source of the connected name
    // stands for the connected one.
    if (inputPort == NoRef || inputPort != m_inputPort || !findEndpoint(m_connectedSource, MidiEndpointKind::Source, &connected)
        || endpoint.name != connected.name) {
        return false;
    }
    m_inFailed = false;
    // Joins RtMidi's input thread, which takes none of our locks.
    m_pIn->closePort();
    m_inputRoute.connRefCon = nullptr;
    m_connectedSource = NoRef;
    return !m_inFailed;
}

bool RtMidiPlatform::openVirtualInput(Ref inputPort, const QString& name, void* connRefCon, Ref* source)
{
    QMutexLocker inLock(&m_inMutex);
    if (inputPort == NoRef || inputPort != m_inputPort) {
        return false;
    }
    m_inFailed = false;
    m_pIn->closePort();
    m_inputRoute.connRefCon = connRefCon;
    m_inputRoute.lastMicroseconds = -1;
    m_pIn->openVirtualPort(name.toStdString());
    if (m_inFailed) {
        m_pIn->closePort();
        m_inputRoute.connRefCon = nullptr;
        m_connectedSource = NoRef;
        return false;
    }
    m_connectedSource = addOwnEndpoint(MidiEndpointKind::Source, name);
    *source = m_connectedSource;
    return true;
}

bool RtMidiPlatform::openVirtualOutput(Ref outputPort, const QString& name, Ref* destination)
{
    QMutexLocker outLock(&m_outMutex);
    if (outputPort == NoRef || outputPort != m_outputPort) {
        return false;
    }
    m_outFailed = false;
    m_pOut->closePort();
    m_pOut->openVirtualPort(name.toStdString());
    if (m_outFailed) {
        m_pOut->closePort();
        m_openDestination = NoRef;
        return false;
    }
    m_openDestination = addOwnEndpoint(MidiEndpointKind::Destination, name);
    *destination = m_openDestination;
    return true;
}

void RtMidiPlatform::closeVirtualOutput(Ref outputPort)
{
    Endpoint endpoint;
    QMutexLocker outLock(&m_outMutex);
    if (outputPort != NoRef && outputPort == m_outputPort
        && findEndpoint(m_openDestination, MidiEndpointKind::Destination, &endpoint) && endpoint.own) {
        m_pOut->closePort();
        m_openDestination = NoRef;
    }
}

MidiPlatformIF::Ref RtMidiPlatform::addOwnEndpoint(MidiEndpointKind kind, const QString& name)
{
    QMutexLocker lock(&m_mutex);
    const Ref ref = nextRef();
    m_endpoints.emplace(ref, Endpoint{kind, name.toStdString(), 0, true});
    return ref;
}

bool RtMidiPlatform::send(Ref outputPort, Ref destination, const unsigned char* data, std::size_t size)
{
    Endpoint endpoint;
    if (!findEndpoint(destination, MidiEndpointKind::Destination, &endpoint)) {
        return false;
    }
    QMutexLocker outLock(&m_outMutex);
    if (outputPort == NoRef || outputPort != m_outputPort) {
        return false;
    }
    m_outFailed = false;
    if (endpoint.own) {
        if (destination != m_openDestination) {
            return false;
        }
        m_pOut->sendMessage(data, size);
        return !m_outFailed;
    }
    // A destination that went away is found again by name when it is back.
    unsigned int index = 0;
    if (!currentIndex(endpoint, &index)) {
        return false;
    }
    if (destination != m_openDestination || !m_pOut->isPortOpen()) {
        m_pOut->closePort();
        m_openDestination = NoRef;
        m_pOut->openPort(index, m_outputPortName);
        if (m_outFailed || !m_pOut->isPortOpen()) {
            m_pOut->closePort();
            return false;
        }
        m_openDestination = destination;
    }
    m_pOut->sendMessage(data, size);
    return !m_outFailed;
}

bool RtMidiPlatform::refresh()
{
    return true;
}

void RtMidiPlatform::deliverMessage(double deltaSeconds, std::vector<unsigned char>* message, void* route)
{
    InputRoute* input = static_cast<InputRoute*>(route);
    void* connRefCon = input->connRefCon.load();
    const ReadProc readProc = input->readProc.load();
    if (!connRefCon || !readProc) {
        return;
    }
    // RtMidi gives the time since the previous message from the sequencer's
    // time stamps; the first one, and one that strays from the monotonic
    // clock, starts the count afresh.
    const std::int64_t now = steadyMicroseconds();
    const std::int64_t previous = input->lastMicroseconds.load();
    std::int64_t time = previous < 0 ? now : previous + std::llround(deltaSeconds * MicrosecondsPerSecond);
    if (std::llabs(time - now) > LargestTimeStampStray) {
        time = now;
    }
    input->lastMicroseconds = time;
    const MidiPacket packet{message->data(), message->size(), time};
    readProc(MidiPacketList{&packet, 1}, input->readRefCon.load(), connRefCon);
}

MidiPlatformIF::Ref RtMidiPlatform::newRef()
{
    QMutexLocker lock(&m_mutex);
    return nextRef();
}

bool RtMidiPlatform::isClient(Ref client)
{
    QMutexLocker lock(&m_mutex);
    return client != NoRef && client == m_client;
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
    RtMidi* rtMidi = kind == MidiEndpointKind::Source ? static_cast<RtMidi*>(m_pIn.get()) : m_pOut.get();
    if (!rtMidi) {
        return false;
    }
    std::atomic<bool>& failed = kind == MidiEndpointKind::Source ? m_inFailed : m_outFailed;
    failed = false;
    // The client's own ports ("ClientName:InputPort 128:0") are left out.
    const std::string ownPrefix = m_clientName + ":";
    const unsigned int count = rtMidi->getPortCount();
    for (unsigned int i = 0; i < count && !failed; ++i) {
        const std::string name = rtMidi->getPortName(i);
        if (name.compare(0, ownPrefix.size(), ownPrefix) != 0) {
            names->push_back(name);
        }
    }
    return !failed;
}

bool RtMidiPlatform::currentIndex(const Endpoint& endpoint, unsigned int* index)
{
    RtMidi* rtMidi = endpoint.kind == MidiEndpointKind::Source ? static_cast<RtMidi*>(m_pIn.get()) : m_pOut.get();
    if (!rtMidi) {
        return false;
    }
    // RtMidi opens by its own index, own ports included.
    const unsigned int count = rtMidi->getPortCount();
    unsigned int occurrence = 0;
    for (unsigned int i = 0; i < count; ++i) {
        if (rtMidi->getPortName(i) != endpoint.name) {
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

bool RtMidiPlatform::findEndpoint(Ref ref, MidiEndpointKind kind, Endpoint* endpoint)
{
    QMutexLocker lock(&m_mutex);
    const auto found = m_endpoints.find(ref);
    if (found == m_endpoints.end() || found->second.kind != kind) {
        return false;
    }
    *endpoint = found->second;
    return true;
}
