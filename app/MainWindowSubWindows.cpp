// The main window's tool windows: creation by kind or stored id, their limits,
// sizes and title-bar controls, and the normal geometry kept for saving.

#include "app/MainWindow.h"

#include "app/MenuTables.h"
#include "services/ProductInfo.h"
#include "app/ToolWindowQuota.h"
#include "app/ToolWindowTable.h"
#include "app/WindowPlacement.h"
#include "engine/MidiEngine.h"
#include "model/ParameterEditFlagLock.h"
#include "project/Utility.h"
#include "views/AboutView.h"
#include "views/LicenseInfoView.h"
#include "views/MidiPlayerView.h"

#include <QAction>
#include <QChildEvent>
#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSizeGrip>
#include <QStyle>
#include <QStyleOptionTitleBar>

namespace {

const QRect DefaultInMonitorRect(0, 0, 338, 274);
const QRect DefaultOutMonitorRect(338, 0, 338, 274);
const QRect DefaultSystemExclusiveRect(0, 274, 338, 274);
const Qt::WindowFlags AboutSubWindowFlags(0x0A003000);
const Qt::WindowFlags AboutWindowFlags(Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint);

const char* const SubWindowIconPath = ":/images/subwindow_icon.png";
const char* const AboutObjectName = "AboutSubWindow";
const char* const StayOnTopActionText = "Stay on &Top";
const char* const MaximizeActionText = "Ma&ximize";
const char* const RestoreActionText = "&Restore";
const char* const LimitOfViewDisplayMessage =
    "Unable to open a new %1 View.\nPlease close any opened %1 View before trying again.";

bool removeActionWithText(QMenu* menu, const char* text)
{
    if (!menu)
        return false;
    for (QAction* action : menu->actions()) {
        if (action->text() == QLatin1String(text)) {
            menu->removeAction(action);
            return true;
        }
    }
    return false;
}

// Where the title bar's maximize button of a sub-window is drawn, in its own
// coordinates; empty when the style draws none.
QRect maximizeButtonArea(QMdiSubWindow* subWindow)
{
    QStyleOptionTitleBar option;
    option.initFrom(subWindow);
    option.subControls = QStyle::SC_All;
    option.titleBarFlags = subWindow->windowFlags();
    option.titleBarState = int(subWindow->windowState());
    const int height = subWindow->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, subWindow);
    option.rect = QRect(0, 0, subWindow->width(), height);
    return subWindow->style()->subControlRect(QStyle::CC_TitleBar, &option, QStyle::SC_TitleBarMaxButton, subWindow);
}

// The geometry a tool window has on creation is its first normal geometry.
void showRecorded(QHash<QWidget*, QRect>& normalRects, QMdiSubWindow* subWindow)
{
    subWindow->show();
    // The area places a new window where it overlaps least, even when that is
    // partly outside the visible area; keep it inside, its top left first.
    subWindow->move(fitIntoArea(subWindow->geometry(), subWindow->mdiArea()->viewport()->rect()).topLeft());
    if (!normalRects.contains(subWindow))
        normalRects.insert(subWindow, subWindow->geometry());
}

} // namespace

QMdiSubWindow* MainWindow::createSubWindowByWindowId(WindowRestorationInfo::WindowId id, bool isStayOnTop,
                                                     const QRect& rect, Qt::WindowStates state,
                                                     const QList<QVariant>& values)
{
    const ToolWindowKind* kind = findToolWindowKind(id);
    QMdiSubWindow* subWindow = kind ? createToolWindow(*kind, values) : nullptr;
    if (!subWindow)
        return nullptr;
    setWindowGeometry(subWindow, rect);
    if (isStayOnTop)
        subWindow->setWindowFlags(subWindow->windowFlags() | Qt::WindowStaysOnTopHint);
    subWindow->setWindowState(subWindow->windowState() | state);
    return subWindow;
}

QMdiSubWindow* MainWindow::openToolWindow(WindowRestorationInfo::WindowId id, const QList<QVariant>& values)
{
    const ToolWindowKind* kind = findToolWindowKind(id);
    if (!kind)
        return nullptr;
    if (kind->instances == ToolWindowKind::Single) {
        QList<QPointer<QMdiSubWindow>>& open = m_toolWindows[id];
        open.removeAll(QPointer<QMdiSubWindow>());
        if (!open.isEmpty()) {
            m_pMdiArea->setActiveSubWindow(open.first());
            return open.first();
        }
    }
    return createToolWindow(*kind, values);
}

QList<MidiEditView*> MainWindow::unsavedEditors() const
{
    QList<MidiEditView*> editors;
    for (QMdiSubWindow* subWindow : m_pMdiArea->subWindowList()) {
        auto* editor = qobject_cast<MidiEditView*>(subWindow->widget());
        if (editor && !editor->isMonitor() && !editor->documentPath().isEmpty() && editor->hasUnsavedChanges())
            editors.append(editor);
    }
    return editors;
}

void MainWindow::playMidiFile()
{
    QMdiSubWindow* subWindow = openToolWindow(WindowRestorationInfo::WindowIdMidiPlayer);
    if (auto* player = subWindow ? qobject_cast<MidiPlayerView*>(subWindow->widget()) : nullptr)
        player->chooseFile();
}

QMdiSubWindow* MainWindow::createToolWindow(const ToolWindowKind& kind, const QList<QVariant>& values)
{
    if (!mayOpenAnother(m_toolWindows[kind.limitedBy], tr(kind.menuItem->label)))
        return nullptr;
    return addToolWindow(kind, kind.create(viewContext(), values), QSize());
}

QMdiSubWindow* MainWindow::openMessageEditorWindow(MidiEditView::OpenMode mode, const QSize& size,
                                                   const QString& text)
{
    const ToolWindowKind& kind = *findToolWindowKind(WindowRestorationInfo::WindowIdSystemExclusive);
    if (!mayOpenAnother(m_toolWindows[kind.limitedBy], tr(kind.menuItem->label)))
        return nullptr;
    return addToolWindow(kind, new MidiEditView(nullptr, viewContext(), mode, text), size);
}

QMdiSubWindow* MainWindow::addToolWindow(const ToolWindowKind& kind, QWidget* view, const QSize& viewSize)
{
    QMdiSubWindow* subWindow = addToolSubWindow(view, kind.objectName,
                                                kind.fixedSize ? FixedSizeSubWindow : ResizableSubWindow,
                                                tr(kind.menuItem->label));
    m_toolWindows[kind.windowId].append(subWindow);
    kind.place(subWindow, view);
    if (viewSize.width() >= 1 && viewSize.height() >= 1) {
        subWindow->adjustSize();
        view->adjustSize();
        subWindow->resize(viewSize + (subWindow->size() - view->size()));
    }
    showRecorded(m_normalRectHash, subWindow);
    return subWindow;
}

bool MainWindow::openMessageEditor(MidiEditView::OpenMode mode, const QSize& size, const QString& text)
{
    return openMessageEditorWindow(mode, size, text) != nullptr;
}

QMdiSubWindow* MainWindow::addToolSubWindow(QWidget* view, const char* objectName, SubWindowKind kind,
                                            const QString& title)
{
    QMdiSubWindow* subWindow = m_pMdiArea->addSubWindow(view);
    if (objectName)
        subWindow->setObjectName(QLatin1String(objectName));
    removeStayOnTopAction(subWindow->systemMenu());
    if (kind == FixedSizeSubWindow) {
        removeMaximizeMenuForFixedSizeView(subWindow->systemMenu());
        subWindow->setWindowFlags((subWindow->windowFlags() & ~(Qt::CustomizeWindowHint | Qt::WindowMaximizeButtonHint))
                                  | Qt::CustomizeWindowHint);
    }
    subWindow->installEventFilter(this);
    subWindow->setWindowIcon(QIcon(QLatin1String(SubWindowIconPath)));
    // A view that names what it holds (an editor's file) keeps its own title.
    subWindow->setWindowTitle(view->windowTitle().isEmpty() ? Utility::removeMenuOfModifierCharacter(title)
                                                             : view->windowTitle());
    return subWindow;
}

bool MainWindow::mayOpenAnother(QList<QPointer<QMdiSubWindow>>& list, const QString& title)
{
    list.removeAll(QPointer<QMdiSubWindow>());
    if (list.size() < ToolWindowQuota::MultiInstanceLimit)
        return true;
    showLimitViewDisplayMessageBox(Utility::removeMenuOfModifierCharacter(title));
    return false;
}

bool MainWindow::activateIfOpen(QMdiSubWindow* subWindow)
{
    if (!subWindow)
        return false;
    m_pMdiArea->setActiveSubWindow(subWindow);
    return true;
}

void MainWindow::centreInMainWindow(QWidget* window)
{
    window->move(width() / 2 - window->width() / 2, height() / 2 - window->height() / 2);
}

QMdiSubWindow* MainWindow::createOpenSourceLicenseView(const QString& title)
{
    if (activateIfOpen(m_pLicenseSubWindow))
        return m_pLicenseSubWindow;
    auto* view = new LicenseInfoView(this);
    QMdiSubWindow* subWindow = m_pMdiArea->addSubWindow(view);
    m_pLicenseSubWindow = subWindow;
    removeStayOnTopAction(subWindow->systemMenu());
    removeMaximizeMenuForFixedSizeView(subWindow->systemMenu());
    subWindow->setWindowFlags((subWindow->windowFlags() & ~(Qt::CustomizeWindowHint | Qt::WindowMaximizeButtonHint))
                              | Qt::CustomizeWindowHint);
    // The text's own size where the area has room, centred and wholly inside
    // the area, so that the title bar and its close button are in sight.
    const QRect area = m_pMdiArea->viewport()->rect();
    QRect rect(QPoint(0, 0), view->size() + (subWindow->size() - view->size()));
    rect.moveCenter(area.center());
    subWindow->setGeometry(fitIntoArea(rect, area));
    subWindow->setAttribute(Qt::WA_DeleteOnClose);
    subWindow->setWindowTitle(title);
    subWindow->show();
    return subWindow;
}

QMdiSubWindow* MainWindow::createAboutView()
{
    if (m_pAboutSubWindow)
        return m_pAboutSubWindow;
    auto* view = new AboutView(this);
    QMdiSubWindow* subWindow = m_pMdiArea->addSubWindow(view, AboutSubWindowFlags);
    m_pAboutSubWindow = subWindow;
    subWindow->setObjectName(QLatin1String(AboutObjectName));
    subWindow->setAttribute(Qt::WA_DeleteOnClose);
    subWindow->setWindowFlags(AboutWindowFlags);
    subWindow->installEventFilter(this);
    subWindow->setFixedSize(view->size());
    centreInMainWindow(subWindow);
    subWindow->show();
    return subWindow;
}

void MainWindow::showLimitViewDisplayMessageBox(const QString& viewName)
{
    if (m_isLimitMessageShowing)
        return;
    m_isLimitMessageShowing = true;
    QMessageBox::warning(this, QString::fromLatin1(ProductName), tr(LimitOfViewDisplayMessage).arg(viewName),
                         QMessageBox::Ok);
    m_isLimitMessageShowing = false;
}

bool MainWindow::removeStayOnTopAction(QMenu* systemMenu)
{
    return removeActionWithText(systemMenu, StayOnTopActionText);
}

bool MainWindow::removeMaximizeMenuForFixedSizeView(QMenu* systemMenu)
{
    return removeActionWithText(systemMenu, MaximizeActionText);
}

void MainWindow::setWindowGeometry(QWidget* window, const QRect& rect)
{
    // A stored size never overrides a fixed size.
    const bool isFixedSize = !(window->windowFlags() & Qt::WindowMaximizeButtonHint)
        && window->size() == window->minimumSize() && window->size() == window->maximumSize();
    const auto place = [window, isFixedSize](const QRect& target) {
        if (isFixedSize)
            window->move(target.topLeft());
        else
            window->setGeometry(target);
    };
    place(rect);
    // A tool window from a file never reaches beyond what a screen can show;
    // fitted as placed, since its own size limits may have changed the rect.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (window != this && screen)
        place(fitIntoArea(window->geometry(), QRect(QPoint(0, 0), screen->availableGeometry().size())));
}

bool MainWindow::isFixedSizeObject(QObject* object)
{
    return !isResizableToolWindow(object);
}

bool MainWindow::isNormalWindowState(QWidget* window)
{
    if (window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return false;
    if (auto* subWindow = qobject_cast<QMdiSubWindow*>(window)) {
        if (QMenu* menu = subWindow->systemMenu()) {
            for (QAction* action : menu->actions()) {
                if (action->text() == QLatin1String(RestoreActionText))
                    return !action->isEnabled();
            }
        }
    }
    return true;
}

QRect MainWindow::getNormalRect(QWidget* window)
{
    if (window == this)
        return normalGeometry();
    return m_normalRectHash.value(window, window->geometry());
}

void MainWindow::normalRectChanged(QWidget* window, const QSize& size)
{
    auto entry = m_normalRectHash.find(window);
    if (entry != m_normalRectHash.end())
        entry->setSize(size);
}

void MainWindow::normalRectChanged(QWidget* window, const QPoint& position)
{
    auto entry = m_normalRectHash.find(window);
    if (entry != m_normalRectHash.end())
        entry->moveTopLeft(position);
}

void MainWindow::closeAllSubWindows()
{
    // Editors in a bulk pause end at once.
    m_pEngine->bulkIntervalManager().setEnabledBulkInterval(false);
    {
        ParameterEditFlagLock lock(m_pModel);
        m_pMdiArea->closeAllSubWindows();
        m_pAboutSubWindow.clear();
        m_pLicenseSubWindow.clear();
        m_toolWindows.clear();
    }
    m_pEngine->analyzer().clearTransmittedDataBuffer();
    m_pEngine->bulkIntervalManager().setEnabledBulkInterval(true);
}

void MainWindow::initializeSubWindows()
{
    closeAllSubWindows();
    for (const auto& initial : {qMakePair(WindowRestorationInfo::WindowIdMidiInMonitor, DefaultInMonitorRect),
                                qMakePair(WindowRestorationInfo::WindowIdMidiOutMonitor, DefaultOutMonitorRect),
                                qMakePair(WindowRestorationInfo::WindowIdSystemExclusive, DefaultSystemExclusiveRect)}) {
        if (QMdiSubWindow* subWindow = openToolWindow(initial.first))
            subWindow->setGeometry(initial.second);
    }
    // The default layout is drawn in frame pixels of one style and font; where
    // the frames, the menu bar or the font need more room, the main window
    // grows until the layout shows whole, within the screen.
    QRect layout;
    for (QMdiSubWindow* subWindow : m_pMdiArea->subWindowList())
        layout |= subWindow->geometry();
    const QSize needed(layout.right() + 1, layout.bottom() + 1);
    const QSize shortfall = (needed - m_pMdiArea->viewport()->size()).expandedTo(QSize(0, 0));
    if (shortfall.width() > 0 || shortfall.height() > 0)
        resize((size() + shortfall).boundedTo(screen()->availableGeometry().size()));
}

bool MainWindow::closeAboutDialog()
{
    if (!m_pAboutSubWindow)
        return false;
    delete m_pAboutSubWindow;
    return true;
}

bool MainWindow::handleSubWindowEvent(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        for (QMdiSubWindow* subWindow : m_pMdiArea->subWindowList()) {
            // Only a window that is maximized is touched: setting any other
            // state again (a minimized one drops its active flag) sends another
            // state change back here, without end.
            if ((isFixedSizeObject(subWindow) || isKeyboardToolWindow(subWindow))
                && (subWindow->windowState() & Qt::WindowMaximized))
                subWindow->setWindowState(subWindow->windowState() & ~Qt::WindowMaximized);
        }
    }
    // The About window is marked by name, not compared with its guarded
    // pointer: events reach this filter while it is being destroyed.
    if (watched->objectName() == QLatin1String(AboutObjectName))
        return false;

    auto* widget = qobject_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::Move:
        if (widget && isNormalWindowState(widget))
            normalRectChanged(widget, widget->pos());
        return false;
    case QEvent::Resize:
        if (widget && isNormalWindowState(widget))
            normalRectChanged(widget, widget->size());
        return false;
    case QEvent::Close:
        if (widget && widget != this)
            m_normalRectHash.remove(widget);
        return false;
    case QEvent::Wheel:
        return true;
    case QEvent::ChildPolished:
        if (isFixedSizeObject(watched)) {
            if (auto* grip = qobject_cast<QSizeGrip*>(static_cast<QChildEvent*>(event)->child()))
                grip->setFixedSize(0, 0);
        }
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        auto* subWindow = qobject_cast<QMdiSubWindow*>(watched);
        if (!subWindow
            || !(isFixedSizeObject(subWindow) || isKeyboardToolWindow(subWindow)))
            return false;
        const QPointF global = static_cast<QMouseEvent*>(event)->globalPos();
        const QPoint position = subWindow->mapFromGlobal(QPoint(qRound(global.x()), qRound(global.y())));
        // The title bar's maximize button does nothing on these windows.
        return maximizeButtonArea(subWindow).contains(position);
    }
    default:
        return false;
    }
}
