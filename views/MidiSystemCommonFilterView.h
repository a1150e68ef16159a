#pragma once

#include <QList>
#include <QWidget>

class CheckBox;

// Filter page with one check box per system common message. Its check boxes are
// connected by the filter view that holds the page.
class MidiSystemCommonFilterView : public QWidget
{
    Q_OBJECT

public:
    explicit MidiSystemCommonFilterView(QWidget* parent);

public slots:
    void releasedAllButton();
    void releasedNoneButton();

protected:
    QList<CheckBox*> m_checkBoxes;
};
