#include "services/MidiTimingClockTransmittionThread.h"

#include "engine/MidiClockIF.h"
#include "engine/MidiSenderIF.h"
#include "midi/platform/SteadyClock.h"

#include <QDeadlineTimer>
#include <QMutexLocker>

#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <algorithm>
#include <cerrno>

namespace {

const qint64 NanosecondsPerMicrosecond = 1000;
const qint64 MicrosecondsPerSecond = 1000000;
// How far ahead of its due time a clock is handed to a platform that places
// it at its own time: more than a period and a late wake-up.
const qint64 SchedulingLead = 4000;
// The last stretch before a clock is slept with an absolute deadline, which
// a change of tempo or Stop does not cut short.
const qint64 PreciseStretch = 2000;
// How often the platform's own clock is asked which clocks it sent.
const unsigned long PlatformClockPollMs = 10;
// Longer than a cycle of the platform's clock at the usual period sizes: the
// Stop and the last clocks go out in the cycle after the stop.
const unsigned long PlatformStopSettleMs = 100;
// Above every thread of normal priority, below the audio server's.
const int RealTimePriority = 1;
const unsigned char StartMessage = 0xFA;
const unsigned char StopMessage = 0xFC;

// Real-time scheduling where the system grants it; without the privilege the
// thread stays as it is.
void raiseToRealTimePriority()
{
    sched_param parameters{};
    parameters.sched_priority = RealTimePriority;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameters);
}

// Sleeps until the monotonic clock reads microseconds.
void sleepUntil(qint64 microseconds)
{
    timespec deadline{};
    deadline.tv_sec = time_t(microseconds / MicrosecondsPerSecond);
    deadline.tv_nsec = long(microseconds % MicrosecondsPerSecond * NanosecondsPerMicrosecond);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

} // namespace

MidiTimingClockTransmittionThread::MidiTimingClockTransmittionThread(QObject* parent, MidiSenderIF* sender,
                                                                     MidiClockIF* clock)
    : QThread(parent)
    , m_pSender(sender)
    , m_pClock(clock)
    , m_tempo(DefaultTempo)
    , m_stop(false)
    , m_play(false)
    , m_startStop(false)
    , m_restart(false)
    , m_running(false)
    , m_runStartStop(false)
    , m_platformTempo(DefaultTempo)
    , m_clockCount(0)
    , m_origin(0)
    , m_clocksSinceOrigin(0)
{
    start(QThread::InheritPriority);
}

MidiTimingClockTransmittionThread::~MidiTimingClockTransmittionThread()
{
    if (!isRunning())
        return;
    {
        QMutexLocker locker(&m_mutex);
        m_stop = true;
        m_condition.wakeAll();
    }
    wait();
}

void MidiTimingClockTransmittionThread::setTempo(int tempo)
{
    QMutexLocker locker(&m_mutex);
    const int clamped = std::clamp<int>(tempo, MIDILIB_Tempo_Min, MIDILIB_Tempo_Max);
    if (clamped == m_tempo)
        return;
    // The new tempo counts from the last clock sent.
    if (m_running && m_clocksSinceOrigin > 0) {
        m_origin = clockDue(m_clocksSinceOrigin - 1);
        m_clocksSinceOrigin = 1;
    }
    m_tempo = clamped;
    // A faster tempo may bring the next clock forward.
    m_condition.wakeAll();
}

void MidiTimingClockTransmittionThread::setPlayTimingClockFlag(bool play)
{
    {
        QMutexLocker locker(&m_mutex);
        // A run stopped and started again before the thread saw it starts afresh.
        if (play && !m_play)
            m_restart = true;
        m_play = play;
        m_condition.wakeAll();
    }
    // Outside the mutex: a slot connected directly may call back into the thread.
    if (play)
        emit blinkLed();
}

void MidiTimingClockTransmittionThread::setStartStopEnabled(bool enabled)
{
    QMutexLocker locker(&m_mutex);
    m_startStop = enabled;
}

void MidiTimingClockTransmittionThread::run()
{
    raiseToRealTimePriority();
    QMutexLocker locker(&m_mutex);
    while (!m_stop) {
        if (m_running && (!m_play || m_restart)) {
            // Its wait may have taken the wake-up of a stop: look again.
            endRun();
            continue;
        }
        m_restart = false;
        if (!m_play) {
            // Flags are tested and the wait entered under the mutex, so a
            // start in between is not lost.
            m_condition.wait(&m_mutex);
            continue;
        }
        if (m_pClock->generatesClock())
            followPlatformClock();
        else
            sendDueClocks();
    }
    if (m_running)
        endRun();
}

void MidiTimingClockTransmittionThread::endRun()
{
    if (m_pClock->generatesClock()) {
        m_pClock->stopClock();
        // The mutex is free meanwhile, and whatever wakes the thread early
        // leaves the rest to the next run's first look.
        m_condition.wait(&m_mutex, PlatformStopSettleMs);
        countClocks(m_pClock->takeSentClocks());
    } else if (m_runStartStop) {
        sendByte(StopMessage, 0);
    }
    m_running = false;
    m_clockCount = 0;
}

void MidiTimingClockTransmittionThread::followPlatformClock()
{
    if (!m_running) {
        m_running = true;
        m_runStartStop = m_startStop;
        m_platformTempo = m_tempo;
        m_pClock->startClock(m_tempo, m_runStartStop);
    } else if (m_platformTempo != m_tempo) {
        m_platformTempo = m_tempo;
        m_pClock->setClockTempo(m_tempo);
    }
    countClocks(m_pClock->takeSentClocks());
    m_condition.wait(&m_mutex, PlatformClockPollMs);
}

void MidiTimingClockTransmittionThread::sendDueClocks()
{
    const bool scheduled = m_pSender->schedulesByDueTime();
    const qint64 lead = scheduled ? SchedulingLead : 0;
    if (!m_running) {
        // The first clock is due now, as the thread finds it: neither the time
        // spent stopped nor a part clock left from the last run counts.
        m_running = true;
        m_runStartStop = m_startStop;
        m_clocksSinceOrigin = 0;
        m_origin = m_pSender->scheduleStart(steadyMicroseconds());
        if (m_runStartStop)
            sendByte(StartMessage, scheduled ? m_origin : 0);
    }
    for (qint64 due = nextClockDue(); due - lead <= steadyMicroseconds(); due = nextClockDue()) {
        ++m_clocksSinceOrigin;
        if (sendByte(TempoMessage, scheduled ? due : 0))
            countClocks(1);
    }
    // A change of tempo, a stop or the end wakes the thread earlier, and the
    // next pass works the due time out afresh; the last stretch is slept to
    // the microsecond.
    const qint64 wake = nextClockDue() - lead;
    const qint64 sleep = wake - steadyMicroseconds();
    if (sleep > PreciseStretch) {
        QDeadlineTimer deadline(Qt::PreciseTimer);
        deadline.setPreciseRemainingTime(0, (sleep - PreciseStretch) * NanosecondsPerMicrosecond, Qt::PreciseTimer);
        m_condition.wait(&m_mutex, deadline);
    } else if (sleep > 0) {
        m_mutex.unlock();
        sleepUntil(wake);
        m_mutex.lock();
    }
}

void MidiTimingClockTransmittionThread::countClocks(std::size_t clocks)
{
    for (std::size_t clock = 0; clock < clocks; ++clock) {
        if (++m_clockCount >= BeatClockCount) {
            emit blinkLed();
            m_clockCount = 0;
        }
    }
}

bool MidiTimingClockTransmittionThread::sendByte(unsigned char byte, qint64 due)
{
    // A failure is counted and shown by the engine; the caller learns of it
    // so that the tempo light blinks for clocks that went out only.
    return due > 0 ? m_pSender->transmitMidiAt(&byte, 1, due) : m_pSender->transmitMidi(&byte, 1);
}

qint64 MidiTimingClockTransmittionThread::nextClockDue() const
{
    return clockDue(m_clocksSinceOrigin);
}

qint64 MidiTimingClockTransmittionThread::clockDue(qint64 clock) const
{
    // From the tempo in tenths of a beat per minute, exactly: 60 s / 24 clocks * 10.
    const qint64 microsecondsTimesTempo = 25000000;
    return m_origin + clock * microsecondsTimesTempo / m_tempo;
}
