#ifndef MIDILIB_MESSAGEBUILDERS_H
#define MIDILIB_MESSAGEBUILDERS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Each fills a caller's array with one channel message and returns the
 * channel. Arguments outside their ranges are programming errors. */

int midilib_noteOffBuff_init(uint8_t data[3], int channelNumber, int noteNumber, int velocity);
int midilib_noteOnBuff_init(uint8_t data[3], int channelNumber, int noteNumber, int velocity);
int midilib_polyKeyPressureBuff_init(uint8_t data[3], int channelNumber, int noteNumber, int pressure);
int midilib_controlChangeBuff_init(uint8_t data[3], int channelNumber, int controllerNumber, int value);
int midilib_programChangeBuff_init(uint8_t data[2], int channelNumber, int number);
int midilib_channelKeyPressureBuff_init(uint8_t data[2], int channelNumber, int pressure);
/* msb is the low seven bits (first on the wire), lsb the high seven bits. */
int midilib_pitchBendData_init(uint8_t data[3], int channelNumber, int msb, int lsb);

#ifdef __cplusplus
}
#endif

#endif
