#include "engine/MidiBulkIntervalManager.h"

#include <chrono>

namespace {

const unsigned char EndOfExclusive = 0xF7;

} // namespace

MidiBulkIntervalManager::MidiBulkIntervalManager(int milliseconds)
    : m_interval(milliseconds)
    , m_enabled(true)
{
}

void MidiBulkIntervalManager::setBulkInterval(int milliseconds)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_interval = milliseconds;
    }
    m_changed.notify_all();
}

void MidiBulkIntervalManager::setEnabledBulkInterval(bool enabled)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_enabled = enabled;
    }
    m_changed.notify_all();
}

void MidiBulkIntervalManager::waitBulkBeforeTransmission(const unsigned char*, std::size_t)
{
}

void MidiBulkIntervalManager::waitBulkAfterTransmission(const unsigned char* data, std::size_t size)
{
    if (size == 0 || data[size - 1] != EndOfExclusive)
        return;
    // Steady clock: a pause neither ends early nor runs long when the wall
    // clock is set.
    const auto start = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(m_mutex);
    auto due = [this, start] { return start + std::chrono::milliseconds(m_enabled ? m_interval : 0); };
    while (std::chrono::steady_clock::now() < due()) {
        m_changed.wait_until(lock, due());
    }
}
