#pragma once

#include "model/CommonViewHelper.h"

#include <QWidget>

class TarvoModel;

// Edits the knob mode of every dial and how the monitors show their lines:
// time stamps, the name of middle C, and the lines and memory they keep. None of it is
// part of a project, and the window is not restored with the layout.
class PreferencesView : public QWidget, public CommonViewHelper
{
    Q_OBJECT

public:
    PreferencesView(QWidget* parent, TarvoModel* model);
};
