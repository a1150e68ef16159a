#ifndef MIDILIB_TIMINGCLOCKGENERATOR_H
#define MIDILIB_TIMINGCLOCKGENERATOR_H

#include <stdint.h>

#include "midilib_constants.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Turns elapsed time into MIDI timing clocks (24 per beat), carrying the
 * remainder from call to call so that no time is lost. */
typedef struct midilib_timingClockGenerator {
    /* Microseconds not yet turned into clocks. */
    uint64_t accumulatedTime;
    /* Microseconds per clock. */
    uint64_t clockInterval;
} midilib_timingClockGenerator;

/* Nothing accumulated, 90.0 beats per minute. */
void midilib_timingClockGenerator_init(midilib_timingClockGenerator *self);
/* tempo in tenths of a beat per minute, MIDILIB_Tempo_Min to MIDILIB_Tempo_Max;
 * the accumulated time stays. */
void midilib_timingClockGenerator_setTempo(midilib_timingClockGenerator *self, int tempo);
/* Adds elapsed milliseconds; 0 with *closks set when at least one clock is
 * due, -1 (and *closks untouched) when none is. */
int midilib_timingClockGenerator_generate(midilib_timingClockGenerator *self, uint32_t elapsed, uint32_t *closks);

#ifdef __cplusplus
}
#endif

#endif
