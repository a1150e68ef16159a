#include "views/MidiKeyboardView.h"

#include "SendingMainWindow.h"
#include "controls/Keyboard.h"
#include "views/MidiKeyboardUpperView.h"

const int WhiteKeyWidth = 25;
// Below the black keys, in the middle of the white keys of note 0 and of note 60, the 36th.
const QPoint Note0(WhiteKeyWidth / 2, 80);
const QPoint Note60(35 * WhiteKeyWidth + WhiteKeyWidth / 2, 80);

class MidiKeyboardViewTest : public QObject
{
    Q_OBJECT

private slots:
    // Notes carry the channel and velocity shown; a held note ends on the
    // channel it sounded on when the channel changes, and when the view closes.
    void notesCarryChannelAndVelocity()
    {
        SendingMainWindow bench;
        MidiKeyboardView view(nullptr, bench.context());
        QVERIFY(showExposed(&view));
        auto* keyboard = view.findChild<Keyboard*>();
        auto* upper = view.findChild<MidiKeyboardUpperView*>();
        QTest::mousePress(keyboard, Qt::LeftButton, Qt::NoModifier, Note60);
        QTest::keyClick(upper->m_pChannelSpinBox, Qt::Key_Up);
        QTest::mouseRelease(keyboard, Qt::LeftButton, Qt::NoModifier, Note60);
        upper->m_pVelocitySpinBox->setValue(0);
        QTest::mousePress(keyboard, Qt::LeftButton, Qt::NoModifier, Note0);
        view.close();
        QCOMPARE(bench.sent(), QList<QByteArray>({midiBytes("90 3C 64"), midiBytes("80 3C 00"), midiBytes("91 00 00"),
                                                  midiBytes("81 00 00")}));
        // Labels and spin boxes stand side by side, none over another.
        const QList<QWidget*> row = upper->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        for (int i = 0; i < row.size(); ++i) {
            for (int j = i + 1; j < row.size(); ++j)
                QVERIFY(!row[i]->geometry().intersects(row[j]->geometry()));
        }
    }
};

QTEST_MAIN(MidiKeyboardViewTest)
#include "MidiKeyboardViewTest.moc"
