// The main window frame: closing with the save question, the title, and the
// tool windows it manages.

#include "MainWindowRig.h"
#include "VirtualMidiPlatform.h"
#include "app/NativeEventFilter.h"
#include "app/StartUp.h"
#include "app/ToolWindowQuota.h"
#include "model/TarvoModel.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QTest>

MainWindow* s_pMainWindow = nullptr;

namespace {

enum MenuBarIndex { FileMenu = 0, ViewsMenu = 3, WindowMenu = 4, HelpMenu = 5 };
const int FilePlayMidiFile = 4;
// Close All, Cascade and Tile come before the open windows.
const int WindowCommandCount = 3;
enum ViewsMenuIndex { ViewsInMonitor = 0, ViewsOutMonitor = 1, ViewsKeyboard = 2, ViewsControlChange = 3,
                      ViewsSystemExclusive = 5, ViewsTimingClock = 6, ViewsFilter = 7, ViewsMidiSettings = 8 };
enum HelpMenuIndex { HelpAbout = 0, HelpLicense = 1 };
const char* const ConfirmationText = "Do you want to save changes?";

int countWithTitle(MainWindow& window, const char* title)
{
    int count = 0;
    for (QMdiSubWindow* subWindow : window.getSubWindowList())
        count += subWindow->windowTitle() == QLatin1String(title) ? 1 : 0;
    return count;
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initTarvoResources(); }
    void closeAsksBeforeDiscarding_data();
    void closeAsksBeforeDiscarding();
    void windowLimitsPerKind();
    void maximizingLeavesFixedWindowsNormal();
    void closingAnEditorEditsTheProject();
    void normalGeometryFollowsMovesAndResizes();
    void aboutWindowClosesOnAnyClick();
    void licenseWindowFitsAndClosesOnEscape();
    void windowMenuListsTheOpenWindows();
};

void MainWindowTest::closeAsksBeforeDiscarding_data()
{
    QTest::addColumn<bool>("edited");
    QTest::addColumn<bool>("titled");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("unedited") << false << false << int(QMessageBox::Cancel) << true;
    QTest::newRow("cancel") << true << false << int(QMessageBox::Cancel) << false;
    // Yes on an untitled project asks for a file; cancelling it abandons the close.
    QTest::newRow("yes, save dialog cancelled") << true << false << int(QMessageBox::Yes) << false;
    QTest::newRow("yes, saved") << true << true << int(QMessageBox::Yes) << true;
    QTest::newRow("no") << true << false << int(QMessageBox::No) << true;
}

void MainWindowTest::closeAsksBeforeDiscarding()
{
    QFETCH(bool, edited);
    QFETCH(bool, titled);
    QFETCH(int, answer);
    QFETCH(bool, closes);
    VirtualMidiPlatform platform;
    QTemporaryDir folder;
    TarvoModel model;
    MainWindow window(nullptr, &model);
    window.show();
    if (titled)
        model.m_projectFilePath = folder.filePath(QStringLiteral("song.tarvo"));
    model.setParameterEditFlag(edited ? ParameterEdited : ParameterNotEdited);
    DialogAnswerer answerer(static_cast<QMessageBox::StandardButton>(answer));
    QCOMPARE(window.close(), closes);
    QCOMPARE(answerer.m_texts, edited ? QStringList({ConfirmationText}) : QStringList());
    QCOMPARE(window.isVisible(), !closes);
    QCOMPARE(model.getParameterEditFlag(), closes ? ParameterNotEdited : ParameterEdited);
    QCOMPARE(QFileInfo::exists(model.m_projectFilePath), titled);
    flushDeletes();
}

void MainWindowTest::windowLimitsPerKind()
{
    VirtualMidiPlatform platform;
    TarvoModel model;
    MainWindow window(nullptr, &model);
    DialogAnswerer answerer(QMessageBox::Ok);
    for (int i = 0; i <= ToolWindowQuota::MultiInstanceLimit; ++i)
        menuAction(window, ViewsMenu, ViewsSystemExclusive)->trigger();
    QCOMPARE(countWithTitle(window, "System Exclusive"), ToolWindowQuota::MultiInstanceLimit);
    QCOMPARE(answerer.m_texts.size(), 1);
    // The monitors count against the editors' limit.
    menuAction(window, ViewsMenu, ViewsInMonitor)->trigger();
    QCOMPARE(countWithTitle(window, "MIDI In Monitor"), 0);
    QVERIFY(answerer.m_texts.last().startsWith(QStringLiteral("Unable to open a new MIDI In Monitor View.")));

    // Single-instance windows are activated, not opened again.
    window.closeAllSubWindows();
    flushDeletes();
    for (int index : {ViewsInMonitor, ViewsOutMonitor, ViewsTimingClock, ViewsFilter, ViewsMidiSettings}) {
        menuAction(window, ViewsMenu, index)->trigger();
        menuAction(window, ViewsMenu, index)->trigger();
    }
    QCOMPARE(window.getSubWindowList().size(), 5);
    QAction* volume = menuAction(window, ViewsMenu, ViewsControlChange)->menu()->actions().at(7);
    volume->trigger();
    volume->trigger();
    QCOMPARE(countWithTitle(window, "Control Change"), 2);
}

void MainWindowTest::maximizingLeavesFixedWindowsNormal()
{
    VirtualMidiPlatform platform;
    TarvoModel model;
    MainWindow window(nullptr, &model);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.closeAllSubWindows();
    for (int index : {ViewsFilter, ViewsKeyboard, ViewsSystemExclusive})
        menuAction(window, ViewsMenu, index)->trigger();
    QMdiSubWindow* editor = window.getSubWindowList().last();
    editor->showMaximized();
    QVERIFY(editor->isMaximized());
    for (QMdiSubWindow* subWindow : window.getSubWindowList()) {
        if (subWindow != editor)
            QVERIFY2(!subWindow->isMaximized(), qPrintable(subWindow->windowTitle()));
        QCOMPARE(window.isFixedSizeObject(subWindow), subWindow->windowTitle() == QLatin1String("Filter"));
    }
    flushDeletes();
}

void MainWindowTest::closingAnEditorEditsTheProject()
{
    VirtualMidiPlatform platform;
    TarvoModel model;
    MainWindow window(nullptr, &model);
    window.closeAllSubWindows();
    for (int index : {ViewsInMonitor, ViewsSystemExclusive})
        menuAction(window, ViewsMenu, index)->trigger();
    model.setParameterEditFlag(ParameterNotEdited);
    // Monitors hold nothing of the project; an editor holds its text.
    for (const ParameterEditFlag expected : {ParameterNotEdited, ParameterEdited}) {
        window.getSubWindowList().first()->close();
        flushDeletes();
        QCOMPARE(model.getParameterEditFlag(), expected);
    }
}

void MainWindowTest::normalGeometryFollowsMovesAndResizes()
{
    VirtualMidiPlatform platform;
    TarvoModel model;
    MainWindow window(nullptr, &model);
    window.show();
    QMdiSubWindow* editor = window.createSubWindowByWindowId(WindowRestorationInfo::WindowIdSystemExclusive, false,
                                                             QRect(5, 6, 300, 200), {}, {});
    QCOMPARE(window.getNormalRect(editor), QRect(5, 6, 300, 200));
    editor->move(20, 30);
    editor->resize(310, 210);
    editor->showMaximized();
    QCOMPARE(window.getNormalRect(editor), QRect(20, 30, 310, 210));
    QVERIFY(!window.isNormalWindowState(editor));
}

void MainWindowTest::aboutWindowClosesOnAnyClick()
{
    VirtualMidiPlatform platform;
    TarvoModel model;
    MainWindow window(nullptr, &model);
    s_pMainWindow = &window;
    NativeEventFilter filter;
    qApp->installEventFilter(&filter);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.closeAllSubWindows();
    flushDeletes();

    menuAction(window, HelpMenu, HelpAbout)->trigger();
    menuAction(window, HelpMenu, HelpAbout)->trigger();
    QCOMPARE(window.getSubWindowList().size(), 1);
    QTest::mouseClick(window.centralWidget(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(window.getSubWindowList().size(), 0);

    // A menu command closes it first, then does its own work.
    menuAction(window, HelpMenu, HelpAbout)->trigger();
    menuAction(window, HelpMenu, HelpLicense)->trigger();
    QCOMPARE(window.getSubWindowList().size(), 1);
    QCOMPARE(window.getSubWindowList().first()->windowTitle(), QStringLiteral("Open Source License"));

    qApp->removeEventFilter(&filter);
    s_pMainWindow = nullptr;
}

// At the default size the licence window lies inside the area, its close
// button in sight, and Escape closes it.
void MainWindowTest::licenseWindowFitsAndClosesOnEscape()
{
    VirtualMidiPlatform platform;
    TarvoModel model;
    MainWindow window(nullptr, &model);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.resize(MainWindow::DefaultMainWindowSize);
    window.closeAllSubWindows();
    menuAction(window, HelpMenu, HelpLicense)->trigger();
    QCOMPARE(window.getSubWindowList().size(), 1);
    QMdiSubWindow* license = window.getSubWindowList().first();
    const QRect area = license->mdiArea()->viewport()->rect();
    QVERIFY2(area.contains(license->geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4 in %5x%6")
                                                             .arg(license->x()).arg(license->y())
                                                             .arg(license->width()).arg(license->height())
                                                             .arg(area.width()).arg(area.height())));
    QTest::keyClick(license->widget(), Qt::Key_Escape);
    flushDeletes();
    QCOMPARE(window.getSubWindowList().size(), 0);
}

// The Window menu names each open window, marks the active one and brings the
// chosen one forward; File > Play MIDI File opens the player's file chooser.
void MainWindowTest::windowMenuListsTheOpenWindows()
{
    VirtualMidiPlatform platform;
    TarvoModel model;
    MainWindow window(nullptr, &model);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.closeAllSubWindows();
    flushDeletes();
    menuAction(window, ViewsMenu, ViewsInMonitor)->trigger();
    menuAction(window, ViewsMenu, ViewsKeyboard)->trigger();

    QMenu* menu = window.menuBar()->actions().at(WindowMenu)->menu();
    const auto listed = [menu]() {
        emit menu->aboutToShow();
        QList<QAction*> actions;
        for (QAction* action : menu->actions().mid(WindowCommandCount)) {
            if (!action->isSeparator())
                actions.append(action);
        }
        return actions;
    };
    QList<QAction*> entries = listed();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries.at(0)->text(), QStringLiteral("&1 MIDI In Monitor"));
    QCOMPARE(entries.at(1)->text(), QStringLiteral("&2 Keyboard"));
    QVERIFY(!entries.at(0)->isChecked() && entries.at(1)->isChecked());
    entries.at(0)->trigger();
    QCOMPARE(window.findChild<QMdiArea*>()->activeSubWindow()->windowTitle(), QStringLiteral("MIDI In Monitor"));
    QCOMPARE(window.getSubWindowList().size(), 2);
    entries = listed();
    QCOMPARE(entries.size(), 2);
    QVERIFY(entries.at(0)->isChecked());

    {
        DialogAnswerer answerer(QMessageBox::Cancel);
        menuAction(window, FileMenu, FilePlayMidiFile)->trigger();
        QCOMPARE(answerer.m_fileDialogProposals.size(), 1);
    }
    QCOMPARE(countWithTitle(window, "MIDI File Player"), 1);
    flushDeletes();
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
