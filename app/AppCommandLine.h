#pragma once

#include "midi/platform/MidiSystem.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the window program was asked on its command line.
struct AppOptions
{
    enum class Action { Run, Help, Version, Refused };

    Action action = Action::Run;
    // Wins over the MIDI Settings window's choice for this run.
    std::optional<MidiSystem> system;
    // A project or message file to open.
    QString file;
    // Why the arguments were refused.
    QString error;
};

// arguments with the program's name first. Help and version win over
// everything else, so that they are answered before the display is opened,
// whatever display options follow.
AppOptions parseAppArguments(const QStringList& arguments);

// The text of --help and of --version.
QString appHelpText();
QString appVersionText();
