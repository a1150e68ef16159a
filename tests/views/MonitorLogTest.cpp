// A monitor's own commands: pausing keeps every line the history holds and
// counts those it cannot, the decoded view switches back to the very same
// hex lines, finding steps through the matches, the Out Monitor hides
// timing clock and active sensing, the newest line stays in sight through
// resizes and a find until the reader scrolls back, the log and captured System Exclusive
// messages are saved as shown and byte for byte, and a recording keeps
// everything that arrived, paused or not, and survives a failed write.

#include "Records.h"
#include "SendingMainWindow.h"
#include "midi/platform/SteadyClock.h"
#include "services/MidiFileReader.h"
#include "views/MidiEditTextView.h"
#include "views/MidiEditView.h"
#include "views/MonitorFindBar.h"
#include "views/MonitorStatusLine.h"

#include <QScrollBar>
#include <QTextBlock>

namespace {

const int HistoryLines = 512;

// Monitor lines of count different control changes from number first on.
QString controlChanges(int first, int count)
{
    QString text;
    for (int number = first; number < first + count; ++number) {
        text += QStringLiteral("\nB0 %1 %2 ").arg(number / 128, 2, 16, QLatin1Char('0')).arg(number % 128, 2, 16,
                                                                                            QLatin1Char('0')).toUpper();
    }
    return text;
}

} // namespace

class MonitorLogTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<SendingMainWindow> m_pBench;
    std::unique_ptr<MidiEditView> m_pMonitor;

    // What may happen to a monitor that shows its newest line.
    enum Disturbance { Narrower, Shorter, Taller, FindClosed, DecodedView };
    // How a reader turns to a monitor's text under a flood.
    enum Turn { Wheel, Pause, Find, SaveLog, TallerWindow, FloodEnds };

    MidiEditTextView* text() const { return m_pMonitor->findChild<MidiEditTextView*>(); }
    // Whether the last line is wholly in the monitor's view, after the layout
    // a resize brings has been done.
    bool newestLineInSight()
    {
        QApplication::processEvents();
        MidiEditTextView* view = text();
        const QRect last = view->cursorRect(QTextCursor(view->document()->lastBlock()));
        return last.top() >= 0 && last.bottom() < view->viewport()->height();
    }
    QString status() const { return m_pMonitor->findChild<MonitorStatusLine*>()->text(); }
    // One notch of the mouse wheel over the text, upwards.
    void wheelUp()
    {
        QWidget* viewport = text()->viewport();
        const QPoint inside(10, 10);
        QWheelEvent event(inside, viewport->mapToGlobal(inside), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    void trigger(const char* actionText)
    {
        for (QAction* action : m_pMonitor->findChildren<QAction*>()) {
            if (action->text() == QLatin1String(actionText))
                action->trigger();
        }
    }
    // Triggers the action, accepting the file dialog's proposal in directory
    // and any message box; the text of the last box.
    QString answered(const char* actionText, const QString& directory)
    {
        m_pBench->m_model.setModelStringValue(DumpFileWorkingDirectoryId, directory);
        QString boxText;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&boxText] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxText = box->text();
                box->accept();
            } else if (QDialog* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                dialog->accept();
            }
        });
        answer.start(5);
        trigger(actionText);
        // The dialog took the focus with it.
        QApplication::setActiveWindow(m_pMonitor.get());
        text()->setFocus();
        return boxText;
    }
    // Saves with the file the dialog proposes in directory and reads it back.
    QByteArray save(const char* actionText, const QString& directory, const char* fileName)
    {
        answered(actionText, directory);
        QFile file(QDir(directory).filePath(QLatin1String(fileName)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The messages of a MIDI file, "time:HEX" with times from the first.
    static QStringList fileMessages(const QString& path)
    {
        MidiFileReader::Content content;
        QString error;
        QStringList messages;
        if (!MidiFileReader::load(path, &content, &error))
            return {error};
        for (const MidiFileMessage& message : content.messages)
            messages << QStringLiteral("%1:%2").arg(message.time - content.messages.first().time).arg(
                QString::fromLatin1(message.bytes.toHex().toUpper()));
        return messages;
    }

private slots:
    void init()
    {
        m_pBench = std::make_unique<SendingMainWindow>();
        const bool out = QByteArray(QTest::currentTestFunction()).startsWith("out");
        m_pMonitor = std::make_unique<MidiEditView>(
            nullptr, m_pBench->context(), out ? MidiEditView::MidiOutMonitor : MidiEditView::MidiInMonitor, QString());
        QVERIFY(showExposed(m_pMonitor.get()));
        QApplication::setActiveWindow(m_pMonitor.get());
        text()->setFocus();
    }
    void cleanup()
    {
        m_pMonitor.reset();
        m_pBench.reset();
    }

    void pauseKeepsWhatTheHistoryHolds()
    {
        m_pMonitor->receivedMessage(lineRecords(controlChanges(0, 100)));
        key(Qt::Key_Space);
        m_pMonitor->receivedMessage(lineRecords(controlChanges(100, 300)));
        QCOMPARE(text()->document()->blockCount(), 100);
        QVERIFY2(status().startsWith(QLatin1String("Paused: 300 waiting\n")), qPrintable(status()));
        key(Qt::Key_Space);
        QCOMPARE(text()->toPlainText(), controlChanges(0, 100).trimmed() + controlChanges(100, 300));
        QVERIFY(!status().contains(QLatin1String("Paused")));

        // More than the history holds: the newest lines, after a line that counts the others.
        key(Qt::Key_Space);
        m_pMonitor->receivedMessage(lineRecords(controlChanges(400, 600)));
        key(Qt::Key_Space);
        QCOMPARE(text()->document()->lastBlock().text(), controlChanges(999, 1).mid(1));
        wheelUp();
        QTextDocument* document = text()->document();
        QCOMPARE(document->blockCount(), HistoryLines);
        QCOMPARE(document->firstBlock().text(),
                 QStringLiteral("-- 89 lines did not fit in the history while paused --"));
        QCOMPARE(document->findBlockByNumber(1).text(), controlChanges(489, 1).mid(1));
        QCOMPARE(document->lastBlock().text(), controlChanges(999, 1).mid(1));

        // The decoded view shows the same lines, and switching back gives the hex lines unchanged.
        const QString hex = text()->toPlainText();
        key(Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(document->blockCount(), HistoryLines);
        QVERIFY(document->lastBlock().text().contains(QLatin1String("7 Volume = 103")));
        key(Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(text()->toPlainText(), hex);
    }

    void readerWhoScrolledBackKeepsTheLinesInSight()
    {
        m_pMonitor->receivedMessage(lineRecords(controlChanges(0, HistoryLines)));
        wheelUp();
        QScrollBar* scrollBar = text()->verticalScrollBar();
        scrollBar->setValue(scrollBar->maximum() / 2);
        const QString top = text()->cursorForPosition(QPoint(0, 0)).block().text();
        m_pMonitor->receivedMessage(lineRecords(controlChanges(HistoryLines, 100)));
        QCOMPARE(text()->document()->blockCount(), HistoryLines);
        QCOMPARE(text()->cursorForPosition(QPoint(0, 0)).block().text(), top);
    }

    void newestLineStaysInSight_data()
    {
        QTest::addColumn<int>("disturbance");
        QTest::newRow("resized narrower") << int(Narrower);
        QTest::newRow("resized shorter") << int(Shorter);
        QTest::newRow("resized taller") << int(Taller);
        QTest::newRow("find closed") << int(FindClosed);
        QTest::newRow("decoded view") << int(DecodedView);
    }
    void newestLineStaysInSight()
    {
        QFETCH(int, disturbance);
        m_pMonitor->resize(400, 400);
        m_pMonitor->receivedMessage(lineRecords(controlChanges(0, 200)));
        QVERIFY(newestLineInSight());
        switch (disturbance) {
        case Narrower:
            // Tile and Cascade make a window smaller like this.
            m_pMonitor->resize(300, 150);
            break;
        case Shorter:
            m_pMonitor->resize(400, 120);
            break;
        case Taller:
            m_pMonitor->resize(400, 700);
            break;
        case FindClosed:
            key(Qt::Key_F, Qt::ControlModifier);
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("B0 00 05"));
            QVERIFY(!newestLineInSight());
            key(Qt::Key_Escape);
            break;
        case DecodedView:
            key(Qt::Key_D, Qt::ControlModifier);
            break;
        }
        QVERIFY(newestLineInSight());
        m_pMonitor->receivedMessage(lineRecords(controlChanges(200, 50)));
        QVERIFY(newestLineInSight());
    }

    // Under a flood the text shows the newest lines at most four times a
    // second, and holds the whole history whenever the reader turns to it.
    void floodTextIsWholeWhenTheReaderTurnsToIt_data()
    {
        QTest::addColumn<int>("turn");
        QTest::newRow("mouse wheel") << int(Wheel);
        QTest::newRow("pause") << int(Pause);
        QTest::newRow("find") << int(Find);
        QTest::newRow("save log") << int(SaveLog);
        QTest::newRow("taller window") << int(TallerWindow);
        QTest::newRow("flood ends") << int(FloodEnds);
    }
    void floodTextIsWholeWhenTheReaderTurnsToIt()
    {
        QFETCH(int, turn);
        m_pMonitor->resize(400, 300);
        m_pMonitor->receivedMessage(lineRecords(controlChanges(0, 1000)));
        m_pMonitor->receivedMessage(lineRecords(controlChanges(1000, 1000)));
        // The newest lines wait for the next refresh; the count has them.
        QCOMPARE(text()->document()->lastBlock().text().trimmed(), controlChanges(999, 1).trimmed());
        QMetaObject::invokeMethod(m_pMonitor->findChild<MonitorStatusLine*>(), "readFigures");
        QVERIFY2(status().contains(QLatin1String("2,000 messages")), qPrintable(status()));
        QTRY_COMPARE(text()->document()->lastBlock().text().trimmed(), controlChanges(1999, 1).trimmed());
        QVERIFY(newestLineInSight());

        const int oldest = 2000 - HistoryLines;
        switch (turn) {
        case Wheel:
            wheelUp();
            break;
        case Pause:
            key(Qt::Key_Space);
            break;
        case Find:
            key(Qt::Key_F, Qt::ControlModifier);
            QTest::keyClicks(QApplication::focusWidget(), controlChanges(oldest, 1).trimmed());
            QCOMPARE(text()->textCursor().blockNumber(), 0);
            break;
        case SaveLog: {
            QTemporaryDir directory;
            const QStringList saved = QString::fromLatin1(save("Save &Log As...", directory.path(), "monitor.txt"))
                                          .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            QCOMPARE(saved.size(), HistoryLines);
            QCOMPARE(saved.first().trimmed(), controlChanges(oldest, 1).trimmed());
            break;
        }
        case TallerWindow:
            m_pMonitor->resize(400, 600);
            QVERIFY(newestLineInSight());
            break;
        case FloodEnds:
            m_pMonitor->receivedMessage(lineRecords(controlChanges(2000, 1)));
            break;
        }
        const int first = turn == FloodEnds ? oldest + 1 : oldest;
        QTextDocument* document = text()->document();
        QCOMPARE(document->blockCount(), HistoryLines);
        QCOMPARE(document->firstBlock().text().trimmed(), controlChanges(first, 1).trimmed());
        QCOMPARE(document->lastBlock().text().trimmed(), controlChanges(first + HistoryLines - 1, 1).trimmed());
    }

    void endKeyResumesFollowing()
    {
        m_pMonitor->receivedMessage(lineRecords(controlChanges(0, 200)));
        text()->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
        m_pMonitor->receivedMessage(lineRecords(controlChanges(200, 50)));
        QVERIFY(!newestLineInSight());
        QCOMPARE(text()->cursorForPosition(QPoint(0, 0)).block().text(), controlChanges(0, 1).mid(1));
        key(Qt::Key_End, Qt::ControlModifier);
        QVERIFY(newestLineInSight());
        m_pMonitor->resize(m_pMonitor->width(), m_pMonitor->height() / 2);
        m_pMonitor->receivedMessage(lineRecords(controlChanges(250, 50)));
        QVERIFY(newestLineInSight());
    }

    void footFitsTheDefaultWidth()
    {
        // The default size of the In Monitor.
        m_pMonitor->resize(338, 274);
        auto* foot = m_pMonitor->findChild<MonitorStatusLine*>();
        const auto read = [foot] { QMetaObject::invokeMethod(foot, "readFigures"); };
        m_pMonitor->receivedMessage(messageRecords({"903C64"}));
        read();
        QVERIFY2(status().startsWith(QLatin1String("0 lost  |  1 message  |  ")), qPrintable(status()));
        // A clock at 120 BPM with thousands of messages and losses.
        const qint64 tick = 20833;
        const qint64 start = steadyMicroseconds();
        MidiRecords clock = lineRecords(QStringLiteral("\nF8").repeated(4800), start, tick);
        clock.append(lossRecord(MidiRecord::Kind::Lost, 12345, start + 4800 * tick));
        m_pMonitor->receivedMessage(clock);
        read();
        const QStringList lines = status().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].startsWith(QLatin1String("12,345 lost  |  4,801 messages")), qPrintable(lines[0]));
        QVERIFY2(lines[1].startsWith(QLatin1String("clock 120.0 BPM  |  jitter ")), qPrintable(lines[1]));
        for (const QString& line : lines) {
            QVERIFY2(foot->fontMetrics().horizontalAdvance(line) <= foot->contentsRect().width(), qPrintable(line));
        }
        QVERIFY(foot->toolTip().contains(QLatin1String("4,803 bytes")));
    }

    void linesBeyondTheHistoryStillCompleteLaterOnes()
    {
        // The first lines of this piece never show, yet they select the
        // parameter and give the data MSB of the line at its end.
        key(Qt::Key_D, Qt::ControlModifier);
        const QString selection = QStringLiteral("\nB0 65 00 \nB0 64 00 \nB0 06 02 ");
        m_pMonitor->receivedMessage(lineRecords(selection + controlChanges(0, HistoryLines - 1) + QStringLiteral("\nB0 26 01 ")));
        const QString last = text()->document()->lastBlock().text();
        QVERIFY2(last.contains(QLatin1String("RPN  "))
                     && last.contains(QLatin1String("0/0 Pitch Bend Sensitivity = 257")),
                 qPrintable(last));
    }

    void middleCNameRenamesTheNotesInSight()
    {
        key(Qt::Key_D, Qt::ControlModifier);
        m_pMonitor->receivedMessage(lineRecords(QStringLiteral("\n90 3C 64 ")));
        QVERIFY(text()->toPlainText().contains(QLatin1String("C3 (60)")));
        m_pBench->m_model.setModelIntValue(MiddleCNameId, MiddleCIsC4);
        QVERIFY(text()->toPlainText().contains(QLatin1String("C4 (60)")));
    }

    void findStepsThroughTheMatches()
    {
        m_pMonitor->receivedMessage(lineRecords(QStringLiteral("\n90 3C 64 \n80 3C 40 \nB0 07 64 \n90 3C 7F ")));
        key(Qt::Key_F, Qt::ControlModifier);
        // A space is typed into the text, not taken as Pause.
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("3c "));
        QVERIFY(!status().contains(QLatin1String("Paused")));
        QLabel* count = m_pMonitor->findChild<MonitorFindBar*>()->findChild<QLabel*>();
        QCOMPARE(count->text(), QStringLiteral("1 of 3"));
        QCOMPARE(text()->extraSelections().size(), 3);
        const QList<QPair<Qt::KeyboardModifiers, int>> steps
            = {{Qt::NoModifier, 1}, {Qt::NoModifier, 3}, {Qt::NoModifier, 0}, {Qt::ShiftModifier, 3}};
        for (const auto& step : steps) {
            key(Qt::Key_F3, step.first);
            QCOMPARE(text()->textCursor().blockNumber(), step.second);
        }
        QCOMPARE(count->text(), QStringLiteral("3 of 3"));
        // New lines are counted at the next step.
        m_pMonitor->receivedMessage(lineRecords(QStringLiteral("\n90 3C 00 ")));
        key(Qt::Key_F3);
        QCOMPARE(count->text(), QStringLiteral("4 of 4"));
    }

    void outMonitorHidesNoiseAndSavesItsLog()
    {
        // Lines shown already go when hidden, and come back.
        m_pMonitor->receivedMessage(lineRecords(QStringLiteral("\n90 3C 64 \nF8 ")));
        trigger("&Hide Timing Clock and Active Sensing");
        QCOMPARE(text()->toPlainText(), QStringLiteral("90 3C 64 "));
        trigger("&Hide Timing Clock and Active Sensing");
        QCOMPARE(text()->toPlainText(), QStringLiteral("90 3C 64 \nF8 "));
        text()->clearText();
        trigger("&Hide Timing Clock and Active Sensing");
        m_pMonitor->receivedMessage(lineRecords(QStringLiteral("\n90 3C 64 \nF8 \nFE \n80 3C 40 \nF8 ")));
        QTemporaryDir hex;
        QCOMPARE(save("Save &Log As...", hex.path(), "monitor.txt"), QByteArray("90 3C 64 \n80 3C 40\n"));
        key(Qt::Key_D, Qt::ControlModifier);
        QTemporaryDir decoded;
        QVERIFY(save("Save &Log As...", decoded.path(), "monitor.txt").endsWith("Note Off                C3 (60) "
                                                                                 "velocity 64                           80 3C 40\n"));
    }

    void systemExclusiveIsSavedAsCaptured()
    {
        // A long message shows shortened, and is saved whole.
        const QByteArray dump = char(0xF0) + QByteArray(4998, 0x11) + char(0xF7);
        const QByteArray request = midiBytes("F0 7E 7F 06 01 F7");
        m_pMonitor->receivedMessage(
            messageRecords({QString::fromLatin1(dump.toHex()), QStringLiteral("903C64"), QString::fromLatin1(request.toHex())}));
        QVERIFY(text()->toPlainText().startsWith(QStringLiteral("F0 11 11 \u2026 11 F7 (5,000 bytes)\n90 3C 64")));
        QTemporaryDir directory;
        QCOMPARE(save("Save System E&xclusive As...", directory.path(), "capture.syx"), dump + request);
    }

    void recordingKeepsWhatArrivedPausedOrNot()
    {
        QTemporaryDir directory;
        QVERIFY(answered("&Record...", directory.path()).isEmpty());
        QVERIFY2(status().startsWith(QStringLiteral("\u25CF REC 0:00.")), qPrintable(status()));
        // Recorded from the start on, at the engine's times.
        const qint64 start = steadyMicroseconds();
        m_pMonitor->receivedMessage(messageRecords({"903C64", "F07E7F0601F7"}, start, 1500));
        key(Qt::Key_Space);
        m_pMonitor->receivedMessage(messageRecords({"803C40"}, start + 250000) + MidiRecords{lossRecord(MidiRecord::Kind::Lost, 4, start + 260000)}
                                    + messageRecords({"F8"}, start + 300020));
        QVERIFY2(status().contains(QLatin1String(", 4 events, 4 lost")), qPrintable(status()));
        QVERIFY(answered("Stop &Recording", directory.path()).isEmpty());
        QVERIFY2(status().startsWith(QStringLiteral("Recorded recording.mid: 4 events, 0:00.3, 4 lost")), qPrintable(status()));
        const QString path = QDir(directory.path()).filePath(QStringLiteral("recording.mid"));
        QCOMPARE(fileMessages(path), QStringList({"0:903C64", "1500:F07E7F0601F7", "250000:803C40", "300020:F8"}));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("4 messages lost here"));
    }

    void recordingThatCannotBeWrittenIsKept()
    {
        QTemporaryDir directory;
        const QString gone = QDir(directory.path()).filePath(QStringLiteral("gone"));
        QVERIFY(QDir().mkpath(gone));
        QVERIFY(answered("&Record...", gone).isEmpty());
        m_pMonitor->receivedMessage(messageRecords({"C005", "903C64"}, steadyMicroseconds(), 1000));
        QVERIFY(QDir(gone).removeRecursively());
        QVERIFY(answered("Stop &Recording", directory.path()).contains(QLatin1String("No such file or directory")));
        QVERIFY2(status().startsWith(QStringLiteral("Recording not saved: 2 events")), qPrintable(status()));
        // Nothing new starts over it.
        QVERIFY(answered("&Record...", directory.path()).isEmpty());
        QVERIFY(status().startsWith(QStringLiteral("Recording not saved")));
        QVERIFY(answered("Sa&ve Recording As...", directory.path()).isEmpty());
        QCOMPARE(fileMessages(QDir(directory.path()).filePath(QStringLiteral("recording.mid"))),
                 QStringList({"0:C005", "1000:903C64"}));
        QVERIFY2(status().startsWith(QStringLiteral("Recorded recording.mid: 2 events")), qPrintable(status()));
    }
};

QTEST_MAIN(MonitorLogTest)
#include "MonitorLogTest.moc"
