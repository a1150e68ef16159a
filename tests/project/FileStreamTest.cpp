#include "project/FileStream.h"

#include <QByteArray>
#include <QDataStream>
#include <QString>
#include <QtTest>

#include <sys/resource.h>

#if defined(__SANITIZE_ADDRESS__)
#define ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ADDRESS_SANITIZER 1
#endif
#endif

namespace {

// A view block of the kind the tool views write: an int and a text.
class RecordBlock : public FileStream
{
public:
    bool setDataStream(QDataStream& stream) override
    {
        return getIntParameterFromStream(stream, 0, m_channel) && getStringParameterFromStream(stream, 1, m_text);
    }
    bool getDataStream(QDataStream& stream) override
    {
        setIntParameterToStream(stream, 0, m_channel);
        setStringParameterToStream(stream, 1, m_text);
        return true;
    }

    int m_channel = 0;
    QString m_text;
};

QByteArray ints(std::initializer_list<qint32> values)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    for (qint32 value : values) {
        stream << value;
    }
    return bytes;
}

// Caps the data a process may map at 1 GiB, so that believing a record's
// length would fail to allocate. The sanitizers map huge ranges of their
// own; under them no cap is set.
class DataLimit
{
public:
    DataLimit()
    {
#if !defined(ADDRESS_SANITIZER)
        rlimit limit = {};
        m_active = getrlimit(RLIMIT_DATA, &m_saved) == 0;
        limit.rlim_cur = rlim_t(1) << 30;
        limit.rlim_max = m_saved.rlim_max;
        m_active = m_active && setrlimit(RLIMIT_DATA, &limit) == 0;
#endif
    }
    ~DataLimit()
    {
        if (m_active)
            setrlimit(RLIMIT_DATA, &m_saved);
    }

private:
    rlimit m_saved {};
    bool m_active = false;
};

} // namespace

class FileStreamTest : public QObject
{
    Q_OBJECT

private slots:
    void recordLayouts();
    void records_data();
    void records();
    void oversizedTextIsRefusedBeforeAllocating();
};

void FileStreamTest::recordLayouts()
{
    RecordBlock block;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    QVERIFY(block.setIntParameterToStream(out, 2, -1));
    QVERIFY(block.setStringParameterToStream(out, 0, "abc"));
    // The length counts UTF-8 bytes, not characters; an empty text writes a
    // complete record but reports false.
    QVERIFY(block.setStringParameterToStream(out, 7, QString::fromUtf8("\xC3\xA9t\xC3\xA9")));
    QVERIFY(!block.setStringParameterToStream(out, 3, QString()));
    QCOMPARE(bytes, QByteArray::fromHex("00000002" "00000004" "FFFFFFFF"
                                        "00000000" "00000003" "616263"
                                        "00000007" "00000005" "C3A974C3A9"
                                        "00000003" "00000000"));

}

void FileStreamTest::records_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("isText");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("empty text") << ints({3, 0}) << true << true << QString() << 0;
    QTest::newRow("negative length") << ints({3, -5}) << true << true << QString() << 0;
    // The text ends at the first zero byte.
    QTest::newRow("zero byte") << ints({3, 5}) + QByteArray("ab\0cd", 5) << true << true << "ab" << 0;
    QTest::newRow("zero byte first") << ints({3, 2}) + QByteArray("\0c", 2) << true << true << QString() << 0;
    QTest::newRow("text of another tag") << ints({0, 3}) + "abc" << true << false << QString() << 0;
    QTest::newRow("text cut short") << ints({3, 10}) + "abc" << true << false << QString() << 0;
    QTest::newRow("no record") << QByteArray() << true << false << QString() << 0;
    QTest::newRow("int") << ints({3, 4, -1}) << false << true << QString() << -1;
    QTest::newRow("int of another tag") << ints({2, 4, -1}) << false << false << QString() << 0;
    QTest::newRow("int of 8 bytes") << ints({3, 8, 5, 6}) << false << false << QString() << 0;
    QTest::newRow("int without value") << ints({3, 4}) << false << false << QString() << 0;
}

void FileStreamTest::records()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, isText);
    QFETCH(bool, expected);
    QFETCH(QString, text);
    QFETCH(int, value);
    RecordBlock block;
    const int tag = 3;
    // A record that reads is followed by another, which must read after it.
    QDataStream stream(expected ? bytes + ints({1, 4, 9}) : bytes);
    QString readText = QStringLiteral("stale");
    int readValue = 77;
    QCOMPARE(isText ? block.getStringParameterFromStream(stream, tag, readText)
                    : block.getIntParameterFromStream(stream, tag, readValue),
             expected);
    QCOMPARE(isText ? readText : QString(), text);
    QCOMPARE(isText ? 0 : readValue, value);
    if (expected) {
        int next = 0;
        QVERIFY(block.getIntParameterFromStream(stream, 1, next));
        QCOMPARE(next, 9);
    }
}

void FileStreamTest::oversizedTextIsRefusedBeforeAllocating()
{
    // A length near 2 GiB with 1 GiB of room: read before allocating, it
    // fails cleanly; allocated first, it would throw.
    RecordBlock block;
    QString text = QStringLiteral("stale");
    const QByteArray oversized = ints({0, 0x7FFFFFF0}) + "abc";
    bool result = true;
    {
        DataLimit limit;
        QDataStream stream(oversized);
        result = block.getStringParameterFromStream(stream, 0, text);
    }
    QVERIFY(!result);
    QVERIFY(text.isEmpty());
}

QTEST_GUILESS_MAIN(FileStreamTest)
#include "FileStreamTest.moc"
