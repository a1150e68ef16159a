#include "controls/ComboBox.h"

ComboBox::ComboBox(QWidget* parent)
    : QComboBox(parent), m_updating(false)
{
    connect(this, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &ComboBox::updateValue);
}

void ComboBox::updateParameter(unsigned int id)
{
    if (count() > 0) {
        setCurrentIndex(getParameterValue(nullptr));
    }
    ModelConnection::updateParameter(id);
}

void ComboBox::modelChanged()
{
    const int maximum = getMaximumValue(nullptr);
    const int minimum = getMinimumValue(nullptr);
    if (maximum <= minimum) {
        return;
    }
    m_updating = true;
    for (int i = 0; i <= maximum - minimum; ++i) {
        addItem(getParameterString(i, nullptr));
    }
    m_updating = false;
    setCurrentIndex(getParameterValue(nullptr));
}

void ComboBox::updateValue(int value)
{
    if (!m_updating) {
        setParameterValue(value);
    }
}
