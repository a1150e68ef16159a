#pragma once

#include "model/ModelConnection.h"

#include <QSpinBox>

// A spin box bound to an integer parameter. Its owner sets the range.
class SpinBox : public QSpinBox, public ModelConnection
{
    Q_OBJECT

public:
    explicit SpinBox(QWidget* parent = nullptr);

    void updateParameter(unsigned int id) override;

protected slots:
    void updateValue(int value);
};
