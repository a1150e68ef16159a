#include "views/MidiEditTextView.h"

#include "model/TarvoModel.h"

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// The parent of a text view: it has the command slots that the view's keys
// and context menu reach, and records what arrives.
class CommandHost : public QWidget
{
    Q_OBJECT

public:
    QStringList m_commands;
    QList<int> m_keysReceived;

public slots:
    void transmitMenuSelected() { m_commands << "transmit"; }
    void receiveMenuSelected() { m_commands << "receive"; }
    void transmitAndReceiveMenuSelected() { m_commands << "transmitAndReceive"; }
    void newMenuSelected() { m_commands << "new"; }
    void openMenuSelected() { m_commands << "open"; }
    void saveMenuSelected() { m_commands << "save"; }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        m_keysReceived << event->key();
        QWidget::keyPressEvent(event);
    }
};

// The context menu that a right-click opened: its entries ("|" for a
// separator) and their keys; empty when none opened.
struct MenuVisit {
    QStringList texts;
    QList<QKeySequence> shortcuts;
};

// Right-clicks the text area through the window system, then clicks the
// entry clickText of the menu that opens, or closes it.
MenuVisit rightClick(MidiEditTextView& view, const QString& clickText = QString())
{
    MenuVisit visit;
    QTimer::singleShot(0, [&visit, clickText] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) {
            return;
        }
        QAction* target = nullptr;
        for (QAction* action : menu->actions()) {
            visit.texts << (action->isSeparator() ? QString("|") : action->text());
            visit.shortcuts << action->shortcut();
            target = action->text() == clickText ? action : target;
        }
        if (target != nullptr) {
            QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(target).center());
        }
        menu->close();
    });
    QWidget* viewport = view.viewport();
    const QPoint position = viewport->mapTo(viewport->window(), viewport->rect().center());
    QTest::mouseClick(viewport->window()->windowHandle(), Qt::RightButton, Qt::NoModifier, position);
    QTest::qWait(20);
    return visit;
}

} // namespace

class MidiEditTextViewTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void functionKeysReachTheCommands();
    void userEditsMarkTheProject();
    void editorContextMenu();
    void monitorContextMenuClears();

private:
    TarvoModel* m_pModel = nullptr;
    CommandHost* m_pHost = nullptr;
    MidiEditTextView* m_pView = nullptr;
};

void MidiEditTextViewTest::init()
{
    m_pModel = new TarvoModel();
    m_pHost = new CommandHost();
    m_pView = new MidiEditTextView(m_pHost, m_pModel);
    (new QVBoxLayout(m_pHost))->addWidget(m_pView);
    m_pHost->resize(400, 300);
    m_pHost->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pHost));
    m_pView->setFocus();
}

void MidiEditTextViewTest::cleanup()
{
    delete m_pHost;
    delete m_pModel;
}

void MidiEditTextViewTest::functionKeysReachTheCommands()
{
    QSignalSpy transmit(m_pView, &MidiEditTextView::transmitShortcutKeyPressed);
    QSignalSpy receive(m_pView, &MidiEditTextView::receiveShorcutKeyPressed);
    QSignalSpy transmitAndReceive(m_pView, &MidiEditTextView::transmitAndReceiveShortcutKeyPressed);

    QTest::keyClicks(m_pView, "F0");
    for (Qt::Key key : {Qt::Key_F5, Qt::Key_F6, Qt::Key_F7, Qt::Key_F8}) {
        QTest::keyClick(m_pView, key);
    }
    QCOMPARE(transmit.count(), 1);
    QCOMPARE(receive.count(), 1);
    QCOMPARE(transmitAndReceive.count(), 1);
    QCOMPARE(m_pHost->m_commands, (QStringList{"transmit", "receive", "transmitAndReceive"}));
    QCOMPARE(m_pView->toPlainText(), QString("F0"));
    // The three command keys end in the view; other unused keys travel on.
    QCOMPARE(m_pHost->m_keysReceived, QList<int>{Qt::Key_F8});
}

void MidiEditTextViewTest::userEditsMarkTheProject()
{
    // Text put in under the lock, as received data is, leaves the project clean.
    m_pModel->lockParameterEditFlag();
    m_pView->insertPlainText("F0 41 F7");
    m_pModel->unlockParameterEditFlag();
    QCOMPARE(m_pModel->getParameterEditFlag(), ParameterNotEdited);

    QTest::keyClick(m_pView, Qt::Key_0);
    QCOMPARE(m_pModel->getParameterEditFlag(), ParameterEdited);
    QCOMPARE(m_pView->toPlainText(), QString("F0 41 F70"));

    // A monitor's text never marks the project.
    m_pModel->setParameterEditFlag(ParameterNotEdited);
    m_pView->setReadOnly(true);
    m_pView->setPlainText("\n90 3C 40");
    m_pView->clearText();
    QVERIFY(m_pView->toPlainText().isEmpty());
    QCOMPARE(m_pModel->getParameterEditFlag(), ParameterNotEdited);

    // Where Monaco is not installed the text still lines up in columns.
    QVERIFY(QFontInfo(m_pView->font()).fixedPitch());
}

void MidiEditTextViewTest::editorContextMenu()
{
    m_pView->setPlainText("F0 7E 7F 06 01 F7");
    const MenuVisit visit = rightClick(*m_pView, "&Open...");

    // The standard entries come first, then the editor's commands.
    const QStringList commands{"|", "&New", "&Open...", "&Save...", "|", "&Transmit", "&Receive",
                               "&Transmit and Receive"};
    QVERIFY(visit.texts.size() > commands.size());
    QCOMPARE(visit.texts.mid(visit.texts.size() - commands.size()), commands);
    QCOMPARE(visit.shortcuts.mid(visit.shortcuts.size() - 3),
             (QList<QKeySequence>{Qt::Key_F5, Qt::Key_F6, Qt::Key_F7}));
    QCOMPARE(m_pHost->m_commands, QStringList{"open"});
    QCOMPARE(m_pView->toPlainText(), QString("F0 7E 7F 06 01 F7"));

    // No menu while any editor transmits.
    m_pModel->setModelIntValue(TransmissionStateId, 1);
    QVERIFY(rightClick(*m_pView, "&Transmit").texts.isEmpty());
    m_pModel->setModelIntValue(TransmissionStateId, 0);
    rightClick(*m_pView, "&Transmit and Receive");
    QCOMPARE(m_pHost->m_commands, (QStringList{"open", "transmitAndReceive"}));
}

void MidiEditTextViewTest::monitorContextMenuClears()
{
    m_pView->setReadOnly(true);
    m_pView->setPlainText("\n90 3C 40\n80 3C 00");
    // A monitor's menu opens even while an editor transmits.
    m_pModel->setModelIntValue(TransmissionStateId, 1);

    const MenuVisit visit = rightClick(*m_pView, "&Clear");
    QVERIFY(visit.texts.size() >= 2);
    // Directly after the standard entries, without a separator.
    QCOMPARE(visit.texts.last(), QString("&Clear"));
    QVERIFY(visit.texts.at(visit.texts.size() - 2) != "|");
    QVERIFY(!visit.texts.contains("&Transmit"));
    QVERIFY(m_pView->toPlainText().isEmpty());
    QCOMPARE(m_pModel->getParameterEditFlag(), ParameterNotEdited);
}

QTEST_MAIN(MidiEditTextViewTest)
#include "MidiEditTextViewTest.moc"
