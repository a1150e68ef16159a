#pragma once

#include <QProxyStyle>

constexpr int ScrollBarExtent = 18;

// The application's style: wider scroll bars and no focus frames.
class TarvoStyle : public QProxyStyle
{
    Q_OBJECT

public:
    explicit TarvoStyle(QStyle* style = nullptr);

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};
