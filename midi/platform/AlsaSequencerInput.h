#ifndef ALSASEQUENCERINPUT_H
#define ALSASEQUENCERINPUT_H

#include "midi/platform/AlsaPortName.h"
#include "midi/platform/MidiPlatformIF.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>

typedef struct _snd_seq snd_seq_t;
typedef struct snd_midi_event snd_midi_event_t;
typedef struct snd_seq_event snd_seq_event_t;

// The program's input on the ALSA sequencer through alsa-lib: a client of its
// own with one input port, subscribed to one source at a time, or a port of
// its own that others connect to. A thread of its own waits for events and
// delivers each at once, System Exclusive pieces as the sequencer brings them
// (see alsaBytesOfEvent), without allocating; the time is when it was read.
// Only the thread that made it calls its members.
class AlsaSequencerInput
{
public:
    AlsaSequencerInput();
    ~AlsaSequencerInput();

    AlsaSequencerInput(const AlsaSequencerInput&) = delete;
    AlsaSequencerInput& operator=(const AlsaSequencerInput&) = delete;

    // Opens the client; false when the sequencer does not answer.
    bool open(const std::string& clientName);
    void close();
    int clientId() const { return m_clientId; }

    // The port events arrive at, delivered to readProc with readRefCon and
    // the connection's connRefCon; its thread runs while the port is open.
    bool openPort(const std::string& name, MidiPlatformIF::ReadProc readProc, void* readRefCon);
    void closePort();

    // Subscribes the port to the source at address, ending the connection
    // before; what the source sends is delivered with connRefCon.
    bool connect(AlsaAddress source, void* connRefCon);
    // Opens a port of the client's that others connect to instead; what
    // they send is delivered with connRefCon.
    bool openVirtualPort(const std::string& name, void* connRefCon);
    // Ends the connection or the virtual port; when it returns, no delivery
    // of it is running. False when the sequencer refused to unsubscribe.
    bool disconnect();

    // Times the sequencer's input overran: events the kernel dropped because
    // they were not read in time.
    std::uint64_t overruns() const { return m_overruns; }

private:
    void run();
    void deliver(const snd_seq_event_t& event);
    bool startThread();
    void stopThread();

    snd_seq_t* m_pSequencer;
    snd_midi_event_t* m_pDecoder;
    int m_clientId;
    int m_port;
    int m_virtualPort;
    AlsaAddress m_source;
    // Wakes the thread to end it.
    int m_wakeFd;
    std::atomic<bool> m_stopping;
    // The thread could not wait for events and has ended; connecting fails.
    std::atomic<bool> m_failed;
    std::thread m_thread;
    MidiPlatformIF::ReadProc m_readProc;
    void* m_readRefCon;
    // What the thread reads while it delivers: where to and from which port.
    std::atomic<void*> m_connRefCon;
    std::atomic<int> m_activePort;
    // Set around each delivery, so that disconnect() can wait it out.
    std::atomic<bool> m_delivering;
    std::atomic<std::uint64_t> m_overruns;
    // Decoded messages other than System Exclusive; the longest are the
    // controller pairs of a 14-bit or parameter-number event.
    unsigned char m_buffer[32];
};

#endif // ALSASEQUENCERINPUT_H
