#include "smlib_unsigned.h"

size_t smlib_unsigned_inc(size_t value, size_t limit, long delta)
{
    if (delta > 0) {
        const size_t step = (size_t)delta;
        if (value >= SMLIB_UNSIGNED_CEILING || step >= SMLIB_UNSIGNED_CEILING - value) {
            return value;
        }
        if (value + step >= limit) {
            return value;
        }
        return value + step;
    }
    if (delta < 0) {
        /* -(delta + 1) + 1 avoids negating LONG_MIN. */
        const size_t step = (size_t)(-(delta + 1)) + 1u;
        if (value > step) {
            return value - step;
        }
        return value;
    }
    return value;
}

int smlib_unsigned_usedBytes(unsigned long long value)
{
    int bytes = 1;
    while (value > 0xFFu) {
        value >>= 8;
        ++bytes;
    }
    return bytes;
}

int smlib_unsigned_decDigitSize(unsigned long long value)
{
    int digits = 1;
    while (value >= 10u) {
        value /= 10u;
        ++digits;
    }
    return digits;
}
