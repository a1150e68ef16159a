#include "model/ModelAssistant.h"
#include "model/ModelConnection.h"
#include "model/TarvoModel.h"

#include <QtTest>

#include <functional>
#include <type_traits>
#include <utility>

namespace {

constexpr unsigned int IntId = 10;
constexpr unsigned int HexId = 11;
constexpr unsigned int StringId = 20;
constexpr unsigned int NeverCreatedId = 99;
constexpr int IntDefault = 64;
constexpr int IntMaximum = 127;

// Logs its name for every update it is told of, then runs m_onUpdate.
template <class Observer>
class Recorder : public Observer
{
public:
    Recorder(QStringList* pLog = nullptr, const QString& name = QString(), unsigned int id = UndefinedId)
        : m_pLog(pLog), m_name(name)
    {
        if constexpr (std::is_base_of_v<ModelConnection, Observer>) {
            Observer::setParameterId(id);
        }
    }
    virtual ~Recorder() = default;
    void updateParameter(unsigned int) override
    {
        m_pLog->append(m_name);
        if (m_onUpdate) {
            m_onUpdate();
        }
    }
    QStringList* m_pLog;
    QString m_name;
    std::function<void()> m_onUpdate;
};
using Assistant = Recorder<ModelAssistant>;
using Connection = Recorder<ModelConnection>;

// Runs the action at the first call only.
std::function<void()> once(std::function<void()> action)
{
    return [action, done = false]() mutable {
        if (!std::exchange(done, true)) {
            action();
        }
    };
}

} // namespace

class ModelTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void storesConvertsAndRefusesValues();
    void notifiesConnectionsThenAssistantsInRegistrationOrder();
    void skipsObserversUnregisteredDuringAPass();
    void connectionFailsSoftlyWhileUnconnected();

private:
    std::unique_ptr<Model> m_pModel;
    QStringList m_log;
};

void ModelTest::init()
{
    m_pModel = std::make_unique<Model>();
    m_pModel->createIntParameter(IntId, 0, IntMaximum, IntDefault, QStringLiteral("Int"), nullptr, nullptr);
    const auto hexText = [](int value, MODEL_RESULT* result) {
        setModelResult(result, value < 0 ? MODEL_RESULT_ERROR : MODEL_RESULT_OK);
        return value < 0 ? QString() : QString::number(value, 16);
    };
    m_pModel->createIntParameter(HexId, 0, 1, 0, QString(), hexText, nullptr);
    m_pModel->createStringParameter(StringId, QStringLiteral("default"), QStringLiteral("Text"));
    m_log.clear();
}

void ModelTest::storesConvertsAndRefusesValues()
{
    Assistant assistant(&m_log, QStringLiteral("a"));
    m_pModel->registerModelAssistant(&assistant);
    // The value already held and failed writes tell no one.
    QCOMPARE(m_pModel->setModelIntValue(IntId, IntDefault), MODEL_RESULT_OK);
    QCOMPARE(m_pModel->setModelStringValue(StringId, QStringLiteral("default")), MODEL_RESULT_OK);
    QCOMPARE(m_pModel->setModelIntValue(NeverCreatedId, 1), MODEL_RESULT_ERROR);
    QCOMPARE(m_pModel->setModelIntValue(StringId, 1), MODEL_RESULT_ERROR);
    QCOMPARE(m_pModel->setModelStringValue(IntId, QStringLiteral("x")), MODEL_RESULT_ERROR);
    QCOMPARE(m_log, QStringList());
    MODEL_RESULT result = MODEL_RESULT_OK;
    QCOMPARE(m_pModel->getModelIntValue(StringId, &result), 0);
    QCOMPARE(result, MODEL_RESULT_ERROR);
    // Stored as given, without a range check.
    QCOMPARE(m_pModel->setModelIntValue(IntId, IntMaximum + 1), MODEL_RESULT_OK);
    QCOMPARE(m_pModel->getModelIntValue(IntId, &result), IntMaximum + 1);
    QCOMPARE(result, MODEL_RESULT_OK);
    QCOMPARE(m_log, QStringList({ "a" }));
    QCOMPARE(QStringList({ m_pModel->getModelParameterName(IntId), m_pModel->getModelParameterName(StringId) }),
             QStringList({ "Int", "Text" }));

    // The argument is converted, not the stored value.
    const QList<std::tuple<unsigned int, int, QString, MODEL_RESULT>> conversions = {
        { IntId, -5, "-5", MODEL_RESULT_OK }, { HexId, 255, "ff", MODEL_RESULT_OK },
        { HexId, -1, "", MODEL_RESULT_ERROR }, { StringId, 7, "default", MODEL_RESULT_OK },
        { NeverCreatedId, 1, "", MODEL_RESULT_ERROR } };
    for (const auto& [id, value, text, expected] : conversions) {
        QCOMPARE(m_pModel->getParameterString(id, value, &result), text);
        QCOMPARE(result, expected);
    }
    m_pModel->unregisterModelAssistant(&assistant);
}

void ModelTest::notifiesConnectionsThenAssistantsInRegistrationOrder()
{
    Assistant a1(&m_log, QStringLiteral("a1")), a2(&m_log, QStringLiteral("a2"));
    QCOMPARE(m_pModel->unregisterModelAssistant(&a1), MODEL_RESULT_ERROR);
    m_pModel->registerModelAssistant(&a1);
    m_pModel->registerModelAssistant(&a2);
    // A new connection is told at once, and so is every assistant.
    Connection c1(&m_log, QStringLiteral("c1"), IntId), c2(&m_log, QStringLiteral("c2"), IntId);
    QCOMPARE(m_pModel->registerModelConnection(&c1), MODEL_RESULT_OK);
    QCOMPARE(m_log, QStringList({ "c1", "a1", "a2" }));
    m_pModel->registerModelConnection(&c2);
    // Twice registered, twice called.
    m_pModel->registerModelConnection(&c1);
    m_log.clear();
    m_pModel->setModelIntValue(IntId, 1);
    QCOMPARE(m_log, QStringList({ "c1", "c2", "c1", "a1", "a2" }));

    // Unregistering removes the first registration; a new one comes last.
    QCOMPARE(m_pModel->unregisterModelConnection(&c1), MODEL_RESULT_OK);
    QCOMPARE(m_pModel->unregisterModelConnection(nullptr), MODEL_RESULT_ERROR);
    QCOMPARE(m_pModel->registerModelConnection(nullptr), MODEL_RESULT_ERROR);
    m_pModel->unregisterModelAssistant(&a1);
    m_pModel->registerModelAssistant(&a1);
    m_log.clear();
    m_pModel->updateParameter(IntId);
    QCOMPARE(m_log, QStringList({ "c2", "c1", "a2", "a1" }));
    QCOMPARE(m_pModel->unregisterModelConnection(&c1), MODEL_RESULT_OK);
    QCOMPARE(m_pModel->unregisterModelConnection(&c1), MODEL_RESULT_ERROR);
    m_pModel->unregisterModelAssistant(&a1);
    m_pModel->unregisterModelAssistant(&a2);
}

void ModelTest::skipsObserversUnregisteredDuringAPass()
{
    Connection c1(&m_log, QStringLiteral("c1"), IntId), c2(&m_log, QStringLiteral("c2"), IntId);
    Assistant a1(&m_log, QStringLiteral("a1")), a2(&m_log, QStringLiteral("a2"));
    c1.connectModel(m_pModel.get());
    c2.connectModel(m_pModel.get());
    m_pModel->registerModelAssistant(&a1);
    m_pModel->registerModelAssistant(&a2);
    c1.m_onUpdate = once([&] {
        m_pModel->unregisterModelConnection(&c2);
        m_pModel->unregisterModelAssistant(&a1);
    });
    m_log.clear();
    m_pModel->setModelIntValue(IntId, 1);
    QCOMPARE(m_log, QStringList({ "c1", "a2" }));

    // Destroyed during a pass, and a value changed during a pass: a nested pass.
    auto* pDoomed = new Connection(&m_log, QStringLiteral("doomed"), IntId);
    pDoomed->connectModel(m_pModel.get());
    c1.m_onUpdate = once([&] {
        delete pDoomed;
        m_pModel->setModelIntValue(IntId, IntDefault);
    });
    m_log.clear();
    m_pModel->setModelIntValue(IntId, 3);
    QCOMPARE(m_log, QStringList({ "c1", "c1", "a2", "a2" }));
    QCOMPARE(m_pModel->getModelIntValue(IntId), IntDefault);
    m_pModel->unregisterModelAssistant(&a2);
}

void ModelTest::connectionFailsSoftlyWhileUnconnected()
{
    Connection connection(&m_log, QStringLiteral("c"), IntId);
    MODEL_RESULT result = MODEL_RESULT_OK;
    const QList<std::function<void()>> uses = { [&] { connection.getParameterValue(&result); },
        [&] { connection.getMinimumValue(&result); }, [&] { connection.getMaximumValue(&result); },
        [&] { connection.getParameterString(1, &result); },
        [&] { result = connection.setParameterValue(1); }, [&] { result = connection.disconnectModel(); },
        [&] { result = connection.connectModel(nullptr); }, [&] { Connection().getParameterId(&result); } };
    for (const auto& use : uses) {
        result = MODEL_RESULT_OK;
        use();
        QCOMPARE(result, MODEL_RESULT_ERROR);
    }
    QCOMPARE(m_pModel->getModelIntValue(IntId), IntDefault);
}

QTEST_MAIN(ModelTest)
#include "ModelTest.moc"
