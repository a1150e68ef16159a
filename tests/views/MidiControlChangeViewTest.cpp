#include "views/MidiControlChangeView.h"

#include "SendingMainWindow.h"
#include "controls/Dial.h"

constexpr unsigned char Volume = 7;

class MidiControlChangeViewTest : public QObject
{
    Q_OBJECT

private slots:
    void controlsSendAtOnceAndTransmitResends()
    {
        SendingMainWindow bench;
        MidiControlChangeView view(nullptr, Volume, bench.context());
        QVERIFY(showExposed(&view));
        auto* dial = view.findChild<Dial*>();
        dial->setFocus();
        QTest::keyClick(dial, Qt::Key_Down);
        view.findChild<QSpinBox*>()->setValue(16);
        // Another controller sends nothing until "Transmit" comes up, every time.
        QTest::keyClick(view.findChild<QComboBox*>(), Qt::Key_Down);
        auto* transmit = view.findChild<QPushButton*>();
        QTest::mousePress(transmit, Qt::LeftButton);
        QCOMPARE(bench.sent(), QList<QByteArray>{midiBytes("B0 07 63")});
        QTest::mouseRelease(transmit, Qt::LeftButton);
        QTest::mouseClick(transmit, Qt::LeftButton);
        QCOMPARE(bench.sent(), QList<QByteArray>({midiBytes("B0 07 63"), midiBytes("BF 08 63"), midiBytes("BF 08 63")}));
    }

    void restoringSendsNothingAndClampsTheController_data()
    {
        QTest::addColumn<int>("created");
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<QByteArray>("transmitted");
        QTest::newRow("above") << int(Volume) << intRecordBlock({{0, 3}, {1, 200}, {2, 999}}) << midiBytes("B2 7F 7F");
        QTest::newRow("below") << int(Volume) << intRecordBlock({{0, 40}, {1, -5}, {2, 1}}) << midiBytes("BF 00 01");
        QTest::newRow("layout beyond the table") << 200 << intRecordBlock({{2, 1}}) << midiBytes("B0 7F 01");
    }
    void restoringSendsNothingAndClampsTheController()
    {
        QFETCH(int, created);
        QFETCH(QByteArray, block);
        SendingMainWindow bench;
        MidiControlChangeView view(nullptr, static_cast<unsigned char>(created), bench.context());
        QDataStream in(block);
        QVERIFY(view.setDataStream(in));
        QVERIFY(bench.sent().isEmpty());
        view.transmitButtonPressed();
        QTEST(bench.sent().value(0), "transmitted");
    }
};

QTEST_MAIN(MidiControlChangeViewTest)
#include "MidiControlChangeViewTest.moc"
