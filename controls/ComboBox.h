#pragma once

#include "model/ModelConnection.h"

#include <QComboBox>

// A combo box bound to an integer parameter whose values start at 0; the
// item index is the value and the items are the parameter's display texts.
class ComboBox : public QComboBox, public ModelConnection
{
    Q_OBJECT

public:
    explicit ComboBox(QWidget* parent = nullptr);

    void updateParameter(unsigned int id) override;
    // Appends one item per value of the parameter's range.
    void modelChanged() override;

protected slots:
    void updateValue(int value);

protected:
    bool m_updating;
};
