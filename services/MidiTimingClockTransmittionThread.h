#pragma once

#include "midilib_timingClockGenerator.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

// Sends MIDI Timing Clock (0xF8, 24 per beat) at a settable tempo through the
// main window's transmit operation while playing. The thread runs from
// construction to destruction. While stopped it sleeps; while playing it
// sleeps until the millisecond in which the next clock falls due and sends the
// clocks that the generator finds due for the milliseconds passed, so each
// clock leaves within the millisecond in which it falls due without the thread
// polling a core away. blinkLed is emitted when playing starts and after every
// 24 clocks.
class MidiTimingClockTransmittionThread : public QThread
{
    Q_OBJECT

public:
    static constexpr unsigned char TempoMessage = 0xF8;
    static constexpr unsigned short TempoMessageSize = 1;
    static constexpr int BeatClockCount = 24;
    // Tenths of a beat per minute.
    static constexpr int DefaultTempo = 900;

    explicit MidiTimingClockTransmittionThread(QObject* parent);
    ~MidiTimingClockTransmittionThread() override;

    // Tempo in tenths of a beat per minute; a value beyond the generator's
    // range (1 to 3000) is taken as the nearest end of it.
    void setTempo(int tempo);
    void setPlayTimingClockFlag(bool play);

signals:
    void blinkLed();

protected:
    void run() override;

private:
    // Sends the clocks due since the last pass. Holds m_mutex.
    void generateClocks();
    // The clock reading at which the generator will have the next clock due.
    // Holds m_mutex.
    qint64 nextClockElapsed() const;

    midilib_timingClockGenerator m_generator;
    int m_tempo;
    QMutex m_mutex;
    bool m_stop;
    bool m_play;
    // Monotonic: setting the wall clock never makes a burst of clocks.
    QElapsedTimer m_time;
    quint8 m_clockCount;
    qint64 m_lastElapsed;
    // The stopped thread sleeps on it, and the playing one between clocks.
    QWaitCondition m_condition;
};
