#include "controls/Dial.h"
#include "model/ModelAssistant.h"
#include "model/ModelConnection.h"
#include "model/TarvoModel.h"

#include <QSet>
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

QList<unsigned int> idRun(unsigned int first, unsigned int count)
{
    QList<unsigned int> ids;
    for (unsigned int id = first; id < first + count; ++id) {
        ids.append(id);
    }
    return ids;
}

QList<unsigned int> tableOrder()
{
    QList<unsigned int> ids = {0, 1, 2, 3, 500, 501};
    ids += idRun(600, 16);
    ids += idRun(700, 10);
    ids += idRun(800, 128);
    ids += idRun(1000, 4);
    ids += idRun(1100, 6);
    ids += {1200, 1201};
    return ids;
}

} // namespace

class TarvoModelTest : public QObject
{
    Q_OBJECT

private slots:
    void createsTheWholeTableInOrder();
    void parameterRunsEndExactly();
    void namesRangesAndTexts();
    void editFlagHonoursTheLockCount();
    void registersEachDialOnce();
    void pushesKnobModeIntoDialsBeforeObservers();
};

void TarvoModelTest::createsTheWholeTableInOrder()
{
    CreationRecorder model;
    TarvoParameters parameters(&model);
    QCOMPARE(model.m_order, tableOrder());

    // Without a model nothing is created and nothing breaks.
    parameters.createParameters(nullptr);
    QCOMPARE(model.m_order.size(), tableOrder().size());
}

void TarvoModelTest::parameterRunsEndExactly()
{
    TarvoModel model;
    const QList<unsigned int> order = tableOrder();
    const QSet<unsigned int> expected(order.begin(), order.end());
    for (unsigned int id = 0; id <= 1300; ++id) {
        MODEL_RESULT intResult = MODEL_RESULT_OK;
        MODEL_RESULT stringResult = MODEL_RESULT_OK;
        model.getModelIntValue(id, &intResult);
        model.getModelStringValue(id, &stringResult);
        const bool exists = intResult == MODEL_RESULT_OK || stringResult == MODEL_RESULT_OK;
        QVERIFY2(exists == expected.contains(id), qPrintable(QString::number(id)));
    }
    for (unsigned int id : {599u, 616u, 710u, 928u, 1004u, 1106u}) {
        MODEL_RESULT result = MODEL_RESULT_OK;
        QCOMPARE(model.getModelIntValue(id, &result), 0);
        QCOMPARE(result, MODEL_RESULT_ERROR);
        QCOMPARE(model.setModelIntValue(id, 1), MODEL_RESULT_ERROR);
    }
    for (unsigned int id : {615u, 709u, 927u, 1003u, 1105u}) {
        MODEL_RESULT result = MODEL_RESULT_ERROR;
        QCOMPARE(model.getModelMaximumValue(id, &result), 1);
        QCOMPARE(result, MODEL_RESULT_OK);
    }
}

void TarvoModelTest::namesRangesAndTexts()
{
    TarvoModel model;
    MODEL_RESULT result = MODEL_RESULT_ERROR;
    QCOMPARE(model.getModelIntValue(BulkIntervalId, &result), 0);
    QCOMPARE(result, MODEL_RESULT_OK);
    QCOMPARE(model.getModelMaximumValue(BulkIntervalId), 1000);
    QCOMPARE(model.getModelMaximumValue(TransmissionStateId), 2);
    QCOMPARE(model.getModelParameterName(BulkIntervalId), QStringLiteral("Bulk Interval (ms)"));
    QCOMPARE(model.getModelParameterName(MidiThruId), QStringLiteral("MIDI Thru"));
    QCOMPARE(model.getModelParameterName(KnobModeId), QStringLiteral("Knob Mode"));
    QCOMPARE(model.getModelParameterName(TimeStampId), QStringLiteral("Time Stamp"));
    QCOMPARE(model.getModelParameterName(DumpFileWorkingDirectoryId),
             QStringLiteral("Dump File Working Directory"));
    QCOMPARE(model.getModelParameterName(ProjectFileWorkingDirectoryId),
             QStringLiteral("Project File Working Directory"));
    QCOMPARE(model.getModelParameterName(600, &result), QString());
    QCOMPARE(result, MODEL_RESULT_OK);

    QCOMPARE(model.getModelStringValue(DumpFileWorkingDirectoryId), getDocumentDirectory());
    QCOMPARE(model.getModelDefaultStringValue(ProjectFileWorkingDirectoryId), getDocumentDirectory());

    QCOMPARE(model.getParameterString(KnobModeId, 0, &result), QStringLiteral("Circle"));
    QCOMPARE(model.getParameterString(KnobModeId, 1, &result), QStringLiteral("Linear"));
    QCOMPARE(result, MODEL_RESULT_OK);
    QCOMPARE(model.getParameterString(KnobModeId, 2, &result), QString());
    QCOMPARE(result, MODEL_RESULT_ERROR);
    QCOMPARE(getKnobModeString(-1, &result), QString());
    QCOMPARE(result, MODEL_RESULT_ERROR);
    QCOMPARE(model.getParameterString(BulkIntervalId, 250, &result), QStringLiteral("250"));
    QCOMPARE(result, MODEL_RESULT_OK);

    QVERIFY(model.m_projectFilePath.isEmpty());
    QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);
}

void TarvoModelTest::editFlagHonoursTheLockCount()
{
    TarvoModel model;
    CountingAssistant assistant;
    model.registerModelAssistant(&assistant);

    model.lockParameterEditFlag();
    model.lockParameterEditFlag();
    model.setParameterEditFlag(ParameterEdited);
    model.unlockParameterEditFlag();
    model.setParameterEditFlag(ParameterEdited);
    QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);
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
    QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);
    QCOMPARE(assistant.m_ids.size(), 2);

    // An unpaired unlock leaves the flag locked.
    model.unlockParameterEditFlag();
    model.setParameterEditFlag(ParameterEdited);
    QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);

    model.unregisterModelAssistant(&assistant);
}

void TarvoModelTest::registersEachDialOnce()
{
    TarvoModel model;
    model.setModelIntValue(KnobModeId, KnobModeLinear);

    Dial kept;
    model.registerDial(&kept);
    QCOMPARE(kept.m_knobMode, int(KnobModeLinear));
    model.registerDial(&kept);
    QCOMPARE(model.m_dials.size(), 1);
    model.registerDial(nullptr);
    QCOMPARE(model.m_dials.size(), 1);

    auto* pDestroyed = new Dial;
    model.registerDial(pDestroyed);
    QCOMPARE(model.m_dials.size(), 2);
    delete pDestroyed;
    model.setModelIntValue(KnobModeId, KnobModeCircle);
    QCOMPARE(kept.m_knobMode, int(KnobModeCircle));

    Dial later;
    model.registerDial(&later);
    QCOMPARE(model.m_dials.size(), 2);
    QCOMPARE(later.m_knobMode, int(KnobModeCircle));

    model.unregisterDial(&later);
    model.setModelIntValue(KnobModeId, KnobModeLinear);
    QCOMPARE(later.m_knobMode, int(KnobModeCircle));
    QCOMPARE(kept.m_knobMode, int(KnobModeLinear));
    model.unregisterDial(&kept);
    QVERIFY(model.m_dials.isEmpty());
}

void TarvoModelTest::pushesKnobModeIntoDialsBeforeObservers()
{
    TarvoModel model;
    Dial dial;
    model.registerDial(&dial);
    KnobModeWatcher connection(&dial);
    connection.setParameterId(KnobModeId);
    connection.connectModel(&model);
    KnobModeWatcher assistant(&dial);
    model.registerModelAssistant(&assistant);
    connection.m_modesSeen.clear();

    QCOMPARE(model.setModelIntValue(KnobModeId, KnobModeLinear), MODEL_RESULT_OK);
    QCOMPARE(connection.m_modesSeen, QList<int>({KnobModeLinear}));
    QCOMPARE(assistant.m_modesSeen, QList<int>({KnobModeLinear}));
    QCOMPARE(model.setModelIntValue(KnobModeId, KnobModeCircle), MODEL_RESULT_OK);
    QCOMPARE(connection.m_modesSeen, QList<int>({KnobModeLinear, KnobModeCircle}));
    QCOMPARE(assistant.m_modesSeen, QList<int>({KnobModeLinear, KnobModeCircle}));

    model.unregisterModelAssistant(&assistant);
    model.unregisterDial(&dial);
}

QTEST_MAIN(TarvoModelTest)
#include "TarvoModelTest.moc"
