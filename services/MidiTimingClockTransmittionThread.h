#pragma once

#include "midilib_constants.h"

#include <QMutex>
#include <QThread>
#include <QWaitCondition>

class MidiSenderIF;

// Sends MIDI Timing Clock (0xF8, 24 per beat) at a settable tempo through the
// sender it is given while playing. The thread runs from
// construction to destruction, at real-time priority where the system allows
// it. While stopped it sleeps. While playing, every clock has a due time in
// microseconds of the monotonic clock, counted from Play (the first clock) or
// from the last change of tempo, so no rounding adds up; the thread wakes a
// little ahead of it and hands the clock over with its due time to a platform
// that places it at its frame, or wakes at the due time itself for one that
// sends at once. blinkLed is emitted when playing starts and after every 24
// clocks.
class MidiTimingClockTransmittionThread : public QThread
{
    Q_OBJECT

public:
    static constexpr unsigned char TempoMessage = 0xF8;
    static constexpr unsigned short TempoMessageSize = 1;
    static constexpr int BeatClockCount = 24;
    // Tenths of a beat per minute.
    static constexpr int DefaultTempo = 900;

    MidiTimingClockTransmittionThread(QObject* parent, MidiSenderIF* sender);
    ~MidiTimingClockTransmittionThread() override;

    // Tempo in tenths of a beat per minute; a value beyond the library's
    // range (1 to 3000) is taken as the nearest end of it.
    void setTempo(int tempo);
    void setPlayTimingClockFlag(bool play);

signals:
    void blinkLed();

protected:
    void run() override;

private:
    // Sends the clocks due within the lead. Holds m_mutex.
    void sendDueClocks(qint64 now, qint64 lead);
    // Holds m_mutex. The due time of a clock counted from the origin.
    qint64 nextClockDue() const;
    qint64 clockDue(qint64 clock) const;

    MidiSenderIF* m_pSender;
    int m_tempo;
    QMutex m_mutex;
    bool m_stop;
    bool m_play;
    quint8 m_clockCount;
    // Due times count from here (monotonic microseconds), clock by clock.
    qint64 m_origin;
    qint64 m_clocksSinceOrigin;
    // The stopped thread sleeps on it, and the playing one between clocks.
    QWaitCondition m_condition;
};
