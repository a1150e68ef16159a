#include "smlib_cycleCounter.h"

#include "smlib_assert.h"

void smlib_cycleCounter_init(smlib_cycleCounter *self, int initial, int span, int step)
{
    SMLIB_ASSERT(self);
    self->value = initial;
    self->initial = initial;
    self->span = span;
    self->step = step;
}

void smlib_cycleCounter_reset(smlib_cycleCounter *self)
{
    SMLIB_ASSERT(self);
    self->value = self->initial;
}

int smlib_cycleCounter_count(smlib_cycleCounter *self)
{
    SMLIB_ASSERT(self);
    /* 64-bit sums: the end or the next value may lie outside int. */
    const long long end = (long long)self->initial + self->span;
    const long long next = (long long)self->value + self->step;
    if ((self->step > 0 && next >= end) || (self->step < 0 && next <= end)) {
        self->value = self->initial;
    } else {
        self->value = (int)next;
    }
    return self->value;
}

int smlib_cycleCounter_getValue(const smlib_cycleCounter *self)
{
    SMLIB_ASSERT(self);
    return self->value;
}

int smlib_cycleCounter_getInitial(const smlib_cycleCounter *self)
{
    SMLIB_ASSERT(self);
    return self->initial;
}
