#include "model/CommonViewHelper.h"
#include "model/Model.h"
#include "model/ModelAssistant.h"
#include "model/ModelConnection.h"

#include <QGroupBox>
#include <functional>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStringList>
#include <QtTest>

namespace {

constexpr unsigned int IntId = 10;
constexpr unsigned int OtherIntId = 11;
constexpr unsigned int StringId = 20;
constexpr unsigned int NeverCreatedId = 99;

QString hexText(int value, MODEL_RESULT* result)
{
    if (value < 0) {
        setModelResult(result, MODEL_RESULT_ERROR);
        return QString();
    }
    setModelResult(result, MODEL_RESULT_OK);
    return QString::number(value, 16);
}

// Reads the observer lists that the notification rules are about.
class InspectableModel : public Model
{
public:
    int connectionSlotCount(unsigned int id) const { return m_connections.value(id).size(); }
    int assistantSlotCount() const { return m_assistants.size(); }
};

class Recorder : public ModelConnection
{
public:
    Recorder(QStringList* pLog, const QString& name) : m_pLog(pLog), m_name(name) {}
    void updateParameter(unsigned int id) override
    {
        m_pLog->append(QStringLiteral("%1:%2").arg(m_name).arg(id));
        if (m_onUpdate) {
            m_onUpdate();
        }
    }
    void modelChanged() override { ++m_modelChangedCount; }

    QStringList* m_pLog;
    QString m_name;
    std::function<void()> m_onUpdate;
    int m_modelChangedCount = 0;
};

class AssistantRecorder : public ModelAssistant
{
public:
    AssistantRecorder(QStringList* pLog, const QString& name) : m_pLog(pLog), m_name(name) {}
    virtual ~AssistantRecorder() = default;
    void updateParameter(unsigned int id) override
    {
        m_pLog->append(QStringLiteral("%1:%2").arg(m_name).arg(id));
        if (m_onUpdate) {
            m_onUpdate();
        }
    }

    QStringList* m_pLog;
    QString m_name;
    std::function<void()> m_onUpdate;
};

class BoundWidget : public QWidget, public ModelConnection
{
public:
    BoundWidget(QStringList* pLog, const QString& name, QWidget* parent) : QWidget(parent), m_pLog(pLog)
    {
        setObjectName(name);
    }
    void modelChanged() override { m_pLog->append(objectName()); }

    QStringList* m_pLog;
};

void createParameters(Model& model)
{
    model.createIntParameter(IntId, 0, 127, 64, QStringLiteral("Int"), nullptr, nullptr);
    model.createIntParameter(OtherIntId, 0, 1, 0, QString(), hexText, nullptr);
    model.createStringParameter(StringId, QStringLiteral("default"), QStringLiteral("Text"));
}

} // namespace

class ModelTest : public QObject
{
    Q_OBJECT

private slots:
    void storesAndConvertsValues();
    void failedReadsAndWritesNotifyNobody();
    void notifiesConnectionsBeforeAssistantsInRegistrationOrder();
    void keepsNullSlotsUntilTheNextRegistration();
    void skipsObserversUnregisteredDuringAPass();
    void nestsPassesForChangesMadeByObservers();
    void connectionForwardsToItsModel();
    void connectionFailsSoftlyWhileUnconnected();
    void destroyedConnectionIsNoLongerCalled();
    void viewHelperConnectsEveryBoundObjectOfTheTree();
};

void ModelTest::storesAndConvertsValues()
{
    Model model;
    createParameters(model);
    MODEL_RESULT result = MODEL_RESULT_ERROR;

    // No range check: the value is stored as given.
    QCOMPARE(model.setModelIntValue(IntId, 500), MODEL_RESULT_OK);
    QCOMPARE(model.getModelIntValue(IntId, &result), 500);
    QCOMPARE(result, MODEL_RESULT_OK);
    QCOMPARE(model.getModelDefaultValue(IntId), 64);

    // The argument is converted, not the stored value.
    QCOMPARE(model.getParameterString(IntId, -5, &result), QStringLiteral("-5"));
    QCOMPARE(model.getParameterString(OtherIntId, 255, &result), QStringLiteral("ff"));
    QCOMPARE(result, MODEL_RESULT_OK);
    QVERIFY(model.getParameterString(OtherIntId, -1, &result).isEmpty());
    QCOMPARE(result, MODEL_RESULT_ERROR);
    QCOMPARE(model.getParameterString(StringId, 7, &result), QStringLiteral("default"));
    QCOMPARE(result, MODEL_RESULT_OK);
    QVERIFY(model.getParameterString(NeverCreatedId, 1, &result).isEmpty());
    QCOMPARE(result, MODEL_RESULT_ERROR);

    // Creating again replaces the record.
    model.createIntParameter(IntId, 1, 2, 2, QStringLiteral("Again"), nullptr, nullptr);
    QCOMPARE(model.getModelIntValue(IntId), 2);
    QCOMPARE(model.getModelParameterName(IntId), QStringLiteral("Again"));
}

void ModelTest::failedReadsAndWritesNotifyNobody()
{
    Model model;
    createParameters(model);
    QStringList log;
    Recorder connection(&log, QStringLiteral("c"));
    connection.setParameterId(IntId);
    connection.connectModel(&model);
    AssistantRecorder assistant(&log, QStringLiteral("a"));
    model.registerModelAssistant(&assistant);
    log.clear();

    MODEL_RESULT result = MODEL_RESULT_OK;
    QCOMPARE(model.setModelIntValue(NeverCreatedId, 1), MODEL_RESULT_ERROR);
    QCOMPARE(model.setModelStringValue(NeverCreatedId, QStringLiteral("x")), MODEL_RESULT_ERROR);
    QCOMPARE(model.setModelIntValue(StringId, 1), MODEL_RESULT_ERROR);
    QCOMPARE(model.setModelStringValue(IntId, QStringLiteral("x")), MODEL_RESULT_ERROR);
    QCOMPARE(model.getModelIntValue(StringId, &result), 0);
    QCOMPARE(result, MODEL_RESULT_ERROR);
    result = MODEL_RESULT_OK;
    QCOMPARE(model.getModelMaximumValue(NeverCreatedId, &result), 0);
    QCOMPARE(result, MODEL_RESULT_ERROR);
    result = MODEL_RESULT_OK;
    QVERIFY(model.getModelStringValue(IntId, &result).isNull());
    QCOMPARE(result, MODEL_RESULT_ERROR);
    result = MODEL_RESULT_OK;
    QVERIFY(model.getModelParameterName(NeverCreatedId, &result).isEmpty());
    QCOMPARE(result, MODEL_RESULT_ERROR);

    // Writing the value already held succeeds without telling anyone.
    QCOMPARE(model.setModelIntValue(IntId, 64), MODEL_RESULT_OK);
    QCOMPARE(model.setModelStringValue(StringId, QStringLiteral("default")), MODEL_RESULT_OK);
    QVERIFY2(log.isEmpty(), qPrintable(log.join(' ')));
    QCOMPARE(model.getModelIntValue(IntId), 64);

    model.unregisterModelAssistant(&assistant);
}

void ModelTest::notifiesConnectionsBeforeAssistantsInRegistrationOrder()
{
    Model model;
    createParameters(model);
    QStringList log;
    AssistantRecorder assistant1(&log, QStringLiteral("a1"));
    AssistantRecorder assistant2(&log, QStringLiteral("a2"));
    QCOMPARE(model.registerModelAssistant(&assistant1), MODEL_RESULT_OK);
    QCOMPARE(model.registerModelAssistant(&assistant2), MODEL_RESULT_OK);
    QVERIFY(log.isEmpty());

    // Registering a connection tells it, and every assistant, at once.
    Recorder first(&log, QStringLiteral("c1"));
    first.setParameterId(IntId);
    QCOMPARE(model.registerModelConnection(&first), MODEL_RESULT_OK);
    QCOMPARE(log, QStringList({"c1:10", "a1:10", "a2:10"}));

    Recorder second(&log, QStringLiteral("c2"));
    second.setParameterId(IntId);
    model.registerModelConnection(&second);
    Recorder other(&log, QStringLiteral("other"));
    other.setParameterId(OtherIntId);
    model.registerModelConnection(&other);
    log.clear();

    model.setModelIntValue(IntId, 1);
    QCOMPARE(log, QStringList({"c1:10", "c2:10", "a1:10", "a2:10"}));

    // Twice registered, twice called; assistants hear of every id.
    model.registerModelConnection(&first);
    model.registerModelAssistant(&assistant1);
    log.clear();
    model.setModelIntValue(IntId, 2);
    QCOMPARE(log, QStringList({"c1:10", "c2:10", "c1:10", "a1:10", "a2:10", "a1:10"}));
    log.clear();
    model.updateParameter(NeverCreatedId);
    QCOMPARE(log, QStringList({"a1:99", "a2:99", "a1:99"}));

    // A connection without an id registers under UndefinedId.
    Recorder unset(&log, QStringLiteral("unset"));
    log.clear();
    QCOMPARE(model.registerModelConnection(&unset), MODEL_RESULT_OK);
    QCOMPARE(log, QStringList({"unset:4294967295", "a1:4294967295", "a2:4294967295", "a1:4294967295"}));
    QCOMPARE(model.registerModelConnection(nullptr), MODEL_RESULT_ERROR);

    for (Recorder* connection : {&first, &first, &second, &other, &unset}) {
        QCOMPARE(model.unregisterModelConnection(connection), MODEL_RESULT_OK);
    }
    QCOMPARE(model.unregisterModelAssistant(&assistant1), MODEL_RESULT_OK);
    QCOMPARE(model.unregisterModelAssistant(&assistant1), MODEL_RESULT_OK);
    QCOMPARE(model.unregisterModelAssistant(&assistant2), MODEL_RESULT_OK);
}

void ModelTest::keepsNullSlotsUntilTheNextRegistration()
{
    InspectableModel model;
    createParameters(model);
    QStringList log;
    Recorder first(&log, QStringLiteral("c1"));
    Recorder second(&log, QStringLiteral("c2"));
    Recorder third(&log, QStringLiteral("c3"));
    Recorder fourth(&log, QStringLiteral("c4"));
    for (Recorder* connection : {&first, &second, &third, &fourth}) {
        connection->setParameterId(IntId);
    }
    model.registerModelConnection(&first);
    model.registerModelConnection(&second);
    model.registerModelConnection(&third);

    QCOMPARE(model.unregisterModelConnection(&second), MODEL_RESULT_OK);
    QCOMPARE(model.connectionSlotCount(IntId), 3);
    log.clear();
    model.setModelIntValue(IntId, 1);
    QCOMPARE(log, QStringList({"c1:10", "c3:10"}));

    // Not registered any more, never registered, or no list for its id.
    QCOMPARE(model.unregisterModelConnection(&second), MODEL_RESULT_ERROR);
    QCOMPARE(model.unregisterModelConnection(&fourth), MODEL_RESULT_ERROR);
    Recorder elsewhere(&log, QStringLiteral("elsewhere"));
    elsewhere.setParameterId(NeverCreatedId);
    QCOMPARE(model.unregisterModelConnection(&elsewhere), MODEL_RESULT_ERROR);
    QCOMPARE(model.unregisterModelConnection(nullptr), MODEL_RESULT_ERROR);

    model.registerModelConnection(&fourth);
    QCOMPARE(model.connectionSlotCount(IntId), 3);
    log.clear();
    model.setModelIntValue(IntId, 2);
    QCOMPARE(log, QStringList({"c1:10", "c3:10", "c4:10"}));

    AssistantRecorder assistant1(&log, QStringLiteral("a1"));
    AssistantRecorder assistant2(&log, QStringLiteral("a2"));
    QCOMPARE(model.unregisterModelAssistant(&assistant1), MODEL_RESULT_ERROR);
    model.registerModelAssistant(&assistant1);
    model.registerModelAssistant(&assistant2);
    QCOMPARE(model.unregisterModelAssistant(&assistant1), MODEL_RESULT_OK);
    QCOMPARE(model.unregisterModelAssistant(&assistant1), MODEL_RESULT_ERROR);
    QCOMPARE(model.assistantSlotCount(), 2);
    model.registerModelAssistant(&assistant1);
    QCOMPARE(model.assistantSlotCount(), 2);
    log.clear();
    model.updateParameter(OtherIntId);
    QCOMPARE(log, QStringList({"a2:11", "a1:11"}));

    for (Recorder* connection : {&first, &third, &fourth}) {
        model.unregisterModelConnection(connection);
    }
    model.unregisterModelAssistant(&assistant1);
    model.unregisterModelAssistant(&assistant2);
}

void ModelTest::skipsObserversUnregisteredDuringAPass()
{
    Model model;
    createParameters(model);
    QStringList log;
    Recorder first(&log, QStringLiteral("c1"));
    Recorder second(&log, QStringLiteral("c2"));
    first.setParameterId(IntId);
    second.setParameterId(IntId);
    AssistantRecorder assistant1(&log, QStringLiteral("a1"));
    AssistantRecorder assistant2(&log, QStringLiteral("a2"));
    model.registerModelConnection(&first);
    model.registerModelConnection(&second);
    model.registerModelAssistant(&assistant1);
    model.registerModelAssistant(&assistant2);

    // The first connection removes the second connection and the second assistant.
    first.m_onUpdate = [&] {
        model.unregisterModelConnection(&second);
        model.unregisterModelAssistant(&assistant2);
    };
    log.clear();
    model.setModelIntValue(IntId, 1);
    QCOMPARE(log, QStringList({"c1:10", "a1:10"}));
    first.m_onUpdate = nullptr;

    // Registered during a pass: heard from the next pass on.
    bool registerOnce = true;
    assistant1.m_onUpdate = [&] {
        if (registerOnce) {
            registerOnce = false;
            model.registerModelAssistant(&assistant2);
        }
    };
    log.clear();
    model.setModelIntValue(IntId, 2);
    QCOMPARE(log, QStringList({"c1:10", "a1:10"}));
    log.clear();
    model.setModelIntValue(IntId, 3);
    QCOMPARE(log, QStringList({"c1:10", "a1:10", "a2:10"}));

    // A connection registered twice and unregistered once during the pass keeps one call.
    model.registerModelConnection(&first);
    bool unregisterOnce = true;
    first.m_onUpdate = [&] {
        if (unregisterOnce) {
            unregisterOnce = false;
            model.unregisterModelConnection(&first);
        }
    };
    log.clear();
    model.setModelIntValue(IntId, 4);
    QCOMPARE(log, QStringList({"c1:10", "c1:10", "a1:10", "a2:10"}));
    log.clear();
    model.setModelIntValue(IntId, 5);
    QCOMPARE(log, QStringList({"c1:10", "a1:10", "a2:10"}));

    // An observer destroyed during a pass is not called afterwards.
    auto* pDoomed = new AssistantRecorder(&log, QStringLiteral("doomed"));
    model.registerModelAssistant(pDoomed);
    auto* pDoomedConnection = new Recorder(&log, QStringLiteral("doomedConnection"));
    pDoomedConnection->setParameterId(IntId);
    pDoomedConnection->connectModel(&model);
    first.m_onUpdate = [&] {
        model.unregisterModelAssistant(pDoomed);
        delete pDoomed;
        pDoomed = nullptr;
        delete pDoomedConnection;
        pDoomedConnection = nullptr;
    };
    log.clear();
    model.setModelIntValue(IntId, 6);
    QCOMPARE(log, QStringList({"c1:10", "a1:10", "a2:10"}));
    first.m_onUpdate = nullptr;

    model.unregisterModelConnection(&first);
    model.unregisterModelAssistant(&assistant1);
    model.unregisterModelAssistant(&assistant2);
}

void ModelTest::nestsPassesForChangesMadeByObservers()
{
    Model model;
    createParameters(model);
    QStringList log;
    Recorder first(&log, QStringLiteral("c1"));
    Recorder second(&log, QStringLiteral("c2"));
    first.setParameterId(IntId);
    second.setParameterId(IntId);
    model.registerModelConnection(&first);
    model.registerModelConnection(&second);

    // The first observer keeps the value even: an odd value is bumped once.
    first.m_onUpdate = [&] {
        const int value = model.getModelIntValue(IntId);
        if (value % 2 != 0) {
            model.setModelIntValue(IntId, value + 1);
        }
    };
    log.clear();
    model.setModelIntValue(IntId, 3);
    QCOMPARE(log, QStringList({"c1:10", "c1:10", "c2:10", "c2:10"}));
    QCOMPARE(model.getModelIntValue(IntId), 4);

    first.m_onUpdate = nullptr;
    model.unregisterModelConnection(&first);
    model.unregisterModelConnection(&second);
}

void ModelTest::connectionForwardsToItsModel()
{
    Model model;
    createParameters(model);
    model.setModelIntValue(IntId, 100);
    QStringList log;
    Recorder connection(&log, QStringLiteral("c"));
    MODEL_RESULT result = MODEL_RESULT_OK;
    QCOMPARE(connection.getParameterId(&result), UndefinedId);
    QCOMPARE(result, MODEL_RESULT_ERROR);
    QCOMPARE(connection.setParameterId(IntId), MODEL_RESULT_OK);
    QCOMPARE(connection.getParameterId(&result), IntId);
    QCOMPARE(result, MODEL_RESULT_OK);

    // The current value arrives before connectModel returns, then the hook runs.
    int valueSeen = -1;
    connection.m_onUpdate = [&] { valueSeen = connection.getParameterValue(); };
    QCOMPARE(connection.connectModel(&model), MODEL_RESULT_OK);
    QCOMPARE(valueSeen, 100);
    QCOMPARE(log, QStringList({"c:10"}));
    QCOMPARE(connection.m_modelChangedCount, 1);
    QVERIFY(connection.isConnected(&result));
    QCOMPARE(result, MODEL_RESULT_OK);

    QCOMPARE(connection.getMaximumValue(&result), 127);
    QCOMPARE(connection.setParameterValue(42), MODEL_RESULT_OK);
    QCOMPARE(model.getModelIntValue(IntId), 42);
    QCOMPARE(valueSeen, 42);

    connection.m_onUpdate = nullptr;
    QCOMPARE(connection.disconnectModel(), MODEL_RESULT_OK);
    QCOMPARE(connection.m_modelChangedCount, 2);
    QVERIFY(!connection.isConnected());
    log.clear();
    model.setModelIntValue(IntId, 43);
    QVERIFY(log.isEmpty());

    // Bound to an id that the model does not have: reads fail with a neutral value.
    Recorder unknown(&log, QStringLiteral("u"));
    unknown.setParameterId(NeverCreatedId);
    unknown.connectModel(&model);
    QCOMPARE(unknown.getParameterValue(&result), 0);
    QCOMPARE(result, MODEL_RESULT_ERROR);
    QCOMPARE(unknown.setParameterValue(1), MODEL_RESULT_ERROR);
}

void ModelTest::connectionFailsSoftlyWhileUnconnected()
{
    Model model;
    createParameters(model);
    QStringList log;
    Recorder connection(&log, QStringLiteral("c"));
    connection.setParameterId(IntId);
    MODEL_RESULT result = MODEL_RESULT_OK;

    QCOMPARE(connection.setParameterValue(1), MODEL_RESULT_ERROR);
    QCOMPARE(model.getModelIntValue(IntId), 64);
    QCOMPARE(connection.getParameterValue(&result), 0);
    QCOMPARE(result, MODEL_RESULT_ERROR);
    result = MODEL_RESULT_OK;
    QVERIFY(connection.getParameterString(1, &result).isEmpty());
    QCOMPARE(result, MODEL_RESULT_ERROR);

    QCOMPARE(connection.disconnectModel(), MODEL_RESULT_ERROR);
    QCOMPARE(connection.connectModel(nullptr), MODEL_RESULT_ERROR);
    QCOMPARE(connection.m_modelChangedCount, 2);
    QVERIFY(log.isEmpty());
}

void ModelTest::destroyedConnectionIsNoLongerCalled()
{
    InspectableModel model;
    createParameters(model);
    QStringList log;
    {
        Recorder connection(&log, QStringLiteral("gone"));
        connection.setParameterId(IntId);
        connection.connectModel(&model);
    }
    log.clear();
    model.setModelIntValue(IntId, 1);
    QVERIFY(log.isEmpty());

    Recorder next(&log, QStringLiteral("next"));
    next.setParameterId(IntId);
    next.connectModel(&model);
    QCOMPARE(model.connectionSlotCount(IntId), 1);
}

void ModelTest::viewHelperConnectsEveryBoundObjectOfTheTree()
{
    Model model;
    createParameters(model);
    model.setModelIntValue(IntId, 7);
    QStringList log;

    QWidget view;
    auto* top = new BoundWidget(&log, QStringLiteral("top"), &view);
    auto* group = new QGroupBox(&view);
    auto* inGroup = new BoundWidget(&log, QStringLiteral("inGroup"), group);
    auto* nested = new BoundWidget(&log, QStringLiteral("nested"), inGroup);
    auto* stack = new QStackedWidget(&view);
    auto* page = new QWidget;
    stack->addWidget(page);
    auto* onPage = new BoundWidget(&log, QStringLiteral("onPage"), page);
    auto* scroll = new QScrollArea(&view);
    auto* content = new QWidget;
    auto* inScroll = new BoundWidget(&log, QStringLiteral("inScroll"), content);
    scroll->setWidget(content);
    auto* plain = new QWidget(&view);
    Q_UNUSED(plain);
    for (BoundWidget* bound : {top, inGroup, nested, onPage, inScroll}) {
        bound->setParameterId(IntId);
    }

    CommonViewHelper helper(&model);
    helper.connectModel(&view);
    QCOMPARE(log, QStringList({"top", "inGroup", "nested", "onPage", "inScroll"}));
    for (BoundWidget* bound : {top, inGroup, nested, onPage, inScroll}) {
        QVERIFY(bound->isConnected());
        QCOMPARE(bound->getParameterValue(), 7);
    }
}

QTEST_MAIN(ModelTest)
#include "ModelTest.moc"
