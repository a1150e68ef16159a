#include "VirtualMidiPlatform.h"

#include "midi/platform/AlsaEventEncoding.h"
#include "midi/platform/AlsaPortList.h"
#include "midi/platform/AlsaSequencerOutput.h"
#include "midi/platform/MidiPlatform.h"
#include "midi/platform/SteadyClock.h"

#include <algorithm>

namespace {

// Unique ids are derived from references, far from 0x7FFFFFFF ("no endpoint").
const qint32 UniqueIdBase = 0x1000;
// What the ALSA output gives its encoder.
const long EncoderBufferSize = 16;

} // namespace

VirtualMidiPlatform::VirtualMidiPlatform()
    : m_pPreviousPlatform(MidiPlatform::install(this))
    , m_deliveryThread(&VirtualMidiPlatform::deliverLoop, this)
{
}

VirtualMidiPlatform::~VirtualMidiPlatform()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_deliveryThread.join();
    MidiPlatform::install(m_pPreviousPlatform);
}

MidiPlatformIF::Ref VirtualMidiPlatform::addEndpoint(MidiEndpointKind kind, const QString& name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_endpoints.push_back(Endpoint{++m_lastRef, kind, name, {}, {}, {}});
    m_endpointsChanged = true;
    return m_lastRef;
}

void VirtualMidiPlatform::EncoderDeleter::operator()(snd_midi_event_t* encoder) const
{
    snd_midi_event_free(encoder);
}

void VirtualMidiPlatform::setAlsaRole(int ownClient)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    snd_midi_event_t* encoder = nullptr;
    if (snd_midi_event_new(EncoderBufferSize, &encoder) < 0)
        return;
    m_pEncoder.reset(encoder);
    m_alsaEvents.resize(AlsaSequencerOutput::LargestPiece);
    m_alsaRole = true;
    m_ownClient = ownClient;
    m_largestPiece = AlsaSequencerOutput::LargestPiece;
    m_carriesPartialMessages = true;
}

MidiPlatformIF::Ref VirtualMidiPlatform::addAlsaPort(MidiEndpointKind kind, const QString& clientName,
                                                     const QString& portName, AlsaAddress address)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::string client = clientName.toStdString();
    const std::string port = portName.toStdString();
    m_endpoints.push_back(Endpoint{++m_lastRef, kind, QString::fromStdString(alsaEndpointName(client, port)), address,
                                   client, port});
    m_endpointsChanged = true;
    return m_lastRef;
}

std::vector<MidiPlatformIF::Ref> VirtualMidiPlatform::offered(MidiEndpointKind kind) const
{
    std::vector<Ref> refs;
    if (!m_alsaRole) {
        for (const Endpoint& e : m_endpoints) {
            if (e.kind == kind)
                refs.push_back(e.ref);
        }
        return refs;
    }
    // As the sequencer lists them, the program's own ports among them.
    std::vector<AlsaPortInfo> ports;
    for (const Endpoint& e : m_endpoints) {
        AlsaPortInfo port;
        port.address = e.address;
        port.clientName = e.clientName;
        port.portName = e.portName;
        port.readable = e.kind == MidiEndpointKind::Source;
        port.writable = e.kind == MidiEndpointKind::Destination;
        ports.push_back(port);
    }
    for (const AlsaEndpoint& listed : alsaEndpoints(ports, kind, {m_ownClient})) {
        const auto port = std::find_if(m_endpoints.begin(), m_endpoints.end(), [&listed](const Endpoint& e) {
            return e.address.client == listed.address.client && e.address.port == listed.address.port;
        });
        if (port != m_endpoints.end() && port->name == QString::fromStdString(listed.name))
            refs.push_back(port->ref);
    }
    return refs;
}

bool VirtualMidiPlatform::encodeForAlsa(const unsigned char* data, std::size_t size, QList<int>* eventTypes)
{
    std::size_t count = 0;
    if (!alsaEventsOfBytes(m_pEncoder.get(), data, size, m_alsaEvents.data(), m_alsaEvents.size(), &count))
        return false;
    for (std::size_t i = 0; i < count; ++i)
        eventTypes->append(m_alsaEvents[i].type);
    return true;
}

void VirtualMidiPlatform::removeEndpoint(Ref endpoint)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    waitForDelivery(lock);
    if (find(endpoint) != m_endpoints.end())
        m_endpoints.erase(find(endpoint));
    for (auto& port : m_ports)
        port.second.connections.erase(endpoint);
    m_endpointsChanged = true;
}

void VirtualMidiPlatform::moveEndpoint(Ref endpoint, int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = find(endpoint);
    if (found == m_endpoints.end())
        return;
    const Endpoint moved = *found;
    m_endpoints.erase(found);
    // Before the index-th endpoint of its kind, or after the last of them.
    auto to = m_endpoints.begin();
    for (int seen = 0; to != m_endpoints.end() && (to->kind != moved.kind || seen++ < index); ++to) {
    }
    m_endpoints.insert(to, moved);
    m_endpointsChanged = true;
}

void VirtualMidiPlatform::injectPackets(Ref source, const QList<QByteArray>& packets,
                                        const QList<std::int64_t>& microseconds)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_deliveries.push_back(Delivery{source, packets, microseconds});
    }
    m_changed.notify_all();
}

bool VirtualMidiPlatform::waitUntilDelivered(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_deliveries.empty() && !m_delivering; });
}

bool VirtualMidiPlatform::isConnected(Ref source) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::any_of(m_ports.begin(), m_ports.end(), [source](const auto& p) { return p.second.connections.count(source) > 0; });
}

QList<VirtualMidiPlatform::SentMessage> VirtualMidiPlatform::sentMessages() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sent;
}

bool VirtualMidiPlatform::waitForSends(int count, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this, count] { return m_sent.size() >= count; });
}

void VirtualMidiPlatform::clearSentMessages()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sent.clear();
}

bool VirtualMidiPlatform::createClient(const QString& name, Ref* client)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_clientName = name;
    *client = ++m_lastRef;
    m_clients.insert(*client);
    return true;
}

void VirtualMidiPlatform::disposeClient(Ref client)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    waitForDelivery(lock);
    m_clients.erase(client);
    for (auto port = m_ports.begin(); port != m_ports.end();)
        port = port->second.client == client ? m_ports.erase(port) : std::next(port);
}

bool VirtualMidiPlatform::createInputPort(Ref client, const QString& name, ReadProc readProc, void* readRefCon, Ref* port)
{
    // Others write to the input port: a destination of the sequencer's.
    return readProc && createPort(client, name, MidiEndpointKind::Destination, Port{client, readProc, readRefCon, {}}, port);
}

bool VirtualMidiPlatform::createOutputPort(Ref client, const QString& name, Ref* port)
{
    return createPort(client, name, MidiEndpointKind::Source, Port{client, nullptr, nullptr, {}}, port);
}

bool VirtualMidiPlatform::createPort(Ref client, const QString& name, MidiEndpointKind listedAs, Port created, Ref* port)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_clients.count(client) == 0)
        return false;
    if (m_alsaRole) {
        created.sequencerPort = ++m_lastRef;
        const std::string clientName = m_clientName.toStdString();
        const std::string portName = name.toStdString();
        m_endpoints.push_back(Endpoint{created.sequencerPort, listedAs,
                                       QString::fromStdString(alsaEndpointName(clientName, portName)),
                                       AlsaAddress{m_ownClient, m_nextOwnPort++}, clientName, portName});
        m_endpointsChanged = true;
    }
    *port = ++m_lastRef;
    m_ports.emplace(*port, created);
    return true;
}

void VirtualMidiPlatform::disposePort(Ref port)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    waitForDelivery(lock);
    const auto found = m_ports.find(port);
    if (found == m_ports.end())
        return;
    if (find(found->second.sequencerPort) != m_endpoints.end())
        m_endpoints.erase(find(found->second.sequencerPort));
    m_ports.erase(found);
}

unsigned int VirtualMidiPlatform::endpointCount(MidiEndpointKind kind)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<unsigned int>(offered(kind).size());
}

MidiPlatformIF::Ref VirtualMidiPlatform::endpoint(MidiEndpointKind kind, unsigned int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::vector<Ref> refs = offered(kind);
    return index < refs.size() ? refs[index] : NoRef;
}

bool VirtualMidiPlatform::endpointName(Ref endpoint, QString* name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = find(endpoint);
    if (found != m_endpoints.end())
        *name = found->name;
    return found != m_endpoints.end();
}

bool VirtualMidiPlatform::endpointUniqueId(Ref endpoint, std::int32_t* id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    *id = UniqueIdBase + static_cast<qint32>(endpoint);
    return find(endpoint) != m_endpoints.end() && !fails(Operation::EndpointUniqueId);
}

bool VirtualMidiPlatform::connectSource(Ref inputPort, Ref source, void* connRefCon)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto port = m_ports.find(inputPort);
    if (fails(Operation::ConnectSource) || port == m_ports.end() || !port->second.readProc || !isKind(source, MidiEndpointKind::Source))
        return false;
    port->second.connections[source] = connRefCon;
    return true;
}

bool VirtualMidiPlatform::disconnectSource(Ref inputPort, Ref source)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    waitForDelivery(lock);
    const auto port = m_ports.find(inputPort);
    return port != m_ports.end() && port->second.connections.erase(source) > 0;
}

bool VirtualMidiPlatform::send(Ref outputPort, Ref destination, const unsigned char* data, std::size_t size)
{
    return record(outputPort, destination, data, size, std::chrono::steady_clock::now());
}

bool VirtualMidiPlatform::sendAt(Ref outputPort, Ref destination, const unsigned char* data, std::size_t size,
                                 std::int64_t dueMicroseconds)
{
    using Clock = std::chrono::steady_clock;
    return record(outputPort, destination, data, size,
                  m_scheduling ? Clock::time_point(std::chrono::microseconds(dueMicroseconds)) : Clock::now());
}

bool VirtualMidiPlatform::record(Ref outputPort, Ref destination, const unsigned char* data, std::size_t size,
                                 std::chrono::steady_clock::time_point time)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto port = m_ports.find(outputPort);
        if (fails(Operation::Send) || port == m_ports.end() || port->second.readProc || !isKind(destination, MidiEndpointKind::Destination)
            || (m_largestPiece > 0 && size > m_largestPiece))
            return false;
        QList<int> eventTypes;
        if (m_alsaRole && !encodeForAlsa(data, size, &eventTypes))
            return false;
        const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
        m_sent.append(SentMessage{destination, bytes, time, eventTypes});
        if (destination == m_echoDestination) {
            const auto sent = std::chrono::duration_cast<std::chrono::microseconds>(time.time_since_epoch()).count();
            m_deliveries.push_back(Delivery{m_echoSource, {bytes}, {sent + m_echoDelay}});
        }
    }
    m_changed.notify_all();
    return true;
}

void VirtualMidiPlatform::setEcho(Ref destination, Ref source, std::int64_t delayMicroseconds)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_echoDestination = destination;
    m_echoSource = source;
    m_echoDelay = delayMicroseconds;
}

bool VirtualMidiPlatform::refresh()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::exchange(m_endpointsChanged, false);
}

bool VirtualMidiPlatform::isKind(Ref ref, MidiEndpointKind kind)
{
    return find(ref) != m_endpoints.end() && find(ref)->kind == kind;
}

std::vector<VirtualMidiPlatform::Endpoint>::iterator VirtualMidiPlatform::find(Ref ref)
{
    return std::find_if(m_endpoints.begin(), m_endpoints.end(), [ref](const Endpoint& e) { return e.ref == ref; });
}

void VirtualMidiPlatform::waitForDelivery(std::unique_lock<std::mutex>& lock)
{
    m_changed.wait(lock, [this] { return !m_delivering || std::this_thread::get_id() == m_deliveryThread.get_id(); });
}

void VirtualMidiPlatform::deliverLoop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || !m_deliveries.empty(); });
        if (m_stopping)
            return;
        const Delivery delivery = m_deliveries.front();
        m_deliveries.pop_front();
        std::vector<MidiPacket> packets;
        const std::int64_t now = steadyMicroseconds();
        for (int i = 0; i < delivery.packets.size(); ++i) {
            const QByteArray& bytes = delivery.packets[i];
            packets.push_back(MidiPacket{reinterpret_cast<const unsigned char*>(bytes.constData()),
                                         static_cast<std::size_t>(bytes.size()),
                                         i < delivery.microseconds.size() ? delivery.microseconds[i] : now});
        }
        // Ports and connections stay while m_delivering is set.
        m_delivering = true;
        for (const auto& port : m_ports) {
            const auto connection = port.second.connections.find(delivery.source);
            if (connection == port.second.connections.end())
                continue;
            lock.unlock();
            port.second.readProc(MidiPacketList{packets.data(), packets.size()}, port.second.readRefCon, connection->second);
            lock.lock();
        }
        m_delivering = false;
        m_changed.notify_all();
    }
}
