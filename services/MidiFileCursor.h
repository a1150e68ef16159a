#pragma once

#include <QByteArray>
#include <QtGlobal>

// Reads a file's bytes front to back without ever passing an end, which the
// reader narrows to the chunk it is in. Offsets count from the file's start.
class MidiFileCursor
{
public:
    enum class Number { Read, TooLong, Cut };

    explicit MidiFileCursor(const QByteArray& file);

    qint64 offset() const { return m_offset; }
    qint64 end() const { return m_end; }
    qint64 remaining() const { return m_end - m_offset; }
    bool atEnd() const { return m_offset >= m_end; }
    // Within the file only.
    void setEnd(qint64 end);

    // Callers check remaining() first.
    quint8 peek() const;
    quint8 readByte();
    quint16 readUInt16();
    quint32 readUInt32();
    const char* take(qint64 size);
    void skip(qint64 size);

    // A variable-length number; left unread unless Read.
    Number readVariableLength(quint32* value);

private:
    const QByteArray& m_file;
    qint64 m_offset;
    qint64 m_end;
};
