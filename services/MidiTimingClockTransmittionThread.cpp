#include "services/MidiTimingClockTransmittionThread.h"

#include "app/MainWindow.h"

#include <QMutexLocker>

#include <algorithm>

MidiTimingClockTransmittionThread::MidiTimingClockTransmittionThread(QObject* parent)
    : QThread(parent)
    , m_stop(false)
    , m_play(false)
    , m_clockCount(0)
    , m_lastElapsed(0)
{
    midilib_timingClockGenerator_init(&m_generator);
    midilib_timingClockGenerator_setTempo(&m_generator, DefaultTempo);
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
    midilib_timingClockGenerator_setTempo(&m_generator,
                                          std::clamp<int>(tempo, MIDILIB_Tempo_Min, MIDILIB_Tempo_Max));
}

void MidiTimingClockTransmittionThread::setPlayTimingClockFlag(bool play)
{
    {
        QMutexLocker locker(&m_mutex);
        m_play = play;
        if (play)
            m_condition.wakeAll();
        else
            m_clockCount = 0;
    }
    // Outside the mutex: a slot connected directly may call back into the thread.
    if (play)
        emit blinkLed();
}

void MidiTimingClockTransmittionThread::run()
{
    QMutexLocker locker(&m_mutex);
    m_time.start();
    while (!m_stop) {
        if (m_play) {
            generateClocks();
            // Poll for the next millisecond without the mutex, so that the GUI
            // thread gets it between passes.
            const qint64 last = m_lastElapsed;
            locker.unlock();
            while (m_time.elapsed() == last && m_play && !m_stop) {
            }
            locker.relock();
        } else {
            m_condition.wait(&m_mutex);
            // The time spent stopped produces no clocks.
            m_lastElapsed = m_time.elapsed();
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
