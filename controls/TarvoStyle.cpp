#include "controls/TarvoStyle.h"

TarvoStyle::TarvoStyle(QStyle* style)
    : QProxyStyle(style)
{
}

int TarvoStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    if (metric == QStyle::PM_ScrollBarExtent) {
        return ScrollBarExtent;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

void TarvoStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const
{
    if (element == QStyle::PE_FrameFocusRect) {
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}
