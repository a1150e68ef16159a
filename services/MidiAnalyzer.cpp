#include "services/MidiAnalyzer.h"

#include "app/MainWindow.h"
#include "model/TarvoModel.h"
#include "services/HexText.h"
#include "services/TimeStamp.h"

#include "midilib_data.h"
#include "midilib_event.h"

#include <QLocale>
#include <QMutexLocker>

#include <sys/time.h>

namespace {

const char LineSeparator = '\n';
const char LostLineFormat[] = "-- %1 messages lost: input faster than the program can take --";
const char TooLongLineFormat[] =
    "-- System Exclusive longer than %1 bytes dropped: raise Maximum System Exclusive in MIDI Settings --";
// A longer message shows this many bytes at each end and its length between.
const std::size_t ShortenedHeadBytes = 3;
const std::size_t ShortenedTailBytes = 2;
const char ShortenedGap[] = "\u2026 ";
const char ShortenedLengthFormat[] = "(%1 bytes)";

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

// Sets the filter switch that the filter parameter id controls, if any.
void setFilterSwitch(midilib_filter* filter, unsigned int id, int value)
{
    const uint8_t on = static_cast<uint8_t>(value);
    int eventType = MidiAnalyzer::NoEventType;
    if (id >= ChannelFilterFirstId && id < ChannelFilterFirstId + ChannelFilterCount) {
        midilib_filter_setChannelSwitch(filter, static_cast<int>(id - ChannelFilterFirstId), on);
        return;
    }
    if (id >= ControlChangeFilterFirstId && id < ControlChangeFilterFirstId + ControlChangeFilterCount) {
        midilib_filter_setControllerSwitch(filter, static_cast<int>(id - ControlChangeFilterFirstId), on);
        return;
    }
    if (id >= MessageFilterFirstId && id < MessageFilterFirstId + MessageFilterCount) {
        eventType = MidiAnalyzer::convertMIDILIBEventTypeFromMIDIFilter(
            static_cast<MIDIFilter>(id - MessageFilterFirstId));
    } else if (id >= SystemCommonFilterFirstId && id < SystemCommonFilterFirstId + SystemCommonFilterCount) {
        eventType = MidiAnalyzer::convertMIDILIBEventTypeFromFilterSystemCommon(
            static_cast<FilterSystemCommon>(id - SystemCommonFilterFirstId));
    } else if (id >= SystemRealtimeFilterFirstId && id < SystemRealtimeFilterFirstId + SystemRealtimeFilterCount) {
        eventType = MidiAnalyzer::convertMIDILIBEventTypeFromFilterSystemRealtime(
            static_cast<FilterSystemRealtime>(id - SystemRealtimeFilterFirstId));
    }
    if (eventType != MidiAnalyzer::NoEventType)
        midilib_filter_setEventSwitch(filter, eventType, on);
}

} // namespace

MidiAnalyzer::MidiAnalyzer(TarvoModel* model)
    : m_reader(std::size_t(model->getModelIntValue(MaxSystemExclusiveId)) * BytesPerKiB)
    , m_receivedSysExCount(0)
    , m_receivedCount(0)
    , m_transmittedCount(0)
    , m_notified(false)
    , m_thru(model->getModelIntValue(MidiThruId) != 0)
    , m_transmittedTextWanted(true)
    , m_timeStamp(model->getModelIntValue(TimeStampId) != 0)
    , m_maxSystemExclusive(std::size_t(model->getModelIntValue(MaxSystemExclusiveId)) * BytesPerKiB)
    , m_pModel(model)
{
    midilib_filter_init(&m_filter);
    m_pModel->registerModelAssistant(this);
}

MidiAnalyzer::~MidiAnalyzer()
{
    m_pModel->unregisterModelAssistant(this);
}

void MidiAnalyzer::callbackReceivedMidi(void* user, const unsigned char* data, std::size_t size)
{
    static_cast<MidiAnalyzer*>(user)->receivedMidi(data, size);
}

void MidiAnalyzer::receivedMidi(const unsigned char* data, std::size_t size)
{
    m_reader.setSystemExclusiveLimit(m_maxSystemExclusive);
    m_reader.setData(data, size);
    MidiStreamReader::Message message;
    for (;;) {
        const MidiStreamReader::Result result = m_reader.next(&message);
        if (result == MidiStreamReader::Result::End)
            return;
        if (result == MidiStreamReader::Result::TooLong) {
            appendReceivedTextLine(QString::fromLatin1(TooLongLineFormat).arg(m_maxSystemExclusive));
            continue;
        }
        {
            QMutexLocker locker(&m_mutex);
            if (midilib_filter_apply(&m_filter, message.event) != 0)
                continue;
        }
        char stamp[TimeStampBufferSize];
        const int stampLength = prepareTimeStamp(stamp);
        const unsigned char type = message.event->type;
        if (m_thru && type != MIDILIB_Event_Type_ActiveSensing && MainWindow::m_pInstance != nullptr)
            MainWindow::m_pInstance->transmitMidi(message.data, message.size);
        QMutexLocker locker(&m_mutex);
        if (type == MIDILIB_Event_Type_SystemExclusive
            && convertDisplayFormatFromMidiData(m_receivedSysExText, message.data, message.size, true)) {
            m_receivedSysExCount += static_cast<unsigned int>(message.size);
        }
        // The monitor line of a System Exclusive message is its System
        // Exclusive text without the newlines: the unsplit groups.
        appendLine(m_receivedText, stamp, stampLength, message.data, message.size);
        m_receivedCount += static_cast<unsigned int>(message.size);
        noteData();
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
    appendReceivedTextLine(QString::fromLatin1(LostLineFormat).arg(lost));
}

void MidiAnalyzer::appendReceivedTextLine(const QString& line)
{
    const QByteArray text = line.toUtf8();
    QMutexLocker locker(&m_mutex);
    m_receivedText.append(LineSeparator);
    m_receivedText.append(text);
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
    if (size == 0 || !m_transmittedTextWanted)
        return;
    char stamp[TimeStampBufferSize];
    const int stampLength = prepareTimeStamp(stamp);
    QMutexLocker locker(&m_mutex);
    appendLine(m_transmittedText, stamp, stampLength, data, size);
    m_transmittedCount += size;
    noteData();
}

bool MidiAnalyzer::getMidiData(QByteArray& receivedText, unsigned int& receivedCount,
                               QByteArray& sysExText, unsigned int& sysExCount,
                               QByteArray& transmittedText, unsigned int& transmittedCount)
{
    QMutexLocker locker(&m_mutex);
    receivedText = m_receivedText;
    receivedCount = m_receivedCount;
    sysExText = m_receivedSysExText;
    sysExCount = m_receivedSysExCount;
    transmittedText = m_transmittedText;
    transmittedCount = m_transmittedCount;
    m_receivedText.clear();
    m_receivedCount = 0;
    m_receivedSysExText.clear();
    m_receivedSysExCount = 0;
    m_transmittedText.clear();
    m_transmittedCount = 0;
    // A lost-messages line is text without bytes.
    const bool any = receivedCount != 0 || sysExCount != 0 || transmittedCount != 0 || !receivedText.isEmpty();
    if (!any)
        m_notified = false;
    return any;
}

void MidiAnalyzer::clearTransmittedDataBuffer()
{
    QMutexLocker locker(&m_mutex);
    m_transmittedText.clear();
    m_transmittedCount = 0;
}

void MidiAnalyzer::updateParameter(unsigned int id)
{
    if (id == MidiThruId) {
        m_thru = m_pModel->getModelIntValue(id) != 0;
        return;
    }
    if (id == TimeStampId) {
        m_timeStamp = m_pModel->getModelIntValue(id) != 0;
        return;
    }
    if (id == MaxSystemExclusiveId) {
        m_maxSystemExclusive = std::size_t(m_pModel->getModelIntValue(id)) * BytesPerKiB;
        return;
    }
    MODEL_RESULT result = MODEL_RESULT_ERROR;
    const int value = m_pModel->getModelIntValue(id, &result);
    if (result != MODEL_RESULT_OK)
        return;
    QMutexLocker locker(&m_mutex);
    setFilterSwitch(&m_filter, id, value);
}

bool MidiAnalyzer::getCurrentTime(QString& text)
{
    char stamp[TimeStampBufferSize];
    const int length = prepareTimeStamp(stamp);
    if (length == 0)
        return false;
    text.append(QLatin1String(stamp, length));
    return true;
}

int MidiAnalyzer::formatTimeStamp(char* text, long seconds, long microseconds)
{
    return TimeStamp::format(text, seconds, microseconds);
}

int MidiAnalyzer::prepareTimeStamp(char* text) const
{
    if (!m_timeStamp)
        return 0;
    struct timeval now;
    gettimeofday(&now, nullptr);
    return formatTimeStamp(text, static_cast<long>(now.tv_sec), static_cast<long>(now.tv_usec));
}

void MidiAnalyzer::appendLine(QByteArray& text, const char* stamp, int stampLength,
                              const unsigned char* data, std::size_t size)
{
    text.append(LineSeparator);
    text.append(stamp, stampLength);
    if (size <= MIDILIB_Message_SizeMax) {
        convertDisplayFormatFromMidiData(text, data, size, false);
        return;
    }
    convertDisplayFormatFromMidiData(text, data, ShortenedHeadBytes, false);
    text.append(ShortenedGap);
    convertDisplayFormatFromMidiData(text, data + size - ShortenedTailBytes, ShortenedTailBytes, false);
    text.append(QString::fromLatin1(ShortenedLengthFormat).arg(QLocale(QLocale::English).toString(qulonglong(size))).toLatin1());
}

bool MidiAnalyzer::convertDisplayFormatFromMidiData(QByteArray& text, const unsigned char* data,
                                                    std::size_t size, bool splitAtStatus)
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
