#ifndef JACKTESTSERVER_H
#define JACKTESTSERVER_H

#include "TestDaemon.h"

#include <QString>

class QElapsedTimer;

// A JACK server of a test's own, of the kind TARVO_TEST_JACK names:
// - unset or "jackd": jackd without real-time scheduling, with the dummy
//   driver (no sound hardware, no D-Bus), running synchronously so that a
//   client the loaded machine schedules late still sees every event. JACK
//   keeps only 8 server entries in /dev/shm and reclaims a dead server's
//   entry only when a server of the same name starts again, so the name is
//   that of the previous start, or else the first of a small fixed pool that
//   is free. start() points JACK_DEFAULT_SERVER of this process at it.
// - "pipewire": a PipeWire daemon and its session manager (wireplumber) in a
//   private runtime and configuration folder, with their stock configuration
//   less D-Bus and the machine's devices; the graph runs on PipeWire's dummy
//   driver. The test process must use PipeWire's libjack (run under pw-jack);
//   start() points PIPEWIRE_REMOTE of this process at the daemon.
// Child processes of the test inherit that environment. The server stops
// with stop() or the destructor, and receives SIGTERM if the test process
// dies first; it may be started again.
class JackTestServer
{
public:
    JackTestServer();
    ~JackTestServer();

    JackTestServer(const JackTestServer&) = delete;
    JackTestServer& operator=(const JackTestServer&) = delete;

    // Starts the server and waits until a JACK client can open (and, for
    // PipeWire, until its session manager runs); false, with the reason in
    // log(), when it did not start.
    bool start(int timeoutMs = 10000);
    void stop();

    // Why start() failed, or what the server printed.
    QString log() const;

private:
    enum class Kind { Jackd, PipeWire, Unknown };

    bool startJackd(const QElapsedTimer& timer, int timeoutMs);
    bool startPipeWire(const QElapsedTimer& timer, int timeoutMs);
    bool writeSessionManagerSettings(const QString& configHome);
    // Until a JACK client can open, and with sessionManager until PipeWire's
    // session manager runs too; false when a daemon ended or time ran out.
    bool waitForClients(bool sessionManager, const QElapsedTimer& timer, int timeoutMs);
    QString logs() const;

    Kind m_kind;
    // jackd's server name; PipeWire's private folder.
    QString m_name;
    QString m_folder;
    QString m_failure;
    TestDaemon m_server;
    TestDaemon m_sessionManager;
};

#endif // JACKTESTSERVER_H
