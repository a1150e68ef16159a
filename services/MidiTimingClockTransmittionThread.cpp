#include "services/MidiTimingClockTransmittionThread.h"

#include "app/MainWindow.h"

#include <QDeadlineTimer>
#include <QMutexLocker>

#include <algorithm>

namespace {

const qint64 MicrosecondsPerMillisecond = 1000;
const qint64 NanosecondsPerMillisecond = 1000000;

} // namespace

MidiTimingClockTransmittionThread::MidiTimingClockTransmittionThread(QObject* parent)
    : QThread(parent)
    , m_tempo(DefaultTempo)
    , m_stop(false)
    , m_play(false)
    , m_clockCount(0)
    , m_lastElapsed(0)
{
    midilib_timingClockGenerator_init(&m_generator);
    midilib_timingClockGenerator_setTempo(&m_generator, m_tempo);
    m_time.start();
    start(QThread::InheritPriority);
    setPriority(QThread::NormalPriority);
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
    m_tempo = std::clamp<int>(tempo, MIDILIB_Tempo_Min, MIDILIB_Tempo_Max);
    midilib_timingClockGenerator_setTempo(&m_generator, m_tempo);
    // A faster tempo may bring the next clock forward.
    m_condition.wakeAll();
}

void MidiTimingClockTransmittionThread::setPlayTimingClockFlag(bool play)
{
    {
        QMutexLocker locker(&m_mutex);
        if (play && !m_play) {
            // The first beat starts now: neither the time spent stopped nor a
            // part clock left from the last run counts.
            midilib_timingClockGenerator_init(&m_generator);
            midilib_timingClockGenerator_setTempo(&m_generator, m_tempo);
            m_lastElapsed = m_time.elapsed();
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
    QMutexLocker locker(&m_mutex);
    while (!m_stop) {
        if (!m_play) {
            // Flags are tested and the wait entered under the mutex, so a
            // start in between is not lost.
            m_condition.wait(&m_mutex);
            continue;
        }
        generateClocks();
        // Sleep until the millisecond in which the next clock falls due; a
        // change of tempo, a stop or the end wakes the thread earlier, and the
        // next pass works the due time out afresh.
        const qint64 sleep = nextClockElapsed() * NanosecondsPerMillisecond - m_time.nsecsElapsed();
        if (sleep > 0) {
            QDeadlineTimer deadline(Qt::PreciseTimer);
            deadline.setPreciseRemainingTime(0, sleep, Qt::PreciseTimer);
            m_condition.wait(&m_mutex, deadline);
        }
    }
}

void MidiTimingClockTransmittionThread::generateClocks()
{
    const qint64 now = m_time.elapsed();
    const qint64 passed = now - m_lastElapsed;
    m_lastElapsed = now;
    uint32_t clocks = 0;
    if (midilib_timingClockGenerator_generate(&m_generator, static_cast<uint32_t>(passed), &clocks) != 0)
        return;
    for (uint32_t i = 0; i < clocks; ++i) {
        ++m_clockCount;
        if (MainWindow::m_pInstance != nullptr)
            MainWindow::m_pInstance->transmitMidi(&TempoMessage, TempoMessageSize);
        if (m_clockCount >= BeatClockCount) {
            emit blinkLed();
            m_clockCount = 0;
        }
    }
}

qint64 MidiTimingClockTransmittionThread::nextClockElapsed() const
{
    // The generator gives a clock once the time it was given exceeds the
    // clock interval.
    const qint64 missing = static_cast<qint64>(m_generator.clockInterval - m_generator.accumulatedTime);
    return m_lastElapsed + missing / MicrosecondsPerMillisecond + 1;
}
