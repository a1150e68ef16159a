#include <QtTest>

#include <cstring>
#include <memory>

#include "midilib.h"

namespace {

const QByteArray RealTimeBytes = QByteArray::fromHex("F8 FA FB FC FE FF");
const QString Separator = QStringLiteral(" | ");
// Chunk sizes every stream is also cut into; 0 stands for the whole stream.
constexpr int ChunkSizes[] = { 0, 1, 2, 3, 5 };
constexpr uint8_t Filler = 0x5A;

QString text(const QByteArray &message)
{
    return QString::fromLatin1(message.toHex(' ').toUpper());
}

// Gives one chunk to the parser and returns the messages it completes, as "90 3C 64 | F8";
// a message whose bytes as the parser keeps them differ from its event's is "bytes differ".
QStringList feed(midilib_parser *parser, const QByteArray &chunk)
{
    auto event = std::make_unique<midilib_event>();
    auto data = std::make_unique<midilib_data>();
    QStringList messages;
    midilib_parser_setData(parser, chunk.constData(), size_t(chunk.size()));
    while (midilib_parser_parse(parser, event.get()) == 0) {
        midilib_eventToData(event.get(), data.get());
        const QByteArray encoded(reinterpret_cast<const char *>(midilib_data_getMemory(data.get())),
                                 int(midilib_data_getSize(data.get())));
        size_t size = 0;
        const uint8_t *kept = midilib_parser_lastMessage(parser, &size);
        const bool same = encoded == QByteArray(reinterpret_cast<const char *>(kept), int(size));
        messages << (same ? text(encoded) : QStringLiteral("bytes differ"));
    }
    return messages;
}

QStringList parseInChunks(const QByteArray &stream, int chunkSize)
{
    auto parser = std::make_unique<midilib_parser>();
    midilib_parser_init(parser.get());
    const int step = chunkSize > 0 ? chunkSize : qMax(1, stream.size());
    QStringList messages;
    for (int at = 0; at < stream.size(); at += step) {
        messages << feed(parser.get(), stream.mid(at, step));
    }
    return messages;
}

} // namespace

class MidilibParserTest : public QObject
{
    Q_OBJECT

private slots:
    void sameMessagesWhateverTheChunking_data();
    void sameMessagesWhateverTheChunking();
    void clearAndSetData();
};

void MidilibParserTest::sameMessagesWhateverTheChunking_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QString>("messages");
    const auto row = [](const char *name, const char *hex, const char *messages) {
        QTest::newRow(name) << QByteArray::fromHex(hex) << QString::fromLatin1(messages);
    };
    row("running status", "90 3C 64 3E 64 3C 00", "90 3C 64 | 90 3E 64 | 90 3C 00");
    row("running status of pitch bend", "E3 00 40 7F 7F 01 02", "E3 00 40 | E3 7F 7F | E3 01 02");
    row("running status of one data byte", "C0 05 06 B0 07 64", "C0 05 | C0 06 | B0 07 64");
    row("clock in running status", "90 3C 64 F8 3E 64", "90 3C 64 | F8 | 90 3E 64");
    row("clock between data bytes", "90 3C F8 64", "F8 | 90 3C 64");
    row("clock inside system exclusive", "F0 7E F8 01 F7", "F8 | F0 7E 01 F7");
    row("every real-time byte", "B1 FE 07 FA FB 10 FC FF", "FE | FA | FB | B1 07 10 | FC | FF");
    row("clock inside system common", "F2 01 F8 02", "F8 | F2 01 02");
    row("lost data byte", "3C 90 3C 40", "90 3C 40");
    row("lone bytes", "01 02 F7 F9 C2 05 F8", "C2 05 | F8");
    row("undefined status inside messages", "90 3C F4 64 F7 3E FD 00", "90 3C 64 | 90 3E 00");
    row("undefined status inside system common", "F2 10 F9 20 F1 F5 35", "F2 10 20 | F1 35");
    row("undefined status inside system exclusive", "F0 F4 F5 F9 FD F7", "F0 F4 F5 F9 FD F7");
    row("system common ends running status", "F2 10 20 30 90 3C 64 F6 3E 64", "F2 10 20 | 90 3C 64 | F6");
    row("system common of one data byte", "F3 05 06 F1 07 08", "F3 05 | F1 07");
    row("new status drops the message in progress", "90 3C B0 07 64 F0 01 02 90 3C 64", "B0 07 64 | 90 3C 64");
    row("empty system exclusive", "F0 F7", "F0 F7");
    row("truncated message", "90 3C", "");
    row("nothing", "", "");
    const auto systemExclusive = [](int size) { return QByteArray("\xF0") + QByteArray(size - 2, '\x21') + "\xF7"; };
    const QByteArray longest = systemExclusive(MIDILIB_Message_SizeMax);
    const QByteArray overlong = systemExclusive(MIDILIB_Message_SizeMax + 1);
    QTest::newRow("longest system exclusive") << longest << text(longest);
    // A full buffer loses its end byte and further data; real-time bytes and the next status still count.
    QTest::newRow("overlong system exclusive") << overlong + QByteArray::fromHex("01 F7 01 FE 90 3C 40")
                                               << QStringLiteral("FE | 90 3C 40");
    QTest::newRow("overlong between longest") << longest + overlong + longest << text(longest) + Separator + text(longest);
}

void MidilibParserTest::sameMessagesWhateverTheChunking()
{
    QFETCH(QByteArray, stream);
    QFETCH(QString, messages);
    for (int chunkSize : ChunkSizes) {
        const QStringList parsed = parseInChunks(stream, chunkSize);
        QCOMPARE(parsed.join(Separator), messages);
        // Every real-time byte comes out as an event of its own, wherever it falls.
        int realTimeBytes = 0;
        for (char byte : stream) {
            realTimeBytes += RealTimeBytes.contains(byte) ? 1 : 0;
        }
        int realTimeEvents = 0;
        for (const QString &message : parsed) {
            realTimeEvents += message.size() == 2 && RealTimeBytes.contains(QByteArray::fromHex(message.toLatin1())) ? 1 : 0;
        }
        QCOMPARE(realTimeEvents, realTimeBytes);
    }
}

void MidilibParserTest::clearAndSetData()
{
    auto parser = std::make_unique<midilib_parser>();
    midilib_parser_init(parser.get());
    // Clearing the running status keeps a message in progress.
    const QList<QPair<const char *, QStringList>> steps = { { "90 3C 64", { "90 3C 64" } }, { "3E 64 90 3C", {} },
        { "64 F0 01", { "90 3C 64" } }, { "F7", { "F0 01 F7" } } };
    for (const auto &step : steps) {
        QCOMPARE(feed(parser.get(), QByteArray::fromHex(step.first)), step.second);
        midilib_parser_clearRunningStatus(parser.get());
    }
    // Without a complete message the event is left as it was; clearing drops the
    // rest of the chunk, the message in progress and the running status.
    auto event = std::make_unique<midilib_event>();
    std::memset(event.get(), Filler, sizeof(midilib_event));
    const QByteArray chunk = QByteArray::fromHex("40 F7 90 3C 64 90 3E 64");
    midilib_parser_setData(parser.get(), chunk.constData(), size_t(chunk.size() / 2));
    QCOMPARE(midilib_parser_parse(parser.get(), event.get()), -1);
    QCOMPARE(event->type, Filler);
    midilib_parser_setData(parser.get(), chunk.constData() + chunk.size() / 2, size_t(chunk.size() / 2));
    QCOMPARE(midilib_parser_parse(parser.get(), event.get()), 0);
    midilib_parser_clear(parser.get());
    QCOMPARE(midilib_parser_parse(parser.get(), event.get()), -1);
    QCOMPARE(feed(parser.get(), QByteArray::fromHex("40 40")), QStringList());
    // The next chunk replaces what is left of the previous one.
    midilib_parser_setData(parser.get(), chunk.constData(), size_t(chunk.size()));
    QCOMPARE(midilib_parser_parse(parser.get(), event.get()), 0);
    QCOMPARE(feed(parser.get(), QByteArray::fromHex("FA")), QStringList({ "FA" }));
}

QTEST_APPLESS_MAIN(MidilibParserTest)
#include "MidilibParserTest.moc"
