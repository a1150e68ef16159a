// The memory a MIDI In Monitor takes for large System Exclusive dumps: dumps
// of 1 MiB (100 unless told) enter through the virtual MIDI platform's
// source, the main window's input port, the receive path and the monitor
// feed, each once the one before is in sight, into the only tool window.
// Prints the resident memory before and after, the growth per dump, and the
// lines the monitor kept, which Monitor Memory bounds.
//
// Usage: bench_monitormemory [Monitor Memory in MiB] [dumps]
#include "MonitorBenchRig.h"
#include "views/MidiEditTextView.h"
#include "views/MidiEditView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiSubWindow>
#include <QTextBlock>

#include <cstdio>

namespace {

const char* const SourceName = "Bench Dumps";
const int DumpBytes = 1 << 20;
const int DefaultDumps = 100;
// Pieces as the platform hands a long message on.
const int PieceBytes = 4096;
const qint64 SettleMs = 1000;
const qint64 ArrivalTimeoutMs = 20000;
const int MaxSystemExclusiveKiB = 2048;

QList<QByteArray> dumpPieces(int number)
{
    QByteArray dump(DumpBytes, char(number & 0x7F));
    dump[0] = char(0xF0);
    dump[DumpBytes - 1] = char(0xF7);
    QList<QByteArray> pieces;
    for (int offset = 0; offset < DumpBytes; offset += PieceBytes)
        pieces.append(dump.mid(offset, PieceBytes));
    return pieces;
}

// The start of a dump's hex line: its first bytes, all the dump's number.
QString dumpLine(int number)
{
    const QString hex = QStringLiteral("%1").arg(number & 0x7F, 2, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("F0 %1 %1").arg(hex);
}

// Waits until the dump's line is the monitor's last: the next one follows
// only then, as from a sender that the receive path keeps up with.
bool arrived(const MidiEditTextView* text, int number)
{
    QElapsedTimer arrival;
    arrival.start();
    while (!text->document()->lastBlock().text().contains(dumpLine(number))) {
        if (arrival.elapsed() > ArrivalTimeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void settle(qint64 milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
}

} // namespace

int main(int argc, char** argv)
{
    MonitorBenchRig rig(argc, argv, SourceName);
    const int memoryMiB = argc > 1 ? QByteArray(argv[1]).toInt() : DefaultMonitorMemoryMiB;
    const int dumps = argc > 2 ? QByteArray(argv[2]).toInt() : DefaultDumps;
    rig.model().setModelIntValue(MaxSystemExclusiveId, MaxSystemExclusiveKiB);
    rig.model().setModelIntValue(MonitorMemoryId, memoryMiB);
    if (!rig.open())
        return 1;
    MainWindow& window = rig.window();
    window.closeAllSubWindows();
    QMdiSubWindow* subWindow = window.createSubWindowByWindowId(
        WindowRestorationInfo::WindowIdMidiInMonitor, false, QRect(0, 0, 338, 274), Qt::WindowNoState, {});
    auto* text = subWindow->widget()->findChild<MidiEditTextView*>();
    settle(SettleMs);

    const long startKiB = residentKiB();
    QElapsedTimer feeding;
    feeding.start();
    for (int number = 1; number <= dumps; ++number) {
        rig.platform().injectPackets(rig.source(), dumpPieces(number));
        if (!arrived(text, number)) {
            std::printf("dump %d did not reach the monitor\n", number);
            return 1;
        }
    }
    const qint64 feedingMs = feeding.elapsed();
    settle(SettleMs);
    const long endKiB = residentKiB();

    std::printf("MIDI In Monitor fed %d dumps of %d bytes, Monitor Memory %d MiB (model value)\n", dumps, DumpBytes,
                memoryMiB);
    std::printf("resident memory: before %ld KiB, after %ld KiB, growth %ld KiB (%.0f KiB per dump)\n", startKiB,
                endKiB, endKiB - startKiB, double(endKiB - startKiB) / qMax(1, dumps));
    std::printf("monitor: %d lines kept; the dumps took %lld ms to arrive\n", text->document()->blockCount(),
                feedingMs);
    return 0;
}
