#include "ReceivedMessages.h"
#include "VirtualMidiPlatform.h"

#include "midi/MidiClient.h"
#include "midi/MidiInputPort.h"
#include "midi/MidiOutputPort.h"

#include <QtTest>

#include <memory>

using Op = VirtualMidiPlatform::Operation;

namespace {

const unsigned short MainWindowBufferSize = 4096;
const QByteArray NoteOn("\x90\x3C\x64", 3);
const QString Unassigned = QStringLiteral("No Assign");
// More than the 1 MiB receive ring holds.
const int FloodPackets = 400;
const int FloodPacketSize = 4000;

// The device layer as the main window builds it, over a virtual platform.
struct Device
{
    explicit Device(unsigned short bufferSize = MainWindowBufferSize)
        : client(std::make_unique<MidiClient>())
        , input(std::make_unique<MidiInputPort>(client.get(), bufferSize))
        , output(std::make_unique<MidiOutputPort>(client.get(), bufferSize))
    {
        input->setReceivedMidiCallbackFunc(callback, this, lostCallback);
    }

    static void callback(void* user, const unsigned char* data, unsigned short size)
    {
        Device* self = static_cast<Device*>(user);
        std::lock_guard<std::mutex> stall(self->gate);
        self->received.append(QByteArray(reinterpret_cast<const char*>(data), size));
    }

    static void lostCallback(void* user, std::uint64_t count)
    {
        static_cast<Device*>(user)->lost += count;
    }

    QString name(Midi& port) const
    {
        QString text;
        port.getCurrentPortName(text);
        return text;
    }

    MIDI_RESULT transmit(const QByteArray& message)
    {
        return output->transmitMidi(reinterpret_cast<const unsigned char*>(message.constData()),
                                    static_cast<unsigned short>(message.size()));
    }

    // Held by a test to stall the receive thread.
    std::mutex gate;
    ReceivedMessages received;
    std::atomic<std::uint64_t> lost{0};
    std::unique_ptr<MidiClient> client;
    std::unique_ptr<MidiInputPort> input;
    std::unique_ptr<MidiOutputPort> output;
};

} // namespace

class MidiPortsTest : public QObject
{
    Q_OBJECT

private slots:
    void duplicateNamesAndFailedReads()
    {
        VirtualMidiPlatform platform;
        platform.addSource(QStringLiteral("Keys"));
        const auto firstTwin = platform.addSource(QStringLiteral("Twin"));
        const auto secondTwin = platform.addSource(QStringLiteral("Twin"));
        Device device;
        QCOMPARE(device.input->getInputPortNameList(nullptr),
                 QList<QString>({QStringLiteral("Keys"), QStringLiteral("Twin"), QStringLiteral("Twin")}));
        // Names match exactly; of equal names the lower index is taken.
        QCOMPARE(device.input->openInputPort(QStringLiteral("twin")), MIDI_RESULT_ERROR);
        QCOMPARE(device.input->openInputPort(QStringLiteral("Twin")), MIDI_RESULT_OK);
        QVERIFY(platform.isConnected(firstTwin) && !platform.isConnected(secondTwin));
        // Closing lets go of the connected twin wherever it has moved.
        platform.moveEndpoint(secondTwin, 0);
        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_OK);
        QVERIFY(!platform.isConnected(firstTwin));
        QCOMPARE(device.name(*device.input), Unassigned);
        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_ERROR);

        // A failed read leaves no list; a failed connection leaves nothing chosen.
        platform.failOperation(Op::EndpointUniqueId);
        MIDI_RESULT result = MIDI_RESULT_OK;
        QVERIFY(device.input->getInputPortNameList(&result).isEmpty());
        QCOMPARE(result, MIDI_RESULT_ERROR);
        platform.clearFailures();
        platform.failOperation(Op::ConnectSource);
        QCOMPARE(device.input->openInputPort(0u), MIDI_RESULT_ERROR);
        QCOMPARE(device.name(*device.input), Unassigned);
        QCOMPARE(device.input->openInputPort(3u), MIDI_RESULT_ERROR);
    }

    void outputSendsUnchangedWithinItsSize()
    {
        VirtualMidiPlatform platform;
        const auto synth = platform.addDestination(QStringLiteral("Synth"));
        Device device;
        QCOMPARE(device.transmit(NoteOn), MIDI_RESULT_ERROR);
        QCOMPARE(device.output->openOutputPort(1u), MIDI_RESULT_ERROR);
        QCOMPARE(device.output->openOutputPort(0u), MIDI_RESULT_OK);
        // Running status and real-time bytes pass as they are; the largest
        // message is the buffer size less 12 bytes.
        const QList<QByteArray> messages{NoteOn, QByteArray("\x3E\x40", 2), QByteArray("\xF8", 1),
                                         midiMessage(0xF0, MainWindowBufferSize - 12)};
        for (const QByteArray& message : messages)
            QCOMPARE(device.transmit(message), MIDI_RESULT_OK);
        QCOMPARE(device.transmit(midiMessage(0xF0, MainWindowBufferSize - 11)), MIDI_RESULT_ERROR);
        const auto sent = platform.sentMessages();
        QCOMPARE(sent.size(), messages.size());
        for (int i = 0; i < messages.size(); ++i)
            QVERIFY(sent[i].bytes == messages[i] && sent[i].destination == synth);
        QCOMPARE(device.output->closeOutputPort(), MIDI_RESULT_OK);
        QCOMPARE(device.transmit(NoteOn), MIDI_RESULT_ERROR);
    }

    // A chosen port that goes away stays chosen by name: sends fail, nothing
    // arrives, and a port of that name that appears is connected again.
    void chosenPortsFollowTheirNames()
    {
        VirtualMidiPlatform platform;
        const auto pad = platform.addSource(QStringLiteral("Pad"));
        const auto synth = platform.addDestination(QStringLiteral("Synth"));
        Device device;
        QCOMPARE(device.input->openInputPort(QStringLiteral("Pad")), MIDI_RESULT_OK);
        QCOMPARE(device.output->openOutputPort(QStringLiteral("Synth")), MIDI_RESULT_OK);
        platform.removeEndpoint(pad);
        platform.removeEndpoint(synth);
        device.input->refresh(platform.refresh());
        device.output->refresh(false);
        QCOMPARE(device.transmit(NoteOn), MIDI_RESULT_ERROR);
        QCOMPARE(device.name(*device.input), QStringLiteral("Pad"));
        QCOMPARE(device.name(*device.output), QStringLiteral("Synth"));

        const auto newPad = platform.addSource(QStringLiteral("Pad"));
        const auto newSynth = platform.addDestination(QStringLiteral("Synth"));
        const bool changed = platform.refresh();
        device.input->refresh(changed);
        device.output->refresh(changed);
        QVERIFY(platform.isConnected(newPad));
        QCOMPARE(device.transmit(NoteOn), MIDI_RESULT_OK);
        QCOMPARE(platform.sentMessages().last().destination, newSynth);

        // Chosen by a stored name before it exists: connected once it does,
        // without a change being reported.
        QCOMPARE(device.input->openInputPort(QStringLiteral("Later")), MIDI_RESULT_ERROR);
        QCOMPARE(device.name(*device.input), QStringLiteral("Later"));
        const auto later = platform.addSource(QStringLiteral("Later"));
        device.input->refresh(false);
        QVERIFY(platform.isConnected(later));
        platform.injectPackets(later, {NoteOn});
        QVERIFY(device.received.waitFor(1));
    }

    // The platform's MIDI thread never waits: flooding a stalled receive
    // thread drops whole messages and counts each, and a close meanwhile
    // (which waits for the delivery in progress, as RtMidi's closePort joins
    // its thread) returns instead of deadlocking.
    void floodIntoStalledReaderNeverBlocksTheWriter()
    {
        VirtualMidiPlatform platform;
        const auto source = platform.addSource(QStringLiteral("Flood"));
        Device device;
        QCOMPARE(device.input->openInputPort(0u), MIDI_RESULT_OK);
        QList<QByteArray> flood;
        for (int i = 0; i < FloodPackets; ++i)
            flood << midiMessage(0xF0, FloodPacketSize);
        {
            std::lock_guard<std::mutex> stall(device.gate);
            platform.injectPackets(source, flood);
            QVERIFY(platform.waitUntilDelivered());
            QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_OK);
        }
        QTRY_COMPARE(device.received.messages().size() + device.lost, std::uint64_t(FloodPackets));
        QVERIFY(device.lost > 0);
    }

    void receivedPacketsReachCallbackInOrder()
    {
        VirtualMidiPlatform platform;
        const auto source = platform.addSource(QStringLiteral("Keys"));
        Device device;
        QCOMPARE(device.input->openInputPort(QStringLiteral("Keys")), MIDI_RESULT_OK);
        const QByteArray sysEx = midiMessage(0xF0, 70000);
        // Too large for the receive callback: dropped whole, the next one arrives.
        platform.injectPackets(source, {NoteOn, sysEx, QByteArray("\xF8", 1), QByteArray()});
        QVERIFY(device.received.waitFor(3));
        QVERIFY(platform.waitUntilDelivered());
        QCOMPARE(device.received.messages(), QList<QByteArray>({NoteOn, QByteArray("\xF8", 1), QByteArray()}));
        QTRY_COMPARE(device.lost.load(), std::uint64_t(1));
    }
};

QTEST_GUILESS_MAIN(MidiPortsTest)
#include "MidiPortsTest.moc"
