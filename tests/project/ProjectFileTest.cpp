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

QByteArray textRecord(qint32 tag, qint32 length, const QByteArray& text)
{
    return int32(tag) + int32(length) + text;
}

// A project of one tool window of kind windowId with block as its content.
QByteArray withBlock(int windowId, const QByteArray& block)
{
    return file(record(Id::WindowIdMainWindow, MainRect) + record(windowId, ControlRect) + int32(block.size()) + block);
}

void addRow(const char* name, const QByteArray& bytes, Helper::ReadResult expected, int damagedWindow = 0,
            int damageOffset = -1)
{
    QTest::newRow(name) << bytes << int(expected) << damagedWindow << damageOffset;
}

// A block its window's view would take only in part: the parser refuses it,
// naming the window and where in its block the damage is.
void addDamagedRow(const char* name, int windowId, const QByteArray& block, int damageOffset)
{
    addRow(name, withBlock(windowId, block), Helper::ReadDamagedContent, windowId, damageOffset);
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
    QTest::addColumn<int>("damagedWindow");
    QTest::addColumn<int>("damageOffset");
    const QByteArray main = record(Id::WindowIdMainWindow, MainRect);
    const QByteArray monitor = record(Id::WindowIdMidiInMonitor, ControlRect);
    addRow("older version opens", file(main, header("HALVEK GROUP", "1.0.0")), Helper::ReadOk);
    addRow("file ends after the main record", file(main), Helper::ReadOk);
    addRow("empty", QByteArray(), Helper::ReadFormatError);
    addRow("first identifier", file(main, header("HALVEK GROUQ")), Helper::ReadFormatError);
    addRow("header cut short", header().left(40), Helper::ReadFormatError);
    addRow("newer minor", file(main, header("HALVEK GROUP", "1.2.0")), Helper::ReadVersionError);
    addRow("newer major", file(main, header("HALVEK GROUP", "2.0.0")), Helper::ReadVersionError);
    // Each digit is compared by itself.
    addRow("older major, newer minor", file(main, header("HALVEK GROUP", "0.9.0")), Helper::ReadVersionError);
    addRow("chunk id", file(main, header("HALVEK GROUP", "1.1.0", "WINE")), Helper::ReadFormatError);
    addRow("chunk size 0", header() + int32(0) + main, Helper::ReadFormatError);
    addRow("chunk size beyond the data", header() + int32(1 << 30) + main, Helper::ReadFormatError);
    addRow("record length 0", file(main + int32(0)), Helper::ReadFormatError);
    addRow("record length beyond the data", file(main + int32(1 << 30)), Helper::ReadFormatError);
    addRow("block length beyond the data", file(main + monitor + int32(1 << 30)), Helper::ReadFormatError);
    addRow("block length missing", file(main + monitor), Helper::ReadFormatError);
    // Qt would reserve whatever count a container claims.
    addRow("container value",
           file(main + record(Id::WindowIdControlChange, ControlRect, {QVariant(QVariantList {1})}) + int32(0)),
           Helper::ReadFormatError);
    addRow("unknown kind", file(main + record(Id::WindowIdUnknown, ControlRect) + int32(0)), Helper::ReadFormatError);
    addRow("main window kind as a tool window", file(main + record(Id::WindowIdMainWindow, ControlRect)),
           Helper::ReadFormatError);
    addRow("width no widget can take",
           file(main + record(Id::WindowIdMidiInMonitor, QRect(0, 0, QWIDGETSIZE_MAX + 1, 10)) + int32(0)),
           Helper::ReadFormatError);
    addRow("negative height", file(main + record(Id::WindowIdMidiInMonitor, QRect(0, 0, 10, -5)) + int32(0)),
           Helper::ReadFormatError);

    // Content blocks: whole ones open, however few of their records they hold.
    addRow("editor text", withBlock(Id::WindowIdSystemExclusive, textRecord(0, 3, "F0 ")), Helper::ReadOk);
    addRow("empty editor", withBlock(Id::WindowIdSystemExclusive, textRecord(0, 0, "")), Helper::ReadOk);
    addRow("keyboard channel alone", withBlock(Id::WindowIdKeyboard, intRecords({{1, 16}})), Helper::ReadOk);
    addRow("out monitor choices", withBlock(Id::WindowIdMidiOutMonitor, intRecords({{2, 1}, {1, 1}})), Helper::ReadOk);
    addDamagedRow("editor: text of another tag", Id::WindowIdSystemExclusive, textRecord(1, 3, "F0 "), 0);
    addDamagedRow("editor: text longer than the block", Id::WindowIdSystemExclusive, textRecord(0, 1 << 30, "F0 "), 0);
    addDamagedRow("editor: negative length", Id::WindowIdSystemExclusive, textRecord(0, -3, "F0 "), 0);
    addDamagedRow("editor: length cut short", Id::WindowIdSystemExclusive, int32(0) + QByteArray(2, '\0'), 0);
    addDamagedRow("editor: bytes after the text", Id::WindowIdSystemExclusive, textRecord(0, 2, "F7") + "F7 ", 10);
    addDamagedRow("editor: a zero byte in the text", Id::WindowIdSystemExclusive,
                  textRecord(0, 5, QByteArray("F0\0F7", 5)), 10);
    addDamagedRow("editor: not UTF-8", Id::WindowIdSystemExclusive, textRecord(0, 2, "\xC3\x28"), 0);
    addDamagedRow("editor: two texts", Id::WindowIdSystemExclusive, textRecord(0, 1, "a") + textRecord(0, 1, "b"), 9);
    addDamagedRow("keyboard: random bytes", Id::WindowIdKeyboard, QByteArray::fromHex("5f3a91c2e4b7082d6e19f0a3"), 0);
    addDamagedRow("control change: a number of 8 bytes", Id::WindowIdControlChange,
                  intRecords({{0, 1}}) + int32(1) + int32(8) + int32(0) + int32(7), 12);
    addDamagedRow("program change: a tag twice", Id::WindowIdProgramChange, intRecords({{5, 10}, {6, 1}, {5, 11}}),
                  24);
    addDamagedRow("timing clock: last record cut short", Id::WindowIdTimingClock,
                  intRecords({{0, 120}, {1, 1}}).left(22), 12);
    addDamagedRow("in monitor: a choice only the out monitor has", Id::WindowIdMidiInMonitor, intRecords({{2, 1}}), 0);
}

void ProjectFileTest::refusedBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, expected);
    QFETCH(int, damagedWindow);
    QFETCH(int, damageOffset);
    Helper::ProjectDescription description;
    description.mainWindow.windowId = Id::WindowIdUnknown;
    Helper::ContentDamage damage;
    QCOMPARE(Helper().parseBytes(bytes, description, &damage), expected);
    // A refused file leaves the description as it was.
    if (expected != Helper::ReadOk)
        QCOMPARE(description.mainWindow.windowId, int(Id::WindowIdUnknown));
    QCOMPARE(damage.windowId, damagedWindow);
    if (damageOffset >= 0)
        QVERIFY2(damage.problem.startsWith(QStringLiteral("at byte %1 of its block, ").arg(damageOffset)),
                 qPrintable(damage.problem));
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
