#include "model/Model.h"

#include "model/ModelAssistant.h"
#include "model/ModelConnectionIF.h"

#include <algorithm>

namespace {

enum ParameterType {
    IntParameterType = 0,
    StringParameterType = 1,
};

template <typename Slot>
void removeNullSlots(QList<Slot>& entries)
{
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [](const Slot& slot) { return slot.pObserver == nullptr; }),
                entries.end());
}

template <typename Slot, typename Observer>
bool clearFirstSlotOf(QList<Slot>& entries, Observer* pObserver)
{
    for (Slot& slot : entries) {
        if (slot.pObserver == pObserver) {
            slot.pObserver = nullptr;
            return true;
        }
    }
    return false;
}

template <typename Slot>
bool hasLiveSlot(const QList<Slot>& entries, quint64 serial)
{
    for (const Slot& slot : entries) {
        if (slot.serial == serial) {
            return slot.pObserver != nullptr;
        }
    }
    return false;
}

// The field of parameter id in table, or fallback when there is none; the
// result tells which.
template <typename Table, typename Field, typename Value>
Value fieldOf(const Table& table, unsigned int id, MODEL_RESULT* result, Field field, Value fallback)
{
    auto it = table.constFind(id);
    if (it == table.constEnd()) {
        setModelResult(result, MODEL_RESULT_ERROR);
        return fallback;
    }
    setModelResult(result, MODEL_RESULT_OK);
    return (*it).*field;
}

} // namespace

template <typename Table, typename Value>
MODEL_RESULT Model::storeValue(Table& table, unsigned int id, const Value& value)
{
    auto it = table.find(id);
    if (it == table.end()) {
        return MODEL_RESULT_ERROR;
    }
    if (it->value == value) {
        return MODEL_RESULT_OK;
    }
    it->value = value;
    updateParameter(id);
    return MODEL_RESULT_OK;
}

int Model::getModelIntValue(unsigned int id, MODEL_RESULT* result)
{
    return fieldOf(m_intParameters, id, result, &IntParameterInfo::value, 0);
}

MODEL_RESULT Model::setModelIntValue(unsigned int id, int value)
{
    return storeValue(m_intParameters, id, value);
}

MODEL_RESULT Model::createIntParameter(unsigned int id, int minimum, int maximum, int defaultValue,
                                       const QString& name, IntToStringFunction toString,
                                       StringToIntFunction fromString)
{
    m_intParameters.insert(id, IntParameterInfo{id, IntParameterType, name, minimum, maximum, defaultValue,
                                                defaultValue, toString, fromString});
    return MODEL_RESULT_OK;
}

QString Model::getModelStringValue(unsigned int id, MODEL_RESULT* result)
{
    return fieldOf(m_stringParameters, id, result, &StringParameterInfo::value, QString());
}

MODEL_RESULT Model::setModelStringValue(unsigned int id, const QString& value)
{
    return storeValue(m_stringParameters, id, value);
}

MODEL_RESULT Model::createStringParameter(unsigned int id, const QString& defaultValue, const QString& name)
{
    m_stringParameters.insert(id, StringParameterInfo{id, StringParameterType, name, defaultValue, defaultValue});
    return MODEL_RESULT_OK;
}

void Model::updateParameter(unsigned int id)
{
    // Observers may register, unregister or change values while they are
    // told; each pass walks a snapshot and skips registrations that have gone.
    auto connections = m_connections.constFind(id);
    if (connections != m_connections.constEnd()) {
        const QList<ConnectionSlot> snapshot = *connections;
        for (const ConnectionSlot& slot : snapshot) {
            if (slot.pObserver != nullptr && isConnectionRegistered(id, slot.serial)) {
                slot.pObserver->updateParameter(id);
            }
        }
    }
    const QList<AssistantSlot> snapshot = m_assistants;
    for (const AssistantSlot& slot : snapshot) {
        if (slot.pObserver != nullptr && isAssistantRegistered(slot.serial)) {
            slot.pObserver->updateParameter(id);
        }
    }
}

MODEL_RESULT Model::registerModelConnection(ModelConnectionIF* connection)
{
    if (connection == nullptr) {
        return MODEL_RESULT_ERROR;
    }
    const unsigned int id = connection->getParameterId(nullptr);
    QList<ConnectionSlot>& entries = m_connections[id];
    removeNullSlots(entries);
    entries.append(ConnectionSlot{connection, m_nextSerial++});
    updateParameter(id);
    return MODEL_RESULT_OK;
}

MODEL_RESULT Model::unregisterModelConnection(ModelConnectionIF* connection)
{
    if (connection == nullptr) {
        return MODEL_RESULT_ERROR;
    }
    auto it = m_connections.find(connection->getParameterId(nullptr));
    if (it == m_connections.end() || !clearFirstSlotOf(*it, connection)) {
        return MODEL_RESULT_ERROR;
    }
    return MODEL_RESULT_OK;
}

int Model::getModelMinimumValue(unsigned int id, MODEL_RESULT* result)
{
    return fieldOf(m_intParameters, id, result, &IntParameterInfo::minimum, 0);
}

int Model::getModelMaximumValue(unsigned int id, MODEL_RESULT* result)
{
    return fieldOf(m_intParameters, id, result, &IntParameterInfo::maximum, 0);
}

int Model::getModelDefaultValue(unsigned int id, MODEL_RESULT* result)
{
    return fieldOf(m_intParameters, id, result, &IntParameterInfo::defaultValue, 0);
}

QString Model::getModelDefaultStringValue(unsigned int id, MODEL_RESULT* result)
{
    return fieldOf(m_stringParameters, id, result, &StringParameterInfo::defaultValue, QString());
}

QString Model::getModelParameterName(unsigned int id, MODEL_RESULT* result)
{
    auto intParameter = m_intParameters.constFind(id);
    if (intParameter != m_intParameters.constEnd()) {
        setModelResult(result, MODEL_RESULT_OK);
        return intParameter->name;
    }
    auto stringParameter = m_stringParameters.constFind(id);
    if (stringParameter != m_stringParameters.constEnd()) {
        setModelResult(result, MODEL_RESULT_OK);
        return stringParameter->name;
    }
    setModelResult(result, MODEL_RESULT_ERROR);
    return QString();
}

QString Model::getParameterString(unsigned int id, int value, MODEL_RESULT* result)
{
    auto intParameter = m_intParameters.constFind(id);
    if (intParameter != m_intParameters.constEnd()) {
        if (intParameter->toString == nullptr) {
            setModelResult(result, MODEL_RESULT_OK);
            return QString::number(value, 10);
        }
        return intParameter->toString(value, result);
    }
    auto stringParameter = m_stringParameters.constFind(id);
    if (stringParameter != m_stringParameters.constEnd()) {
        setModelResult(result, MODEL_RESULT_OK);
        return stringParameter->value;
    }
    setModelResult(result, MODEL_RESULT_ERROR);
    return QString();
}

MODEL_RESULT Model::registerModelAssistant(ModelAssistant* assistant)
{
    removeNullSlots(m_assistants);
    m_assistants.append(AssistantSlot{assistant, m_nextSerial++});
    return MODEL_RESULT_OK;
}

MODEL_RESULT Model::unregisterModelAssistant(ModelAssistant* assistant)
{
    if (!clearFirstSlotOf(m_assistants, assistant)) {
        return MODEL_RESULT_ERROR;
    }
    return MODEL_RESULT_OK;
}

bool Model::isConnectionRegistered(unsigned int id, quint64 serial) const
{
    auto it = m_connections.constFind(id);
    return it != m_connections.constEnd() && hasLiveSlot(*it, serial);
}

bool Model::isAssistantRegistered(quint64 serial) const
{
    return hasLiveSlot(m_assistants, serial);
}
