// What leaves the engine: MIDI Thru passes System Exclusive on as it arrives
// and ends a cut one with F7; every sender's failure is counted and shown;
// the GUI thread's messages wait behind a dump instead of being dropped,
// and a Note Off is never refused; a piece the platform cannot carry is
// refused before anything is sent.

#include "Dumps.h"
#include "EngineRig.h"

#include "engine/MonitorFeed.h"
#include "engine/MonitorSinkIF.h"
#include "midi/MidiSendControlIF.h"
#include "midi/platform/SteadyClock.h"

#include <QtTest>

#include <atomic>
#include <functional>
#include <thread>

namespace {

const int PieceSize = 256;
const int DumpPieces = 8;

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// Collects what a monitor would be shown.
struct Monitor : MonitorSinkIF
{
    void takeRecords(const MidiRecords& taken) override { records += taken; }
    QList<MidiRecord::Kind> kinds() const
    {
        QList<MidiRecord::Kind> list;
        for (const MidiRecord& record : records)
            list << record.kind;
        return list;
    }
    MidiRecords records;
};

// Lets a dump's pieces go only while open.
struct Gate : MidiSendControlIF
{
    bool beforePiece(std::size_t) override
    {
        while (!open)
            std::this_thread::yield();
        return true;
    }
    void afterPiece(std::size_t) override { ++pieces; }
    std::atomic<bool> open{false};
    std::atomic<int> pieces{0};
};

} // namespace

using Kind = MidiRecord::Kind;
Q_DECLARE_METATYPE(Kind)
Q_DECLARE_METATYPE(std::function<void(EngineRig&)>)

class MidiEngineOutputTest : public QObject
{
    Q_OBJECT

private slots:
    // Each piece goes on as it arrives, before the next one comes.
    void thruPassesSystemExclusiveOnAsItArrives()
    {
        EngineRig rig;
        rig.model.setModelIntValue(MidiThruId, 1);
        const QByteArray dump = systemExclusiveDump(DumpPieces * PieceSize);
        for (int piece = 0; piece < DumpPieces; ++piece) {
            rig.platform.injectPackets(rig.source, {dump.mid(piece * PieceSize, PieceSize)});
            QVERIFY(rig.platform.waitForSends(piece + 1));
            QCOMPARE(rig.sentBytes().join(), dump.left((piece + 1) * PieceSize));
        }
        QCOMPARE(rig.engine->problems(), MidiEngine::Problems());
    }

    void thruEndsACutMessageWithF7AndSaysSo_data()
    {
        QTest::addColumn<QList<QByteArray>>("rest");
        QTest::addColumn<QList<QByteArray>>("sent");
        QTest::addColumn<QList<Kind>>("received");
        QTest::newRow("another status byte")
            << QList<QByteArray>{hex("903C40")} << QList<QByteArray>{hex("F00102"), hex("F7"), hex("903C40")}
            << QList<Kind>{Kind::CutShort, Kind::Message};
        // The maximum is 8 bytes here.
        QTest::newRow("beyond the maximum")
            << QList<QByteArray>{hex("0304050607"), hex("08F7")} << QList<QByteArray>{hex("F00102"), hex("0304050607"), hex("F7")}
            << QList<Kind>{Kind::TooLong};
    }
    void thruEndsACutMessageWithF7AndSaysSo()
    {
        QFETCH(QList<QByteArray>, rest);
        EngineRig rig;
        MonitorFeed feed(&rig.engine->analyzer(), 1);
        Monitor in;
        feed.addMonitor(&in, MonitorSourceIF::Direction::Received);
        rig.model.setModelIntValue(MidiThruId, 1);
        rig.engine->setMaxSystemExclusive(8);
        rig.platform.injectPackets(rig.source, QList<QByteArray>{hex("F00102")} + rest);
        QFETCH(QList<QByteArray>, sent);
        QVERIFY(rig.platform.waitForSends(sent.size()));
        QTest::qWait(50);
        QCOMPARE(rig.sentBytes(), sent);
        QFETCH(QList<Kind>, received);
        QTRY_COMPARE(in.kinds(), received);
        QCOMPARE(rig.engine->problems().cutSends, quint64(1));
    }

    // A record lost in the middle cuts the message passed on as well.
    void lostRecordEndsWhatThruPassed()
    {
        EngineRig rig;
        rig.model.setModelIntValue(MidiThruId, 1);
        rig.platform.injectPackets(rig.source, {hex("F00102")});
        QVERIFY(rig.platform.waitForSends(1));
        // Losses are told on the receive thread, once it is done with the piece.
        QTest::qWait(50);
        MidiAnalyzer::callbackLostMidi(&rig.engine->analyzer(), 2);
        QCOMPARE(rig.sentBytes(), QList<QByteArray>({hex("F00102"), hex("F7")}));
        const MidiEngine::Problems problems = rig.engine->problems();
        QVERIFY(problems.lostReceived == 3 && problems.cutSends == 1);
    }

    // Every way of sending counts its failure, and the Out Monitor shows it.
    void everySenderReportsFailures_data()
    {
        QTest::addColumn<std::function<void(EngineRig&)>>("send");
        const auto onOwnThread = [](EngineRig& rig) {
            rig.engine->transmitMidi(reinterpret_cast<const unsigned char*>("\x90\x3C\x40"), 3);
        };
        const auto onAnotherThread = [](EngineRig& rig) {
            std::thread([&rig] { rig.engine->transmitMidi(reinterpret_cast<const unsigned char*>("\xF0\x01\xF7"), 3); })
                .join();
        };
        const auto scheduled = [](EngineRig& rig) {
            rig.engine->transmitMidiAt(reinterpret_cast<const unsigned char*>("\xF8"), 1, steadyMicroseconds());
        };
        const auto thru = [](EngineRig& rig) {
            rig.model.setModelIntValue(MidiThruId, 1);
            rig.platform.injectPackets(rig.source, {hex("B00740")});
        };
        QTest::newRow("the GUI thread (keyboard, controllers, programs)") << std::function<void(EngineRig&)>(onOwnThread);
        QTest::newRow("a sending thread (editor, tarvo-cli)") << std::function<void(EngineRig&)>(onAnotherThread);
        QTest::newRow("at a due time (clock, player)") << std::function<void(EngineRig&)>(scheduled);
        QTest::newRow("MIDI Thru") << std::function<void(EngineRig&)>(thru);
    }
    void everySenderReportsFailures()
    {
        QFETCH(std::function<void(EngineRig&)>, send);
        EngineRig rig;
        MonitorFeed feed(&rig.engine->analyzer(), 1);
        Monitor out;
        feed.addMonitor(&out, MonitorSourceIF::Direction::Transmitted);
        rig.platform.failOperation(VirtualMidiPlatform::Operation::Send);
        send(rig);
        QTRY_COMPARE(rig.engine->problems().failedSends, quint64(1));
        QTRY_COMPARE(out.kinds(), QList<Kind>{Kind::Failed});
        QVERIFY(rig.platform.sentMessages().isEmpty());
    }

    // The GUI thread's messages wait behind a dump, in order, and go out
    // after it; beyond the queue's room they are refused and counted, but
    // never the Note Off of a note that sounds.
    void guiMessagesWaitBehindADump()
    {
        EngineRig rig;
        Gate gate;
        const QByteArray dump = systemExclusiveDump(4 * PieceSize);
        std::thread editor([&] {
            rig.engine->transmitMidi(reinterpret_cast<const unsigned char*>(dump.constData()), std::size_t(dump.size()),
                                     &gate);
        });
        // The dump holds the port.
        const auto portBusy = [&rig] {
            if (!rig.engine->outputPort().tryBeginMessage())
                return true;
            rig.engine->outputPort().endMessage(false);
            return false;
        };
        QTRY_VERIFY(portBusy());
        const auto send = [&rig](const char* bytes) {
            return rig.engine->transmitMidi(reinterpret_cast<const unsigned char*>(bytes), 3);
        };
        QVERIFY(send("\x90\x3C\x40"));
        int accepted = 0;
        while (send("\xB0\x07\x40"))
            ++accepted;
        QVERIFY(accepted + 1 >= int(MidiOutputQueue::Capacity) && accepted <= int(MidiOutputQueue::Capacity));
        QVERIFY(!send("\x90\x3E\x40"));
        QVERIFY(send("\x80\x3C\x40"));
        QVERIFY(!send("\x80\x3E\x40"));
        gate.open = true;
        editor.join();
        QVERIFY(rig.platform.waitForSends(4 + 1 + accepted + 1));
        const QList<QByteArray> sent = rig.sentBytes();
        QCOMPARE(sent.mid(0, 4).join(), dump);
        QCOMPARE(sent.at(4), hex("903C40"));
        QCOMPARE(sent.last(), hex("803C40"));
        // The refused controller, Note On and unmatched Note Off.
        QCOMPARE(rig.engine->problems().failedSends, quint64(3));
    }

    // Where a message cannot go in pieces, one larger than the platform
    // carries is refused before anything is sent; where it can, the pieces
    // are never larger than that.
    void pieceLargerThanThePlatformCarries()
    {
        EngineRig rig;
        const QByteArray dump = systemExclusiveDump(1000);
        // As a sending thread (the editor's) does.
        const auto transmit = [&] {
            bool done = false;
            std::thread([&] {
                done = rig.engine->transmitMidi(reinterpret_cast<const unsigned char*>(dump.constData()),
                                                std::size_t(dump.size()));
            }).join();
            return done;
        };
        rig.platform.setLargestPiece(300);
        rig.platform.setCarriesPartialMessages(false);
        QVERIFY(!transmit());
        QVERIFY(rig.platform.sentMessages().isEmpty());
        QCOMPARE(rig.engine->problems().failedSends, quint64(1));
        rig.platform.setCarriesPartialMessages(true);
        rig.engine->setPieceSize(4096);
        QVERIFY(transmit());
        QCOMPARE(rig.sentBytes(), QList<QByteArray>({dump.left(300), dump.mid(300, 300), dump.mid(600, 300), dump.mid(900)}));
    }
};

QTEST_MAIN(MidiEngineOutputTest)
#include "MidiEngineOutputTest.moc"
