#include "services/LatencyStatistics.h"

#include <algorithm>

namespace {

const char* const CsvHeader = "index,round_trip_ms\n";
constexpr double MicrosecondsPerMillisecond = 1000.0;
constexpr int CsvDecimals = 3;
constexpr int PercentileRank = 99;

double milliseconds(qint64 microseconds)
{
    return double(microseconds) / MicrosecondsPerMillisecond;
}

} // namespace

LatencyStatistics::LatencyStatistics(const QVector<qint64>& roundTrips, int lost)
    : m_roundTrips(roundTrips)
    , m_sorted(roundTrips)
    , m_lost(lost)
{
    std::sort(m_sorted.begin(), m_sorted.end());
}

double LatencyStatistics::minimum() const
{
    return sortedAt(0);
}

double LatencyStatistics::maximum() const
{
    return sortedAt(count() - 1);
}

double LatencyStatistics::median() const
{
    const int middle = count() / 2;
    if (count() % 2)
        return sortedAt(middle);
    return (sortedAt(middle - 1) + sortedAt(middle)) / 2;
}

double LatencyStatistics::percentile99() const
{
    // ceil(count * 99 / 100) without floating point.
    const int rank = int((qint64(count()) * PercentileRank + 99) / 100);
    return sortedAt(rank - 1);
}

QVector<int> LatencyStatistics::histogram(int binCount) const
{
    QVector<int> bins(std::max(binCount, 0), 0);
    if (bins.isEmpty() || m_sorted.isEmpty())
        return bins;
    const qint64 low = m_sorted.first();
    const qint64 span = m_sorted.last() - low;
    for (const qint64 time : m_sorted) {
        // In floating point, so that no span times bin count overflows.
        const int bin = span == 0 ? 0 : int(double(time - low) * binCount / double(span));
        ++bins[std::min(bin, binCount - 1)];
    }
    return bins;
}

QString LatencyStatistics::csv() const
{
    QString text = QLatin1String(CsvHeader);
    for (int i = 0; i < m_roundTrips.size(); ++i) {
        text += QString::number(i + 1) + QLatin1Char(',')
            + QString::number(milliseconds(m_roundTrips.at(i)), 'f', CsvDecimals) + QLatin1Char('\n');
    }
    return text;
}

double LatencyStatistics::sortedAt(int index) const
{
    return index >= 0 && index < m_sorted.size() ? milliseconds(m_sorted.at(index)) : 0.0;
}
