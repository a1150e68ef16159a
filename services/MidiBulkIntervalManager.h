#pragma once

#include "model/ModelAssistant.h"

#include <atomic>
#include <cstddef>
#include <condition_variable>
#include <mutex>

class TarvoModel;

// Spaces out bulk transmissions: after a message that ends with End of
// Exclusive (0xF7) the sending thread sleeps until the bulk interval
// (parameter BulkIntervalId, in milliseconds) has passed on the monotonic
// clock. Any thread may wait, and must hold no lock another thread needs
// while it does. A change of the interval, switching it off included, applies
// to the pauses under way at once, so switching it off releases them all.
class MidiBulkIntervalManager : public ModelAssistant
{
public:
    explicit MidiBulkIntervalManager(TarvoModel* model);
    virtual ~MidiBulkIntervalManager();

    MidiBulkIntervalManager(const MidiBulkIntervalManager&) = delete;
    MidiBulkIntervalManager& operator=(const MidiBulkIntervalManager&) = delete;

    void updateParameter(unsigned int id) override;

    // Off: no pause at all; on: the value of the parameter is in force again.
    void setEnabledBulkInterval(bool enabled);
    // The hook before a send; nothing to do there.
    void waitBulkBeforeTransmission(const unsigned char* data, std::size_t size);
    // Sleeps the bulk interval when the message's last byte is 0xF7.
    void waitBulkAfterTransmission(const unsigned char* data, std::size_t size);

private:
    void setInterval(int milliseconds);

    TarvoModel* m_pModel;
    // Guards only the interval for the sleepers; held by nobody while sending.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_bulkInterval;
};
