#include "app/MainWindow.h"

#include "app/MenuTables.h"
#include "app/MidiStatusLine.h"
#include "app/SettingsKeys.h"
#include "app/ToolWindowTable.h"
#include "engine/MidiEngine.h"
#include "engine/MonitorFeed.h"
#include "model/ParameterEditFlagLock.h"
#include "model/TarvoModel.h"
#include "services/ControlChangeNameList.h"
#include "services/MidiEngineSettings.h"
#include "services/ProductInfo.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QStandardPaths>
#include <QTimer>

namespace {

const int TarvoFontSize = 12;
const char* const IniFileName = "Tarvo.ini";
const char* const EditFlagCharacter = "*";
const char* const UntitledProjectName = "the untitled project";
const char* const UnsavedOnSignalMessage = "Closed by a signal: the changes to %1 were not saved.";
const char* const TitleSeparator = " - ";
const char* const ConfirmationMessage = "Do you want to save changes?";
const char* const EditorConfirmationMessage = "Save changes to %1?";
const char* const DiscardShortcut = "Ctrl+D";
const char* const PortOpenFailedMessage = "Port open failed.";
const char* const PortNotAvailableSuffix = " (not available)";
const char* const ServiceNotAvailableText = "MIDI service not available";
// Qt cuts a menu entry at a tab.
const QChar MenuTextBreak(QLatin1Char('\t'));
const char* const NoOutputPortText = "No output port is chosen (OutputPort menu).";
const char* const OutputPortGoneText = "The output port %1 is not available.";
// How often the MIDI service and the chosen ports are looked after.
const int PortRefreshInterval = 1000;
const int MaxNumberedWindow = 9;

// Qt reads "&" in a menu text as a mnemonic mark.
QString menuText(const QString& name)
{
    QString text = name;
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

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
const QSize MainWindow::DefaultMainWindowSize(679, 548);

MainWindow::MainWindow(QWidget* parent, TarvoModel* model, std::optional<MidiSystem> system)
    : QMainWindow(parent)
    , m_pModel(model)
    , m_pMdiArea(nullptr)
    , m_pMonitorFeed(nullptr)
    , m_pMidiStatusLine(nullptr)
    , m_pOutputPortMenu(nullptr)
    , m_pInputPortMenu(nullptr)
    , m_pInputPortGroup(nullptr)
    , m_pOutputPortGroup(nullptr)
    , m_isRestored(false)
    , m_isOpeningProjectFile(false)
    , m_isClosed(false)
    , m_midiServiceStarted(false)
    , m_isClosingForSignal(false)
    , m_isLimitMessageShowing(false)
    , m_chosenMidiSystem(int(MidiSystem::Automatic))
    , m_isSystemSwitchQueued(false)
{
    m_pInstance = this;
    ParameterEditFlagLock editFlagLock(m_pModel);

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

    // No port is opened here: the settings reopen them by name on the first show.
    const MidiSystem stored = storedMidiSystem();
    makeEngine(system ? *system : stored);

    m_pMidiStatusLine = new MidiStatusLine(this);
    statusBar()->addWidget(m_pMidiStatusLine, 1);
    m_pMidiStatusLine->setSystem(m_pEngine->systemName());

    createFileMenu();
    createPortMenus();
    createViewsMenu();
    createWindowMenu();
    createHelpMenu();

    if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
        showNormal();
    resize(DefaultMainWindowSize);

    m_pModel->registerModelAssistant(this);
}

MainWindow::~MainWindow()
{
    // Threads in a bulk pause go on at once, so that they end without delay.
    m_pEngine->bulkIntervalManager().setEnabledBulkInterval(false);
    // Tool windows go first, closed ones waiting for deletion included, while
    // the monitor feed and the engine that their destructors and threads
    // still use are alive.
    QMdiArea* area = m_pMdiArea;
    m_pMdiArea = nullptr;
    delete area;
    m_pModel->unregisterModelAssistant(this);
    storeSettings();
    dropEngine();
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
        if (index == FileMenuPlayMidiFile || index == FileMenuPreferences || index == FileMenuQuit)
            menu->addSeparator();
        addTableAction(menu, FileMenuTable[index], index);
    }
    connect(menu, &QMenu::triggered, this, &MainWindow::fileMenuSelected);
}

void MainWindow::createPortMenus()
{
    m_pInputPortGroup = new QActionGroup(this);
    m_pOutputPortGroup = new QActionGroup(this);
    auto* refreshTimer = new QTimer(this);
    connect(refreshTimer, &QTimer::timeout, this, &MainWindow::refreshPorts);
    refreshTimer->start(PortRefreshInterval);

    m_pInputPortMenu = addMenuBarMenu(1);
    // A menu opened before the first paint joins the MIDI service itself.
    connect(m_pInputPortMenu, &QMenu::aboutToShow, this, &MainWindow::startMidiService);
    connect(m_pInputPortMenu, &QMenu::aboutToShow, this, &MainWindow::createInputPortMenu);
    connect(m_pInputPortMenu, &QMenu::triggered, this, &MainWindow::inputPortMenuSelected);
    createInputPortMenu();

    m_pOutputPortMenu = addMenuBarMenu(2);
    connect(m_pOutputPortMenu, &QMenu::aboutToShow, this, &MainWindow::startMidiService);
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
    connect(menu, &QMenu::aboutToShow, this, [this, menu]() { listOpenWindows(menu); });
    connect(menu, &QMenu::triggered, this, &MainWindow::windowMenuSelected);
}

void MainWindow::listOpenWindows(QMenu* menu)
{
    const QList<QAction*> listed = menu->actions().mid(WindowMenuCount);
    qDeleteAll(listed);
    const QList<QMdiSubWindow*> subWindows = m_pMdiArea->subWindowList();
    if (!subWindows.isEmpty())
        menu->addSeparator();
    int number = 1;
    for (QMdiSubWindow* subWindow : subWindows) {
        // The first nine are numbered for the keyboard.
        const QString prefix = number <= MaxNumberedWindow ? QStringLiteral("&%1 ").arg(number) : QString();
        QAction* action = menu->addAction(prefix + menuText(subWindow->windowTitle()));
        action->setCheckable(true);
        action->setChecked(subWindow == m_pMdiArea->activeSubWindow());
        const QPointer<QMdiSubWindow> target(subWindow);
        connect(action, &QAction::triggered, this, [this, target]() {
            if (target)
                m_pMdiArea->setActiveSubWindow(target);
        });
        ++number;
    }
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
    case FileMenuPlayMidiFile:
        playMidiFile();
        break;
    case FileMenuPreferences:
        openToolWindow(WindowRestorationInfo::WindowIdPreferences);
        break;
    case FileMenuQuit:
        // Closing the main window asks about an edited project and stores the layout.
        close();
        break;
    default:
        break;
    }
}

void MainWindow::buildPortMenu(QMenu* menu, QActionGroup* group, const QString& currentName,
                               const QList<QString>& names)
{
    menu->clear();
    qDeleteAll(group->actions());
    const QString problem = m_pEngine->serviceProblem();
    if (!problem.isEmpty()) {
        menu->addAction(tr(ServiceNotAvailableText))->setEnabled(false);
        QString why = problem;
        menu->addAction(why.replace(MenuTextBreak, QLatin1Char(' ')))->setEnabled(false);
        menu->addSeparator();
    }
    QAction* noAssign = group->addAction(QString::fromLatin1(NoAssign));
    noAssign->setData(InvalidPortIndex);
    noAssign->setCheckable(true);
    QAction* virtualPort = group->addAction(tr(VirtualPort));
    virtualPort->setData(VirtualPortIndex);
    virtualPort->setCheckable(true);
    for (int index = 0; index < names.size(); ++index) {
        QAction* action = group->addAction(menuText(names.at(index)));
        action->setData(quint32(index));
        action->setCheckable(true);
    }
    if (!setCheckedPortMenu(group, currentName)) {
        if (currentName == QLatin1String(NoAssign)) {
            noAssign->setChecked(true);
        } else {
            // Chosen but gone: it is reconnected when it comes back.
            QAction* gone = group->addAction(menuText(currentName) + tr(PortNotAvailableSuffix));
            gone->setCheckable(true);
            gone->setChecked(true);
            gone->setEnabled(false);
        }
    }
    menu->addActions(group->actions());
}

void MainWindow::paintEvent(QPaintEvent* event)
{
    QMainWindow::paintEvent(event);
    if (!m_midiServiceStarted)
        QTimer::singleShot(0, this, &MainWindow::startMidiService);
}

void MainWindow::startMidiService()
{
    if (m_midiServiceStarted)
        return;
    m_midiServiceStarted = true;
    refreshPorts();
    // Automatic says nothing when nothing answers: the menus and the status
    // bar tell. A system chosen by name that cannot be used is reported.
    if (m_pEngine->system() != MidiSystem::Automatic)
        QTimer::singleShot(0, this, &MainWindow::reportMidiSystemProblem);
}

void MainWindow::createInputPortMenu()
{
    QString currentName;
    MidiInputPort& port = m_pEngine->inputPort();
    port.getCurrentPortName(currentName);
    buildPortMenu(m_pInputPortMenu, m_pInputPortGroup, currentName, port.getInputPortNameList(nullptr));
}

void MainWindow::createOutputPortMenu()
{
    QString currentName;
    MidiOutputPort& port = m_pEngine->outputPort();
    port.getCurrentPortName(currentName);
    buildPortMenu(m_pOutputPortMenu, m_pOutputPortGroup, currentName, port.getOutputPortNameList(nullptr));
}

void MainWindow::refreshPorts()
{
    m_pEngine->refresh();
    showMidiStatus();
}

void MainWindow::showMidiStatus()
{
    m_pMidiStatusLine->setSystem(m_pEngine->systemName());
    m_pMidiStatusLine->setProblems(m_pEngine->problems());
    m_pMidiStatusLine->setNoPortChosen(!m_pEngine->inputPort().isPortChosen() &&
                                       !m_pEngine->outputPort().isPortChosen());
}

bool MainWindow::setCheckedPortMenu(QActionGroup* group, const QString& name)
{
    const QString text = menuText(name);
    for (QAction* action : group->actions()) {
        if (action->text() == text) {
            action->setChecked(true);
            return true;
        }
    }
    return false;
}

void MainWindow::storePortName(const char* key, const QString& name)
{
    QSettings settings(getIniFilePath(), QSettings::IniFormat);
    settings.beginGroup(QLatin1String(PortNameGroup));
    settings.setValue(QLatin1String(key), name);
    settings.endGroup();
}

QString MainWindow::reopenPort(QAction* action, Midi* port, const std::function<MIDI_RESULT(quint32)>& open,
                              const std::function<MIDI_RESULT()>& close)
{
    const quint32 index = action->data().toUInt();
    close();
    QString name = QString::fromLatin1(NoAssign);
    if (index < InvalidPortIndex) {
        if (open(index) == MIDI_RESULT_OK)
            port->getCurrentPortName(name);
        else
            showErrorMessageBox(tr(PortOpenFailedMessage));
    }
    return name;
}

void MainWindow::inputPortMenuSelected(QAction* action)
{
    MidiInputPort* port = &m_pEngine->inputPort();
    storePortName(InputPortNameKey,
                  reopenPort(action, port, [port](quint32 index) { return port->openInputPort(index); },
                             [port]() { return port->closeInputPort(); }));
    showMidiStatus();
}

void MainWindow::outputPortMenuSelected(QAction* action)
{
    MidiOutputPort* port = &m_pEngine->outputPort();
    storePortName(OutputPortNameKey,
                  reopenPort(action, port, [port](quint32 index) { return port->openOutputPort(index); },
                             [port]() { return port->closeOutputPort(); }));
    showMidiStatus();
}

bool MainWindow::transmitMidi(const unsigned char* data, std::size_t size, MidiSendControlIF* control)
{
    return m_pEngine->transmitMidi(data, size, control);
}

ViewContext MainWindow::viewContext()
{
    return ViewContext{m_pModel, m_pEngine.get(), m_pEngine.get(), m_pMonitorFeed, this};
}

QString MainWindow::outputPortProblem()
{
    switch (m_pEngine->outputProblem()) {
    case MidiEngine::OutputProblem::NoPortChosen:
        return tr(NoOutputPortText);
    case MidiEngine::OutputProblem::ServiceUnavailable:
        return tr(ServiceNotAvailableText);
    case MidiEngine::OutputProblem::PortGone:
        break;
    }
    QString name;
    m_pEngine->outputPort().getCurrentPortName(name);
    return tr(OutputPortGoneText).arg(name);
}

void MainWindow::viewsMenuSelected(QAction* action)
{
    // The Control Change submenu's triggered() reaches this menu as well.
    if (!m_viewsMenuActionList.contains(action))
        return;
    closeAboutDialog();
    const int index = action->data().toInt();
    if (const ToolWindowKind* kind = findToolWindowKindOfMenuItem(&ViewsMenuTable[index]))
        openToolWindow(static_cast<WindowRestorationInfo::WindowId>(kind->windowId));
}

void MainWindow::controlChangeMenuSelected(QAction* action)
{
    closeAboutDialog();
    openToolWindow(WindowRestorationInfo::WindowIdControlChange, {action->data().toInt()});
}

void MainWindow::windowMenuSelected(QAction* action)
{
    // The listed windows carry no command.
    if (!action->data().isValid())
        return;
    closeAboutDialog();
    switch (action->data().toInt()) {
    case WindowMenuCloseAll:
        closeAllCommand();
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
    if (action->data().toInt() == HelpMenuOpenSourceLicense) {
        closeAboutDialog();
        createOpenSourceLicenseView(tr(HelpMenuTable[HelpMenuOpenSourceLicense].label));
    } else {
        createAboutView();
    }
}

int MainWindow::showConfirmationMessageBox(const QString& text)
{
    closeAboutDialog();
    QMessageBox box(this);
    box.setIcon(QMessageBox::Question);
    box.setWindowTitle(QString::fromLatin1(ProductName));
    box.setText(text.isEmpty() ? tr(ConfirmationMessage) : text);
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
    // Each editor kept in a file of its own is asked about by name, before
    // the project that holds them all.
    for (MidiEditView* editor : unsavedEditors()) {
        switch (showConfirmationMessageBox(tr(EditorConfirmationMessage).arg(editor->documentName()))) {
        case QMessageBox::Yes:
            if (!editor->saveDocument())
                return false;
            break;
        case QMessageBox::No:
            break;
        default:
            return false;
        }
    }
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
    if (id == MidiSystemId) {
        const int chosen = m_pModel->getModelIntValue(MidiSystemId);
        if (chosen == m_chosenMidiSystem)
            return;
        m_chosenMidiSystem = chosen;
        // Not while the combo box that changed it is still handling its signal.
        if (!m_isSystemSwitchQueued)
            QTimer::singleShot(0, this, &MainWindow::switchMidiSystem);
        m_isSystemSwitchQueued = true;
        return;
    }
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
    // Marked first: restoring the stay-on-top flag shows the window again,
    // which must not restore the layout a second time.
    if (!m_isRestored) {
        m_isRestored = true;
        restoreRegistory();
        // Drags are delivered to the area's viewport, not to the area.
        m_pMdiArea->viewport()->installEventFilter(this);
        m_pMdiArea->installEventFilter(this);
    }
    QMainWindow::showEvent(event);
}

void MainWindow::closeForSignal()
{
    m_isClosingForSignal = true;
    close();
    // Also ends a dialog's loop that may be running.
    QCoreApplication::quit();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_isClosingForSignal) {
        // Nobody is there to answer the save question: say what is left unsaved.
        for (MidiEditView* editor : unsavedEditors())
            fprintf(stderr, "%s\n", qPrintable(tr(UnsavedOnSignalMessage).arg(editor->documentPath())));
        if (m_pModel->getParameterEditFlag() == ParameterEdited) {
            const QString name = m_pModel->m_projectFilePath.isEmpty() ? QLatin1String(UntitledProjectName)
                                                                       : m_pModel->m_projectFilePath;
            fprintf(stderr, "%s\n", qPrintable(tr(UnsavedOnSignalMessage).arg(name)));
        }
    } else if (!confirmDiscardOrSave()) {
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

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_pMdiArea)
        return false;
    if (watched == m_pMdiArea->viewport() && handleDropEvent(event))
        return true;
    return handleSubWindowEvent(watched, event);
}


