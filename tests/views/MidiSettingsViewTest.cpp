#include "views/MidiSettingsView.h"

#include "controls/CheckBox.h"
#include "controls/SpinBox.h"
#include "model/TarvoModel.h"

#include <QLineEdit>
#include <QtTest>

class MidiSettingsViewTest : public QObject
{
    Q_OBJECT

private slots:
    void showsAndWritesBothSettingsButLeavesTheProjectUnedited();
};

void MidiSettingsViewTest::showsAndWritesBothSettingsButLeavesTheProjectUnedited()
{
    TarvoModel model;
    model.setModelIntValue(BulkIntervalId, 250);
    model.setModelIntValue(MidiThruId, 1);
    auto* view = new MidiSettingsView(nullptr, &model);
    auto* interval = view->findChild<SpinBox*>();
    auto* thru = view->findChild<CheckBox*>();
    QVERIFY(interval != nullptr && thru != nullptr);
    QCOMPARE(interval->maximum(), 1000);
    QCOMPARE(interval->value(), 250);
    QVERIFY(thru->isChecked());

    // Changes made elsewhere, such as restored settings, show at once.
    model.setModelIntValue(BulkIntervalId, 42);
    QCOMPARE(interval->value(), 42);
    model.setModelIntValue(MidiThruId, 0);
    QVERIFY(!thru->isChecked());

    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view));
    interval->setFocus();
    interval->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(interval, "600");
    QTest::keyClick(interval, Qt::Key_Enter);
    QCOMPARE(model.getModelIntValue(BulkIntervalId), 600);
    QTest::mouseClick(thru, Qt::LeftButton);
    QCOMPARE(model.getModelIntValue(MidiThruId), 1);
    QTest::mouseClick(thru, Qt::LeftButton);
    QCOMPARE(model.getModelIntValue(MidiThruId), 0);
    view->close();
    delete view;
    QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);
}

QTEST_MAIN(MidiSettingsViewTest)
#include "MidiSettingsViewTest.moc"
