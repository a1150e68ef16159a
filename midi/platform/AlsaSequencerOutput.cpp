#include "midi/platform/AlsaSequencerOutput.h"

#include "midi/platform/AlsaEventEncoding.h"

#include <alsa/asoundlib.h>

#include <cerrno>

#include <unistd.h>

namespace {

const char* const DefaultSequencer = "default";
// The encoder is never given System Exclusive, so it keeps at most a short message.
const long EncoderBufferSize = 16;
const unsigned int OutputCapabilities = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
const unsigned int PortType = SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION;
// The port types the program connects to, as RtMidi lists them.
const unsigned int MidiPortTypes = SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_SYNTH
    | SND_SEQ_PORT_TYPE_APPLICATION;

bool hasCapabilities(unsigned int capability, unsigned int wanted)
{
    return (capability & wanted) == wanted;
}

} // namespace

AlsaSequencerOutput::AlsaSequencerOutput()
    : m_pSequencer(nullptr)
    , m_pEncoder(nullptr)
    , m_clientId(-1)
    , m_port(-1)
    , m_virtualPort(-1)
    , m_droppedMessages(0)
{
}

AlsaSequencerOutput::~AlsaSequencerOutput()
{
    close();
}

bool AlsaSequencerOutput::open(const std::string& clientName)
{
    close();
    if (snd_seq_open(&m_pSequencer, DefaultSequencer, SND_SEQ_OPEN_OUTPUT, SND_SEQ_NONBLOCK) < 0) {
        m_pSequencer = nullptr;
        return false;
    }
    m_clientId = snd_seq_client_id(m_pSequencer);
    // A piece all of real-time bytes is one event a byte; the buffer takes
    // the largest send whole.
    if (m_clientId < 0 || snd_seq_set_client_name(m_pSequencer, clientName.c_str()) < 0
        || snd_seq_set_output_buffer_size(m_pSequencer, LargestPiece * sizeof(snd_seq_event_t)) < 0
        || snd_midi_event_new(EncoderBufferSize, &m_pEncoder) < 0) {
        m_pEncoder = nullptr;
        close();
        return false;
    }
    m_events.resize(LargestPiece);
    return true;
}

void AlsaSequencerOutput::close()
{
    if (m_pEncoder) {
        snd_midi_event_free(m_pEncoder);
        m_pEncoder = nullptr;
    }
    if (m_pSequencer) {
        // Closing the client deletes its ports and their subscriptions.
        snd_seq_close(m_pSequencer);
        m_pSequencer = nullptr;
    }
    m_clientId = -1;
    m_port = -1;
    m_virtualPort = -1;
}

bool AlsaSequencerOutput::openPort(const std::string& name)
{
    if (!m_pSequencer || m_port >= 0) {
        return false;
    }
    m_port = snd_seq_create_simple_port(m_pSequencer, name.c_str(), OutputCapabilities, PortType);
    return m_port >= 0;
}

void AlsaSequencerOutput::closePort()
{
    deletePort(&m_port);
}

void AlsaSequencerOutput::deletePort(int* port)
{
    // Deleting a port of the program's own client fails only when it is
    // already gone with the client, which has then closed it.
    if (m_pSequencer && *port >= 0) {
        snd_seq_delete_simple_port(m_pSequencer, *port);
    }
    *port = -1;
}

bool AlsaSequencerOutput::portName(AlsaAddress address, std::string* name)
{
    if (!m_pSequencer) {
        return false;
    }
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    if (snd_seq_get_any_client_info(m_pSequencer, address.client, client) < 0
        || snd_seq_get_any_port_info(m_pSequencer, address.client, address.port, port) < 0) {
        return false;
    }
    *name = alsaEndpointName(snd_seq_client_info_get_name(client), snd_seq_port_info_get_name(port));
    return true;
}

bool AlsaSequencerOutput::queryPorts(std::vector<AlsaPortInfo>* ports, std::set<int>* ownClients)
{
    if (!m_pSequencer) {
        return false;
    }
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    const int process = static_cast<int>(getpid());
    ownClients->insert(m_clientId);
    // The queries end with an error once there is no next client or port.
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(m_pSequencer, client) >= 0) {
        const int number = snd_seq_client_info_get_client(client);
        // The process is known on kernels from 4.18 on; elsewhere only this
        // client is recognised.
        if (snd_seq_client_info_get_pid(client) == process) {
            ownClients->insert(number);
        }
        snd_seq_port_info_set_client(port, number);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(m_pSequencer, port) >= 0) {
            const unsigned int capability = snd_seq_port_info_get_capability(port);
            const bool midi = (snd_seq_port_info_get_type(port) & MidiPortTypes) != 0;
            AlsaPortInfo info;
            info.address = AlsaAddress{number, snd_seq_port_info_get_port(port)};
            info.clientName = snd_seq_client_info_get_name(client);
            info.portName = snd_seq_port_info_get_name(port);
            info.readable = midi && hasCapabilities(capability, SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ);
            info.writable = midi && hasCapabilities(capability, SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE);
            info.hidden = (capability & SND_SEQ_PORT_CAP_NO_EXPORT) != 0;
            ports->push_back(info);
        }
    }
    return true;
}

bool AlsaSequencerOutput::openVirtualPort(const std::string& name)
{
    if (!m_pSequencer) {
        return false;
    }
    closeVirtualPort();
    m_virtualPort = snd_seq_create_simple_port(m_pSequencer, name.c_str(), OutputCapabilities, PortType);
    return m_virtualPort >= 0;
}

void AlsaSequencerOutput::closeVirtualPort()
{
    deletePort(&m_virtualPort);
}

bool AlsaSequencerOutput::send(AlsaAddress destination, const unsigned char* data, std::size_t size)
{
    return m_port >= 0 && sendEvents(&destination, data, size);
}

bool AlsaSequencerOutput::sendToSubscribers(const unsigned char* data, std::size_t size)
{
    return m_virtualPort >= 0 && sendEvents(nullptr, data, size);
}

bool AlsaSequencerOutput::sendEvents(const AlsaAddress* destination, const unsigned char* data, std::size_t size)
{
    std::size_t count = 0;
    // A send is taken only into an empty buffer, so that one that fails
    // takes nothing else with it.
    if (!hasRoom(size) || !alsaEventsOfBytes(m_pEncoder, data, size, m_events.data(), m_events.size(), &count)) {
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        snd_seq_event_t* event = &m_events[i];
        snd_seq_ev_set_direct(event);
        if (destination) {
            snd_seq_ev_set_source(event, m_port);
            snd_seq_ev_set_dest(event, destination->client, destination->port);
        } else {
            snd_seq_ev_set_source(event, m_virtualPort);
            snd_seq_ev_set_subs(event);
        }
        // Copies the event and its data into the buffer.
        if (snd_seq_event_output_buffer(m_pSequencer, event) < 0) {
            snd_seq_drop_output_buffer(m_pSequencer);
            return false;
        }
    }
    const int result = snd_seq_drain_output(m_pSequencer);
    if (result < 0 && result != -EAGAIN) {
        snd_seq_drop_output_buffer(m_pSequencer);
        return false;
    }
    return true;
}

bool AlsaSequencerOutput::drain()
{
    if (!m_pSequencer || unsentBytes() == 0) {
        return m_pSequencer != nullptr;
    }
    // Direct events are delivered as they are written; a kernel that takes
    // no more for now leaves the rest in the buffer for the next drain.
    const int result = snd_seq_drain_output(m_pSequencer);
    if (result < 0 && result != -EAGAIN) {
        // What is left of a send that was taken over is lost.
        snd_seq_drop_output_buffer(m_pSequencer);
        ++m_droppedMessages;
        return false;
    }
    return true;
}

bool AlsaSequencerOutput::hasRoom(std::size_t size)
{
    return m_pSequencer && size > 0 && size <= LargestPiece && drain() && unsentBytes() == 0;
}

std::uint64_t AlsaSequencerOutput::unsentBytes() const
{
    const int pending = m_pSequencer ? snd_seq_event_output_pending(m_pSequencer) : 0;
    return pending > 0 ? static_cast<std::uint64_t>(pending) : 0;
}
