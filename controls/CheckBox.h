#pragma once

#include "model/ModelConnection.h"

#include <QCheckBox>

// A check box bound to a 0/1 parameter.
class CheckBox : public QCheckBox, public ModelConnection
{
    Q_OBJECT

public:
    explicit CheckBox(QWidget* parent = nullptr);

    void updateParameter(unsigned int id) override;

protected slots:
    void updateCheckbox(bool checked);
};
