#include "services/MidiTimingClockTransmittionThread.h"

#include "engine/MidiSenderIF.h"
#include "midi/platform/SteadyClock.h"

#include <QDeadlineTimer>
#include <QMutexLocker>

#include <pthread.h>
#include <sched.h>

#include <algorithm>

namespace {

const qint64 NanosecondsPerMicrosecond = 1000;
// How far ahead of its due time a clock is handed to a platform that places
// it at its frame: more than a JACK period and a late wake-up.
const qint64 SchedulingLead = 4000;
// Above every thread of normal priority, below the audio server's.
const int RealTimePriority = 1;

// Real-time scheduling where the system grants it; without the privilege the
// thread stays as it is.
void raiseToRealTimePriority()
{
    sched_param parameters{};
    parameters.sched_priority = RealTimePriority;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameters);
}

} // namespace

MidiTimingClockTransmittionThread::MidiTimingClockTransmittionThread(QObject* parent, MidiSenderIF* sender)
    : QThread(parent)
    , m_pSender(sender)
    , m_tempo(DefaultTempo)
    , m_stop(false)
    , m_play(false)
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
    if (m_play && m_clocksSinceOrigin > 0) {
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
        if (play && !m_play) {
            // The first clock is due now, as the thread finds it: neither the
            // time spent stopped nor a part clock left from the last run counts.
            m_clocksSinceOrigin = 0;
        }
        m_play = play;
        if (!play)
            m_clockCount = 0;
        m_condition.wakeAll();
    }
    // Outside the mutex: a slot connected directly may call back into the thread.
    if (play)
        emit blinkLed();
}

void MidiTimingClockTransmittionThread::run()
{
    raiseToRealTimePriority();
    QMutexLocker locker(&m_mutex);
    while (!m_stop) {
        if (!m_play) {
            // Flags are tested and the wait entered under the mutex, so a
            // start in between is not lost.
            m_condition.wait(&m_mutex);
            continue;
        }
        if (m_clocksSinceOrigin == 0)
            m_origin = m_pSender->scheduleStart(steadyMicroseconds());
        const qint64 lead = m_pSender->schedulesByDueTime() ? SchedulingLead : 0;
        sendDueClocks(steadyMicroseconds(), lead);
        // A change of tempo, a stop or the end wakes the thread earlier, and
        // the next pass works the due time out afresh.
        const qint64 sleep = nextClockDue() - lead - steadyMicroseconds();
        if (sleep > 0) {
            QDeadlineTimer deadline(Qt::PreciseTimer);
            deadline.setPreciseRemainingTime(0, sleep * NanosecondsPerMicrosecond, Qt::PreciseTimer);
            m_condition.wait(&m_mutex, deadline);
        }
    }
}

void MidiTimingClockTransmittionThread::sendDueClocks(qint64 now, qint64 lead)
{
    for (qint64 due = nextClockDue(); due - lead <= now; due = nextClockDue()) {
        ++m_clocksSinceOrigin;
        ++m_clockCount;
        m_pSender->transmitMidiAt(&TempoMessage, TempoMessageSize, due);
        if (m_clockCount >= BeatClockCount) {
            emit blinkLed();
            m_clockCount = 0;
        }
    }
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
