#include "MainWindowRig.h"
#include "VirtualMidiPlatform.h"
#include "controls/Dial.h"
#include "controls/MidiTimingClockDial.h"
#include "controls/MidiTimingClockPlayStopButton.h"
#include "controls/SevenSegment.h"
#include "model/TarvoModel.h"
#include "views/MidiControlChangeView.h"
#include "views/MidiKeyboardView.h"
#include "views/MidiProgramChangeView.h"
#include "views/MidiTimingClockGeneratorView.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>


namespace {

const char* const DestinationName = "Round Trip Synth";
const int FileMenuIndex = 0;
const int OutputPortMenuIndex = 2;
const int FileMenuSaveIndex = 2;
const char* const EditorText = "F0 7E 7F 06 01 F7\n90 3C 64";
const QByteArray TimingClock(1, char(0xF8));

void openOutputPort(MainWindow& window)
{
    window.createOutputPortMenu();
    QMenu* menu = window.menuBar()->actions().at(OutputPortMenuIndex)->menu();
    for (QAction* action : menu->actions()) {
        if (action->text() == QLatin1String(DestinationName))
            action->trigger();
    }
}

template<typename View>
QList<View*> views(MainWindow& window)
{
    QList<View*> found;
    for (QMdiSubWindow* subWindow : window.getSubWindowList()) {
        if (auto* view = qobject_cast<View*>(subWindow->widget()))
            found.append(view);
    }
    return found;
}

// The spin box of a view whose range ends at maximum, the first of them.
QSpinBox* spinBoxWithMaximum(QWidget* view, int maximum, int skip = 0)
{
    for (QSpinBox* spinBox : view->findChildren<QSpinBox*>()) {
        if (spinBox->maximum() == maximum && skip-- == 0)
            return spinBox;
    }
    return nullptr;
}

QCheckBox* checkBox(QWidget* view, const char* text)
{
    for (QCheckBox* box : view->findChildren<QCheckBox*>()) {
        if (box->text() == QLatin1String(text))
            return box;
    }
    return nullptr;
}

struct ControlChangeState
{
    int controller;
    int channel;
    int value;
    QRect geometry;
};

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
    // The windows that opening closed are deleted before the main window goes.
    const auto flush = qScopeGuard(flushDeletes);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    openOutputPort(window);
    window.closeAllSubWindows();

    // The project as the user builds it.
    window.createMidiKeyboardView(QStringLiteral("&Keyboard"));
    auto* keyboard = views<MidiKeyboardView>(window).value(0);
    QVERIFY(keyboard);
    spinBoxWithMaximum(keyboard, 16)->setValue(5);
    spinBoxWithMaximum(keyboard, 127)->setValue(77);
    QScrollBar* keyboardScroll = keyboard->findChild<QScrollArea*>()->horizontalScrollBar();
    QVERIFY(keyboardScroll->maximum() > 1000);
    keyboardScroll->setValue(1000);

    const QList<ControlChangeState> controls = {{7, 3, 90, QRect(10, 20, 225, 250)},
                                                {10, 16, 20, QRect(240, 20, 225, 250)}};
    for (const ControlChangeState& control : controls) {
        QMdiSubWindow* subWindow = window.createMidiControlChangeView(QStringLiteral("&Control Change"),
                                                                      control.controller);
        subWindow->setGeometry(control.geometry);
        spinBoxWithMaximum(subWindow->widget(), 16)->setValue(control.channel);
        subWindow->widget()->findChild<Dial*>()->setValue(control.value);
    }

    window.createMidiProgramChangeView(QStringLiteral("&Program Change"));
    auto* programChange = views<MidiProgramChangeView>(window).value(0);
    spinBoxWithMaximum(programChange, 16)->setValue(3);
    checkBox(programChange, "MSB")->setChecked(true);
    spinBoxWithMaximum(programChange, 127, 0)->setValue(5);
    checkBox(programChange, "LSB")->setChecked(true);
    spinBoxWithMaximum(programChange, 127, 1)->setValue(2);
    programChange->findChild<SevenSegment*>()->setValue(128);
    checkBox(programChange, "Auto Transmit")->setChecked(true);

    QMdiSubWindow* editor = window.createMidiEditView(QStringLiteral("&System Exclusive"),
                                                      MidiEditView::SystemExclusive, QSize(-1, -1), QString());
    editor->widget()->findChild<QPlainTextEdit*>()->setPlainText(QString::fromLatin1(EditorText));

    window.createMidiTimingClockGeneratorView(QStringLiteral("&Timing Clock"));
    auto* clock = views<MidiTimingClockGeneratorView>(window).value(0);
    clock->findChild<MidiTimingClockDial*>()->setValue(120);
    QTest::mouseClick(clock->findChild<MidiTimingClockPlayStopButton*>(), Qt::LeftButton);
    QVERIFY(platform.waitForSends(1));

    // File > Save with a project path writes without a dialog.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("roundtrip.tarvo"));
    model.m_projectFilePath = path;
    QCOMPARE(model.getParameterEditFlag(), ParameterEdited);
    menuAction(window, FileMenuIndex, FileMenuSaveIndex)->trigger();
    QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);
    QCOMPARE(window.windowTitle(), QStringLiteral("roundtrip.tarvo - Tarvo Suite"));

    // Reopening replaces every window; nothing but the clock is sent.
    platform.clearSentMessages();
    QVERIFY(window.openFile(path));
    QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);
    QCOMPARE(window.getSubWindowList().size(), 6);

    keyboard = views<MidiKeyboardView>(window).value(0);
    QVERIFY(keyboard);
    QCOMPARE(spinBoxWithMaximum(keyboard, 16)->value(), 5);
    QCOMPARE(spinBoxWithMaximum(keyboard, 127)->value(), 77);
    QCOMPARE(keyboard->findChild<QScrollArea*>()->horizontalScrollBar()->value(), 1000);

    const QList<MidiControlChangeView*> controlViews = views<MidiControlChangeView>(window);
    QCOMPARE(controlViews.size(), 2);
    for (const ControlChangeState& control : controls) {
        MidiControlChangeView* view = nullptr;
        for (MidiControlChangeView* candidate : controlViews) {
            if (candidate->values.value(0).toInt() == control.controller)
                view = candidate;
        }
        QVERIFY(view);
        QCOMPARE(view->findChild<QComboBox*>()->currentIndex(), control.controller);
        QCOMPARE(spinBoxWithMaximum(view, 16)->value(), control.channel);
        QCOMPARE(view->findChild<Dial*>()->value(), control.value);
        QCOMPARE(view->parentWidget()->geometry(), control.geometry);
    }

    programChange = views<MidiProgramChangeView>(window).value(0);
    QVERIFY(programChange);
    QCOMPARE(spinBoxWithMaximum(programChange, 16)->value(), 3);
    QVERIFY(checkBox(programChange, "MSB")->isChecked());
    QCOMPARE(spinBoxWithMaximum(programChange, 127, 0)->value(), 5);
    QVERIFY(checkBox(programChange, "LSB")->isChecked());
    QCOMPARE(spinBoxWithMaximum(programChange, 127, 1)->value(), 2);
    QCOMPARE(programChange->findChild<SevenSegment*>()->value(), 128);
    QVERIFY(checkBox(programChange, "Auto Transmit")->isChecked());

    const QList<MidiEditView*> editors = views<MidiEditView>(window);
    QCOMPARE(editors.size(), 1);
    QCOMPARE(editors.first()->findChild<QPlainTextEdit*>()->toPlainText(), QString::fromLatin1(EditorText));

    clock = views<MidiTimingClockGeneratorView>(window).value(0);
    QVERIFY(clock);
    QCOMPARE(clock->findChild<MidiTimingClockDial*>()->value(), 120);
    QVERIFY(clock->findChild<MidiTimingClockPlayStopButton*>()->isChecked());

    // The clock plays again, and it is all that reaches the output.
    QVERIFY(platform.waitForSends(2));
    for (const VirtualMidiPlatform::SentMessage& send : platform.sentMessages())
        QCOMPARE(send.bytes, TimingClock);
}

QTEST_MAIN(ProjectRoundTripTest)
#include "ProjectRoundTripTest.moc"
