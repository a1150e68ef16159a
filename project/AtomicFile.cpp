#include "project/AtomicFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const TemporaryInfix = ".tarvo-";
const char TemporaryCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
const int TemporaryRandomLength = 6;
// Another save taking the same name at the same moment is all that makes a try fail.
const int CreateAttempts = 100;
// The umask takes away what the user does not want others to have.
const mode_t NewFileMode = 0666;
const mode_t PermissionBits = 07777;
const char* const NotRegularText = QT_TRANSLATE_NOOP("AtomicFile", "It is not a regular file.");

// Closes the descriptor on every way out; close() reports what the last close says.
class Descriptor
{
public:
    explicit Descriptor(int descriptor)
        : m_descriptor(descriptor)
    {
    }
    ~Descriptor()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_descriptor; }
    bool close()
    {
        const int descriptor = m_descriptor;
        m_descriptor = -1;
        return ::close(descriptor) == 0;
    }

private:
    int m_descriptor;
};

// Removes the new file unless it was renamed into place.
class TemporaryFile
{
public:
    explicit TemporaryFile(const QByteArray& path)
        : m_path(path)
    {
    }
    ~TemporaryFile()
    {
        if (!m_path.isEmpty())
            ::unlink(m_path.constData());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool renameTo(const QByteArray& path)
    {
        if (::rename(m_path.constData(), path.constData()) != 0)
            return false;
        m_path.clear();
        return true;
    }

private:
    QByteArray m_path;
};

// What a save replaces: the file a symbolic link points to, so that the link stays a link.
struct Target
{
    QByteArray path;
    QString directory;
    QString name;
    bool exists = false;
    mode_t mode = 0;
};

bool fail(QString* errorText, const QString& reason)
{
    if (errorText)
        *errorText = reason;
    return false;
}

bool failWithSystemReason(QString* errorText)
{
    return fail(errorText, qt_error_string(errno));
}

bool findTarget(const QString& path, Target* target, QString* errorText)
{
    if (path.isEmpty()) {
        errno = ENOENT;
        return failWithSystemReason(errorText);
    }
    QFileInfo info(path);
    if (info.isSymLink())
        info.setFile(info.symLinkTarget());
    target->path = QFile::encodeName(info.absoluteFilePath());
    target->directory = info.absolutePath();
    target->name = info.fileName();
    struct stat status;
    if (::stat(target->path.constData(), &status) != 0)
        return errno == ENOENT || failWithSystemReason(errorText);
    target->exists = true;
    target->mode = status.st_mode & PermissionBits;
    if (S_ISDIR(status.st_mode)) {
        errno = EISDIR;
        return failWithSystemReason(errorText);
    }
    // A device or a pipe renamed away would be gone for every other program.
    if (!S_ISREG(status.st_mode))
        return fail(errorText, QCoreApplication::translate("AtomicFile", NotRegularText));
    // As a save in place would, a file the user may not write is left alone.
    return ::access(target->path.constData(), W_OK) == 0 || failWithSystemReason(errorText);
}

QString temporaryPrefix(const Target& target)
{
    return QLatin1Char('.') + target.name + QLatin1String(TemporaryInfix);
}

bool isTemporaryName(const QString& entry, const QString& prefix)
{
    if (entry.size() != prefix.size() + TemporaryRandomLength || !entry.startsWith(prefix))
        return false;
    for (int i = prefix.size(); i < entry.size(); ++i) {
        if (!QLatin1String(TemporaryCharacters).contains(entry.at(i)))
            return false;
    }
    return true;
}

// A leftover that cannot go (another user's, in a shared folder) costs nothing
// but its room, and the next save tries again, so its removal is not checked.
void removeStaleTemporaries(const Target& target)
{
    const QString prefix = temporaryPrefix(target);
    const QDir directory(target.directory);
    for (const QString& entry : directory.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (isTemporaryName(entry, prefix))
            ::unlink(QFile::encodeName(directory.filePath(entry)).constData());
    }
}

// A new file beside the target, open for writing; -1 with errno set when none can be made.
int createTemporary(const Target& target, QByteArray* path)
{
    const QString prefix = QDir(target.directory).filePath(temporaryPrefix(target));
    const int characterCount = static_cast<int>(sizeof(TemporaryCharacters)) - 1;
    for (int attempt = 0; attempt < CreateAttempts; ++attempt) {
        QString candidate = prefix;
        for (int i = 0; i < TemporaryRandomLength; ++i)
            candidate += QLatin1Char(TemporaryCharacters[QRandomGenerator::global()->bounded(characterCount)]);
        *path = QFile::encodeName(candidate);
        const int descriptor = ::open(path->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, NewFileMode);
        if (descriptor >= 0 || errno != EEXIST)
            return descriptor;
    }
    return -1;
}

} // namespace

bool writeToDescriptor(int descriptor, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* errorText)
{
    Target target;
    if (!findTarget(path, &target, errorText))
        return false;
    removeStaleTemporaries(target);
    QByteArray temporaryPath;
    Descriptor file(createTemporary(target, &temporaryPath));
    if (file.get() < 0)
        return failWithSystemReason(errorText);
    TemporaryFile temporary(temporaryPath);
    // Synced before the rename: after a crash the name holds the old bytes or all of the new.
    const bool written = (!target.exists || ::fchmod(file.get(), target.mode) == 0)
        && writeToDescriptor(file.get(), bytes.constData(), static_cast<std::size_t>(bytes.size()))
        && ::fsync(file.get()) == 0 && file.close() && temporary.renameTo(target.path);
    return written || failWithSystemReason(errorText);
}

bool canWriteFileAtomically(const QString& path, QString* errorText)
{
    Target target;
    if (!findTarget(path, &target, errorText))
        return false;
    QByteArray probePath;
    Descriptor probe(createTemporary(target, &probePath));
    if (probe.get() < 0)
        return failWithSystemReason(errorText);
    const TemporaryFile removed(probePath);
    return true;
}
