#pragma once

#include <QRect>

// The rectangle moved and shrunk as little as needed to lie within area.
QRect fitIntoArea(const QRect& rect, const QRect& area);
