#include "app/MainWindow.h"

#include "app/MenuTables.h"
#include "app/ProductInfo.h"
#include "model/TarvoModel.h"
#include "views/ControlChangeNameList.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

namespace {

const QSize DefaultMainWindowSize(679, 548);
const int TarvoFontSize = 12;
const char* const IniFileName = "Tarvo.ini";
const char* const EditFlagCharacter = "*";
const char* const TitleSeparator = " - ";
const char* const ConfirmationMessage = "Do you want to save changes?";
const char* const DiscardShortcut = "Ctrl+D";

QAction* addTableAction(QMenu* menu, const MenuItem& item, int index)
{
    QAction* action = menu->addAction(QObject::tr(item.label));
    if (item.shortcut)
        action->setShortcut(QKeySequence(QObject::tr(item.shortcut)));
    action->setData(index);
    return action;
}

} // namespace

MainWindow* MainWindow::m_pInstance = nullptr;

MainWindow::MainWindow(QWidget* parent, TarvoModel* model)
    : QMainWindow(parent)
    , m_pModel(model)
    , m_pMdiArea(nullptr)
    , m_timerId(0)
    , m_pOutputPortMenu(nullptr)
    , m_pInputPortMenu(nullptr)
    , m_isRestored(false)
    , m_isOpeningProjectFile(false)
    , m_isClosed(false)
    , m_isLimitMessageShowing(false)
{
    m_pInstance = this;
    m_pModel->lockParameterEditFlag();

    setWindowTitle(QString::fromLatin1(ProductName));

    QFont applicationFont = font();
    applicationFont.setPixelSize(TarvoFontSize);
    QApplication::setFont(applicationFont);

    const QString iniFilePath = getIniFilePath();
    if (!iniFilePath.isEmpty()) {
        const QDir iniDirectory = QFileInfo(iniFilePath).absoluteDir();
        if (!iniDirectory.exists())
            QDir().mkpath(iniDirectory.absolutePath());
    }

    m_pMdiArea = new QMdiArea(this);
    m_pMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_pMdiArea);
    m_pMdiArea->setAcceptDrops(true);

    createFileMenu();
    createPortMenus();
    createViewsMenu();
    createWindowMenu();
    createHelpMenu();

    if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
        showNormal();
    resize(DefaultMainWindowSize);

    m_pModel->registerModelAssistant(this);
    m_pModel->unlockParameterEditFlag();
}

MainWindow::~MainWindow()
{
    m_pModel->unregisterModelAssistant(this);
}

QString MainWindow::getIniFilePath()
{
    const QStringList locations = QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation);
    if (locations.isEmpty())
        return QString();
    return locations.first() + QLatin1Char('/') + QLatin1String(IniFileName);
}

QList<QMdiSubWindow*> MainWindow::getSubWindowList() const
{
    return m_pMdiArea->subWindowList(QMdiArea::ActivationHistoryOrder);
}

QMenu* MainWindow::addMenuBarMenu(int menuBarIndex)
{
    return menuBar()->addMenu(tr(MenuBarMenuTable[menuBarIndex]));
}

void MainWindow::createFileMenu()
{
    QMenu* menu = addMenuBarMenu(0);
    for (int index = 0; index < FileMenuCount; ++index) {
        if (index == FileMenuPreferences)
            menu->addSeparator();
        addTableAction(menu, FileMenuTable[index], index);
    }
    connect(menu, &QMenu::triggered, this, &MainWindow::fileMenuSelected);
}

void MainWindow::createPortMenus()
{
    m_pInputPortMenu = addMenuBarMenu(1);
    connect(m_pInputPortMenu, &QMenu::aboutToShow, this, &MainWindow::createInputPortMenu);
    connect(m_pInputPortMenu, &QMenu::triggered, this, &MainWindow::inputPortMenuSelected);
    createInputPortMenu();

    m_pOutputPortMenu = addMenuBarMenu(2);
    connect(m_pOutputPortMenu, &QMenu::aboutToShow, this, &MainWindow::createOutputPortMenu);
    connect(m_pOutputPortMenu, &QMenu::triggered, this, &MainWindow::outputPortMenuSelected);
    createOutputPortMenu();
}

void MainWindow::createViewsMenu()
{
    QMenu* menu = addMenuBarMenu(3);
    for (int index = 0; index < ViewsMenuCount; ++index) {
        if (index == ViewsMenuControlChange) {
            QMenu* controlChangeMenu = menu->addMenu(tr(ViewsMenuTable[index].label));
            for (int controller = 0; controller < ControlChangeCount; ++controller) {
                QAction* action = controlChangeMenu->addAction(QString::fromUtf8(ControlChangeNameList[controller]));
                action->setData(controller);
            }
            connect(controlChangeMenu, &QMenu::triggered, this, &MainWindow::controlChangeMenuSelected);
            QAction* submenuAction = controlChangeMenu->menuAction();
            submenuAction->setData(index);
            m_viewsMenuActionList.append(submenuAction);
            continue;
        }
        m_viewsMenuActionList.append(addTableAction(menu, ViewsMenuTable[index], index));
    }
    connect(menu, &QMenu::triggered, this, &MainWindow::viewsMenuSelected);
}

void MainWindow::createWindowMenu()
{
    QMenu* menu = addMenuBarMenu(4);
    for (int index = 0; index < WindowMenuCount; ++index)
        addTableAction(menu, WindowMenuTable[index], index)->setCheckable(false);
    connect(menu, &QMenu::triggered, this, &MainWindow::windowMenuSelected);
}

void MainWindow::createHelpMenu()
{
    QMenu* menu = addMenuBarMenu(5);
    for (int index = 0; index < HelpMenuCount; ++index)
        addTableAction(menu, HelpMenuTable[index], index)->setCheckable(false);
    connect(menu, &QMenu::triggered, this, &MainWindow::helpMenuSelected);
}

void MainWindow::fileMenuSelected(QAction* action)
{
    closeAboutDialog();
    switch (action->data().toInt()) {
    case FileMenuNew:
        newFile();
        break;
    case FileMenuOpen:
        openFile(QString());
        break;
    case FileMenuSave:
        saveFile();
        break;
    case FileMenuSaveAs:
        saveAsFile();
        break;
    default:
        break;
    }
}

void MainWindow::inputPortMenuSelected(QAction*)
{
}

void MainWindow::outputPortMenuSelected(QAction*)
{
}

void MainWindow::createInputPortMenu()
{
}

void MainWindow::createOutputPortMenu()
{
}

void MainWindow::viewsMenuSelected(QAction* action)
{
    // The Control Change submenu's triggered() reaches this menu as well.
    if (!m_viewsMenuActionList.contains(action))
        return;
    closeAboutDialog();
}

void MainWindow::controlChangeMenuSelected(QAction*)
{
    closeAboutDialog();
}

void MainWindow::windowMenuSelected(QAction* action)
{
    closeAboutDialog();
    switch (action->data().toInt()) {
    case WindowMenuCloseAll:
        if (confirmDiscardOrSave()) {
            closeAllSubWindows();
            m_pModel->setParameterEditFlag(ParameterNotEdited);
        }
        break;
    case WindowMenuCascade:
        setUpdatesEnabled(false);
        m_pMdiArea->cascadeSubWindows();
        setUpdatesEnabled(true);
        break;
    case WindowMenuTile:
        setUpdatesEnabled(false);
        m_pMdiArea->tileSubWindows();
        setUpdatesEnabled(true);
        break;
    default:
        break;
    }
}

void MainWindow::helpMenuSelected(QAction* action)
{
    if (action->data().toInt() == HelpMenuOpenSourceLicense)
        closeAboutDialog();
}

int MainWindow::showConfirmationMessageBox()
{
    closeAboutDialog();
    QMessageBox box(this);
    box.setIcon(QMessageBox::Question);
    box.setWindowTitle(QString::fromLatin1(ProductName));
    box.setText(tr(ConfirmationMessage));
    QPushButton* yes = box.addButton(QMessageBox::Yes);
    QPushButton* no = box.addButton(QMessageBox::No);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(yes);
    no->setShortcut(QKeySequence(tr(DiscardShortcut)));
    box.exec();
    return box.standardButton(box.clickedButton());
}

void MainWindow::showErrorMessageBox(const QString& text)
{
    closeAboutDialog();
    QMessageBox::critical(this, QString::fromLatin1(ProductName), text, QMessageBox::Ok);
}

bool MainWindow::confirmDiscardOrSave()
{
    if (m_pModel->getParameterEditFlag() != ParameterEdited)
        return true;
    switch (showConfirmationMessageBox()) {
    case QMessageBox::Yes:
        return saveFile();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void MainWindow::updateParameter(unsigned int id)
{
    if (id != ParameterEditFlagId)
        return;
    const QString fileName = QFileInfo(m_pModel->m_projectFilePath).fileName();
    QString title = fileName;
    if (m_pModel->getParameterEditFlag() == ParameterEdited)
        title += QLatin1String(EditFlagCharacter);
    if (!fileName.isEmpty())
        title += QLatin1String(TitleSeparator);
    title += QLatin1String(ProductName);
    setWindowTitle(title);
}

void MainWindow::showEvent(QShowEvent* event)
{
    if (!m_isRestored) {
        restoreRegistory();
        m_isRestored = true;
        m_pMdiArea->installEventFilter(this);
    }
    QMainWindow::showEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!confirmDiscardOrSave()) {
        event->ignore();
        return;
    }
    m_pModel->setParameterEditFlag(ParameterNotEdited);
    if (!m_isClosed) {
        storeWindowPosition();
        closeAllSubWindows();
    }
    QWidget::closeEvent(event);
    if (event->isAccepted())
        m_isClosed = true;
}

void MainWindow::timerEvent(QTimerEvent* event)
{
    QMainWindow::timerEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::closeAboutDialog()
{
    return false;
}

bool MainWindow::openFile(const QString&)
{
    return false;
}

bool MainWindow::newFile()
{
    return false;
}

bool MainWindow::saveFile()
{
    return false;
}

bool MainWindow::saveAsFile()
{
    return false;
}

void MainWindow::closeAllSubWindows()
{
    m_pModel->lockParameterEditFlag();
    m_pMdiArea->closeAllSubWindows();
    m_pModel->unlockParameterEditFlag();
}

void MainWindow::storeWindowPosition()
{
}

void MainWindow::restoreRegistory()
{
}
