#include "Dumps.h"
#include "JackPeer.h"
#include "JackTestServer.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

namespace {

const char* const PeerName = "cli-peer";
const char* const OtherPeerName = "cli-peer-two";
const int ProcessTimeoutMs = 20000;
const int ReplyTimeoutMs = 10000;
const int SendSize = 100000;
const int DumpSize = 65536;
const int DumpPieceSize = 256;
// Slow enough that the dump is far from done when it is interrupted.
const int PacedRate = 8192;
const int SigIntExitCode = 128 + SIGINT;

struct Run
{
    int exitCode;
    QByteArray out;
    QByteArray err;
};

void startCli(QProcess& process, const QStringList& arguments)
{
    process.start(QStringLiteral(TARVO_CLI), arguments);
    QVERIFY(process.waitForStarted());
}

Run finish(QProcess& process)
{
    const bool finished = process.waitForFinished(ProcessTimeoutMs);
    return {finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

Run runCli(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(TARVO_CLI), arguments);
    return finish(process);
}

} // namespace

// tarvo-cli over a real JACK server, talking to a peer of the test's own.
class CliJackTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_server = std::make_unique<JackTestServer>();
        QVERIFY2(m_server->start(), qPrintable(m_server->log()));
        m_peer = std::make_unique<JackPeer>(QLatin1String(PeerName));
        QVERIFY(m_peer->isOpen());
        QVERIFY(m_dir.isValid());
    }

    void cleanup()
    {
        m_peer.reset();
        m_server.reset();
    }

    void portsListsThePeer()
    {
        const Run run = runCli({QStringLiteral("ports")});
        QCOMPARE(run.exitCode, 0);
        const QList<QByteArray> lines = run.out.split('\n');
        QVERIFY(lines.contains("in\t" + m_peer->outputPortName().toUtf8()));
        QVERIFY(lines.contains("out\t" + m_peer->inputPortName().toUtf8()));
    }

    // Everything has arrived by the time the program ends.
    void sendDeliversADumpWholeBeforeItEnds()
    {
        const QByteArray dump = systemExclusiveDump(SendSize);
        const QString path = m_dir.filePath(QStringLiteral("dump.syx"));
        QVERIFY(writeFile(path, dump));
        const Run run = runCli({QStringLiteral("send"), QStringLiteral("--to"), m_peer->inputPortName(), path});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(m_peer->receivedBytes(), dump);
    }

    // Ctrl+C stops a paced dump between pieces; the receiver sees it ended.
    void interruptedSendEndsTheDumpWithF7()
    {
        const QByteArray dump = systemExclusiveDump(DumpSize);
        const QString path = m_dir.filePath(QStringLiteral("paced.syx"));
        QVERIFY(writeFile(path, dump));
        QProcess process;
        startCli(process, {QStringLiteral("send"), QStringLiteral("--to"), m_peer->inputPortName(),
                           QStringLiteral("--rate"), QString::number(PacedRate), path});
        QVERIFY(QTest::qWaitFor([this] { return !m_peer->received().isEmpty(); }, ReplyTimeoutMs));
        ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        const Run run = finish(process);
        QCOMPARE(run.exitCode, SigIntExitCode);
        const QByteArray received = m_peer->receivedBytes();
        QVERIFY(received.size() > 1 && received.size() < DumpSize);
        QCOMPARE(received.chopped(1), dump.left(received.size() - 1));
        QCOMPARE(received.back(), '\xF7');
    }

    void receiveWritesADumpThatCameInPieces()
    {
        const QByteArray dump = systemExclusiveDump(DumpSize);
        const QString path = m_dir.filePath(QStringLiteral("received.syx"));
        QProcess process;
        startCli(process, {QStringLiteral("receive"), QStringLiteral("--from"), QStringLiteral("CLI-PEER:o"),
                           QStringLiteral("--count"), QStringLiteral("1"), QStringLiteral("--timeout"),
                           QStringLiteral("15"), QStringLiteral("--out"), path});
        QVERIFY(QTest::qWaitFor([this] { return m_peer->isHeard(); }, ReplyTimeoutMs));
        for (int i = 0; i < DumpSize; i += DumpPieceSize)
            m_peer->send(dump.mid(i, DumpPieceSize));
        const Run run = finish(process);
        QCOMPARE(run.exitCode, 0);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), dump);
    }

    // Answers like a device's identity reply; what is not System Exclusive is not collected.
    void requestCollectsTheReply()
    {
        QProcess process;
        startCli(process, {QStringLiteral("request"), QStringLiteral("--to"), m_peer->inputPortName(),
                           QStringLiteral("--from"), m_peer->outputPortName(), QStringLiteral("--hex"),
                           QStringLiteral("F0 7E 00 06 01 12 34 F7")});
        QVERIFY(QTest::qWaitFor([this] { return !m_peer->received().isEmpty(); }, ReplyTimeoutMs));
        const QByteArray request = m_peer->received().first().bytes;
        QCOMPARE(request, QByteArray::fromHex("F07E0006011234F7"));
        m_peer->send(QByteArray::fromHex("903C64"));
        m_peer->send(QByteArray::fromHex("F07E7F0602") + request.mid(5, request.size() - 6) + "\xF7");
        const Run run = finish(process);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("F0 7E 7F 06 02 12 34 F7\n"));
    }

    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString peerOut = QLatin1String(PeerName) + QStringLiteral(":out");
        const QString peerIn = QLatin1String(PeerName) + QStringLiteral(":in");
        QTest::newRow("timeout") << QStringList{"receive", "--from", peerOut, "--count", "1", "--timeout", "0.2"}
                                 << 1 << "0 of 1 messages arrived";
        QTest::newRow("no command") << QStringList{} << 2 << "No command given";
        QTest::newRow("nothing to send") << QStringList{"send", "--to", peerIn} << 2 << "Nothing to send";
        QTest::newRow("option of another command")
            << QStringList{"receive", "--from", peerOut, "--chunk", "16"} << 2 << "--chunk does not go with receive";
        QTest::newRow("bad number") << QStringList{"send", "--to", peerIn, "--rate", "-5", "--hex", "F8"} << 2
                                    << "--rate takes a number from 0";
        QTest::newRow("unreadable file") << QStringList{"send", "--to", peerIn, "@dir/missing.syx"} << 2
                                         << "missing.syx: No such file";
        QTest::newRow("failing text") << QStringList{"send", "--to", peerIn, "@dir/bad.txt"} << 2
                                      << "bad.txt: Line 2, column 4: 7G is not a hexadecimal byte";
        QTest::newRow("unended hex") << QStringList{"send", "--to", peerIn, "--hex", "F0 01"} << 2
                                     << "--hex: Line 1: System Exclusive not ended by F7";
        QTest::newRow("missing port") << QStringList{"send", "--to", "nosuch", "--hex", "F8"} << 2
                                      << "No destination fits 'nosuch'";
        QTest::newRow("ambiguous port") << QStringList{"receive", "--from", "cli-peer"} << 2
                                        << "'cli-peer' fits more than one source";
    }

    // Nothing is sent when the arguments or the inputs are refused.
    void exitStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        JackPeer other((QLatin1String(OtherPeerName)));
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("bad.txt")), "F0 01\n02 7G F7\n"));
        arguments.replaceInStrings(QStringLiteral("@dir"), m_dir.path());
        const Run run = runCli(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(message.toUtf8()), run.err.constData());
        QVERIFY(m_peer->received().isEmpty());
    }

private:
    static bool writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<JackTestServer> m_server;
    std::unique_ptr<JackPeer> m_peer;
};

QTEST_GUILESS_MAIN(CliJackTest)
#include "CliJackTest.moc"
