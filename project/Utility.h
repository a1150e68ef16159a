#pragma once

#include <QString>

// Stateless helpers shared by the main window, the message editor and tarvo-cli.
class Utility
{
public:
    // Reads the whole text file, zero bytes included. A file that cannot be
    // read gives a null text and false.
    static bool loadAtTextFileName(const QString& path, QString& text);
    // Replaces the file with the text once all of it was written; on failure
    // the old file stays as it was and errorText, when given, gets the reason.
    static bool saveAtTextFileName(const QString& path, const QString& text, QString* errorText = nullptr);

    // A menu label as a window title: every "&" and every "..." removed.
    static QString removeMenuOfModifierCharacter(const QString& label);
};
