#include "model/ModelConnection.h"

#include "model/ModelIF.h"

ModelConnection::~ModelConnection()
{
    // Virtual calls from here reach only this class: the control is gone.
    if (m_pModel != nullptr) {
        m_pModel->unregisterModelConnection(this);
    }
    m_pModel = nullptr;
}

void ModelConnection::updateParameter(unsigned int)
{
}

unsigned int ModelConnection::getParameterId(MODEL_RESULT* result) const
{
    setModelResult(result, m_parameterId == UndefinedId ? MODEL_RESULT_ERROR : MODEL_RESULT_OK);
    return m_parameterId;
}

MODEL_RESULT ModelConnection::setParameterId(unsigned int id)
{
    m_parameterId = id;
    return MODEL_RESULT_OK;
}

MODEL_RESULT ModelConnection::connectModel(ModelIF* model)
{
    m_pModel = model;
    const MODEL_RESULT result = model != nullptr ? model->registerModelConnection(this) : MODEL_RESULT_ERROR;
    modelChanged();
    return result;
}

MODEL_RESULT ModelConnection::disconnectModel()
{
    const MODEL_RESULT result = m_pModel != nullptr ? m_pModel->unregisterModelConnection(this) : MODEL_RESULT_ERROR;
    m_pModel = nullptr;
    modelChanged();
    return result;
}

bool ModelConnection::isConnected(MODEL_RESULT* result)
{
    setModelResult(result, MODEL_RESULT_OK);
    return m_pModel != nullptr;
}

void ModelConnection::modelChanged()
{
}

int ModelConnection::getMinimumValue(MODEL_RESULT* result)
{
    if (m_pModel == nullptr) {
        setModelResult(result, MODEL_RESULT_ERROR);
        return 0;
    }
    return m_pModel->getModelMinimumValue(m_parameterId, result);
}

int ModelConnection::getMaximumValue(MODEL_RESULT* result)
{
    if (m_pModel == nullptr) {
        setModelResult(result, MODEL_RESULT_ERROR);
        return 0;
    }
    return m_pModel->getModelMaximumValue(m_parameterId, result);
}

QString ModelConnection::getParameterString(int value, MODEL_RESULT* result)
{
    if (m_pModel == nullptr) {
        setModelResult(result, MODEL_RESULT_ERROR);
        return QString();
    }
    return m_pModel->getParameterString(m_parameterId, value, result);
}

MODEL_RESULT ModelConnection::setParameterValue(int value)
{
    if (m_pModel == nullptr) {
        return MODEL_RESULT_ERROR;
    }
    return m_pModel->setModelIntValue(m_parameterId, value);
}

int ModelConnection::getParameterValue(MODEL_RESULT* result) const
{
    if (m_pModel == nullptr) {
        setModelResult(result, MODEL_RESULT_ERROR);
        return 0;
    }
    return m_pModel->getModelIntValue(m_parameterId, result);
}
