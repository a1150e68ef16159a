// A MIDI In Monitor in the decoded view under 20,000 messages per second for
// 10 seconds (notes, controllers, pitch bend; time stamps on), fed through
// the virtual MIDI platform, the input port, the monitor engine and the main
// window's poll timer, with the default history of 512 lines and then the
// largest of 100,000. Prints the GUI thread's longest stall, the CPU time of
// the program and of its GUI thread (% of one core), and the resident memory
// at the start and the end of each run. Then times switching the view,
// finding a text and stepping to the next match in the 100,000 lines.
#include "MonitorBenchRig.h"
#include "engine/MonitorFeed.h"
#include "views/MidiEditTextView.h"
#include "views/MidiEditView.h"
#include "views/MonitorStatusLine.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>

#include <cstdio>
#include <unistd.h>

namespace {

const int MessagesPerSecond = 20000;
const int Seconds = 10;
const int MessagesPerMillisecond = MessagesPerSecond / 1000;
const int ProbePeriodMs = 5;
const int PollPeriodMs = 100;
const int DefaultHistory = 512;
const int LargeHistory = 100000;
const int FindSteps = 20;
const char* const SourceName = "Bench Keys";
const char* const FindText = "Pitch Bend";

// User and system CPU time in clock ticks of a /proc stat file.
long cpuTicks(const QString& path)
{
    QFile stat(path);
    if (!stat.open(QIODevice::ReadOnly)) {
        return -1;
    }
    // The fields after the command name, which is in parentheses.
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLong() + fields.value(12).toLong();
}

QAction* actionOf(QWidget* view, const char* text)
{
    for (QAction* action : view->findChildren<QAction*>()) {
        if (action->text() == QLatin1String(text)) {
            return action;
        }
    }
    return nullptr;
}

QByteArray message(unsigned int n)
{
    const unsigned char channel = n & 0x0F;
    const unsigned char value = (n >> 6) & 0x7F;
    unsigned char bytes[3] = {};
    switch ((n >> 4) % 4) {
    case 0:
        bytes[0] = 0x90 | channel, bytes[1] = value, bytes[2] = 0x40;
        break;
    case 1:
        bytes[0] = 0x80 | channel, bytes[1] = value, bytes[2] = 0x00;
        break;
    case 2:
        bytes[0] = 0xB0 | channel, bytes[1] = 0x07, bytes[2] = value;
        break;
    default:
        bytes[0] = 0xE0 | channel, bytes[1] = n & 0x7F, bytes[2] = value;
        break;
    }
    return QByteArray(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

double milliseconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    MonitorBenchRig rig(argc, argv, SourceName);
    if (!rig.open()) {
        return 1;
    }
    TarvoModel& model = rig.model();
    TimingApplication& application = rig.application();
    MainWindow& window = rig.window();
    window.closeAllSubWindows();
    QMdiSubWindow* subWindow = window.openToolWindow(WindowRestorationInfo::WindowIdMidiInMonitor);
    subWindow->resize(800, 500);
    auto* monitor = static_cast<MidiEditView*>(subWindow->widget());
    actionOf(monitor, "&Decoded")->trigger();
    auto* text = monitor->findChild<MidiEditTextView*>();
    QApplication::processEvents();

    const QString guiThreadStat = QStringLiteral("/proc/self/task/%1/stat").arg(getpid());
    const double ticksPerSecond = double(sysconf(_SC_CLK_TCK));
    unsigned int sent = 0;
    // One run of the stream through the poll timer, with figures.
    const auto stream = [&](int history) {
        model.setModelIntValue(MonitorHistoryId, history);
        std::printf("\nMIDI In Monitor, decoded view, history of %d lines, fed %d messages/s for %d s through the "
                    "poll timer (time stamps on)\n",
                    history, MessagesPerSecond, Seconds);
        const long startKiB = residentKiB();
        const long startTicks = cpuTicks(QStringLiteral("/proc/self/stat"));
        const long startGuiTicks = cpuTicks(guiThreadStat);
        application.startTiming(window.findChild<MonitorFeed*>());
        QElapsedTimer wall;
        wall.start();

        const StreamFeed feed{Seconds, MessagesPerMillisecond, ProbePeriodMs, PollPeriodMs};
        const double stallMs = feedStream(rig.platform(), rig.source(), feed, message, &sent);
        const double wallSeconds = milliseconds(wall) / 1e3;
        const double cpu = (cpuTicks(QStringLiteral("/proc/self/stat")) - startTicks) / ticksPerSecond / wallSeconds;
        const double guiCpu = (cpuTicks(guiThreadStat) - startGuiTicks) / ticksPerSecond / wallSeconds;
        std::printf("GUI thread longest stall: %.1f ms beyond the %d ms probe period; longest poll tick %.1f ms\n",
                    stallMs, ProbePeriodMs, double(application.m_longestTick) / 1e6);
        std::printf("CPU: program %.0f%% of one core (GUI thread %.0f%%; the rest the engine, the platform's "
                    "delivery and this feeder)\n",
                    cpu * 100, guiCpu * 100);
        std::printf("resident memory: start %ld KiB, end %ld KiB\n", startKiB, residentKiB());
        std::printf("monitor: %d lines in the text (under a flood only those in sight); %s\n",
                    text->document()->blockCount(),
                    qPrintable(monitor->findChild<MonitorStatusLine*>()->text()));
    };
    stream(DefaultHistory);
    stream(LargeHistory);

    std::printf("\nin the history of %d lines:\n", text->document()->blockCount());
    QElapsedTimer timer;
    for (const char* view : {"hex", "decoded"}) {
        timer.start();
        actionOf(monitor, "&Decoded")->trigger();
        std::printf("switching to the %s view: %.0f ms\n", view, milliseconds(timer));
    }
    actionOf(monitor, "&Find...")->trigger();
    auto* findText = monitor->findChild<QLineEdit*>();
    timer.start();
    findText->setText(QString::fromLatin1(FindText));
    std::printf("find \"%s\" (first match, all matches counted, those in sight highlighted): %.1f ms\n", FindText,
                milliseconds(timer));
    timer.start();
    for (int step = 0; step < FindSteps; ++step) {
        actionOf(monitor, "Find &Next")->trigger();
    }
    std::printf("find next (F3): %.1f ms a step, mean of %d\n", milliseconds(timer) / FindSteps, FindSteps);
    return 0;
}
