#pragma once

#include "model/ModelResult.h"

#include <QString>

class ModelIF;

// A connection ties one control to one parameter of the model.
class ModelConnectionIF
{
public:
    virtual ~ModelConnectionIF() = default;

    virtual void updateParameter(unsigned int id) = 0;
    virtual unsigned int getParameterId(MODEL_RESULT* result = nullptr) const = 0;
    virtual MODEL_RESULT setParameterId(unsigned int id) = 0;
    virtual MODEL_RESULT connectModel(ModelIF* model) = 0;
    virtual MODEL_RESULT disconnectModel() = 0;
    virtual bool isConnected(MODEL_RESULT* result = nullptr) = 0;
    virtual void modelChanged() = 0;
    virtual int getMinimumValue(MODEL_RESULT* result = nullptr) = 0;
    virtual int getMaximumValue(MODEL_RESULT* result = nullptr) = 0;
    virtual QString getParameterString(int value, MODEL_RESULT* result = nullptr) = 0;
};
