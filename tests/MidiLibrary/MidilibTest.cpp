#include <QtTest>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "midilib.h"

namespace {

constexpr int Channel = 2;
constexpr int OtherChannel = 3;
constexpr int Volume = 7;
constexpr uint8_t Filler = 0xA5;
constexpr int TempoOfOneClockIn25Ms = 1000;

QByteArray eventToBytes(const midilib_event &event)
{
    auto data = std::make_unique<midilib_data>();
    midilib_eventToData(&event, data.get());
    return QByteArray(reinterpret_cast<const char *>(midilib_data_getMemory(data.get())),
                      int(midilib_data_getSize(data.get())));
}

int toEvent(const QByteArray &bytes, midilib_event *event)
{
    return midilib_dataToEvent(bytes.constData(), size_t(bytes.size()), event);
}

// Whether the call stops the program: argument checks abort in every build.
bool aborts(void (*call)(int), int argument)
{
    const pid_t child = fork();
    if (child == 0) {
        const rlimit noCore = { 0, 0 };
        setrlimit(RLIMIT_CORE, &noCore);
        std::signal(SIGABRT, SIG_DFL);
        std::freopen("/dev/null", "w", stderr);
        call(argument);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT;
}

} // namespace

class MidilibTest : public QObject
{
    Q_OBJECT

private slots:
    void convertsEveryMessageType_data();
    void convertsEveryMessageType();
    void refusesWhatIsNoMessage_data();
    void refusesWhatIsNoMessage();
    void filterBlocksExactlyWhatItsSwitchesName_data();
    void filterBlocksExactlyWhatItsSwitchesName();
    void filterSpecialCases();
    void clockGeneratorCarriesTheRemainder();
    void clockGeneratorRefusesTempoOutsideItsRange_data();
    void clockGeneratorRefusesTempoOutsideItsRange();

private:
    std::unique_ptr<midilib_event> m_pEvent = std::make_unique<midilib_event>();
};

void MidilibTest::convertsEveryMessageType_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("group");
    const auto row = [](const char *hex, int type, int channel, int group) {
        QTest::newRow(hex) << QByteArray::fromHex(hex) << type << channel << group;
    };
    const int channelGroup = MIDILIB_Filter_EventGroup_ChannelMessage;
    row("80 3C 40", MIDILIB_Event_Type_NoteOff, MIDILIB_ChannelNumber_Min, channelGroup);
    row("92 3C 01", MIDILIB_Event_Type_NoteOn, Channel, channelGroup);
    row("A2 10 20", MIDILIB_Event_Type_PolyKeyPressure, Channel, channelGroup);
    row("B2 07 64", MIDILIB_Event_Type_ControlChange, Channel, channelGroup);
    row("C2 10", MIDILIB_Event_Type_ProgramChange, Channel, channelGroup);
    row("D2 7F", MIDILIB_Event_Type_ChannelKeyPressure, Channel, channelGroup);
    row("EF 01 40", MIDILIB_Event_Type_PitchBend, MIDILIB_ChannelNumber_Max, channelGroup);
    row("F0 01 F7", MIDILIB_Event_Type_SystemExclusive, MIDILIB_NoChannel, MIDILIB_Filter_EventGroup_SystemExclusive);
    row("F1 35", MIDILIB_Event_Type_Mtc, MIDILIB_NoChannel, MIDILIB_Filter_EventGroup_SystemCommon);
    row("F2 05 01", MIDILIB_Event_Type_SongPositionPointer, MIDILIB_NoChannel, MIDILIB_Filter_EventGroup_SystemCommon);
    row("F3 11", MIDILIB_Event_Type_SongSelect, MIDILIB_NoChannel, MIDILIB_Filter_EventGroup_SystemCommon);
    row("F6", MIDILIB_Event_Type_TuneRequest, MIDILIB_NoChannel, MIDILIB_Filter_EventGroup_SystemCommon);
    row("F8", MIDILIB_Event_Type_TimingClock, MIDILIB_NoChannel, MIDILIB_Filter_EventGroup_RealTime);
    row("FA", MIDILIB_Event_Type_Start, MIDILIB_NoChannel, MIDILIB_Filter_EventGroup_RealTime);
    row("FB", MIDILIB_Event_Type_Continue, MIDILIB_NoChannel, MIDILIB_Filter_EventGroup_RealTime);
    row("FC", MIDILIB_Event_Type_Stop, MIDILIB_NoChannel, MIDILIB_Filter_EventGroup_RealTime);
    row("FE", MIDILIB_Event_Type_ActiveSensing, MIDILIB_NoChannel, MIDILIB_Filter_EventGroup_RealTime);
    row("FF", MIDILIB_Event_Type_SystemReset, MIDILIB_NoChannel, MIDILIB_Filter_EventGroup_RealTime);
}

void MidilibTest::convertsEveryMessageType()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, type);
    QFETCH(int, channel);
    if (type != MIDILIB_Event_Type_SystemExclusive) {
        QCOMPARE(midilib_status_messageSize(uint8_t(bytes[0])), size_t(bytes.size()));
        // The plain status drops only a channel message's channel.
        QCOMPARE(midilib_status_plain(uint8_t(bytes[0])), uint8_t(channel == MIDILIB_NoChannel ? bytes[0] : bytes[0] & 0xF0));
        // One byte more or less is no message of that type.
        QCOMPARE(toEvent(bytes + '\0', m_pEvent.get()), -1);
        QCOMPARE(toEvent(bytes.chopped(1), m_pEvent.get()), -1);
    }
    QCOMPARE(toEvent(bytes, m_pEvent.get()), 0);
    QCOMPARE(int(m_pEvent->type), type);
    QCOMPARE(int(m_pEvent->channel), channel);
    QCOMPARE(eventToBytes(*m_pEvent).toHex(' '), bytes.toHex(' '));
}

void MidilibTest::refusesWhatIsNoMessage_data()
{
    QTest::addColumn<QByteArray>("bytes");
    for (const char *hex : { "3C", "3C 90 3C", "90 3C", "F4", "F5", "F7", "F9", "FD" }) {
        QTest::newRow(hex) << QByteArray::fromHex(hex);
    }
    QTest::newRow("nothing") << QByteArray();
    QTest::newRow("overlong system exclusive") << QByteArray(MIDILIB_Message_SizeMax + 1, '\xF0');
}

void MidilibTest::refusesWhatIsNoMessage()
{
    QFETCH(QByteArray, bytes);
    std::memset(m_pEvent.get(), Filler, sizeof(midilib_event));
    auto before = std::make_unique<midilib_event>();
    std::memcpy(before.get(), m_pEvent.get(), sizeof(midilib_event));
    QCOMPARE(midilib_dataToEvent(bytes.isEmpty() ? nullptr : bytes.constData(), size_t(bytes.size()), m_pEvent.get()), -1);
    QCOMPARE(std::memcmp(m_pEvent.get(), before.get(), sizeof(midilib_event)), 0);
}

void MidilibTest::filterBlocksExactlyWhatItsSwitchesName_data()
{
    convertsEveryMessageType_data();
}

void MidilibTest::filterBlocksExactlyWhatItsSwitchesName()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, type);
    QFETCH(int, channel);
    QFETCH(int, group);
    toEvent(bytes, m_pEvent.get());
    midilib_filter filter;
    for (int blocked = MIDILIB_Filter_EventGroup_Min; blocked <= MIDILIB_Filter_EventGroup_Max; ++blocked) {
        midilib_filter_init(&filter);
        midilib_filter_setEventGroupSwitch(&filter, blocked, 1);
        QCOMPARE(midilib_filter_apply(&filter, m_pEvent.get()), blocked == group ? -1 : 0);
    }
    for (int blocked = MIDILIB_Event_Type_Min; blocked <= MIDILIB_Event_Type_Max; ++blocked) {
        midilib_filter_init(&filter);
        midilib_filter_setEventSwitch(&filter, blocked, 1);
        QCOMPARE(midilib_filter_apply(&filter, m_pEvent.get()), blocked == type ? -1 : 0);
    }
    // System messages carry no channel.
    midilib_filter_init(&filter);
    midilib_filter_setChannelSwitch(&filter, OtherChannel, 1);
    QCOMPARE(midilib_filter_apply(&filter, m_pEvent.get()), 0);
    midilib_filter_setChannelSwitch(&filter, Channel, 1);
    QCOMPARE(midilib_filter_apply(&filter, m_pEvent.get()), channel == Channel ? -1 : 0);
    midilib_filter_init(&filter);
    midilib_filter_setThroughSwitch(&filter, 1);
    QCOMPARE(midilib_filter_apply(&filter, m_pEvent.get()), -1);
}

void MidilibTest::filterSpecialCases()
{
    // A note-on of velocity 0 counts as a note-off; controller switches block
    // their controller of control change only.
    midilib_filter filter;
    midilib_filter_init(&filter);
    midilib_filter_setEventSwitch(&filter, MIDILIB_Event_Type_NoteOff, 1);
    midilib_filter_setControllerSwitch(&filter, Volume, 1);
    const QList<QPair<const char *, int>> messages = { { "90 3C 00", -1 }, { "90 3C 01", 0 }, { "B0 07 64", -1 },
        { "BF 07 00", -1 }, { "B0 0A 64", 0 }, { "90 07 64", 0 }, { "C0 07", 0 } };
    for (const auto &message : messages) {
        toEvent(QByteArray::fromHex(message.first), m_pEvent.get());
        QCOMPARE(midilib_filter_apply(&filter, m_pEvent.get()), message.second);
    }
    // Records built by hand: a controller byte that is no data byte has no
    // switch, and an unknown type never passes.
    toEvent(QByteArray::fromHex("B0 07 64"), m_pEvent.get());
    m_pEvent->controlChange.controllerNumber = Volume + MIDILIB_ControllerNumber_Max + 1;
    QCOMPARE(midilib_filter_apply(&filter, m_pEvent.get()), 0);
    m_pEvent->type = MIDILIB_Event_Type_Max + 1;
    QCOMPARE(midilib_filter_apply(&filter, m_pEvent.get()), -1);
}

void MidilibTest::clockGeneratorCarriesTheRemainder()
{
    midilib_timingClockGenerator generator;
    midilib_timingClockGenerator_init(&generator);
    // Clocks made in the given milliseconds, or -1 for none.
    const auto generate = [&generator](uint32_t milliseconds) {
        uint32_t clocks = 0;
        return midilib_timingClockGenerator_generate(&generator, milliseconds, &clocks) == 0 ? int(clocks) : -1;
    };
    // At the initial 90.0 BPM a clock takes 27.777 ms: what is left of 28 ms carries over.
    QCOMPARE(QList<int>({ generate(27), generate(1), generate(27), generate(1) }), QList<int>({ -1, 1, -1, 1 }));
    // Exactly one interval is not yet a clock.
    midilib_timingClockGenerator_init(&generator);
    midilib_timingClockGenerator_setTempo(&generator, TempoOfOneClockIn25Ms);
    QCOMPARE(QList<int>({ generate(25), generate(1), generate(73), generate(2) }), QList<int>({ -1, 1, 2, 1 }));
    // A new tempo keeps the time gathered so far.
    midilib_timingClockGenerator_setTempo(&generator, MIDILIB_Tempo_Max);
    QCOMPARE(generate(24), 3);
}

void MidilibTest::clockGeneratorRefusesTempoOutsideItsRange_data()
{
    QTest::addColumn<int>("tempo");
    QTest::addColumn<bool>("refused");
    QTest::newRow("zero") << MIDILIB_Tempo_Min - 1 << true;
    QTest::newRow("slowest") << int(MIDILIB_Tempo_Min) << false;
    QTest::newRow("fastest") << int(MIDILIB_Tempo_Max) << false;
    QTest::newRow("too fast") << MIDILIB_Tempo_Max + 1 << true;
}

void MidilibTest::clockGeneratorRefusesTempoOutsideItsRange()
{
    QFETCH(int, tempo);
    QFETCH(bool, refused);
    QCOMPARE(aborts([](int value) {
        midilib_timingClockGenerator generator;
        midilib_timingClockGenerator_init(&generator);
        midilib_timingClockGenerator_setTempo(&generator, value);
    }, tempo), refused);
}

QTEST_APPLESS_MAIN(MidilibTest)
#include "MidilibTest.moc"
