#include "project/ProjectFileHelper.h"

#include "project/AtomicFile.h"
#include "project/ContentBlock.h"
#include "project/PlainValue.h"
#include "project/WindowRestorationInfo.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace {

// Qt's largest widget size (QWIDGETSIZE_MAX), which this display-less reader
// cannot include.
const qint32 LargestWidgetSize = (1 << 24) - 1;

const int IdentifierSize = 16;
const char ProjectFileFileID1[IdentifierSize] = "HALVEK GROUP";
const char ProjectFileFileID2[IdentifierSize] = "Tarvo Suite";
const char ProjectFileFileVersion[IdentifierSize] = "1.1.0";
const qint32 ProjectFileWindowDataChunkId = 0x57494E44;
// Positions of the major, minor and patch digits in the version field.
const int VersionDigitPositions[] = {0, 2, 4};
const qint32 VariantMarker = 16;

const int HeaderSize = 3 * IdentifierSize + int(sizeof(qint32));

void prepare(QDataStream& stream)
{
    ProjectFileHelper::prepareStream(stream);
}

qint64 remaining(const QDataStream& stream)
{
    return stream.device()->bytesAvailable();
}

// Reads a length field and checks it against what is left: a length the data
// cannot hold is a format error before anything is allocated.
bool readLength(QDataStream& stream, qint32& length)
{
    stream >> length;
    return stream.status() == QDataStream::Ok && length <= remaining(stream);
}

bool readBlock(QDataStream& stream, qint32 length, QByteArray& bytes)
{
    bytes.resize(length);
    return stream.readRawData(bytes.data(), length) == length;
}

// Restoration values are plain numbers, texts and geometry. Containers are
// refused before Qt reads them: their element counts are reserved in full, so
// a hostile count would make the program allocate whatever the file claims.
bool isAcceptedValueType(QDataStream& stream)
{
    const QByteArray typeField = stream.device()->peek(sizeof(quint32));
    if (typeField.size() != int(sizeof(quint32)))
        return false;
    return isPlainValueType(int(qFromBigEndian<quint32>(reinterpret_cast<const uchar*>(typeField.constData()))));
}

// Geometry that no widget can take is no window record: it would overflow
// the rectangle arithmetic that placing the window does.
bool isWidgetGeometry(qint32 x, qint32 y, qint32 width, qint32 height)
{
    const auto within = [](qint32 value, qint32 lowest) { return value >= lowest && value <= LargestWidgetSize; };
    return within(x, -LargestWidgetSize) && within(y, -LargestWidgetSize) && within(width, 0) && within(height, 0);
}

bool isToolWindowId(int windowId)
{
    return windowId >= WindowRestorationInfo::WindowIdMidiInMonitor
        && windowId <= WindowRestorationInfo::WindowIdTimingClock;
}

bool writeBlock(QDataStream& stream, const QByteArray& bytes)
{
    stream << qint32(bytes.size());
    return bytes.isEmpty() || stream.writeRawData(bytes.constData(), bytes.size()) == bytes.size();
}

} // namespace

void ProjectFileHelper::prepareStream(QDataStream& stream)
{
    stream.setVersion(QDataStream::Qt_5_6);
}

int ProjectFileHelper::convertStringToInt(const char& c)
{
    return QString(QChar::fromLatin1(c)).toInt();
}

bool ProjectFileHelper::writeWindowInfo(QDataStream& stream, const WindowInfoStruct& info)
{
    QByteArray body;
    QDataStream bodyStream(&body, QIODevice::WriteOnly);
    prepare(bodyStream);
    bodyStream << qint32(info.windowId) << qint32(info.isStayOnTop ? 1 : 0) << qint32(info.rect.x())
               << qint32(info.rect.y()) << qint32(info.rect.width()) << qint32(info.rect.height())
               << qint32(info.windowState);
    for (const QVariant& value : info.values)
        bodyStream << VariantMarker << value;
    return !body.isEmpty() && writeBlock(stream, body);
}

bool ProjectFileHelper::readWindowInfo(QDataStream& stream, WindowInfoStruct& info)
{
    qint32 length = 0;
    if (!readLength(stream, length) || length < 1)
        return false;
    QByteArray body;
    if (!readBlock(stream, length, body))
        return false;
    QDataStream bodyStream(body);
    prepare(bodyStream);
    qint32 windowId = 0, stayOnTop = 0, x = 0, y = 0, width = 0, height = 0, state = 0;
    bodyStream >> windowId >> stayOnTop >> x >> y >> width >> height >> state;
    if (bodyStream.status() != QDataStream::Ok || !isWidgetGeometry(x, y, width, height))
        return false;
    info.windowId = windowId;
    info.isStayOnTop = stayOnTop != 0;
    info.rect = QRect(x, y, width, height);
    info.windowState = Qt::WindowStates(state);
    info.values.clear();
    while (!bodyStream.atEnd()) {
        qint32 marker = 0;
        QVariant value;
        bodyStream >> marker;
        if (!isAcceptedValueType(bodyStream))
            return false;
        bodyStream >> value;
        if (bodyStream.status() != QDataStream::Ok)
            return false;
        info.values.append(value);
    }
    return true;
}

QByteArray ProjectFileHelper::serialize(const ProjectDescription& description)
{
    QByteArray chunk;
    QDataStream chunkStream(&chunk, QIODevice::WriteOnly);
    prepare(chunkStream);
    writeWindowInfo(chunkStream, description.mainWindow);
    for (const ToolWindowRecord& record : description.toolWindows) {
        writeWindowInfo(chunkStream, record.info);
        if (ContentBlock::exists(record.info.windowId))
            writeBlock(chunkStream, record.content);
    }

    QByteArray file;
    QDataStream fileStream(&file, QIODevice::WriteOnly);
    prepare(fileStream);
    for (const char* identifier : {ProjectFileFileID1, ProjectFileFileID2, ProjectFileFileVersion})
        fileStream.writeRawData(identifier, IdentifierSize);
    fileStream << ProjectFileWindowDataChunkId;
    writeBlock(fileStream, chunk);
    return file;
}

int ProjectFileHelper::writeFile(const QString& path, const ProjectDescription& description, QString* errorText)
{
    return writeFileAtomically(path, serialize(description), errorText) ? WriteOk : WriteFailed;
}

namespace {

int checkHeader(QDataStream& stream)
{
    ProjectFileHelper helper;
    char identifier[IdentifierSize];
    for (const char* expected : {ProjectFileFileID1, ProjectFileFileID2}) {
        if (stream.readRawData(identifier, IdentifierSize) != IdentifierSize
            || memcmp(identifier, expected, IdentifierSize) != 0)
            return ProjectFileHelper::ReadFormatError;
    }
    char version[IdentifierSize] = {};
    if (stream.readRawData(version, IdentifierSize) < 1)
        return ProjectFileHelper::ReadFormatError;
    for (int position : VersionDigitPositions) {
        if (helper.convertStringToInt(version[position]) > helper.convertStringToInt(ProjectFileFileVersion[position]))
            return ProjectFileHelper::ReadVersionError;
    }
    qint32 chunkId = 0;
    stream >> chunkId;
    if (stream.status() != QDataStream::Ok || chunkId != ProjectFileWindowDataChunkId)
        return ProjectFileHelper::ReadFormatError;
    return ProjectFileHelper::ReadOk;
}

} // namespace

int ProjectFileHelper::parseFile(const QString& path, ProjectDescription& description, ContentDamage* damage)
{
    // Checked before opening: opening a FIFO waits for a writer for ever.
    const QFileInfo info(path);
    if (!info.exists())
        return ReadFormatError;
    if (!info.isFile())
        return ReadNotRegularFile;
    if (info.size() > MaximumFileSize)
        return ReadTooLarge;
    QFile input(path);
    if (!input.open(QIODevice::ReadOnly))
        return ReadFormatError;
    // The header decides before the body is read.
    const QByteArray header = input.read(HeaderSize);
    QDataStream headerStream(header);
    prepare(headerStream);
    const int headerResult = checkHeader(headerStream);
    if (headerResult != ReadOk)
        return headerResult;
    return parseBytes(header + input.read(MaximumFileSize), description, damage);
}

int ProjectFileHelper::parseBytes(const QByteArray& file, ProjectDescription& description, ContentDamage* damage)
{
    if (file.isEmpty())
        return ReadFormatError;
    QDataStream stream(file);
    prepare(stream);
    const int headerResult = checkHeader(stream);
    if (headerResult != ReadOk)
        return headerResult;
    qint32 chunkSize = 0;
    if (!readLength(stream, chunkSize) || chunkSize < 1)
        return ReadFormatError;

    ProjectDescription parsed;
    if (!readWindowInfo(stream, parsed.mainWindow))
        return ReadFormatError;
    while (!stream.atEnd()) {
        ToolWindowRecord record;
        // An unknown kind is refused before it is taken as a window id.
        if (!readWindowInfo(stream, record.info) || !isToolWindowId(record.info.windowId))
            return ReadFormatError;
        if (ContentBlock::exists(record.info.windowId)) {
            qint32 blockSize = 0;
            if (!readLength(stream, blockSize))
                return ReadFormatError;
            if (blockSize > 0 && !readBlock(stream, blockSize, record.content))
                return ReadFormatError;
            // Read as its view will read it, so that no view takes less than its block holds.
            QDataStream blockStream(record.content);
            prepare(blockStream);
            ContentValues values;
            QString problem;
            if (!ContentBlock::read(record.info.windowId, blockStream, values, &problem)) {
                if (damage != nullptr)
                    *damage = {record.info.windowId, problem};
                return ReadDamagedContent;
            }
        }
        parsed.toolWindows.append(record);
    }
    description = parsed;
    return ReadOk;
}

