// tarvo-cli records, plays and measures over a real JACK server: receive
// --out FILE.mid keeps every message, send FILE.mid plays them back, a
// damaged file is refused with its byte, and latency ends with its figures
// and tells by its status whether a probe was lost.

#include "CliRun.h"
#include "Dumps.h"
#include "JackEcho.h"
#include "JackPeer.h"
#include "JackTestServer.h"

#include "services/MidiFileReader.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const char* const PeerName = "rec-peer";
const char* const EchoName = "rec-echo";
const int ProcessTimeoutMs = 30000;
const int ListenTimeoutMs = 10000;
const int DumpSize = 4096;
const int DumpPieceSize = 256;

using Run = CliRun;

Run finish(QProcess& process)
{
    return finishCli(process, ProcessTimeoutMs);
}

Run runCli(const QStringList& arguments)
{
    return ::runCli(arguments, ProcessTimeoutMs);
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class CliRecorderJackTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_server = std::make_unique<JackTestServer>();
        QVERIFY2(m_server->start(), qPrintable(m_server->log()));
        m_peer = std::make_unique<JackPeer>(QLatin1String(PeerName));
        m_echo = std::make_unique<JackEcho>(QLatin1String(EchoName));
        QVERIFY(m_peer->isOpen() && m_echo->isOpen());
        QVERIFY(m_dir.isValid());
    }

    void cleanup()
    {
        m_echo.reset();
        m_peer.reset();
        m_server.reset();
    }

    // What arrives goes into the file whole, in order, and comes out again.
    void recordedFilePlaysBack()
    {
        const QList<QByteArray> messages{QByteArray::fromHex("903C64"), QByteArray::fromHex("B00764"),
                                         systemExclusiveDump(DumpSize), QByteArray::fromHex("F8"),
                                         QByteArray::fromHex("803C40")};
        const QString path = m_dir.filePath(QStringLiteral("take.MID"));
        QProcess receive;
        receive.start(QStringLiteral(TARVO_CLI),
                      {QStringLiteral("receive"), QStringLiteral("--from"), m_peer->outputPortName(),
                       QStringLiteral("--count"), QString::number(messages.size()), QStringLiteral("--timeout"),
                       QStringLiteral("20"), QStringLiteral("--out"), path});
        QVERIFY(QTest::qWaitFor([this] { return m_peer->isHeard(); }, ListenTimeoutMs));
        for (const QByteArray& message : messages) {
            for (int i = 0; i < message.size(); i += DumpPieceSize)
                m_peer->send(message.mid(i, DumpPieceSize));
        }
        const Run recorded = finish(receive);
        QVERIFY2(receivedAll(recorded), recorded.err.constData());
        MidiFileReader::Content content;
        QString error;
        QVERIFY2(MidiFileReader::load(path, &content, &error), qPrintable(error));
        QList<QByteArray> read;
        for (const MidiFileMessage& message : content.messages)
            read << message.bytes;
        QCOMPARE(read, messages);

        const Run played = runCli({QStringLiteral("send"), QStringLiteral("--to"), m_peer->inputPortName(), path});
        QCOMPARE(played.exitCode, 0);
        QCOMPARE(m_peer->receivedBytes(), messages.join());
    }

    void latency_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        // Expected on standard error, or the figures' lost count.
        QTest::addColumn<QString>("message");
        const QString echoIn = QLatin1String(EchoName) + QStringLiteral(":in");
        const QString echoOut = QLatin1String(EchoName) + QStringLiteral(":out");
        const QString peerIn = QLatin1String(PeerName) + QStringLiteral(":in");
        const QString peerOut = QLatin1String(PeerName) + QStringLiteral(":out");
        QTest::newRow("echo") << QStringList{"--to", echoIn, "--from", echoOut, "--count", "50", "--interval", "2"}
                              << 0 << "lost=0";
        QTest::newRow("program change") << QStringList{"--to", echoIn, "--from", echoOut, "--count", "5", "--hex",
                                                       "C0 05"}
                                        << 0 << "lost=0";
        QTest::newRow("no echo") << QStringList{"--to", peerIn, "--from", peerOut, "--count", "3"} << 1 << "lost=3";
        QTest::newRow("active sensing") << QStringList{"--to", echoIn, "--from", echoOut, "--hex", "FE"} << 2
                                        << "--hex: Active Sensing cannot be a probe";
        QTest::newRow("two messages") << QStringList{"--to", echoIn, "--from", echoOut, "--hex", "90 3C 64 80 3C 40"}
                                      << 2 << "--hex: A probe is one whole MIDI message.";
        QTest::newRow("no interval") << QStringList{"--to", echoIn, "--from", echoOut, "--interval", "0"} << 2
                                     << "--interval takes a number from 1 to 60000";
        QTest::newRow("no source") << QStringList{"--to", echoIn} << 2 << "latency needs --from";
        QTest::newRow("no such port") << QStringList{"--to", "nosuch", "--from", echoOut} << 2
                                      << "No destination fits 'nosuch'";
    }

    void latency()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const Run run = runCli(QStringList{QStringLiteral("latency")} + arguments);
        QCOMPARE(run.exitCode, exitCode);
        if (!message.startsWith(QLatin1String("lost="))) {
            QVERIFY2(run.err.contains(message.toUtf8()), run.err.constData());
            QVERIFY(run.out.isEmpty());
            return;
        }
        const QList<QByteArray> lines = run.out.trimmed().split('\n');
        const QRegularExpression figures(QStringLiteral(R"(^min=(\d+\.\d{3}) median=(\d+\.\d{3}) p99=(\d+\.\d{3}) )"
                                                        R"(max=(\d+\.\d{3}) (lost=\d+)$)"));
        const QRegularExpressionMatch match = figures.match(QString::fromLatin1(lines.last()));
        QVERIFY2(match.hasMatch(), run.out.constData());
        QCOMPARE(match.captured(5), message);
        // In order, and a round trip takes time.
        const double minimum = match.captured(1).toDouble();
        QVERIFY(exitCode != 0 || minimum > 0.0);
        for (int i = 1; i < 4; ++i)
            QVERIFY(match.captured(i).toDouble() <= match.captured(i + 1).toDouble());
    }

    void damagedFileRefusedWithItsByte()
    {
        // A data byte at byte 22 with no running status before it.
        const QByteArray damaged = QByteArray::fromHex("4D546864000000060000000100604D54726B00000008003C64") + QByteArray(5, 0);
        const QString path = m_dir.filePath(QStringLiteral("damaged.mid"));
        QVERIFY(writeFile(path, damaged));
        const Run run = runCli({QStringLiteral("send"), QStringLiteral("--to"), m_peer->inputPortName(), path});
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains("damaged.mid: Damaged MIDI file at byte 23: data byte 0x3C without running status"),
                 run.err.constData());
        QVERIFY(m_peer->received().isEmpty());
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<JackTestServer> m_server;
    std::unique_ptr<JackPeer> m_peer;
    std::unique_ptr<JackEcho> m_echo;
};

QTEST_GUILESS_MAIN(CliRecorderJackTest)
#include "CliRecorderJackTest.moc"
