#pragma once

#include "services/MidiFileMessage.h"

#include <QMutex>
#include <QThread>
#include <QVector>
#include <QWaitCondition>

#include <atomic>

class MidiPlayerListenerIF;
class MidiSenderIF;
class SoundingNotes;

// Plays messages at their times through a sender, on a thread of its own
// that runs from construction to destruction. Every message has a due time
// in monotonic microseconds counted from Play, so no rounding adds up. Short
// messages are handed over with their due time a little ahead of it to a
// platform that places them at their frames, at the due time to one that
// sends at once; System Exclusive goes when due, whole, in the port's pieces.
// Once playing ends, every note still on gets its Note Off; a stop adds All
// Notes Off on every channel that sounded. Every send is checked and a
// failure counted.
class MidiPlayer : public QThread
{
    Q_OBJECT

public:
    explicit MidiPlayer(MidiSenderIF* sender, QObject* parent = nullptr);
    ~MidiPlayer() override;

    // While stopped. The messages in order of time; duration is where a loop
    // starts again, at the last message or later.
    void setMessages(const QVector<MidiFileMessage>& messages, qint64 duration);
    // While stopped; told on the player's thread.
    void setListener(MidiPlayerListenerIF* listener);
    // System Exclusive goes out at most this fast; 0: as fast as the port takes.
    void setSystemExclusiveRate(unsigned int bytesPerSecond);
    void setLoop(bool loop);

    // Plays from the first message at or after from (microseconds into the
    // messages); false while still playing.
    bool play(qint64 from = 0);
    // Ends playing soon; finished follows.
    void stop();
    bool isPlaying() const;
    // Microseconds into the messages: where playing is, or where it ended.
    qint64 position() const;
    qint64 duration() const;
    // Sends that failed since play.
    quint64 failureCount() const;

signals:
    // Playing ended: reachedEnd once the last message left, or stopped.
    void finished(bool reachedEnd);

protected:
    void run() override;

private:
    bool playMessages(const QVector<MidiFileMessage>& messages, qint64 duration, qint64 from, SoundingNotes* notes);
    bool send(const QByteArray& message, int index, qint64 due);
    void silence(const SoundingNotes& notes, bool allNotesOff);
    // Sleeps until the time comes; false when stopped first.
    bool waitUntil(qint64 microseconds);

    MidiSenderIF* m_pSender;
    MidiPlayerListenerIF* m_pListener;
    mutable QMutex m_mutex;
    QWaitCondition m_condition;
    // Under m_mutex.
    QVector<MidiFileMessage> m_messages;
    qint64 m_duration;
    qint64 m_from;
    bool m_startRequested;
    bool m_quit;
    // False once a stop is asked for: ends sleeps and the pieces of a message.
    std::atomic<bool> m_running;
    std::atomic<bool> m_playing;
    std::atomic<bool> m_loop;
    std::atomic<unsigned int> m_rate;
    // Due times count from here; position() reads it.
    std::atomic<qint64> m_origin;
    std::atomic<qint64> m_endedAt;
    std::atomic<quint64> m_failures;
};
