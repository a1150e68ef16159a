#include "views/MidiFilterView.h"

#include "SendingMainWindow.h"

namespace {

// Indexes of the ">" buttons, as created; the channels need none.
enum Page { ChannelPage = -1, ControlChangePage, SystemCommonPage, SystemRealtimePage };

// The visible buttons below root that show text, as created.
QList<QAbstractButton*> buttons(QWidget* root, const QString& text)
{
    QList<QAbstractButton*> found;
    for (QAbstractButton* candidate : root->findChildren<QAbstractButton*>()) {
        found << (candidate->text() == text && candidate->isVisible() ? QList<QAbstractButton*>{candidate}
                                                                        : QList<QAbstractButton*>{});
    }
    return found;
}

} // namespace

class MidiFilterViewTest : public QObject
{
    Q_OBJECT

private slots:
    void clicksWriteTheirParameters_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("text");
        QTest::addColumn<unsigned int>("id");
        QTest::addColumn<unsigned int>("runFirst");
        QTest::addColumn<unsigned int>("runCount");
        QTest::newRow("channel 16") << int(ChannelPage) << "16" << ChannelFilterFirstId + 15 << ChannelFilterFirstId
                                    << ChannelFilterCount;
        QTest::newRow("controller 127") << int(ControlChangePage) << "127 Poly On" << ControlChangeFilterFirstId + 127
                                        << ControlChangeFilterFirstId << ControlChangeFilterCount;
        QTest::newRow("tune request") << int(SystemCommonPage) << "(F6) Tune Request" << TuneRequestFilterId
                                      << SystemCommonFilterFirstId << SystemCommonFilterCount;
        QTest::newRow("active sensing") << int(SystemRealtimePage) << "(FE) Active Sensing" << ActiveSensingFilterId
                                        << SystemRealtimeFilterFirstId << SystemRealtimeFilterCount;
    }
    // A click sets the entry's parameter, a model change shows on it, and the
    // page's "All" and "Clear" change its whole run and nothing else; the
    // project stays unedited.
    void clicksWriteTheirParameters()
    {
        QFETCH(int, page);
        QFETCH(unsigned int, runFirst);
        QFETCH(unsigned int, runCount);
        TarvoModel model;
        MidiFilterView view(nullptr, &model);
        QVERIFY(showExposed(&view));
        QWidget* box = buttons(&view, "1")[0]->parentWidget();
        if (page != ChannelPage) {
            QTest::mouseClick(buttons(&view, ">")[page], Qt::LeftButton);
            box = view.findChild<QStackedWidget*>()->currentWidget();
        }
        QFETCH(QString, text);
        QAbstractButton* entry = buttons(&view, text)[0];
        QTest::mouseClick(entry, Qt::LeftButton);
        QFETCH(unsigned int, id);
        QCOMPARE(model.getModelIntValue(id), 1);
        model.setModelIntValue(id, 0);
        QVERIFY(!entry->isChecked());

        // Every filter parameter in a pattern that "All" and "Clear" both change in part.
        const unsigned int filterIdEnd = SystemResetFilterId + 1;
        for (unsigned int other = ChannelFilterFirstId; other < filterIdEnd; ++other) {
            model.setModelIntValue(other, other % 2);
        }
        for (const int value : {1, 0}) {
            QTest::mouseClick(buttons(box, value == 1 ? "All" : "Clear")[0], Qt::LeftButton);
            for (unsigned int other = ChannelFilterFirstId; other < filterIdEnd; ++other) {
                MODEL_RESULT exists = MODEL_RESULT_OK;
                const int actual = model.getModelIntValue(other, &exists);
                const bool inRun = other >= runFirst && other < runFirst + runCount;
                QVERIFY2(exists != MODEL_RESULT_OK || actual == (inRun ? value : int(other % 2)),
                         qPrintable(QString::number(other)));
            }
        }
        QCOMPARE(model.getParameterEditFlag(), ParameterNotEdited);
    }
};

QTEST_MAIN(MidiFilterViewTest)
#include "MidiFilterViewTest.moc"
