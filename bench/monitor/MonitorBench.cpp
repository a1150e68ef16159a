// Throughput of the monitor engine: 3-byte messages, one packet each, through
// the receive callback to the text collected by getMidiData, with the time
// stamp off and on. Runs on one thread and prints messages per second of wall
// and of thread CPU time, and whether the collected text has every line.
#include "model/TarvoModel.h"
#include "services/MidiAnalyzer.h"

#include <QApplication>

#include <cstdio>
#include <ctime>

namespace {

const unsigned int MessageCount = 3000000;
// Messages between two collections, about a poll tick's worth at full rate.
const unsigned int CollectEvery = 100000;
const int Rounds = 3;
const unsigned int LineSizeWithoutStamp = 10; // "\n90 3C 64 "
const unsigned int StampSize = 13;

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

void runRound(bool timeStamp, int round)
{
    TarvoModel model;
    model.setModelIntValue(TimeStampId, timeStamp ? 1 : 0);
    MidiAnalyzer analyzer(&model);

    QByteArray received, sysEx, transmitted;
    unsigned int receivedCount = 0, sysExCount = 0, transmittedCount = 0;
    unsigned long long bytesCounted = 0;
    unsigned long long textSize = 0;
    unsigned char message[3];

    const double wallStart = wallSeconds();
    const double cpuStart = threadCpuSeconds();
    for (unsigned int n = 0; n < MessageCount; ++n) {
        message[0] = static_cast<unsigned char>(0x90 | (n & 0x0F));
        message[1] = static_cast<unsigned char>((n >> 4) & 0x7F);
        message[2] = static_cast<unsigned char>((n >> 11) & 0x7F);
        MidiAnalyzer::callbackReceivedMidi(&analyzer, message, sizeof message);
        if ((n + 1) % CollectEvery == 0 || n + 1 == MessageCount) {
            analyzer.getMidiData(received, receivedCount, sysEx, sysExCount, transmitted, transmittedCount);
            bytesCounted += receivedCount;
            textSize += static_cast<unsigned long long>(received.size());
        }
    }
    const double cpu = threadCpuSeconds() - cpuStart;
    const double wall = wallSeconds() - wallStart;

    const unsigned long long expectedText
        = static_cast<unsigned long long>(MessageCount) * (LineSizeWithoutStamp + (timeStamp ? StampSize : 0));
    const bool complete = bytesCounted == 3ull * MessageCount && textSize == expectedText;
    std::printf("time stamp %s, round %d: %u messages in %.3f s wall, %.3f s CPU: %.0f messages/s wall, "
                "%.0f messages/s CPU, %s\n",
                timeStamp ? "on " : "off", round, MessageCount, wall, cpu, MessageCount / wall, MessageCount / cpu,
                complete ? "every line collected" : "TEXT INCOMPLETE");
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::printf("monitor engine, %u note-ons of 3 bytes, one packet each, collected every %u messages; "
                "targets 1000000 messages/s without and 300000 with time stamp\n",
                MessageCount, CollectEvery);
    for (bool timeStamp : {false, true}) {
        for (int round = 1; round <= Rounds; ++round)
            runRound(timeStamp, round);
    }
    return 0;
}
