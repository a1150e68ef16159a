#include <QtTest>

#include <memory>

#include "MidiBytes.h"
#include "midilib.h"

namespace {

// One message of every event type, in type order, channel messages on channel 2.
const QByteArray EveryType[] = {
    midiBytes({ 0x82, 0x3C, 0x40 }), midiBytes({ 0x92, 0x3C, 0x40 }), midiBytes({ 0xA2, 0x3C, 0x40 }),
    midiBytes({ 0xB2, 0x07, 0x40 }), midiBytes({ 0xC2, 0x01 }),       midiBytes({ 0xD2, 0x01 }),
    midiBytes({ 0xE2, 0x00, 0x40 }), midiBytes({ 0xF0, 0x01, 0xF7 }), midiBytes({ 0xF1, 0x01 }),
    midiBytes({ 0xF2, 0x01, 0x02 }), midiBytes({ 0xF3, 0x01 }),       midiBytes({ 0xF6 }),
    midiBytes({ 0xF8 }),             midiBytes({ 0xFA }),             midiBytes({ 0xFB }),
    midiBytes({ 0xFC }),             midiBytes({ 0xFE }),             midiBytes({ 0xFF }),
};

} // namespace

class MidilibFilterTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void eventGroupAndThroughSwitches();
    void channelSwitches();
    void noteOnWithVelocityZeroCountsAsNoteOff();
    void controllerSwitches();

private:
    int apply(const QByteArray &message);

    midilib_filter m_filter;
    std::unique_ptr<midilib_event> m_pEvent = std::make_unique<midilib_event>();
};

int MidilibFilterTest::apply(const QByteArray &message)
{
    if (midilib_dataToEvent(message.constData(), size_t(message.size()), m_pEvent.get()) != 0) {
        return 99;
    }
    return midilib_filter_apply(&m_filter, m_pEvent.get());
}

void MidilibFilterTest::init()
{
    midilib_filter_init(&m_filter);
}

void MidilibFilterTest::eventGroupAndThroughSwitches()
{
    for (const QByteArray &message : EveryType) {
        QCOMPARE(apply(message), 0);
    }
    // Each group switch blocks exactly its own types, each type switch its own type.
    const int groupOfType[MIDILIB_Event_Type_Max + 1] = { 0, 0, 0, 0, 0, 0, 0, 3, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2 };
    for (int group = MIDILIB_Filter_EventGroup_Min; group <= MIDILIB_Filter_EventGroup_Max; ++group) {
        init();
        midilib_filter_setEventGroupSwitch(&m_filter, group, 1);
        for (int type = MIDILIB_Event_Type_Min; type <= MIDILIB_Event_Type_Max; ++type) {
            QCOMPARE(apply(EveryType[type]), groupOfType[type] == group ? -1 : 0);
            QCOMPARE(int(m_pEvent->type), type);
        }
    }
    for (int blocked = MIDILIB_Event_Type_Min; blocked <= MIDILIB_Event_Type_Max; ++blocked) {
        init();
        midilib_filter_setEventSwitch(&m_filter, blocked, 2);
        for (int type = MIDILIB_Event_Type_Min; type <= MIDILIB_Event_Type_Max; ++type) {
            QCOMPARE(apply(EveryType[type]), type == blocked ? -1 : 0);
        }
    }

    init();
    midilib_filter_setThroughSwitch(&m_filter, 1);
    for (const QByteArray &message : EveryType) {
        QCOMPARE(apply(message), -1);
    }
    midilib_filter_setThroughSwitch(&m_filter, 0);
    QCOMPARE(apply(midiBytes({ 0xF8 })), 0);

    // A record whose type lies outside the tables never passes.
    m_pEvent->type = MIDILIB_Event_Type_Max + 1;
    QCOMPARE(midilib_filter_apply(&m_filter, m_pEvent.get()), -1);
}

void MidilibFilterTest::channelSwitches()
{
    midilib_filter_setChannelSwitch(&m_filter, 2, 1);
    for (int type = MIDILIB_Event_Type_NoteOff; type <= MIDILIB_Event_Type_PitchBend; ++type) {
        QByteArray message = EveryType[type];
        QCOMPARE(apply(message), -1);
        message[0] = char(message[0] + 1);
        QCOMPARE(apply(message), 0);
    }
    // System messages carry no channel.
    for (int type = MIDILIB_Event_Type_SystemExclusive; type <= MIDILIB_Event_Type_Max; ++type) {
        QCOMPARE(apply(EveryType[type]), 0);
    }
}

void MidilibFilterTest::noteOnWithVelocityZeroCountsAsNoteOff()
{
    midilib_filter_setEventSwitch(&m_filter, MIDILIB_Event_Type_NoteOff, 1);
    QCOMPARE(apply(midiBytes({ 0x90, 0x3C, 0x00 })), -1);
    QCOMPARE(apply(midiBytes({ 0x90, 0x3C, 0x01 })), 0);
    QCOMPARE(apply(midiBytes({ 0x80, 0x3C, 0x40 })), -1);
    init();
    midilib_filter_setEventSwitch(&m_filter, MIDILIB_Event_Type_NoteOn, 1);
    QCOMPARE(apply(midiBytes({ 0x90, 0x3C, 0x00 })), 0);
    QCOMPARE(apply(midiBytes({ 0x90, 0x3C, 0x01 })), -1);
}

void MidilibFilterTest::controllerSwitches()
{
    midilib_filter_setControllerSwitch(&m_filter, 7, 1);
    QCOMPARE(apply(midiBytes({ 0xB0, 0x07, 0x64 })), -1);
    QCOMPARE(apply(midiBytes({ 0xBF, 0x07, 0x00 })), -1);
    QCOMPARE(apply(midiBytes({ 0xB0, 0x0A, 0x64 })), 0);
    // Controller switches apply to control change only.
    QCOMPARE(apply(midiBytes({ 0x90, 0x07, 0x64 })), 0);
    QCOMPARE(apply(midiBytes({ 0xC0, 0x07 })), 0);
    midilib_filter_setControllerSwitch(&m_filter, 7, 0);
    QCOMPARE(apply(midiBytes({ 0xB0, 0x07, 0x64 })), 0);

    // A control change whose controller byte is not a data byte has no switch.
    for (int controller = 0; controller <= MIDILIB_ControllerNumber_Max; ++controller) {
        midilib_filter_setControllerSwitch(&m_filter, controller, 1);
    }
    QCOMPARE(apply(midiBytes({ 0xB0, 0xC8, 0x00 })), 0);
}

QTEST_APPLESS_MAIN(MidilibFilterTest)
#include "MidilibFilterTest.moc"
