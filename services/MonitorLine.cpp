#include "services/MonitorLine.h"

#include "services/HexText.h"

namespace {

// "HH:MM:SS:mmm ": positions of the separators and its length.
const int StampLength = 13;
const int StampColons[] = {2, 5, 8};
const int MillisecondsPerSecond = 1000;
const int SecondsPerMinute = 60;
const int MinutesPerHour = 60;
const QChar Colon = QLatin1Char(':');
const QChar Space = QLatin1Char(' ');
const QChar LineBreak = QLatin1Char('\n');
const QChar CountOpening = QLatin1Char('(');
const QChar CountClosing = QLatin1Char(')');
// How the engine begins a line of lost messages.
const char* const LostLinePrefix = "-- ";
const char* const LostLineMarker = " messages lost";

int digitAt(const QString& text, int index)
{
    const QChar character = text.at(index);
    return character.isDigit() ? character.digitValue() : -1;
}

// Milliseconds since midnight of a stamp at the start of text, -1 if there is none.
qint64 stampTime(const QString& text)
{
    if (text.size() < StampLength || text.at(StampLength - 1) != Space) {
        return -1;
    }
    qint64 fields[4] = {};
    int field = 0;
    for (int index = 0; index < StampLength - 1; ++index) {
        if (field < 3 && index == StampColons[field]) {
            if (text.at(index) != Colon) {
                return -1;
            }
            ++field;
            continue;
        }
        const int digit = digitAt(text, index);
        if (digit < 0) {
            return -1;
        }
        fields[field] = fields[field] * 10 + digit;
    }
    return ((fields[0] * MinutesPerHour + fields[1]) * SecondsPerMinute + fields[2]) * MillisecondsPerSecond
        + fields[3];
}

// The digits of "(65,536 bytes)" as a number; separators of any kind are skipped.
qint64 countFrom(const QString& text, int from)
{
    qint64 count = 0;
    for (int index = from; index < text.size() && text.at(index) != CountClosing; ++index) {
        if (text.at(index).isDigit()) {
            count = count * 10 + text.at(index).digitValue();
        } else if (text.at(index) == Space && count > 0) {
            break;
        }
    }
    return count;
}

// The count of a lost-messages line, 0 for any other text.
quint64 lostCountOf(const QStringRef& body)
{
    if (!body.startsWith(QLatin1String(LostLinePrefix))) {
        return 0;
    }
    const int marker = body.indexOf(QLatin1String(LostLineMarker));
    if (marker < 0) {
        return 0;
    }
    bool ok = false;
    const quint64 count = body.mid(3, marker - 3).toULongLong(&ok);
    return ok ? count : 0;
}

} // namespace

MonitorLine MonitorLine::parse(const QString& text)
{
    MonitorLine line;
    line.text = text;
    line.stampMilliseconds = stampTime(text);
    line.stampLength = line.stampMilliseconds < 0 ? 0 : StampLength;

    QByteArray* target = &line.bytes;
    qint64 announced = 0;
    int index = line.stampLength;
    while (index < text.size()) {
        if (text.at(index) == Space) {
            ++index;
            continue;
        }
        int end = index;
        while (end < text.size() && text.at(end) != Space) {
            ++end;
        }
        const int high = end - index == 2 ? HexText::digitValue(text.at(index)) : -1;
        const int low = high < 0 ? -1 : HexText::digitValue(text.at(index + 1));
        if (low >= 0) {
            target->append(char(high * 16 + low));
        } else if (text.at(index) == CountOpening && !line.bytes.isEmpty()) {
            announced = countFrom(text, index + 1);
            break;
        } else if (target == &line.bytes && !line.bytes.isEmpty()) {
            // The mark between the first and the last bytes of a shortened message.
            target = &line.lastBytes;
        } else {
            line.bytes.clear();
            line.lastBytes.clear();
            break;
        }
        index = end;
    }
    const bool shortened = !line.lastBytes.isEmpty() && announced > line.bytes.size() + line.lastBytes.size();
    if (!line.bytes.isEmpty() && (line.lastBytes.isEmpty() || shortened) && (announced == 0 || shortened)) {
        line.size = shortened ? announced : line.bytes.size();
    } else {
        line.bytes.clear();
        line.lastBytes.clear();
        line.lostCount = lostCountOf(line.body());
    }
    return line;
}

QVector<MonitorLine> MonitorLine::parseLines(const QString& text)
{
    QVector<MonitorLine> lines;
    int start = 0;
    while (start <= text.size()) {
        int end = text.indexOf(LineBreak, start);
        if (end < 0) {
            end = text.size();
        }
        if (end > start) {
            lines.append(parse(text.mid(start, end - start)));
        }
        start = end + 1;
    }
    return lines;
}
