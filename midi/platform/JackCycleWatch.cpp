#include "midi/platform/JackCycleWatch.h"

#include <jack/jack.h>

#include <chrono>
#include <thread>

namespace {

const char* const WatchClientName = "tarvo-cycle-watch";
const std::chrono::microseconds PollInterval(100);

} // namespace

JackCycleWatch::JackCycleWatch()
    : m_pClient(nullptr)
{
    jack_status_t status;
    m_pClient = jack_client_open(WatchClientName, JackNoStartServer, &status);
}

JackCycleWatch::~JackCycleWatch()
{
    if (m_pClient) {
        jack_client_close(m_pClient);
    }
}

void JackCycleWatch::waitForCycles(int count, int timeoutMs) const
{
    if (!m_pClient) {
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    jack_nframes_t cycleStart = jack_last_frame_time(m_pClient);
    while (count > 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(PollInterval);
        const jack_nframes_t now = jack_last_frame_time(m_pClient);
        if (now != cycleStart) {
            cycleStart = now;
            --count;
        }
    }
}
