#include "ServiceTestRig.h"

#include "services/MidiEditTransmittionThread.h"

#include <QtTest>

namespace {

const int FinishTimeoutMs = 10000;
const int DumpMessages = 100;
const int DumpMessageSize = 100;

const QString DumpMessage = QStringLiteral("F0 ") + QStringLiteral("01 ").repeated(DumpMessageSize - 2) + QStringLiteral("F7\n");

} // namespace

class MidiEditTransmittionThreadTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_rig = std::make_unique<ServiceTestRig>();
        m_pThread = new MidiEditTransmittionThread(nullptr);
        m_results.clear();
        // Queued to the GUI thread, as the editor receives it.
        connect(m_pThread, &MidiEditTransmittionThread::finishTransmittion, this, [this](bool result) { m_results << result; });
    }

    void cleanup()
    {
        delete m_pThread;
        m_rig.reset();
    }

    void texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QList<QByteArray>>("sent");
        const QList<QByteArray> none;
        QTest::newRow("running status") << "90 3C 40 3E 40" << true << QList<QByteArray>{QByteArray::fromHex("903C40"), QByteArray::fromHex("903E40")};
        QTest::newRow("separators") << QString("f0,7E\n7\tF 06 0") + QChar(0x2029) + "1F7 1" << true << QList<QByteArray>{QByteArray::fromHex("F07E7F0601F7")};
        // A stray data byte is dropped; a real-time byte inside a message goes first.
        QTest::newRow("stray and real-time") << "3C 90 3C F8 40" << true << QList<QByteArray>{QByteArray::fromHex("F8"), QByteArray::fromHex("903C40")};
        QTest::newRow("incomplete") << "C0" << true << none;
        QTest::newRow("not hexadecimal") << "G0" << false << none;
        QTest::newRow("carriage return inside") << "90 3C\r40" << false << none;
        QTest::newRow("prefix") << "0x90 3C 40" << false << none;
    }

    void texts()
    {
        QFETCH(QString, text);
        QFETCH(bool, result);
        QFETCH(QList<QByteArray>, sent);
        QCOMPARE(transmit(text), result);
        QCOMPARE(m_rig->sentBytes(), sent);
    }

    void chunksOfText()
    {
        // 1364 note-ons fill 8184 characters; the System Exclusive message
        // after them crosses into the second chunk and is still sent whole.
        QVERIFY(transmit(QStringLiteral("903C40").repeated(1364) + QStringLiteral("F0010203F7")));
        QCOMPARE(m_rig->sentBytes().size(), 1365);
        QCOMPARE(m_rig->sentBytes().last(), QByteArray::fromHex("F0010203F7"));
    }

    void whatCarriesOverToTheNextTransmission()
    {
        // A message in progress carries over, running status does not.
        QVERIFY(transmit(QStringLiteral("F0 7E")));
        QVERIFY(transmit(QStringLiteral("00 F7 90 3C 40")));
        QVERIFY(transmit(QStringLiteral("3E 40")));
        QCOMPARE(m_rig->sentBytes(), QList<QByteArray>({QByteArray::fromHex("F07E00F7"), QByteArray::fromHex("903C40")}));
        // A failed send ends the transmission, which forgets its partial message.
        m_rig->platform.clearSentMessages();
        QVERIFY(transmit(QStringLiteral("F0 01 02")));
        m_rig->platform.failOperation(VirtualMidiPlatform::Operation::Send);
        QVERIFY(!transmit(QStringLiteral("F7 F8")));
        m_rig->platform.clearFailures();
        QVERIFY(transmit(QStringLiteral("F7 F8")));
        QCOMPARE(m_rig->sentBytes(), QList<QByteArray>({QByteArray::fromHex("F8")}));
    }

    void stopEndsThePassAfterTheCurrentMessage()
    {
        m_rig->model.setModelIntValue(BulkIntervalId, 10);
        m_pThread->setTransmittionMessage(DumpMessage.repeated(DumpMessages));
        QTRY_VERIFY(!m_rig->platform.sentMessages().isEmpty());
        m_pThread->stopTransmittion();
        const int sentWhenStopped = m_rig->platform.sentMessages().size();
        QVERIFY(sentWhenStopped < DumpMessages);
        QTRY_COMPARE(m_results, QList<bool>({true}));
        QCOMPARE(m_rig->platform.sentMessages().size(), sentWhenStopped);
    }

    // A stop given just after the text was handed over, before the thread
    // picked it up, cancels the pass: nothing is sent.
    void stopBeforeThePassCancelsIt()
    {
        m_pThread->setTransmittionMessage(QStringLiteral("90 3C 40"));
        m_pThread->stopTransmittion();
        QTest::qWait(100);
        QVERIFY(m_rig->platform.sentMessages().isEmpty());
        QVERIFY(transmit(QStringLiteral("F8")));
        QCOMPARE(m_rig->sentBytes().size(), 1);
    }

private:
    // Hands the text over and waits for its finish signal.
    bool transmit(const QString& text)
    {
        const int finishes = m_results.size();
        m_pThread->setTransmittionMessage(text);
        return QTest::qWaitFor([&]() { return m_results.size() > finishes; }, FinishTimeoutMs) && m_results.last();
    }

    std::unique_ptr<ServiceTestRig> m_rig;
    MidiEditTransmittionThread* m_pThread = nullptr;
    QList<bool> m_results;
};

QTEST_MAIN(MidiEditTransmittionThreadTest)
#include "MidiEditTransmittionThreadTest.moc"
