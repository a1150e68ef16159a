#pragma once

#include "model/TarvoModel.h"

// Holds the edit flag still for a scope: changes made by the program, not
// the user, do not mark the project as edited.
class ParameterEditFlagLock
{
public:
    explicit ParameterEditFlagLock(TarvoModel* model) : m_pModel(model) { m_pModel->lockParameterEditFlag(); }
    ~ParameterEditFlagLock() { m_pModel->unlockParameterEditFlag(); }

    ParameterEditFlagLock(const ParameterEditFlagLock&) = delete;
    ParameterEditFlagLock& operator=(const ParameterEditFlagLock&) = delete;

private:
    TarvoModel* m_pModel;
};
