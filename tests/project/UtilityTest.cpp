#include "project/Utility.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

} // namespace

class UtilityTest : public QObject
{
    Q_OBJECT

private slots:
    void loadWholeTextFile();
    void menuLabelsBecomeTitles();

private:
    QTemporaryDir m_dir;
};

void UtilityTest::loadWholeTextFile()
{
    const QString path = m_dir.filePath("dump.txt");
    writeBytes(path, QByteArray("F0 41 10\r\n00 F7\n\xC3\xA9"));
    QString text;
    QVERIFY(Utility::loadAtTextFileName(path, text));
    // Text mode drops carriage returns; the bytes are UTF-8.
    QCOMPARE(text, QString::fromUtf8("F0 41 10\n00 F7\n\xC3\xA9"));

    writeBytes(path, QByteArray("F0 7E\0 garbage", 14));
    QVERIFY(Utility::loadAtTextFileName(path, text));
    QCOMPARE(text, QString("F0 7E"));

    writeBytes(path, QByteArray());
    QVERIFY(Utility::loadAtTextFileName(path, text));
    QVERIFY(text.isNull());

    text = "kept";
    QVERIFY(!Utility::loadAtTextFileName(QString(), text));
    QCOMPARE(text, QString("kept"));
    // A file that cannot be read gives a null text and says so.
    QVERIFY(!Utility::loadAtTextFileName(m_dir.filePath("missing.txt"), text));
    QVERIFY(text.isNull());
    // Opening a FIFO would wait for a writer for ever.
    const QString fifo = m_dir.filePath("fifo.txt");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(!Utility::loadAtTextFileName(fifo, text));
}

void UtilityTest::menuLabelsBecomeTitles()
{
    QCOMPARE(Utility::removeMenuOfModifierCharacter("&Open..."), QString("Open"));
    QCOMPARE(Utility::removeMenuOfModifierCharacter("MIDI &In Monitor"), QString("MIDI In Monitor"));
    QCOMPARE(Utility::removeMenuOfModifierCharacter("MIDI O&ut Monitor"), QString("MIDI Out Monitor"));
    QCOMPARE(Utility::removeMenuOfModifierCharacter("Rock && Roll"), QString("Rock  Roll"));
    // Only runs of three dots go; a fourth stays.
    QCOMPARE(Utility::removeMenuOfModifierCharacter("Wait.... a.b"), QString("Wait. a.b"));
}

QTEST_MAIN(UtilityTest)
#include "UtilityTest.moc"
