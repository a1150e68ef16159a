#include "JackTestServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <jack/jack.h>
#include <jack/metadata.h>
#include <jack/session.h>
#include <jack/uuid.h>

#include <link.h>
#include <sys/stat.h>

namespace {

const int PollIntervalMs = 20;
const int PoolSize = 4;
const char* const PoolFormat = "tarvo-test-%1";
const char* const KindVariable = "TARVO_TEST_JACK";
const char* const PipeWireKind = "pipewire";
const char* const JackdKind = "jackd";
const char* const JackdLogSuffix = ".log";
const char* const PipeWireLog = "pipewire.log";
const char* const SessionManagerLog = "wireplumber.log";
const char* const RuntimeFolder = "run";
const char* const PipeWireSocket = "pipewire-0";
const char* const ReadinessProperty = "urn:tarvo:test-server-ready";

// What the daemons must not take from the test's environment: a display or a
// D-Bus session to reach, another PipeWire daemon, configuration of the user's.
const char* const DaemonEnvironmentRemoved[] = {
    "DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "PIPEWIRE_REMOTE", "PIPEWIRE_CORE",
    "PIPEWIRE_RUNTIME_DIR", "PIPEWIRE_CONFIG_DIR", "PIPEWIRE_CONFIG_NAME", "WIREPLUMBER_CONFIG_DIR",
};

// The session manager's stock configuration quits when it cannot reach D-Bus
// (flatpak portal, device reservation) and would open the machine's sound,
// MIDI, camera and Bluetooth devices; the test daemon wants none of them.
struct SettingsFile
{
    const char* path;
    const char* text;
};
const SettingsFile SessionManagerSettings[] = {
    {"wireplumber/main.lua.d/80-test-daemon.lua",
     "default_access.properties[\"enable-flatpak-portal\"] = false\n"
     "alsa_monitor.enabled = false\n"
     "v4l2_monitor.enabled = false\n"
     "libcamera_monitor.enabled = false\n"},
    {"wireplumber/bluetooth.lua.d/80-test-daemon.lua", "bluez_monitor.enabled = false\n"},
};

// A client can open; with sessionManager, it can also set a property on
// itself, which PipeWire's libjack does in the metadata that the session
// manager publishes once it runs.
bool acceptsClients(const char* server, bool sessionManager)
{
    jack_status_t status;
    const jack_options_t options = static_cast<jack_options_t>(JackNoStartServer | (server ? JackServerName : 0));
    jack_client_t* client = jack_client_open("tarvo-wait", options, &status, server);
    if (!client)
        return false;
    bool accepts = true;
    if (sessionManager) {
        char* uuidText = jack_client_get_uuid(client);
        jack_uuid_t uuid = 0;
        accepts = uuidText && jack_uuid_parse(uuidText, &uuid) == 0
            && jack_set_property(client, uuid, ReadinessProperty, "1", nullptr) == 0
            && jack_remove_property(client, uuid, ReadinessProperty) == 0;
        jack_free(uuidText);
    }
    jack_client_close(client);
    return accepts;
}

// PipeWire's libjack lives in a folder of its own, which pw-jack puts first
// in the library path.
bool usesPipeWireLibjack()
{
    bool pipeWire = false;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* found) {
            const QByteArray path(info->dlpi_name);
            if (path.contains("/libjack.so"))
                *static_cast<bool*>(found) = path.contains("/pipewire-");
            return 0;
        },
        &pipeWire);
    return pipeWire;
}

QString readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

} // namespace

JackTestServer::JackTestServer()
{
    const QByteArray kind = qgetenv(KindVariable);
    m_kind = kind.isEmpty() || kind == JackdKind ? Kind::Jackd : kind == PipeWireKind ? Kind::PipeWire : Kind::Unknown;
}

JackTestServer::~JackTestServer()
{
    stop();
    if (m_kind == Kind::Jackd && !m_name.isEmpty())
        QFile::remove(QDir::temp().filePath(m_name + JackdLogSuffix));
}

bool JackTestServer::start(int timeoutMs)
{
    // Connection attempts before the server is up would fill the test log.
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
    m_failure.clear();
    QElapsedTimer timer;
    timer.start();
    bool started = false;
    switch (m_kind) {
    case Kind::Jackd:
        started = startJackd(timer, timeoutMs);
        break;
    case Kind::PipeWire:
        started = startPipeWire(timer, timeoutMs);
        break;
    case Kind::Unknown:
        m_failure = QStringLiteral("%1 names no JACK server kind (jackd or pipewire): %2\n")
                        .arg(KindVariable, QString::fromLocal8Bit(qgetenv(KindVariable)));
        return false;
    }
    if (started)
        return true;
    if (m_failure.isEmpty())
        m_failure = QStringLiteral("the JACK server did not start\n");
    m_failure += logs();
    stop();
    return false;
}

bool JackTestServer::startJackd(const QElapsedTimer& timer, int timeoutMs)
{
    // The name of an earlier start first; a name another process takes
    // between the check and the start (tests of another build tree) makes
    // jackd quit, and the next name is tried.
    QStringList names;
    if (!m_name.isEmpty())
        names << m_name;
    for (int i = 0; i < PoolSize; ++i) {
        const QString name = QString::fromLatin1(PoolFormat).arg(i);
        if (!names.contains(name))
            names << name;
    }
    for (const QString& name : names) {
        if (timer.elapsed() >= timeoutMs)
            break;
        if (acceptsClients(name.toLocal8Bit().constData(), false))
            continue;
        if (!m_name.isEmpty() && m_name != name)
            QFile::remove(QDir::temp().filePath(m_name + JackdLogSuffix));
        m_name = name;
        qputenv("JACK_DEFAULT_SERVER", m_name.toLocal8Bit());
        if (!m_server.start({"jackd", "-r", "-S", "-n", m_name, "-d", "dummy", "-r", "48000", "-p", "64"},
                            QDir::temp().filePath(m_name + JackdLogSuffix)))
            return false;
        if (waitForClients(false, timer, timeoutMs))
            return true;
        m_server.stop();
    }
    m_failure = QStringLiteral("no JACK server could start as tarvo-test-0 to -%1\n").arg(PoolSize - 1);
    return false;
}

bool JackTestServer::startPipeWire(const QElapsedTimer& timer, int timeoutMs)
{
    if (!usesPipeWireLibjack()) {
        m_failure = QStringLiteral("this process does not use PipeWire's libjack: run it under pw-jack\n");
        return false;
    }
    // The folder keeps its path across restarts, so PIPEWIRE_REMOTE, which
    // clients of the program read whenever they reconnect, stays as it is.
    if (m_folder.isEmpty()) {
        QTemporaryDir created(QDir::temp().filePath(QStringLiteral("tarvo-pipewire-XXXXXX")));
        created.setAutoRemove(false);
        m_folder = created.isValid() ? created.path() : QString();
    } else if (mkdir(QFile::encodeName(m_folder).constData(), S_IRWXU) != 0) {
        m_failure = QStringLiteral("cannot create %1\n").arg(m_folder);
        return false;
    }
    const QDir folder(m_folder);
    const QString runtime = folder.filePath(RuntimeFolder);
    const QString configHome = folder.filePath(QStringLiteral("config"));
    if (m_folder.isEmpty() || mkdir(QFile::encodeName(runtime).constData(), S_IRWXU) != 0
        || !writeSessionManagerSettings(configHome)) {
        m_failure = QStringLiteral("cannot prepare the PipeWire folder %1\n").arg(m_folder);
        return false;
    }
    QStringList environment = {
        "HOME=" + m_folder,
        "XDG_RUNTIME_DIR=" + runtime,
        "XDG_CONFIG_HOME=" + configHome,
        "XDG_STATE_HOME=" + folder.filePath(QStringLiteral("state")),
        "XDG_DATA_HOME=" + folder.filePath(QStringLiteral("data")),
        // No system bus either: nothing listens there.
        "DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + folder.filePath(QStringLiteral("no-bus")),
    };
    for (const char* name : DaemonEnvironmentRemoved)
        environment << QString::fromLatin1(name);
    qputenv("PIPEWIRE_REMOTE", QFile::encodeName(QDir(runtime).filePath(PipeWireSocket)));
    // The session manager quits at once when it finds no daemon to connect to.
    return m_server.start({"pipewire"}, folder.filePath(PipeWireLog), environment)
        && waitForClients(false, timer, timeoutMs)
        && m_sessionManager.start({"wireplumber"}, folder.filePath(SessionManagerLog), environment)
        && waitForClients(true, timer, timeoutMs);
}

bool JackTestServer::writeSessionManagerSettings(const QString& configHome)
{
    for (const SettingsFile& settings : SessionManagerSettings) {
        const QString path = QDir(configHome).filePath(QString::fromLatin1(settings.path));
        QFile file(path);
        if (!QDir().mkpath(QFileInfo(path).path()) || !file.open(QIODevice::WriteOnly)
            || file.write(settings.text) != qstrlen(settings.text))
            return false;
    }
    return true;
}

bool JackTestServer::waitForClients(bool sessionManager, const QElapsedTimer& timer, int timeoutMs)
{
    const QByteArray server = m_kind == Kind::Jackd ? m_name.toLocal8Bit() : QByteArray();
    const auto running = [&] { return m_server.isRunning() && (!sessionManager || m_sessionManager.isRunning()); };
    while (running() && timer.elapsed() < timeoutMs) {
        if (acceptsClients(server.isEmpty() ? nullptr : server.constData(), sessionManager))
            return true;
        QThread::msleep(PollIntervalMs);
    }
    return false;
}

void JackTestServer::stop()
{
    m_sessionManager.stop();
    m_server.stop();
    if (m_kind == Kind::PipeWire && !m_folder.isEmpty())
        QDir(m_folder).removeRecursively();
}

QString JackTestServer::log() const
{
    return m_failure.isEmpty() ? logs() : m_failure;
}

QString JackTestServer::logs() const
{
    if (m_kind == Kind::Jackd)
        return m_name.isEmpty() ? QString() : readFile(QDir::temp().filePath(m_name + JackdLogSuffix));
    return readFile(QDir(m_folder).filePath(PipeWireLog)) + readFile(QDir(m_folder).filePath(SessionManagerLog));
}
