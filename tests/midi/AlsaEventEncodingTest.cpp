// The sequencer events a send becomes on the ALSA output: channel and system
// messages as their events, real-time bytes wherever they come, System
// Exclusive whole or in pieces as SYSEX events of exactly the piece's bytes,
// and bytes that are not whole messages refused rather than sent in part.

#include "midi/platform/AlsaEventEncoding.h"

#include <QtTest>

#include <memory>
#include <vector>

namespace {

const long EncoderBufferSize = 16;
const std::size_t Capacity = 64;

struct EncoderDeleter
{
    void operator()(snd_midi_event_t* encoder) const { snd_midi_event_free(encoder); }
};

QString channelEvent(const char* name, const snd_seq_event_t& e)
{
    return QStringLiteral("%1 %2 %3 %4").arg(name).arg(e.data.note.channel).arg(e.data.note.note).arg(e.data.note.velocity);
}

QString controlEvent(const char* name, const snd_seq_event_t& e, bool withParam = false)
{
    QString text = QStringLiteral("%1 %2").arg(name).arg(e.data.control.channel);
    if (withParam)
        text += QStringLiteral(" %1").arg(e.data.control.param);
    return text + QStringLiteral(" %1").arg(e.data.control.value);
}

// An event as the receiving side reads it.
QString describe(const snd_seq_event_t& e)
{
    switch (e.type) {
    case SND_SEQ_EVENT_NOTEON: return channelEvent("noteon", e);
    case SND_SEQ_EVENT_NOTEOFF: return channelEvent("noteoff", e);
    case SND_SEQ_EVENT_KEYPRESS: return channelEvent("keypress", e);
    case SND_SEQ_EVENT_CONTROLLER: return controlEvent("controller", e, true);
    case SND_SEQ_EVENT_PGMCHANGE: return controlEvent("pgmchange", e);
    case SND_SEQ_EVENT_CHANPRESS: return controlEvent("chanpress", e);
    case SND_SEQ_EVENT_PITCHBEND: return controlEvent("pitchbend", e);
    case SND_SEQ_EVENT_QFRAME: return QStringLiteral("qframe %1").arg(e.data.control.value);
    case SND_SEQ_EVENT_SONGPOS: return QStringLiteral("songpos %1").arg(e.data.control.value);
    case SND_SEQ_EVENT_SONGSEL: return QStringLiteral("songsel %1").arg(e.data.control.value);
    case SND_SEQ_EVENT_TUNE_REQUEST: return QStringLiteral("tune");
    case SND_SEQ_EVENT_CLOCK: return QStringLiteral("clock");
    case SND_SEQ_EVENT_START: return QStringLiteral("start");
    case SND_SEQ_EVENT_CONTINUE: return QStringLiteral("continue");
    case SND_SEQ_EVENT_STOP: return QStringLiteral("stop");
    case SND_SEQ_EVENT_SENSING: return QStringLiteral("sensing");
    case SND_SEQ_EVENT_RESET: return QStringLiteral("reset");
    case SND_SEQ_EVENT_SYSEX:
        if (!snd_seq_ev_is_variable(&e))
            return QStringLiteral("sysex of fixed length");
        return QStringLiteral("sysex ")
               + QByteArray(static_cast<const char*>(e.data.ext.ptr), int(e.data.ext.len)).toHex(' ').toUpper();
    default: return QStringLiteral("type %1").arg(e.type);
    }
}

} // namespace

class AlsaEventEncodingTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        snd_midi_event_t* encoder = nullptr;
        QVERIFY(snd_midi_event_new(EncoderBufferSize, &encoder) == 0);
        m_pEncoder.reset(encoder);
    }

    void eventsOfASend_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("events");
        const auto row = [](const char* name, const char* hex, const QStringList& events) {
            QTest::newRow(name) << QByteArray::fromHex(hex) << events;
        };
        row("note on", "903C64", {"noteon 0 60 100"});
        row("note on at zero on channel 16", "9F3C00", {"noteon 15 60 0"});
        row("note off", "803C40", {"noteoff 0 60 64"});
        row("key pressure", "A13C10", {"keypress 1 60 16"});
        row("controller", "B00764", {"controller 0 7 100"});
        row("program change", "C205", {"pgmchange 2 5"});
        row("channel pressure", "D340", {"chanpress 3 64"});
        row("pitch bend centre", "E00040", {"pitchbend 0 0"});
        row("pitch bend lowest", "E50000", {"pitchbend 5 -8192"});
        row("pitch bend highest", "E07F7F", {"pitchbend 0 8191"});
        row("quarter frame", "F123", {"qframe 35"});
        row("song position", "F21002", {"songpos 272"});
        row("song select", "F305", {"songsel 5"});
        row("tune request", "F6", {"tune"});
        row("clock", "F8", {"clock"});
        row("start, continue, stop", "FAFBFC", {"start", "continue", "stop"});
        row("active sensing and reset", "FEFF", {"sensing", "reset"});
        row("two messages", "903C64803C40", {"noteon 0 60 100", "noteoff 0 60 64"});
        row("real-time inside a message", "90F83C64", {"clock", "noteon 0 60 100"});
        row("whole System Exclusive", "F07E7F0601F7", {"sysex F0 7E 7F 06 01 F7"});
        row("first piece", "F043104C", {"sysex F0 43 10 4C"});
        row("middle piece", "00010203", {"sysex 00 01 02 03"});
        row("last piece", "0405F7", {"sysex 04 05 F7"});
        row("end of a message cut short", "F7", {"sysex F7"});
        row("real-time inside a piece", "0102F803F7", {"sysex 01 02", "clock", "sysex 03 F7"});
        row("System Exclusive then a message", "F001F7903C64", {"sysex F0 01 F7", "noteon 0 60 100"});
        row("a message breaks System Exclusive off", "F00102903C64", {"sysex F0 01 02", "noteon 0 60 100"});
    }
    void eventsOfASend()
    {
        QFETCH(QByteArray, bytes);
        std::vector<snd_seq_event_t> events(Capacity);
        std::size_t count = 0;
        QVERIFY(alsaEventsOfBytes(m_pEncoder.get(), reinterpret_cast<const unsigned char*>(bytes.constData()),
                                  std::size_t(bytes.size()), events.data(), events.size(), &count));
        QStringList described;
        for (std::size_t i = 0; i < count; ++i)
            described << describe(events[i]);
        QTEST(described, "events");
    }

    // Whatever the encoder was left with by a refused send, the next one is whole.
    void refusedWhenNotWhole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("capacity");
        QTest::newRow("message cut short") << QByteArray::fromHex("903C") << int(Capacity);
        QTest::newRow("running status") << QByteArray::fromHex("903C643E64") << int(Capacity);
        QTest::newRow("data after a whole message") << QByteArray::fromHex("903C6401") << int(Capacity);
        QTest::newRow("data after the end of System Exclusive") << QByteArray::fromHex("F701") << int(Capacity);
        QTest::newRow("status inside a message") << QByteArray::fromHex("903C803C40") << int(Capacity);
        QTest::newRow("System Exclusive inside a message") << QByteArray::fromHex("903CF0") << int(Capacity);
        QTest::newRow("end of exclusive after a message") << QByteArray::fromHex("F8903C64F7") << int(Capacity);
        QTest::newRow("undefined system common") << QByteArray::fromHex("F4") << int(Capacity);
        QTest::newRow("undefined real-time") << QByteArray::fromHex("FD") << int(Capacity);
        QTest::newRow("more events than room") << QByteArray::fromHex("F8F8F8") << 2;
    }
    void refusedWhenNotWhole()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, capacity);
        std::vector<snd_seq_event_t> events(static_cast<std::size_t>(capacity));
        std::size_t count = 0;
        QVERIFY(!alsaEventsOfBytes(m_pEncoder.get(), reinterpret_cast<const unsigned char*>(bytes.constData()),
                                   std::size_t(bytes.size()), events.data(), events.size(), &count));
        events.resize(Capacity);
        const QByteArray next = QByteArray::fromHex("B00764");
        QVERIFY(alsaEventsOfBytes(m_pEncoder.get(), reinterpret_cast<const unsigned char*>(next.constData()),
                                  std::size_t(next.size()), events.data(), events.size(), &count));
        QCOMPARE(count, std::size_t(1));
        QCOMPARE(describe(events[0]), QStringLiteral("controller 0 7 100"));
    }

private:
    std::unique_ptr<snd_midi_event_t, EncoderDeleter> m_pEncoder;
};

QTEST_GUILESS_MAIN(AlsaEventEncodingTest)
#include "AlsaEventEncodingTest.moc"
