// A monitor's own commands: pausing keeps every line the history holds and
// counts those it cannot, the decoded view switches back to the very same
// hex lines, and captured System Exclusive messages are saved byte for byte.

#include "SendingMainWindow.h"
#include "views/MidiEditTextView.h"
#include "views/MidiEditView.h"
#include "views/MonitorStatusLine.h"

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

    MidiEditTextView* text() const { return m_pMonitor->findChild<MidiEditTextView*>(); }
    QString status() const { return m_pMonitor->findChild<MonitorStatusLine*>()->text(); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(text(), key, modifiers); }

private slots:
    void init()
    {
        m_pBench = std::make_unique<SendingMainWindow>();
        m_pMonitor = std::make_unique<MidiEditView>(nullptr, &m_pBench->m_model, MidiEditView::MidiInMonitor, QString());
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
        m_pMonitor->receivedMessage(controlChanges(0, 100), 300);
        key(Qt::Key_Space);
        m_pMonitor->receivedMessage(controlChanges(100, 300), 900);
        QCOMPARE(text()->document()->blockCount(), 100);
        QVERIFY2(status().endsWith(QLatin1String("Paused: 300 waiting")), qPrintable(status()));
        key(Qt::Key_Space);
        QCOMPARE(text()->toPlainText(), controlChanges(0, 100).trimmed() + controlChanges(100, 300));
        QVERIFY(!status().contains(QLatin1String("Paused")));

        // More than the history holds: the newest lines, after a line that counts the others.
        key(Qt::Key_Space);
        m_pMonitor->receivedMessage(controlChanges(400, 600), 1800);
        key(Qt::Key_Space);
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

    void systemExclusiveIsSavedAsCaptured()
    {
        QTemporaryDir directory;
        m_pBench->m_model.setModelStringValue(DumpFileWorkingDirectoryId, directory.path());
        // A long message shows shortened; the bytes come from the System Exclusive text.
        const QByteArray dump = char(0xF0) + QByteArray(4998, 0x11) + char(0xF7);
        const QByteArray request = midiBytes("F0 7E 7F 06 01 F7");
        m_pMonitor->receivedMessage(QStringLiteral("\nF0 11 11 \u2026 11 F7 (5,000 bytes)\n90 3C 64 \nF0 7E 7F 06 01 F7 "),
                                    5009, '\n' + dump.toHex(' ').toUpper() + " \n" + request.toHex(' ').toUpper() + ' ');
        QTimer answer;
        connect(&answer, &QTimer::timeout, [] {
            // The dialog proposes capture.syx in the working directory.
            if (QDialog* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                dialog->accept();
            }
        });
        answer.start(5);
        const QList<QAction*> actions = m_pMonitor->findChildren<QAction*>();
        const auto save = std::find_if(actions.begin(), actions.end(), [](QAction* action) {
            return action->text() == QLatin1String("Save System E&xclusive As...");
        });
        QVERIFY(save != actions.end());
        (*save)->trigger();
        QFile file(directory.filePath(QStringLiteral("capture.syx")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), dump + request);
    }
};

QTEST_MAIN(MonitorLogTest)
#include "MonitorLogTest.moc"
