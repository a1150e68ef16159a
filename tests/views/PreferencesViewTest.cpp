#include "views/PreferencesView.h"

#include "SendingMainWindow.h"
#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Dial.h"

namespace {

const int DialMiddle = 50;
const int DragPixels = 10;

// Drags the dial up from the middle value and a point left of its value text; returns the value reached.
int dragUp(Dial& dial)
{
    dial.setValue(DialMiddle);
    const QPoint start(15, 40);
    const QPoint end = start - QPoint(0, DragPixels);
    QTest::mousePress(&dial, Qt::LeftButton, Qt::NoModifier, start);
    QMouseEvent move(QEvent::MouseMove, end, dial.mapToGlobal(end), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dial, &move);
    QTest::mouseRelease(&dial, Qt::LeftButton, Qt::NoModifier, end);
    return dial.value();
}

} // namespace

class PreferencesViewTest : public QObject
{
    Q_OBJECT

private slots:
    // The knob mode reaches every registered dial (Linear: a step per pixel
    // of vertical movement); the time stamp is written; the project stays unedited.
    void preferencesReachTheModelAndTheDials()
    {
        TarvoModel model;
        Dial dial;
        dial.setRange(0, 2 * DialMiddle);
        model.registerDial(&dial);
        QVERIFY(showExposed(&dial, QSize(100, 80)));
        PreferencesView view(nullptr, &model);
        QVERIFY(showExposed(&view));
        auto* knobMode = view.findChild<ComboBox*>();
        QTest::keyClick(knobMode, Qt::Key_Down);
        QCOMPARE(dragUp(dial), DialMiddle + DragPixels);
        QTest::keyClick(knobMode, Qt::Key_Up);
        QVERIFY(dragUp(dial) != DialMiddle + DragPixels);
        QTest::mouseClick(view.findChild<CheckBox*>(), Qt::LeftButton);
        QCOMPARE(model.getModelIntValue(TimeStampId), 1);
        QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);
        model.unregisterDial(&dial);
    }
};

QTEST_MAIN(PreferencesViewTest)
#include "PreferencesViewTest.moc"
