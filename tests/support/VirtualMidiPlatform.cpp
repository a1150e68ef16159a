#include "VirtualMidiPlatform.h"

#include "midi/platform/MidiPlatform.h"

#include <algorithm>

namespace {

// Unique ids are derived from references, far from 0x7FFFFFFF ("no endpoint").
const qint32 UniqueIdBase = 0x1000;

} // namespace

VirtualMidiPlatform::VirtualMidiPlatform()
    : m_pPreviousPlatform(MidiPlatform::install(this))
    , m_lastRef(NoRef)
    , m_endpointsChanged(false)
    , m_delivering(false)
    , m_stopping(false)
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

MidiPlatformIF::Ref VirtualMidiPlatform::addSource(const QString& name)
{
    return addEndpoint(m_sources, name);
}

MidiPlatformIF::Ref VirtualMidiPlatform::addDestination(const QString& name)
{
    return addEndpoint(m_destinations, name);
}

MidiPlatformIF::Ref VirtualMidiPlatform::addEndpoint(std::vector<Endpoint>& list, const QString& name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    list.push_back(Endpoint{++m_lastRef, name});
    m_endpointsChanged = true;
    return m_lastRef;
}

void VirtualMidiPlatform::removeEndpoint(Ref endpoint)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    std::vector<Endpoint>* list = nullptr;
    std::size_t index = 0;
    if (find(endpoint, &list, &index)) {
        list->erase(list->begin() + static_cast<std::ptrdiff_t>(index));
        waitForDelivery(lock);
        for (auto& port : m_ports) {
            port.second.connections.erase(endpoint);
        }
        m_endpointsChanged = true;
    }
}

void VirtualMidiPlatform::moveEndpoint(Ref endpoint, int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<Endpoint>* list = nullptr;
    std::size_t from = 0;
    if (const Endpoint* found = find(endpoint, &list, &from)) {
        const Endpoint moved = *found;
        list->erase(list->begin() + static_cast<std::ptrdiff_t>(from));
        const std::size_t to = std::min(static_cast<std::size_t>(std::max(index, 0)), list->size());
        list->insert(list->begin() + static_cast<std::ptrdiff_t>(to), moved);
        m_endpointsChanged = true;
    }
}

void VirtualMidiPlatform::failOperation(Operation op)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failures.insert(op);
}

void VirtualMidiPlatform::clearFailures()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failures.clear();
}

void VirtualMidiPlatform::injectPackets(Ref source, const QList<QByteArray>& packets)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_deliveries.push_back(Delivery{source, packets});
    }
    m_changed.notify_all();
}

bool VirtualMidiPlatform::waitUntilDelivered(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [this] { return m_deliveries.empty() && !m_delivering; });
}

bool VirtualMidiPlatform::isConnected(Ref source) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::any_of(m_ports.begin(), m_ports.end(),
                       [source](const auto& port) { return port.second.connections.count(source) > 0; });
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

bool VirtualMidiPlatform::createClient(const QString&, Ref* client)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    *client = ++m_lastRef;
    m_clients.insert(*client);
    return true;
}

void VirtualMidiPlatform::disposeClient(Ref client)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    waitForDelivery(lock);
    m_clients.erase(client);
    for (auto port = m_ports.begin(); port != m_ports.end();) {
        port = port->second.client == client ? m_ports.erase(port) : std::next(port);
    }
}

bool VirtualMidiPlatform::createInputPort(Ref client, const QString&, ReadProc readProc, void* readRefCon, Ref* port)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_clients.count(client) == 0 || !readProc) {
        return false;
    }
    *port = ++m_lastRef;
    m_ports.emplace(*port, Port{client, readProc, readRefCon, {}});
    return true;
}

bool VirtualMidiPlatform::createOutputPort(Ref client, const QString&, Ref* port)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_clients.count(client) == 0) {
        return false;
    }
    *port = ++m_lastRef;
    m_ports.emplace(*port, Port{client, nullptr, nullptr, {}});
    return true;
}

void VirtualMidiPlatform::disposePort(Ref port)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    waitForDelivery(lock);
    m_ports.erase(port);
}

unsigned int VirtualMidiPlatform::endpointCount(MidiEndpointKind kind)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<unsigned int>((kind == MidiEndpointKind::Source ? m_sources : m_destinations).size());
}

MidiPlatformIF::Ref VirtualMidiPlatform::endpoint(MidiEndpointKind kind, unsigned int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::vector<Endpoint>& list = kind == MidiEndpointKind::Source ? m_sources : m_destinations;
    return index < list.size() ? list[index].ref : NoRef;
}

bool VirtualMidiPlatform::endpointName(Ref endpoint, QString* name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Endpoint* found = find(endpoint);
    if (found) {
        *name = found->name;
    }
    return found != nullptr;
}

bool VirtualMidiPlatform::endpointUniqueId(Ref endpoint, std::int32_t* id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (fails(Operation::EndpointUniqueId) || !find(endpoint)) {
        return false;
    }
    *id = UniqueIdBase + static_cast<qint32>(endpoint);
    return true;
}

bool VirtualMidiPlatform::connectSource(Ref inputPort, Ref source, void* connRefCon)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto port = m_ports.find(inputPort);
    const bool isSource = std::any_of(m_sources.begin(), m_sources.end(), [source](const Endpoint& e) { return e.ref == source; });
    if (fails(Operation::ConnectSource) || port == m_ports.end() || !port->second.readProc || !isSource) {
        return false;
    }
    port->second.connections[source] = connRefCon;
    return true;
}

bool VirtualMidiPlatform::disconnectSource(Ref inputPort, Ref source)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    waitForDelivery(lock);
    const auto port = m_ports.find(inputPort);
    return !fails(Operation::DisconnectSource) && port != m_ports.end() && port->second.connections.erase(source) > 0;
}

bool VirtualMidiPlatform::send(Ref outputPort, Ref destination, const unsigned char* data, std::size_t size)
{
    const auto now = std::chrono::steady_clock::now();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto port = m_ports.find(outputPort);
        const bool isDestination = std::any_of(m_destinations.begin(), m_destinations.end(),
                                               [destination](const Endpoint& e) { return e.ref == destination; });
        if (fails(Operation::Send) || port == m_ports.end() || port->second.readProc || !isDestination) {
            return false;
        }
        m_sent.append(SentMessage{destination, QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size)), now});
    }
    m_changed.notify_all();
    return true;
}

bool VirtualMidiPlatform::refresh()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const bool changed = m_endpointsChanged;
    m_endpointsChanged = false;
    return changed;
}

bool VirtualMidiPlatform::fails(Operation op) const
{
    return m_failures.count(op) > 0;
}

void VirtualMidiPlatform::waitForDelivery(std::unique_lock<std::mutex>& lock)
{
    m_changed.wait(lock, [this] { return !m_delivering || std::this_thread::get_id() == m_deliveryThread.get_id(); });
}

const VirtualMidiPlatform::Endpoint* VirtualMidiPlatform::find(Ref ref, std::vector<Endpoint>** list, std::size_t* index)
{
    for (std::vector<Endpoint>* candidate : {&m_sources, &m_destinations}) {
        for (std::size_t i = 0; i < candidate->size(); ++i) {
            if ((*candidate)[i].ref == ref) {
                if (list) {
                    *list = candidate;
                    *index = i;
                }
                return &(*candidate)[i];
            }
        }
    }
    return nullptr;
}

void VirtualMidiPlatform::deliverLoop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || !m_deliveries.empty(); });
        if (m_stopping) {
            return;
        }
        const Delivery delivery = m_deliveries.front();
        m_deliveries.pop_front();
        std::vector<std::pair<const Port*, void*>> targets;
        for (const auto& port : m_ports) {
            const auto connection = port.second.connections.find(delivery.source);
            if (connection != port.second.connections.end()) {
                targets.emplace_back(&port.second, connection->second);
            }
        }
        // Ports and connections stay while m_delivering is set.
        m_delivering = true;
        lock.unlock();
        std::vector<MidiPacket> packets;
        for (const QByteArray& bytes : delivery.packets) {
            packets.push_back(MidiPacket{reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<std::size_t>(bytes.size())});
        }
        for (const auto& target : targets) {
            target.first->readProc(MidiPacketList{packets.data(), packets.size()}, target.first->readRefCon, target.second);
        }
        lock.lock();
        m_delivering = false;
        m_changed.notify_all();
    }
}
