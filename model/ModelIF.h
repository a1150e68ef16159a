#pragma once

#include "model/ModelResult.h"

#include <QString>

class ModelAssistant;
class ModelConnectionIF;

// Converts a parameter value to its display text.
using IntToStringFunction = QString (*)(int value, MODEL_RESULT* result);
// Converts a display text back to a parameter value.
using StringToIntFunction = int (*)(const QString& text, MODEL_RESULT* result);

// The interface through which everybody reads, writes and observes parameters.
class ModelIF
{
public:
    virtual ~ModelIF() = default;

    virtual int getModelIntValue(unsigned int id, MODEL_RESULT* result = nullptr) = 0;
    virtual MODEL_RESULT setModelIntValue(unsigned int id, int value) = 0;
    virtual MODEL_RESULT createIntParameter(unsigned int id, int minimum, int maximum, int defaultValue,
                                            const QString& name, IntToStringFunction toString,
                                            StringToIntFunction fromString) = 0;
    virtual QString getModelStringValue(unsigned int id, MODEL_RESULT* result = nullptr) = 0;
    virtual MODEL_RESULT setModelStringValue(unsigned int id, const QString& value) = 0;
    virtual MODEL_RESULT createStringParameter(unsigned int id, const QString& defaultValue,
                                               const QString& name) = 0;
    virtual void updateParameter(unsigned int id) = 0;
    virtual MODEL_RESULT registerModelConnection(ModelConnectionIF* connection) = 0;
    virtual MODEL_RESULT unregisterModelConnection(ModelConnectionIF* connection) = 0;
    virtual int getModelMinimumValue(unsigned int id, MODEL_RESULT* result = nullptr) = 0;
    virtual int getModelMaximumValue(unsigned int id, MODEL_RESULT* result = nullptr) = 0;
    virtual int getModelDefaultValue(unsigned int id, MODEL_RESULT* result = nullptr) = 0;
    virtual QString getModelDefaultStringValue(unsigned int id, MODEL_RESULT* result = nullptr) = 0;
    virtual QString getModelParameterName(unsigned int id, MODEL_RESULT* result = nullptr) = 0;
    virtual QString getParameterString(unsigned int id, int value, MODEL_RESULT* result = nullptr) = 0;
    virtual MODEL_RESULT registerModelAssistant(ModelAssistant* assistant) = 0;
    virtual MODEL_RESULT unregisterModelAssistant(ModelAssistant* assistant) = 0;
};
