#include "project/ProjectFileHelper.h"

#include "app/MainWindow.h"
#include "project/FileStream.h"
#include "views/WindowRestorationInfo.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QMdiSubWindow>
#include <QWidget>
#include <QtEndian>

namespace {

const int IdentifierSize = 16;
const char ProjectFileFileID1[IdentifierSize] = "HALVEK GROUP";
const char ProjectFileFileID2[IdentifierSize] = "Tarvo Suite";
const char ProjectFileFileVersion[IdentifierSize] = "1.1.0";
const qint32 ProjectFileWindowDataChunkId = 0x57494E44;
// Positions of the major, minor and patch digits in the version field.
const int VersionDigitPositions[] = {0, 2, 4};
const qint32 VariantMarker = 16;

enum { WriteOk = 0, WriteFailed = 1 };
enum { ReadOk = 0, ReadVersionError = 1, ReadFormatError = 2 };

// Every stream of a project file uses the data stream version the format
// was defined with, so files stay byte-identical whatever Qt runs.
void prepare(QDataStream& stream)
{
    stream.setVersion(QDataStream::Qt_5_6);
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
    const quint32 type = qFromBigEndian<quint32>(reinterpret_cast<const uchar*>(typeField.constData()));
    switch (type) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::QChar:
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::QRect:
    case QMetaType::QSize:
    case QMetaType::QPoint:
        return true;
    default:
        return false;
    }
}

// Geometry that no widget can take is no window record: it would overflow
// the rectangle arithmetic that placing the window does.
bool isWidgetGeometry(qint32 x, qint32 y, qint32 width, qint32 height)
{
    const auto within = [](qint32 value, qint32 lowest) { return value >= lowest && value <= QWIDGETSIZE_MAX; };
    return within(x, -QWIDGETSIZE_MAX) && within(y, -QWIDGETSIZE_MAX) && within(width, 0) && within(height, 0);
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

int ProjectFileHelper::writeFile(const QString& path)
{
    MainWindow* mainWindow = MainWindow::m_pInstance;
    QByteArray file;
    QDataStream fileStream(&file, QIODevice::WriteOnly);
    prepare(fileStream);
    for (const char* identifier : {ProjectFileFileID1, ProjectFileFileID2, ProjectFileFileVersion}) {
        if (fileStream.writeRawData(identifier, IdentifierSize) < 1)
            return WriteFailed;
    }
    fileStream << ProjectFileWindowDataChunkId;

    QByteArray chunk;
    QDataStream chunkStream(&chunk, QIODevice::WriteOnly);
    prepare(chunkStream);
    WindowInfoStruct mainInfo;
    mainInfo.windowId = WindowRestorationInfo::WindowIdMainWindow;
    mainInfo.isStayOnTop = mainWindow->windowFlags() & Qt::WindowStaysOnTopHint;
    mainInfo.rect = mainWindow->isNormalWindowState(mainWindow) ? mainWindow->geometry()
                                                                 : mainWindow->normalGeometry();
    mainInfo.windowState = mainWindow->windowState();
    writeWindowInfo(chunkStream, mainInfo);

    for (QMdiSubWindow* subWindow : mainWindow->getSubWindowList()) {
        QWidget* view = subWindow->widget();
        auto* content = dynamic_cast<FileStream*>(view);
        auto* restoration = dynamic_cast<WindowRestorationInfo*>(view);
        if (!content || !restoration)
            continue;
        WindowInfoStruct info;
        info.windowId = restoration->windowId;
        info.isStayOnTop = subWindow->windowFlags() & Qt::WindowStaysOnTopHint;
        info.rect = mainWindow->isNormalWindowState(subWindow) ? subWindow->geometry()
                                                               : mainWindow->getNormalRect(subWindow);
        info.windowState = subWindow->windowState();
        info.values = restoration->values;
        writeWindowInfo(chunkStream, info);

        QByteArray block;
        QDataStream blockStream(&block, QIODevice::WriteOnly);
        prepare(blockStream);
        if (!content->getDataStream(blockStream) || !writeBlock(chunkStream, block))
            return WriteFailed;
    }
    if (!writeBlock(fileStream, chunk))
        return WriteFailed;

    QFile output(path);
    if (!output.open(QIODevice::WriteOnly) || output.write(file) < 1)
        return WriteFailed;
    output.close();
    return WriteOk;
}

int ProjectFileHelper::readFile(const QString& path)
{
    QFile input(path);
    if (!input.open(QIODevice::ReadOnly))
        return ReadFormatError;
    const QByteArray file = input.readAll();
    input.close();
    if (file.isEmpty())
        return ReadFormatError;

    QDataStream stream(file);
    prepare(stream);
    char identifier[IdentifierSize];
    for (const char* expected : {ProjectFileFileID1, ProjectFileFileID2}) {
        if (stream.readRawData(identifier, IdentifierSize) != IdentifierSize
            || memcmp(identifier, expected, IdentifierSize) != 0)
            return ReadFormatError;
    }
    char version[IdentifierSize] = {};
    if (stream.readRawData(version, IdentifierSize) < 1)
        return ReadFormatError;
    for (int position : VersionDigitPositions) {
        if (convertStringToInt(version[position]) > convertStringToInt(ProjectFileFileVersion[position]))
            return ReadVersionError;
    }

    qint32 chunkId = 0;
    stream >> chunkId;
    if (stream.status() != QDataStream::Ok || chunkId != ProjectFileWindowDataChunkId)
        return ReadFormatError;
    qint32 chunkSize = 0;
    if (!readLength(stream, chunkSize) || chunkSize < 1)
        return ReadFormatError;

    WindowInfoStruct mainInfo;
    if (!readWindowInfo(stream, mainInfo))
        return ReadFormatError;
    MainWindow* mainWindow = MainWindow::m_pInstance;
    mainWindow->closeAllSubWindows();
    mainWindow->showNormal();
    mainWindow->setGeometry(mainWindow->getMainWindowRestorationRect(mainInfo.rect));
    if (!(mainInfo.windowState & (Qt::WindowMinimized | Qt::WindowFullScreen)))
        mainWindow->setWindowState(mainWindow->windowState() | mainInfo.windowState);
    if (mainInfo.isStayOnTop)
        mainWindow->setStayOnTop();

    while (!stream.atEnd()) {
        WindowInfoStruct info;
        // An unknown kind is refused before it is taken as a window id.
        if (!readWindowInfo(stream, info) || !isToolWindowId(info.windowId))
            return ReadFormatError;
        QMdiSubWindow* subWindow = mainWindow->createSubWindowByWindowId(
            static_cast<WindowRestorationInfo::WindowId>(info.windowId), info.isStayOnTop, info.rect,
            info.windowState, info.values);
        if (!subWindow)
            return ReadFormatError;
        auto* content = dynamic_cast<FileStream*>(subWindow->widget());
        if (!content)
            continue;
        qint32 blockSize = 0;
        if (!readLength(stream, blockSize))
            return ReadFormatError;
        if (blockSize < 1)
            continue;
        QByteArray block;
        if (!readBlock(stream, blockSize, block))
            return ReadFormatError;
        QDataStream blockStream(block);
        prepare(blockStream);
        if (!content->setDataStream(blockStream))
            return ReadFormatError;
    }
    return ReadOk;
}
