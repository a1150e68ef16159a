#include "Dumps.h"
#include "EngineRig.h"

#include "services/MidiEditTransmittionThread.h"

#include <QtTest>

namespace {

const int FinishTimeoutMs = 10000;
const int DumpMessages = 100;
const int DumpMessageSize = 100;

const QString DumpMessage = QStringLiteral("F0 ") + QStringLiteral("01 ").repeated(DumpMessageSize - 2) + QStringLiteral("F7\n");
const int LongDumpSize = 1000000;
const int PieceSize = 256;
// Slow enough to cancel midway, in bytes per second.
const unsigned int PacedRate = 20000;


} // namespace

class MidiEditTransmittionThreadTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_rig = std::make_unique<EngineRig>();
        m_pThread = new MidiEditTransmittionThread(nullptr, m_rig->engine.get());
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
        QTest::newRow("separators") << QString("f0,7E\n7\tF 06 0") + QChar(0x2029) + "1F7" << true << QList<QByteArray>{QByteArray::fromHex("F07E7F0601F7")};
        // A real-time byte inside a message goes first.
        QTest::newRow("real-time inside") << "90 3C F8 40" << true << QList<QByteArray>{QByteArray::fromHex("F8"), QByteArray::fromHex("903C40")};
        // A faulty text sends nothing, not even the good messages before the fault.
        QTest::newRow("stray data byte") << "3C 90 3C 40" << false << none;
        QTest::newRow("incomplete") << "90 3C 40 C0" << false << none;
        QTest::newRow("not hexadecimal") << "90 3C 40 7G" << false << none;
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

    // A dump far beyond the parser's 4,096 bytes goes out whole, in pieces.
    void longDumpGoesOutInPieces()
    {
        const QByteArray dump = systemExclusiveDump(LongDumpSize);
        QVERIFY(transmit(QString::fromLatin1(dump.toHex(' '))));
        const QList<QByteArray> pieces = m_rig->sentBytes();
        QCOMPARE(pieces.size(), (LongDumpSize + PieceSize - 1) / PieceSize);
        QCOMPARE(pieces.join(), dump);
    }

    void runningStatusAndFailuresEndWithTheTransmission()
    {
        QVERIFY(transmit(QStringLiteral("90 3C 40")));
        QVERIFY(!transmit(QStringLiteral("3E 40")));
        m_rig->platform.failOperation(VirtualMidiPlatform::Operation::Send);
        QVERIFY(!transmit(QStringLiteral("F0 01 F7 F8")));
        m_rig->platform.clearFailures();
        QCOMPARE(m_rig->sentBytes(), QList<QByteArray>({QByteArray::fromHex("903C40")}));
    }

    // Cancel stops between two pieces and ends the dump with F7, so that the
    // receiver's parser starts anew.
    void cancelMidDumpEndsWithEndOfExclusive()
    {
        const QByteArray dump = systemExclusiveDump(LongDumpSize);
        m_pThread->setTransmittionMessage(QString::fromLatin1(dump.toHex(' ')), PacedRate);
        QTRY_VERIFY(m_rig->platform.sentMessages().size() > 2);
        m_pThread->stopTransmittion();
        QTRY_COMPARE(m_results, QList<bool>({true}));
        const QByteArray sent = m_rig->sentBytes().join();
        QVERIFY(sent.size() < dump.size());
        QCOMPARE(sent.chopped(1), dump.left(sent.size() - 1));
        QCOMPARE(sent.back(), '\xF7');
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
        // The message on its way when the stop came may still land.
        QVERIFY(m_rig->platform.sentMessages().size() <= sentWhenStopped + 1);
        QVERIFY(m_rig->platform.sentMessages().size() < DumpMessages);
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

    std::unique_ptr<EngineRig> m_rig;
    MidiEditTransmittionThread* m_pThread = nullptr;
    QList<bool> m_results;
};

QTEST_MAIN(MidiEditTransmittionThreadTest)
#include "MidiEditTransmittionThreadTest.moc"
