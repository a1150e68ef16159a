#include "JackPeer.h"
#include "JackTestServer.h"
#include "app/MainWindow.h"
#include "midi/platform/MidiPlatform.h"
#include "midi/platform/RtMidiPlatform.h"
#include "model/TarvoModel.h"

#include <QAction>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>

#include <memory>

namespace {

// Chooses the entry of a port menu with the given name, as a user would.
bool choosePort(MainWindow& window, int menuIndex, const QString& name)
{
    QMenu* menu = window.menuBar()->actions().at(menuIndex)->menu();
    menu->popup(QPoint(0, 0));
    menu->hide();
    for (QAction* action : menu->actions()) {
        if (action->text() == name) {
            action->trigger();
            return true;
        }
    }
    return false;
}

QStringList lines(QMdiSubWindow* monitor)
{
    QStringList result;
    for (const QString& line : monitor->findChild<QPlainTextEdit*>()->toPlainText().split(QLatin1Char('\n')))
        result << line.trimmed();
    return result;
}

} // namespace

// MIDI Thru end to end: a JACK peer plays into the input port and hears the
// same messages back from the output port, and both monitors show them.
class ThruJackTest : public QObject
{
    Q_OBJECT

private slots:
    void notesComeBackThroughThru();
};

void ThruJackTest::notesComeBackThroughThru()
{
    JackTestServer server;
    QVERIFY2(server.start(), qPrintable(server.log()));
    JackPeer peer(QStringLiteral("thru-peer"));
    QVERIFY(peer.isOpen());
    RtMidiPlatform platform({RtMidiPlatform::Backend::Jack});
    MidiPlatformIF* previous = MidiPlatform::install(&platform);
    {
        TarvoModel model;
        MainWindow window(nullptr, &model);
        QVERIFY(choosePort(window, 1, peer.outputPortName()));
        QVERIFY(choosePort(window, 2, peer.inputPortName()));
        model.setModelIntValue(MidiThruId, 1);
        QMdiSubWindow* inMonitor = window.createMidiEditView(QStringLiteral("MIDI &In Monitor"),
                                                             MidiEditView::MidiInMonitor, QSize(-1, -1), QString());
        QMdiSubWindow* outMonitor = window.createMidiEditView(QStringLiteral("MIDI O&ut Monitor"),
                                                              MidiEditView::MidiOutMonitor, QSize(-1, -1), QString());

        const QList<QByteArray> notes = {QByteArray::fromHex("903C64"), QByteArray::fromHex("913E50"),
                                         QByteArray::fromHex("803C00"), QByteArray::fromHex("813E00")};
        for (const QByteArray& note : notes)
            peer.send(note);
        // Active sensing is shown but not echoed.
        peer.send(QByteArray::fromHex("FE"));
        QVERIFY(peer.waitForReceived(notes.size(), 10000));
        QTest::qWait(300);
        QList<QByteArray> echoed;
        for (const JackPeer::Event& event : peer.received())
            echoed << event.bytes;
        QCOMPARE(echoed, notes);

        const QStringList expected = {"90 3C 64", "91 3E 50", "80 3C 00", "81 3E 00"};
        QTRY_COMPARE(lines(outMonitor), expected);
        QTRY_COMPARE(lines(inMonitor), expected + QStringList({"FE"}));
    }
    MidiPlatform::install(previous);
}

QTEST_MAIN(ThruJackTest)
#include "ThruJackTest.moc"
