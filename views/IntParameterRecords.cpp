#include "views/IntParameterRecords.h"

#include "project/FileStream.h"

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

QMap<int, int> readIntParameterRecords(FileStream& owner, QDataStream& stream)
{
    QMap<int, int> records;
    QIODevice* device = stream.device();
    if (device == nullptr) {
        return records;
    }
    while (!stream.atEnd()) {
        // The tag decides which record this is, so look at it before reading.
        const QByteArray tagBytes = device->peek(sizeof(qint32));
        if (tagBytes.size() != int(sizeof(qint32))) {
            break;
        }
        const int tag = stream.byteOrder() == QDataStream::BigEndian ? qFromBigEndian<qint32>(tagBytes.constData())
                                                                      : qFromLittleEndian<qint32>(tagBytes.constData());
        int value = 0;
        if (!owner.getIntParameterFromStream(stream, tag, value)) {
            break;
        }
        records.insert(tag, value);
    }
    return records;
}
