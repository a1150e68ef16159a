#include "controls/ComboBox.h"
#include "controls/Dial.h"
#include "controls/Keyboard.h"
#include "controls/LineEdit.h"
#include "controls/MidiTimingClockDial.h"
#include "controls/SevenSegment.h"
#include "model/TarvoModel.h"

#include <QIntValidator>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest>

namespace {

// A 100 by 80 dial ranging 0 to 100: its value text is a 50 by 20 box in the middle.
const QSize DialSize(100, 80);
const QSize EntrySize(50, 20);
constexpr int DialMiddle = 50;
const QPoint DialValuePoint(50, 40);
const QPoint LeftOfDialValue(15, 40);
const QPoint RightOfDialValue(85, 40);
const QPoint OutsideTheKnob(2, 2);
// A 128 by 48 display of program numbers 1 to 128, its buttons at the right edge.
constexpr int LowestProgram = 1;
constexpr int HighestProgram = 128;
const QRect UpButton(114, 0, 14, 24);
const QRect DownButton(114, 24, 14, 24);
const QPoint DigitPoint(40, 24);
// White keys of 25 by 100: note 60 is white key 35 (x 875 to 899), its sharp covers x 894 to 904 down to y 62.
const QSizeF WhiteKeySize(25.0, 100.0);
const QPoint Note60(880, 50), Note61(896, 30), Note62(912, 50), Note64(940, 50), Note65(960, 50);
constexpr int WheelNotch = QWheelEvent::DefaultDeltasPerStep;

using NoteEvents = QList<QPair<int, bool>>;

void recordNote(void* context, unsigned char note, bool on)
{
    static_cast<NoteEvents*>(context)->append(qMakePair(int(note), on));
}

void moveTo(QWidget& widget, const QPoint& pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent move(QEvent::MouseMove, pos, widget.mapToGlobal(pos), Qt::NoButton, Qt::LeftButton, modifiers);
    QApplication::sendEvent(&widget, &move);
}

void drag(QWidget& widget, const QPoint& from, const QList<QPoint>& path, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::mousePress(&widget, Qt::LeftButton, modifiers, from);
    for (const QPoint& pos : path) {
        moveTo(widget, pos, modifiers);
    }
    QTest::mouseRelease(&widget, Qt::LeftButton, modifiers, path.isEmpty() ? from : path.last());
}

void turnWheel(QWidget& widget, int delta)
{
    const QPoint pos = widget.rect().center();
    QWheelEvent wheel(pos, widget.mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &wheel);
}

// Opens the inline entry of a dial or display and waits until it has the focus.
LineEdit* openEntry(QWidget& widget, const QPoint& pos)
{
    QTest::mouseDClick(&widget, Qt::LeftButton, Qt::NoModifier, pos);
    auto* entry = widget.findChild<LineEdit*>();
    return entry != nullptr && QTest::qWaitFor([entry] { return entry->hasFocus(); }) ? entry : nullptr;
}

void showActive(QWidget& widget)
{
    widget.show();
    QApplication::setActiveWindow(&widget);
    QVERIFY(QTest::qWaitForWindowActive(&widget));
}

void prepare(Dial& dial, int knobMode)
{
    dial.setRange(0, 2 * DialMiddle);
    dial.setValue(DialMiddle);
    dial.setLineEditSize(EntrySize);
    dial.setKnobMode(knobMode);
    dial.resize(DialSize);
    showActive(dial);
}

void prepare(SevenSegment& display, int value)
{
    display.setRange(LowestProgram, HighestProgram);
    display.setValue(value);
    display.setFixedSize(UpButton.right() + 1, DownButton.bottom() + 1);
    display.setIncreaseButtonGeometry(UpButton);
    display.setDecreaseButtonGeometry(DownButton);
    showActive(display);
}

} // namespace

class ControlsTest : public QObject
{
    Q_OBJECT

private slots:
    void dialFollowsTheMouseInEitherKnobMode();
    void entriesClampBlockSteppingAndCloseWithTheirWidget();
    void tempoLedBlinks();
    void sevenSegmentStepsWithinItsBounds();
    void keyboardFindsTheKeyUnderAPoint_data();
    void keyboardFindsTheKeyUnderAPoint();
    void keyboardPlaysHeldLatchedAndDraggedNotes();
    void keyboardIgnoresNotesAbove127();
    void lineEditSettlesTypedValues_data();
    void lineEditSettlesTypedValues();
    void comboBoxOffersTheParameterValues();
};

void ControlsTest::dialFollowsTheMouseInEitherKnobMode()
{
    TarvoModel model;
    Dial dial;
    prepare(dial, KnobModeLinear);
    // The preference is taken at once and at every change; a dial that went
    // hears of no change.
    dial.followKnobMode(&model);
    QCOMPARE(dial.knobMode(), int(KnobModeCircle));
    delete new Dial;
    auto* gone = new Dial;
    gone->followKnobMode(&model);
    delete gone;
    // In Circle mode presses on the value text and outside the knob change
    // nothing; left of the centre is below the middle, right of it above.
    drag(dial, DialValuePoint, { LeftOfDialValue });
    drag(dial, OutsideTheKnob, { LeftOfDialValue });
    QCOMPARE(dial.value(), DialMiddle);
    QTest::mousePress(&dial, Qt::LeftButton, Qt::NoModifier, LeftOfDialValue);
    QVERIFY2(dial.value() < DialMiddle, qPrintable(QString::number(dial.value())));
    moveTo(dial, RightOfDialValue);
    QVERIFY2(dial.value() > DialMiddle, qPrintable(QString::number(dial.value())));
    QTest::mouseRelease(&dial, Qt::LeftButton, Qt::NoModifier, RightOfDialValue);
    // In Linear mode one step per pixel upwards, from the value at the press; the range clamps.
    model.setModelIntValue(KnobModeId, KnobModeLinear);
    dial.setValue(DialMiddle);
    QTest::mousePress(&dial, Qt::LeftButton, Qt::NoModifier, DialValuePoint);
    const QList<QPair<QPoint, int>> moves = { { { 0, -10 }, DialMiddle + 10 }, { { -30, 7 }, DialMiddle - 7 },
        { { 0, -DialSize.height() * 10 }, dial.maximum() }, { { 0, DialSize.height() * 10 }, dial.minimum() } };
    for (const auto& move : moves) {
        moveTo(dial, DialValuePoint + move.first);
        QCOMPARE(dial.value(), move.second);
    }
    QTest::mouseRelease(&dial, Qt::LeftButton, Qt::NoModifier, DialValuePoint);
    drag(dial, LeftOfDialValue, { LeftOfDialValue + QPoint(0, -5) });
    drag(dial, OutsideTheKnob, { OutsideTheKnob + QPoint(0, -5) });
    QCOMPARE(dial.value(), 5);
}

void ControlsTest::entriesClampBlockSteppingAndCloseWithTheirWidget()
{
    auto* dial = new Dial;
    prepare(*dial, KnobModeCircle);
    QApplication::setWheelScrollLines(1);
    turnWheel(*dial, WheelNotch);
    QTest::keyClick(dial, Qt::Key_Up);
    QPointer<LineEdit> entry = openEntry(*dial, DialValuePoint);
    QVERIFY(entry);
    QCOMPARE(entry->selectedText(), QString::number(DialMiddle + 2));
    turnWheel(*dial, WheelNotch);
    QTest::keyClick(dial, Qt::Key_Up);
    QCOMPARE(dial->value(), DialMiddle + 2);
    // The validator refuses out-of-range keys, so the text is put in directly.
    entry->setText(QStringLiteral("999"));
    QTest::keyClick(entry, Qt::Key_Return);
    QCOMPARE(dial->value(), dial->maximum());
    QTRY_VERIFY(dial->hasFocus());
    turnWheel(*dial, -WheelNotch);
    QCOMPARE(dial->value(), dial->maximum() - 1);
    // A second entry replaces the first; it loses its focus while the dial is being destroyed.
    entry = openEntry(*dial, DialValuePoint);
    QCOMPARE(dial->findChildren<LineEdit*>().size(), 1);
    delete dial;
    QVERIFY(entry.isNull());
    auto* display = new SevenSegment;
    prepare(*display, LowestProgram);
    entry = openEntry(*display, DigitPoint);
    QVERIFY(entry);
    QTest::keyClick(display, Qt::Key_Up);
    turnWheel(*display, WheelNotch);
    QCOMPARE(display->value(), LowestProgram);
    // Ended by a click on another control, the focus stays there.
    auto* other = new QLineEdit(display);
    other->setGeometry(0, 0, 4, 4);
    other->show();
    QTest::mouseClick(other, Qt::LeftButton);
    QTRY_VERIFY(other->hasFocus());
    delete display;
    QVERIFY(entry.isNull());
}

// The tempo LED lights for a blink and goes dark again.
void ControlsTest::tempoLedBlinks()
{
    MidiTimingClockDial dial;
    prepare(dial, KnobModeCircle);
    const QImage dark = dial.grab().toImage();
    dial.ledOn();
    QVERIFY(dial.grab().toImage() != dark);
    QTRY_COMPARE(dial.grab().toImage(), dark);
}

void ControlsTest::sevenSegmentStepsWithinItsBounds()
{
    SevenSegment display;
    prepare(display, HighestProgram);
    QList<int> changed;
    connect(&display, &SevenSegment::valueChanged, [&changed](int value) { changed << value; });
    // Values from outside are taken as they are; the next step brings them back in.
    display.setValue(HighestProgram + 1);
    display.addStepToValue(1);
    QTest::mouseClick(display.childAt(UpButton.center()), Qt::LeftButton);
    QTest::keyClick(&display, Qt::Key_Up);
    turnWheel(display, WheelNotch);
    QTest::mouseClick(display.childAt(DownButton.center()), Qt::LeftButton);
    QTest::keyClick(&display, Qt::Key_Down);
    display.setValue(LowestProgram - 1);
    display.addStepToValue(-1);
    QTest::keyClick(&display, Qt::Key_Down);
    turnWheel(display, -WheelNotch);
    QCOMPARE(changed, QList<int>({ HighestProgram + 1, HighestProgram, HighestProgram - 1, HighestProgram - 2,
                                            LowestProgram - 1, LowestProgram }));
    // A wheel turned back drops the half notch left over; a fraction of a
    // notch carries over; a notch is a step whatever the desktop scrolls by,
    // and a fast turn passes every value on its way.
    display.setValue(DialMiddle);
    changed.clear();
    QApplication::setWheelScrollLines(3);
    for (int delta : { WheelNotch / 2, WheelNotch / 2, WheelNotch / 2, -WheelNotch / 2, -WheelNotch / 2 }) {
        turnWheel(display, delta);
    }
    for (int delta : { WheelNotch, WheelNotch / 3, WheelNotch / 3, 2 * WheelNotch }) {
        turnWheel(display, delta);
    }
    QCOMPARE(changed, QList<int>({ DialMiddle + 1, DialMiddle, DialMiddle + 1, DialMiddle + 2, DialMiddle + 3 }));
    // Held, a button repeats.
    QTest::mousePress(display.childAt(UpButton.center()), Qt::LeftButton);
    QTRY_VERIFY(display.value() > DialMiddle + 5);
    QTest::mouseRelease(display.childAt(UpButton.center()), Qt::LeftButton);
}

void ControlsTest::keyboardFindsTheKeyUnderAPoint_data()
{
    QTest::addColumn<QSizeF>("whiteKeySize");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("note");
    QTest::addColumn<bool>("white");
    // A size of (0, 0) stands for white keys of 50 by 200.
    QTest::newRow("default size, first key") << QSizeF(0, 0) << QPoint(49, 199) << 0 << true;
    QTest::newRow("default size, second key") << QSizeF(0, 0) << QPoint(50, 199) << 2 << true;
    QTest::newRow("black key over white keys") << WhiteKeySize << Note61 << 61 << false;
    QTest::newRow("right of the black key") << WhiteKeySize << QPoint(905, 30) << 62 << true;
    QTest::newRow("below the black key") << WhiteKeySize << QPoint(896, 63) << 60 << true;
    QTest::newRow("no black key between E and F") << WhiteKeySize << QPoint(75, 10) << 5 << true;
    QTest::newRow("last white key") << WhiteKeySize << QPoint(1874, 99) << 127 << true;
    QTest::newRow("below every key") << WhiteKeySize << QPoint(880, 100) << int(Keyboard::NoNote) << false;
    QTest::newRow("right of the last key") << WhiteKeySize << QPoint(1875, 50) << int(Keyboard::NoNote) << false;
}

void ControlsTest::keyboardFindsTheKeyUnderAPoint()
{
    QFETCH(QSizeF, whiteKeySize);
    QFETCH(QPoint, point);
    QFETCH(int, note);
    QFETCH(bool, white);
    Keyboard keyboard(nullptr, whiteKeySize);
    bool isWhite = !white;
    QCOMPARE(int(keyboard.noteNumber(point, isWhite)), note);
    QCOMPARE(isWhite, white);
}

void ControlsTest::keyboardPlaysHeldLatchedAndDraggedNotes()
{
    Keyboard keyboard(nullptr, WhiteKeySize);
    NoteEvents events;
    keyboard.setNoteCallbackFunc(recordNote, &events);
    // Ctrl latches a key on and off; a plain press then releases all, lowest first, and plays nothing.
    for (const QPoint& key : { Note64, Note60, Note64, Note62 }) {
        QTest::mouseClick(&keyboard, Qt::LeftButton, Qt::ControlModifier, key);
    }
    QTest::mouseClick(&keyboard, Qt::LeftButton, Qt::NoModifier, Note65);
    QCOMPARE(events, NoteEvents({ { 64, true }, { 60, true }, { 64, false }, { 62, true }, { 60, false }, { 62, false } }));
    // Ctrl with Shift is a plain press; the modifier of the press counts, not that of the release.
    events.clear();
    QTest::mouseClick(&keyboard, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, Note65);
    QTest::mousePress(&keyboard, Qt::LeftButton, Qt::ControlModifier, Note61);
    QTest::mouseRelease(&keyboard, Qt::LeftButton, Qt::NoModifier, Note61);
    QCOMPARE(events, NoteEvents({ { 65, true }, { 65, false }, { 61, true } }));
    keyboard.noteOnToOff();
    // A plain drag releases each key at the first move onto the next, which sounds at the following move.
    events.clear();
    drag(keyboard, Note60, { Note60 + QPoint(5, 0), Note62, Note62 + QPoint(1, 0), QPoint(Note62.x(), 110), Note64, Note64 });
    QCOMPARE(events, NoteEvents({ { 60, true }, { 60, false }, { 62, true }, { 62, false }, { 64, true }, { 64, false } }));
    // A Ctrl drag adds every key it crosses.
    events.clear();
    drag(keyboard, Note60, { Note61, Note62, Note60 }, Qt::ControlModifier);
    QCOMPARE(events, NoteEvents({ { 60, true }, { 61, true }, { 62, true } }));
}

void ControlsTest::keyboardIgnoresNotesAbove127()
{
    Keyboard keyboard(nullptr, WhiteKeySize);
    NoteEvents events;
    keyboard.setNoteCallbackFunc(recordNote, &events);
    const int highest = Keyboard::NoteCount - 1;
    for (int note : { highest, 0, 0, highest + 1, int(Keyboard::NoNote) }) {
        keyboard.noteOn(static_cast<unsigned char>(note));
    }
    keyboard.noteOff(0);
    QVERIFY(!keyboard.isAllNotOff());
    keyboard.noteOnToOff();
    QVERIFY(keyboard.isAllNotOff());
    QCOMPARE(events, NoteEvents({ { highest, true }, { 0, true }, { 0, true }, { 0, false }, { highest, false } }));
}

void ControlsTest::lineEditSettlesTypedValues_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("settled");
    QTest::newRow("inside") << "64" << "64";
    QTest::newRow("above") << "300" << "127";
    QTest::newRow("below") << "-5" << "0";
    QTest::newRow("letters") << "abc" << "42";
}

void ControlsTest::lineEditSettlesTypedValues()
{
    QFETCH(QString, typed);
    QFETCH(QString, settled);
    // Enter settles the entry, and so does leaving it.
    LineEdit edit(QStringLiteral("42"));
    edit.setValidator(new QIntValidator(0, 127, &edit));
    QSignalSpy finished(&edit, &QLineEdit::editingFinished);
    edit.setText(typed);
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(edit.text(), settled);
    QCOMPARE(finished.count(), 1);
    edit.setText(typed);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&edit, &focusOut);
    QCOMPARE(edit.text(), settled);
    QVERIFY(finished.count() > 1);
}

void ControlsTest::comboBoxOffersTheParameterValues()
{
    // The items are the parameter's texts and the index its value; a parameter without a range gives no items.
    TarvoModel model;
    ComboBox combo, flat;
    combo.setParameterId(KnobModeId);
    model.setModelIntValue(KnobModeId, KnobModeLinear);
    combo.connectModel(&model);
    QCOMPARE(combo.currentIndex(), int(KnobModeLinear));
    combo.setCurrentIndex(KnobModeCircle);
    QCOMPARE(model.getModelIntValue(KnobModeId), int(KnobModeCircle));
    flat.setParameterId(TransmissionStateId);
    model.createIntParameter(TransmissionStateId, TransmissionIdle, TransmissionIdle, TransmissionIdle, QString(), nullptr, nullptr);
    flat.connectModel(&model);
    QCOMPARE(flat.count(), 0);
}

QTEST_MAIN(ControlsTest)
#include "ControlsTest.moc"
