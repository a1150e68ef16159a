#include "JackPeer.h"
#include "JackTestServer.h"
#include "ReceivedMessages.h"

#include "midi/MidiClient.h"
#include "midi/MidiInputPort.h"
#include "midi/MidiOutputPort.h"
#include "midi/platform/MidiPlatform.h"
#include "midi/platform/RtMidiPlatform.h"

#include <QtTest>

#include <algorithm>
#include <atomic>
#include <memory>

namespace {

const unsigned short MainWindowBufferSize = 4096;
const int TimingClockCount = 1000;
const int RoundTripCount = 1000;

// Receives for the test, or sends every message straight back out.
struct Receiver
{
    static void callback(void* user, const unsigned char* data, unsigned short size)
    {
        Receiver* self = static_cast<Receiver*>(user);
        if (self->echo) {
            self->echoed += self->output->transmitMidi(data, size) == MIDI_RESULT_OK ? 1 : 0;
        } else {
            self->received.append(QByteArray(reinterpret_cast<const char*>(data), size));
        }
    }

    ReceivedMessages received;
    std::atomic<bool> echo{false};
    std::atomic<int> echoed{0};
    MidiOutputPort* output = nullptr;
};

QByteArray noteOn(int n)
{
    const char bytes[3] = {static_cast<char>(0x90 | (n % 16)), static_cast<char>(n % 128), static_cast<char>(1 + (n / 128) % 127)};
    return QByteArray(bytes, 3);
}

MIDI_RESULT transmit(MidiOutputPort& output, const QByteArray& message)
{
    return output.transmitMidi(reinterpret_cast<const unsigned char*>(message.constData()),
                               static_cast<unsigned short>(message.size()));
}

std::chrono::microseconds percentile(std::vector<std::chrono::microseconds> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const std::size_t index = std::min(values.size() - 1, static_cast<std::size_t>(fraction * values.size()));
    return values[index];
}

} // namespace

// The device layer over RtMidi against a real JACK server (dummy driver) and a
// JACK client of the test's own.
class MidiJackTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(m_server.start(), qPrintable(QStringLiteral("jackd did not start:\n") + m_server.log()));
        m_peer = std::make_unique<JackPeer>(QStringLiteral("tarvo-peer"));
        QVERIFY(m_peer->isOpen());

        // JACK only, so that an ALSA sequencer on the machine does not take over.
        m_platform = std::make_unique<RtMidiPlatform>(std::vector<RtMidiPlatform::Backend>{RtMidiPlatform::Backend::Jack});
        MidiPlatform::install(m_platform.get());
        m_client = std::make_unique<MidiClient>();
        QVERIFY(m_client->clientRef() != MidiPlatformIF::NoRef);
        m_input = std::make_unique<MidiInputPort>(m_client.get(), MainWindowBufferSize);
        m_input->setReceivedMidiCallbackFunc(Receiver::callback, &m_receiver);
        m_output = std::make_unique<MidiOutputPort>(m_client.get(), MainWindowBufferSize);
        m_receiver.output = m_output.get();
    }

    void portsOpenByJackName()
    {
        MIDI_RESULT result = MIDI_RESULT_ERROR;
        QVERIFY(m_input->getInputPortNameList(&result).contains(m_peer->outputPortName()));
        QCOMPARE(result, MIDI_RESULT_OK);
        QVERIFY(m_output->getOutputPortNameList(&result).contains(m_peer->inputPortName()));
        QCOMPARE(result, MIDI_RESULT_OK);

        QCOMPARE(m_input->openInputPort(m_peer->outputPortName()), MIDI_RESULT_OK);
        QCOMPARE(m_output->openOutputPort(m_peer->inputPortName()), MIDI_RESULT_OK);
        QString name;
        m_input->getCurrentPortName(name);
        QCOMPARE(name, m_peer->outputPortName());
    }

    void receivedMessagesArriveWholeAndInOrder()
    {
        QList<QByteArray> expected{noteOn(60), midiMessage(0xF0, 4096)};
        for (int i = 0; i < TimingClockCount; ++i) {
            expected.append(QByteArray("\xF8", 1));
        }
        for (const QByteArray& message : expected) {
            m_peer->send(message);
        }
        QVERIFY(m_peer->waitUntilSent());
        QVERIFY(m_receiver.received.waitFor(expected.size(), 10000));
        QCOMPARE(m_receiver.received.messages(), expected);
    }

    void transmittedMessagesReachThePeer()
    {
        const int before = m_peer->received().size();
        QList<QByteArray> expected{noteOn(61), midiMessage(0xF0, 4084), QByteArray("\xB0\x07\x64", 3)};
        for (int i = 0; i < 100; ++i) {
            expected.append(QByteArray("\xF8", 1));
        }
        for (const QByteArray& message : expected) {
            QCOMPARE(transmit(*m_output, message), MIDI_RESULT_OK);
        }
        QCOMPARE(transmit(*m_output, midiMessage(0xF0, 4085)), MIDI_RESULT_ERROR);

        QVERIFY(m_peer->waitForReceived(before + expected.size(), 10000));
        QList<QByteArray> received;
        for (const JackPeer::Event& event : m_peer->received().mid(before)) {
            received.append(event.bytes);
        }
        QCOMPARE(received, expected);
    }

    void roundTripThroughTheReceiveThread()
    {
        m_receiver.echo = true;
        const int sentBefore = m_peer->sent().size();
        const int receivedBefore = m_peer->received().size();
        for (int i = 0; i < RoundTripCount; ++i) {
            m_peer->send(noteOn(i));
            QVERIFY2(m_peer->waitForReceived(receivedBefore + i + 1),
                     qPrintable(QStringLiteral("note %1 did not come back (%2 sent back)").arg(i).arg(m_receiver.echoed.load())));
        }
        m_receiver.echo = false;

        const QList<JackPeer::Event> sent = m_peer->sent().mid(sentBefore);
        const QList<JackPeer::Event> echoed = m_peer->received().mid(receivedBefore);
        QCOMPARE(echoed.size(), RoundTripCount);
        std::vector<std::chrono::microseconds> times;
        for (int i = 0; i < RoundTripCount; ++i) {
            QCOMPARE(echoed[i].bytes, noteOn(i));
            times.push_back(std::chrono::duration_cast<std::chrono::microseconds>(echoed[i].time - sent[i].time));
        }
        qInfo("JACK loopback round trip over %d notes (period 64 frames at 48 kHz): median %.2f ms, 99th percentile %.2f ms",
              RoundTripCount, percentile(times, 0.5).count() / 1000.0, percentile(times, 0.99).count() / 1000.0);
    }

    void cleanupTestCase()
    {
        m_input.reset();
        m_output.reset();
        m_client.reset();
        MidiPlatform::install(nullptr);
        m_platform.reset();
        m_peer.reset();
        m_server.stop();
    }

private:
    JackTestServer m_server;
    std::unique_ptr<JackPeer> m_peer;
    std::unique_ptr<RtMidiPlatform> m_platform;
    std::unique_ptr<MidiClient> m_client;
    Receiver m_receiver;
    std::unique_ptr<MidiInputPort> m_input;
    std::unique_ptr<MidiOutputPort> m_output;
};

QTEST_GUILESS_MAIN(MidiJackTest)
#include "MidiJackTest.moc"
