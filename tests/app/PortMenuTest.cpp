#include "PortMenus.h"
#include "app/MidiStatusLine.h"
#include "engine/MidiEngine.h"
#include "VirtualMidiPlatform.h"
#include "model/TarvoModel.h"

#include <QActionGroup>
#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

namespace {

// The window looks after its ports once a second.
const int RefreshTimeoutMs = 3000;
const unsigned char Note[] = {0x90, 0x3C, 0x64};
const char* const NoPortHint = "No port chosen: choose one in the InputPort or OutputPort menu";

QString storedInputPortName(MainWindow& window)
{
    return QSettings(window.getIniFilePath(), QSettings::IniFormat).value(QStringLiteral("PortName/InputPortName")).toString();
}

// Answers the next message box, once it runs, with OK and reports its text.
void acceptNextMessageBox(QString* seenText)
{
    QTimer::singleShot(0, [seenText]() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        *seenText = box->text();
        box->button(QMessageBox::Ok)->click();
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
        const auto drums = platform.addSource(QStringLiteral("Bass & Drums"));
        TarvoModel model;
        MainWindow window(nullptr, &model);
        const int groups = window.findChildren<QActionGroup*>().size();
        // Until a port is chosen the status bar says where to choose one.
        openPortMenu(window, InputPortMenu);
        const auto* status = window.findChild<MidiStatusLine*>();
        QVERIFY(status->text().contains(QLatin1String(NoPortHint)));
        // "&" is shown as itself, not as a mnemonic mark, and stored as it is.
        QVERIFY(choosePort(window, InputPortMenu, QStringLiteral("Bass && Drums")));
        QVERIFY(platform.isConnected(drums));
        QCOMPARE(storedInputPortName(window), QStringLiteral("Bass & Drums"));
        QVERIFY(!status->text().contains(QLatin1String(NoPortHint)));
        QVERIFY(choosePort(window, InputPortMenu, QStringLiteral("No Assign")));
        QVERIFY(!platform.isConnected(drums));
        QVERIFY(status->text().contains(QLatin1String(NoPortHint)));
        QCOMPARE(storedInputPortName(window), QStringLiteral("No Assign"));
        // Every rebuild reuses the menus' action groups.
        QCOMPARE(window.findChildren<QActionGroup*>().size(), groups);
        // A failed open says so and stores "No Assign".
        platform.failOperation(VirtualMidiPlatform::Operation::ConnectSource);
        QString message;
        acceptNextMessageBox(&message);
        QVERIFY(!choosePort(window, InputPortMenu, QStringLiteral("Bass && Drums")));
        QCOMPARE(message, QStringLiteral("Port open failed."));
        QCOMPARE(storedInputPortName(window), QStringLiteral("No Assign"));
    }

    // A chosen port that goes away is marked, sends to it fail, are counted
    // and show as not sent in the Out Monitor; one of the same name that
    // appears is connected again by the window itself.
    void vanishedPortIsMarkedAndReconnected()
    {
        VirtualMidiPlatform platform;
        const auto pad = platform.addSource(QStringLiteral("Pad"));
        const auto synth = platform.addDestination(QStringLiteral("Synth"));
        TarvoModel model;
        MainWindow window(nullptr, &model);
        QMdiSubWindow* monitor = window.openToolWindow(WindowRestorationInfo::WindowIdMidiOutMonitor);
        QVERIFY(choosePort(window, InputPortMenu, QStringLiteral("Pad")));
        QVERIFY(choosePort(window, OutputPortMenu, QStringLiteral("Synth")));
        platform.removeEndpoint(pad);
        platform.removeEndpoint(synth);
        QCOMPARE(portMenuTexts(window, InputPortMenu).first(), QStringLiteral("Pad (not available)"));
        QVERIFY(!window.transmitMidi(Note, sizeof Note));
        const auto newPad = platform.addSource(QStringLiteral("Pad"));
        platform.addDestination(QStringLiteral("Synth"));
        QTRY_VERIFY_WITH_TIMEOUT(platform.isConnected(newPad), RefreshTimeoutMs);
        bool sent = false;
        QTRY_VERIFY_WITH_TIMEOUT(sent = sent || window.transmitMidi(Note, sizeof Note), RefreshTimeoutMs);
        QTRY_VERIFY(monitor->findChild<QPlainTextEdit*>()->toPlainText().trimmed().endsWith(QStringLiteral("\n90 3C 64")));
        const QStringList lines = monitor->findChild<QPlainTextEdit*>()->toPlainText().trimmed().split(QLatin1Char('\n'));
        QCOMPARE(lines.count(QStringLiteral("90 3C 64 -- not sent --")), lines.size() - 1);
        QCOMPARE(window.engine().problems().failedSends, quint64(lines.size() - 1));
        QCOMPARE(platform.sentMessages().size(), 1);
    }
};

QTEST_MAIN(PortMenuTest)
#include "PortMenuTest.moc"
