#pragma once

#include "controls/TarvoStyle.h"

// Draws a check box without its indicator, so that it reads as a label.
class UnstyledCheckBox : public TarvoStyle
{
    Q_OBJECT

public:
    explicit UnstyledCheckBox(QStyle* style = nullptr);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};
