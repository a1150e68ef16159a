#include "services/LatencyProbe.h"

#include "engine/MidiStreamReader.h"
#include "midi/platform/SteadyClock.h"

#include <QMutexLocker>

#include <algorithm>

namespace {

const char* const NotOneMessageText = "A probe is one whole MIDI message.";
const char* const ActiveSensingText = "Active Sensing cannot be a probe: devices send it on their own.";
const char ActiveSensing = char(0xFE);
const char NoteOn = char(0x90);
const char NoteOff = char(0x80);
const char MiddleC = 0x3C;
const char ReleaseVelocity = 0x40;
const int VelocityCount = 127;
const qint64 MicrosecondsPerMillisecond = 1000;
const qint64 ShortestTimeout = 1000000;
const int TimeoutIntervals = 10;
const int TimeoutCheckMilliseconds = 50;

} // namespace

bool LatencyProbe::isProbe(const QByteArray& message, QString* error)
{
    if (message.size() == 1 && message.front() == ActiveSensing) {
        *error = QLatin1String(ActiveSensingText);
        return false;
    }
    MidiStreamReader reader(std::size_t(message.size()));
    reader.setData(reinterpret_cast<const unsigned char*>(message.constData()), std::size_t(message.size()));
    MidiStreamReader::Message first;
    MidiStreamReader::Message second;
    const bool one = reader.next(&first) == MidiStreamReader::Result::Message
        && QByteArray(reinterpret_cast<const char*>(first.data), int(first.size)) == message
        && reader.next(&second) == MidiStreamReader::Result::End;
    if (!one)
        *error = QLatin1String(NotOneMessageText);
    return one;
}

qint64 LatencyProbe::timeout(int intervalMilliseconds)
{
    return std::max(ShortestTimeout, TimeoutIntervals * intervalMilliseconds * MicrosecondsPerMillisecond);
}

LatencyProbe::LatencyProbe(MidiSenderIF* sender, QObject* parent)
    : QObject(parent)
    , m_messagesPerProbe(0)
    , m_timeout(0)
    , m_firstOpen(0)
    , m_lost(0)
    , m_running(false)
    , m_sendingEnded(false)
    , m_player(sender)
{
    m_player.setListener(this);
    m_timeoutTimer.setInterval(TimeoutCheckMilliseconds);
    connect(&m_timeoutTimer, &QTimer::timeout, this, &LatencyProbe::checkTimeouts);
    connect(&m_player, &MidiPlayer::finished, this, &LatencyProbe::sendingFinished);
}

bool LatencyProbe::start(const QByteArray& probe, int count, int intervalMilliseconds)
{
    if (m_running || m_player.isPlaying())
        return false;
    m_probe = probe;
    m_messagesPerProbe = probe.isEmpty() ? 2 : 1;
    m_timeout = timeout(intervalMilliseconds);
    const qint64 interval = intervalMilliseconds * MicrosecondsPerMillisecond;
    QVector<MidiFileMessage> schedule;
    for (int index = 0; index < count; ++index) {
        schedule.append(MidiFileMessage{index * interval, expected(index)});
        if (probe.isEmpty())
            schedule.append(MidiFileMessage{index * interval, QByteArray(1, NoteOff) + MiddleC + ReleaseVelocity});
    }
    {
        QMutexLocker locker(&m_mutex);
        m_due.fill(-1, count);
        m_failed.fill(false, count);
    }
    m_state.fill(State::Waiting, count);
    m_firstOpen = 0;
    m_roundTrips.clear();
    m_lost = 0;
    m_running = true;
    m_sendingEnded = false;
    m_player.setMessages(schedule, schedule.isEmpty() ? 0 : schedule.last().time);
    m_player.play();
    m_timeoutTimer.start();
    return true;
}

void LatencyProbe::stop()
{
    m_player.stop();
}

QByteArray LatencyProbe::expected(int probe) const
{
    if (!m_probe.isEmpty())
        return m_probe;
    return QByteArray(1, NoteOn) + MiddleC + char(1 + probe % VelocityCount);
}

void LatencyProbe::aboutToSend(int index, qint64 due)
{
    if (index % m_messagesPerProbe != 0)
        return;
    QMutexLocker locker(&m_mutex);
    m_due[index / m_messagesPerProbe] = due;
}

void LatencyProbe::sendFailed(int index)
{
    if (index % m_messagesPerProbe != 0)
        return;
    QMutexLocker locker(&m_mutex);
    m_failed[index / m_messagesPerProbe] = true;
}

void LatencyProbe::takeRecords(const MidiRecords& records)
{
    if (!m_running)
        return;
    QMutexLocker locker(&m_mutex);
    bool changed = false;
    for (const MidiRecord& record : records) {
        if (!record.isMessage())
            continue;
        for (int probe = m_firstOpen; probe < m_state.size() && m_due.at(probe) >= 0; ++probe) {
            if (m_state.at(probe) != State::Waiting || m_failed.at(probe) || m_due.at(probe) > record.microseconds
                || record.bytes != expected(probe))
                continue;
            m_state[probe] = State::Back;
            m_roundTrips.append(record.microseconds - m_due.at(probe));
            changed = true;
            break;
        }
    }
    locker.unlock();
    if (changed)
        emit progressed();
    finishWhenDone();
}

void LatencyProbe::checkTimeouts()
{
    const qint64 now = steadyMicroseconds();
    QMutexLocker locker(&m_mutex);
    bool changed = false;
    for (int probe = m_firstOpen; probe < m_state.size() && m_due.at(probe) >= 0; ++probe) {
        if (m_state.at(probe) != State::Waiting)
            continue;
        if (m_failed.at(probe)) {
            m_state[probe] = State::NotSent;
        } else if (now - m_due.at(probe) > m_timeout) {
            m_state[probe] = State::Lost;
            ++m_lost;
            changed = true;
        }
    }
    locker.unlock();
    if (changed)
        emit progressed();
    finishWhenDone();
}

void LatencyProbe::sendingFinished(bool reachedEnd)
{
    m_sendingEnded = true;
    if (!m_running)
        return;
    // After a stop nothing more is waited for.
    if (!reachedEnd) {
        for (State& state : m_state) {
            if (state == State::Waiting)
                state = State::NotSent;
        }
    }
    finishWhenDone();
}

void LatencyProbe::finishWhenDone()
{
    while (m_firstOpen < m_state.size() && m_state.at(m_firstOpen) != State::Waiting)
        ++m_firstOpen;
    if (!m_running || !m_sendingEnded || m_firstOpen < m_state.size())
        return;
    m_running = false;
    m_timeoutTimer.stop();
    emit finished();
}
