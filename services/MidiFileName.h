#pragma once

#include <QString>

// Which paths name Standard MIDI Files: those whose last suffix is "mid" or
// "midi", in any letter case ("Song.v2.MID" is one).
namespace MidiFileName {

bool isMidiFile(const QString& path);
// The path as it is when it names a MIDI file, else with ".mid" added.
QString withSuffix(const QString& path);

} // namespace MidiFileName
