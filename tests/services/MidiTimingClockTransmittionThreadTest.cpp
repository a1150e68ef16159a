#include "ServiceTestRig.h"

#include "services/MidiTimingClockTransmittionThread.h"

#include <QtTest>

#include <chrono>

using Clock = std::chrono::steady_clock;

namespace {

// Sends recorded in [from, to).
int sendsBetween(const QList<VirtualMidiPlatform::SentMessage>& sent, Clock::time_point from, Clock::time_point to)
{
    int count = 0;
    for (const VirtualMidiPlatform::SentMessage& message : sent) {
        if (message.time >= from && message.time < to)
            ++count;
    }
    return count;
}

} // namespace

class MidiTimingClockTransmittionThreadTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void clocksAtTheTempoAndAFreshBeatAfterARestart();
    void tempoChangesAndTemposOutsideTheRange();

private:
    std::unique_ptr<ServiceTestRig> m_rig;
    MidiTimingClockTransmittionThread* m_pThread = nullptr;
    int m_blinks = 0;
};

void MidiTimingClockTransmittionThreadTest::init()
{
    m_rig = std::make_unique<ServiceTestRig>();
    m_pThread = new MidiTimingClockTransmittionThread(nullptr);
    m_blinks = 0;
    connect(m_pThread, &MidiTimingClockTransmittionThread::blinkLed, this, [this]() { ++m_blinks; });
}

void MidiTimingClockTransmittionThreadTest::cleanup()
{
    delete m_pThread;
    m_pThread = nullptr;
    m_rig.reset();
}

void MidiTimingClockTransmittionThreadTest::clocksAtTheTempoAndAFreshBeatAfterARestart()
{
    QTest::qWait(200);
    QVERIFY(m_rig->platform.sentMessages().isEmpty());

    m_pThread->setTempo(1200);
    m_pThread->setPlayTimingClockFlag(true);
    // Delivered at once, on the first beat.
    QCOMPARE(m_blinks, 1);
    const Clock::time_point start = Clock::now();
    QTest::qWait(1600);
    m_pThread->setPlayTimingClockFlag(false);
    QTest::qWait(50);
    const QList<VirtualMidiPlatform::SentMessage> sent = m_rig->platform.sentMessages();
    for (const VirtualMidiPlatform::SentMessage& message : sent)
        QCOMPARE(message.bytes, QByteArray::fromHex("F8"));
    // 48 clocks a second at 120 BPM; loose bounds for a loaded machine.
    const int inOneSecond = sendsBetween(sent, start + std::chrono::milliseconds(300),
                                         start + std::chrono::milliseconds(1300));
    QVERIFY2(inOneSecond >= 44 && inOneSecond <= 52, qPrintable(QString::number(inOneSecond)));
    QCOMPARE(m_blinks, 1 + sent.size() / 24);
    QTest::qWait(500);
    QCOMPARE(m_rig->platform.sentMessages().size(), sent.size());

    m_blinks = 0;
    const Clock::time_point restart = Clock::now();
    m_pThread->setPlayTimingClockFlag(true);
    QCOMPARE(m_blinks, 1);
    QTRY_VERIFY(m_rig->platform.sentMessages().size() >= sent.size() + 24);
    // The 24 clocks of the stop would come at once; at most two are due in
    // the first 50 ms.
    QVERIFY(sendsBetween(m_rig->platform.sentMessages(), restart, restart + std::chrono::milliseconds(50)) <= 3);
    // The 24th clock after the restart blinks.
    QTRY_COMPARE(m_blinks, 2);
    m_pThread->setPlayTimingClockFlag(false);
    QTest::qWait(50);
    QCOMPARE(m_blinks, 1 + (m_rig->platform.sentMessages().size() - sent.size()) / 24);
}

void MidiTimingClockTransmittionThreadTest::tempoChangesAndTemposOutsideTheRange()
{
    // 5 BPM: a clock every 500 ms.
    m_pThread->setTempo(50);
    m_pThread->setPlayTimingClockFlag(true);
    QTest::qWait(100);
    QVERIFY(m_rig->platform.sentMessages().isEmpty());
    // The 100 ms already passed count against the new interval of 8.3 ms.
    m_pThread->setTempo(3000);
    QTest::qWait(150);
    QVERIFY(m_rig->platform.sentMessages().size() >= 12);

    // Beyond the range: taken as 300.0 BPM, 120 clocks a second.
    m_pThread->setTempo(5000);
    const Clock::time_point start = Clock::now();
    QTest::qWait(1300);
    const int fast = sendsBetween(m_rig->platform.sentMessages(), start + std::chrono::milliseconds(200),
                                  start + std::chrono::milliseconds(1200));
    QVERIFY2(fast >= 110 && fast <= 128, qPrintable(QString::number(fast)));

    // 0 would divide by zero; it is taken as 0.1 BPM, a clock every 25 s.
    m_pThread->setTempo(0);
    QTest::qWait(100);
    const int atSlowest = m_rig->platform.sentMessages().size();
    QTest::qWait(300);
    QCOMPARE(m_rig->platform.sentMessages().size(), atSlowest);
}

QTEST_MAIN(MidiTimingClockTransmittionThreadTest)
#include "MidiTimingClockTransmittionThreadTest.moc"
