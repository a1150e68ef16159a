#pragma once

#include "midi/MidiSendControlIF.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

// Paces the pieces of an editor's or a script's transmission: keeps the rate
// limit over the whole transmission, stops between pieces once running turns
// false, and reports the bytes sent at most about 30 times a second, so that
// short messages are not slowed down by reports the user could not read.
class PacedSender : public MidiSendControlIF
{
public:
    using ProgressFunction = std::function<void(std::uint64_t sent)>;

    // bytesPerSecond 0: as fast as the port takes.
    PacedSender(unsigned int bytesPerSecond, const std::atomic<bool>& running, ProgressFunction progress);

    bool beforePiece(std::size_t size) override;
    void afterPiece(std::size_t size) override;
    // Reports the final count.
    void finish();

private:
    using Clock = std::chrono::steady_clock;

    const unsigned int m_bytesPerSecond;
    const std::atomic<bool>& m_running;
    const ProgressFunction m_progress;
    const Clock::time_point m_start;
    Clock::time_point m_lastReport;
    std::uint64_t m_sent;
    std::uint64_t m_reported;
};
