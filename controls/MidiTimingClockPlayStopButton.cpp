#include "controls/MidiTimingClockPlayStopButton.h"

#include <QPainter>

namespace {

constexpr int FrameCount = 4;
constexpr int StopFrame = 2;
constexpr int PressedFrameOffset = 1;
// Frames sit one pixel above the true centre.
constexpr double FrameLift = 1.0;

} // namespace

MidiTimingClockPlayStopButton::MidiTimingClockPlayStopButton(QWidget* parent)
    : QPushButton(parent), m_pixmapSize(-1, -1)
{
}

void MidiTimingClockPlayStopButton::setPixmap(const QPixmap& pixmap)
{
    m_pixmap = pixmap;
    update();
}

void MidiTimingClockPlayStopButton::setPixmapSize(const QSize& size)
{
    m_pixmapSize = size;
    update();
}

int MidiTimingClockPlayStopButton::getPixmapNumber() const
{
    return (isChecked() ? StopFrame : 0) + (isDown() ? PressedFrameOffset : 0);
}

void MidiTimingClockPlayStopButton::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    const int frameWidth = m_pixmap.width() / FrameCount;
    const QRect source(m_pixmap.width() * getPixmapNumber() / FrameCount, 0, frameWidth, m_pixmap.height());
    const QPoint target(qRound(width() * 0.5) - qRound(m_pixmapSize.width() * 0.5),
                        qRound(height() * 0.5) - qRound(m_pixmapSize.height() * 0.5 + FrameLift));
    QPainter painter(this);
    painter.drawPixmap(target, m_pixmap, source);
}
