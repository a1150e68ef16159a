#pragma once

#include <QByteArray>
#include <QString>

// Message files of the editor: ".syx" files hold the raw bytes, any other
// file hex text. Either way the editor sees hex text, one message a line.
// A file's kind is its last suffix, in any letter case: "patch.v2.SYX" is
// a .syx file.
class DumpFile
{
public:
    // No dump is anywhere near this; a larger file is refused unread.
    static constexpr qint64 MaximumSize = 64 * 1024 * 1024;

    static bool isSystemExclusiveFile(const QString& path);
    // Message files, which drops take: ".txt" or ".syx".
    static bool isDroppableFile(const QString& path);

    // False, with the reason, when the file cannot be read.
    static bool load(const QString& path, QString* text, QString* errorText);
    // The text checked and written as bytes to a .syx file, or as it stands
    // to any other; the old file is replaced only by a complete new one.
    static bool save(const QString& path, const QString& text, QString* errorText);

    // Hex pairs, each message on a line of its own.
    static QString bytesToText(const QByteArray& bytes);
};
