// A project built through the views comes back from its file with every
// value each view stores, and a playing clock plays again.

#include "MainWindowRig.h"
#include "VirtualMidiPlatform.h"
#include "controls/Dial.h"
#include "controls/MidiTimingClockPlayStopButton.h"
#include "controls/SevenSegment.h"
#include "model/TarvoModel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

namespace {

enum MenuBarIndex { FileMenu = 0, OutputPortMenu = 2 };
const int FileSave = 2;
const char* const DestinationName = "Round Trip Synth";
const char* const EditorText = "F0 7E 7F 06 01 F7\n90 3C 64";
const QByteArray TimingClock(1, char(0xF8));
const QByteArray Start(1, char(0xFA));
const QByteArray Stop(1, char(0xFC));
const int ControllerCount = 2;

// Every value a user can set in the tool windows, window by window in kind
// order, with each window's geometry.
QStringList snapshot(MainWindow& window)
{
    QStringList windows;
    for (QMdiSubWindow* subWindow : window.getSubWindowList()) {
        QStringList values;
        QWidget* view = subWindow->widget();
        const QRect geometry = subWindow->geometry();
        values << QString::number(dynamic_cast<WindowRestorationInfo*>(view)->windowId)
               << QStringLiteral("%1,%2 %3x%4").arg(geometry.x()).arg(geometry.y()).arg(geometry.width()).arg(geometry.height());
        for (QSpinBox* box : view->findChildren<QSpinBox*>())
            values << QString::number(box->value());
        for (QAbstractButton* button : view->findChildren<QAbstractButton*>())
            values << QString::number(button->isChecked());
        for (QComboBox* box : view->findChildren<QComboBox*>())
            values << QString::number(box->currentIndex());
        for (Dial* dial : view->findChildren<Dial*>())
            values << QString::number(dial->value());
        for (SevenSegment* display : view->findChildren<SevenSegment*>())
            values << QString::number(display->value());
        for (QScrollArea* area : view->findChildren<QScrollArea*>())
            values << QString::number(area->horizontalScrollBar()->value());
        for (QPlainTextEdit* text : view->findChildren<QPlainTextEdit*>())
            values << text->toPlainText();
        for (QAction* action : view->findChildren<QAction*>()) {
            if (action->isCheckable())
                values << action->text() + QString::number(action->isChecked());
        }
        windows << values.join(QLatin1Char('|'));
    }
    windows.sort();
    return windows;
}

// Moves every control of a view off its default, to a value inside its range.
void changeEverything(QWidget* view, int seed)
{
    for (QSpinBox* box : view->findChildren<QSpinBox*>())
        box->setValue(box->minimum() + (seed++ % (box->maximum() - box->minimum())) + 1);
    for (QAbstractButton* button : view->findChildren<QAbstractButton*>()) {
        if (button->isCheckable() && !qobject_cast<MidiTimingClockPlayStopButton*>(button))
            button->setChecked(true);
    }
    for (Dial* dial : view->findChildren<Dial*>())
        dial->setValue(dial->minimum() + (seed++ % (dial->maximum() - dial->minimum())) + 1);
    for (SevenSegment* display : view->findChildren<SevenSegment*>())
        display->setValue(seed % 128 + 1);
    for (QScrollArea* area : view->findChildren<QScrollArea*>())
        area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->maximum() / 2);
}

} // namespace

class ProjectRoundTripTest : public QObject
{
    Q_OBJECT

private slots:
    void projectReopensWithEveryValue();
};

void ProjectRoundTripTest::projectReopensWithEveryValue()
{
    initTarvoResources();
    VirtualMidiPlatform platform;
    platform.addDestination(QString::fromLatin1(DestinationName));
    TarvoModel model;
    MainWindow window(nullptr, &model);
    const auto flush = qScopeGuard(flushDeletes);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.createOutputPortMenu();
    for (QAction* action : window.menuBar()->actions().at(OutputPortMenu)->menu()->actions()) {
        if (action->text() == QLatin1String(DestinationName))
            action->trigger();
    }
    window.closeAllSubWindows();

    // The project as the user builds it.
    int seed = 3;
    changeEverything(window.openToolWindow(WindowRestorationInfo::WindowIdKeyboard)->widget(), seed++);
    for (int controller = 0; controller < ControllerCount; ++controller) {
        QMdiSubWindow* subWindow = window.openToolWindow(WindowRestorationInfo::WindowIdControlChange, {7 + controller});
        subWindow->setGeometry(QRect(10 + 230 * controller, 20, 225, 250));
        changeEverything(subWindow->widget(), seed++);
    }
    changeEverything(window.openToolWindow(WindowRestorationInfo::WindowIdProgramChange)->widget(), seed++);
    window.openMessageEditorWindow(MidiEditView::SystemExclusive, QSize(-1, -1), QString::fromLatin1(EditorText));
    // The monitors' choices: the In Monitor decoded, the Out Monitor without timing clock.
    const QList<QPair<WindowRestorationInfo::WindowId, const char*>> monitorChoices
        = {{WindowRestorationInfo::WindowIdMidiInMonitor, "&Decoded"},
           {WindowRestorationInfo::WindowIdMidiOutMonitor, "&Hide Timing Clock and Active Sensing"}};
    for (const auto& choice : monitorChoices) {
        QWidget* monitor = window.openToolWindow(choice.first)->widget();
        for (QAction* action : monitor->findChildren<QAction*>()) {
            if (action->text() == QLatin1String(choice.second))
                action->trigger();
        }
    }
    QWidget* clock = window.openToolWindow(WindowRestorationInfo::WindowIdTimingClock)->widget();
    changeEverything(clock, seed++);
    QTest::mouseClick(clock->findChild<MidiTimingClockPlayStopButton*>(), Qt::LeftButton);
    QVERIFY(platform.waitForSends(1));
    const QStringList saved = snapshot(window);

    // File > Save with a project path writes without a dialog.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("roundtrip.tarvo"));
    model.m_projectFilePath = path;
    menuAction(window, FileMenu, FileSave)->trigger();
    QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);

    // Reopening replaces every window.
    platform.clearSentMessages();
    QVERIFY(window.openFile(path));
    QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);
    QCOMPARE(snapshot(window), saved);

    // The replaced clock ends with the Stop it was set to send; the restored
    // one plays again after its Start, and that is all that reaches the output.
    const int sentBefore = platform.sentMessages().size();
    QVERIFY(platform.waitForSends(sentBefore + 2));
    QByteArray bytes;
    for (const VirtualMidiPlatform::SentMessage& send : platform.sentMessages())
        bytes += send.bytes;
    const QByteArray restored = bytes.mid(bytes.indexOf(Stop) + 1);
    QVERIFY(bytes.contains(Stop));
    QVERIFY(restored.startsWith(Start));
    QCOMPARE(restored.count(TimingClock), restored.size() - 1);
    QCOMPARE(bytes.count(TimingClock) + 2, bytes.size());
}

QTEST_MAIN(ProjectRoundTripTest)
#include "ProjectRoundTripTest.moc"
