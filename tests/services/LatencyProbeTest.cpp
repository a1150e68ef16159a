// Round trips over the virtual platform's echo: every probe comes back
// exactly the set delay after its due time, or is lost when nothing echoes;
// only one whole message other than Active Sensing can be a probe.

#include "EngineRig.h"

#include "engine/MonitorFeed.h"
#include "services/LatencyProbe.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

const int FeedIntervalMs = 10;
const int FinishTimeoutMs = 15000;
const double MicrosecondsPerMillisecond = 1000.0;

} // namespace

class LatencyProbeTest : public QObject
{
    Q_OBJECT

private slots:
    void figuresOfAKnownEcho_data()
    {
        QTest::addColumn<QString>("probe");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("intervalMs");
        // Negative: no echo.
        QTest::addColumn<qint64>("delay");
        QTest::addColumn<int>("lost");
        // System Exclusive goes when it is handed over, a little after its
        // time: its round trips are no shorter than the delay.
        QTest::addColumn<bool>("exact");
        QTest::newRow("Note On and Off, 1.5 ms") << QString() << 150 << 2 << qint64(1500) << 0 << true;
        QTest::newRow("program change, 4.2 ms") << QStringLiteral("C0 05") << 10 << 3 << qint64(4200) << 0 << true;
        QTest::newRow("System Exclusive, 0.3 ms") << QStringLiteral("F0 7D 01 F7") << 5 << 5 << qint64(300) << 0
                                                  << false;
        QTest::newRow("no echo") << QString() << 3 << 5 << qint64(-1) << 3 << true;
    }

    void figuresOfAKnownEcho()
    {
        QFETCH(QString, probe);
        QFETCH(int, count);
        QFETCH(int, intervalMs);
        QFETCH(qint64, delay);
        QFETCH(int, lost);
        QFETCH(bool, exact);
        EngineRig rig;
        rig.platform.setScheduling(true);
        if (delay >= 0)
            rig.platform.setEcho(rig.platform.endpoint(MidiEndpointKind::Destination, 0), rig.source, delay);
        MonitorFeed feed(&rig.engine->analyzer(), FeedIntervalMs);
        LatencyProbe latency(rig.engine.get());
        feed.addMonitor(&latency, MonitorSourceIF::Direction::Received);
        QSignalSpy finished(&latency, &LatencyProbe::finished);
        QVERIFY(latency.start(QByteArray::fromHex(probe.toLatin1()), count, intervalMs));
        QVERIFY(!latency.start(QByteArray(), count, intervalMs));
        QVERIFY(finished.wait(FinishTimeoutMs));
        QVERIFY(!latency.isRunning());

        QCOMPARE(latency.failureCount(), quint64(0));
        QCOMPARE(latency.answered(), count - lost);
        QCOMPARE(latency.lost(), lost);
        const LatencyStatistics statistics = latency.statistics();
        const double expected = lost == count ? 0.0 : delay / MicrosecondsPerMillisecond;
        for (double figure : {statistics.minimum(), statistics.median(), statistics.percentile99(), statistics.maximum()}) {
            if (exact)
                QCOMPARE(figure, expected);
            else
                QVERIFY2(figure >= expected, qPrintable(QString::number(figure)));
        }
        feed.removeMonitor(&latency);
    }

    void probes_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("error");
        QTest::newRow("note on") << QStringLiteral("90 3C 64") << QString();
        QTest::newRow("timing clock") << QStringLiteral("F8") << QString();
        QTest::newRow("System Exclusive") << QStringLiteral("F0 01 02 F7") << QString();
        QTest::newRow("active sensing") << QStringLiteral("FE") << QStringLiteral("Active Sensing cannot be a probe");
        QTest::newRow("cut short") << QStringLiteral("90 3C") << QStringLiteral("one whole MIDI message");
        QTest::newRow("two messages") << QStringLiteral("90 3C 64 80 3C 40") << QStringLiteral("one whole MIDI message");
        QTest::newRow("no status") << QStringLiteral("3C 64") << QStringLiteral("one whole MIDI message");
        QTest::newRow("unended System Exclusive") << QStringLiteral("F0 01") << QStringLiteral("one whole MIDI message");
    }

    void probes()
    {
        QFETCH(QString, message);
        QFETCH(QString, error);
        QString reason;
        QCOMPARE(LatencyProbe::isProbe(QByteArray::fromHex(message.toLatin1()), &reason), error.isEmpty());
        QVERIFY2(reason.contains(error), qPrintable(reason));
    }
};

QTEST_MAIN(LatencyProbeTest)
#include "LatencyProbeTest.moc"
