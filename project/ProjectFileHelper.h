#pragma once

#include <QList>
#include <QRect>
#include <QVariant>

class QDataStream;

// Writes and reads project files: a 56-byte header, then a chunk of window
// records, the main window's first, each tool window's followed by the
// content block its view writes.
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

    virtual ~ProjectFileHelper() = default;

    // 0 success, 1 failure.
    int writeFile(const QString& path);
    // 0 success, 1 version error, 2 open or format error.
    int readFile(const QString& path);

    bool writeWindowInfo(QDataStream& stream, const WindowInfoStruct& info);
    bool readWindowInfo(QDataStream& stream, WindowInfoStruct& info);
    int convertStringToInt(const char& c);
};
