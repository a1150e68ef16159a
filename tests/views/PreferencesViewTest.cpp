#include "views/PreferencesView.h"

#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Dial.h"
#include "model/TarvoModel.h"

#include <QtTest>

namespace {

// Drags the dial up by pixels from a point left of its value text; returns
// the value it reached.
int dragUp(Dial& dial, int pixels)
{
    const QPoint start(15, 40);
    const QPoint end = start - QPoint(0, pixels);
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
    void showsAndWritesBothPreferences();
    void linearKnobModeReachesEveryRegisteredDial();
};

void PreferencesViewTest::showsAndWritesBothPreferences()
{
    TarvoModel model;
    model.setModelIntValue(KnobModeId, KnobModeLinear);
    auto* view = new PreferencesView(nullptr, &model);
    auto* knobMode = view->findChild<ComboBox*>();
    auto* timeStamp = view->findChild<CheckBox*>();
    QVERIFY(knobMode != nullptr && timeStamp != nullptr);
    QCOMPARE(knobMode->currentText(), QStringLiteral("Linear"));
    QVERIFY(!timeStamp->isChecked());

    // Changes made elsewhere show at once.
    model.setModelIntValue(TimeStampId, 1);
    QVERIFY(timeStamp->isChecked());
    model.setModelIntValue(KnobModeId, KnobModeCircle);
    QCOMPARE(knobMode->currentIndex(), 0);

    // The time stamp is written, the edit flag is not.
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view));
    QTest::mouseClick(timeStamp, Qt::LeftButton);
    QCOMPARE(model.getModelIntValue(TimeStampId), 0);
    view->close();
    delete view;
    QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);
}

void PreferencesViewTest::linearKnobModeReachesEveryRegisteredDial()
{
    TarvoModel model;
    Dial dial;
    dial.setRange(0, 100);
    dial.setValue(50);
    dial.resize(100, 80);
    model.registerDial(&dial);
    dial.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dial));

    PreferencesView view(nullptr, &model);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto* knobMode = view.findChild<ComboBox*>();
    knobMode->setFocus();
    QTest::keyClick(knobMode, Qt::Key_Down);
    QCOMPARE(knobMode->currentText(), QString("Linear"));
    QCOMPARE(model.getModelIntValue(KnobModeId), int(KnobModeLinear));
    QCOMPARE(dial.knobMode(), int(KnobModeLinear));
    // The dial now follows vertical movement: one step per pixel.
    QCOMPARE(dragUp(dial, 10), 60);

    QTest::keyClick(knobMode, Qt::Key_Up);
    QCOMPARE(model.getModelIntValue(KnobModeId), int(KnobModeCircle));
    QCOMPARE(dial.knobMode(), int(KnobModeCircle));
    model.unregisterDial(&dial);
}

QTEST_MAIN(PreferencesViewTest)
#include "PreferencesViewTest.moc"
