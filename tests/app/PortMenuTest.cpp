#include "VirtualMidiPlatform.h"
#include "app/MainWindow.h"
#include "model/TarvoModel.h"

#include <QAction>
#include <QActionGroup>
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

const int InputMenu = 1;
const int OutputMenu = 2;
// The window looks after its ports once a second.
const int RefreshTimeoutMs = 3000;
const unsigned char Note[] = {0x90, 0x3C, 0x64};

// Opens the menu as a user would (which rebuilds it) and closes it again.
QList<QAction*> openMenu(MainWindow& window, int index)
{
    QMenu* menu = window.menuBar()->actions().at(index)->menu();
    menu->popup(QPoint(0, 0));
    const QList<QAction*> actions = menu->actions();
    menu->hide();
    return actions;
}

QString checkedText(MainWindow& window, int index)
{
    for (QAction* action : openMenu(window, index)) {
        if (action->isChecked())
            return action->text();
    }
    return QString();
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
    void choosingAPortOpensItAndStoresItsName()
    {
        VirtualMidiPlatform platform;
        platform.addSource(QStringLiteral("Keys"));
        const auto drums = platform.addSource(QStringLiteral("Bass & Drums"));
        TarvoModel model;
        MainWindow window(nullptr, &model);
        const int groups = window.findChildren<QActionGroup*>().size();

        // "&" is shown as itself, not as a mnemonic mark.
        QList<QAction*> actions = openMenu(window, InputMenu);
        QCOMPARE(actions[2]->text(), QStringLiteral("Bass && Drums"));
        actions[2]->trigger();
        QVERIFY(platform.isConnected(drums));
        QCOMPARE(storedPortName(window, "InputPortName"), QStringLiteral("Bass & Drums"));
        QCOMPARE(checkedText(window, InputMenu), QStringLiteral("Bass && Drums"));
        // "No Assign" closes the port and is stored as such.
        openMenu(window, InputMenu)[0]->trigger();
        QVERIFY(!platform.isConnected(drums));
        QCOMPARE(storedPortName(window, "InputPortName"), QStringLiteral("No Assign"));
        // Every rebuild reuses the menus' action groups.
        QCOMPARE(window.findChildren<QActionGroup*>().size(), groups);
    }

    // A chosen port that goes away is marked, sends to it fail and do not
    // reach the Out Monitor; one of the same name that appears is connected
    // again by the window itself.
    void vanishedPortIsMarkedAndReconnected()
    {
        VirtualMidiPlatform platform;
        const auto pad = platform.addSource(QStringLiteral("Pad"));
        const auto synth = platform.addDestination(QStringLiteral("Synth"));
        TarvoModel model;
        MainWindow window(nullptr, &model);
        QMdiSubWindow* monitor
            = window.createMidiEditView(QString(), MidiEditView::MidiOutMonitor, QSize(-1, -1), QString());
        openMenu(window, InputMenu)[1]->trigger();
        openMenu(window, OutputMenu)[1]->trigger();
        platform.removeEndpoint(pad);
        platform.removeEndpoint(synth);
        QCOMPARE(checkedText(window, InputMenu), QStringLiteral("Pad (not available)"));
        QVERIFY(!window.transmitMidi(Note, sizeof Note));

        const auto newPad = platform.addSource(QStringLiteral("Pad"));
        platform.addDestination(QStringLiteral("Synth"));
        QTRY_VERIFY_WITH_TIMEOUT(platform.isConnected(newPad), RefreshTimeoutMs);
        bool sent = false;
        QTRY_VERIFY_WITH_TIMEOUT(sent = sent || window.transmitMidi(Note, sizeof Note), RefreshTimeoutMs);
        QCOMPARE(checkedText(window, OutputMenu), QStringLiteral("Synth"));
        QTRY_COMPARE(monitor->findChild<QPlainTextEdit*>()->toPlainText().trimmed(), QStringLiteral("90 3C 64"));
        QCOMPARE(platform.sentMessages().size(), 1);
    }

    void failedOpenShowsMessageAndStoresNoAssign()
    {
        VirtualMidiPlatform platform;
        platform.addSource(QStringLiteral("Flaky"));
        TarvoModel model;
        MainWindow window(nullptr, &model);
        QAction* flaky = openMenu(window, InputMenu)[1];
        platform.failOperation(VirtualMidiPlatform::Operation::ConnectSource);
        QString message;
        acceptNextMessageBox(&message);
        flaky->trigger();
        QCOMPARE(message, QStringLiteral("Port open failed."));
        QCOMPARE(storedPortName(window, "InputPortName"), QStringLiteral("No Assign"));
        QCOMPARE(checkedText(window, InputMenu), QStringLiteral("No Assign"));
    }
};

QTEST_MAIN(PortMenuTest)
#include "PortMenuTest.moc"
