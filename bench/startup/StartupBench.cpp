// Start-up time to the first shown main window: from the moment the process
// was created (so dynamic loading and static initialisation count) to the
// main window's first expose. Runs itself five times and prints the median.

#include "app/MainWindow.h"
#include "model/TarvoModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <unistd.h>

namespace {

const int Runs = 5;
const char* const ChildFlag = "--child";

// Milliseconds since this process was created, from /proc/self/stat.
double millisecondsSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string field;
    for (int i = 0; i < 22 && stat >> field; ++i) {
    }
    const double startTicks = std::stod(field);
    timespec now {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
    return nowMs - startTicks * 1000.0 / sysconf(_SC_CLK_TCK);
}

int runChild(int argc, char* argv[])
{
    TarvoModel model;
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("tarvo"));
    MainWindow window(nullptr, &model);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    QTextStream(stdout) << millisecondsSinceProcessStart() << '\n';
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && qstrcmp(argv[1], ChildFlag) == 0) {
        Q_INIT_RESOURCE(tarvo);
        return runChild(argc, argv);
    }

    QList<double> times;
    for (int run = 0; run < Runs; ++run) {
        QProcess child;
        child.start(QString::fromLocal8Bit(argv[0]), {QString::fromLatin1(ChildFlag)});
        if (!child.waitForFinished(30000) || child.exitCode() != 0) {
            QTextStream(stderr) << "run " << run << " failed: " << child.readAllStandardError() << '\n';
            return 1;
        }
        times.append(child.readAllStandardOutput().trimmed().toDouble());
    }
    std::sort(times.begin(), times.end());
    QTextStream out(stdout);
    out << "start-up to first shown window (ms), " << Runs << " runs:";
    for (double t : times)
        out << ' ' << QString::number(t, 'f', 1);
    out << "\nmedian: " << QString::number(times[Runs / 2], 'f', 1) << " ms\n";
    return 0;
}
