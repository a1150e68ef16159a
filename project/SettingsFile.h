#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QSettings;

// Changes to an INI settings file that other running copies of the program
// may be changing at the same moment.
//
// QSettings alone reads the file when it is made and only merges its own
// changes into the file as it is when it writes: a group it empties loses
// only the keys it had read, so two programs replacing the window layout at
// once leave a mixture of both. Here the file is read while the lock file
// QSettings itself takes (path + ".lock") is held, a copy is changed, and the
// result replaces the file whole before the lock is let go: every change is
// made to the file as the last writer left it.
class SettingsFile
{
public:
    enum Result {
        Written,
        // Written, but lines QSettings could not read are no longer there.
        WrittenWithoutUnreadableLines,
        NotWritten,
    };

    // How long a change waits for another program that holds the lock.
    static constexpr int LockWaitMilliseconds = 10000;

    // Makes change on the settings of the file at path, as one step among
    // the programs that change it. errorText, when given, says why the file
    // was not written.
    static Result update(const QString& path, const std::function<void(QSettings&)>& change, QString* errorText);

    // Replaces the file's bytes with what transform makes of them, under the
    // same lock; nothing is written when they stay the same.
    static bool rewrite(const QString& path, const std::function<QByteArray(const QByteArray&)>& transform,
                        QString* errorText);
};
