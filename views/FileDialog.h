#pragma once

#include <QString>

class QWidget;

// The file dialogs of the window and its tool windows.
class FileDialog
{
public:
    // The chosen file, or an empty string when the user cancels. The dialog
    // starts in directory, or when that is gone in fallbackDirectory, or when
    // that is gone too in the home folder.
    static QString showFileOpenDialog(QWidget* parent, const QString& caption, const QString& directory,
                                      const QString& filter, const QString& fallbackDirectory);
    // As above; a proposal in a directory that is gone keeps its file name
    // and moves to the first of the others that exists. A name whose last
    // suffix none of the filters takes gets the chosen filter's first one,
    // and replacing a file of that name is confirmed first.
    static QString showFileSaveDialog(QWidget* parent, const QString& caption, const QString& path,
                                      const QString& filter, const QString& fallbackDirectory);
    // path as it is when one of the filters ("Text files (*.txt);;...")
    // takes its last suffix, in any letter case, else with the first suffix
    // of chosenFilter added: "patch.v2" with "(*.syx)" is "patch.v2.syx".
    static QString withFilterExtension(const QString& path, const QString& chosenFilter, const QString& filters);
};
