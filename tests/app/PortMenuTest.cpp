#include "VirtualMidiPlatform.h"
#include "app/MainWindow.h"
#include "model/TarvoModel.h"
#include "services/MidiAnalyzer.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

namespace {

QMenu* menuBarMenu(MainWindow& window, int index)
{
    return window.menuBar()->actions().at(index)->menu();
}

// Opens the menu as a user would (which rebuilds it) and closes it again.
QList<QAction*> openMenu(QMenu* menu)
{
    menu->popup(QPoint(0, 0));
    const QList<QAction*> actions = menu->actions();
    menu->hide();
    return actions;
}

QStringList texts(const QList<QAction*>& actions)
{
    QStringList result;
    for (QAction* action : actions)
        result << action->text();
    return result;
}

QAction* checkedAction(const QList<QAction*>& actions)
{
    for (QAction* action : actions) {
        if (action->isChecked())
            return action;
    }
    return nullptr;
}

QString storedPortName(MainWindow& window, const char* key)
{
    QSettings settings(window.getIniFilePath(), QSettings::IniFormat);
    return settings.value(QStringLiteral("PortName/") + QLatin1String(key)).toString();
}

// Answers the next message box with OK and reports its text.
void acceptNextMessageBox(QString* seenText)
{
    QTimer::singleShot(0, [seenText]() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box && box->isVisible()) {
                *seenText = box->text();
                box->button(QMessageBox::Ok)->click();
                return;
            }
        }
        acceptNextMessageBox(seenText);
    });
}

} // namespace

class PortMenuTest : public QObject
{
    Q_OBJECT

private slots:
    void noSourcesListsOnlyNoAssign();
    void choosingAPortOpensItAndStoresItsName();
    void duplicateNamesCheckTheFirst();
    void unpluggedSourceIsClosedAtTheNextMenuBuild();
    void failedOpenShowsMessageAndStoresNoAssign();
    void transmitReachesPortAndOutMonitorOnlyWhenOpen();
};

void PortMenuTest::noSourcesListsOnlyNoAssign()
{
    VirtualMidiPlatform platform;
    TarvoModel model;
    MainWindow window(nullptr, &model);
    for (int menuIndex : {1, 2}) {
        const QList<QAction*> actions = openMenu(menuBarMenu(window, menuIndex));
        QCOMPARE(texts(actions), QStringList({"No Assign"}));
        QVERIFY(actions.first()->isChecked());
        QCOMPARE(actions.first()->data().toUInt(), 0xFFFFFFFFu);
    }
}

void PortMenuTest::choosingAPortOpensItAndStoresItsName()
{
    VirtualMidiPlatform platform;
    platform.addSource(QStringLiteral("Keys In"));
    const auto synth = platform.addSource(QStringLiteral("Synth In"));
    platform.addDestination(QStringLiteral("Synth Out"));
    TarvoModel model;
    MainWindow window(nullptr, &model);

    QMenu* input = menuBarMenu(window, 1);
    QList<QAction*> actions = openMenu(input);
    QCOMPARE(texts(actions), QStringList({"No Assign", "Keys In", "Synth In"}));
    QCOMPARE(actions[2]->data().toUInt(), 1u);
    actions[2]->trigger();
    QVERIFY(platform.isConnected(synth));
    QCOMPARE(storedPortName(window, "InputPortName"), QStringLiteral("Synth In"));
    QCOMPARE(checkedAction(openMenu(input))->text(), QStringLiteral("Synth In"));

    // The same entry again reopens the same source.
    openMenu(input)[2]->trigger();
    QVERIFY(platform.isConnected(synth));

    // "No Assign" closes the port and is stored as such.
    openMenu(input)[0]->trigger();
    QVERIFY(!platform.isConnected(synth));
    QCOMPARE(storedPortName(window, "InputPortName"), QStringLiteral("No Assign"));

    QMenu* output = menuBarMenu(window, 2);
    openMenu(output)[1]->trigger();
    QCOMPARE(storedPortName(window, "OutputPortName"), QStringLiteral("Synth Out"));
    QCOMPARE(checkedAction(openMenu(output))->text(), QStringLiteral("Synth Out"));
}

void PortMenuTest::duplicateNamesCheckTheFirst()
{
    VirtualMidiPlatform platform;
    platform.addSource(QStringLiteral("Twin"));
    const auto second = platform.addSource(QStringLiteral("Twin"));
    TarvoModel model;
    MainWindow window(nullptr, &model);
    QMenu* input = menuBarMenu(window, 1);
    openMenu(input)[2]->trigger();
    QVERIFY(platform.isConnected(second));
    const QList<QAction*> actions = openMenu(input);
    QCOMPARE(checkedAction(actions), actions[1]);
}

void PortMenuTest::unpluggedSourceIsClosedAtTheNextMenuBuild()
{
    VirtualMidiPlatform platform;
    const auto source = platform.addSource(QStringLiteral("Pad"));
    TarvoModel model;
    MainWindow window(nullptr, &model);
    QMenu* input = menuBarMenu(window, 1);
    openMenu(input)[1]->trigger();
    QVERIFY(platform.isConnected(source));

    platform.removeEndpoint(source);
    const QList<QAction*> actions = openMenu(input);
    QCOMPARE(texts(actions), QStringList({"No Assign"}));
    QVERIFY(actions.first()->isChecked());
    // The menu build does not write the settings file.
    QCOMPARE(storedPortName(window, "InputPortName"), QStringLiteral("Pad"));
}

void PortMenuTest::failedOpenShowsMessageAndStoresNoAssign()
{
    VirtualMidiPlatform platform;
    platform.addSource(QStringLiteral("Flaky"));
    TarvoModel model;
    MainWindow window(nullptr, &model);
    QMenu* input = menuBarMenu(window, 1);
    QAction* flaky = openMenu(input)[1];
    platform.failOperation(VirtualMidiPlatform::Operation::ConnectSource);
    QString message;
    acceptNextMessageBox(&message);
    flaky->trigger();
    QCOMPARE(message, QStringLiteral("Port open failed."));
    QCOMPARE(storedPortName(window, "InputPortName"), QStringLiteral("No Assign"));
    QVERIFY(checkedAction(openMenu(input))->data().toUInt() == 0xFFFFFFFFu);
}

void PortMenuTest::transmitReachesPortAndOutMonitorOnlyWhenOpen()
{
    VirtualMidiPlatform platform;
    platform.addDestination(QStringLiteral("Synth Out"));
    TarvoModel model;
    MainWindow window(nullptr, &model);
    const unsigned char note[] = {0x90, 0x3C, 0x64};

    QMdiSubWindow* monitor = window.createMidiEditView(QStringLiteral("MIDI O&ut Monitor"),
                                                       MidiEditView::MidiOutMonitor, QSize(-1, -1), QString());
    auto* monitorText = monitor->findChild<QPlainTextEdit*>();
    QVERIFY(monitorText);

    // No output port open: refused, nothing for the Out monitor.
    QVERIFY(!window.transmitMidi(note, sizeof(note)));
    QCOMPARE(platform.sentMessages().size(), 0);
    QTest::qWait(250);
    QCOMPARE(monitorText->toPlainText(), QString());

    openMenu(menuBarMenu(window, 2))[1]->trigger();
    QVERIFY(window.transmitMidi(note, sizeof(note)));
    QCOMPARE(platform.sentMessages().size(), 1);
    QCOMPARE(platform.sentMessages().first().bytes, QByteArray("\x90\x3C\x64", 3));
    // The poll timer hands the sent line to the Out monitor.
    QTRY_COMPARE(monitorText->toPlainText().trimmed(), QStringLiteral("90 3C 64"));
}

QTEST_MAIN(PortMenuTest)
#include "PortMenuTest.moc"
