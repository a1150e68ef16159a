#include "services/MonitorLineDecoder.h"

#include <QCoreApplication>

namespace {

const char* const DeltaText = QT_TRANSLATE_NOOP("MonitorLineDecoder", "%1 ms");
const int DeltaWidth = 14;
const int DeltaDecimals = 3;
const int ChannelWidth = 2;
const int KindWidth = 24;
const int ValuesWidth = 44;
const QLatin1String ColumnGap("  ");
const QChar Space = QLatin1Char(' ');
const double MicrosecondsPerMillisecond = 1000.0;

void appendPadded(QString& text, const QString& column, int width)
{
    text += column;
    if (column.size() < width) {
        text += QString(width - column.size(), Space);
    }
}

} // namespace

MonitorLineDecoder::Context MonitorLineDecoder::take(const MidiRecord& record)
{
    Context context;
    if (!record.isMessage()) {
        return context;
    }
    context.comparable = m_previousMicroseconds >= 0;
    context.sincePrevious = record.microseconds - m_previousMicroseconds;
    m_previousMicroseconds = record.microseconds;
    context.channel = m_decoder.stateBefore(record.bytes);
    m_decoder.pass(record.bytes);
    return context;
}

QString MonitorLineDecoder::deltaText(const Context& context)
{
    if (!context.comparable) {
        return QString(DeltaWidth, Space);
    }
    const qint64 delta = context.sincePrevious;
    const QString number = QString::number(delta / MicrosecondsPerMillisecond, 'f', DeltaDecimals);
    const QString text = QCoreApplication::translate("MonitorLineDecoder", DeltaText)
                             .arg(delta >= 0 ? QLatin1Char('+') + number : number);
    return text.rightJustified(DeltaWidth);
}

QString MonitorLineDecoder::decode(const MidiRecord& record, const Context& context, const QString& stamp,
                                   const QString& body) const
{
    if (!record.isMessage()) {
        return body;
    }
    const MidiMessageDecoder::Decoded decoded = m_decoder.describe(record.bytes, record.bytes.size(), context.channel);
    QString text;
    text.reserve(stamp.size() + body.size() + DeltaWidth + KindWidth + ValuesWidth + 3 * ColumnGap.size()
                 + ChannelWidth);
    text += stamp;
    text += deltaText(context);
    text += ColumnGap;
    appendPadded(text, decoded.channel == 0 ? QString() : QString::number(decoded.channel).rightJustified(ChannelWidth),
                 ChannelWidth);
    text += ColumnGap;
    // The words take the kind's and the values' columns together, so the hex
    // bytes line up; values that do not fit follow the bytes instead.
    QString words = decoded.kind;
    if (words.size() < KindWidth) {
        words += QString(KindWidth - words.size(), Space);
    }
    const bool valuesFit = words.size() + decoded.values.size() <= KindWidth + ValuesWidth;
    if (valuesFit) {
        words += decoded.values;
    }
    appendPadded(text, words, KindWidth + ValuesWidth);
    text += ColumnGap;
    text += body.trimmed();
    if (!valuesFit) {
        text += ColumnGap;
        text += decoded.values;
    }
    return text;
}
