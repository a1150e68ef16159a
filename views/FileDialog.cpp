#include "views/FileDialog.h"

#include "services/ProductInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>

namespace {

const char* const ReplaceQuestion
    = QT_TRANSLATE_NOOP("FileDialog", "%1 already exists.\nDo you want to replace it?");
// The suffixes of the patterns "*.syx" in a filter.
const char* const SuffixPattern = R"(\*\.([^\s;)]+))";

QStringList suffixesOf(const QString& filters)
{
    static const QRegularExpression pattern{QString::fromLatin1(SuffixPattern)};
    QStringList suffixes;
    for (QRegularExpressionMatchIterator match = pattern.globalMatch(filters); match.hasNext();) {
        suffixes << match.next().captured(1);
    }
    return suffixes;
}

bool confirmReplace(QWidget* parent, const QString& path)
{
    const QString question
        = QCoreApplication::translate("FileDialog", ReplaceQuestion).arg(QFileInfo(path).fileName());
    return QMessageBox::warning(parent, QString::fromLatin1(ProductName), question,
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

// directory when it exists, else fallbackDirectory (Documents, which may be
// missing too), else the home folder: a folder that is gone would be offered
// as a file name.
QString existingFolder(const QString& directory, const QString& fallbackDirectory)
{
    if (QFileInfo(directory).isDir()) {
        return directory;
    }
    return QFileInfo(fallbackDirectory).isDir() ? fallbackDirectory : QDir::homePath();
}

} // namespace

QString FileDialog::showFileOpenDialog(QWidget* parent, const QString& caption, const QString& directory,
                                       const QString& filter, const QString& fallbackDirectory)
{
    return QFileDialog::getOpenFileName(parent, caption, existingFolder(directory, fallbackDirectory), filter);
}

QString FileDialog::showFileSaveDialog(QWidget* parent, const QString& caption, const QString& path,
                                       const QString& filter, const QString& fallbackDirectory)
{
    const QFileInfo info(path);
    QString proposal = existingFolder(info.absolutePath(), fallbackDirectory) + QLatin1Char('/') + info.fileName();
    QString chosenFilter;
    for (;;) {
        const QString chosen = QFileDialog::getSaveFileName(parent, caption, proposal, filter, &chosenFilter);
        if (chosen.isEmpty()) {
            return chosen;
        }
        // The dialog asked about replacing the name as typed, not with the suffix.
        const QString named = withFilterExtension(chosen, chosenFilter, filter);
        if (named == chosen || !QFileInfo::exists(named) || confirmReplace(parent, named)) {
            return named;
        }
        proposal = named;
    }
}

QString FileDialog::withFilterExtension(const QString& path, const QString& chosenFilter, const QString& filters)
{
    const QString suffix = QFileInfo(path).suffix();
    if (!suffix.isEmpty() && suffixesOf(filters).contains(suffix, Qt::CaseInsensitive)) {
        return path;
    }
    const QStringList chosen = suffixesOf(chosenFilter);
    return chosen.isEmpty() ? path : path + QLatin1Char('.') + chosen.first();
}
