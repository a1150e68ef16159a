#include "midilib_uint14.h"

int midilib_uint14_msb(uint16_t value)
{
    return value & 0x7F;
}

int midilib_uint14_lsb(uint16_t value)
{
    return value >> 7;
}
