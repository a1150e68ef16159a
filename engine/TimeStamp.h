#pragma once

// The time stamp of a monitor line, "HH:MM:SS:mmm " in local time.
namespace TimeStamp {

// The text and a terminating zero.
constexpr int BufferSize = 14;

// Writes the stamp of a time given as seconds and microseconds since the
// epoch; returns its length.
int format(char* text, long seconds, long microseconds);
// A time of the monotonic clock (SteadyClock.h) as microseconds since the
// epoch, as the wall clock reads now.
long long wallMicroseconds(long long steadyMicroseconds);

} // namespace TimeStamp
