// Hex text checked before sending, and .syx files to and from text.

#include "services/DumpFile.h"
#include "services/HexTextChecker.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class DumpTextTest : public QObject
{
    Q_OBJECT

private slots:
    void check_data();
    void check();
    void systemExclusiveFilesRoundTrip();
    void fileKinds_data();
    void fileKinds();
};

void DumpTextTest::check_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    // Pairs count across separators; running status stays valid.
    QTest::newRow("pairs across separators") << "F,07E 7F\n06 01 F7" << "F07E7F0601F7";
    QTest::newRow("running status") << "90 3C 40 3E 40" << "903C403E40";
    QTest::newRow("real-time inside System Exclusive") << "F0 7E F8 01 F7" << "F07EF801F7";
    QTest::newRow("not hexadecimal")
        << "90 3C 40\nB0 07 64\nC0 01 7G" << "Line 3, column 7: 7G is not a hexadecimal byte";
    QTest::newRow("carriage return") << "90 3C\r40" << "Line 1, column 6: \r4 is not a hexadecimal byte";
    QTest::newRow("status inside System Exclusive")
        << "F0 7E 80 06 01 F7" << "Line 1, column 7: status byte 80 inside System Exclusive (F7 missing?)";
    QTest::newRow("System Exclusive not ended")
        << "90 3C 40\n\n\nF0 7E 7F 06 01" << "Line 4: System Exclusive not ended by F7";
    QTest::newRow("data byte first") << "3C 90 3C 40" << "Line 1, column 1: data byte 3C without a status byte";
    QTest::newRow("data after system common") << "F2 00 10 20" << "Line 1, column 10: data byte 20 without a status byte";
    QTest::newRow("message cut short") << "90 3C 40 80 3C" << "Line 1, column 10: message 80 is not complete";
    QTest::newRow("cut short by another") << "90 3C B0 07 00" << "Line 1, column 1: message 90 is not complete";
    QTest::newRow("stray F7") << "90 3C 40 F7" << "Line 1, column 10: F7 without a System Exclusive to end";
    QTest::newRow("undefined status") << "F4" << "Line 1, column 1: status byte F4 is undefined";
    QTest::newRow("longer than the maximum") << "90 3C 40\nF0" + QString(" 01").repeated(15) + " F7"
                                             << "Line 2: System Exclusive longer than the maximum of 16 bytes (MIDI Settings)";
    QTest::newRow("half a byte") << "F0 7E 7F 06 01 F7 1" << "Line 1, column 19: 1 is half a byte";
    // A zero byte is pointed at, not read as the end of the text.
    const QString zero(QChar::Null);
    QTest::newRow("zero byte")
        << "90 3C 40\nB0 07 " + zero + "64" << "Line 2, column 7: a zero byte: this is not a text file";
    QTest::newRow("zero byte inside a pair")
        << "F0 7E 7" + zero + "F F7" << "Line 1, column 8: a zero byte: this is not a text file";
    QTest::newRow("nothing but blanks") << " \n\t,\n" << "";
}

void DumpTextTest::check()
{
    QFETCH(QString, text);
    QFETCH(QString, result);
    QByteArray bytes;
    HexTextChecker::Problem problem;
    const std::size_t maximum = 16;
    if (HexTextChecker::check(text, &bytes, &problem, maximum))
        QCOMPARE(QString::fromLatin1(bytes.toHex()).toUpper(), result);
    else
        QCOMPARE(HexTextChecker::describe(text, problem), result);
}

void DumpTextTest::systemExclusiveFilesRoundTrip()
{
    QTemporaryDir dir;
    QByteArray dump = QByteArray::fromHex("F07E7F0601F7" "903C40" "F8" "F043100F");
    dump += QByteArray(5000, '\x35') + QByteArray::fromHex("F7");
    const QString text = DumpFile::bytesToText(dump);
    // One message a line, and so a real-time byte; a long message goes on in
    // lines of 4,096 bytes.
    QCOMPARE(text.section(QLatin1Char('\n'), 0, 2), QStringLiteral("F0 7E 7F 06 01 F7 \n90 3C 40 \nF8 "));
    QCOMPARE(text.section(QLatin1Char('\n'), 3, 3).size(), 3 * 4096);

    const QString syx = dir.filePath(QStringLiteral("bank.SYX"));
    QString reason;
    QVERIFY(DumpFile::save(syx, text, &reason));
    QFile file(syx);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), dump);
    QString loaded;
    QVERIFY(DumpFile::load(syx, &loaded, &reason));
    QCOMPARE(loaded, text);

    // A faulty text is no .syx file: the old one stays.
    QVERIFY(!DumpFile::save(syx, QStringLiteral("F0 7E"), &reason));
    QCOMPARE(reason, QStringLiteral("Line 1: System Exclusive not ended by F7"));
    QVERIFY(DumpFile::load(syx, &loaded, &reason));
    QCOMPARE(loaded, text);
}

void DumpTextTest::fileKinds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("systemExclusive");
    QTest::addColumn<bool>("message");
    // The last suffix decides, in any letter case.
    QTest::newRow(".syx") << "bank.syx" << true << true;
    QTest::newRow(".SYX") << "BANK.SYX" << true << true;
    QTest::newRow(".Syx") << "Bank.Syx" << true << true;
    QTest::newRow("two suffixes") << "patch.v2.syx" << true << true;
    QTest::newRow("in a folder with a suffix") << "/tmp/dumps.syx/patch.txt" << false << true;
    QTest::newRow(".txt") << "dump.txt" << false << true;
    QTest::newRow(".TXT") << "DUMP.TXT" << false << true;
    QTest::newRow("text after .syx") << "bank.syx.txt" << false << true;
    QTest::newRow("backup of a .syx") << "bank.syx.bak" << false << false;
    QTest::newRow("no suffix") << "syx" << false << false;
    QTest::newRow("project") << "song.tarvo" << false << false;
}

void DumpTextTest::fileKinds()
{
    QFETCH(QString, name);
    QFETCH(bool, systemExclusive);
    QFETCH(bool, message);
    QCOMPARE(DumpFile::isSystemExclusiveFile(name), systemExclusive);
    QCOMPARE(DumpFile::isDroppableFile(name), message);
}

QTEST_GUILESS_MAIN(DumpTextTest)
#include "DumpTextTest.moc"
