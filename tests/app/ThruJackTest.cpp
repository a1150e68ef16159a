#include "Dumps.h"
#include "JackPeer.h"
#include "PortMenus.h"
#include "JackTestServer.h"
#include "midi/platform/JackMidiPlatform.h"
#include "midi/platform/MidiPlatform.h"
#include "engine/MidiEngine.h"
#include "model/TarvoModel.h"
#include "services/MidiTimingClockTransmittionThread.h"

#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

const char* const PeerName = "thru-peer";
const char* const WitnessName = "thru-witness";
const char* const OwnOutputPort = "Tarvo Suite:OutputPort";
// A port that comes back is reconnected within 2 s, a server within 5 s.
const int ReconnectTimeoutMs = 6000;
const int DumpSize = 65536;
// Tempi in tenths of a beat per minute: 120 BPM is a clock every 1,000
// frames at 48 kHz, 137 BPM every 875.9.
const int FirstTempo = 1200;
const int SecondTempo = 1370;
const int ClocksPerTempo = 48;
const double SampleRate = 48000.0;
const int DumpPieceSize = 256;
const QList<QByteArray> Notes = {QByteArray::fromHex("903C64"), QByteArray::fromHex("913E50"), QByteArray::fromHex("803C00")};

// Once the program listens to the peer, plays the notes and tells whether
// they all came back through Thru.
bool notesComeBack(JackPeer& peer)
{
    if (!QTest::qWaitFor([&peer] { return peer.isHeard(); }, ReconnectTimeoutMs))
        return false;
    for (const QByteArray& note : Notes)
        peer.send(note);
    QList<QByteArray> echoed;
    return QTest::qWaitFor([&] {
        echoed.clear();
        for (const JackPeer::Event& event : peer.received())
            echoed << event.bytes;
        return echoed.size() >= Notes.size();
    }, ReconnectTimeoutMs) && echoed == Notes;
}

double clockFrames(int tempo)
{
    return SampleRate * 25.0 / tempo;
}

// A monitor's text without the lines that mark xruns, which this machine's
// load may cause in the test server at any time, and without the white space
// at the ends of lines, which depends on whether a line was the first that a
// poll brought to an empty monitor.
QString monitorText(QWidget* monitor)
{
    QStringList lines = monitor->findChild<QPlainTextEdit*>()->toPlainText().trimmed().split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = line.trimmed();
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const QString& line) { return line.startsWith("-- ") && line.contains(" xrun"); }),
                lines.end());
    return lines.join(QLatin1Char('\n'));
}

QString jackPorts()
{
    QProcess lister;
    lister.start(QStringLiteral("jack_lsp"), QStringList());
    lister.waitForFinished();
    return QString::fromLocal8Bit(lister.readAllStandardOutput());
}

} // namespace

// MIDI Thru end to end over a real JACK server: a peer plays into the input
// port and hears the notes back from the output port; peers and the server
// that go away and come back are reconnected by the window's own poll.
class ThruJackTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_server = std::make_unique<JackTestServer>();
        QVERIFY2(m_server->start(), qPrintable(m_server->log()));
        m_peer = std::make_unique<JackPeer>(QLatin1String(PeerName));
        QVERIFY(m_peer->isOpen());
        m_platform = std::make_unique<JackMidiPlatform>();
        MidiPlatform::install(m_platform.get());
        m_window = std::make_unique<MainWindow>(nullptr, &m_model);
        // The window joins the server on its own time, later under load.
        QTRY_VERIFY(choosePort(*m_window, InputPortMenu, m_peer->outputPortName()));
        QTRY_VERIFY(choosePort(*m_window, OutputPortMenu, m_peer->inputPortName()));
        m_model.setModelIntValue(MidiThruId, 1);
    }

    void cleanup()
    {
        m_window.reset();
        MidiPlatform::install(nullptr);
        m_platform.reset();
        m_peer.reset();
        m_server.reset();
    }

    void notesAndMonitorsThroughThru()
    {
        auto* inMonitor = m_window->openToolWindow(WindowRestorationInfo::WindowIdMidiInMonitor);
        auto* outMonitor = m_window->openToolWindow(WindowRestorationInfo::WindowIdMidiOutMonitor);
        // Active sensing is shown but not echoed.
        m_peer->send(QByteArray::fromHex("FE"));
        QVERIFY(notesComeBack(*m_peer));
        const QString expected = QStringLiteral("90 3C 64\n91 3E 50\n80 3C 00");
        QTRY_COMPARE(monitorText(outMonitor), expected);
        QTRY_COMPARE(monitorText(inMonitor), "FE\n" + expected);
        // The program's own ports are not offered.
        QVERIFY(!(portMenuTexts(*m_window, InputPortMenu) + portMenuTexts(*m_window, OutputPortMenu)).join(' ').contains("Tarvo Suite:"));
    }

    // A dump far beyond the parser's 4,096 bytes that arrives in pieces is
    // assembled whole: echoed byte for byte, given whole to a receiving
    // editor, shown shortened on one monitor line.
    void dumpInPiecesThroughThruIntoAnEditor()
    {
        auto* inMonitor = m_window->openToolWindow(WindowRestorationInfo::WindowIdMidiInMonitor);
        auto* editor = m_window->openMessageEditorWindow(MidiEditView::SystemExclusiveReceive, QSize(-1, -1), QString());
        const QByteArray dump = systemExclusiveDump(DumpSize);
        QVERIFY(QTest::qWaitFor([this] { return m_peer->isHeard(); }, ReconnectTimeoutMs));
        for (int i = 0; i < DumpSize; i += DumpPieceSize)
            m_peer->send(dump.mid(i, DumpPieceSize));
        QVERIFY(QTest::qWaitFor([&] { return m_peer->receivedBytes().size() >= DumpSize; }, ReconnectTimeoutMs));
        QCOMPARE(m_peer->receivedBytes(), dump);
        const QString hex = QString::fromLatin1(dump.toHex().toUpper());
        QTRY_COMPARE(editor->findChild<QPlainTextEdit*>()->toPlainText().remove(QRegularExpression("\\s")), hex);
        QTRY_COMPARE(monitorText(inMonitor),
                     QString::fromUtf8("F0 07 0E \u2026 72 F7 (65,536 bytes)"));
    }

    // With its own ports chosen, the program is what peers connect to: what it
    // plays reaches whoever reads "Tarvo Suite Out", what is sent to "Tarvo
    // Suite In" arrives, and so after the server came back.
    void virtualPortsTakePeersConnections()
    {
        m_model.setModelIntValue(MidiThruId, 0);
        QVERIFY(choosePort(*m_window, InputPortMenu, QLatin1String(VirtualPort)));
        QVERIFY(choosePort(*m_window, OutputPortMenu, QLatin1String(VirtualPort)));
        QVERIFY(!portMenuTexts(*m_window, InputPortMenu).join(' ').contains("Tarvo Suite"));
        auto* inMonitor = m_window->openToolWindow(WindowRestorationInfo::WindowIdMidiInMonitor);
        for (int round = 0; round < 2; ++round) {
            QCOMPARE(QProcess::execute("jack_connect", {"Tarvo Suite:Tarvo Suite Out", m_peer->inputPortName()}), 0);
            QCOMPARE(QProcess::execute("jack_connect", {m_peer->outputPortName(), "Tarvo Suite:Tarvo Suite In"}), 0);
            QVERIFY(m_window->transmitMidi(reinterpret_cast<const unsigned char*>(Notes[round].constData()), 3));
            QTRY_COMPARE(m_peer->received().size(), 1);
            QCOMPARE(m_peer->received().last().bytes, Notes[round]);
            m_peer->send(Notes[2]);
            QTRY_VERIFY(inMonitor->findChild<QPlainTextEdit*>()->toPlainText().contains("80 3C 00"));
            inMonitor->findChild<QPlainTextEdit*>()->clear();
            m_peer.reset();
            m_server->stop();
            QTRY_VERIFY(portMenuTexts(*m_window, InputPortMenu).contains(QLatin1String("MIDI service not available")));
            QVERIFY2(m_server->start(), qPrintable(m_server->log()));
            m_peer = std::make_unique<JackPeer>(QLatin1String(PeerName));
            QTRY_VERIFY_WITH_TIMEOUT(jackPorts().contains("Tarvo Suite:Tarvo Suite Out"), ReconnectTimeoutMs);
        }
    }

    // The clock is made in the audio cycle: every interval within a frame of
    // the tempo at two tempos; the change takes effect at the next clock,
    // which comes between the two intervals when the new one had passed
    // already; nothing drifts; the Out Monitor shows what went out.
    void timingClockAtExactFrames()
    {
        auto* outMonitor = m_window->openToolWindow(WindowRestorationInfo::WindowIdMidiOutMonitor);
        MidiTimingClockTransmittionThread clock(nullptr, &m_window->engine(), &m_window->engine());
        const std::uint64_t droppedBefore = m_platform->droppedMessages();
        clock.setTempo(FirstTempo);
        clock.setPlayTimingClockFlag(true);
        QTRY_VERIFY(m_peer->received().size() >= ClocksPerTempo);
        clock.setTempo(SecondTempo);
        QTRY_VERIFY(m_peer->received().size() >= 3 * ClocksPerTempo);
        clock.setPlayTimingClockFlag(false);
        const QList<JackPeer::Event> clocks = m_peer->received();
        // Cycles the loaded server skipped lose their clocks, counted; the
        // grid can then not be exact, and the count is what tells.
        if (m_platform->droppedMessages() > droppedBefore)
            QSKIP("The test server skipped cycles; the clocks lost were counted as dropped");
        const double first = clockFrames(FirstTempo);
        const double second = clockFrames(SecondTempo);
        int change = -1;
        for (int i = 1; i < clocks.size(); ++i) {
            QCOMPARE(clocks[i].bytes, QByteArray("\xF8"));
            const double interval = std::uint32_t(clocks[i].frame - clocks[i - 1].frame);
            const QByteArray where = QStringLiteral("clock %1: %2 frames").arg(i).arg(interval).toLatin1();
            if (change < 0 && std::abs(interval - first) > 1.0) {
                change = i;
                QVERIFY2(interval >= second - 1.0 && interval <= first + 1.0, where.constData());
            } else {
                QVERIFY2(std::abs(interval - (change < 0 ? first : second)) <= 1.0, where.constData());
            }
        }
        QVERIFY(change > ClocksPerTempo / 2);
        // No drift: the clocks after the change keep to their grid.
        const double span = std::uint32_t(clocks.last().frame - clocks[change].frame);
        QVERIFY2(std::abs(span - second * (clocks.size() - 1 - change)) <= 1.0, qPrintable(QString::number(span)));
        QTRY_VERIFY(outMonitor->findChild<QPlainTextEdit*>()->toPlainText().count("F8") >= clocks.size());
    }

    // The connection the user made by hand to a second destination stays
    // through the restart: the program manages only its own.
    void restartedPeerIsReconnected()
    {
        JackPeer witness{QLatin1String(WitnessName)};
        QCOMPARE(QProcess::execute("jack_connect", {OwnOutputPort, witness.inputPortName()}), 0);
        const QString destination = m_peer->inputPortName();
        // Sends to the peer went out before it went away, and fail after.
        QVERIFY(notesComeBack(*m_peer));
        m_peer.reset();
        const unsigned char note[] = {0x90, 0x3C, 0x64};
        QTRY_VERIFY(!m_window->transmitMidi(note, sizeof note));
        QTRY_VERIFY(portMenuTexts(*m_window, OutputPortMenu).contains(destination + " (not available)"));
        m_peer = std::make_unique<JackPeer>(QLatin1String(PeerName));
        const int heardBefore = witness.received().size();
        QVERIFY(notesComeBack(*m_peer));
        QTRY_COMPARE(witness.received().size(), heardBefore + Notes.size());
        QVERIFY(witness.receivedBytes().endsWith(Notes.join()));
    }

    void restartedServerGivesPortsBack()
    {
        m_peer.reset();
        m_server->stop();
        QTRY_VERIFY(portMenuTexts(*m_window, InputPortMenu).contains(QLatin1String("MIDI service not available")));
        QVERIFY2(m_server->start(), qPrintable(m_server->log()));
        m_peer = std::make_unique<JackPeer>(QLatin1String(PeerName));
        QVERIFY(notesComeBack(*m_peer));
    }

private:
    TarvoModel m_model;
    std::unique_ptr<JackTestServer> m_server;
    std::unique_ptr<JackPeer> m_peer;
    std::unique_ptr<JackMidiPlatform> m_platform;
    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(ThruJackTest)
#include "ThruJackTest.moc"
