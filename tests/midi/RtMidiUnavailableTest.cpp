#include "midi/MidiClient.h"
#include "midi/MidiInputPort.h"
#include "midi/MidiOutputPort.h"
#include "midi/platform/MidiPlatform.h"
#include "midi/platform/RtMidiPlatform.h"

#include <QFile>
#include <QTemporaryFile>
#include <QtTest>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

void ignoreMessage(void*, const unsigned char*, unsigned short)
{
}

// Sends everything written to stderr into a file while it lives.
class StderrCapture
{
public:
    explicit StderrCapture(const QString& path)
        : m_saved(dup(STDERR_FILENO))
    {
        std::fflush(stderr);
        FILE* file = std::fopen(QFile::encodeName(path).constData(), "w");
        dup2(fileno(file), STDERR_FILENO);
        std::fclose(file);
    }

    ~StderrCapture()
    {
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
    }

private:
    int m_saved;
};

} // namespace

// Without an ALSA sequencer and without a JACK server the program runs on
// without MIDI: the client is not created, everything after it fails softly,
// and nothing is printed.
class RtMidiUnavailableTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QFile::exists(QStringLiteral("/dev/snd/seq"))) {
            QSKIP("this machine has an ALSA sequencer");
        }
        // A server name nobody runs.
        qputenv("JACK_DEFAULT_SERVER", QByteArray("tarvo-absent-") + QByteArray::number(getpid()));
    }

    void everythingFailsSoftlyAndQuietly()
    {
        RtMidiPlatform platform;
        MidiPlatform::install(&platform);
        QTemporaryFile log;
        QVERIFY(log.open());

        MIDI_RESULT inputList = MIDI_RESULT_ERROR;
        MIDI_RESULT outputList = MIDI_RESULT_ERROR;
        QList<QString> inputNames{QStringLiteral("stale")};
        MIDI_RESULT openIn = MIDI_RESULT_OK;
        MIDI_RESULT openInByName = MIDI_RESULT_OK;
        MIDI_RESULT openOut = MIDI_RESULT_OK;
        MIDI_RESULT sent = MIDI_RESULT_OK;
        MidiPlatformIF::Ref clientRef = 1;
        unsigned int sources = 1;
        QString inputName;
        {
            StderrCapture capture(log.fileName());
            auto client = std::make_unique<MidiClient>();
            auto input = std::make_unique<MidiInputPort>(client.get(), 4096);
            input->setReceivedMidiCallbackFunc(ignoreMessage, nullptr);
            auto output = std::make_unique<MidiOutputPort>(client.get(), 4096);
            clientRef = client->clientRef();
            inputNames = input->getInputPortNameList(&inputList);
            output->getOutputPortNameList(&outputList);
            sources = input->getInputPortCount(nullptr);
            openIn = input->openInputPort(0u);
            openInByName = input->openInputPort(QStringLiteral("system:midi_capture_1"));
            openOut = output->openOutputPort(0u);
            const unsigned char note[3] = {0x90, 0x3C, 0x64};
            sent = output->transmitMidi(note, 3);
            input->getCurrentPortName(inputName);
            input.reset();
            output.reset();
            client.reset();
        }
        MidiPlatform::install(nullptr);

        QCOMPARE(clientRef, MidiPlatformIF::NoRef);
        QVERIFY(inputNames.isEmpty());
        QCOMPARE(inputList, MIDI_RESULT_OK);
        QCOMPARE(outputList, MIDI_RESULT_OK);
        QCOMPARE(sources, 0u);
        QCOMPARE(openIn, MIDI_RESULT_ERROR);
        QCOMPARE(openInByName, MIDI_RESULT_ERROR);
        QCOMPARE(openOut, MIDI_RESULT_ERROR);
        QCOMPARE(sent, MIDI_RESULT_ERROR);
        QCOMPARE(inputName, QStringLiteral("No Assign"));
        QCOMPARE(QString::fromLocal8Bit(log.readAll()), QString());
    }
};

QTEST_GUILESS_MAIN(RtMidiUnavailableTest)
#include "RtMidiUnavailableTest.moc"
