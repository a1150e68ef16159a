#include "JackTestServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <jack/jack.h>

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const int PollIntervalMs = 20;
const int StopTimeoutMs = 5000;
const int PoolSize = 4;
const char* const PoolFormat = "tarvo-test-%1";

bool acceptsClients(const QString& server)
{
    jack_status_t status;
    jack_client_t* client = jack_client_open("tarvo-wait", static_cast<jack_options_t>(JackNoStartServer | JackServerName), &status,
                                             server.toLocal8Bit().constData());
    if (client)
        jack_client_close(client);
    return client != nullptr;
}

} // namespace

JackTestServer::JackTestServer()
    : m_pid(-1)
{
}

JackTestServer::~JackTestServer()
{
    stop();
    QFile::remove(m_logPath);
}

bool JackTestServer::start(int timeoutMs)
{
    // Connection attempts before the server is up would fill the test log.
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
    for (int i = 0; i < PoolSize && m_name.isEmpty(); ++i) {
        if (!acceptsClients(QString::fromLatin1(PoolFormat).arg(i)))
            m_name = QString::fromLatin1(PoolFormat).arg(i);
    }
    if (m_name.isEmpty()) {
        m_failure = QStringLiteral("no JACK server can start: tarvo-test-0 to -%1 are all running").arg(PoolSize - 1);
        return false;
    }
    m_logPath = QDir::temp().filePath(m_name + QStringLiteral(".log"));
    qputenv("JACK_DEFAULT_SERVER", m_name.toLocal8Bit());
    const QByteArray name = m_name.toLocal8Bit();
    const QByteArray logPath = QFile::encodeName(m_logPath);
    const pid_t parent = getpid();
    m_pid = fork();
    if (m_pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(1);
        const int log = open(logPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        execlp("jackd", "jackd", "-r", "-S", "-n", name.constData(), "-d", "dummy", "-r", "48000", "-p", "64", static_cast<char*>(nullptr));
        _exit(127);
    }
    QElapsedTimer timer;
    timer.start();
    int status = 0;
    while (m_pid > 0 && timer.elapsed() < timeoutMs) {
        if (waitpid(m_pid, &status, WNOHANG) == m_pid)
            m_pid = -1;
        else if (acceptsClients(m_name))
            return true;
        QThread::msleep(PollIntervalMs);
    }
    stop();
    m_failure = QStringLiteral("the JACK server %1 did not start\n").arg(m_name);
    return false;
}

void JackTestServer::stop()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    QElapsedTimer timer;
    timer.start();
    int status = 0;
    bool reaped = false;
    while (!(reaped = waitpid(m_pid, &status, WNOHANG) == m_pid) && timer.elapsed() < StopTimeoutMs)
        QThread::msleep(PollIntervalMs);
    if (!reaped) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, &status, 0);
    }
    m_pid = -1;
}

QString JackTestServer::log() const
{
    QFile file(m_logPath);
    return m_failure + (file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString());
}
