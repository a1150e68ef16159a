#include "views/FilterPage.h"

#include "controls/CheckBox.h"

#include <QGroupBox>
#include <QPalette>
#include <QPoint>

namespace {
// The style draws a check box's frame 40 % darker than the window colour,
// which on the grey group boxes leaves the white boxes hard to find; this
// base gives a frame that reads as clearly as the text.
const QColor IndicatorFrameBase(150, 150, 150);
} // namespace

namespace FilterPage {

CheckBox* createCheckBox(QWidget* parent, const QString& text, unsigned int id, const QPoint& pos)
{
    auto* checkBox = new CheckBox(parent);
    checkBox->setText(text);
    checkBox->setParameterId(id);
    QPalette palette = checkBox->palette();
    palette.setColor(QPalette::Window, IndicatorFrameBase);
    checkBox->setPalette(palette);
    checkBox->move(pos);
    const QSize hint = checkBox->sizeHint();
    checkBox->resize(hint.width(), qMin(hint.height(), CheckBoxSpacing));
    return checkBox;
}

QPushButton* createButton(QWidget* parent, const QString& text, const QRect& geometry)
{
    auto* button = new QPushButton(text, parent);
    button->setGeometry(geometry);
    return button;
}

QGroupBox* createGroupBox(QWidget* parent, const QString& title, const QRect& geometry)
{
    auto* groupBox = new QGroupBox(title, parent);
    groupBox->setGeometry(geometry);
    groupBox->setMinimumSize(geometry.size());
    return groupBox;
}

} // namespace FilterPage
