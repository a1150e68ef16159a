#pragma once

#include <QByteArray>
#include <QtGlobal>

// One MIDI message of a recording or a file, at its time from the start.
struct MidiFileMessage
{
    qint64 time = 0; // microseconds
    QByteArray bytes;
};
