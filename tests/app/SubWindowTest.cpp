#include "VirtualMidiPlatform.h"
#include "app/MainWindow.h"
#include "app/NativeEventFilter.h"
#include "app/StartUp.h"
#include "model/TarvoModel.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

MainWindow* s_pMainWindow = nullptr;

namespace {

QAction* menuAction(MainWindow& window, int menuIndex, int actionIndex)
{
    QMenu* menu = window.menuBar()->actions().at(menuIndex)->menu();
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator() && action->data().toInt() == actionIndex)
            return action;
    }
    return nullptr;
}

// Answers every message box that opens with OK and collects their texts.
class MessageBoxAnswerer : public QObject
{
public:
    QStringList texts;

    explicit MessageBoxAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok)
    {
        connect(&m_timer, &QTimer::timeout, this, [this, answer]() {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(widget);
                if (box && box->isVisible()) {
                    texts << box->text();
                    box->button(answer)->click();
                }
            }
        });
        m_timer.start(10);
    }

private:
    QTimer m_timer;
};

int countWithTitle(MainWindow& window, const QString& title)
{
    int count = 0;
    for (QMdiSubWindow* subWindow : window.getSubWindowList())
        count += subWindow->windowTitle() == title ? 1 : 0;
    return count;
}

} // namespace

void initResources()
{
    Q_INIT_RESOURCE(tarvo);
}

class SubWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initResources(); }
    void limitOfSixteen();
    void singleInstanceWindowsAreActivated();
    void fixedSizeWindowsKeepTheirSize();
    void maximizingLeavesFixedWindowsNormal();
    void normalGeometryFollowsMovesAndResizes();
    void aboutWindowClosesOnAnyClick();
    void closeAllEmptiesTheArea();
};

void SubWindowTest::limitOfSixteen()
{
    VirtualMidiPlatform platform;
    TarvoModel model;
    MainWindow window(nullptr, &model);
    MessageBoxAnswerer answerer;

    for (int i = 0; i < 16; ++i)
        menuAction(window, 3, 5)->trigger();
    QCOMPARE(countWithTitle(window, QStringLiteral("System Exclusive")), 16);
    menuAction(window, 3, 5)->trigger();
    QCOMPARE(countWithTitle(window, QStringLiteral("System Exclusive")), 16);

    // The monitors count against the editors' limit too.
    answerer.texts.clear();
    menuAction(window, 3, 0)->trigger();
    QCOMPARE(countWithTitle(window, QStringLiteral("MIDI In Monitor")), 0);
    QCOMPARE(answerer.texts,
             QStringList({"Unable to open a new MIDI In Monitor View.\n"
                          "Please close any opened MIDI In Monitor View before trying again."}));

    for (int i = 0; i < 16; ++i)
        menuAction(window, 3, 2)->trigger();
    answerer.texts.clear();
    menuAction(window, 3, 2)->trigger();
    QCOMPARE(countWithTitle(window, QStringLiteral("Keyboard")), 16);
    QCOMPARE(answerer.texts.size(), 1);
    QVERIFY(answerer.texts.first().startsWith(QStringLiteral("Unable to open a new Keyboard View.")));

    // A closed window frees its place.
    window.getSubWindowList().first()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void SubWindowTest::singleInstanceWindowsAreActivated()
{
    VirtualMidiPlatform platform;
    TarvoModel model;
    MainWindow window(nullptr, &model);
    for (int index : {0, 1, 6, 7, 8}) {
        menuAction(window, 3, index)->trigger();
        const int count = window.getSubWindowList().size();
        menuAction(window, 3, index)->trigger();
        QCOMPARE(window.getSubWindowList().size(), count);
    }
    QCOMPARE(window.getSubWindowList().size(), 5);
    QMenu* controlChange = menuAction(window, 3, 3)->menu();
    controlChange->actions().at(7)->trigger();
    controlChange->actions().at(7)->trigger();
    QCOMPARE(countWithTitle(window, QStringLiteral("Control Change")), 2);
}

void SubWindowTest::fixedSizeWindowsKeepTheirSize()
{
    VirtualMidiPlatform platform;
    TarvoModel model;
    MainWindow window(nullptr, &model);
    window.show();
    QMdiSubWindow* programChange = window.createSubWindowByWindowId(WindowRestorationInfo::WindowIdProgramChange,
                                                                    false, QRect(40, 30, 300, 400), {}, {});
    QVERIFY(programChange);
    QCOMPARE(programChange->width(), 210);
    QVERIFY(programChange->height() != 400);
    QCOMPARE(programChange->pos(), QPoint(40, 30));

    QMdiSubWindow* controlChange = window.createSubWindowByWindowId(WindowRestorationInfo::WindowIdControlChange,
                                                                    true, QRect(10, 20, 300, 400), {}, {QVariant(7)});
    QVERIFY(controlChange);
    QCOMPARE(controlChange->geometry(), QRect(10, 20, 300, 400));
    QVERIFY(controlChange->windowFlags() & Qt::WindowStaysOnTopHint);

    QVERIFY(!window.createSubWindowByWindowId(WindowRestorationInfo::WindowIdUnknown, false, QRect(), {}, {}));
    QVERIFY(!window.createSubWindowByWindowId(WindowRestorationInfo::WindowIdMainWindow, false, QRect(), {}, {}));
}

void SubWindowTest::maximizingLeavesFixedWindowsNormal()
{
    VirtualMidiPlatform platform;
    TarvoModel model;
    MainWindow window(nullptr, &model);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    menuAction(window, 3, 7)->trigger(); // Filter
    menuAction(window, 3, 2)->trigger(); // Keyboard
    menuAction(window, 3, 5)->trigger(); // System Exclusive
    QMdiSubWindow* editor = nullptr;
    for (QMdiSubWindow* subWindow : window.getSubWindowList()) {
        if (subWindow->windowTitle() == QLatin1String("System Exclusive"))
            editor = subWindow;
    }
    QVERIFY(editor);
    editor->showMaximized();
    QVERIFY(editor->isMaximized());
    for (QMdiSubWindow* subWindow : window.getSubWindowList()) {
        if (subWindow != editor)
            QVERIFY2(!subWindow->isMaximized(), qPrintable(subWindow->windowTitle()));
    }
    for (QMdiSubWindow* subWindow : window.getSubWindowList()) {
        if (subWindow->windowTitle() == QLatin1String("Filter"))
            QVERIFY(!window.isFixedSizeObject(editor) && window.isFixedSizeObject(subWindow));
    }
}

void SubWindowTest::normalGeometryFollowsMovesAndResizes()
{
    VirtualMidiPlatform platform;
    TarvoModel model;
    MainWindow window(nullptr, &model);
    window.show();
    QMdiSubWindow* editor = window.createSubWindowByWindowId(WindowRestorationInfo::WindowIdSystemExclusive, false,
                                                             QRect(5, 6, 300, 200), {}, {});
    QVERIFY(editor);
    QCOMPARE(window.getNormalRect(editor), QRect(5, 6, 300, 200));
    editor->move(20, 30);
    editor->resize(310, 210);
    QCOMPARE(window.getNormalRect(editor), QRect(20, 30, 310, 210));
    editor->showMaximized();
    QCOMPARE(window.getNormalRect(editor), QRect(20, 30, 310, 210));
    QVERIFY(!window.isNormalWindowState(editor));
}

void SubWindowTest::aboutWindowClosesOnAnyClick()
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
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QVERIFY(!window.closeAboutDialog());
    menuAction(window, 5, 0)->trigger();
    QCOMPARE(window.getSubWindowList().size(), 1);
    QMdiSubWindow* about = window.getSubWindowList().first();
    QVERIFY(about->windowFlags() & Qt::FramelessWindowHint);
    // A second About leaves the open one as it is.
    menuAction(window, 5, 0)->trigger();
    QCOMPARE(window.getSubWindowList().size(), 1);

    QTest::mouseClick(window.centralWidget(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(window.getSubWindowList().size(), 0);

    // A menu command closes it first, then does its own work.
    menuAction(window, 5, 0)->trigger();
    menuAction(window, 5, 1)->trigger();
    QCOMPARE(window.getSubWindowList().size(), 1);
    QCOMPARE(window.getSubWindowList().first()->windowTitle(), QStringLiteral("Open Source License"));
    QVERIFY(!window.closeAboutDialog());

    qApp->removeEventFilter(&filter);
    s_pMainWindow = nullptr;
}

void SubWindowTest::closeAllEmptiesTheArea()
{
    VirtualMidiPlatform platform;
    TarvoModel model;
    MainWindow window(nullptr, &model);
    window.initializeSubWindows();
    QStringList titles;
    for (QMdiSubWindow* subWindow : window.getSubWindowList())
        titles << subWindow->windowTitle();
    titles.sort();
    QCOMPARE(titles, QStringList({"MIDI In Monitor", "MIDI Out Monitor", "System Exclusive"}));
    model.setParameterEditFlag(ParameterEdited);
    QCOMPARE(model.getParameterEditFlag(), ParameterEdited);

    {
        // Cancel keeps everything.
        MessageBoxAnswerer cancel(QMessageBox::Cancel);
        menuAction(window, 4, 0)->trigger();
        QCOMPARE(cancel.texts, QStringList({"Do you want to save changes?"}));
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(window.getSubWindowList().size(), 3);
    QCOMPARE(model.getParameterEditFlag(), ParameterEdited);
    {
        MessageBoxAnswerer discard(QMessageBox::No);
        menuAction(window, 4, 0)->trigger();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(window.getSubWindowList().size(), 0);
    QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);
    QCOMPARE(window.windowTitle(), QStringLiteral("Tarvo Suite"));
}

QTEST_MAIN(SubWindowTest)
#include "SubWindowTest.moc"
