#include "ServiceTestRig.h"

#include "services/MidiAnalyzer.h"

#include <QTime>
#include <QtTest>

#include <cstdlib>
#include <ctime>

namespace {

struct Collected
{
    bool any = false;
    QByteArray received;
    unsigned int receivedCount = 0;
    QByteArray sysEx;
    unsigned int sysExCount = 0;
    QByteArray transmitted;
    unsigned int transmittedCount = 0;
};

Collected collect(MidiAnalyzer& analyzer)
{
    Collected c;
    c.any = analyzer.getMidiData(c.received, c.receivedCount, c.sysEx, c.sysExCount, c.transmitted,
                                 c.transmittedCount);
    return c;
}

void receive(MidiAnalyzer& analyzer, const QByteArray& packet)
{
    MidiAnalyzer::callbackReceivedMidi(&analyzer, reinterpret_cast<const unsigned char*>(packet.constData()),
                                       static_cast<unsigned short>(packet.size()));
}

void transmitted(MidiAnalyzer& analyzer, const QByteArray& message)
{
    analyzer.setTransmittedMidiData(reinterpret_cast<const unsigned char*>(message.constData()),
                                    static_cast<unsigned short>(message.size()));
}

// Milliseconds since local midnight of a stamp "HH:MM:SS:mmm ".
int stampTime(const QByteArray& stamp)
{
    const QTime time = QTime::fromString(QString::fromLatin1(stamp.left(12)), QStringLiteral("hh:mm:ss:zzz"));
    return time.isValid() ? time.msecsSinceStartOfDay() : -1;
}

} // namespace

class MidiAnalyzerTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void linesWithoutTimeStamp();
    void systemExclusiveOverPackets();
    void linesWithTimeStamp();
    void filterParameters();
    void thruEchoesThroughTransmitPath();
    void thruOnTheReceivePathOfTheMainWindow();
};

void MidiAnalyzerTest::initTestCase()
{
    // Fixed zone, so that a given instant has a known local time.
    qputenv("TZ", "UTC");
    tzset();
}

void MidiAnalyzerTest::linesWithoutTimeStamp()
{
    TarvoModel model;
    MidiAnalyzer analyzer(&model);

    receive(analyzer, bytes({0x90, 0x3C, 0x64}));
    Collected c = collect(analyzer);
    QVERIFY(c.any);
    QCOMPARE(c.received, QByteArray("\n90 3C 64 "));
    QCOMPARE(c.receivedCount, 3u);
    QCOMPARE(c.sysExCount, 0u);
    QVERIFY(c.sysEx.isEmpty());

    // Running status is shown with its status byte; a real-time byte inside a
    // message is its own line before it; a stray data byte leaves no trace and
    // the rest of the packet is still shown.
    receive(analyzer, bytes({0x3C, 0x90, 0x3C, 0x64, 0x3E, 0xF8, 0x64, 0xB1, 0x07, 0x7F}));
    c = collect(analyzer);
    QCOMPARE(c.received, QByteArray("\n90 3C 64 \nF8 \n90 3E 64 \nB1 07 7F "));
    QCOMPARE(c.receivedCount, 10u);

    receive(analyzer, bytes({0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}));
    c = collect(analyzer);
    QCOMPARE(c.sysEx, QByteArray("\nF0 7E 7F 06 01 F7 "));
    QCOMPARE(c.received, QByteArray("\nF0 7E 7F 06 01 F7 "));
    QCOMPARE(c.sysExCount, 6u);
    QCOMPARE(c.receivedCount, 6u);

    // Sent messages are shown exactly as sent, not parsed.
    transmitted(analyzer, bytes({0x3C, 0x40}));
    transmitted(analyzer, QByteArray());
    transmitted(analyzer, bytes({0xF0, 0x01, 0xF7}));
    c = collect(analyzer);
    QCOMPARE(c.transmitted, QByteArray("\n3C 40 \nF0 01 F7 "));
    QCOMPARE(c.transmittedCount, 5u);
    QVERIFY(c.received.isEmpty());

    // Collecting empties every buffer; so does clearing the transmitted one.
    QVERIFY(!collect(analyzer).any);
    receive(analyzer, bytes({0xF8}));
    transmitted(analyzer, bytes({0xFC}));
    analyzer.clearTransmittedDataBuffer();
    c = collect(analyzer);
    QCOMPARE(c.received, QByteArray("\nF8 "));
    QVERIFY(c.transmitted.isEmpty());
    QCOMPARE(c.transmittedCount, 0u);

    QByteArray split;
    QVERIFY(MidiAnalyzer::convertDisplayFormatFromMidiData(
        split, reinterpret_cast<const unsigned char*>("\xF0\x01\xF4\xF7\x90"), 5, true));
    QCOMPARE(split, QByteArray("\nF0 01 \nF4 F7 \n90 "));
    QVERIFY(!MidiAnalyzer::convertDisplayFormatFromMidiData(split, nullptr, 0, true));
    QCOMPARE(split.size(), 18);
}

void MidiAnalyzerTest::systemExclusiveOverPackets()
{
    TarvoModel model;
    MidiAnalyzer analyzer(&model);

    receive(analyzer, bytes({0xF0, 0x43, 0x10}));
    receive(analyzer, bytes({0x4C, 0x00, 0x00}));
    QVERIFY(!collect(analyzer).any);

    receive(analyzer, bytes({0x7E, 0x00, 0xF7, 0x80, 0x3C}));
    receive(analyzer, bytes({0x40}));
    const Collected c = collect(analyzer);
    QCOMPARE(c.sysEx, QByteArray("\nF0 43 10 4C 00 00 7E 00 F7 "));
    QCOMPARE(c.sysExCount, 9u);
    QCOMPARE(c.received, QByteArray("\nF0 43 10 4C 00 00 7E 00 F7 \n80 3C 40 "));
    QCOMPARE(c.receivedCount, 12u);
}

void MidiAnalyzerTest::linesWithTimeStamp()
{
    TarvoModel model;
    model.setModelIntValue(TimeStampId, 1);
    MidiAnalyzer analyzer(&model);

    QString text = QStringLiteral("x");
    const int before = QTime::currentTime().msecsSinceStartOfDay();
    QVERIFY(analyzer.getCurrentTime(text));
    receive(analyzer, bytes({0x90, 0x3C, 0x64}));
    transmitted(analyzer, bytes({0xC0, 0x05}));
    const int after = QTime::currentTime().msecsSinceStartOfDay();
    const Collected c = collect(analyzer);

    QCOMPARE(text.size(), 14);
    QCOMPARE(c.received.size(), 1 + 13 + 9);
    QVERIFY(c.received.startsWith('\n'));
    QVERIFY(c.received.endsWith(" 90 3C 64 "));
    QCOMPARE(c.transmitted.size(), 1 + 13 + 6);
    QVERIFY(c.transmitted.endsWith(" C0 05 "));
    QCOMPARE(c.receivedCount, 3u);
    const QList<int> stamps = {stampTime(text.mid(1).toLatin1()), stampTime(c.received.mid(1)),
                               stampTime(c.transmitted.mid(1))};
    for (int stamp : stamps) {
        QVERIFY(stamp >= 0);
        // A run across midnight cannot be compared this way.
        if (after >= before)
            QVERIFY2(stamp >= before && stamp <= after, qPrintable(QString::number(stamp)));
    }

    model.setModelIntValue(TimeStampId, 0);
    QString unchanged = QStringLiteral("x");
    QVERIFY(!analyzer.getCurrentTime(unchanged));
    QCOMPARE(unchanged, QStringLiteral("x"));
    receive(analyzer, bytes({0xFE}));
    QCOMPARE(collect(analyzer).received, QByteArray("\nFE "));

    // Hours wrap at midnight; microseconds are cut to milliseconds.
    char stamp[MidiAnalyzer::TimeStampBufferSize];
    const long nineFiveThree = 9 * 3600 + 5 * 60 + 3;
    QCOMPARE(MidiAnalyzer::formatTimeStamp(stamp, nineFiveThree, 7999), 13);
    QCOMPARE(QByteArray(stamp), QByteArray("09:05:03:007 "));
    MidiAnalyzer::formatTimeStamp(stamp, nineFiveThree + 86400 + 3600 * 14 + 56, 999999);
    QCOMPARE(QByteArray(stamp), QByteArray("23:05:59:999 "));
}

void MidiAnalyzerTest::filterParameters()
{
    TarvoModel model;
    MidiAnalyzer analyzer(&model);
    const QByteArray noteOff = bytes({0x80, 0x3C, 0x40});
    const QByteArray silentNoteOn = bytes({0x90, 0x3C, 0x00});
    const QByteArray noteOn = bytes({0x90, 0x3C, 0x01});
    const QByteArray volume = bytes({0xB0, 0x07, 0x64});
    const QByteArray pan = bytes({0xB0, 0x0A, 0x40});

    model.setModelIntValue(NoteOffMessageFilterId, 1);
    receive(analyzer, noteOff + silentNoteOn + noteOn);
    QCOMPARE(collect(analyzer).received, QByteArray("\n90 3C 01 "));

    model.setModelIntValue(NoteOffMessageFilterId, 0);
    model.setModelIntValue(ControlChangeMessageFilterId, 1);
    receive(analyzer, noteOff + volume);
    QCOMPARE(collect(analyzer).received, QByteArray("\n80 3C 40 \nB0 07 64 "));

    model.setModelIntValue(ControlChangeFilterFirstId + 7, 1);
    receive(analyzer, volume + pan);
    QCOMPARE(collect(analyzer).received, QByteArray("\nB0 0A 40 "));

    // Channel 3 hidden; system messages carry no channel and still pass.
    model.setModelIntValue(ChannelFilterFirstId + 2, 1);
    receive(analyzer, bytes({0x92, 0x3C, 0x40, 0xF8, 0x93, 0x3C, 0x40}));
    QCOMPARE(collect(analyzer).received, QByteArray("\nF8 \n93 3C 40 "));

    model.setModelIntValue(SystemExclusiveMessageFilterId, 1);
    model.setModelIntValue(SongPositionPointerFilterId, 1);
    model.setModelIntValue(ActiveSensingFilterId, 1);
    receive(analyzer, bytes({0xF0, 0x01, 0xF7, 0xF2, 0x05, 0x01, 0xF3, 0x02, 0xFE, 0xFF}));
    const Collected c = collect(analyzer);
    QCOMPARE(c.received, QByteArray("\nF3 02 \nFF "));
    QCOMPARE(c.sysExCount, 0u);

    model.setModelIntValue(ActiveSensingFilterId, 0);
    receive(analyzer, bytes({0xFE}));
    QCOMPARE(collect(analyzer).received, QByteArray("\nFE "));
}

void MidiAnalyzerTest::thruEchoesThroughTransmitPath()
{
    ServiceTestRig rig;
    rig.model.setModelIntValue(MidiThruId, 1);
    MidiAnalyzer analyzer(&rig.model);
    rig.model.setModelIntValue(ChannelFilterFirstId + 1, 1);

    // Active sensing is shown but not echoed; a hidden message is neither.
    receive(analyzer, bytes({0xFE, 0x90, 0x3C, 0x64, 0x3E, 0x64, 0x91, 0x3C, 0x64, 0xF0, 0x01, 0xF7}));
    QCOMPARE(rig.sentBytes(),
             QList<QByteArray>({bytes({0x90, 0x3C, 0x64}), bytes({0x90, 0x3E, 0x64}), bytes({0xF0, 0x01, 0xF7})}));
    QCOMPARE(collect(analyzer).received, QByteArray("\nFE \n90 3C 64 \n90 3E 64 \nF0 01 F7 "));

    rig.platform.clearSentMessages();
    rig.model.setModelIntValue(MidiThruId, 0);
    receive(analyzer, bytes({0x90, 0x3C, 0x64}));
    QVERIFY(rig.sentBytes().isEmpty());
}

void MidiAnalyzerTest::thruOnTheReceivePathOfTheMainWindow()
{
    // The window's own engine holds its mutex while the echo re-enters it
    // through the transmit path on the receive thread.
    ServiceTestRig rig;
    rig.openInputPort();
    rig.model.setModelIntValue(MidiThruId, 1);
    rig.platform.injectPackets(rig.source, {bytes({0xFE, 0x90, 0x3C}), bytes({0x64}), bytes({0xF0, 0x7E, 0xF7})});
    QVERIFY(rig.platform.waitUntilDelivered());
    QVERIFY(rig.platform.waitForSends(2));
    QTest::qWait(50);
    QCOMPARE(rig.sentBytes(), QList<QByteArray>({bytes({0x90, 0x3C, 0x64}), bytes({0xF0, 0x7E, 0xF7})}));
}

QTEST_MAIN(MidiAnalyzerTest)
#include "MidiAnalyzerTest.moc"
