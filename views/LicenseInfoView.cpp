#include "views/LicenseInfoView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMdiSubWindow>

namespace {

const char* const OpenSourceLicenseTextFileName = "OpenSourceLicense";
const char* const OpenSourceLicenseTextFileExtension = "txt";
// Where `cmake --install` puts the file, relative to the executable's folder.
const char* const InstalledLicenseDirectory = "../share/tarvo";
// Stands for the version of Qt that the application runs with.
const char* const QtVersionPlaceholder = "QT_VERSION";

const QSize LicenseInfoViewSize(700, 300);

} // namespace

LicenseInfoView::LicenseInfoView(QWidget* parent)
    : QTextEdit(parent)
{
    resize(LicenseInfoViewSize);
    setAttribute(Qt::WA_DeleteOnClose);
    setReadOnly(true);
    setPlainText(readLicenseText(findLicenseFile(QCoreApplication::applicationDirPath())));
}

QString LicenseInfoView::findLicenseFile(const QString& applicationDirectory)
{
    const QString fileName = QString::fromLatin1(OpenSourceLicenseTextFileName) + QLatin1Char('.')
                             + QLatin1String(OpenSourceLicenseTextFileExtension);
    const QDir directory(applicationDirectory);
    const QStringList candidates = {
        directory.filePath(fileName),
        QDir::cleanPath(directory.filePath(QLatin1String(InstalledLicenseDirectory) + QLatin1Char('/') + fileName)),
    };
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile()) {
            return candidate;
        }
    }
    return QString();
}

QString LicenseInfoView::readLicenseText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return QString();
    }
    QByteArray bytes = file.readAll();
    bytes.replace(QtVersionPlaceholder, qVersion());
    // Decoding stops at the first zero byte.
    return QString::fromUtf8(bytes.constData());
}

void LicenseInfoView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier) {
        QTextEdit::keyPressEvent(event);
        return;
    }
    // The tool window it is shown in, or the view itself standing alone.
    if (auto* subWindow = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        subWindow->close();
    } else {
        close();
    }
}
