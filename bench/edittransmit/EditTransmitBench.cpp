// Throughput of the message transmission thread: 1 MB of System Exclusive
// message text through MidiEditTransmittionThread and the main window's
// transmit path to the virtual platform, bulk interval 0, with the three
// signals received queued on the GUI thread as the editor receives them.
// Prints megabytes of text per second, whether every message arrived and how
// often progress was reported. Then the rate limit: a dump sent at 3,125 and
// 100,000 bytes per second for about 5 s, with the rate the sends show.
#include "VirtualMidiPlatform.h"

#include "app/MainWindow.h"
#include "model/TarvoModel.h"
#include "engine/MidiEngine.h"
#include "services/MidiEditTransmittionThread.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>

#include <chrono>
#include <cstdio>

namespace {

const int TextSize = 1 << 20;
const int Rounds = 3;
const int OutputPortMenuIndex = 2;
const int RateSeconds = 5;

// Message text of System Exclusive messages of messageSize bytes, one per
// line, filling about TextSize characters; returns the message count.
int makeDump(QString* text, int messageSize)
{
    const int lineSize = 3 * messageSize + 1;
    const int count = TextSize / lineSize;
    text->reserve(count * lineSize);
    for (int m = 0; m < count; ++m) {
        text->append(QLatin1String("F0 "));
        for (int i = 0; i < messageSize - 2; ++i)
            text->append(QStringLiteral("%1 ").arg((m + i) & 0x7F, 2, 16, QLatin1Char('0')).toUpper());
        text->append(QLatin1String("F7\n"));
    }
    return count;
}

void selectOutput(MainWindow& window, const QString& name)
{
    window.createOutputPortMenu();
    QMenu* menu = window.menuBar()->actions().at(OutputPortMenuIndex)->menu();
    for (QAction* action : menu->actions()) {
        if (action->text() == name)
            window.outputPortMenuSelected(action);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    VirtualMidiPlatform platform;
    platform.addDestination(QStringLiteral("Synth"));
    TarvoModel model;
    MainWindow window(nullptr, &model);
    selectOutput(window, QStringLiteral("Synth"));

    std::printf("message transmission thread, %d characters of System Exclusive text, bulk interval 0; "
                "target 50 MB/s of text\n", TextSize);
    for (int messageSize : {256, 16}) {
        QString text;
        const int count = makeDump(&text, messageSize);
        for (bool progressConnected : {true, false}) {
        for (int round = 1; round <= Rounds; ++round) {
            platform.clearSentMessages();
            MidiEditTransmittionThread thread(nullptr, &MainWindow::m_pInstance->engine());
            int progressReports = 0;
            bool finished = false;
            bool result = false;
            if (progressConnected) {
                QObject::connect(&thread, &MidiEditTransmittionThread::transmittionProgress, &app,
                                 [&progressReports](quint32) { ++progressReports; });
            }
            QObject::connect(&thread, &MidiEditTransmittionThread::finishTransmittion, &app,
                             [&finished, &result](bool ok) {
                                 finished = true;
                                 result = ok;
                             });
            QElapsedTimer timer;
            timer.start();
            thread.setTransmittionMessage(text);
            while (!finished)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            const double seconds = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
            QCoreApplication::processEvents();
            const bool complete = result && platform.sentMessages().size() == count;
            std::printf("%4d-byte messages, progress %s, round %d: %d messages, %d characters in %.3f s: "
                        "%.1f MB/s of text, %.0f messages/s, %d progress reports, %s\n",
                        messageSize, progressConnected ? "received" : "unconnected", round, count,
                        static_cast<int>(text.size()), seconds, text.size() / seconds / 1e6, count / seconds,
                        progressReports, complete ? "all sent" : "INCOMPLETE");
        }
        }
    }
    for (const unsigned int rate : {3125u, 100000u}) {
        const int dumpSize = static_cast<int>(rate) * RateSeconds;
        QString text = QStringLiteral("F0 ") + QStringLiteral("01 ").repeated(dumpSize - 2) + QStringLiteral("F7");
        platform.clearSentMessages();
        MidiEditTransmittionThread thread(nullptr, &MainWindow::m_pInstance->engine());
        bool finished = false;
        QObject::connect(&thread, &MidiEditTransmittionThread::finishTransmittion, &app,
                         [&finished](bool) { finished = true; });
        thread.setTransmittionMessage(text, rate);
        while (!finished)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const auto sent = platform.sentMessages();
        // From the first piece to the last: the bytes before the last took that long.
        const double seconds = std::chrono::duration<double>(sent.last().time - sent.first().time).count();
        const double measured = (dumpSize - sent.last().bytes.size()) / seconds;
        std::printf("rate limit %u B/s: %d bytes in %d pieces over %.3f s: %.1f B/s, %+.2f %% (target within 2 %%)\n",
                    rate, dumpSize, static_cast<int>(sent.size()), seconds, measured,
                    (measured / rate - 1.0) * 100.0);
    }
    return 0;
}
