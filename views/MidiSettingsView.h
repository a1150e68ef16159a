#pragma once

#include "model/CommonViewHelper.h"
#include "project/WindowRestorationInfo.h"

#include <QWidget>

class TarvoModel;

// Edits the MIDI system, the output's pacing and limits and MIDI Thru. They
// are application settings, not part of a project, so the view never
// touches the project's edit flag.
class MidiSettingsView : public QWidget, public CommonViewHelper, public WindowRestorationInfo
{
    Q_OBJECT

public:
    MidiSettingsView(QWidget* parent, TarvoModel* model);
};
