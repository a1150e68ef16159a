#pragma once

#include <QString>
#include <QtGlobal>

// A text event of a file, at its time from the start: what a reader of the
// file should know at that place, such as messages that were lost there.
struct MidiFileText
{
    qint64 time = 0; // microseconds
    QString text;
};
