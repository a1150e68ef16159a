#include "project/FileStream.h"

#include <QByteArray>
#include <QDataStream>
#include <QString>
#include <QtTest>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

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

// Caps the address space a little above what the process maps now, so that
// believing a record's length would fail to allocate. The sanitizers reserve
// huge ranges of their own; under them no cap is set.
class AddressSpaceLimit
{
public:
    explicit AddressSpaceLimit(rlim_t headroom)
    {
#if !defined(ADDRESS_SANITIZER)
        long pages = 0;
        FILE* statm = std::fopen("/proc/self/statm", "r");
        if (statm != nullptr && std::fscanf(statm, "%ld", &pages) == 1 && getrlimit(RLIMIT_AS, &m_saved) == 0) {
            rlimit limit = m_saved;
            limit.rlim_cur = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + headroom;
            m_active = setrlimit(RLIMIT_AS, &limit) == 0;
        }
        if (statm != nullptr) {
            std::fclose(statm);
        }
#else
        Q_UNUSED(headroom);
#endif
    }
    ~AddressSpaceLimit()
    {
        if (m_active) {
            setrlimit(RLIMIT_AS, &m_saved);
        }
    }

private:
    rlimit m_saved{};
    bool m_active = false;
};

} // namespace

class FileStreamTest : public QObject
{
    Q_OBJECT

private slots:
    void recordLayoutsAndRoundTrip();
    void emptyAndZeroTerminatedText();
    void wrongTagOrLength();
    void truncatedAndOversizedRecords();
};

void FileStreamTest::recordLayoutsAndRoundTrip()
{
    RecordBlock block;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_6);
    QVERIFY(block.setIntParameterToStream(out, 2, -1));
    QVERIFY(block.setStringParameterToStream(out, 0, "abc"));
    // The length counts UTF-8 bytes, not characters.
    QVERIFY(block.setStringParameterToStream(out, 7, QString::fromUtf8("\xC3\xA9t\xC3\xA9")));
    QCOMPARE(bytes, QByteArray::fromHex("00000002" "00000004" "FFFFFFFF"
                                        "00000000" "00000003" "616263"
                                        "00000007" "00000005" "C3A974C3A9"));

    block.m_channel = 15;
    block.m_text = QString::fromUtf8("F0 7E 7F 06 01 F7\n\xC3\xA9");
    QByteArray blockBytes;
    QDataStream blockOut(&blockBytes, QIODevice::WriteOnly);
    QVERIFY(block.getDataStream(blockOut));
    RecordBlock restored;
    QDataStream in(blockBytes);
    QVERIFY(restored.setDataStream(in));
    QCOMPARE(restored.m_channel, 15);
    QCOMPARE(restored.m_text, block.m_text);
    QVERIFY(in.atEnd());
}

void FileStreamTest::emptyAndZeroTerminatedText()
{
    RecordBlock block;
    // An empty text writes a complete record but reports false.
    QByteArray empty;
    QDataStream out(&empty, QIODevice::WriteOnly);
    QVERIFY(!block.setStringParameterToStream(out, 3, QString()));
    QCOMPARE(empty, QByteArray::fromHex("00000003" "00000000"));

    QString text = "stale";
    QDataStream emptyStream(empty + ints({3, -5}));
    QVERIFY(block.getStringParameterFromStream(emptyStream, 3, text));
    QVERIFY(text.isEmpty());
    // A negative length reads as an empty text too.
    text = "stale";
    QVERIFY(block.getStringParameterFromStream(emptyStream, 3, text));
    QVERIFY(text.isEmpty());

    // The text ends at the first zero byte; the record is consumed whole.
    QDataStream zeroStream(ints({0, 5}) + QByteArray("ab\0cd", 5) + ints({1, 4, 9}));
    QVERIFY(block.getStringParameterFromStream(zeroStream, 0, text));
    QCOMPARE(text, QString("ab"));
    int value = 0;
    QVERIFY(block.getIntParameterFromStream(zeroStream, 1, value));
    QCOMPARE(value, 9);
}

void FileStreamTest::wrongTagOrLength()
{
    RecordBlock block;
    // A wrong tag consumes only the tag: the next read sees the length field.
    QDataStream stream(ints({2, 4, -1}));
    int value = 77;
    QVERIFY(!block.getIntParameterFromStream(stream, 1, value));
    QCOMPARE(value, 0);
    qint32 next = 0;
    stream >> next;
    QCOMPARE(next, 4);

    QDataStream textStream(ints({0, 3}) + "abc");
    QString text = "stale";
    QVERIFY(!block.getStringParameterFromStream(textStream, 1, text));
    QVERIFY(text.isEmpty());

    QDataStream wideStream(ints({1, 8, 5, 6}));
    value = 77;
    QVERIFY(!block.getIntParameterFromStream(wideStream, 1, value));
    QCOMPARE(value, 0);
}

void FileStreamTest::truncatedAndOversizedRecords()
{
    RecordBlock block;
    int value = 77;
    QDataStream noValue(ints({0, 4}));
    QVERIFY(!block.getIntParameterFromStream(noValue, 0, value));
    QCOMPARE(value, 0);

    // An exhausted stream holds no record, even for tag 0.
    QString text = "stale";
    QDataStream exhausted(QByteArray{});
    QVERIFY(!block.getStringParameterFromStream(exhausted, 0, text));
    QVERIFY(text.isEmpty());

    QDataStream shortText(ints({0, 10}) + "abc");
    QVERIFY(!block.getStringParameterFromStream(shortText, 0, text));
    QVERIFY(text.isEmpty());

    // A length near 2 GiB with 64 MiB of room: read before allocating, it
    // fails cleanly; allocated first, it would throw.
    const QByteArray oversized = ints({0, 0x7FFFFFF0}) + "abc";
    bool result = true;
    {
        AddressSpaceLimit limit(rlim_t(64) << 20);
        QDataStream stream(oversized);
        result = block.getStringParameterFromStream(stream, 0, text);
    }
    QVERIFY(!result);
    QVERIFY(text.isEmpty());
}

QTEST_GUILESS_MAIN(FileStreamTest)
#include "FileStreamTest.moc"
