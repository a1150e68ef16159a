#include "midi/MidiClient.h"
#include "midi/MidiInputPort.h"
#include "midi/MidiOutputPort.h"

#include <QFile>
#include <QTemporaryFile>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

namespace {

void ignoreMessage(void*, const unsigned char*, unsigned short)
{
}

} // namespace

// Without an ALSA sequencer and without a JACK server the program runs on
// without MIDI, waiting for a service: everything fails softly, and nothing
// is printed.
class MidiServiceUnavailableTest : public QObject
{
    Q_OBJECT

private slots:
    void everythingFailsSoftlyAndQuietly()
    {
        if (QFile::exists(QStringLiteral("/dev/snd/seq")))
            QSKIP("this machine has an ALSA sequencer");
        qputenv("JACK_DEFAULT_SERVER", QByteArray("tarvo-absent"));
        QTemporaryFile log;
        QVERIFY(log.open());
        std::fflush(stderr);
        const int savedStderr = dup(STDERR_FILENO);
        dup2(log.handle(), STDERR_FILENO);
        {
            MidiClient client;
            MidiInputPort input(&client, 4096);
            input.setReceivedMidiCallbackFunc(ignoreMessage, nullptr);
            MidiOutputPort output(&client, 4096);
            QVERIFY(!client.serviceAvailable());
            QVERIFY(!client.refresh());
            MIDI_RESULT result = MIDI_RESULT_ERROR;
            QVERIFY(input.getInputPortNameList(&result).isEmpty());
            QCOMPARE(result, MIDI_RESULT_OK);
            QCOMPARE(output.getOutputPortCount(nullptr), 0u);
            QCOMPARE(input.openInputPort(0u), MIDI_RESULT_ERROR);
            QCOMPARE(output.openOutputPort(QStringLiteral("system:midi_playback_1")), MIDI_RESULT_ERROR);
            const unsigned char note[3] = {0x90, 0x3C, 0x64};
            QCOMPARE(output.transmitMidi(note, 3), MIDI_RESULT_ERROR);
        }
        std::fflush(stderr);
        dup2(savedStderr, STDERR_FILENO);
        close(savedStderr);
        QCOMPARE(log.readAll(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(MidiServiceUnavailableTest)
#include "MidiServiceUnavailableTest.moc"
