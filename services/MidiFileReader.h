#pragma once

#include "services/MidiFileCursor.h"
#include "services/MidiFileMessage.h"

#include <QPair>
#include <QString>
#include <QVector>

// Reads Standard MIDI Files of format 0 and 1 into messages at absolute times:
// the tracks merged by time (equal times in track order), the tempo changes of
// every track applied to all, System Exclusive packets joined into whole
// messages, escaped bytes passed on as they are and meta events left out.
// Every length a file gives is checked against the bytes that remain before
// it is used; a damaged file is refused with the byte offset of the fault.
class MidiFileReader
{
public:
    struct Content
    {
        QVector<MidiFileMessage> messages;
        // Up to the last event of the longest track, end of track included.
        qint64 duration = 0;
    };

    static bool read(const QByteArray& file, Content* content, QString* error);
    // A file larger than MidiFileFormat::MaximumFileSize is refused unread.
    static bool load(const QString& path, Content* content, QString* error);

private:
    explicit MidiFileReader(const QByteArray& file);

    bool readFile(Content* content);
    bool readHeader(quint16* trackCount, quint16* division);
    bool readTrack(quint64* endTick);
    bool readEvent(quint64 tick, bool* ended);
    bool readMeta(quint64 tick, bool* ended);
    bool readExclusive(quint64 tick, quint8 kind);
    bool readChannelMessage(quint64 tick);
    bool readLength(qint64 eventOffset, quint32* length);
    bool addMessage(qint64 eventOffset, quint64 tick, const QByteArray& bytes);
    bool countEvent(qint64 eventOffset);
    bool fail(qint64 offset, const QString& reason);

    MidiFileCursor m_cursor;
    QString m_error;
    // Ticks until the tempo map is complete, microseconds after.
    QVector<MidiFileMessage> m_messages;
    QVector<QPair<quint64, quint32>> m_tempos;
    int m_eventCount;
    // Per track.
    quint8 m_runningStatus;
    bool m_inExclusive;
    quint64 m_exclusiveTick;
    QByteArray m_exclusive;
};
