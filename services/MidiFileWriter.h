#pragma once

#include "services/MidiFileMessage.h"
#include "services/MidiFileText.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// Writes messages at their times as a Standard MIDI File of format 0: one
// track at a tick of 20 microseconds (MidiFileFormat::WriterDivision and
// WriterTempo). Each tick comes from the message's own time, rounded to the
// nearest; a message earlier than the one before goes at that one's tick.
// System Exclusive is written whole as an F0 event, system common and
// real-time messages as F7 escapes, channel messages with running status.
// Texts go as text events at their own ticks, before messages of the same
// tick. Callers save the bytes with writeFileAtomically.
class MidiFileWriter
{
public:
    // The end of the track goes at endTime or at the last message, whichever
    // is later. False, with the reason, for a message that is not one whole
    // MIDI message or beyond the limits the reader keeps.
    static bool write(const QVector<MidiFileMessage>& messages, qint64 endTime, QByteArray* file, QString* error);
    static bool write(const QVector<MidiFileMessage>& messages, const QVector<MidiFileText>& texts, qint64 endTime,
                      QByteArray* file, QString* error);
};
