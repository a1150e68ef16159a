#ifndef SMLIB_CYCLECOUNTER_H
#define SMLIB_CYCLECOUNTER_H

#ifdef __cplusplus
extern "C" {
#endif

/* Counter that steps from initial towards initial + span and starts again at
 * initial when it reaches or passes that end. */
typedef struct smlib_cycleCounter {
    int value;
    int initial;
    int span;
    int step;
} smlib_cycleCounter;

void smlib_cycleCounter_init(smlib_cycleCounter *self, int initial, int span, int step);
void smlib_cycleCounter_reset(smlib_cycleCounter *self);
/* Adds the step; returns the new value. */
int smlib_cycleCounter_count(smlib_cycleCounter *self);
int smlib_cycleCounter_getValue(const smlib_cycleCounter *self);
int smlib_cycleCounter_getInitial(const smlib_cycleCounter *self);

#ifdef __cplusplus
}
#endif

#endif
