#pragma once

#include <QScrollArea>

class TarvoModel;

// The horizontal scroller around the keyboard. A vertical swipe scrolls the
// keyboard sideways, and every scroll edits the project, which stores the
// position.
class MidiKeyboardViewScrollArea : public QScrollArea
{
    Q_OBJECT

public:
    MidiKeyboardViewScrollArea(QWidget* parent, TarvoModel* model);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    TarvoModel* m_pModel;
};
