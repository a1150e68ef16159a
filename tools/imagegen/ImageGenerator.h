#pragma once

#include <QImage>
#include <QPainterPath>
#include <QList>
#include <QString>

class QPainter;

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

    // The desktop icons: the application's and the project file's. Both are
    // drawn on a square of IconUnits, which the PNGs scale to their size.
    static constexpr int IconUnits = 256;
    static const QList<int> IconPixelSizes;
    static void drawApplicationIcon(QPainter& painter);
    static void drawProjectFileIcon(QPainter& painter);
    static QPainterPath foldedPage(const QRectF& rect, qreal fold);
    // Writes <name>.svg and <name>-<size>.png of both icons into the folder.
    static bool writeIcons(const QString& folder);
};
