#include "services/MonitorLineDecoder.h"

#include "services/MonitorLine.h"

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
const qint64 MicrosecondsPerMillisecond = 1000;
const double MicrosecondsPerMillisecondF = 1000.0;
const qint64 MicrosecondsPerDay = 24LL * 60 * 60 * 1000 * 1000;

void appendPadded(QString& text, const QString& column, int width)
{
    text += column;
    if (column.size() < width) {
        text += QString(width - column.size(), Space);
    }
}

} // namespace

MonitorLineDecoder::Context MonitorLineDecoder::take(const MonitorLine& line, qint64 arrivalMicroseconds)
{
    Context context;
    if (!line.isMessage()) {
        return context;
    }
    const bool fromStamp = line.stampMilliseconds >= 0;
    const qint64 now = fromStamp ? line.stampMilliseconds * MicrosecondsPerMillisecond : arrivalMicroseconds;
    context.comparable = m_previousMicroseconds >= 0 && fromStamp == m_previousFromStamp;
    context.sincePrevious = now - m_previousMicroseconds;
    // Stamps are times of day: a message after midnight follows one before it.
    if (fromStamp && context.sincePrevious < -MicrosecondsPerDay / 2) {
        context.sincePrevious += MicrosecondsPerDay;
    }
    m_previousMicroseconds = now;
    m_previousFromStamp = fromStamp;
    context.channel = m_decoder.stateBefore(line.bytes);
    m_decoder.pass(line.bytes);
    return context;
}

QString MonitorLineDecoder::deltaText(const Context& context)
{
    if (!context.comparable) {
        return QString(DeltaWidth, Space);
    }
    const qint64 delta = context.sincePrevious;
    const QString number = QString::number(delta / MicrosecondsPerMillisecondF, 'f', DeltaDecimals);
    const QString text = QCoreApplication::translate("MonitorLineDecoder", DeltaText)
                             .arg(delta >= 0 ? QLatin1Char('+') + number : number);
    return text.rightJustified(DeltaWidth);
}

QString MonitorLineDecoder::decode(const MonitorLine& line, const Context& context,
                                   const QByteArray& wholeMessage) const
{
    if (!line.isMessage()) {
        return line.text;
    }
    const MidiMessageDecoder::Decoded decoded
        = m_decoder.describe(wholeMessage.isEmpty() ? line.bytes : wholeMessage, line.size, context.channel);
    QString text;
    text.reserve(line.text.size() + DeltaWidth + KindWidth + ValuesWidth + 3 * ColumnGap.size() + ChannelWidth);
    text += line.text.leftRef(line.stampLength);
    text += deltaText(context);
    text += ColumnGap;
    appendPadded(text, decoded.channel == 0 ? QString() : QString::number(decoded.channel).rightJustified(ChannelWidth),
                 ChannelWidth);
    text += ColumnGap;
    appendPadded(text, decoded.kind, KindWidth);
    appendPadded(text, decoded.values, ValuesWidth);
    text += ColumnGap;
    text += line.body().trimmed();
    return text;
}
