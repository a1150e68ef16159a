#pragma once

#include "midilib_constants.h"

#include <QMutex>
#include <QThread>
#include <QWaitCondition>

class MidiClockIF;
class MidiSenderIF;

// Sends MIDI Timing Clock (0xF8, 24 per beat) at a settable tempo while
// playing. Where the platform makes the clock itself at exact times (JACK, in
// the audio cycle), the thread starts, retunes and stops it and hears of
// every clock sent; elsewhere it sends each clock itself at its due time:
// microseconds of the monotonic clock counted from Play (the first clock) or
// from the last change of tempo, so no rounding adds up, waited for with an
// absolute deadline at real-time priority where the system allows it. With
// Start and Stop on, Start (0xFA) goes before the first clock and Stop
// (0xFC) when playing ends. blinkLed is emitted when playing starts and after
// every 24 clocks.
class MidiTimingClockTransmittionThread : public QThread
{
    Q_OBJECT

public:
    static constexpr unsigned char TempoMessage = 0xF8;
    static constexpr unsigned short TempoMessageSize = 1;
    static constexpr int BeatClockCount = 24;
    // Tenths of a beat per minute.
    static constexpr int DefaultTempo = 900;

    MidiTimingClockTransmittionThread(QObject* parent, MidiSenderIF* sender, MidiClockIF* clock);
    ~MidiTimingClockTransmittionThread() override;

    // Tempo in tenths of a beat per minute; a value beyond the library's
    // range (1 to 3000) is taken as the nearest end of it.
    void setTempo(int tempo);
    void setPlayTimingClockFlag(bool play);
    // Takes effect at the next Play.
    void setStartStopEnabled(bool enabled);

signals:
    void blinkLed();

protected:
    void run() override;

private:
    // Ends the run that plays: Stop where it is due. Holds m_mutex.
    void endRun();
    // One turn while playing, with the platform's clock. Holds m_mutex.
    void followPlatformClock();
    // One turn while playing, sending the clocks due by now. Holds m_mutex.
    void sendDueClocks();
    // Counts clocks towards the next blink. Holds m_mutex.
    void countClocks(std::size_t clocks);
    // Holds m_mutex. The due time of a clock counted from the origin.
    qint64 nextClockDue() const;
    qint64 clockDue(qint64 clock) const;
    // Sends a single byte now or at due (0 for now); the engine counts it
    // when it fails.
    bool sendByte(unsigned char byte, qint64 due);

    MidiSenderIF* m_pSender;
    MidiClockIF* m_pClock;
    int m_tempo;
    QMutex m_mutex;
    bool m_stop;
    bool m_play;
    bool m_startStop;
    // Play came after a stop the thread may not have seen.
    bool m_restart;
    // The run that plays now: started, and with Start and Stop.
    bool m_running;
    bool m_runStartStop;
    // The tempo the platform's clock runs at.
    int m_platformTempo;
    int m_clockCount;
    // Due times count from here (monotonic microseconds), clock by clock.
    qint64 m_origin;
    qint64 m_clocksSinceOrigin;
    // The stopped thread sleeps on it, and the playing one between clocks.
    QWaitCondition m_condition;
};
