#include "engine/MidiBulkIntervalManager.h"

#include <QElapsedTimer>
#include <QtTest>

#include <thread>

namespace {

const QByteArray IdentityRequest("\xF0\x7E\x7F\x06\x01\xF7", 6);
const QByteArray NoteOn("\x90\x3C\x40", 3);
const QByteArray InnerEndOfExclusive("\xF0\x01\xF7\x02", 4);
const int IntervalMs = 300;
const int LongestIntervalMs = 1000;

// Milliseconds that waitBulkAfterTransmission held the caller.
qint64 pauseAfter(MidiBulkIntervalManager& manager, const QByteArray& message)
{
    QElapsedTimer timer;
    timer.start();
    manager.waitBulkAfterTransmission(reinterpret_cast<const unsigned char*>(message.constData()),
                                      static_cast<unsigned short>(message.size()));
    return timer.elapsed();
}

} // namespace

class MidiBulkIntervalManagerTest : public QObject
{
    Q_OBJECT

private slots:
    void pausesOnlyAfterEndOfExclusiveWhileEnabled()
    {
        MidiBulkIntervalManager manager;
        manager.setBulkInterval(IntervalMs);
        QVERIFY(pauseAfter(manager, IdentityRequest) >= IntervalMs);
        QVERIFY(pauseAfter(manager, NoteOn) < IntervalMs);
        QVERIFY(pauseAfter(manager, InnerEndOfExclusive) < IntervalMs);
        manager.setEnabledBulkInterval(false);
        manager.setBulkInterval(IntervalMs / 2);
        QVERIFY(pauseAfter(manager, IdentityRequest) < IntervalMs / 2);
        manager.setEnabledBulkInterval(true);
        QVERIFY(pauseAfter(manager, IdentityRequest) >= IntervalMs / 2);
    }

    // Switching the interval off releases a pause under way: the window does
    // so before it waits for its threads.
    void switchingOffReleasesPausesUnderWay()
    {
        MidiBulkIntervalManager manager(LongestIntervalMs);
        qint64 pause = 0;
        std::thread released([&]() { pause = pauseAfter(manager, IdentityRequest); });
        QTest::qSleep(IntervalMs);
        manager.setEnabledBulkInterval(false);
        released.join();
        QVERIFY(pause < LongestIntervalMs);
    }
};

QTEST_MAIN(MidiBulkIntervalManagerTest)
#include "MidiBulkIntervalManagerTest.moc"
