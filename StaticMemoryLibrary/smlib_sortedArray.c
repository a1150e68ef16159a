#include "smlib_sortedArray.h"

#include <string.h>

#include "smlib_assert.h"

void smlib_sortedArray_init(smlib_sortedArray *self, void *memory, size_t elementSize, size_t capacity,
                            smlib_sortedArray_compareFunction compare)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(memory);
    SMLIB_ASSERT(elementSize > 0);
    SMLIB_ASSERT(capacity > 0);
    SMLIB_ASSERT(compare);
    self->memory = (uint8_t *)memory;
    self->elementSize = elementSize;
    self->count = 0;
    self->capacity = capacity;
    self->compare = compare;
}

size_t smlib_sortedArray_push(smlib_sortedArray *self, const void *element)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(element);
    SMLIB_ASSERT(self->count < self->capacity);
    size_t index = 0;
    while (index < self->count && self->compare(element, self->memory + index * self->elementSize) >= 0) {
        ++index;
    }
    uint8_t *slot = self->memory + index * self->elementSize;
    memmove(slot + self->elementSize, slot, (self->count - index) * self->elementSize);
    memcpy(slot, element, self->elementSize);
    ++self->count;
    return index;
}

void smlib_sortedArray_erase(smlib_sortedArray *self, size_t index)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(index < self->count);
    uint8_t *slot = self->memory + index * self->elementSize;
    memmove(slot, slot + self->elementSize, (self->count - index - 1) * self->elementSize);
    --self->count;
}

void smlib_sortedArray_clear(smlib_sortedArray *self)
{
    SMLIB_ASSERT(self);
    self->count = 0;
}

void *smlib_sortedArray_at(const smlib_sortedArray *self, size_t index)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(index < self->count);
    return self->memory + index * self->elementSize;
}

int smlib_sortedArray_getElement(const smlib_sortedArray *self, size_t index, void *dest)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(dest);
    if (index >= self->count) {
        return -1;
    }
    memcpy(dest, self->memory + index * self->elementSize, self->elementSize);
    return 0;
}

size_t smlib_sortedArray_getCount(const smlib_sortedArray *self)
{
    SMLIB_ASSERT(self);
    return self->count;
}

bool smlib_sortedArray_empty(const smlib_sortedArray *self)
{
    SMLIB_ASSERT(self);
    return self->count == 0;
}

int smlib_sortedArray_find(const smlib_sortedArray *self, const void *key, size_t *index)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(key);
    SMLIB_ASSERT(index);
    for (size_t i = 0; i < self->count; ++i) {
        if (self->compare(key, self->memory + i * self->elementSize) == 0) {
            *index = i;
            return 0;
        }
    }
    return -1;
}
