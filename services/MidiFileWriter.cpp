#include "services/MidiFileWriter.h"

#include "services/MidiFileFormat.h"

#include "midilib_status.h"

#include <QCoreApplication>
#include <QLocale>

#include <algorithm>

namespace {

using namespace MidiFileFormat;

const char* const Context = "MidiFileWriter";
const char* const NotWholeText = QT_TRANSLATE_NOOP("MidiFileWriter", "Message %1 is not one whole MIDI message.");
const char* const TooLateText = QT_TRANSLATE_NOOP("MidiFileWriter", "Message %1 is later than the %2 hours a MIDI file can hold.");
const char* const EndTooLateText = QT_TRANSLATE_NOOP("MidiFileWriter", "The end is later than the %1 hours a MIDI file can hold.");
const char* const TextTooLateText = QT_TRANSLATE_NOOP("MidiFileWriter", "Text %1 is later than the %2 hours a MIDI file can hold.");
const char* const TooManyText = QT_TRANSLATE_NOOP("MidiFileWriter", "%1 messages are more than the %2 a MIDI file can hold.");
const char* const TooLargeText = QT_TRANSLATE_NOOP("MidiFileWriter", "The MIDI file would be larger than %1 MiB.");

constexpr qint64 MaximumTime = qint64(MaximumTick) * WriterTickMicroseconds;
constexpr qint64 SecondsPerHour = 3600;
constexpr qint64 MicrosecondsPerSecond = 1000000;

QString translated(const char* text)
{
    return QCoreApplication::translate(Context, text);
}

QString number(qint64 value)
{
    return QLocale(QLocale::English).toString(value);
}

QString maximumHours()
{
    return number(MaximumTime / (SecondsPerHour * MicrosecondsPerSecond));
}

bool tooLarge(QString* error)
{
    *error = translated(TooLargeText).arg(MaximumFileSize / (1024 * 1024));
    return false;
}

bool isWholeMessage(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return false;
    const quint8 status = quint8(bytes.front());
    const std::size_t size = midilib_status_messageSize(status);
    if (size == 0)
        return false;
    // Its length and F7 end System Exclusive; what lies between is passed on.
    if (status == SystemExclusiveEvent)
        return bytes.size() >= 2 && quint8(bytes.back()) == EndOfExclusive;
    return std::size_t(bytes.size()) == size
        && std::all_of(bytes.begin() + 1, bytes.end(), [](char byte) { return quint8(byte) < 0x80; });
}

quint64 tickOf(qint64 time)
{
    return quint64((std::max<qint64>(time, 0) + WriterTickMicroseconds / 2) / WriterTickMicroseconds);
}

void appendUInt16(QByteArray& bytes, quint16 value)
{
    bytes.append(char(value >> 8)).append(char(value));
}

void appendUInt32(QByteArray& bytes, quint32 value)
{
    appendUInt16(bytes, quint16(value >> 16));
    appendUInt16(bytes, quint16(value));
}

void appendVariableLength(QByteArray& bytes, quint32 value)
{
    Q_ASSERT(value <= VariableLengthMaximum);
    char groups[VariableLengthMaximumBytes];
    int count = 0;
    do {
        groups[count++] = char(value & 0x7F);
        value >>= 7;
    } while (value);
    while (count > 1)
        bytes.append(char(groups[--count] | 0x80));
    bytes.append(groups[0]);
}

// A delta too large for one number is spread over empty text events.
void appendDelta(QByteArray& bytes, quint64 delta, quint8* runningStatus)
{
    for (; delta > VariableLengthMaximum; delta -= VariableLengthMaximum) {
        appendVariableLength(bytes, VariableLengthMaximum);
        bytes.append(char(MetaEvent)).append(char(TextMeta)).append('\0');
        *runningStatus = 0;
    }
    appendVariableLength(bytes, quint32(delta));
}

void appendMessage(QByteArray& bytes, const QByteArray& message, quint8* runningStatus)
{
    const quint8 status = quint8(message.front());
    if (midilib_status_isChannelMessage(status)) {
        bytes.append(status == *runningStatus ? message.mid(1) : message);
        *runningStatus = status;
        return;
    }
    // Running status ends at System Exclusive and escapes.
    *runningStatus = 0;
    if (status == SystemExclusiveEvent) {
        bytes.append(char(SystemExclusiveEvent));
        appendVariableLength(bytes, quint32(message.size() - 1));
        bytes.append(message.constData() + 1, message.size() - 1);
        return;
    }
    bytes.append(char(EscapeEvent));
    appendVariableLength(bytes, quint32(message.size()));
    bytes.append(message);
}

void appendText(QByteArray& bytes, const QString& text, quint8* runningStatus)
{
    const QByteArray utf8 = text.toUtf8();
    bytes.append(char(MetaEvent)).append(char(TextMeta));
    appendVariableLength(bytes, quint32(utf8.size()));
    bytes.append(utf8);
    *runningStatus = 0;
}

} // namespace

bool MidiFileWriter::write(const QVector<MidiFileMessage>& messages, qint64 endTime, QByteArray* file, QString* error)
{
    return write(messages, QVector<MidiFileText>(), endTime, file, error);
}

bool MidiFileWriter::write(const QVector<MidiFileMessage>& messages, const QVector<MidiFileText>& texts,
                           qint64 endTime, QByteArray* file, QString* error)
{
    // The reader counts the tempo change as well.
    if (messages.size() >= MaximumEventCount) {
        *error = translated(TooManyText).arg(number(messages.size()), number(MaximumEventCount - 1));
        return false;
    }
    if (endTime > MaximumTime) {
        *error = translated(EndTooLateText).arg(maximumHours());
        return false;
    }
    QByteArray track;
    appendVariableLength(track, 0);
    track.append(char(MetaEvent)).append(char(TempoMeta)).append(char(TempoMetaSize));
    track.append(char(WriterTempo >> 16)).append(char(WriterTempo >> 8)).append(char(WriterTempo));

    QVector<MidiFileText> sortedTexts = texts;
    std::stable_sort(sortedTexts.begin(), sortedTexts.end(),
                     [](const MidiFileText& a, const MidiFileText& b) { return a.time < b.time; });
    for (int i = 0; i < sortedTexts.size(); ++i) {
        if (sortedTexts.at(i).time > MaximumTime) {
            *error = translated(TextTooLateText).arg(number(i + 1), maximumHours());
            return false;
        }
    }

    quint64 tick = 0;
    quint8 runningStatus = 0;
    int nextText = 0;
    // The texts up to lastTick, each at its own tick or at the last one written.
    const auto appendTexts = [&](quint64 lastTick) {
        for (; nextText < sortedTexts.size() && tickOf(sortedTexts.at(nextText).time) <= lastTick; ++nextText) {
            const quint64 textTick = std::max(tick, tickOf(sortedTexts.at(nextText).time));
            appendDelta(track, textTick - tick, &runningStatus);
            appendText(track, sortedTexts.at(nextText).text, &runningStatus);
            tick = textTick;
        }
    };
    for (int i = 0; i < messages.size(); ++i) {
        const MidiFileMessage& message = messages.at(i);
        if (!isWholeMessage(message.bytes)) {
            *error = translated(NotWholeText).arg(number(i + 1));
            return false;
        }
        if (message.time > MaximumTime) {
            *error = translated(TooLateText).arg(number(i + 1), maximumHours());
            return false;
        }
        appendTexts(tickOf(message.time));
        const quint64 messageTick = std::max(tick, tickOf(message.time));
        appendDelta(track, messageTick - tick, &runningStatus);
        appendMessage(track, message.bytes, &runningStatus);
        tick = messageTick;
        // Checked as it grows, so that no more than the limit is ever built.
        if (track.size() > MaximumFileSize)
            return tooLarge(error);
    }
    appendTexts(MaximumTick);
    if (track.size() > MaximumFileSize)
        return tooLarge(error);
    appendDelta(track, std::max(tick, tickOf(endTime)) - tick, &runningStatus);
    track.append(char(MetaEvent)).append(char(EndOfTrackMeta)).append('\0');

    QByteArray bytes;
    bytes.append(HeaderId, ChunkIdSize);
    appendUInt32(bytes, HeaderDataSize);
    appendUInt16(bytes, SingleTrackFormat);
    appendUInt16(bytes, 1);
    appendUInt16(bytes, WriterDivision);
    bytes.append(TrackId, ChunkIdSize);
    appendUInt32(bytes, quint32(track.size()));
    bytes.append(track);
    if (bytes.size() > MaximumFileSize)
        return tooLarge(error);
    *file = bytes;
    return true;
}
