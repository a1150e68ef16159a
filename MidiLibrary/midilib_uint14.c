#include "midilib_uint14.h"

uint16_t midilib_uint14_make(uint8_t first, uint8_t second)
{
    return (uint16_t)(second * 128u + first);
}

int midilib_uint14_msb(uint16_t value)
{
    return value & 0x7F;
}

int midilib_uint14_lsb(uint16_t value)
{
    return value >> 7;
}
