#pragma once

#include <QString>

class QWidget;

// Stateless helpers shared by the main window and the message editor.
class Utility
{
public:
    // Reads the whole text file, zero bytes included. A file that cannot be
    // read gives a null text and false.
    static bool loadAtTextFileName(const QString& path, QString& text);
    // Replaces the file with the text once all of it was written; on failure
    // the old file stays as it was and errorText, when given, gets the reason.
    static bool saveAtTextFileName(const QString& path, const QString& text, QString* errorText = nullptr);

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

    // A menu label as a window title: every "&" and every "..." removed.
    static QString removeMenuOfModifierCharacter(const QString& label);
};
