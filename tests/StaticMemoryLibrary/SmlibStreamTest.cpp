#include <QtTest>

#include <climits>
#include <cstring>

#include "smlib.h"

class SmlibStreamTest : public QObject
{
    Q_OBJECT

private slots:
    void writeStopsAtTheEnd();
    void emptyStreamTransfersNothing();
    void wholeElementsOnly();
    void constDataReads();
    void seek();
    void unsignedInc();
    void unsignedSizes();
};

void SmlibStreamTest::writeStopsAtTheEnd()
{
    uint8_t memory[4] = { 0xAA, 0xAA, 0xAA, 0xAA };
    smlib_data data;
    smlib_data_init(&data, memory, 3);
    const uint8_t bytes[3] = { 1, 2, 3 };
    QCOMPARE(smlib_data_write(&data, bytes, 1, 3), size_t(3));
    QCOMPARE(smlib_data_tell(&data), size_t(3));
    QCOMPARE(smlib_data_write(&data, bytes, 1, 1), size_t(0));
    QCOMPARE(smlib_data_tell(&data), size_t(3));
    QCOMPARE(memory[3], uint8_t(0xAA));
    QCOMPARE(smlib_data_getSize(&data), size_t(3));

    uint8_t back[3] = {};
    QCOMPARE(smlib_data_seek(&data, 1, 0), 0);
    QCOMPARE(smlib_data_read(&data, back, 1, 3), size_t(2));
    QCOMPARE(back[0], uint8_t(2));
    QCOMPARE(back[1], uint8_t(3));
}

void SmlibStreamTest::emptyStreamTransfersNothing()
{
    smlib_data data;
    smlib_data_init(&data, nullptr, 0);
    uint8_t byte = 7;
    QCOMPARE(smlib_data_write(&data, &byte, 1, 1), size_t(0));
    QCOMPARE(smlib_data_read(&data, &byte, 1, 1), size_t(0));
    QCOMPARE(smlib_data_tell(&data), size_t(0));
    QCOMPARE(smlib_data_getSize(&data), size_t(0));
    QCOMPARE(byte, uint8_t(7));
    // An empty stream has no last byte: seeking from the end stays at 0.
    QCOMPARE(smlib_data_seek(&data, 0, 2), -1);
    QCOMPARE(smlib_data_tell(&data), size_t(0));
    QCOMPARE(smlib_data_write(&data, &byte, 1, 1), size_t(0));

    smlib_constData constData;
    smlib_constData_init(&constData, nullptr, 0);
    QCOMPARE(smlib_constData_read(&constData, &byte, 1, 1), size_t(0));
    QCOMPARE(smlib_constData_seek(&constData, 0, 2), -1);
    QCOMPARE(smlib_constData_tell(&constData), size_t(0));
}

void SmlibStreamTest::wholeElementsOnly()
{
    uint8_t memory[5] = {};
    smlib_data data;
    smlib_data_init(&data, memory, sizeof(memory));
    const uint16_t values[3] = { 0x0102, 0x0304, 0x0506 };
    QCOMPARE(smlib_data_write(&data, values, 2, 0), size_t(0));
    QCOMPARE(smlib_data_tell(&data), size_t(0));
    // Two elements of two bytes fit; the third would need the sixth byte.
    QCOMPARE(smlib_data_write(&data, values, 2, 3), size_t(2));
    QCOMPARE(smlib_data_tell(&data), size_t(4));
    QCOMPARE(smlib_data_write(&data, values, 2, 1), size_t(0));
    QCOMPARE(smlib_data_write(&data, values, 1, 1), size_t(1));
    QCOMPARE(smlib_data_tell(&data), size_t(5));
    QCOMPARE(std::memcmp(memory, values, 4), 0);
}

void SmlibStreamTest::constDataReads()
{
    const uint8_t bytes[4] = { 10, 20, 30, 40 };
    smlib_constData input;
    smlib_constData_init(&input, bytes, sizeof(bytes));
    uint8_t out[4] = {};
    QCOMPARE(smlib_constData_read(&input, out, 1, 1), size_t(1));
    QCOMPARE(out[0], uint8_t(10));
    QCOMPARE(smlib_constData_read(&input, out, 2, 2), size_t(1));
    QCOMPARE(out[1], uint8_t(30));
    QCOMPARE(smlib_constData_tell(&input), size_t(3));
    QCOMPARE(smlib_constData_read(&input, out, 1, 4), size_t(1));
    QCOMPARE(out[0], uint8_t(40));
    QCOMPARE(smlib_constData_read(&input, out, 1, 1), size_t(0));
}

void SmlibStreamTest::seek()
{
    uint8_t memory[3] = {};
    smlib_data data;
    smlib_data_init(&data, memory, 3);
    QCOMPARE(smlib_data_seek(&data, 1, 0), 0);
    QCOMPARE(smlib_data_tell(&data), size_t(1));
    QCOMPARE(smlib_data_seek(&data, 0, 1), -1);
    QCOMPARE(smlib_data_tell(&data), size_t(1));
    QCOMPARE(smlib_data_seek(&data, 1, 1), 0);
    QCOMPARE(smlib_data_tell(&data), size_t(2));
    // Leaving the range keeps the base the whence chose.
    QCOMPARE(smlib_data_seek(&data, 1, 1), -1);
    QCOMPARE(smlib_data_tell(&data), size_t(2));
    QCOMPARE(smlib_data_seek(&data, 5, 0), -1);
    QCOMPARE(smlib_data_tell(&data), size_t(0));
    QCOMPARE(smlib_data_seek(&data, 0, 2), -1);
    QCOMPARE(smlib_data_tell(&data), size_t(2));
    QCOMPARE(smlib_data_seek(&data, -1, 2), 0);
    QCOMPARE(smlib_data_tell(&data), size_t(1));
    // A step down to exactly 0 is refused.
    QCOMPARE(smlib_data_seek(&data, -1, 1), -1);
    QCOMPARE(smlib_data_tell(&data), size_t(1));

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

void SmlibStreamTest::unsignedInc()
{
    QCOMPARE(smlib_unsigned_inc(5, 10, -5), size_t(5));
    QCOMPARE(smlib_unsigned_inc(6, 10, -5), size_t(1));
    QCOMPARE(smlib_unsigned_inc(8, 10, 2), size_t(8));
    QCOMPARE(smlib_unsigned_inc(7, 10, 2), size_t(9));
    QCOMPARE(smlib_unsigned_inc(7, 10, 0), size_t(7));
    QCOMPARE(smlib_unsigned_inc(0, 10, -1), size_t(0));
    QCOMPARE(smlib_unsigned_inc(3, 10, LONG_MIN), size_t(3));
    QCOMPARE(smlib_unsigned_inc(3, SIZE_MAX, LONG_MAX), size_t(3));
    // The sum may not reach 0xFFFFFFFF, whatever the limit.
    QCOMPARE(smlib_unsigned_inc(0xFFFFFFFDu, SIZE_MAX, 1), size_t(0xFFFFFFFEu));
    QCOMPARE(smlib_unsigned_inc(0xFFFFFFFEu, SIZE_MAX, 1), size_t(0xFFFFFFFEu));
    QCOMPARE(smlib_unsigned_inc(0xFFFFFFFFu, SIZE_MAX, -1), size_t(0xFFFFFFFEu));
}

void SmlibStreamTest::unsignedSizes()
{
    QCOMPARE(smlib_unsigned_usedBytes(0), 1);
    QCOMPARE(smlib_unsigned_usedBytes(255), 1);
    QCOMPARE(smlib_unsigned_usedBytes(256), 2);
    QCOMPARE(smlib_unsigned_usedBytes(65535), 2);
    QCOMPARE(smlib_unsigned_usedBytes(65536), 3);
    QCOMPARE(smlib_unsigned_usedBytes(0xFFFFFFFFull), 4);
    QCOMPARE(smlib_unsigned_usedBytes(0x100000000ull), 5);
    QCOMPARE(smlib_unsigned_usedBytes(ULLONG_MAX), 8);
    QCOMPARE(smlib_unsigned_decDigitSize(0), 1);
    QCOMPARE(smlib_unsigned_decDigitSize(9), 1);
    QCOMPARE(smlib_unsigned_decDigitSize(10), 2);
    QCOMPARE(smlib_unsigned_decDigitSize(999), 3);
    QCOMPARE(smlib_unsigned_decDigitSize(1000), 4);
    QCOMPARE(smlib_unsigned_decDigitSize(ULLONG_MAX), 20);
}

QTEST_APPLESS_MAIN(SmlibStreamTest)
#include "SmlibStreamTest.moc"
