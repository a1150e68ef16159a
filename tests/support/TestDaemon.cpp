#include "TestDaemon.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace {

const int PollIntervalMs = 20;
const int StopTimeoutMs = 5000;

// Everything the child needs is built before fork(): between fork() and exec()
// a child of a threaded process may only make async-signal-safe calls.
std::vector<QByteArray> environmentFor(const QStringList& changes)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& change : changes) {
        const int equals = change.indexOf('=');
        if (equals < 0)
            environment.remove(change);
        else
            environment.insert(change.left(equals), change.mid(equals + 1));
    }
    std::vector<QByteArray> entries;
    for (const QString& entry : environment.toStringList())
        entries.push_back(entry.toLocal8Bit());
    return entries;
}

std::vector<char*> pointersTo(std::vector<QByteArray>& strings)
{
    std::vector<char*> pointers;
    for (QByteArray& string : strings)
        pointers.push_back(string.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

TestDaemon::~TestDaemon()
{
    stop();
}

bool TestDaemon::start(const QStringList& arguments, const QString& logPath, const QStringList& environment)
{
    if (m_pid > 0 || arguments.isEmpty())
        return false;
    std::vector<QByteArray> argumentBytes;
    for (const QString& argument : arguments)
        argumentBytes.push_back(argument.toLocal8Bit());
    std::vector<QByteArray> environmentBytes = environmentFor(environment);
    const std::vector<char*> argv = pointersTo(argumentBytes);
    const std::vector<char*> envp = pointersTo(environmentBytes);
    const QByteArray log = QFile::encodeName(logPath);
    const pid_t parent = getpid();
    m_pid = fork();
    if (m_pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(1);
        const int logFile = open(log.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(logFile, STDOUT_FILENO);
        dup2(logFile, STDERR_FILENO);
        execvpe(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    return m_pid > 0;
}

bool TestDaemon::isRunning()
{
    int status = 0;
    if (m_pid > 0 && waitpid(m_pid, &status, WNOHANG) == m_pid)
        m_pid = -1;
    return m_pid > 0;
}

void TestDaemon::stop()
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
