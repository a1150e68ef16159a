#include <QtTest>

#include <cstring>

#include "smlib.h"

namespace {

constexpr size_t Capacity = 5;
constexpr int SeekSet = 0;
constexpr int SeekCurrent = 1;
constexpr int SeekEnd = 2;

} // namespace

class SmlibTest : public QObject
{
    Q_OBJECT

private slots:
    void streamsTransferWholeElementsOnly();
    void seekStaysInside();
    void unsignedHelpersStopAtTheirLimits();
};

void SmlibTest::streamsTransferWholeElementsOnly()
{
    uint8_t memory[Capacity + 1] = { 0, 0, 0, 0, 0, 0xAA };
    smlib_data data;
    smlib_data_init(&data, memory, Capacity);
    const uint16_t values[3] = { 0x0102, 0x0304, 0x0506 };
    // Two elements of two bytes fit; the third would need the byte beyond.
    const QVector<size_t> written = { smlib_data_write(&data, values, 2, 0), smlib_data_write(&data, values, 2, 3),
        smlib_data_write(&data, values, 2, 1), smlib_data_write(&data, values, 1, 1),
        smlib_data_write(&data, values, 1, 1) };
    QCOMPARE(written, QVector<size_t>({ 0, 2, 0, 1, 0 }));
    QCOMPARE(smlib_data_tell(&data), Capacity);
    QCOMPARE(memory[Capacity], uint8_t(0xAA));
    QCOMPARE(std::memcmp(memory, values, 4), 0);
    uint8_t back[3] = {};
    QCOMPARE(smlib_data_seek(&data, 3, SeekSet), 0);
    QCOMPARE(smlib_data_read(&data, back, 1, 3), size_t(2));
    QCOMPARE(std::memcmp(back, memory + 3, 2), 0);

    const uint8_t bytes[4] = { 10, 20, 30, 40 };
    smlib_constData input;
    smlib_constData_init(&input, bytes, sizeof(bytes));
    uint8_t out[4] = {};
    const QVector<size_t> read = { smlib_constData_read(&input, out, 1, 1), smlib_constData_read(&input, out + 1, 2, 2),
        smlib_constData_read(&input, out + 3, 1, 4), smlib_constData_read(&input, out, 1, 1) };
    QCOMPARE(read, QVector<size_t>({ 1, 1, 1, 0 }));
    QCOMPARE(std::memcmp(out, bytes, 4), 0);

    // An empty stream has no last byte to seek to.
    smlib_constData_init(&input, nullptr, 0);
    QCOMPARE(smlib_constData_read(&input, out, 1, 1), size_t(0));
    QCOMPARE(smlib_constData_seek(&input, 0, SeekEnd), -1);
    smlib_data_init(&data, nullptr, 0);
    QCOMPARE(smlib_data_write(&data, out, 1, 1), size_t(0));
    QCOMPARE(smlib_data_seek(&data, 0, SeekEnd), -1);
}

void SmlibTest::seekStaysInside()
{
    uint8_t memory[3] = {};
    smlib_data data;
    smlib_data_init(&data, memory, 3);
    // A refused seek keeps the position; a step down to exactly 0 is refused.
    const struct { long offset; int whence, result; size_t position; } steps[] = {
        { 1, SeekSet, 0, 1 }, { 0, SeekCurrent, -1, 1 }, { 1, SeekCurrent, 0, 2 }, { 1, SeekCurrent, -1, 2 },
        { 5, SeekSet, -1, 0 }, { 0, SeekEnd, -1, 2 }, { -1, SeekEnd, 0, 1 }, { -1, SeekCurrent, -1, 1 } };
    for (const auto &step : steps) {
        QCOMPARE(smlib_data_seek(&data, step.offset, step.whence), step.result);
        QCOMPARE(smlib_data_tell(&data), step.position);
    }
    const uint8_t bytes[3] = { 1, 2, 3 };
    smlib_constData input;
    smlib_constData_init(&input, bytes, 3);
    QCOMPARE(smlib_constData_seek(&input, 2, SeekSet), 0);
    QCOMPARE(smlib_constData_tell(&input), size_t(2));
}

QTEST_APPLESS_MAIN(SmlibTest)
void SmlibTest::unsignedHelpersStopAtTheirLimits()
{
    QCOMPARE(smlib_unsigned_inc(SMLIB_UNSIGNED_CEILING, SIZE_MAX, 1), size_t(SMLIB_UNSIGNED_CEILING));
    QCOMPARE(smlib_unsigned_inc(SMLIB_UNSIGNED_CEILING - 2, SIZE_MAX, 1), size_t(SMLIB_UNSIGNED_CEILING - 1));
    QCOMPARE(QList<int>({ smlib_unsigned_usedBytes(0), smlib_unsigned_usedBytes(0x100), smlib_unsigned_usedBytes(~0ull) }), QList<int>({ 1, 2, 8 }));
}

#include "SmlibTest.moc"
