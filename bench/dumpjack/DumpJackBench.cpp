// A 1 MiB System Exclusive dump over a real JACK server (dummy driver, 64
// frames at 48 kHz) with a peer of the bench's own. Receive: the peer sends
// it in 256-byte events into a receiving editor; prints the time until the
// editor shows the whole text (target under 1 s) and the peak memory it took
// (target under 20 times the dump). Send: the editor transmits it unpaced;
// prints the time until the peer has every byte (target at least 1 MB/s).
#include "Dumps.h"
#include "JackPeer.h"
#include "JackTestServer.h"
#include "PortMenus.h"

#include "midi/platform/JackMidiPlatform.h"
#include "midi/platform/MidiPlatform.h"
#include "model/TarvoModel.h"
#include "engine/MidiEngine.h"
#include "services/MidiEditTransmittionThread.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTest>

#include <cstdio>
#include <memory>

namespace {

const int DumpSize = 1 << 20;
const int PieceSize = 256;
const int TimeoutMs = 30000;

// VmRSS or VmHWM of this process in KiB.
long memoryKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLong();
    }
    return -1;
}

void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    JackTestServer server;
    if (!server.start()) {
        std::printf("no JACK server: %s\n", qPrintable(server.log()));
        return 1;
    }
    JackPeer peer(QStringLiteral("dump-peer"));
    JackMidiPlatform platform;
    MidiPlatform::install(&platform);
    TarvoModel model;
    auto window = std::make_unique<MainWindow>(nullptr, &model);
    choosePort(*window, InputPortMenu, peer.outputPortName());
    choosePort(*window, OutputPortMenu, peer.inputPortName());
    QMdiSubWindow* editor = window->openMessageEditorWindow(MidiEditView::SystemExclusiveReceive, QSize(), QString());
    auto* text = editor->findChild<QPlainTextEdit*>();
    if (!QTest::qWaitFor([&peer] { return peer.isHeard(); }, TimeoutMs)) {
        std::printf("the program did not connect to the peer\n");
        return 1;
    }

    const QByteArray dump = systemExclusiveDump(DumpSize);
    // Two digits and a space a byte, and the line break before the message.
    const int shownLength = 3 * DumpSize;
    QCoreApplication::processEvents();
    const long before = memoryKiB("VmRSS:");
    resetPeakMemory();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < DumpSize; i += PieceSize)
        peer.send(dump.mid(i, PieceSize));
    const bool shown = QTest::qWaitFor([&] { return text->document()->characterCount() >= shownLength; }, TimeoutMs);
    const double receiveSeconds = timer.nsecsElapsed() * 1e-9;
    const long peak = memoryKiB("VmHWM:");
    const bool identical = QByteArray::fromHex(text->toPlainText().toLatin1()) == dump;
    std::printf("receive 1 MiB in %d-byte events into a receiving editor: %s in %.3f s (target under 1 s), "
                "text %s; peak memory +%.1f MiB = %.1f times the dump (target under 20)\n",
                PieceSize, shown ? "shown" : "NOT SHOWN", receiveSeconds, identical ? "byte-identical" : "DIFFERENT",
                (peak - before) / 1024.0, (peak - before) * 1024.0 / DumpSize);

    MidiEditTransmittionThread thread(nullptr, &MainWindow::m_pInstance->engine());
    bool finished = false;
    QObject::connect(&thread, &MidiEditTransmittionThread::finishTransmittion, &app, [&finished](bool) { finished = true; });
    const QString hex = QString::fromLatin1(dump.toHex(' '));
    QByteArray joined;
    timer.restart();
    thread.setTransmittionMessage(hex);
    const bool handed = QTest::qWaitFor([&] { return finished; }, TimeoutMs);
    const double handedSeconds = timer.nsecsElapsed() * 1e-9;
    const bool arrived = QTest::qWaitFor([&] { return (joined = peer.receivedBytes()).size() >= DumpSize; }, TimeoutMs);
    const double sendSeconds = timer.nsecsElapsed() * 1e-9;
    std::printf("send 1 MiB unpaced from an editor: handed to JACK in %.3f s, all at the peer in %.3f s: %.2f MB/s "
                "(target at least 1 MB/s), %s\n",
                handedSeconds, sendSeconds, DumpSize / sendSeconds / 1e6,
                handed && arrived && joined == dump ? "byte-identical" : "INCOMPLETE");
    window.reset();
    MidiPlatform::install(nullptr);
    return 0;
}
