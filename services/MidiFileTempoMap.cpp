#include "services/MidiFileTempoMap.h"

#include "services/MidiFileFormat.h"

#include <algorithm>

namespace {

// SMPTE rates as the division's high byte gives them (negated); 29 stands
// for 30 drop-frame, which runs at 30000/1001 frames a second.
constexpr int SmpteRates[] = {24, 25, 29, 30};
constexpr int DropFrameRate = 29;
constexpr quint64 MicrosecondsPerSecond = 1000000;

int smpteRate(quint16 division)
{
    return -int(qint8(division >> 8));
}

int ticksPerFrame(quint16 division)
{
    return division & 0xFF;
}

} // namespace

bool MidiFileTempoMap::isValidDivision(quint16 division)
{
    if (!(division & MidiFileFormat::SmpteDivisionFlag))
        return division != 0;
    const int rate = smpteRate(division);
    return ticksPerFrame(division) != 0 && std::find(std::begin(SmpteRates), std::end(SmpteRates), rate) != std::end(SmpteRates);
}

MidiFileTempoMap::MidiFileTempoMap(quint16 division)
    : m_metrical(!(division & MidiFileFormat::SmpteDivisionFlag))
    , m_denominator(0)
    , m_smpteNumerator(0)
{
    Q_ASSERT(isValidDivision(division));
    if (m_metrical) {
        m_denominator = division;
        return;
    }
    const int rate = smpteRate(division);
    if (rate == DropFrameRate) {
        // 1001/30000 seconds a frame.
        m_smpteNumerator = MicrosecondsPerSecond * 1001 / 1000;
        m_denominator = 30 * quint64(ticksPerFrame(division));
    } else {
        m_smpteNumerator = MicrosecondsPerSecond;
        m_denominator = quint64(rate) * quint64(ticksPerFrame(division));
    }
}

void MidiFileTempoMap::addTempo(quint64 tick, quint32 microsecondsPerQuarter)
{
    if (m_metrical)
        m_segments.append({tick, 0, microsecondsPerQuarter});
}

void MidiFileTempoMap::finish()
{
    if (!m_metrical) {
        m_segments = {{0, 0, m_smpteNumerator}};
        return;
    }
    std::stable_sort(m_segments.begin(), m_segments.end(),
                     [](const Segment& a, const Segment& b) { return a.tick < b.tick; });
    // The tempo before the first change is the format's default; of changes
    // at one tick the last holds.
    QVector<Segment> segments{{0, 0, MidiFileFormat::DefaultTempo}};
    for (const Segment& change : qAsConst(m_segments)) {
        Segment& last = segments.last();
        if (change.tick == last.tick) {
            last.numerator = change.numerator;
            continue;
        }
        segments.append({change.tick, last.scaledStart + (change.tick - last.tick) * last.numerator, change.numerator});
    }
    m_segments = segments;
}

qint64 MidiFileTempoMap::microseconds(quint64 tick) const
{
    Q_ASSERT(!m_segments.isEmpty());
    auto after = std::upper_bound(m_segments.cbegin(), m_segments.cend(), tick,
                                  [](quint64 value, const Segment& segment) { return value < segment.tick; });
    const Segment& segment = *(after - 1);
    const quint64 scaled = segment.scaledStart + (tick - segment.tick) * segment.numerator;
    return qint64((scaled + m_denominator / 2) / m_denominator);
}
