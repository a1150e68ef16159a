#include "CliRun.h"
#include "Dumps.h"
#include "JackPeer.h"
#include "JackTestServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

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
const char* const FullDevice = "/dev/full";
const char* const OldContents = "old contents";
const char* const LeftAloneText = "Nothing arrived: ";

void startCli(QProcess& process, const QStringList& arguments)
{
    process.start(QStringLiteral(TARVO_CLI), arguments);
    QVERIFY(process.waitForStarted());
}

using Run = CliRun;

Run finish(QProcess& process)
{
    return finishCli(process, ProcessTimeoutMs);
}

Run runCli(const QStringList& arguments)
{
    return ::runCli(arguments, ProcessTimeoutMs);
}

// A folder no file can be made in: for root, who may write into any folder,
// a read-only file system mounted on it.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString& path)
        : m_path(path)
        , m_mounted(false)
    {
        QDir().mkpath(path);
        if (geteuid() == 0)
            m_mounted
                = QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "ro,size=16k", "tmpfs", path}) == 0;
        else
            ::chmod(QFile::encodeName(path).constData(), 0555);
    }
    ~ReadOnlyFolder()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_path});
        else
            ::chmod(QFile::encodeName(m_path).constData(), 0755);
    }
    bool isReadOnly() const { return m_mounted || geteuid() != 0; }

private:
    const QString m_path;
    bool m_mounted;
};

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

    // With the system in use named on standard error, whichever way JACK is chosen.
    void portsListsThePeer()
    {
        for (const QStringList& system : {QStringList(), QStringList{"--midi-system", "jack"},
                                          QStringList{"--midi-system=auto"}}) {
            const Run run = runCli(QStringList{QStringLiteral("ports")} + system);
            QCOMPARE(run.exitCode, 0);
            const QList<QByteArray> lines = run.out.split('\n');
            QVERIFY(lines.contains("in\t" + m_peer->outputPortName().toUtf8()));
            QVERIFY(lines.contains("out\t" + m_peer->inputPortName().toUtf8()));
            QCOMPARE(run.err, QByteArray("MIDI: JACK\n"));
        }
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

    // A server that stops ends a receive, which would wait for nothing, and
    // fails a send, which counts only the bytes that reached the peer.
    void serverThatStopsEndsTheRun()
    {
        QProcess receive;
        startCli(receive, {QStringLiteral("receive"), QStringLiteral("--from"), m_peer->outputPortName()});
        const QByteArray dump = systemExclusiveDump(DumpSize);
        const QString path = m_dir.filePath(QStringLiteral("paced.syx"));
        QVERIFY(writeFile(path, dump));
        QProcess send;
        startCli(send, {QStringLiteral("send"), QStringLiteral("--to"), m_peer->inputPortName(),
                        QStringLiteral("--rate"), QString::number(PacedRate), path});
        QVERIFY(QTest::qWaitFor([this] { return m_peer->isHeard() && !m_peer->received().isEmpty(); },
                                ReplyTimeoutMs));
        m_server->stop();

        const Run received = finish(receive);
        QCOMPARE(received.exitCode, 2);
        QVERIFY2(received.err.contains("Receiving ended: the MIDI service went away."), received.err.constData());
        const Run sent = finish(send);
        QCOMPARE(sent.exitCode, 3);
        const QByteArray arrived = m_peer->receivedBytes();
        QVERIFY(arrived.size() < DumpSize);
        QVERIFY2(sent.err.contains(QStringLiteral("Sending failed after %1 bytes").arg(arrived.size()).toUtf8()),
                 qPrintable(QStringLiteral("%1 arrived: %2").arg(arrived.size()).arg(QString::fromUtf8(sent.err))));
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
        QVERIFY2(receivedAll(run), run.err.constData());
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
        // 1: standard output, 2: standard error goes to /dev/full.
        QTest::addColumn<int>("fullStream");
        // Sent by the peer once tarvo-cli listens.
        QTest::addColumn<QByteArray>("peerSends");
        const QString peerOut = QLatin1String(PeerName) + QStringLiteral(":out");
        const QString peerIn = QLatin1String(PeerName) + QStringLiteral(":in");
        QTest::newRow("timeout") << QStringList{"receive", "--from", peerOut, "--count", "1", "--timeout", "0.2"}
                                 << 1 << "0 of 1 messages arrived" << 0 << QByteArray();
        QTest::newRow("no command") << QStringList{} << 2 << "No command given" << 0 << QByteArray();
        QTest::newRow("nothing to send") << QStringList{"send", "--to", peerIn} << 2 << "Nothing to send" << 0
                                         << QByteArray();
        QTest::newRow("option of another command")
            << QStringList{"receive", "--from", peerOut, "--chunk", "16"} << 2 << "--chunk does not go with receive"
            << 0 << QByteArray();
        QTest::newRow("bad number") << QStringList{"send", "--to", peerIn, "--rate", "-5", "--hex", "F8"} << 2
                                    << "--rate takes a number from 0" << 0 << QByteArray();
        QTest::newRow("unreadable file") << QStringList{"send", "--to", peerIn, "@dir/missing.syx"} << 2
                                         << "missing.syx: No such file" << 0 << QByteArray();
        QTest::newRow("failing text") << QStringList{"send", "--to", peerIn, "@dir/bad.txt"} << 2
                                      << "bad.txt: Line 2, column 4: 7G is not a hexadecimal byte" << 0 << QByteArray();
        QTest::newRow("unended hex") << QStringList{"send", "--to", peerIn, "--hex", "F0 01"} << 2
                                     << "--hex: Line 1: System Exclusive not ended by F7" << 0 << QByteArray();
        QTest::newRow("missing port") << QStringList{"send", "--to", "nosuch", "--hex", "F8"} << 2
                                      << "No destination fits 'nosuch'" << 0 << QByteArray();
        QTest::newRow("ambiguous port") << QStringList{"receive", "--from", "cli-peer"} << 2
                                        << "'cli-peer' fits more than one source" << 0 << QByteArray();
        QTest::newRow("empty .syx") << QStringList{"send", "--to", peerIn, "@dir/empty.syx"} << 2
                                    << "empty.syx: Nothing to send: it holds no byte." << 0 << QByteArray();
        QTest::newRow("blank text") << QStringList{"send", "--to", peerIn, "@dir/blank.txt"} << 2
                                    << "blank.txt: Nothing to send" << 0 << QByteArray();
        QTest::newRow("empty hex") << QStringList{"send", "--to", peerIn, "--hex", ""} << 2
                                   << "--hex: Nothing to send" << 0 << QByteArray();
        // This machine has no sequencer.
        QTest::newRow("sequencer chosen") << QStringList{"send", "--midi-system", "alsa", "--to", peerIn, "--hex", "F8"}
                                          << 2 << "The ALSA sequencer cannot be opened (/dev/snd/seq)" << 0
                                          << QByteArray();
        QTest::newRow("unknown system") << QStringList{"ports", "--midi-system", "oss"} << 2
                                        << "--midi-system takes auto, alsa or jack, not \"oss\"." << 0 << QByteArray();
        QTest::newRow("zero byte") << QStringList{"send", "--to", peerIn, "@dir/zero.txt"} << 2
                                   << "zero.txt: Line 2, column 5: a zero byte" << 0 << QByteArray();

        const QString noSpace = QStringLiteral("tarvo-cli: cannot write to standard output: No space left on device");
        QTest::newRow("help to a full disk") << QStringList{"--help"} << 3 << noSpace << 1 << QByteArray();
        QTest::newRow("version to a full disk") << QStringList{"--version"} << 3 << noSpace << 1 << QByteArray();
        QTest::newRow("ports to a full disk") << QStringList{"ports"} << 3 << noSpace << 1 << QByteArray();
        QTest::newRow("received to a full disk") << QStringList{"receive", "--from", peerOut, "--timeout", "10"} << 3
                                                 << noSpace << 1 << QByteArray::fromHex("903C40");
        // Nothing can be told, but the status says it.
        QTest::newRow("timeout told to a full disk")
            << QStringList{"receive", "--from", peerOut, "--count", "1", "--timeout", "0.2"} << 3 << "" << 2
            << QByteArray();
        QTest::newRow("refused, told to a full disk") << QStringList{"send", "--to", "nosuch", "--hex", "F8"} << 2 << ""
                                                      << 2 << QByteArray();
        // Refused before a dump could arrive only to be thrown away: without
        // --count and --timeout a receive that began would run on.
        QTest::newRow("--out in a missing folder")
            << QStringList{"receive", "--from", peerOut, "--out", "@dir/missing/x.syx"} << 2
            << "missing/x.syx cannot be written: No such file or directory" << 0 << QByteArray();
        QTest::newRow("--out a folder") << QStringList{"receive", "--from", peerOut, "--out", "@dir"} << 2
                                        << "cannot be written: Is a directory" << 0 << QByteArray();
        QTest::newRow("--out in a read-only folder")
            << QStringList{"request", "--to", peerIn, "--from", peerOut, "--hex", "F8", "--out", "@ro/x.syx"} << 2
            << "read-only/x.syx cannot be written: " << 0 << QByteArray();
    }

    // Nothing is sent when the arguments or the inputs are refused.
    void exitStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFETCH(int, fullStream);
        QFETCH(QByteArray, peerSends);
        JackPeer other((QLatin1String(OtherPeerName)));
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("bad.txt")), "F0 01\n02 7G F7\n"));
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("empty.syx")), QByteArray()));
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("blank.txt")), " \n\t,\n"));
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("zero.txt")), QByteArray("F0 7E\n7F 0\0" "6 F7\n", 15)));
        std::unique_ptr<ReadOnlyFolder> readOnly;
        if (arguments.contains(QStringLiteral("@ro/x.syx"))) {
            readOnly = std::make_unique<ReadOnlyFolder>(m_dir.filePath(QStringLiteral("read-only")));
            if (!readOnly->isReadOnly())
                QSKIP("a read-only folder for root needs a mount");
        }
        arguments.replaceInStrings(QStringLiteral("@dir"), m_dir.path());
        arguments.replaceInStrings(QStringLiteral("@ro"), m_dir.filePath(QStringLiteral("read-only")));
        QProcess process;
        if (fullStream == 1)
            process.setStandardOutputFile(QLatin1String(FullDevice));
        else if (fullStream == 2)
            process.setStandardErrorFile(QLatin1String(FullDevice));
        startCli(process, arguments);
        if (!peerSends.isEmpty() && QTest::qWaitFor([this] { return m_peer->isHeard(); }, ReplyTimeoutMs))
            m_peer->send(peerSends);
        const Run run = finish(process);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(message.toUtf8()), run.err.constData());
        QVERIFY(m_peer->received().isEmpty());
    }

    void oldOutFileStays_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("timeout") << QStringList{"receive", "--count", "1", "--timeout", "0.2"} << 0 << 1;
        QTest::newRow("terminated") << QStringList{"receive"} << int(SIGTERM) << 0;
        QTest::newRow("destination gone")
            << QStringList{"request", "--to", QLatin1String(OtherPeerName) + QStringLiteral(":in"), "--rate",
                           QString::number(PacedRate), "@dir/paced.syx"}
            << 0 << 3;
    }

    // Nothing complete arrived, so nothing replaces what the file held.
    void oldOutFileStays()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, signal);
        QFETCH(int, exitCode);
        auto other = std::make_unique<JackPeer>(QLatin1String(OtherPeerName));
        const QString out = m_dir.filePath(QStringLiteral("old.syx"));
        QVERIFY(writeFile(out, OldContents));
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("paced.syx")), systemExclusiveDump(DumpSize)));
        arguments.replaceInStrings(QStringLiteral("@dir"), m_dir.path());
        arguments << QStringLiteral("--from") << m_peer->outputPortName() << QStringLiteral("--out") << out;
        QProcess process;
        startCli(process, arguments);
        if (signal != 0) {
            QVERIFY(QTest::qWaitFor([this] { return m_peer->isHeard(); }, ReplyTimeoutMs));
            ::kill(static_cast<pid_t>(process.processId()), signal);
        } else if (exitCode == 3) {
            QVERIFY(QTest::qWaitFor([&other] { return !other->received().isEmpty(); }, ReplyTimeoutMs));
            other.reset();
        }
        const Run run = finish(process);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(LeftAloneText), run.err.constData());
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray(OldContents));
        const QStringList leftovers
            = QDir(m_dir.path()).entryList({QStringLiteral(".old.syx*")}, QDir::Files | QDir::Hidden);
        QCOMPARE(leftovers, QStringList());
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
