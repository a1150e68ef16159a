#pragma once

#include "engine/MidiRecord.h"
#include "services/MidiFileMessage.h"
#include "services/MidiFileText.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// Records what a MIDI input receives for a Standard MIDI File: every whole
// message at its time (the engine's record time, monotonic microseconds)
// from the start of the recording, and where the receive path lost or
// dropped messages a text event that says so, so that a file never looks
// complete when it is not. Records from before the start are not part of
// the recording. What one file cannot hold is not taken: it is counted as
// lost, and the place where the recording filled up is marked.
class MidiRecorder
{
public:
    MidiRecorder();

    // Forgets what was recorded and starts anew at nowMicroseconds.
    void start(qint64 nowMicroseconds);
    void take(const MidiRecords& records);

    // From the start to now, or to the last record when that is later.
    qint64 length(qint64 nowMicroseconds) const;
    int eventCount() const { return m_messages.size(); }
    // Messages the file lacks: lost before they could be taken, dropped as
    // too long, or beyond what the file holds.
    quint64 lostCount() const { return m_lost; }
    bool isEmpty() const { return m_messages.isEmpty() && m_texts.isEmpty(); }

    // The file, ending at endMicroseconds or at the last record; false with
    // the reason when it cannot be made.
    bool write(qint64 endMicroseconds, QByteArray* file, QString* error) const;

private:
    void mark(qint64 time, const QString& text);
    // Whether a message of size bytes still fits; marks the place once it does not.
    bool fits(qint64 time, int size);

    qint64 m_start;
    qint64 m_last;
    QVector<MidiFileMessage> m_messages;
    QVector<MidiFileText> m_texts;
    quint64 m_lost;
    // The most the file's track can take so far.
    qint64 m_trackBytes;
    bool m_full;
};
