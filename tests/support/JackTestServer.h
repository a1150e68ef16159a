#ifndef JACKTESTSERVER_H
#define JACKTESTSERVER_H

#include <QString>

#include <sys/types.h>

// A JACK server of a test's own: jackd without real-time scheduling, with the
// dummy driver (no sound hardware, no D-Bus), running synchronously so that a
// client the loaded machine schedules late still sees every event. JACK keeps
// only 8 server entries in /dev/shm and reclaims a dead server's entry only
// when a server of the same name starts again, so the name is the first of a
// small fixed pool that is not running. start() also points
// JACK_DEFAULT_SERVER of this process at it. The server stops with stop() or
// the destructor, and receives SIGTERM if the test process dies first; it may
// be started again under the same name.
class JackTestServer
{
public:
    JackTestServer();
    ~JackTestServer();

    JackTestServer(const JackTestServer&) = delete;
    JackTestServer& operator=(const JackTestServer&) = delete;

    // Starts jackd and waits until it accepts clients; false, with the reason
    // in log(), when no name of the pool is free or the server did not start.
    bool start(int timeoutMs = 10000);
    void stop();

    // Why start() failed, or what jackd printed.
    QString log() const;

private:
    QString m_name;
    QString m_logPath;
    QString m_failure;
    pid_t m_pid;
};

#endif // JACKTESTSERVER_H
