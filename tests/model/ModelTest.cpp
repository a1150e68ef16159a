#include "model/CommonViewHelper.h"
#include "model/Model.h"
#include "model/ModelAssistant.h"
#include "model/ModelConnection.h"

#include <QGroupBox>
#include <functional>
#include <utility>
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
    setModelResult(result, value < 0 ? MODEL_RESULT_ERROR : MODEL_RESULT_OK);
    return value < 0 ? QString() : QString::number(value, 16);
}

// Reads the observer lists, to see that unregistered slots do not pile up.
class InspectableModel : public Model
{
public:
    int connectionSlotCount(unsigned int id) const { return m_connections.value(id).size(); }
};

// Logs "name:id" for every update it is told of, then runs m_onUpdate.
template <class Observer>
class Recorder : public Observer
{
public:
    Recorder(QStringList* pLog, const QString& name) : m_pLog(pLog), m_name(name) {}
    virtual ~Recorder() = default;
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
using AssistantRecorder = Recorder<ModelAssistant>;

class ConnectionRecorder : public Recorder<ModelConnection>
{
public:
    ConnectionRecorder(QStringList* pLog, const QString& name, unsigned int id) : Recorder(pLog, name)
    {
        setParameterId(id);
    }
    void modelChanged() override { ++m_modelChangedCount; }
    int m_modelChangedCount = 0;
};

class BoundWidget : public QWidget, public ModelConnection
{
public:
    BoundWidget(QStringList* pLog, const QString& name, QWidget* parent) : QWidget(parent), m_pLog(pLog)
    {
        setObjectName(name);
        setParameterId(IntId);
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
    void init();
    void cleanup();
    void storesConvertsAndRefusesValues();
    void notifiesConnectionsBeforeAssistantsInRegistrationOrder();
    void skipsObserversUnregisteredDuringAPass();
    void nestsPassesForChangesMadeByObservers();
    void connectionForwardsToItsModel();
    void viewHelperConnectsEveryBoundObjectOfTheTree();

private:
    InspectableModel* m_pModel = nullptr;
    QStringList m_log;
};

void ModelTest::init()
{
    m_pModel = new InspectableModel;
    createParameters(*m_pModel);
    m_log.clear();
}

void ModelTest::cleanup()
{
    delete m_pModel;
}

void ModelTest::storesConvertsAndRefusesValues()
{
    Model& model = *m_pModel;
    ConnectionRecorder connection(&m_log, QStringLiteral("c"), IntId);
    connection.connectModel(&model);
    AssistantRecorder assistant(&m_log, QStringLiteral("a"));
    model.registerModelAssistant(&assistant);
    m_log.clear();

    // Writing the value already held succeeds without telling anyone; so does
    // any failed access.
    QCOMPARE(model.setModelIntValue(IntId, 64), MODEL_RESULT_OK);
    QCOMPARE(model.setModelStringValue(StringId, QStringLiteral("default")), MODEL_RESULT_OK);
    QCOMPARE(model.setModelIntValue(NeverCreatedId, 1), MODEL_RESULT_ERROR);
    QCOMPARE(model.setModelIntValue(StringId, 1), MODEL_RESULT_ERROR);
    QCOMPARE(model.setModelStringValue(IntId, QStringLiteral("x")), MODEL_RESULT_ERROR);
    QVERIFY2(m_log.isEmpty(), qPrintable(m_log.join(' ')));
    MODEL_RESULT result = MODEL_RESULT_OK;
    QCOMPARE(model.getModelIntValue(StringId, &result), 0);
    QCOMPARE(result, MODEL_RESULT_ERROR);
    result = MODEL_RESULT_OK;
    QVERIFY(model.getModelStringValue(IntId, &result).isNull());
    QCOMPARE(result, MODEL_RESULT_ERROR);

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
    model.unregisterModelAssistant(&assistant);
}

void ModelTest::notifiesConnectionsBeforeAssistantsInRegistrationOrder()
{
    Model& model = *m_pModel;
    AssistantRecorder assistant1(&m_log, QStringLiteral("a1"));
    AssistantRecorder assistant2(&m_log, QStringLiteral("a2"));
    QCOMPARE(model.unregisterModelAssistant(&assistant1), MODEL_RESULT_ERROR);
    QCOMPARE(model.registerModelAssistant(&assistant1), MODEL_RESULT_OK);
    model.registerModelAssistant(&assistant2);
    QVERIFY(m_log.isEmpty());

    // Registering a connection tells it, and every assistant, at once.
    ConnectionRecorder first(&m_log, QStringLiteral("c1"), IntId);
    QCOMPARE(model.registerModelConnection(&first), MODEL_RESULT_OK);
    QCOMPARE(m_log, QStringList({"c1:10", "a1:10", "a2:10"}));
    ConnectionRecorder second(&m_log, QStringLiteral("c2"), IntId);
    ConnectionRecorder third(&m_log, QStringLiteral("c3"), IntId);
    ConnectionRecorder other(&m_log, QStringLiteral("other"), OtherIntId);
    for (ConnectionRecorder* connection : {&second, &third, &other}) {
        model.registerModelConnection(connection);
    }
    m_log.clear();
    model.setModelIntValue(IntId, 1);
    QCOMPARE(m_log, QStringList({"c1:10", "c2:10", "c3:10", "a1:10", "a2:10"}));

    // Twice registered, twice called; assistants hear of every id.
    model.registerModelConnection(&first);
    model.registerModelAssistant(&assistant1);
    m_log.clear();
    model.setModelIntValue(IntId, 2);
    QCOMPARE(m_log, QStringList({"c1:10", "c2:10", "c3:10", "c1:10", "a1:10", "a2:10", "a1:10"}));
    m_log.clear();
    model.updateParameter(NeverCreatedId);
    QCOMPARE(m_log, QStringList({"a1:99", "a2:99", "a1:99"}));

    // An unregistered place is taken by the next registration, which comes last.
    QCOMPARE(model.unregisterModelConnection(&second), MODEL_RESULT_OK);
    QCOMPARE(model.unregisterModelConnection(&second), MODEL_RESULT_ERROR);
    QCOMPARE(model.unregisterModelConnection(nullptr), MODEL_RESULT_ERROR);
    QCOMPARE(model.registerModelConnection(nullptr), MODEL_RESULT_ERROR);
    QCOMPARE(model.unregisterModelAssistant(&assistant1), MODEL_RESULT_OK);
    model.registerModelConnection(&second);
    m_log.clear();
    model.setModelIntValue(IntId, 3);
    QCOMPARE(m_log, QStringList({"c1:10", "c3:10", "c1:10", "c2:10", "a2:10", "a1:10"}));
    QCOMPARE(m_pModel->connectionSlotCount(IntId), 4);

    // A connection without an id registers under UndefinedId.
    ConnectionRecorder unset(&m_log, QStringLiteral("unset"), UndefinedId);
    m_log.clear();
    QCOMPARE(model.registerModelConnection(&unset), MODEL_RESULT_OK);
    QCOMPARE(m_log, QStringList({"unset:4294967295", "a2:4294967295", "a1:4294967295"}));
    model.unregisterModelAssistant(&assistant1);
    model.unregisterModelAssistant(&assistant2);
}

void ModelTest::skipsObserversUnregisteredDuringAPass()
{
    Model& model = *m_pModel;
    ConnectionRecorder first(&m_log, QStringLiteral("c1"), IntId);
    ConnectionRecorder second(&m_log, QStringLiteral("c2"), IntId);
    AssistantRecorder assistant1(&m_log, QStringLiteral("a1"));
    AssistantRecorder assistant2(&m_log, QStringLiteral("a2"));
    model.registerModelConnection(&first);
    model.registerModelConnection(&second);
    model.registerModelAssistant(&assistant1);
    model.registerModelAssistant(&assistant2);

    // The first connection removes the second connection and the second assistant.
    first.m_onUpdate = [&] {
        model.unregisterModelConnection(&second);
        model.unregisterModelAssistant(&assistant2);
    };
    m_log.clear();
    model.setModelIntValue(IntId, 1);
    QCOMPARE(m_log, QStringList({"c1:10", "a1:10"}));
    first.m_onUpdate = nullptr;

    // Registered during a pass: heard from the next pass on. Each hook acts once.
    bool once = true;
    assistant1.m_onUpdate = [&] {
        if (std::exchange(once, false)) {
            model.registerModelAssistant(&assistant2);
        }
    };
    m_log.clear();
    model.setModelIntValue(IntId, 2);
    QCOMPARE(m_log, QStringList({"c1:10", "a1:10"}));
    m_log.clear();
    model.setModelIntValue(IntId, 3);
    QCOMPARE(m_log, QStringList({"c1:10", "a1:10", "a2:10"}));

    // A connection registered twice and unregistered once during the pass keeps one call.
    model.registerModelConnection(&first);
    once = true;
    first.m_onUpdate = [&] {
        if (std::exchange(once, false)) {
            model.unregisterModelConnection(&first);
        }
    };
    m_log.clear();
    model.setModelIntValue(IntId, 4);
    QCOMPARE(m_log, QStringList({"c1:10", "c1:10", "a1:10", "a2:10"}));
    m_log.clear();
    model.setModelIntValue(IntId, 5);
    QCOMPARE(m_log, QStringList({"c1:10", "a1:10", "a2:10"}));

    // An observer destroyed during a pass is not called afterwards.
    auto* pDoomed = new AssistantRecorder(&m_log, QStringLiteral("doomed"));
    model.registerModelAssistant(pDoomed);
    auto* pDoomedConnection = new ConnectionRecorder(&m_log, QStringLiteral("doomedConnection"), IntId);
    pDoomedConnection->connectModel(&model);
    once = true;
    first.m_onUpdate = [&] {
        if (std::exchange(once, false)) {
            model.unregisterModelAssistant(pDoomed);
            delete pDoomed;
            delete pDoomedConnection;
        }
    };
    m_log.clear();
    model.setModelIntValue(IntId, 6);
    QCOMPARE(m_log, QStringList({"c1:10", "a1:10", "a2:10"}));
    first.m_onUpdate = nullptr;

    // Likewise for an assistant that another assistant removes.
    once = true;
    assistant1.m_onUpdate = [&] {
        if (std::exchange(once, false)) {
            model.unregisterModelAssistant(&assistant2);
        }
    };
    m_log.clear();
    model.setModelIntValue(IntId, 7);
    QCOMPARE(m_log, QStringList({"c1:10", "a1:10"}));
    model.unregisterModelAssistant(&assistant1);
}

void ModelTest::nestsPassesForChangesMadeByObservers()
{
    ConnectionRecorder first(&m_log, QStringLiteral("c1"), IntId);
    ConnectionRecorder second(&m_log, QStringLiteral("c2"), IntId);
    first.connectModel(m_pModel);
    second.connectModel(m_pModel);

    // The first observer keeps the value even: an odd value is bumped once.
    first.m_onUpdate = [&] {
        const int value = m_pModel->getModelIntValue(IntId);
        if (value % 2 != 0) {
            m_pModel->setModelIntValue(IntId, value + 1);
        }
    };
    m_log.clear();
    m_pModel->setModelIntValue(IntId, 3);
    QCOMPARE(m_log, QStringList({"c1:10", "c1:10", "c2:10", "c2:10"}));
    QCOMPARE(m_pModel->getModelIntValue(IntId), 4);
    first.m_onUpdate = nullptr;
}

void ModelTest::connectionForwardsToItsModel()
{
    Model& model = *m_pModel;
    model.setModelIntValue(IntId, 100);
    ConnectionRecorder connection(&m_log, QStringLiteral("c"), UndefinedId);
    MODEL_RESULT result = MODEL_RESULT_OK;
    QCOMPARE(connection.getParameterId(&result), UndefinedId);
    QCOMPARE(result, MODEL_RESULT_ERROR);
    connection.setParameterId(IntId);

    // Unconnected, everything fails softly.
    QCOMPARE(connection.setParameterValue(1), MODEL_RESULT_ERROR);
    QVERIFY(connection.getParameterString(1, &result).isEmpty());
    QCOMPARE(result, MODEL_RESULT_ERROR);
    QCOMPARE(connection.disconnectModel(), MODEL_RESULT_ERROR);
    QCOMPARE(connection.connectModel(nullptr), MODEL_RESULT_ERROR);
    QCOMPARE(model.getModelIntValue(IntId), 100);
    QVERIFY(m_log.isEmpty());

    // The current value arrives before connectModel returns, then the hook runs.
    int valueSeen = -1;
    connection.m_onUpdate = [&] { valueSeen = connection.getParameterValue(); };
    connection.m_modelChangedCount = 0;
    QCOMPARE(connection.connectModel(&model), MODEL_RESULT_OK);
    QCOMPARE(valueSeen, 100);
    QCOMPARE(connection.m_modelChangedCount, 1);
    QCOMPARE(connection.getMaximumValue(&result), 127);
    QCOMPARE(connection.setParameterValue(42), MODEL_RESULT_OK);
    QCOMPARE(model.getModelIntValue(IntId), 42);
    QCOMPARE(valueSeen, 42);

    QCOMPARE(connection.disconnectModel(), MODEL_RESULT_OK);
    QCOMPARE(connection.m_modelChangedCount, 2);
    QVERIFY(!connection.isConnected());
    m_log.clear();
    model.setModelIntValue(IntId, 43);
    QVERIFY(m_log.isEmpty());

    // Bound to an id that the model does not have: reads fail with a neutral value.
    ConnectionRecorder unknown(&m_log, QStringLiteral("u"), NeverCreatedId);
    unknown.connectModel(&model);
    QCOMPARE(unknown.getParameterValue(&result), 0);
    QCOMPARE(result, MODEL_RESULT_ERROR);
    QCOMPARE(unknown.setParameterValue(1), MODEL_RESULT_ERROR);

    // A destroyed connection is no longer called, and leaves no slot behind.
    {
        ConnectionRecorder gone(&m_log, QStringLiteral("gone"), IntId);
        gone.connectModel(&model);
    }
    m_log.clear();
    model.setModelIntValue(IntId, 1);
    QVERIFY(m_log.isEmpty());
    connection.connectModel(&model);
    QCOMPARE(m_pModel->connectionSlotCount(IntId), 1);
}

void ModelTest::viewHelperConnectsEveryBoundObjectOfTheTree()
{
    m_pModel->setModelIntValue(IntId, 7);
    QWidget view;
    auto* top = new BoundWidget(&m_log, QStringLiteral("top"), &view);
    auto* group = new QGroupBox(&view);
    auto* inGroup = new BoundWidget(&m_log, QStringLiteral("inGroup"), group);
    auto* nested = new BoundWidget(&m_log, QStringLiteral("nested"), inGroup);
    auto* stack = new QStackedWidget(&view);
    auto* page = new QWidget;
    stack->addWidget(page);
    auto* onPage = new BoundWidget(&m_log, QStringLiteral("onPage"), page);
    auto* scroll = new QScrollArea(&view);
    auto* content = new QWidget;
    auto* inScroll = new BoundWidget(&m_log, QStringLiteral("inScroll"), content);
    scroll->setWidget(content);
    new QWidget(&view);

    CommonViewHelper helper(m_pModel);
    helper.connectModel(&view);
    QCOMPARE(m_log, QStringList({"top", "inGroup", "nested", "onPage", "inScroll"}));
    for (BoundWidget* bound : {top, inGroup, nested, onPage, inScroll}) {
        QCOMPARE(bound->getParameterValue(), 7);
    }
}

QTEST_MAIN(ModelTest)
#include "ModelTest.moc"
