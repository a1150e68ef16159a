// The receive path: what arrives becomes records of whole messages at their
// arrival times, losses become records of their own, the filter hides what
// the filter parameters say, and MIDI Thru passes the rest on.

#include "EngineRig.h"
#include "Records.h"

#include "engine/MidiAnalyzer.h"

#include <QtTest>

#include <chrono>

namespace {

const int LongBulkIntervalMs = 1000;
const int LimitBytes = 8192;
const int PieceSize = 256;

MidiRecords received(MidiAnalyzer& analyzer)
{
    MidiAnalyzer::Records records;
    analyzer.getMidiData(records);
    return records.received;
}

// Waits until count records came in, and takes them; fewer when they did not.
MidiRecords collect(MidiAnalyzer& analyzer, int count)
{
    MidiRecords records;
    static_cast<void>(QTest::qWaitFor([&]() {
        records += received(analyzer);
        return records.size() >= count;
    }));
    return records;
}

void receive(MidiAnalyzer& analyzer, const QByteArray& packet, qint64 microseconds = 0)
{
    MidiAnalyzer::callbackReceivedMidi(&analyzer, reinterpret_cast<const unsigned char*>(packet.constData()),
                                       std::size_t(packet.size()), microseconds);
}

QStringList hexOf(const MidiRecords& records)
{
    QStringList messages;
    for (const MidiRecord& record : records)
        messages << (record.isMessage() ? QString::fromLatin1(record.bytes.toHex(' ')).toUpper() : QStringLiteral("-"));
    return messages;
}

} // namespace

class MidiAnalyzerTest : public QObject
{
    Q_OBJECT

private slots:
    void receivedMessages_data()
    {
        QTest::addColumn<QList<QByteArray>>("packets");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("note") << QList<QByteArray>{QByteArray::fromHex("903C64")} << QStringList{"90 3C 64"};
        // Running status is given its status byte; a real-time byte inside a
        // message comes first; a stray data byte is dropped.
        QTest::newRow("running status, real-time, stray")
            << QList<QByteArray>{QByteArray::fromHex("3C903C643EF864")} << QStringList{"90 3C 64", "F8", "90 3E 64"};
        QTest::newRow("System Exclusive over packets")
            << QList<QByteArray>{QByteArray::fromHex("F04310"), QByteArray::fromHex("4C00F7803C"), QByteArray::fromHex("40")}
            << QStringList{"F0 43 10 4C 00 F7", "80 3C 40"};
        // Real-time bytes come out of System Exclusive at once; undefined
        // status bytes stay inside; any other status byte cuts it off, said so.
        QTest::newRow("inside System Exclusive")
            << QList<QByteArray>{QByteArray::fromHex("F001F8F402F7F00190"), QByteArray::fromHex("3C40")}
            << QStringList{"F8", "F0 01 F4 02 F7", "-", "90 3C 40"};
    }
    void receivedMessages()
    {
        QFETCH(QList<QByteArray>, packets);
        MidiAnalyzer analyzer(LimitBytes);
        for (const QByteArray& packet : packets)
            receive(analyzer, packet);
        QTEST(hexOf(received(analyzer)), "messages");
        MidiAnalyzer::Records nothing;
        QVERIFY(!analyzer.getMidiData(nothing));
    }

    // A message's time is when its last byte arrived, as the platform says,
    // not when it was collected.
    void recordsCarryTheArrivalTime()
    {
        MidiAnalyzer analyzer(LimitBytes);
        receive(analyzer, QByteArray::fromHex("903C64F043"), 1000);
        receive(analyzer, QByteArray::fromHex("01F7F8"), 13345);
        const MidiRecords records = received(analyzer);
        QCOMPARE(hexOf(records), QStringList({"90 3C 64", "F0 43 01 F7", "F8"}));
        QCOMPARE(records[0].microseconds, qint64(1000));
        QCOMPARE(records[1].microseconds, qint64(13345));
        QCOMPARE(records[2].microseconds, qint64(13345));
    }

    // System Exclusive beyond the parser's 4,096 bytes arrives whole; beyond
    // the maximum it is dropped and said so; one that lost its middle is
    // counted with the lost messages.
    void longSystemExclusiveAndLosses()
    {
        MidiAnalyzer analyzer(LimitBytes);
        QByteArray dump(LimitBytes, '\x05');
        dump[0] = '\xF0';
        dump[dump.size() - 1] = '\xF7';
        for (int i = 0; i < dump.size(); i += PieceSize)
            receive(analyzer, dump.mid(i, PieceSize));
        MidiRecords records = received(analyzer);
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].bytes, dump);

        receive(analyzer, QByteArray(dump).insert(2, '\x05'));
        receive(analyzer, dump.left(PieceSize));
        MidiAnalyzer::callbackLostMidi(&analyzer, 2);
        receive(analyzer, dump.mid(PieceSize));
        records = received(analyzer);
        QCOMPARE(records.size(), 2);
        QVERIFY(records[0].kind == MidiRecord::Kind::TooLong && records[0].count == quint64(LimitBytes));
        QVERIFY(records[1].kind == MidiRecord::Kind::Lost && records[1].count == 3u);
    }

    // A dump arriving across xruns is marked where they came; xruns between
    // messages are not, nor those before the source was set.
    void xrunsAcrossADumpAreRecorded()
    {
        VirtualMidiPlatform platform;
        MidiAnalyzer analyzer(LimitBytes);
        platform.addXruns(3);
        analyzer.setXrunSource(&platform);
        QByteArray dump(2 * PieceSize, '\x05');
        dump[0] = '\xF0';
        dump[dump.size() - 1] = '\xF7';
        receive(analyzer, dump.left(PieceSize), 10);
        platform.addXruns(2);
        receive(analyzer, dump.mid(PieceSize), 20);
        platform.addXruns(1);
        receive(analyzer, QByteArray::fromHex("903C64"), 30);
        receive(analyzer, dump.left(PieceSize), 40);
        receive(analyzer, dump.mid(PieceSize), 50);
        const MidiRecords records = received(analyzer);
        QCOMPARE(records.size(), 4);
        QVERIFY(records[0].kind == MidiRecord::Kind::Xrun && records[0].count == 2u);
        QCOMPARE(records[0].microseconds, qint64(20));
        QCOMPARE(records[1].bytes, dump);
        QCOMPARE(records[2].bytes, QByteArray::fromHex("903C64"));
        QCOMPARE(records[3].bytes, dump);
    }

    void filterParameters()
    {
        EngineRig rig;
        rig.model.setModelIntValue(ControlChangeFilterFirstId + 7, 1);
        rig.model.setModelIntValue(ChannelFilterFirstId + 2, 1);
        rig.model.setModelIntValue(ActiveSensingFilterId, 1);
        // Volume and channel 3 hidden; system messages carry no channel.
        rig.platform.injectPackets(rig.source, {QByteArray::fromHex("B00764B00A4092304013F8FE")});
        QVERIFY(rig.platform.waitUntilDelivered());
        QCOMPARE(hexOf(collect(rig.engine->analyzer(), 2)), QStringList({"B0 0A 40", "F8"}));
        rig.model.setModelIntValue(ActiveSensingFilterId, 0);
        rig.platform.injectPackets(rig.source, {QByteArray::fromHex("FE")});
        QCOMPARE(hexOf(collect(rig.engine->analyzer(), 1)), QStringList({"FE"}));
    }

    // Active sensing is recorded but not echoed; a System Exclusive message
    // echoed waits its bulk pause outside the engine's lock, so records are
    // collected meanwhile, and what arrives during the pause is echoed after it.
    void thruWaitsItsBulkPauseWithoutBlockingCollection()
    {
        EngineRig rig;
        rig.model.setModelIntValue(MidiThruId, 1);
        rig.model.setModelIntValue(BulkIntervalId, LongBulkIntervalMs);
        rig.platform.injectPackets(rig.source, {QByteArray::fromHex("FEF001F7"), QByteArray::fromHex("903C64")});
        QVERIFY(rig.platform.waitForSends(1));
        QCOMPARE(hexOf(collect(rig.engine->analyzer(), 1)), QStringList({"FE"}));
        const auto collected = std::chrono::steady_clock::now();
        const auto pauseEnd = rig.platform.sentMessages().first().time + std::chrono::milliseconds(LongBulkIntervalMs);
        QVERIFY(collected < pauseEnd);
        QVERIFY(rig.platform.waitForSends(2, 2 * LongBulkIntervalMs));
        QVERIFY(rig.platform.sentMessages().last().time >= pauseEnd);
        QCOMPARE(hexOf(collect(rig.engine->analyzer(), 2)), QStringList({"F0 01 F7", "90 3C 64"}));
        QCOMPARE(rig.sentBytes(), QList<QByteArray>({QByteArray::fromHex("F001F7"), QByteArray::fromHex("903C64")}));
    }
};

QTEST_MAIN(MidiAnalyzerTest)
#include "MidiAnalyzerTest.moc"
