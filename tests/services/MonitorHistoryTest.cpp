// A monitor history bounded by bytes as well as lines: the oldest lines go
// once the budget is passed, waiting ones first while paused, and every line
// that goes is counted.

#include "services/MonitorHistory.h"

#include <QTest>

namespace {

const int DumpSize = 100000;
const int LineLimit = 1000;
const char* const DroppedFormat = "-- %1 dropped --";

// A System Exclusive dump whose second byte tells it from the others.
MonitorEntry dump(int number, int size = DumpSize)
{
    QByteArray bytes(size, char(0x11));
    bytes[0] = char(0xF0);
    bytes[1] = char(number);
    bytes[size - 1] = char(0xF7);
    MonitorEntry entry;
    entry.record = MidiRecord{0, MidiRecord::Kind::Message, 0, bytes};
    return entry;
}

// The dumps' numbers, a note as 0.
QList<int> numbers(const std::deque<MonitorEntry>& entries)
{
    QList<int> result;
    for (const MonitorEntry& entry : entries)
        result.append(entry.note.isEmpty() ? int(entry.record.bytes.at(1)) : 0);
    return result;
}

} // namespace

class MonitorHistoryTest : public QObject
{
    Q_OBJECT

private slots:
    void oldestLinesGoBeyondTheBudget_data();
    void oldestLinesGoBeyondTheBudget();
    void linesCountTheirBytesAndText();
};

void MonitorHistoryTest::oldestLinesGoBeyondTheBudget_data()
{
    QTest::addColumn<int>("shownDumps");
    QTest::addColumn<int>("waitingDumps");
    // The budget in dumps, with room for a note besides.
    QTest::addColumn<int>("budgetDumps");
    QTest::addColumn<QList<int>>("kept");
    QTest::addColumn<int>("overBudget");
    QTest::newRow("within the budget") << 3 << 0 << 3 << QList<int>{1, 2, 3} << 0;
    QTest::newRow("oldest shown lines go") << 5 << 0 << 3 << QList<int>{3, 4, 5} << 2;
    QTest::newRow("one line beyond the budget stays") << 2 << 0 << 0 << QList<int>{2} << 1;
    // The lines in sight stay; the waiting ones that went are counted in
    // the note before those that come into sight.
    QTest::newRow("paused: oldest waiting lines go") << 2 << 5 << 4 << QList<int>{1, 2, 0, 6, 7} << 0;
    QTest::newRow("paused: all fit") << 2 << 2 << 4 << QList<int>{1, 2, 3, 4} << 0;
}

void MonitorHistoryTest::oldestLinesGoBeyondTheBudget()
{
    QFETCH(int, shownDumps);
    QFETCH(int, waitingDumps);
    QFETCH(int, budgetDumps);
    QFETCH(QList<int>, kept);
    QFETCH(int, overBudget);
    const qint64 dumpBytes = MonitorHistory::entryBytes(dump(1));
    MonitorHistory history(LineLimit);
    history.setByteBudget(budgetDumps * dumpBytes + dumpBytes / 2);
    int number = 0;
    for (int index = 0; index < shownDumps; ++index)
        QVERIFY(history.append(dump(++number)));
    history.pause();
    for (int index = 0; index < waitingDumps; ++index)
        QVERIFY(!history.append(dump(++number)));
    QVERIFY(history.bytes() <= history.byteBudget() || history.shown().size() + history.waitingCount() == 1);
    const QVector<MonitorEntry> added = history.resume(QLatin1String(DroppedFormat));
    QCOMPARE(numbers(history.shown()), kept);
    QCOMPARE(int(history.overBudgetCount()), overBudget);
    const int dropped = waitingDumps - (int(added.size()) - (kept.contains(0) ? 1 : 0));
    if (dropped > 0)
        QCOMPARE(added.first().note, QString::fromLatin1(DroppedFormat).arg(dropped));

    // The whole history counts: what it holds after a clear is nothing.
    history.clear();
    QCOMPARE(history.bytes(), qint64(0));
    QCOMPARE(history.overBudgetCount(), quint64(0));
}

void MonitorHistoryTest::linesCountTheirBytesAndText()
{
    // A dump too long to show whole counts its bytes, not a hex line of them.
    const qint64 megabyteDump = MonitorHistory::entryBytes(dump(1, 1 << 20));
    QVERIFY(megabyteDump >= 1 << 20 && megabyteDump < (1 << 20) + 4096);
    // A message shown whole counts its text too: three characters a byte,
    // two bytes a character.
    QVERIFY(MonitorHistory::entryBytes(dump(1, 4096)) > 7 * 4096);

    // Lowering the budget lets the oldest lines go at once.
    MonitorHistory history(LineLimit);
    for (int number = 1; number <= 4; ++number)
        history.append(dump(number));
    history.setByteBudget(2 * MonitorHistory::entryBytes(dump(1)));
    QCOMPARE(numbers(history.shown()), QList<int>({3, 4}));
    QCOMPARE(history.overBudgetCount(), quint64(2));
}

QTEST_GUILESS_MAIN(MonitorHistoryTest)
#include "MonitorHistoryTest.moc"
