// Throughput of the monitor engine: 3-byte messages, one packet each, through
// the receive callback to the records collected by getMidiData, and with each
// record then made into its hex line as the monitor shows it. Runs on one
// thread and prints messages per second of wall and of thread CPU time, and
// whether every message was collected.
#include "engine/MidiAnalyzer.h"
#include "services/MonitorLineFormat.h"

#include <QApplication>

#include <cstdio>
#include <ctime>

namespace {

const unsigned int MessageCount = 3000000;
// Messages between two collections, about a poll tick's worth at full rate.
const unsigned int CollectEvery = 100000;
const int Rounds = 3;
const unsigned int LineSize = 9; // "90 3C 64 "
const std::size_t LimitBytes = 1 << 20;

double threadCpuSeconds()
{
    timespec time;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
}

double wallSeconds()
{
    timespec time;
    clock_gettime(CLOCK_MONOTONIC, &time);
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
}

void runRound(bool lines, int round)
{
    MidiAnalyzer analyzer(LimitBytes);
    MidiAnalyzer::Records records;
    unsigned long long bytesCounted = 0;
    unsigned long long textSize = 0;
    unsigned char message[3];

    const double wallStart = wallSeconds();
    const double cpuStart = threadCpuSeconds();
    for (unsigned int n = 0; n < MessageCount; ++n) {
        message[0] = static_cast<unsigned char>(0x90 | (n & 0x0F));
        message[1] = static_cast<unsigned char>((n >> 4) & 0x7F);
        message[2] = static_cast<unsigned char>((n >> 11) & 0x7F);
        MidiAnalyzer::callbackReceivedMidi(&analyzer, message, sizeof message, n);
        if ((n + 1) % CollectEvery == 0 || n + 1 == MessageCount) {
            analyzer.getMidiData(records);
            for (const MidiRecord& record : records.received) {
                bytesCounted += static_cast<unsigned long long>(record.bytes.size());
                if (lines)
                    textSize += static_cast<unsigned long long>(MonitorLineFormat::body(record).size());
            }
        }
    }
    const double cpu = threadCpuSeconds() - cpuStart;
    const double wall = wallSeconds() - wallStart;

    const bool complete = bytesCounted == 3ull * MessageCount && (!lines || textSize == 1ull * LineSize * MessageCount);
    std::printf("%s, round %d: %u messages in %.3f s wall, %.3f s CPU: %.0f messages/s wall, "
                "%.0f messages/s CPU, %s\n",
                lines ? "records and hex lines" : "records only       ", round, MessageCount, wall, cpu,
                MessageCount / wall, MessageCount / cpu, complete ? "every message collected" : "INCOMPLETE");
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::printf("monitor engine, %u note-ons of 3 bytes, one packet each, collected every %u messages; "
                "target 1000000 messages/s\n",
                MessageCount, CollectEvery);
    for (bool lines : {false, true}) {
        for (int round = 1; round <= Rounds; ++round)
            runRound(lines, round);
    }
    return 0;
}
