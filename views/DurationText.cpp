#include "views/DurationText.h"

#include <QLocale>

#include <cmath>

namespace {

const qint64 MicrosecondsPerSecond = 1000000;
const qint64 SecondsPerMinute = 60;
const qint64 SecondsPerHour = 3600;
const int TwoDigits = 2;

} // namespace

QString DurationText::of(qint64 microseconds, int decimals)
{
    const qint64 scale = qint64(std::pow(10, decimals));
    // Rounded to the decimals shown, so that 59.9996 s reads 1:00.000.
    const qint64 units = (qMax<qint64>(microseconds, 0) * scale + MicrosecondsPerSecond / 2) / MicrosecondsPerSecond;
    const qint64 seconds = units / scale;
    const QChar zero = QLatin1Char('0');
    QString text = QStringLiteral("%1").arg(seconds % SecondsPerMinute, TwoDigits, 10, zero);
    if (decimals > 0)
        text += QLocale().decimalPoint() + QStringLiteral("%1").arg(units % scale, decimals, 10, zero);
    const qint64 minutes = seconds / SecondsPerMinute % SecondsPerMinute;
    if (seconds < SecondsPerHour)
        return QString::number(minutes) + QLatin1Char(':') + text;
    return QString::number(seconds / SecondsPerHour) + QLatin1Char(':')
        + QStringLiteral("%1").arg(minutes, TwoDigits, 10, zero) + QLatin1Char(':') + text;
}
