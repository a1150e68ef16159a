#pragma once

#include <QColor>

// Colours shared by the tool views.
inline const QColor MonitorBackgroundColor(40, 27, 67);
inline const QColor MonitorTextColor(Qt::white);
