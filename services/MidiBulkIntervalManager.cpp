#include "services/MidiBulkIntervalManager.h"

#include "model/TarvoModel.h"

#include <chrono>

namespace {

const unsigned char EndOfExclusive = 0xF7;

} // namespace

MidiBulkIntervalManager::MidiBulkIntervalManager(TarvoModel* model)
    : m_pModel(model)
    , m_bulkInterval(model->getModelIntValue(BulkIntervalId))
{
    m_pModel->registerModelAssistant(this);
}

MidiBulkIntervalManager::~MidiBulkIntervalManager()
{
    m_pModel->unregisterModelAssistant(this);
}

void MidiBulkIntervalManager::updateParameter(unsigned int id)
{
    if (id == BulkIntervalId)
        setInterval(m_pModel->getModelIntValue(BulkIntervalId));
}

void MidiBulkIntervalManager::setEnabledBulkInterval(bool enabled)
{
    setInterval(enabled ? m_pModel->getModelIntValue(BulkIntervalId) : 0);
}

void MidiBulkIntervalManager::setInterval(int milliseconds)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bulkInterval = milliseconds;
    }
    m_changed.notify_all();
}

void MidiBulkIntervalManager::waitBulkBeforeTransmission(const unsigned char* data, std::size_t size)
{
    Q_UNUSED(data);
    Q_UNUSED(size);
}

void MidiBulkIntervalManager::waitBulkAfterTransmission(const unsigned char* data, std::size_t size)
{
    if (size == 0 || data[size - 1] != EndOfExclusive)
        return;
    // Steady clock: a pause neither ends early nor runs long when the wall
    // clock is set.
    const auto start = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(m_mutex);
    auto due = [this, start] { return start + std::chrono::milliseconds(m_bulkInterval); };
    while (std::chrono::steady_clock::now() < due()) {
        m_changed.wait_until(lock, due());
    }
}
