#include "services/MonitorLineFormat.h"

#include "engine/HexText.h"
#include "engine/TimeStamp.h"
#include "services/CountText.h"

#include "midilib_constants.h"

#include <QCoreApplication>
#include <QLocale>

namespace {

const char* const LostLineFormat
    = QT_TRANSLATE_NOOP("MonitorLineFormat", "-- %1 messages lost: input faster than the program can take --");
const char* const OneLostLineFormat
    = QT_TRANSLATE_NOOP("MonitorLineFormat", "-- %1 message lost: input faster than the program can take --");
const char* const TooLongLineFormat = QT_TRANSLATE_NOOP(
    "MonitorLineFormat",
    "-- System Exclusive longer than %1 bytes dropped: raise Maximum System Exclusive in MIDI Settings --");
const char* const SentCutShortFormat
    = QT_TRANSLATE_NOOP("MonitorLineFormat", "-- cut short after %1 bytes and ended with F7 --");
const char* const ReceivedCutShortFormat
    = QT_TRANSLATE_NOOP("MonitorLineFormat", "-- System Exclusive cut short by another message after %1 bytes --");
const char* const XrunLineFormat = QT_TRANSLATE_NOOP(
    "MonitorLineFormat", "-- %1 xruns of the MIDI system: a message arriving across one may lack bytes --");
const char* const OneXrunLineFormat = QT_TRANSLATE_NOOP(
    "MonitorLineFormat", "-- %1 xrun of the MIDI system: a message arriving across it may lack bytes --");
const char* const FailedFormat = QT_TRANSLATE_NOOP("MonitorLineFormat", "-- not sent --");
const char* const FailedPartFormat = QT_TRANSLATE_NOOP("MonitorLineFormat", "-- not sent after %1 bytes --");
// A longer message shows this many bytes at each end and its length between.
const int ShortenedHeadBytes = 3;
const int ShortenedTailBytes = 2;
const QChar Ellipsis(0x2026);
const QChar Space = QLatin1Char(' ');
const char* const ShortenedLengthFormat = "(%1 bytes)";
const qint64 MicrosecondsPerSecond = 1000000;

QString translated(const char* text)
{
    return QCoreApplication::translate("MonitorLineFormat", text);
}

QString hexOf(const QByteArray& bytes, int from, int count)
{
    QByteArray text;
    HexText::appendBytes(text, reinterpret_cast<const unsigned char*>(bytes.constData()) + from,
                         static_cast<std::size_t>(count), false);
    return QString::fromLatin1(text);
}

QString messageBody(const QByteArray& bytes)
{
    if (bytes.size() <= MIDILIB_Message_SizeMax)
        return hexOf(bytes, 0, bytes.size());
    return hexOf(bytes, 0, ShortenedHeadBytes) + Ellipsis + Space
        + hexOf(bytes, bytes.size() - ShortenedTailBytes, ShortenedTailBytes)
        + QString::fromLatin1(ShortenedLengthFormat).arg(QLocale(QLocale::English).toString(bytes.size()));
}

} // namespace

QString MonitorLineFormat::stamp(qint64 microseconds)
{
    const qint64 wall = TimeStamp::wallMicroseconds(microseconds);
    char text[TimeStamp::BufferSize];
    const int length = TimeStamp::format(text, long(wall / MicrosecondsPerSecond), long(wall % MicrosecondsPerSecond));
    return QString::fromLatin1(text, length);
}

QString MonitorLineFormat::body(const MidiRecord& record)
{
    switch (record.kind) {
    case MidiRecord::Kind::Message:
        return messageBody(record.bytes);
    case MidiRecord::Kind::Lost:
        return countText(record.count, QString::number(record.count), translated(OneLostLineFormat),
                         translated(LostLineFormat));
    case MidiRecord::Kind::TooLong:
        return translated(TooLongLineFormat).arg(record.count);
    case MidiRecord::Kind::CutShort:
        // A message received ends at the cut; one sent shows what went out.
        if (record.bytes.isEmpty())
            return translated(ReceivedCutShortFormat).arg(record.count);
        return messageBody(record.bytes) + translated(SentCutShortFormat).arg(record.count);
    case MidiRecord::Kind::Failed:
        return messageBody(record.bytes)
            + (record.count > 0 ? translated(FailedPartFormat).arg(record.count) : translated(FailedFormat));
    case MidiRecord::Kind::Xrun:
        return countText(record.count, QString::number(record.count), translated(OneXrunLineFormat),
                         translated(XrunLineFormat));
    }
    return QString();
}

QString MonitorLineFormat::line(const MidiRecord& record, bool stamped)
{
    const bool bytes = !record.bytes.isEmpty();
    return stamped && bytes ? stamp(record.microseconds) + body(record) : body(record);
}
