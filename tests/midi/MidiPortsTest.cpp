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

    MIDI_RESULT transmit(const QByteArray& message)
    {
        return output->transmitMidi(reinterpret_cast<const unsigned char*>(message.constData()),
                                    static_cast<unsigned short>(message.size()));
    }

    ReceivedMessages received;
    std::unique_ptr<MidiClient> client;
    std::unique_ptr<MidiInputPort> input;
    std::unique_ptr<MidiOutputPort> output;
};

const QByteArray NoteOn("\x90\x3C\x64", 3);
const QString Unassigned = QStringLiteral("No Assign");

} // namespace

class MidiPortsTest : public QObject
{
    Q_OBJECT

private slots:
    void nothingToOpenFailsSoftly()
    {
        VirtualMidiPlatform platform;
        {
            Device device;
            MIDI_RESULT result = MIDI_RESULT_ERROR;
            QVERIFY(device.input->getInputPortNameList(&result).isEmpty());
            QCOMPARE(result, MIDI_RESULT_OK);
            QCOMPARE(device.output->getOutputPortCount(nullptr), 0u);
            QCOMPARE(device.input->openInputPort(0u), MIDI_RESULT_ERROR);
            QCOMPARE(device.input->openInputPort(QStringLiteral("Synth")), MIDI_RESULT_ERROR);
            QCOMPARE(device.output->openOutputPort(0u), MIDI_RESULT_ERROR);
            QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_ERROR);
            QCOMPARE(device.output->closeOutputPort(), MIDI_RESULT_ERROR);
            QCOMPARE(device.inputName(), Unassigned);
            QCOMPARE(device.outputName(), Unassigned);
            QCOMPARE(platform.callCount(Op::ConnectSource), 0);
        }

        // Without a client the ports are not created and nothing is sent.
        platform.addSource(QStringLiteral("Keys"));
        platform.addDestination(QStringLiteral("Synth"));
        platform.failOperation(Op::CreateClient);
        Device device;
        QCOMPARE(device.client->clientRef(), MidiPlatformIF::NoRef);
        QCOMPARE(platform.portCount(), 0);
        QCOMPARE(device.input->openInputPort(QStringLiteral("Keys")), MIDI_RESULT_ERROR);
        QCOMPARE(device.inputName(), Unassigned);
        QCOMPARE(device.output->openOutputPort(QStringLiteral("Synth")), MIDI_RESULT_OK);
        QCOMPARE(device.transmit(NoteOn), MIDI_RESULT_ERROR);
        QVERIFY(platform.sentMessages().isEmpty());
    }

    void nameListsAndDuplicateNames()
    {
        VirtualMidiPlatform platform;
        platform.addSource(QStringLiteral("Keys"));
        const auto firstTwin = platform.addSource(QStringLiteral("Twin"));
        const auto secondTwin = platform.addSource(QStringLiteral("Twin"));
        const auto firstOut = platform.addDestination(QStringLiteral("Twin"));
        platform.addDestination(QStringLiteral("Twin"));
        Device device;

        // Opened by index before any list was built: the name is unknown.
        QCOMPARE(device.input->openInputPort(1u), MIDI_RESULT_OK);
        QCOMPARE(device.inputName(), Unassigned);
        const QList<QString> expected{QStringLiteral("Keys"), QStringLiteral("Twin"), QStringLiteral("Twin")};
        QCOMPARE(device.input->getInputPortNameList(nullptr), expected);
        QCOMPARE(device.inputName(), QStringLiteral("Twin"));

        // Names match exactly; of equal names the lower index is taken.
        QCOMPARE(device.input->openInputPort(QStringLiteral("twin")), MIDI_RESULT_ERROR);
        QCOMPARE(device.input->openInputPort(QStringLiteral("Twin")), MIDI_RESULT_OK);
        QVERIFY(platform.isConnected(firstTwin));
        QVERIFY(!platform.isConnected(secondTwin));
        QCOMPARE(device.output->openOutputPort(QStringLiteral("Twin")), MIDI_RESULT_OK);
        QCOMPARE(device.transmit(NoteOn), MIDI_RESULT_OK);
        QCOMPARE(platform.sentMessages().first().destination, firstOut);

        // Closing finds the twin by its own unique id, not by the name.
        platform.moveEndpoint(secondTwin, 0);
        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_OK);
        QVERIFY(!platform.isConnected(firstTwin));

        // A failed read while building a list leaves nothing of it.
        platform.failOperation(Op::EndpointName, 1);
        MIDI_RESULT result = MIDI_RESULT_OK;
        QVERIFY(device.input->getInputPortNameList(&result).isEmpty());
        QCOMPARE(result, MIDI_RESULT_ERROR);
        QCOMPARE(device.input->openInputPort(QStringLiteral("Keys")), MIDI_RESULT_ERROR);
        platform.clearFailures();
        platform.failOperation(Op::EndpointUniqueId, 1);
        QVERIFY(device.input->getInputPortNameList(&result).isEmpty());
        QCOMPARE(result, MIDI_RESULT_ERROR);
        platform.clearFailures();
        platform.failOperation(Op::Endpoint);
        QVERIFY(device.output->getOutputPortNameList(&result).isEmpty());
        QCOMPARE(result, MIDI_RESULT_ERROR);
        QCOMPARE(device.output->openOutputPort(QStringLiteral("Twin")), MIDI_RESULT_ERROR);
        platform.clearFailures();
        QCOMPARE(device.input->getInputPortNameList(&result).size(), 3);
        QCOMPARE(result, MIDI_RESULT_OK);
        QCOMPARE(platform.callCount(Op::ConnectSource), 2);
    }

    void inputOpenAndClose()
    {
        VirtualMidiPlatform platform;
        const auto a = platform.addSource(QStringLiteral("A"));
        const auto b = platform.addSource(QStringLiteral("B"));
        const auto c = platform.addSource(QStringLiteral("C"));
        Device device;
        device.input->getInputPortNameList(nullptr);

        // Opening another source closes the first.
        QCOMPARE(device.input->openInputPort(QStringLiteral("A")), MIDI_RESULT_OK);
        QCOMPARE(device.input->openInputPort(1u), MIDI_RESULT_OK);
        QVERIFY(!platform.isConnected(a));
        QVERIFY(platform.isConnected(b));
        QCOMPARE(device.inputName(), QStringLiteral("B"));

        // Now at index 2, with another source at index 1: closing still finds it.
        platform.moveEndpoint(b, 2);
        platform.addSource(QStringLiteral("New"));
        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_OK);
        QVERIFY(!platform.isConnected(b) && !platform.isConnected(c));
        QCOMPARE(device.inputName(), Unassigned);
        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_ERROR);
        // Packets of a closed source no longer arrive.
        platform.injectPacket(b, NoteOn);
        QVERIFY(platform.waitUntilDelivered());
        QVERIFY(device.received.messages().isEmpty());

        // An index beyond the count fails after the open source was closed.
        QCOMPARE(device.input->openInputPort(QStringLiteral("C")), MIDI_RESULT_OK);
        QCOMPARE(device.input->openInputPort(4u), MIDI_RESULT_ERROR);
        QVERIFY(!platform.isConnected(c));
        QCOMPARE(device.inputName(), Unassigned);

        // Connected, but the id cannot be read: the connection is undone, so
        // no packet arrives on a port that reports itself closed.
        platform.failOperation(Op::ConnectSource);
        QCOMPARE(device.input->openInputPort(0u), MIDI_RESULT_ERROR);
        platform.clearFailures();
        platform.failOperation(Op::EndpointUniqueId);
        QCOMPARE(device.input->openInputPort(0u), MIDI_RESULT_ERROR);
        QVERIFY(!platform.isConnected(a));
        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_ERROR);

        // A source whose id cannot be read cannot be closed, nor one that is gone.
        platform.clearFailures();
        QCOMPARE(device.input->openInputPort(QStringLiteral("C")), MIDI_RESULT_OK);
        platform.failOperation(Op::EndpointUniqueId);
        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_ERROR);
        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_ERROR);
        platform.clearFailures();
        QCOMPARE(device.input->openInputPort(QStringLiteral("A")), MIDI_RESULT_OK);
        platform.removeEndpoint(a);
        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_ERROR);
        QCOMPARE(device.inputName(), Unassigned);
        platform.failOperation(Op::DisconnectSource);
        QCOMPARE(device.input->openInputPort(QStringLiteral("New")), MIDI_RESULT_OK);
        QCOMPARE(device.input->closeInputPort(), MIDI_RESULT_ERROR);
        QCOMPARE(device.inputName(), Unassigned);
    }

    void outputSendsMessagesUnchanged()
    {
        VirtualMidiPlatform platform;
        const auto first = platform.addDestination(QStringLiteral("D0"));
        const auto second = platform.addDestination(QStringLiteral("D1"));
        Device device;
        device.output->getOutputPortNameList(nullptr);
        QCOMPARE(device.transmit(NoteOn), MIDI_RESULT_ERROR);

        QCOMPARE(device.output->openOutputPort(1u), MIDI_RESULT_OK);
        QCOMPARE(device.output->openOutputPort(2u), MIDI_RESULT_ERROR);
        QCOMPARE(device.outputName(), QStringLiteral("D1"));
        // Running status and real-time bytes pass as they are.
        const QList<QByteArray> messages{NoteOn, QByteArray("\x3E\x40", 2), QByteArray("\xF8", 1), QByteArray()};
        for (const QByteArray& message : messages) {
            QCOMPARE(device.transmit(message), MIDI_RESULT_OK);
        }
        QCOMPARE(device.output->openOutputPort(QStringLiteral("D0")), MIDI_RESULT_OK);
        QCOMPARE(device.transmit(NoteOn), MIDI_RESULT_OK);
        const auto sent = platform.sentMessages();
        QCOMPARE(sent.size(), 5);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(sent[i].bytes, messages[i]);
            QCOMPARE(sent[i].destination, second);
        }
        QCOMPARE(sent[4].destination, first);

        // A refused send, a destination that disappeared, a closed port and a
        // failed id read all fail without a send.
        platform.clearSentMessages();
        platform.failOperation(Op::Send);
        QCOMPARE(device.transmit(NoteOn), MIDI_RESULT_ERROR);
        platform.clearFailures();
        platform.removeEndpoint(first);
        QCOMPARE(device.transmit(NoteOn), MIDI_RESULT_ERROR);
        QCOMPARE(device.output->openOutputPort(0u), MIDI_RESULT_OK);
        QCOMPARE(device.output->closeOutputPort(), MIDI_RESULT_OK);
        QCOMPARE(device.transmit(NoteOn), MIDI_RESULT_ERROR);
        platform.failOperation(Op::EndpointUniqueId);
        QCOMPARE(device.output->openOutputPort(0u), MIDI_RESULT_ERROR);
        QCOMPARE(device.outputName(), Unassigned);
        QCOMPARE(device.output->closeOutputPort(), MIDI_RESULT_ERROR);
        QCOMPARE(device.transmit(NoteOn), MIDI_RESULT_ERROR);
        QVERIFY(platform.sentMessages().isEmpty());
    }

    void transmitSizeLimit()
    {
        // The largest message is the port's buffer size less 12 bytes.
        for (const QPair<int, int>& limit : QList<QPair<int, int>>{{4096, 4084}, {100, 88}}) {
            VirtualMidiPlatform platform;
            platform.addDestination(QStringLiteral("Synth"));
            Device device(static_cast<unsigned short>(limit.first));
            QCOMPARE(device.output->openOutputPort(0u), MIDI_RESULT_OK);
            const QByteArray fits = midiMessage(0xF0, limit.second);
            QCOMPARE(device.transmit(fits), MIDI_RESULT_OK);
            QCOMPARE(device.transmit(midiMessage(0xF0, limit.second + 1)), MIDI_RESULT_ERROR);
            QCOMPARE(device.transmit(midiMessage(0xF0, 65535)), MIDI_RESULT_ERROR);
            QCOMPARE(platform.callCount(Op::Send), 1);
            QCOMPARE(platform.sentMessages().first().bytes, fits);
        }
    }

    void receivedPacketsReachCallbackInOrder()
    {
        VirtualMidiPlatform platform;
        const auto source = platform.addSource(QStringLiteral("Keys"));
        {
            Device device;
            QCOMPARE(platform.clientCount(), 1);
            QCOMPARE(platform.portCount(), 2);
            QCOMPARE(device.input->openInputPort(QStringLiteral("Keys")), MIDI_RESULT_OK);
            const QByteArray sysEx = midiMessage(0xF0, 4096);
            platform.injectPackets(source, {NoteOn, sysEx, QByteArray("\xF8", 1), QByteArray()});
            // Too large for the receive callback: dropped whole, the next one arrives.
            platform.injectPackets(source, {midiMessage(0xF0, 70000), QByteArray("\xFE", 1)});
            QVERIFY(device.received.waitFor(5));
            QVERIFY(platform.waitUntilDelivered());
            const QList<QByteArray> expected{NoteOn, sysEx, QByteArray("\xF8", 1), QByteArray(),
                                             QByteArray("\xFE", 1)};
            QCOMPARE(device.received.messages(), expected);
        }
        // Destruction releases the connection, the ports and the client.
        QVERIFY(!platform.isConnected(source));
        QCOMPARE(platform.portCount(), 0);
        QCOMPARE(platform.clientCount(), 0);
    }
};

QTEST_GUILESS_MAIN(MidiPortsTest)
#include "MidiPortsTest.moc"
