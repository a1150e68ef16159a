#include "views/PreferencesView.h"

#include "SendingMainWindow.h"
#include "controls/CheckBox.h"
#include "controls/ComboBox.h"

class PreferencesViewTest : public QObject
{
    Q_OBJECT

private slots:
    // Both preferences follow the controls, and restored values show, without editing the project.
    void preferencesFollowTheControls()
    {
        TarvoModel model;
        PreferencesView view(nullptr, &model);
        QVERIFY(showExposed(&view));
        auto* knobMode = view.findChild<ComboBox*>();
        QTest::keyClick(knobMode, Qt::Key_Down);
        QCOMPARE(model.getModelIntValue(KnobModeId), int(KnobModeLinear));
        auto* timeStamp = view.findChild<CheckBox*>();
        QTest::mouseClick(timeStamp, Qt::LeftButton, {}, QPoint(timeStamp->height() / 2, timeStamp->height() / 2));
        QCOMPARE(model.getModelIntValue(TimeStampId), 1);
        QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);
        model.setModelIntValue(KnobModeId, KnobModeCircle);
        QCOMPARE(knobMode->currentIndex(), int(KnobModeCircle));
    }
};

QTEST_MAIN(PreferencesViewTest)
#include "PreferencesViewTest.moc"
