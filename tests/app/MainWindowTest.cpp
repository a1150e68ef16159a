#include "app/MainWindow.h"
#include "model/TarvoModel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

QList<QMenu*> menuBarMenus(MainWindow& window)
{
    QList<QMenu*> menus;
    for (QAction* action : window.menuBar()->actions())
        menus.append(action->menu());
    return menus;
}

// Answers the next message box that opens with the button of the given role,
// and reports its text.
void answerNextMessageBox(QMessageBox::StandardButton answer, QString* seenText)
{
    QTimer::singleShot(0, [answer, seenText]() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box && box->isVisible()) {
                *seenText = box->text();
                box->button(answer)->click();
                return;
            }
        }
        answerNextMessageBox(answer, seenText);
    });
}

// Cancels the next file dialog that opens.
void rejectNextFileDialog()
{
    QTimer::singleShot(0, []() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QFileDialog*>(widget);
            if (dialog && dialog->isVisible()) {
                dialog->reject();
                return;
            }
        }
        rejectNextFileDialog();
    });
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void menuTables();
    void titleFollowsEditFlagAndPath();
    void saveChangesProtocolOnClose();
    void yesWithASuccessfulSaveCloses();
    void confirmationBoxLayout();
};

void MainWindowTest::menuTables()
{
    TarvoModel model;
    MainWindow window(nullptr, &model);
    QCOMPARE(MainWindow::m_pInstance, &window);
    QCOMPARE(window.windowTitle(), QStringLiteral("Tarvo Suite"));
    QCOMPARE(window.size(), QSize(679, 548));

    const QList<QMenu*> menus = menuBarMenus(window);
    QStringList titles;
    for (QMenu* menu : menus)
        titles << menu->title();
    QCOMPARE(titles, QStringList({"&File", "&InputPort", "&OutputPort", "&Views", "&Window", "&Help"}));

    const QList<QAction*> file = menus[0]->actions();
    QCOMPARE(file.size(), 6);
    QVERIFY(file[4]->isSeparator());
    QCOMPARE(file[5]->text(), QStringLiteral("&Preferences..."));
    QCOMPARE(file[5]->data().toInt(), 4);
    QCOMPARE(file[5]->shortcut(), QKeySequence(QStringLiteral("Ctrl+,")));
    QCOMPARE(file[3]->text(), QStringLiteral("Save &As..."));
    QVERIFY(file[3]->shortcut().isEmpty());
    QCOMPARE(file[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));

    const QList<QAction*> views = menus[3]->actions();
    QCOMPARE(views.size(), 9);
    const QStringList viewLabels = {"MIDI &In Monitor", "MIDI O&ut Monitor", "&Keyboard", "&Control Change",
                                    "&Program Change", "&System Exclusive", "&Timing Clock", "&Filter",
                                    "&MIDI Settings"};
    const QStringList viewKeys = {"Ctrl+I", "Ctrl+U", "Ctrl+K", "", "Ctrl+P", "Ctrl+E", "Ctrl+T", "Ctrl+L", "Ctrl+M"};
    for (int i = 0; i < views.size(); ++i) {
        QCOMPARE(views[i]->text(), viewLabels[i]);
        QCOMPARE(views[i]->data().toInt(), i);
        QCOMPARE(views[i]->shortcut(), QKeySequence(viewKeys[i]));
    }
    QMenu* controlChange = views[3]->menu();
    QVERIFY(controlChange);
    const QList<QAction*> controllers = controlChange->actions();
    QCOMPARE(controllers.size(), 128);
    QCOMPARE(controllers[0]->text(), QStringLiteral("000 Bank (MSB)"));
    QCOMPARE(controllers[74]->text(), QStringLiteral("074 Brihtness"));
    QCOMPARE(controllers[127]->text(), QStringLiteral("127 Poly On"));
    QCOMPARE(controllers[127]->data().toInt(), 127);

    for (int menuIndex : {4, 5}) {
        for (QAction* action : menus[menuIndex]->actions())
            QVERIFY(!action->isCheckable());
    }
    QCOMPARE(menus[4]->actions().size(), 3);
    QCOMPARE(menus[5]->actions()[1]->text(), QStringLiteral("Open Source License"));
}

void MainWindowTest::titleFollowsEditFlagAndPath()
{
    TarvoModel model;
    MainWindow window(nullptr, &model);

    model.setParameterEditFlag(ParameterEdited);
    QCOMPARE(window.windowTitle(), QStringLiteral("*Tarvo Suite"));
    model.setParameterEditFlag(ParameterNotEdited);
    QCOMPARE(window.windowTitle(), QStringLiteral("Tarvo Suite"));

    model.m_projectFilePath = QStringLiteral("/home/someone/projects/song.tarvo");
    model.setParameterEditFlag(ParameterEdited);
    QCOMPARE(window.windowTitle(), QStringLiteral("song.tarvo* - Tarvo Suite"));
    model.setParameterEditFlag(ParameterNotEdited);
    QCOMPARE(window.windowTitle(), QStringLiteral("song.tarvo - Tarvo Suite"));

    // Other parameters leave the title alone.
    model.m_projectFilePath.clear();
    model.setModelIntValue(MidiThruId, 1);
    QCOMPARE(window.windowTitle(), QStringLiteral("song.tarvo - Tarvo Suite"));
}

void MainWindowTest::saveChangesProtocolOnClose()
{
    TarvoModel model;
    MainWindow window(nullptr, &model);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // Unedited: nothing is asked and the window closes.
    {
        QCloseEvent event;
        QApplication::sendEvent(&window, &event);
        QVERIFY(event.isAccepted());
    }
    window.show();

    // Cancel leaves the window open and the project edited.
    model.setParameterEditFlag(ParameterEdited);
    QString text;
    answerNextMessageBox(QMessageBox::Cancel, &text);
    QVERIFY(!window.close());
    QCOMPARE(text, QStringLiteral("Do you want to save changes?"));
    QVERIFY(window.isVisible());
    QCOMPARE(model.getParameterEditFlag(), ParameterEdited);

    // Yes saves first; a cancelled save dialog abandons the close.
    answerNextMessageBox(QMessageBox::Yes, &text);
    rejectNextFileDialog();
    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
    QCOMPARE(model.getParameterEditFlag(), ParameterEdited);

    // No discards: the window closes and the flag is cleared.
    answerNextMessageBox(QMessageBox::No, &text);
    QVERIFY(window.close());
    QVERIFY(!window.isVisible());
    QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);
    QCOMPARE(window.windowTitle(), QStringLiteral("Tarvo Suite"));
}

void MainWindowTest::yesWithASuccessfulSaveCloses()
{
    QTemporaryDir folder;
    TarvoModel model;
    MainWindow window(nullptr, &model);
    window.show();
    model.m_projectFilePath = folder.filePath(QStringLiteral("song.tarvo"));
    model.setParameterEditFlag(ParameterEdited);
    QString text;
    answerNextMessageBox(QMessageBox::Yes, &text);
    QVERIFY(window.close());
    QVERIFY(QFileInfo::exists(model.m_projectFilePath));
    QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);
    QCOMPARE(window.windowTitle(), QStringLiteral("song.tarvo - Tarvo Suite"));
}

void MainWindowTest::confirmationBoxLayout()
{
    TarvoModel model;
    MainWindow window(nullptr, &model);
    QTimer::singleShot(0, []() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (!box || !box->isVisible())
                continue;
            QCOMPARE(box->windowTitle(), QStringLiteral("Tarvo Suite"));
            QCOMPARE(box->icon(), QMessageBox::Question);
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::Yes));
            const QList<QAbstractButton*> buttons = box->buttons();
            QCOMPARE(buttons.size(), 3);
            QCOMPARE(box->button(QMessageBox::No)->shortcut(), QKeySequence(QStringLiteral("Ctrl+D")));
            // Ctrl+D answers No (a shortcut clicks its button after a short animation).
            box->activateWindow();
            (void)QTest::qWaitForWindowActive(box);
            QTest::keyClick(box, Qt::Key_D, Qt::ControlModifier);
            if (!QTest::qWaitFor([box]() { return !box->isVisible(); }, 2000))
                box->button(QMessageBox::Cancel)->click();
            return;
        }
    });
    QCOMPARE(window.showConfirmationMessageBox(), int(QMessageBox::No));
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
