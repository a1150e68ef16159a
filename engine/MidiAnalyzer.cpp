#include "engine/MidiAnalyzer.h"

#include "engine/HexText.h"
#include "engine/MidiSenderIF.h"
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
    const std::size_t limit = m_maxSystemExclusive;
    m_reader.setSystemExclusiveLimit(limit);
    m_reader.setData(data, size);
    MidiStreamReader::Message message;
    for (;;) {
        const MidiStreamReader::Result result = m_reader.next(&message);
        if (result == MidiStreamReader::Result::End)
            return;
        if (result == MidiStreamReader::Result::TooLong) {
            appendReceived(MidiRecord{microseconds, MidiRecord::Kind::TooLong, limit, QByteArray()});
            continue;
        }
        {
            QMutexLocker locker(&m_mutex);
            if (midilib_filter_apply(&m_filter, message.event) != 0)
                continue;
        }
        MidiSenderIF* thru = m_pThru;
        if (thru && message.event->type != MIDILIB_Event_Type_ActiveSensing)
            thru->transmitMidi(message.data, message.size);
        appendReceived(MidiRecord{microseconds, MidiRecord::Kind::Message, 0,
                                  QByteArray(reinterpret_cast<const char*>(message.data), int(message.size))});
    }
}

void MidiAnalyzer::callbackLostMidi(void* user, std::uint64_t count)
{
    static_cast<MidiAnalyzer*>(user)->lostMidi(count);
}

void MidiAnalyzer::lostMidi(std::uint64_t count)
{
    // A System Exclusive message that lost its middle is lost as well.
    const std::uint64_t lost = count + (m_reader.abandonSystemExclusive() ? 1 : 0);
    appendReceived(MidiRecord{steadyMicroseconds(), MidiRecord::Kind::Lost, lost, QByteArray()});
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
    MidiRecord record{microseconds, MidiRecord::Kind::Message, 0,
                      QByteArray(reinterpret_cast<const char*>(data), int(size))};
    QMutexLocker locker(&m_mutex);
    m_records.transmitted.append(std::move(record));
    noteData();
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

void MidiAnalyzer::setThru(MidiSenderIF* sender, bool on)
{
    m_pThru = on ? sender : nullptr;
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
