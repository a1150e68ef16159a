// A MIDI In Monitor under a steady stream of 10,000 Note On messages per
// second for 10 seconds. The messages enter through the virtual MIDI
// platform's source, the main window's input port, its receive thread and
// the monitor engine, and reach the monitor through the main window's poll
// timer. Prints the GUI thread's longest stall (the largest gap between two
// ticks of a 5 ms probe timer beyond its period), the longest poll tick, the
// largest interval between two poll ticks, and the resident memory at the
// start, the middle and the end, which the monitor's line limit keeps flat.
#include "MonitorBenchRig.h"
#include "engine/MonitorFeed.h"
#include "views/MidiEditProgressView.h"
#include "views/MidiEditTextView.h"
#include "views/MidiEditView.h"

#include <QApplication>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTimer>

#include <cstdio>

namespace {

const int MessagesPerSecond = 10000;
const int Seconds = 10;
// Messages per injected packet list; one list per millisecond.
const int MessagesPerMillisecond = MessagesPerSecond / 1000;
const int ProbePeriodMs = 5;
const int PollPeriodMs = 100;
const char* const SourceName = "Bench Keys";
MidiEditView* findInMonitor(MainWindow& window)
{
    for (QMdiSubWindow* subWindow : window.getSubWindowList()) {
        auto* view = qobject_cast<MidiEditView*>(subWindow->widget());
        if (view != nullptr && view->windowId == WindowRestorationInfo::WindowIdMidiInMonitor) {
            return view;
        }
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    MonitorBenchRig rig(argc, argv, SourceName);
    if (!rig.open()) {
        return 1;
    }
    TimingApplication& application = rig.application();
    MainWindow& window = rig.window();
    MidiEditView* monitor = findInMonitor(window);
    if (monitor == nullptr) {
        window.createSubWindowByWindowId(WindowRestorationInfo::WindowIdMidiInMonitor, false, QRect(0, 0, 338, 274),
                                         Qt::WindowNoState, QList<QVariant>());
        monitor = findInMonitor(window);
    }
    QApplication::processEvents();

    const long startKiB = residentKiB();
    long middleKiB = 0;
    std::printf("MIDI In Monitor fed %d Note On messages/s for %d s through the poll timer (time stamps on)\n",
                MessagesPerSecond, Seconds);

    application.startTiming(window.findChild<MonitorFeed*>());
    QTimer::singleShot(Seconds * 1000 / 2, [&] { middleKiB = residentKiB(); });
    unsigned int sent = 0;
    const double stallMs = feedStream(
        rig.platform(), rig.source(), StreamFeed{Seconds, MessagesPerMillisecond, ProbePeriodMs, PollPeriodMs},
        [](unsigned int n) {
            const char message[3] = {char(0x90 | (n & 0x0F)), char((n >> 4) & 0x7F), char((n >> 11) & 0x7F)};
            return QByteArray(message, 3);
        },
        &sent);
    const long endKiB = residentKiB();

    std::printf("GUI thread longest stall: %.1f ms beyond the %d ms probe period (target < 50 ms)\n", stallMs,
                ProbePeriodMs);
    std::printf("poll ticks: %d, mean tick %.1f ms, longest tick %.1f ms, longest interval between ticks %.1f ms "
                "(period %d ms)\n",
                application.m_ticks, double(application.m_totalTicks) / 1e6 / qMax(1, application.m_ticks),
                double(application.m_longestTick) / 1e6,
                double(application.m_longestTickInterval) / 1e6, PollPeriodMs);
    std::printf("resident memory: start %ld KiB, middle %ld KiB, end %ld KiB\n", startKiB, middleKiB, endKiB);
    auto* text = monitor->findChild<MidiEditTextView*>();
    std::printf("monitor: %d lines in the text (under a flood only those in sight), byte count %s (expected %dBytes)\n",
                text->document()->blockCount(),
                qPrintable(monitor->findChild<MidiEditProgressView*>()->findChild<QLabel*>()->text()), MessagesPerSecond * Seconds * 3);
    return 0;
}
