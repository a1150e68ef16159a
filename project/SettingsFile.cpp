#include "project/SettingsFile.h"

#include "project/AtomicFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QTemporaryFile>

namespace {

const char* const LockSuffix = ".lock";
const char* const ScratchTemplate = "tarvo-settings-XXXXXX.ini";
const char* const LockHeldText = QT_TRANSLATE_NOOP("SettingsFile", "Another program holds its lock file %1.");
const char* const LockFailedText = QT_TRANSLATE_NOOP("SettingsFile", "Its lock file %1 cannot be made.");
const char* const UnreadableText = QT_TRANSLATE_NOOP("SettingsFile", "It cannot be read: %1");
const char* const ScratchText = QT_TRANSLATE_NOOP("SettingsFile", "A working copy in %1 cannot be written.");

QString translated(const char* text)
{
    return QCoreApplication::translate("SettingsFile", text);
}

bool fail(QString* errorText, const QString& reason)
{
    if (errorText != nullptr)
        *errorText = reason;
    return false;
}

// QSettings names its lock after the absolute path it was given.
QString lockPath(const QString& path)
{
    return QFileInfo(path).absoluteFilePath() + QLatin1String(LockSuffix);
}

bool lock(QLockFile& file, const QString& path, QString* errorText)
{
    if (file.tryLock(SettingsFile::LockWaitMilliseconds))
        return true;
    const char* text = file.error() == QLockFile::LockFailedError ? LockHeldText : LockFailedText;
    return fail(errorText, translated(text).arg(path));
}

// The file's bytes; a file that is not there holds none.
bool readBytes(const QString& path, QByteArray& bytes, QString* errorText)
{
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return fail(errorText, translated(UnreadableText).arg(file.errorString()));
    bytes = file.readAll();
    return true;
}

bool replaceUnlocked(const QString& path, const std::function<QByteArray(const QByteArray&)>& transform,
                     QString* errorText)
{
    QByteArray old;
    if (!readBytes(path, old, errorText))
        return false;
    const QByteArray bytes = transform(old);
    return bytes == old || writeFileAtomically(path, bytes, errorText);
}

} // namespace

bool SettingsFile::rewrite(const QString& path, const std::function<QByteArray(const QByteArray&)>& transform,
                           QString* errorText)
{
    const QString lockName = lockPath(path);
    QLockFile lockFile(lockName);
    return lock(lockFile, lockName, errorText) && replaceUnlocked(path, transform, errorText);
}

SettingsFile::Result SettingsFile::update(const QString& path, const std::function<void(QSettings&)>& change,
                                          QString* errorText)
{
    const QString lockName = lockPath(path);
    QLockFile lockFile(lockName);
    if (!lock(lockFile, lockName, errorText))
        return NotWritten;
    bool unreadableLines = false;
    bool scratchWritten = true;
    // QSettings works on a file of its own: the copy goes in place only once
    // all of it is written.
    const auto changed = [&](const QByteArray& old) {
        QTemporaryFile scratch(QDir(QDir::tempPath()).filePath(QLatin1String(ScratchTemplate)));
        scratchWritten = scratch.open() && scratch.write(old) == old.size() && scratch.flush();
        if (!scratchWritten)
            return old;
        scratch.close();
        {
            QSettings settings(scratch.fileName(), QSettings::IniFormat);
            change(settings);
            settings.sync();
            scratchWritten = settings.status() != QSettings::AccessError;
            unreadableLines = settings.status() == QSettings::FormatError;
        }
        QByteArray bytes;
        scratchWritten = scratchWritten && readBytes(scratch.fileName(), bytes, errorText);
        return scratchWritten ? bytes : old;
    };
    if (!replaceUnlocked(path, changed, errorText))
        return NotWritten;
    if (!scratchWritten) {
        fail(errorText, translated(ScratchText).arg(QDir::tempPath()));
        return NotWritten;
    }
    return unreadableLines ? WrittenWithoutUnreadableLines : Written;
}
