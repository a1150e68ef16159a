#ifndef MIDIOUTPUTPORT_H
#define MIDIOUTPUTPORT_H

#include "midi/Midi.h"

#include <QMutex>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>

class MidiSendControlIF;

// The output port: sends to at most one selected platform destination.
// Selecting, closing and sending are serialised by a mutex, because the GUI
// thread and the sending threads all transmit through it. A message longer
// than the piece size goes out in pieces, on platforms that carry partial
// messages; no other message but real-time bytes comes between its pieces.
class MidiOutputPort : public Midi
{
public:
    explicit MidiOutputPort(MidiClient* client);
    ~MidiOutputPort() override;

    const QList<QString>& getOutputPortNameList(MIDI_RESULT* result);
    unsigned int getOutputPortCount(MIDI_RESULT* result) const;
    // Selects the first destination of that exact name; one that is not
    // there (an error) stays chosen and is selected by refresh() when it appears.
    MIDI_RESULT openOutputPort(const QString& name);
    // An index beyond the count keeps the previous selection. VirtualPort, or
    // VirtualPortIndex, opens the program's own source "Tarvo Suite Out".
    MIDI_RESULT openOutputPort(unsigned int index);
    MIDI_RESULT closeOutputPort();
    // Follows the chosen destination by name: sends fail while it is gone and
    // reach it again when a destination of its name is back.
    // Looks only when the endpoints changed or the chosen one is missing.
    void refresh(bool endpointsChanged);
    // Sends one message unchanged to the selected destination, in pieces when
    // it is long, after the message in progress. The control, if any, is
    // asked before every piece; a System Exclusive message it cancels or a
    // failed piece cuts midway is ended with F7 so that the receiver's parser
    // starts anew. *sent counts the message's bytes handed to the platform,
    // without that F7. A message larger than the platform carries in one send
    // is refused before anything is sent, where it cannot go in pieces.
    MIDI_RESULT transmitMidi(const unsigned char* data, std::size_t size, MidiSendControlIF* control = nullptr,
                             std::size_t* sent = nullptr);
    // The pieces of one message from several calls (MIDI Thru passing a
    // System Exclusive message on as it arrives): between beginMessage (which
    // waits for the message in progress, tryBeginMessage does not) and
    // endMessage nothing but real-time bytes goes out; cutShort ends a System
    // Exclusive message that went out in part with F7.
    void beginMessage();
    bool tryBeginMessage();
    MIDI_RESULT sendPieces(const unsigned char* data, std::size_t size, MidiSendControlIF* control = nullptr,
                           std::size_t* sent = nullptr);
    void endMessage(bool cutShort);
    // Whether the platform takes size more bytes now without waiting.
    bool hasRoom(std::size_t size);
    // Taken as it is up to the largest piece the platform carries.
    void setPieceSize(std::size_t size);
    // The largest piece or message the platform carries, 0 for no limit.
    std::size_t largestPiece() const;
    // A message placed at its due time in microseconds of the monotonic clock
    // where the platform can schedule, sent at once where it cannot; a long
    // one in pieces, all at that time. *sent as for transmitMidi.
    MIDI_RESULT transmitMidiAt(const unsigned char* data, std::size_t size, std::int64_t dueMicroseconds,
                               std::size_t* sent = nullptr);
    bool schedulesByDueTime() const;
    std::int64_t scheduleStart(std::int64_t nowMicroseconds) const;
    // The platform's own timing clock to the selected destination (see
    // MidiPlatformIF::startClock).
    bool generatesClock() const;
    bool startClock(int tempo, bool startStop);
    void setClockTempo(int tempo);
    void stopClock();
    std::size_t takeSentClocks(ClockEvent* events, std::size_t capacity);

private:
    void select(MidiPlatformIF::Ref destination, const QString& name);
    MIDI_RESULT openVirtual();
    bool sendPiece(const unsigned char* data, std::size_t size);
    bool sendPieceAt(const unsigned char* data, std::size_t size, std::int64_t dueMicroseconds);
    MidiPlatformIF::Ref currentDestination();

    // Guards the selection against the sending threads; never held while
    // waiting for the platform.
    QMutex m_mutex;
    // Set once, in the constructor.
    MidiPlatformIF::Ref m_outputPort;
    // NoRef while nothing is chosen or the chosen one is gone.
    MidiPlatformIF::Ref m_destination;
    // Held from the first piece of a message to its last.
    std::mutex m_messageMutex;
    std::atomic<std::size_t> m_pieceSize;
    // Under m_messageMutex: part of the message in progress went out.
    bool m_partSent;
};

#endif // MIDIOUTPUTPORT_H
