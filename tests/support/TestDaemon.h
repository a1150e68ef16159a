#ifndef TESTDAEMON_H
#define TESTDAEMON_H

#include <QString>
#include <QStringList>

#include <sys/types.h>

// A server process of a test's own, its output written to a log file. It
// receives SIGTERM if the test process dies first, and is stopped (SIGTERM,
// then SIGKILL when it does not end) by stop() or the destructor.
class TestDaemon
{
public:
    TestDaemon() = default;
    ~TestDaemon();

    TestDaemon(const TestDaemon&) = delete;
    TestDaemon& operator=(const TestDaemon&) = delete;

    // arguments[0] is looked up in PATH. Each entry of environment is either
    // "NAME=value", set for the daemon, or "NAME", removed from what it
    // inherits. False when the daemon is already running or cannot be forked.
    bool start(const QStringList& arguments, const QString& logPath, const QStringList& environment = QStringList());
    // Reaps the daemon when it has ended on its own.
    bool isRunning();
    void stop();

private:
    pid_t m_pid = -1;
};

#endif // TESTDAEMON_H
