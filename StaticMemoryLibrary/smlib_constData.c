#include "smlib_constData.h"

#include <string.h>

#include "smlib_assert.h"
#include "smlib_cursor.h"

void smlib_constData_init(smlib_constData *self, const void *memory, size_t size)
{
    SMLIB_ASSERT(self);
    if (memory == NULL) {
        SMLIB_ASSERT(size == 0);
    } else {
        SMLIB_ASSERT(size > 0);
    }
    self->memory = (const uint8_t *)memory;
    self->size = size;
    self->position = 0;
}

size_t smlib_constData_read(smlib_constData *self, void *dest, size_t elementSize, size_t count)
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

int smlib_constData_seek(smlib_constData *self, long offset, int whence)
{
    SMLIB_ASSERT(self);
    return smlib_cursor_seek(&self->position, self->size, offset, whence);
}

size_t smlib_constData_tell(const smlib_constData *self)
{
    SMLIB_ASSERT(self);
    return self->position;
}
