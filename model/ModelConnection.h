#pragma once

#include "model/ModelConnectionIF.h"

// The connection part of a bound control: remembers the parameter id and the
// model, forwards reads and writes, and unregisters itself when destroyed.
class ModelConnection : public ModelConnectionIF
{
public:
    ModelConnection() = default;
    ~ModelConnection() override;
    ModelConnection(const ModelConnection&) = delete;
    ModelConnection& operator=(const ModelConnection&) = delete;

    void updateParameter(unsigned int id) override;
    unsigned int getParameterId(MODEL_RESULT* result = nullptr) const override;
    // Set the id only while not connected: the model finds a connection by
    // the id that it reports.
    MODEL_RESULT setParameterId(unsigned int id) override;
    MODEL_RESULT connectModel(ModelIF* model) override;
    MODEL_RESULT disconnectModel() override;
    bool isConnected(MODEL_RESULT* result = nullptr) override;
    void modelChanged() override;
    int getMinimumValue(MODEL_RESULT* result = nullptr) override;
    int getMaximumValue(MODEL_RESULT* result = nullptr) override;
    QString getParameterString(int value, MODEL_RESULT* result = nullptr) override;

    MODEL_RESULT setParameterValue(int value);
    int getParameterValue(MODEL_RESULT* result = nullptr) const;

protected:
    unsigned int m_parameterId = UndefinedId;
    ModelIF* m_pModel = nullptr;
};
