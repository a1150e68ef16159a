// Project commands: New, Open, Save, Save As, Close All, and files dropped on
// the tool window area.

#include "app/MainWindow.h"

#include "app/MenuTables.h"
#include "app/ProductInfo.h"
#include "model/TarvoModel.h"
#include "project/ProjectFileHelper.h"
#include "project/Utility.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMimeData>
#include <QUrl>

namespace {

const char* const ProjectFileOpenDialogTitle = "Open";
const char* const ProjectFileSaveDialogTitle = "Save";
const char* const ProjectFileExtensionFilter = "Project Files (*.tarvo)";
const char* const DefaultProjectFileName = "Untitled.tarvo";
const char* const ProjectFileExtension = "tarvo";
const char* const DumpFileExtension = "txt";
const char* const DragAndDropFormat = "text/uri-list";
const char* const FileOpenFailedMessage = "File open failed.";
const char* const FileFormatVersionErrorMessage = "File format version error.";
const char* const FileSaveFailedMessage = "File save failed.";

enum ProjectFileResult { ProjectFileOk = 0, ProjectFileVersionError = 1, ProjectFileFormatError = 2 };

// The first line of a dropped uri list, the only one looked at.
QString firstDroppedLine(const QMimeData* data)
{
    return data->text().split(QLatin1Char('\n')).first().trimmed();
}

} // namespace

bool MainWindow::newFile()
{
    if (!confirmDiscardOrSave())
        return false;
    m_pModel->lockParameterEditFlag();
    setUpdatesEnabled(false);
    if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
        showNormal();
    resize(DefaultMainWindowSize);
    initializeSubWindows();
    setUpdatesEnabled(true);
    m_pModel->unlockParameterEditFlag();
    resetToUntitled();
    return true;
}

void MainWindow::resetToUntitled()
{
    m_pModel->m_projectFilePath.clear();
    m_pModel->setParameterEditFlag(ParameterNotEdited);
    setWindowTitle(QString::fromLatin1(ProductName));
}

void MainWindow::closeAllCommand()
{
    if (!confirmDiscardOrSave())
        return;
    closeAllSubWindows();
    resetToUntitled();
}

bool MainWindow::openFile(const QString& path)
{
    if (m_pModel->getParameterEditFlag() == ParameterEdited) {
        if (!confirmDiscardOrSave())
            return false;
        m_pModel->setParameterEditFlag(ParameterNotEdited);
    }
    QString filePath = path;
    if (filePath.isEmpty()) {
        filePath = Utility::showFileOpenDialog(window(), tr(ProjectFileOpenDialogTitle),
                                               m_pModel->getModelStringValue(ProjectFileWorkingDirectoryId)
                                                   + QLatin1Char('/'),
                                               tr(ProjectFileExtensionFilter),
                                               m_pModel->getModelDefaultStringValue(ProjectFileWorkingDirectoryId));
        if (filePath.isEmpty())
            return false;
    }
    return openProjectFile(filePath);
}

bool MainWindow::openProjectFile(const QString& path)
{
    m_isOpeningProjectFile = true;
    setUpdatesEnabled(false);
    ProjectFileHelper helper;
    const int result = helper.readFile(path);
    setUpdatesEnabled(true);
    bool opened = false;
    switch (result) {
    case ProjectFileOk:
        setProjectFile(path);
        opened = true;
        break;
    case ProjectFileVersionError:
        showErrorMessageBox(tr(FileFormatVersionErrorMessage));
        break;
    case ProjectFileFormatError:
        showErrorMessageBox(tr(FileOpenFailedMessage));
        break;
    default:
        break;
    }
    m_isOpeningProjectFile = false;
    return opened;
}

bool MainWindow::saveFile()
{
    if (m_pModel->m_projectFilePath.isEmpty())
        return saveAsFile();
    return saveProjectFile(m_pModel->m_projectFilePath);
}

bool MainWindow::saveAsFile()
{
    const QString currentName = QFileInfo(m_pModel->m_projectFilePath).fileName();
    const QString proposal = m_pModel->getModelStringValue(ProjectFileWorkingDirectoryId) + QLatin1Char('/')
        + (currentName.isEmpty() ? QLatin1String(DefaultProjectFileName) : currentName);
    const QString path = Utility::showFileSaveDialog(window(), tr(ProjectFileSaveDialogTitle), proposal,
                                                     tr(ProjectFileExtensionFilter),
                                                     m_pModel->getModelDefaultStringValue(ProjectFileWorkingDirectoryId));
    if (path.isEmpty())
        return false;
    return saveProjectFile(path);
}

bool MainWindow::saveProjectFile(const QString& path)
{
    if (path.isEmpty())
        return false;
    ProjectFileHelper helper;
    if (helper.writeFile(path) != ProjectFileOk) {
        showErrorMessageBox(tr(FileSaveFailedMessage));
        return false;
    }
    setProjectFile(path);
    return true;
}

void MainWindow::setProjectFile(const QString& path)
{
    const QFileInfo file(path);
    m_pModel->m_projectFilePath = path;
    m_pModel->setModelStringValue(ProjectFileWorkingDirectoryId, file.absolutePath());
    setWindowTitle(file.fileName() + QLatin1String(" - ") + QLatin1String(ProductName));
    m_pModel->setParameterEditFlag(ParameterNotEdited);
}

bool MainWindow::handleDropEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        const QMimeData* data = drag->mimeData();
        const QString suffix = QFileInfo(firstDroppedLine(data)).completeSuffix();
        // Nothing is dropped while a dialog is open or a message is being sent.
        if (QApplication::activeModalWidget() || m_pModel->getModelIntValue(TransmissionStateId) == TransmissionRunning
            || !data->hasFormat(QLatin1String(DragAndDropFormat))
            || (suffix != QLatin1String(DumpFileExtension) && suffix != QLatin1String(ProjectFileExtension))) {
            drag->setDropAction(Qt::IgnoreAction);
            drag->ignore();
        } else {
            drag->acceptProposedAction();
        }
        return true;
    }
    case QEvent::DragMove:
        static_cast<QDragMoveEvent*>(event)->acceptProposedAction();
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QMimeData* data = drop->mimeData();
        if (!data->hasFormat(QLatin1String(DragAndDropFormat)))
            return true;
        const QString path = QUrl(firstDroppedLine(data)).toLocalFile();
        const QFileInfo file(path);
        if (file.completeSuffix() == QLatin1String(DumpFileExtension)) {
            QString text;
            Utility::loadAtTextFileName(path, text);
            m_pModel->setModelStringValue(DumpFileWorkingDirectoryId, file.absolutePath());
            createMidiEditView(tr(ViewsMenuTable[ViewsMenuSystemExclusive].label), MidiEditView::SystemExclusive,
                               QSize(-1, -1), text);
        } else if (file.completeSuffix() == QLatin1String(ProjectFileExtension) && confirmDiscardOrSave()) {
            openProjectFile(path);
        }
        drop->acceptProposedAction();
        return true;
    }
    default:
        return false;
    }
}
