#include <QtTest>

#include <cstring>
#include <memory>
#include <random>

#include "MidiBytes.h"
#include "midilib.h"

namespace {

QByteArray systemExclusive(int totalSize, char end = '\xF7')
{
    QByteArray bytes(totalSize, '\x21');
    bytes[0] = '\xF0';
    bytes[totalSize - 1] = end;
    return bytes;
}

bool isRealTime(uint8_t byte)
{
    return byte >= 0xF8 && midilib_status_check(byte);
}

// Random streams lean towards the bytes that change the parser's state.
QByteArray randomStream(std::mt19937 &random)
{
    static const uint8_t statuses[] = { 0x80, 0x93, 0xA5, 0xBF, 0xC0, 0xD7, 0xE2, 0xF0, 0xF1, 0xF2, 0xF3,
                                        0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF };
    QByteArray stream;
    const int length = std::uniform_int_distribution<int>(0, 600)(random);
    while (stream.size() < length) {
        const int kind = std::uniform_int_distribution<int>(0, 99)(random);
        if (kind < 45) {
            stream.append(char(std::uniform_int_distribution<int>(0, 0x7F)(random)));
        } else if (kind < 85) {
            stream.append(char(statuses[std::uniform_int_distribution<size_t>(0, sizeof(statuses) - 1)(random)]));
        } else if (kind < 97) {
            stream.append(char(std::uniform_int_distribution<int>(0x80, 0xFF)(random)));
        } else {
            // Long System Exclusive around the buffer limit, sometimes ended.
            QByteArray message = systemExclusive(std::uniform_int_distribution<int>(4090, 4100)(random));
            if (random() % 2) {
                message.chop(1);
            }
            stream.append(message);
        }
    }
    return stream;
}

QByteArrayList parseInChunks(const QByteArray &stream, std::mt19937 &random, int maxChunk)
{
    auto parser = std::make_unique<midilib_parser>();
    midilib_parser_init(parser.get());
    QByteArrayList messages;
    int at = 0;
    while (at < stream.size()) {
        const int size = std::uniform_int_distribution<int>(1, maxChunk)(random);
        messages << parseChunk(parser.get(), stream.mid(at, size));
        at += size;
    }
    return messages;
}

} // namespace

class MidilibParserTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void systemExclusiveOverChunks();
    void runningStatus();
    void realTimeBytesInsideMessages();
    void lostBytesEndNothing();
    void otherStatusBytesInsideMessages();
    void clearAndSetData();
    void systemExclusiveLimits();
    void chunkingDoesNotMatter();

private:
    QString parse(std::initializer_list<int> bytes);
    QString parse(const QByteArray &bytes);

    std::unique_ptr<midilib_parser> m_pParser = std::make_unique<midilib_parser>();
};

QString MidilibParserTest::parse(std::initializer_list<int> bytes)
{
    return parse(midiBytes(bytes));
}

QString MidilibParserTest::parse(const QByteArray &bytes)
{
    return messagesText(parseChunk(m_pParser.get(), bytes));
}

void MidilibParserTest::init()
{
    midilib_parser_init(m_pParser.get());
}

void MidilibParserTest::systemExclusiveOverChunks()
{
    QCOMPARE(parse({ 0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7 }), QString("F0 7E 7F 06 01 F7"));
    QCOMPARE(parse({ 0xF0, 0x7E, 0x7F }), QString());
    QCOMPARE(parse({ 0x06, 0x01, 0xF7 }), QString("F0 7E 7F 06 01 F7"));
    // Every cut of one message into single bytes.
    for (char byte : midiBytes({ 0xF0, 0x01, 0x02, 0x03 })) {
        QCOMPARE(parse(QByteArray(1, byte)), QString());
    }
    QCOMPARE(parse({ 0xF7 }), QString("F0 01 02 03 F7"));
    QCOMPARE(parse({ 0xF0, 0xF7 }), QString("F0 F7"));
}

void MidilibParserTest::runningStatus()
{
    QCOMPARE(parse({ 0x90, 0x3C, 0x64, 0x3E, 0x64 }), QString("90 3C 64 | 90 3E 64"));
    QCOMPARE(parse({ 0x3C, 0x00 }), QString("90 3C 00"));
    QCOMPARE(parse({ 0xB0, 0x07 }), QString());
    QCOMPARE(parse({ 0x64 }), QString("B0 07 64"));
    QCOMPARE(parse({ 0xC0, 0x05 }), QString("C0 05"));
    QCOMPARE(parse({ 0x06 }), QString("C0 06"));
    QCOMPARE(parse({ 0xE3, 0x00, 0x40, 0x7F, 0x7F, 0x01 }), QString("E3 00 40 | E3 7F 7F"));
    QCOMPARE(parse({ 0x02 }), QString("E3 01 02"));
}

void MidilibParserTest::realTimeBytesInsideMessages()
{
    QCOMPARE(parse({ 0x90, 0x3C, 0x64, 0xF8, 0x3E, 0x64 }), QString("90 3C 64 | F8 | 90 3E 64"));
    QCOMPARE(parse({ 0x90, 0x3C, 0xF8, 0x64 }), QString("F8 | 90 3C 64"));
    QCOMPARE(parse({ 0xF0, 0x7E, 0xF8, 0x01, 0xF7 }), QString("F8 | F0 7E 01 F7"));
    QCOMPARE(parse({ 0xB1, 0xFE, 0x07, 0xFA, 0xFB, 0x10, 0xFC, 0xFF }),
             QString("FE | FA | FB | B1 07 10 | FC | FF"));
    QCOMPARE(parse({ 0xF2, 0x01, 0xF8 }), QString("F8"));
    QCOMPARE(parse({ 0x02 }), QString("F2 01 02"));
    // A chunk that ends right after a real-time byte resumes the message.
    QCOMPARE(parse({ 0xA0, 0x10, 0xF8 }), QString("F8"));
    QCOMPARE(parse({ 0x20, 0x11 }), QString("A0 10 20"));
    QCOMPARE(parse({ 0x21 }), QString("A0 11 21"));
}

void MidilibParserTest::lostBytesEndNothing()
{
    QCOMPARE(parse({ 0x3C, 0x90, 0x3C, 0x40 }), QString("90 3C 40"));
    init();
    QCOMPARE(parse({ 0x01, 0x02, 0xF7, 0xF9, 0xC2, 0x05, 0xF8 }), QString("C2 05 | F8"));
    // The bytes after a full System Exclusive buffer are lost, what follows is not.
    QCOMPARE(parse(systemExclusive(4097) + midiBytes({ 0x01, 0xF7, 0x90, 0x3C, 0x40 })), QString("90 3C 40"));
}

void MidilibParserTest::otherStatusBytesInsideMessages()
{
    // Bytes that begin no message stay out of channel and system common messages.
    QCOMPARE(parse({ 0x90, 0x3C, 0xF4, 0x64 }), QString("90 3C 64"));
    QCOMPARE(parse({ 0xF7, 0x3E, 0xFD, 0x00 }), QString("90 3E 00"));
    QCOMPARE(parse({ 0xF2, 0x10, 0xF9, 0x20 }), QString("F2 10 20"));
    QCOMPARE(parse({ 0xF1, 0xF5, 0x35 }), QString("F1 35"));
    // Inside System Exclusive they are message bytes.
    QCOMPARE(parse({ 0xF0, 0xF4, 0xF5, 0xF9, 0xFD, 0xF7 }), QString("F0 F4 F5 F9 FD F7"));
    // System common ends running status.
    QCOMPARE(parse({ 0xF2, 0x10, 0x20, 0x30 }), QString("F2 10 20"));
    QCOMPARE(parse({ 0x90, 0x3C, 0x64, 0xF6, 0x3E, 0x64 }), QString("90 3C 64 | F6"));
    QCOMPARE(parse({ 0xF3, 0x05, 0x06, 0xF1, 0x07, 0x08 }), QString("F3 05 | F1 07"));
    // A new status discards the message in progress, System Exclusive too.
    QCOMPARE(parse({ 0x90, 0x3C, 0xB0, 0x07, 0x64 }), QString("B0 07 64"));
    QCOMPARE(parse({ 0xF0, 0x01, 0x02, 0x90, 0x3C, 0x64 }), QString("90 3C 64"));
}

void MidilibParserTest::clearAndSetData()
{
    // Clearing the running status keeps a message in progress.
    QCOMPARE(parse({ 0x90, 0x3C, 0x64 }), QString("90 3C 64"));
    midilib_parser_clearRunningStatus(m_pParser.get());
    QCOMPARE(parse({ 0x3E, 0x64, 0x90, 0x3C }), QString());
    midilib_parser_clearRunningStatus(m_pParser.get());
    QCOMPARE(parse({ 0x64, 0xF0, 0x01 }), QString("90 3C 64"));
    midilib_parser_clearRunningStatus(m_pParser.get());
    QCOMPARE(parse({ 0xF7 }), QString("F0 01 F7"));

    // Without a complete message the event is left as it was.
    auto event = std::make_unique<midilib_event>();
    std::memset(event.get(), 0x5A, sizeof(midilib_event));
    const QByteArray partial = midiBytes({ 0x40, 0xF7, 0x90, 0x3C });
    midilib_parser_setData(m_pParser.get(), partial.constData(), size_t(partial.size()));
    QCOMPARE(midilib_parser_parse(m_pParser.get(), event.get()), -1);
    QCOMPARE(event->type, uint8_t(0x5A));
    QCOMPARE(event->channel, uint8_t(0x5A));

    // Clearing drops the rest of the chunk, the message in progress and the running status.
    const QByteArray two = midiBytes({ 0x90, 0x3C, 0x64, 0x90, 0x3E, 0x64 });
    midilib_parser_setData(m_pParser.get(), two.constData(), size_t(two.size()));
    QCOMPARE(midilib_parser_parse(m_pParser.get(), event.get()), 0);
    midilib_parser_clear(m_pParser.get());
    QCOMPARE(midilib_parser_parse(m_pParser.get(), event.get()), -1);
    QCOMPARE(parse({ 0x40, 0x40 }), QString());

    // The next chunk replaces what is left of the previous one.
    const QByteArray clocks = midiBytes({ 0xF8, 0xF8 });
    midilib_parser_setData(m_pParser.get(), clocks.constData(), size_t(clocks.size()));
    QCOMPARE(midilib_parser_parse(m_pParser.get(), event.get()), 0);
    QCOMPARE(parse({ 0xFA }), QString("FA"));
    midilib_parser_setData(m_pParser.get(), clocks.constData(), 0);
    QCOMPARE(midilib_parser_parse(m_pParser.get(), event.get()), -1);
}

void MidilibParserTest::systemExclusiveLimits()
{
    const QByteArray longest = systemExclusive(4096);
    QCOMPARE(parse(longest), messagesText({ longest }));
    QCOMPARE(parse(systemExclusive(4097)), QString());
    // The buffer stays full: its end byte and further data are lost.
    QCOMPARE(parse({ 0xF7 }), QString());
    // Real-time bytes still come through.
    QCOMPARE(parse({ 0x01, 0xFE }), QString("FE"));
    QCOMPARE(parse({ 0x90, 0x3C, 0x64 }), QString("90 3C 64"));

    // The same messages cut into single bytes.
    init();
    QByteArrayList events;
    for (char byte : longest + systemExclusive(4097) + longest) {
        events << parseChunk(m_pParser.get(), QByteArray(1, byte));
    }
    QCOMPARE(messagesText(events), messagesText({ longest, longest }));

    // 4095 bytes and then the end byte in a later chunk.
    init();
    QCOMPARE(parse(longest.left(4095)), QString());
    QCOMPARE(parse(longest.right(1)), messagesText({ longest }));
}

void MidilibParserTest::chunkingDoesNotMatter()
{
    std::mt19937 random(20240611);
    int realTimeSeen = 0;
    for (int round = 0; round < 150; ++round) {
        const QByteArray stream = randomStream(random);
        auto parser = std::make_unique<midilib_parser>();
        midilib_parser_init(parser.get());
        const QByteArrayList whole = parseChunk(parser.get(), stream);
        QCOMPARE(messagesText(parseInChunks(stream, random, 3)), messagesText(whole));
        QCOMPARE(messagesText(parseInChunks(stream, random, 64)), messagesText(whole));
        QCOMPARE(messagesText(parseInChunks(stream, random, 5000)), messagesText(whole));
        QCOMPARE(messagesText(parseInChunks(stream, random, 1)), messagesText(whole));

        int realTimeBytes = 0;
        for (char byte : stream) {
            realTimeBytes += isRealTime(uint8_t(byte)) ? 1 : 0;
        }
        int realTimeEvents = 0;
        auto event = std::make_unique<midilib_event>();
        for (const QByteArray &message : whole) {
            QCOMPARE(midilib_dataToEvent(message.constData(), size_t(message.size()), event.get()), 0);
            QCOMPARE(eventToBytes(*event), message);
            const uint8_t status = uint8_t(message[0]);
            realTimeEvents += isRealTime(status) ? 1 : 0;
            if (status == 0xF0) {
                QVERIFY(message.size() >= 2 && message.size() <= 4096);
                QCOMPARE(uint8_t(message.back()), uint8_t(0xF7));
                for (int i = 1; i < message.size() - 1; ++i) {
                    QVERIFY(!midilib_status_check(uint8_t(message[i])));
                }
            } else {
                QCOMPARE(size_t(message.size()), midilib_status_messageSize(status));
                for (int i = 1; i < message.size(); ++i) {
                    QVERIFY(uint8_t(message[i]) < 0x80);
                }
            }
        }
        // Every real-time byte comes out as its own event, wherever it falls.
        QCOMPARE(realTimeEvents, realTimeBytes);
        realTimeSeen += realTimeBytes;
    }
    QVERIFY(realTimeSeen > 0);
}

QTEST_APPLESS_MAIN(MidilibParserTest)
#include "MidilibParserTest.moc"
