#include "services/MidiPlayer.h"

#include "engine/MidiSenderIF.h"
#include "midi/platform/SteadyClock.h"
#include "services/MidiPlayerListenerIF.h"
#include "services/PacedSender.h"
#include "services/SoundingNotes.h"

#include <QDeadlineTimer>
#include <QMutexLocker>

#include <algorithm>

namespace {

const qint64 NanosecondsPerMicrosecond = 1000;
// How far ahead of its due time a short message is handed to a platform
// that places it at its frame: more than a JACK period and a late wake-up.
const qint64 SchedulingLead = 10000;
// A loop takes at least this long, so that a file of no length does not
// flood the port.
const qint64 ShortestLoop = 10000;
const char StartOfExclusive = char(0xF0);

} // namespace

MidiPlayer::MidiPlayer(MidiSenderIF* sender, QObject* parent)
    : QThread(parent)
    , m_pSender(sender)
    , m_pListener(nullptr)
    , m_duration(0)
    , m_from(0)
    , m_startRequested(false)
    , m_quit(false)
    , m_running(false)
    , m_playing(false)
    , m_loop(false)
    , m_rate(0)
    , m_origin(0)
    , m_endedAt(0)
    , m_failures(0)
{
    start();
}

MidiPlayer::~MidiPlayer()
{
    {
        QMutexLocker locker(&m_mutex);
        m_quit = true;
        m_running = false;
        m_condition.wakeAll();
    }
    wait();
}

void MidiPlayer::setMessages(const QVector<MidiFileMessage>& messages, qint64 duration)
{
    QMutexLocker locker(&m_mutex);
    m_messages = messages;
    m_duration = std::max(duration, messages.isEmpty() ? qint64(0) : messages.last().time);
    m_endedAt = 0;
}

void MidiPlayer::setListener(MidiPlayerListenerIF* listener)
{
    QMutexLocker locker(&m_mutex);
    m_pListener = listener;
}

void MidiPlayer::setSystemExclusiveRate(unsigned int bytesPerSecond)
{
    m_rate = bytesPerSecond;
}

void MidiPlayer::setLoop(bool loop)
{
    m_loop = loop;
}

bool MidiPlayer::play(qint64 from)
{
    QMutexLocker locker(&m_mutex);
    if (m_playing)
        return false;
    m_from = std::clamp<qint64>(from, 0, m_duration);
    m_origin = steadyMicroseconds() - m_from;
    m_failures = 0;
    m_running = true;
    m_playing = true;
    m_startRequested = true;
    m_condition.wakeAll();
    return true;
}

void MidiPlayer::stop()
{
    QMutexLocker locker(&m_mutex);
    m_running = false;
    m_condition.wakeAll();
}

bool MidiPlayer::isPlaying() const
{
    return m_playing;
}

qint64 MidiPlayer::position() const
{
    const qint64 duration = this->duration();
    if (!m_playing)
        return std::min(m_endedAt.load(), duration);
    qint64 position = steadyMicroseconds() - m_origin;
    // A loop's next round is counted from before it begins.
    if (position < 0 && m_loop)
        position += std::max(duration, ShortestLoop);
    return std::clamp<qint64>(position, 0, duration);
}

qint64 MidiPlayer::duration() const
{
    QMutexLocker locker(&m_mutex);
    return m_duration;
}

quint64 MidiPlayer::failureCount() const
{
    return m_failures;
}

void MidiPlayer::run()
{
    QMutexLocker locker(&m_mutex);
    while (!m_quit) {
        if (!m_startRequested) {
            m_condition.wait(&m_mutex);
            continue;
        }
        m_startRequested = false;
        const QVector<MidiFileMessage> messages = m_messages;
        const qint64 duration = m_duration;
        const qint64 from = m_from;
        // Sending may wait for the port: nobody else waits for this lock meanwhile.
        locker.unlock();
        SoundingNotes notes;
        const bool reachedEnd = playMessages(messages, duration, from, &notes);
        m_endedAt = reachedEnd ? duration : position();
        silence(notes, !reachedEnd);
        locker.relock();
        m_playing = false;
        locker.unlock();
        emit finished(reachedEnd);
        locker.relock();
    }
}

bool MidiPlayer::playMessages(const QVector<MidiFileMessage>& messages, qint64 duration, qint64 from,
                              SoundingNotes* notes)
{
    const qint64 lead = m_pSender->schedulesByDueTime() ? SchedulingLead : 0;
    qint64 origin = m_pSender->scheduleStart(steadyMicroseconds()) - from;
    m_origin = origin;
    int index = int(std::lower_bound(messages.begin(), messages.end(), from,
                                     [](const MidiFileMessage& message, qint64 time) { return message.time < time; })
                    - messages.begin());
    for (;;) {
        if (index == messages.size()) {
            if (m_loop && !messages.isEmpty()) {
                origin += std::max(duration, ShortestLoop);
                m_origin = origin;
                index = 0;
                continue;
            }
            // Done once the last message is due.
            return waitUntil(messages.isEmpty() ? origin : origin + messages.last().time);
        }
        const QByteArray& message = messages.at(index).bytes;
        const qint64 due = origin + messages.at(index).time;
        if (!waitUntil(due - lead))
            return false;
        if (send(message, index, due))
            notes->take(message);
        ++index;
    }
}

bool MidiPlayer::send(const QByteArray& message, int index, qint64 due)
{
    // Where the platform places messages at their times, System Exclusive
    // goes at its time too, in pieces; elsewhere it goes now, paced.
    const bool scheduled = m_pSender->schedulesByDueTime();
    const bool paced = message.startsWith(StartOfExclusive) && !scheduled;
    if (m_pListener) {
        // What goes at once leaves as a schedule starting now would.
        m_pListener->aboutToSend(index, scheduled ? due : m_pSender->scheduleStart(steadyMicroseconds()));
    }
    const auto* data = reinterpret_cast<const unsigned char*>(message.constData());
    const auto size = std::size_t(message.size());
    bool sent = false;
    if (paced) {
        PacedSender pacer(m_rate, m_running, PacedSender::ProgressFunction());
        sent = m_pSender->transmitMidi(data, size, &pacer);
        // Cut short by a stop: ended with F7 by the engine, and no failure.
        if (!sent && !m_running)
            return false;
    } else {
        sent = m_pSender->transmitMidiAt(data, size, due);
    }
    if (!sent) {
        ++m_failures;
        if (m_pListener)
            m_pListener->sendFailed(index);
    }
    return sent;
}

void MidiPlayer::silence(const SoundingNotes& notes, bool allNotesOff)
{
    for (const QByteArray& message : notes.silencing(allNotesOff)) {
        if (!m_pSender->transmitMidi(reinterpret_cast<const unsigned char*>(message.constData()),
                                     std::size_t(message.size())))
            ++m_failures;
    }
}

bool MidiPlayer::waitUntil(qint64 microseconds)
{
    QMutexLocker locker(&m_mutex);
    for (qint64 left = microseconds - steadyMicroseconds(); m_running && left > 0;
         left = microseconds - steadyMicroseconds()) {
        QDeadlineTimer deadline(Qt::PreciseTimer);
        deadline.setPreciseRemainingTime(0, left * NanosecondsPerMicrosecond, Qt::PreciseTimer);
        m_condition.wait(&m_mutex, deadline);
    }
    return m_running;
}
