#include "controls/MidiTimingClockDial.h"
#include "controls/MidiTimingClockPlayStopButton.h"

#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QColor LedOnColor(Qt::yellow);
const QColor LedOffColor(27, 27, 0);
// In the bottom gap of the meter ring of a 200 by 200 dial, inside the ring's
// rectangle (3 pixels in from the edge) and outside the knob.
const QPoint LedPoint(100, 195);

// Gives the test a blink long enough to tell apart from a prolonged one.
class BlinkDial : public MidiTimingClockDial
{
public:
    using MidiTimingClockDial::m_ledOnTime;
};

void prepare(MidiTimingClockDial& dial)
{
    dial.setRange(5, 300);
    dial.setValue(90);
    dial.m_suffix = QStringLiteral(" BPM");
    dial.m_lineEditSize = QSize(50, 20);
    dial.m_arcMargin = QMargins(-3, -3, -3, -3);
    dial.m_meterStartColor = QColor(84, 0, 0);
    dial.m_meterEndColor = QColor(255, 245, 245);
    dial.m_ledOnColor = LedOnColor;
    dial.m_ledOffColor = LedOffColor;
    dial.resize(200, 200);
    dial.show();
}

QColor ledColour(QWidget& dial)
{
    return dial.grab().toImage().pixelColor(LedPoint);
}

const QColor FrameColours[4] = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255), QColor(255, 0, 255)};

// Four solid frames of 15 by 15 on screen, stored at twice the resolution.
QPixmap playStopStrip()
{
    QPixmap strip(120, 30);
    QPainter painter(&strip);
    for (int frame = 0; frame < 4; ++frame) {
        painter.fillRect(frame * 30, 0, 30, 30, FrameColours[frame]);
    }
    painter.end();
    strip.setDevicePixelRatio(2.0);
    return strip;
}

// The frame drawn at (12, 6) to (26, 20), or an invalid colour when the
// frame is not exactly there.
QColor shownFrame(MidiTimingClockPlayStopButton& button)
{
    const QImage image = button.grab().toImage();
    const QColor colour = image.pixelColor(12, 6);
    for (const QPoint& inside : {QPoint(26, 6), QPoint(12, 20), QPoint(26, 20)}) {
        if (image.pixelColor(inside) != colour) {
            return QColor();
        }
    }
    for (const QPoint& outside : {QPoint(11, 6), QPoint(12, 5), QPoint(27, 20), QPoint(26, 21)}) {
        if (image.pixelColor(outside) == colour) {
            return QColor();
        }
    }
    return colour;
}

} // namespace

class MidiTimingClockControlsTest : public QObject
{
    Q_OBJECT

private slots:
    void ledBlinksInTheGapOfTheRing();
    void playButtonShowsTheFrameOfItsState();
};

void MidiTimingClockControlsTest::ledBlinksInTheGapOfTheRing()
{
    BlinkDial dial;
    prepare(dial);
    QVERIFY(QTest::qWaitForWindowExposed(&dial));
    QCOMPARE(ledColour(dial), LedOffColor);

    // A second blink halfway through the first neither restarts nor prolongs
    // it: 250 ms after the second the LED is dark, 100 ms before a restarted
    // blink would have ended.
    dial.m_ledOnTime = 300;
    dial.ledOn();
    QTest::qWait(150);
    QCOMPARE(ledColour(dial), LedOnColor);
    dial.ledOn();
    QTest::qWait(250);
    QCOMPARE(ledColour(dial), LedOffColor);
    QTest::qWait(200);
    QCOMPARE(ledColour(dial), LedOffColor);
    // The next beat lights it again; ledOff darkens it at once.
    dial.ledOn();
    QCOMPARE(ledColour(dial), LedOnColor);
    dial.ledOff();
    QCOMPARE(ledColour(dial), LedOffColor);
}

void MidiTimingClockControlsTest::playButtonShowsTheFrameOfItsState()
{
    MidiTimingClockPlayStopButton button;
    button.setCheckable(true);
    button.m_pixmap = playStopStrip();
    button.m_pixmapSize = QSize(15, 15);
    button.resize(40, 30);
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QSignalSpy toggled(&button, &QPushButton::toggled);

    QCOMPARE(button.getPixmapNumber(), 0);
    QCOMPARE(shownFrame(button), FrameColours[0]);
    QTest::mousePress(&button, Qt::LeftButton);
    QCOMPARE(button.getPixmapNumber(), 1);
    QCOMPARE(shownFrame(button), FrameColours[1]);
    QTest::mouseRelease(&button, Qt::LeftButton);
    QVERIFY(button.isChecked());
    QCOMPARE(button.getPixmapNumber(), 2);
    QCOMPARE(shownFrame(button), FrameColours[2]);
    QTest::mousePress(&button, Qt::LeftButton);
    QCOMPARE(button.getPixmapNumber(), 3);
    QCOMPARE(shownFrame(button), FrameColours[3]);
    QTest::mouseRelease(&button, Qt::LeftButton);
    QCOMPARE(button.getPixmapNumber(), 0);
    QCOMPARE(shownFrame(button), FrameColours[0]);
    QCOMPARE(toggled.count(), 2);
}

QTEST_MAIN(MidiTimingClockControlsTest)
#include "MidiTimingClockControlsTest.moc"
