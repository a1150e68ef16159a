#pragma once

#include "views/MidiFilterTexts.h"

#include <QList>
#include <QPushButton>
#include <QRect>
#include <QString>

class CheckBox;
class QGroupBox;
class QPoint;
class QWidget;

// Building blocks shared by the filter view and its three detail pages.
namespace FilterPage {

// The group box that frames a detail page, and its "All" and "Clear" buttons.
const QRect GroupBoxGeometry(0, 0, 290, 245);
const QRect AllButtonGeometry(223, 195, 55, 23);
const QRect NoneButtonGeometry(223, 217, 55, 23);

// Check boxes stand one below the other at this pitch.
const int CheckBoxSpacing = 22;

// A check box bound to parameter id at pos, as wide as its text needs and no
// taller than the pitch, so that neighbours do not overlap.
CheckBox* createCheckBox(QWidget* parent, const QString& text, unsigned int id, const QPoint& pos);
// A plain push button.
QPushButton* createButton(QWidget* parent, const QString& text, const QRect& geometry);
// A titled group box that cannot shrink below its geometry.
QGroupBox* createGroupBox(QWidget* parent, const QString& title, const QRect& geometry);
// Writes value through every control's connection, in list order; the model
// tells each control (and the monitor engine) at once.
template <class Control>
void setParameterValues(const QList<Control*>& controls, int value)
{
    for (Control* control : controls) {
        control->setParameterValue(value);
    }
}

// "All" and "Clear" of a detail page, wired to its releasedAllButton() and
// releasedNoneButton().
template <class Page>
void addAllAndNoneButtons(QWidget* groupBox, Page* page)
{
    QPushButton* all = createButton(groupBox, QString::fromLatin1(FilterAllText), AllButtonGeometry);
    QObject::connect(all, &QPushButton::released, page, &Page::releasedAllButton);
    QPushButton* none = createButton(groupBox, QString::fromLatin1(FilterNoneText), NoneButtonGeometry);
    QObject::connect(none, &QPushButton::released, page, &Page::releasedNoneButton);
}

} // namespace FilterPage
