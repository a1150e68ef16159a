// Recording and playing through the engine over the virtual platform: what
// arrives is recorded, written, read back and played with every message and
// its time within the file's tick; tempo changes and SMPTE time decide when
// messages go; what playing left sounding is silenced when it ends or stops.

#include "EngineRig.h"

#include "engine/MonitorFeed.h"
#include "engine/MonitorSinkIF.h"
#include "midi/platform/SteadyClock.h"
#include "services/MidiFileFormat.h"
#include "services/MidiFileReader.h"
#include "services/MidiPlayer.h"
#include "services/MidiRecorder.h"

#include <QtTest>

#include <optional>

Q_DECLARE_METATYPE(QList<qint64>)

namespace {

const int FeedIntervalMs = 10;
const int PlayTimeoutMs = 10000;
const qint64 Tick = MidiFileFormat::WriterTickMicroseconds;

// Hands what the engine received to a recorder, as the In Monitor does.
class RecordingSink : public MonitorSinkIF
{
public:
    explicit RecordingSink(MidiRecorder* recorder) : m_pRecorder(recorder) {}
    void takeRecords(const MidiRecords& records) override { m_pRecorder->take(records); }

private:
    MidiRecorder* m_pRecorder;
};

QByteArray hex(const QString& text)
{
    return QByteArray::fromHex(text.toLatin1());
}

QByteArray chunk(const char* id, const QString& body)
{
    const QByteArray bytes = hex(body);
    QByteArray chunk(id);
    for (int shift = 24; shift >= 0; shift -= 8)
        chunk.append(char(bytes.size() >> shift));
    return chunk + bytes;
}

QByteArray midiFile(const QString& header, const QStringList& tracks)
{
    QByteArray file = chunk(MidiFileFormat::HeaderId, header);
    for (const QString& track : tracks)
        file += chunk(MidiFileFormat::TrackId, track);
    return file;
}

qint64 microsecondsBetween(const VirtualMidiPlatform::SentMessage& from, const VirtualMidiPlatform::SentMessage& to)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(to.time - from.time).count();
}

// The pieces of System Exclusive joined, at the time of the first.
QList<VirtualMidiPlatform::SentMessage> wholeMessages(const QList<VirtualMidiPlatform::SentMessage>& sent)
{
    QList<VirtualMidiPlatform::SentMessage> whole;
    for (const VirtualMidiPlatform::SentMessage& piece : sent) {
        if (!whole.isEmpty() && whole.last().bytes.startsWith(char(0xF0)) && !whole.last().bytes.endsWith(char(0xF7)))
            whole.last().bytes += piece.bytes;
        else
            whole.append(piece);
    }
    return whole;
}

QStringList sentHex(const QList<VirtualMidiPlatform::SentMessage>& sent)
{
    QStringList messages;
    for (const VirtualMidiPlatform::SentMessage& message : sent)
        messages << QString::fromLatin1(message.bytes.toHex(' ').toUpper());
    return messages;
}

// How a player's playing ended, told on the test's thread.
class PlayerEnd : public QObject
{
public:
    explicit PlayerEnd(MidiPlayer* player)
    {
        connect(player, &MidiPlayer::finished, this, [this](bool reachedEnd) { m_reachedEnd = reachedEnd; });
    }
    // Whether it ended in time.
    bool wait() { return QTest::qWaitFor([this] { return m_reachedEnd.has_value(); }, PlayTimeoutMs); }
    bool reachedEnd() const { return m_reachedEnd.value_or(false); }

private:
    std::optional<bool> m_reachedEnd;
};

// Plays messages through the rig to the end; false when it does not end well.
bool playToTheEnd(EngineRig& rig, const QVector<MidiFileMessage>& messages, qint64 duration)
{
    MidiPlayer player(rig.engine.get());
    PlayerEnd end(&player);
    player.setMessages(messages, duration);
    return player.play() && end.wait() && end.reachedEnd() && player.failureCount() == 0;
}

} // namespace

class MidiPlaybackTest : public QObject
{
    Q_OBJECT

private slots:
    void recordedMessagesPlayBackAtTheirTimes_data()
    {
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QList<qint64>>("offsets");
        // Lost on the way in after the messages.
        QTest::addColumn<int>("lost");
        // What the player sends after them for notes left on.
        QTest::addColumn<QStringList>("silencing");
        const QString dump = QStringLiteral("F0 7E 7F ") + QStringLiteral("12 34 56 78 ").repeated(250) + QStringLiteral("F7");
        QTest::newRow("notes and controllers")
            << QStringList{"90 3C 64", "90 40 64", "80 3C 40", "B0 07 64", "E0 00 40"}
            << QList<qint64>{1000, 2234, 250000, 250013, 250031} << 0 << QStringList{"80 40 40"};
        QTest::newRow("whole System Exclusive between real-time")
            << QStringList{"F8", dump, "F8", "F2 00 08", "FA"} << QList<qint64>{0, 5000, 25000, 40007, 40019} << 0
            << QStringList();
        QTest::newRow("losses marked") << QStringList{"C0 05", "90 3C 64", "80 3C 00"}
                                       << QList<qint64>{300, 20000, 30000} << 7 << QStringList();
    }

    void recordedMessagesPlayBackAtTheirTimes()
    {
        QFETCH(QStringList, messages);
        QFETCH(QList<qint64>, offsets);
        QFETCH(int, lost);
        QFETCH(QStringList, silencing);
        EngineRig rig;
        rig.platform.setScheduling(true);
        MidiRecorder recorder;
        RecordingSink sink(&recorder);
        MonitorFeed feed(&rig.engine->analyzer(), FeedIntervalMs);
        feed.addMonitor(&sink, MonitorSourceIF::Direction::Received);

        const qint64 start = steadyMicroseconds();
        recorder.start(start);
        QList<QByteArray> packets;
        QList<std::int64_t> times;
        for (int i = 0; i < messages.size(); ++i) {
            packets << hex(messages.at(i));
            times << start + offsets.at(i);
        }
        rig.platform.injectPackets(rig.source, packets, times);
        if (lost > 0)
            rig.engine->analyzer().lostMidi(quint64(lost));
        // The feed collects while the receive thread passes them on.
        QTRY_COMPARE(recorder.eventCount(), messages.size());
        QCOMPARE(recorder.lostCount(), quint64(lost));

        QByteArray file;
        QString error;
        QVERIFY2(recorder.write(steadyMicroseconds(), &file, &error), qPrintable(error));
        QCOMPARE(file.contains(QByteArray::number(lost) + " messages lost here"), lost > 0);
        MidiFileReader::Content content;
        QVERIFY2(MidiFileReader::read(file, &content, &error), qPrintable(error));
        QVERIFY(playToTheEnd(rig, content.messages, content.duration));

        const QList<VirtualMidiPlatform::SentMessage> sent = wholeMessages(rig.platform.sentMessages());
        QCOMPARE(sentHex(sent), messages + silencing);
        for (int i = 1; i < messages.size(); ++i) {
            const qint64 played = microsecondsBetween(sent.first(), sent.at(i));
            const qint64 recorded = offsets.at(i) - offsets.first();
            // System Exclusive goes when due, never before.
            if (sent.at(i).bytes.startsWith(char(0xF0)))
                QVERIFY2(played >= recorded - Tick, qPrintable(QString::number(played)));
            else
                QVERIFY2(qAbs(played - recorded) <= Tick, qPrintable(QStringLiteral("%1 %2").arg(played).arg(recorded)));
        }
    }

    void playerHonoursTempoChanges_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<qint64>>("times");
        // 100 ticks a quarter: 100 us a tick at 10,000 us a quarter, 400 us at 40,000.
        QTest::newRow("format 0, tempo change")
            << midiFile(QStringLiteral("000000010064"),
                        {"00FF5103002710 00903C64 64FF5103009C40 00803C40 32903E64 32803E40 00FF2F00"})
            << QList<qint64>{0, 10000, 30000, 50000};
        QTest::newRow("format 1, tempo map in its own track")
            << midiFile(QStringLiteral("000100020064"),
                        {"00FF5103002710 64FF5103009C40 00FF2F00", "00903C64 64803C40 32903E64 32803E40 00FF2F00"})
            << QList<qint64>{0, 10000, 30000, 50000};
        // 25 frames of 40 ticks a second: 1,000 us a tick, whatever the tempo says.
        QTest::newRow("SMPTE 25") << midiFile(QStringLiteral("00000001E728"),
                                              {"00FF5103002710 00903C64 0A803C40 14903E64 8168803E40 00FF2F00"})
                                  << QList<qint64>{0, 10000, 30000, 262000};
    }

    void playerHonoursTempoChanges()
    {
        QFETCH(QByteArray, file);
        QFETCH(QList<qint64>, times);
        EngineRig rig;
        rig.platform.setScheduling(true);
        MidiFileReader::Content content;
        QString error;
        QVERIFY2(MidiFileReader::read(file, &content, &error), qPrintable(error));
        QVERIFY(playToTheEnd(rig, content.messages, content.duration));
        const QList<VirtualMidiPlatform::SentMessage> sent = rig.platform.sentMessages();
        QCOMPARE(sent.size(), times.size());
        QList<qint64> played;
        for (const VirtualMidiPlatform::SentMessage& message : sent)
            played << microsecondsBetween(sent.first(), message);
        QCOMPARE(played, times);
    }

    // Notes left on get their Note Off, and every channel that sounded All Notes Off.
    void stopSilencesWhatSounded()
    {
        EngineRig rig;
        MidiPlayer player(rig.engine.get());
        PlayerEnd end(&player);
        const QStringList started{"90 3C 64", "92 40 64", "90 3E 64", "80 3E 40"};
        QVector<MidiFileMessage> messages;
        for (const QString& message : started)
            messages.append(MidiFileMessage{0, hex(message)});
        messages.append(MidiFileMessage{60000000, hex(QStringLiteral("90 45 64"))});
        player.setMessages(messages, messages.last().time);
        QVERIFY(player.play());
        QVERIFY(rig.platform.waitForSends(started.size()));
        QVERIFY(player.isPlaying());
        QVERIFY(!player.play());
        player.stop();
        QVERIFY(end.wait());
        QVERIFY(!end.reachedEnd());
        const QStringList silencing{"80 3C 40", "82 40 40", "B0 7B 00", "B2 7B 00"};
        QCOMPARE(sentHex(rig.platform.sentMessages()), started + silencing);
        QCOMPARE(player.failureCount(), quint64(0));
    }
};

QTEST_MAIN(MidiPlaybackTest)
#include "MidiPlaybackTest.moc"
