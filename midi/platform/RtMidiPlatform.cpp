#include "midi/platform/RtMidiPlatform.h"

#include "midi/platform/AlsaPortList.h"
#include "midi/platform/EndpointId.h"
#include "midi/platform/MidiSystemProbe.h"
#include "midi/platform/SteadyClock.h"

#include <RtMidi.h>

#include <QMutexLocker>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <set>
#include <thread>

namespace {

// RtMidi keeps its own queue only for polling; every message goes to the
// callback, so a small queue serves.
const unsigned int RtMidiQueueSize = 100;
const double MicrosecondsPerSecond = 1e6;
// How far the sum of time stamps may stray from the monotonic clock.
const std::int64_t LargestTimeStampStray = 100000;
// How often waitUntilSent looks whether the output buffer is empty.
const std::chrono::milliseconds DrainInterval(1);

void noteRtMidiError(RtMidiError::Type, const std::string&, void* failed)
{
    static_cast<std::atomic<bool>*>(failed)->store(true);
}

} // namespace

RtMidiPlatform::RtMidiPlatform()
    : m_lastRef(NoRef)
    , m_client(NoRef)
    , m_inFailed(false)
    , m_inputPort(NoRef)
    , m_connectedSource(NoRef)
    , m_outputPort(NoRef)
    , m_openDestination(NoRef)
    , m_droppedMessages(0)
    , m_unsentBytes(0)
{
}

RtMidiPlatform::~RtMidiPlatform()
{
    closeClient();
}

bool RtMidiPlatform::createClient(const QString& name, Ref* client)
{
    {
        QMutexLocker lock(&m_mutex);
        if (m_client != NoRef) {
            return false;
        }
    }
    // Only the GUI thread makes and disposes of the client.
    if (!openClient(name.toStdString())) {
        return false;
    }
    QMutexLocker lock(&m_mutex);
    m_client = nextRef();
    *client = m_client;
    return true;
}

bool RtMidiPlatform::openClient(const std::string& name)
{
    if (!MidiSystemProbe::alsaSequencerAvailable()) {
        return false;
    }
    QMutexLocker inLock(&m_inMutex);
    try {
        m_pIn = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, name, RtMidiQueueSize);
        m_pIn->setErrorCallback(noteRtMidiError, &m_inFailed);
        m_pIn->setCallback(deliverMessage, &m_inputRoute);
        m_pIn->ignoreTypes(false, false, false);
    } catch (const RtMidiError&) {
        m_pIn.reset();
        return false;
    }
    QMutexLocker outLock(&m_outMutex);
    if (!m_output.open(name)) {
        m_pIn.reset();
        return false;
    }
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
    m_output.close();
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
    if (m_outputPort != NoRef || !m_output.openPort(name.toStdString())) {
        return false;
    }
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
        m_output.closePort();
        m_output.closeVirtualPort();
        m_openDestination = NoRef;
        m_outputPort = NoRef;
    }
}

unsigned int RtMidiPlatform::endpointCount(MidiEndpointKind kind)
{
    QMutexLocker lock(&m_outMutex);
    std::vector<AlsaEndpoint> endpoints;
    return currentEndpoints(kind, &endpoints) ? static_cast<unsigned int>(endpoints.size()) : 0;
}

MidiPlatformIF::Ref RtMidiPlatform::endpoint(MidiEndpointKind kind, unsigned int index)
{
    std::vector<AlsaEndpoint> endpoints;
    {
        QMutexLocker lock(&m_outMutex);
        if (!currentEndpoints(kind, &endpoints) || index >= endpoints.size()) {
            return NoRef;
        }
    }
    const AlsaEndpoint& current = endpoints[index];
    QMutexLocker lock(&m_mutex);
    for (const auto& known : m_endpoints) {
        const Endpoint& e = known.second;
        if (e.kind == kind && !e.own && e.occurrence == current.occurrence && e.name == current.name) {
            return known.first;
        }
    }
    const Ref ref = nextRef();
    m_endpoints.emplace(ref, Endpoint{kind, current.name, current.occurrence});
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
    AlsaAddress address;
    {
        QMutexLocker outLock(&m_outMutex);
        if (!currentAddress(endpoint, &address)) {
            return false;
        }
    }
    QMutexLocker inLock(&m_inMutex);
    unsigned int index = 0;
    if (inputPort == NoRef || inputPort != m_inputPort || !rtMidiIndex(address, &index)) {
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
    if (outputPort == NoRef || outputPort != m_outputPort || !m_output.openVirtualPort(name.toStdString())) {
        return false;
    }
    *destination = addOwnEndpoint(MidiEndpointKind::Destination, name);
    return true;
}

void RtMidiPlatform::closeVirtualOutput(Ref outputPort)
{
    QMutexLocker outLock(&m_outMutex);
    if (outputPort != NoRef && outputPort == m_outputPort) {
        m_output.closeVirtualPort();
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
    bool sent = false;
    if (endpoint.own) {
        sent = m_output.sendToSubscribers(data, size);
    } else {
        AlsaAddress address;
        sent = destinationAddress(destination, &address) && m_output.send(address, data, size);
    }
    noteOutputState();
    return sent;
}

void RtMidiPlatform::selectDestination(Ref outputPort, Ref destination)
{
    Endpoint endpoint;
    if (!findEndpoint(destination, MidiEndpointKind::Destination, &endpoint) || endpoint.own) {
        return;
    }
    QMutexLocker outLock(&m_outMutex);
    AlsaAddress address;
    if (outputPort != NoRef && outputPort == m_outputPort) {
        destinationAddress(destination, &address);
    }
}

bool RtMidiPlatform::hasRoom(Ref outputPort, std::size_t size)
{
    QMutexLocker outLock(&m_outMutex);
    const bool room = outputPort != NoRef && outputPort == m_outputPort && m_output.hasRoom(size);
    noteOutputState();
    return room;
}

bool RtMidiPlatform::waitUntilSent(int timeoutMilliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    for (;;) {
        {
            QMutexLocker outLock(&m_outMutex);
            const bool drained = m_output.drain();
            noteOutputState();
            if (!drained || m_unsentBytes == 0) {
                return drained;
            }
        }
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(DrainInterval);
    }
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

bool RtMidiPlatform::currentEndpoints(MidiEndpointKind kind, std::vector<AlsaEndpoint>* endpoints)
{
    std::vector<AlsaPortInfo> ports;
    std::set<int> ownClients;
    if (!m_output.queryPorts(&ports, &ownClients)) {
        return false;
    }
    *endpoints = alsaEndpoints(ports, kind, ownClients);
    return true;
}

bool RtMidiPlatform::currentAddress(const Endpoint& endpoint, AlsaAddress* address)
{
    std::vector<AlsaEndpoint> endpoints;
    return !endpoint.own && currentEndpoints(endpoint.kind, &endpoints)
        && findAlsaEndpoint(endpoints, endpoint.name, endpoint.occurrence, address);
}

bool RtMidiPlatform::rtMidiIndex(AlsaAddress address, unsigned int* index)
{
    if (!m_pIn) {
        return false;
    }
    // RtMidi opens by its own index and names its ports with their address.
    m_inFailed = false;
    const unsigned int count = m_pIn->getPortCount();
    for (unsigned int i = 0; i < count && !m_inFailed; ++i) {
        AlsaAddress listed;
        alsaEndpointName(m_pIn->getPortName(i), &listed);
        if (listed.client == address.client && listed.port == address.port) {
            *index = i;
            return true;
        }
    }
    return false;
}

bool RtMidiPlatform::destinationAddress(Ref destination, AlsaAddress* address)
{
    Endpoint endpoint;
    if (!findEndpoint(destination, MidiEndpointKind::Destination, &endpoint)) {
        return false;
    }
    // One query tells whether the port is still there under its name; a
    // device that came back under another client number is looked for by
    // name among all ports.
    std::string name;
    if (destination == m_openDestination && m_output.portName(m_openAddress, &name) && name == endpoint.name) {
        *address = m_openAddress;
        return true;
    }
    m_openDestination = NoRef;
    if (!currentAddress(endpoint, address)) {
        return false;
    }
    m_openDestination = destination;
    m_openAddress = *address;
    return true;
}

void RtMidiPlatform::noteOutputState()
{
    m_unsentBytes = m_output.unsentBytes();
    m_droppedMessages = m_output.droppedMessages();
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
