#include "SendingMainWindow.h"
#include "controls/PushButton.h"
#include "controls/SevenSegment.h"
#include "views/MidiProgramChangeView.h"

#include <QCheckBox>
#include <QDataStream>
#include <QSpinBox>
#include <QTest>

namespace {

struct ProgramChangeControls
{
    explicit ProgramChangeControls(MidiProgramChangeView& view)
        : programNumber(view.findChild<SevenSegment*>())
    {
        for (QSpinBox* spinBox : view.findChildren<QSpinBox*>()) {
            if (spinBox->maximum() == 16) {
                channel = spinBox;
            } else if (msb == nullptr) {
                msb = spinBox;
            } else {
                lsb = spinBox;
            }
        }
        for (QCheckBox* checkBox : view.findChildren<QCheckBox*>()) {
            if (checkBox->text() == QLatin1String("MSB")) {
                msbCheck = checkBox;
            } else if (checkBox->text() == QLatin1String("LSB")) {
                lsbCheck = checkBox;
            } else if (checkBox->text() == QLatin1String("Auto Transmit")) {
                autoTransmit = checkBox;
            }
        }
        for (QPushButton* button : view.findChildren<QPushButton*>()) {
            if (button->text() == QLatin1String("Transmit")) {
                transmit = button;
            }
        }
        for (PushButton* button : programNumber->findChildren<PushButton*>()) {
            (button->y() == 0 ? up : down) = button;
        }
    }

    SevenSegment* programNumber;
    QSpinBox* channel = nullptr;
    QSpinBox* msb = nullptr;
    QSpinBox* lsb = nullptr;
    QCheckBox* msbCheck = nullptr;
    QCheckBox* lsbCheck = nullptr;
    QCheckBox* autoTransmit = nullptr;
    QPushButton* transmit = nullptr;
    PushButton* up = nullptr;
    PushButton* down = nullptr;
};

} // namespace

class MidiProgramChangeViewTest : public QObject
{
    Q_OBJECT

private slots:
    void transmitSendsBankSelectsThenProgramOnPress();
    void autoTransmitSendsOnValueChangesOnly();
    void restoringSendsNothing();
};

void MidiProgramChangeViewTest::transmitSendsBankSelectsThenProgramOnPress()
{
    SendingMainWindow bench;
    MidiProgramChangeView view(nullptr, &bench.m_model);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    ProgramChangeControls controls(view);
    QVERIFY(controls.channel && controls.msb && controls.lsb && controls.msbCheck && controls.lsbCheck
            && controls.autoTransmit && controls.transmit && controls.up && controls.down);
    QVERIFY(!controls.programNumber->digitPixmap().isNull());

    // Sent as the button goes down.
    QTest::mousePress(controls.transmit, Qt::LeftButton);
    QCOMPARE(bench.sent(), QList<QByteArray>{midiBytes("C0 00")});
    QTest::mouseRelease(controls.transmit, Qt::LeftButton);
    QCOMPARE(bench.sent().size(), 1);

    bench.clearSent();
    controls.channel->setValue(3);
    QTest::mouseClick(controls.msbCheck, Qt::LeftButton);
    controls.msb->setValue(5);
    QTest::mouseClick(controls.lsbCheck, Qt::LeftButton);
    controls.lsb->setValue(2);
    controls.programNumber->setValue(128);
    QVERIFY(bench.sent().isEmpty());
    QTest::mouseClick(controls.transmit, Qt::LeftButton);
    QCOMPARE(bench.sent(), QList<QByteArray>({midiBytes("B2 00 05"), midiBytes("B2 20 02"), midiBytes("C2 7F")}));
    QVERIFY(view.transmitProgramChangeMessage());
}

void MidiProgramChangeViewTest::autoTransmitSendsOnValueChangesOnly()
{
    SendingMainWindow bench;
    MidiProgramChangeView view(nullptr, &bench.m_model);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    ProgramChangeControls controls(view);

    QTest::mouseClick(controls.up, Qt::LeftButton);
    QCOMPARE(controls.programNumber->value(), 2);
    QVERIFY(bench.sent().isEmpty());

    QTest::mouseClick(controls.autoTransmit, Qt::LeftButton);
    QTest::mouseClick(controls.msbCheck, Qt::LeftButton);
    QVERIFY(bench.sent().isEmpty());

    QTest::mouseClick(controls.up, Qt::LeftButton);
    QCOMPARE(bench.sent(), QList<QByteArray>({midiBytes("B0 00 00"), midiBytes("C0 02")}));
    bench.clearSent();
    QTest::mouseClick(controls.down, Qt::LeftButton);
    QCOMPARE(bench.sent(), QList<QByteArray>({midiBytes("B0 00 00"), midiBytes("C0 01")}));
    bench.clearSent();
    controls.channel->setFocus();
    QTest::keyClick(controls.channel, Qt::Key_Up);
    QCOMPARE(bench.sent(), QList<QByteArray>({midiBytes("B1 00 00"), midiBytes("C1 01")}));

    bench.m_model.setParameterEditFlag(ParameterNotEdited);
    view.close();
    QCOMPARE(bench.m_model.getParameterEditFlag(), ParameterEdited);
}

void MidiProgramChangeViewTest::restoringSendsNothing()
{
    SendingMainWindow bench;
    MidiProgramChangeView view(nullptr, &bench.m_model);
    ProgramChangeControls controls(view);

    QByteArray block = intRecordBlock({{0, 3}, {1, 1}, {2, 5}, {3, 2}, {4, 2}, {5, 128}, {6, 1}});
    QDataStream in(block);
    QVERIFY(view.setDataStream(in));
    QVERIFY(bench.sent().isEmpty());
    QCOMPARE(controls.channel->value(), 3);
    QVERIFY(controls.msbCheck->isChecked());
    QVERIFY(controls.lsbCheck->isChecked());
    QVERIFY(controls.autoTransmit->isChecked());
    QCOMPARE(controls.programNumber->value(), 128);

    QByteArray written;
    QDataStream out(&written, QIODevice::WriteOnly);
    QVERIFY(view.getDataStream(out));
    QCOMPARE(written, intRecordBlock({{0, 3}, {1, 1}, {2, 5}, {3, 1}, {4, 2}, {5, 128}, {6, 1}}));

    // A program number beyond the display's bounds would send a data byte of
    // 0x80 or more: it is held at the nearest bound.
    MidiProgramChangeView other(nullptr, &bench.m_model);
    ProgramChangeControls otherControls(other);
    block = intRecordBlock({{5, 500}});
    QDataStream high(block);
    QVERIFY(other.setDataStream(high));
    QCOMPARE(otherControls.programNumber->value(), 128);
    block = intRecordBlock({{0, 99}, {5, 0}});
    QDataStream low(block);
    QVERIFY(other.setDataStream(low));
    QCOMPARE(otherControls.programNumber->value(), 1);
    QCOMPARE(otherControls.channel->value(), 16);
    QVERIFY(bench.sent().isEmpty());
    QVERIFY(other.transmitProgramChangeMessage());
    QCOMPARE(bench.sent(), QList<QByteArray>{midiBytes("CF 00")});
}

QTEST_MAIN(MidiProgramChangeViewTest)
#include "MidiProgramChangeViewTest.moc"
