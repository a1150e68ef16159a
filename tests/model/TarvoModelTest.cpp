#include "controls/Dial.h"
#include "model/ModelAssistant.h"
#include "model/ModelConnection.h"
#include "model/TarvoModel.h"

#include <QtTest>

namespace {

// Remembers the order in which parameters are created.
class CreationRecorder : public Model
{
public:
    MODEL_RESULT createIntParameter(unsigned int id, int minimum, int maximum, int defaultValue,
                                    const QString& name, IntToStringFunction toString,
                                    StringToIntFunction fromString) override
    {
        m_order.append(id);
        return Model::createIntParameter(id, minimum, maximum, defaultValue, name, toString, fromString);
    }
    MODEL_RESULT createStringParameter(unsigned int id, const QString& defaultValue, const QString& name) override
    {
        m_order.append(id);
        return Model::createStringParameter(id, defaultValue, name);
    }

    QList<unsigned int> m_order;
};

class CountingAssistant : public ModelAssistant
{
public:
    void updateParameter(unsigned int id) override { m_ids.append(id); }
    QList<unsigned int> m_ids;
};

// Records the knob mode of a dial at the moment the observer is told.
class KnobModeWatcher : public ModelConnection, public ModelAssistant
{
public:
    explicit KnobModeWatcher(const Dial* pDial) : m_pDial(pDial) {}
    void updateParameter(unsigned int id) override
    {
        if (id == KnobModeId) {
            m_modesSeen.append(m_pDial->m_knobMode);
        }
    }
    const Dial* m_pDial;
    QList<int> m_modesSeen;
};

// The table in creation order; the filter switches are the runs from 600 on.
QList<unsigned int> tableOrder()
{
    QList<unsigned int> ids = {0, 1, 2, 3, 500, 501};
    for (const QPair<unsigned int, unsigned int>& run : QList<QPair<unsigned int, unsigned int>>{
             {600, 16}, {700, 10}, {800, 128}, {1000, 4}, {1100, 6}}) {
        for (unsigned int id = run.first; id < run.first + run.second; ++id) {
            ids.append(id);
        }
    }
    return ids << 1200 << 1201;
}

} // namespace

class TarvoModelTest : public QObject
{
    Q_OBJECT

private slots:
    void createsTheWholeTableInOrder();
    void editFlagHonoursTheLockCount();
    void registersEachDialOnceAndPushesKnobModeFirst();
};

void TarvoModelTest::createsTheWholeTableInOrder()
{
    CreationRecorder recorder;
    TarvoParameters parameters(&recorder);
    QCOMPARE(recorder.m_order, tableOrder());
    // Without a model nothing is created and nothing breaks.
    parameters.createParameters(nullptr);
    QCOMPARE(recorder.m_order.size(), tableOrder().size());

    // The runs end exactly; every filter switch is 0 or 1.
    TarvoModel model;
    const QList<unsigned int> order = tableOrder();
    for (unsigned int id = 0; id <= 1300; ++id) {
        MODEL_RESULT intResult = MODEL_RESULT_OK;
        MODEL_RESULT stringResult = MODEL_RESULT_OK;
        model.getModelIntValue(id, &intResult);
        model.getModelStringValue(id, &stringResult);
        const bool exists = intResult == MODEL_RESULT_OK || stringResult == MODEL_RESULT_OK;
        QVERIFY2(exists == order.contains(id), qPrintable(QString::number(id)));
        if (exists && id >= 600 && id < 1200) {
            QCOMPARE(model.getModelMaximumValue(id), 1);
        }
    }
    QCOMPARE(model.getModelMaximumValue(BulkIntervalId), 1000);
    QCOMPARE(model.getModelStringValue(DumpFileWorkingDirectoryId), getDocumentDirectory());
    QCOMPARE(model.getModelDefaultStringValue(ProjectFileWorkingDirectoryId), getDocumentDirectory());
    MODEL_RESULT result = MODEL_RESULT_OK;
    QCOMPARE(model.getParameterString(KnobModeId, 2, &result), QString());
    QCOMPARE(result, MODEL_RESULT_ERROR);
    QCOMPARE(getKnobModeString(-1, &result), QString());
    QCOMPARE(result, MODEL_RESULT_ERROR);
}

void TarvoModelTest::editFlagHonoursTheLockCount()
{
    TarvoModel model;
    CountingAssistant assistant;
    model.registerModelAssistant(&assistant);
    QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);

    model.lockParameterEditFlag();
    model.lockParameterEditFlag();
    model.setParameterEditFlag(ParameterEdited);
    model.unlockParameterEditFlag();
    model.setParameterEditFlag(ParameterEdited);
    QCOMPARE(model.getModelIntValue(ParameterEditFlagId), 0);
    QVERIFY(assistant.m_ids.isEmpty());

    model.unlockParameterEditFlag();
    model.setParameterEditFlag(ParameterEdited);
    QCOMPARE(model.getParameterEditFlag(), ParameterEdited);
    QCOMPARE(assistant.m_ids, QList<unsigned int>({ParameterEditFlagId}));

    // Only a change notifies.
    model.setParameterEditFlag(ParameterEdited);
    QCOMPARE(assistant.m_ids.size(), 1);
    model.setParameterEditFlag(ParameterNotEdited);
    QCOMPARE(assistant.m_ids.size(), 2);

    // An unpaired unlock leaves the flag locked.
    model.unlockParameterEditFlag();
    model.setParameterEditFlag(ParameterEdited);
    QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);
    model.unregisterModelAssistant(&assistant);
}

void TarvoModelTest::registersEachDialOnceAndPushesKnobModeFirst()
{
    TarvoModel model;
    model.setModelIntValue(KnobModeId, KnobModeLinear);
    Dial kept;
    model.registerDial(&kept);
    QCOMPARE(kept.m_knobMode, int(KnobModeLinear));
    model.registerDial(&kept);
    model.registerDial(nullptr);
    QCOMPARE(model.m_dials.size(), 1);

    // A destroyed dial is skipped, and dropped at the next registration.
    auto* pDestroyed = new Dial;
    model.registerDial(pDestroyed);
    delete pDestroyed;

    // Observers of the knob mode find every dial already switched.
    KnobModeWatcher connection(&kept);
    connection.setParameterId(KnobModeId);
    connection.connectModel(&model);
    KnobModeWatcher assistant(&kept);
    model.registerModelAssistant(&assistant);
    connection.m_modesSeen.clear();
    model.setModelIntValue(KnobModeId, KnobModeCircle);
    QCOMPARE(connection.m_modesSeen, QList<int>({KnobModeCircle}));
    QCOMPARE(assistant.m_modesSeen, QList<int>({KnobModeCircle}));

    Dial later;
    model.registerDial(&later);
    QCOMPARE(model.m_dials.size(), 2);
    QCOMPARE(later.m_knobMode, int(KnobModeCircle));
    model.unregisterDial(&later);
    model.setModelIntValue(KnobModeId, KnobModeLinear);
    QCOMPARE(later.m_knobMode, int(KnobModeCircle));
    QCOMPARE(kept.m_knobMode, int(KnobModeLinear));
    QCOMPARE(assistant.m_modesSeen, QList<int>({KnobModeCircle, KnobModeLinear}));
    model.unregisterModelAssistant(&assistant);
    model.unregisterDial(&kept);
    QVERIFY(model.m_dials.isEmpty());
}

QTEST_MAIN(TarvoModelTest)
#include "TarvoModelTest.moc"
