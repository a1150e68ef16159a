#include "ServiceTestRig.h"

#include "services/MidiBulkIntervalManager.h"

#include <QElapsedTimer>
#include <QtTest>

#include <thread>

namespace {

const QByteArray IdentityRequest("\xF0\x7E\x7F\x06\x01\xF7", 6);
const QByteArray NoteOn("\x90\x3C\x40", 3);
const QByteArray InnerEndOfExclusive("\xF0\x01\xF7\x02", 4);

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
    void pausesOnlyAfterEndOfExclusiveWhileEnabled();
    void concurrentWaitsMeasureTheirOwnPause();
    void transmitPathPausesAfterTheSend();
};

void MidiBulkIntervalManagerTest::pausesOnlyAfterEndOfExclusiveWhileEnabled()
{
    TarvoModel model;
    MidiBulkIntervalManager manager(&model);
    QVERIFY(pauseAfter(manager, IdentityRequest) < 100);

    model.setModelIntValue(BulkIntervalId, 300);
    QVERIFY(pauseAfter(manager, IdentityRequest) >= 300);
    QVERIFY(pauseAfter(manager, NoteOn) < 300);
    QVERIFY(pauseAfter(manager, InnerEndOfExclusive) < 300);
    manager.waitBulkAfterTransmission(nullptr, 0);
    manager.waitBulkBeforeTransmission(reinterpret_cast<const unsigned char*>(IdentityRequest.constData()), 6);

    manager.setEnabledBulkInterval(false);
    QVERIFY(pauseAfter(manager, IdentityRequest) < 300);
    manager.setEnabledBulkInterval(true);
    QVERIFY(pauseAfter(manager, IdentityRequest) >= 300);

    // A change of the parameter enables the pause again, at its new length.
    manager.setEnabledBulkInterval(false);
    model.setModelIntValue(BulkIntervalId, 150);
    QVERIFY(pauseAfter(manager, IdentityRequest) >= 150);
}

void MidiBulkIntervalManagerTest::concurrentWaitsMeasureTheirOwnPause()
{
    TarvoModel model;
    model.setModelIntValue(BulkIntervalId, 200);
    MidiBulkIntervalManager manager(&model);
    qint64 otherPause = 0;
    std::thread other([&]() { otherPause = pauseAfter(manager, IdentityRequest); });
    QTest::qSleep(100);
    const qint64 pause = pauseAfter(manager, IdentityRequest);
    other.join();
    QVERIFY(pause >= 200);
    QVERIFY(otherPause >= 200);
}

void MidiBulkIntervalManagerTest::transmitPathPausesAfterTheSend()
{
    ServiceTestRig rig;
    rig.model.setModelIntValue(BulkIntervalId, 200);
    const auto* message = reinterpret_cast<const unsigned char*>(IdentityRequest.constData());

    QVERIFY(rig.window->transmitMidi(message, 6));
    const auto returned = std::chrono::steady_clock::now();
    QVERIFY(rig.window->transmitMidi(message, 6));
    const QList<VirtualMidiPlatform::SentMessage> sent = rig.platform.sentMessages();
    QCOMPARE(sent.size(), 2);
    QVERIFY(returned - sent[0].time >= std::chrono::milliseconds(200));
    QVERIFY(sent[1].time - sent[0].time >= std::chrono::milliseconds(200));
}

QTEST_MAIN(MidiBulkIntervalManagerTest)
#include "MidiBulkIntervalManagerTest.moc"
