#include "services/HexTextChecker.h"

#include "engine/HexText.h"

#include "MidiLibrary/midilib_status.h"

#include <QCoreApplication>

namespace {

const char* const NotHexadecimalText = QT_TRANSLATE_NOOP("HexTextChecker", "%1 is not a hexadecimal byte");
const char* const StatusInsideExclusiveText =
    QT_TRANSLATE_NOOP("HexTextChecker", "status byte %1 inside System Exclusive (F7 missing?)");
const char* const ExclusiveNotEndedText = QT_TRANSLATE_NOOP("HexTextChecker", "System Exclusive not ended by F7");
const char* const DataWithoutStatusText = QT_TRANSLATE_NOOP("HexTextChecker", "data byte %1 without a status byte");
const char* const StrayEndText = QT_TRANSLATE_NOOP("HexTextChecker", "F7 without a System Exclusive to end");
const char* const UndefinedStatusText = QT_TRANSLATE_NOOP("HexTextChecker", "status byte %1 is undefined");
const char* const IncompleteText = QT_TRANSLATE_NOOP("HexTextChecker", "message %1 is not complete");
const char* const TooLongText =
    QT_TRANSLATE_NOOP("HexTextChecker", "System Exclusive longer than the maximum of %1 bytes (MIDI Settings)");
const char* const HalfByteText = QT_TRANSLATE_NOOP("HexTextChecker", "%1 is half a byte");
const char* const ZeroByteText = QT_TRANSLATE_NOOP("HexTextChecker", "a zero byte: this is not a text file");
const char* const PlaceText = QT_TRANSLATE_NOOP("HexTextChecker", "Line %1, column %2: %3");
const char* const LineText = QT_TRANSLATE_NOOP("HexTextChecker", "Line %1: %2");

const unsigned char StartOfExclusive = 0xF0;
const unsigned char EndOfExclusive = 0xF7;
const unsigned char FirstRealtime = 0xF8;

QString hexByte(unsigned char byte)
{
    return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}

QString translated(const char* text)
{
    return QCoreApplication::translate("HexTextChecker", text);
}

// The byte stream as the sender's parser cuts it into messages.
class MessageTracker
{
public:
    explicit MessageTracker(std::size_t maxSystemExclusive)
        : m_maxSystemExclusive(maxSystemExclusive)
    {
    }

    // False, with the problem, at a byte that cannot be placed.
    bool take(unsigned char byte, int offset, HexTextChecker::Problem* problem)
    {
        if (byte >= FirstRealtime)
            return true;
        if (m_inExclusive) {
            if (++m_exclusiveSize > m_maxSystemExclusive) {
                problem->lineOnly = true;
                return fail(problem, m_messageOffset, translated(TooLongText).arg(m_maxSystemExclusive));
            }
            if (byte == EndOfExclusive) {
                m_inExclusive = false;
                return true;
            }
            if (byte & 0x80u)
                return fail(problem, offset, translated(StatusInsideExclusiveText).arg(hexByte(byte)));
            return true;
        }
        if (byte & 0x80u) {
            if (!isComplete())
                return fail(problem, m_messageOffset, translated(IncompleteText).arg(hexByte(m_status)));
            if (byte == EndOfExclusive)
                return fail(problem, offset, translated(StrayEndText));
            if (byte == StartOfExclusive) {
                m_inExclusive = true;
                m_exclusiveSize = 1;
                m_messageOffset = offset;
                m_runningStatus = 0;
                return true;
            }
            const size_t size = midilib_status_messageSize(byte);
            if (size == 0)
                return fail(problem, offset, translated(UndefinedStatusText).arg(hexByte(byte)));
            start(byte, offset, size);
            // Only channel messages leave a running status behind.
            m_runningStatus = midilib_status_isChannelMessage(byte) ? byte : 0;
            return true;
        }
        if (isComplete()) {
            if (m_runningStatus == 0)
                return fail(problem, offset, translated(DataWithoutStatusText).arg(hexByte(byte)));
            start(m_runningStatus, offset, midilib_status_messageSize(m_runningStatus));
        }
        ++m_have;
        return true;
    }

    bool finish(HexTextChecker::Problem* problem)
    {
        if (m_inExclusive) {
            problem->lineOnly = true;
            return fail(problem, m_messageOffset, translated(ExclusiveNotEndedText));
        }
        if (!isComplete())
            return fail(problem, m_messageOffset, translated(IncompleteText).arg(hexByte(m_status)));
        return true;
    }

private:
    bool isComplete() const { return m_have >= m_needed; }

    void start(unsigned char status, int offset, size_t size)
    {
        m_status = status;
        m_messageOffset = offset;
        m_needed = size - 1;
        m_have = 0;
    }

    static bool fail(HexTextChecker::Problem* problem, int offset, const QString& description)
    {
        problem->offset = offset;
        problem->description = description;
        return false;
    }

    const std::size_t m_maxSystemExclusive;
    std::size_t m_exclusiveSize = 0;
    bool m_inExclusive = false;
    unsigned char m_status = 0;
    unsigned char m_runningStatus = 0;
    int m_messageOffset = 0;
    size_t m_needed = 0;
    size_t m_have = 0;
};

} // namespace

bool HexTextChecker::check(const QString& text, QByteArray* bytes, Problem* problem, std::size_t maxSystemExclusive)
{
    Problem found;
    Problem* report = problem ? problem : &found;
    QByteArray result;
    result.reserve(text.size() / 2);
    MessageTracker tracker(maxSystemExclusive);
    int firstDigit = -1;
    for (int index = 0; index < text.size(); ++index) {
        const QChar c = text.at(index);
        if (HexText::isSeparator(c))
            continue;
        // Named for what it is: printed as part of a pair it would be invisible.
        if (c.isNull()) {
            report->offset = index;
            report->description = translated(ZeroByteText);
            return false;
        }
        if (firstDigit < 0) {
            firstDigit = index;
            continue;
        }
        const int high = HexText::digitValue(text.at(firstDigit));
        const int low = HexText::digitValue(c);
        if (high < 0 || low < 0) {
            report->offset = firstDigit;
            report->description = translated(NotHexadecimalText).arg(QString(text.at(firstDigit)) + c);
            return false;
        }
        const auto byte = static_cast<unsigned char>(high * 16 + low);
        if (!tracker.take(byte, firstDigit, report))
            return false;
        result.append(char(byte));
        firstDigit = -1;
    }
    if (firstDigit >= 0) {
        report->offset = firstDigit;
        report->description = translated(HalfByteText).arg(text.at(firstDigit));
        return false;
    }
    if (!tracker.finish(report))
        return false;
    if (bytes)
        *bytes = result;
    return true;
}

QString HexTextChecker::describe(const Problem& problem, int line, int column)
{
    if (problem.lineOnly)
        return translated(LineText).arg(line).arg(problem.description);
    return translated(PlaceText).arg(line).arg(column).arg(problem.description);
}

QString HexTextChecker::describe(const QString& text, const Problem& problem)
{
    const QString before = text.left(problem.offset);
    int lineStart = 0;
    int line = 1;
    for (int index = 0; index < before.size(); ++index) {
        if (before.at(index) == QLatin1Char('\n') || before.at(index) == QChar::ParagraphSeparator) {
            ++line;
            lineStart = index + 1;
        }
    }
    return describe(problem, line, problem.offset - lineStart + 1);
}
