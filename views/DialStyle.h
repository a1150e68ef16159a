#pragma once

#include <QColor>
#include <QMargins>
#include <QSize>

// Look of the dials of the tool views.
// Size of the value text and of the inline entry.
inline const QSize LineEditSize(50, 20);
// The meter ring lies 3 pixels inside the knob square.
inline const QMargins ArcMargin(-3, -3, -3, -3);
inline const QColor StartGradientColorOfKnobMeter(84, 0, 0);
inline const QColor EndGradientColorOfKnobMeter(255, 245, 245);
