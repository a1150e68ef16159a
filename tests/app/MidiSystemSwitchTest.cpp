#include "MainWindowRig.h"
#include "PortMenus.h"
#include "VirtualMidiPlatform.h"

#include "app/AppCommandLine.h"
#include "controls/ComboBox.h"
#include "engine/MidiEngine.h"
#include "model/TarvoModel.h"
#include "views/MidiSettingsView.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

namespace {

const char* const EditorText = "F0 7E 7F 06 01 F7";
const unsigned char Note[] = {0x90, 0x3C, 0x64};

QPlainTextEdit* textOf(QMdiSubWindow* subWindow)
{
    return subWindow ? subWindow->findChild<QPlainTextEdit*>() : nullptr;
}

QMdiSubWindow* openWindowOf(MainWindow& window, WindowRestorationInfo::WindowId id)
{
    for (QMdiSubWindow* subWindow : window.getSubWindowList()) {
        auto* info = dynamic_cast<WindowRestorationInfo*>(subWindow->widget());
        if (info && info->windowId == id)
            return subWindow;
    }
    return nullptr;
}

} // namespace

// The MIDI system chosen in the window and on the command line.
class MidiSystemSwitchTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        initTarvoResources();
        // Every run starts from the default choice.
        QFile::remove(QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation).first()
                      + QStringLiteral("/Tarvo.ini"));
    }

    // A choice in the MIDI Settings window makes a new engine at once: the
    // chosen ports reopen by name, the windows that use the engine come back
    // with their content and work, the settings window itself stays, and the
    // project is not marked edited.
    void switchKeepsPortsAndWindows()
    {
        VirtualMidiPlatform platform;
        platform.addSource(QStringLiteral("Pad"));
        platform.addDestination(QStringLiteral("Synth"));
        TarvoModel model;
        {
            MainWindow window(nullptr, &model);
            window.show();
            QVERIFY(choosePort(window, InputPortMenu, QStringLiteral("Pad")));
            QVERIFY(choosePort(window, OutputPortMenu, QStringLiteral("Synth")));
            window.openMessageEditorWindow(MidiEditView::SystemExclusive, QSize(), QLatin1String(EditorText));
            window.openToolWindow(WindowRestorationInfo::WindowIdMidiOutMonitor);
            const QPointer<QMdiSubWindow> settings = window.openToolWindow(WindowRestorationInfo::WindowIdMidiSettings);
            const ParameterEditFlag editFlag = model.getParameterEditFlag();
            QCOMPARE(window.engine().system(), MidiSystem::Automatic);

            auto* combo = settings->findChild<ComboBox*>();
            QVERIFY(combo);
            combo->setFocus();
            QTest::keyClick(combo, Qt::Key_End);
            QCOMPARE(combo->currentText(), QStringLiteral("JACK"));
            QTRY_COMPARE(window.engine().system(), MidiSystem::Jack);

            QVERIFY(settings);
            QCOMPARE(portMenuTexts(window, InputPortMenu).first(), QStringLiteral("Pad"));
            QCOMPARE(portMenuTexts(window, OutputPortMenu).first(), QStringLiteral("Synth"));
            QCOMPARE(textOf(openWindowOf(window, WindowRestorationInfo::WindowIdSystemExclusive))->toPlainText(),
                     QLatin1String(EditorText));
            QCOMPARE(model.getParameterEditFlag(), editFlag);
            // The monitor that came back watches the new engine.
            QVERIFY(window.transmitMidi(Note, sizeof Note));
            QTRY_COMPARE(textOf(openWindowOf(window, WindowRestorationInfo::WindowIdMidiOutMonitor))
                             ->toPlainText()
                             .trimmed(),
                         QStringLiteral("90 3C 64"));
            QCOMPARE(platform.sentMessages().size(), 1);
            window.closeAllSubWindows();
            flushDeletes();
        }

        // The choice is stored; a system given for one run wins over it and
        // leaves it stored as it was.
        TarvoModel nextModel;
        MainWindow stored(nullptr, &nextModel);
        QCOMPARE(stored.engine().system(), MidiSystem::Jack);
        TarvoModel optionModel;
        MainWindow overridden(nullptr, &optionModel, MidiSystem::AlsaSequencer);
        overridden.show();
        // Showing the stored choice is no choice.
        overridden.openToolWindow(WindowRestorationInfo::WindowIdMidiSettings);
        QTest::qWait(50);
        QCOMPARE(overridden.engine().system(), MidiSystem::AlsaSequencer);
        QCOMPARE(optionModel.getModelIntValue(MidiSystemId), int(MidiSystem::Jack));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("system");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("error");

        const int run = int(AppOptions::Action::Run);
        const int refused = int(AppOptions::Action::Refused);
        const int none = -1;
        QTest::newRow("nothing") << QStringList{} << run << none << QString() << QString();
        QTest::newRow("file") << QStringList{"a.tarvo"} << run << none << "a.tarvo" << QString();
        QTest::newRow("system") << QStringList{"--midi-system", "jack", "a.syx"} << run << int(MidiSystem::Jack)
                                << "a.syx" << QString();
        QTest::newRow("system joined") << QStringList{"--midi-system=alsa"} << run << int(MidiSystem::AlsaSequencer)
                                       << QString() << QString();
        QTest::newRow("automatic") << QStringList{"--midi-system", "auto"} << run << int(MidiSystem::Automatic)
                                   << QString() << QString();
        QTest::newRow("help wins") << QStringList{"-platform", "xcb", "--help"} << int(AppOptions::Action::Help)
                                   << none << QString() << QString();
        QTest::newRow("version") << QStringList{"-v", "--bogus"} << int(AppOptions::Action::Version) << none
                                 << QString() << QString();
        QTest::newRow("unknown system") << QStringList{"--midi-system", "oss"} << refused << none << QString()
                                        << "--midi-system takes auto, alsa or jack, not \"oss\".";
        QTest::newRow("system missing") << QStringList{"--midi-system"} << refused << none << QString()
                                        << "Missing value after '--midi-system'.";
        QTest::newRow("two files") << QStringList{"a.tarvo", "b.tarvo"} << refused << none << QString()
                                   << "Give at most one file to open.";
        QTest::newRow("unknown option") << QStringList{"--bogus"} << refused << none << QString()
                                        << "Unknown option 'bogus'.";
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(int, system);
        QFETCH(QString, file);
        QFETCH(QString, error);
        arguments.prepend(QStringLiteral("tarvo"));
        const AppOptions options = parseAppArguments(arguments);
        QCOMPARE(int(options.action), action);
        QCOMPARE(options.system ? int(*options.system) : -1, system);
        QCOMPARE(options.file, file);
        QCOMPARE(options.error.section(QLatin1Char('\n'), 0, 0), error);
    }
};

QTEST_MAIN(MidiSystemSwitchTest)
#include "MidiSystemSwitchTest.moc"
