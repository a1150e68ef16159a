#include "views/MidiSettingsView.h"

#include "controls/CheckBox.h"
#include "controls/SpinBox.h"
#include "model/TarvoModel.h"

#include <QLabel>
#include <QLineEdit>
#include <QtTest>

class MidiSettingsViewTest : public QObject
{
    Q_OBJECT

private slots:
    void showsBothSettingsWithTheParameterRange();
    void writesWhatTheUserChanges();
    void leavesTheProjectUnedited();
};

void MidiSettingsViewTest::showsBothSettingsWithTheParameterRange()
{
    TarvoModel model;
    model.setModelIntValue(BulkIntervalId, 250);
    model.setModelIntValue(MidiThruId, 1);
    MidiSettingsView view(nullptr, &model);

    QCOMPARE(view.windowId, int(WindowRestorationInfo::WindowIdMidiSettings));
    auto* label = view.findChild<QLabel*>();
    QVERIFY(label != nullptr);
    QCOMPARE(label->text(), QString("Bulk Interval (ms)"));
    auto* interval = view.findChild<SpinBox*>();
    QVERIFY(interval != nullptr);
    QCOMPARE(interval->minimum(), 0);
    QCOMPARE(interval->maximum(), 1000);
    QCOMPARE(interval->value(), 250);
    auto* thru = view.findChild<CheckBox*>();
    QVERIFY(thru != nullptr);
    QCOMPARE(thru->text(), QString("MIDI Thru"));
    QVERIFY(thru->isChecked());

    // Changes made elsewhere, such as restored settings, show at once.
    model.setModelIntValue(BulkIntervalId, 42);
    QCOMPARE(interval->value(), 42);
    model.setModelIntValue(MidiThruId, 0);
    QVERIFY(!thru->isChecked());
}

void MidiSettingsViewTest::writesWhatTheUserChanges()
{
    TarvoModel model;
    MidiSettingsView view(nullptr, &model);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto* interval = view.findChild<SpinBox*>();
    auto* thru = view.findChild<CheckBox*>();

    interval->setFocus();
    interval->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(interval, "600");
    QTest::keyClick(interval, Qt::Key_Enter);
    QCOMPARE(model.getModelIntValue(BulkIntervalId), 600);

    QTest::mouseClick(thru, Qt::LeftButton);
    QCOMPARE(model.getModelIntValue(MidiThruId), 1);
    QTest::mouseClick(thru, Qt::LeftButton);
    QCOMPARE(model.getModelIntValue(MidiThruId), 0);
}

void MidiSettingsViewTest::leavesTheProjectUnedited()
{
    TarvoModel model;
    auto* view = new MidiSettingsView(nullptr, &model);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view));
    QTest::mouseClick(view->findChild<CheckBox*>(), Qt::LeftButton);
    view->findChild<SpinBox*>()->stepUp();
    QCOMPARE(model.getModelIntValue(BulkIntervalId), 1);
    view->close();
    delete view;
    QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);
}

QTEST_MAIN(MidiSettingsViewTest)
#include "MidiSettingsViewTest.moc"
