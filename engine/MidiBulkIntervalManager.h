#pragma once

#include <cstddef>
#include <condition_variable>
#include <mutex>

// Spaces out bulk transmissions: after a message that ends with End of
// Exclusive (0xF7) the sending thread sleeps until the bulk interval has
// passed on the monotonic clock. Any thread may wait, and must hold no lock another thread needs
// while it does. A change of the interval, switching it off included, applies
// to the pauses under way at once, so switching it off releases them all.
class MidiBulkIntervalManager
{
public:
    explicit MidiBulkIntervalManager(int milliseconds = 0);

    MidiBulkIntervalManager(const MidiBulkIntervalManager&) = delete;
    MidiBulkIntervalManager& operator=(const MidiBulkIntervalManager&) = delete;

    // The interval while enabled.
    void setBulkInterval(int milliseconds);
    // Off: no pause at all; on: the interval set is in force again.
    void setEnabledBulkInterval(bool enabled);
    // The hook before a send; nothing to do there.
    void waitBulkBeforeTransmission(const unsigned char* data, std::size_t size);
    // Sleeps the bulk interval when the message's last byte is 0xF7.
    void waitBulkAfterTransmission(const unsigned char* data, std::size_t size);

private:
    // Guards only the interval for the sleepers; held by nobody while sending.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_interval;
    bool m_enabled;
};
