#ifndef MIDILIB_UINT14_H
#define MIDILIB_UINT14_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A 14-bit value travels as two 7-bit data bytes, the low seven bits first. */

/* second * 128 + first. */
static inline uint16_t midilib_uint14_make(uint8_t first, uint8_t second)
{
    return (uint16_t)(second * 128u + first);
}
/* The low seven bits: the byte that goes first on the wire. */
int midilib_uint14_msb(uint16_t value);
/* value >> 7: the byte that goes second on the wire. */
int midilib_uint14_lsb(uint16_t value);

#ifdef __cplusplus
}
#endif

#endif
