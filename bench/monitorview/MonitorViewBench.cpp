// A MIDI In Monitor under a steady stream of 10,000 Note On messages per
// second for 10 seconds. The messages enter through the virtual MIDI
// platform's source, the main window's input port, its receive thread and
// the monitor engine, and reach the monitor through the main window's poll
// timer. Prints the GUI thread's longest stall (the largest gap between two
// ticks of a 5 ms probe timer beyond its period), the longest poll tick, the
// largest interval between two poll ticks, and the resident memory at the
// start, the middle and the end, which the monitor's line limit keeps flat.
#include "PortMenus.h"
#include "VirtualMidiPlatform.h"
#include "app/MainWindow.h"
#include "model/TarvoModel.h"
#include "views/MidiEditProgressView.h"
#include "views/MidiEditTextView.h"
#include "views/MidiEditView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QTimerEvent>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

const int MessagesPerSecond = 10000;
const int Seconds = 10;
// Messages per injected packet list; one list per millisecond.
const int MessagesPerMillisecond = MessagesPerSecond / 1000;
const int ProbePeriodMs = 5;
const int PollPeriodMs = 100;
const char* const SourceName = "Bench Keys";
// Index of the InputPort menu in the menu bar.

// Resident set size in KiB, from /proc.
long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

// Times every poll tick that the main window handles.
class TimingApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (event->type() != QEvent::Timer || receiver != m_pWindow) {
            return QApplication::notify(receiver, event);
        }
        QElapsedTimer handling;
        handling.start();
        const bool result = QApplication::notify(receiver, event);
        const qint64 spent = handling.nsecsElapsed();
        const qint64 now = m_clock.nsecsElapsed();
        if (m_lastTick >= 0) {
            m_longestTickInterval = qMax(m_longestTickInterval, now - m_lastTick);
        }
        m_lastTick = now;
        m_longestTick = qMax(m_longestTick, spent);
        m_totalTicks += spent;
        ++m_ticks;
        return result;
    }

    void startTiming(QObject* window)
    {
        m_pWindow = window;
        m_clock.start();
    }

    QObject* m_pWindow = nullptr;
    QElapsedTimer m_clock;
    qint64 m_lastTick = -1;
    qint64 m_longestTickInterval = 0;
    qint64 m_longestTick = 0;
    qint64 m_totalTicks = 0;
    int m_ticks = 0;
};

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
    // Settings of a run of its own, never the user's.
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Q_INIT_RESOURCE(tarvo);

    VirtualMidiPlatform platform;
    const auto source = platform.addSource(QString::fromLatin1(SourceName));
    TarvoModel model;
    TimingApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("tarvo"));
    model.setModelIntValue(TimeStampId, 1);

    MainWindow window(nullptr, &model);
    window.show();
    QApplication::processEvents();
    if (!choosePort(window, InputPortMenu, QLatin1String(SourceName)) || !platform.isConnected(source)) {
        std::printf("the input port did not open on the virtual source\n");
        return 1;
    }
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

    // The GUI thread's responsiveness: gaps between ticks of a fast probe.
    QElapsedTimer probeClock;
    qint64 lastProbe = -1;
    qint64 longestProbeGap = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = probeClock.nsecsElapsed();
        if (lastProbe >= 0) {
            longestProbeGap = qMax(longestProbeGap, now - lastProbe);
        }
        lastProbe = now;
    });

    std::atomic<bool> producing{true};
    std::thread producer([&] {
        QList<QByteArray> packets;
        auto next = std::chrono::steady_clock::now();
        unsigned int n = 0;
        for (int ms = 0; ms < Seconds * 1000; ++ms) {
            packets.clear();
            for (int i = 0; i < MessagesPerMillisecond; ++i, ++n) {
                const char message[3] = {char(0x90 | (n & 0x0F)), char((n >> 4) & 0x7F), char((n >> 11) & 0x7F)};
                packets << QByteArray(message, 3);
            }
            platform.injectPackets(source, packets);
            next += std::chrono::milliseconds(1);
            std::this_thread::sleep_until(next);
        }
        producing = false;
    });

    application.startTiming(&window);
    probeClock.start();
    probe.start(ProbePeriodMs);
    QTimer::singleShot(Seconds * 1000 / 2, [&] { middleKiB = residentKiB(); });
    QEventLoop loop;
    QTimer watchProducer;
    QObject::connect(&watchProducer, &QTimer::timeout, [&] {
        if (!producing) {
            loop.quit();
        }
    });
    watchProducer.start(PollPeriodMs / 2);
    loop.exec();
    producer.join();
    platform.waitUntilDelivered();
    // Two more ticks collect what is still in the engine.
    QTimer::singleShot(2 * PollPeriodMs + 50, &loop, &QEventLoop::quit);
    loop.exec();
    probe.stop();
    const long endKiB = residentKiB();

    const double stallMs = double(longestProbeGap) / 1e6 - ProbePeriodMs;
    std::printf("GUI thread longest stall: %.1f ms beyond the %d ms probe period (target < 50 ms)\n", stallMs,
                ProbePeriodMs);
    std::printf("poll ticks: %d, mean tick %.1f ms, longest tick %.1f ms, longest interval between ticks %.1f ms "
                "(period %d ms)\n",
                application.m_ticks, double(application.m_totalTicks) / 1e6 / qMax(1, application.m_ticks),
                double(application.m_longestTick) / 1e6,
                double(application.m_longestTickInterval) / 1e6, PollPeriodMs);
    std::printf("resident memory: start %ld KiB, middle %ld KiB, end %ld KiB\n", startKiB, middleKiB, endKiB);
    auto* text = monitor->findChild<MidiEditTextView*>();
    std::printf("monitor: %d lines kept, byte count %s (expected %dBytes)\n", text->document()->blockCount(),
                qPrintable(monitor->findChild<MidiEditProgressView*>()->findChild<QLabel*>()->text()), MessagesPerSecond * Seconds * 3);
    return 0;
}
