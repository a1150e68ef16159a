#include "SendingMainWindow.h"
#include "controls/MidiTimingClockDial.h"
#include "controls/MidiTimingClockPlayStopButton.h"
#include "views/MidiTimingClockGeneratorView.h"

#include <QDataStream>
#include <QTest>

#include <chrono>
#include <memory>

namespace {

const QSize ViewSize(220, 250);
const QByteArray TimingClock = QByteArray(1, char(0xF8));

// Clocks per second over the sends recorded so far.
double clockRate(const QList<VirtualMidiPlatform::SentMessage>& sends)
{
    const double seconds = std::chrono::duration<double>(sends.last().time - sends.first().time).count();
    return (sends.size() - 1) / seconds;
}

bool onlyTimingClocks(const QList<VirtualMidiPlatform::SentMessage>& sends)
{
    for (const VirtualMidiPlatform::SentMessage& send : sends) {
        if (send.bytes != TimingClock) {
            return false;
        }
    }
    return true;
}

} // namespace

class MidiTimingClockGeneratorViewTest : public QObject
{
    Q_OBJECT

private slots:
    void playButtonDrivesTheClock();
    void restoredStateActsLikeTheUser();
};

void MidiTimingClockGeneratorViewTest::playButtonDrivesTheClock()
{
    SendingMainWindow bench;
    auto view = std::make_unique<MidiTimingClockGeneratorView>(nullptr, &bench.m_model);
    view->resize(ViewSize);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    auto* dial = view->findChild<MidiTimingClockDial*>();
    auto* play = view->findChild<MidiTimingClockPlayStopButton*>();
    QVERIFY(dial && play);
    QCOMPARE(dial->value(), 90);
    QVERIFY(!play->isChecked());
    QTest::qWait(100);
    QVERIFY(bench.sent().isEmpty());

    // 120 BPM is 24 clocks per beat, two beats a second.
    dial->setFocus();
    for (int step = 0; step < 30; ++step) {
        QTest::keyClick(dial, Qt::Key_Up);
    }
    QCOMPARE(dial->value(), 120);
    QTest::mouseClick(play, Qt::LeftButton);
    QVERIFY(play->isChecked());
    QVERIFY(bench.m_platform.waitForSends(96, 5000));
    const QList<VirtualMidiPlatform::SentMessage> sends = bench.m_platform.sentMessages();
    QVERIFY(onlyTimingClocks(sends));
    const double rate = clockRate(sends);
    QVERIFY2(rate > 44.0 && rate < 52.0, qPrintable(QString::number(rate)));

    // Stopping stops at once; closing stops too, and the next view starts stopped.
    QTest::mouseClick(play, Qt::LeftButton);
    QVERIFY(!play->isChecked());
    QTest::qWait(50);
    bench.clearSent();
    QTest::qWait(200);
    QVERIFY(bench.sent().isEmpty());

    QTest::mouseClick(play, Qt::LeftButton);
    QVERIFY(bench.m_platform.waitForSends(1, 2000));
    bench.m_model.setParameterEditFlag(ParameterNotEdited);
    view->close();
    QCOMPARE(bench.m_model.getParameterEditFlag(), ParameterEdited);
    QTest::qWait(50);
    bench.clearSent();
    QTest::qWait(200);
    QVERIFY(bench.sent().isEmpty());
    view.reset();

    MidiTimingClockGeneratorView reopened(nullptr, &bench.m_model);
    QVERIFY(!reopened.findChild<MidiTimingClockPlayStopButton*>()->isChecked());
    QTest::qWait(100);
    QVERIFY(bench.sent().isEmpty());
}

void MidiTimingClockGeneratorViewTest::restoredStateActsLikeTheUser()
{
    SendingMainWindow bench;
    {
        // A block without the playing record leaves the clock stopped.
        MidiTimingClockGeneratorView view(nullptr, &bench.m_model);
        QByteArray block = intRecordBlock({{0, 400}});
        QDataStream in(block);
        QVERIFY(view.setDataStream(in));
        QCOMPARE(view.findChild<MidiTimingClockDial*>()->value(), 300);
        QTest::qWait(100);
        QVERIFY(bench.sent().isEmpty());
    }

    MidiTimingClockGeneratorView view(nullptr, &bench.m_model);
    QByteArray block = intRecordBlock({{0, 120}, {1, 1}});
    QDataStream in(block);
    QVERIFY(view.setDataStream(in));
    QVERIFY(view.findChild<MidiTimingClockPlayStopButton*>()->isChecked());
    QVERIFY(bench.m_platform.waitForSends(96, 5000));
    const double rate = clockRate(bench.m_platform.sentMessages());
    QVERIFY2(rate > 44.0 && rate < 52.0, qPrintable(QString::number(rate)));

    QByteArray written;
    QDataStream out(&written, QIODevice::WriteOnly);
    QVERIFY(view.getDataStream(out));
    QCOMPARE(written, block);
}

QTEST_MAIN(MidiTimingClockGeneratorViewTest)
#include "MidiTimingClockGeneratorViewTest.moc"
