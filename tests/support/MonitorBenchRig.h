#pragma once

#include "PortMenus.h"
#include "StreamFeed.h"
#include "VirtualMidiPlatform.h"
#include "app/MainWindow.h"
#include "model/TarvoModel.h"

#include <QTemporaryDir>

#include <cstdio>

// The monitor benchmarks' program: the main window with time stamps on, its
// input port on a virtual source, and settings of a run of its own, never
// the user's. Built before anything else of Qt's.
class MonitorBenchRig
{
public:
    MonitorBenchRig(int& argc, char** argv, const char* sourceName)
        : m_environmentSet(setEnvironment(m_configHome))
        , m_source(m_platform.addSource(QString::fromLatin1(sourceName)))
        , m_application(argc, argv)
        , m_sourceName(sourceName)
    {
        Q_INIT_RESOURCE(tarvo);
        m_application.setApplicationName(QStringLiteral("tarvo"));
        m_model.setModelIntValue(TimeStampId, 1);
        m_pWindow = std::make_unique<MainWindow>(nullptr, &m_model);
    }

    // Shows the window and opens the input port on the source; false, with
    // a message printed, when it did not open.
    bool open()
    {
        m_pWindow->show();
        QApplication::processEvents();
        if (!choosePort(*m_pWindow, InputPortMenu, QLatin1String(m_sourceName)) || !m_platform.isConnected(m_source)) {
            std::printf("the input port did not open on the virtual source\n");
            return false;
        }
        return true;
    }

    VirtualMidiPlatform& platform() { return m_platform; }
    MidiPlatformIF::Ref source() const { return m_source; }
    TarvoModel& model() { return m_model; }
    TimingApplication& application() { return m_application; }
    MainWindow& window() { return *m_pWindow; }

private:
    static bool setEnvironment(const QTemporaryDir& configHome)
    {
        qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        return true;
    }

    QTemporaryDir m_configHome;
    bool m_environmentSet;
    VirtualMidiPlatform m_platform;
    MidiPlatformIF::Ref m_source;
    TarvoModel m_model;
    TimingApplication m_application;
    const char* m_sourceName;
    std::unique_ptr<MainWindow> m_pWindow;
};
