// The project file format without a window: bytes to description and back.

#include "project/ProjectFileHelper.h"
#include "project/WindowRestorationInfo.h"

#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>

using Helper = ProjectFileHelper;
using Id = WindowRestorationInfo;

namespace {

const QRect MainRect(20, 30, 679, 548);
const QRect ControlRect(40, 50, 225, 250);
const int ControlChangeController = 7;

QByteArray int32(qint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray identifier(const char* text)
{
    return QByteArray(text).leftJustified(16, '\0');
}

QByteArray header(const char* id1 = "HALVEK GROUP", const char* version = "1.1.0", const char* chunk = "WIND")
{
    return identifier(id1) + identifier("Tarvo Suite") + identifier(version) + QByteArray(chunk);
}

// A window record: L, then the body as the program writes it.
QByteArray record(int windowId, const QRect& rect, const QVariantList& values = {})
{
    QByteArray body;
    QDataStream stream(&body, QIODevice::WriteOnly);
    Helper::prepareStream(stream);
    stream << qint32(windowId) << qint32(0) << qint32(rect.x()) << qint32(rect.y()) << qint32(rect.width())
           << qint32(rect.height()) << qint32(0);
    for (const QVariant& value : values)
        stream << qint32(16) << value;
    return int32(body.size()) + body;
}

QByteArray file(const QByteArray& chunk, const QByteArray& head = header())
{
    return head + int32(chunk.size()) + chunk;
}

QByteArray intRecords(const QList<QPair<int, int>>& records)
{
    QByteArray bytes;
    for (const auto& entry : records)
        bytes += int32(entry.first) + int32(4) + int32(entry.second);
    return bytes;
}

Helper::ProjectDescription controlChangeProject()
{
    Helper::ProjectDescription description;
    description.mainWindow.rect = MainRect;
    Helper::ToolWindowRecord control;
    control.info.windowId = Id::WindowIdControlChange;
    control.info.rect = ControlRect;
    control.info.windowState = Qt::WindowActive;
    control.info.values = {ControlChangeController, 0};
    control.content = intRecords({{0, 1}, {1, ControlChangeController}, {2, 100}, {3, 0}});
    Helper::ToolWindowRecord filter;
    filter.info.windowId = Id::WindowIdFilter;
    filter.info.rect = ControlRect;
    description.toolWindows = {control, filter};
    return description;
}

} // namespace

class ProjectFileTest : public QObject
{
    Q_OBJECT

private slots:
    void layoutIsByteExact();
    void refusedBytes_data();
    void refusedBytes();
    void onlyRegularFilesOfSaneSizeAreOpened();
};

void ProjectFileTest::layoutIsByteExact()
{
    Helper helper;
    Helper::ProjectDescription empty;
    empty.mainWindow.rect = MainRect;
    // Header, N = 32, and the main window's 28-byte record.
    QCOMPARE(helper.serialize(empty), file(record(Id::WindowIdMainWindow, MainRect)));

    // A control change window carries its controller in the record's values
    // and its content block after it; a filter window has no block.
    const QByteArray controlBody = int32(Id::WindowIdControlChange) + int32(0) + int32(ControlRect.x())
        + int32(ControlRect.y()) + int32(ControlRect.width()) + int32(ControlRect.height()) + int32(Qt::WindowActive)
        + int32(16) + int32(QMetaType::Int) + QByteArray(1, '\0') + int32(ControlChangeController) + int32(16)
        + int32(QMetaType::Int) + QByteArray(1, '\0') + int32(0);
    const QByteArray content = controlChangeProject().toolWindows.first().content;
    const QByteArray chunk = record(Id::WindowIdMainWindow, MainRect) + int32(controlBody.size()) + controlBody
        + int32(content.size()) + content + record(Id::WindowIdFilter, ControlRect);
    QCOMPARE(helper.serialize(controlChangeProject()), file(chunk));
}

void ProjectFileTest::refusedBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("expected");
    const QByteArray main = record(Id::WindowIdMainWindow, MainRect);
    const QByteArray monitor = record(Id::WindowIdMidiInMonitor, ControlRect);
    QTest::newRow("older version opens") << file(main, header("HALVEK GROUP", "1.0.0")) << int(Helper::ReadOk);
    QTest::newRow("file ends after the main record") << file(main) << int(Helper::ReadOk);
    QTest::newRow("empty") << QByteArray() << int(Helper::ReadFormatError);
    QTest::newRow("first identifier") << file(main, header("HALVEK GROUQ")) << int(Helper::ReadFormatError);
    QTest::newRow("header cut short") << header().left(40) << int(Helper::ReadFormatError);
    QTest::newRow("newer minor") << file(main, header("HALVEK GROUP", "1.2.0")) << int(Helper::ReadVersionError);
    QTest::newRow("newer major") << file(main, header("HALVEK GROUP", "2.0.0")) << int(Helper::ReadVersionError);
    // Each digit is compared by itself.
    QTest::newRow("older major, newer minor")
        << file(main, header("HALVEK GROUP", "0.9.0")) << int(Helper::ReadVersionError);
    QTest::newRow("chunk id") << file(main, header("HALVEK GROUP", "1.1.0", "WINE")) << int(Helper::ReadFormatError);
    QTest::newRow("chunk size 0") << header() + int32(0) + main << int(Helper::ReadFormatError);
    QTest::newRow("chunk size beyond the data") << header() + int32(1 << 30) + main << int(Helper::ReadFormatError);
    QTest::newRow("record length 0") << file(main + int32(0)) << int(Helper::ReadFormatError);
    QTest::newRow("record length beyond the data") << file(main + int32(1 << 30)) << int(Helper::ReadFormatError);
    QTest::newRow("block length beyond the data")
        << file(main + monitor + int32(1 << 30)) << int(Helper::ReadFormatError);
    QTest::newRow("block length missing") << file(main + monitor) << int(Helper::ReadFormatError);
    // Qt would reserve whatever count a container claims.
    QTest::newRow("container value") << file(main + record(Id::WindowIdControlChange, ControlRect, {QVariant(QVariantList {1})})
                                             + int32(0))
                                     << int(Helper::ReadFormatError);
    QTest::newRow("unknown kind") << file(main + record(Id::WindowIdUnknown, ControlRect) + int32(0))
                                  << int(Helper::ReadFormatError);
    QTest::newRow("main window kind as a tool window") << file(main + record(Id::WindowIdMainWindow, ControlRect))
                                                       << int(Helper::ReadFormatError);
    QTest::newRow("width no widget can take")
        << file(main + record(Id::WindowIdMidiInMonitor, QRect(0, 0, QWIDGETSIZE_MAX + 1, 10)) + int32(0))
        << int(Helper::ReadFormatError);
    QTest::newRow("negative height") << file(main + record(Id::WindowIdMidiInMonitor, QRect(0, 0, 10, -5)) + int32(0))
                                     << int(Helper::ReadFormatError);
}

void ProjectFileTest::refusedBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, expected);
    Helper::ProjectDescription description;
    description.mainWindow.windowId = Id::WindowIdUnknown;
    QCOMPARE(Helper().parseBytes(bytes, description), expected);
    // A refused file leaves the description as it was.
    if (expected != Helper::ReadOk)
        QCOMPARE(description.mainWindow.windowId, int(Id::WindowIdUnknown));
}

void ProjectFileTest::onlyRegularFilesOfSaneSizeAreOpened()
{
    QTemporaryDir dir;
    Helper helper;
    Helper::ProjectDescription description;
    // Opening a FIFO would wait for a writer for ever.
    const QString fifo = dir.filePath(QStringLiteral("x.tarvo"));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(helper.parseFile(fifo, description), int(Helper::ReadNotRegularFile));
    const QString zeros = dir.filePath(QStringLiteral("zeros.tarvo"));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), zeros));
    QCOMPARE(helper.parseFile(zeros, description), int(Helper::ReadNotRegularFile));
    QCOMPARE(helper.parseFile(dir.path(), description), int(Helper::ReadNotRegularFile));

    // A sparse file: refused by its size, before a byte is read.
    QFile large(dir.filePath(QStringLiteral("large.tarvo")));
    QVERIFY(large.open(QIODevice::WriteOnly));
    large.write(file(record(Id::WindowIdMainWindow, MainRect)));
    QVERIFY(large.resize(Helper::MaximumFileSize + 1));
    large.close();
    QCOMPARE(helper.parseFile(large.fileName(), description), int(Helper::ReadTooLarge));
}

QTEST_GUILESS_MAIN(ProjectFileTest)
#include "ProjectFileTest.moc"
