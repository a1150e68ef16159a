#pragma once

#include "model/CommonViewHelper.h"

#include <QWidget>

class TarvoModel;

// Edits the knob mode of every dial and the monitor's time stamp. Neither is
// part of a project, and the window is not restored with the layout.
class PreferencesView : public QWidget, public CommonViewHelper
{
    Q_OBJECT

public:
    PreferencesView(QWidget* parent, TarvoModel* model);
};
