#include "JackEcho.h"

#include <jack/jack.h>
#include <jack/midiport.h>

JackEcho::JackEcho(const QString& clientName)
    : m_pInput(nullptr)
    , m_pOutput(nullptr)
    , m_echoed(0)
    , m_dropped(0)
{
    jack_status_t status;
    m_pClient = jack_client_open(clientName.toLocal8Bit().constData(), JackNoStartServer, &status);
    if (!m_pClient)
        return;
    m_pInput = jack_port_register(m_pClient, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    m_pOutput = jack_port_register(m_pClient, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    if (!m_pInput || !m_pOutput || jack_set_process_callback(m_pClient, process, this) != 0
        || jack_activate(m_pClient) != 0) {
        jack_client_close(m_pClient);
        m_pClient = nullptr;
    }
}

JackEcho::~JackEcho()
{
    if (m_pClient)
        jack_client_close(m_pClient);
}

bool JackEcho::isOpen() const
{
    return m_pClient != nullptr;
}

QString JackEcho::inputPortName() const
{
    return m_pInput ? QString::fromLocal8Bit(jack_port_name(m_pInput)) : QString();
}

QString JackEcho::outputPortName() const
{
    return m_pOutput ? QString::fromLocal8Bit(jack_port_name(m_pOutput)) : QString();
}

int JackEcho::process(unsigned int frames, void* echo)
{
    auto* self = static_cast<JackEcho*>(echo);
    void* input = jack_port_get_buffer(self->m_pInput, frames);
    void* output = jack_port_get_buffer(self->m_pOutput, frames);
    jack_midi_clear_buffer(output);
    const jack_nframes_t count = jack_midi_get_event_count(input);
    for (jack_nframes_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, input, i) != 0)
            continue;
        if (jack_midi_event_write(output, event.time, event.buffer, event.size) == 0)
            ++self->m_echoed;
        else
            ++self->m_dropped;
    }
    return 0;
}
