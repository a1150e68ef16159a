#include "controls/LineEdit.h"
#include "controls/SevenSegment.h"

#include <QPainter>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest>

namespace {

const QRect UpButtonRect(114, 0, 14, 24);
const QRect DownButtonRect(114, 24, 14, 24);
const QPoint UpButtonPoint(UpButtonRect.center());
const QPoint DownButtonPoint(DownButtonRect.center());
const QPoint DigitPoint(40, 24);
constexpr qreal DevicePixelRatio = 2.0;
const QSize DigitSize(36, 48);

// A distinct colour per digit, so that a painted digit can be read back.
QColor digitColour(int digit)
{
    return QColor::fromHsv(digit * 36, 255, 200).toRgb();
}

// Ten solid digits of 36 by 48 on screen, stored at twice the resolution.
QPixmap digitStrip()
{
    QPixmap strip(DigitSize.width() * 10 * 2, DigitSize.height() * 2);
    QPainter painter(&strip);
    for (int digit = 0; digit < 10; ++digit) {
        painter.fillRect(digit * DigitSize.width() * 2, 0, DigitSize.width() * 2, DigitSize.height() * 2,
                         digitColour(digit));
    }
    painter.end();
    strip.setDevicePixelRatio(DevicePixelRatio);
    return strip;
}

// A button strip of two 14 by 24 halves in one colour.
QPixmap buttonPixmap(const QColor& colour)
{
    QPixmap pixmap(56, 48);
    pixmap.fill(colour);
    pixmap.setDevicePixelRatio(DevicePixelRatio);
    return pixmap;
}

// A shown 128 by 48 display with the program number's bounds 1 to 128.
void prepare(SevenSegment& display, int value)
{
    display.m_minimum = 1;
    display.m_maximum = 128;
    display.setValue(value);
    display.setFixedSize(128, 48);
    display.setIncreaseButtonGeometry(UpButtonRect);
    display.setDecreaseButtonGeometry(DownButtonRect);
    display.show();
}

void turnWheel(QWidget& widget, int delta)
{
    const QPoint pos(DigitPoint);
    QWheelEvent wheel(pos, widget.mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &wheel);
}

QList<int> emitted(const QSignalSpy& spy)
{
    QList<int> values;
    for (const QList<QVariant>& arguments : spy) {
        values.append(arguments.at(0).toInt());
    }
    return values;
}

} // namespace

class SevenSegmentTest : public QObject
{
    Q_OBJECT

private slots:
    void stopsAtItsBounds();
    void holdingAButtonRepeatsUntilTheBound();
    void wheelCarriesFractionsOfANotch();
    void inlineEntryClampsAndBlocksStepping();
    void paintsThreeDigitsAndTheButtons();
    void closesWithItsEntryOpen();
};

void SevenSegmentTest::stopsAtItsBounds()
{
    QWidget parent;
    auto* display = new SevenSegment(&parent);
    prepare(*display, 128);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    QSignalSpy changed(display, &SevenSegment::valueChanged);

    // Values from outside are taken as they are, and reported only when they
    // change; the next step brings them back in.
    display->setValue(200);
    display->setValue(200);
    display->addStepToValue(1);
    display->setValue(-4);
    display->addStepToValue(-1);
    QCOMPARE(emitted(changed), QList<int>({200, 128, -4, 1}));
    display->setValue(128);
    changed.clear();

    QTest::mouseClick(display->childAt(UpButtonPoint), Qt::LeftButton);
    QTest::keyClick(display, Qt::Key_Up);
    turnWheel(*display, 120);
    QCOMPARE(display->value(), 128);
    QCOMPARE(changed.count(), 0);

    QTest::mouseClick(display->childAt(DownButtonPoint), Qt::LeftButton);
    QTest::keyClick(display, Qt::Key_Down);
    QCOMPARE(emitted(changed), QList<int>({127, 126}));

    display->setValue(1);
    changed.clear();
    QTest::keyClick(display, Qt::Key_Down);
    turnWheel(*display, -120);
    QCOMPARE(display->value(), 1);
    QCOMPARE(changed.count(), 0);

    // Other keys change nothing and go no further than the display.
    QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(display, &other);
    QVERIFY(other.isAccepted());
    QCOMPARE(display->value(), 1);
}

void SevenSegmentTest::holdingAButtonRepeatsUntilTheBound()
{
    SevenSegment display;
    prepare(display, 5);
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    QSignalSpy changed(&display, &SevenSegment::valueChanged);

    QWidget* down = display.childAt(DownButtonPoint);
    QTest::mousePress(down, Qt::LeftButton);
    QCOMPARE(display.value(), 4);
    QTRY_COMPARE_WITH_TIMEOUT(display.value(), 1, 5000);
    // Held on at the bound, it repeats without effect.
    QTest::qWait(400);
    QTest::mouseRelease(down, Qt::LeftButton);
    QCOMPARE(emitted(changed), QList<int>({4, 3, 2, 1}));
}

void SevenSegmentTest::wheelCarriesFractionsOfANotch()
{
    const int scrollLines = QApplication::wheelScrollLines();
    QApplication::setWheelScrollLines(1);
    SevenSegment display;
    prepare(display, 50);
    QSignalSpy changed(&display, &SevenSegment::valueChanged);
    turnWheel(display, 60);
    QCOMPARE(changed.count(), 0);
    turnWheel(display, 60);
    // A half notch the other way drops the half that was left over.
    turnWheel(display, 60);
    turnWheel(display, -60);
    turnWheel(display, -60);
    // Each notch steps by the scroll lines; a fraction of a line carries over.
    QApplication::setWheelScrollLines(3);
    turnWheel(display, 120);
    turnWheel(display, 20);
    QCOMPARE(display.value(), 53);
    turnWheel(display, 20);
    QCOMPARE(emitted(changed), QList<int>({51, 50, 53, 54}));
    QApplication::setWheelScrollLines(scrollLines);
}

void SevenSegmentTest::inlineEntryClampsAndBlocksStepping()
{
    SevenSegment display;
    prepare(display, 64);
    QApplication::setActiveWindow(&display);
    QVERIFY(QTest::qWaitForWindowActive(&display));
    QSignalSpy changed(&display, &SevenSegment::valueChanged);

    QTest::mouseDClick(&display, Qt::LeftButton, Qt::NoModifier, DigitPoint);
    auto* entry = display.findChild<LineEdit*>();
    QVERIFY(entry != nullptr);
    QVERIFY(display.isVisibleLineEdit());
    QCOMPARE(entry->selectedText(), QStringLiteral("64"));
    QTRY_VERIFY(entry->hasFocus());

    // While the entry is open, neither keys nor the wheel step the value.
    QTest::keyClick(&display, Qt::Key_Down);
    turnWheel(display, 120);
    QCOMPARE(display.value(), 64);
    QCOMPARE(changed.count(), 0);

    // The validator refuses 500 key by key, so it is put in directly.
    entry->setText(QStringLiteral("500"));
    QTest::keyClick(entry, Qt::Key_Return);
    QCOMPARE(emitted(changed), QList<int>({128}));
    QVERIFY(!display.isVisibleLineEdit());
    QTRY_VERIFY(display.hasFocus());
    QTest::keyClick(&display, Qt::Key_Down);
    QCOMPARE(display.value(), 127);

    // A second entry replaces the first; typed digits below the bound give the bound.
    QTest::mouseDClick(&display, Qt::LeftButton, Qt::NoModifier, DigitPoint);
    QCOMPARE(display.findChildren<LineEdit*>().size(), 1);
    entry = display.findChild<LineEdit*>();
    QTRY_VERIFY(entry->hasFocus());
    QTest::keyClicks(entry, QStringLiteral("0"));
    QTest::keyClick(entry, Qt::Key_Enter);
    QCOMPARE(display.value(), 1);

    // A click on a button takes the focus to the display, which settles the
    // entry; the step then starts from the typed value.
    QTest::mouseDClick(&display, Qt::LeftButton, Qt::NoModifier, DigitPoint);
    entry = display.findChild<LineEdit*>();
    QTRY_VERIFY(entry->hasFocus());
    entry->setText(QStringLiteral("100"));
    QTest::mouseClick(display.childAt(UpButtonPoint), Qt::LeftButton);
    QVERIFY(!display.isVisibleLineEdit());
    QCOMPARE(emitted(changed), QList<int>({128, 127, 1, 100, 101}));
}

void SevenSegmentTest::paintsThreeDigitsAndTheButtons()
{
    const QColor up(250, 0, 0), down(0, 0, 250);
    SevenSegment display;
    prepare(display, 7);
    display.m_digitPixmap = digitStrip();
    display.setIncreaseButtonPixmap(buttonPixmap(up));
    display.setDecreaseButtonPixmap(buttonPixmap(down));
    QVERIFY(QTest::qWaitForWindowExposed(&display));

    // Digits of 36 pixels at a pitch of (128 - 14) / 3 = 38, leading zeros drawn.
    const auto digitsShown = [&display]() {
        const QImage image = display.grab().toImage();
        QList<QColor> colours;
        for (int x : {0, 35, 38, 73, 76, 111}) {
            colours.append(image.pixelColor(x, 47));
        }
        return colours;
    };
    const auto expected = [](int hundreds, int tens, int ones) {
        return QList<QColor>({digitColour(hundreds), digitColour(hundreds), digitColour(tens), digitColour(tens),
                              digitColour(ones), digitColour(ones)});
    };
    QCOMPARE(digitsShown(), expected(0, 0, 7));
    display.setValue(128);
    QCOMPARE(digitsShown(), expected(1, 2, 8));
    display.setValue(200);
    QCOMPARE(digitsShown(), expected(2, 0, 0));

    // Nothing is painted between the digits.
    const QImage image = display.grab().toImage();
    for (int x : {36, 37, 74, 75, 112, 113}) {
        QVERIFY2(!expected(2, 0, 0).contains(image.pixelColor(x, 24)), qPrintable(QString::number(x)));
    }
    QCOMPARE(image.pixelColor(UpButtonPoint), up);
    QCOMPARE(image.pixelColor(DownButtonPoint), down);
}

void SevenSegmentTest::closesWithItsEntryOpen()
{
    auto* display = new SevenSegment;
    prepare(*display, 64);
    QApplication::setActiveWindow(display);
    QVERIFY(QTest::qWaitForWindowActive(display));
    QTest::mouseDClick(display, Qt::LeftButton, Qt::NoModifier, DigitPoint);
    QPointer<LineEdit> entry = display->findChild<LineEdit*>();
    QTRY_VERIFY(entry->hasFocus());

    // The entry loses its focus while the display is being destroyed.
    delete display;
    QVERIFY(entry.isNull());
}

QTEST_MAIN(SevenSegmentTest)
#include "SevenSegmentTest.moc"
