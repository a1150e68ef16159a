#include "controls/KnobModeFollower.h"

#include "controls/Dial.h"
#include "model/TarvoModel.h"

KnobModeFollower::KnobModeFollower(TarvoModel* model, Dial* dial)
    : m_pModel(model)
    , m_pDial(dial)
{
    m_pDial->setKnobMode(m_pModel->getModelIntValue(KnobModeId));
    m_pModel->registerModelAssistant(this);
}

KnobModeFollower::~KnobModeFollower()
{
    m_pModel->unregisterModelAssistant(this);
}

void KnobModeFollower::updateParameter(unsigned int id)
{
    if (id == KnobModeId)
        m_pDial->setKnobMode(m_pModel->getModelIntValue(KnobModeId));
}
