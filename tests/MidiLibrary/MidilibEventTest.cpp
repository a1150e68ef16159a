#include <QtTest>

#include <cstring>
#include <memory>

#include "MidiBytes.h"
#include "midilib.h"

namespace {

int toEvent(const QByteArray &bytes, midilib_event *event)
{
    return midilib_dataToEvent(bytes.constData(), static_cast<size_t>(bytes.size()), event);
}

} // namespace

class MidilibEventTest : public QObject
{
    Q_OBJECT

private slots:
    void typesChannelsAndFields();
    void systemExclusiveLimits();
    void rejectedBytesLeaveTheRecord();
    void everyMessageRoundTrips();

private:
    std::unique_ptr<midilib_event> m_pEvent = std::make_unique<midilib_event>();
};

void MidilibEventTest::typesChannelsAndFields()
{
    midilib_event &event = *m_pEvent;
    const struct { QByteArray bytes; int type; int channel; } messages[] = {
        { midiBytes({ 0x8F, 0x01, 0x02 }), MIDILIB_Event_Type_NoteOff, 15 },
        { midiBytes({ 0x90, 0x3C, 0x00 }), MIDILIB_Event_Type_NoteOn, 0 },
        { midiBytes({ 0xA1, 0x10, 0x20 }), MIDILIB_Event_Type_PolyKeyPressure, 1 },
        { midiBytes({ 0xB2, 0x07, 0x64 }), MIDILIB_Event_Type_ControlChange, 2 },
        { midiBytes({ 0xC3, 0x10 }), MIDILIB_Event_Type_ProgramChange, 3 },
        { midiBytes({ 0xD3, 0x7F }), MIDILIB_Event_Type_ChannelKeyPressure, 3 },
        { midiBytes({ 0xE5, 0x00, 0x40 }), MIDILIB_Event_Type_PitchBend, 5 },
        { midiBytes({ 0xF1, 0x35 }), MIDILIB_Event_Type_Mtc, 255 },
        { midiBytes({ 0xF2, 0x05, 0x01 }), MIDILIB_Event_Type_SongPositionPointer, 255 },
        { midiBytes({ 0xF3, 0x11 }), MIDILIB_Event_Type_SongSelect, 255 },
        { midiBytes({ 0xF6 }), MIDILIB_Event_Type_TuneRequest, 255 },
        { midiBytes({ 0xF8 }), MIDILIB_Event_Type_TimingClock, 255 },
        { midiBytes({ 0xFA }), MIDILIB_Event_Type_Start, 255 },
        { midiBytes({ 0xFB }), MIDILIB_Event_Type_Continue, 255 },
        { midiBytes({ 0xFC }), MIDILIB_Event_Type_Stop, 255 },
        { midiBytes({ 0xFE }), MIDILIB_Event_Type_ActiveSensing, 255 },
        { midiBytes({ 0xFF }), MIDILIB_Event_Type_SystemReset, 255 },
    };
    for (const auto &message : messages) {
        QCOMPARE(toEvent(message.bytes, &event), 0);
        QCOMPARE(int(event.type), message.type);
        QCOMPARE(int(event.channel), message.channel);
        // One byte more or less is no message of that type.
        QCOMPARE(toEvent(message.bytes + '\0', &event), -1);
        QCOMPARE(toEvent(message.bytes.chopped(1), &event), -1);
    }

    // Fields that the filter and the views read, 14-bit values least significant byte first.
    toEvent(midiBytes({ 0x90, 0x3C, 0x01 }), &event);
    QCOMPARE(event.noteOn.noteNumber, uint8_t(60));
    QCOMPARE(event.noteOn.velocity, uint8_t(1));
    toEvent(midiBytes({ 0xB2, 0x07, 0x64 }), &event);
    QCOMPARE(event.controlChange.controllerNumber, uint8_t(7));
    QCOMPARE(event.controlChange.value, uint8_t(100));
    toEvent(midiBytes({ 0xE5, 0x00, 0x40 }), &event);
    QCOMPARE(event.pitchBend.value, uint16_t(8192));
    event.pitchBend.value = 129;
    QCOMPARE(eventToBytes(event), midiBytes({ 0xE5, 0x01, 0x01 }));
    toEvent(midiBytes({ 0xF2, 0x05, 0x01 }), &event);
    QCOMPARE(event.songPositionPointer.value, uint16_t(133));
}

void MidilibEventTest::systemExclusiveLimits()
{
    midilib_event &event = *m_pEvent;
    QCOMPARE(toEvent(midiBytes({ 0xF0 }), &event), 0);
    QCOMPARE(int(event.type), int(MIDILIB_Event_Type_SystemExclusive));
    QCOMPARE(event.channel, uint8_t(255));
    QCOMPARE(event.systemExclusive.size, size_t(1));
    QCOMPARE(eventToBytes(event), midiBytes({ 0xF0 }));

    QByteArray longest(4096, '\x55');
    longest[0] = '\xF0';
    longest[4095] = '\xF7';
    QCOMPARE(toEvent(longest, &event), 0);
    QCOMPARE(event.systemExclusive.size, size_t(4096));
    QCOMPARE(eventToBytes(event), longest);
    QCOMPARE(toEvent(longest + QByteArray(1, '\xF7'), &event), -1);
}

void MidilibEventTest::rejectedBytesLeaveTheRecord()
{
    midilib_event &event = *m_pEvent;
    std::memset(&event, 0xA5, sizeof(event));
    auto before = std::make_unique<midilib_event>();
    std::memcpy(before.get(), &event, sizeof(event));
    for (const QByteArray &bytes : { midiBytes({ 0x90, 0x3C }), midiBytes({ 0xF7 }), midiBytes({ 0xF4 }),
                                     midiBytes({ 0xF5 }), midiBytes({ 0xF9 }), midiBytes({ 0xFD }),
                                     midiBytes({ 0x3C, 0x90, 0x3C }), QByteArray(), QByteArray(4097, '\xF0') }) {
        QCOMPARE(toEvent(bytes, &event), -1);
        QCOMPARE(std::memcmp(&event, before.get(), sizeof(event)), 0);
    }
    QCOMPARE(midilib_dataToEvent(nullptr, 0, &event), -1);
}

void MidilibEventTest::everyMessageRoundTrips()
{
    // Every status byte with every pair of edge data values: what converts
    // comes back as the same bytes.
    midilib_event &event = *m_pEvent;
    const int dataValues[] = { 0x00, 0x01, 0x40, 0x7F };
    int accepted = 0;
    for (int status = 0x80; status <= 0xFF; ++status) {
        for (int first : dataValues) {
            for (int second : dataValues) {
                const QByteArray candidates[3] = { midiBytes({ status }), midiBytes({ status, first }),
                                                   midiBytes({ status, first, second }) };
                for (const QByteArray &bytes : candidates) {
                    if (toEvent(bytes, &event) == 0) {
                        ++accepted;
                        QCOMPARE(size_t(bytes.size()), status == 0xF0 ? size_t(bytes.size())
                                                                      : midilib_status_messageSize(uint8_t(status)));
                        QCOMPARE(messagesText({ eventToBytes(event) }), messagesText({ bytes }));
                    }
                }
            }
        }
    }
    // 112 channel statuses, System Exclusive in three lengths, 4 system
    // common and 6 real-time, over 16 data pairs.
    QCOMPARE(accepted, (112 + 3 + 4 + 6) * 16);
}

QTEST_APPLESS_MAIN(MidilibEventTest)
#include "MidilibEventTest.moc"
