#include "smlib_data.h"

#include <string.h>

#include "smlib_assert.h"
#include "smlib_cursor.h"

void smlib_data_init(smlib_data *self, void *memory, size_t size)
{
    SMLIB_ASSERT(self);
    if (memory == NULL) {
        SMLIB_ASSERT(size == 0);
    } else {
        SMLIB_ASSERT(size > 0);
    }
    self->memory = (uint8_t *)memory;
    self->size = size;
    self->position = 0;
}

size_t smlib_data_read(smlib_data *self, void *dest, size_t elementSize, size_t count)
{
    SMLIB_ASSERT(self);
    const size_t elements = smlib_cursor_fit(self->position, self->size, elementSize, count);
    const size_t bytes = elements * elementSize;
    if (bytes > 0) {
        memcpy(dest, self->memory + self->position, bytes);
        self->position += bytes;
    }
    return elements;
}

size_t smlib_data_write(smlib_data *self, const void *src, size_t elementSize, size_t count)
{
    SMLIB_ASSERT(self);
    const size_t elements = smlib_cursor_fit(self->position, self->size, elementSize, count);
    const size_t bytes = elements * elementSize;
    if (bytes > 0) {
        memcpy(self->memory + self->position, src, bytes);
        self->position += bytes;
    }
    return elements;
}

int smlib_data_seek(smlib_data *self, long offset, int whence)
{
    SMLIB_ASSERT(self);
    return smlib_cursor_seek(&self->position, self->size, offset, whence);
}

size_t smlib_data_tell(const smlib_data *self)
{
    SMLIB_ASSERT(self);
    return self->position;
}

size_t smlib_data_getSize(const smlib_data *self)
{
    SMLIB_ASSERT(self);
    return self->size;
}
