#pragma once

#include "model/ModelAssistant.h"

#include <QList>
#include <QMainWindow>
#include <QString>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class TarvoModel;

class MainWindow : public QMainWindow, public ModelAssistant
{
    Q_OBJECT

public:
    static MainWindow* m_pInstance;

    MainWindow(QWidget* parent, TarvoModel* model);
    ~MainWindow() override;

    QString getIniFilePath();
    QList<QMdiSubWindow*> getSubWindowList() const;
    int showConfirmationMessageBox();
    void showErrorMessageBox(const QString& text);
    bool closeAboutDialog();
    bool openFile(const QString& path);

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

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createFileMenu();
    void createPortMenus();
    void createViewsMenu();
    void createWindowMenu();
    void createHelpMenu();
    QMenu* addMenuBarMenu(int menuBarIndex);

    // Asks whether to save an edited project; false when the caller must
    // abandon what it was about to do.
    bool confirmDiscardOrSave();

    // Project commands.
    bool newFile();
    bool saveFile();
    bool saveAsFile();

    // Tool window bookkeeping and settings.
    void closeAllSubWindows();
    void storeWindowPosition();
    void restoreRegistory();

    TarvoModel* m_pModel;
    QMdiArea* m_pMdiArea;
    int m_timerId;
    QMenu* m_pOutputPortMenu;
    QMenu* m_pInputPortMenu;
    QList<QAction*> m_viewsMenuActionList;
    bool m_isRestored;
    bool m_isOpeningProjectFile;
    bool m_isClosed;
    bool m_isLimitMessageShowing;
};
