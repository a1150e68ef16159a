#include "controls/SpinBox.h"

SpinBox::SpinBox(QWidget* parent)
    : QSpinBox(parent)
{
    setAttribute(Qt::WA_MacShowFocusRect, false);
    // Showing a value writes it back, which the model ignores as unchanged.
    connect(this, QOverload<int>::of(&QSpinBox::valueChanged), this, &SpinBox::updateValue);
}

void SpinBox::updateParameter(unsigned int id)
{
    setValue(getParameterValue(nullptr));
    ModelConnection::updateParameter(id);
}

void SpinBox::updateValue(int value)
{
    setParameterValue(value);
}
