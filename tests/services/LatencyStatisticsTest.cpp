// Round-trip figures: order statistics by their stated definitions, the
// histogram's bins and the CSV text.

#include "services/LatencyStatistics.h"

#include <QLocale>
#include <QTest>

#include <algorithm>
#include <random>

class LatencyStatisticsTest : public QObject
{
    Q_OBJECT

private slots:
    void figures_data();
    void figures();
    void histogram_data();
    void histogram();
    void csv();
};

void LatencyStatisticsTest::figures_data()
{
    QTest::addColumn<QVector<qint64>>("times");
    QTest::addColumn<int>("lost");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("median");
    QTest::addColumn<double>("percentile99");
    QTest::addColumn<double>("maximum");
    QTest::newRow("odd count") << QVector<qint64>{5000, 1200, 3000} << 0 << 1.2 << 3.0 << 5.0 << 5.0;
    QTest::newRow("even count") << QVector<qint64>{4000, 1000, 3000, 2000} << 2 << 1.0 << 2.5 << 4.0 << 4.0;
    QTest::newRow("one") << QVector<qint64>{1501} << 0 << 1.501 << 1.501 << 1.501 << 1.501;
    QTest::newRow("none, all lost") << QVector<qint64>{} << 7 << 0.0 << 0.0 << 0.0 << 0.0;
    // 1 to 100 ms shuffled: rank ceil(0.99 * 100) = 99; of 101 times rank 100;
    // of 200 rank 198.
    std::mt19937 random(7);
    for (const int count : {100, 101, 200}) {
        QVector<qint64> times;
        for (int i = 1; i <= count; ++i)
            times << qint64(i) * 1000;
        std::shuffle(times.begin(), times.end(), random);
        const double p99 = count == 100 ? 99.0 : count == 101 ? 100.0 : 198.0;
        QTest::addRow("%d times", count) << times << 3 << 1.0 << (count + 1) / 2.0 << p99 << double(count);
    }
}

void LatencyStatisticsTest::figures()
{
    QFETCH(QVector<qint64>, times);
    QFETCH(int, lost);
    const LatencyStatistics statistics(times, lost);
    QCOMPARE(statistics.count(), times.size());
    QCOMPARE(statistics.lost(), lost);
    QTEST(statistics.minimum(), "minimum");
    QTEST(statistics.median(), "median");
    QTEST(statistics.percentile99(), "percentile99");
    QTEST(statistics.maximum(), "maximum");
}

void LatencyStatisticsTest::histogram_data()
{
    QTest::addColumn<QVector<qint64>>("times");
    QTest::addColumn<int>("bins");
    QTest::addColumn<QVector<int>>("counts");
    // Over [1, 5] ms in four bins of 1 ms; the maximum goes into the last.
    QTest::newRow("edges") << QVector<qint64>{1000, 1999, 2000, 3500, 4999, 5000, 5000} << 4 << QVector<int>{2, 1, 1, 3};
    QTest::newRow("all equal") << QVector<qint64>{800, 800, 800} << 3 << QVector<int>{3, 0, 0};
    QTest::newRow("one bin") << QVector<qint64>{1, 2, 3} << 1 << QVector<int>{3};
    QTest::newRow("no times") << QVector<qint64>{} << 2 << QVector<int>{0, 0};
    QTest::newRow("no bins") << QVector<qint64>{1, 2} << 0 << QVector<int>{};
}

void LatencyStatisticsTest::histogram()
{
    QFETCH(QVector<qint64>, times);
    QFETCH(int, bins);
    QTEST(LatencyStatistics(times, 0).histogram(bins), "counts");
}

void LatencyStatisticsTest::csv()
{
    // A dot whatever the user's locale, and the order the probes were sent in.
    QLocale::setDefault(QLocale(QLocale::German));
    const LatencyStatistics statistics({1234, 500, 1000000, 7}, 1);
    QCOMPARE(statistics.csv(), QStringLiteral("index,round_trip_ms\n1,1.234\n2,0.500\n3,1000.000\n4,0.007\n"));
    QCOMPARE(LatencyStatistics({}, 4).csv(), QStringLiteral("index,round_trip_ms\n"));
}

QTEST_GUILESS_MAIN(LatencyStatisticsTest)
#include "LatencyStatisticsTest.moc"
