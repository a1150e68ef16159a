#pragma once

#include <QImage>
#include <QString>

// Draws every compiled-in image of the application at device pixel ratio 2.0,
// in the strip layouts the controls expect: enabled/disabled halves for tool
// buttons, off/on halves for push buttons, four play/stop frames and ten
// seven-segment digits.
class ImageGenerator
{
public:
    static constexpr qreal DevicePixelRatio = 2.0;

    // Writes every image into the folder; false when one could not be saved.
    static bool writeAll(const QString& folder);

    static QImage fileImage();
    static QImage openImage();
    static QImage diskImage();
    static QImage txImage();
    static QImage rxImage();
    static QImage txrxImage();
    static QImage upArrowButtonImage();
    static QImage downArrowButtonImage();
    static QImage playStopImage();
    static QImage sevenSegmentImage();
    static QImage aboutImage();
    static QImage subWindowIconImage();
};
