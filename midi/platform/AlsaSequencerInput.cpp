#include "midi/platform/AlsaSequencerInput.h"

#include "midi/platform/AlsaEventDecoding.h"
#include "midi/platform/SteadyClock.h"

#include <alsa/asoundlib.h>

#include <cerrno>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

const char* const DefaultSequencer = "default";
const unsigned int InputCapabilities = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
const unsigned int PortType = SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION;
// Room for System Exclusive events as large as the program sends itself, in
// alsa-lib's buffer (bytes) and in the kernel's pool for the client (cells of
// an event's size), within the kernel's limit of 2000 cells.
const std::size_t InputBufferSize = 64 * 1024;
const int InputPoolCells = 1000;
// The sequencer's descriptors and the wake-up.
const int LargestPollCount = 8;
// The thread looks at its stop flag at least this often, should a wake-up
// not come through.
const int PollTimeoutMilliseconds = 100;

} // namespace

AlsaSequencerInput::AlsaSequencerInput()
    : m_pSequencer(nullptr)
    , m_pDecoder(nullptr)
    , m_clientId(-1)
    , m_port(-1)
    , m_virtualPort(-1)
    , m_wakeFd(-1)
    , m_stopping(false)
    , m_failed(false)
    , m_readProc(nullptr)
    , m_readRefCon(nullptr)
    , m_connRefCon(nullptr)
    , m_activePort(-1)
    , m_delivering(false)
    , m_overruns(0)
    , m_buffer{}
{
}

AlsaSequencerInput::~AlsaSequencerInput()
{
    close();
}

bool AlsaSequencerInput::open(const std::string& clientName)
{
    close();
    if (snd_seq_open(&m_pSequencer, DefaultSequencer, SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK) < 0) {
        m_pSequencer = nullptr;
        return false;
    }
    m_clientId = snd_seq_client_id(m_pSequencer);
    if (m_clientId < 0 || snd_seq_set_client_name(m_pSequencer, clientName.c_str()) < 0
        || snd_seq_set_input_buffer_size(m_pSequencer, InputBufferSize) < 0
        || snd_seq_set_client_pool_input(m_pSequencer, InputPoolCells) < 0
        || snd_midi_event_new(sizeof m_buffer, &m_pDecoder) < 0) {
        m_pDecoder = nullptr;
        close();
        return false;
    }
    m_wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_wakeFd < 0) {
        close();
        return false;
    }
    return true;
}

void AlsaSequencerInput::close()
{
    closePort();
    if (m_wakeFd >= 0) {
        ::close(m_wakeFd);
        m_wakeFd = -1;
    }
    if (m_pDecoder) {
        snd_midi_event_free(m_pDecoder);
        m_pDecoder = nullptr;
    }
    if (m_pSequencer) {
        snd_seq_close(m_pSequencer);
        m_pSequencer = nullptr;
    }
    m_clientId = -1;
}

bool AlsaSequencerInput::openPort(const std::string& name, MidiPlatformIF::ReadProc readProc, void* readRefCon)
{
    if (!m_pSequencer || m_port >= 0 || !readProc) {
        return false;
    }
    m_port = snd_seq_create_simple_port(m_pSequencer, name.c_str(), InputCapabilities, PortType);
    if (m_port < 0) {
        return false;
    }
    m_readProc = readProc;
    m_readRefCon = readRefCon;
    m_failed = false;
    if (!startThread()) {
        snd_seq_delete_simple_port(m_pSequencer, m_port);
        m_port = -1;
        return false;
    }
    return true;
}

void AlsaSequencerInput::closePort()
{
    disconnect();
    stopThread();
    // Deleting a port of the program's own client fails only when it is
    // already gone with the client.
    if (m_pSequencer && m_port >= 0) {
        snd_seq_delete_simple_port(m_pSequencer, m_port);
    }
    m_port = -1;
}

bool AlsaSequencerInput::connect(AlsaAddress source, void* connRefCon)
{
    if (m_port < 0 || m_failed || !connRefCon || !disconnect()) {
        return false;
    }
    if (snd_seq_connect_from(m_pSequencer, m_port, source.client, source.port) < 0) {
        return false;
    }
    m_source = source;
    m_activePort = m_port;
    m_connRefCon = connRefCon;
    return true;
}

bool AlsaSequencerInput::openVirtualPort(const std::string& name, void* connRefCon)
{
    if (m_port < 0 || m_failed || !connRefCon || !disconnect()) {
        return false;
    }
    m_virtualPort = snd_seq_create_simple_port(m_pSequencer, name.c_str(), InputCapabilities, PortType);
    if (m_virtualPort < 0) {
        m_virtualPort = -1;
        return false;
    }
    m_activePort = m_virtualPort;
    m_connRefCon = connRefCon;
    return true;
}

bool AlsaSequencerInput::disconnect()
{
    m_connRefCon = nullptr;
    m_activePort = -1;
    // The thread marks a delivery before it looks at the route.
    while (m_delivering) {
        std::this_thread::yield();
    }
    bool done = true;
    if (m_source.client >= 0) {
        // A source that has gone (no such client or port) took its
        // subscription with it.
        const int result = snd_seq_disconnect_from(m_pSequencer, m_port, m_source.client, m_source.port);
        done = result >= 0 || result == -ENXIO || result == -ENOENT;
        m_source = AlsaAddress();
    }
    if (m_virtualPort >= 0) {
        snd_seq_delete_simple_port(m_pSequencer, m_virtualPort);
        m_virtualPort = -1;
    }
    return done;
}

bool AlsaSequencerInput::startThread()
{
    try {
        m_thread = std::thread(&AlsaSequencerInput::run, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void AlsaSequencerInput::stopThread()
{
    if (!m_thread.joinable()) {
        return;
    }
    m_stopping = true;
    const std::uint64_t wake = 1;
    // Without the wake-up the thread sees the flag at its next time-out.
    const bool woken = write(m_wakeFd, &wake, sizeof wake) == static_cast<ssize_t>(sizeof wake);
    m_thread.join();
    std::uint64_t count = 0;
    if (woken && read(m_wakeFd, &count, sizeof count) != static_cast<ssize_t>(sizeof count)) {
        count = 0;
    }
    m_stopping = false;
}

void AlsaSequencerInput::run()
{
    pollfd fds[LargestPollCount];
    const int count = snd_seq_poll_descriptors_count(m_pSequencer, POLLIN);
    if (count <= 0 || count >= LargestPollCount
        || snd_seq_poll_descriptors(m_pSequencer, fds, static_cast<unsigned int>(count), POLLIN) != count) {
        m_failed = true;
        return;
    }
    fds[count] = pollfd{m_wakeFd, POLLIN, 0};
    while (!m_stopping) {
        const int ready = poll(fds, static_cast<nfds_t>(count + 1), PollTimeoutMilliseconds);
        if (ready < 0 && errno != EINTR) {
            m_failed = true;
            return;
        }
        if (ready <= 0 || fds[count].revents != 0) {
            continue;
        }
        for (;;) {
            snd_seq_event_t* event = nullptr;
            const int result = snd_seq_event_input(m_pSequencer, &event);
            if (result == -ENOSPC) {
                ++m_overruns;
                continue;
            }
            if (result < 0 || !event) {
                break;
            }
            deliver(*event);
        }
    }
}

void AlsaSequencerInput::deliver(const snd_seq_event_t& event)
{
    m_delivering = true;
    void* connRefCon = m_connRefCon;
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    if (connRefCon && event.dest.port == m_activePort
        && alsaBytesOfEvent(m_pDecoder, event, m_buffer, sizeof m_buffer, &data, &size)) {
        const MidiPacket packet{data, size, steadyMicroseconds()};
        m_readProc(MidiPacketList{&packet, 1}, m_readRefCon, connRefCon);
    }
    m_delivering = false;
}
