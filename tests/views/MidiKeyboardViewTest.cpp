#include "SendingMainWindow.h"
#include "controls/Keyboard.h"
#include "views/MidiKeyboardUpperView.h"
#include "views/MidiKeyboardView.h"
#include "views/MidiKeyboardViewScrollArea.h"

#include <QApplication>
#include <QDataStream>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QWheelEvent>

namespace {

// Below the black keys, in the middle of a white key's width.
const int WhiteKeyPressY = 80;
const int WhiteKeyWidth = 25;
const QSize NarrowViewSize(400, 161);

QPoint whiteKeyCentre(int whiteKeyIndex)
{
    return QPoint(whiteKeyIndex * WhiteKeyWidth + WhiteKeyWidth / 2, WhiteKeyPressY);
}

// Note 60 is the first white key of the sixth octave.
const QPoint Note60 = whiteKeyCentre(35);
const QPoint Note0 = whiteKeyCentre(0);

void sendWheel(QWidget* target, const QPoint& pixelDelta, const QPoint& angleDelta)
{
    const QPointF pos(target->width() / 2, target->height() / 2);
    QWheelEvent event(pos, target->mapToGlobal(pos.toPoint()), pixelDelta, angleDelta, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

} // namespace

class MidiKeyboardViewTest : public QObject
{
    Q_OBJECT

private slots:
    void notesCarryChannelAndVelocity();
    void channelChangeAndCloseReleaseHeldKeys();
    void showCentresAndSwipesScroll();
    void stateBlockRoundTrip();
};

void MidiKeyboardViewTest::notesCarryChannelAndVelocity()
{
    SendingMainWindow bench;
    MidiKeyboardView view(nullptr, &bench.m_model);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto* keyboard = view.findChild<Keyboard*>();
    auto* upper = view.findChild<MidiKeyboardUpperView*>();
    QVERIFY(keyboard && upper);

    QTest::mousePress(keyboard, Qt::LeftButton, Qt::NoModifier, Note60);
    QCOMPARE(bench.sent(), QList<QByteArray>{midiBytes("90 3C 64")});
    QTest::mouseRelease(keyboard, Qt::LeftButton, Qt::NoModifier, Note60);
    QCOMPARE(bench.sent(), QList<QByteArray>({midiBytes("90 3C 64"), midiBytes("80 3C 00")}));

    bench.clearSent();
    upper->m_pChannelSpinBox->setValue(16);
    QTest::mouseClick(keyboard, Qt::LeftButton, Qt::NoModifier, Note0);
    QCOMPARE(bench.sent(), QList<QByteArray>({midiBytes("9F 00 64"), midiBytes("8F 00 00")}));

    // The velocity is read at every note-on; 0 is sent as it is.
    bench.clearSent();
    upper->m_pVelocitySpinBox->setValue(0);
    QTest::mouseClick(keyboard, Qt::LeftButton, Qt::NoModifier, Note60);
    QCOMPARE(bench.sent(), QList<QByteArray>({midiBytes("9F 3C 00"), midiBytes("8F 3C 00")}));
}

void MidiKeyboardViewTest::channelChangeAndCloseReleaseHeldKeys()
{
    SendingMainWindow bench;
    MidiKeyboardView view(nullptr, &bench.m_model);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto* keyboard = view.findChild<Keyboard*>();
    auto* upper = view.findChild<MidiKeyboardUpperView*>();

    QTest::mousePress(keyboard, Qt::LeftButton, Qt::NoModifier, Note60);
    QTest::keyClick(upper->m_pChannelSpinBox, Qt::Key_Up);
    QCOMPARE(upper->getChannel(), 1);
    // The held key goes off on the channel it sounded on; nothing sounds afterwards.
    QCOMPARE(bench.sent(), QList<QByteArray>({midiBytes("90 3C 64"), midiBytes("80 3C 00")}));
    QTest::mouseRelease(keyboard, Qt::LeftButton, Qt::NoModifier, Note60);
    QCOMPARE(bench.sent().size(), 2);

    bench.clearSent();
    QTest::mousePress(keyboard, Qt::LeftButton, Qt::NoModifier, Note0);
    bench.m_model.setParameterEditFlag(ParameterNotEdited);
    view.close();
    QCOMPARE(bench.sent(), QList<QByteArray>({midiBytes("91 00 64"), midiBytes("81 00 00")}));
    QCOMPARE(bench.m_model.getParameterEditFlag(), ParameterEdited);
}

void MidiKeyboardViewTest::showCentresAndSwipesScroll()
{
    SendingMainWindow bench;
    MidiKeyboardView view(nullptr, &bench.m_model);
    view.resize(NarrowViewSize);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto* scrollArea = view.findChild<MidiKeyboardViewScrollArea*>();
    QScrollBar* bar = scrollArea->horizontalScrollBar();
    QVERIFY(bar->maximum() > 0);
    const int centre = (bar->maximum() - bar->minimum()) / 2;
    QCOMPARE(bar->value(), centre);

    // The keyboard passes wheel events on to the scroll area's viewport.
    // A mostly vertical swipe moves the keys sideways, pixel for pixel, and edits the project.
    bench.m_model.setParameterEditFlag(ParameterNotEdited);
    sendWheel(scrollArea->viewport(), QPoint(3, -40), QPoint(0, -120));
    QCOMPARE(bar->value(), centre - 40);
    QCOMPARE(bench.m_model.getParameterEditFlag(), ParameterEdited);
    // A mostly horizontal one takes the scroll area's own way.
    sendWheel(scrollArea->viewport(), QPoint(40, 3), QPoint(120, 0));
    QVERIFY(bar->value() != centre - 40);
    QVERIFY(bar->value() != centre - 37);

    bar->setValue(0);
    view.hide();
    view.show();
    QCOMPARE(bar->value(), centre);
    QVERIFY(bench.sent().isEmpty());
}

void MidiKeyboardViewTest::stateBlockRoundTrip()
{
    SendingMainWindow bench;
    MidiKeyboardView view(nullptr, &bench.m_model);
    view.resize(NarrowViewSize);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto* scrollArea = view.findChild<MidiKeyboardViewScrollArea*>();
    auto* keyboard = view.findChild<Keyboard*>();
    auto* upper = view.findChild<MidiKeyboardUpperView*>();

    // A block without the scroll record leaves the position; values outside
    // the spin boxes' ranges are clamped by them.
    QByteArray block = intRecordBlock({{1, 20}, {2, 77}});
    QDataStream in(block);
    const int before = scrollArea->horizontalScrollBar()->value();
    QVERIFY(view.setDataStream(in));
    QCOMPARE(scrollArea->horizontalScrollBar()->value(), before);
    QCOMPARE(upper->m_pChannelSpinBox->value(), 16);
    QCOMPARE(upper->m_pVelocitySpinBox->value(), 77);
    QVERIFY(bench.sent().isEmpty());

    block = intRecordBlock({{0, 123}, {1, 5}, {2, 300}});
    QDataStream again(block);
    QVERIFY(view.setDataStream(again));
    QCOMPARE(scrollArea->horizontalScrollBar()->value(), 123);
    QCOMPARE(upper->m_pVelocitySpinBox->value(), 127);
    QTest::mouseClick(keyboard, Qt::LeftButton, Qt::NoModifier, Note60);
    QCOMPARE(bench.sent(), QList<QByteArray>({midiBytes("94 3C 7F"), midiBytes("84 3C 00")}));

    QByteArray written;
    QDataStream out(&written, QIODevice::WriteOnly);
    QVERIFY(view.getDataStream(out));
    QCOMPARE(written, intRecordBlock({{0, 123}, {1, 5}, {2, 127}}));
}

QTEST_MAIN(MidiKeyboardViewTest)
#include "MidiKeyboardViewTest.moc"
