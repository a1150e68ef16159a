#include "model/TarvoModel.h"

TarvoModel::TarvoModel()
    : Model(), TarvoParameters(this), m_parameterEditFlagLockCount(0)
{
}

TarvoModel::~TarvoModel() = default;

MODEL_RESULT TarvoModel::registerModelConnection(ModelConnectionIF* connection)
{
    return Model::registerModelConnection(connection);
}

MODEL_RESULT TarvoModel::unregisterModelConnection(ModelConnectionIF* connection)
{
    return Model::unregisterModelConnection(connection);
}

void TarvoModel::lockParameterEditFlag()
{
    ++m_parameterEditFlagLockCount;
}

void TarvoModel::unlockParameterEditFlag()
{
    --m_parameterEditFlagLockCount;
}

void TarvoModel::setParameterEditFlag(ParameterEditFlag flag)
{
    if (m_parameterEditFlagLockCount != 0) {
        return;
    }
    setModelIntValue(ParameterEditFlagId, flag);
}

ParameterEditFlag TarvoModel::getParameterEditFlag()
{
    return static_cast<ParameterEditFlag>(getModelIntValue(ParameterEditFlagId, nullptr));
}
