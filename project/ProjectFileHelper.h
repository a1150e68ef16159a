#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>
#include <QVariant>

class QDataStream;

// Writes and reads project files: a 56-byte header, then a chunk of window
// records, the main window's first, each tool window's followed by the
// content block its view writes.
//
// Reading is split in two: parsing turns the bytes into a ProjectDescription
// without touching a widget, and only a description that parsed whole is
// applied to the windows (by the main window), so a refused file changes
// nothing. Writing likewise takes a description of the windows.
class ProjectFileHelper
{
public:
    struct WindowInfoStruct
    {
        int windowId = 0;
        bool isStayOnTop = false;
        QRect rect = QRect(0, 0, 0, 0);
        Qt::WindowStates windowState;
        QList<QVariant> values;
    };

    // One tool window of a project with its view's content block.
    struct ToolWindowRecord
    {
        WindowInfoStruct info;
        QByteArray content;
    };

    struct ProjectDescription
    {
        WindowInfoStruct mainWindow;
        QList<ToolWindowRecord> toolWindows;
    };

    // The tool window whose content block made a file be refused, and why.
    struct ContentDamage
    {
        int windowId = 0;
        QString problem;
    };

    enum WriteResult { WriteOk = 0, WriteFailed = 1 };
    enum ReadResult {
        ReadOk = 0,
        ReadVersionError = 1,
        ReadFormatError = 2,
        // Not a regular file (a FIFO, a device, a folder): never opened.
        ReadNotRegularFile = 3,
        ReadTooLarge = 4,
        // A tool window's content block is damaged: opened, the window would
        // show less than the file holds, and a save would lose the rest.
        ReadDamagedContent = 5,
    };

    // No project is anywhere near this; a larger file is refused unread.
    static constexpr qint64 MaximumFileSize = 256 * 1024 * 1024;

    virtual ~ProjectFileHelper() = default;

    // WriteResult. The file is replaced only once every byte was written;
    // on failure errorText, when given, receives the system's reason.
    int writeFile(const QString& path, const ProjectDescription& description, QString* errorText = nullptr);

    // ReadResult; nothing but the description, and for ReadDamagedContent
    // the damage when asked for, is written.
    int parseFile(const QString& path, ProjectDescription& description, ContentDamage* damage = nullptr);
    int parseBytes(const QByteArray& file, ProjectDescription& description, ContentDamage* damage = nullptr);
    QByteArray serialize(const ProjectDescription& description);

    bool writeWindowInfo(QDataStream& stream, const WindowInfoStruct& info);
    bool readWindowInfo(QDataStream& stream, WindowInfoStruct& info);
    int convertStringToInt(const char& c);

    // Every stream of a project file uses the data stream version the format
    // was defined with, so files stay byte-identical whatever Qt runs.
    static void prepareStream(QDataStream& stream);
};
