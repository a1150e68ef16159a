#include "views/FileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

QString FileDialog::showFileOpenDialog(QWidget* parent, const QString& caption, const QString& directory,
                                       const QString& filter, const QString& fallbackDirectory)
{
    QString start = directory;
    if (!QFileInfo(directory).dir().exists()) {
        start = fallbackDirectory;
    }
    return QFileDialog::getOpenFileName(parent, caption, start, filter);
}

QString FileDialog::showFileSaveDialog(QWidget* parent, const QString& caption, const QString& path,
                                       const QString& filter, const QString& fallbackDirectory,
                                       QString* selectedFilter)
{
    QString proposal = path;
    const QFileInfo info(path);
    if (!info.dir().exists()) {
        proposal = fallbackDirectory + QLatin1Char('/') + info.fileName();
    }
    return QFileDialog::getSaveFileName(parent, caption, proposal, filter, selectedFilter);
}
