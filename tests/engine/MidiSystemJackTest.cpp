#include "JackTestServer.h"

#include "engine/MidiEngine.h"
#include "midi/platform/MidiSystemProbe.h"

#include <QtTest>

#include <memory>

namespace {

const char* const ClientName = "system-test";
const int JoinTimeoutMs = 10000;

// Refreshed once, as both programs do before they look.
std::unique_ptr<MidiEngine> engineFor(MidiSystem system)
{
    auto engine = std::make_unique<MidiEngine>(QLatin1String(ClientName), system);
    engine->refresh();
    return engine;
}

} // namespace

// Which MIDI system the engine speaks, over a JACK server of the test's own
// (jackd, or PipeWire's JACK under pw-jack); this machine has no sequencer.
class MidiSystemJackTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Nothing the machine runs may answer before the test's server starts.
        qputenv("JACK_DEFAULT_SERVER", "tarvo-absent");
        qputenv("PIPEWIRE_REMOTE", "tarvo-absent");
        m_sequencer = MidiSystemProbe::alsaSequencerAvailable(nullptr);
    }

    void whenNothingAnswers()
    {
        if (m_sequencer)
            QSKIP("The ALSA sequencer answers here.");
        const auto automatic = engineFor(MidiSystem::Automatic);
        QCOMPARE(automatic->systemName(), QLatin1String(MidiEngine::NoSystemName));
        QVERIFY2(automatic->serviceProblem().contains(QLatin1String("Neither")), qPrintable(automatic->serviceProblem()));

        const auto jack = engineFor(MidiSystem::Jack);
        QVERIFY2(jack->serviceProblem().contains(QLatin1String("No JACK server")), qPrintable(jack->serviceProblem()));

        const auto alsa = engineFor(MidiSystem::AlsaSequencer);
        QCOMPARE(alsa->systemName(), QLatin1String(MidiEngine::NoSystemName));
        QVERIFY2(alsa->serviceProblem().contains(QLatin1String("ALSA sequencer")), qPrintable(alsa->serviceProblem()));
        alsa->refresh();
        QVERIFY(!alsa->serviceProblem().isEmpty());

        // Automatic with nothing there, and JACK chosen by name, join a
        // server that starts later; the sequencer chosen by name does not.
        JackTestServer server;
        QVERIFY2(server.start(), qPrintable(server.log()));
        for (MidiEngine* engine : {automatic.get(), jack.get()}) {
            QTRY_VERIFY_WITH_TIMEOUT((engine->refresh(), engine->serviceProblem().isEmpty()), JoinTimeoutMs);
            QCOMPARE(engine->systemName(), QStringLiteral("JACK"));
        }
        alsa->refresh();
        QCOMPARE(alsa->systemName(), QLatin1String(MidiEngine::NoSystemName));
    }

    void whenJackAnswers()
    {
        JackTestServer server;
        QVERIFY2(server.start(), qPrintable(server.log()));
        const auto automatic = engineFor(MidiSystem::Automatic);
        QCOMPARE(automatic->systemName(), QStringLiteral("JACK"));
        QCOMPARE(automatic->serviceProblem(), QString());

        // A server that goes away is named as the problem, and rejoined.
        server.stop();
        QTRY_VERIFY_WITH_TIMEOUT((automatic->refresh(), !automatic->serviceProblem().isEmpty()), JoinTimeoutMs);
        QCOMPARE(automatic->systemName(), QLatin1String(MidiEngine::NoSystemName));
        QVERIFY2(server.start(), qPrintable(server.log()));
        QTRY_VERIFY_WITH_TIMEOUT((automatic->refresh(), automatic->serviceProblem().isEmpty()), JoinTimeoutMs);
    }

private:
    bool m_sequencer = false;
};

QTEST_GUILESS_MAIN(MidiSystemJackTest)
#include "MidiSystemJackTest.moc"
