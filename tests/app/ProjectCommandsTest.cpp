// New, Open, Save, Close All and drops on a shown main window: what the user
// is asked, and that no answer or failure loses a project or a file.

#include "MainWindowRig.h"
#include "VirtualMidiPlatform.h"
#include "app/ToolWindowQuota.h"
#include "model/TarvoModel.h"
#include "project/ProjectFileHelper.h"
#include "project/Utility.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QtEndian>

#include <memory>
#include <unistd.h>

namespace {

using Id = WindowRestorationInfo;
enum MenuBarIndex { FileMenu = 0, WindowMenu = 4 };
enum FileMenuIndex { FileNew = 0, FileOpen = 1, FileSave = 2, FileSaveAs = 3 };
const int WindowCloseAll = 0;
const char* const ConfirmationText = "Do you want to save changes?";
const char* const OpenFailedText = "File open failed.";
const char* const SaveFailedText = "File save failed.";
const char* const EditorText = "F0 7E 7F 06 01 F7";
const char* const EditorFileQuestion = "Save changes to bank.syx?";
const QList<int> DefaultWindows = {Id::WindowIdMidiInMonitor, Id::WindowIdMidiOutMonitor, Id::WindowIdSystemExclusive};

QByteArray int32(qint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

struct Session
{
    Session()
    {
        initTarvoResources();
        QFile::remove(QStandardPaths::standardLocations(QStandardPaths::AppConfigLocation).first()
                      + QStringLiteral("/Tarvo.ini"));
        m_pWindow = std::make_unique<MainWindow>(nullptr, &m_model);
        m_pWindow->show();
        (void)QTest::qWaitForWindowExposed(m_pWindow.get());
    }

    // Closed windows must be deleted while the main window is still whole.
    ~Session() { flushDeletes(); }

    void trigger(int menu, int index)
    {
        menuAction(*m_pWindow, menu, index)->trigger();
        flushDeletes();
    }

    QList<int> windowIds() const { return ::windowIds(*m_pWindow); }

    // A project of the given windows written by the program itself.
    void writeProject(const QString& path, const QList<Id::WindowId>& kinds)
    {
        m_pWindow->closeAllSubWindows();
        for (Id::WindowId kind : kinds)
            m_pWindow->createSubWindowByWindowId(kind, false, QRect(10, 10, 300, 200), Qt::WindowNoState, {});
        ProjectFileHelper::ProjectDescription description;
        QVERIFY(m_pWindow->describeProject(description));
        QCOMPARE(ProjectFileHelper().writeFile(path, description), int(ProjectFileHelper::WriteOk));
        m_pWindow->closeAllSubWindows();
        flushDeletes();
        m_model.setParameterEditFlag(ParameterNotEdited);
    }

    QString editorText() const
    {
        for (QMdiSubWindow* subWindow : m_pWindow->getSubWindowList()) {
            if (auto* text = subWindow->widget()->findChild<QPlainTextEdit*>()) {
                if (!text->isReadOnly())
                    return text->toPlainText();
            }
        }
        return QString();
    }

    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }

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

// Drags go where Qt delivers them: the tool window area's viewport.
bool dragEnter(MainWindow& window, const QMimeData* data)
{
    QWidget* viewport = window.findChild<QMdiArea*>()->viewport();
    QDragEnterEvent event(QPoint(100, 100), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
    return event.isAccepted() && event.dropAction() != Qt::IgnoreAction;
}

void drop(MainWindow& window, const QMimeData* data)
{
    QVERIFY(dragEnter(window, data));
    QDropEvent event(QPointF(120, 110), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.findChild<QMdiArea*>()->viewport(), &event);
    QVERIFY(event.isAccepted());
    flushDeletes();
}

// A small file system of its own, filled to the last byte by fill().
class FullFileSystem
{
public:
    FullFileSystem()
        : m_mounted(QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=64k", "tmpfs", m_dir.path()})
                    == 0)
    {
    }
    ~FullFileSystem()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_dir.path()});
    }
    void fill()
    {
        QFile filler(path("filler"));
        const QByteArray block(512, 'x');
        while (filler.open(QIODevice::Append) && filler.write(block) == block.size() && filler.flush())
            filler.close();
    }
    bool isMounted() const { return m_mounted; }
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }

private:
    QTemporaryDir m_dir;
    bool m_mounted;
};

} // namespace

class ProjectCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void saveChangesProtocol_data();
    void saveChangesProtocol();
    void openThenNoThenCancelKeepsTheEditMark();
    void editorFilesAreAskedAboutByName_data();
    void editorFilesAreAskedAboutByName();
    void refusedOpenLeavesTheProjectUntouched_data();
    void refusedOpenLeavesTheProjectUntouched();
    void failedSavesKeepTheOldFiles();
    void dropsOfTextAndProjectFiles();
    void hostileProjectsOpenBounded();
};

void ProjectCommandsTest::saveChangesProtocol_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("continues");
    enum { New, Open, CloseAll };
    const QList<QPair<const char*, int>> commands = {{"new", New}, {"open", Open}, {"close all", CloseAll}};
    for (const auto& command : commands) {
        QTest::addRow("%s, cancel", command.first) << command.second << int(QMessageBox::Cancel) << false;
        QTest::addRow("%s, no", command.first) << command.second << int(QMessageBox::No) << true;
        QTest::addRow("%s, yes", command.first) << command.second << int(QMessageBox::Yes) << true;
    }
}

void ProjectCommandsTest::saveChangesProtocol()
{
    QFETCH(int, command);
    QFETCH(int, answer);
    QFETCH(bool, continues);
    Session session;
    MainWindow& window = *session.m_pWindow;
    const QString other = session.path("other.tarvo");
    session.writeProject(other, {Id::WindowIdTimingClock});
    const QString song = session.path("song.tarvo");
    session.writeProject(song, {});
    QVERIFY(window.openFile(song));
    window.openToolWindow(WindowRestorationInfo::WindowIdKeyboard);
    QCOMPARE(window.windowTitle(), QStringLiteral("song.tarvo* - Tarvo Suite"));

    const QList<QList<int>> expected = {DefaultWindows, {Id::WindowIdTimingClock}, {}};
    {
        DialogAnswerer answerer(static_cast<QMessageBox::StandardButton>(answer));
        if (command == 1)
            window.openFile(other);
        else
            session.trigger(command == 0 ? FileMenu : WindowMenu, command == 0 ? int(FileNew) : WindowCloseAll);
        flushDeletes();
        QCOMPARE(answerer.m_texts, QStringList({ConfirmationText}));
    }
    QCOMPARE(session.windowIds(), continues ? expected.at(command) : QList<int>({Id::WindowIdKeyboard}));
    QCOMPARE(session.m_model.getParameterEditFlag(), continues ? ParameterNotEdited : ParameterEdited);
    // Only Yes wrote the keyboard into the song on the way.
    ProjectFileHelper::ProjectDescription saved;
    QCOMPARE(ProjectFileHelper().parseFile(song, saved), int(ProjectFileHelper::ReadOk));
    QCOMPARE(saved.toolWindows.size(), answer == QMessageBox::Yes ? 1 : 0);
}

void ProjectCommandsTest::openThenNoThenCancelKeepsTheEditMark()
{
    Session session;
    session.m_pWindow->openToolWindow(WindowRestorationInfo::WindowIdKeyboard);
    {
        DialogAnswerer answerer(QMessageBox::No);
        session.trigger(FileMenu, FileOpen);
        QCOMPARE(answerer.m_texts, QStringList({ConfirmationText}));
        QCOMPARE(answerer.m_fileDialogProposals.size(), 1);
    }
    // Nothing was discarded, so closing still asks.
    QCOMPARE(session.m_model.getParameterEditFlag(), ParameterEdited);
    QCOMPARE(session.windowIds(), QList<int>({1, 2, 3, 4}));
}

void ProjectCommandsTest::editorFilesAreAskedAboutByName_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<bool>("closed");
    const QString fileQuestion = QString::fromLatin1(EditorFileQuestion);
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << QStringList{fileQuestion} << false;
    QTest::newRow("no") << int(QMessageBox::No) << QStringList{fileQuestion, ConfirmationText} << true;
    QTest::newRow("yes") << int(QMessageBox::Yes) << QStringList{fileQuestion, ConfirmationText} << true;
}

// Close All asks about an editor's own file by its name before the project.
void ProjectCommandsTest::editorFilesAreAskedAboutByName()
{
    QFETCH(int, answer);
    QFETCH(QStringList, questions);
    QFETCH(bool, closed);
    Session session;
    MainWindow& window = *session.m_pWindow;
    const QString song = session.path("song.tarvo");
    session.writeProject(song, {});
    QVERIFY(window.openFile(song));
    const QString bank = session.path("bank.syx");
    const QByteArray original = QByteArray::fromHex("F07E7F0601F7");
    writeAll(bank, original);
    QVERIFY(window.openFile(bank));
    auto* text = window.getSubWindowList().first()->widget()->findChild<QPlainTextEdit*>();
    text->moveCursor(QTextCursor::End);
    QTest::keyClicks(text, QStringLiteral(" F0 01 F7"));
    {
        DialogAnswerer answerer(static_cast<QMessageBox::StandardButton>(answer));
        session.trigger(WindowMenu, WindowCloseAll);
        QCOMPARE(answerer.m_texts, questions);
    }
    QCOMPARE(session.windowIds().isEmpty(), closed);
    QCOMPARE(readAll(bank), answer == QMessageBox::Yes ? original + QByteArray::fromHex("F001F7") : original);
}

void ProjectCommandsTest::refusedOpenLeavesTheProjectUntouched_data()
{
    QTest::addColumn<int>("windowId");
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown kind") << int(Id::WindowIdUnknown) << QByteArray(4, '\0') << QString::fromLatin1(OpenFailedText);
    // Opened, the editor would be empty, and a save would lose its text.
    QTest::newRow("editor text longer than its block")
        << int(Id::WindowIdSystemExclusive) << int32(0) + int32(1 << 30) + EditorText
        << QStringLiteral("The System Exclusive window's content is damaged: at byte 0 of its block, the text is "
                          "longer than the rest of the block. The project was not opened.");
}

void ProjectCommandsTest::refusedOpenLeavesTheProjectUntouched()
{
    QFETCH(int, windowId);
    QFETCH(QByteArray, block);
    QFETCH(QString, message);
    Session session;
    MainWindow& window = *session.m_pWindow;
    const QString good = session.path("good.tarvo");
    session.writeProject(good, {Id::WindowIdSystemExclusive});
    QVERIFY(window.openFile(good));
    window.getSubWindowList().first()->widget()->findChild<QPlainTextEdit*>()->setPlainText(EditorText);
    QCOMPARE(session.m_model.getParameterEditFlag(), ParameterEdited);
    const QString title = window.windowTitle();

    // Well-formed up to its last record, which the row spoils.
    ProjectFileHelper helper;
    ProjectFileHelper::ProjectDescription description;
    QCOMPARE(helper.parseFile(good, description), int(ProjectFileHelper::ReadOk));
    QByteArray bad = helper.serialize(description);
    QByteArray body(28, '\0');
    body[3] = char(windowId);
    bad += int32(body.size()) + body + int32(block.size()) + block;
    const QString badPath = session.path("bad.tarvo");
    writeAll(badPath, bad);
    {
        DialogAnswerer answerer(QMessageBox::No);
        QVERIFY(!window.openFile(badPath));
        QCOMPARE(answerer.m_texts, QStringList({ConfirmationText, message}));
    }
    QCOMPARE(readAll(badPath), bad);
    flushDeletes();
    QCOMPARE(session.windowIds(), QList<int>({Id::WindowIdSystemExclusive}));
    QCOMPARE(session.editorText(), QString::fromLatin1(EditorText));
    QCOMPARE(window.windowTitle(), title);
    QCOMPARE(session.m_model.m_projectFilePath, good);
    QCOMPARE(session.m_model.getParameterEditFlag(), ParameterEdited);

    // Ctrl+S still writes the good project, text and all.
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(session.m_model.getParameterEditFlag(), ParameterNotEdited);
    QCOMPARE(helper.parseFile(good, description), int(ProjectFileHelper::ReadOk));
    QCOMPARE(description.toolWindows.size(), 1);
    QVERIFY(description.toolWindows.first().content.contains(EditorText));
}

void ProjectCommandsTest::failedSavesKeepTheOldFiles()
{
    if (geteuid() != 0)
        QSKIP("mounting a small file system needs root");
    FullFileSystem disk;
    QVERIFY(disk.isMounted());
    Session session;
    MainWindow& window = *session.m_pWindow;
    const QString project = disk.path("song.tarvo");
    session.writeProject(project, {Id::WindowIdSystemExclusive});
    const QString textFile = disk.path("dump.txt");
    writeAll(textFile, EditorText);
    QVERIFY(window.openFile(project));
    const QByteArray oldProject = readAll(project);
    disk.fill();

    // Small enough to fail only when the new file is flushed.
    window.getSubWindowList().first()->widget()->findChild<QPlainTextEdit*>()->setPlainText(
        QString::fromLatin1(EditorText).repeated(2));
    const QString title = window.windowTitle();
    {
        DialogAnswerer answerer(QMessageBox::Ok);
        session.trigger(FileMenu, FileSave);
        QCOMPARE(answerer.m_texts, QStringList({SaveFailedText}));
    }
    QCOMPARE(readAll(project), oldProject);
    QCOMPARE(session.m_model.getParameterEditFlag(), ParameterEdited);
    QCOMPARE(window.windowTitle(), title);

    QString reason;
    QVERIFY(!Utility::saveAtTextFileName(textFile, QStringLiteral("F0 F7"), &reason));
    QVERIFY(!reason.isEmpty());
    QCOMPARE(readAll(textFile), QByteArray(EditorText));
    // Nothing is left beside the targets.
    QCOMPARE(QDir(disk.path("")).entryList(QDir::Files).size(), 3);
}

void ProjectCommandsTest::dropsOfTextAndProjectFiles()
{
    Session session;
    MainWindow& window = *session.m_pWindow;
    const QString dump = session.path("dump.txt");
    writeAll(dump, EditorText);
    const QString project = session.path("song.tarvo");
    session.writeProject(project, {Id::WindowIdTimingClock});
    session.m_model.setParameterEditFlag(ParameterNotEdited);

    // Message files by their last suffix in any case; project files only as "tarvo".
    for (const char* name : {"x.tar.tarvo", "song.TARVO", "notes.mid", "dump.txt.old"}) {
        std::unique_ptr<QMimeData> data(uriList({session.path(name)}));
        QVERIFY2(!dragEnter(window, data.get()), name);
    }
    for (const char* name : {"dump.old.txt", "DUMP.TXT", "patch.v2.syx", "bank.Syx"}) {
        std::unique_ptr<QMimeData> data(uriList({session.path(name)}));
        QVERIFY2(dragEnter(window, data.get()), name);
    }
    QMimeData plainText;
    plainText.setText(QUrl::fromLocalFile(dump).toString());
    QVERIFY(!dragEnter(window, &plainText));
    std::unique_ptr<QMimeData> dumpData(uriList({dump, project}));
    std::unique_ptr<QMimeData> projectData(uriList({project, dump}));
    session.m_model.setModelIntValue(TransmissionStateId, TransmissionRunning);
    QVERIFY(!dragEnter(window, dumpData.get()));
    session.m_model.setModelIntValue(TransmissionStateId, TransmissionIdle);

    // Only the first file counts.
    drop(window, dumpData.get());
    QCOMPARE(session.windowIds(), QList<int>({Id::WindowIdSystemExclusive}));
    QCOMPARE(session.editorText(), QString::fromLatin1(EditorText));
    QCOMPARE(session.m_model.getModelStringValue(DumpFileWorkingDirectoryId), session.m_dir.path());
    {
        DialogAnswerer answerer(QMessageBox::No);
        drop(window, projectData.get());
        QCOMPARE(answerer.m_texts, QStringList({ConfirmationText}));
    }
    QCOMPARE(session.windowIds(), QList<int>({Id::WindowIdTimingClock}));
    QCOMPARE(session.m_model.m_projectFilePath, project);
}

void ProjectCommandsTest::hostileProjectsOpenBounded()
{
    Session session;
    MainWindow& window = *session.m_pWindow;
    ProjectFileHelper helper;
    ProjectFileHelper::ProjectDescription description;
    description.mainWindow.rect = QRect(0, 0, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    ProjectFileHelper::ToolWindowRecord record;
    record.info.rect = QRect(-5000, 90000, QWIDGETSIZE_MAX, 10);
    for (Id::WindowId kind : {Id::WindowIdTimingClock, Id::WindowIdMidiInMonitor, Id::WindowIdKeyboard}) {
        record.info.windowId = kind;
        for (int copy = 0; copy < 1000; ++copy)
            description.toolWindows.append(record);
    }
    const QString path = session.path("hostile.tarvo");
    writeAll(path, helper.serialize(description));

    QVERIFY(window.openFile(path));
    flushDeletes();
    QList<int> expected = {Id::WindowIdMidiInMonitor, Id::WindowIdTimingClock};
    for (int copy = 0; copy < ToolWindowQuota::MultiInstanceLimit; ++copy)
        expected.append(Id::WindowIdKeyboard);
    std::sort(expected.begin(), expected.end());
    QCOMPARE(session.windowIds(), expected);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(screen.contains(window.geometry()));
    for (QMdiSubWindow* subWindow : window.getSubWindowList())
        QVERIFY(QRect(QPoint(0, 0), screen.size()).contains(subWindow->geometry()));
}

QTEST_MAIN(ProjectCommandsTest)
#include "ProjectCommandsTest.moc"
