#include "views/MidiTimingClockGeneratorView.h"

#include "SendingMainWindow.h"
#include "controls/MidiTimingClockPlayStopButton.h"

#include <QCheckBox>

#include <chrono>

namespace {

const QByteArray TimingClock(1, char(0xF8));
// 120 BPM is 24 clocks per beat, two beats a second; two seconds' worth are awaited.
const int Tempo = 120;
const double ClocksPerSecond = 48.0;
const double RateTolerance = 4.0;
const int AwaitedClocks = 96;
const int WaitMs = 5000;

// Long enough for a Stop to have gone out.
const int StopSettleMs = 300;

QByteArray sentBytes(SendingMainWindow& bench)
{
    QByteArray bytes;
    for (const auto& send : bench.m_platform.sentMessages())
        bytes += send.bytes;
    return bytes;
}

// True when nothing is sent for a while after what was already on its way.
bool staysQuiet(SendingMainWindow& bench)
{
    QTest::qWait(50);
    bench.clearSent();
    QTest::qWait(200);
    return bench.sent().isEmpty();
}

} // namespace

class MidiTimingClockGeneratorViewTest : public QObject
{
    Q_OBJECT

private slots:
    // A restored playing state starts the clock at the restored tempo; the
    // button stops and starts it, and closing the view stops it.
    void restoredStateAndPlayButtonDriveTheClock()
    {
        SendingMainWindow bench;
        MidiTimingClockGeneratorView view(nullptr, bench.context());
        QVERIFY(showExposed(&view));
        QByteArray block = intRecordBlock({{0, Tempo}, {1, 1}});
        QDataStream in(block);
        QVERIFY(view.setDataStream(in));
        QVERIFY(bench.m_platform.waitForSends(AwaitedClocks, WaitMs));
        const QList<VirtualMidiPlatform::SentMessage> sends = bench.m_platform.sentMessages();
        QVERIFY(std::all_of(sends.begin(), sends.end(), [](const auto& send) { return send.bytes == TimingClock; }));
        const double seconds = std::chrono::duration<double>(sends.last().time - sends.first().time).count();
        QVERIFY(qAbs((sends.size() - 1) / seconds - ClocksPerSecond) < RateTolerance);

        auto* play = view.findChild<MidiTimingClockPlayStopButton*>();
        QTest::mouseClick(play, Qt::LeftButton);
        QVERIFY(staysQuiet(bench));
        QTest::mouseClick(play, Qt::LeftButton);
        QVERIFY(bench.m_platform.waitForSends(1, WaitMs));
        view.close();
        QVERIFY(staysQuiet(bench));
    }

    // Start goes before the first clock of Play and Stop after the last, only
    // while chosen; the choice is kept with the window.
    void startAndStopAroundTheClockWhenChosen()
    {
        SendingMainWindow bench;
        MidiTimingClockGeneratorView view(nullptr, bench.context());
        QVERIFY(showExposed(&view));
        auto* play = view.findChild<MidiTimingClockPlayStopButton*>();
        auto* startStop = view.findChild<QCheckBox*>();
        QVERIFY(!startStop->isChecked());
        QTest::mouseClick(startStop, Qt::LeftButton);
        QTest::mouseClick(play, Qt::LeftButton);
        QVERIFY(bench.m_platform.waitForSends(3, WaitMs));
        QTest::mouseClick(play, Qt::LeftButton);
        QTRY_COMPARE(sentBytes(bench).back(), '\xFC');
        const QByteArray firstRun = sentBytes(bench);
        QCOMPARE(firstRun.front(), '\xFA');
        QCOMPARE(firstRun.count('\xFA') + firstRun.count('\xFC'), 2);

        QByteArray block;
        QDataStream out(&block, QIODevice::WriteOnly);
        QVERIFY(view.getDataStream(out));
        QTest::mouseClick(startStop, Qt::LeftButton);
        bench.clearSent();
        QTest::mouseClick(play, Qt::LeftButton);
        QVERIFY(bench.m_platform.waitForSends(3, WaitMs));
        QTest::mouseClick(play, Qt::LeftButton);
        QTest::qWait(StopSettleMs);
        const QByteArray secondRun = sentBytes(bench);
        QCOMPARE(secondRun.count(TimingClock.front()), secondRun.size());

        MidiTimingClockGeneratorView restored(nullptr, bench.context());
        QDataStream in(block);
        QVERIFY(restored.setDataStream(in));
        QVERIFY(restored.findChild<QCheckBox*>()->isChecked());
    }
};

QTEST_MAIN(MidiTimingClockGeneratorViewTest)
#include "MidiTimingClockGeneratorViewTest.moc"
