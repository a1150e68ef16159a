#include "midilib_timingClockGenerator.h"

#include "smlib_assert.h"

/* 60 s per minute / 24 clocks per beat, in microseconds, times ten for the
 * tenths of the tempo. */
static const uint64_t MicrosecondsPerClockAtTempoOne = 25000000u;
/* 90.0 beats per minute. */
static const uint64_t DefaultClockInterval = 27777u;

void midilib_timingClockGenerator_init(midilib_timingClockGenerator *self)
{
    SMLIB_ASSERT(self);
    self->accumulatedTime = 0;
    self->clockInterval = DefaultClockInterval;
}

void midilib_timingClockGenerator_setTempo(midilib_timingClockGenerator *self, int tempo)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(tempo >= MIDILIB_Tempo_Min);
    SMLIB_ASSERT(tempo <= MIDILIB_Tempo_Max);
    self->clockInterval = MicrosecondsPerClockAtTempoOne / (uint64_t)tempo;
}

int midilib_timingClockGenerator_generate(midilib_timingClockGenerator *self, uint32_t elapsed, uint32_t *closks)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(closks);
    const uint64_t total = (uint64_t)elapsed * 1000u + self->accumulatedTime;
    if (total > self->clockInterval) {
        *closks = (uint32_t)(total / self->clockInterval);
        self->accumulatedTime = total % self->clockInterval;
        return 0;
    }
    self->accumulatedTime = total;
    return -1;
}
