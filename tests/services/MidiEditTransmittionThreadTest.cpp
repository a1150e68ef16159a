#include "ServiceTestRig.h"

#include "services/MidiEditTransmittionThread.h"

#include <QElapsedTimer>
#include <QtTest>

#include <functional>

namespace {

const int FinishTimeoutMs = 10000;

// Receives the thread's signals on the GUI thread, queued, as the editor does.
class Recorder : public QObject
{
    Q_OBJECT

public:
    explicit Recorder(MidiEditTransmittionThread* thread)
    {
        connect(thread, &MidiEditTransmittionThread::startTransmittion, this, &Recorder::started);
        connect(thread, &MidiEditTransmittionThread::transmittionProgress, this, &Recorder::progressed);
        connect(thread, &MidiEditTransmittionThread::finishTransmittion, this, &Recorder::finished);
    }

    void clear()
    {
        starts.clear();
        progress.clear();
        results.clear();
    }

    QList<quint32> starts;
    QList<quint32> progress;
    QList<bool> results;
    std::function<void()> onProgress;

public slots:
    void started(quint32 size) { starts.append(size); }
    void progressed(quint32 size)
    {
        progress.append(size);
        if (onProgress)
            onProgress();
    }
    void finished(bool result) { results.append(result); }
};

QString sysExDump(int messages, int size)
{
    QString text;
    for (int m = 0; m < messages; ++m) {
        text += QStringLiteral("F0 ");
        for (int i = 0; i < size - 2; ++i)
            text += QStringLiteral("%1 ").arg((m + i) % 0x80, 2, 16, QLatin1Char('0')).toUpper();
        text += QStringLiteral("F7\n");
    }
    return text;
}

} // namespace

class MidiEditTransmittionThreadTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void runningStatusAndSignals();
    void separatorsAndStrayCharacters();
    void failingTexts();
    void chunksOfText();
    void whatCarriesOverToTheNextTransmission();
    void stopDuringTransmission();
    void destructionDuringTransmissionIsPrompt();

private:
    // Hands the text over and waits for its finish signal.
    bool transmit(const QString& text);

    std::unique_ptr<ServiceTestRig> m_rig;
    MidiEditTransmittionThread* m_pThread = nullptr;
    Recorder* m_pRecorder = nullptr;
};

void MidiEditTransmittionThreadTest::init()
{
    m_rig = std::make_unique<ServiceTestRig>();
    m_pThread = new MidiEditTransmittionThread(nullptr);
    m_pRecorder = new Recorder(m_pThread);
}

void MidiEditTransmittionThreadTest::cleanup()
{
    delete m_pThread;
    delete m_pRecorder;
    m_rig.reset();
}

bool MidiEditTransmittionThreadTest::transmit(const QString& text)
{
    const int finishes = m_pRecorder->results.size();
    m_pThread->setTransmittionMessage(text);
    if (!QTest::qWaitFor([&]() { return m_pRecorder->results.size() > finishes; }, FinishTimeoutMs)) {
        qWarning("no finish signal");
        return false;
    }
    return m_pRecorder->results.last();
}

void MidiEditTransmittionThreadTest::runningStatusAndSignals()
{
    QVERIFY(transmit(QStringLiteral("90 3C 40 3E 40")));
    QCOMPARE(m_rig->sentBytes(), QList<QByteArray>({bytes({0x90, 0x3C, 0x40}), bytes({0x90, 0x3E, 0x40})}));
    // Running status is sent with its status byte, so more goes out than announced.
    QCOMPARE(m_pRecorder->starts, QList<quint32>({5}));
    QCOMPARE(m_pRecorder->progress, QList<quint32>({3, 6}));
    QCOMPARE(m_pRecorder->results, QList<bool>({true}));
}

void MidiEditTransmittionThreadTest::separatorsAndStrayCharacters()
{
    QVERIFY(transmit(QStringLiteral("f0,7E\n7\tF 06 0") + QChar(0x2029) + QStringLiteral("1F7 1")));
    QCOMPARE(m_rig->sentBytes(), QList<QByteArray>({bytes({0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7})}));
    QCOMPARE(m_pRecorder->starts, QList<quint32>({6}));

    // A data byte without status is dropped; a real-time byte inside a
    // message goes out first; a carriage return as the odd last character is
    // dropped.
    m_rig->platform.clearSentMessages();
    QVERIFY(transmit(QStringLiteral("3C 90 3C F8 40 FE\r")));
    QCOMPARE(m_rig->sentBytes(), QList<QByteArray>({bytes({0xF8}), bytes({0x90, 0x3C, 0x40}), bytes({0xFE})}));

    // Separators only: success without a start.
    m_pRecorder->clear();
    QVERIFY(transmit(QStringLiteral(" \n\t, ")));
    QVERIFY(m_pRecorder->starts.isEmpty());
    QVERIFY(m_pRecorder->progress.isEmpty());

    // Data without a complete message sends nothing and succeeds.
    m_rig->platform.clearSentMessages();
    QVERIFY(transmit(QStringLiteral("C0")));
    QVERIFY(transmit(QStringLiteral("10 00 F7")));
    QVERIFY(m_rig->sentBytes().isEmpty());
}

void MidiEditTransmittionThreadTest::failingTexts()
{
    QVERIFY(!transmit(QStringLiteral("G0")));
    QVERIFY(!transmit(QStringLiteral("9")));
    QVERIFY(!transmit(QStringLiteral("90 3C\r40")));
    QVERIFY(!transmit(QStringLiteral("0x90 3C 40")));
    QVERIFY(!transmit(QStringLiteral("+9 3C 40")));
    QVERIFY(m_rig->sentBytes().isEmpty());
    QCOMPARE(m_pRecorder->starts, QList<quint32>({1, 0, 3, 4, 3}));
}

void MidiEditTransmittionThreadTest::chunksOfText()
{
    // 1364 note-ons fill 8184 characters; the System Exclusive message after
    // them crosses into the second chunk and is still sent whole.
    QString text = QStringLiteral("903C40").repeated(1364) + QStringLiteral("F0010203F7");
    QCOMPARE(text.size(), 8194);
    QVERIFY(transmit(text));
    const QList<QByteArray> sent = m_rig->sentBytes();
    QCOMPARE(sent.size(), 1365);
    QCOMPARE(sent.last(), bytes({0xF0, 0x01, 0x02, 0x03, 0xF7}));
    QCOMPARE(m_pRecorder->progress.last(), quint32(1364 * 3 + 5));

    // One character beyond the first chunk: everything before it goes out,
    // then the one-character chunk fails.
    m_rig->platform.clearSentMessages();
    text = QStringLiteral("903C40").repeated(1365) + QStringLiteral("F81");
    QCOMPARE(text.size(), 8193);
    QVERIFY(!transmit(text));
    QCOMPARE(m_rig->sentBytes().size(), 1366);
    QCOMPARE(m_rig->sentBytes().last(), bytes({0xF8}));
}

void MidiEditTransmittionThreadTest::whatCarriesOverToTheNextTransmission()
{
    // A message in progress carries over, running status does not.
    QVERIFY(transmit(QStringLiteral("F0 7E")));
    QVERIFY(m_rig->sentBytes().isEmpty());
    QVERIFY(transmit(QStringLiteral("00 F7 90 3C 40")));
    QVERIFY(transmit(QStringLiteral("3E 40")));
    QCOMPARE(m_rig->sentBytes(), QList<QByteArray>({bytes({0xF0, 0x7E, 0x00, 0xF7}), bytes({0x90, 0x3C, 0x40})}));

    // A failed send ends the transmission, which forgets its partial message.
    m_rig->platform.clearSentMessages();
    m_pRecorder->clear();
    m_rig->platform.failOperation(VirtualMidiPlatform::Operation::Send, 2);
    QVERIFY(!transmit(QStringLiteral("F8 F8 F0 01 F7 F8")));
    QCOMPARE(m_rig->sentBytes().size(), 2);
    QCOMPARE(m_pRecorder->progress, QList<quint32>({1, 2}));
    m_rig->platform.clearFailures();
    m_rig->platform.clearSentMessages();
    QVERIFY(transmit(QStringLiteral("F0 01 02")));
    m_rig->platform.failOperation(VirtualMidiPlatform::Operation::Send);
    QVERIFY(!transmit(QStringLiteral("F7 F8")));
    m_rig->platform.clearFailures();
    QVERIFY(transmit(QStringLiteral("F7 F8")));
    QCOMPARE(m_rig->sentBytes(), QList<QByteArray>({bytes({0xF8})}));
}

void MidiEditTransmittionThreadTest::stopDuringTransmission()
{
    m_rig->model.setModelIntValue(BulkIntervalId, 10);
    int sentWhenStopped = -1;
    m_pRecorder->onProgress = [this, &sentWhenStopped]() {
        if (sentWhenStopped >= 0)
            return;
        m_pThread->stopTransmittion();
        sentWhenStopped = m_rig->platform.sentMessages().size();
    };
    QVERIFY(transmit(sysExDump(100, 100)));
    QCOMPARE(m_pRecorder->starts, QList<quint32>({10000}));
    QVERIFY(sentWhenStopped > 0);
    QVERIFY(sentWhenStopped < 100);
    QTest::qWait(100);
    QCOMPARE(m_rig->platform.sentMessages().size(), sentWhenStopped);
    QCOMPARE(m_pRecorder->results, QList<bool>({true}));

    // The thread takes the next text as usual.
    m_rig->platform.clearSentMessages();
    QVERIFY(transmit(QStringLiteral("F8")));
    QCOMPARE(m_rig->sentBytes().size(), 1);
}

void MidiEditTransmittionThreadTest::destructionDuringTransmissionIsPrompt()
{
    m_rig->model.setModelIntValue(BulkIntervalId, 50);
    m_pThread->setTransmittionMessage(sysExDump(100, 10));
    QTRY_VERIFY(!m_pRecorder->progress.isEmpty());
    QElapsedTimer timer;
    timer.start();
    delete m_pThread;
    m_pThread = nullptr;
    // The whole dump would take five seconds.
    QVERIFY(timer.elapsed() < 2000);
    QVERIFY(m_rig->platform.sentMessages().size() < 100);
}

QTEST_MAIN(MidiEditTransmittionThreadTest)
#include "MidiEditTransmittionThreadTest.moc"
