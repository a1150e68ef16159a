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
    void channelMessages();
    void fourteenBitValues();
    void systemMessages();
    void systemExclusiveLimits();
    void rejectedBytesLeaveTheRecord();
    void everyMessageRoundTrips();

private:
    std::unique_ptr<midilib_event> m_pEvent = std::make_unique<midilib_event>();
};

void MidilibEventTest::channelMessages()
{
    midilib_event &event = *m_pEvent;
    QCOMPARE(toEvent(midiBytes({ 0x90, 0x3C, 0x00 }), &event), 0);
    QCOMPARE(event.type, uint8_t(MIDILIB_Event_Type_NoteOn));
    QCOMPARE(event.channel, uint8_t(0));
    QCOMPARE(event.noteOn.noteNumber, uint8_t(60));
    QCOMPARE(event.noteOn.velocity, uint8_t(0));
    QCOMPARE(eventToBytes(event), midiBytes({ 0x90, 0x3C, 0x00 }));

    QCOMPARE(toEvent(midiBytes({ 0x8F, 0x01, 0x02 }), &event), 0);
    QCOMPARE(event.type, uint8_t(MIDILIB_Event_Type_NoteOff));
    QCOMPARE(event.channel, uint8_t(15));
    QCOMPARE(toEvent(midiBytes({ 0xA1, 0x10, 0x20 }), &event), 0);
    QCOMPARE(event.type, uint8_t(MIDILIB_Event_Type_PolyKeyPressure));
    QCOMPARE(event.polyKeyPressure.pressure, uint8_t(0x20));
    QCOMPARE(toEvent(midiBytes({ 0xB2, 0x07, 0x64 }), &event), 0);
    QCOMPARE(event.type, uint8_t(MIDILIB_Event_Type_ControlChange));
    QCOMPARE(event.controlChange.controllerNumber, uint8_t(7));
    QCOMPARE(event.controlChange.value, uint8_t(100));
    QCOMPARE(toEvent(midiBytes({ 0xC3, 0x10 }), &event), 0);
    QCOMPARE(event.type, uint8_t(MIDILIB_Event_Type_ProgramChange));
    QCOMPARE(event.programChange.number, uint8_t(0x10));
    QCOMPARE(toEvent(midiBytes({ 0xD3, 0x7F }), &event), 0);
    QCOMPARE(event.type, uint8_t(MIDILIB_Event_Type_ChannelKeyPressure));
    QCOMPARE(event.channelKeyPressure.pressure, uint8_t(127));
    QCOMPARE(event.channel, uint8_t(3));

    QCOMPARE(toEvent(midiBytes({ 0xC3, 0x10, 0x00 }), &event), -1);
    QCOMPARE(toEvent(midiBytes({ 0xC3 }), &event), -1);
    QCOMPARE(toEvent(midiBytes({ 0xD3 }), &event), -1);
    QCOMPARE(toEvent(midiBytes({ 0xD3, 0x7F, 0x00 }), &event), -1);
    QCOMPARE(toEvent(midiBytes({ 0x90, 0x3C }), &event), -1);
    QCOMPARE(toEvent(midiBytes({ 0xE0, 0x00, 0x00, 0x00 }), &event), -1);
}

void MidilibEventTest::fourteenBitValues()
{
    midilib_event &event = *m_pEvent;
    QCOMPARE(toEvent(midiBytes({ 0xE5, 0x00, 0x40 }), &event), 0);
    QCOMPARE(event.type, uint8_t(MIDILIB_Event_Type_PitchBend));
    QCOMPARE(event.channel, uint8_t(5));
    QCOMPARE(event.pitchBend.value, uint16_t(8192));
    event.pitchBend.value = 0;
    QCOMPARE(eventToBytes(event), midiBytes({ 0xE5, 0x00, 0x00 }));
    event.pitchBend.value = 16383;
    QCOMPARE(eventToBytes(event), midiBytes({ 0xE5, 0x7F, 0x7F }));
    event.pitchBend.value = 129;
    QCOMPARE(eventToBytes(event), midiBytes({ 0xE5, 0x01, 0x01 }));

    QCOMPARE(toEvent(midiBytes({ 0xF2, 0x05, 0x01 }), &event), 0);
    QCOMPARE(event.type, uint8_t(MIDILIB_Event_Type_SongPositionPointer));
    QCOMPARE(event.songPositionPointer.value, uint16_t(133));
    QCOMPARE(eventToBytes(event), midiBytes({ 0xF2, 0x05, 0x01 }));
}

void MidilibEventTest::systemMessages()
{
    midilib_event &event = *m_pEvent;
    QCOMPARE(toEvent(midiBytes({ 0xF1, 0x35 }), &event), 0);
    QCOMPARE(event.type, uint8_t(MIDILIB_Event_Type_Mtc));
    QCOMPARE(event.mtc.data, uint8_t(0x35));
    QCOMPARE(event.channel, uint8_t(255));
    QCOMPARE(toEvent(midiBytes({ 0xF3, 0x11 }), &event), 0);
    QCOMPARE(event.type, uint8_t(MIDILIB_Event_Type_SongSelect));
    QCOMPARE(event.songSelect.number, uint8_t(0x11));

    const struct {
        int status;
        int type;
    } singleBytes[] = {
        { 0xF6, MIDILIB_Event_Type_TuneRequest }, { 0xF8, MIDILIB_Event_Type_TimingClock },
        { 0xFA, MIDILIB_Event_Type_Start }, { 0xFB, MIDILIB_Event_Type_Continue },
        { 0xFC, MIDILIB_Event_Type_Stop }, { 0xFE, MIDILIB_Event_Type_ActiveSensing },
        { 0xFF, MIDILIB_Event_Type_SystemReset },
    };
    for (const auto &single : singleBytes) {
        const QByteArray bytes = midiBytes({ single.status });
        QCOMPARE(toEvent(bytes, &event), 0);
        QCOMPARE(int(event.type), single.type);
        QCOMPARE(event.channel, uint8_t(255));
        QCOMPARE(eventToBytes(event), bytes);
        QCOMPARE(toEvent(midiBytes({ single.status, 0x00 }), &event), -1);
    }
    for (int status : { 0xF7, 0xF4, 0xF5, 0xF9, 0xFD }) {
        QCOMPARE(toEvent(midiBytes({ status }), &event), -1);
    }
    QCOMPARE(toEvent(midiBytes({ 0x40, 0x40, 0x40 }), &event), -1);
    QCOMPARE(midilib_dataToEvent(nullptr, 0, &event), -1);
}

void MidilibEventTest::systemExclusiveLimits()
{
    midilib_event &event = *m_pEvent;
    const QByteArray short4 = midiBytes({ 0xF0, 0x43, 0x10, 0xF7 });
    QCOMPARE(toEvent(short4, &event), 0);
    QCOMPARE(event.type, uint8_t(MIDILIB_Event_Type_SystemExclusive));
    QCOMPARE(event.channel, uint8_t(255));
    QCOMPARE(event.systemExclusive.size, size_t(4));
    QCOMPARE(eventToBytes(event), short4);

    QCOMPARE(toEvent(midiBytes({ 0xF0 }), &event), 0);
    QCOMPARE(event.systemExclusive.size, size_t(1));
    QCOMPARE(eventToBytes(event), midiBytes({ 0xF0 }));

    QByteArray longest(4096, '\x55');
    longest[0] = '\xF0';
    longest[4095] = '\xF7';
    QCOMPARE(toEvent(longest, &event), 0);
    QCOMPARE(event.systemExclusive.size, size_t(4096));
    QCOMPARE(eventToBytes(event), longest);
    QCOMPARE(toEvent(longest + QByteArray(1, '\xF7'), &event), -1);
    QCOMPARE(event.systemExclusive.size, size_t(4096));
}

void MidilibEventTest::rejectedBytesLeaveTheRecord()
{
    midilib_event &event = *m_pEvent;
    std::memset(&event, 0xA5, sizeof(event));
    auto before = std::make_unique<midilib_event>();
    std::memcpy(before.get(), &event, sizeof(event));
    for (const QByteArray &bytes : { midiBytes({ 0x90, 0x3C }), midiBytes({ 0xF7 }), midiBytes({ 0xF2, 0x01 }),
                                     midiBytes({ 0x3C, 0x90, 0x3C }), QByteArray(4097, '\xF0') }) {
        QCOMPARE(toEvent(bytes, &event), -1);
        QCOMPARE(std::memcmp(&event, before.get(), sizeof(event)), 0);
    }
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
