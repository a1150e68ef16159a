#include "VirtualMidiPlatform.h"
#include "app/MainWindow.h"
#include "model/TarvoModel.h"
#include "project/ProjectFileHelper.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDataStream>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>

// The resources live in a static library, so the test registers them itself.
static bool initTarvoResources()
{
    Q_INIT_RESOURCE(tarvo);
    return true;
}

namespace {

const int HeaderSize = 56;
const int ChunkSizeOffset = 52;
const QRect MainRect(20, 30, 679, 548);

enum { ReadOk = 0, ReadVersionError = 1, ReadFormatError = 2 };

QByteArray int32(qint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

qint32 int32At(const QByteArray& bytes, int offset)
{
    return qFromBigEndian<qint32>(bytes.constData() + offset);
}

QByteArray identifier(const char* text)
{
    return QByteArray(text).leftJustified(16, '\0');
}

QByteArray header(const char* version = "1.1.0")
{
    return identifier("HALVEK GROUP") + identifier("Tarvo Suite") + identifier(version) + QByteArray("WIND");
}

// A window record: L, then the body as the program writes it.
QByteArray windowRecord(int windowId, const QRect& rect, const QVariantList& values = {}, int state = 0,
                        qint32 marker = 16)
{
    QByteArray body;
    QDataStream stream(&body, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_5_6);
    stream << qint32(windowId) << qint32(0) << qint32(rect.x()) << qint32(rect.y()) << qint32(rect.width())
           << qint32(rect.height()) << qint32(state);
    for (const QVariant& value : values)
        stream << marker << value;
    return int32(body.size()) + body;
}

QByteArray contentBlock(const QByteArray& content)
{
    return int32(content.size()) + content;
}

QByteArray intRecords(const QList<QPair<int, int>>& records)
{
    QByteArray bytes;
    for (const auto& record : records)
        bytes += int32(record.first) + int32(4) + int32(record.second);
    return bytes;
}

QByteArray projectFile(const QByteArray& chunk, const char* version = "1.1.0")
{
    return header(version) + int32(chunk.size()) + chunk;
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
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

// Delivers what the windows posted, and deletes the closed ones, as the
// event loop would between two commands.
void flushDeletes()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int readProject(const QString& path)
{
    const int result = ProjectFileHelper().readFile(path);
    flushDeletes();
    return result;
}

QList<int> windowIds(MainWindow& window)
{
    QList<int> ids;
    for (QMdiSubWindow* subWindow : window.getSubWindowList()) {
        if (auto* info = dynamic_cast<WindowRestorationInfo*>(subWindow->widget()))
            ids.append(info->windowId);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

// Answers every message box that opens while it lives (with the given button,
// or OK when the box has no such button) and keeps their texts.
class MessageBoxAnswerer
{
public:
    explicit MessageBoxAnswerer(QMessageBox::StandardButton answer)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, answer]() {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(widget);
                if (!box || !box->isVisible())
                    continue;
                QAbstractButton* button = box->button(answer);
                if (!button)
                    button = box->button(QMessageBox::Ok);
                m_texts.append(box->text());
                button->click();
            }
        });
        m_timer.start(5);
    }

    QStringList m_texts;

private:
    QTimer m_timer;
};

// A shown main window on the virtual MIDI platform, as the program has it
// before it opens a project, with no tool windows and a folder for its files.
struct Bench
{
    Bench()
    {
        m_window.show();
        m_window.closeAllSubWindows();
        flushDeletes();
    }

    // Closed windows wait for their deferred deletion; they must go while
    // the main window whose lists they leave is still whole.
    ~Bench()
    {
        flushDeletes();
    }

    QString path(const char* name) const
    {
        return m_dir.filePath(QLatin1String(name));
    }

    bool m_resources = initTarvoResources();
    VirtualMidiPlatform m_platform;
    TarvoModel m_model;
    MainWindow m_window {nullptr, &m_model};
    QTemporaryDir m_dir;
};

// Where each stored window's bytes end in a file the program wrote: the main
// window's record, then each tool window's record with its content block.
QList<int> entryEnds(const QByteArray& file)
{
    QList<int> ends;
    int offset = HeaderSize;
    offset += 4 + int32At(file, offset);
    ends.append(offset);
    while (offset < file.size()) {
        offset += 4 + int32At(file, offset);
        offset += 4 + int32At(file, offset);
        ends.append(offset);
    }
    return ends;
}

} // namespace

class ProjectFileTest : public QObject
{
    Q_OBJECT

private slots:
    void emptyProjectIsHeaderAndMainRecord();
    void toolWindowRecordsAndBlocks();
    void versionDigitsAreComparedOneByOne();
    void fileEndingAfterMainRecordOpensWithoutToolWindows();
    void windowsWithoutContentAreNotStored();
    void stayOnTopMainWindowStaysShown();
    void recordsAreReadUpToTheEndOfTheData();
    void lengthsBeyondTheDataAreFormatErrors();
    void containerValuesAreRefused();
    void unknownKindsAndUnplaceableGeometryAreFormatErrors();
    void windowLimitInFileIsFormatError();
    void minimizedFixedSizeWindowsReopenMinimized();
    void everyPrefixFailsOrOpensCleanly();
    void randomlyCorruptedFilesNeverCrash();
};

void ProjectFileTest::emptyProjectIsHeaderAndMainRecord()
{
    Bench bench;
    bench.m_window.setGeometry(MainRect);
    const QString path = bench.path("empty.tarvo");
    QCOMPARE(ProjectFileHelper().writeFile(path), 0);

    const QByteArray bytes = readAll(path);
    QCOMPARE(bytes.size(), 88);
    QCOMPARE(bytes.mid(0, 16), QByteArray("HALVEK GROUP\0\0\0\0", 16));
    QCOMPARE(bytes.mid(16, 16), QByteArray("Tarvo Suite\0\0\0\0\0", 16));
    QCOMPARE(bytes.mid(32, 16), QByteArray("1.1.0\0\0\0\0\0\0\0\0\0\0\0", 16));
    QCOMPARE(bytes.mid(48, 4), QByteArray("WIND"));
    QCOMPARE(int32At(bytes, 52), 32);
    QCOMPARE(int32At(bytes, 56), 28);
    const QList<qint32> expected = {0, 0, MainRect.x(), MainRect.y(), MainRect.width(), MainRect.height(), 0};
    for (int field = 0; field < expected.size(); ++field)
        QCOMPARE(int32At(bytes, 60 + 4 * field), expected[field]);

    QCOMPARE(readProject(path), int(ReadOk));
    QVERIFY(windowIds(bench.m_window).isEmpty());
    QCOMPARE(bench.m_window.geometry(), MainRect);
}

void ProjectFileTest::toolWindowRecordsAndBlocks()
{
    Bench bench;
    bench.m_window.setGeometry(MainRect);
    const QRect monitorRect(12, 34, 300, 200);
    QMdiSubWindow* monitorWindow = bench.m_window.createSubWindowByWindowId(
        WindowRestorationInfo::WindowIdMidiInMonitor, false, monitorRect, Qt::WindowNoState, {});
    QVERIFY(monitorWindow);
    const QString monitorPath = bench.path("monitor.tarvo");
    QCOMPARE(ProjectFileHelper().writeFile(monitorPath), 0);
    const QByteArray monitor = readAll(monitorPath);
    QCOMPARE(monitor.size(), 56 + 32 + 4 + 28 + 4);
    QCOMPARE(int32At(monitor, 52), 68);
    QCOMPARE(int32At(monitor, 88), 28);
    // The state is the sub-window's own, with its active flag.
    const QList<qint32> expected = {1, 0, monitorRect.x(), monitorRect.y(), monitorRect.width(),
                                    monitorRect.height(), int(monitorWindow->windowState())};
    for (int field = 0; field < expected.size(); ++field)
        QCOMPARE(int32At(monitor, 92 + 4 * field), expected[field]);
    QCOMPARE(int32At(monitor, 120), 0);

    // A control change window carries its controller in the record's values
    // and writes four integer records as its content.
    bench.m_window.closeAllSubWindows();
    flushDeletes();
    const QRect controlRect(40, 50, 225, 250);
    QMdiSubWindow* controlWindow = bench.m_window.createSubWindowByWindowId(
        WindowRestorationInfo::WindowIdControlChange, false, controlRect, Qt::WindowNoState, {7, 0});
    QVERIFY(controlWindow);
    const QString controlPath = bench.path("control.tarvo");
    QCOMPARE(ProjectFileHelper().writeFile(controlPath), 0);
    const QByteArray control = readAll(controlPath);
    const QByteArray variantSeven = int32(16) + int32(QMetaType::Int) + QByteArray(1, '\0') + int32(7);
    const QByteArray variantZero = int32(16) + int32(QMetaType::Int) + QByteArray(1, '\0') + int32(0);
    const QByteArray expectedEntry = int32(54) + int32(5) + int32(0) + int32(40) + int32(50) + int32(225)
        + int32(250) + int32(controlWindow->windowState()) + variantSeven + variantZero
        + contentBlock(intRecords({{0, 1}, {1, 7}, {2, 100}, {3, 0}}));
    QCOMPARE(control.mid(88), expectedEntry);
    QCOMPARE(int32At(control, 52), 32 + expectedEntry.size());

    QCOMPARE(readProject(controlPath), int(ReadOk));
    const QList<QMdiSubWindow*> restored = bench.m_window.getSubWindowList();
    QCOMPARE(restored.size(), 1);
    QCOMPARE(restored.first()->geometry(), controlRect);
    auto* info = dynamic_cast<WindowRestorationInfo*>(restored.first()->widget());
    QVERIFY(info);
    QCOMPARE(info->windowId, int(WindowRestorationInfo::WindowIdControlChange));
    QCOMPARE(info->values, QVariantList({7, 0}));
}

void ProjectFileTest::versionDigitsAreComparedOneByOne()
{
    Bench bench;
    const QByteArray chunk = windowRecord(0, MainRect);
    const QList<QPair<const char*, int>> versions = {
        {"1.0.0", ReadOk},           {"1.1.0", ReadOk},           {"0.1.0", ReadOk},
        {"1.2.0", ReadVersionError}, {"2.0.0", ReadVersionError}, {"0.2.0", ReadVersionError},
        {"1.0.9", ReadVersionError},
    };
    for (const auto& version : versions) {
        const QString path = bench.path("version.tarvo");
        writeAll(path, projectFile(chunk, version.first));
        QVERIFY2(readProject(path) == version.second, version.first);
    }

    // Through the open command: the error box, and the project stays as it was.
    const QString oldPath = bench.path("old.tarvo");
    writeAll(oldPath, projectFile(chunk, "1.0.0"));
    QVERIFY(bench.m_window.openFile(oldPath));
    QCOMPARE(bench.m_model.m_projectFilePath, oldPath);
    QCOMPARE(bench.m_window.windowTitle(), QStringLiteral("old.tarvo - Tarvo Suite"));

    const QString newerPath = bench.path("newer.tarvo");
    writeAll(newerPath, projectFile(chunk, "1.2.0"));
    const QString brokenPath = bench.path("broken.tarvo");
    writeAll(brokenPath, projectFile(chunk).replace("HALVEK", "HALVEX"));
    {
        MessageBoxAnswerer answerer(QMessageBox::Ok);
        QVERIFY(!bench.m_window.openFile(newerPath));
        QVERIFY(!bench.m_window.openFile(brokenPath));
        QCOMPARE(answerer.m_texts, QStringList({"File format version error.", "File open failed."}));
    }
    QCOMPARE(bench.m_model.m_projectFilePath, oldPath);
    QCOMPARE(bench.m_window.windowTitle(), QStringLiteral("old.tarvo - Tarvo Suite"));
}

void ProjectFileTest::fileEndingAfterMainRecordOpensWithoutToolWindows()
{
    Bench bench;
    bench.m_window.createSubWindowByWindowId(WindowRestorationInfo::WindowIdKeyboard, false, QRect(), {}, {});
    bench.m_window.createSubWindowByWindowId(WindowRestorationInfo::WindowIdMidiOutMonitor, false, QRect(), {}, {});
    QCOMPARE(windowIds(bench.m_window).size(), 2);
    const QString path = bench.path("main-only.tarvo");
    writeAll(path, projectFile(windowRecord(0, MainRect)));
    QCOMPARE(readProject(path), int(ReadOk));
    QVERIFY(windowIds(bench.m_window).isEmpty());
    QCOMPARE(bench.m_window.geometry(), MainRect);
}

void ProjectFileTest::stayOnTopMainWindowStaysShown()
{
    Bench bench;
    QVERIFY(bench.m_window.isVisible());
    QByteArray body;
    QDataStream stream(&body, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_5_6);
    stream << qint32(0) << qint32(1) << qint32(MainRect.x()) << qint32(MainRect.y()) << qint32(MainRect.width())
           << qint32(MainRect.height()) << qint32(0);
    const QString path = bench.path("on-top.tarvo");
    writeAll(path, projectFile(int32(body.size()) + body));
    QCOMPARE(readProject(path), int(ReadOk));
    QVERIFY(bench.m_window.windowFlags() & Qt::WindowStaysOnTopHint);
    // Setting the flag hides a window; the main window must not vanish.
    QVERIFY(bench.m_window.isVisible());
}

void ProjectFileTest::windowsWithoutContentAreNotStored()
{
    Bench bench;
    MainWindow& window = bench.m_window;
    QVERIFY(window.createMidiFilterView(QStringLiteral("&Filter")));
    QVERIFY(window.createMidiSettingsView(QStringLiteral("&MIDI Settings")));
    QVERIFY(window.createPreferencesView(QStringLiteral("&Preferences...")));
    QVERIFY(window.createSubWindowByWindowId(WindowRestorationInfo::WindowIdMidiOutMonitor, false,
                                             QRect(0, 0, 338, 274), {}, {}));
    const QString path = bench.path("filter.tarvo");
    QCOMPARE(ProjectFileHelper().writeFile(path), 0);
    QCOMPARE(entryEnds(readAll(path)).size(), 2);

    QCOMPARE(readProject(path), int(ReadOk));
    QCOMPARE(windowIds(window), QList<int>({WindowRestorationInfo::WindowIdMidiOutMonitor}));
    QCOMPARE(window.getSubWindowList().size(), 1);
}

void ProjectFileTest::recordsAreReadUpToTheEndOfTheData()
{
    Bench bench;
    // The value marker is not checked, and a block shorter than its view's
    // records leaves the remaining controls as they are.
    const QByteArray chunk = windowRecord(0, MainRect)
        + windowRecord(WindowRestorationInfo::WindowIdControlChange, QRect(5, 5, 225, 250), {10, 0}, 0, 99)
        + contentBlock(intRecords({{0, 3}})) + windowRecord(WindowRestorationInfo::WindowIdMidiInMonitor, QRect())
        + contentBlock(QByteArray());
    const QString path = bench.path("records.tarvo");
    writeAll(path, projectFile(chunk));
    QCOMPARE(readProject(path), int(ReadOk));
    QCOMPARE(windowIds(bench.m_window), QList<int>({1, 5}));
    for (QMdiSubWindow* subWindow : bench.m_window.getSubWindowList()) {
        auto* info = dynamic_cast<WindowRestorationInfo*>(subWindow->widget());
        if (info->windowId == WindowRestorationInfo::WindowIdControlChange)
            QCOMPARE(info->values, QVariantList({10, 0}));
    }

    // A record of an unknown kind is a format error.
    writeAll(path, projectFile(windowRecord(0, MainRect) + windowRecord(10, QRect()) + contentBlock({})));
    QCOMPARE(readProject(path), int(ReadFormatError));
}

void ProjectFileTest::lengthsBeyondTheDataAreFormatErrors()
{
    Bench bench;
    const QByteArray main = windowRecord(0, MainRect);
    const QByteArray keyboard = windowRecord(WindowRestorationInfo::WindowIdKeyboard, QRect(0, 0, 400, 120));
    const QByteArray valid = main + keyboard + contentBlock(intRecords({{1, 2}}));

    // The chunk size, the main window's and the keyboard's record lengths and
    // the keyboard's block size, each beyond the data or below one.
    QList<QByteArray> files;
    for (qint32 chunkSize : {0, -1, valid.size() + 1, 0x7FFFFFFF})
        files.append(header() + int32(chunkSize) + valid);
    for (qint32 length : {0, -28, 27, 0x7FFFFFFF, valid.size() - 3}) {
        QByteArray chunk = valid;
        chunk.replace(0, 4, int32(length));
        files.append(projectFile(chunk));
    }
    for (qint32 length : {0, 0x7FFFFFFF, valid.size() - main.size() - 3}) {
        QByteArray chunk = valid;
        chunk.replace(main.size(), 4, int32(length));
        files.append(projectFile(chunk));
    }
    // A negative block size is taken as an empty block: the 12 bytes after it
    // are then read as a record, which they are not.
    for (qint32 blockSize : {13, 0x7FFFFFFF, qint32(0x80000000u + 12)}) {
        QByteArray chunk = valid;
        chunk.replace(main.size() + keyboard.size(), 4, int32(blockSize));
        files.append(projectFile(chunk));
    }
    files.append(projectFile(main + keyboard + int32(5)));
    files.append(header() + int32(1));
    files.append(header().left(50));
    files.append(QByteArray());

    const QString path = bench.path("hostile.tarvo");
    for (int index = 0; index < files.size(); ++index) {
        writeAll(path, files[index]);
        QVERIFY2(readProject(path) == ReadFormatError, qPrintable(QString::number(index)));
    }
    QCOMPARE(readProject(bench.path("missing.tarvo")), int(ReadFormatError));

    writeAll(path, projectFile(valid));
    QCOMPARE(readProject(path), int(ReadOk));
}

void ProjectFileTest::containerValuesAreRefused()
{
    Bench bench;
    const QString path = bench.path("values.tarvo");
    const QByteArray fixedFields = int32(WindowRestorationInfo::WindowIdControlChange) + int32(0) + int32(0)
        + int32(0) + int32(225) + int32(250) + int32(0);
    const QByteArray huge = int32(0x7FFFFFFF);
    // Type id, null flag, then what the type reads first: an element count
    // or a byte length that the file does not hold.
    const QList<QByteArray> values = {
        int32(QMetaType::QVariantList) + QByteArray(1, '\0') + huge,
        int32(QMetaType::QStringList) + QByteArray(1, '\0') + huge,
        int32(QMetaType::QVariantMap) + QByteArray(1, '\0') + huge,
        int32(QMetaType::QVariantHash) + QByteArray(1, '\0') + huge,
        int32(QMetaType::QByteArrayList) + QByteArray(1, '\0') + huge,
        int32(QMetaType::QBitArray) + QByteArray(1, '\0') + huge,
        int32(QMetaType::QPolygon) + QByteArray(1, '\0') + huge,
        int32(QMetaType::User) + QByteArray(1, '\0') + huge,
        int32(QMetaType::UnknownType) + QByteArray(1, '\0'),
        int32(QMetaType::QString) + QByteArray(1, '\0') + int32(qint32(0xFFFFFFF0u)),
        int32(QMetaType::QByteArray) + QByteArray(1, '\0') + int32(0x7FFFFFF0),
        int32(QMetaType::Int) + QByteArray(1, '\0') + QByteArray(2, '\0'),
        int32(QMetaType::Int),
        QByteArray(2, '\0'),
    };
    for (int index = 0; index < values.size(); ++index) {
        const QByteArray body = fixedFields + int32(16) + values[index];
        const QByteArray chunk = windowRecord(0, MainRect) + int32(body.size()) + body + contentBlock({});
        writeAll(path, projectFile(chunk));
        QVERIFY2(readProject(path) == ReadFormatError, qPrintable(QString::number(index)));
    }

    // Plain values of every accepted kind are kept in the record.
    const QVariantList plain = {7, true, 3u, qint64(-4), quint64(5), 0.5, QChar('x'), QStringLiteral("text"),
                                QByteArray("raw"), QRect(1, 2, 3, 4), QSize(5, 6), QPoint(7, 8)};
    QByteArray chunk = windowRecord(0, MainRect) + windowRecord(WindowRestorationInfo::WindowIdControlChange,
                                                                QRect(0, 0, 225, 250), plain);
    writeAll(path, projectFile(chunk + contentBlock({})));
    QCOMPARE(readProject(path), int(ReadOk));
    QCOMPARE(windowIds(bench.m_window), QList<int>({WindowRestorationInfo::WindowIdControlChange}));
}

void ProjectFileTest::unknownKindsAndUnplaceableGeometryAreFormatErrors()
{
    Bench bench;
    const QString path = bench.path("kinds.tarvo");
    const QByteArray main = windowRecord(0, MainRect);
    for (int windowId : {0, -1, 10, 11, 12, 2306, int(0x80000000u)}) {
        writeAll(path, projectFile(main + windowRecord(windowId, QRect(0, 0, 200, 100)) + contentBlock({})));
        QVERIFY2(readProject(path) == ReadFormatError, qPrintable(QString::number(windowId)));
    }

    // Edges beyond what a widget can take, in the main window's record and
    // in a tool window's.
    const int maximum = QWIDGETSIZE_MAX;
    const QList<QList<qint32>> rects = {{0x7FFFFFFF, 0, 0x7FFFFFFF, 100}, {0, -0x7FFFFFFF, 100, -0x7FFFFFFF},
                                        {-maximum - 1, 0, 100, 100},      {0, 0, maximum + 1, 100},
                                        {0, 0, 100, -1},                  {0, maximum + 1, 100, 100}};
    for (const QList<qint32>& rect : rects) {
        const QByteArray body = int32(0) + int32(0) + int32(rect[0]) + int32(rect[1]) + int32(rect[2])
            + int32(rect[3]) + int32(0);
        writeAll(path, projectFile(int32(body.size()) + body));
        QCOMPARE(readProject(path), int(ReadFormatError));
        QByteArray tool = body;
        tool.replace(0, 4, int32(WindowRestorationInfo::WindowIdMidiInMonitor));
        writeAll(path, projectFile(main + int32(tool.size()) + tool + contentBlock({})));
        QCOMPARE(readProject(path), int(ReadFormatError));
    }
    // The largest geometry a widget takes is still a window.
    writeAll(path, projectFile(main + windowRecord(WindowRestorationInfo::WindowIdMidiInMonitor,
                                                   QRect(-maximum, -maximum, maximum, maximum))
                               + contentBlock({})));
    QCOMPARE(readProject(path), int(ReadOk));
    QCOMPARE(windowIds(bench.m_window), QList<int>({WindowRestorationInfo::WindowIdMidiInMonitor}));
}

void ProjectFileTest::windowLimitInFileIsFormatError()
{
    Bench bench;
    QByteArray chunk = windowRecord(0, MainRect);
    for (int count = 0; count < 17; ++count)
        chunk += windowRecord(WindowRestorationInfo::WindowIdKeyboard, QRect()) + contentBlock({});
    const QString path = bench.path("keyboards.tarvo");
    writeAll(path, projectFile(chunk));
    MessageBoxAnswerer answerer(QMessageBox::Ok);
    QCOMPARE(readProject(path), int(ReadFormatError));
    QCOMPARE(answerer.m_texts, QStringList({"Unable to open a new Keyboard View.\n"
                                            "Please close any opened Keyboard View before trying again."}));
    // The windows read before the failure stay open.
    QCOMPARE(windowIds(bench.m_window).size(), 16);
}

void ProjectFileTest::minimizedFixedSizeWindowsReopenMinimized()
{
    Bench bench;
    const QByteArray chunk = windowRecord(0, MainRect)
        + windowRecord(WindowRestorationInfo::WindowIdProgramChange, QRect(0, 0, 210, 300), {}, Qt::WindowMinimized)
        + contentBlock({})
        + windowRecord(WindowRestorationInfo::WindowIdKeyboard, QRect(0, 0, 400, 120), {}, Qt::WindowMinimized)
        + contentBlock({});
    const QString path = bench.path("minimized.tarvo");
    writeAll(path, projectFile(chunk));
    QCOMPARE(readProject(path), int(ReadOk));
    const QList<QMdiSubWindow*> windows = bench.m_window.getSubWindowList();
    QCOMPARE(windows.size(), 2);
    for (QMdiSubWindow* subWindow : windows)
        QVERIFY(subWindow->windowState() & Qt::WindowMinimized);

    // The user minimizes the active one of two, then maximizes a resizable
    // window: fixed-size windows lose only a maximized state.
    QMdiSubWindow* programChange = bench.m_window.createMidiProgramChangeView(QStringLiteral("&Program Change"));
    QMdiSubWindow* controlChange = bench.m_window.createMidiControlChangeView(QStringLiteral("&Control Change"), 7);
    static_cast<QMdiArea*>(bench.m_window.centralWidget())->setActiveSubWindow(programChange);
    programChange->showMinimized();
    QVERIFY(programChange->windowState() & Qt::WindowMinimized);
    controlChange->showMaximized();
    QVERIFY(controlChange->windowState() & Qt::WindowMaximized);
    for (QMdiSubWindow* subWindow : windows)
        QVERIFY(!(subWindow->windowState() & Qt::WindowMaximized));
}

void ProjectFileTest::everyPrefixFailsOrOpensCleanly()
{
    Bench bench;
    MainWindow& window = bench.m_window;
    window.setGeometry(MainRect);
    // Damaged files may give the main window any size: it is never painted.
    window.setUpdatesEnabled(false);
    const QList<int> kinds = {1, 3, 4, 5, 6, 9};
    for (int kind : kinds) {
        QMdiSubWindow* subWindow = window.createSubWindowByWindowId(
            static_cast<WindowRestorationInfo::WindowId>(kind), false, QRect(10 * kind, 10 * kind, 240, 200), {},
            kind == WindowRestorationInfo::WindowIdControlChange ? QVariantList({7, 0}) : QVariantList());
        QVERIFY(subWindow);
        if (kind == WindowRestorationInfo::WindowIdSystemExclusive)
            subWindow->widget()->findChild<QPlainTextEdit*>()->setPlainText(QStringLiteral("F0 7E 7F 06 01 F7"));
    }
    const QString path = bench.path("full.tarvo");
    QCOMPARE(ProjectFileHelper().writeFile(path), 0);
    const QByteArray full = readAll(path);
    const QList<int> ends = entryEnds(full);
    QCOMPARE(ends.size(), kinds.size() + 1);
    QCOMPARE(ends.last(), full.size());

    const QString prefixPath = bench.path("prefix.tarvo");
    for (int length = 0; length <= full.size(); ++length) {
        // As cut off: the chunk size claims more than is left.
        writeAll(prefixPath, full.left(length));
        const int expected = length == full.size() ? ReadOk : ReadFormatError;
        QVERIFY2(readProject(prefixPath) == expected, qPrintable(QString::number(length)));

        // With the chunk size made to fit, the file opens exactly when it
        // ends at the end of a stored window, with the windows before it.
        if (length < HeaderSize)
            continue;
        QByteArray fitted = full.left(length);
        fitted.replace(ChunkSizeOffset, 4, int32(length - HeaderSize));
        writeAll(prefixPath, fitted);
        const int result = readProject(prefixPath);
        const int complete = ends.indexOf(length);
        QVERIFY2(result == (complete >= 0 ? ReadOk : ReadFormatError), qPrintable(QString::number(length)));
        if (complete >= 0)
            QCOMPARE(windowIds(window).size(), complete);
    }

    QCOMPARE(readProject(path), int(ReadOk));
    QCOMPARE(windowIds(window), kinds);
}

void ProjectFileTest::randomlyCorruptedFilesNeverCrash()
{
    Bench bench;
    MainWindow& window = bench.m_window;
    window.setGeometry(MainRect);
    window.setUpdatesEnabled(false);
    for (int kind : {2, 3, 4, 5, 5, 6, 9}) {
        QVERIFY(window.createSubWindowByWindowId(static_cast<WindowRestorationInfo::WindowId>(kind), false,
                                                 QRect(0, 0, 240, 200), {}, {64, 0}));
    }
    const QString path = bench.path("valid.tarvo");
    QCOMPARE(ProjectFileHelper().writeFile(path), 0);
    const QByteArray valid = readAll(path);

    QRandomGenerator random(0x5EED1234);
    const QString corruptPath = bench.path("corrupt.tarvo");
    QMap<int, int> results;
    for (int round = 0; round < 1000; ++round) {
        QByteArray corrupt = valid;
        const int changes = random.bounded(1, 9);
        for (int change = 0; change < changes; ++change)
            corrupt[random.bounded(corrupt.size())] = char(random.bounded(256));
        writeAll(corruptPath, corrupt);
        const int result = readProject(corruptPath);
        QVERIFY2(result == ReadOk || result == ReadVersionError || result == ReadFormatError,
                 qPrintable(QString::number(round)));
        ++results[result];
    }
    // The changes reach the header, the records and the content blocks alike.
    QVERIFY(results.value(ReadOk) > 0);
    QVERIFY(results.value(ReadFormatError) > 0);

    QCOMPARE(readProject(path), int(ReadOk));
    QCOMPARE(windowIds(window), QList<int>({2, 3, 4, 5, 5, 6, 9}));
}

QTEST_MAIN(ProjectFileTest)
#include "ProjectFileTest.moc"
