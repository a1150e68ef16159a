#include "views/MidiFilterView.h"

#include "controls/CheckBox.h"
#include "controls/PushButton.h"
#include "model/TarvoModel.h"
#include "views/ControlChangeNameList.h"
#include "views/MidiControlChangeFilterView.h"
#include "views/MidiSystemCommonFilterView.h"
#include "views/MidiSystemRealtimeFilterView.h"

#include <QGroupBox>
#include <QMap>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QtTest>

namespace {

struct Run {
    unsigned int first;
    unsigned int count;
};
const Run FilterRuns[] = {{600, 16}, {700, 10}, {800, 128}, {1000, 4}, {1100, 6}};
const Run ChannelRun = FilterRuns[0];
const Run ControlChangeRun = FilterRuns[2];
const Run SystemCommonRun = FilterRuns[3];
const Run SystemRealtimeRun = FilterRuns[4];

using Snapshot = QMap<unsigned int, int>;

// Every filter parameter and the settings that share the model with them.
Snapshot snapshot(TarvoModel& model)
{
    Snapshot values;
    for (const Run& run : FilterRuns) {
        for (unsigned int id = run.first; id < run.first + run.count; ++id) {
            values[id] = model.getModelIntValue(id);
        }
    }
    for (unsigned int id : {500u, 501u, 1200u, 1201u}) {
        values[id] = model.getModelIntValue(id);
    }
    return values;
}

// The one widget of type T below root that shows text.
template <class T>
T* findByText(QWidget* root, const QString& text)
{
    T* found = nullptr;
    for (T* widget : root->findChildren<T*>()) {
        if (widget->text() == text) {
            if (found != nullptr) {
                return nullptr;
            }
            found = widget;
        }
    }
    return found;
}

QGroupBox* findBox(QWidget* root, const QString& title)
{
    for (QGroupBox* box : root->findChildren<QGroupBox*>()) {
        if (box->title() == title) {
            return box;
        }
    }
    return nullptr;
}

// The ">" buttons from top to bottom: control change, system common, system real-time.
QList<QPushButton*> arrowButtons(MidiFilterView& view)
{
    QList<QPushButton*> buttons;
    for (QPushButton* button : findBox(&view, "Message")->findChildren<QPushButton*>()) {
        if (button->text() == ">") {
            buttons.append(button);
        }
    }
    std::sort(buttons.begin(), buttons.end(),
              [](QPushButton* a, QPushButton* b) { return a->y() < b->y(); });
    return buttons;
}

void click(QWidget* widget)
{
    QVERIFY(widget != nullptr);
    QVERIFY(widget->isVisible());
    QTest::mouseClick(widget, Qt::LeftButton);
}

} // namespace

class MidiFilterViewTest : public QObject
{
    Q_OBJECT

private slots:
    void showsTheModelsValues();
    void allAndClearTouchOnlyTheirOwnRun();
    void ticksWriteTheirParametersAndLeaveTheProjectUnedited();
    void controlChangePageScrollsVerticallyOnly();
    void detailEntriesShowNoIndicator();
};

void MidiFilterViewTest::showsTheModelsValues()
{
    // Values set before the view opens, and changes made while it is open.
    TarvoModel model;
    model.setModelIntValue(602, 1);
    model.setModelIntValue(801, 1);
    MidiFilterView view(nullptr, &model);
    const QList<QPair<unsigned int, QString>> controls = {{602, "3"}, {801, ControlChangeNameList[1]},
        {605, "6"}, {900, ControlChangeNameList[100]}, {1003, "(F6) Tune Request"},
        {1104, "(FE) Active Sensing"}, {709, "System Realtime"}};
    for (const auto& control : controls) {
        QAbstractButton* button = findByText<QAbstractButton>(&view, control.second);
        QVERIFY2(button != nullptr, qPrintable(control.second));
        QCOMPARE(button->isChecked(), model.getModelIntValue(control.first) == 1);
        model.setModelIntValue(control.first, 1);
        QVERIFY(button->isChecked());
        model.setModelIntValue(control.first, 0);
        QVERIFY(!button->isChecked());
    }
    QVERIFY(!findByText<PushButton>(&view, "4")->isChecked());
}

void MidiFilterViewTest::allAndClearTouchOnlyTheirOwnRun()
{
    TarvoModel model;
    // A pattern that "All" and "Clear" both have to change in part.
    for (const Run& run : FilterRuns) {
        for (unsigned int id = run.first; id < run.first + run.count; ++id) {
            model.setModelIntValue(id, id % 2);
        }
    }
    MidiFilterView view(nullptr, &model);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QList<QPushButton*> arrows = arrowButtons(view);
    QCOMPARE(arrows.size(), 3);

    struct Step {
        QWidget* page;
        QPushButton* arrow;
        Run run;
    };
    const Step steps[] = {
        {findBox(&view, "Channel"), nullptr, ChannelRun},
        {view.findChild<MidiControlChangeFilterView*>(), arrows[0], ControlChangeRun},
        {view.findChild<MidiSystemCommonFilterView*>(), arrows[1], SystemCommonRun},
        {view.findChild<MidiSystemRealtimeFilterView*>(), arrows[2], SystemRealtimeRun},
    };
    for (const Step& step : steps) {
        QVERIFY(step.page != nullptr);
        if (step.arrow != nullptr) {
            click(step.arrow);
        }
        for (const QString& text : {QStringLiteral("All"), QStringLiteral("Clear")}) {
            const int value = text == "All" ? 1 : 0;
            const Snapshot before = snapshot(model);
            click(findByText<QPushButton>(step.page, text));
            const Snapshot after = snapshot(model);
            for (auto it = before.cbegin(); it != before.cend(); ++it) {
                const unsigned int id = it.key();
                const bool inRun = id >= step.run.first && id < step.run.first + step.run.count;
                QVERIFY2(after[id] == (inRun ? value : it.value()),
                         qPrintable(QString("%1 after %2: id %3").arg(step.run.first).arg(text).arg(id)));
            }
        }
    }
    // The buttons follow the model.
    QVERIFY(!findByText<PushButton>(&view, "2")->isChecked());
    click(findByText<QPushButton>(findBox(&view, "Channel"), "All"));
    for (int n = 1; n <= 16; ++n) {
        QVERIFY(findByText<PushButton>(&view, QString::number(n))->isChecked());
    }
}

void MidiFilterViewTest::ticksWriteTheirParametersAndLeaveTheProjectUnedited()
{
    TarvoModel model;
    auto* view = new MidiFilterView(nullptr, &model);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view));
    click(findByText<CheckBox>(view, "Pitch Bend"));
    QCOMPARE(model.getModelIntValue(706), 1);
    click(arrowButtons(*view)[2]);
    click(findByText<CheckBox>(view, "(FE) Active Sensing"));
    QCOMPARE(model.getModelIntValue(1104), 1);
    click(findByText<PushButton>(view, "1"));
    QCOMPARE(model.getModelIntValue(600), 1);

    Snapshot expected = snapshot(model);
    click(findByText<CheckBox>(view, "Pitch Bend"));
    expected[706] = 0;
    QCOMPARE(snapshot(model), expected);
    view->close();
    delete view;
    QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);
    // Changes must not reach the destroyed controls.
    model.setModelIntValue(600, 0);
    model.setModelIntValue(800, 1);
}

void MidiFilterViewTest::controlChangePageScrollsVerticallyOnly()
{
    TarvoModel model;
    MidiFilterView view(nullptr, &model);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto* area = view.findChild<MidiControlChangeFilterView*>()->findChild<QScrollArea*>();
    QVERIFY(area != nullptr);
    QWidget* content = area->widget();
    QCOMPARE(content->findChildren<CheckBox*>().size(), 128);
    CheckBox* last = findByText<CheckBox>(content, "127 Poly On");
    QVERIFY(last != nullptr);
    QVERIFY(content->rect().contains(last->geometry()));

    QCOMPARE(area->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(area->horizontalScrollBar()->maximum(), 0);
    QVERIFY(area->verticalScrollBar()->isVisible());
    area->ensureWidgetVisible(last);
    QVERIFY(area->verticalScrollBar()->value() > 0);
    QCOMPARE(area->horizontalScrollBar()->value(), 0);

    // The scrolled box takes real clicks.
    click(last);
    QCOMPARE(model.getModelIntValue(927), 1);
}

void MidiFilterViewTest::detailEntriesShowNoIndicator()
{
    TarvoModel model;
    MidiFilterView view(nullptr, &model);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    for (const QString text : {"Control Change", "System Common", "System Realtime"}) {
        CheckBox* label = findByText<CheckBox>(findBox(&view, "Message"), text);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        const QImage unticked = label->grab().toImage();
        label->setChecked(true);
        QCOMPARE(label->grab().toImage(), unticked);
    }
    // An ordinary entry shows its tick.
    CheckBox* noteOff = findByText<CheckBox>(&view, "Note Off");
    const QImage unticked = noteOff->grab().toImage();
    noteOff->setChecked(true);
    QVERIFY(noteOff->grab().toImage() != unticked);
}

QTEST_MAIN(MidiFilterViewTest)
#include "MidiFilterViewTest.moc"
