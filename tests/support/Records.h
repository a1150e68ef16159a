#pragma once

#include "engine/MidiRecord.h"

#include <QByteArray>
#include <QMetaType>
#include <QStringList>

Q_DECLARE_METATYPE(MidiRecord)

// Records of whole messages written as hexadecimal pairs ("90 3C 64"), the
// first at start and each next one step microseconds later.
inline MidiRecords messageRecords(const QStringList& messages, qint64 start = 0, qint64 step = 0)
{
    MidiRecords records;
    qint64 time = start;
    for (const QString& message : messages) {
        const QByteArray bytes = QByteArray::fromHex(message.toLatin1());
        if (bytes.isEmpty())
            continue;
        records.append(MidiRecord{time, MidiRecord::Kind::Message, 0, bytes});
        time += step;
    }
    return records;
}

// One record per line of hexadecimal pairs, as a monitor shows them.
inline MidiRecords lineRecords(const QString& lines, qint64 start = 0, qint64 step = 0)
{
    return messageRecords(lines.split(QLatin1Char('\n'), Qt::SkipEmptyParts), start, step);
}

inline MidiRecord lossRecord(MidiRecord::Kind kind, quint64 count, qint64 time = 0)
{
    return MidiRecord{time, kind, count, QByteArray()};
}
