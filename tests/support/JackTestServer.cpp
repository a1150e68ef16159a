#include "JackTestServer.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <jack/jack.h>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const int PollIntervalMs = 50;
const int StopTimeoutMs = 5000;

std::atomic<int> serverCount{0};

void ignoreJackMessage(const char*)
{
}

} // namespace

JackTestServer::JackTestServer()
    : m_name(QStringLiteral("tarvo-test-%1-%2").arg(getpid()).arg(serverCount.fetch_add(1)))
    , m_logPath(QDir::temp().filePath(m_name + QStringLiteral(".log")))
    , m_pid(-1)
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
    jack_set_error_function(ignoreJackMessage);
    jack_set_info_function(ignoreJackMessage);
    qputenv("JACK_DEFAULT_SERVER", m_name.toLocal8Bit());

    const QByteArray name = m_name.toLocal8Bit();
    const QByteArray logPath = QFile::encodeName(m_logPath);
    const pid_t parent = getpid();
    m_pid = fork();
    if (m_pid < 0) {
        return false;
    }
    if (m_pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) {
            _exit(1);
        }
        const int log = open(logPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (log >= 0) {
            dup2(log, STDOUT_FILENO);
            dup2(log, STDERR_FILENO);
            close(log);
        }
        execlp("jackd", "jackd", "-r", "-S", "-n", name.constData(), "-d", "dummy", "-r", "48000", "-p", "64",
               static_cast<char*>(nullptr));
        _exit(127);
    }

    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return false;
        }
        if (acceptsClients()) {
            return true;
        }
        QThread::msleep(PollIntervalMs);
    }
    stop();
    return false;
}

void JackTestServer::stop()
{
    if (m_pid <= 0) {
        return;
    }
    kill(m_pid, SIGTERM);
    QElapsedTimer timer;
    timer.start();
    int status = 0;
    while (waitpid(m_pid, &status, WNOHANG) == 0) {
        if (timer.elapsed() > StopTimeoutMs) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
            break;
        }
        QThread::msleep(PollIntervalMs / 5);
    }
    m_pid = -1;
}

QString JackTestServer::name() const
{
    return m_name;
}

QString JackTestServer::log() const
{
    QFile file(m_logPath);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

bool JackTestServer::acceptsClients() const
{
    jack_status_t status;
    jack_client_t* client = jack_client_open("tarvo-wait", JackNoStartServer, &status);
    if (!client) {
        return false;
    }
    jack_client_close(client);
    return true;
}
