#include "services/MidiFileReader.h"

#include "services/MidiFileFormat.h"
#include "services/MidiFileTempoMap.h"

#include "midilib_status.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

namespace {

using namespace MidiFileFormat;

const char* const Context = "MidiFileReader";
const char* const DamagedText = QT_TRANSLATE_NOOP("MidiFileReader", "Damaged MIDI file at byte %1: %2");
const char* const NoHeaderText = QT_TRANSLATE_NOOP("MidiFileReader", "no MThd header at the start");
const char* const HeaderSizeText = QT_TRANSLATE_NOOP("MidiFileReader", "header length %1, less than 6");
const char* const HeaderBeyondText = QT_TRANSLATE_NOOP("MidiFileReader", "header length beyond the end of the file");
const char* const UnknownFormatText = QT_TRANSLATE_NOOP("MidiFileReader", "unknown format %1");
const char* const IndependentTracksText = QT_TRANSLATE_NOOP(
    "MidiFileReader", "The MIDI file is of format 2 (independent sequences), which cannot be played as one; only formats 0 and 1 are supported.");
const char* const NoTracksText = QT_TRANSLATE_NOOP("MidiFileReader", "no tracks");
const char* const TooManyTracksText = QT_TRANSLATE_NOOP("MidiFileReader", "%1 tracks, more than the limit of %2");
const char* const SingleTrackText = QT_TRANSLATE_NOOP("MidiFileReader", "format 0 with %1 tracks");
const char* const DivisionText = QT_TRANSLATE_NOOP("MidiFileReader", "division 0x%1 is not valid");
const char* const TrackMissingText = QT_TRANSLATE_NOOP("MidiFileReader", "track %1 of %2 missing");
const char* const ChunkHeaderCutText = QT_TRANSLATE_NOOP("MidiFileReader", "chunk header cut short");
const char* const TrackBeyondText = QT_TRANSLATE_NOOP("MidiFileReader", "track length beyond the end of the file");
const char* const ChunkBeyondText = QT_TRANSLATE_NOOP("MidiFileReader", "chunk length beyond the end of the file");
const char* const NumberTooLongText = QT_TRANSLATE_NOOP("MidiFileReader", "variable-length number of more than 4 bytes");
const char* const EventCutText = QT_TRANSLATE_NOOP("MidiFileReader", "event cut short by the end of the track");
const char* const LengthBeyondText = QT_TRANSLATE_NOOP("MidiFileReader", "event length beyond the end of the track");
const char* const NoRunningStatusText = QT_TRANSLATE_NOOP("MidiFileReader", "data byte 0x%1 without running status");
const char* const StatusInsideText = QT_TRANSLATE_NOOP("MidiFileReader", "status byte 0x%1 inside a channel message");
const char* const NoEventFormText = QT_TRANSLATE_NOOP("MidiFileReader", "status byte 0x%1, which has no event form in a file");
const char* const TempoSizeText = QT_TRANSLATE_NOOP("MidiFileReader", "tempo event of %1 bytes");
const char* const TempoZeroText = QT_TRANSLATE_NOOP("MidiFileReader", "tempo of zero");
const char* const ExclusiveCutText = QT_TRANSLATE_NOOP("MidiFileReader", "System Exclusive not ended before the next message");
const char* const ExclusiveUnendedText = QT_TRANSLATE_NOOP("MidiFileReader", "System Exclusive not ended at the end of the track");
const char* const TickLimitText = QT_TRANSLATE_NOOP("MidiFileReader", "time beyond the limit of %1 ticks");
const char* const TooManyEventsText = QT_TRANSLATE_NOOP("MidiFileReader", "more than %1 messages and tempo changes");
const char* const TooLargeText = QT_TRANSLATE_NOOP("MidiFileReader", "The file is larger than %1 MiB.");
const char* const NotRegularText = QT_TRANSLATE_NOOP("MidiFileReader", "It is not a regular file.");

QString translated(const char* text)
{
    return QCoreApplication::translate(Context, text);
}

// Offsets and counts with thousands separators, whatever the user's locale.
QString number(qint64 value)
{
    return QLocale(QLocale::English).toString(value);
}

QString hex(uint value, int digits)
{
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

bool tooLarge(QString* error)
{
    *error = translated(TooLargeText).arg(MaximumFileSize / (1024 * 1024));
    return false;
}

bool hasId(const char* bytes, const char* id)
{
    return std::equal(bytes, bytes + ChunkIdSize, id);
}

} // namespace

bool MidiFileReader::read(const QByteArray& file, Content* content, QString* error)
{
    if (file.size() > MaximumFileSize)
        return tooLarge(error);
    MidiFileReader reader(file);
    if (reader.readFile(content))
        return true;
    *error = reader.m_error;
    return false;
}

bool MidiFileReader::load(const QString& path, Content* content, QString* error)
{
    const QFileInfo info(path);
    // Opening a FIFO would wait for a writer for ever.
    if (info.exists() && !info.isFile()) {
        *error = translated(NotRegularText);
        return false;
    }
    if (info.size() > MaximumFileSize)
        return tooLarge(error);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    // One byte more than the limit tells a file that grew since.
    const QByteArray bytes = file.read(MaximumFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    return read(bytes, content, error);
}

MidiFileReader::MidiFileReader(const QByteArray& file)
    : m_cursor(file)
    , m_eventCount(0)
    , m_runningStatus(0)
    , m_inExclusive(false)
    , m_exclusiveTick(0)
{
}

bool MidiFileReader::readFile(Content* content)
{
    quint16 trackCount = 0;
    quint16 division = 0;
    if (!readHeader(&trackCount, &division))
        return false;
    quint64 endTick = 0;
    // Whatever follows the last track is no concern of ours.
    for (int track = 0; track < trackCount;) {
        const qint64 chunkOffset = m_cursor.offset();
        if (m_cursor.atEnd())
            return fail(chunkOffset, translated(TrackMissingText).arg(track + 1).arg(trackCount));
        if (m_cursor.remaining() < ChunkHeaderSize)
            return fail(chunkOffset, translated(ChunkHeaderCutText));
        const bool isTrack = hasId(m_cursor.take(ChunkIdSize), TrackId);
        const quint32 length = m_cursor.readUInt32();
        if (length > m_cursor.remaining())
            return fail(chunkOffset + ChunkIdSize, translated(isTrack ? TrackBeyondText : ChunkBeyondText));
        if (!isTrack) {
            m_cursor.skip(length);
            continue;
        }
        const qint64 fileEnd = m_cursor.end();
        m_cursor.setEnd(m_cursor.offset() + length);
        quint64 trackEnd = 0;
        if (!readTrack(&trackEnd))
            return false;
        m_cursor.skip(m_cursor.remaining());
        m_cursor.setEnd(fileEnd);
        endTick = std::max(endTick, trackEnd);
        ++track;
    }

    MidiFileTempoMap tempoMap(division);
    for (const auto& tempo : qAsConst(m_tempos))
        tempoMap.addTempo(tempo.first, tempo.second);
    tempoMap.finish();
    // Tracks were read one after the other: a stable sort keeps track order
    // for equal times.
    std::stable_sort(m_messages.begin(), m_messages.end(),
                     [](const MidiFileMessage& a, const MidiFileMessage& b) { return a.time < b.time; });
    for (MidiFileMessage& message : m_messages)
        message.time = tempoMap.microseconds(quint64(message.time));
    content->messages = std::move(m_messages);
    content->duration = tempoMap.microseconds(endTick);
    return true;
}

bool MidiFileReader::readHeader(quint16* trackCount, quint16* division)
{
    if (m_cursor.remaining() < ChunkHeaderSize || !hasId(m_cursor.take(ChunkIdSize), HeaderId))
        return fail(0, translated(NoHeaderText));
    const qint64 lengthOffset = m_cursor.offset();
    const quint32 length = m_cursor.readUInt32();
    if (length < HeaderDataSize)
        return fail(lengthOffset, translated(HeaderSizeText).arg(length));
    if (length > m_cursor.remaining())
        return fail(lengthOffset, translated(HeaderBeyondText));
    const qint64 formatOffset = m_cursor.offset();
    const quint16 format = m_cursor.readUInt16();
    const qint64 countOffset = m_cursor.offset();
    *trackCount = m_cursor.readUInt16();
    const qint64 divisionOffset = m_cursor.offset();
    *division = m_cursor.readUInt16();
    // A longer header may carry fields of a later version.
    m_cursor.skip(length - HeaderDataSize);

    if (format == IndependentTracksFormat) {
        m_error = translated(IndependentTracksText);
        return false;
    }
    if (format != SingleTrackFormat && format != SimultaneousTracksFormat)
        return fail(formatOffset, translated(UnknownFormatText).arg(format));
    if (*trackCount == 0)
        return fail(countOffset, translated(NoTracksText));
    if (*trackCount > MaximumTrackCount)
        return fail(countOffset, translated(TooManyTracksText).arg(number(*trackCount), number(MaximumTrackCount)));
    if (format == SingleTrackFormat && *trackCount != 1)
        return fail(countOffset, translated(SingleTrackText).arg(*trackCount));
    if (!MidiFileTempoMap::isValidDivision(*division))
        return fail(divisionOffset, translated(DivisionText).arg(hex(*division, 4)));
    return true;
}

bool MidiFileReader::readTrack(quint64* endTick)
{
    m_runningStatus = 0;
    m_inExclusive = false;
    m_exclusive.clear();
    quint64 tick = 0;
    bool ended = false;
    while (!m_cursor.atEnd() && !ended) {
        const qint64 deltaOffset = m_cursor.offset();
        quint32 delta = 0;
        switch (m_cursor.readVariableLength(&delta)) {
        case MidiFileCursor::Number::Read:
            break;
        case MidiFileCursor::Number::TooLong:
            return fail(deltaOffset, translated(NumberTooLongText));
        case MidiFileCursor::Number::Cut:
            return fail(deltaOffset, translated(EventCutText));
        }
        tick += delta;
        if (tick > MaximumTick)
            return fail(deltaOffset, translated(TickLimitText).arg(number(qint64(MaximumTick))));
        if (m_cursor.atEnd())
            return fail(deltaOffset, translated(EventCutText));
        if (!readEvent(tick, &ended))
            return false;
        *endTick = tick;
    }
    if (m_inExclusive)
        return fail(m_cursor.offset(), translated(ExclusiveUnendedText));
    return true;
}

bool MidiFileReader::readEvent(quint64 tick, bool* ended)
{
    const quint8 status = m_cursor.peek();
    if (status == MetaEvent)
        return readMeta(tick, ended);
    if (status == SystemExclusiveEvent || status == EscapeEvent)
        return readExclusive(tick, status);
    if (status > SystemExclusiveEvent)
        return fail(m_cursor.offset(), translated(NoEventFormText).arg(hex(status, 2)));
    if (m_inExclusive)
        return fail(m_cursor.offset(), translated(ExclusiveCutText));
    return readChannelMessage(tick);
}

bool MidiFileReader::readMeta(quint64 tick, bool* ended)
{
    const qint64 eventOffset = m_cursor.offset();
    m_cursor.readByte();
    if (m_cursor.atEnd())
        return fail(eventOffset, translated(EventCutText));
    const quint8 type = m_cursor.readByte();
    quint32 length = 0;
    if (!readLength(eventOffset, &length))
        return false;
    const char* data = m_cursor.take(length);
    if (type == EndOfTrackMeta) {
        *ended = true;
        return true;
    }
    if (type != TempoMeta)
        return true;
    if (length != TempoMetaSize)
        return fail(eventOffset, translated(TempoSizeText).arg(length));
    const quint32 tempo = quint32(quint8(data[0])) << 16 | quint32(quint8(data[1])) << 8 | quint8(data[2]);
    if (tempo == 0)
        return fail(eventOffset, translated(TempoZeroText));
    if (!countEvent(eventOffset))
        return false;
    m_tempos.append({tick, tempo});
    return true;
}

// F0 begins a System Exclusive message; without F7 at its end, F7 events
// carry the rest. An F7 event outside such a message holds bytes to send as
// they are.
bool MidiFileReader::readExclusive(quint64 tick, quint8 kind)
{
    const qint64 eventOffset = m_cursor.offset();
    m_cursor.readByte();
    if (kind == SystemExclusiveEvent && m_inExclusive)
        return fail(eventOffset, translated(ExclusiveCutText));
    quint32 length = 0;
    if (!readLength(eventOffset, &length))
        return false;
    const char* data = m_cursor.take(length);
    const bool endsMessage = length > 0 && quint8(data[length - 1]) == EndOfExclusive;
    if (kind == EscapeEvent && !m_inExclusive)
        return length == 0 || addMessage(eventOffset, tick, QByteArray(data, int(length)));
    if (kind == SystemExclusiveEvent) {
        m_inExclusive = true;
        m_exclusiveTick = tick;
        m_exclusive = QByteArray(1, char(SystemExclusiveEvent));
    }
    m_exclusive.append(data, int(length));
    if (!endsMessage)
        return true;
    m_inExclusive = false;
    QByteArray message;
    message.swap(m_exclusive);
    return addMessage(eventOffset, m_exclusiveTick, message);
}

bool MidiFileReader::readChannelMessage(quint64 tick)
{
    const qint64 eventOffset = m_cursor.offset();
    if (m_cursor.peek() & 0x80)
        m_runningStatus = m_cursor.readByte();
    else if (m_runningStatus == 0)
        return fail(eventOffset, translated(NoRunningStatusText).arg(hex(m_cursor.peek(), 2)));
    const int dataSize = int(midilib_status_messageSize(m_runningStatus)) - 1;
    if (m_cursor.remaining() < dataSize)
        return fail(eventOffset, translated(EventCutText));
    QByteArray message(1, char(m_runningStatus));
    for (int i = 0; i < dataSize; ++i) {
        if (m_cursor.peek() & 0x80)
            return fail(m_cursor.offset(), translated(StatusInsideText).arg(hex(m_cursor.peek(), 2)));
        message.append(char(m_cursor.readByte()));
    }
    return addMessage(eventOffset, tick, message);
}

bool MidiFileReader::readLength(qint64 eventOffset, quint32* length)
{
    const qint64 lengthOffset = m_cursor.offset();
    switch (m_cursor.readVariableLength(length)) {
    case MidiFileCursor::Number::Read:
        break;
    case MidiFileCursor::Number::TooLong:
        return fail(lengthOffset, translated(NumberTooLongText));
    case MidiFileCursor::Number::Cut:
        return fail(eventOffset, translated(EventCutText));
    }
    if (*length > m_cursor.remaining())
        return fail(lengthOffset, translated(LengthBeyondText));
    return true;
}

bool MidiFileReader::addMessage(qint64 eventOffset, quint64 tick, const QByteArray& bytes)
{
    if (!countEvent(eventOffset))
        return false;
    m_messages.append({qint64(tick), bytes});
    return true;
}

bool MidiFileReader::countEvent(qint64 eventOffset)
{
    if (m_eventCount >= MaximumEventCount)
        return fail(eventOffset, translated(TooManyEventsText).arg(number(MaximumEventCount)));
    ++m_eventCount;
    return true;
}

bool MidiFileReader::fail(qint64 offset, const QString& reason)
{
    m_error = translated(DamagedText).arg(number(offset), reason);
    return false;
}
