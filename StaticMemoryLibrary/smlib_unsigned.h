#ifndef SMLIB_UNSIGNED_H
#define SMLIB_UNSIGNED_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Values at or above this are never reached by smlib_unsigned_inc. */
#define SMLIB_UNSIGNED_CEILING 0xFFFFFFFFu

/* value + delta when the result stays within [1, limit - 1] for a downward
 * step, or below both limit and SMLIB_UNSIGNED_CEILING for an upward step;
 * otherwise value unchanged. */
size_t smlib_unsigned_inc(size_t value, size_t limit, long delta);

/* Bytes needed to hold value: 1 below 256, 2 below 65536, and so on. */
int smlib_unsigned_usedBytes(unsigned long long value);

/* Decimal digits of value (1 for 0 to 9). */
int smlib_unsigned_decDigitSize(unsigned long long value);

#ifdef __cplusplus
}
#endif

#endif
