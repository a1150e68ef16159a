#include "views/MidiEditView.h"

#include "SendingMainWindow.h"
#include "controls/ToolButton.h"
#include "services/MidiEditTransmittionThread.h"
#include "views/MidiEditTextView.h"

#include <QApplication>
#include <QDataStream>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedLayout>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <memory>

namespace {

// The text of bytes as the editor shows them: upper-case pairs and spaces.
QString hexText(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

bool writeTextFile(const QString& path, const char* text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == qint64(qstrlen(text));
}

// A System Exclusive message of size bytes, F0 and F7 included.
QByteArray sysEx(int size, char fill = 0x11)
{
    return char(0xF0) + QByteArray(size - 2, fill) + char(0xF7);
}

// What the user sees of a message view.
struct Page {
    MidiEditView* view;

    int index() const { return view->findChild<QStackedLayout*>()->currentIndex(); }
    QString label() const { return view->findChild<QLabel*>()->text(); }
    QPushButton* button() const { return view->findChild<QPushButton*>(); }
    QProgressBar* bar() const { return view->findChild<QProgressBar*>(); }
    MidiEditTextView* text() const { return view->findChild<MidiEditTextView*>(); }
    MidiEditTransmittionThread* thread() const { return view->findChild<MidiEditTransmittionThread*>(); }

    ToolButton* tool(const QString& tip) const
    {
        for (ToolButton* button : view->findChildren<ToolButton*>()) {
            if (button->toolTip() == tip) {
                return button;
            }
        }
        return nullptr;
    }
    void click(const QString& tip) const { QTest::mouseClick(tool(tip), Qt::LeftButton); }
};

// The page, label, button and bar at the moment a signal of the thread has
// been handled by the view.
struct Snapshot {
    int page;
    QString label;
    QString button;
    int barMinimum;
    int barMaximum;
    int barValue;

    bool operator==(const Snapshot& other) const
    {
        return page == other.page && label == other.label && button == other.button
            && barMinimum == other.barMinimum && barMaximum == other.barMaximum && barValue == other.barValue;
    }
};

char* toString(const Snapshot& snapshot)
{
    return QTest::toString(QStringLiteral("page %1, \"%2\", \"%3\", bar %4 to %5 at %6")
                               .arg(snapshot.page).arg(snapshot.label, snapshot.button)
                               .arg(snapshot.barMinimum).arg(snapshot.barMaximum).arg(snapshot.barValue));
}

// A hundred System Exclusive messages of 100 bytes, each with its own fill.
QString bulkDump()
{
    QByteArray bytes;
    for (int i = 0; i < 100; ++i) {
        bytes += sysEx(100, char(i));
    }
    return hexText(bytes);
}

} // namespace

class MidiEditViewTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void progressPageThreshold();
    void transmissionSucceedsOrFails();
    void runningStatusOutgrowsAnnouncedSize();
    void selectionIsTransmittedAlone();
    void cancelStopsMidway();
    void closingDuringTransmissionWaits();
    void toolBarsFollowTransmissionState();
    void receiveIntoEmptyEditor();
    void receiveOnEditorWithTextOpensSecondEditor();
    void monitorsIgnoreEditorCommands();
    void scrollFollowsOnlyAtTheEnd();
    void monitorKeepsNewest512Lines();
    void dropsOfTextFiles();
    void saveAndOpenTextFiles();
    void dataStreamBlocks();

private:
    MidiEditView* createView(MidiEditView::OpenMode mode, const QString& text = QString());
    QList<QByteArray> sentBytes() const { return m_pBench->sent(); }
    int transmissionState() const { return m_pModel->getModelIntValue(TransmissionStateId); }
    // Records a snapshot each time the view has handled the thread's signal.
    template <typename Signal>
    void watch(MidiEditView* view, Signal signal, QList<Snapshot>* snapshots);
    bool dragEnter(MidiEditView* view, const QString& path);
    void drop(MidiEditView* view, const QString& path);
    QList<MidiEditView*> editorsInSubWindows() const;

    std::unique_ptr<SendingMainWindow> m_pBench;
    TarvoModel* m_pModel = nullptr;
    QList<MidiEditView*> m_views;
    QTemporaryDir m_directory;
};

void MidiEditViewTest::initTestCase()
{
    QVERIFY(m_directory.isValid());
}

void MidiEditViewTest::init()
{
    m_pBench = std::make_unique<SendingMainWindow>();
    m_pModel = &m_pBench->m_model;
}

void MidiEditViewTest::cleanup()
{
    qDeleteAll(m_views);
    m_views.clear();
    m_pBench.reset();
}

MidiEditView* MidiEditViewTest::createView(MidiEditView::OpenMode mode, const QString& text)
{
    auto* view = new MidiEditView(nullptr, m_pModel, mode, text);
    m_views << view;
    view->resize(338, 274);
    view->show();
    if (!QTest::qWaitForWindowExposed(view)) {
        qWarning("view not exposed");
    }
    return view;
}

template <typename Signal>
void MidiEditViewTest::watch(MidiEditView* view, Signal signal, QList<Snapshot>* snapshots)
{
    // Queued after the view's own connection, so it runs right after the view's slot.
    Page page{view};
    connect(page.thread(), signal, view, [page, snapshots] {
        QProgressBar* bar = page.bar();
        *snapshots << Snapshot{page.index(), page.label(), page.button()->text(), bar ? bar->minimum() : -1,
                               bar ? bar->maximum() : -1, bar ? bar->value() : -1};
    }, Qt::QueuedConnection);
}

QList<MidiEditView*> MidiEditViewTest::editorsInSubWindows() const
{
    QList<MidiEditView*> views;
    for (QMdiSubWindow* subWindow : m_pBench->m_pWindow->getSubWindowList()) {
        if (auto* view = qobject_cast<MidiEditView*>(subWindow->widget())) {
            views << view;
        }
    }
    return views;
}

void MidiEditViewTest::progressPageThreshold()
{
    // 256 bytes go out without the progress page.
    MidiEditView* view = createView(MidiEditView::SystemExclusive, hexText(sysEx(256)));
    Page page{view};
    QSignalSpy pageChanges(view->findChild<QStackedLayout*>(), &QStackedLayout::currentChanged);
    page.click("Transmit");
    QTRY_COMPARE(transmissionState(), 0);
    QCOMPARE(sentBytes(), QList<QByteArray>{sysEx(256)});
    QCOMPARE(pageChanges.count(), 0);

    // 257 bytes show a bar from 0 to 257 and "Cancel".
    m_pBench->clearSent();
    page.text()->setPlainText(hexText(sysEx(257)));
    QList<Snapshot> started;
    watch(view, &MidiEditTransmittionThread::startTransmittion, &started);
    page.click("Transmit");
    QTRY_COMPARE(transmissionState(), 0);
    QCOMPARE(started, (QList<Snapshot>{{MidiEditView::ProgressView, "0Bytes", "Cancel", 0, 257, 0}}));
    QCOMPARE(sentBytes(), QList<QByteArray>{sysEx(257)});
}

void MidiEditViewTest::transmissionSucceedsOrFails()
{
    MidiEditView* view = createView(MidiEditView::SystemExclusive, hexText(sysEx(150) + sysEx(150)));
    Page page{view};
    QList<Snapshot> progress;
    watch(view, &MidiEditTransmittionThread::transmittionProgress, &progress);
    page.text()->setFocus();
    QTest::keyClick(page.text(), Qt::Key_F5);
    QCOMPARE(transmissionState(), 1);
    QTRY_COMPARE(transmissionState(), 0);
    QCOMPARE(progress, (QList<Snapshot>{{MidiEditView::ProgressView, "150Bytes", "Cancel", 0, 300, 150},
                                        {MidiEditView::ProgressView, "300Bytes", "Cancel", 0, 300, 300}}));
    QCOMPARE(page.index(), int(MidiEditView::GeneralView));
    QCOMPARE(page.label(), QStringLiteral("0Bytes"));
    QCOMPARE(page.button()->text(), QStringLiteral("OK"));
    QVERIFY(page.bar() == nullptr);

    // A lone digit fails: the progress page says so until OK brings the
    // unchanged text back.
    m_pBench->clearSent();
    page.text()->setPlainText(QStringLiteral("7"));
    page.click("Transmit");
    QTRY_COMPARE(transmissionState(), 0);
    QCOMPARE(page.index(), int(MidiEditView::ProgressView));
    QCOMPARE(page.label(), QStringLiteral("Failed to transmit message."));
    QCOMPARE(page.button()->text(), QStringLiteral("OK"));
    QVERIFY(page.bar() == nullptr);
    QVERIFY(sentBytes().isEmpty());
    QTest::mouseClick(page.button(), Qt::LeftButton);
    QCOMPARE(page.index(), int(MidiEditView::GeneralView));
    QCOMPARE(page.text()->toPlainText(), QStringLiteral("7"));
}

void MidiEditViewTest::runningStatusOutgrowsAnnouncedSize()
{
    // 90 then 200 data pairs: 401 bytes announced, 600 sent.
    MidiEditView* view = createView(MidiEditView::SystemExclusive,
                                    QStringLiteral("90") + QStringLiteral(" 3C 40").repeated(200));
    Page page{view};
    QList<Snapshot> progress;
    watch(view, &MidiEditTransmittionThread::transmittionProgress, &progress);
    page.click("Transmit");
    QTRY_COMPARE(transmissionState(), 0);

    QCOMPARE(sentBytes().size(), 200);
    QCOMPARE(sentBytes().last(), QByteArray::fromHex("903C40"));
    QCOMPARE(progress.size(), 200);
    QCOMPARE(progress[132], (Snapshot{MidiEditView::ProgressView, "399Bytes", "Cancel", 0, 401, 399}));
    QCOMPARE(progress.last(), (Snapshot{MidiEditView::ProgressView, "600Bytes", "Cancel", 0, 401, 401}));
    QCOMPARE(page.index(), int(MidiEditView::GeneralView));
}

void MidiEditViewTest::selectionIsTransmittedAlone()
{
    MidiEditView* view = createView(MidiEditView::SystemExclusive, QStringLiteral("90 3C 40\n80 3C 00\nF0 7E F7"));
    Page page{view};
    QTextCursor cursor = page.text()->textCursor();
    cursor.setPosition(0);
    cursor.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor);
    cursor.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
    page.text()->setTextCursor(cursor);
    page.text()->setFocus();
    QTest::keyClick(page.text(), Qt::Key_F5);
    QTRY_COMPARE(transmissionState(), 0);
    QCOMPARE(sentBytes(), (QList<QByteArray>{QByteArray::fromHex("903C40"), QByteArray::fromHex("803C00")}));
    QCOMPARE(page.text()->toPlainText(), QStringLiteral("90 3C 40\n80 3C 00\nF0 7E F7"));
}

void MidiEditViewTest::cancelStopsMidway()
{
    // A bulk pause after each message keeps the thread busy long enough.
    m_pModel->setModelIntValue(BulkIntervalId, 10);
    MidiEditView* view = createView(MidiEditView::SystemExclusive, bulkDump());
    Page page{view};
    QSignalSpy finished(page.thread(), &MidiEditTransmittionThread::finishTransmittion);
    page.click("Transmit");
    QTRY_COMPARE(page.button()->text(), QStringLiteral("Cancel"));
    QTRY_VERIFY(page.label() != QLatin1String("0Bytes"));
    QTest::mouseClick(page.button(), Qt::LeftButton);
    // The general page is back at once, before the thread has stopped.
    QCOMPARE(page.index(), int(MidiEditView::GeneralView));

    QTRY_COMPARE(transmissionState(), 0);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished[0][0].toBool(), true);
    const int sent = sentBytes().size();
    QVERIFY2(sent > 0 && sent < 100, qPrintable(QString::number(sent)));
    QCOMPARE(page.index(), int(MidiEditView::GeneralView));
    QCOMPARE(page.label(), QStringLiteral("0Bytes"));
    QTest::qWait(50);
    QCOMPARE(sentBytes().size(), sent);
}

void MidiEditViewTest::closingDuringTransmissionWaits()
{
    m_pModel->setModelIntValue(BulkIntervalId, 10);
    MidiEditView* view = createView(MidiEditView::SystemExclusive, bulkDump());
    Page{view}.click("Transmit");
    QTRY_VERIFY(!sentBytes().isEmpty());
    m_pModel->setParameterEditFlag(ParameterNotEdited);
    view->close();
    // The thread has left its transmission when close returns.
    const int sent = sentBytes().size();
    QVERIFY(sent < 100);
    QCOMPARE(transmissionState(), 0);
    QCOMPARE(m_pModel->getParameterEditFlag(), ParameterEdited);
    QTest::qWait(50);
    QCOMPARE(sentBytes().size(), sent);
}

void MidiEditViewTest::toolBarsFollowTransmissionState()
{
    MidiEditView* first = createView(MidiEditView::SystemExclusive, QStringLiteral("F0 7E F7"));
    MidiEditView* second = createView(MidiEditView::SystemExclusive, QStringLiteral("90 3C 40"));
    MidiEditView* monitor = createView(MidiEditView::MidiInMonitor);
    QVERIFY(monitor->findChild<ToolButton*>() == nullptr);

    m_pModel->setModelIntValue(TransmissionStateId, 1);
    QVERIFY(!Page{first}.tool("Transmit")->isEnabled());
    QVERIFY(!Page{second}.tool("New")->isEnabled());
    // Keys reach the commands, which refuse while a transmission runs.
    Page{second}.text()->setFocus();
    QTest::keyClick(Page{second}.text(), Qt::Key_F5);
    QTest::keyClick(Page{second}.text(), Qt::Key_F6);
    QCOMPARE(Page{second}.index(), int(MidiEditView::GeneralView));
    QTest::qWait(20);
    QVERIFY(sentBytes().isEmpty());

    m_pModel->setModelIntValue(TransmissionStateId, 0);
    QVERIFY(Page{first}.tool("Transmit")->isEnabled());
    QVERIFY(Page{second}.tool("Transmit and Receive")->isEnabled());
}

void MidiEditViewTest::receiveIntoEmptyEditor()
{
    MidiEditView* view = createView(MidiEditView::SystemExclusive);
    Page page{view};
    QCOMPARE(m_pModel->getParameterEditFlag(), ParameterEdited);
    m_pModel->setParameterEditFlag(ParameterNotEdited);

    // Not receiving yet: data is ignored.
    view->receivedMessage(QStringLiteral("\nF0 01 F7"), 3);
    QVERIFY(page.text()->toPlainText().isEmpty());

    page.click("Receive");
    QCOMPARE(page.index(), int(MidiEditView::ProgressView));
    QCOMPARE(page.label(), QStringLiteral("0Bytes"));
    QCOMPARE(page.button()->text(), QStringLiteral("OK"));
    QVERIFY(page.bar() == nullptr);
    view->receivedMessage(QStringLiteral("\nF7"), 1);
    QCOMPARE(page.label(), QStringLiteral("1Byte"));
    view->receivedMessage(QStringLiteral("\nF0 7E 00 F7"), 4);
    view->receivedMessage(QStringLiteral("\nF0"), 0);
    QCOMPARE(page.label(), QStringLiteral("5Bytes"));
    // Arriving data does not mark the project.
    QCOMPARE(m_pModel->getParameterEditFlag(), ParameterNotEdited);

    QTest::keyClick(page.button(), Qt::Key_Return);
    QCOMPARE(page.index(), int(MidiEditView::GeneralView));
    // The first line lost its leading break, the second kept it.
    QCOMPARE(page.text()->toPlainText(), QStringLiteral("F7\nF0 7E 00 F7"));
    QCOMPARE(m_pModel->getParameterEditFlag(), ParameterEdited);
    view->receivedMessage(QStringLiteral("\nF0 02 F7"), 3);
    QCOMPARE(page.text()->toPlainText(), QStringLiteral("F7\nF0 7E 00 F7"));

    // Confirmed without data, a receiving editor leaves the project unedited.
    MidiEditView* receiving = createView(MidiEditView::SystemExclusiveReceive);
    QCOMPARE(Page{receiving}.index(), int(MidiEditView::ProgressView));
    m_pModel->setParameterEditFlag(ParameterNotEdited);
    QTest::mouseClick(Page{receiving}.button(), Qt::LeftButton);
    QCOMPARE(Page{receiving}.index(), int(MidiEditView::GeneralView));
    QCOMPARE(m_pModel->getParameterEditFlag(), ParameterNotEdited);
}

void MidiEditViewTest::receiveOnEditorWithTextOpensSecondEditor()
{
    MidiEditView* first = createView(MidiEditView::SystemExclusive, QStringLiteral("F0 7E 7F 06 01 F7"));
    Page page{first};
    page.click("Receive");
    QCOMPARE(page.index(), int(MidiEditView::GeneralView));
    QList<MidiEditView*> opened = editorsInSubWindows();
    QCOMPARE(opened.size(), 1);
    QCOMPARE(Page{opened[0]}.index(), int(MidiEditView::ProgressView));

    // The reply goes to the new window only.
    for (MidiEditView* view : m_pBench->m_pWindow->m_inputViewList) {
        view->receivedMessage(QStringLiteral("\nF0 7E 7F 06 02 F7"), 6);
    }
    QCOMPARE(Page{opened[0]}.label(), QStringLiteral("6Bytes"));
    QCOMPARE(page.text()->toPlainText(), QStringLiteral("F0 7E 7F 06 01 F7"));

    // Transmit and Receive opens one more, even for an empty editor, and sends.
    MidiEditView* empty = createView(MidiEditView::SystemExclusive);
    Page{empty}.click("Transmit and Receive");
    QCOMPARE(editorsInSubWindows().size(), 2);
    QCOMPARE(Page{empty}.index(), int(MidiEditView::GeneralView));
    page.click("Transmit and Receive");
    QTRY_COMPARE(transmissionState(), 0);
    QCOMPARE(editorsInSubWindows().size(), 3);
    QCOMPARE(sentBytes(), QList<QByteArray>{QByteArray::fromHex("F07E7F0601F7")});
}

void MidiEditViewTest::monitorsIgnoreEditorCommands()
{
    MidiEditView* in = createView(MidiEditView::MidiInMonitor);
    MidiEditView* out = createView(MidiEditView::MidiOutMonitor);
    MainWindow* window = m_pBench->m_pWindow.get();
    QVERIFY(window->m_inputViewList.contains(in));
    QVERIFY(window->m_outputMonitorViewList.contains(out));
    QVERIFY(!window->m_inputViewList.contains(out));
    QVERIFY(Page{in}.text()->isReadOnly());

    // F6 on an empty In Monitor must not turn it into a receiving editor,
    // after whose confirmation it would stop showing data.
    Page{in}.text()->setFocus();
    QTest::keyClick(Page{in}.text(), Qt::Key_F6);
    QCOMPARE(Page{in}.index(), int(MidiEditView::GeneralView));
    in->receivedMessage(QStringLiteral("\n90 3C 40 "), 3);
    QTest::keyClick(Page{in}.text(), Qt::Key_F5);
    QTest::keyClick(Page{in}.text(), Qt::Key_F7);
    QTest::qWait(20);
    QVERIFY(sentBytes().isEmpty());
    QVERIFY(editorsInSubWindows().isEmpty());
    in->receivedMessage(QStringLiteral("\n80 3C 00 "), 3);
    QCOMPARE(Page{in}.text()->toPlainText(), QStringLiteral("90 3C 40\n80 3C 00 "));

    // The Out Monitor takes only transmitted lines.
    out->receivedMessage(QStringLiteral("\n90 3C 40 "), 3);
    out->setText(QStringLiteral("\nF8 "));
    out->setText(QStringLiteral("\n90 3C 40 "));
    QCOMPARE(Page{out}.text()->toPlainText(), QStringLiteral("F8\n90 3C 40 "));

    delete in;
    m_views.removeAll(in);
    QVERIFY(!window->m_inputViewList.contains(in));
}

void MidiEditViewTest::scrollFollowsOnlyAtTheEnd()
{
    MidiEditView* monitor = createView(MidiEditView::MidiInMonitor);
    QScrollBar* scrollBar = Page{monitor}.text()->verticalScrollBar();
    auto lines = [](int first, int count) {
        QString text;
        for (int i = first; i < first + count; ++i) {
            text += QStringLiteral("\n90 %1 40 ").arg(i % 128, 2, 16, QLatin1Char('0')).toUpper();
        }
        return text;
    };
    monitor->receivedMessage(lines(0, 100), 300);
    QVERIFY(scrollBar->maximum() > 10);
    QCOMPARE(scrollBar->value(), scrollBar->maximum());

    // Three steps back still follows.
    scrollBar->setValue(scrollBar->maximum() - 3);
    monitor->receivedMessage(lines(100, 5), 15);
    QCOMPARE(scrollBar->value(), scrollBar->maximum());

    // Four steps back stays where the reader is.
    const int reading = scrollBar->maximum() - 4;
    scrollBar->setValue(reading);
    monitor->receivedMessage(lines(105, 5), 15);
    QCOMPARE(scrollBar->value(), reading);
    QVERIFY(scrollBar->maximum() > reading + 4);
}

void MidiEditViewTest::monitorKeepsNewest512Lines()
{
    auto lines = [](const char* name, int first, int count) {
        QString text;
        for (int i = first; i < first + count; ++i) {
            text += QStringLiteral("\n%1 %2").arg(QLatin1String(name)).arg(i);
        }
        return text;
    };
    auto firstAndLast = [](MidiEditView* view) {
        const QTextDocument* document = Page{view}.text()->document();
        return QStringList{QString::number(document->blockCount()), document->firstBlock().text(),
                           document->lastBlock().text()};
    };

    MidiEditView* monitor = createView(MidiEditView::MidiInMonitor);
    for (int batch = 0; batch < 6; ++batch) {
        monitor->receivedMessage(lines("line", batch * 100, 100), 100);
    }
    QCOMPARE(firstAndLast(monitor), (QStringList{"512", "line 88", "line 599"}));
    // One tick with more lines than the limit.
    monitor->receivedMessage(lines("next", 0, 1000), 1000);
    QCOMPARE(firstAndLast(monitor), (QStringList{"512", "next 488", "next 999"}));
    MidiEditView* fresh = createView(MidiEditView::MidiInMonitor);
    fresh->receivedMessage(lines("line", 0, 600), 600);
    QCOMPARE(firstAndLast(fresh), (QStringList{"512", "line 88", "line 599"}));

    // An editor has no such limit.
    MidiEditView* editor = createView(MidiEditView::SystemExclusiveReceive);
    editor->receivedMessage(lines("F0 01", 0, 600), 1800);
    QCOMPARE(firstAndLast(editor), (QStringList{"600", "F0 01 0", "F0 01 599"}));
}

bool MidiEditViewTest::dragEnter(MidiEditView* view, const QString& path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent event(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Page{view}.text()->viewport(), &event);
    return event.isAccepted() && event.dropAction() == Qt::CopyAction;
}

void MidiEditViewTest::drop(MidiEditView* view, const QString& path)
{
    QVERIFY(dragEnter(view, path));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path), QUrl::fromLocalFile(m_directory.filePath("other.txt"))});
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Page{view}.text()->viewport(), &event);
    QVERIFY(event.isAccepted());
}

void MidiEditViewTest::dropsOfTextFiles()
{
    const QString dump = m_directory.filePath("dump.txt");
    QVERIFY(writeTextFile(dump, "F0 7E 7F 06 01 F7"));
    MidiEditView* view = createView(MidiEditView::SystemExclusive);

    QVERIFY(dragEnter(view, dump));
    for (const char* name : {"dump.old.txt", "DUMP.TXT", "dump"}) {
        QVERIFY2(!dragEnter(view, m_directory.filePath(name)), name);
    }
    QMimeData plain;
    plain.setText(dump);
    QDragEnterEvent plainEvent(QPoint(10, 10), Qt::CopyAction, &plain, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Page{view}.text()->viewport(), &plainEvent);
    QVERIFY(!plainEvent.isAccepted());
    // Nothing is taken while a transmission runs.
    m_pModel->setModelIntValue(TransmissionStateId, 1);
    QVERIFY(!dragEnter(view, dump));
    m_pModel->setModelIntValue(TransmissionStateId, 0);

    m_pModel->setParameterEditFlag(ParameterNotEdited);
    drop(view, dump);
    QCOMPARE(Page{view}.text()->toPlainText(), QStringLiteral("F0 7E 7F 06 01 F7"));
    QCOMPARE(m_pModel->getModelStringValue(DumpFileWorkingDirectoryId), m_directory.path());
    QCOMPARE(m_pModel->getParameterEditFlag(), ParameterEdited);
    QVERIFY(editorsInSubWindows().isEmpty());

    // On an editor with text the file opens in a second editor.
    QVERIFY(writeTextFile(dump, "F0 01 F7"));
    drop(view, dump);
    QCOMPARE(Page{view}.text()->toPlainText(), QStringLiteral("F0 7E 7F 06 01 F7"));
    const QList<MidiEditView*> opened = editorsInSubWindows();
    QCOMPARE(opened.size(), 1);
    QCOMPARE(Page{opened[0]}.text()->toPlainText(), QStringLiteral("F0 01 F7"));
    QCOMPARE(Page{opened[0]}.index(), int(MidiEditView::GeneralView));

    // Monitors take no drops.
    QVERIFY(!Page{createView(MidiEditView::MidiInMonitor)}.text()->acceptDrops());
}

void MidiEditViewTest::saveAndOpenTextFiles()
{
    const QString path = m_directory.filePath("saved.txt");
    // Answers the next file dialog with path.
    auto answerDialog = [](const QString& answer) {
        QTimer::singleShot(50, [answer] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(answer);
            static_cast<QDialog*>(dialog)->accept();
        });
    };

    MidiEditView* editor = createView(MidiEditView::SystemExclusive, QStringLiteral("F0 7E 00 F7"));
    answerDialog(path);
    Page{editor}.click("Save");
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("F0 7E 00 F7"));
    QCOMPARE(m_pModel->getModelStringValue(DumpFileWorkingDirectoryId), m_directory.path());

    // Open into an empty editor fills it.
    MidiEditView* empty = createView(MidiEditView::SystemExclusive);
    answerDialog(path);
    Page{empty}.click("Open");
    QCOMPARE(Page{empty}.text()->toPlainText(), QStringLiteral("F0 7E 00 F7"));
    QVERIFY(editorsInSubWindows().isEmpty());

    // Open on an editor with text opens the file in a new editor.
    answerDialog(path);
    Page{editor}.click("Open");
    QCOMPARE(editorsInSubWindows().size(), 1);
    QCOMPARE(Page{editorsInSubWindows()[0]}.text()->toPlainText(), QStringLiteral("F0 7E 00 F7"));
}

void MidiEditViewTest::dataStreamBlocks()
{
    auto block = [](MidiEditView* view) {
        QByteArray bytes;
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream.setVersion(QDataStream::Qt_5_6);
        const bool result = view->getDataStream(stream);
        return result ? bytes : QByteArray("refused");
    };

    MidiEditView* editor = createView(MidiEditView::SystemExclusive, QStringLiteral("F0 7E\nF7"));
    QCOMPARE(block(editor), QByteArray::fromHex("00000000" "00000008") + "F0 7E\nF7");
    MidiEditView* empty = createView(MidiEditView::SystemExclusive);
    QCOMPARE(block(empty), QByteArray::fromHex("00000000" "00000000"));
    MidiEditView* receiving = createView(MidiEditView::SystemExclusiveReceive);
    receiving->receivedMessage(QStringLiteral("\nF0 01 F7"), 3);
    QCOMPARE(block(receiving), QByteArray());
    MidiEditView* in = createView(MidiEditView::MidiInMonitor);
    in->receivedMessage(QStringLiteral("\nF8 "), 1);
    QCOMPARE(block(in), QByteArray());
    QCOMPARE(block(createView(MidiEditView::MidiOutMonitor)), QByteArray());

    // Reading replaces the editor's text without marking the project.
    QByteArray bytes = QByteArray::fromHex("00000000" "00000007") + QByteArray("90 3C\0x", 7);
    QDataStream stream(bytes);
    m_pModel->setParameterEditFlag(ParameterNotEdited);
    QVERIFY(empty->setDataStream(stream));
    QCOMPARE(Page{empty}.text()->toPlainText(), QStringLiteral("90 3C"));
    QCOMPARE(m_pModel->getParameterEditFlag(), ParameterNotEdited);
    QDataStream monitorStream(bytes);
    QVERIFY(in->setDataStream(monitorStream));
    QCOMPARE(Page{in}.text()->toPlainText(), QStringLiteral("F8"));
    QCOMPARE(monitorStream.device()->pos(), qint64(0));
}

QTEST_MAIN(MidiEditViewTest)
#include "MidiEditViewTest.moc"
