#include "views/MidiKeyboardViewScrollArea.h"

#include "model/TarvoModel.h"

#include <QScrollBar>
#include <QWheelEvent>

#include <cstdlib>

MidiKeyboardViewScrollArea::MidiKeyboardViewScrollArea(QWidget* parent, TarvoModel* model)
    : QScrollArea(parent), m_pModel(model)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void MidiKeyboardViewScrollArea::wheelEvent(QWheelEvent* event)
{
    // A trackpad's mostly vertical swipe moves the keys pixel for pixel.
    const QPoint delta = event->pixelDelta();
    if (std::abs(delta.x()) < std::abs(delta.y())) {
        QScrollBar* bar = horizontalScrollBar();
        bar->setValue(bar->value() + delta.y());
    } else {
        QScrollArea::wheelEvent(event);
    }
    event->accept();
}

void MidiKeyboardViewScrollArea::scrollContentsBy(int dx, int dy)
{
    m_pModel->setParameterEditFlag(ParameterEdited);
    QScrollArea::scrollContentsBy(dx, dy);
}
