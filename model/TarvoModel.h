#pragma once

#include "model/Model.h"
#include "model/TarvoParameters.h"

#include <QList>
#include <QPointer>
#include <QString>

class Dial;

// Value of parameter ParameterEditFlagId.
enum ParameterEditFlag {
    ParameterNotEdited = 0,
    ParameterEdited = 1,
};

// The application's one model: every parameter from birth, the project's
// edit flag and file path, and the knob mode of the registered dials.
class TarvoModel : public Model, public TarvoParameters
{
public:
    TarvoModel();
    ~TarvoModel() override;

    MODEL_RESULT registerModelConnection(ModelConnectionIF* connection) override;
    MODEL_RESULT unregisterModelConnection(ModelConnectionIF* connection) override;
    void updateParameter(unsigned int id) override;

    // The dial follows the knob mode from now on.
    void registerDial(Dial* dial);
    void unregisterDial(Dial* dial);

    // While locked, requests to change the edit flag are ignored. Locks nest.
    void lockParameterEditFlag();
    void unlockParameterEditFlag();
    void setParameterEditFlag(ParameterEditFlag flag);
    ParameterEditFlag getParameterEditFlag();

    // The current project file; empty for a new, unsaved project.
    QString m_projectFilePath;

private:
    QList<QPointer<Dial>> m_dials;
    int m_parameterEditFlagLockCount;
};
