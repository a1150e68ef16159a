// The sequencer events of the ALSA platform. A send becomes events as the
// receiving side reads them back: real-time bytes wherever they come, System
// Exclusive whole or in pieces as one SYSEX event of exactly the piece's
// bytes, every message with its own status byte; bytes that are not whole
// messages are refused rather than sent in part, and received events that are
// no MIDI are skipped.

#include "midi/platform/AlsaEventDecoding.h"
#include "midi/platform/AlsaEventEncoding.h"

#include <QtTest>

#include <memory>
#include <vector>

namespace {

const long CoderBufferSize = 32;
const std::size_t Capacity = 64;

struct CoderDeleter
{
    void operator()(snd_midi_event_t* coder) const { snd_midi_event_free(coder); }
};

using Coder = std::unique_ptr<snd_midi_event_t, CoderDeleter>;

Coder newCoder()
{
    snd_midi_event_t* coder = nullptr;
    return Coder(snd_midi_event_new(CoderBufferSize, &coder) == 0 ? coder : nullptr);
}

bool encode(const QByteArray& bytes, std::vector<snd_seq_event_t>* events)
{
    const Coder encoder = newCoder();
    std::size_t count = 0;
    const bool done = encoder && alsaEventsOfBytes(encoder.get(), reinterpret_cast<const unsigned char*>(bytes.constData()),
                                                   std::size_t(bytes.size()), events->data(), events->size(), &count);
    events->resize(done ? count : 0);
    return done;
}

// What a receiver of the event gets: its type, then its bytes; "refused" when none.
QString received(const snd_seq_event_t& event)
{
    const Coder decoder = newCoder();
    unsigned char buffer[CoderBufferSize];
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    if (!decoder || !alsaBytesOfEvent(decoder.get(), event, buffer, sizeof buffer, &data, &size))
        return QStringLiteral("refused");
    const QString type = event.type == SND_SEQ_EVENT_SYSEX ? QStringLiteral("sysex ") : QStringLiteral("event ");
    return type + QByteArray(reinterpret_cast<const char*>(data), int(size)).toHex(' ').toUpper();
}

} // namespace

class AlsaSequencerEventsTest : public QObject
{
    Q_OBJECT

private slots:
    void sendAsReceived_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("events");
        const auto row = [](const char* name, const char* hex, const QStringList& events) {
            QTest::newRow(name) << QByteArray::fromHex(hex) << events;
        };
        row("note on", "903C64", {"event 90 3C 64"});
        row("note on at zero on channel 16", "9F3C00", {"event 9F 3C 00"});
        row("note off", "803C40", {"event 80 3C 40"});
        row("controller", "B00764", {"event B0 07 64"});
        row("program change", "C205", {"event C2 05"});
        row("pitch bend", "E07F7F", {"event E0 7F 7F"});
        row("song position", "F21002", {"event F2 10 02"});
        row("tune request", "F6", {"event F6"});
        row("real-time", "F8FAFEFF", {"event F8", "event FA", "event FE", "event FF"});
        row("two messages each with its status", "903C64903E64", {"event 90 3C 64", "event 90 3E 64"});
        row("real-time inside a message", "90F83C64", {"event F8", "event 90 3C 64"});
        row("whole System Exclusive", "F07E7F0601F7", {"sysex F0 7E 7F 06 01 F7"});
        row("first piece", "F043104C", {"sysex F0 43 10 4C"});
        row("middle piece", "00010203", {"sysex 00 01 02 03"});
        row("last piece", "0405F7", {"sysex 04 05 F7"});
        row("end of a message cut short", "F7", {"sysex F7"});
        row("real-time inside a piece", "0102F803F7", {"sysex 01 02", "event F8", "sysex 03 F7"});
        row("System Exclusive then a message", "F001F7903C64", {"sysex F0 01 F7", "event 90 3C 64"});
        row("a message breaks System Exclusive off", "F00102903C64", {"sysex F0 01 02", "event 90 3C 64"});
    }
    void sendAsReceived()
    {
        QFETCH(QByteArray, bytes);
        std::vector<snd_seq_event_t> events(Capacity);
        QVERIFY(encode(bytes, &events));
        QStringList described;
        for (const snd_seq_event_t& event : events)
            described << received(event);
        QTEST(described, "events");
    }

    void sendRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("capacity");
        QTest::newRow("message cut short") << QByteArray::fromHex("903C") << int(Capacity);
        QTest::newRow("running status") << QByteArray::fromHex("903C643E64") << int(Capacity);
        QTest::newRow("data after the end of System Exclusive") << QByteArray::fromHex("F701") << int(Capacity);
        QTest::newRow("status inside a message") << QByteArray::fromHex("903C803C40") << int(Capacity);
        QTest::newRow("System Exclusive inside a message") << QByteArray::fromHex("903CF0") << int(Capacity);
        QTest::newRow("end of exclusive after a message") << QByteArray::fromHex("F8903C64F7") << int(Capacity);
        QTest::newRow("undefined system common") << QByteArray::fromHex("F4") << int(Capacity);
        QTest::newRow("undefined real-time") << QByteArray::fromHex("FD") << int(Capacity);
        QTest::newRow("more events than room") << QByteArray::fromHex("F8F8F8") << 2;
    }
    void sendRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, capacity);
        std::vector<snd_seq_event_t> events(static_cast<std::size_t>(capacity));
        QVERIFY(!encode(bytes, &events));
    }

    // Received events the program never sends itself.
    void receivedOnly()
    {
        snd_seq_event_t event;
        snd_seq_ev_clear(&event);
        snd_seq_ev_set_fixed(&event);
        event.type = SND_SEQ_EVENT_CONTROL14;
        event.data.control.channel = 2;
        event.data.control.param = 7;
        event.data.control.value = 8193;
        QCOMPARE(received(event), QStringLiteral("event B2 07 40 B2 27 01"));
        event.type = SND_SEQ_EVENT_PORT_SUBSCRIBED;
        QCOMPARE(received(event), QStringLiteral("refused"));
        event.type = SND_SEQ_EVENT_SYSEX;
        QCOMPARE(received(event), QStringLiteral("refused"));
    }
};

QTEST_GUILESS_MAIN(AlsaSequencerEventsTest)
#include "AlsaSequencerEventsTest.moc"
