#include "controls/CheckBox.h"

CheckBox::CheckBox(QWidget* parent)
    : QCheckBox(parent)
{
    setAttribute(Qt::WA_MacShowFocusRect, false);
    // clicked() comes from the user only, so showing a value never writes it back.
    connect(this, &QCheckBox::clicked, this, &CheckBox::updateCheckbox);
}

void CheckBox::updateParameter(unsigned int id)
{
    setChecked(getParameterValue(nullptr) != 0);
    ModelConnection::updateParameter(id);
}

void CheckBox::updateCheckbox(bool checked)
{
    setParameterValue(checked ? 1 : 0);
}
