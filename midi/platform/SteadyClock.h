#ifndef STEADYCLOCK_H
#define STEADYCLOCK_H

#include <chrono>
#include <cstdint>

// Every time the MIDI layer hands on (a message's arrival, a due time) is in
// microseconds of the monotonic clock, so times from different threads and
// platforms compare directly. Reading it never blocks: fit for the platform's
// real-time thread.
inline std::int64_t steadyMicroseconds()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

#endif // STEADYCLOCK_H
