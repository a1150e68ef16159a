#include "app/WindowPlacement.h"

#include <algorithm>

QRect fitIntoArea(const QRect& rect, const QRect& area)
{
    if (area.isEmpty())
        return rect;
    const int width = std::clamp(rect.width(), 0, area.width());
    const int height = std::clamp(rect.height(), 0, area.height());
    const int x = std::clamp(rect.x(), area.left(), area.left() + area.width() - width);
    const int y = std::clamp(rect.y(), area.top(), area.top() + area.height() - height);
    return QRect(x, y, width, height);
}
