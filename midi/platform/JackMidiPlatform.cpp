#include "midi/platform/JackMidiPlatform.h"

#include "midi/platform/EndpointId.h"
#include "midi/platform/MidiSystemProbe.h"
#include "midi/platform/SteadyClock.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

// Events handed to the read procedure at once.
const std::size_t PacketsPerDelivery = 64;
// Cycles after a connection before output goes out on it.
const std::uint64_t ConnectionCycles = 2;
const std::chrono::microseconds DeliveryPoll(50);
// About a cycle: how often a sender looks for room in the output ring.
const std::chrono::milliseconds RoomPoll(1);
const int RoomPolls = 2000;
const std::int64_t MicrosecondsPerSecond = 1000000;
// Time a schedule's first message needs to reach the output ring.
const std::chrono::microseconds ScheduleStartMargin(50);
// How long a port being replaced may wait for the cycles in progress.
const std::chrono::milliseconds PortSwapTimeout(500);
// Names tried after the one asked for, where the server does not make a
// client's name unique itself (PipeWire).
const int ClientNameSuffixes = 16;

} // namespace

JackMidiPlatform::JackMidiPlatform()
    : m_pJack(nullptr)
    , m_active(false)
    , m_anchored(false)
    , m_anchorTime(0)
    , m_anchorFrame(0)
    , m_sampleRate(0)
    , m_periodFrames(0)
    , m_lastRef(NoRef)
    , m_client(NoRef)
    , m_inputPort(NoRef)
    , m_outputPort(NoRef)
    , m_source(NoRef)
    , m_destination(NoRef)
    , m_checkedGraphChanges(0)
    , m_pInPort(nullptr)
    , m_pOutPort(nullptr)
    , m_readProc(nullptr)
    , m_readRefCon(nullptr)
    , m_connRefCon(nullptr)
    , m_delivering(false)
    , m_cycles(0)
    , m_holdUntilCycle(0)
    , m_serverGone(false)
    , m_endpointsChanged(false)
    , m_graphChanges(1)
    , m_xruns(0)
{
}

JackMidiPlatform::~JackMidiPlatform()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    closeServerClient();
}

bool JackMidiPlatform::createClient(const QString& name, Ref* client)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_client != NoRef) {
        return false;
    }
    m_clientName = name.toStdString();
    m_client = nextRef();
    *client = m_client;
    return true;
}

void JackMidiPlatform::disposeClient(Ref client)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (client != NoRef && client == m_client) {
        closeServerClient();
        m_client = NoRef;
        m_inputPort = NoRef;
        m_outputPort = NoRef;
        m_source = NoRef;
        m_destination = NoRef;
    }
}

bool JackMidiPlatform::createInputPort(Ref client, const QString& name, ReadProc readProc, void* readRefCon, Ref* port)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (client == NoRef || client != m_client || m_inputPort != NoRef || !readProc) {
        return false;
    }
    m_readRefCon = readRefCon;
    m_readProc = readProc;
    m_inputPortName = name.toStdString();
    m_inputPortDefaultName = m_inputPortName;
    m_inputPort = nextRef();
    if (m_pJack) {
        m_pInPort = registerPort(m_inputPortName, true);
    }
    *port = m_inputPort;
    return true;
}

bool JackMidiPlatform::createOutputPort(Ref client, const QString& name, Ref* port)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (client == NoRef || client != m_client || m_outputPort != NoRef) {
        return false;
    }
    m_outputPortName = name.toStdString();
    m_outputPortDefaultName = m_outputPortName;
    m_outputPort = nextRef();
    if (m_pJack) {
        m_pOutPort = registerPort(m_outputPortName, false);
    }
    *port = m_outputPort;
    return true;
}

void JackMidiPlatform::disposePort(Ref port)
{
    // The JACK port itself goes with the client: unregistering it here could
    // pull its buffer from under a cycle in progress.
    bool wasInput = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (port == NoRef) {
            return;
        }
        if (port == m_inputPort) {
            m_connRefCon = nullptr;
            m_readProc = nullptr;
            m_source = NoRef;
            m_inputPort = NoRef;
            wasInput = true;
        } else if (port == m_outputPort) {
            m_destination = NoRef;
            m_outputPort = NoRef;
        }
        updateActivation();
    }
    while (wasInput && m_delivering) {
        std::this_thread::sleep_for(DeliveryPoll);
    }
}

unsigned int JackMidiPlatform::endpointCount(MidiEndpointKind kind)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<unsigned int>(portNames(kind).size());
}

MidiPlatformIF::Ref JackMidiPlatform::endpoint(MidiEndpointKind kind, unsigned int index)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::vector<std::string> names = portNames(kind);
    if (index >= names.size()) {
        return NoRef;
    }
    for (const auto& known : m_endpoints) {
        if (known.second.kind == kind && known.second.name == names[index]) {
            return known.first;
        }
    }
    const Ref ref = nextRef();
    m_endpoints.emplace(ref, Endpoint{kind, names[index]});
    return ref;
}

bool JackMidiPlatform::endpointName(Ref endpoint, QString* name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_endpoints.find(endpoint);
    if (found == m_endpoints.end()) {
        return false;
    }
    *name = QString::fromStdString(found->second.name);
    return true;
}

bool JackMidiPlatform::endpointUniqueId(Ref endpoint, std::int32_t* id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_endpoints.find(endpoint);
    if (found == m_endpoints.end()) {
        return false;
    }
    *id = endpointIdOfName(found->second.name);
    return true;
}

bool JackMidiPlatform::connectSource(Ref inputPort, Ref source, void* connRefCon)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Endpoint* endpoint = findEndpoint(source, MidiEndpointKind::Source);
    jack_port_t* ours = m_pInPort;
    if (inputPort == NoRef || inputPort != m_inputPort || !endpoint || !m_pJack || !ours) {
        return false;
    }
    const Endpoint* previous = findEndpoint(m_source, MidiEndpointKind::Source);
    if (previous && previous->own) {
        ours = replacePort(m_pInPort, &m_inputPortName, m_inputPortDefaultName, true);
    } else if (previous && previous != endpoint) {
        jack_disconnect(m_pJack, previous->name.c_str(), jack_port_name(ours));
    }
    m_connRefCon = connRefCon;
    m_source = source;
    updateActivation();
    const int result = jack_connect(m_pJack, endpoint->name.c_str(), jack_port_name(ours));
    if (result != 0 && result != EEXIST) {
        m_connRefCon = nullptr;
        m_source = NoRef;
        updateActivation();
        return false;
    }
    return true;
}

bool JackMidiPlatform::disconnectSource(Ref inputPort, Ref source)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const Endpoint* endpoint = findEndpoint(source, MidiEndpointKind::Source);
        if (inputPort == NoRef || inputPort != m_inputPort || !endpoint || source != m_source) {
            return false;
        }
        m_connRefCon = nullptr;
        m_source = NoRef;
        updateActivation();
        jack_port_t* ours = m_pInPort;
        if (endpoint->own) {
            // Peers that connected to it are let go of with its name.
            replacePort(m_pInPort, &m_inputPortName, m_inputPortDefaultName, true);
        } else if (m_pJack && ours) {
            jack_disconnect(m_pJack, endpoint->name.c_str(), jack_port_name(ours));
        }
    }
    // Outside the lock: a delivery in progress returns, after which no more
    // reach the connection's reference.
    while (m_delivering) {
        std::this_thread::sleep_for(DeliveryPoll);
    }
    return true;
}

bool JackMidiPlatform::openVirtualInput(Ref inputPort, const QString& name, void* connRefCon, Ref* source)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (inputPort == NoRef || inputPort != m_inputPort) {
        return false;
    }
    jack_port_t* ours = m_pInPort;
    const Endpoint* previous = findEndpoint(m_source, MidiEndpointKind::Source);
    if (previous && !previous->own && m_pJack && ours) {
        jack_disconnect(m_pJack, previous->name.c_str(), jack_port_name(ours));
    }
    replacePort(m_pInPort, &m_inputPortName, name.toStdString(), true);
    const Ref ref = nextRef();
    m_endpoints.emplace(ref, Endpoint{MidiEndpointKind::Source, m_inputPortName, true});
    m_connRefCon = connRefCon;
    m_source = ref;
    updateActivation();
    *source = ref;
    return true;
}

bool JackMidiPlatform::openVirtualOutput(Ref outputPort, const QString& name, Ref* destination)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (outputPort == NoRef || outputPort != m_outputPort) {
        return false;
    }
    disconnectDestination();
    replacePort(m_pOutPort, &m_outputPortName, name.toStdString(), false);
    const Ref ref = nextRef();
    m_endpoints.emplace(ref, Endpoint{MidiEndpointKind::Destination, m_outputPortName, true});
    m_destination = ref;
    updateActivation();
    *destination = ref;
    return true;
}

void JackMidiPlatform::closeVirtualOutput(Ref outputPort)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (outputPort == NoRef || outputPort != m_outputPort || !isOwn(m_destination)) {
        return;
    }
    replacePort(m_pOutPort, &m_outputPortName, m_outputPortDefaultName, false);
    m_destination = NoRef;
    updateActivation();
}

bool JackMidiPlatform::send(Ref outputPort, Ref destination, const unsigned char* data, std::size_t size)
{
    return queue(outputPort, destination, data, size, 0);
}

bool JackMidiPlatform::sendAt(Ref outputPort, Ref destination, const unsigned char* data, std::size_t size,
                              std::int64_t dueMicroseconds)
{
    return queue(outputPort, destination, data, size, dueMicroseconds);
}

bool JackMidiPlatform::queue(Ref outputPort, Ref destination, const unsigned char* data, std::size_t size,
                             std::int64_t dueMicroseconds)
{
    // The ring drains once a cycle; waiting for it happens outside the lock.
    for (int poll = 0; poll < RoomPolls; ++poll) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            bool hasRoom = false;
            if (!sendable(outputPort, destination, size, &hasRoom)) {
                return false;
            }
            if (hasRoom) {
                if (dueMicroseconds > 0)
                    m_writer.queueAt(data, size, dueFrame(dueMicroseconds));
                else
                    m_writer.queue(data, size);
                return true;
            }
        }
        std::this_thread::sleep_for(RoomPoll);
    }
    return false;
}

std::int64_t JackMidiPlatform::scheduleStart(std::int64_t nowMicroseconds)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_pJack || m_serverGone || !m_active || m_sampleRate == 0) {
        return nowMicroseconds;
    }
    const auto nowJack = static_cast<std::int64_t>(jack_get_time());
    const std::uint32_t nowFrame = jack_time_to_frames(m_pJack, static_cast<jack_time_t>(nowJack));
    const std::uint32_t sinceStart = jack_frames_since_cycle_start(m_pJack);
    // Too near the period's end the message could miss the next cycle and
    // come a period late.
    const std::int64_t margin = ScheduleStartMargin.count() * m_sampleRate / MicrosecondsPerSecond;
    if (sinceStart + margin >= m_periodFrames) {
        return nowMicroseconds;
    }
    // The time whose due frame is the period's first, as dueFrame reckons.
    updateAnchor(nowJack, nowFrame);
    const auto fromAnchor = static_cast<std::int32_t>(nowFrame - sinceStart - m_anchorFrame);
    return nowMicroseconds + (m_anchorTime - nowJack)
           + std::llround(double(fromAnchor) * MicrosecondsPerSecond / m_sampleRate);
}

void JackMidiPlatform::updateAnchor(std::int64_t nowJack, std::uint32_t nowFrame)
{
    // Frames count from a fixed point at the nominal rate, so that equal
    // distances in time stay equal in frames; JACK's own conversion wobbles
    // with the period's timing. The point moves when the frame clock has
    // drifted a period away from it.
    const auto predicted = m_anchorFrame + static_cast<std::uint32_t>(framesSinceAnchor(nowJack));
    const auto drift = static_cast<std::int32_t>(nowFrame - predicted);
    if (!m_anchored || std::abs(drift) > static_cast<std::int32_t>(m_periodFrames)) {
        m_anchored = true;
        m_anchorTime = nowJack;
        m_anchorFrame = nowFrame;
    }
}

std::int64_t JackMidiPlatform::framesSinceAnchor(std::int64_t jackTime) const
{
    return static_cast<std::int64_t>(std::llround(double(jackTime - m_anchorTime) * m_sampleRate / 1e6));
}

std::uint32_t JackMidiPlatform::dueFrame(std::int64_t dueMicroseconds)
{
    // JACK's clock need not be the steady clock: only the distance from now
    // is carried over.
    const std::int64_t now = steadyMicroseconds();
    const auto nowJack = static_cast<std::int64_t>(jack_get_time());
    updateAnchor(nowJack, jack_time_to_frames(m_pJack, static_cast<jack_time_t>(nowJack)));
    return m_anchorFrame + static_cast<std::uint32_t>(framesSinceAnchor(nowJack + (dueMicroseconds - now)));
}

bool JackMidiPlatform::hasRoom(Ref outputPort, std::size_t size)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return outputPort == m_outputPort && m_writer.hasRoom(size);
}

bool JackMidiPlatform::startClock(Ref outputPort, Ref destination, int tempo, bool startStop)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    bool hasRoom = false;
    if (!sendable(outputPort, destination, 1, &hasRoom) || !m_active) {
        return false;
    }
    m_writer.startClock(tempo, startStop);
    return true;
}

void JackMidiPlatform::setClockTempo(int tempo)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_writer.setClockTempo(tempo);
}

void JackMidiPlatform::stopClock()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_writer.stopClock();
}

std::size_t JackMidiPlatform::takeSentClocks(ClockEvent* events, std::size_t capacity)
{
    return m_writer.takeSentClocks(events, capacity);
}

void JackMidiPlatform::selectDestination(Ref outputPort, Ref destination)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (outputPort == NoRef || outputPort != m_outputPort || isOwn(m_destination) || isOwn(destination)) {
        return;
    }
    if (destination != m_destination) {
        disconnectDestination();
    }
    m_destination = destination;
    updateActivation();
    const Endpoint* endpoint = findEndpoint(destination, MidiEndpointKind::Destination);
    if (endpoint && m_pJack) {
        connectDestination(endpoint->name);
    }
}

bool JackMidiPlatform::sendable(Ref outputPort, Ref destination, std::size_t size, bool* hasRoom)
{
    const Endpoint* endpoint = findEndpoint(destination, MidiEndpointKind::Destination);
    if (outputPort == NoRef || outputPort != m_outputPort || !endpoint || !m_pJack || !m_pOutPort || m_serverGone
        || size > JackOutputWriter::LargestMessage) {
        return false;
    }
    if (endpoint->own) {
        // Whoever connected to the port gets it.
        *hasRoom = m_writer.hasRoom(size);
        return destination == m_destination;
    }
    if (destination != m_destination) {
        if (isOwn(m_destination)) {
            replacePort(m_pOutPort, &m_outputPortName, m_outputPortDefaultName, false);
        } else {
            disconnectDestination();
        }
        m_destination = destination;
        updateActivation();
    }
    // A destination that is gone fails the send, so it is not shown as sent.
    if (!connectDestination(endpoint->name)) {
        return false;
    }
    *hasRoom = m_writer.hasRoom(size);
    return true;
}

bool JackMidiPlatform::waitUntilSent(int timeoutMilliseconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    // Written to the port in a cycle, which has ended once the next one began.
    const std::uint64_t queued = m_writer.queuedMessages();
    while (m_writer.finishedMessages() < queued) {
        if (std::chrono::steady_clock::now() >= deadline || m_serverGone) {
            return false;
        }
        std::this_thread::sleep_for(RoomPoll);
    }
    const std::uint64_t cycle = m_cycles;
    while (m_cycles == cycle) {
        if (std::chrono::steady_clock::now() >= deadline || m_serverGone) {
            return false;
        }
        std::this_thread::sleep_for(RoomPoll);
    }
    return true;
}

bool JackMidiPlatform::refresh()
{
    const bool gone = m_serverGone.exchange(false);
    const bool changed = m_endpointsChanged.exchange(false);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_client == NoRef) {
        return false;
    }
    if (gone) {
        closeServerClient();
    }
    if (!m_pJack) {
        return openServerClient() || gone;
    }
    if (changed) {
        reconnect();
    }
    return changed;
}

bool JackMidiPlatform::serviceAvailable()
{
    // Gone once refresh() has let go of the client of the server that stopped.
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pJack != nullptr;
}

jack_client_t* JackMidiPlatform::openUniqueClient()
{
    for (int suffix = 0; suffix <= ClientNameSuffixes; ++suffix) {
        const std::string name = suffix == 0 ? m_clientName : m_clientName + '-' + std::to_string(suffix);
        jack_status_t status;
        jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
        if (!client) {
            return nullptr;
        }
        // Before it has ports of its own, every port under its name is another client's.
        const std::string prefix = std::string(jack_get_client_name(client)) + ':';
        const char** ports = jack_get_ports(client, nullptr, nullptr, 0);
        bool taken = false;
        for (const char** port = ports; port && *port && !taken; ++port) {
            taken = std::strncmp(*port, prefix.c_str(), prefix.size()) == 0;
        }
        jack_free(ports);
        if (!taken) {
            return client;
        }
        jack_client_close(client);
    }
    return nullptr;
}

bool JackMidiPlatform::openServerClient()
{
    MidiSystemProbe::silenceDiagnostics();
    m_pJack = openUniqueClient();
    if (!m_pJack) {
        return false;
    }
    m_serverGone = false;
    jack_set_process_callback(
        m_pJack, [](jack_nframes_t frames, void* self) {
            static_cast<JackMidiPlatform*>(self)->process(frames);
            return 0;
        },
        this);
    // jackd calls the one, PipeWire's JACK the other.
    jack_on_info_shutdown(
        m_pJack, [](jack_status_t, const char*, void* self) {
            static_cast<JackMidiPlatform*>(self)->m_serverGone = true;
        },
        this);
    jack_on_shutdown(
        m_pJack, [](void* self) { static_cast<JackMidiPlatform*>(self)->m_serverGone = true; }, this);
    ++m_graphChanges;
    jack_set_port_registration_callback(
        m_pJack, [](jack_port_id_t, int, void* self) {
            static_cast<JackMidiPlatform*>(self)->m_endpointsChanged = true;
            ++static_cast<JackMidiPlatform*>(self)->m_graphChanges;
        },
        this);
    jack_set_port_connect_callback(
        m_pJack, [](jack_port_id_t, jack_port_id_t, int, void* self) {
            ++static_cast<JackMidiPlatform*>(self)->m_graphChanges;
        },
        this);
    jack_set_xrun_callback(
        m_pJack, [](void* self) {
            ++static_cast<JackMidiPlatform*>(self)->m_xruns;
            return 0;
        },
        this);
    if (m_inputPort != NoRef) {
        m_pInPort = registerPort(m_inputPortName, true);
    }
    if (m_outputPort != NoRef) {
        m_pOutPort = registerPort(m_outputPortName, false);
    }
    m_active = false;
    m_anchored = false;
    m_writer.restart();
    m_sampleRate = jack_get_sample_rate(m_pJack);
    m_periodFrames = jack_get_buffer_size(m_pJack);
    updateActivation();
    reconnect();
    return true;
}

void JackMidiPlatform::closeServerClient()
{
    if (!m_pJack) {
        return;
    }
    // Closing waits for the cycle in progress; afterwards no callback runs.
    jack_client_close(m_pJack);
    m_pJack = nullptr;
    m_active = false;
    m_pInPort = nullptr;
    m_pOutPort = nullptr;
    m_endpointsChanged = true;
}

void JackMidiPlatform::updateActivation()
{
    // Active as long as it has ports: an inactive client's ports refuse the
    // connections others make, and PipeWire tells an inactive client nothing
    // of its end.
    const bool inUse = m_pInPort != nullptr || m_pOutPort != nullptr;
    if (!m_pJack || inUse == m_active) {
        return;
    }
    if (inUse) {
        m_active = jack_activate(m_pJack) == 0;
        // A server that takes no client any more has gone.
        m_serverGone = m_serverGone || !m_active;
    } else {
        // Waits for the cycle in progress; no callback runs after it.
        jack_deactivate(m_pJack);
        m_active = false;
    }
}

jack_port_t* JackMidiPlatform::replacePort(std::atomic<jack_port_t*>& slot, std::string* portName,
                                          const std::string& name, bool input)
{
    // A port is registered under the name others should see: PipeWire's JACK
    // shows nobody else a renamed port's new name.
    *portName = name;
    jack_port_t* old = slot;
    if (!m_pJack || !old || name == jack_port_short_name(old)) {
        return old;
    }
    jack_port_t* replacement = registerPort(name, input);
    if (!replacement) {
        return old;
    }
    slot = replacement;
    // The old port goes once no cycle can still be using it.
    const std::uint64_t cycle = m_cycles;
    const auto deadline = std::chrono::steady_clock::now() + PortSwapTimeout;
    while (m_active && m_cycles < cycle + 2 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(DeliveryPoll);
    }
    jack_port_unregister(m_pJack, old);
    m_checkedDestination.clear();
    return replacement;
}

void JackMidiPlatform::disconnectDestination()
{
    // Only the connection the program made: those a user made stay.
    const Endpoint* previous = findEndpoint(m_destination, MidiEndpointKind::Destination);
    jack_port_t* ours = m_pOutPort;
    if (previous && !previous->own && m_pJack && ours) {
        jack_disconnect(m_pJack, jack_port_name(ours), previous->name.c_str());
        m_checkedDestination.clear();
    }
}

bool JackMidiPlatform::isOwn(Ref endpoint) const
{
    const auto found = m_endpoints.find(endpoint);
    return found != m_endpoints.end() && found->second.own;
}

jack_port_t* JackMidiPlatform::registerPort(const std::string& name, bool input)
{
    return jack_port_register(m_pJack, name.c_str(), JACK_DEFAULT_MIDI_TYPE, input ? JackPortIsInput : JackPortIsOutput,
                              0);
}

void JackMidiPlatform::reconnect()
{
    // A port of a client that is not active yet refuses connections: tried
    // again at the next refresh.
    bool retry = false;
    const Endpoint* source = findEndpoint(m_source, MidiEndpointKind::Source);
    jack_port_t* ours = m_pInPort;
    if (source && !source->own && ours && jack_port_by_name(m_pJack, source->name.c_str())
        && !jack_port_connected_to(ours, source->name.c_str())) {
        const int result = jack_connect(m_pJack, source->name.c_str(), jack_port_name(ours));
        retry = result != 0 && result != EEXIST;
    }
    const Endpoint* destination = findEndpoint(m_destination, MidiEndpointKind::Destination);
    if (destination && !destination->own && jack_port_by_name(m_pJack, destination->name.c_str())) {
        retry = !connectDestination(destination->name) || retry;
    }
    if (retry) {
        m_endpointsChanged = true;
    }
}

bool JackMidiPlatform::connectDestination(const std::string& name)
{
    // Read first: a change while the server is asked makes the next send ask again.
    const std::uint64_t graphChanges = m_graphChanges;
    if (graphChanges == m_checkedGraphChanges && name == m_checkedDestination) {
        return true;
    }
    jack_port_t* ours = m_pOutPort;
    if (!ours || !jack_port_by_name(m_pJack, name.c_str())) {
        return false;
    }
    if (jack_port_connected_to(ours, name.c_str())) {
        m_checkedDestination = name;
        m_checkedGraphChanges = graphChanges;
        return true;
    }
    const int result = jack_connect(m_pJack, jack_port_name(ours), name.c_str());
    if (result != 0 && result != EEXIST) {
        return false;
    }
    m_holdUntilCycle = m_cycles + ConnectionCycles;
    return true;
}

std::vector<std::string> JackMidiPlatform::portNames(MidiEndpointKind kind) const
{
    std::vector<std::string> names;
    if (!m_pJack || m_serverGone) {
        return names;
    }
    // The peers' outputs are our sources, their inputs our destinations.
    const unsigned long flags = kind == MidiEndpointKind::Source ? JackPortIsOutput : JackPortIsInput;
    const char** ports = jack_get_ports(m_pJack, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
    for (const char** port = ports; port && *port; ++port) {
        if (!jack_port_is_mine(m_pJack, jack_port_by_name(m_pJack, *port))) {
            names.emplace_back(*port);
        }
    }
    jack_free(ports);
    return names;
}

const JackMidiPlatform::Endpoint* JackMidiPlatform::findEndpoint(Ref ref, MidiEndpointKind kind) const
{
    const auto found = m_endpoints.find(ref);
    return found != m_endpoints.end() && found->second.kind == kind ? &found->second : nullptr;
}

MidiPlatformIF::Ref JackMidiPlatform::nextRef()
{
    do {
        ++m_lastRef;
    } while (m_lastRef == NoRef || m_lastRef == ~Ref(0));
    return m_lastRef;
}

void JackMidiPlatform::process(std::uint32_t frames)
{
    ++m_cycles;
    readInput(frames);
    writeOutput(frames);
}

void JackMidiPlatform::readInput(std::uint32_t frames)
{
    jack_port_t* port = m_pInPort;
    if (!port) {
        return;
    }
    void* buffer = jack_port_get_buffer(port, frames);
    const std::uint32_t count = jack_midi_get_event_count(buffer);
    m_delivering = true;
    const ReadProc readProc = m_readProc;
    // What reaches the port through connections others made goes where the
    // chosen source's would.
    void* const connRefCon = m_connRefCon ? m_connRefCon.load() : m_readRefCon.load();
    if (readProc && connRefCon) {
        // An event's time is its frame, carried over from JACK's clock to the
        // monotonic one; the events of a cycle arrived a period before it.
        const jack_nframes_t cycleStart = jack_last_frame_time(m_pJack);
        const std::int64_t toSteady = steadyMicroseconds() - static_cast<std::int64_t>(jack_get_time());
        MidiPacket packets[PacketsPerDelivery];
        std::size_t batch = 0;
        for (std::uint32_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, i) != 0) {
                continue;
            }
            const auto jackTime = static_cast<std::int64_t>(jack_frames_to_time(m_pJack, cycleStart + event.time));
            packets[batch++] = MidiPacket{event.buffer, event.size, jackTime + toSteady};
            if (batch == PacketsPerDelivery || i + 1 == count) {
                readProc(MidiPacketList{packets, batch}, m_readRefCon, connRefCon);
                batch = 0;
            }
        }
        if (batch > 0) {
            readProc(MidiPacketList{packets, batch}, m_readRefCon, connRefCon);
        }
    }
    m_delivering = false;
}

void JackMidiPlatform::writeOutput(std::uint32_t frames)
{
    jack_port_t* port = m_pOutPort;
    if (!port) {
        return;
    }
    void* buffer = jack_port_get_buffer(port, frames);
    if (m_cycles < m_holdUntilCycle) {
        jack_midi_clear_buffer(buffer);
        return;
    }
    const jack_nframes_t cycleStart = jack_last_frame_time(m_pJack);
    const std::int64_t toSteady = steadyMicroseconds() - static_cast<std::int64_t>(jack_get_time());
    const auto start = static_cast<std::int64_t>(jack_frames_to_time(m_pJack, cycleStart)) + toSteady;
    m_writer.write(buffer, frames, cycleStart, start, m_sampleRate);
}
