#include "project/Utility.h"

#include "project/AtomicFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegExp>

namespace {

// Mnemonic marks and the ellipsis of menu labels.
const char* const MenuModifierPattern = "\\&|\\.\\.\\.";

} // namespace

bool Utility::loadAtTextFileName(const QString& path, QString& text)
{
    if (path.isEmpty()) {
        return false;
    }
    // Only regular files: opening a FIFO would wait for a writer for ever.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        text = QString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    if (bytes.isEmpty()) {
        text = QString();
        return true;
    }
    // Zero bytes stay, for the text check to point at.
    text = QString::fromUtf8(bytes.constData(), bytes.size());
    return true;
}

bool Utility::saveAtTextFileName(const QString& path, const QString& text, QString* errorText)
{
    if (path.isEmpty()) {
        return false;
    }
    return writeFileAtomically(path, text.toUtf8(), errorText);
}

QString Utility::removeMenuOfModifierCharacter(const QString& label)
{
    QString title = label;
    return title.remove(QRegExp(MenuModifierPattern, Qt::CaseSensitive));
}
