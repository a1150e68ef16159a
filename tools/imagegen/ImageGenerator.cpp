#include "ImageGenerator.h"

#include <QDir>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSvgGenerator>
#include <cmath>
#include <functional>

namespace {

const QColor EnabledInk(40, 27, 67);
const QColor EnabledAccent(0, 122, 204);
const QColor DisabledInk(170, 170, 170);
const QColor DisabledAccent(200, 200, 200);
const QSize ToolIconSize(32, 32);

using Drawing = std::function<void(QPainter&, const QColor& ink, const QColor& accent)>;

QImage newImage(const QSize& logicalSize)
{
    QImage image(logicalSize * ImageGenerator::DevicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ImageGenerator::DevicePixelRatio);
    image.fill(Qt::transparent);
    return image;
}

// Two frames side by side; frame i is drawn with its origin moved to its left edge.
QImage strip(const QSize& frameSize, int frames, const std::function<void(QPainter&, int frame)>& draw)
{
    QImage image = newImage(QSize(frameSize.width() * frames, frameSize.height()));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int frame = 0; frame < frames; ++frame) {
        painter.save();
        painter.translate(frameSize.width() * frame, 0);
        draw(painter, frame);
        painter.restore();
    }
    return image;
}

// Left half enabled, right half disabled.
QImage toolIcon(const Drawing& draw)
{
    return strip(ToolIconSize, 2, [&](QPainter& painter, int frame) {
        if (frame == 0)
            draw(painter, EnabledInk, EnabledAccent);
        else
            draw(painter, DisabledInk, DisabledAccent);
    });
}

QPen pen(const QColor& color, qreal width)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawArrow(QPainter& painter, const QPointF& from, const QPointF& to, const QColor& color)
{
    painter.setPen(pen(color, 2.5));
    painter.drawLine(from, to);
    const qreal direction = to.x() > from.x() ? -1.0 : 1.0;
    painter.drawLine(to, to + QPointF(5.0 * direction, -4.0));
    painter.drawLine(to, to + QPointF(5.0 * direction, 4.0));
}

void drawLabel(QPainter& painter, const QRectF& rect, const QString& text, const QColor& color)
{
    QFont font;
    font.setPixelSize(10);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignCenter, text);
}

void drawPortBox(QPainter& painter, const QColor& ink)
{
    painter.setPen(pen(ink, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(4.5, 4.5, 23, 23), 4, 4);
}

QImage arrowButton(bool up)
{
    // Left half released, right half pressed.
    return strip(QSize(14, 24), 2, [up](QPainter& painter, int frame) {
        const bool pressed = frame == 1;
        QLinearGradient face(0, 0, 0, 24);
        face.setColorAt(0, pressed ? QColor(90, 90, 110) : QColor(235, 235, 240));
        face.setColorAt(1, pressed ? QColor(60, 60, 80) : QColor(190, 190, 200));
        painter.setPen(pen(QColor(80, 80, 90), 1));
        painter.setBrush(face);
        painter.drawRoundedRect(QRectF(0.5, 0.5, 13, 23), 2, 2);
        QPainterPath triangle;
        if (up) {
            triangle.moveTo(7, 8);
            triangle.lineTo(11, 15);
            triangle.lineTo(3, 15);
        } else {
            triangle.moveTo(3, 9);
            triangle.lineTo(11, 9);
            triangle.lineTo(7, 16);
        }
        triangle.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(pressed ? QColor(255, 255, 255) : QColor(40, 27, 67));
        painter.drawPath(triangle);
    });
}

// Segments a..g of one digit, as in the usual seven-segment lettering.
const char* const DigitSegments[10] = {
    "abcdef", "bc", "abdeg", "abcdg", "bcfg", "acdfg", "acdefg", "abc", "abcdefg", "abcdfg",
};

void drawSegment(QPainter& painter, char segment, bool lit)
{
    const qreal left = 6, right = 30, top = 5, middle = 24, bottom = 43, thick = 4;
    QRectF rect;
    switch (segment) {
    case 'a': rect = QRectF(left + thick, top, right - left - 2 * thick, thick); break;
    case 'b': rect = QRectF(right - thick, top + thick, thick, middle - top - 1.5 * thick); break;
    case 'c': rect = QRectF(right - thick, middle + thick / 2, thick, bottom - middle - 1.5 * thick); break;
    case 'd': rect = QRectF(left + thick, bottom - thick, right - left - 2 * thick, thick); break;
    case 'e': rect = QRectF(left, middle + thick / 2, thick, bottom - middle - 1.5 * thick); break;
    case 'f': rect = QRectF(left, top + thick, thick, middle - top - 1.5 * thick); break;
    default: rect = QRectF(left + thick, middle - thick / 2, right - left - 2 * thick, thick); break;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(lit ? QColor(255, 60, 40) : QColor(70, 20, 20));
    painter.drawRoundedRect(rect, 1.5, 1.5);
}

// A five-pin MIDI socket: a light ring, a dark face and the pins in the upper
// half, the way the About picture draws it.
void drawSocket(QPainter& painter, const QPointF& centre, qreal radius)
{
    QRadialGradient ring(centre, radius);
    ring.setColorAt(0.75, QColor(235, 235, 245));
    ring.setColorAt(1, QColor(160, 160, 185));
    painter.setPen(Qt::NoPen);
    painter.setBrush(ring);
    painter.drawEllipse(centre, radius, radius);
    painter.setBrush(EnabledInk);
    painter.drawEllipse(centre, radius * 0.8, radius * 0.8);
    painter.setBrush(QColor(235, 235, 245));
    for (int pin = 0; pin < 5; ++pin) {
        const qreal angle = (180.0 + 45.0 * pin) * M_PI / 180.0;
        painter.drawEllipse(centre + QPointF(radius * 0.52 * std::cos(angle), radius * 0.52 * std::sin(angle)),
                            radius * 0.13, radius * 0.13);
    }
    // The key notch at the bottom of the ring.
    painter.drawRoundedRect(QRectF(centre.x() - radius * 0.12, centre.y() + radius * 0.62, radius * 0.24,
                                   radius * 0.3),
                            radius * 0.04, radius * 0.04);
}

// An octave of keys, white keys of keyWidth from the top left corner.
void drawOctave(QPainter& painter, const QPointF& topLeft, qreal keyWidth, qreal height)
{
    painter.setPen(pen(EnabledInk, keyWidth * 0.12));
    painter.setBrush(Qt::white);
    for (int key = 0; key < 7; ++key)
        painter.drawRect(QRectF(topLeft + QPointF(key * keyWidth, 0), QSizeF(keyWidth, height)));
    painter.setPen(Qt::NoPen);
    painter.setBrush(EnabledInk);
    for (int key : {0, 1, 3, 4, 5})
        painter.drawRect(QRectF(topLeft + QPointF((key + 0.65) * keyWidth, 0), QSizeF(keyWidth * 0.7, height * 0.6)));
}

QImage iconImage(int size, void (*draw)(QPainter&))
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(qreal(size) / ImageGenerator::IconUnits, qreal(size) / ImageGenerator::IconUnits);
    draw(painter);
    return image;
}

bool writeSvg(const QString& path, const QString& title, void (*draw)(QPainter&))
{
    QSvgGenerator generator;
    generator.setFileName(path);
    generator.setTitle(title);
    generator.setSize(QSize(ImageGenerator::IconUnits, ImageGenerator::IconUnits));
    generator.setViewBox(QRect(0, 0, ImageGenerator::IconUnits, ImageGenerator::IconUnits));
    QPainter painter;
    if (!painter.begin(&generator))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return painter.end();
}

} // namespace

const QList<int> ImageGenerator::IconPixelSizes = {16, 32, 48, 64, 128, 256};

void ImageGenerator::drawApplicationIcon(QPainter& painter)
{
    // The monitor's dark purple tile with a MIDI socket over a keyboard.
    QLinearGradient tile(0, 16, 0, 240);
    tile.setColorAt(0, QColor(86, 64, 140));
    tile.setColorAt(1, QColor(40, 27, 67));
    painter.setPen(pen(QColor(24, 16, 40), 4));
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(16, 16, 224, 224), 44, 44);
    drawSocket(painter, QPointF(128, 104), 68);
    drawOctave(painter, QPointF(44, 186), 24, 36);
}

// A page whose top right corner is folded down by fold.
QPainterPath ImageGenerator::foldedPage(const QRectF& rect, qreal fold)
{
    QPainterPath page;
    page.moveTo(rect.topLeft());
    page.lineTo(rect.right() - fold, rect.top());
    page.lineTo(rect.right(), rect.top() + fold);
    page.lineTo(rect.bottomRight());
    page.lineTo(rect.bottomLeft());
    page.closeSubpath();
    return page;
}

void ImageGenerator::drawProjectFileIcon(QPainter& painter)
{
    // A page with a folded corner, marked with the application's tile.
    painter.setPen(pen(EnabledInk, 6));
    painter.setBrush(Qt::white);
    painter.drawPath(foldedPage(QRectF(40, 12, 176, 232), 48));
    painter.setBrush(QColor(214, 218, 236));
    painter.drawPolygon(QPolygonF({QPointF(168, 12), QPointF(168, 60), QPointF(216, 60)}));
    painter.setPen(pen(EnabledAccent, 8));
    painter.drawLine(QPointF(64, 48), QPointF(144, 48));
    painter.drawLine(QPointF(64, 76), QPointF(144, 76));
    painter.save();
    painter.translate(52, 96);
    painter.scale(152.0 / IconUnits, 152.0 / IconUnits);
    drawApplicationIcon(painter);
    painter.restore();
}

bool ImageGenerator::writeIcons(const QString& folder)
{
    struct Icon {
        const char* name;
        const char* title;
        void (*draw)(QPainter&);
    };
    const Icon icons[] = {
        {"tarvo", "Tarvo Suite", &drawApplicationIcon},
        {"tarvo-project", "Tarvo Suite project", &drawProjectFileIcon},
    };
    const QDir dir(folder);
    bool ok = dir.mkpath(QStringLiteral("."));
    for (const Icon& icon : icons) {
        const QString name = QString::fromLatin1(icon.name);
        ok = writeSvg(dir.filePath(name + QStringLiteral(".svg")), QString::fromLatin1(icon.title), icon.draw) && ok;
        for (int size : IconPixelSizes) {
            const QString file = dir.filePath(QStringLiteral("%1-%2.png").arg(name).arg(size));
            ok = iconImage(size, icon.draw).save(file, "PNG") && ok;
        }
    }
    return ok;
}

QImage ImageGenerator::fileImage()
{
    return toolIcon([](QPainter& painter, const QColor& ink, const QColor& accent) {
        painter.setPen(pen(ink, 1.5));
        painter.setBrush(Qt::white);
        painter.drawPath(foldedPage(QRectF(8, 4, 17, 24), 6));
        painter.drawPolyline(QPolygonF({QPointF(19, 4), QPointF(19, 10), QPointF(25, 10)}));
        painter.setPen(pen(accent, 1.5));
        for (int y = 15; y <= 23; y += 4)
            painter.drawLine(QPointF(11, y), QPointF(22, y));
    });
}

QImage ImageGenerator::openImage()
{
    return toolIcon([](QPainter& painter, const QColor& ink, const QColor& accent) {
        painter.setPen(pen(ink, 1.5));
        painter.setBrush(accent.lighter(160));
        QPainterPath back;
        back.moveTo(4, 8);
        back.lineTo(12, 8);
        back.lineTo(14, 11);
        back.lineTo(26, 11);
        back.lineTo(26, 26);
        back.lineTo(4, 26);
        back.closeSubpath();
        painter.drawPath(back);
        painter.setBrush(accent);
        painter.drawPolygon(QPolygonF({QPointF(4, 26), QPointF(8, 15), QPointF(29, 15), QPointF(26, 26)}));
    });
}

QImage ImageGenerator::diskImage()
{
    return toolIcon([](QPainter& painter, const QColor& ink, const QColor& accent) {
        painter.setPen(pen(ink, 1.5));
        painter.setBrush(accent);
        painter.drawPolygon(QPolygonF({QPointF(5, 5), QPointF(23, 5), QPointF(27, 9), QPointF(27, 27), QPointF(5, 27)}));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(10, 5, 12, 8));
        painter.drawRect(QRectF(9, 17, 14, 10));
        painter.setBrush(ink);
        painter.drawRect(QRectF(18, 6.5, 2.5, 5));
    });
}

QImage ImageGenerator::txImage()
{
    return toolIcon([](QPainter& painter, const QColor& ink, const QColor& accent) {
        drawPortBox(painter, ink);
        drawLabel(painter, QRectF(4, 6, 24, 12), QStringLiteral("TX"), ink);
        drawArrow(painter, QPointF(9, 22), QPointF(24, 22), accent);
    });
}

QImage ImageGenerator::rxImage()
{
    return toolIcon([](QPainter& painter, const QColor& ink, const QColor& accent) {
        drawPortBox(painter, ink);
        drawLabel(painter, QRectF(4, 6, 24, 12), QStringLiteral("RX"), ink);
        drawArrow(painter, QPointF(23, 22), QPointF(8, 22), accent);
    });
}

QImage ImageGenerator::txrxImage()
{
    return toolIcon([](QPainter& painter, const QColor& ink, const QColor& accent) {
        drawPortBox(painter, ink);
        drawArrow(painter, QPointF(9, 12), QPointF(24, 12), accent);
        drawArrow(painter, QPointF(23, 21), QPointF(8, 21), ink);
    });
}

QImage ImageGenerator::upArrowButtonImage()
{
    return arrowButton(true);
}

QImage ImageGenerator::downArrowButtonImage()
{
    return arrowButton(false);
}

QImage ImageGenerator::playStopImage()
{
    // Frames: play, play pressed, stop, stop pressed.
    return strip(QSize(15, 15), 4, [](QPainter& painter, int frame) {
        const bool pressed = frame % 2 == 1;
        painter.setPen(Qt::NoPen);
        painter.setBrush(pressed ? QColor(0, 90, 160) : QColor(40, 27, 67));
        if (frame < 2)
            painter.drawPolygon(QPolygonF({QPointF(3, 1.5), QPointF(13.5, 7.5), QPointF(3, 13.5)}));
        else
            painter.drawRoundedRect(QRectF(2.5, 2.5, 10, 10), 1, 1);
    });
}

QImage ImageGenerator::sevenSegmentImage()
{
    // Ten digits of 36 x 48, spaced to fit three in the 114 pixels left of the buttons.
    return strip(QSize(36, 48), 10, [](QPainter& painter, int digit) {
        painter.fillRect(QRectF(0, 0, 36, 48), QColor(20, 8, 8));
        const QString lit = QString::fromLatin1(DigitSegments[digit]);
        for (char segment : QByteArray("abcdefg"))
            drawSegment(painter, segment, lit.contains(QLatin1Char(segment)));
    });
}

QImage ImageGenerator::aboutImage()
{
    const QSize size(501, 170);
    QImage image = newImage(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, size.height());
    background.setColorAt(0, QColor(250, 250, 255));
    background.setColorAt(1, QColor(214, 218, 236));
    painter.fillRect(QRect(QPoint(0, 0), size), background);
    // The three text lines are drawn over the lower half (centres at 95, 115
    // and 135), so the artwork keeps to a band along the top.
    const qreal keyWidth = 11, keyLeft = 18, keyTop = 14, keyHeight = 52;
    painter.setPen(pen(QColor(40, 27, 67), 1));
    painter.setBrush(Qt::white);
    for (int key = 0; key < 14; ++key)
        painter.drawRect(QRectF(keyLeft + key * keyWidth, keyTop, keyWidth, keyHeight));
    painter.setBrush(QColor(40, 27, 67));
    for (int key : {0, 1, 3, 4, 5, 7, 8, 10, 11, 12})
        painter.drawRect(QRectF(keyLeft + key * keyWidth + 7.5, keyTop, 7, 31));
    // A MIDI socket on the right.
    const QPointF socket(size.width() - 48, 40);
    QRadialGradient ring(socket, 28);
    ring.setColorAt(0, QColor(90, 90, 110));
    ring.setColorAt(1, QColor(40, 27, 67));
    painter.setBrush(ring);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(socket, 26, 26);
    painter.setBrush(QColor(230, 230, 240));
    for (int pin = 0; pin < 5; ++pin) {
        const qreal angle = (180.0 + 45.0 * pin) * M_PI / 180.0;
        painter.drawEllipse(socket + QPointF(17 * std::cos(angle), 17 * std::sin(angle)), 3, 3);
    }
    painter.setPen(pen(QColor(160, 160, 185), 1));
    painter.drawLine(QPointF(18, 80), QPointF(size.width() - 18, 80));
    return image;
}

QImage ImageGenerator::subWindowIconImage()
{
    QImage image = newImage(QSize(16, 16));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(pen(EnabledInk, 1));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(1.5, 2.5, 13, 11), 2, 2);
    painter.fillRect(QRectF(2, 3, 12, 3), EnabledAccent);
    return image;
}

bool ImageGenerator::writeAll(const QString& folder)
{
    const QList<QPair<QString, QImage>> images = {
        {QStringLiteral("file.png"), fileImage()},
        {QStringLiteral("open.png"), openImage()},
        {QStringLiteral("disk.png"), diskImage()},
        {QStringLiteral("tx.png"), txImage()},
        {QStringLiteral("rx.png"), rxImage()},
        {QStringLiteral("txrx.png"), txrxImage()},
        {QStringLiteral("up_arrow_button.png"), upArrowButtonImage()},
        {QStringLiteral("down_arrow_button.png"), downArrowButtonImage()},
        {QStringLiteral("playstop.png"), playStopImage()},
        {QStringLiteral("7seg.png"), sevenSegmentImage()},
        {QStringLiteral("about.png"), aboutImage()},
        {QStringLiteral("subwindow_icon.png"), subWindowIconImage()},
    };
    const QDir dir(folder);
    bool ok = dir.mkpath(QStringLiteral("."));
    for (const auto& entry : images)
        ok = entry.second.save(dir.filePath(entry.first), "PNG") && ok;
    return ok;
}
