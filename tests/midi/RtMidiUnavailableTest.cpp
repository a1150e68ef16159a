#include "midi/MidiClient.h"
#include "midi/MidiInputPort.h"
#include "midi/MidiOutputPort.h"
#include "midi/platform/MidiPlatform.h"
#include "midi/platform/RtMidiPlatform.h"

#include <QFile>
#include <QTemporaryFile>
#include <QtTest>

#include <cstdio>
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
        {
            // QtTest reports on standard output, so checks may run inside the capture.
            StderrCapture capture(log.fileName());
            MidiClient client;
            MidiInputPort input(&client, 4096);
            input.setReceivedMidiCallbackFunc(ignoreMessage, nullptr);
            MidiOutputPort output(&client, 4096);
            QCOMPARE(client.clientRef(), MidiPlatformIF::NoRef);
            MIDI_RESULT result = MIDI_RESULT_ERROR;
            QVERIFY(input.getInputPortNameList(&result).isEmpty());
            QCOMPARE(result, MIDI_RESULT_OK);
            result = MIDI_RESULT_ERROR;
            output.getOutputPortNameList(&result);
            QCOMPARE(result, MIDI_RESULT_OK);
            QCOMPARE(input.getInputPortCount(nullptr), 0u);
            QCOMPARE(input.openInputPort(0u), MIDI_RESULT_ERROR);
            QCOMPARE(input.openInputPort(QStringLiteral("system:midi_capture_1")), MIDI_RESULT_ERROR);
            QCOMPARE(output.openOutputPort(0u), MIDI_RESULT_ERROR);
            const unsigned char note[3] = {0x90, 0x3C, 0x64};
            QCOMPARE(output.transmitMidi(note, 3), MIDI_RESULT_ERROR);
            QString inputName;
            input.getCurrentPortName(inputName);
            QCOMPARE(inputName, QStringLiteral("No Assign"));
        }
        MidiPlatform::install(nullptr);
        QCOMPARE(QString::fromLocal8Bit(log.readAll()), QString());
    }
};

QTEST_GUILESS_MAIN(RtMidiUnavailableTest)
#include "RtMidiUnavailableTest.moc"
