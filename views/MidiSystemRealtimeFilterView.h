#pragma once

#include <QList>
#include <QWidget>

class CheckBox;

// Filter page with one check box per system real-time message. Its check
// boxes are connected by the filter view that holds the page.
class MidiSystemRealtimeFilterView : public QWidget
{
    Q_OBJECT

public:
    explicit MidiSystemRealtimeFilterView(QWidget* parent);

public slots:
    void releasedAllButton();
    void releasedNoneButton();

protected:
    QList<CheckBox*> m_checkBoxes;
};
