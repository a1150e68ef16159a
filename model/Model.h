#pragma once

#include "model/ModelIF.h"

#include <QHash>
#include <QList>
#include <QString>

// The store of integer and string parameters with their observers.
class Model : public ModelIF
{
public:
    struct IntParameterInfo {
        unsigned int id;
        int type;
        QString name;
        int minimum;
        int maximum;
        int defaultValue;
        int value;
        IntToStringFunction toString;
        StringToIntFunction fromString;
    };

    struct StringParameterInfo {
        unsigned int id;
        int type;
        QString name;
        QString defaultValue;
        QString value;
    };

    // One registration of an observer. A null observer marks an unregistered
    // slot. The serial tells a registration apart from a later one of the same
    // pointer, so a notification pass calls only registrations still in place.
    template <typename Observer>
    struct ObserverSlot {
        Observer* pObserver;
        quint64 serial;
    };
    using ConnectionSlot = ObserverSlot<ModelConnectionIF>;
    using AssistantSlot = ObserverSlot<ModelAssistant>;

    Model() = default;
    ~Model() override = default;
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    int getModelIntValue(unsigned int id, MODEL_RESULT* result = nullptr) override;
    MODEL_RESULT setModelIntValue(unsigned int id, int value) override;
    MODEL_RESULT createIntParameter(unsigned int id, int minimum, int maximum, int defaultValue,
                                    const QString& name, IntToStringFunction toString,
                                    StringToIntFunction fromString) override;
    QString getModelStringValue(unsigned int id, MODEL_RESULT* result = nullptr) override;
    MODEL_RESULT setModelStringValue(unsigned int id, const QString& value) override;
    MODEL_RESULT createStringParameter(unsigned int id, const QString& defaultValue,
                                       const QString& name) override;
    void updateParameter(unsigned int id) override;
    MODEL_RESULT registerModelConnection(ModelConnectionIF* connection) override;
    MODEL_RESULT unregisterModelConnection(ModelConnectionIF* connection) override;
    int getModelMinimumValue(unsigned int id, MODEL_RESULT* result = nullptr) override;
    int getModelMaximumValue(unsigned int id, MODEL_RESULT* result = nullptr) override;
    int getModelDefaultValue(unsigned int id, MODEL_RESULT* result = nullptr) override;
    QString getModelDefaultStringValue(unsigned int id, MODEL_RESULT* result = nullptr) override;
    QString getModelParameterName(unsigned int id, MODEL_RESULT* result = nullptr) override;
    QString getParameterString(unsigned int id, int value, MODEL_RESULT* result = nullptr) override;
    MODEL_RESULT registerModelAssistant(ModelAssistant* assistant) override;
    MODEL_RESULT unregisterModelAssistant(ModelAssistant* assistant) override;

protected:
    QHash<unsigned int, IntParameterInfo> m_intParameters;
    QHash<unsigned int, StringParameterInfo> m_stringParameters;
    QHash<unsigned int, QList<ConnectionSlot>> m_connections;
    QList<AssistantSlot> m_assistants;

private:
    // Stores a changed value of parameter id and tells its observers.
    template <typename Table, typename Value>
    MODEL_RESULT storeValue(Table& table, unsigned int id, const Value& value);
    bool isConnectionRegistered(unsigned int id, quint64 serial) const;
    bool isAssistantRegistered(quint64 serial) const;

    quint64 m_nextSerial = 0;
};
