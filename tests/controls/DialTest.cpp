#include "controls/Dial.h"
#include "controls/LineEdit.h"
#include "model/TarvoParameters.h"

#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest>

namespace {

const QSize LineEditSize(50, 20);
const QMargins ArcMargin(-3, -3, -3, -3);
const QPoint ValuePoint(50, 40);
const QPoint LeftOfValue(15, 40);
const QPoint Corner(2, 2);

// A shown 100 by 80 dial with range 0 to 100 at 50.
void prepare(Dial& dial, int knobMode)
{
    dial.setRange(0, 100);
    dial.setValue(50);
    dial.m_lineEditSize = LineEditSize;
    dial.m_arcMargin = ArcMargin;
    dial.m_knobMode = knobMode;
    dial.resize(100, 80);
    dial.show();
}

void dragTo(Dial& dial, const QPoint& pos)
{
    QMouseEvent move(QEvent::MouseMove, pos, dial.mapToGlobal(pos), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dial, &move);
}

void turnWheel(QWidget& widget, int steps)
{
    const QPoint pos(50, 40);
    QWheelEvent wheel(pos, widget.mapToGlobal(pos), QPoint(), QPoint(0, steps * QWheelEvent::DefaultDeltasPerStep),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &wheel);
}

} // namespace

class DialTest : public QObject
{
    Q_OBJECT

private slots:
    void computesItsGeometry();
    void circleModeFollowsTheAngleOutsideTheValue();
    void linearModeStepsOncePerPixel();
    void inlineEntryClampsAndBlocksWheelAndKeys();
    void closesWithItsEntryOpen();
    void paintsTheMeterRingWithItsGap();
};

void DialTest::computesItsGeometry()
{
    // Halves round away from zero; the entry's offset uses integer division.
    Dial dial;
    dial.m_lineEditSize = QSize(51, 21);
    dial.m_arcMargin = ArcMargin;
    dial.resize(61, 45);
    QCOMPARE(dial.getMeterRectangle(), QRectF(11, 3, 40, 40));
    QCOMPARE(dial.getCenterPos(), QPoint(31, 23));
    QCOMPARE(dial.getKnobRadius(), 23);
    QCOMPARE(dial.getRectangle(), QRect(8, 0, 46, 46));
    QCOMPARE(dial.getLineEditRect(), QRect(6, 13, 51, 21));
}

void DialTest::circleModeFollowsTheAngleOutsideTheValue()
{
    Dial dial;
    prepare(dial, KnobModeCircle);
    QVERIFY(QTest::qWaitForWindowExposed(&dial));
    QSignalSpy changed(&dial, &QDial::valueChanged);

    // Presses on the value text and outside the knob, and double clicks
    // outside the value, change nothing.
    QTest::mousePress(&dial, Qt::LeftButton, Qt::NoModifier, ValuePoint);
    dragTo(dial, LeftOfValue);
    QTest::mouseRelease(&dial, Qt::LeftButton, Qt::NoModifier, LeftOfValue);
    QTest::mousePress(&dial, Qt::LeftButton, Qt::NoModifier, Corner);
    dragTo(dial, LeftOfValue);
    QTest::mouseRelease(&dial, Qt::LeftButton, Qt::NoModifier, LeftOfValue);
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, LeftOfValue, dial.mapToGlobal(LeftOfValue),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dial, &doubleClick);
    QVERIFY(dial.m_pLineEdit == nullptr);
    QCOMPARE(changed.count(), 0);

    // Left of the centre is below the middle of the range, right of it above.
    QTest::mousePress(&dial, Qt::LeftButton, Qt::NoModifier, LeftOfValue);
    const int left = dial.value();
    QVERIFY2(left < 50, qPrintable(QString::number(left)));
    dragTo(dial, QPoint(85, 40));
    const int right = dial.value();
    QVERIFY2(right > 50, qPrintable(QString::number(right)));
    QTest::mouseRelease(&dial, Qt::LeftButton, Qt::NoModifier, QPoint(85, 40));
    QVERIFY(!dial.isSliderDown());
    // After the release, moves are not followed.
    dragTo(dial, LeftOfValue);
    QCOMPARE(dial.value(), right);

    // A press outside the knob does nothing in Linear mode either.
    dial.m_knobMode = KnobModeLinear;
    QTest::mousePress(&dial, Qt::LeftButton, Qt::NoModifier, Corner);
    dragTo(dial, QPoint(2, -20));
    QTest::mouseRelease(&dial, Qt::LeftButton, Qt::NoModifier, QPoint(2, -20));
    QCOMPARE(dial.value(), right);
}

void DialTest::linearModeStepsOncePerPixel()
{
    Dial dial;
    prepare(dial, KnobModeLinear);
    QVERIFY(QTest::qWaitForWindowExposed(&dial));

    // A press on the value starts a drag in this mode.
    QTest::mousePress(&dial, Qt::LeftButton, Qt::NoModifier, ValuePoint);
    QCOMPARE(dial.value(), 50);
    dragTo(dial, ValuePoint + QPoint(0, -10));
    QCOMPARE(dial.value(), 60);
    dragTo(dial, ValuePoint + QPoint(-30, 7));
    QCOMPARE(dial.value(), 43);
    dragTo(dial, ValuePoint + QPoint(0, -500));
    QCOMPARE(dial.value(), 100);
    dragTo(dial, ValuePoint + QPoint(0, 500));
    QCOMPARE(dial.value(), 0);
    QTest::mouseRelease(&dial, Qt::LeftButton, Qt::NoModifier, ValuePoint + QPoint(0, 500));
    QVERIFY(!dial.isSliderDown());

    dragTo(dial, ValuePoint + QPoint(0, -20));
    QCOMPARE(dial.value(), 0);

    // The next drag starts from the value at its press.
    QTest::mousePress(&dial, Qt::LeftButton, Qt::NoModifier, LeftOfValue);
    dragTo(dial, LeftOfValue + QPoint(0, -5));
    QCOMPARE(dial.value(), 5);
    QTest::mouseRelease(&dial, Qt::LeftButton, Qt::NoModifier, LeftOfValue + QPoint(0, -5));
}

void DialTest::inlineEntryClampsAndBlocksWheelAndKeys()
{
    Dial dial;
    prepare(dial, KnobModeCircle);
    dial.setRange(5, 300);
    dial.setValue(100);
    QApplication::setActiveWindow(&dial);
    QVERIFY(QTest::qWaitForWindowActive(&dial));

    // Without the entry the wheel and keys turn the knob.
    QApplication::setWheelScrollLines(1);
    turnWheel(dial, 1);
    QCOMPARE(dial.value(), 101);
    QTest::keyClick(&dial, Qt::Key_Down);
    QCOMPARE(dial.value(), 100);

    QTest::mouseDClick(&dial, Qt::LeftButton, Qt::NoModifier, ValuePoint);
    QCOMPARE(dial.value(), 100);
    LineEdit* entry = dial.m_pLineEdit;
    QVERIFY(entry != nullptr);
    QVERIFY(entry->isVisible());
    QCOMPARE(entry->geometry(), dial.getLineEditRect());
    QCOMPARE(entry->text(), QStringLiteral("100"));
    QCOMPARE(entry->selectedText(), QStringLiteral("100"));
    QTRY_VERIFY(entry->hasFocus());

    turnWheel(dial, 1);
    QTest::keyClick(&dial, Qt::Key_Up);
    QTest::keyClick(entry, Qt::Key_Up);
    QTest::keyClick(entry, Qt::Key_PageUp);
    QCOMPARE(dial.value(), 100);

    // The validator refuses 999 key by key, so it is put in directly.
    entry->setText(QStringLiteral("999"));
    QTest::keyClick(entry, Qt::Key_Return);
    QCOMPARE(dial.value(), 300);
    QVERIFY(!entry->isVisible());
    QTRY_VERIFY(dial.hasFocus());
    turnWheel(dial, -1);
    QCOMPARE(dial.value(), 299);

    // A second entry replaces the first; typed keys reach the value.
    QTest::mouseDClick(&dial, Qt::LeftButton, Qt::NoModifier, ValuePoint);
    QVERIFY(dial.m_pLineEdit != nullptr);
    QCOMPARE(dial.findChildren<LineEdit*>().size(), 1);
    QTRY_VERIFY(dial.m_pLineEdit->hasFocus());
    QTest::keyClicks(dial.m_pLineEdit, QStringLiteral("42"));
    QTest::keyClick(dial.m_pLineEdit, Qt::Key_Enter);
    QCOMPARE(dial.value(), 42);

    QTest::mouseDClick(&dial, Qt::LeftButton, Qt::NoModifier, ValuePoint);
    dial.m_pLineEdit->setText(QStringLiteral("1"));
    QTest::keyClick(dial.m_pLineEdit, Qt::Key_Return);
    QCOMPARE(dial.value(), 5);
}

void DialTest::closesWithItsEntryOpen()
{
    auto* dial = new Dial;
    prepare(*dial, KnobModeCircle);
    QApplication::setActiveWindow(dial);
    QVERIFY(QTest::qWaitForWindowActive(dial));
    QTest::mouseDClick(dial, Qt::LeftButton, Qt::NoModifier, ValuePoint);
    QTRY_VERIFY(dial->m_pLineEdit->hasFocus());
    QPointer<LineEdit> entry = dial->m_pLineEdit;

    // The entry loses its focus while the dial is being destroyed.
    delete dial;
    QVERIFY(entry.isNull());
}

void DialTest::paintsTheMeterRingWithItsGap()
{
    Dial dial;
    prepare(dial, KnobModeCircle);
    dial.m_arcMargin = QMargins(0, 0, 0, 0);
    dial.m_meterStartColor = QColor(84, 0, 0);
    dial.m_meterEndColor = QColor(255, 245, 245);
    dial.m_suffix = QStringLiteral(" BPM");
    dial.resize(200, 200);
    const QImage image = dial.grab().toImage();

    // Just inside the ring's edge, 20 degrees past each end of the gap: dark
    // where the ring starts (right of the bottom), light where it ends (left
    // of the bottom); the gap at the bottom is left to the background.
    const QColor start = image.pixelColor(173, 161);
    const QColor end = image.pixelColor(27, 161);
    const QColor gap = image.pixelColor(100, 198);
    QVERIFY2(start.red() < 150 && start.green() < 60, qPrintable(start.name()));
    QVERIFY2(end.red() > 200 && end.green() > 180, qPrintable(end.name()));
    QCOMPARE(gap, dial.palette().color(QPalette::Window));
}

QTEST_MAIN(DialTest)
#include "DialTest.moc"
