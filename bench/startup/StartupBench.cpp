// Start-up time to the first shown main window: from the moment the process
// was created (so dynamic loading and static initialisation count) to the
// main window's first expose, with its project open. Runs itself five times
// a case and prints the median and the peak memory, first for a plain start,
// then for hostile settings and project files that once took minutes or
// gigabytes.

#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "model/TarvoModel.h"
#include "project/ProjectFileHelper.h"
#include "project/WindowRestorationInfo.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const int Runs = 5;
const int HostileCount = 10000;
const char* const ChildFlag = "--child";
const qint64 HugeFileSize = qint64(1900) << 20;

struct Case
{
    const char* name;
    QByteArray settings;
    QString project;
};

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
    skipOpenGlIntegration();
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("tarvo"));
    MainWindow window(nullptr, &model);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    // Read without the error box a refused file would show.
    ProjectFileHelper::ProjectDescription description;
    if (argc > 2 && ProjectFileHelper().parseFile(QString::fromLocal8Bit(argv[2]), description) == ProjectFileHelper::ReadOk)
        window.applyProjectDescription(description);
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    QTextStream(stdout) << millisecondsSinceProcessStart() << ' ' << usage.ru_maxrss << '\n';
    return 0;
}

QString writeProject(const QDir& dir, const char* name, int windowId, int count, const QRect& mainRect)
{
    ProjectFileHelper helper;
    ProjectFileHelper::ProjectDescription description;
    description.mainWindow.rect = mainRect;
    ProjectFileHelper::ToolWindowRecord record;
    record.info.windowId = windowId;
    record.info.rect = QRect(0, 0, 300, 200);
    for (int index = 0; index < count; ++index)
        description.toolWindows.append(record);
    QFile file(dir.filePath(QLatin1String(name)));
    if (file.open(QIODevice::WriteOnly))
        file.write(helper.serialize(description));
    return file.fileName();
}

QList<Case> hostileCases(const QDir& dir)
{
    QByteArray layout = "[SavePosition]\n";
    for (int index = 1; index <= HostileCount; ++index)
        layout += QByteArray::number(index).rightJustified(10, '0') + "-1-0=@Rect(0 0 300 200), 0, false\n";
    const QString fifo = dir.filePath(QStringLiteral("fifo.tarvo"));
    mkfifo(QFile::encodeName(fifo).constData(), 0600);
    const QString zeros = dir.filePath(QStringLiteral("zeros.tarvo"));
    QFile::link(QStringLiteral("/dev/zero"), zeros);
    const QString huge = writeProject(dir, "huge.tarvo", WindowRestorationInfo::WindowIdMidiInMonitor, 1, QRect(0, 0, 100, 100));
    QFile(huge).resize(HugeFileSize);
    return {
        {"plain start", QByteArray(), QString()},
        {"settings: a list claiming 2^31-1 elements", "[MidiThru]\nBulkInterval=@Variant(\\0\\0\\0\\t\\x7f\\xff\\xff\\xff)\n",
         QString()},
        {"settings: 10,000 In Monitors", layout, QString()},
        {"settings: BulkInterval=2147483647 with Thru", "[MidiThru]\nBulkInterval=2147483647\nMidiThru=1\n", QString()},
        {"project: main window 16777215 x 16777215", QByteArray(),
         writeProject(dir, "wide.tarvo", WindowRestorationInfo::WindowIdMidiInMonitor, 0,
                      QRect(0, 0, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX))},
        {"project: 10,000 timing clocks", QByteArray(),
         writeProject(dir, "clocks.tarvo", WindowRestorationInfo::WindowIdTimingClock, HostileCount, QRect(0, 0, 600, 400))},
        {"project: a FIFO", QByteArray(), fifo},
        {"project: a link to /dev/zero", QByteArray(), zeros},
        {"project: a 1.9 GB file", QByteArray(), huge},
    };
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && qstrcmp(argv[1], ChildFlag) == 0) {
        Q_INIT_RESOURCE(tarvo);
        return runChild(argc, argv);
    }

    QTemporaryDir dir;
    QTextStream out(stdout);
    out << "start-up to first shown window with the project read (ms, median of " << Runs << "), peak RSS (MB)\n";
    for (const Case& hostile : hostileCases(QDir(dir.path()))) {
        // Each case gets a settings folder of its own.
        const QString config = dir.filePath(QString::fromLatin1(hostile.name).replace(QLatin1Char(' '), QLatin1Char('_')));
        QDir().mkpath(config + QStringLiteral("/tarvo"));
        QList<double> times;
        long peak = 0;
        for (int run = 0; run < Runs; ++run) {
            QFile settings(config + QStringLiteral("/tarvo/Tarvo.ini"));
            if (settings.open(QIODevice::WriteOnly))
                settings.write(hostile.settings);
            settings.close();
            QProcess child;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
            child.setProcessEnvironment(environment);
            QStringList arguments = {QString::fromLatin1(ChildFlag)};
            if (!hostile.project.isEmpty())
                arguments << hostile.project;
            child.start(QString::fromLocal8Bit(argv[0]), arguments);
            if (!child.waitForFinished(60000) || child.exitCode() != 0) {
                QTextStream(stderr) << hostile.name << ": run " << run << " failed: " << child.readAllStandardError() << '\n';
                return 1;
            }
            const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
            times.append(figures.value(0).toDouble());
            peak = std::max(peak, figures.value(1).toLong());
        }
        std::sort(times.begin(), times.end());
        out << hostile.name << ": " << QString::number(times[Runs / 2], 'f', 1) << " ms, "
            << QString::number(peak / 1024.0, 'f', 1) << " MB\n";
    }
    return 0;
}
