#include <QtTest>

#include "midilib.h"

namespace {

struct RecordingListener {
    midilib_outputChannelListener base;
    QByteArrayList *pLog;
    char name;
};

void record(midilib_outputChannelListener *listener, const uint8_t *bytes, size_t size)
{
    auto *self = reinterpret_cast<RecordingListener *>(listener);
    *self->pLog << QByteArray(1, self->name) + QByteArray(reinterpret_cast<const char *>(bytes), int(size));
}

struct RecordingPort {
    midilib_outputPort port;
    QByteArrayList sent;
};

void recordPort(midilib_outputPort *port, const uint8_t *bytes, size_t size)
{
    auto *self = reinterpret_cast<RecordingPort *>(port);
    self->sent << QByteArray(reinterpret_cast<const char *>(bytes), int(size));
}

} // namespace

class MidilibOutputPortTest : public QObject
{
    Q_OBJECT

private slots:
    void channelSendsToListenersInOrder();
    void portForwardsEveryChannel();
};

void MidilibOutputPortTest::channelSendsToListenersInOrder()
{
    QByteArrayList log;
    RecordingListener a = { { record }, &log, 'a' };
    RecordingListener b = { { record }, &log, 'b' };
    midilib_outputChannel channel;
    midilib_outputChannel_init(&channel, 4);
    midilib_outputChannel_registerListener(&channel, &b.base);
    midilib_outputChannel_registerListener(&channel, &a.base);
    midilib_outputChannel_registerListener(&channel, &b.base);
    midilib_outputChannel_sendNoteOn(&channel, 60, 100);
    QCOMPARE(log, QByteArrayList({ QByteArray("b\x94\x3C\x64"), QByteArray("a\x94\x3C\x64") }));

    log.clear();
    midilib_outputChannel_unregisterListener(&channel, &b.base);
    midilib_outputChannel_sendNoteOff(&channel, 60, 0);
    midilib_outputChannel_sendControlChange(&channel, 7, 127);
    midilib_outputChannel_sendPitchBend(&channel, 8193);
    QCOMPARE(log, QByteArrayList({ QByteArray("a\x84\x3C\x00", 4), QByteArray("a\xB4\x07\x7F"),
                                   QByteArray("a\xE4\x01\x40") }));

    log.clear();
    midilib_outputChannel_unregisterListener(&channel, &a.base);
    midilib_outputChannel_unregisterListener(&channel, &a.base);
    midilib_outputChannel_sendNoteOn(&channel, 1, 1);
    QVERIFY(log.isEmpty());
}

void MidilibOutputPortTest::portForwardsEveryChannel()
{
    RecordingPort owner;
    owner.port.sendData = recordPort;
    midilib_outputPort_init(&owner.port);
    for (int channel = 0; channel <= MIDILIB_ChannelNumber_Max; ++channel) {
        midilib_outputChannel_sendNoteOn(midilib_outputPort_getChannel(&owner.port, channel), channel, 1);
        QCOMPARE(owner.sent.value(channel), QByteArray(1, char(0x90 + channel)) + char(channel) + '\x01');
    }
    QCOMPARE(owner.sent.size(), 16);
}

QTEST_APPLESS_MAIN(MidilibOutputPortTest)
#include "MidilibOutputPortTest.moc"
