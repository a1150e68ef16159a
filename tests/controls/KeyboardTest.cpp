#include "controls/Keyboard.h"

#include <QPainter>
#include <QtTest>

namespace {

using NoteEvent = QPair<int, bool>;
using NoteEvents = QList<NoteEvent>;

const QSizeF WhiteKeySize(25.0, 100.0);
const QSize KeyboardSize(1875, 101);
const QColor OnColor(160, 160, 185);

// Points on the keys of the 25 by 100 keyboard. Note 60 is white key 35
// (x 875 to 899), its C sharp covers x 894 to 904 down to y 62.
const QPoint Note60(880, 50);
const QPoint Note61(896, 30);
const QPoint Note62(912, 50);
const QPoint Note64(940, 50);
const QPoint Note65(960, 50);

void recordNote(void* context, unsigned char note, bool on)
{
    static_cast<NoteEvents*>(context)->append(qMakePair(static_cast<int>(note), on));
}

// A shown 25 by 100 keyboard whose notes are recorded in events.
void prepare(Keyboard& keyboard, NoteEvents& events)
{
    keyboard.setNoteCallbackFunc(recordNote, &events);
    keyboard.m_onColor = OnColor;
    keyboard.resize(KeyboardSize);
    keyboard.show();
}

void dragTo(Keyboard& keyboard, const QPoint& pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent move(QEvent::MouseMove, pos, keyboard.mapToGlobal(pos), Qt::NoButton, Qt::LeftButton, modifiers);
    QApplication::sendEvent(&keyboard, &move);
}

int noteAt(const Keyboard& keyboard, const QPoint& pos, bool* isWhite = nullptr)
{
    bool white = true;
    const int note = keyboard.noteNumber(pos, white);
    if (isWhite != nullptr) {
        *isWhite = white;
    }
    return note;
}

// Draws one text as the keyboard should draw an octave label on the white
// key that starts at x = left, on a white widget grabbed like the keyboard.
class LabelReference : public QWidget
{
public:
    LabelReference(const Keyboard& keyboard, int left, const QString& text) : m_left(left), m_text(text)
    {
        setFont(keyboard.font());
        resize(keyboard.size());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        painter.setPen(Qt::black);
        painter.drawText(QRect(m_left, 75, 25, 20), Qt::AlignCenter, m_text);
    }

private:
    int m_left;
    QString m_text;
};

} // namespace

class KeyboardTest : public QObject
{
    Q_OBJECT

private slots:
    void findsTheKeyUnderAPoint();
    void plainClickSoundsWhileHeld();
    void ctrlLatchesKeys();
    void dragPlaysAGlissando();
    void callsBackAndMarksNotes();
    void paintsSoundingKeysAndOctaveLabels();
};

void KeyboardTest::findsTheKeyUnderAPoint()
{
    // Inside both a black key and the white keys beneath it: the black key.
    // No black key between E and F, nor between B and C. The last white key
    // is note 127, the last black key 126; below every key and right of the
    // last key there is no note.
    Keyboard keyboard(nullptr, WhiteKeySize);
    const QList<QPair<QPoint, int>> points = {
        {Note60, 60}, {Note61, 61}, {QPoint(904, 62), 61}, {QPoint(893, 30), 60}, {QPoint(905, 30), 62},
        {QPoint(896, 63), 60}, {QPoint(74, 10), 4}, {QPoint(75, 10), 5}, {QPoint(1874, 99), 127},
        {QPoint(1850, 10), 126}, {QPoint(880, 100), Keyboard::NoNote}, {QPoint(1875, 50), Keyboard::NoNote}};
    for (const auto& point : points) {
        QCOMPARE(noteAt(keyboard, point.first), point.second);
    }
    bool white = false;
    QCOMPARE(noteAt(keyboard, Note60, &white), 60);
    QVERIFY(white);
    QCOMPARE(noteAt(keyboard, Note61, &white), 61);
    QVERIFY(!white);

    // White keys 50 by 200 by default; black keys 23 by 126, the first from x 38.
    const Keyboard standard;
    const QList<QPair<QPoint, int>> standardPoints = {{QPoint(49, 199), 0}, {QPoint(50, 199), 2},
        {QPoint(49, 200), Keyboard::NoNote}, {QPoint(38, 125), 1}, {QPoint(37, 0), 0}, {QPoint(40, 126), 0}};
    for (const auto& point : standardPoints) {
        QCOMPARE(noteAt(standard, point.first), point.second);
    }

    // A press where there is no key does nothing, and neither does its release.
    NoteEvents events;
    prepare(keyboard, events);
    keyboard.resize(1900, 120);
    QVERIFY(QTest::qWaitForWindowExposed(&keyboard));
    QTest::mouseClick(&keyboard, Qt::LeftButton, Qt::NoModifier, QPoint(880, 100));
    QTest::mouseClick(&keyboard, Qt::LeftButton, Qt::NoModifier, QPoint(1880, 50));
    QCOMPARE(events, NoteEvents());
}

void KeyboardTest::plainClickSoundsWhileHeld()
{
    Keyboard keyboard(nullptr, WhiteKeySize);
    NoteEvents events;
    prepare(keyboard, events);
    QVERIFY(QTest::qWaitForWindowExposed(&keyboard));

    QTest::mousePress(&keyboard, Qt::LeftButton, Qt::NoModifier, Note60);
    QCOMPARE(events, NoteEvents({{60, true}}));
    QVERIFY(!keyboard.isAllNotOff());
    QTest::mouseRelease(&keyboard, Qt::LeftButton, Qt::NoModifier, Note60);
    QCOMPARE(events, NoteEvents({{60, true}, {60, false}}));
    QVERIFY(keyboard.isAllNotOff());

    // The position is rounded before the look-up: 899.5 is x 900, note 62.
    events.clear();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(899.5, 70.0), keyboard.mapToGlobal(QPoint(900, 70)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&keyboard, &press);
    QTest::mouseRelease(&keyboard, Qt::LeftButton, Qt::NoModifier, Note62);
    QCOMPARE(events, NoteEvents({{62, true}, {62, false}}));
}

void KeyboardTest::ctrlLatchesKeys()
{
    Keyboard keyboard(nullptr, WhiteKeySize);
    NoteEvents events;
    prepare(keyboard, events);
    QVERIFY(QTest::qWaitForWindowExposed(&keyboard));

    // Ctrl-click on a silent key turns it on; it keeps sounding after the release.
    QTest::mouseClick(&keyboard, Qt::LeftButton, Qt::ControlModifier, Note64);
    QTest::mouseClick(&keyboard, Qt::LeftButton, Qt::ControlModifier, Note60);
    QCOMPARE(events, NoteEvents({{64, true}, {60, true}}));
    // Ctrl-click on a sounding key turns it off.
    QTest::mouseClick(&keyboard, Qt::LeftButton, Qt::ControlModifier, Note64);
    QCOMPARE(events.last(), NoteEvent(64, false));
    QTest::mouseClick(&keyboard, Qt::LeftButton, Qt::ControlModifier, Note62);
    QCOMPARE(events.last(), NoteEvent(62, true));

    // A plain click releases every sounding note, lowest first, and sounds nothing.
    events.clear();
    QTest::mouseClick(&keyboard, Qt::LeftButton, Qt::NoModifier, Note65);
    QCOMPARE(events, NoteEvents({{60, false}, {62, false}}));
    QVERIFY(keyboard.isAllNotOff());

    // Ctrl and Shift together is a plain press: it sounds while held only.
    events.clear();
    QTest::mouseClick(&keyboard, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, Note65);
    QCOMPARE(events, NoteEvents({{65, true}, {65, false}}));

    // The modifier counts at the press: a latched press stays latched
    // whatever the release carries.
    events.clear();
    QTest::mousePress(&keyboard, Qt::LeftButton, Qt::ControlModifier, Note61);
    QTest::mouseRelease(&keyboard, Qt::LeftButton, Qt::NoModifier, Note61);
    QCOMPARE(events, NoteEvents({{61, true}}));
}

void KeyboardTest::dragPlaysAGlissando()
{
    Keyboard keyboard(nullptr, WhiteKeySize);
    NoteEvents events;
    prepare(keyboard, events);
    QVERIFY(QTest::qWaitForWindowExposed(&keyboard));

    // Each key is released at the first move over the next, which sounds at the following move.
    QTest::mousePress(&keyboard, Qt::LeftButton, Qt::NoModifier, Note60);
    dragTo(keyboard, Note60 + QPoint(5, 0));
    QCOMPARE(events, NoteEvents({{60, true}}));
    dragTo(keyboard, Note62);
    QCOMPARE(events, NoteEvents({{60, true}, {60, false}}));
    dragTo(keyboard, Note62 + QPoint(1, 0));
    dragTo(keyboard, Note62 + QPoint(2, 0));
    QCOMPARE(events, NoteEvents({{60, true}, {60, false}, {62, true}}));
    dragTo(keyboard, QPoint(Note62.x(), 110));
    dragTo(keyboard, Note64);
    dragTo(keyboard, Note64);
    QTest::mouseRelease(&keyboard, Qt::LeftButton, Qt::NoModifier, Note64);
    QCOMPARE(events,
             NoteEvents({{60, true}, {60, false}, {62, true}, {62, false}, {64, true}, {64, false}}));

    // With Ctrl a drag adds every key it crosses and releases nothing.
    events.clear();
    QTest::mousePress(&keyboard, Qt::LeftButton, Qt::ControlModifier, Note60);
    dragTo(keyboard, Note61, Qt::ControlModifier);
    dragTo(keyboard, Note62, Qt::ControlModifier);
    dragTo(keyboard, Note60, Qt::ControlModifier);
    QTest::mouseRelease(&keyboard, Qt::LeftButton, Qt::ControlModifier, Note60);
    QCOMPARE(events, NoteEvents({{60, true}, {61, true}, {62, true}}));
    keyboard.noteOnToOff();
    QCOMPARE(events.mid(3), NoteEvents({{60, false}, {61, false}, {62, false}}));
}

void KeyboardTest::callsBackAndMarksNotes()
{
    Keyboard keyboard(nullptr, WhiteKeySize);
    NoteEvents events;
    keyboard.setNoteCallbackFunc(recordNote, &events);

    keyboard.noteOn(127);
    keyboard.noteOn(0);
    keyboard.noteOn(0);
    QVERIFY(!keyboard.isAllNotOff());
    keyboard.noteOff(0);
    QCOMPARE(events, NoteEvents({{127, true}, {0, true}, {0, true}, {0, false}}));
    QVERIFY(!keyboard.isAllNotOff());

    // Numbers above 127 have no key: nothing is reported or marked.
    keyboard.noteOn(200);
    keyboard.noteOn(Keyboard::NoNote);
    QCOMPARE(events.size(), 4);
    keyboard.noteOnToOff();
    QCOMPARE(events.mid(4), NoteEvents({{127, false}}));
    QVERIFY(keyboard.isAllNotOff());

    // Without a callback notes are still marked.
    keyboard.setNoteCallbackFunc(nullptr, nullptr);
    keyboard.noteOn(60);
    QVERIFY(!keyboard.isAllNotOff());
    QCOMPARE(events.size(), 5);
}

void KeyboardTest::paintsSoundingKeysAndOctaveLabels()
{
    Keyboard keyboard(nullptr, WhiteKeySize);
    NoteEvents events;
    prepare(keyboard, events);
    QVERIFY(QTest::qWaitForWindowExposed(&keyboard));

    QImage image = keyboard.grab().toImage();
    QCOMPARE(image.pixelColor(Note60), QColor(Qt::white));
    QCOMPARE(image.pixelColor(Note61), QColor(Qt::black));
    QCOMPARE(image.pixelColor(875, 50), QColor(Qt::black));

    keyboard.noteOn(60);
    keyboard.noteOn(61);
    image = keyboard.grab().toImage();
    QCOMPARE(image.pixelColor(Note60), OnColor);
    QCOMPARE(image.pixelColor(Note61), OnColor);
    QCOMPARE(image.pixelColor(Note62), QColor(Qt::white));
    QCOMPARE(image.pixelColor(925, 30), QColor(Qt::black));

    // "C" and the octave, from C-2 at note 0 to C8 at note 120, in the lower
    // quarter of every C key; no label on the other keys.
    keyboard.noteOnToOff();
    image = keyboard.grab().toImage();
    const QList<QPair<int, QString>> labels = {{0, "C-2"}, {7, "C-1"}, {14, "C0"}, {35, "C3"}, {70, "C8"}};
    for (const auto& label : labels) {
        const int left = label.first * 25;
        const QImage expected = LabelReference(keyboard, left, label.second).grab().toImage();
        // The key's outline runs along x = left and x = left + 25.
        for (int y = 0; y < 20; ++y) {
            for (int x = 1; x < 25; ++x) {
                QCOMPARE(image.pixelColor(left + x, 75 + y), expected.pixelColor(left + x, 75 + y));
            }
        }
    }
    for (int x = 901; x < 925; ++x) {
        for (int y = 75; y < 95; ++y) {
            QCOMPARE(image.pixelColor(x, y), QColor(Qt::white));
        }
    }
}

QTEST_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
