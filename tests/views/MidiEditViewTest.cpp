#include "views/MidiEditView.h"

#include "Records.h"
#include "SendingMainWindow.h"
#include "controls/ToolButton.h"
#include "services/MidiEditTransmittionThread.h"
#include "views/MidiEditTextView.h"

namespace {

const int BulkIntervalMs = 10;
const int MonitorLineLimit = 512;

QByteArray sysEx(int size)
{
    return char(0xF0) + QByteArray(size - 2, 0x11) + char(0xF7);
}

// A hundred messages of 100 bytes: with a bulk interval, long enough to act on midway.
const QString BulkDump = QString::fromLatin1(sysEx(100).toHex(' ') + ' ').repeated(100);

// What the user sees of a message view and the controls they use.
struct Page {
    MidiEditView* view;

    int index() const { return view->findChild<QStackedLayout*>()->currentIndex(); }
    QPushButton* button() const { return view->findChild<QPushButton*>(); }
    MidiEditTextView* text() const { return view->findChild<MidiEditTextView*>(); }
    QString plainText() const { return text()->toPlainText(); }
    int barValue() const { return view->findChild<QProgressBar*>() ? view->findChild<QProgressBar*>()->value() : 0; }
    ToolButton* tool(const char* tip) const
    {
        const QList<ToolButton*> tools = view->findChildren<ToolButton*>();
        return *std::find_if(tools.begin(), tools.end(), [tip](ToolButton* tool) { return tool->toolTip() == tip; });
    }
    void click(const char* tip) const { QTest::mouseClick(tool(tip), Qt::LeftButton); }
    void key(Qt::Key key) const
    {
        text()->setFocus();
        QTest::keyClick(text(), key);
    }
    // Drags a file onto the text; true when it is taken. Dropping reads it.
    bool drag(const QString& path, bool drop = false) const
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent dropEvent(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(text()->viewport(), &enter);
        if (enter.isAccepted() && drop) {
            QApplication::sendEvent(text()->viewport(), &dropEvent);
        }
        return enter.isAccepted();
    }
    // Right-clicks the text through the window system and clicks entry in the
    // menu that opens; false when none opened.
    bool contextMenu(const QString& entry) const
    {
        bool opened = false;
        QTimer::singleShot(0, [&opened, entry] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            opened = menu != nullptr;
            for (QAction* action : opened ? menu->actions() : QList<QAction*>()) {
                if (action->text() == entry) {
                    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                }
            }
        });
        QTest::mouseClick(view->windowHandle(), Qt::RightButton, {}, text()->mapTo(view, text()->rect().center()));
        QTest::qWait(20);
        return opened;
    }
};

} // namespace

class MidiEditViewTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<SendingMainWindow> m_pBench;
    QList<MidiEditView*> m_views;

    Page createView(int mode, const QString& text = QString())
    {
        m_views << new MidiEditView(nullptr, m_pBench->context(), MidiEditView::OpenMode(mode), text);
        m_views.last()->resize(338, 274);
        showExposed(m_views.last());
        return Page{m_views.last()};
    }
    // Clicks Save and types path with filter chosen into the dialog; a
    // question about replacing a file gets answer, after which a dialog
    // that comes back is cancelled. True when the question came.
    bool saveAs(const Page& page, const QString& path, const QString& filter,
                QMessageBox::StandardButton answer = QMessageBox::Yes)
    {
        int dialogs = 0;
        bool asked = false;
        QTimer answering;
        connect(&answering, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                asked = true;
                box->button(answer)->click();
            } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                if (++dialogs > 1) {
                    dialog->reject();
                    return;
                }
                dialog->selectNameFilter(filter);
                auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                name->setText(path);
                QTest::keyClick(name, Qt::Key_Return);
            }
        });
        answering.start(5);
        page.click("Save");
        return asked;
    }
    QList<MidiEditView*> editorsInSubWindows() const { return m_pBench->m_pWindow->findChildren<MidiEditView*>(); }

private slots:
    void init() { m_pBench = std::make_unique<SendingMainWindow>(); }
    void cleanup()
    {
        qDeleteAll(m_views);
        m_views.clear();
        m_pBench.reset();
    }

    void transmitSendsTheText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QList<QByteArray>>("sends");
        const QString lines = QStringLiteral("90 3C 40\n80 3C 00\nF0 7E F7");
        const QByteArray noteOn = midiBytes("90 3C 40");
        const QByteArray noteOff = midiBytes("80 3C 00");
        QTest::newRow("every line") << lines << 0 << QList<QByteArray>{noteOn, noteOff, midiBytes("F0 7E F7")};
        QTest::newRow("selection alone") << lines << 17 << QList<QByteArray>{noteOn, noteOff};
        // In pieces of the default 256 bytes.
        QTest::newRow("long") << QString::fromLatin1(sysEx(300).toHex(' ')) << 0 << QList<QByteArray>{sysEx(300).left(256), sysEx(300).mid(256)};
        QTest::newRow("half a byte") << "F0 7E 7F 06 01 F7 1" << 0 << QList<QByteArray>{};
        QTest::newRow("status inside System Exclusive") << "90 3C 40\nF0 7E 80 06 01 F7" << 0 << QList<QByteArray>{};
    }
    void transmitSendsTheText()
    {
        QFETCH(QString, text);
        QFETCH(int, selected);
        const Page page = createView(MidiEditView::SystemExclusive, text);
        QTextCursor cursor = page.text()->textCursor();
        cursor.setPosition(0);
        cursor.setPosition(selected, QTextCursor::KeepAnchor);
        page.text()->setTextCursor(cursor);
        page.key(Qt::Key_F5);
        QFETCH(QList<QByteArray>, sends);
        // A faulty text is refused whole before anything goes out.
        QCOMPARE(m_pBench->transmissionState(), sends.isEmpty() ? TransmissionIdle : TransmissionRunning);
        QTRY_COMPARE(m_pBench->transmissionState(), TransmissionIdle);
        QCOMPARE(m_pBench->sent(), sends);
        // A problem stays on the progress page until OK brings the unchanged text back.
        QCOMPARE(page.index(), int(sends.isEmpty() ? MidiEditView::ProgressView : MidiEditView::GeneralView));
        QTest::mouseClick(page.button(), Qt::LeftButton);
        QCOMPARE(page.index(), int(MidiEditView::GeneralView));
        QCOMPARE(page.plainText(), text);
    }

    void progressBarStopsAtItsMaximum()
    {
        // Running status: 401 bytes announced, 600 sent.
        const Page page = createView(MidiEditView::SystemExclusive, "90" + QStringLiteral(" 3C 40").repeated(200));
        QList<QPair<int, int>> bar;
        connect(page.view->findChild<MidiEditTransmittionThread*>(), &MidiEditTransmittionThread::transmittionProgress,
                page.view, [&] {
                    auto* progress = page.view->findChild<QProgressBar*>();
                    bar << qMakePair(progress->value(), progress->maximum());
                }, Qt::QueuedConnection);
        page.click("Transmit");
        QTRY_COMPARE(m_pBench->transmissionState(), TransmissionIdle);
        QCOMPARE(m_pBench->sent().size(), 200);
        // Reported a few times a second, not once a message.
        QVERIFY(bar.size() < 200);
        QCOMPARE(bar.last(), qMakePair(401, 401));
    }

    // One editor transmits at a time; closing or Cancel ends a transmission midway.
    void oneTransmissionAtATime()
    {
        m_pBench->m_model.setModelIntValue(BulkIntervalId, BulkIntervalMs);
        const Page first = createView(MidiEditView::SystemExclusive, BulkDump);
        const Page second = createView(MidiEditView::SystemExclusive, BulkDump);
        first.click("Transmit");
        QTRY_VERIFY(first.barValue() > 0);
        QVERIFY(!second.tool("Transmit")->isEnabled());
        QVERIFY(!second.drag(QDir::temp().filePath("dump.txt")));
        QVERIFY(!second.contextMenu("&Transmit"));
        first.view->close();
        QCOMPARE(m_pBench->transmissionState(), TransmissionIdle);
        QVERIFY(second.tool("Transmit")->isEnabled());

        // The closed editor's finish, arriving late, must not end the second one's transmission.
        const int sent = m_pBench->sent().size();
        second.key(Qt::Key_F5);
        QCoreApplication::sendPostedEvents(first.view, QEvent::MetaCall);
        QCOMPARE(m_pBench->transmissionState(), TransmissionRunning);
        QTRY_VERIFY(second.barValue() > 0);
        QTest::mouseClick(second.button(), Qt::LeftButton);
        QCOMPARE(second.index(), int(MidiEditView::GeneralView));
        QTRY_COMPARE(m_pBench->transmissionState(), TransmissionIdle);
        QVERIFY(m_pBench->sent().size() < sent + 100);
    }

    void receivedDataFillsTheEditorWhenConfirmed()
    {
        const Page page = createView(MidiEditView::SystemExclusive);
        page.view->receivedMessage(messageRecords({"F0 01 F7"}));
        page.click("Receive");
        m_pBench->m_model.setParameterEditFlag(ParameterNotEdited);
        // Only System Exclusive is taken, split at the status bytes inside it.
        page.view->receivedMessage(messageRecords({"90 3C 40", "F0 01 F4 02 F7"}));
        page.view->receivedMessage(messageRecords({"F0 7E 00 F7"}));
        QCOMPARE(page.view->findChild<QLabel*>()->text(), QStringLiteral("9Bytes"));
        QCOMPARE(m_pBench->m_model.getParameterEditFlag(), ParameterNotEdited);
        QTest::keyClick(page.button(), Qt::Key_Return);
        QCOMPARE(page.plainText(), QStringLiteral("F0 01 \nF4 02 F7\nF0 7E 00 F7 "));
        QCOMPARE(m_pBench->m_model.getParameterEditFlag(), ParameterEdited);
        // An editor with text leaves the reply to a new one.
        page.click("Receive");
        QCOMPARE(Page{editorsInSubWindows().value(0)}.index(), int(MidiEditView::ProgressView));
    }

    void monitorsIgnoreEditorCommands()
    {
        const Page in = createView(MidiEditView::MidiInMonitor);
        // F6 must not turn the In Monitor into a receiving editor, which would
        // stop showing data once confirmed.
        for (Qt::Key key : {Qt::Key_F6, Qt::Key_F5, Qt::Key_F7}) {
            in.key(key);
        }
        in.view->receivedMessage(messageRecords({"90 3C 40"}));
        QTest::qWait(20);
        QVERIFY(m_pBench->sent().isEmpty());
        QVERIFY(editorsInSubWindows().isEmpty());
        QCOMPARE(in.plainText(), QStringLiteral("90 3C 40"));
        // Its menu opens even while an editor transmits, and clears it.
        m_pBench->m_model.setModelIntValue(TransmissionStateId, TransmissionRunning);
        QVERIFY(in.contextMenu("&Clear"));
        QVERIFY(in.plainText().isEmpty());
    }

    // A monitor keeps its newest lines, a receiving editor all of them.
    void monitorKeepsTheNewestLines()
    {
        const Page monitor = createView(MidiEditView::MidiInMonitor);
        const Page editor = createView(MidiEditView::SystemExclusive);
        editor.click("Receive");
        for (const Page& page : {monitor, editor}) {
            page.view->receivedMessage(lineRecords(QStringLiteral("\nF0 F7").repeated(600) + "\nF0 01 F7"));
            QCOMPARE(page.text()->document()->lastBlock().text(), QStringLiteral("F0 01 F7"));
        }
        // Looked back at, paused.
        QTest::keyClick(monitor.text(), Qt::Key_Space);
        QCOMPARE(monitor.text()->document()->blockCount(), MonitorLineLimit);
        QCOMPARE(editor.text()->document()->blockCount(), 601);
    }

    void droppedFileIsReadFromItsUrl()
    {
        QTemporaryDir directory;
        const QString path = directory.filePath("dump.txt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("F0 7E 7F 06 01 F7") && file.flush());
        const Page page = createView(MidiEditView::SystemExclusive);
        QVERIFY(!page.drag(directory.filePath("dump")));
        QVERIFY(page.drag(path, true));
        QCOMPARE(page.plainText(), QStringLiteral("F0 7E 7F 06 01 F7"));
        QCOMPARE(page.view->windowTitle(), QStringLiteral("System Exclusive \u2014 dump.txt"));
        QCOMPARE(m_pBench->m_model.getModelStringValue(DumpFileWorkingDirectoryId), directory.path());
        // On an editor with text the file opens in a new editor.
        QVERIFY(page.drag(path, true));
        QCOMPARE(editorsInSubWindows().size(), 1);
        QCOMPARE(Page{editorsInSubWindows()[0]}.plainText(), QStringLiteral("F0 7E 7F 06 01 F7"));
        // Typing marks the project.
        m_pBench->m_model.setParameterEditFlag(ParameterNotEdited);
        page.key(Qt::Key_0);
        QCOMPARE(m_pBench->m_model.getParameterEditFlag(), ParameterEdited);
        QVERIFY(page.view->hasUnsavedChanges());
        QCOMPARE(page.view->windowTitle(), QStringLiteral("System Exclusive \u2014 dump.txt*"));
    }

    // A working folder that is gone is not offered as the name of the file to open.
    void openStartsInAFolderThatExists()
    {
        QTemporaryDir directory;
        m_pBench->m_model.setModelStringValue(DumpFileWorkingDirectoryId, directory.filePath("gone"));
        const Page page = createView(MidiEditView::SystemExclusive);
        QString offeredName;
        QString offeredFolder;
        QTimer answering;
        connect(&answering, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                offeredName = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
                offeredFolder = dialog->directory().absolutePath();
                dialog->reject();
            }
        });
        answering.start(5);
        page.click("Open");
        QCOMPARE(offeredName, QString());
        QVERIFY2(QFileInfo(offeredFolder).isDir(), qPrintable(offeredFolder));
        QVERIFY(page.plainText().isEmpty());
    }

    void saveAddsTheFilterExtension_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("written");
        const QString syx = QStringLiteral("System Exclusive files (*.syx)");
        const QString txt = QStringLiteral("Text files (*.txt)");
        QTest::newRow("no suffix, .syx") << "bank" << syx << "bank.syx";
        QTest::newRow("no suffix, .txt") << "bank" << txt << "bank.txt";
        QTest::newRow("another last suffix") << "patch.v2" << syx << "patch.v2.syx";
        QTest::newRow("the other filter's suffix") << "bank.txt" << syx << "bank.txt";
        QTest::newRow("suffix in capitals") << "Bank.SYX" << txt << "Bank.SYX";
    }
    void saveAddsTheFilterExtension()
    {
        QFETCH(QString, typed);
        QFETCH(QString, filter);
        QFETCH(QString, written);
        QTemporaryDir directory;
        const Page page = createView(MidiEditView::SystemExclusive, QStringLiteral("F0 7E 7F 06 01 F7"));
        QVERIFY(!saveAs(page, directory.filePath(typed), filter));
        QCOMPARE(QDir(directory.path()).entryList(QDir::Files), QStringList{written});
        QCOMPARE(page.view->windowTitle(), QStringLiteral("System Exclusive \u2014 ") + written);
        QFile file(directory.filePath(written));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const bool binary = written.endsWith(QLatin1String(".syx"), Qt::CaseInsensitive);
        QCOMPARE(file.readAll(), binary ? midiBytes("F0 7E 7F 06 01 F7") : QByteArray("F0 7E 7F 06 01 F7"));
    }

    void replacingTheFileWithTheAddedSuffixIsConfirmed()
    {
        QTemporaryDir directory;
        QFile existing(directory.filePath("bank.syx"));
        QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write("kept") && existing.flush());
        const Page page = createView(MidiEditView::SystemExclusive, QStringLiteral("F0 01 F7"));
        // Declined: the dialog comes back, and is cancelled.
        QVERIFY(saveAs(page, directory.filePath("bank"), QStringLiteral("System Exclusive files (*.syx)"),
                       QMessageBox::No));
        QCOMPARE(QFile(existing.fileName()).size(), qint64(4));
        QVERIFY(saveAs(page, directory.filePath("bank"), QStringLiteral("System Exclusive files (*.syx)"),
                       QMessageBox::Yes));
        QCOMPARE(QFile(existing.fileName()).size(), qint64(3));
    }

    void hexPairsLineUpInColumns()
    {
        const Page page = createView(MidiEditView::SystemExclusive);
        // Also where Monaco is not installed and the platform's fixed font is proportional.
        const QFontMetricsF metrics(page.text()->font());
        for (const char character : QByteArray("0123456789ABCDEF ")) {
            QCOMPARE(metrics.horizontalAdvance(QLatin1Char(character)), metrics.horizontalAdvance(QLatin1Char('0')));
        }
    }
};

QTEST_MAIN(MidiEditViewTest)
#include "MidiEditViewTest.moc"
