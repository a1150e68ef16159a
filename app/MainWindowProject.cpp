// Project commands: New, Open, Save, Save As, Close All, and files dropped on
// the tool window area.

#include "app/MainWindow.h"

#include "app/MenuTables.h"
#include "services/ProductInfo.h"
#include "app/ToolWindowQuota.h"
#include "app/ToolWindowTable.h"
#include "project/FileStream.h"
#include "model/ParameterEditFlagLock.h"
#include "model/TarvoModel.h"
#include "project/ProjectFileHelper.h"
#include "project/Utility.h"
#include "services/DumpFile.h"
#include "views/FileDialog.h"

#include <QApplication>
#include <QDataStream>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QUrl>

namespace {

const char* const ProjectFileOpenDialogTitle = "Open";
const char* const ProjectFileSaveDialogTitle = "Save";
const char* const ProjectFileExtensionFilter = "Project Files (*.tarvo)";
const char* const DefaultProjectFileName = "Untitled.tarvo";
const char* const ProjectFileExtension = "tarvo";
const char* const DragAndDropFormat = "text/uri-list";
const char* const FileOpenFailedMessage = "File open failed.";
const char* const FileFormatVersionErrorMessage = "File format version error.";
const char* const FileSaveFailedMessage = "File save failed.";
const char* const NotRegularFileMessage = "File open failed: it is not a regular file.";
const char* const FileTooLargeMessage = "File open failed: it is larger than %1 MB.";
// The window's name, then where and what in its block.
const char* const DamagedContentMessage = "The %1 window's content is damaged: %2. The project was not opened.";
const char* const RefusedContentMessage = "The %1 window did not take its content from the file.";
// The system's reason follows the save failure on a line of its own.
const char* const ReasonSeparator = "\n";

QString toolWindowName(int windowId)
{
    const ToolWindowKind* kind = findToolWindowKind(windowId);
    return kind != nullptr ? Utility::removeMenuOfModifierCharacter(QLatin1String(kind->menuItem->label)) : QString();
}

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
    {
        ParameterEditFlagLock editFlagLock(m_pModel);
        setUpdatesEnabled(false);
        if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
            showNormal();
        resize(DefaultMainWindowSize);
        initializeSubWindows();
        setUpdatesEnabled(true);
    }
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

bool MainWindow::openDumpFile(const QString& path)
{
    QString text;
    QString reason;
    m_pModel->setModelStringValue(DumpFileWorkingDirectoryId, QFileInfo(path).absolutePath());
    if (!DumpFile::load(path, &text, &reason)) {
        showOpenFailedMessageBox(reason);
        return false;
    }
    QMdiSubWindow* subWindow = openMessageEditorWindow(MidiEditView::SystemExclusive, QSize(-1, -1), text);
    if (subWindow == nullptr)
        return false;
    static_cast<MidiEditView*>(subWindow->widget())->setDocumentPath(path);
    return true;
}

bool MainWindow::openFile(const QString& path)
{
    // A message file, as from the command line, opens in an editor of its own.
    if (DumpFile::isDroppableFile(path))
        return openDumpFile(path);
    // Nothing is discarded until a project really opens, so a cancelled dialog
    // or a refused file keeps the edit mark.
    if (m_pModel->getParameterEditFlag() == ParameterEdited && !confirmDiscardOrSave())
        return false;
    QString filePath = path;
    if (filePath.isEmpty()) {
        filePath = FileDialog::showFileOpenDialog(window(), tr(ProjectFileOpenDialogTitle),
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
    ProjectFileHelper::ProjectDescription description;
    ProjectFileHelper::ContentDamage damage;
    const int result = ProjectFileHelper().parseFile(path, description, &damage);
    if (result == ProjectFileHelper::ReadOk)
        applyProjectDescription(description);
    setUpdatesEnabled(true);
    bool opened = false;
    switch (result) {
    case ProjectFileHelper::ReadOk:
        setProjectFile(path);
        opened = true;
        break;
    case ProjectFileHelper::ReadVersionError:
        showErrorMessageBox(tr(FileFormatVersionErrorMessage));
        break;
    case ProjectFileHelper::ReadFormatError:
        showErrorMessageBox(tr(FileOpenFailedMessage));
        break;
    case ProjectFileHelper::ReadNotRegularFile:
        showErrorMessageBox(tr(NotRegularFileMessage));
        break;
    case ProjectFileHelper::ReadTooLarge:
        showErrorMessageBox(tr(FileTooLargeMessage).arg(ProjectFileHelper::MaximumFileSize / (1024 * 1024)));
        break;
    case ProjectFileHelper::ReadDamagedContent:
        showErrorMessageBox(tr(DamagedContentMessage).arg(toolWindowName(damage.windowId), damage.problem));
        break;
    default:
        break;
    }
    m_isOpeningProjectFile = false;
    return opened;
}

void MainWindow::applyProjectDescription(const ProjectFileHelper::ProjectDescription& description)
{
    const ProjectFileHelper::WindowInfoStruct& mainInfo = description.mainWindow;
    closeAllSubWindows();
    showNormal();
    setGeometry(getMainWindowRestorationRect(mainInfo.rect));
    if (!(mainInfo.windowState & (Qt::WindowMinimized | Qt::WindowFullScreen)))
        setWindowState(windowState() | mainInfo.windowState);
    if (mainInfo.isStayOnTop)
        setStayOnTop();

    ToolWindowQuota quota;
    for (const ProjectFileHelper::ToolWindowRecord& record : description.toolWindows) {
        const ProjectFileHelper::WindowInfoStruct& info = record.info;
        if (!quota.take(info.windowId))
            continue;
        QMdiSubWindow* subWindow = createSubWindowByWindowId(static_cast<WindowRestorationInfo::WindowId>(info.windowId),
                                                             info.isStayOnTop, info.rect, info.windowState, info.values);
        auto* content = subWindow ? dynamic_cast<FileStream*>(subWindow->widget()) : nullptr;
        if (!content || record.content.isEmpty())
            continue;
        QDataStream stream(record.content);
        ProjectFileHelper::prepareStream(stream);
        // The parser read every block as the views do, so no view refuses one.
        if (!content->setDataStream(stream))
            showErrorMessageBox(tr(RefusedContentMessage).arg(toolWindowName(info.windowId)));
    }
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
    const QString path = FileDialog::showFileSaveDialog(window(), tr(ProjectFileSaveDialogTitle), proposal,
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
    ProjectFileHelper::ProjectDescription description;
    QString reason;
    if (!describeProject(description)
        || ProjectFileHelper().writeFile(path, description, &reason) != ProjectFileHelper::WriteOk) {
        showSaveFailedMessageBox(reason);
        return false;
    }
    setProjectFile(path);
    return true;
}

bool MainWindow::describeProject(ProjectFileHelper::ProjectDescription& description)
{
    ProjectFileHelper::WindowInfoStruct& mainInfo = description.mainWindow;
    mainInfo.windowId = WindowRestorationInfo::WindowIdMainWindow;
    mainInfo.isStayOnTop = windowFlags() & Qt::WindowStaysOnTopHint;
    mainInfo.rect = isNormalWindowState(this) ? geometry() : normalGeometry();
    mainInfo.windowState = windowState();
    for (QMdiSubWindow* subWindow : getSubWindowList()) {
        QWidget* view = subWindow->widget();
        auto* content = dynamic_cast<FileStream*>(view);
        auto* restoration = dynamic_cast<WindowRestorationInfo*>(view);
        if (!content || !restoration)
            continue;
        ProjectFileHelper::ToolWindowRecord record;
        record.info.windowId = restoration->windowId;
        record.info.isStayOnTop = subWindow->windowFlags() & Qt::WindowStaysOnTopHint;
        record.info.rect = isNormalWindowState(subWindow) ? subWindow->geometry() : getNormalRect(subWindow);
        record.info.windowState = subWindow->windowState();
        record.info.values = restoration->values;
        QDataStream blockStream(&record.content, QIODevice::WriteOnly);
        ProjectFileHelper::prepareStream(blockStream);
        // A view that cannot write its content fails the save.
        if (!content->getDataStream(blockStream))
            return false;
        description.toolWindows.append(record);
    }
    return true;
}

void MainWindow::showSaveFailedMessageBox(const QString& reason)
{
    showErrorMessageBox(reason.isEmpty() ? tr(FileSaveFailedMessage)
                                         : tr(FileSaveFailedMessage) + QLatin1String(ReasonSeparator) + reason);
}

void MainWindow::showOpenFailedMessageBox(const QString& reason)
{
    showErrorMessageBox(reason.isEmpty() ? tr(FileOpenFailedMessage)
                                         : tr(FileOpenFailedMessage) + QLatin1String(ReasonSeparator) + reason);
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
            || (!DumpFile::isDroppableFile(firstDroppedLine(data)) && suffix != QLatin1String(ProjectFileExtension))) {
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
        if (DumpFile::isDroppableFile(path)) {
            openDumpFile(path);
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
