#include "VirtualMidiPlatform.h"

#include "midi/MidiClient.h"
#include "midi/platform/MidiPlatform.h"
#include "midi/MidiDataTransmissionThread.h"
#include "midi/MidiInputPort.h"
#include "midi/MidiOutputPort.h"
#include "midi/MidiSendControlIF.h"

#include <QFile>
#include <QTemporaryFile>
#include <QtTest>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>
#include <unistd.h>

using Op = VirtualMidiPlatform::Operation;

namespace {

const QByteArray NoteOn("\x90\x3C\x64", 3);
const std::size_t SmallRing = 4096;
const std::uint32_t StressRecords = 200000;
const std::size_t LargestStressRecord = 300;
const int PieceSize = 256;
// More than the 4 MiB receive ring holds.
const int FloodPackets = 1100;
const int FloodPacketSize = 4000;

// A message of size bytes: status byte first, 0xF7 last for System Exclusive.
QByteArray midiMessage(unsigned char status, int size)
{
    QByteArray message(size, '\x01');
    message[0] = static_cast<char>(status);
    if (status == 0xF0)
        message[size - 1] = static_cast<char>(0xF7);
    return message;
}

// Collects what the receive thread delivers and what it reports lost; it
// can be stalled, as a receive thread busy elsewhere is.
struct StallingReceiver
{
    static void callback(void* user, const unsigned char* data, std::size_t size, std::int64_t microseconds)
    {
        StallingReceiver* self = static_cast<StallingReceiver*>(user);
        std::lock_guard<std::mutex> stall(self->gate);
        self->received.append(QByteArray(reinterpret_cast<const char*>(data), size));
        self->times.append(microseconds);
        self->count = self->received.size();
    }

    static void lostCallback(void* user, std::uint64_t count)
    {
        static_cast<StallingReceiver*>(user)->lost += count;
    }

    // Held by the test to stall the receive thread; guards the list.
    std::mutex gate;
    QList<QByteArray> received;
    QList<std::int64_t> times;
    std::atomic<std::uint64_t> count{0};
    std::atomic<std::uint64_t> lost{0};
};

// Lets pieces through until its allowance is used up.
struct CancellingControl : MidiSendControlIF
{
    explicit CancellingControl(int pieces) : allowed(pieces) {}
    bool beforePiece(std::size_t) override { return allowed-- > 0; }
    void afterPiece(std::size_t) override {}
    int allowed;
};

// The device layer as the main window builds it, over a virtual platform.
struct Device : StallingReceiver
{
    Device()
    {
        input.setReceivedMidiCallbackFunc(callback, static_cast<StallingReceiver*>(this), lostCallback);
    }

    static QString name(Midi& port)
    {
        QString text;
        port.getCurrentPortName(text);
        return text;
    }

    MIDI_RESULT transmit(const QByteArray& message)
    {
        return output.transmitMidi(reinterpret_cast<const unsigned char*>(message.constData()), std::size_t(message.size()));
    }

    // The installed platform, or the machine's own as the program picks it.
    static MidiPlatformIF& platform(std::unique_ptr<MidiPlatformIF>& own)
    {
        if (MidiPlatformIF* installed = MidiPlatform::installed())
            return *installed;
        QString problem;
        own = MidiPlatform::create(MidiSystem::Automatic, &problem);
        return *own;
    }

    std::unique_ptr<MidiPlatformIF> ownPlatform;
    MidiClient client{QStringLiteral("Tarvo Suite"), platform(ownPlatform)};
    MidiInputPort input{&client};
    MidiOutputPort output{&client};
};

// Record n of the ring stress: its number, then bytes up to a size hashed from n.
std::size_t stressSize(std::uint32_t n)
{
    return sizeof n + ((n * 2654435761u) >> 11) % (LargestStressRecord - sizeof n);
}

} // namespace

class MidiPortsTest : public QObject
{
    Q_OBJECT

private slots:
    // The ring stress: a writer floods a small ring while the reader is
    // stalled now and then; the writer never waits, every record arrives
    // whole and in order or is dropped whole, and every drop is counted once.
    void ringStressDropsWholeRecordsAndCountsEach()
    {
        StallingReceiver reader;
        MidiDataTransmissionThread thread(nullptr, SmallRing);
        thread.setReceivedMidiCallbackFunc(StallingReceiver::callback, &reader, StallingReceiver::lostCallback);
        std::uint64_t refused = 0;
        unsigned char record[LargestStressRecord] = {};
        // Stalled for the first half, then racing the writer.
        std::unique_lock<std::mutex> stall(reader.gate);
        for (std::uint32_t n = 0; n < StressRecords; ++n) {
            if (n == StressRecords / 2)
                stall.unlock();
            const std::size_t size = stressSize(n);
            std::memcpy(record, &n, sizeof n);
            if (size > sizeof n)
                record[size - 1] = static_cast<unsigned char>(n);
            refused += thread.writeData(record, size, -std::int64_t(n)) ? 0 : 1;
            thread.endDelivery();
        }
        QVERIFY(refused > 0);
        QTRY_COMPARE(reader.count + reader.lost, std::uint64_t(StressRecords));
        QCOMPARE(thread.lostCount(), refused);
        QCOMPARE(reader.lost.load(), refused);
        std::uint32_t previous = 0;
        for (int i = 0; i < reader.received.size(); ++i) {
            const QByteArray& message = reader.received[i];
            std::uint32_t n = 0;
            std::memcpy(&n, message.constData(), sizeof n);
            QVERIFY(n >= previous && std::size_t(message.size()) == stressSize(n));
            QCOMPARE(reader.times[i], -std::int64_t(n));
            QVERIFY(message.size() == sizeof n || message.back() == char(n & 0xFF));
            previous = n + 1;
        }
        // Drained, the ring takes a record that fills it with its header, and
        // never one byte more.
        const std::vector<unsigned char> full(SmallRing);
        const std::size_t room = SmallRing - MidiDataTransmissionThread::RecordHeaderSize;
        QVERIFY(thread.writeData(full.data(), room, 0));
        thread.endDelivery();
        QTRY_COMPARE(reader.count + reader.lost, std::uint64_t(StressRecords) + 1);
        QVERIFY(!thread.writeData(full.data(), room + 1, 0));
    }

    void duplicateNamesAndFailedReads()
    {
        VirtualMidiPlatform platform;
        platform.addSource(QStringLiteral("Keys"));
        const auto firstTwin = platform.addSource(QStringLiteral("Twin"));
        const auto secondTwin = platform.addSource(QStringLiteral("Twin"));
        Device device;
        QCOMPARE(device.input.getInputPortNameList(nullptr), QList<QString>({"Keys", "Twin", "Twin"}));
        // Names match exactly; of equal names the lower index is taken.
        QCOMPARE(device.input.openInputPort(QStringLiteral("twin")), MIDI_RESULT_ERROR);
        QCOMPARE(device.input.openInputPort(QStringLiteral("Twin")), MIDI_RESULT_OK);
        QVERIFY(platform.isConnected(firstTwin) && !platform.isConnected(secondTwin));
        QCOMPARE(device.input.closeInputPort(), MIDI_RESULT_OK);
        QVERIFY(!platform.isConnected(firstTwin));
        // A failed read leaves no list; a failed connection leaves nothing chosen.
        platform.failOperation(Op::EndpointUniqueId);
        MIDI_RESULT result = MIDI_RESULT_OK;
        QVERIFY(device.input.getInputPortNameList(&result).isEmpty() && result == MIDI_RESULT_ERROR);
        platform.clearFailures();
        platform.failOperation(Op::ConnectSource);
        QCOMPARE(device.input.openInputPort(0u), MIDI_RESULT_ERROR);
        QCOMPARE(Device::name(device.input), QStringLiteral("No Assign"));
    }

    // Messages go out unchanged, a long one in pieces of the piece size; one
    // cancelled midway is ended with F7, and a failed piece fails the message.
    void outputSendsLongMessagesInPieces()
    {
        VirtualMidiPlatform platform;
        const auto synth = platform.addDestination(QStringLiteral("Synth"));
        Device device;
        QCOMPARE(device.output.openOutputPort(1u), MIDI_RESULT_ERROR);
        QCOMPARE(device.output.openOutputPort(0u), MIDI_RESULT_OK);
        device.output.setPieceSize(PieceSize);
        const QByteArray dump = midiMessage(0xF0, 5 * PieceSize + 3);
        const QList<QByteArray> messages{NoteOn, QByteArray("\x3E\x40", 2), QByteArray("\xF8", 1), dump};
        for (const QByteArray& message : messages)
            QCOMPARE(device.transmit(message), MIDI_RESULT_OK);
        const auto sent = platform.sentMessages();
        QCOMPARE(sent.size(), 3 + 6);
        QByteArray joined;
        for (int i = 3; i < sent.size(); ++i) {
            QVERIFY(sent[i].bytes.size() <= PieceSize && sent[i].destination == synth);
            joined += sent[i].bytes;
        }
        QCOMPARE(joined, dump);

        platform.clearSentMessages();
        CancellingControl control{2};
        std::size_t handed = 0;
        QCOMPARE(device.output.transmitMidi(reinterpret_cast<const unsigned char*>(dump.constData()),
                                            std::size_t(dump.size()), &control, &handed),
                 MIDI_RESULT_CANCELLED);
        QCOMPARE(handed, std::size_t(2 * PieceSize));
        QCOMPARE(platform.sentMessages().size(), 3);
        QCOMPARE(platform.sentMessages().last().bytes, QByteArray("\xF7", 1));

        platform.failOperation(Op::Send);
        QCOMPARE(device.transmit(dump), MIDI_RESULT_ERROR);
        platform.clearFailures();
        QCOMPARE(device.output.closeOutputPort(), MIDI_RESULT_OK);
        QCOMPARE(device.transmit(NoteOn), MIDI_RESULT_ERROR);
    }

    // A chosen port that goes away stays chosen by name: sends fail, and a
    // port of that name that appears is connected again.
    void chosenPortsFollowTheirNames()
    {
        VirtualMidiPlatform platform;
        const auto pad = platform.addSource(QStringLiteral("Pad"));
        const auto synth = platform.addDestination(QStringLiteral("Synth"));
        Device device;
        QCOMPARE(device.input.openInputPort(QStringLiteral("Pad")), MIDI_RESULT_OK);
        QCOMPARE(device.output.openOutputPort(QStringLiteral("Synth")), MIDI_RESULT_OK);
        platform.removeEndpoint(pad);
        platform.removeEndpoint(synth);
        device.input.refresh(platform.refresh());
        device.output.refresh(false);
        QCOMPARE(device.transmit(NoteOn), MIDI_RESULT_ERROR);
        QVERIFY(Device::name(device.input) == "Pad" && Device::name(device.output) == "Synth");
        const auto newPad = platform.addSource(QStringLiteral("Pad"));
        const auto newSynth = platform.addDestination(QStringLiteral("Synth"));
        const bool changed = platform.refresh();
        device.input.refresh(changed);
        device.output.refresh(changed);
        QVERIFY(platform.isConnected(newPad));
        QCOMPARE(device.transmit(NoteOn), MIDI_RESULT_OK);
        QCOMPARE(platform.sentMessages().last().destination, newSynth);
        // Chosen by a stored name before it exists: connected once it does,
        // without a change being reported.
        QCOMPARE(device.input.openInputPort(QStringLiteral("Later")), MIDI_RESULT_ERROR);
        const auto later = platform.addSource(QStringLiteral("Later"));
        device.input.refresh(false);
        QVERIFY(platform.isConnected(later));
    }

    // The platform's MIDI thread never waits: flooding a stalled receive
    // thread drops and counts whole messages, and a close meanwhile (which
    // waits for the delivery in progress, as RtMidi's closePort joins its
    // thread) returns instead of deadlocking. Messages beyond what the
    // receive callback takes are dropped whole too.
    void floodIntoStalledReaderNeverBlocksTheWriter()
    {
        VirtualMidiPlatform platform;
        const auto source = platform.addSource(QStringLiteral("Flood"));
        Device device;
        QCOMPARE(device.input.openInputPort(0u), MIDI_RESULT_OK);
        QList<QByteArray> flood{NoteOn};
        for (int i = 0; i < FloodPackets; ++i)
            flood << midiMessage(0xF0, FloodPacketSize);
        {
            std::lock_guard<std::mutex> stall(device.gate);
            platform.injectPackets(source, flood);
            QVERIFY(platform.waitUntilDelivered());
            QCOMPARE(device.input.closeInputPort(), MIDI_RESULT_OK);
        }
        QTRY_COMPARE(device.count + device.lost, std::uint64_t(flood.size()));
        QVERIFY(device.lost > 1);
        QCOMPARE(device.received.first(), NoteOn);
    }

    // Without an ALSA sequencer and without a JACK server the program runs
    // on without MIDI, waiting for a service: everything fails softly, and
    // nothing is printed.
    void noMidiServiceFailsSoftlyAndQuietly()
    {
        if (QFile::exists(QStringLiteral("/dev/snd/seq")))
            QSKIP("this machine has an ALSA sequencer");
        qputenv("JACK_DEFAULT_SERVER", QByteArray("tarvo-absent"));
        QTemporaryFile log;
        QVERIFY(log.open());
        std::fflush(stderr);
        const int savedStderr = dup(STDERR_FILENO);
        dup2(log.handle(), STDERR_FILENO);
        {
            Device device;
            QVERIFY(!device.client.serviceAvailable() && !device.client.refresh());
            MIDI_RESULT result = MIDI_RESULT_ERROR;
            QVERIFY(device.input.getInputPortNameList(&result).isEmpty() && result == MIDI_RESULT_OK);
            QCOMPARE(device.input.openInputPort(0u), MIDI_RESULT_ERROR);
            QCOMPARE(device.output.openOutputPort(QStringLiteral("system:midi_playback_1")), MIDI_RESULT_ERROR);
            QCOMPARE(device.transmit(NoteOn), MIDI_RESULT_ERROR);
        }
        std::fflush(stderr);
        dup2(savedStderr, STDERR_FILENO);
        close(savedStderr);
        QCOMPARE(log.readAll(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(MidiPortsTest)
#include "MidiPortsTest.moc"
