#include "views/MidiSettingsView.h"

#include "SendingMainWindow.h"
#include "controls/CheckBox.h"
#include "controls/SpinBox.h"

class MidiSettingsViewTest : public QObject
{
    Q_OBJECT

private slots:
    // Both settings follow the controls and show restored values, without editing the project.
    void settingsFollowTheControls()
    {
        TarvoModel model;
        MidiSettingsView view(nullptr, &model);
        QVERIFY(showExposed(&view));
        auto* interval = view.findChild<SpinBox*>();
        interval->setFocus();
        interval->findChild<QLineEdit*>()->selectAll();
        QTest::keyClicks(interval, "600");
        QTest::keyClick(interval, Qt::Key_Enter);
        QCOMPARE(model.getModelIntValue(BulkIntervalId), 600);
        auto* thru = view.findChild<CheckBox*>();
        QTest::mouseClick(thru, Qt::LeftButton, {}, QPoint(thru->height() / 2, thru->height() / 2));
        QCOMPARE(model.getModelIntValue(MidiThruId), 1);
        QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);
        model.setModelIntValue(BulkIntervalId, 42);
        QCOMPARE(interval->value(), 42);
    }
};

QTEST_MAIN(MidiSettingsViewTest)
#include "MidiSettingsViewTest.moc"
