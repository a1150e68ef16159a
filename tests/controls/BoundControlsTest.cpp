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

QColor colourAt(QWidget& widget, const QPoint& pos)
{
    return widget.grab().toImage().pixelColor(pos);
}

} // namespace

class BoundControlsTest : public QObject
{
    Q_OBJECT

private slots:
    void checkBoxWritesClicksAndShowsChanges();
    void spinBoxWritesAndShows();
    void pushButtonWritesOnlyWhenConnected();
    void pushButtonPaintsTheHalfOfItsState();
    void comboBoxListsTheParameterTexts();
    void lineEditSettlesTypedValues_data();
    void lineEditSettlesTypedValues();
    void lineEditWithoutValidator();
    void lineEditSettlesWhenFocusLeaves();
    void toolButtonPaintsTheHalfOfItsEnabledState();
    void styleWidensScrollBarsAndDropsFocusFrames();
};

void BoundControlsTest::checkBoxWritesClicksAndShowsChanges()
{
    WriteCountingModel model;
    CheckBox box;
    box.setText(QStringLiteral("MIDI Thru"));
    box.setParameterId(MidiThruId);
    box.connectModel(&model);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QVERIFY(!box.isChecked());

    QTest::mouseClick(&box, Qt::LeftButton, Qt::NoModifier, box.rect().center());
    QCOMPARE(model.getModelIntValue(MidiThruId), 1);
    QTest::keyClick(&box, Qt::Key_Space);
    QCOMPARE(model.getModelIntValue(MidiThruId), 0);
    QCOMPARE(model.m_writes.value(MidiThruId), 2);

    // Shown, not written back.
    model.setModelIntValue(MidiThruId, 1);
    QVERIFY(box.isChecked());
    model.setModelIntValue(MidiThruId, 0);
    QVERIFY(!box.isChecked());
    QCOMPARE(model.m_writes.value(MidiThruId), 4);

    // Unconnected: toggles, writes nothing.
    box.disconnectModel();
    QTest::mouseClick(&box, Qt::LeftButton, Qt::NoModifier, box.rect().center());
    QVERIFY(box.isChecked());
    QCOMPARE(model.getModelIntValue(MidiThruId), 0);
    QCOMPARE(model.m_writes.value(MidiThruId), 4);
}

void BoundControlsTest::spinBoxWritesAndShows()
{
    TarvoModel model;
    model.setModelIntValue(BulkIntervalId, 250);
    SpinBox spin;
    spin.setRange(model.getModelMinimumValue(BulkIntervalId), model.getModelMaximumValue(BulkIntervalId));
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
    QCOMPARE(model.getModelIntValue(BulkIntervalId), 42);
}

void BoundControlsTest::pushButtonWritesOnlyWhenConnected()
{
    WriteCountingModel model;
    const unsigned int channel5 = ChannelFilterFirstId + 4;
    PushButton button;
    button.setText(QStringLiteral("5"));
    button.setCheckable(true);
    button.setParameterId(channel5);
    button.connectModel(&model);
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));

    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(model.getModelIntValue(channel5), 1);
    model.setModelIntValue(channel5, 0);
    QVERIFY(!button.isChecked());
    QCOMPARE(model.m_writes.value(channel5), 2);

    PushButton loose;
    loose.setCheckable(true);
    loose.setParameterId(channel5);
    loose.show();
    QVERIFY(QTest::qWaitForWindowExposed(&loose));
    QTest::mouseClick(&loose, Qt::LeftButton);
    QVERIFY(loose.isChecked());
    QCOMPARE(model.getModelIntValue(channel5), 0);
    QCOMPARE(model.m_writes.value(channel5), 2);
}

void BoundControlsTest::pushButtonPaintsTheHalfOfItsState()
{
    PushButton toggle;
    toggle.m_pixmap = twoStatePixmap();
    toggle.setCheckable(true);
    toggle.resize(20, 20);
    QCOMPARE(colourAt(toggle, QPoint(10, 10)), OffColor);
    toggle.setChecked(true);
    QCOMPARE(colourAt(toggle, QPoint(10, 10)), OnColor);

    PushButton momentary;
    momentary.m_pixmap = twoStatePixmap();
    momentary.resize(20, 20);
    QCOMPARE(colourAt(momentary, QPoint(10, 10)), OffColor);
    momentary.setDown(true);
    QCOMPARE(colourAt(momentary, QPoint(10, 10)), OnColor);
}

void BoundControlsTest::comboBoxListsTheParameterTexts()
{
    WriteCountingModel model;
    ComboBox combo;
    combo.setParameterId(KnobModeId);
    QCOMPARE(combo.connectModel(&model), MODEL_RESULT_OK);
    QCOMPARE(combo.count(), 2);
    QCOMPARE(combo.itemText(0), QStringLiteral("Circle"));
    QCOMPARE(combo.itemText(1), QStringLiteral("Linear"));
    QCOMPARE(combo.currentIndex(), 0);
    // Filling the items wrote nothing.
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
    QCOMPARE(combo.itemText(3), QStringLiteral("Linear"));

    // A parameter without a range gives no items.
    ComboBox flat;
    flat.setParameterId(TransmissionStateId);
    model.createIntParameter(TransmissionStateId, 0, 0, 0, QString(), nullptr, nullptr);
    flat.connectModel(&model);
    QCOMPARE(flat.count(), 0);
}

void BoundControlsTest::lineEditSettlesTypedValues_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("settled");
    QTest::newRow("inside") << "64" << "64";
    QTest::newRow("above") << "300" << "127";
    QTest::newRow("top") << "127" << "127";
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

void BoundControlsTest::lineEditWithoutValidator()
{
    LineEdit edit{QString()};
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QSignalSpy finished(&edit, &QLineEdit::editingFinished);
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(finished.count(), 0);
    QTest::keyClicks(&edit, QStringLiteral("abc"));
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(edit.text(), QStringLiteral("abc"));

    // A letters-only original cannot be restored into something emitted when empty.
    LineEdit blank{QString()};
    blank.setValidator(new QIntValidator(0, 127, &blank));
    QSignalSpy blankFinished(&blank, &QLineEdit::editingFinished);
    blank.setText(QStringLiteral("xyz"));
    blank.decide();
    QVERIFY(blank.text().isEmpty());
    QCOMPARE(blankFinished.count(), 0);
}

void BoundControlsTest::lineEditSettlesWhenFocusLeaves()
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new LineEdit(QStringLiteral("10"), &window);
    edit->setValidator(new QIntValidator(5, 20, edit));
    auto* other = new QLineEdit(&window);
    layout->addWidget(edit);
    layout->addWidget(other);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());

    QSignalSpy finished(edit, &QLineEdit::editingFinished);
    edit->setText(QStringLiteral("3"));
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    QCOMPARE(edit->text(), QStringLiteral("5"));
    QVERIFY(finished.count() >= 1);
}

void BoundControlsTest::toolButtonPaintsTheHalfOfItsEnabledState()
{
    ToolButton button;
    button.m_pixmap = twoStatePixmap();
    button.resize(20, 20);
    QCOMPARE(colourAt(button, QPoint(10, 10)), OffColor);
    button.setEnabled(false);
    QCOMPARE(colourAt(button, QPoint(10, 10)), OnColor);
}

void BoundControlsTest::styleWidensScrollBarsAndDropsFocusFrames()
{
    TarvoStyle style;
    QCOMPARE(style.pixelMetric(QStyle::PM_ScrollBarExtent), 18);
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
    {
        QPainter painter(&image);
        style.drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter);
    }
    QCOMPARE(image, blank);

    // Other elements are still drawn.
    QStyleOption panel;
    panel.rect = QRect(5, 5, 30, 30);
    panel.palette = QApplication::palette();
    panel.state = QStyle::State_Enabled | QStyle::State_Raised;
    {
        QPainter painter(&image);
        style.drawPrimitive(QStyle::PE_PanelButtonCommand, &panel, &painter);
    }
    QVERIFY(image != blank);
}

QTEST_MAIN(BoundControlsTest)
#include "BoundControlsTest.moc"
