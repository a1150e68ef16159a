#pragma once

#include <QVector>
#include <QtGlobal>

// Turns a file's ticks into microseconds: by the tempo changes of every track
// for a metrical division, by the frame rate alone for an SMPTE division.
// Times are computed from the exact start of their tempo segment, so rounding
// never accumulates.
class MidiFileTempoMap
{
public:
    // True for a division word the format defines; nothing else may be used.
    static bool isValidDivision(quint16 division);

    explicit MidiFileTempoMap(quint16 division);

    // In any order; of changes at the same tick the last one added holds.
    void addTempo(quint64 tick, quint32 microsecondsPerQuarter);
    // Once every change is added, before the first microseconds().
    void finish();
    qint64 microseconds(quint64 tick) const;

private:
    struct Segment
    {
        quint64 tick;
        // Microseconds at the tick, times m_denominator: exact.
        quint64 scaledStart;
        // Microseconds per tick, times m_denominator.
        quint64 numerator;
    };

    bool m_metrical;
    quint64 m_denominator;
    quint64 m_smpteNumerator;
    QVector<Segment> m_segments;
};
