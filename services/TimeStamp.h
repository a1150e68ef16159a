#pragma once

// The time stamp of a monitor line, "HH:MM:SS:mmm " in local time.
namespace TimeStamp {

// The text and a terminating zero.
constexpr int BufferSize = 14;

// Writes the stamp of a time given as seconds and microseconds since the
// epoch; returns its length.
int format(char* text, long seconds, long microseconds);

} // namespace TimeStamp
