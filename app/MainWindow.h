#pragma once

#include "midi/MidiResult.h"
#include "midi/platform/MidiSystem.h"
#include "model/ModelAssistant.h"
#include "project/ProjectFileHelper.h"
#include "project/WindowRestorationInfo.h"
#include "views/MidiEditView.h"
#include "views/ToolWindowHostIF.h"
#include "views/ViewContext.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>
#include <QRect>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class Midi;
class MidiEngine;
class MidiEngineSettings;
class MidiSendControlIF;
class MidiStatusLine;
class MonitorFeed;
struct ToolWindowKind;
class QAction;
class QActionGroup;
class QMdiArea;
class QSettings;
class QMenu;
class TarvoModel;

// The one main window: menus, port choice, the tool windows, settings and
// projects. It makes the MIDI engine and hands its views what they need of
// it (ViewContext); nothing below it reaches it.
class MainWindow : public QMainWindow, public ModelAssistant, public ToolWindowHostIF
{
    Q_OBJECT

public:
    static MainWindow* m_pInstance;
    static const QSize DefaultMainWindowSize;

    // system, when given, is spoken instead of the stored choice until the
    // user chooses another in the MIDI Settings window.
    MainWindow(QWidget* parent, TarvoModel* model, std::optional<MidiSystem> system = std::nullopt);
    ~MainWindow() override;

    QString getIniFilePath();
    QList<QMdiSubWindow*> getSubWindowList() const;
    // The save question: the project's when text is empty.
    int showConfirmationMessageBox(const QString& text = QString());
    void showErrorMessageBox(const QString& text);
    // "File save failed." with the system's reason, when there is one.
    void showSaveFailedMessageBox(const QString& reason) override;
    // "File open failed." with the system's reason, when there is one.
    void showOpenFailedMessageBox(const QString& reason) override;
    bool closeAboutDialog();
    bool openFile(const QString& path);
    // A .syx or .txt message file in a new editor.
    bool openDumpFile(const QString& path);
    // Closes as the user would, without the save question: a signal asked.
    void closeForSignal();
    // True while a project file is being read.
    bool isOpeningProjectFile() const override { return m_isOpeningProjectFile; }

    // The documented way to send MIDI, from any thread: the engine's output
    // path (see MidiEngine::transmitMidi).
    bool transmitMidi(const unsigned char* data, std::size_t size, MidiSendControlIF* control = nullptr);
    MidiEngine& engine() { return *m_pEngine; }
    // What every tool view is made with.
    ViewContext viewContext();
    bool setCheckedPortMenu(QActionGroup* group, const QString& name);
    // Why a send can fail now, for a failure message.
    QString outputPortProblem() override;

    // Tool windows.
    QMdiSubWindow* createSubWindowByWindowId(WindowRestorationInfo::WindowId id, bool isStayOnTop, const QRect& rect,
                                             Qt::WindowStates state, const QList<QVariant>& values);
    // A window of the kind stored under id, with the values it is stored
    // with; an open one of a single kind is activated instead. Null when no
    // more may open.
    QMdiSubWindow* openToolWindow(WindowRestorationInfo::WindowId id, const QList<QVariant>& values = {});
    // A message editor of mode holding text, its view of size when valid.
    QMdiSubWindow* openMessageEditorWindow(MidiEditView::OpenMode mode, const QSize& size, const QString& text);
    bool openMessageEditor(MidiEditView::OpenMode mode, const QSize& size, const QString& text) override;
    QMdiSubWindow* createOpenSourceLicenseView(const QString& title);
    QMdiSubWindow* createAboutView();
    void showLimitViewDisplayMessageBox(const QString& viewName);
    bool removeStayOnTopAction(QMenu* systemMenu);
    bool removeMaximizeMenuForFixedSizeView(QMenu* systemMenu);
    void setWindowGeometry(QWidget* window, const QRect& rect);
    bool isFixedSizeObject(QObject* object);
    bool isNormalWindowState(QWidget* window);
    QRect getNormalRect(QWidget* window);
    void normalRectChanged(QWidget* window, const QSize& size);
    void normalRectChanged(QWidget* window, const QPoint& position);
    void closeAllSubWindows();
    // Replaces every tool window and the main window's placement with those
    // of a project that was parsed whole.
    void applyProjectDescription(const ProjectFileHelper::ProjectDescription& description);
    // The main window and its stored tool windows; false when a view
    // refuses to write its content.
    bool describeProject(ProjectFileHelper::ProjectDescription& description);
    void initializeSubWindows();

    // Moves a saved main window rectangle back onto a screen when needed.
    QRect getMainWindowRestorationRect(const QRect& rect);
    // Keeps the main window above others, shown if it was.
    void setStayOnTop();

    void updateParameter(unsigned int id) override;

public slots:
    void fileMenuSelected(QAction* action);
    void inputPortMenuSelected(QAction* action);
    void outputPortMenuSelected(QAction* action);
    void viewsMenuSelected(QAction* action);
    void controlChangeMenuSelected(QAction* action);
    void windowMenuSelected(QAction* action);
    void helpMenuSelected(QAction* action);
    void createInputPortMenu();
    void createOutputPortMenu();
    // About once a second: brings back the MIDI service and the chosen ports.
    void refreshPorts();
    // The status bar's system, problems and the hint while no port is chosen.
    void showMidiStatus();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // The MIDI service is joined after the first paint, so that a slow or
    // absent one never holds up the window.
    void paintEvent(QPaintEvent* event) override;
    void startMidiService();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createFileMenu();
    void createPortMenus();
    void createViewsMenu();
    void createWindowMenu();
    // The Window menu's entries for the open windows, made as it opens.
    void listOpenWindows(QMenu* menu);
    void createHelpMenu();
    QMenu* addMenuBarMenu(int menuBarIndex);

    // Asks whether to save each editor's changed file, then an edited
    // project; false when the caller must abandon what it was about to do.
    bool confirmDiscardOrSave();
    // The editors with a file of their own whose text differs from it.
    QList<MidiEditView*> unsavedEditors() const;

    // Project commands.
    bool newFile();
    bool saveFile();
    bool saveAsFile();
    // Opens the MIDI File Player and its file chooser.
    void playMidiFile();
    bool openProjectFile(const QString& path);
    bool saveProjectFile(const QString& path);
    void closeAllCommand();
    // The project now is the file at path, unedited.
    void setProjectFile(const QString& path);
    void resetToUntitled();
    // Drag and drop of message text and project files on the tool window area.
    bool handleDropEvent(QEvent* event);

    // What every create...View does once its view exists: add it to the area
    // with the system menu edits, the event filter and the title.
    enum SubWindowKind { ResizableSubWindow, FixedSizeSubWindow };
    QMdiSubWindow* addToolSubWindow(QWidget* view, const char* objectName, SubWindowKind kind,
                                    const QString& title);
    QMdiSubWindow* createToolWindow(const ToolWindowKind& kind, const QList<QVariant>& values);
    // Adds a new window of kind around view, its view of viewSize when valid.
    QMdiSubWindow* addToolWindow(const ToolWindowKind& kind, QWidget* view, const QSize& viewSize);
    // Counts the live windows of a multi-instance kind, pruning closed ones;
    // shows the limit message and gives false when no more may open.
    bool mayOpenAnother(QList<QPointer<QMdiSubWindow>>& list, const QString& title);
    // Activates an open single-instance window; false when there is none.
    bool activateIfOpen(QMdiSubWindow* subWindow);
    void centreInMainWindow(QWidget* window);
    bool handleSubWindowEvent(QObject* watched, QEvent* event);

    // The MIDI engine with what hangs on it: its settings and the monitors' feed.
    void makeEngine(MidiSystem system);
    void dropEngine();
    // Replaces the engine with one of the system chosen in the MIDI Settings
    // window: the tool windows that use it close and come back with their
    // content, and the chosen ports reopen by name.
    void switchMidiSystem();
    // Says why the MIDI system asked for cannot be used; false when it can.
    bool reportMidiSystemProblem();

    // Settings.
    // The stored MIDI system, read before the window restores the rest.
    MidiSystem storedMidiSystem();
    void restoreRegistory();
    void restoreWindowLayout(QSettings& settings);
    void storeWindowPosition();
    void writeMainWindowInfoToRegistry(QSettings& settings);
    void writeSubWindowInfoToRegistry(QSettings& settings);
    // Everything but the layout and the port names, written as the window goes.
    void storeSettings();

    // Rebuilds a port menu in its action group from the endpoints present now;
    // a chosen port that is not among them is shown checked and marked.
    void buildPortMenu(QMenu* menu, QActionGroup* group, const QString& currentName, const QList<QString>& names);
    void storePortName(const char* key, const QString& name);
    // Closes a port and opens the menu entry's endpoint on it; the name to
    // store, "No Assign" when none was opened.
    QString reopenPort(QAction* action, Midi* port, const std::function<MIDI_RESULT(quint32)>& open,
                       const std::function<MIDI_RESULT()>& close);

    TarvoModel* m_pModel;
    QMdiArea* m_pMdiArea;
    std::unique_ptr<MidiEngine> m_pEngine;
    std::unique_ptr<MidiEngineSettings> m_pEngineSettings;
    MonitorFeed* m_pMonitorFeed;
    MidiStatusLine* m_pMidiStatusLine;
    QMenu* m_pOutputPortMenu;
    QMenu* m_pInputPortMenu;
    QActionGroup* m_pInputPortGroup;
    QActionGroup* m_pOutputPortGroup;
    QList<QAction*> m_viewsMenuActionList;
    bool m_isRestored;
    bool m_isOpeningProjectFile;
    bool m_isClosed;
    bool m_midiServiceStarted;
    bool m_isClosingForSignal;
    bool m_isLimitMessageShowing;
    // The MIDI system chosen in the settings as last seen: views that show
    // it may set it again unchanged, which is no switch.
    int m_chosenMidiSystem;
    bool m_isSystemSwitchQueued;
    QPointer<QMdiSubWindow> m_pAboutSubWindow;
    QPointer<QMdiSubWindow> m_pLicenseSubWindow;
    QHash<QWidget*, QRect> m_normalRectHash;
    // The open tool windows of each kind, by window id.
    QHash<int, QList<QPointer<QMdiSubWindow>>> m_toolWindows;
};
