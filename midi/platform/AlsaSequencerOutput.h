#ifndef ALSASEQUENCEROUTPUT_H
#define ALSASEQUENCEROUTPUT_H

#include "midi/platform/AlsaPortList.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

typedef struct _snd_seq snd_seq_t;
typedef struct snd_midi_event snd_midi_event_t;
typedef struct snd_seq_event snd_seq_event_t;

// The program's output on the ALSA sequencer through alsa-lib: a client of
// its own with one output port, never blocking. Each send becomes sequencer
// events (see alsaEventsOfBytes) sent as direct events, so that a System
// Exclusive message can go in pieces of its own size, each one SYSEX event,
// as its sender paces them. The client's handle also lists the sequencer's
// ports and tells the program's own clients from others by client number.
// Not thread-safe: its owner serialises the calls.
class AlsaSequencerOutput
{
public:
    // The largest piece one send carries, well within alsa-lib's output buffer.
    static constexpr std::size_t LargestPiece = 4096;

    AlsaSequencerOutput();
    ~AlsaSequencerOutput();

    AlsaSequencerOutput(const AlsaSequencerOutput&) = delete;
    AlsaSequencerOutput& operator=(const AlsaSequencerOutput&) = delete;

    // Opens the client; false when the sequencer does not answer.
    bool open(const std::string& clientName);
    void close();
    bool isOpen() const { return m_pSequencer != nullptr; }
    // The port sends go out from; closing it ends its connections.
    bool openPort(const std::string& name);
    void closePort();
    bool hasPort() const { return m_port >= 0; }

    // The name ("Client:Port") of the port at address now; false when there is none.
    bool portName(AlsaAddress address, std::string* name);

    // Every port of the sequencer, and the clients of this process (this
    // client, and those another library opened for it, such as RtMidi's
    // input), by their numbers.
    bool queryPorts(std::vector<AlsaPortInfo>* ports, std::set<int>* ownClients);

    // A port of the client's that others subscribe to; sends to the
    // subscribers reach them.
    bool openVirtualPort(const std::string& name);
    void closeVirtualPort();
    bool hasVirtualPort() const { return m_virtualPort >= 0; }

    // Sends one message, or a piece of one, at once: to the port at
    // destination, or to the virtual port's subscribers. False, with nothing
    // sent, when the bytes do not make events, the piece is too large, or
    // there is no room; false too when the sequencer refuses them.
    bool send(AlsaAddress destination, const unsigned char* data, std::size_t size);
    bool sendToSubscribers(const unsigned char* data, std::size_t size);
    // Whether a send of size bytes is taken now: the buffer is empty once
    // what an earlier send left in it is handed over.
    bool hasRoom(std::size_t size);
    // Bytes taken over and not yet handed to the sequencer.
    std::uint64_t unsentBytes() const;
    // Hands over what the buffer holds; false on a failure other than no
    // room, which drops it and counts it in droppedMessages().
    bool drain();
    std::uint64_t droppedMessages() const { return m_droppedMessages; }

private:
    void deletePort(int* port);
    bool sendEvents(const AlsaAddress* destination, const unsigned char* data, std::size_t size);

    snd_seq_t* m_pSequencer;
    snd_midi_event_t* m_pEncoder;
    int m_clientId;
    int m_port;
    int m_virtualPort;
    std::atomic<std::uint64_t> m_droppedMessages;
    // Made once, so that a send does not allocate.
    std::vector<snd_seq_event_t> m_events;
};

#endif // ALSASEQUENCEROUTPUT_H
