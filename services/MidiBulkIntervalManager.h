#pragma once

#include "model/ModelAssistant.h"

#include <QElapsedTimer>

#include <atomic>

class TarvoModel;

// Spaces out bulk transmissions: after a message that ends with End of
// Exclusive (0xF7) the sending thread is held until the bulk interval
// (parameter BulkIntervalId, in milliseconds) has passed. Any thread may wait;
// the interval itself is written on the GUI thread only.
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
    void waitBulkBeforeTransmission(const unsigned char* data, unsigned short size);
    // Busy-waits the bulk interval when the message's last byte is 0xF7.
    void waitBulkAfterTransmission(const unsigned char* data, unsigned short size);

private:
    TarvoModel* m_pModel;
    // Read by the sending threads while the GUI thread writes it.
    std::atomic<int> m_bulkInterval;
    // Monotonic, so a pause neither ends early nor runs long when the wall
    // clock is set or changes to and from summer time.
    QElapsedTimer m_time;
};
