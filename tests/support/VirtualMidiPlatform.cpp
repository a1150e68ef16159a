#include "VirtualMidiPlatform.h"

#include "midi/platform/MidiPlatform.h"

#include <algorithm>

namespace {

// Unique ids count up from here, far from 0x7FFFFFFF ("no endpoint").
const qint32 FirstUniqueId = 0x1000;

} // namespace

VirtualMidiPlatform::VirtualMidiPlatform()
    : m_pPreviousPlatform(MidiPlatform::install(this))
    , m_lastRef(NoRef)
    , m_lastUniqueId(FirstUniqueId)
    , m_delivering(false)
    , m_stopping(false)
{
    m_deliveryThread = std::thread(&VirtualMidiPlatform::deliverLoop, this);
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
    std::lock_guard<std::mutex> lock(m_mutex);
    const Ref ref = nextRef();
    m_sources.push_back(Endpoint{ref, name, ++m_lastUniqueId});
    return ref;
}

MidiPlatformIF::Ref VirtualMidiPlatform::addDestination(const QString& name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Ref ref = nextRef();
    m_destinations.push_back(Endpoint{ref, name, ++m_lastUniqueId});
    return ref;
}

void VirtualMidiPlatform::removeEndpoint(Ref endpoint)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    std::vector<Endpoint>* list = nullptr;
    std::size_t index = 0;
    if (!findEndpoint(endpoint, &list, &index)) {
        return;
    }
    list->erase(list->begin() + static_cast<std::ptrdiff_t>(index));
    for (auto& port : m_ports) {
        port.second.connections.erase(endpoint);
    }
}

void VirtualMidiPlatform::moveEndpoint(Ref endpoint, int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<Endpoint>* list = nullptr;
    std::size_t from = 0;
    if (!findEndpoint(endpoint, &list, &from)) {
        return;
    }
    const Endpoint moved = (*list)[from];
    list->erase(list->begin() + static_cast<std::ptrdiff_t>(from));
    const std::size_t to = std::min(static_cast<std::size_t>(std::max(index, 0)), list->size());
    list->insert(list->begin() + static_cast<std::ptrdiff_t>(to), moved);
}

qint32 VirtualMidiPlatform::uniqueIdOf(Ref endpoint) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Endpoint* found = findEndpoint(endpoint);
    return found ? found->uniqueId : 0x7FFFFFFF;
}

void VirtualMidiPlatform::failOperation(Operation op, int successes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failures[op] = Failure{true, successes};
}

void VirtualMidiPlatform::clearFailures()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failures.clear();
}

int VirtualMidiPlatform::callCount(Operation op) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_callCounts.find(op);
    return found == m_callCounts.end() ? 0 : found->second;
}

void VirtualMidiPlatform::injectPackets(Ref source, const QList<QByteArray>& packets)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_deliveries.push_back(Delivery{source, packets});
    }
    m_changed.notify_all();
}

void VirtualMidiPlatform::injectPacket(Ref source, const QByteArray& packet)
{
    injectPackets(source, QList<QByteArray>{packet});
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

int VirtualMidiPlatform::clientCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_clients.size());
}

int VirtualMidiPlatform::portCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_ports.size());
}

bool VirtualMidiPlatform::createClient(const QString& name, Ref* client)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!attempt(Operation::CreateClient)) {
        return false;
    }
    *client = nextRef();
    m_clients.emplace(*client, name);
    return true;
}

void VirtualMidiPlatform::disposeClient(Ref client)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    // A delivery in progress finishes before its port goes away.
    m_changed.wait(lock, [this] { return !m_delivering || std::this_thread::get_id() == m_deliveryThread.get_id(); });
    m_clients.erase(client);
    for (auto port = m_ports.begin(); port != m_ports.end();) {
        port = port->second.client == client ? m_ports.erase(port) : std::next(port);
    }
}

bool VirtualMidiPlatform::createInputPort(Ref client, const QString&, ReadProc readProc, void* readRefCon, Ref* port)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!attempt(Operation::CreateInputPort) || m_clients.count(client) == 0 || !readProc) {
        return false;
    }
    *port = nextRef();
    m_ports.emplace(*port, Port{client, true, readProc, readRefCon, {}});
    return true;
}

bool VirtualMidiPlatform::createOutputPort(Ref client, const QString&, Ref* port)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!attempt(Operation::CreateOutputPort) || m_clients.count(client) == 0) {
        return false;
    }
    *port = nextRef();
    m_ports.emplace(*port, Port{client, false, nullptr, nullptr, {}});
    return true;
}

void VirtualMidiPlatform::disposePort(Ref port)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_delivering || std::this_thread::get_id() == m_deliveryThread.get_id(); });
    m_ports.erase(port);
}

unsigned int VirtualMidiPlatform::endpointCount(MidiEndpointKind kind)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<unsigned int>(listOf(kind).size());
}

MidiPlatformIF::Ref VirtualMidiPlatform::endpoint(MidiEndpointKind kind, unsigned int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::vector<Endpoint>& list = listOf(kind);
    if (!attempt(Operation::Endpoint) || index >= list.size()) {
        return NoRef;
    }
    return list[index].ref;
}

bool VirtualMidiPlatform::endpointName(Ref endpoint, QString* name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Endpoint* found = findEndpoint(endpoint);
    if (!attempt(Operation::EndpointName) || !found) {
        return false;
    }
    *name = found->name;
    return true;
}

bool VirtualMidiPlatform::endpointUniqueId(Ref endpoint, std::int32_t* id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Endpoint* found = findEndpoint(endpoint);
    if (!attempt(Operation::EndpointUniqueId) || !found) {
        return false;
    }
    *id = found->uniqueId;
    return true;
}

bool VirtualMidiPlatform::connectSource(Ref inputPort, Ref source, void* connRefCon)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto port = m_ports.find(inputPort);
    const bool isSource = std::any_of(m_sources.begin(), m_sources.end(), [source](const Endpoint& e) { return e.ref == source; });
    if (!attempt(Operation::ConnectSource) || port == m_ports.end() || !port->second.input || !isSource) {
        return false;
    }
    port->second.connections[source] = connRefCon;
    return true;
}

bool VirtualMidiPlatform::disconnectSource(Ref inputPort, Ref source)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_delivering || std::this_thread::get_id() == m_deliveryThread.get_id(); });
    const auto port = m_ports.find(inputPort);
    if (!attempt(Operation::DisconnectSource) || port == m_ports.end() || port->second.connections.erase(source) == 0) {
        return false;
    }
    return true;
}

bool VirtualMidiPlatform::send(Ref outputPort, Ref destination, const unsigned char* data, std::size_t size)
{
    const auto now = std::chrono::steady_clock::now();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto port = m_ports.find(outputPort);
        const bool isDestination = std::any_of(m_destinations.begin(), m_destinations.end(),
                                               [destination](const Endpoint& e) { return e.ref == destination; });
        if (!attempt(Operation::Send) || port == m_ports.end() || port->second.input || !isDestination) {
            return false;
        }
        m_sent.append(SentMessage{destination, QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size)), now});
    }
    m_changed.notify_all();
    return true;
}

bool VirtualMidiPlatform::attempt(Operation op)
{
    ++m_callCounts[op];
    Failure& failure = m_failures[op];
    if (!failure.armed) {
        return true;
    }
    if (failure.successesLeft > 0) {
        --failure.successesLeft;
        return true;
    }
    return false;
}

MidiPlatformIF::Ref VirtualMidiPlatform::nextRef()
{
    do {
        ++m_lastRef;
    } while (m_lastRef == NoRef || m_lastRef == ~Ref(0));
    return m_lastRef;
}

std::vector<VirtualMidiPlatform::Endpoint>& VirtualMidiPlatform::listOf(MidiEndpointKind kind)
{
    return kind == MidiEndpointKind::Source ? m_sources : m_destinations;
}

const VirtualMidiPlatform::Endpoint* VirtualMidiPlatform::findEndpoint(Ref ref) const
{
    for (const std::vector<Endpoint>* list : {&m_sources, &m_destinations}) {
        for (const Endpoint& e : *list) {
            if (e.ref == ref) {
                return &e;
            }
        }
    }
    return nullptr;
}

bool VirtualMidiPlatform::findEndpoint(Ref ref, std::vector<Endpoint>** list, std::size_t* index)
{
    for (std::vector<Endpoint>* candidate : {&m_sources, &m_destinations}) {
        for (std::size_t i = 0; i < candidate->size(); ++i) {
            if ((*candidate)[i].ref == ref) {
                *list = candidate;
                *index = i;
                return true;
            }
        }
    }
    return false;
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
        struct Target
        {
            ReadProc readProc;
            void* readRefCon;
            void* connRefCon;
        };
        std::vector<Target> targets;
        for (const auto& port : m_ports) {
            const auto connection = port.second.connections.find(delivery.source);
            if (connection != port.second.connections.end()) {
                targets.push_back(Target{port.second.readProc, port.second.readRefCon, connection->second});
            }
        }
        m_delivering = true;
        lock.unlock();

        std::vector<MidiPacket> packets;
        for (const QByteArray& bytes : delivery.packets) {
            packets.push_back(MidiPacket{reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<std::size_t>(bytes.size())});
        }
        for (const Target& target : targets) {
            target.readProc(MidiPacketList{packets.data(), packets.size()}, target.readRefCon, target.connRefCon);
        }

        lock.lock();
        m_delivering = false;
        m_changed.notify_all();
    }
}
