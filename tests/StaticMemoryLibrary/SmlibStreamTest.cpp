#include <QtTest>

#include <climits>
#include <cstring>

#include "smlib.h"

class SmlibStreamTest : public QObject
{
    Q_OBJECT

private slots:
    void transfersWholeElementsOnly();
    void emptyStreamTransfersNothing();
    void seek();
    void unsignedArithmetic();
};

void SmlibStreamTest::transfersWholeElementsOnly()
{
    uint8_t memory[6] = { 0, 0, 0, 0, 0, 0xAA };
    smlib_data data;
    smlib_data_init(&data, memory, 5);
    const uint16_t values[3] = { 0x0102, 0x0304, 0x0506 };
    QCOMPARE(smlib_data_write(&data, values, 2, 0), size_t(0));
    // Two elements of two bytes fit; the third would need the sixth byte.
    QCOMPARE(smlib_data_write(&data, values, 2, 3), size_t(2));
    QCOMPARE(smlib_data_write(&data, values, 2, 1), size_t(0));
    QCOMPARE(smlib_data_write(&data, values, 1, 1), size_t(1));
    // At the end nothing more goes in, and the byte beyond stays untouched.
    QCOMPARE(smlib_data_write(&data, values, 1, 1), size_t(0));
    QCOMPARE(smlib_data_tell(&data), size_t(5));
    QCOMPARE(memory[5], uint8_t(0xAA));
    QCOMPARE(std::memcmp(memory, values, 4), 0);

    uint8_t back[3] = {};
    QCOMPARE(smlib_data_seek(&data, 3, 0), 0);
    QCOMPARE(smlib_data_read(&data, back, 1, 3), size_t(2));
    QCOMPARE(std::memcmp(back, memory + 3, 2), 0);

    const uint8_t bytes[4] = { 10, 20, 30, 40 };
    smlib_constData input;
    smlib_constData_init(&input, bytes, sizeof(bytes));
    uint8_t out[4] = {};
    QCOMPARE(smlib_constData_read(&input, out, 1, 1), size_t(1));
    QCOMPARE(smlib_constData_read(&input, out + 1, 2, 2), size_t(1));
    QCOMPARE(smlib_constData_read(&input, out + 3, 1, 4), size_t(1));
    QCOMPARE(smlib_constData_read(&input, out, 1, 1), size_t(0));
    QCOMPARE(std::memcmp(out, bytes, 4), 0);
}

void SmlibStreamTest::emptyStreamTransfersNothing()
{
    smlib_data data;
    smlib_data_init(&data, nullptr, 0);
    uint8_t byte = 7;
    QCOMPARE(smlib_data_write(&data, &byte, 1, 1), size_t(0));
    QCOMPARE(smlib_data_read(&data, &byte, 1, 1), size_t(0));
    QCOMPARE(byte, uint8_t(7));
    // An empty stream has no last byte: seeking from the end stays at 0.
    QCOMPARE(smlib_data_seek(&data, 0, 2), -1);
    QCOMPARE(smlib_data_tell(&data), size_t(0));

    smlib_constData constData;
    smlib_constData_init(&constData, nullptr, 0);
    QCOMPARE(smlib_constData_read(&constData, &byte, 1, 1), size_t(0));
    QCOMPARE(smlib_constData_seek(&constData, 0, 2), -1);
    QCOMPARE(smlib_constData_tell(&constData), size_t(0));
}

void SmlibStreamTest::seek()
{
    uint8_t memory[3] = {};
    smlib_data data;
    smlib_data_init(&data, memory, 3);
    // Leaving the range keeps the base the whence chose; a step down to
    // exactly 0 is refused.
    const struct { long offset; int whence, result; size_t position; } steps[] = {
        { 1, 0, 0, 1 }, { 0, 1, -1, 1 }, { 1, 1, 0, 2 }, { 1, 1, -1, 2 },
        { 5, 0, -1, 0 }, { 0, 2, -1, 2 }, { -1, 2, 0, 1 }, { -1, 1, -1, 1 } };
    for (const auto &step : steps) {
        QCOMPARE(smlib_data_seek(&data, step.offset, step.whence), step.result);
        QCOMPARE(smlib_data_tell(&data), step.position);
    }
    smlib_data_init(&data, memory, 1);
    QCOMPARE(smlib_data_seek(&data, 1, 0), -1);
    QCOMPARE(smlib_data_tell(&data), size_t(0));

    const uint8_t bytes[3] = { 1, 2, 3 };
    smlib_constData input;
    smlib_constData_init(&input, bytes, 3);
    QCOMPARE(smlib_constData_seek(&input, 2, 0), 0);
    uint8_t byte = 0;
    QCOMPARE(smlib_constData_read(&input, &byte, 1, 1), size_t(1));
    QCOMPARE(byte, uint8_t(3));
}

void SmlibStreamTest::unsignedArithmetic()
{
    // The sum may not reach 0xFFFFFFFF, whatever the limit.
    const struct { size_t value, limit; long delta; size_t result; } steps[] = {
        { 5, 10, -5, 5 }, { 6, 10, -5, 1 }, { 8, 10, 2, 8 }, { 7, 10, 2, 9 }, { 7, 10, 0, 7 },
        { 3, 10, LONG_MIN, 3 }, { 3, SIZE_MAX, LONG_MAX, 3 }, { 0xFFFFFFFDu, SIZE_MAX, 1, 0xFFFFFFFEu },
        { 0xFFFFFFFEu, SIZE_MAX, 1, 0xFFFFFFFEu }, { 0xFFFFFFFFu, SIZE_MAX, -1, 0xFFFFFFFEu } };
    for (const auto &step : steps) {
        QCOMPARE(smlib_unsigned_inc(step.value, step.limit, step.delta), step.result);
    }

    const QList<QPair<unsigned long long, int>> usedBytes = { { 255, 1 }, { 256, 2 }, { 65536, 3 },
        { 0xFFFFFFFFull, 4 }, { 0x100000000ull, 5 }, { ULLONG_MAX, 8 } };
    for (const auto &pair : usedBytes) {
        QCOMPARE(smlib_unsigned_usedBytes(pair.first), pair.second);
    }
    const QList<QPair<unsigned long long, int>> digits = { { 0, 1 }, { 9, 1 }, { 10, 2 }, { 999, 3 }, { ULLONG_MAX, 20 } };
    for (const auto &pair : digits) {
        QCOMPARE(smlib_unsigned_decDigitSize(pair.first), pair.second);
    }
}

QTEST_APPLESS_MAIN(SmlibStreamTest)
#include "SmlibStreamTest.moc"
