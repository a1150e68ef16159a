#include "views/MidiProgramChangeView.h"

#include "SendingMainWindow.h"
#include "controls/PushButton.h"
#include "controls/SevenSegment.h"

namespace {

// Clicks the button that shows text; an empty text stands for the program
// number's step buttons, the one above its digits when up.
void click(MidiProgramChangeView& view, const char* text, bool up = false)
{
    for (QAbstractButton* button : view.findChildren<QAbstractButton*>()) {
        const bool step = qobject_cast<SevenSegment*>(button->parentWidget()) && (button->y() == 0) == up;
        if (button->text() == QLatin1String(text) && (*text != '\0' || step)) {
            QTest::mouseClick(button, Qt::LeftButton);
        }
    }
}

} // namespace

class MidiProgramChangeViewTest : public QObject
{
    Q_OBJECT

private slots:
    void transmitSendsTheTickedBankSelectThenTheProgram()
    {
        SendingMainWindow bench;
        MidiProgramChangeView view(nullptr, bench.context());
        QVERIFY(showExposed(&view));
        const QList<QSpinBox*> channelMsbLsb = view.findChildren<QSpinBox*>();
        channelMsbLsb[0]->setValue(3);
        channelMsbLsb[1]->setValue(5);
        click(view, "", true);
        click(view, "MSB");
        QVERIFY(bench.sent().isEmpty());
        click(view, "Transmit");
        // With auto transmit, every change of channel or program sends.
        click(view, "Auto Transmit");
        click(view, "", false);
        QTest::keyClick(channelMsbLsb[0], Qt::Key_Up);
        QCOMPARE(bench.sent(), QList<QByteArray>({midiBytes("B2 00 05"), midiBytes("C2 01"), midiBytes("B2 00 05"),
                                                  midiBytes("C2 00"), midiBytes("B3 00 05"), midiBytes("C3 00")}));
    }

    // With Auto Transmit, a typed number sends once and a turn of the wheel
    // sends every program it passes, a notch a program.
    void programNumberIsTypedAndWheeled_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("wheelDelta");
        QTest::addColumn<QList<QByteArray>>("sent");
        const int notch = QWheelEvent::DefaultDeltasPerStep;
        QTest::newRow("typed") << "42" << 0 << QList<QByteArray>{midiBytes("C0 29")};
        QTest::newRow("typed beyond the last") << "500" << 0 << QList<QByteArray>{midiBytes("C0 7F")};
        QTest::newRow("one notch") << "" << notch << QList<QByteArray>{midiBytes("C0 01")};
        QTest::newRow("two notches at once") << "" << 2 * notch
                                             << QList<QByteArray>{midiBytes("C0 01"), midiBytes("C0 02")};
        QTest::newRow("typed, then a notch down") << "9" << -notch
                                                  << QList<QByteArray>{midiBytes("C0 08"), midiBytes("C0 07")};
    }
    void programNumberIsTypedAndWheeled()
    {
        QFETCH(QString, typed);
        QFETCH(int, wheelDelta);
        SendingMainWindow bench;
        MidiProgramChangeView view(nullptr, bench.context());
        QVERIFY(showExposed(&view));
        click(view, "Auto Transmit");
        auto* display = view.findChild<SevenSegment*>();
        QApplication::setActiveWindow(&view);
        display->setFocus();
        if (!typed.isEmpty()) {
            QTest::keyClick(display, typed.at(0).toLatin1());
            QTest::keyClicks(QApplication::focusWidget(), typed.mid(1));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        if (wheelDelta != 0) {
            const QPoint middle(display->width() / 3, display->height() / 2);
            QWheelEvent wheel(middle, display->mapToGlobal(middle), QPoint(), QPoint(0, wheelDelta), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(display, &wheel);
        }
        QTEST(bench.sent(), "sent");
    }

    void restoringSendsNothingAndClampsTheProgram_data()
    {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<QList<QByteArray>>("transmitted");
        QTest::newRow("auto transmit on, LSB ticked")
            << intRecordBlock({{0, 3}, {3, 1}, {4, 2}, {5, 128}, {6, 1}})
            << QList<QByteArray>{midiBytes("B2 20 02"), midiBytes("C2 7F")};
        QTest::newRow("above") << intRecordBlock({{5, 500}}) << QList<QByteArray>{midiBytes("C0 7F")};
        QTest::newRow("below") << intRecordBlock({{0, 99}, {5, 0}}) << QList<QByteArray>{midiBytes("CF 00")};
    }
    void restoringSendsNothingAndClampsTheProgram()
    {
        QFETCH(QByteArray, block);
        SendingMainWindow bench;
        MidiProgramChangeView view(nullptr, bench.context());
        QDataStream in(block);
        QVERIFY(view.setDataStream(in));
        QVERIFY(bench.sent().isEmpty());
        QVERIFY(view.transmitProgramChangeMessage());
        QTEST(bench.sent(), "transmitted");
    }
};

QTEST_MAIN(MidiProgramChangeViewTest)
#include "MidiProgramChangeViewTest.moc"
