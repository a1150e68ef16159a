#pragma once

#include "model/Model.h"
#include "model/TarvoParameters.h"

#include <QString>

// Value of parameter ParameterEditFlagId.
enum ParameterEditFlag {
    ParameterNotEdited = 0,
    ParameterEdited = 1,
};

// The application's one model: every parameter from birth, and the project's
// edit flag and file path.
class TarvoModel : public Model, public TarvoParameters
{
public:
    TarvoModel();
    ~TarvoModel() override;

    MODEL_RESULT registerModelConnection(ModelConnectionIF* connection) override;
    MODEL_RESULT unregisterModelConnection(ModelConnectionIF* connection) override;

    // While locked, requests to change the edit flag are ignored. Locks nest.
    void lockParameterEditFlag();
    void unlockParameterEditFlag();
    void setParameterEditFlag(ParameterEditFlag flag);
    ParameterEditFlag getParameterEditFlag();

    // The current project file; empty for a new, unsaved project.
    QString m_projectFilePath;

private:
    int m_parameterEditFlagLockCount;
};
