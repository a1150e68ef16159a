#pragma once

#include <QString>
#include <QVector>

// Figures of a round-trip measurement: the times of the probes that came
// back, in microseconds and in the order they were sent, and the number lost.
// Times are given in milliseconds. With no time at all every figure is 0.
class LatencyStatistics
{
public:
    LatencyStatistics(const QVector<qint64>& roundTrips, int lost);

    int count() const { return m_roundTrips.size(); }
    int lost() const { return m_lost; }
    double minimum() const;
    double maximum() const;
    // Of an even count the mean of the two middle times.
    double median() const;
    // Nearest rank: the time at rank ceil(0.99 * count) in ascending order,
    // so that 99 % of the times are no longer than it.
    double percentile99() const;

    // binCount bins of equal width over [minimum, maximum], each with the
    // number of times in it; the last bin includes the maximum. All times
    // fall in the first bin when they are equal.
    QVector<int> histogram(int binCount) const;

    // "index,round_trip_ms" and a line a time, counted from 1, in
    // milliseconds with three decimals and a dot.
    QString csv() const;

private:
    double sortedAt(int index) const;

    QVector<qint64> m_roundTrips;
    QVector<qint64> m_sorted;
    int m_lost;
};
