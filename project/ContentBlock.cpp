#include "project/ContentBlock.h"

#include "project/FileStream.h"
#include "project/WindowRestorationInfo.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDataStream>
#include <QIODevice>
#include <QTextCodec>
#include <QtEndian>

#include <initializer_list>

namespace {

using Id = WindowRestorationInfo;
using RecordResult = FileStream::RecordResult;

const int NoTextTag = -1;
// Tags are small: each format keeps its integer tags as bits of a word.
const int TagBits = 32;
// A string record's tag and length come before its text.
const int StringRecordHeaderSize = 8;

struct BlockFormat
{
    int windowId;
    quint32 integerTags;
    int textTag;
};

constexpr quint32 tagSet(std::initializer_list<int> tags)
{
    quint32 bits = 0;
    for (int tag : tags)
        bits |= quint32(1) << tag;
    return bits;
}

const BlockFormat BlockFormats[] = {
    {Id::WindowIdMidiInMonitor, tagSet({ContentBlock::MonitorDecoded}), NoTextTag},
    {Id::WindowIdMidiOutMonitor, tagSet({ContentBlock::MonitorDecoded, ContentBlock::MonitorNoiseHidden}), NoTextTag},
    {Id::WindowIdSystemExclusive, 0, ContentBlock::EditorText},
    {Id::WindowIdKeyboard,
     tagSet({ContentBlock::KeyboardScrollPosition, ContentBlock::KeyboardChannel, ContentBlock::KeyboardVelocity}),
     NoTextTag},
    {Id::WindowIdControlChange,
     tagSet({ContentBlock::ControlChangeChannel, ContentBlock::ControlChangeNumber, ContentBlock::ControlChangeValue,
             ContentBlock::ControlChangeReserved}),
     NoTextTag},
    {Id::WindowIdProgramChange,
     tagSet({ContentBlock::ProgramChangeChannel, ContentBlock::ProgramChangeMsbCheck, ContentBlock::ProgramChangeMsbValue,
             ContentBlock::ProgramChangeLsbCheck, ContentBlock::ProgramChangeLsbValue, ContentBlock::ProgramChangeNumber,
             ContentBlock::ProgramChangeAutoTransmit}),
     NoTextTag},
    {Id::WindowIdTimingClock, tagSet({ContentBlock::TimingClockTempo, ContentBlock::TimingClockPlaying,
                                        ContentBlock::TimingClockStartStop}), NoTextTag},
};

// The windows that keep no content take no record at all.
const BlockFormat NoBlock = {Id::WindowIdUnknown, 0, NoTextTag};

const char* const ProblemFormat = QT_TRANSLATE_NOOP("ContentBlock", "at byte %1 of its block, %2");
const char* const CutShortText = QT_TRANSLATE_NOOP("ContentBlock", "a record is cut short");
const char* const UnknownTagText = QT_TRANSLATE_NOOP("ContentBlock", "a record has the tag %1, which this window does not write");
const char* const RepeatedTagText = QT_TRANSLATE_NOOP("ContentBlock", "the record of tag %1 comes a second time");
const char* const IntegerLengthText = QT_TRANSLATE_NOOP("ContentBlock", "a number record does not have the length 4");
const char* const NegativeLengthText = QT_TRANSLATE_NOOP("ContentBlock", "the text has a negative length");
const char* const BeyondBlockText = QT_TRANSLATE_NOOP("ContentBlock", "the text is longer than the rest of the block");
const char* const ZeroByteText = QT_TRANSLATE_NOOP("ContentBlock", "the text holds a zero byte");
const char* const NotUtf8Text = QT_TRANSLATE_NOOP("ContentBlock", "the text is not UTF-8");

QString translated(const char* text)
{
    return QCoreApplication::translate("ContentBlock", text);
}

const BlockFormat& formatOf(int windowId)
{
    for (const BlockFormat& format : BlockFormats) {
        if (format.windowId == windowId)
            return format;
    }
    return NoBlock;
}

bool hasIntegerTag(const BlockFormat& format, int tag)
{
    return tag >= 0 && tag < TagBits && (format.integerTags >> tag) & 1;
}

bool fail(QString* problem, qint64 offset, const QString& what)
{
    if (problem != nullptr)
        *problem = translated(ProblemFormat).arg(offset).arg(what);
    return false;
}

QString recordProblem(RecordResult result)
{
    switch (result) {
    case RecordResult::IntegerLength:
        return translated(IntegerLengthText);
    case RecordResult::NegativeLength:
        return translated(NegativeLengthText);
    case RecordResult::BeyondEnd:
        return translated(BeyondBlockText);
    case RecordResult::Read:
    case RecordResult::OtherTag:
    case RecordResult::CutShort:
        break;
    }
    return translated(CutShortText);
}

// Text the editor would not hold as it is: Qt would put replacement
// characters in, and a save would write those instead.
bool isUtf8(const QByteArray& bytes)
{
    QTextCodec::ConverterState state;
    QTextCodec::codecForMib(106)->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

} // namespace

bool ContentBlock::exists(int windowId)
{
    return &formatOf(windowId) != &NoBlock;
}

bool ContentBlock::read(int windowId, QDataStream& stream, ContentValues& values, QString* problem)
{
    QIODevice* device = stream.device();
    if (device == nullptr)
        return fail(problem, 0, translated(CutShortText));
    const BlockFormat& format = formatOf(windowId);
    const qint64 start = device->pos();
    ContentValues read;
    quint32 seen = 0;
    while (!stream.atEnd()) {
        const qint64 offset = device->pos() - start;
        // The tag decides which kind of record this is, so it is looked at first.
        const QByteArray tagField = device->peek(sizeof(qint32));
        if (tagField.size() != int(sizeof(qint32)))
            return fail(problem, offset, translated(CutShortText));
        const int tag = stream.byteOrder() == QDataStream::BigEndian ? qFromBigEndian<qint32>(tagField.constData())
                                                                      : qFromLittleEndian<qint32>(tagField.constData());
        const bool isText = tag == format.textTag;
        if (!isText && !hasIntegerTag(format, tag))
            return fail(problem, offset, translated(UnknownTagText).arg(tag));
        const quint32 bit = quint32(1) << tag;
        if (seen & bit)
            return fail(problem, offset, translated(RepeatedTagText).arg(tag));
        seen |= bit;
        if (isText) {
            QByteArray bytes;
            const RecordResult result = FileStream::readStringRecord(stream, tag, bytes);
            if (result != RecordResult::Read)
                return fail(problem, offset, recordProblem(result));
            const int zero = bytes.indexOf('\0');
            if (zero >= 0)
                return fail(problem, offset + StringRecordHeaderSize + zero, translated(ZeroByteText));
            if (!isUtf8(bytes))
                return fail(problem, offset, translated(NotUtf8Text));
            read.text = QString::fromUtf8(bytes);
        } else {
            int value = 0;
            const RecordResult result = FileStream::readIntRecord(stream, tag, value);
            if (result != RecordResult::Read)
                return fail(problem, offset, recordProblem(result));
            read.integers.insert(tag, value);
        }
    }
    values = read;
    return true;
}

bool ContentBlock::write(int windowId, const ContentValues& values, QDataStream& stream)
{
    const BlockFormat& format = formatOf(windowId);
    // A value the format has no record for would be lost without a word.
    if (values.text.has_value() && format.textTag == NoTextTag)
        return false;
    for (auto entry = values.integers.cbegin(); entry != values.integers.cend(); ++entry) {
        if (!hasIntegerTag(format, entry.key()))
            return false;
        FileStream::setIntParameterToStream(stream, entry.key(), entry.value());
    }
    // An empty text still makes a whole record, which reports false.
    if (format.textTag != NoTextTag)
        FileStream::setStringParameterToStream(stream, format.textTag, values.text.value_or(QString()));
    return stream.status() == QDataStream::Ok;
}
