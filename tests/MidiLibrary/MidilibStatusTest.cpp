#include <QtTest>

#include <cstring>

#include "midilib.h"

class MidilibStatusTest : public QObject
{
    Q_OBJECT

private slots:
    void everyByteIsClassified();
    void uint14Values();
    void dataBufferHoldsOneLargestMessage();
};

void MidilibStatusTest::everyByteIsClassified()
{
    const size_t channelSizes[7] = { 3, 3, 3, 3, 2, 2, 3 };
    const size_t systemSizes[16] = { 4096, 2, 3, 2, 0, 0, 1, 0, 1, 0, 1, 1, 1, 0, 1, 1 };
    for (int byte = 0; byte <= 0xFF; ++byte) {
        const uint8_t status = uint8_t(byte);
        const bool channel = byte >= 0x80 && byte < 0xF0;
        const size_t size = byte < 0x80 ? 0 : channel ? channelSizes[(byte >> 4) - 8] : systemSizes[byte & 0x0F];
        QCOMPARE(midilib_status_messageSize(status), size);
        QCOMPARE(midilib_status_check(status), size != 0);
        QCOMPARE(midilib_status_isChannelMessage(status), channel);
        QCOMPARE(midilib_status_plain(status), uint8_t(channel ? byte & 0xF0 : byte));
        QCOMPARE(midilib_status_getChannelNumber(status), uint8_t(channel ? byte & 0x0F : 255));
        uint8_t changed = status;
        QCOMPARE(midilib_status_setChannelNumber(&changed, 5), uint8_t(channel ? (byte & 0xF0) | 5 : byte));
        QCOMPARE(changed, uint8_t(channel ? (byte & 0xF0) | 5 : byte));
    }
}

void MidilibStatusTest::uint14Values()
{
    QCOMPARE(midilib_uint14_make(0x00, 0x40), uint16_t(8192));
    for (int value = 0; value <= 16383; ++value) {
        const int first = midilib_uint14_msb(uint16_t(value));
        const int second = midilib_uint14_lsb(uint16_t(value));
        QVERIFY(first <= 0x7F && second <= 0x7F);
        QCOMPARE(int(midilib_uint14_make(uint8_t(first), uint8_t(second))), value);
    }
}

void MidilibStatusTest::dataBufferHoldsOneLargestMessage()
{
    midilib_data data;
    const uint8_t bytes[3] = { 0x90, 0x3C, 0x64 };
    midilib_data_init(&data, bytes, 1, 3);
    const uint8_t more = 0x01;
    QCOMPARE(midilib_data_write(&data, &more, 1, 1), size_t(1));
    QCOMPARE(midilib_data_getSize(&data), size_t(4));
    QCOMPARE(std::memcmp(midilib_data_getMemory(&data), bytes, 3), 0);
    QCOMPARE(midilib_data_getMemory(&data)[3], more);

    midilib_data_init(&data, nullptr, 0, 0);
    QCOMPARE(midilib_data_getSize(&data), size_t(0));
    static uint8_t big[4097];
    QCOMPARE(midilib_data_write(&data, big, 1, sizeof(big)), size_t(4096));
    QCOMPARE(midilib_data_write(&data, big, 1, 1), size_t(0));
    QCOMPARE(midilib_data_getSize(&data), size_t(4096));
}

QTEST_APPLESS_MAIN(MidilibStatusTest)
#include "MidilibStatusTest.moc"
