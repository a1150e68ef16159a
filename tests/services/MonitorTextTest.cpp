// Monitor lines made from records, decoded and counted: the hex line and its
// time stamp, every kind of message, what later messages complete (RPN,
// NRPN, 14-bit controllers, banks), universal System Exclusive messages and
// manufacturers, the columns of a decoded line, and the tempo of timing clock.

#include "Records.h"

#include "engine/TimeStamp.h"
#include "midi/platform/SteadyClock.h"
#include "model/TarvoParameters.h"
#include "services/MidiMessageDecoder.h"
#include "services/MonitorLineDecoder.h"
#include "services/MonitorLineFormat.h"
#include "services/MonitorStatistics.h"

#include <QTest>

class MonitorTextTest : public QObject
{
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
    void timeStamps();
    void decode_data();
    void decode();
    void decodedLineHasColumns();
    void figures_data();
    void figures();
};

void MonitorTextTest::decode_data()
{
    QTest::addColumn<QString>("lines");
    QTest::addColumn<int>("middleC");
    QTest::addColumn<QString>("decoded");
    const int c3 = MiddleCIsC3;
    QTest::newRow("note on") << "90 3C 64" << c3 << "1|Note On|C3 (60) velocity 100";
    QTest::newRow("note off, middle C is C4") << "81 3D 40" << int(MiddleCIsC4) << "2|Note Off|C#4 (61) velocity 64";
    QTest::newRow("key pressure") << "A2 30 10" << c3 << "3|Key Pressure|C2 (48) pressure 16";
    QTest::newRow("control change") << "B0 07 64" << c3 << "1|Control Change|7 Volume = 100";
    QTest::newRow("14-bit controller")
        << "B0 01 05\nB0 21 05" << c3 << "1|Control Change|33 Modulation (LSB) = 5, Modulation = 645 (14-bit)";
    QTest::newRow("LSB of another channel") << "B0 01 05\nB1 21 05" << c3 << "2|Control Change|33 Modulation (LSB) = 5";
    QTest::newRow("RPN") << "B0 65 00\nB0 64 00\nB0 06 02\nB0 26 01" << c3
                         << "1|RPN|0/0 Pitch Bend Sensitivity = 257 (MSB 2, LSB 1)";
    QTest::newRow("NRPN data MSB") << "B1 63 01\nB1 62 08\nB1 06 02" << c3 << "2|NRPN|1/8: data MSB = 2";
    QTest::newRow("NRPN") << "B1 63 01\nB1 62 08\nB1 06 02\nB1 26 2C" << c3 << "2|NRPN|1/8 = 300 (MSB 2, LSB 44)";
    QTest::newRow("RPN null") << "B0 65 00\nB0 64 00\nB0 65 7F\nB0 64 7F\nB0 06 02" << c3
                              << "1|Control Change|6 Data Entry = 2";
    QTest::newRow("program change in a bank")
        << "B0 00 01\nB0 20 02\nC0 05" << c3 << "1|Program Change|6, bank 130 (MSB 1, LSB 2)";
    QTest::newRow("program change") << "C3 7F" << c3 << "4|Program Change|128";
    QTest::newRow("channel pressure") << "D0 40" << c3 << "1|Channel Pressure|pressure 64";
    QTest::newRow("pitch bend lowest") << "E0 00 00" << c3 << "1|Pitch Bend|-8192";
    QTest::newRow("pitch bend highest") << "EF 7F 7F" << c3 << "16|Pitch Bend|+8191";
    QTest::newRow("quarter frame") << "F1 35" << c3 << "0|Time Code Quarter Frame|seconds high nibble = 5";
    QTest::newRow("song position") << "F2 10 02" << c3 << "0|Song Position|272 beats";
    QTest::newRow("song select") << "F3 05" << c3 << "0|Song Select|song 5";
    QTest::newRow("tune request") << "F6" << c3 << "0|Tune Request|";
    QTest::newRow("timing clock") << "F8" << c3 << "0|Timing Clock|";
    QTest::newRow("start") << "FA" << c3 << "0|Start|";
    QTest::newRow("continue") << "FB" << c3 << "0|Continue|";
    QTest::newRow("stop") << "FC" << c3 << "0|Stop|";
    QTest::newRow("active sensing") << "FE" << c3 << "0|Active Sensing|";
    QTest::newRow("system reset") << "FF" << c3 << "0|System Reset|";
    QTest::newRow("manufacturer") << "F0 43 10 4C 00 00 7E 00 F7" << c3 << "0|System Exclusive|9 bytes, Yamaha";
    QTest::newRow("three-byte manufacturer")
        << "F0 00 20 29 02 0C 0E F7" << c3 << "0|System Exclusive|8 bytes, Focusrite/Novation";
    QTest::newRow("unknown manufacturer") << "F0 00 7F 7F 01 F7" << c3
                                          << "0|System Exclusive|6 bytes, unknown manufacturer 00 7F 7F";
    QTest::newRow("identity request") << "F0 7E 7F 06 01 F7" << c3
                                      << "0|System Exclusive|6 bytes, Universal Non-Real Time, all devices: "
                                         "Identity Request";
    QTest::newRow("identity reply")
        << "F0 7E 10 06 02 43 41 00 0A 0D 01 02 03 04 F7" << c3
        << "0|System Exclusive|15 bytes, Universal Non-Real Time, device 16: Identity Reply (Yamaha, family 65, "
           "model 1674, version 1.2.3.4)";
    QTest::newRow("general MIDI on") << "F0 7E 7F 09 01 F7" << c3
                                     << "0|System Exclusive|6 bytes, Universal Non-Real Time, all devices: "
                                        "General MIDI System On";
    QTest::newRow("master volume") << "F0 7F 7F 04 01 7F 7F F7" << c3
                                   << "0|System Exclusive|8 bytes, Universal Real Time, all devices: "
                                      "Master Volume (16383)";
    QTest::newRow("machine control") << "F0 7F 00 06 02 F7" << c3
                                     << "0|System Exclusive|6 bytes, Universal Real Time, device 0: MMC Play";
    QTest::newRow("machine control locate")
        << "F0 7F 7F 06 44 06 01 21 02 03 04 00 F7" << c3
        << "0|System Exclusive|13 bytes, Universal Real Time, all devices: MMC Locate 01:02:03:04";
    QTest::newRow("time code full frame")
        << "F0 7F 7F 01 01 61 02 03 04 F7" << c3
        << "0|System Exclusive|10 bytes, Universal Real Time, all devices: MTC Full Frame (01:02:03:04, 30 fps)";
    QTest::newRow("sample dump header")
        << "F0 7E 00 01 05 00 10 14 31 01 68 07 00 00 00 00 67 07 00 00 F7" << c3
        << "0|System Exclusive|21 bytes, Universal Non-Real Time, device 0: Sample Dump Header (sample 5, 16 bits, "
           "44099 Hz, 1000 words, loop 0-999 forward)";
}

void MonitorTextTest::decode()
{
    QFETCH(QString, lines);
    QFETCH(int, middleC);
    MidiMessageDecoder decoder;
    decoder.setMiddleCName(middleC);
    MidiMessageDecoder::Decoded decoded;
    for (const MidiRecord& record : lineRecords(lines)) {
        decoded = decoder.decode(record.bytes, record.bytes.size());
    }
    QTEST(QStringLiteral("%1|%2|%3").arg(decoded.channel).arg(decoded.kind, decoded.values), "decoded");
}

void MonitorTextTest::decodedLineHasColumns()
{
    MonitorLineDecoder decoder;
    const qint64 start = 5000000;
    const MidiRecords records{messageRecords({"90 3C 64"}, start)[0],
                              lossRecord(MidiRecord::Kind::Lost, 2, start + 1000),
                              messageRecords({"B0 07 64"}, start + 12000)[0]};
    const auto decode = [&](int index, const char* stamp) {
        return decoder.decode(records[index], decoder.take(records[index]), QLatin1String(stamp),
                              MonitorLineFormat::body(records[index]));
    };
    QCOMPARE(decode(0, "23:59:59:990 "),
             "23:59:59:990 " + QString(17, QLatin1Char(' '))
                 + "1  Note On                 C3 (60) velocity 100                          90 3C 64");
    QCOMPARE(decode(1, ""), QStringLiteral("-- 2 messages lost: input faster than the program can take --"));
    // The time since the previous message comes from the records' own times.
    QCOMPARE(decode(2, "00:00:00:002 "), QStringLiteral("00:00:00:002     +12.000 ms   1  Control Change          "
                                                         "7 Volume = 100                                B0 07 64"));
    // Words too long for their columns follow the bytes, which keep theirs.
    const MidiRecord request = messageRecords({"F0 7E 7F 06 01 F7"}, start + 13000)[0];
    const QString line = decoder.decode(request, decoder.take(request), QString(), MonitorLineFormat::body(request));
    QCOMPARE(line.indexOf(QLatin1String("F0 7E")), decode(2, "").indexOf(QLatin1String("B0 07")));
    QVERIFY2(line.endsWith(QLatin1String("F0 7E 7F 06 01 F7  6 bytes, Universal Non-Real Time, all devices: "
                                         "Identity Request")),
             qPrintable(line));
}

void MonitorTextTest::lines_data()
{
    QTest::addColumn<MidiRecord>("record");
    QTest::addColumn<QString>("line");
    QTest::newRow("note") << messageRecords({"90 3C 64"})[0] << "90 3C 64 ";
    QByteArray dump = QByteArray::fromHex("F04310") + QByteArray(65531, 0x01) + QByteArray::fromHex("7EF7");
    QTest::newRow("beyond the parser's length")
        << MidiRecord{0, MidiRecord::Kind::Message, 0, dump} << QStringLiteral("F0 43 10 \u2026 7E F7 (65,536 bytes)");
    QTest::newRow("parser's length") << MidiRecord{0, MidiRecord::Kind::Message, 0, dump.left(4095) + char(0xF7)}
                                     << QStringLiteral("F0 43 10 ") + QStringLiteral("01 ").repeated(4092) + "F7 ";
    QTest::newRow("lost") << lossRecord(MidiRecord::Kind::Lost, 27)
                          << "-- 27 messages lost: input faster than the program can take --";
    QTest::newRow("one lost") << lossRecord(MidiRecord::Kind::Lost, 1)
                              << "-- 1 message lost: input faster than the program can take --";
    QTest::newRow("too long")
        << lossRecord(MidiRecord::Kind::TooLong, 8192)
        << "-- System Exclusive longer than 8192 bytes dropped: raise Maximum System Exclusive in MIDI Settings --";
    QTest::newRow("xruns") << lossRecord(MidiRecord::Kind::Xrun, 2)
                           << "-- 2 xruns of the MIDI system: a message arriving across one may lack bytes --";
    QTest::newRow("cut short") << MidiRecord{0, MidiRecord::Kind::CutShort, 300, QByteArray::fromHex("F00102F7")}
                               << "F0 01 02 F7 -- cut short after 300 bytes and ended with F7 --";
}

void MonitorTextTest::lines()
{
    QFETCH(MidiRecord, record);
    QTEST(MonitorLineFormat::body(record), "line");
    // Lines of words carry no stamp; messages the stamp of their own time.
    const QString stamped = MonitorLineFormat::line(record, true);
    if (record.bytes.isEmpty()) {
        QTEST(stamped, "line");
    } else {
        QCOMPARE(stamped, MonitorLineFormat::stamp(record.microseconds) + MonitorLineFormat::body(record));
    }
}

void MonitorTextTest::timeStamps()
{
    char stamp[TimeStamp::BufferSize];
    // Hours wrap at midnight; microseconds are cut to milliseconds.
    qputenv("TZ", "UTC");
    tzset();
    const long nineFiveThree = 9 * 3600 + 5 * 60 + 3;
    QCOMPARE(TimeStamp::format(stamp, nineFiveThree, 7999), 13);
    QCOMPARE(QByteArray(stamp), QByteArray("09:05:03:007 "));
    TimeStamp::format(stamp, nineFiveThree + 86400 + 3600 * 14 + 56, 999999);
    QCOMPARE(QByteArray(stamp), QByteArray("23:05:59:999 "));
    // A record's stamp is the wall clock of its monotonic time.
    const long long wall = TimeStamp::wallMicroseconds(steadyMicroseconds() - 86400000000LL);
    TimeStamp::format(stamp, long(wall / 1000000), long(wall % 1000000));
    QCOMPARE(MonitorLineFormat::stamp(steadyMicroseconds() - 86400000000LL).left(8), QString::fromLatin1(stamp).left(8));
}

void MonitorTextTest::figures_data()
{
    QTest::addColumn<double>("beatsPerMinute");
    QTest::newRow("clock") << 90.0;
    QTest::newRow("fast clock") << 300.0;
    QTest::newRow("no clock") << 0.0;
}

void MonitorTextTest::figures()
{
    QFETCH(double, beatsPerMinute);
    const qint64 Second = 1000000;
    MonitorStatistics statistics;
    statistics.addLost(7);
    for (int message = 0; message < 300; ++message) {
        statistics.addMessage(3, false, message * Second / 300);
    }
    // Clocks with a microsecond of wobble each way.
    for (int clock = 0; beatsPerMinute > 0 && clock < 2 * beatsPerMinute * 24 / 60; ++clock) {
        const qint64 time = qint64(clock * 60.0 * Second / (beatsPerMinute * 24)) + (clock % 2 == 0 ? 1 : -1);
        statistics.addMessage(1, true, time);
    }
    const MonitorStatistics::Figures figures = statistics.read(2 * Second);
    QCOMPARE(figures.lost, quint64(7));
    QCOMPARE(figures.bytes, quint64(900 + figures.messages - 300));
    QCOMPARE(figures.messagesPerSecond, figures.messages / 2.0);
    QVERIFY2(qAbs(figures.beatsPerMinute - beatsPerMinute) <= beatsPerMinute / 100,
             qPrintable(QString::number(figures.beatsPerMinute)));
    QCOMPARE(figures.jitterMilliseconds >= 0.0, beatsPerMinute > 0);
    QVERIFY(figures.jitterMilliseconds < 0.01);
    // Nothing new: no rates and no tempo.
    QCOMPARE(statistics.read(Second).beatsPerMinute, 0.0);
}

QTEST_MAIN(MonitorTextTest)
#include "MonitorTextTest.moc"
