#include <QtTest>

#include <cstring>

#include "midilib.h"

class MidilibStatusTest : public QObject
{
    Q_OBJECT

private slots:
    void messageSizes();
    void statusClassification();
    void channelNumbers();
    void uint14Values();
    void dataBuffer();
};

void MidilibStatusTest::messageSizes()
{
    for (int byte = 0; byte < 0x80; ++byte) {
        QCOMPARE(midilib_status_messageSize(uint8_t(byte)), size_t(0));
    }
    const size_t channelSizes[7] = { 3, 3, 3, 3, 2, 2, 3 };
    for (int byte = 0x80; byte < 0xF0; ++byte) {
        QCOMPARE(midilib_status_messageSize(uint8_t(byte)), channelSizes[(byte >> 4) - 8]);
    }
    const size_t systemSizes[16] = { 4096, 2, 3, 2, 0, 0, 1, 0, 1, 0, 1, 1, 1, 0, 1, 1 };
    for (int byte = 0xF0; byte <= 0xFF; ++byte) {
        QCOMPARE(midilib_status_messageSize(uint8_t(byte)), systemSizes[byte & 0x0F]);
    }
}

void MidilibStatusTest::statusClassification()
{
    QVERIFY(!midilib_status_check(0xF7));
    QVERIFY(midilib_status_check(0xF8));
    QVERIFY(!midilib_status_check(0x7F));
    QVERIFY(!midilib_status_check(0xFD));
    QVERIFY(midilib_status_check(0x80));
    QCOMPARE(midilib_status_plain(0x93), uint8_t(0x90));
    QCOMPARE(midilib_status_plain(0xEF), uint8_t(0xE0));
    QCOMPARE(midilib_status_plain(0xF3), uint8_t(0xF3));
    QCOMPARE(midilib_status_plain(0x45), uint8_t(0x45));
    QVERIFY(midilib_status_isChannelMessage(0x80));
    QVERIFY(midilib_status_isChannelMessage(0xEF));
    QVERIFY(!midilib_status_isChannelMessage(0xF0));
    QVERIFY(!midilib_status_isChannelMessage(0x7F));
}

void MidilibStatusTest::channelNumbers()
{
    QCOMPARE(midilib_status_getChannelNumber(0xF8), uint8_t(255));
    QCOMPARE(midilib_status_getChannelNumber(0xB3), uint8_t(3));
    QCOMPARE(midilib_status_getChannelNumber(0x3B), uint8_t(255));
    uint8_t status = 0xF0;
    QCOMPARE(midilib_status_setChannelNumber(&status, 5), uint8_t(0xF0));
    QCOMPARE(status, uint8_t(0xF0));
    status = 0x91;
    QCOMPARE(midilib_status_setChannelNumber(&status, 5), uint8_t(0x95));
    QCOMPARE(status, uint8_t(0x95));
    status = 0x40;
    QCOMPARE(midilib_status_setChannelNumber(&status, 15), uint8_t(0x40));
}

void MidilibStatusTest::uint14Values()
{
    QCOMPARE(midilib_uint14_make(0x00, 0x40), uint16_t(8192));
    QCOMPARE(midilib_uint14_msb(8192), 0);
    QCOMPARE(midilib_uint14_lsb(8192), 0x40);
    QCOMPARE(midilib_uint14_make(0x05, 0x01), uint16_t(133));
    for (int value = 0; value <= 16383; ++value) {
        const int first = midilib_uint14_msb(uint16_t(value));
        const int second = midilib_uint14_lsb(uint16_t(value));
        QVERIFY(first <= 0x7F && second <= 0x7F);
        QCOMPARE(int(midilib_uint14_make(uint8_t(first), uint8_t(second))), value);
    }
}

void MidilibStatusTest::dataBuffer()
{
    midilib_data data;
    const uint8_t bytes[3] = { 0x90, 0x3C, 0x64 };
    midilib_data_init(&data, bytes, 1, 3);
    QCOMPARE(midilib_data_getSize(&data), size_t(3));
    const uint8_t more = 0x01;
    QCOMPARE(midilib_data_write(&data, &more, 1, 1), size_t(1));
    QCOMPARE(midilib_data_getSize(&data), size_t(4));
    QCOMPARE(std::memcmp(midilib_data_getMemory(&data), bytes, 3), 0);
    QCOMPARE(midilib_data_getMemory(&data)[3], more);

    midilib_data_init(&data, nullptr, 0, 0);
    QCOMPARE(midilib_data_getSize(&data), size_t(0));
    static uint8_t big[4097];
    std::memset(big, 0x11, sizeof(big));
    QCOMPARE(midilib_data_write(&data, big, 1, sizeof(big)), size_t(4096));
    QCOMPARE(midilib_data_getSize(&data), size_t(4096));
    QCOMPARE(midilib_data_write(&data, big, 1, 1), size_t(0));
    midilib_data_init(&data, big, 1, 4096);
    QCOMPARE(midilib_data_getSize(&data), size_t(4096));
}

QTEST_APPLESS_MAIN(MidilibStatusTest)
#include "MidilibStatusTest.moc"
