// The main window's tool windows: creation by kind or stored id, their limits,
// sizes and title-bar controls, and the normal geometry kept for saving.

#include "app/MainWindow.h"

#include "app/MenuTables.h"
#include "app/ProductInfo.h"
#include "app/ToolWindowQuota.h"
#include "app/WindowPlacement.h"
#include "model/TarvoModel.h"
#include "project/Utility.h"
#include "services/MidiAnalyzer.h"
#include "services/MidiBulkIntervalManager.h"
#include "views/AboutView.h"
#include "views/LicenseInfoView.h"
#include "views/MidiControlChangeView.h"
#include "views/MidiFilterView.h"
#include "views/MidiKeyboardView.h"
#include "views/MidiProgramChangeView.h"
#include "views/MidiSettingsView.h"
#include "views/MidiTimingClockGeneratorView.h"
#include "views/PreferencesView.h"

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

const int KeyboardViewWidth = 1875;
const int KeyboardViewMinimumWidth = 350;
const int KeyboardWidthMargin = 5;
const QSize ControlChangeViewSize(225, 250);
const QSize TimingClockViewSize(220, 250);
const int ProgramChangeViewWidth = 210;
const int NarrowFixedViewWidth = 200;
const QRect DefaultInMonitorRect(0, 0, 338, 274);
const QRect DefaultOutMonitorRect(338, 0, 338, 274);
const QRect DefaultSystemExclusiveRect(0, 274, 338, 274);
const Qt::WindowFlags AboutSubWindowFlags(0x0A003000);
const Qt::WindowFlags AboutWindowFlags(Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint);

const char* const SubWindowIconPath = ":/images/subwindow_icon.png";
const char* const MidiEditViewObjectName = "MidiEditViewSubWindow";
const char* const KeyboardObjectName = "KeyboardSubWindow";
const char* const ControlChangeObjectName = "ControlChangeViewSubWindow";
const char* const TimingClockObjectName = "TimingClockViewSubWindow";
const char* const AboutObjectName = "AboutSubWindow";
const char* const StayOnTopActionText = "Stay on &Top";
const char* const MaximizeActionText = "Ma&ximize";
const char* const RestoreActionText = "&Restore";
const char* const LimitOfViewDisplayMessage =
    "Unable to open a new %1 View.\nPlease close any opened %1 View before trying again.";

QString viewsMenuLabel(int index)
{
    return QObject::tr(ViewsMenuTable[index].label);
}

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
    QMdiSubWindow* subWindow = nullptr;
    switch (id) {
    case WindowRestorationInfo::WindowIdMidiInMonitor:
        subWindow = createMidiEditView(viewsMenuLabel(ViewsMenuMidiInMonitor), MidiEditView::MidiInMonitor,
                                       QSize(-1, -1), QString());
        if (subWindow)
            m_pInMonitorSubWindow = subWindow;
        break;
    case WindowRestorationInfo::WindowIdMidiOutMonitor:
        subWindow = createMidiEditView(viewsMenuLabel(ViewsMenuMidiOutMonitor), MidiEditView::MidiOutMonitor,
                                       QSize(-1, -1), QString());
        if (subWindow)
            m_pOutMonitorSubWindow = subWindow;
        break;
    case WindowRestorationInfo::WindowIdSystemExclusive:
        subWindow = createMidiEditView(viewsMenuLabel(ViewsMenuSystemExclusive), MidiEditView::SystemExclusive,
                                       QSize(-1, -1), QString());
        break;
    case WindowRestorationInfo::WindowIdKeyboard:
        subWindow = createMidiKeyboardView(viewsMenuLabel(ViewsMenuKeyboard));
        break;
    case WindowRestorationInfo::WindowIdControlChange: {
        const unsigned char controller = values.isEmpty() ? 0 : static_cast<unsigned char>(values.first().toUInt());
        subWindow = createMidiControlChangeView(viewsMenuLabel(ViewsMenuControlChange), controller);
        break;
    }
    case WindowRestorationInfo::WindowIdProgramChange:
        subWindow = createMidiProgramChangeView(viewsMenuLabel(ViewsMenuProgramChange));
        break;
    case WindowRestorationInfo::WindowIdMidiSettings:
        subWindow = createMidiSettingsView(viewsMenuLabel(ViewsMenuMidiSettings));
        break;
    case WindowRestorationInfo::WindowIdFilter:
        subWindow = createMidiFilterView(viewsMenuLabel(ViewsMenuFilter));
        break;
    case WindowRestorationInfo::WindowIdTimingClock:
        subWindow = createMidiTimingClockGeneratorView(viewsMenuLabel(ViewsMenuTimingClock));
        if (subWindow)
            m_pTimingClockSubWindow = subWindow;
        break;
    default:
        return nullptr;
    }
    if (!subWindow)
        return nullptr;
    setWindowGeometry(subWindow, rect);
    if (isStayOnTop)
        subWindow->setWindowFlags(subWindow->windowFlags() | Qt::WindowStaysOnTopHint);
    subWindow->setWindowState(subWindow->windowState() | state);
    return subWindow;
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
    subWindow->setWindowTitle(Utility::removeMenuOfModifierCharacter(title));
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

QMdiSubWindow* MainWindow::createMidiEditView(const QString& title, MidiEditView::OpenMode mode, const QSize& size,
                                              const QString& text)
{
    if (!mayOpenAnother(m_systemExclusiveSubWindowList, title))
        return nullptr;
    auto* view = new MidiEditView(nullptr, m_pModel, mode, text);
    QMdiSubWindow* subWindow = addToolSubWindow(view, MidiEditViewObjectName, ResizableSubWindow, title);
    if (mode == MidiEditView::SystemExclusive || mode == MidiEditView::SystemExclusiveReceive)
        m_systemExclusiveSubWindowList.append(subWindow);
    if (size.width() >= 1 && size.height() >= 1) {
        subWindow->adjustSize();
        view->adjustSize();
        subWindow->resize(size + (subWindow->size() - view->size()));
    }
    showRecorded(m_normalRectHash, subWindow);
    return subWindow;
}

QMdiSubWindow* MainWindow::createMidiControlChangeView(const QString& title, unsigned char controller)
{
    if (!mayOpenAnother(m_controlChangeSubWindowList, title))
        return nullptr;
    auto* view = new MidiControlChangeView(nullptr, controller, m_pModel);
    QMdiSubWindow* subWindow = addToolSubWindow(view, ControlChangeObjectName, ResizableSubWindow, title);
    m_controlChangeSubWindowList.append(subWindow);
    subWindow->setGeometry(QRect(subWindow->pos(), ControlChangeViewSize));
    showRecorded(m_normalRectHash, subWindow);
    return subWindow;
}

QMdiSubWindow* MainWindow::createMidiKeyboardView(const QString& title)
{
    if (!mayOpenAnother(m_keyboardSubWindowList, title))
        return nullptr;
    auto* view = new MidiKeyboardView(this, m_pModel);
    QMdiSubWindow* subWindow = addToolSubWindow(view, KeyboardObjectName, FixedSizeSubWindow, title);
    m_keyboardSubWindowList.append(subWindow);
    subWindow->setFixedHeight(subWindow->height());
    subWindow->setMinimumWidth(KeyboardViewMinimumWidth);
    subWindow->setMaximumWidth(KeyboardViewWidth + KeyboardWidthMargin);
    showRecorded(m_normalRectHash, subWindow);
    return subWindow;
}

QMdiSubWindow* MainWindow::createMidiProgramChangeView(const QString& title)
{
    if (!mayOpenAnother(m_programChangeSubWindowList, title))
        return nullptr;
    auto* view = new MidiProgramChangeView(this, m_pModel);
    QMdiSubWindow* subWindow = addToolSubWindow(view, nullptr, FixedSizeSubWindow, title);
    m_programChangeSubWindowList.append(subWindow);
    subWindow->setFixedSize(ProgramChangeViewWidth, subWindow->height());
    showRecorded(m_normalRectHash, subWindow);
    return subWindow;
}

QMdiSubWindow* MainWindow::createMidiTimingClockGeneratorView(const QString& title)
{
    auto* view = new MidiTimingClockGeneratorView(this, m_pModel);
    QMdiSubWindow* subWindow = addToolSubWindow(view, TimingClockObjectName, ResizableSubWindow, title);
    subWindow->setGeometry(QRect(subWindow->pos(), TimingClockViewSize));
    showRecorded(m_normalRectHash, subWindow);
    return subWindow;
}

QMdiSubWindow* MainWindow::createMidiFilterView(const QString& title)
{
    if (activateIfOpen(m_pFilterSubWindow))
        return m_pFilterSubWindow;
    auto* view = new MidiFilterView(this, m_pModel);
    QMdiSubWindow* subWindow = addToolSubWindow(view, nullptr, FixedSizeSubWindow, title);
    m_pFilterSubWindow = subWindow;
    subWindow->setFixedSize(subWindow->size());
    showRecorded(m_normalRectHash, subWindow);
    return subWindow;
}

QMdiSubWindow* MainWindow::createMidiSettingsView(const QString& title)
{
    if (activateIfOpen(m_pMidiSettingsSubWindow))
        return m_pMidiSettingsSubWindow;
    auto* view = new MidiSettingsView(this, m_pModel);
    QMdiSubWindow* subWindow = addToolSubWindow(view, nullptr, FixedSizeSubWindow, title);
    m_pMidiSettingsSubWindow = subWindow;
    // As wide as its longest label needs.
    subWindow->setFixedSize(qMax(NarrowFixedViewWidth, subWindow->sizeHint().width()), subWindow->height());
    showRecorded(m_normalRectHash, subWindow);
    return subWindow;
}

QMdiSubWindow* MainWindow::createPreferencesView(const QString& title)
{
    if (activateIfOpen(m_pPreferencesSubWindow))
        return m_pPreferencesSubWindow;
    auto* view = new PreferencesView(this, m_pModel);
    QMdiSubWindow* subWindow = addToolSubWindow(view, nullptr, FixedSizeSubWindow, title);
    m_pPreferencesSubWindow = subWindow;
    subWindow->setFixedSize(qMax(NarrowFixedViewWidth, subWindow->sizeHint().width()), subWindow->height());
    showRecorded(m_normalRectHash, subWindow);
    return subWindow;
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
    subWindow->resize(view->size());
    centreInMainWindow(subWindow);
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
    const QString name = object->objectName();
    return name != QLatin1String(MidiEditViewObjectName) && name != QLatin1String(KeyboardObjectName)
        && name != QLatin1String(ControlChangeObjectName) && name != QLatin1String(TimingClockObjectName);
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
    m_pBulkIntervalManager->setEnabledBulkInterval(false);
    m_pModel->lockParameterEditFlag();
    m_pMdiArea->closeAllSubWindows();
    for (QPointer<QMdiSubWindow>* single :
         {&m_pInMonitorSubWindow, &m_pOutMonitorSubWindow, &m_pAboutSubWindow, &m_pFilterSubWindow,
          &m_pMidiSettingsSubWindow, &m_pLicenseSubWindow, &m_pTimingClockSubWindow, &m_pPreferencesSubWindow})
        single->clear();
    m_systemExclusiveSubWindowList.clear();
    m_controlChangeSubWindowList.clear();
    m_keyboardSubWindowList.clear();
    m_programChangeSubWindowList.clear();
    m_pModel->unlockParameterEditFlag();
    m_pMidiAnalyzer->clearTransmittedDataBuffer();
    m_pBulkIntervalManager->setEnabledBulkInterval(true);
}

void MainWindow::initializeSubWindows()
{
    closeAllSubWindows();
    m_pInMonitorSubWindow = createMidiEditView(viewsMenuLabel(ViewsMenuMidiInMonitor), MidiEditView::MidiInMonitor,
                                               QSize(-1, -1), QString());
    if (m_pInMonitorSubWindow)
        m_pInMonitorSubWindow->setGeometry(DefaultInMonitorRect);
    m_pOutMonitorSubWindow = createMidiEditView(viewsMenuLabel(ViewsMenuMidiOutMonitor),
                                                MidiEditView::MidiOutMonitor, QSize(-1, -1), QString());
    if (m_pOutMonitorSubWindow)
        m_pOutMonitorSubWindow->setGeometry(DefaultOutMonitorRect);
    QMdiSubWindow* editor = createMidiEditView(viewsMenuLabel(ViewsMenuSystemExclusive), MidiEditView::SystemExclusive,
                                               QSize(-1, -1), QString());
    if (editor)
        editor->setGeometry(DefaultSystemExclusiveRect);
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
            if ((isFixedSizeObject(subWindow) || subWindow->objectName() == QLatin1String(KeyboardObjectName))
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
            || !(isFixedSizeObject(subWindow) || subWindow->objectName() == QLatin1String(KeyboardObjectName)))
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
