#include "project/Utility.h"

#include <QDir>
#include <QFile>
#include <QProcess>
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

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList hiddenFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden, QDir::Name);
}

// A file system smaller than what a test writes, unmounted when the test ends.
class SmallDisk
{
public:
    explicit SmallDisk(const QString& path)
        : m_path(path)
        , m_mounted(QDir().mkpath(path)
                    && QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=16k", "tmpfs", path})
                        == 0)
    {
    }
    ~SmallDisk()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_path});
    }
    bool isMounted() const { return m_mounted; }

private:
    const QString m_path;
    const bool m_mounted;
};

} // namespace

class UtilityTest : public QObject
{
    Q_OBJECT

private slots:
    void loadWholeTextFile();
    void saveReplacesWholeAndClearsLeftovers();
    void failedSaveOnAFullDiskSaysSo();
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

    // The text check points at a zero byte, so it stays.
    writeBytes(path, QByteArray("F0 7E\0 garbage", 14));
    QVERIFY(Utility::loadAtTextFileName(path, text));
    QCOMPARE(text, QString("F0 7E") + QChar::Null + QString(" garbage"));

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

// A save killed between writing and renaming leaves its new file behind; the
// next save of that file removes it, and only what can be such a leftover.
void UtilityTest::saveReplacesWholeAndClearsLeftovers()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("dump.txt");
    writeBytes(path, "F0 41 F7");
    QCOMPARE(chmod(QFile::encodeName(path).constData(), 0640), 0);
    const QStringList kept = {".dump.txt.tarvo-Ab12C", ".dump.txt.tarvo-Ab12Cd7", ".dump.txt.tarvo-Ab_2Cd",
                              ".other.txt.tarvo-Ab12Cd"};
    for (const QString& name : kept + QStringList{".dump.txt.tarvo-Ab12Cd", ".dump.txt.tarvo-000000"})
        writeBytes(dir.filePath(name), "F0 7E");

    QString reason;
    QVERIFY(Utility::saveAtTextFileName(path, "F0 42 F7", &reason));
    QCOMPARE(readBytes(path), QByteArray("F0 42 F7"));
    QCOMPARE(hiddenFiles(dir.path()), kept);
    // The saved file keeps who may read it.
    struct stat status;
    QCOMPARE(stat(QFile::encodeName(path).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, mode_t(0640));
}

void UtilityTest::failedSaveOnAFullDiskSaysSo()
{
    QTemporaryDir dir;
    const SmallDisk disk(dir.filePath("disk"));
    if (!disk.isMounted())
        QSKIP("mounting a small file system needs root");
    const QString path = dir.filePath("disk/dump.txt");
    writeBytes(path, "F0 41 F7");
    QString reason;
    QVERIFY(!Utility::saveAtTextFileName(path, QString("F0 ") + QString("00 ").repeated(20000) + "F7", &reason));
    QCOMPARE(reason, QString("No space left on device"));
    QCOMPARE(readBytes(path), QByteArray("F0 41 F7"));
    QCOMPARE(hiddenFiles(dir.filePath("disk")), QStringList());
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
