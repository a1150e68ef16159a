#include "ReceivedMessages.h"

#include "midi/MidiDataTransmissionThread.h"

#include <QtTest>

#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

const std::size_t SmallRing = 4096;
const std::uint32_t FloodCount = 200000;
const std::size_t LargestFloodRecord = 300;

// A reader that checks that records arrive whole and in order (each starts
// with its 32-bit sequence number, its size hashed from it) and that can be
// stalled, as a receive thread busy elsewhere is.
struct CheckingReader
{
    static std::size_t sizeOf(std::uint32_t n)
    {
        return sizeof n + ((n * 2654435761u) >> 11) % (LargestFloodRecord - sizeof n);
    }

    static void callback(void* user, const unsigned char* data, unsigned short size)
    {
        CheckingReader* self = static_cast<CheckingReader*>(user);
        std::lock_guard<std::mutex> stall(self->gate);
        std::uint32_t n = 0;
        std::memcpy(&n, data, sizeof n);
        const bool intact = size == sizeOf(n) && (size <= sizeof n || data[size - 1] == static_cast<unsigned char>(n));
        if (!intact || (self->delivered > 0 && n <= self->last)) {
            self->faults++;
        }
        self->last = n;
        self->delivered++;
    }

    static void lostCallback(void* user, std::uint64_t count)
    {
        static_cast<CheckingReader*>(user)->reportedLost += count;
    }

    std::mutex gate;
    std::uint32_t last = 0;
    std::atomic<std::uint64_t> delivered{0};
    std::atomic<std::uint64_t> reportedLost{0};
    int faults = 0;
};

} // namespace

class MidiReceiveThreadTest : public QObject
{
    Q_OBJECT

private slots:
    // The ring stress: a writer floods a small ring while the reader is
    // stalled now and then; the writer never waits, every message arrives
    // whole and in order or is dropped whole, and every drop is counted once.
    void floodIntoStalledReaderDropsAndCountsExactly()
    {
        CheckingReader reader;
        MidiDataTransmissionThread thread(nullptr, SmallRing);
        thread.setReceivedMidiCallbackFunc(CheckingReader::callback, &reader, CheckingReader::lostCallback);
        std::uint64_t refused = 0;
        std::unique_lock<std::mutex> stall(reader.gate);
        unsigned char message[LargestFloodRecord];
        for (std::uint32_t n = 0; n < FloodCount; ++n) {
            if (n % (FloodCount / 8) == 0) {
                stall.unlock();
                std::this_thread::yield();
                stall.lock();
            }
            const std::size_t size = CheckingReader::sizeOf(n);
            std::memcpy(message, &n, sizeof n);
            if (size > sizeof n) {
                message[size - 1] = static_cast<unsigned char>(n);
            }
            refused += thread.writeData(message, size) ? 0 : 1;
        }
        stall.unlock();
        QVERIFY(refused > 0);
        QTRY_COMPARE(reader.delivered + reader.reportedLost, std::uint64_t(FloodCount));
        QCOMPARE(thread.lostCount(), refused);
        QCOMPARE(reader.reportedLost.load(), refused);
        QCOMPARE(reader.faults, 0);
    }

    void oversizedMessagesAreDroppedWhole_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("delivered");
        QTest::newRow("fits with its header") << int(SmallRing - sizeof(std::uint32_t)) << true;
        QTest::newRow("one byte too many") << int(SmallRing - sizeof(std::uint32_t) + 1) << false;
        QTest::newRow("beyond 16 bits") << 70000 << false;
    }

    void oversizedMessagesAreDroppedWhole()
    {
        QFETCH(int, size);
        QFETCH(bool, delivered);
        ReceivedMessages received;
        MidiDataTransmissionThread thread(nullptr, SmallRing);
        thread.setReceivedMidiCallbackFunc(ReceivedMessages::callback, &received);
        const QByteArray big = midiMessage(0xF0, size);
        QCOMPARE(thread.writeData(reinterpret_cast<const unsigned char*>(big.constData()), big.size()), delivered);
        QVERIFY(received.waitFor(delivered ? 1 : 0));
        const QByteArray next = midiMessage(0x90, 3);
        QVERIFY(thread.writeData(reinterpret_cast<const unsigned char*>(next.constData()), next.size()));
        QVERIFY(received.waitFor(delivered ? 2 : 1));
        QCOMPARE(received.messages().last(), next);
        QCOMPARE(received.messages().size(), delivered ? 2 : 1);
        QCOMPARE(thread.lostCount(), std::uint64_t(delivered ? 0 : 1));
    }
};

QTEST_GUILESS_MAIN(MidiReceiveThreadTest)
#include "MidiReceiveThreadTest.moc"
