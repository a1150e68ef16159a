#pragma once

#include "model/CommonViewHelper.h"
#include "project/WindowRestorationInfo.h"

#include <QWidget>

class TarvoModel;

// Edits the bulk interval and MIDI Thru. Both are application settings, not
// part of a project, so the view never touches the project's edit flag.
class MidiSettingsView : public QWidget, public CommonViewHelper, public WindowRestorationInfo
{
    Q_OBJECT

public:
    MidiSettingsView(QWidget* parent, TarvoModel* model);
};
