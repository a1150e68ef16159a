#include "midilib_data.h"

#include "smlib_assert.h"

void midilib_data_init(midilib_data *self, const void *bytes, size_t elementSize, size_t count)
{
    SMLIB_ASSERT(self);
    smlib_data_init(&self->stream, self->memory, sizeof(self->memory));
    if (bytes != NULL) {
        if (smlib_data_write(&self->stream, bytes, elementSize, count) != count) {
            SMLIB_ASSERT(0);
        }
    }
}

size_t midilib_data_write(midilib_data *self, const void *bytes, size_t elementSize, size_t count)
{
    SMLIB_ASSERT(self);
    return smlib_data_write(&self->stream, bytes, elementSize, count);
}

uint8_t *midilib_data_getMemory(midilib_data *self)
{
    SMLIB_ASSERT(self);
    return self->memory;
}

size_t midilib_data_getSize(const midilib_data *self)
{
    SMLIB_ASSERT(self);
    return smlib_data_tell(&self->stream);
}
