#include "services/PacedSender.h"

#include <algorithm>
#include <thread>

namespace {

const std::chrono::milliseconds ReportInterval(33);
// A cancel reaches a paced sender within this time.
const std::chrono::milliseconds LongestSleep(20);

} // namespace

PacedSender::PacedSender(unsigned int bytesPerSecond, const std::atomic<bool>& running, ProgressFunction progress)
    : m_bytesPerSecond(bytesPerSecond)
    , m_running(running)
    , m_progress(std::move(progress))
    , m_start(Clock::now())
    , m_lastReport(m_start)
    , m_sent(0)
    , m_reported(0)
{
}

bool PacedSender::beforePiece(std::size_t)
{
    if (m_bytesPerSecond == 0)
        return m_running;
    // Due when the bytes sent so far have taken their time at the rate, so
    // that late wake-ups are made up for rather than added up.
    const auto due = m_start + std::chrono::nanoseconds(m_sent * 1000000000ull / m_bytesPerSecond);
    for (auto now = Clock::now(); m_running && now < due; now = Clock::now())
        std::this_thread::sleep_for(std::min<Clock::duration>(due - now, LongestSleep));
    return m_running;
}

void PacedSender::afterPiece(std::size_t size)
{
    m_sent += size;
    const auto now = Clock::now();
    if (now - m_lastReport >= ReportInterval) {
        m_lastReport = now;
        m_reported = m_sent;
        if (m_progress)
            m_progress(m_sent);
    }
}

void PacedSender::finish()
{
    if (m_sent != m_reported && m_progress)
        m_progress(m_sent);
    m_reported = m_sent;
}
