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

// The device layer as the main window builds it, over a virtual platform.
struct Device
{
    explicit Device(unsigned short bufferSize = MainWindowBufferSize)
        : client(std::make_unique<MidiClient>())
        , input(std::make_unique<MidiInputPort>(client.get(), bufferSize))
        , output(std::make_unique<MidiOutputPort>(client.get(), bufferSize))
    {
        input->setReceivedMidiCallbackFunc(ReceivedMessages::callback, &received);
    }

    ~Device()
    {
        input.reset();
        output.reset();
        client.reset();
    }

    QString inputName() const
    {
        QString name;
        input->getCurrentPortName(name);
        return name;
    }

    QString outputName() const
    {
        QString name;
        output->getCurrentPortName(name);
        return name;
    }

    ReceivedMessages received;
    std::unique_ptr<MidiClient> client;
    std::unique_ptr<MidiInputPort> input;
    std::unique_ptr<MidiOutputPort> output;
};

const QByteArray NoteOn("\x90\x3C\x64", 3);

MIDI_RESULT transmit(MidiOutputPort& output, const QByteArray& message)
{
    return output.transmitMidi(reinterpret_cast<const unsigned char*>(message.constData()),
                               static_cast<unsigned short>(message.size()));
}

} // namespace

class MidiPortsTest : public QObject
{
    Q_OBJECT

private slots:
    void emptyPlatform()
    {
        VirtualMidiPlatform platform;
        Device device;

        MIDI_RESULT result = MIDI_RESULT_ERROR;
        QVERIFY(device.input->getInputPortNameList(&result).isEmpty());
        QCOMPARE(result, MIDI_RESULT_OK);
        result = MIDI_RESULT_ERROR;
        QVERIFY(device.output->getOutputPortNameList(&result).isEmpty());
        QCOMPARE(result, MIDI_RESULT_OK);
        result = MIDI_RESULT_ERROR;
        QCOMPARE(device.input->getInputPortCount(&result), 0u);
        QCOMPARE(result, MIDI_RESULT_OK);
        QCOMPARE(device.output->getOutputPortCount(nullptr), 0u);

        QCOMPARE(device.input->openInputPort(0u), MIDI_RESULT_ERROR);
        QCOMPARE(device.input->openInputPort(QStringLiteral("Synth")), MIDI_RESULT_ERROR);
        QCOMPARE(device.output->openOutputPort(0u), MIDI_RESULT_ERROR);
        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_ERROR);
        QCOMPARE(device.output->closeOutputPort(), MIDI_RESULT_ERROR);
        QCOMPARE(device.inputName(), QStringLiteral("No Assign"));
        QCOMPARE(device.outputName(), QStringLiteral("No Assign"));
        QCOMPARE(platform.callCount(Op::ConnectSource), 0);
    }

    void nameListKeepsPlatformOrderAndDuplicates()
    {
        VirtualMidiPlatform platform;
        platform.addSource(QStringLiteral("Keys"));
        const auto firstTwin = platform.addSource(QStringLiteral("Twin"));
        const auto secondTwin = platform.addSource(QStringLiteral("Twin"));
        Device device;

        const QList<QString> expected{QStringLiteral("Keys"), QStringLiteral("Twin"), QStringLiteral("Twin")};
        QCOMPARE(device.input->getInputPortNameList(nullptr), expected);
        QCOMPARE(device.input->getInputPortCount(nullptr), 3u);

        QCOMPARE(device.input->openInputPort(QStringLiteral("twin")), MIDI_RESULT_ERROR);
        QCOMPARE(device.input->openInputPort(QStringLiteral("Twin")), MIDI_RESULT_OK);
        QVERIFY(platform.isConnected(firstTwin));
        QVERIFY(!platform.isConnected(secondTwin));
        QCOMPARE(device.inputName(), QStringLiteral("Twin"));

        // Closing finds the twin by its own unique id, not by the name.
        platform.moveEndpoint(secondTwin, 0);
        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_OK);
        QVERIFY(!platform.isConnected(firstTwin));
    }

    void duplicateDestinationNamesSelectLowerIndex()
    {
        VirtualMidiPlatform platform;
        const auto firstTwin = platform.addDestination(QStringLiteral("Twin"));
        platform.addDestination(QStringLiteral("Twin"));
        Device device;

        QCOMPARE(device.output->openOutputPort(QStringLiteral("Twin")), MIDI_RESULT_OK);
        QCOMPARE(transmit(*device.output, NoteOn), MIDI_RESULT_OK);
        QCOMPARE(platform.sentMessages().size(), 1);
        QCOMPARE(platform.sentMessages().first().destination, firstTwin);
    }

    void closeFindsSourceThatMoved()
    {
        VirtualMidiPlatform platform;
        const auto a = platform.addSource(QStringLiteral("A"));
        const auto b = platform.addSource(QStringLiteral("B"));
        const auto c = platform.addSource(QStringLiteral("C"));
        Device device;
        device.input->getInputPortNameList(nullptr);

        QCOMPARE(device.input->openInputPort(1u), MIDI_RESULT_OK);
        QVERIFY(platform.isConnected(b));
        // Now at index 2; index 1 holds another source.
        platform.moveEndpoint(b, 2);
        platform.addSource(QStringLiteral("New"));

        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_OK);
        QVERIFY(!platform.isConnected(a));
        QVERIFY(!platform.isConnected(b));
        QVERIFY(!platform.isConnected(c));
        QCOMPARE(device.inputName(), QStringLiteral("No Assign"));
        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_ERROR);

        // Packets of a closed source no longer arrive.
        platform.injectPacket(b, NoteOn);
        QVERIFY(platform.waitUntilDelivered());
        QVERIFY(device.received.messages().isEmpty());
    }

    void openingAnotherSourceClosesTheFirst()
    {
        VirtualMidiPlatform platform;
        const auto a = platform.addSource(QStringLiteral("A"));
        const auto b = platform.addSource(QStringLiteral("B"));
        Device device;

        QCOMPARE(device.input->openInputPort(QStringLiteral("A")), MIDI_RESULT_OK);
        QCOMPARE(device.input->openInputPort(QStringLiteral("B")), MIDI_RESULT_OK);
        QVERIFY(!platform.isConnected(a));
        QVERIFY(platform.isConnected(b));
        QCOMPARE(device.inputName(), QStringLiteral("B"));

        // An index beyond the count fails after the open source was closed.
        QCOMPARE(device.input->openInputPort(2u), MIDI_RESULT_ERROR);
        QVERIFY(!platform.isConnected(b));
        QCOMPARE(device.inputName(), QStringLiteral("No Assign"));
    }

    void closeWhenSourceIsGone()
    {
        VirtualMidiPlatform platform;
        const auto a = platform.addSource(QStringLiteral("A"));
        platform.addSource(QStringLiteral("B"));
        Device device;

        QCOMPARE(device.input->openInputPort(QStringLiteral("A")), MIDI_RESULT_OK);
        platform.removeEndpoint(a);
        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_ERROR);
        QCOMPARE(device.inputName(), QStringLiteral("No Assign"));

        // A failed id read ends the walk: the open source is not found.
        QCOMPARE(device.input->openInputPort(QStringLiteral("B")), MIDI_RESULT_OK);
        platform.failOperation(Op::EndpointUniqueId);
        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_ERROR);
        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_ERROR);
    }

    void failedNameListBuild()
    {
        VirtualMidiPlatform platform;
        platform.addSource(QStringLiteral("A"));
        platform.addSource(QStringLiteral("B"));
        platform.addDestination(QStringLiteral("Out"));
        Device device;

        // The second name read fails: nothing of the first survives.
        platform.failOperation(Op::EndpointName, 1);
        MIDI_RESULT result = MIDI_RESULT_OK;
        QVERIFY(device.input->getInputPortNameList(&result).isEmpty());
        QCOMPARE(result, MIDI_RESULT_ERROR);
        QCOMPARE(device.input->openInputPort(QStringLiteral("A")), MIDI_RESULT_ERROR);
        QCOMPARE(platform.callCount(Op::ConnectSource), 0);

        platform.clearFailures();
        platform.failOperation(Op::EndpointUniqueId, 1);
        result = MIDI_RESULT_OK;
        QVERIFY(device.input->getInputPortNameList(&result).isEmpty());
        QCOMPARE(result, MIDI_RESULT_ERROR);

        platform.clearFailures();
        platform.failOperation(Op::Endpoint);
        result = MIDI_RESULT_OK;
        QVERIFY(device.output->getOutputPortNameList(&result).isEmpty());
        QCOMPARE(result, MIDI_RESULT_ERROR);
        QCOMPARE(device.output->openOutputPort(QStringLiteral("Out")), MIDI_RESULT_ERROR);

        platform.clearFailures();
        QCOMPARE(device.input->getInputPortNameList(&result), (QList<QString>{QStringLiteral("A"), QStringLiteral("B")}));
        QCOMPARE(result, MIDI_RESULT_OK);
    }

    void currentNameFollowsLastBuiltList()
    {
        VirtualMidiPlatform platform;
        platform.addSource(QStringLiteral("A"));
        platform.addSource(QStringLiteral("B"));
        Device device;

        // Opened by index before any list was built: the name is unknown.
        QCOMPARE(device.input->openInputPort(1u), MIDI_RESULT_OK);
        QCOMPARE(device.inputName(), QStringLiteral("No Assign"));
        device.input->getInputPortNameList(nullptr);
        QCOMPARE(device.inputName(), QStringLiteral("B"));
    }

    void failedConnectOrIdLeavesPortClosed()
    {
        VirtualMidiPlatform platform;
        const auto a = platform.addSource(QStringLiteral("A"));
        Device device;

        platform.failOperation(Op::ConnectSource);
        QCOMPARE(device.input->openInputPort(0u), MIDI_RESULT_ERROR);
        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_ERROR);

        // Connected, but the id cannot be read: the connection is undone, so
        // no packet arrives on a port that reports itself closed.
        platform.clearFailures();
        platform.failOperation(Op::EndpointUniqueId);
        QCOMPARE(device.input->openInputPort(0u), MIDI_RESULT_ERROR);
        QVERIFY(!platform.isConnected(a));
        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_ERROR);

        platform.clearFailures();
        platform.failOperation(Op::DisconnectSource);
        QCOMPARE(device.input->openInputPort(0u), MIDI_RESULT_OK);
        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_ERROR);
        QCOMPARE(device.inputName(), QStringLiteral("No Assign"));
    }

    void outputSelection()
    {
        VirtualMidiPlatform platform;
        const auto first = platform.addDestination(QStringLiteral("D0"));
        const auto second = platform.addDestination(QStringLiteral("D1"));
        Device device;
        device.output->getOutputPortNameList(nullptr);

        QCOMPARE(device.output->openOutputPort(1u), MIDI_RESULT_OK);
        QCOMPARE(device.output->openOutputPort(2u), MIDI_RESULT_ERROR);
        QCOMPARE(device.outputName(), QStringLiteral("D1"));
        QCOMPARE(transmit(*device.output, NoteOn), MIDI_RESULT_OK);
        QCOMPARE(platform.sentMessages().last().destination, second);

        QCOMPARE(device.output->openOutputPort(QStringLiteral("D0")), MIDI_RESULT_OK);
        QCOMPARE(transmit(*device.output, NoteOn), MIDI_RESULT_OK);
        QCOMPARE(platform.sentMessages().last().destination, first);

        // A failed id read drops the selection altogether.
        platform.failOperation(Op::EndpointUniqueId);
        QCOMPARE(device.output->openOutputPort(1u), MIDI_RESULT_ERROR);
        QCOMPARE(device.outputName(), QStringLiteral("No Assign"));
        QCOMPARE(device.output->closeOutputPort(), MIDI_RESULT_ERROR);
        QCOMPARE(transmit(*device.output, NoteOn), MIDI_RESULT_ERROR);
    }

    void transmitSendsMessageUnchanged()
    {
        VirtualMidiPlatform platform;
        const auto destination = platform.addDestination(QStringLiteral("Synth"));
        Device device;
        QCOMPARE(device.output->openOutputPort(0u), MIDI_RESULT_OK);

        // Running status and real-time bytes pass as they are.
        const QByteArray messages[] = {NoteOn, QByteArray("\x3E\x40", 2), QByteArray("\xF8", 1), QByteArray()};
        for (const QByteArray& message : messages) {
            QCOMPARE(transmit(*device.output, message), MIDI_RESULT_OK);
        }
        const auto sent = platform.sentMessages();
        QCOMPARE(sent.size(), 4);
        for (int i = 0; i < sent.size(); ++i) {
            QCOMPARE(sent[i].bytes, messages[i]);
            QCOMPARE(sent[i].destination, destination);
        }

        platform.failOperation(Op::Send);
        QCOMPARE(transmit(*device.output, NoteOn), MIDI_RESULT_ERROR);
    }

    void transmitSizeLimit_data()
    {
        QTest::addColumn<int>("bufferSize");
        QTest::addColumn<int>("largest");
        QTest::newRow("main window ports") << 4096 << 4084;
        QTest::newRow("small ports") << 100 << 88;
    }

    void transmitSizeLimit()
    {
        QFETCH(int, bufferSize);
        QFETCH(int, largest);
        VirtualMidiPlatform platform;
        platform.addDestination(QStringLiteral("Synth"));
        Device device(static_cast<unsigned short>(bufferSize));
        QCOMPARE(device.output->openOutputPort(0u), MIDI_RESULT_OK);

        const QByteArray fits = midiMessage(0xF0, largest);
        QCOMPARE(transmit(*device.output, fits), MIDI_RESULT_OK);
        QCOMPARE(transmit(*device.output, midiMessage(0xF0, largest + 1)), MIDI_RESULT_ERROR);
        QCOMPARE(transmit(*device.output, midiMessage(0xF0, 65535)), MIDI_RESULT_ERROR);
        QCOMPARE(platform.callCount(Op::Send), 1);
        QCOMPARE(platform.sentMessages().first().bytes, fits);
    }

    void nothingReachesPlatformWithoutDestination()
    {
        VirtualMidiPlatform platform;
        const auto destination = platform.addDestination(QStringLiteral("Synth"));
        Device device;

        QCOMPARE(transmit(*device.output, NoteOn), MIDI_RESULT_ERROR);
        QCOMPARE(device.output->openOutputPort(0u), MIDI_RESULT_OK);
        QCOMPARE(device.output->closeOutputPort(), MIDI_RESULT_OK);
        QCOMPARE(transmit(*device.output, NoteOn), MIDI_RESULT_ERROR);
        QCOMPARE(platform.callCount(Op::Send), 0);

        // A destination that disappeared is refused by the platform.
        QCOMPARE(device.output->openOutputPort(0u), MIDI_RESULT_OK);
        platform.removeEndpoint(destination);
        QCOMPARE(transmit(*device.output, NoteOn), MIDI_RESULT_ERROR);
        QVERIFY(platform.sentMessages().isEmpty());
    }

    void receivedPacketsReachCallbackInOrder()
    {
        VirtualMidiPlatform platform;
        const auto source = platform.addSource(QStringLiteral("Keys"));
        Device device;
        QCOMPARE(device.input->openInputPort(QStringLiteral("Keys")), MIDI_RESULT_OK);

        const QByteArray sysEx = midiMessage(0xF0, 4096);
        platform.injectPackets(source, {NoteOn, sysEx, QByteArray("\xF8", 1), QByteArray()});
        // Too large for the 4098-byte ring: dropped whole, the next one arrives.
        platform.injectPackets(source, {midiMessage(0xF0, 4097), QByteArray("\xFE", 1)});
        QVERIFY(device.received.waitFor(5));
        QVERIFY(platform.waitUntilDelivered());
        const QList<QByteArray> expected{NoteOn, sysEx, QByteArray("\xF8", 1), QByteArray(), QByteArray("\xFE", 1)};
        QCOMPARE(device.received.messages(), expected);
    }

    void unavailablePlatformFailsSoftly()
    {
        VirtualMidiPlatform platform;
        platform.addSource(QStringLiteral("Keys"));
        platform.addDestination(QStringLiteral("Synth"));
        platform.failOperation(Op::CreateClient);
        Device device;

        QCOMPARE(device.client->clientRef(), MidiPlatformIF::NoRef);
        QCOMPARE(platform.portCount(), 0);
        QCOMPARE(device.input->openInputPort(QStringLiteral("Keys")), MIDI_RESULT_ERROR);
        QCOMPARE(device.inputName(), QStringLiteral("No Assign"));
        QCOMPARE(device.output->openOutputPort(QStringLiteral("Synth")), MIDI_RESULT_OK);
        QCOMPARE(transmit(*device.output, NoteOn), MIDI_RESULT_ERROR);
        QVERIFY(platform.sentMessages().isEmpty());
    }

    void destructionReleasesEverything()
    {
        VirtualMidiPlatform platform;
        const auto source = platform.addSource(QStringLiteral("Keys"));
        {
            Device device;
            QCOMPARE(platform.clientCount(), 1);
            QCOMPARE(platform.portCount(), 2);
            QCOMPARE(device.input->openInputPort(0u), MIDI_RESULT_OK);
            platform.injectPacket(source, NoteOn);
            QVERIFY(device.received.waitFor(1));
        }
        QVERIFY(!platform.isConnected(source));
        QCOMPARE(platform.portCount(), 0);
        QCOMPARE(platform.clientCount(), 0);
    }
};

QTEST_GUILESS_MAIN(MidiPortsTest)
#include "MidiPortsTest.moc"
