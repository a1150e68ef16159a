// Standard MIDI Files: what the writer writes comes back byte for byte and
// within a tick, hand-made files of every feature read as they should, and
// damaged files are refused at the byte of the fault.

#include "services/MidiFileFormat.h"
#include "services/MidiFileReader.h"
#include "services/MidiFileWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(QVector<MidiFileMessage>)

namespace {

constexpr qint64 HalfTick = MidiFileFormat::WriterTickMicroseconds / 2;

QByteArray hex(const QString& text)
{
    return QByteArray::fromHex(text.toLatin1());
}

QString chunk(const char* id, const QString& body)
{
    const QByteArray bytes = hex(body);
    return QString::fromLatin1(QByteArray(id).toHex()) + QStringLiteral("%1").arg(bytes.size(), 8, 16, QLatin1Char('0')) + body;
}

// A header with format, track count and division as hex, and a track chunk
// for each body; events of the first track begin at byte 22.
QByteArray midiFile(const QString& header, const QStringList& tracks)
{
    QString text = chunk(MidiFileFormat::HeaderId, header);
    for (const QString& track : tracks)
        text += chunk(MidiFileFormat::TrackId, track);
    return hex(text);
}

// "time:HEX" for every message, one space between.
QString describe(const QVector<MidiFileMessage>& messages)
{
    QStringList parts;
    for (const MidiFileMessage& message : messages)
        parts << QString::number(message.time) + QLatin1Char(':') + QString::fromLatin1(message.bytes.toHex().toUpper());
    return parts.join(QLatin1Char(' '));
}

MidiFileMessage message(qint64 time, const QString& bytes)
{
    return {time, hex(bytes)};
}

} // namespace

class StandardMidiFileTest : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void writtenBytes();
    void writerOrder();
    void writerRefuses_data();
    void writerRefuses();
    void read_data();
    void read();
    void damaged_data();
    void damaged();
    void load();
};

void StandardMidiFileTest::roundTrip_data()
{
    QTest::addColumn<QVector<MidiFileMessage>>("messages");
    const auto one = [](const QString& bytes) { return QVector<MidiFileMessage>{message(1234567, bytes)}; };
    QTest::newRow("note") << one("903C40");
    QTest::newRow("control change") << one("B50764");
    QTest::newRow("program change") << one("C512");
    QTest::newRow("channel pressure") << one("D97F");
    QTest::newRow("pitch bend") << one("E00040");
    QTest::newRow("System Exclusive of 4 bytes") << one("F07E01F7");
    QByteArray large = hex("F043");
    for (int i = 0; large.size() < 99999; ++i)
        large.append(char(i % 0x80));
    large.append(char(0xF7));
    QTest::newRow("System Exclusive of 100,000 bytes") << QVector<MidiFileMessage>{{9, large}};
    QTest::newRow("timing clock") << one("F8");
    QTest::newRow("active sensing") << one("FE");
    QTest::newRow("song position") << one("F21020");
    QTest::newRow("time code quarter frame") << one("F135");
    QTest::newRow("tune request") << one("F6");
    QTest::newRow("two at the same time") << QVector<MidiFileMessage>{message(5011, "903C40"), message(5011, "F8")};
    // The writer restates a status after anything that ends running status.
    QTest::newRow("running status around System Exclusive and escapes")
        << QVector<MidiFileMessage>{message(0, "903C40"), message(10, "903E40"), message(29, "F0417F7F10F7"),
                                    message(31, "903C00"), message(49, "F8"), message(50, "903E00"), message(70, "803E00")};
    // More than 0x0FFFFFFF ticks between two messages.
    QTest::newRow("hours apart") << QVector<MidiFileMessage>{message(7, "F8"), message(qint64(12) * 3600 * 1000000 + 13, "FC")};
}

void StandardMidiFileTest::roundTrip()
{
    QFETCH(QVector<MidiFileMessage>, messages);
    QByteArray file;
    QString error;
    QVERIFY2(MidiFileWriter::write(messages, 0, &file, &error), qPrintable(error));
    MidiFileReader::Content content;
    QVERIFY2(MidiFileReader::read(file, &content, &error), qPrintable(error));
    QCOMPARE(content.messages.size(), messages.size());
    for (int i = 0; i < messages.size(); ++i) {
        QCOMPARE(content.messages.at(i).bytes, messages.at(i).bytes);
        QVERIFY2(qAbs(content.messages.at(i).time - messages.at(i).time) <= HalfTick,
                 qPrintable(QStringLiteral("message %1 at %2 instead of %3").arg(i).arg(content.messages.at(i).time).arg(messages.at(i).time)));
    }
    QCOMPARE(content.duration, content.messages.last().time);
}

void StandardMidiFileTest::writtenBytes()
{
    QByteArray file;
    QString error;
    const QVector<MidiFileMessage> messages{message(0, "903C40"), message(20, "903E40"), message(40, "F07DF7"),
                                            message(60, "903C00"), message(3000, "F8")};
    QVERIFY(MidiFileWriter::write(messages, 3000, &file, &error));
    // Format 0, one track, 25,000 ticks per quarter at 500,000 microseconds.
    QCOMPARE(file, midiFile(QStringLiteral("0000 0001 61A8"),
                            {QStringLiteral("00FF510307A120 00903C40 013E40 01F0027DF7 01903C00 8113F701F8 00FF2F00")}));
}

void StandardMidiFileTest::writerOrder()
{
    // A message earlier than the one before goes at its tick; one before the
    // start at the start; the end is the later of the given end and the last.
    const QVector<MidiFileMessage> messages{message(-50, "F8"), message(1000, "F8"), message(400, "FA"), message(1010, "FC")};
    QByteArray file;
    QString error;
    QVERIFY(MidiFileWriter::write(messages, 2000000, &file, &error));
    MidiFileReader::Content content;
    QVERIFY(MidiFileReader::read(file, &content, &error));
    QCOMPARE(describe(content.messages), QStringLiteral("0:F8 1000:F8 1000:FA 1020:FC"));
    QCOMPARE(content.duration, qint64(2000000));
    QVERIFY(MidiFileWriter::write(messages, 10, &file, &error));
    QVERIFY(MidiFileReader::read(file, &content, &error));
    QCOMPARE(content.duration, qint64(1020));
}

void StandardMidiFileTest::writerRefuses_data()
{
    QTest::addColumn<QVector<MidiFileMessage>>("messages");
    QTest::addColumn<qint64>("end");
    QTest::addColumn<QString>("error");
    const QString notWhole = QStringLiteral("Message 2 is not one whole MIDI message.");
    const auto second = [](const QString& bytes) { return QVector<MidiFileMessage>{message(0, "F8"), message(1, bytes)}; };
    QTest::newRow("empty") << second(QString()) << qint64(0) << notWhole;
    QTest::newRow("data byte first") << second("3C40") << qint64(0) << notWhole;
    QTest::newRow("F7 first") << second("F7") << qint64(0) << notWhole;
    QTest::newRow("undefined status") << second("F4") << qint64(0) << notWhole;
    QTest::newRow("note cut short") << second("903C") << qint64(0) << notWhole;
    QTest::newRow("note too long") << second("903C4040") << qint64(0) << notWhole;
    QTest::newRow("status as data") << second("903C90") << qint64(0) << notWhole;
    QTest::newRow("System Exclusive without F7") << second("F07E01") << qint64(0) << notWhole;
    const qint64 tooLate = qint64(MidiFileFormat::MaximumTick + 1) * MidiFileFormat::WriterTickMicroseconds;
    QTest::newRow("message too late") << second("F8") + QVector<MidiFileMessage>{message(tooLate, "F8")} << qint64(0)
                                      << QStringLiteral("Message 3 is later than the 381 hours a MIDI file can hold.");
    QTest::newRow("end too late") << second("F8") << tooLate
                                  << QStringLiteral("The end is later than the 381 hours a MIDI file can hold.");
}

void StandardMidiFileTest::writerRefuses()
{
    QFETCH(QVector<MidiFileMessage>, messages);
    QFETCH(qint64, end);
    QFETCH(QString, error);
    QByteArray file("untouched");
    QString reason;
    QVERIFY(!MidiFileWriter::write(messages, end, &file, &reason));
    QCOMPARE(reason, error);
    QCOMPARE(file, QByteArray("untouched"));
}

void StandardMidiFileTest::read_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("messages");
    QTest::addColumn<qint64>("duration");
    // 96 ticks per quarter note at the default 120 BPM: 5,208.33 microseconds a tick.
    const QString format0 = QStringLiteral("0000 0001 0060");
    QTest::newRow("tempo change mid-file")
        << midiFile(format0, {"00903C40 60FF51030F4240 00803C40 60903E40 00FF2F00"})
        << "0:903C40 500000:803C40 1500000:903E40" << qint64(1500000);
    QTest::newRow("tempo map in track 0 of format 1, equal times in track order")
        << midiFile(QStringLiteral("0001 0002 0060"), {"00FF51030F4240 60C005 60FF510303D090 00FF2F00",
                                                        "60903C40 8140803C40 60B00701 00FF2F00"})
        << "1000000:C005 1000000:903C40 2250000:803C40 2500000:B00701" << qint64(2500000);
    // 25 frames of 40 ticks: a millisecond a tick; tempo changes count for nothing.
    QTest::newRow("SMPTE division")
        << midiFile(QStringLiteral("0000 0001 E728"), {"00FF510301E848 8768903C40 0A803C40 00FF2F00"})
        << "1000000:903C40 1010000:803C40" << qint64(1010000);
    QTest::newRow("SMPTE 30 drop-frame runs at 29.97 frames a second")
        << midiFile(QStringLiteral("0000 0001 E302"), {"3CF701F8 00FF2F00"}) << "1001000:F8" << qint64(1001000);
    QTest::newRow("running status, also across meta events")
        << midiFile(format0, {"00903C40 003E40 00FF0100 003C00 00FF2F00"})
        << "0:903C40 0:903E40 0:903C00" << qint64(0);
    QTest::newRow("System Exclusive in packets, with a meta event between")
        << midiFile(format0, {"00F0034312 00 60F7020102 00FF0100 60F701F7 00F70102 00FF2F00"})
        << "0:F04312000102F7 1000000:02" << qint64(1000000);
    QTest::newRow("escaped bytes as they are")
        << midiFile(format0, {"00F701F8 00F703F20102 00F702903C 00F700 00FF2F00"}) << "0:F8 0:F20102 0:903C" << qint64(0);
    QTest::newRow("end of track sets the duration, what follows it is left")
        << midiFile(format0, {"00F701F8 60FF2F00 00F701F8"}) << "0:F8" << qint64(500000);
    QTest::newRow("no end of track") << midiFile(format0, {"00F701F8 60F701FA"}) << "0:F8 500000:FA" << qint64(500000);
    QTest::newRow("unknown chunks, a longer header and bytes after the last track")
        << hex("4D546864 00000008 0000 0001 0060 FFFF 58465549 00000002 ABCD 4D54726B 00000004 00F701FE 0000")
        << "0:FE" << qint64(0);
}

void StandardMidiFileTest::read()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, messages);
    QFETCH(qint64, duration);
    MidiFileReader::Content content;
    QString error;
    QVERIFY2(MidiFileReader::read(file, &content, &error), qPrintable(error));
    QCOMPARE(describe(content.messages), messages);
    QCOMPARE(content.duration, duration);
}

void StandardMidiFileTest::damaged_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("error");
    const QString header = QStringLiteral("0000 0001 0060");
    const auto track = [&header](const QString& body) { return midiFile(header, {body}); };
    const auto damaged = [](int offset, const char* reason) {
        return QStringLiteral("Damaged MIDI file at byte %1: %2").arg(QLocale(QLocale::English).toString(offset), QLatin1String(reason));
    };
    QTest::newRow("empty") << QByteArray() << damaged(0, "no MThd header at the start");
    QTest::newRow("no MThd") << hex("4D54726B 00000004 00FF2F00") << damaged(0, "no MThd header at the start");
    QTest::newRow("short header") << hex("4D546864 00000005 0000000160") << damaged(4, "header length 5, less than 6");
    QTest::newRow("header beyond the end") << hex("4D546864 00000006 00000001") << damaged(4, "header length beyond the end of the file");
    QTest::newRow("unknown format") << midiFile("0003 0001 0060", {}) << damaged(8, "unknown format 3");
    QTest::newRow("format 2") << midiFile("0002 0001 0060", {"00FF2F00"})
                              << "The MIDI file is of format 2 (independent sequences), which cannot be played as one; only formats 0 and 1 are supported.";
    QTest::newRow("no tracks") << midiFile("0001 0000 0060", {}) << damaged(10, "no tracks");
    QTest::newRow("too many tracks") << midiFile("0001 0401 0060", {}) << damaged(10, "1,025 tracks, more than the limit of 1,024");
    QTest::newRow("format 0 with two tracks") << midiFile("0000 0002 0060", {}) << damaged(10, "format 0 with 2 tracks");
    QTest::newRow("division of zero") << midiFile("0000 0001 0000", {}) << damaged(12, "division 0x0000 is not valid");
    QTest::newRow("unknown SMPTE rate") << midiFile("0000 0001 E928", {}) << damaged(12, "division 0xE928 is not valid");
    QTest::newRow("no ticks per frame") << midiFile("0000 0001 E700", {}) << damaged(12, "division 0xE700 is not valid");
    QTest::newRow("track missing") << midiFile("0001 0002 0060", {"00F701F8"}) << damaged(26, "track 2 of 2 missing");
    QTest::newRow("chunk header cut short") << midiFile(header, {}) + hex("4D54726B0000") << damaged(14, "chunk header cut short");
    QTest::newRow("track length beyond the end") << midiFile(header, {}) + hex("4D54726B 00000005 00F8")
                                                 << damaged(18, "track length beyond the end of the file");
    QTest::newRow("chunk length beyond the end") << midiFile(header, {}) + hex("58465549 FFFFFFFF 00F8")
                                                 << damaged(18, "chunk length beyond the end of the file");
    QTest::newRow("delta of 5 bytes") << track("00C005 8080808000C005") << damaged(25, "variable-length number of more than 4 bytes");
    QTest::newRow("delta cut short") << track("00C005 8180") << damaged(25, "event cut short by the end of the track");
    QTest::newRow("delta without an event") << track("00C005 00") << damaged(25, "event cut short by the end of the track");
    QTest::newRow("data byte without running status") << track("003C40") << damaged(23, "data byte 0x3C without running status");
    QTest::newRow("note cut short") << track("00903C") << damaged(23, "event cut short by the end of the track");
    QTest::newRow("status inside a note") << track("00903C9040") << damaged(25, "status byte 0x90 inside a channel message");
    QTest::newRow("system status without escape") << track("00F20102") << damaged(23, "status byte 0xF2, which has no event form in a file");
    QTest::newRow("meta cut short") << track("00FF") << damaged(23, "event cut short by the end of the track");
    QTest::newRow("meta length beyond the track") << track("00FF010541") << damaged(25, "event length beyond the end of the track");
    QTest::newRow("System Exclusive length beyond the track") << track("00F07F01") << damaged(24, "event length beyond the end of the track");
    QTest::newRow("System Exclusive length of 5 bytes") << track("00F0FFFFFFFF7F") << damaged(24, "variable-length number of more than 4 bytes");
    QTest::newRow("tempo of 2 bytes") << track("00FF51020F42") << damaged(23, "tempo event of 2 bytes");
    QTest::newRow("tempo of zero") << track("00FF5103000000") << damaged(23, "tempo of zero");
    QTest::newRow("System Exclusive cut by a note") << track("00F0024312 00903C40") << damaged(28, "System Exclusive not ended before the next message");
    QTest::newRow("System Exclusive cut by another") << track("00F0024312 00F00143") << damaged(28, "System Exclusive not ended before the next message");
    QTest::newRow("System Exclusive not ended") << track("00F0024312 00FF2F00") << damaged(31, "System Exclusive not ended at the end of the track");
    // 257 deltas of 0x0FFFFFFF ticks, with empty text events.
    QTest::newRow("time beyond the limit") << track(QStringLiteral("FFFFFF7FFF0100").repeated(257))
                                           << damaged(22 + 256 * 7, "time beyond the limit of 68,719,476,735 ticks");
    QTest::newRow("larger than the limit") << QByteArray(int(MidiFileFormat::MaximumFileSize) + 1, '\0')
                                           << QStringLiteral("The file is larger than 64 MiB.");
}

void StandardMidiFileTest::damaged()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, error);
    MidiFileReader::Content content;
    content.messages = {message(1, "F8")};
    QString reason;
    QVERIFY(!MidiFileReader::read(file, &content, &reason));
    QCOMPARE(reason, error);
    // A refused file leaves the content as it was.
    QCOMPARE(describe(content.messages), QStringLiteral("1:F8"));
}

void StandardMidiFileTest::load()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("take.mid"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write(midiFile(QStringLiteral("0000 0001 0060"), {"60F701F8 00FF2F00"})) > 0);
    file.close();
    MidiFileReader::Content content;
    QString error;
    QVERIFY2(MidiFileReader::load(path, &content, &error), qPrintable(error));
    QCOMPARE(describe(content.messages), QStringLiteral("500000:F8"));

    // Refused before a byte is read: a sparse file costs no disk.
    QVERIFY(file.resize(MidiFileFormat::MaximumFileSize + 1));
    QVERIFY(!MidiFileReader::load(path, &content, &error));
    QCOMPARE(error, QStringLiteral("The file is larger than 64 MiB."));
    QVERIFY(!MidiFileReader::load(dir.path(), &content, &error));
    QCOMPARE(error, QStringLiteral("It is not a regular file."));
    QVERIFY(!MidiFileReader::load(dir.filePath(QStringLiteral("missing.mid")), &content, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(describe(content.messages), QStringLiteral("500000:F8"));
}

QTEST_GUILESS_MAIN(StandardMidiFileTest)
#include "StandardMidiFileTest.moc"
