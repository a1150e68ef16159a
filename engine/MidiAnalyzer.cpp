#include "engine/MidiAnalyzer.h"

#include "engine/HexText.h"
#include "engine/MidiThruIF.h"
#include "midi/platform/MidiPlatformIF.h"
#include "midi/platform/SteadyClock.h"

#include "midilib_event.h"

#include <QMutexLocker>

namespace {

const int MIDIFilterEventTypes[] = {
    MIDILIB_Event_Type_NoteOff,
    MIDILIB_Event_Type_NoteOn,
    MIDILIB_Event_Type_PolyKeyPressure,
    MidiAnalyzer::NoEventType,
    MIDILIB_Event_Type_ProgramChange,
    MIDILIB_Event_Type_ChannelKeyPressure,
    MIDILIB_Event_Type_PitchBend,
    MIDILIB_Event_Type_SystemExclusive,
    MidiAnalyzer::NoEventType,
    MidiAnalyzer::NoEventType,
};

const int FilterSystemCommonEventTypes[] = {
    MIDILIB_Event_Type_Mtc,
    MIDILIB_Event_Type_SongPositionPointer,
    MIDILIB_Event_Type_SongSelect,
    MIDILIB_Event_Type_TuneRequest,
};

const int FilterSystemRealtimeEventTypes[] = {
    MIDILIB_Event_Type_TimingClock,
    MIDILIB_Event_Type_Start,
    MIDILIB_Event_Type_Continue,
    MIDILIB_Event_Type_Stop,
    MIDILIB_Event_Type_ActiveSensing,
    MIDILIB_Event_Type_SystemReset,
};

template <int Count>
int eventTypeAt(const int (&table)[Count], int index)
{
    if (index < 0 || index >= Count)
        return MidiAnalyzer::NoEventType;
    return table[index];
}

} // namespace

MidiAnalyzer::MidiAnalyzer(std::size_t maxSystemExclusive)
    : m_reader(maxSystemExclusive)
    , m_notified(false)
    , m_pThru(nullptr)
    , m_transmittedWanted(true)
    , m_maxSystemExclusive(maxSystemExclusive)
    , m_pPassing(nullptr)
    , m_passed(0)
    , m_exclusiveHidden(false)
    , m_lost(0)
    , m_tooLong(0)
    , m_cutShort(0)
{
    midilib_filter_init(&m_filter);
}

void MidiAnalyzer::callbackReceivedMidi(void* user, const unsigned char* data, std::size_t size,
                                        std::int64_t microseconds)
{
    static_cast<MidiAnalyzer*>(user)->receivedMidi(data, size, microseconds);
}

void MidiAnalyzer::receivedMidi(const unsigned char* data, std::size_t size, std::int64_t microseconds)
{
    noteXruns(microseconds, m_reader.inSystemExclusive());
    const std::size_t limit = m_maxSystemExclusive;
    m_reader.setSystemExclusiveLimit(limit);
    m_reader.setData(data, size);
    MidiThruIF* thru = m_pThru;
    if (m_pPassing != thru) {
        // Thru went off in the middle of a message.
        endPassing(false);
    }
    MidiStreamReader::Message message;
    for (;;) {
        const bool wasInExclusive = m_reader.inSystemExclusive();
        const std::uint64_t unfinished = m_reader.unfinishedCount();
        const MidiStreamReader::Result result = m_reader.next(&message);
        const bool passed = passSystemExclusive(thru, wasInExclusive, m_reader.unfinishedCount() != unfinished,
                                                result, message, microseconds);
        if (result == MidiStreamReader::Result::End)
            return;
        if (result == MidiStreamReader::Result::TooLong) {
            ++m_tooLong;
            appendReceived(MidiRecord{microseconds, MidiRecord::Kind::TooLong, limit, QByteArray()});
            continue;
        }
        {
            QMutexLocker locker(&m_mutex);
            if (midilib_filter_apply(&m_filter, message.event) != 0)
                continue;
        }
        const unsigned char type = message.event->type;
        if (thru && !passed && type != MIDILIB_Event_Type_ActiveSensing)
            thru->passMessage(message.data, message.size);
        appendReceived(MidiRecord{microseconds, MidiRecord::Kind::Message, 0,
                                  QByteArray(reinterpret_cast<const char*>(message.data), int(message.size))});
    }
}

bool MidiAnalyzer::passSystemExclusive(MidiThruIF* thru, bool wasInExclusive, bool cut,
                                       MidiStreamReader::Result result, const MidiStreamReader::Message& message,
                                       std::int64_t microseconds)
{
    const bool inExclusive = m_reader.inSystemExclusive();
    if (cut) {
        // Another status byte ended a message unfinished; it may have begun
        // in this very chunk.
        if (!(wasInExclusive ? m_exclusiveHidden : hidesSystemExclusive())) {
            ++m_cutShort;
            appendReceived(MidiRecord{microseconds, MidiRecord::Kind::CutShort, m_reader.systemExclusiveSize(),
                                      QByteArray()});
        }
        endPassing(false);
    }
    if (inExclusive && (!wasInExclusive || cut)) {
        // A message begins that goes on in a later chunk: passed on as it arrives.
        m_exclusiveHidden = hidesSystemExclusive();
        m_pPassing = m_exclusiveHidden ? nullptr : thru;
        m_passed = 0;
    }
    if (!m_pPassing)
        return false;
    if (result == MidiStreamReader::Result::TooLong || m_reader.systemExclusiveOverflowed()) {
        // Beyond the maximum: what went on ends here.
        endPassing(false);
        return false;
    }
    const bool complete = result == MidiStreamReader::Result::Message
        && message.event->type == MIDILIB_Event_Type_SystemExclusive;
    if (!inExclusive && !complete)
        return false;
    const std::size_t arrived = complete ? message.size : m_reader.systemExclusiveSize();
    const unsigned char* bytes = complete ? message.data : m_reader.systemExclusiveData();
    if (arrived > m_passed && !m_pPassing->passPiece(bytes + m_passed, arrived - m_passed)) {
        m_pPassing = nullptr;
        return false;
    }
    m_passed = arrived;
    if (complete)
        endPassing(true);
    return complete;
}

bool MidiAnalyzer::hidesSystemExclusive()
{
    midilib_event exclusive{};
    exclusive.type = MIDILIB_Event_Type_SystemExclusive;
    exclusive.channel = MIDILIB_NoChannel;
    QMutexLocker locker(&m_mutex);
    return midilib_filter_apply(&m_filter, &exclusive) != 0;
}

void MidiAnalyzer::endPassing(bool complete)
{
    if (m_pPassing)
        m_pPassing->endPieces(complete);
    m_pPassing = nullptr;
}

void MidiAnalyzer::callbackLostMidi(void* user, std::uint64_t count)
{
    static_cast<MidiAnalyzer*>(user)->lostMidi(count);
}

void MidiAnalyzer::lostMidi(std::uint64_t count)
{
    // A System Exclusive message that lost its middle is lost as well, and
    // what Thru passed of it ends here.
    const std::uint64_t lost = count + (m_reader.abandonSystemExclusive() ? 1 : 0);
    endPassing(false);
    m_lost += lost;
    appendReceived(MidiRecord{steadyMicroseconds(), MidiRecord::Kind::Lost, lost, QByteArray()});
}

void MidiAnalyzer::setXrunSource(const MidiPlatformIF* platform)
{
    m_pXrunSource = platform;
    m_xrunsSeen = platform ? platform->xrunCount() : 0;
}

void MidiAnalyzer::noteXruns(std::int64_t microseconds, bool inMessage)
{
    if (!m_pXrunSource)
        return;
    // Only a message arriving across an xrun can have lost its middle; the
    // others (a client joining the graph causes one) are counted by the
    // platform alone.
    const std::uint64_t now = m_pXrunSource->xrunCount();
    if (now > m_xrunsSeen && inMessage)
        appendReceived(MidiRecord{microseconds, MidiRecord::Kind::Xrun, now - m_xrunsSeen, QByteArray()});
    m_xrunsSeen = now;
}

void MidiAnalyzer::appendReceived(MidiRecord record)
{
    QMutexLocker locker(&m_mutex);
    m_records.received.append(std::move(record));
    noteData();
}

void MidiAnalyzer::noteData()
{
    if (!m_notified && m_notifier) {
        m_notified = true;
        m_notifier();
    }
}

void MidiAnalyzer::setDataNotifier(std::function<void()> notifier)
{
    QMutexLocker locker(&m_mutex);
    m_notifier = std::move(notifier);
    m_notified = false;
}

void MidiAnalyzer::setTransmittedMidiData(const unsigned char* data, std::size_t size)
{
    setTransmittedMidiData(data, size, steadyMicroseconds());
}

void MidiAnalyzer::setTransmittedMidiData(const unsigned char* data, std::size_t size, std::int64_t microseconds)
{
    if (size == 0 || !m_transmittedWanted)
        return;
    appendTransmitted(MidiRecord{microseconds, MidiRecord::Kind::Message, 0,
                                 QByteArray(reinterpret_cast<const char*>(data), int(size))});
}

void MidiAnalyzer::recordTransmitted(MidiRecord::Kind kind, quint64 count, const QByteArray& bytes)
{
    if (m_transmittedWanted)
        appendTransmitted(MidiRecord{steadyMicroseconds(), kind, count, bytes});
}

void MidiAnalyzer::appendTransmitted(MidiRecord record)
{
    QMutexLocker locker(&m_mutex);
    m_records.transmitted.append(std::move(record));
    noteData();
}

MidiAnalyzer::Losses MidiAnalyzer::losses() const
{
    Losses losses;
    losses.lost = m_lost;
    losses.tooLong = m_tooLong;
    losses.cutShort = m_cutShort;
    return losses;
}

bool MidiAnalyzer::getMidiData(Records& records)
{
    records.received.clear();
    records.transmitted.clear();
    QMutexLocker locker(&m_mutex);
    std::swap(records, m_records);
    const bool any = !records.received.isEmpty() || !records.transmitted.isEmpty();
    if (!any)
        m_notified = false;
    return any;
}

void MidiAnalyzer::clearTransmittedDataBuffer()
{
    QMutexLocker locker(&m_mutex);
    m_records.transmitted.clear();
}

void MidiAnalyzer::setThru(MidiThruIF* thru)
{
    m_pThru = thru;
}

void MidiAnalyzer::setChannelSwitch(int channel, bool hidden)
{
    QMutexLocker locker(&m_mutex);
    midilib_filter_setChannelSwitch(&m_filter, channel, hidden ? 1 : 0);
}

void MidiAnalyzer::setControllerSwitch(int controller, bool hidden)
{
    QMutexLocker locker(&m_mutex);
    midilib_filter_setControllerSwitch(&m_filter, controller, hidden ? 1 : 0);
}

void MidiAnalyzer::setEventSwitch(int eventType, bool hidden)
{
    if (eventType == NoEventType)
        return;
    QMutexLocker locker(&m_mutex);
    midilib_filter_setEventSwitch(&m_filter, eventType, hidden ? 1 : 0);
}

bool MidiAnalyzer::convertDisplayFormatFromMidiData(QByteArray& text, const unsigned char* data, std::size_t size,
                                                    bool splitAtStatus)
{
    if (size == 0)
        return false;
    HexText::appendBytes(text, data, size, splitAtStatus);
    return true;
}

int MidiAnalyzer::convertMIDILIBEventTypeFromMIDIFilter(MIDIFilter index)
{
    return eventTypeAt(MIDIFilterEventTypes, index);
}

int MidiAnalyzer::convertMIDILIBEventTypeFromFilterSystemCommon(FilterSystemCommon index)
{
    return eventTypeAt(FilterSystemCommonEventTypes, index);
}

int MidiAnalyzer::convertMIDILIBEventTypeFromFilterSystemRealtime(FilterSystemRealtime index)
{
    return eventTypeAt(FilterSystemRealtimeEventTypes, index);
}
