#include "views/LatencyHistogram.h"

#include "services/LatencyStatistics.h"
#include "views/ViewStyle.h"

#include <QLocale>
#include <QPainter>

#include <algorithm>

namespace {

const int BinCount = 24;
const QSize PreferredSize(320, 180);
const int Margin = 4;
const int BarGap = 1;
const QColor BarColor(KeyboardOnColor);
const char* const AxisText = QT_TRANSLATE_NOOP("LatencyHistogram", "%1 ms");
const char* const NoTimesText = QT_TRANSLATE_NOOP("LatencyHistogram", "No round trips yet");
const int MillisecondDecimals = 3;

} // namespace

LatencyHistogram::LatencyHistogram(QWidget* parent)
    : QWidget(parent)
    , m_minimum(0.0)
    , m_maximum(0.0)
{
    setMinimumSize(PreferredSize / 2);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void LatencyHistogram::setStatistics(const LatencyStatistics& statistics)
{
    m_bins = statistics.count() > 0 ? statistics.histogram(BinCount) : QVector<int>();
    m_minimum = statistics.minimum();
    m_maximum = statistics.maximum();
    update();
}

QSize LatencyHistogram::sizeHint() const
{
    return PreferredSize;
}

void LatencyHistogram::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), MonitorBackgroundColor);
    painter.setPen(MonitorTextColor);
    const QFontMetrics metrics = painter.fontMetrics();
    const QRect area = rect().adjusted(Margin, Margin + metrics.height(), -Margin, -Margin - metrics.height());
    if (m_bins.isEmpty()) {
        painter.drawText(rect(), Qt::AlignCenter, tr(NoTimesText));
        return;
    }
    const int highest = *std::max_element(m_bins.begin(), m_bins.end());
    const double barWidth = double(area.width()) / m_bins.size();
    for (int bin = 0; bin < m_bins.size(); ++bin) {
        const int height = highest > 0 ? int(double(area.height()) * m_bins.at(bin) / highest) : 0;
        const QRectF bar(area.left() + bin * barWidth, area.bottom() - height + 1, barWidth - BarGap, height);
        painter.fillRect(bar, BarColor);
    }
    const QLocale locale;
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    painter.drawText(QRect(area.left(), Margin, area.width(), metrics.height()), Qt::AlignLeft,
                     locale.toString(highest));
    const QRect axis(area.left(), area.bottom() + 1, area.width(), metrics.height());
    painter.drawText(axis, Qt::AlignLeft, tr(AxisText).arg(locale.toString(m_minimum, 'f', MillisecondDecimals)));
    painter.drawText(axis, Qt::AlignRight, tr(AxisText).arg(locale.toString(m_maximum, 'f', MillisecondDecimals)));
}
