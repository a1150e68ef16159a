#pragma once

#include <QString>

class QWidget;

// The file dialogs of the window and its tool windows.
class FileDialog
{
public:
    // The chosen file, or an empty string when the user cancels. The dialog
    // starts in fallbackDirectory when the directory part of directory is gone.
    static QString showFileOpenDialog(QWidget* parent, const QString& caption, const QString& directory,
                                      const QString& filter, const QString& fallbackDirectory);
    // As above; a proposal in a directory that is gone keeps its file name
    // and moves to fallbackDirectory. selectedFilter, when given, receives
    // the filter the user chose.
    static QString showFileSaveDialog(QWidget* parent, const QString& caption, const QString& path,
                                      const QString& filter, const QString& fallbackDirectory,
                                      QString* selectedFilter = nullptr);
};
