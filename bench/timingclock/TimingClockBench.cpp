// Accuracy of the timing clock thread, at the virtual platform's steady-clock
// send times, over 10 s at 120 and 300 BPM: the mean clock rate against the
// tempo (least-squares slope), the largest deviation of a clock from its ideal
// time (counted from the play command, and again after removing the constant
// start offset), and the CPU time the playing thread takes.
#include "VirtualMidiPlatform.h"

#include "app/MainWindow.h"
#include "model/TarvoModel.h"
#include "engine/MidiEngine.h"
#include "services/MidiTimingClockTransmittionThread.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

const int PlaySeconds = 10;
const int OutputPortMenuIndex = 2;
// Linux gives a QThread the name of its class, cut to 15 characters.
const char* const ThreadName = "MidiTimingClock";

void selectOutput(MainWindow& window, const QString& name)
{
    window.createOutputPortMenu();
    QMenu* menu = window.menuBar()->actions().at(OutputPortMenuIndex)->menu();
    for (QAction* action : menu->actions()) {
        if (action->text() == name)
            window.outputPortMenuSelected(action);
    }
}

// User and system CPU seconds of the process's thread of that name, -1 when
// there is none.
double threadCpuSeconds(const char* name)
{
    const QStringList tasks = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& task : tasks) {
        QFile comm(QStringLiteral("/proc/self/task/%1/comm").arg(task));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != name)
            continue;
        QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(task));
        if (!stat.open(QIODevice::ReadOnly))
            return -1;
        const QByteArray line = stat.readAll();
        // Fields after the parenthesised name; utime and stime are the 14th and 15th.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        const double ticks = fields.at(11).toDouble() + fields.at(12).toDouble();
        return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
    return -1;
}

void measure(VirtualMidiPlatform& platform, MidiTimingClockTransmittionThread& thread, int tempo)
{
    platform.clearSentMessages();
    thread.setTempo(tempo);
    const double cpuBefore = threadCpuSeconds(ThreadName);
    const Clock::time_point start = Clock::now();
    thread.setPlayTimingClockFlag(true);
    QThread::sleep(PlaySeconds);
    thread.setPlayTimingClockFlag(false);
    const double cpu = threadCpuSeconds(ThreadName) - cpuBefore;
    QThread::msleep(100);

    const QList<VirtualMidiPlatform::SentMessage> sent = platform.sentMessages();
    const double period = 60.0 / (tempo / 10.0) / 24.0;
    const int n = sent.size();
    std::vector<double> times(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k)
        times[static_cast<size_t>(k)] = std::chrono::duration<double>(sent[k].time - start).count();

    // Least-squares line through (k, time): its slope is the mean period.
    double sumK = 0, sumT = 0, sumKK = 0, sumKT = 0;
    for (int k = 0; k < n; ++k) {
        const double t = times[static_cast<size_t>(k)];
        sumK += k;
        sumT += t;
        sumKK += static_cast<double>(k) * k;
        sumKT += k * t;
    }
    const double slope = (n * sumKT - sumK * sumT) / (n * sumKK - sumK * sumK);
    const double rateError = (period / slope - 1.0) * 100.0;

    // Clock k (from 1) is due k periods after the play command.
    double largest = 0, offsetSum = 0;
    std::vector<double> deviations(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) {
        const double deviation = times[static_cast<size_t>(k)] - (k + 1) * period;
        deviations[static_cast<size_t>(k)] = deviation;
        largest = std::max(largest, std::fabs(deviation));
        offsetSum += deviation;
    }
    const double offset = n > 0 ? offsetSum / n : 0;
    double largestAfterOffset = 0, late1ms = 0;
    for (double deviation : deviations) {
        largestAfterOffset = std::max(largestAfterOffset, std::fabs(deviation - offset));
        if (std::fabs(deviation) >= 1e-3)
            ++late1ms;
    }
    std::vector<double> magnitudes;
    for (double deviation : deviations)
        magnitudes.push_back(std::fabs(deviation));
    std::sort(magnitudes.begin(), magnitudes.end());
    const double p99 = n > 0 ? magnitudes[static_cast<size_t>(n - 1) * 99 / 100] : 0;
    std::printf("%5.1f BPM: %d clocks in %d s (ideal %.0f); mean rate error %+.4f %%; largest deviation %.3f ms "
                "from the play command (99th percentile %.3f ms), %.3f ms around the mean offset of %.3f ms; "
                "%.0f clocks off by 1 ms or more; playing thread CPU %.2f s of %d s (%.1f %%)\n",
                tempo / 10.0, n, PlaySeconds, PlaySeconds / period, rateError, largest * 1e3, p99 * 1e3,
                largestAfterOffset * 1e3, offset * 1e3, late1ms, cpu, PlaySeconds, cpu / PlaySeconds * 100.0);
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

    std::printf("timing clock thread, %d s per tempo; targets: rate error below 0.01 %%, largest deviation "
                "below 1 ms\n", PlaySeconds);
    MidiTimingClockTransmittionThread thread(nullptr, &MainWindow::m_pInstance->engine(), &MainWindow::m_pInstance->engine());
    // The thread takes its name once it runs.
    while (threadCpuSeconds(ThreadName) < 0)
        QThread::msleep(1);
    for (int tempo : {1200, 3000})
        measure(platform, thread, tempo);
    return 0;
}
