#include "VirtualMidiPlatform.h"
#include "app/MainWindow.h"
#include "model/TarvoModel.h"
#include "project/ProjectFileHelper.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <memory>

// The resources live in a static library, so the test registers them itself.
static bool initTarvoResources()
{
    Q_INIT_RESOURCE(tarvo);
    return true;
}

namespace {

enum MenuBarIndex { FileMenu = 0, WindowMenu = 4 };
enum FileMenuIndex { FileNew = 0, FileOpen = 1, FileSave = 2, FileSaveAs = 3 };
const int WindowCloseAll = 0;
const char* const ConfirmationText = "Do you want to save changes?";

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Answers the dialogs that open while it lives: message boxes with the given
// button (OK when the box has no such button), file dialogs by choosing the
// given file, or cancelling when there is none.
class DialogAnswerer
{
public:
    explicit DialogAnswerer(QMessageBox::StandardButton answer, const QString& fileToChoose = QString())
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, answer, fileToChoose]() {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (!widget->isVisible())
                    continue;
                if (auto* box = qobject_cast<QMessageBox*>(widget)) {
                    QAbstractButton* button = box->button(answer);
                    m_texts.append(box->text());
                    (button ? button : box->button(QMessageBox::Ok))->click();
                } else if (auto* dialog = qobject_cast<QFileDialog*>(widget)) {
                    m_fileDialogProposals.append(dialog->selectedFiles().value(0));
                    if (fileToChoose.isEmpty()) {
                        dialog->reject();
                    } else {
                        dialog->selectFile(fileToChoose);
                        static_cast<QDialog*>(dialog)->accept();
                    }
                }
            }
        });
        m_timer.start(5);
    }

    QStringList m_texts;
    QStringList m_fileDialogProposals;

private:
    QTimer m_timer;
};

struct Session
{
    Session()
    {
        m_pWindow = std::make_unique<MainWindow>(nullptr, &m_model);
        m_pWindow->show();
        (void)QTest::qWaitForWindowExposed(m_pWindow.get());
    }

    // Closed windows wait for their deferred deletion; they must go while
    // the main window whose lists they leave is still whole.
    ~Session()
    {
        flushDeletes();
    }

    void trigger(int menu, int index)
    {
        for (QAction* action : m_pWindow->menuBar()->actions().at(menu)->menu()->actions()) {
            if (!action->isSeparator() && action->data().toInt() == index) {
                action->trigger();
                flushDeletes();
                return;
            }
        }
        QFAIL("no such menu entry");
    }

    // The kinds of the open tool windows, sorted.
    QList<int> windowIds() const
    {
        QList<int> ids;
        for (QMdiSubWindow* subWindow : m_pWindow->getSubWindowList()) {
            if (auto* info = dynamic_cast<WindowRestorationInfo*>(subWindow->widget()))
                ids.append(info->windowId);
        }
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    QString path(const char* name) const
    {
        return m_dir.filePath(QLatin1String(name));
    }

    bool m_resources = initTarvoResources();
    VirtualMidiPlatform m_platform;
    TarvoModel m_model;
    std::unique_ptr<MainWindow> m_pWindow;
    QTemporaryDir m_dir;
};

QMimeData* uriList(const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

// Sends a drag over the tool window area; true when it would be accepted.
bool dragEnter(MainWindow& window, const QMimeData* data)
{
    QDragEnterEvent event(QPoint(100, 100), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.centralWidget(), &event);
    return event.isAccepted() && event.dropAction() != Qt::IgnoreAction;
}

// A whole drag and drop: Qt delivers the drop to the widget that accepted
// the drag.
void drop(MainWindow& window, const QMimeData* data)
{
    QVERIFY(dragEnter(window, data));
    QDragMoveEvent move(QPoint(120, 110), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.centralWidget(), &move);
    QVERIFY(move.isAccepted());
    QDropEvent event(QPointF(120, 110), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.centralWidget(), &event);
    QVERIFY(event.isAccepted());
    flushDeletes();
}

} // namespace

class ProjectCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void newAsksBeforeDiscardingAnEditedProject();
    void openAsksBeforeDiscardingAnEditedProject();
    void closeAllAsksBeforeDiscardingAnEditedProject();
    void saveAsProposesUntitledInWorkingDirectory();
    void failedSaveLeavesTheProjectAsItWas();
    void dropsOfTextAndProjectFiles();
};

void ProjectCommandsTest::init()
{
    QFile::remove(QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation).first()
                  + QStringLiteral("/Tarvo.ini"));
}

void ProjectCommandsTest::newAsksBeforeDiscardingAnEditedProject()
{
    Session session;
    MainWindow& window = *session.m_pWindow;
    const QList<int> defaults = {WindowRestorationInfo::WindowIdMidiInMonitor,
                                 WindowRestorationInfo::WindowIdMidiOutMonitor,
                                 WindowRestorationInfo::WindowIdSystemExclusive};
    QCOMPARE(session.windowIds(), defaults);
    window.resize(800, 500);
    window.createMidiKeyboardView(QStringLiteral("&Keyboard"));
    QCOMPARE(session.m_model.getParameterEditFlag(), ParameterEdited);
    const QList<int> edited = {1, 2, 3, 4};

    {
        DialogAnswerer answerer(QMessageBox::Cancel);
        session.trigger(FileMenu, FileNew);
        QCOMPARE(answerer.m_texts, QStringList({ConfirmationText}));
    }
    QCOMPARE(session.windowIds(), edited);
    QCOMPARE(session.m_model.getParameterEditFlag(), ParameterEdited);
    QCOMPARE(window.windowTitle(), QStringLiteral("*Tarvo Suite"));

    // Yes on an untitled project asks for a file; cancelling it abandons New.
    {
        DialogAnswerer answerer(QMessageBox::Yes);
        session.trigger(FileMenu, FileNew);
        QCOMPARE(answerer.m_texts, QStringList({ConfirmationText}));
        QCOMPARE(answerer.m_fileDialogProposals.size(), 1);
    }
    QCOMPARE(session.windowIds(), edited);
    QCOMPARE(session.m_model.getParameterEditFlag(), ParameterEdited);

    // Yes with a project path saves there, then starts anew.
    const QString saved = session.path("saved.tarvo");
    session.m_model.m_projectFilePath = saved;
    {
        DialogAnswerer answerer(QMessageBox::Yes);
        session.trigger(FileMenu, FileNew);
        QCOMPARE(answerer.m_texts, QStringList({ConfirmationText}));
    }
    QCOMPARE(session.windowIds(), defaults);
    QVERIFY(session.m_model.m_projectFilePath.isEmpty());
    QCOMPARE(session.m_model.getParameterEditFlag(), ParameterNotEdited);
    QCOMPARE(window.windowTitle(), QStringLiteral("Tarvo Suite"));
    QCOMPARE(window.size(), MainWindow::DefaultMainWindowSize);
    QVERIFY(window.openFile(saved));
    QCOMPARE(session.windowIds(), edited);

    // No discards.
    window.createMidiControlChangeView(QStringLiteral("&Control Change"), 7);
    {
        DialogAnswerer answerer(QMessageBox::No);
        session.trigger(FileMenu, FileNew);
        QCOMPARE(answerer.m_texts, QStringList({ConfirmationText}));
    }
    QCOMPARE(session.windowIds(), defaults);
    QVERIFY(session.m_model.m_projectFilePath.isEmpty());
    QCOMPARE(window.windowTitle(), QStringLiteral("Tarvo Suite"));
    QCOMPARE(ProjectFileHelper().readFile(saved), 0);
    flushDeletes();
    QCOMPARE(session.windowIds(), edited);
}

void ProjectCommandsTest::openAsksBeforeDiscardingAnEditedProject()
{
    Session session;
    MainWindow& window = *session.m_pWindow;
    window.closeAllSubWindows();
    flushDeletes();
    const QString emptyProject = session.path("empty.tarvo");
    QCOMPARE(ProjectFileHelper().writeFile(emptyProject), 0);
    window.createMidiTimingClockGeneratorView(QStringLiteral("&Timing Clock"));
    const QString clockProject = session.path("clock.tarvo");
    QCOMPARE(ProjectFileHelper().writeFile(clockProject), 0);
    window.closeAllSubWindows();
    flushDeletes();

    window.createMidiProgramChangeView(QStringLiteral("&Program Change"));
    QCOMPARE(session.m_model.getParameterEditFlag(), ParameterEdited);
    {
        DialogAnswerer answerer(QMessageBox::Cancel);
        QVERIFY(!window.openFile(clockProject));
        QCOMPARE(answerer.m_texts, QStringList({ConfirmationText}));
    }
    QCOMPARE(session.windowIds(), QList<int>({WindowRestorationInfo::WindowIdProgramChange}));
    QCOMPARE(session.m_model.getParameterEditFlag(), ParameterEdited);
    QVERIFY(session.m_model.m_projectFilePath.isEmpty());

    {
        DialogAnswerer answerer(QMessageBox::No);
        QVERIFY(window.openFile(clockProject));
        QCOMPARE(answerer.m_texts, QStringList({ConfirmationText}));
    }
    QCOMPARE(session.windowIds(), QList<int>({WindowRestorationInfo::WindowIdTimingClock}));
    QCOMPARE(session.m_model.m_projectFilePath, clockProject);
    QCOMPARE(session.m_model.getModelStringValue(ProjectFileWorkingDirectoryId), session.m_dir.path());
    QCOMPARE(window.windowTitle(), QStringLiteral("clock.tarvo - Tarvo Suite"));
    QCOMPARE(session.m_model.getParameterEditFlag(), ParameterNotEdited);

    // Yes saves the open project under its name before the other one opens.
    window.createMidiKeyboardView(QStringLiteral("&Keyboard"));
    {
        DialogAnswerer answerer(QMessageBox::Yes);
        QVERIFY(window.openFile(emptyProject));
        QCOMPARE(answerer.m_texts, QStringList({ConfirmationText}));
    }
    QVERIFY(session.windowIds().isEmpty());
    QCOMPARE(session.m_model.m_projectFilePath, emptyProject);
    QCOMPARE(ProjectFileHelper().readFile(clockProject), 0);
    flushDeletes();
    QCOMPARE(session.windowIds(), QList<int>({WindowRestorationInfo::WindowIdKeyboard,
                                              WindowRestorationInfo::WindowIdTimingClock}));
}

void ProjectCommandsTest::closeAllAsksBeforeDiscardingAnEditedProject()
{
    Session session;
    MainWindow& window = *session.m_pWindow;
    const QString path = session.path("song.tarvo");
    QCOMPARE(ProjectFileHelper().writeFile(path), 0);
    QVERIFY(window.openFile(path));
    window.createMidiKeyboardView(QStringLiteral("&Keyboard"));
    QCOMPARE(window.windowTitle(), QStringLiteral("song.tarvo* - Tarvo Suite"));
    const QList<int> edited = {1, 2, 3, 4};

    {
        DialogAnswerer answerer(QMessageBox::Cancel);
        session.trigger(WindowMenu, WindowCloseAll);
        QCOMPARE(answerer.m_texts, QStringList({ConfirmationText}));
    }
    QCOMPARE(session.windowIds(), edited);
    QCOMPARE(window.windowTitle(), QStringLiteral("song.tarvo* - Tarvo Suite"));

    {
        DialogAnswerer answerer(QMessageBox::Yes);
        session.trigger(WindowMenu, WindowCloseAll);
        QCOMPARE(answerer.m_texts, QStringList({ConfirmationText}));
    }
    QVERIFY(session.windowIds().isEmpty());
    QVERIFY(session.m_model.m_projectFilePath.isEmpty());
    QCOMPARE(session.m_model.getParameterEditFlag(), ParameterNotEdited);
    QCOMPARE(window.windowTitle(), QStringLiteral("Tarvo Suite"));
    // What was saved on the way is the project with its keyboard.
    QCOMPARE(ProjectFileHelper().readFile(path), 0);
    flushDeletes();
    QCOMPARE(session.windowIds(), edited);

    window.createMidiKeyboardView(QStringLiteral("&Keyboard"));
    {
        DialogAnswerer answerer(QMessageBox::No);
        session.trigger(WindowMenu, WindowCloseAll);
        QCOMPARE(answerer.m_texts, QStringList({ConfirmationText}));
    }
    QVERIFY(session.windowIds().isEmpty());
    QCOMPARE(ProjectFileHelper().readFile(path), 0);
    flushDeletes();
    QCOMPARE(session.windowIds(), edited);

    // Unedited: nothing is asked.
    session.m_model.setParameterEditFlag(ParameterNotEdited);
    {
        DialogAnswerer answerer(QMessageBox::Cancel);
        session.trigger(WindowMenu, WindowCloseAll);
        QVERIFY(answerer.m_texts.isEmpty());
    }
    QVERIFY(session.windowIds().isEmpty());
}

void ProjectCommandsTest::saveAsProposesUntitledInWorkingDirectory()
{
    Session session;
    MainWindow& window = *session.m_pWindow;
    QDir(session.m_dir.path()).mkdir(QStringLiteral("work"));
    const QString workDirectory = session.path("work");
    session.m_model.setModelStringValue(ProjectFileWorkingDirectoryId, workDirectory);

    const QString chosen = session.path("a.tarvo");
    {
        DialogAnswerer answerer(QMessageBox::Ok, chosen);
        session.trigger(FileMenu, FileSaveAs);
        QCOMPARE(answerer.m_fileDialogProposals,
                 QStringList({QDir(workDirectory).filePath(QStringLiteral("Untitled.tarvo"))}));
    }
    QVERIFY(QFile::exists(chosen));
    QCOMPARE(session.m_model.m_projectFilePath, chosen);
    QCOMPARE(window.windowTitle(), QStringLiteral("a.tarvo - Tarvo Suite"));
    QCOMPARE(session.m_model.getModelStringValue(ProjectFileWorkingDirectoryId), session.m_dir.path());

    // A working directory that has gone: the parameter's default directory,
    // with the project's own name.
    QDir(workDirectory).removeRecursively();
    session.m_model.setModelStringValue(ProjectFileWorkingDirectoryId, workDirectory);
    const QString fallback = session.m_model.getModelDefaultStringValue(ProjectFileWorkingDirectoryId);
    QVERIFY(QDir().mkpath(fallback));
    {
        DialogAnswerer answerer(QMessageBox::Ok);
        session.trigger(FileMenu, FileSaveAs);
        QCOMPARE(answerer.m_fileDialogProposals, QStringList({QDir(fallback).filePath(QStringLiteral("a.tarvo"))}));
    }
    QCOMPARE(session.m_model.m_projectFilePath, chosen);
    QCOMPARE(window.windowTitle(), QStringLiteral("a.tarvo - Tarvo Suite"));
}

void ProjectCommandsTest::failedSaveLeavesTheProjectAsItWas()
{
    Session session;
    MainWindow& window = *session.m_pWindow;
    const QString unwritable = session.path("missing/folder/b.tarvo");
    session.m_model.m_projectFilePath = unwritable;
    session.m_model.setParameterEditFlag(ParameterEdited);
    const QString title = window.windowTitle();
    QCOMPARE(title, QStringLiteral("b.tarvo* - Tarvo Suite"));
    {
        DialogAnswerer answerer(QMessageBox::Ok);
        session.trigger(FileMenu, FileSave);
        QCOMPARE(answerer.m_texts, QStringList({"File save failed."}));
    }
    QCOMPARE(session.m_model.m_projectFilePath, unwritable);
    QCOMPARE(session.m_model.getParameterEditFlag(), ParameterEdited);
    QCOMPARE(window.windowTitle(), title);

    // The same failure during the save-changes protocol abandons New.
    {
        DialogAnswerer answerer(QMessageBox::Yes);
        session.trigger(FileMenu, FileNew);
        QCOMPARE(answerer.m_texts, QStringList({ConfirmationText, "File save failed."}));
    }
    QCOMPARE(session.m_model.m_projectFilePath, unwritable);
    QCOMPARE(session.windowIds().size(), 3);
}

void ProjectCommandsTest::dropsOfTextAndProjectFiles()
{
    Session session;
    MainWindow& window = *session.m_pWindow;
    const QString dump = session.path("dump.txt");
    writeAll(dump, "F0 7E 7F 06 01 F7");
    const QString project = session.path("song.tarvo");
    window.closeAllSubWindows();
    window.createMidiTimingClockGeneratorView(QStringLiteral("&Timing Clock"));
    QCOMPARE(ProjectFileHelper().writeFile(project), 0);
    window.closeAllSubWindows();
    flushDeletes();
    session.m_model.setParameterEditFlag(ParameterNotEdited);

    const QStringList refused = {session.path("x.tar.tarvo"), session.path("dump.old.txt"), session.path("DUMP.TXT"),
                                 session.path("song.TARVO"), session.path("notes.mid")};
    for (const QString& path : refused) {
        std::unique_ptr<QMimeData> data(uriList({path}));
        QVERIFY2(!dragEnter(window, data.get()), qPrintable(path));
    }
    {
        // Only a uri list is taken, not plain text naming a file.
        QMimeData text;
        text.setText(QUrl::fromLocalFile(dump).toString());
        QVERIFY(!dragEnter(window, &text));
    }
    std::unique_ptr<QMimeData> dumpData(uriList({dump, project}));
    std::unique_ptr<QMimeData> projectData(uriList({project, dump}));
    QVERIFY(dragEnter(window, dumpData.get()));
    QVERIFY(dragEnter(window, projectData.get()));
    // Nothing is taken while a message is being sent.
    session.m_model.setModelIntValue(TransmissionStateId, 1);
    QVERIFY(!dragEnter(window, dumpData.get()));
    QVERIFY(!dragEnter(window, projectData.get()));
    session.m_model.setModelIntValue(TransmissionStateId, 0);

    // A message text opens in a new editor; only the first file counts.
    drop(window, dumpData.get());
    QCOMPARE(session.windowIds(), QList<int>({WindowRestorationInfo::WindowIdSystemExclusive}));
    QPlainTextEdit* text = window.getSubWindowList().first()->widget()->findChild<QPlainTextEdit*>();
    QCOMPARE(text->toPlainText(), QStringLiteral("F0 7E 7F 06 01 F7"));
    QCOMPARE(session.m_model.getModelStringValue(DumpFileWorkingDirectoryId), session.m_dir.path());
    QVERIFY(session.m_model.m_projectFilePath.isEmpty());

    // A project replaces the windows, after asking about the edited one.
    {
        DialogAnswerer answerer(QMessageBox::Cancel);
        drop(window, projectData.get());
        QCOMPARE(answerer.m_texts, QStringList({ConfirmationText}));
    }
    QCOMPARE(session.windowIds(), QList<int>({WindowRestorationInfo::WindowIdSystemExclusive}));
    {
        DialogAnswerer answerer(QMessageBox::No);
        drop(window, projectData.get());
        QCOMPARE(answerer.m_texts, QStringList({ConfirmationText}));
    }
    QCOMPARE(session.windowIds(), QList<int>({WindowRestorationInfo::WindowIdTimingClock}));
    QCOMPARE(session.m_model.m_projectFilePath, project);
    QCOMPARE(window.windowTitle(), QStringLiteral("song.tarvo - Tarvo Suite"));

    // A dropped project that is not one reports it.
    const QString broken = session.path("broken.tarvo");
    writeAll(broken, "not a project");
    std::unique_ptr<QMimeData> brokenData(uriList({broken}));
    {
        DialogAnswerer answerer(QMessageBox::Ok);
        drop(window, brokenData.get());
        QCOMPARE(answerer.m_texts, QStringList({"File open failed."}));
    }
    QCOMPARE(session.m_model.m_projectFilePath, project);
}

QTEST_MAIN(ProjectCommandsTest)
#include "ProjectCommandsTest.moc"
