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

bool FileStream::getIntParameterFromStream(QDataStream& stream, int tag, int& value)
{
    value = 0;
    qint32 field = 0;
    if (!readInt(stream, field) || field != tag) {
        return false;
    }
    if (!readInt(stream, field) || field != IntParameterLength) {
        return false;
    }
    if (!readInt(stream, field)) {
        return false;
    }
    value = field;
    return true;
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

bool FileStream::getStringParameterFromStream(QDataStream& stream, int tag, QString& text)
{
    text.clear();
    qint32 field = 0;
    if (!readInt(stream, field) || field != tag) {
        return false;
    }
    qint32 length = 0;
    if (!readInt(stream, length)) {
        return false;
    }
    if (length < 1) {
        return true;
    }
    // The length comes from the file: never allocate or read more than is there.
    if (length > remainingBytes(stream)) {
        return false;
    }
    QByteArray bytes(length, Qt::Uninitialized);
    if (stream.readRawData(bytes.data(), length) != length) {
        return false;
    }
    const int end = bytes.indexOf('\0');
    text = QString::fromUtf8(bytes.constData(), end < 0 ? bytes.size() : end);
    return true;
}
