#include "VirtualMidiPlatform.h"
#include "app/MainWindow.h"
#include "model/TarvoModel.h"
#include "views/ControlChangeNameList.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <memory>

// The resources live in a static library, so the test registers them itself.
static bool initTarvoResources()
{
    Q_INIT_RESOURCE(tarvo);
    return true;
}

namespace {

const int InputPortMenuIndex = 1;
const int OutputPortMenuIndex = 2;
const char* const MainWindowKey = "SavePosition/0000000000-0-0";

QString iniFilePath()
{
    return QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation).first()
        + QStringLiteral("/Tarvo.ini");
}

// Every test starts as on a first run.
void removeSettings()
{
    QFile::remove(iniFilePath());
    QVERIFY(!QFile::exists(iniFilePath()));
}

void writeSetting(const QString& key, const QVariant& value)
{
    QSettings settings(iniFilePath(), QSettings::IniFormat);
    settings.setValue(key, value);
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

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

    // Closed windows wait for their deferred deletion; they must go while
    // the main window whose lists they leave is still whole.
    ~Session()
    {
        flushDeletes();
    }

    TarvoModel m_model;
    std::unique_ptr<MainWindow> m_pWindow;
};

// Tool windows by kind, in activation-history order.
QList<QMdiSubWindow*> windowsOfKind(MainWindow& window, int windowId)
{
    QList<QMdiSubWindow*> found;
    for (QMdiSubWindow* subWindow : window.getSubWindowList()) {
        auto* info = dynamic_cast<WindowRestorationInfo*>(subWindow->widget());
        if (info && info->windowId == windowId)
            found.append(subWindow);
    }
    return found;
}

QAction* portAction(MainWindow& window, int menuIndex, const QString& name)
{
    if (menuIndex == InputPortMenuIndex)
        window.createInputPortMenu();
    else
        window.createOutputPortMenu();
    for (QAction* action : window.menuBar()->actions().at(menuIndex)->menu()->actions()) {
        if (action->text() == name)
            return action;
    }
    return nullptr;
}

// The entry the port menu checks when it is opened now.
QString checkedPort(MainWindow& window, int menuIndex)
{
    portAction(window, menuIndex, QString());
    for (QAction* action : window.menuBar()->actions().at(menuIndex)->menu()->actions()) {
        if (action->isChecked())
            return action->text();
    }
    return QString();
}

// Records the text of every message box that opens while it lives, and
// answers it with OK.
class MessageBoxWatcher
{
public:
    MessageBoxWatcher()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this]() {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(widget);
                if (box && box->isVisible()) {
                    m_texts.append(box->text());
                    box->button(QMessageBox::Ok)->click();
                }
            }
        });
        m_timer.start(5);
    }

    QStringList m_texts;

private:
    QTimer m_timer;
};

} // namespace

class SettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void firstRunGivesDefaultLayoutWithPortsClosed();
    void layoutKeysCountInstancesPerKind();
    void unknownKindsInLayoutAreSkipped();
    void mainWindowOffScreenReturnsToPrimaryScreen();
    void mainWindowStateIsRestored();
    void chosenPortsAreReopenedByName();
    void parametersAreWrittenAtDestructionAndReadBack();
};

void SettingsTest::init()
{
    removeSettings();
}

void SettingsTest::firstRunGivesDefaultLayoutWithPortsClosed()
{
    VirtualMidiPlatform platform;
    const auto source = platform.addSource(QStringLiteral("Keys"));
    platform.addDestination(QStringLiteral("Synth"));
    Session session;
    MainWindow& window = *session.m_pWindow;

    const QList<QPair<int, QRect>> expected = {{WindowRestorationInfo::WindowIdMidiInMonitor, QRect(0, 0, 338, 274)},
                                               {WindowRestorationInfo::WindowIdMidiOutMonitor, QRect(338, 0, 338, 274)},
                                               {WindowRestorationInfo::WindowIdSystemExclusive, QRect(0, 274, 338, 274)}};
    QCOMPARE(window.getSubWindowList().size(), expected.size());
    for (const auto& entry : expected) {
        const QList<QMdiSubWindow*> windows = windowsOfKind(window, entry.first);
        QCOMPARE(windows.size(), 1);
        QCOMPARE(windows.first()->geometry(), entry.second);
    }
    // Laying out the windows is no edit of the project.
    QCOMPARE(session.m_model.getParameterEditFlag(), ParameterNotEdited);
    QCOMPARE(window.windowTitle(), QStringLiteral("Tarvo Suite"));

    QVERIFY(!platform.isConnected(source));
    const unsigned char note[] = {0x90, 0x3C, 0x64};
    QVERIFY(!window.transmitMidi(note, sizeof note));
    QVERIFY(platform.sentMessages().isEmpty());
    QCOMPARE(checkedPort(window, InputPortMenuIndex), QStringLiteral("No Assign"));
    QCOMPARE(checkedPort(window, OutputPortMenuIndex), QStringLiteral("No Assign"));
}

void SettingsTest::layoutKeysCountInstancesPerKind()
{
    VirtualMidiPlatform platform;
    QHash<QString, QRect> storedRects;
    {
        Session session;
        MainWindow& window = *session.m_pWindow;
        window.closeAllSubWindows();
        flushDeletes();
        for (int index = 0; index < 3; ++index)
            window.createMidiKeyboardView(QStringLiteral("&Keyboard"))->move(20 * index, 300 + 20 * index);
        window.createMidiControlChangeView(QStringLiteral("&Control Change"), 7)->move(400, 10);
        window.createMidiControlChangeView(QStringLiteral("&Control Change"), 10)->move(450, 30);
        window.createSubWindowByWindowId(WindowRestorationInfo::WindowIdTimingClock, false,
                                         QRect(100, 100, 220, 250), {}, {});
        session.m_model.setParameterEditFlag(ParameterNotEdited);
        QVERIFY(window.close());
    }

    QSettings settings(iniFilePath(), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("SavePosition"));
    const QStringList keys = settings.allKeys();
    QCOMPARE(keys.size(), 7);
    QCOMPARE(keys.first(), QStringLiteral("0000000000-0-0"));
    QMap<int, QList<int>> instances;
    for (int index = 1; index < keys.size(); ++index) {
        const QStringList fields = keys[index].split(QLatin1Char('-'));
        QCOMPARE(fields.size(), 3);
        QCOMPARE(fields[0], QStringLiteral("%1").arg(index, 10, 10, QLatin1Char('0')));
        instances[fields[1].toInt()].append(fields[2].toInt());

        const QVariantList value = settings.value(keys[index]).toList();
        QVERIFY(value.size() >= 3);
        QCOMPARE(value[0].userType(), int(QMetaType::QRect));
        QCOMPARE(value[2].toBool(), false);
        if (fields[1].toInt() == WindowRestorationInfo::WindowIdControlChange) {
            QCOMPARE(value.size(), 5);
            QCOMPARE(value[4].toInt(), 0);
            storedRects.insert(QStringLiteral("cc%1").arg(value[3].toInt()), value[0].toRect());
        } else {
            QCOMPARE(value.size(), 3);
        }
    }
    QCOMPARE(instances.value(WindowRestorationInfo::WindowIdKeyboard), QList<int>({0, 1, 2}));
    QCOMPARE(instances.value(WindowRestorationInfo::WindowIdControlChange), QList<int>({0, 1}));
    QCOMPARE(instances.value(WindowRestorationInfo::WindowIdTimingClock), QList<int>({0}));
    QCOMPARE(storedRects.value(QStringLiteral("cc7")), QRect(400, 10, 225, 250));
    QCOMPARE(storedRects.value(QStringLiteral("cc10")), QRect(450, 30, 225, 250));
    settings.endGroup();

    // The next start lays the windows out again; quitting without closing
    // the main window leaves the stored layout as it was.
    {
        Session session;
        MainWindow& window = *session.m_pWindow;
        QCOMPARE(windowsOfKind(window, WindowRestorationInfo::WindowIdKeyboard).size(), 3);
        QCOMPARE(windowsOfKind(window, WindowRestorationInfo::WindowIdTimingClock).size(), 1);
        const QList<QMdiSubWindow*> controls = windowsOfKind(window, WindowRestorationInfo::WindowIdControlChange);
        QCOMPARE(controls.size(), 2);
        for (QMdiSubWindow* control : controls) {
            const int controller = dynamic_cast<WindowRestorationInfo*>(control->widget())->values.value(0).toInt();
            QCOMPARE(control->geometry(), storedRects.value(QStringLiteral("cc%1").arg(controller)));
        }
        QCOMPARE(window.getSubWindowList().size(), 6);
        QCOMPARE(session.m_model.getParameterEditFlag(), ParameterNotEdited);
        window.closeAllSubWindows();
    }
    QSettings after(iniFilePath(), QSettings::IniFormat);
    after.beginGroup(QStringLiteral("SavePosition"));
    QCOMPARE(after.allKeys(), keys);
}

void SettingsTest::unknownKindsInLayoutAreSkipped()
{
    VirtualMidiPlatform platform;
    const QVariantList place = {QRect(10, 10, 400, 120), 0, false};
    for (const char* key : {"0000000001-999-0", "0000000002-12-0", "0000000003-4-0", "0000000004-4294967295-0"})
        writeSetting(QStringLiteral("SavePosition/") + QLatin1String(key), place);
    Session session;
    QCOMPARE(session.m_pWindow->getSubWindowList().size(), 1);
    QCOMPARE(windowsOfKind(*session.m_pWindow, WindowRestorationInfo::WindowIdKeyboard).size(), 1);
}

void SettingsTest::mainWindowOffScreenReturnsToPrimaryScreen()
{
    VirtualMidiPlatform platform;
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    writeSetting(QLatin1String(MainWindowKey), QVariantList({QRect(-5000, -4000, 600, 400), 0, false}));
    {
        Session session;
        QCOMPARE(session.m_pWindow->geometry(), QRect(available.topLeft() + QPoint(50, 50), QSize(600, 400)));
        // A stored main window alone is a layout: no default tool windows.
        QVERIFY(session.m_pWindow->getSubWindowList().isEmpty());
    }

    // Enough of it on screen: kept where it was.
    removeSettings();
    const QRect partly(available.right() - 150, available.bottom() - 120, 600, 400);
    writeSetting(QLatin1String(MainWindowKey), QVariantList({partly, 0, false}));
    {
        Session session;
        QCOMPARE(session.m_pWindow->geometry(), partly);
    }
    // Less than 100 pixels of it on screen: moved.
    removeSettings();
    const QRect sliver(available.right() - 90, available.top() + 10, 600, 400);
    writeSetting(QLatin1String(MainWindowKey), QVariantList({sliver, 0, false}));
    {
        Session session;
        QCOMPARE(session.m_pWindow->getMainWindowRestorationRect(sliver),
                 QRect(available.topLeft() + QPoint(50, 50), sliver.size()));
        QCOMPARE(session.m_pWindow->geometry().topLeft(), available.topLeft() + QPoint(50, 50));
    }
}

void SettingsTest::mainWindowStateIsRestored()
{
    VirtualMidiPlatform platform;
    const QRect rect(30, 40, 500, 400);
    writeSetting(QLatin1String(MainWindowKey), QVariantList({rect, int(Qt::WindowMaximized), false}));
    {
        Session session;
        QVERIFY(session.m_pWindow->windowState() & Qt::WindowMaximized);
        QCOMPARE(session.m_pWindow->normalGeometry(), rect);
    }
    for (Qt::WindowState state : {Qt::WindowMinimized, Qt::WindowFullScreen}) {
        removeSettings();
        writeSetting(QLatin1String(MainWindowKey), QVariantList({rect, int(state), false}));
        Session session;
        QCOMPARE(session.m_pWindow->windowState(), Qt::WindowStates(Qt::WindowNoState));
        QCOMPARE(session.m_pWindow->geometry(), rect);
    }
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
        portAction(*session.m_pWindow, InputPortMenuIndex, QStringLiteral("Keys In"))->trigger();
        portAction(*session.m_pWindow, OutputPortMenuIndex, QStringLiteral("Synth Out"))->trigger();
        QVERIFY(platform.isConnected(keys));
    }
    QVERIFY(!platform.isConnected(keys));
    {
        QSettings settings(iniFilePath(), QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("PortName/InputPortName")).toString(), QStringLiteral("Keys In"));
        QCOMPARE(settings.value(QStringLiteral("PortName/OutputPortName")).toString(), QStringLiteral("Synth Out"));
    }

    // The endpoints have moved since: the names still find them.
    platform.moveEndpoint(keys, 0);
    platform.moveEndpoint(synth, 0);
    {
        Session session;
        MainWindow& window = *session.m_pWindow;
        QVERIFY(platform.isConnected(keys));
        const unsigned char note[] = {0x90, 0x3C, 0x64};
        QVERIFY(window.transmitMidi(note, sizeof note));
        QCOMPARE(platform.sentMessages().size(), 1);
        QCOMPARE(platform.sentMessages().first().destination, synth);
        QCOMPARE(checkedPort(window, InputPortMenuIndex), QStringLiteral("Keys In"));
        QCOMPARE(checkedPort(window, OutputPortMenuIndex), QStringLiteral("Synth Out"));
    }

    // Gone from the system: both stay chosen, marked as not available, without a message.
    platform.removeEndpoint(keys);
    platform.removeEndpoint(synth);
    platform.clearSentMessages();
    {
        MessageBoxWatcher watcher;
        Session session;
        QTest::qWait(50);
        QVERIFY(watcher.m_texts.isEmpty());
        const unsigned char note[] = {0x80, 0x3C, 0x00};
        QVERIFY(!session.m_pWindow->transmitMidi(note, sizeof note));
        QCOMPARE(checkedPort(*session.m_pWindow, InputPortMenuIndex), QStringLiteral("Keys In (not available)"));
    }

    // "No Assign" chosen: nothing is opened, even when a port of that name exists.
    const auto namedLikeNoAssign = platform.addSource(QStringLiteral("No Assign"));
    writeSetting(QStringLiteral("PortName/InputPortName"), QStringLiteral("No Assign"));
    {
        Session session;
        QVERIFY(!platform.isConnected(namedLikeNoAssign));
    }
}

void SettingsTest::parametersAreWrittenAtDestructionAndReadBack()
{
    VirtualMidiPlatform platform;
    const QList<QPair<unsigned int, int>> changed = {
        {ChannelFilterFirstId + 2, 1},
        {NoteOnMessageFilterId, 1},
        {SystemExclusiveMessageFilterId, 1},
        {ControlChangeMessageFilterId, 1},
        {SongPositionPointerFilterId, 1},
        {TimingClockFilterId, 1},
        {SystemResetFilterId, 1},
        {ControlChangeFilterFirstId + 7, 1},
        {ControlChangeFilterFirstId + 127, 1},
        {MidiThruId, 1},
        {BulkIntervalId, 250},
        {KnobModeId, KnobModeLinear},
        {TimeStampId, 1},
    };
    {
        Session session(false);
        TarvoModel& model = session.m_model;
        for (const auto& entry : changed)
            QCOMPARE(model.setModelIntValue(entry.first, entry.second), MODEL_RESULT_OK);
        model.setModelStringValue(DumpFileWorkingDirectoryId, QStringLiteral("/srv/dumps"));
        model.setModelStringValue(ProjectFileWorkingDirectoryId, QStringLiteral("/srv/projects"));
        // Nothing reaches the file before the main window goes.
        QVERIFY(!QSettings(iniFilePath(), QSettings::IniFormat).contains(QStringLiteral("MidiThru/BulkInterval")));
    }

    {
        QSettings settings(iniFilePath(), QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("FileWorkingDirectory/DumpFileWorkingDirectory")).toString(),
                 QStringLiteral("/srv/dumps"));
        QCOMPARE(settings.value(QStringLiteral("FileWorkingDirectory/ProjectFileWorkingDirectory")).toString(),
                 QStringLiteral("/srv/projects"));
        QCOMPARE(settings.value(QStringLiteral("MidiThru/BulkInterval")).toInt(), 250);
        QCOMPARE(settings.value(QStringLiteral("MidiThru/MidiThru")).toInt(), 1);
        QCOMPARE(settings.value(QStringLiteral("Preferences/KnobMode")).toInt(), 1);
        QCOMPARE(settings.value(QStringLiteral("Preferences/TimeStamp")).toInt(), 1);

        settings.beginGroup(QStringLiteral("MidiFilter"));
        QCOMPARE(settings.allKeys().size(), 16 + 7 + 4 + 6 + 128);
        QCOMPARE(settings.value(QStringLiteral("2")).toInt(), 1);
        QCOMPARE(settings.value(QStringLiteral("1")).toInt(), 0);
        QCOMPARE(settings.value(QStringLiteral("Note On")).toInt(), 1);
        QCOMPARE(settings.value(QStringLiteral("Note Off")).toInt(), 0);
        QCOMPARE(settings.value(QStringLiteral("System Exclusive")).toInt(), 1);
        QCOMPARE(settings.value(QStringLiteral("(F2) Song Position Pointer")).toInt(), 1);
        QCOMPARE(settings.value(QStringLiteral("(F8) Timing Clock")).toInt(), 1);
        QCOMPARE(settings.value(QStringLiteral("(FF) System Reset")).toInt(), 1);
        QCOMPARE(settings.value(QString::fromUtf8(ControlChangeNameList[7])).toInt(), 1);
        QCOMPARE(settings.value(QString::fromUtf8(ControlChangeNameList[127])).toInt(), 1);
        QCOMPARE(settings.value(QString::fromUtf8(ControlChangeNameList[0])).toInt(), 0);
        // The three message kinds that only open their detail pages have no key.
        for (const char* key : {"Control Change", "System Common", "System Realtime"})
            QVERIFY2(!settings.contains(QLatin1String(key)), key);
        settings.endGroup();
    }

    // A fresh model starts at the defaults; the first show reads the file.
    Session session;
    TarvoModel& model = session.m_model;
    for (const auto& entry : changed) {
        const int expected = entry.first == ControlChangeMessageFilterId ? 0 : entry.second;
        QVERIFY2(model.getModelIntValue(entry.first) == expected, qPrintable(QString::number(entry.first)));
    }
    QCOMPARE(model.getModelIntValue(ChannelFilterFirstId + 1), 0);
    QCOMPARE(model.getModelStringValue(DumpFileWorkingDirectoryId), QStringLiteral("/srv/dumps"));
    QCOMPARE(model.getModelStringValue(ProjectFileWorkingDirectoryId), QStringLiteral("/srv/projects"));
}

QTEST_MAIN(SettingsTest)
#include "SettingsTest.moc"
