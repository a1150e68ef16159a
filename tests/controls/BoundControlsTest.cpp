#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/LineEdit.h"
#include "controls/PushButton.h"
#include "controls/SpinBox.h"
#include "controls/TarvoStyle.h"
#include "controls/ToolButton.h"
#include "model/TarvoModel.h"

#include <QIntValidator>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOptionFocusRect>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// Counts every write, also those of an unchanged value.
class WriteCountingModel : public TarvoModel
{
public:
    MODEL_RESULT setModelIntValue(unsigned int id, int value) override
    {
        ++m_writes[id];
        return TarvoModel::setModelIntValue(id, value);
    }
    QHash<unsigned int, int> m_writes;
};

const QColor OffColor(200, 0, 0);
const QColor OnColor(0, 200, 0);

// A strip of two 20 by 20 halves: OffColor left, OnColor right.
QPixmap twoStatePixmap()
{
    QPixmap pixmap(40, 20);
    pixmap.fill(OffColor);
    QPainter painter(&pixmap);
    painter.fillRect(20, 0, 20, 20, OnColor);
    return pixmap;
}

QColor colourAt(QWidget& widget)
{
    return widget.grab().toImage().pixelColor(10, 10);
}

// A click and a key write the parameter; a change of the parameter is shown
// without a write back; unconnected, the button toggles and writes nothing.
template <class Button>
void checkBoundButton(Button& button, unsigned int id)
{
    WriteCountingModel model;
    button.setCheckable(true);
    button.setParameterId(id);
    button.connectModel(&model);
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QTest::mouseClick(&button, Qt::LeftButton, Qt::NoModifier, button.rect().center());
    QCOMPARE(model.getModelIntValue(id), 1);
    QTest::keyClick(&button, Qt::Key_Space);
    QCOMPARE(model.getModelIntValue(id), 0);
    model.setModelIntValue(id, 1);
    QVERIFY(button.isChecked());
    QCOMPARE(model.m_writes.value(id), 3);

    button.disconnectModel();
    QTest::mouseClick(&button, Qt::LeftButton, Qt::NoModifier, button.rect().center());
    QVERIFY(!button.isChecked());
    QCOMPARE(model.getModelIntValue(id), 1);
    QCOMPARE(model.m_writes.value(id), 3);
}

} // namespace

class BoundControlsTest : public QObject
{
    Q_OBJECT

private slots:
    void buttonsWriteClicksAndShowChanges();
    void spinAndComboBoxesWriteAndShow();
    void buttonsPaintTheHalfOfTheirState();
    void lineEditSettlesTypedValues_data();
    void lineEditSettlesTypedValues();
    void lineEditWithoutValidatorOrFocus();
    void styleWidensScrollBarsAndDropsFocusFrames();
};

void BoundControlsTest::buttonsWriteClicksAndShowChanges()
{
    CheckBox box;
    checkBoundButton(box, MidiThruId);
    PushButton button;
    checkBoundButton(button, ChannelFilterFirstId + 4);
}

void BoundControlsTest::spinAndComboBoxesWriteAndShow()
{
    WriteCountingModel model;
    model.setModelIntValue(BulkIntervalId, 250);
    SpinBox spin;
    spin.setRange(0, 1000);
    spin.setParameterId(BulkIntervalId);
    spin.connectModel(&model);
    QCOMPARE(spin.value(), 250);
    spin.show();
    QVERIFY(QTest::qWaitForWindowExposed(&spin));
    QTest::keyClick(&spin, Qt::Key_Up);
    QCOMPARE(model.getModelIntValue(BulkIntervalId), 251);
    spin.selectAll();
    QTest::keyClicks(&spin, QStringLiteral("900"));
    QCOMPARE(model.getModelIntValue(BulkIntervalId), 900);
    model.setModelIntValue(BulkIntervalId, 42);
    QCOMPARE(spin.value(), 42);

    // The items are the parameter's texts; filling them writes nothing.
    ComboBox combo;
    combo.setParameterId(KnobModeId);
    QCOMPARE(combo.connectModel(&model), MODEL_RESULT_OK);
    QCOMPARE(combo.count(), 2);
    QCOMPARE(combo.itemText(1), QStringLiteral("Linear"));
    QCOMPARE(model.m_writes.value(KnobModeId), 0);
    combo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&combo));
    QTest::keyClick(&combo, Qt::Key_Down);
    QCOMPARE(model.getModelIntValue(KnobModeId), 1);
    model.setModelIntValue(KnobModeId, 0);
    QCOMPARE(combo.currentIndex(), 0);
    // A second connection appends the items again.
    combo.connectModel(&model);
    QCOMPARE(combo.count(), 4);

    // A parameter without a range gives no items.
    ComboBox flat;
    flat.setParameterId(TransmissionStateId);
    model.createIntParameter(TransmissionStateId, 0, 0, 0, QString(), nullptr, nullptr);
    flat.connectModel(&model);
    QCOMPARE(flat.count(), 0);
}

void BoundControlsTest::buttonsPaintTheHalfOfTheirState()
{
    PushButton toggle;
    toggle.m_pixmap = twoStatePixmap();
    toggle.setCheckable(true);
    toggle.resize(20, 20);
    QCOMPARE(colourAt(toggle), OffColor);
    toggle.setChecked(true);
    QCOMPARE(colourAt(toggle), OnColor);

    PushButton momentary;
    momentary.m_pixmap = twoStatePixmap();
    momentary.resize(20, 20);
    momentary.setDown(true);
    QCOMPARE(colourAt(momentary), OnColor);

    // A tool button shows its right half while disabled.
    ToolButton tool;
    tool.m_pixmap = twoStatePixmap();
    tool.resize(20, 20);
    QCOMPARE(colourAt(tool), OffColor);
    tool.setEnabled(false);
    QCOMPARE(colourAt(tool), OnColor);
}

void BoundControlsTest::lineEditSettlesTypedValues_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("settled");
    QTest::newRow("inside") << "64" << "64";
    QTest::newRow("above") << "300" << "127";
    QTest::newRow("below") << "-5" << "0";
    QTest::newRow("letters") << "abc" << "42";
    QTest::newRow("empty") << "" << "42";
}

void BoundControlsTest::lineEditSettlesTypedValues()
{
    QFETCH(QString, typed);
    QFETCH(QString, settled);
    LineEdit edit(QStringLiteral("42"));
    edit.setValidator(new QIntValidator(0, 127, &edit));
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QSignalSpy finished(&edit, &QLineEdit::editingFinished);
    QSignalSpy returned(&edit, &QLineEdit::returnPressed);

    // The validator refuses out-of-range keys, so the text is put in directly.
    edit.setText(typed);
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(edit.text(), settled);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(returned.count(), 0);

    edit.clear();
    QTest::keyClicks(&edit, QStringLiteral("99"));
    QTest::keyClick(&edit, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(edit.text(), QStringLiteral("99"));
    QCOMPARE(finished.count(), 2);
}

void BoundControlsTest::lineEditWithoutValidatorOrFocus()
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* plain = new LineEdit(QString(), &window);
    auto* edit = new LineEdit(QStringLiteral("10"), &window);
    edit->setValidator(new QIntValidator(5, 20, edit));
    layout->addWidget(plain);
    layout->addWidget(edit);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // Without a validator an empty entry is not finished, any text is.
    QSignalSpy plainFinished(plain, &QLineEdit::editingFinished);
    QTest::keyClick(plain, Qt::Key_Return);
    QCOMPARE(plainFinished.count(), 0);
    QTest::keyClicks(plain, QStringLiteral("abc"));
    QTest::keyClick(plain, Qt::Key_Return);
    QCOMPARE(plainFinished.count(), 1);
    QCOMPARE(plain->text(), QStringLiteral("abc"));

    // Leaving the entry settles it too.
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QSignalSpy finished(edit, &QLineEdit::editingFinished);
    edit->setText(QStringLiteral("3"));
    plain->setFocus();
    QTRY_VERIFY(plain->hasFocus());
    QCOMPARE(edit->text(), QStringLiteral("5"));
    QVERIFY(finished.count() >= 1);

    // A letters-only original cannot be restored into something emitted when empty.
    LineEdit blank{QString()};
    blank.setValidator(new QIntValidator(0, 127, &blank));
    QSignalSpy blankFinished(&blank, &QLineEdit::editingFinished);
    blank.setText(QStringLiteral("xyz"));
    blank.decide();
    QVERIFY(blank.text().isEmpty());
    QCOMPARE(blankFinished.count(), 0);
}

void BoundControlsTest::styleWidensScrollBarsAndDropsFocusFrames()
{
    TarvoStyle style;
    QScrollBar bar(Qt::Vertical);
    bar.setStyle(&style);
    QCOMPARE(bar.sizeHint().width(), 18);

    QImage image(40, 40, QImage::Format_ARGB32);
    image.fill(Qt::white);
    const QImage blank = image;
    QStyleOptionFocusRect option;
    option.rect = QRect(5, 5, 30, 30);
    option.backgroundColor = Qt::white;
    option.palette = QApplication::palette();
    QPainter painter(&image);
    style.drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter);
    QCOMPARE(image, blank);

    // Other elements are still drawn.
    QStyleOption panel;
    panel.rect = QRect(5, 5, 30, 30);
    panel.palette = QApplication::palette();
    panel.state = QStyle::State_Enabled | QStyle::State_Raised;
    style.drawPrimitive(QStyle::PE_PanelButtonCommand, &panel, &painter);
    painter.end();
    QVERIFY(image != blank);
}

QTEST_MAIN(BoundControlsTest)
#include "BoundControlsTest.moc"
