#include "ServiceTestRig.h"

#include "services/MidiAnalyzer.h"

#include <QtTest>

#include <chrono>

namespace {

const int LongBulkIntervalMs = 1000;
// A few ticks of the window's poll timer.
const int CollectionTicksMs = 300;
const int LimitKiB = 8;
const int PieceSize = 256;

struct Collected
{
    explicit Collected(MidiAnalyzer& analyzer)
        : any(analyzer.getMidiData(received, receivedCount, sysEx, sysExCount, transmitted, transmittedCount))
    {
    }

    QByteArray received, sysEx, transmitted;
    unsigned int receivedCount = 0, sysExCount = 0, transmittedCount = 0;
    bool any;
};

void receive(MidiAnalyzer& analyzer, const QByteArray& packet)
{
    MidiAnalyzer::callbackReceivedMidi(&analyzer, reinterpret_cast<const unsigned char*>(packet.constData()),
                                       std::size_t(packet.size()));
}

} // namespace

class MidiAnalyzerTest : public QObject
{
    Q_OBJECT

private slots:
    void receivedLines_data()
    {
        QTest::addColumn<QList<QByteArray>>("packets");
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QByteArray>("sysEx");
        QTest::newRow("note") << QList<QByteArray>{QByteArray::fromHex("903C64")} << QByteArray("\n90 3C 64 ") << QByteArray();
        // Running status is shown with its status byte; a real-time byte
        // inside a message is its own line first; a stray data byte is dropped.
        QTest::newRow("running status, real-time, stray")
            << QList<QByteArray>{QByteArray::fromHex("3C903C643EF864")} << QByteArray("\n90 3C 64 \nF8 \n90 3E 64 ") << QByteArray();
        QTest::newRow("System Exclusive over packets")
            << QList<QByteArray>{QByteArray::fromHex("F04310"), QByteArray::fromHex("4C00F7803C"), QByteArray::fromHex("40")}
            << QByteArray("\nF0 43 10 4C 00 F7 \n80 3C 40 ") << QByteArray("\nF0 43 10 4C 00 F7 ");
        // Real-time bytes come out of System Exclusive at once; undefined
        // status bytes stay inside; any other status byte cuts it off unseen.
        QTest::newRow("inside System Exclusive")
            << QList<QByteArray>{QByteArray::fromHex("F001F8F402F7F00190"), QByteArray::fromHex("3C40")}
            << QByteArray("\nF8 \nF0 01 F4 02 F7 \n90 3C 40 ") << QByteArray("\nF0 01 \nF4 02 F7 ");
    }

    void receivedLines()
    {
        QFETCH(QList<QByteArray>, packets);
        QFETCH(QByteArray, lines);
        QFETCH(QByteArray, sysEx);
        TarvoModel model;
        MidiAnalyzer analyzer(&model);
        for (const QByteArray& packet : packets)
            receive(analyzer, packet);
        const Collected c(analyzer);
        QVERIFY(c.received == lines && c.receivedCount == unsigned(lines.count(' ')));
        QVERIFY(c.sysEx == sysEx && c.sysExCount == unsigned(sysEx.count(' ')));
        QVERIFY(!Collected(analyzer).any);
    }

    void lostMessagesAreALineOfTheirOwn()
    {
        TarvoModel model;
        MidiAnalyzer analyzer(&model);
        MidiAnalyzer::callbackLostMidi(&analyzer, 27);
        const Collected c(analyzer);
        QVERIFY(c.any && c.receivedCount == 0);
        QCOMPARE(c.received, QByteArray("\n-- 27 messages lost: input faster than the program can take --"));
    }

    // System Exclusive beyond the parser's 4,096 bytes arrives whole and
    // shows shortened on one line; beyond the maximum it is dropped and said
    // so; one that lost its middle is counted with the lost messages.
    void longSystemExclusive()
    {
        TarvoModel model;
        model.setModelIntValue(MaxSystemExclusiveId, LimitKiB);
        MidiAnalyzer analyzer(&model);
        QByteArray dump(LimitKiB * 1024, '\x05');
        dump[0] = '\xF0';
        dump[1] = '\x43';
        dump[dump.size() - 2] = '\x7E';
        dump[dump.size() - 1] = '\xF7';
        for (int i = 0; i < dump.size(); i += PieceSize)
            receive(analyzer, dump.mid(i, PieceSize));
        const Collected c(analyzer);
        QCOMPARE(c.received, QByteArray("\nF0 43 05 \u2026 7E F7 (8,192 bytes)"));
        QVERIFY(c.receivedCount == 8192u && c.sysExCount == 8192u);
        // Two lines of 4,096 bytes.
        QCOMPARE(c.sysEx.count('\n'), 2);
        QCOMPARE(QByteArray(c.sysEx).replace('\n', ""), dump.toHex(' ').toUpper() + ' ');
        receive(analyzer, QByteArray(dump).insert(2, '\x05'));
        QCOMPARE(Collected(analyzer).received,
                 QByteArray("\n-- System Exclusive longer than 8192 bytes dropped: raise Maximum System Exclusive in "
                            "MIDI Settings --"));
        receive(analyzer, dump.left(PieceSize));
        MidiAnalyzer::callbackLostMidi(&analyzer, 2);
        receive(analyzer, dump.mid(PieceSize));
        QCOMPARE(Collected(analyzer).received, QByteArray("\n-- 3 messages lost: input faster than the program can take --"));
    }

    void timeStamps()
    {
        char stamp[MidiAnalyzer::TimeStampBufferSize];
        // Hours wrap at midnight; microseconds are cut to milliseconds.
        qputenv("TZ", "UTC");
        tzset();
        const long nineFiveThree = 9 * 3600 + 5 * 60 + 3;
        QCOMPARE(MidiAnalyzer::formatTimeStamp(stamp, nineFiveThree, 7999), 13);
        QCOMPARE(QByteArray(stamp), QByteArray("09:05:03:007 "));
        MidiAnalyzer::formatTimeStamp(stamp, nineFiveThree + 86400 + 3600 * 14 + 56, 999999);
        QCOMPARE(QByteArray(stamp), QByteArray("23:05:59:999 "));
    }

    void filterParameters()
    {
        TarvoModel model;
        MidiAnalyzer analyzer(&model);
        model.setModelIntValue(ControlChangeFilterFirstId + 7, 1);
        model.setModelIntValue(ChannelFilterFirstId + 2, 1);
        model.setModelIntValue(ActiveSensingFilterId, 1);
        // Volume and channel 3 hidden; system messages carry no channel.
        receive(analyzer, QByteArray::fromHex("B00764B00A4092304013F8FE"));
        QCOMPARE(Collected(analyzer).received, QByteArray("\nB0 0A 40 \nF8 "));
        model.setModelIntValue(ActiveSensingFilterId, 0);
        receive(analyzer, QByteArray::fromHex("FE"));
        QCOMPARE(Collected(analyzer).received, QByteArray("\nFE "));
    }

    // Through the window's own receive path: active sensing is shown but
    // not echoed; a System Exclusive message echoed waits its bulk pause
    // outside the engine's lock, so the GUI thread collects meanwhile, and
    // what arrives during the pause is echoed after it.
    void thruWaitsItsBulkPauseWithoutBlockingCollection()
    {
        ServiceTestRig rig;
        rig.model.setModelIntValue(MidiThruId, 1);
        rig.model.setModelIntValue(BulkIntervalId, LongBulkIntervalMs);
        rig.platform.injectPackets(rig.source, {QByteArray::fromHex("FEF001F7"), QByteArray::fromHex("903C64")});
        QVERIFY(rig.platform.waitForSends(1));
        // The window's poll timer collects in here.
        QTest::qWait(CollectionTicksMs);
        const auto collected = std::chrono::steady_clock::now();
        const auto pauseEnd = rig.platform.sentMessages().first().time + std::chrono::milliseconds(LongBulkIntervalMs);
        QVERIFY(collected < pauseEnd);
        QVERIFY(rig.platform.waitForSends(2, 2 * LongBulkIntervalMs));
        QVERIFY(rig.platform.sentMessages().last().time >= pauseEnd);
        QCOMPARE(rig.sentBytes(), QList<QByteArray>({QByteArray::fromHex("F001F7"), QByteArray::fromHex("903C64")}));
    }
};

QTEST_MAIN(MidiAnalyzerTest)
#include "MidiAnalyzerTest.moc"
