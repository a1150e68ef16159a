#include "controls/MidiTimingClockDial.h"

#include <QPainter>
#include <QTimer>

namespace {

constexpr int BlinkMilliseconds = 100;
// The gap of the meter ring, one degree wider so that the ring covers the seam.
constexpr int QtAngleUnitsPerDegree = 16;
constexpr int LedStartAngle = 240 * QtAngleUnitsPerDegree;
constexpr int LedSpanAngle = 61 * QtAngleUnitsPerDegree;

} // namespace

MidiTimingClockDial::MidiTimingClockDial(QWidget* parent)
    : Dial(parent), m_ledOnColor(Qt::white), m_ledOffColor(Qt::black), m_ledOn(false), m_ledOnTime(BlinkMilliseconds)
{
}

void MidiTimingClockDial::setLedOnColor(const QColor& color)
{
    m_ledOnColor = color;
    update();
}

void MidiTimingClockDial::setLedOffColor(const QColor& color)
{
    m_ledOffColor = color;
    update();
}

void MidiTimingClockDial::ledOn()
{
    if (m_ledOn) {
        return;
    }
    m_ledOn = true;
    update();
    QTimer::singleShot(m_ledOnTime, this, &MidiTimingClockDial::ledOff);
}

void MidiTimingClockDial::ledOff()
{
    m_ledOn = false;
    update();
}

void MidiTimingClockDial::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_ledOn ? m_ledOnColor : m_ledOffColor);
        painter.drawPie(getMeterRectangle(), LedStartAngle, LedSpanAngle);
    }
    Dial::paintEvent(event);
}
