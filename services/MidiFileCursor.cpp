#include "services/MidiFileCursor.h"

#include "services/MidiFileFormat.h"

MidiFileCursor::MidiFileCursor(const QByteArray& file)
    : m_file(file)
    , m_offset(0)
    , m_end(file.size())
{
}

void MidiFileCursor::setEnd(qint64 end)
{
    Q_ASSERT(end >= m_offset && end <= m_file.size());
    m_end = end;
}

quint8 MidiFileCursor::peek() const
{
    Q_ASSERT(m_offset < m_end);
    return quint8(m_file.at(int(m_offset)));
}

quint8 MidiFileCursor::readByte()
{
    const quint8 byte = peek();
    ++m_offset;
    return byte;
}

quint16 MidiFileCursor::readUInt16()
{
    const quint16 high = readByte();
    return quint16(high << 8 | readByte());
}

quint32 MidiFileCursor::readUInt32()
{
    const quint32 high = readUInt16();
    return high << 16 | readUInt16();
}

const char* MidiFileCursor::take(qint64 size)
{
    Q_ASSERT(size >= 0 && size <= remaining());
    const char* bytes = m_file.constData() + m_offset;
    m_offset += size;
    return bytes;
}

void MidiFileCursor::skip(qint64 size)
{
    take(size);
}

MidiFileCursor::Number MidiFileCursor::readVariableLength(quint32* value)
{
    quint32 result = 0;
    for (int i = 0; i < MidiFileFormat::VariableLengthMaximumBytes; ++i) {
        if (m_offset + i >= m_end)
            return Number::Cut;
        const quint8 byte = quint8(m_file.at(int(m_offset + i)));
        result = result << 7 | (byte & 0x7F);
        if (!(byte & 0x80)) {
            m_offset += i + 1;
            *value = result;
            return Number::Read;
        }
    }
    return Number::TooLong;
}
