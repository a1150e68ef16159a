#include "JackPeer.h"

#include "JackCycleLimits.h"

#include <jack/jack.h>
#include <jack/midiport.h>

JackPeer::JackPeer(const QString& clientName)
    : m_pOutput(nullptr)
    , m_pInput(nullptr)
{
    jack_status_t status;
    m_pClient = jack_client_open(clientName.toLocal8Bit().constData(), JackNoStartServer, &status);
    if (!m_pClient)
        return;
    m_pOutput = jack_port_register(m_pClient, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    m_pInput = jack_port_register(m_pClient, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (!m_pOutput || !m_pInput || jack_set_process_callback(m_pClient, process, this) != 0 || jack_activate(m_pClient) != 0) {
        jack_client_close(m_pClient);
        m_pClient = nullptr;
    }
}

JackPeer::~JackPeer()
{
    if (m_pClient)
        jack_client_close(m_pClient);
}

QByteArray JackPeer::receivedBytes() const
{
    QByteArray bytes;
    for (const Event& event : received())
        bytes += event.bytes;
    return bytes;
}

bool JackPeer::isOpen() const
{
    return m_pClient != nullptr;
}

bool JackPeer::isHeard() const
{
    return m_pClient && jack_port_connected(m_pOutput) > 0;
}

QString JackPeer::outputPortName() const
{
    return m_pOutput ? QString::fromLocal8Bit(jack_port_name(m_pOutput)) : QString();
}

QString JackPeer::inputPortName() const
{
    return m_pInput ? QString::fromLocal8Bit(jack_port_name(m_pInput)) : QString();
}

void JackPeer::send(const QByteArray& message)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pending.push_back(message);
}

QList<JackPeer::Event> JackPeer::received() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_received;
}

int JackPeer::process(unsigned int frames, void* peer)
{
    JackPeer* self = static_cast<JackPeer*>(peer);
    void* input = jack_port_get_buffer(self->m_pInput, frames);
    void* output = jack_port_get_buffer(self->m_pOutput, frames);
    jack_midi_clear_buffer(output);
    const auto now = std::chrono::steady_clock::now();
    const jack_nframes_t cycleStart = jack_last_frame_time(self->m_pClient);
    std::lock_guard<std::mutex> lock(self->m_mutex);
    const jack_nframes_t count = jack_midi_get_event_count(input);
    for (jack_nframes_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, input, i) == 0)
            self->m_received.append(Event{QByteArray(reinterpret_cast<const char*>(event.buffer), static_cast<int>(event.size)),
                                          now, cycleStart + event.time});
    }
    std::size_t written = 0;
    for (std::size_t events = 0; !self->m_pending.empty() && events < JackCycleLimits::MostEvents;
         self->m_pending.pop_front(), ++events) {
        const QByteArray& message = self->m_pending.front();
        const std::size_t size = static_cast<std::size_t>(message.size());
        if ((written > 0 && written + size > JackCycleLimits::MostBytes)
            || jack_midi_event_write(output, 0, reinterpret_cast<const jack_midi_data_t*>(message.constData()), size) != 0)
            break;
        written += size;
    }
    return 0;
}
