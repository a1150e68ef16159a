#include "SendingMainWindow.h"
#include "controls/Dial.h"
#include "views/MidiControlChangeView.h"

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QDataStream>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace {

const QSize ViewSize(225, 250);

// A move with the left button held.
void dragTo(QWidget* widget, const QPoint& pos)
{
    QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

struct ControlChangeControls
{
    explicit ControlChangeControls(MidiControlChangeView& view)
        : channel(view.findChild<QSpinBox*>()),
          controller(view.findChild<QComboBox*>()),
          dial(view.findChild<Dial*>()),
          transmit(view.findChild<QPushButton*>())
    {
    }

    QSpinBox* channel;
    QComboBox* controller;
    Dial* dial;
    QPushButton* transmit;
};

} // namespace

class MidiControlChangeViewTest : public QObject
{
    Q_OBJECT

private slots:
    void startsAtTheControllersRestingValue();
    void dialSendsAtOnce();
    void transmitResendsWithTheChosenController();
    void restoringSendsNothingAndClampsTheController();
};

void MidiControlChangeViewTest::startsAtTheControllersRestingValue()
{
    SendingMainWindow bench;
    const QList<QPair<int, int>> restingValues = {{7, 100}, {10, 64}, {64, 0}, {2, 127}};
    for (const auto& resting : restingValues) {
        MidiControlChangeView view(nullptr, static_cast<unsigned char>(resting.first), &bench.m_model);
        ControlChangeControls controls(view);
        QCOMPARE(controls.dial->value(), resting.second);
        QCOMPARE(controls.controller->currentIndex(), resting.first);
        QCOMPARE(view.values, QList<QVariant>({resting.first, 0}));
    }
    QVERIFY(bench.sent().isEmpty());
}

void MidiControlChangeViewTest::dialSendsAtOnce()
{
    SendingMainWindow bench;
    bench.m_model.setModelIntValue(KnobModeId, KnobModeLinear);
    MidiControlChangeView view(nullptr, 7, &bench.m_model);
    view.resize(ViewSize);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    ControlChangeControls controls(view);

    // In Linear mode a drag of 10 pixels downwards lowers the value by 10.
    const QPoint centre = controls.dial->getCenterPos();
    QTest::mousePress(controls.dial, Qt::LeftButton, Qt::NoModifier, centre);
    dragTo(controls.dial, centre + QPoint(0, 10));
    QTest::mouseRelease(controls.dial, Qt::LeftButton, Qt::NoModifier, centre + QPoint(0, 10));
    QCOMPARE(controls.dial->value(), 90);
    QCOMPARE(bench.sent(), QList<QByteArray>{midiBytes("B0 07 5A")});

    bench.clearSent();
    controls.channel->setValue(16);
    QVERIFY(bench.sent().isEmpty());
    controls.dial->setFocus();
    QTest::keyClick(controls.dial, Qt::Key_Up);
    QCOMPARE(bench.sent(), QList<QByteArray>{midiBytes("BF 07 5B")});
}

void MidiControlChangeViewTest::transmitResendsWithTheChosenController()
{
    SendingMainWindow bench;
    MidiControlChangeView view(nullptr, 7, &bench.m_model);
    view.resize(ViewSize);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    ControlChangeControls controls(view);

    // Choosing another controller sends nothing and keeps the dial.
    controls.controller->setFocus();
    QTest::keyClick(controls.controller, Qt::Key_Down);
    QCOMPARE(controls.controller->currentIndex(), 8);
    QCOMPARE(view.values, QList<QVariant>({8, 0}));
    QCOMPARE(controls.dial->value(), 100);
    QVERIFY(bench.sent().isEmpty());

    // "Transmit" sends when the button comes up, every time.
    QTest::mousePress(controls.transmit, Qt::LeftButton);
    QVERIFY(bench.sent().isEmpty());
    QTest::mouseRelease(controls.transmit, Qt::LeftButton);
    QTest::mouseClick(controls.transmit, Qt::LeftButton);
    QCOMPARE(bench.sent(), QList<QByteArray>({midiBytes("B0 08 64"), midiBytes("B0 08 64")}));

    bench.clearSent();
    view.transmitControlChange(5);
    QCOMPARE(bench.sent(), QList<QByteArray>{midiBytes("B0 08 05")});
}

void MidiControlChangeViewTest::restoringSendsNothingAndClampsTheController()
{
    SendingMainWindow bench;
    MidiControlChangeView view(nullptr, 7, &bench.m_model);
    ControlChangeControls controls(view);

    QByteArray block = intRecordBlock({{0, 3}, {1, 200}, {2, 50}, {3, 0}});
    QDataStream in(block);
    QVERIFY(view.setDataStream(in));
    QCOMPARE(controls.channel->value(), 3);
    QCOMPARE(controls.controller->currentIndex(), 127);
    QCOMPARE(view.values, QList<QVariant>({127, 0}));
    QCOMPARE(controls.dial->value(), 50);
    QVERIFY(bench.sent().isEmpty());
    view.transmitButtonPressed();
    QCOMPARE(bench.sent(), QList<QByteArray>{midiBytes("B2 7F 32")});

    // Out of range the other way, and values the controls clamp themselves.
    block = intRecordBlock({{0, 40}, {1, -5}, {2, 999}});
    QDataStream below(block);
    QVERIFY(view.setDataStream(below));
    QCOMPARE(controls.channel->value(), 16);
    QCOMPARE(controls.controller->currentIndex(), 0);
    QCOMPARE(controls.dial->value(), 127);

    // A block without the controller keeps the one shown.
    block = intRecordBlock({{2, 1}});
    QDataStream partial(block);
    QVERIFY(view.setDataStream(partial));
    QCOMPARE(controls.controller->currentIndex(), 0);
    QCOMPARE(controls.dial->value(), 1);
    QCOMPARE(bench.sent().size(), 1);

    QByteArray written;
    QDataStream out(&written, QIODevice::WriteOnly);
    QVERIFY(view.getDataStream(out));
    QCOMPARE(written, intRecordBlock({{0, 16}, {1, 0}, {2, 1}, {3, 0}}));

    // A controller number beyond the table, as a stored layout may carry.
    MidiControlChangeView beyond(nullptr, 200, &bench.m_model);
    QCOMPARE(ControlChangeControls(beyond).controller->currentIndex(), 127);
    QCOMPARE(beyond.values.first().toInt(), 127);
}

QTEST_MAIN(MidiControlChangeViewTest)
#include "MidiControlChangeViewTest.moc"
