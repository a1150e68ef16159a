#include "model/TarvoModel.h"

#include "controls/Dial.h"

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

void TarvoModel::updateParameter(unsigned int id)
{
    if (id == KnobModeId) {
        // The dials take the new mode before any observer hears of it.
        const int knobMode = getModelIntValue(KnobModeId, nullptr);
        const QList<QPointer<Dial>> dials = m_dials;
        for (const QPointer<Dial>& dial : dials) {
            if (!dial.isNull()) {
                dial->setKnobMode(knobMode);
            }
        }
    }
    Model::updateParameter(id);
}

void TarvoModel::registerDial(Dial* dial)
{
    if (dial == nullptr) {
        return;
    }
    m_dials.removeAll(QPointer<Dial>());
    for (const QPointer<Dial>& registered : qAsConst(m_dials)) {
        if (registered == dial) {
            return;
        }
    }
    m_dials.append(QPointer<Dial>(dial));
    dial->setKnobMode(getModelIntValue(KnobModeId, nullptr));
}

void TarvoModel::unregisterDial(Dial* dial)
{
    m_dials.removeAll(QPointer<Dial>(dial));
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
