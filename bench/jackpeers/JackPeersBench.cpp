// The program as users run it (build/app/tarvo, offscreen), over a real JACK
// server (dummy driver, 64 frames at 48 kHz), measured by the CPU time its
// threads take:
// - idle for 15 s after start, with no port, and with the In Monitor open on
//   a source that sends nothing (target under 0.3 % of a core);
// - a 10 s flood of 10,000 and 50,000 messages/s, and of 5,000 (fewer lines
//   a poll than a monitor keeps), with the In Monitor open and
//   Thru on, beside jack_midi_dump on the same flood (target at most 1.5
//   times jack_midi_dump's CPU), with the share of the program's GUI thread.
// With the In Monitor alone (hex and decoded, the latter from a project
// file) and with the windows of a first start.
// With JACK_DEFAULT_SERVER set it uses that server, else one of its own.
#include "JackTestServer.h"
#include "project/ContentBlock.h"
#include "project/ProjectFileHelper.h"
#include "project/WindowRestorationInfo.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const int CyclesPerSecond = 48000 / 64;
const int IdleSeconds = 15;
const int FloodSeconds = 10;
const int SettleMs = 3000;

// A source that writes messagesPerCycle note-ons every cycle while on, and a
// sink for the program's Thru.
struct Flooder
{
    static int process(jack_nframes_t frames, void* user)
    {
        auto* self = static_cast<Flooder*>(user);
        jack_midi_clear_buffer(jack_port_get_buffer(self->sink, frames));
        void* buffer = jack_port_get_buffer(self->port, frames);
        jack_midi_clear_buffer(buffer);
        const int count = self->messagesPerCycle;
        for (int i = 0; i < count; ++i) {
            const jack_midi_data_t note[3] = {0x90, static_cast<jack_midi_data_t>(i & 0x7F), 0x40};
            jack_midi_event_write(buffer, static_cast<jack_nframes_t>(i * frames / count), note, 3);
        }
        return 0;
    }

    jack_client_t* client = nullptr;
    jack_port_t* port = nullptr;
    jack_port_t* sink = nullptr;
    std::atomic<int> messagesPerCycle{0};
};

// The windows the program opens: its first start's layout, or the In Monitor
// alone (a saved window layout of one window), showing hex lines or, opened
// from a project, decoded ones.
struct Layout
{
    const char* name;
    QByteArray settings;
    bool decoded;
};
const QByteArray InMonitorAlone = "[SavePosition]\n0000000001-1-0=@Rect(0 0 500 400), 0, false\n";
const Layout Layouts[] = {
    {"In Monitor alone, hex", InMonitorAlone, false},
    {"In Monitor alone, decoded", InMonitorAlone, true},
    {"first start's layout (In and Out Monitors, an editor)", QByteArray(), false},
};

// A project of one In Monitor showing decoded lines; empty when it could not
// be written.
QString writeDecodedMonitorProject(const QTemporaryDir& home)
{
    ProjectFileHelper::ProjectDescription description;
    description.mainWindow.windowId = WindowRestorationInfo::WindowIdMainWindow;
    description.mainWindow.rect = QRect(0, 0, 800, 600);
    ProjectFileHelper::ToolWindowRecord monitor;
    monitor.info.windowId = WindowRestorationInfo::WindowIdMidiInMonitor;
    monitor.info.rect = QRect(0, 0, 500, 400);
    ContentValues content;
    content.integers.insert(ContentBlock::MonitorDecoded, 1);
    QDataStream stream(&monitor.content, QIODevice::WriteOnly);
    ProjectFileHelper::prepareStream(stream);
    if (!ContentBlock::write(monitor.info.windowId, content, stream))
        return QString();
    description.toolWindows.append(monitor);
    const QString path = home.filePath(QStringLiteral("decoded.tarvo"));
    return ProjectFileHelper().writeFile(path, description) == ProjectFileHelper::WriteOk ? path : QString();
}

// Seconds of CPU one thread of a process has taken so far.
double threadSeconds(const QDir& tasks, const QString& task)
{
    QFile stat(tasks.filePath(task + QStringLiteral("/schedstat")));
    return stat.open(QIODevice::ReadOnly) ? stat.readAll().split(' ').first().toDouble() / 1e9 : 0.0;
}

// What is measured of a process: all its threads, or its main (GUI) thread.
struct Measured
{
    qint64 pid;
    bool mainThreadOnly;
};

// Seconds of CPU so far.
double cpuSeconds(const Measured& measured)
{
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(measured.pid));
    if (measured.mainThreadOnly)
        return threadSeconds(tasks, QString::number(measured.pid));
    double total = 0;
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        total += threadSeconds(tasks, task);
    return total;
}

// Starts the program with these settings in a home of its own.
std::unique_ptr<QProcess> startProgram(const QString& program, const QTemporaryDir& home, const QByteArray& settings,
                                       const QStringList& arguments = QStringList())
{
    QDir(home.path()).mkpath(QStringLiteral(".config/tarvo"));
    QFile file(home.filePath(QStringLiteral(".config/tarvo/Tarvo.ini")));
    if (file.open(QIODevice::WriteOnly))
        file.write(settings);
    file.close();
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(program, arguments);
    process->waitForStarted();
    QThread::msleep(SettleMs);
    return process;
}

// Percent of a core each took over the next seconds.
std::vector<double> percentOver(const std::vector<Measured>& measured, int seconds)
{
    std::vector<double> before;
    for (const Measured& one : measured)
        before.push_back(cpuSeconds(one));
    QThread::sleep(static_cast<unsigned long>(seconds));
    std::vector<double> percent;
    for (std::size_t i = 0; i < measured.size(); ++i)
        percent.push_back((cpuSeconds(measured[i]) - before[i]) / seconds * 100.0);
    return percent;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/../../app/tarvo");
    JackTestServer server;
    if (qEnvironmentVariableIsEmpty("JACK_DEFAULT_SERVER") && !server.start()) {
        std::printf("no JACK server: %s\n", qPrintable(server.log()));
        return 1;
    }
    Flooder flooder;
    jack_status_t status;
    flooder.client = jack_client_open("flood", JackNoStartServer, &status);
    flooder.port = jack_port_register(flooder.client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    flooder.sink = jack_port_register(flooder.client, "sink", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(flooder.client, Flooder::process, &flooder);
    jack_activate(flooder.client);

    {
        QTemporaryDir home;
        auto tarvo = startProgram(program, home, "[PortName]\nInputPortName=No Assign\nOutputPortName=No Assign\n");
        std::printf("idle, no port, %d s: %.3f %% of a core (target under 0.3 %%)\n", IdleSeconds,
                    percentOver({{tarvo->processId(), false}}, IdleSeconds)[0]);
        tarvo->terminate();
        tarvo->waitForFinished();
    }
    for (const Layout& layout : Layouts) {
        QTemporaryDir home;
        QStringList arguments;
        if (layout.decoded) {
            const QString project = writeDecodedMonitorProject(home);
            if (project.isEmpty()) {
                std::printf("%s: the project could not be written\n", layout.name);
                return 1;
            }
            arguments.append(project);
        }
        auto tarvo = startProgram(program, home,
                                  QByteArray("[PortName]\nInputPortName=flood:out\nOutputPortName=flood:sink\n"
                                             "[MidiThru]\nMidiThru=1\n")
                                      + layout.settings,
                                  arguments);
        QProcess dump;
        dump.setStandardOutputFile(QProcess::nullDevice());
        dump.start(QStringLiteral("jack_midi_dump"), QStringList());
        dump.waitForStarted();
        QThread::msleep(SettleMs);
        QProcess::execute(QStringLiteral("jack_connect"),
                          {QStringLiteral("flood:out"), QStringLiteral("midi-monitor:input")});
        // The program, jack_midi_dump, and the program's GUI thread alone.
        const std::vector<Measured> measured{
            {tarvo->processId(), false}, {dump.processId(), false}, {tarvo->processId(), true}};
        const std::vector<double> idle = percentOver(measured, IdleSeconds);
        std::printf("%s, idle on a silent source, %d s: %.3f %% of a core (target under 0.3 %%); "
                    "jack_midi_dump on the same source: %.3f %%\n",
                    layout.name, IdleSeconds, idle[0], idle[1]);
        for (const int rate : {5000, 10000, 50000}) {
            flooder.messagesPerCycle = rate / CyclesPerSecond;
            QThread::msleep(500);
            const std::vector<double> flood = percentOver(measured, FloodSeconds);
            std::printf("%s, Thru on, flood of %d messages/s for %d s: program %.1f %% (its GUI thread %.1f %%), "
                        "jack_midi_dump %.1f %% of a core: %.2f times (target at most 1.5)\n",
                        layout.name, (rate / CyclesPerSecond) * CyclesPerSecond, FloodSeconds, flood[0], flood[2],
                        flood[1], flood[0] / flood[1]);
            flooder.messagesPerCycle = 0;
            QThread::msleep(1000);
        }
        dump.terminate();
        dump.waitForFinished();
        tarvo->terminate();
        tarvo->waitForFinished();
    }
    jack_client_close(flooder.client);
    return 0;
}
