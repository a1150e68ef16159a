#include "project/FileStream.h"

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>
#include <QString>

namespace {

// The length field of every integer record.
const qint32 IntParameterLength = 4;

bool readInt(QDataStream& stream, qint32& value)
{
    stream >> value;
    return stream.status() == QDataStream::Ok;
}

qint64 remainingBytes(QDataStream& stream)
{
    const QIODevice* device = stream.device();
    return device != nullptr ? device->bytesAvailable() : 0;
}

} // namespace

bool FileStream::setIntParameterToStream(QDataStream& stream, int tag, int value)
{
    stream << qint32(tag) << IntParameterLength << qint32(value);
    return true;
}

FileStream::RecordResult FileStream::readIntRecord(QDataStream& stream, int tag, int& value)
{
    value = 0;
    qint32 field = 0;
    if (!readInt(stream, field)) {
        return RecordResult::CutShort;
    }
    if (field != tag) {
        return RecordResult::OtherTag;
    }
    if (!readInt(stream, field)) {
        return RecordResult::CutShort;
    }
    if (field != IntParameterLength) {
        return RecordResult::IntegerLength;
    }
    if (!readInt(stream, field)) {
        return RecordResult::CutShort;
    }
    value = field;
    return RecordResult::Read;
}

bool FileStream::getIntParameterFromStream(QDataStream& stream, int tag, int& value)
{
    return readIntRecord(stream, tag, value) == RecordResult::Read;
}

bool FileStream::setStringParameterToStream(QDataStream& stream, int tag, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    stream << qint32(tag) << qint32(bytes.size());
    if (bytes.isEmpty()) {
        return false;
    }
    return stream.writeRawData(bytes.constData(), bytes.size()) > 0;
}

FileStream::RecordResult FileStream::readStringRecord(QDataStream& stream, int tag, QByteArray& bytes)
{
    bytes.clear();
    qint32 field = 0;
    if (!readInt(stream, field)) {
        return RecordResult::CutShort;
    }
    if (field != tag) {
        return RecordResult::OtherTag;
    }
    qint32 length = 0;
    if (!readInt(stream, length)) {
        return RecordResult::CutShort;
    }
    if (length < 0) {
        return RecordResult::NegativeLength;
    }
    // The length comes from the file: never allocate or read more than is there.
    if (length > remainingBytes(stream)) {
        return RecordResult::BeyondEnd;
    }
    bytes.resize(length);
    if (stream.readRawData(bytes.data(), length) != length) {
        bytes.clear();
        return RecordResult::CutShort;
    }
    return RecordResult::Read;
}

bool FileStream::getStringParameterFromStream(QDataStream& stream, int tag, QString& text)
{
    text.clear();
    QByteArray bytes;
    switch (readStringRecord(stream, tag, bytes)) {
    case RecordResult::Read:
        break;
    case RecordResult::NegativeLength:
        return true;
    default:
        return false;
    }
    const int end = bytes.indexOf('\0');
    text = QString::fromUtf8(bytes.constData(), end < 0 ? bytes.size() : end);
    return true;
}
