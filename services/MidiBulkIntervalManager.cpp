#include "services/MidiBulkIntervalManager.h"

#include "model/TarvoModel.h"

namespace {

const unsigned char EndOfExclusive = 0xF7;
const qint64 NanosecondsPerMillisecond = 1000000;

} // namespace

MidiBulkIntervalManager::MidiBulkIntervalManager(TarvoModel* model)
    : m_pModel(model)
    , m_bulkInterval(model->getModelIntValue(BulkIntervalId))
{
    m_pModel->registerModelAssistant(this);
    m_time.start();
}

MidiBulkIntervalManager::~MidiBulkIntervalManager()
{
    m_pModel->unregisterModelAssistant(this);
}

void MidiBulkIntervalManager::updateParameter(unsigned int id)
{
    if (id == BulkIntervalId)
        m_bulkInterval = m_pModel->getModelIntValue(BulkIntervalId);
}

void MidiBulkIntervalManager::setEnabledBulkInterval(bool enabled)
{
    m_bulkInterval = enabled ? m_pModel->getModelIntValue(BulkIntervalId) : 0;
}

void MidiBulkIntervalManager::waitBulkBeforeTransmission(const unsigned char* data, unsigned short size)
{
    Q_UNUSED(data);
    Q_UNUSED(size);
}

void MidiBulkIntervalManager::waitBulkAfterTransmission(const unsigned char* data, unsigned short size)
{
    if (size == 0 || data[size - 1] != EndOfExclusive || m_bulkInterval < 1)
        return;
    // The start reading belongs to this call: several threads may wait at once.
    // Nanoseconds, so that the pause is never a fraction of a millisecond short.
    const qint64 start = m_time.nsecsElapsed();
    while (m_time.nsecsElapsed() - start < m_bulkInterval * NanosecondsPerMillisecond) {
    }
}
