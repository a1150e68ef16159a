#include "project/Utility.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileDialog>
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        text = QString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    if (bytes.isEmpty()) {
        text = QString();
        return true;
    }
    const int end = bytes.indexOf('\0');
    text = QString::fromUtf8(bytes.constData(), end < 0 ? bytes.size() : end);
    return true;
}

bool Utility::saveAtTextFileName(const QString& path, const QString& text)
{
    if (path.isEmpty()) {
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

QString Utility::showFileOpenDialog(QWidget* parent, const QString& caption, const QString& directory,
                                    const QString& filter, const QString& fallbackDirectory)
{
    QString start = directory;
    if (!QFileInfo(directory).dir().exists()) {
        start = fallbackDirectory;
    }
    return QFileDialog::getOpenFileName(parent, caption, start, filter);
}

QString Utility::showFileSaveDialog(QWidget* parent, const QString& caption, const QString& path,
                                    const QString& filter, const QString& fallbackDirectory)
{
    QString proposal = path;
    const QFileInfo info(path);
    if (!info.dir().exists()) {
        proposal = fallbackDirectory + "/" + info.fileName();
    }
    return QFileDialog::getSaveFileName(parent, caption, proposal, filter);
}

QString Utility::removeMenuOfModifierCharacter(const QString& label)
{
    QString title = label;
    return title.remove(QRegExp(MenuModifierPattern, Qt::CaseSensitive));
}
