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
