#include "ReceivedMessages.h"

#include "midi/MidiDataTransmissionThread.h"

#include <QElapsedTimer>
#include <QtTest>

#include <atomic>
#include <cstring>
#include <random>
#include <thread>

namespace {

void write(MidiDataTransmissionThread& thread, const QByteArray& message)
{
    thread.writeData(reinterpret_cast<const unsigned char*>(message.constData()), static_cast<std::size_t>(message.size()));
}

// The records of the stress test: record n has a size of 0 to 300 bytes
// hashed from n, and its bytes start at an offset into a random pattern that
// also depends on n, so the reader checks each record and its place without
// a copy.
class RecordSequence
{
public:
    static const std::size_t LargestRecord = 300;

    RecordSequence()
    {
        std::mt19937 random(7u);
        for (unsigned char& byte : m_pattern) {
            byte = static_cast<unsigned char>(random());
        }
    }

    static std::size_t sizeOf(std::uint32_t record)
    {
        return ((record * 2654435761u) >> 11) % (LargestRecord + 1);
    }

    const unsigned char* bytesOf(std::uint32_t record) const
    {
        return m_pattern + (record * 131u) % PatternOffsets;
    }

private:
    static const std::size_t PatternOffsets = 4093;
    unsigned char m_pattern[PatternOffsets + LargestRecord];
};

// The slow reader of the stress test: checks each record against the
// sequence, and now and then dawdles so that the writer finds the ring full.
struct StressReader
{
    static void callback(void* user, const unsigned char* data, unsigned short size)
    {
        StressReader* self = static_cast<StressReader*>(user);
        const std::uint32_t record = self->delivered;
        if (size != RecordSequence::sizeOf(record) || std::memcmp(data, self->sequence.bytesOf(record), size) != 0) {
            self->faults++;
        }
        if (record % StallEvery == 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            // The writer had time to fill the ring; it must be waiting now.
            if (!self->thread->isAvailable(RecordSequence::LargestRecord + 2)) {
                self->writerBlocked++;
            }
        }
        self->delivered = record + 1;
    }

    static const std::uint32_t StallEvery = 2000;
    RecordSequence sequence;
    MidiDataTransmissionThread* thread = nullptr;
    std::atomic<std::uint32_t> delivered{0};
    std::uint32_t faults = 0;
    std::uint32_t writerBlocked = 0;
};

} // namespace

class MidiReceiveThreadTest : public QObject
{
    Q_OBJECT

private slots:
    void oversizedMessagesAreDroppedWhole_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("delivered");
        QTest::newRow("4096 in 4098") << 4098 << 4096 << true;
        QTest::newRow("4097 in 4098") << 4098 << 4097 << false;
        QTest::newRow("65534 in 4098") << 4098 << 65534 << false;
        QTest::newRow("65535 in 4098") << 4098 << 65535 << false;
        QTest::newRow("70000 in 4098") << 4098 << 70000 << false;
        QTest::newRow("65533 in 65535") << 65535 << 65533 << true;
        QTest::newRow("65534 in 65535") << 65535 << 65534 << false;
        QTest::newRow("65535 in 65535") << 65535 << 65535 << false;
        QTest::newRow("65536 in 65535") << 65535 << 65536 << false;
        QTest::newRow("70000 in 65535") << 65535 << 70000 << false;
    }

    void oversizedMessagesAreDroppedWhole()
    {
        QFETCH(int, capacity);
        QFETCH(int, size);
        QFETCH(bool, delivered);
        ReceivedMessages received;
        MidiDataTransmissionThread thread(nullptr, static_cast<unsigned short>(capacity));
        thread.setReceivedMidiCallbackFunc(ReceivedMessages::callback, &received);

        const QByteArray large = midiMessage(0xF0, size);
        const QByteArray marker("\x90\x3C\x64", 3);
        write(thread, large);
        write(thread, marker);
        QVERIFY(received.waitFor(delivered ? 2 : 1));
        const QList<QByteArray> expected = delivered ? QList<QByteArray>{large, marker} : QList<QByteArray>{marker};
        QCOMPARE(received.messages(), expected);
        QTRY_VERIFY(thread.isEmptyBuffer());
        QVERIFY(thread.isAvailable(static_cast<std::size_t>(capacity)));
    }

    void recordsCrossingTheEndOfStorage()
    {
        ReceivedMessages received;
        MidiDataTransmissionThread thread(nullptr, 10);
        // 2 + 7 bytes: the next record's length bytes sit at 9 and 0.
        const QByteArray first = midiMessage(0xF0, 7);
        const QByteArray second("\x90\x3C\x64", 3);
        write(thread, first);
        thread.setReceivedMidiCallbackFunc(ReceivedMessages::callback, &received);
        QVERIFY(received.waitFor(1));
        write(thread, second);
        QVERIFY(received.waitFor(2));
        // The reader followed the writer round the end exactly once: the
        // ring is empty and the whole capacity is free again.
        QTRY_VERIFY(thread.isEmptyBuffer());
        QVERIFY(thread.isAvailable(10));

        // 2 + 8 bytes from 5 on fill the ring up to its end: full, not empty.
        const QByteArray exact = midiMessage(0xF0, 8);
        MidiDataTransmissionThread filled(nullptr, 10);
        write(filled, exact);
        QVERIFY(!filled.isEmptyBuffer());
        QVERIFY(!filled.isAvailable(1));
        filled.setReceivedMidiCallbackFunc(ReceivedMessages::callback, &received);
        QVERIFY(received.waitFor(3));
        QTRY_VERIFY(filled.isEmptyBuffer());
        QVERIFY(filled.isAvailable(10));
        // The next records start at the beginning and count as crossing the end.
        const QByteArray next("\xB0\x07\x64", 3);
        const QByteArray after = midiMessage(0xF0, 3);
        write(filled, next);
        write(filled, after);
        QVERIFY(received.waitFor(5));
        QCOMPARE(received.messages(), (QList<QByteArray>{first, second, exact, next, after}));
        QTRY_VERIFY(filled.isEmptyBuffer());
        QVERIFY(filled.isAvailable(10));
    }

    void oneCallbackPerRecordInOrder()
    {
        // Records written before there is a callback are kept for it.
        ReceivedMessages received;
        MidiDataTransmissionThread thread(nullptr, 64);
        QList<QByteArray> written;
        for (int i = 0; i < 500; ++i) {
            written.append(midiMessage(0x80 | (i % 0x70), i % 62));
            write(thread, written.last());
            if (i == 4) {
                QVERIFY(!thread.isEmptyBuffer());
                thread.setReceivedMidiCallbackFunc(ReceivedMessages::callback, &received);
            }
        }
        QVERIFY(received.waitFor(written.size()));
        QCOMPARE(received.messages(), written);
    }

    void destructionWhileWaitingReturnsPromptly()
    {
        ReceivedMessages received;
        QElapsedTimer timer;
        {
            MidiDataTransmissionThread idle(nullptr, 4098);
            idle.setReceivedMidiCallbackFunc(ReceivedMessages::callback, &received);
            MidiDataTransmissionThread withoutCallback(nullptr, 4098);
            write(withoutCallback, QByteArray("\xF8", 1));
            QTest::qWait(20);
            timer.start();
        }
        QVERIFY(timer.elapsed() < 1000);
        QVERIFY(received.messages().isEmpty());
    }

    void stressSmallRingSlowReader()
    {
        const std::uint32_t records = 2000000;
        const unsigned short RingCapacity = 4098;
        StressReader reader;
        MidiDataTransmissionThread thread(nullptr, RingCapacity);
        reader.thread = &thread;
        thread.setReceivedMidiCallbackFunc(StressReader::callback, &reader);

        std::thread writer([&thread, records] {
            const RecordSequence sequence;
            for (std::uint32_t record = 0; record < records; ++record) {
                thread.writeData(sequence.bytesOf(record), RecordSequence::sizeOf(record));
            }
        });
        writer.join();
        QTRY_COMPARE_WITH_TIMEOUT(reader.delivered.load(), records, 30000);
        QCOMPARE(reader.faults, 0u);
        QVERIFY(reader.writerBlocked > 0);
        QTRY_VERIFY(thread.isEmptyBuffer());
        QVERIFY(thread.isAvailable(RingCapacity));
    }
};

QTEST_GUILESS_MAIN(MidiReceiveThreadTest)
#include "MidiReceiveThreadTest.moc"
