#ifndef JACKTESTSERVER_H
#define JACKTESTSERVER_H

#include <QString>

#include <sys/types.h>

// A JACK server of a test's own: jackd without real-time scheduling, with the
// dummy driver (no sound hardware, no D-Bus), under a name unique to this
// process. It runs synchronously: each cycle waits for every client, so a
// client that the loaded machine schedules late still sees every event
// instead of missing a cycle's MIDI. start() also points JACK_DEFAULT_SERVER of this process at it, so
// every JACK client the test creates afterwards (RtMidi's too) joins it. The
// server is stopped by stop() or the destructor, and receives SIGTERM if the
// test process dies first.
class JackTestServer
{
public:
    JackTestServer();
    ~JackTestServer();

    JackTestServer(const JackTestServer&) = delete;
    JackTestServer& operator=(const JackTestServer&) = delete;

    // Starts jackd and waits until it accepts clients; false (with the server
    // stopped) when it did not within timeoutMs.
    bool start(int timeoutMs = 10000);
    void stop();

    QString name() const;
    // What jackd printed, for failure messages.
    QString log() const;

private:
    bool acceptsClients() const;

    QString m_name;
    QString m_logPath;
    pid_t m_pid;
};

#endif // JACKTESTSERVER_H
