#include <QtTest>

#include "midilib.h"

class MidilibTimingClockGeneratorTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void remainderCarriesOver();
    void tempoChangeKeepsAccumulatedTime();
    void longRunKeepsTheRate();

private:
    midilib_timingClockGenerator m_generator;
};

void MidilibTimingClockGeneratorTest::init()
{
    midilib_timingClockGenerator_init(&m_generator);
}

void MidilibTimingClockGeneratorTest::remainderCarriesOver()
{
    // 90.0 BPM by default: 27777 us a clock.
    uint32_t clocks = 77;
    QCOMPARE(midilib_timingClockGenerator_generate(&m_generator, 27, &clocks), -1);
    QCOMPARE(clocks, uint32_t(77));
    QCOMPARE(midilib_timingClockGenerator_generate(&m_generator, 1, &clocks), 0);
    QCOMPARE(clocks, uint32_t(1));
    QCOMPARE(m_generator.accumulatedTime, uint64_t(223));

    // Exactly one interval is not yet a clock.
    init();
    midilib_timingClockGenerator_setTempo(&m_generator, 1000);
    QCOMPARE(midilib_timingClockGenerator_generate(&m_generator, 25, &clocks), -1);
    QCOMPARE(midilib_timingClockGenerator_generate(&m_generator, 0, &clocks), -1);
    QCOMPARE(midilib_timingClockGenerator_generate(&m_generator, 1, &clocks), 0);
    QCOMPARE(clocks, uint32_t(1));
    QCOMPARE(midilib_timingClockGenerator_generate(&m_generator, 24, &clocks), -1);
    QCOMPARE(midilib_timingClockGenerator_generate(&m_generator, 50, &clocks), 0);
    QCOMPARE(clocks, uint32_t(3));
    QCOMPARE(m_generator.accumulatedTime, uint64_t(0));
}

void MidilibTimingClockGeneratorTest::tempoChangeKeepsAccumulatedTime()
{
    uint32_t clocks = 0;
    QCOMPARE(midilib_timingClockGenerator_generate(&m_generator, 20, &clocks), -1);
    midilib_timingClockGenerator_setTempo(&m_generator, MIDILIB_Tempo_Max);
    QCOMPARE(m_generator.clockInterval, uint64_t(8333));
    QCOMPARE(midilib_timingClockGenerator_generate(&m_generator, 5, &clocks), 0);
    QCOMPARE(clocks, uint32_t(3));
    QCOMPARE(m_generator.accumulatedTime, uint64_t(25000 - 3 * 8333));
    midilib_timingClockGenerator_setTempo(&m_generator, MIDILIB_Tempo_Min);
    QCOMPARE(m_generator.clockInterval, uint64_t(25000000));
}

void MidilibTimingClockGeneratorTest::longRunKeepsTheRate()
{
    // One millisecond at a time for a minute at 120.0 BPM: 24 * 120 clocks,
    // give or take the one carried in the remainder.
    midilib_timingClockGenerator_setTempo(&m_generator, 1200);
    uint64_t total = 0;
    for (int ms = 0; ms < 60000; ++ms) {
        uint32_t clocks = 0;
        if (midilib_timingClockGenerator_generate(&m_generator, 1, &clocks) == 0) {
            total += clocks;
        }
    }
    QCOMPARE(total, uint64_t(60000000 / 20833));
}

QTEST_APPLESS_MAIN(MidilibTimingClockGeneratorTest)
#include "MidilibTimingClockGeneratorTest.moc"
