#pragma once

#include <QList>
#include <QWidget>

class CheckBox;

// Filter page with one check box per controller number, in a scroll area.
// Its check boxes are connected by the filter view that holds the page.
class MidiControlChangeFilterView : public QWidget
{
    Q_OBJECT

public:
    explicit MidiControlChangeFilterView(QWidget* parent);

public slots:
    void releasedAllButton();
    void releasedNoneButton();

protected:
    QList<CheckBox*> m_checkBoxes;
};
