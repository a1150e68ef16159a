#include "engine/TimeStamp.h"

#include "midi/platform/SteadyClock.h"

#include <chrono>

#include <cstring>
#include <ctime>

namespace {

// "HH:MM:SS" and a terminating zero.
const int ClockTextSize = 9;
const char ClockFormat[] = "%H:%M:%S";
const int ClockTextLength = 8;
const int MicrosecondsPerMillisecond = 1000;
const char GroupSeparator = ' ';

} // namespace

int TimeStamp::format(char* text, long seconds, long microseconds)
{
    // localtime_r costs more than the rest of a line; lines come in bursts
    // within one second, so each thread keeps the clock text of its last second.
    thread_local long cachedSeconds = -1;
    thread_local char clockText[ClockTextSize] = {};
    if (seconds != cachedSeconds) {
        const time_t time = static_cast<time_t>(seconds);
        struct tm local;
        localtime_r(&time, &local);
        strftime(clockText, sizeof clockText, ClockFormat, &local);
        cachedSeconds = seconds;
    }
    const int milliseconds = static_cast<int>(microseconds / MicrosecondsPerMillisecond);
    char* out = text;
    std::memcpy(out, clockText, ClockTextLength);
    out += ClockTextLength;
    *out++ = ':';
    *out++ = static_cast<char>('0' + milliseconds / 100);
    *out++ = static_cast<char>('0' + milliseconds / 10 % 10);
    *out++ = static_cast<char>('0' + milliseconds % 10);
    *out++ = GroupSeparator;
    *out = '\0';
    return static_cast<int>(out - text);
}

long long TimeStamp::wallMicroseconds(long long steadyMicroseconds)
{
    const long long wallNow
        = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
              .count();
    return steadyMicroseconds + (wallNow - ::steadyMicroseconds());
}
