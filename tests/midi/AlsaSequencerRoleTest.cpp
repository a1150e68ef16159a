// The device layer and the engine over a platform that behaves as the ALSA
// sequencer does: a device that goes and comes back under another client
// number is found again by name, in and out; the program's own ports are
// never offered while another instance's are; a long dump leaves as SYSEX
// events of the piece size at the rate limit; what cannot go is counted.

#include "Dumps.h"
#include "VirtualMidiPlatform.h"

#include "engine/MidiEngine.h"
#include "engine/MonitorFeed.h"
#include "engine/MonitorSinkIF.h"
#include "midi/MidiSendControlIF.h"
#include "midi/platform/AlsaSequencerOutput.h"
#include "model/TarvoModel.h"
#include "services/MidiEngineSettings.h"
#include "services/PacedSender.h"

#include <alsa/asoundlib.h>

#include <QtTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

const int OwnClient = 128;
const QString Keys = QStringLiteral("Keys:Keys MIDI 1");
const QString Synth = QStringLiteral("Synth:Synth MIDI 1");
const int DumpSize = 64 * 1024;
const unsigned int RateLimit = 512 * 1024;
const QByteArray NoteOn = QByteArray::fromHex("903C64");

struct Monitor : MonitorSinkIF
{
    void takeRecords(const MidiRecords& taken) override { records += taken; }
    MidiRecords records;
};

// Unplugs a device once a number of pieces has gone to it.
struct UnplugAfter : MidiSendControlIF
{
    UnplugAfter(VirtualMidiPlatform& platform, MidiPlatformIF::Ref device, int pieces)
        : platform(platform), device(device), left(pieces)
    {
    }
    bool beforePiece(std::size_t) override { return true; }
    void afterPiece(std::size_t) override
    {
        if (--left == 0)
            platform.removeEndpoint(device);
    }
    VirtualMidiPlatform& platform;
    MidiPlatformIF::Ref device;
    int left;
};

// The engine as the window makes it, over the platform in the ALSA role, with
// a keyboard at 20:0 and a synthesizer at 24:0.
struct AlsaRig
{
    AlsaRig()
    {
        platform.setAlsaRole(OwnClient);
        keys = platform.addAlsaPort(MidiEndpointKind::Source, "Keys", "Keys MIDI 1", AlsaAddress{20, 0});
        synth = platform.addAlsaPort(MidiEndpointKind::Destination, "Synth", "Synth MIDI 1", AlsaAddress{24, 0});
        engine = std::make_unique<MidiEngine>(QStringLiteral("Tarvo Suite"), MidiSystem::Automatic);
        settings = std::make_unique<MidiEngineSettings>(&model, engine.get());
    }

    // As a sending thread (the editor's, tarvo-cli's) does.
    bool transmit(const QByteArray& bytes, MidiSendControlIF* control = nullptr)
    {
        bool done = false;
        std::thread([&] {
            done = engine->transmitMidi(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                        std::size_t(bytes.size()), control);
        }).join();
        return done;
    }

    QList<QByteArray> sentTo(MidiPlatformIF::Ref destination) const
    {
        QList<QByteArray> sent;
        for (const VirtualMidiPlatform::SentMessage& message : platform.sentMessages()) {
            if (message.destination == destination)
                sent << message.bytes;
        }
        return sent;
    }

    VirtualMidiPlatform platform;
    TarvoModel model;
    MidiPlatformIF::Ref keys = MidiPlatformIF::NoRef;
    MidiPlatformIF::Ref synth = MidiPlatformIF::NoRef;
    std::unique_ptr<MidiEngine> engine;
    std::unique_ptr<MidiEngineSettings> settings;
};

} // namespace

class AlsaSequencerRoleTest : public QObject
{
    Q_OBJECT

private slots:
    // The program's own input and output ports are sequencer ports like any
    // other; another instance of it has the same client name.
    void ownPortsNeverOffered()
    {
        AlsaRig rig;
        rig.platform.addAlsaPort(MidiEndpointKind::Source, "Tarvo Suite", "OutputPort", AlsaAddress{129, 1});
        rig.platform.addAlsaPort(MidiEndpointKind::Destination, "Tarvo Suite", "InputPort", AlsaAddress{129, 0});
        MIDI_RESULT result = MIDI_RESULT_ERROR;
        const QList<QString> sources = rig.engine->inputPort().getInputPortNameList(&result);
        QCOMPARE(sources.count(Keys), 1);
        QCOMPARE(sources.count(QStringLiteral("Tarvo Suite:OutputPort")), 1);
        const QList<QString> destinations = rig.engine->outputPort().getOutputPortNameList(&result);
        QCOMPARE(destinations.count(Synth), 1);
        QCOMPARE(destinations.count(QStringLiteral("Tarvo Suite:InputPort")), 1);
        QCOMPARE(rig.engine->inputPort().getInputPortCount(&result), 2u);
        QCOMPARE(rig.engine->outputPort().getOutputPortCount(&result), 2u);
    }

    void outputFollowsADeviceToItsNewAddress()
    {
        AlsaRig rig;
        QCOMPARE(rig.engine->outputPort().openOutputPort(Synth), MIDI_RESULT_OK);
        QVERIFY(rig.transmit(NoteOn));
        rig.platform.removeEndpoint(rig.synth);
        rig.engine->refresh();
        QVERIFY(!rig.transmit(NoteOn));
        QCOMPARE(rig.engine->problems().failedSends, quint64(1));
        const MidiPlatformIF::Ref back =
            rig.platform.addAlsaPort(MidiEndpointKind::Destination, "Synth", "Synth MIDI 1", AlsaAddress{36, 0});
        rig.engine->refresh();
        QVERIFY(rig.transmit(NoteOn));
        QCOMPARE(rig.sentTo(rig.synth), QList<QByteArray>{NoteOn});
        QCOMPARE(rig.sentTo(back), QList<QByteArray>{NoteOn});
    }

    void inputFollowsADeviceToItsNewAddress()
    {
        AlsaRig rig;
        MonitorFeed feed(&rig.engine->analyzer(), 1);
        Monitor in;
        feed.addMonitor(&in, MonitorSourceIF::Direction::Received);
        QCOMPARE(rig.engine->inputPort().openInputPort(Keys), MIDI_RESULT_OK);
        QVERIFY(rig.platform.isConnected(rig.keys));
        rig.platform.removeEndpoint(rig.keys);
        rig.engine->refresh();
        const MidiPlatformIF::Ref back =
            rig.platform.addAlsaPort(MidiEndpointKind::Source, "Keys", "Keys MIDI 1", AlsaAddress{40, 0});
        rig.engine->refresh();
        QVERIFY(rig.platform.isConnected(back));
        rig.platform.injectPackets(back, {NoteOn});
        QTRY_COMPARE(in.records.size(), 1);
        QCOMPARE(in.records.first().bytes, NoteOn);
    }

    // Pieces are never larger than one SYSEX event the ALSA output carries.
    void dumpLeavesInPacedPieces_data()
    {
        QTest::addColumn<int>("pieceSize");
        QTest::addColumn<int>("piece");
        QTest::newRow("the default piece size") << 256 << 256;
        QTest::newRow("beyond the largest piece") << 8192 << int(AlsaSequencerOutput::LargestPiece);
    }
    void dumpLeavesInPacedPieces()
    {
        QFETCH(int, pieceSize);
        QFETCH(int, piece);
        AlsaRig rig;
        rig.engine->setPieceSize(std::size_t(pieceSize));
        QCOMPARE(rig.engine->outputPort().openOutputPort(Synth), MIDI_RESULT_OK);
        const QByteArray dump = systemExclusiveDump(DumpSize);
        const std::atomic<bool> running{true};
        const auto start = std::chrono::steady_clock::now();
        PacedSender paced(RateLimit, running, nullptr);
        QVERIFY(rig.transmit(dump, &paced));
        const QList<VirtualMidiPlatform::SentMessage> sent = rig.platform.sentMessages();
        QCOMPARE(sent.size(), DumpSize / piece);
        QByteArray arrived;
        for (int i = 0; i < sent.size(); ++i) {
            QCOMPARE(sent[i].bytes.size(), piece);
            QCOMPARE(sent[i].eventTypes, QList<int>{SND_SEQ_EVENT_SYSEX});
            // Not before the bytes ahead of it have taken their time at the rate.
            QVERIFY(sent[i].time - start >= std::chrono::microseconds(qint64(i) * piece * 1000000 / RateLimit));
            arrived += sent[i].bytes;
        }
        QCOMPARE(arrived, dump);
        QCOMPARE(rig.engine->problems(), MidiEngine::Problems());
    }

    // A device unplugged in the middle of a dump: the rest fails and is
    // counted once; the next dump reaches it at its new address whole.
    void dumpToAnUnpluggedDeviceIsCounted()
    {
        AlsaRig rig;
        QCOMPARE(rig.engine->outputPort().openOutputPort(Synth), MIDI_RESULT_OK);
        const QByteArray dump = systemExclusiveDump(DumpSize);
        UnplugAfter unplug(rig.platform, rig.synth, 3);
        QVERIFY(!rig.transmit(dump, &unplug));
        QCOMPARE(rig.engine->problems().failedSends, quint64(1));
        QCOMPARE(rig.sentTo(rig.synth).join(), dump.left(3 * 256));
        const MidiPlatformIF::Ref back =
            rig.platform.addAlsaPort(MidiEndpointKind::Destination, "Synth", "Synth MIDI 1", AlsaAddress{36, 0});
        rig.engine->refresh();
        QVERIFY(rig.transmit(dump));
        QCOMPARE(rig.sentTo(back).join(), dump);
        QCOMPARE(rig.engine->problems().failedSends, quint64(1));
    }

    // What the sequencer events cannot carry is refused and counted, not sent in part.
    void bytesThatAreNotWholeEventsAreCounted()
    {
        AlsaRig rig;
        QCOMPARE(rig.engine->outputPort().openOutputPort(Synth), MIDI_RESULT_OK);
        QVERIFY(!rig.transmit(QByteArray::fromHex("F4")));
        QCOMPARE(rig.engine->problems().failedSends, quint64(1));
        QVERIFY(rig.platform.sentMessages().isEmpty());
    }
};

QTEST_GUILESS_MAIN(AlsaSequencerRoleTest)
#include "AlsaSequencerRoleTest.moc"
