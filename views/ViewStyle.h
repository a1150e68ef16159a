#pragma once

#include <QColor>

// Colours and image scale shared by the tool views.
inline const QColor MonitorBackgroundColor(40, 27, 67);
inline const QColor MonitorTextColor(Qt::white);
// Fill of a sounding key of the keyboard view.
inline const QColor KeyboardOnColor(160, 160, 185);
// Every image of the resources is drawn at this device pixel ratio.
inline constexpr qreal DevicePixelRatio = 2.0;
