// The settings file: layout, ports and parameters written and read back, and
// hostile files that must neither crash the program nor make it slow.

#include "MainWindowRig.h"
#include "PortMenus.h"
#include "VirtualMidiPlatform.h"
#include "app/ToolWindowQuota.h"
#include "model/TarvoModel.h"

#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <csignal>

namespace {

using Id = WindowRestorationInfo;
const char* const MainWindowKey = "SavePosition/0000000000-0-0";
const QPoint OffScreenRestoreOffset(50, 50);
// A placement row whose window was moved or shrunk to fit, frame and all.
const int FittedState = -1;

QString iniFilePath()
{
    return QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation).first() + QStringLiteral("/Tarvo.ini");
}

void writeSetting(const QString& key, const QVariant& value)
{
    QSettings settings(iniFilePath(), QSettings::IniFormat);
    settings.setValue(key, value);
}

void writeIniText(const QByteArray& text, const QString& path = iniFilePath())
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// The program itself, with a settings folder of its own.
class Program
{
public:
    Program()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path());
        m_process.setProcessEnvironment(environment);
        QDir().mkpath(m_home.filePath(QStringLiteral("tarvo")));
    }

    QString iniPath() const { return m_home.filePath(QStringLiteral("tarvo/Tarvo.ini")); }

    // Started and given the time to read its settings.
    bool start()
    {
        m_process.start(QStringLiteral(TARVO_EXECUTABLE), QStringList());
        const bool started = m_process.waitForStarted();
        QTest::qWait(1500);
        return started;
    }

    // Closes as the window manager's close would: the layout, then the rest.
    void terminate() { ::kill(pid_t(m_process.processId()), SIGTERM); }

    bool finished()
    {
        return m_process.waitForFinished(20000) && m_process.exitStatus() == QProcess::NormalExit
            && m_process.exitCode() == 0;
    }

    QString standardError() { return QString::fromLocal8Bit(m_process.readAllStandardError()); }

    QStringList layoutKeys() const
    {
        QSettings settings(iniPath(), QSettings::IniFormat);
        settings.beginGroup(QStringLiteral("SavePosition"));
        return settings.childKeys();
    }

private:
    QTemporaryDir m_home;
    QProcess m_process;
};

// A main window on the virtual platform, shown as the program shows it, so
// that it restores the settings.
struct Session
{
    explicit Session(bool show = true)
    {
        initTarvoResources();
        m_pWindow = std::make_unique<MainWindow>(nullptr, &m_model);
        if (show) {
            m_pWindow->show();
            (void)QTest::qWaitForWindowExposed(m_pWindow.get());
        }
    }

    ~Session() { flushDeletes(); }

    int count(int windowId) const { return windowIds(*m_pWindow).count(windowId); }

    TarvoModel m_model;
    std::unique_ptr<MainWindow> m_pWindow;
};

} // namespace

class SettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void layoutComesBackWithItsInstances();
    void mainWindowPlacement_data();
    void mainWindowPlacement();
    void chosenPortsAreReopenedByName();
    void parametersAreWrittenAtDestructionAndReadBack();
    void hostileSettingsStartBounded_data();
    void hostileSettingsStartBounded();
    void terminationSignalWritesTheSettings();
    void writeFailuresAreReportedTruthfully_data();
    void writeFailuresAreReportedTruthfully();
    void theLastInstanceToCloseLeavesItsLayoutWhole();
};

void SettingsTest::init()
{
    QFile::remove(iniFilePath());
}

void SettingsTest::layoutComesBackWithItsInstances()
{
    VirtualMidiPlatform platform;
    {
        Session session;
        MainWindow& window = *session.m_pWindow;
        window.closeAllSubWindows();
        flushDeletes();
        for (int index = 0; index < 3; ++index)
            window.openToolWindow(WindowRestorationInfo::WindowIdKeyboard);
        window.openToolWindow(WindowRestorationInfo::WindowIdControlChange, {7});
        window.createSubWindowByWindowId(Id::WindowIdTimingClock, false, QRect(100, 100, 220, 250), {}, {});
        session.m_model.setParameterEditFlag(ParameterNotEdited);
        QVERIFY(window.close());
    }
    // Keys are sequence, kind and instance of that kind.
    QSettings settings(iniFilePath(), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("SavePosition"));
    QCOMPARE(settings.allKeys(), QStringList({"0000000000-0-0", "0000000001-4-0", "0000000002-4-1", "0000000003-4-2",
                                              "0000000004-5-0", "0000000005-9-0"}));
    QCOMPARE(settings.value(QStringLiteral("0000000004-5-0")).toList().mid(3), QVariantList({7, 0}));

    Session session;
    QCOMPARE(session.count(Id::WindowIdKeyboard), 3);
    QCOMPARE(session.count(Id::WindowIdTimingClock), 1);
    QCOMPARE(session.count(Id::WindowIdControlChange), 1);
    QCOMPARE(session.m_model.getParameterEditFlag(), ParameterNotEdited);
}

void SettingsTest::mainWindowPlacement_data()
{
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<int>("state");
    QTest::addColumn<QRect>("expected");
    QTest::addColumn<int>("expectedState");
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect inside(30, 40, 500, 400);
    QTest::newRow("on screen") << inside << 0 << inside << 0;
    QTest::newRow("maximized") << inside << int(Qt::WindowMaximized) << inside << int(Qt::WindowMaximized);
    // Neither state is restored: the window could not be found again.
    QTest::newRow("minimized") << inside << int(Qt::WindowMinimized) << inside << 0;
    QTest::newRow("off screen") << QRect(-5000, -4000, 600, 400) << 0
                                << QRect(screen.topLeft() + OffScreenRestoreOffset, QSize(600, 400)) << 0;
    QTest::newRow("a sliver on screen") << QRect(screen.right() - 90, screen.top() + 10, 300, 200) << 0
                                        << QRect(screen.topLeft() + OffScreenRestoreOffset, QSize(300, 200)) << 0;
    // Fitted with its frame: compared by the frame.
    QTest::newRow("partly on screen: moved in")
        << QRect(screen.right() - 150, screen.top(), 300, 200) << 0
        << QRect(screen.right() + 1 - 300, screen.top(), 300, 200) << int(FittedState);
    QTest::newRow("larger than the screen") << QRect(0, 0, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX) << 0 << screen
                                            << int(FittedState);
}

void SettingsTest::mainWindowPlacement()
{
    QFETCH(QRect, stored);
    QFETCH(int, state);
    QFETCH(QRect, expected);
    QFETCH(int, expectedState);
    VirtualMidiPlatform platform;
    writeSetting(QLatin1String(MainWindowKey), QVariantList({stored, state, false}));
    Session session;
    if (expectedState == FittedState) {
        const QRect frame = session.m_pWindow->frameGeometry();
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(frame));
        QCOMPARE(frame.topRight(), expected.topRight());
    } else {
        QCOMPARE(int(session.m_pWindow->windowState() & ~Qt::WindowActive), expectedState);
        QCOMPARE(session.m_pWindow->normalGeometry(), expected);
    }
    // A stored main window alone is a layout: no default tool windows.
    QVERIFY(session.m_pWindow->getSubWindowList().isEmpty());
}

void SettingsTest::chosenPortsAreReopenedByName()
{
    VirtualMidiPlatform platform;
    platform.addSource(QStringLiteral("Pad"));
    const auto keys = platform.addSource(QStringLiteral("Keys In"));
    platform.addDestination(QStringLiteral("Monitor Out"));
    const auto synth = platform.addDestination(QStringLiteral("Synth Out"));
    {
        Session session(false);
        QVERIFY(choosePort(*session.m_pWindow, InputPortMenu, QStringLiteral("Keys In")));
        QVERIFY(choosePort(*session.m_pWindow, OutputPortMenu, QStringLiteral("Synth Out")));
    }
    QVERIFY(!platform.isConnected(keys));

    // The endpoints have moved since: the names still find them.
    platform.moveEndpoint(keys, 0);
    platform.moveEndpoint(synth, 0);
    const unsigned char note[] = {0x90, 0x3C, 0x64};
    {
        Session session;
        QVERIFY(platform.isConnected(keys));
        QVERIFY(session.m_pWindow->transmitMidi(note, sizeof note));
        QCOMPARE(platform.sentMessages().value(0).destination, synth);
        QCOMPARE(portMenuTexts(*session.m_pWindow, InputPortMenu).first(), QStringLiteral("Keys In"));
    }

    // "No Assign" opens nothing, even when a port has that name.
    const auto namedLikeNoAssign = platform.addSource(QStringLiteral("No Assign"));
    writeSetting(QStringLiteral("PortName/InputPortName"), QStringLiteral("No Assign"));
    Session session;
    QVERIFY(!platform.isConnected(namedLikeNoAssign));
}

void SettingsTest::parametersAreWrittenAtDestructionAndReadBack()
{
    VirtualMidiPlatform platform;
    const QList<QPair<unsigned int, int>> changed = {
        {ChannelFilterFirstId + 2, 1},  {NoteOnMessageFilterId, 1},  {SystemExclusiveMessageFilterId, 1},
        {SongPositionPointerFilterId, 1}, {SystemResetFilterId, 1}, {ControlChangeFilterFirstId + 127, 1},
        {MidiThruId, 1},                {BulkIntervalId, 250},       {KnobModeId, KnobModeLinear},
        {TimeStampId, 1},               {MiddleCNameId, MiddleCIsC4}, {MonitorHistoryId, 100000},
        {MonitorMemoryId, 4096},
    };
    {
        Session session(false);
        for (const auto& entry : changed)
            session.m_model.setModelIntValue(entry.first, entry.second);
        session.m_model.setModelStringValue(DumpFileWorkingDirectoryId, QStringLiteral("/srv/dumps"));
        // Nothing reaches the file before the main window goes.
        QVERIFY(!QFile::exists(iniFilePath()));
    }
    {
        // Keys other programs and older files rely on.
        QSettings settings(iniFilePath(), QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("MidiThru/BulkInterval")).toInt(), 250);
        QCOMPARE(settings.value(QStringLiteral("MidiFilter/(F2) Song Position Pointer")).toInt(), 1);
        QCOMPARE(settings.value(QStringLiteral("MidiFilter/Note Off")).toInt(), 0);
        QVERIFY(!settings.contains(QStringLiteral("MidiFilter/Control Change")));
    }
    Session session;
    for (const auto& entry : changed)
        QVERIFY2(session.m_model.getModelIntValue(entry.first) == entry.second, qPrintable(QString::number(entry.first)));
    QCOMPARE(session.m_model.getModelIntValue(ChannelFilterFirstId + 1), 0);
    QCOMPARE(session.m_model.getModelStringValue(DumpFileWorkingDirectoryId), QStringLiteral("/srv/dumps"));
}

void SettingsTest::hostileSettingsStartBounded_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<int>("bulkInterval");
    QTest::addColumn<int>("inMonitors");
    QTest::addColumn<int>("keyboards");
    QTest::newRow("first run: the default layout") << QByteArray() << 0 << 1 << 0;
    // A list claiming 2^31 - 1 elements: Qt throws while reserving them.
    const QByteArray hugeList = "@Variant(\\0\\0\\0\\t\\x7f\\xff\\xff\\xff)";
    QTest::newRow("huge list as a layout") << "[SavePosition]\n0000000001-4-0=" + hugeList + "\n" << 0 << 1 << 0;
    QTest::newRow("huge list as a number")
        << "[MidiThru]\nBulkInterval=" + hugeList + "\n[MidiFilter]\n1=" + hugeList + "\n" << 0 << 1 << 0;
    QTest::newRow("interval beyond its range") << QByteArray("[MidiThru]\nBulkInterval=2147483647\n") << 1000 << 1 << 0;
    QTest::newRow("negative interval") << QByteArray("[MidiThru]\nBulkInterval=-7\n") << 0 << 1 << 0;
    QByteArray many = "[SavePosition]\n";
    for (int index = 1; index <= 1000; ++index) {
        many += QStringLiteral("%1-1-0=@Rect(0 0 300 200), 0, false\n").arg(index, 10, 10, QLatin1Char('0')).toLatin1();
        many += QStringLiteral("%1-4-%2=@Rect(0 0 300 200), 0, false\n").arg(index + 1000, 10, 10, QLatin1Char('0'))
                    .arg(index).toLatin1();
    }
    QTest::newRow("a thousand monitors and keyboards") << many << 0 << 1 << ToolWindowQuota::MultiInstanceLimit;
    // Showing it again to apply the flag must not lay the windows out twice.
    QTest::newRow("stay-on-top main window")
        << QByteArray("[SavePosition]\n0000000000-0-0=@Rect(10 10 600 400), 0, true\n"
                      "0000000001-4-0=@Rect(0 0 600 120), 0, false\n")
        << 0 << 0 << 1;
}

void SettingsTest::hostileSettingsStartBounded()
{
    QFETCH(QByteArray, ini);
    QFETCH(int, bulkInterval);
    QFETCH(int, inMonitors);
    QFETCH(int, keyboards);
    VirtualMidiPlatform platform;
    writeIniText(ini);
    QElapsedTimer timer;
    timer.start();
    Session session;
    qInfo("started in %lld ms", timer.elapsed());
    QCOMPARE(session.m_model.getModelIntValue(BulkIntervalId), bulkInterval);
    QCOMPARE(session.count(Id::WindowIdMidiInMonitor), inMonitors);
    QCOMPARE(session.count(Id::WindowIdKeyboard), keyboards);
    // Laying out the windows is no edit of the project.
    QCOMPARE(session.m_model.getParameterEditFlag(), ParameterNotEdited);
}

void SettingsTest::terminationSignalWritesTheSettings()
{
    Program program;
    QVERIFY(program.start());
    // The settings are written only when the program ends.
    QVERIFY(!QFile::exists(program.iniPath()));
    program.terminate();
    QVERIFY(program.finished());
    QSettings settings(program.iniPath(), QSettings::IniFormat);
    QVERIFY(settings.contains(QStringLiteral("MidiThru/BulkInterval")));
    QVERIFY(settings.contains(QLatin1String(MainWindowKey)));
}

void SettingsTest::writeFailuresAreReportedTruthfully_data()
{
    QTest::addColumn<QByteArray>("rewritten");
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QString>("report");
    QTest::newRow("rewritten by another program") << QByteArray("[MidiThru]\nBulkInterval=5\n") << false << QString();
    // Written all the same: what it lost is said, not that nothing was written.
    QTest::newRow("rewritten with a line typed by hand")
        << QByteArray("[MidiThru]\nBulkInterval=5\nthis line was typed by hand\n") << false
        << QStringLiteral("without its lines that could not be read");
    QTest::newRow("replaced by a folder") << QByteArray() << true << QStringLiteral("could not be written");
}

void SettingsTest::writeFailuresAreReportedTruthfully()
{
    QFETCH(QByteArray, rewritten);
    QFETCH(bool, folder);
    QFETCH(QString, report);
    Program program;
    QVERIFY(program.start());
    QFile::remove(program.iniPath());
    if (folder)
        QVERIFY(QDir().mkpath(program.iniPath()));
    else
        writeIniText(rewritten, program.iniPath());
    program.terminate();
    QVERIFY(program.finished());
    const QString standardError = program.standardError();
    const QStringList reports = standardError.split(QLatin1Char('\n')).filter(QStringLiteral("The settings"));
    QCOMPARE(reports.isEmpty(), report.isEmpty());
    for (const QString& line : reports)
        QVERIFY2(line.contains(report), qPrintable(line));
    if (!folder) {
        QSettings settings(program.iniPath(), QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("MidiThru/BulkInterval")).toInt(), 0);
        QVERIFY(settings.contains(QLatin1String(MainWindowKey)));
    }
}

void SettingsTest::theLastInstanceToCloseLeavesItsLayoutWhole()
{
    Program program;
    writeIniText("[SavePosition]\n0000000000-0-0=@Rect(10 10 800 600), 0, false\n"
                 "0000000001-1-0=@Rect(0 0 300 200), 0, false\n",
                 program.iniPath());
    QVERIFY(program.start());
    {
        // Another instance closes at the same moment and writes its layout
        // first, under the lock every writer of the file takes.
        QLockFile lock(program.iniPath() + QStringLiteral(".lock"));
        QVERIFY(lock.lock());
        program.terminate();
        QTest::qWait(1000);
        writeIniText("[SavePosition]\n0000000000-0-0=@Rect(20 20 700 500), 0, false\n"
                     "0000000001-4-0=@Rect(0 0 600 120), 0, false\n0000000002-4-1=@Rect(0 130 600 120), 0, false\n"
                     "0000000003-9-0=@Rect(0 390 220 250), 0, false\n",
                     program.iniPath());
    }
    QVERIFY(program.finished());
    // The program closed last: its layout alone, none of the other's windows.
    QCOMPARE(program.layoutKeys(), QStringList({"0000000000-0-0", "0000000001-1-0"}));
}

QTEST_MAIN(SettingsTest)
#include "SettingsTest.moc"
