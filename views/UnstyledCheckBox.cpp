#include "views/UnstyledCheckBox.h"

UnstyledCheckBox::UnstyledCheckBox(QStyle* style)
    : TarvoStyle(style)
{
}

void UnstyledCheckBox::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                     const QWidget* widget) const
{
    if (element == QStyle::PE_IndicatorCheckBox) {
        return;
    }
    TarvoStyle::drawPrimitive(element, option, painter, widget);
}
