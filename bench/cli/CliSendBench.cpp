// tarvo-cli send of a 1 MiB System Exclusive .syx file, unpaced, over a real
// JACK server (dummy driver, 64 frames at 48 kHz) into a peer of the bench's
// own: wall clock from start to exit, and whether every byte had arrived by
// the time the program ended. Several runs, to show the spread.
#include "Dumps.h"
#include "JackPeer.h"
#include "JackTestServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const int DumpSize = 1 << 20;
const int Runs = 5;
const int TimeoutMs = 30000;

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    JackTestServer server;
    if (!server.start()) {
        std::printf("no JACK server: %s\n", qPrintable(server.log()));
        return 1;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dump.syx"));
    const QByteArray dump = systemExclusiveDump(DumpSize);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(dump) != dump.size())
        return 1;
    file.close();

    std::vector<double> seconds;
    for (int run = 0; run < Runs; ++run) {
        // A fresh peer each run, so that it holds this run's bytes only.
        JackPeer peer(QStringLiteral("cli-bench-peer"));
        QProcess process;
        QElapsedTimer timer;
        timer.start();
        process.start(QStringLiteral(TARVO_CLI), {QStringLiteral("send"), QStringLiteral("--to"), peer.inputPortName(), path});
        const bool finished = process.waitForFinished(TimeoutMs);
        const double elapsed = timer.nsecsElapsed() * 1e-9;
        const QByteArray atExit = peer.receivedBytes();
        QTest::qWait(200);
        const QByteArray later = peer.receivedBytes();
        seconds.push_back(elapsed);
        std::printf("run %d: exit %d after %.3f s = %.2f MB/s; at exit the peer had %d of %d bytes (%s)%s\n", run + 1,
                    finished ? process.exitCode() : -1, elapsed, DumpSize / elapsed / 1e6, atExit.size(), DumpSize,
                    atExit == dump ? "byte-identical" : "INCOMPLETE",
                    later.size() != atExit.size() ? ", more came after exit" : "");
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("tarvo-cli send 1 MiB unpaced over JACK: median %.3f s start to exit (%.2f MB/s), best %.3f s, worst %.3f s\n",
                seconds[Runs / 2], DumpSize / seconds[Runs / 2] / 1e6, seconds.front(), seconds.back());
    return 0;
}
