#include "EngineRig.h"

#include "services/MidiTimingClockTransmittionThread.h"

#include <QtTest>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;
const int ClocksPerBeat = 24;

int sendsBetween(const QList<VirtualMidiPlatform::SentMessage>& sent, Clock::time_point from, Clock::time_point to)
{
    return static_cast<int>(std::count_if(sent.begin(), sent.end(), [from, to](const auto& m) { return m.time >= from && m.time < to; }));
}

} // namespace

class MidiTimingClockTransmittionThreadTest : public QObject
{
    Q_OBJECT

private slots:
    // 48 clocks a second at 120 BPM (loose bounds for a loaded machine), a
    // blink every 24th, nothing after Stop, and a fresh beat after a restart.
    void clocksAtTheTempoAndAFreshBeatAfterARestart()
    {
        EngineRig rig;
        MidiTimingClockTransmittionThread thread(nullptr, rig.engine.get(), rig.engine.get());
        int blinks = 0;
        connect(&thread, &MidiTimingClockTransmittionThread::blinkLed, this, [&blinks]() { ++blinks; });
        thread.setTempo(1200);
        thread.setPlayTimingClockFlag(true);
        QCOMPARE(blinks, 1);
        const Clock::time_point start = Clock::now();
        QTest::qWait(1600);
        thread.setPlayTimingClockFlag(false);
        QTest::qWait(50);
        const QList<VirtualMidiPlatform::SentMessage> sent = rig.platform.sentMessages();
        const int inOneSecond = sendsBetween(sent, start + std::chrono::milliseconds(300), start + std::chrono::milliseconds(1300));
        QVERIFY2(inOneSecond >= 44 && inOneSecond <= 52, qPrintable(QString::number(inOneSecond)));
        QCOMPARE(blinks, 1 + sent.size() / ClocksPerBeat);
        QTest::qWait(200);
        QCOMPARE(rig.platform.sentMessages().size(), sent.size());

        // The clocks of the stop are not caught up after a restart.
        const Clock::time_point restart = Clock::now();
        thread.setPlayTimingClockFlag(true);
        QTRY_VERIFY(rig.platform.sentMessages().size() >= sent.size() + ClocksPerBeat);
        QVERIFY(sendsBetween(rig.platform.sentMessages(), restart, restart + std::chrono::milliseconds(50)) <= 3);
    }
};

QTEST_MAIN(MidiTimingClockTransmittionThreadTest)
#include "MidiTimingClockTransmittionThreadTest.moc"
