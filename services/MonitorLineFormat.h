#pragma once

#include "engine/MidiRecord.h"

#include <QString>

// A monitor's line of a record as the hex view shows it: the optional time
// stamp "HH:MM:SS:mmm " of its time in local time, then two upper-case
// hexadecimal digits and a space per byte. A message longer than the
// parser's 4,096 bytes shows its first and last bytes and its length; a loss
// is a line of words.
namespace MonitorLineFormat {

// The stamp of a time in monotonic microseconds, as the wall clock read then.
QString stamp(qint64 microseconds);
// The line after the stamp.
QString body(const MidiRecord& record);
// The whole line: the stamp when stamped (never on a line of words), then the body.
QString line(const MidiRecord& record, bool stamped);

} // namespace MonitorLineFormat
