#include "smlib_array.h"

#include <string.h>

#include "smlib_assert.h"

void smlib_array_init(smlib_array *self, void *memory, size_t elementSize, size_t capacity)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(memory);
    SMLIB_ASSERT(elementSize > 0);
    SMLIB_ASSERT(capacity > 0);
    self->memory = (uint8_t *)memory;
    self->elementSize = elementSize;
    self->capacity = capacity;
    self->count = 0;
}

void smlib_array_pushBack(smlib_array *self, const void *element)
{
    SMLIB_ASSERT(self);
    smlib_array_insert(self, self->count, element);
}

void smlib_array_insert(smlib_array *self, size_t index, const void *element)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(element);
    SMLIB_ASSERT(index <= self->count);
    SMLIB_ASSERT(self->count < self->capacity);
    uint8_t *slot = self->memory + index * self->elementSize;
    memmove(slot + self->elementSize, slot, (self->count - index) * self->elementSize);
    memcpy(slot, element, self->elementSize);
    ++self->count;
}

void smlib_array_concatenate(smlib_array *self, const smlib_array *other)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(other);
    SMLIB_ASSERT(self->elementSize == other->elementSize);
    SMLIB_ASSERT(other->count <= self->capacity - self->count);
    if (other->count > 0) {
        memmove(self->memory + self->count * self->elementSize, other->memory, other->count * other->elementSize);
        self->count += other->count;
    }
}

void smlib_array_assign(smlib_array *self, const void *elements, size_t count)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(count <= self->capacity);
    if (count > 0) {
        SMLIB_ASSERT(elements);
        memmove(self->memory, elements, count * self->elementSize);
    }
    self->count = count;
}

void smlib_array_erase(smlib_array *self, size_t index)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(index < self->count);
    uint8_t *slot = self->memory + index * self->elementSize;
    memmove(slot, slot + self->elementSize, (self->count - index - 1) * self->elementSize);
    --self->count;
}

void smlib_array_clear(smlib_array *self)
{
    SMLIB_ASSERT(self);
    self->count = 0;
}

void *smlib_array_at(const smlib_array *self, size_t index)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(index < self->count);
    return self->memory + index * self->elementSize;
}

void *smlib_array_back(const smlib_array *self)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(self->count > 0);
    return self->memory + (self->count - 1) * self->elementSize;
}

int smlib_array_getElement(const smlib_array *self, size_t index, void *dest)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(dest);
    if (index >= self->count) {
        return -1;
    }
    memcpy(dest, self->memory + index * self->elementSize, self->elementSize);
    return 0;
}

size_t smlib_array_getCount(const smlib_array *self)
{
    SMLIB_ASSERT(self);
    return self->count;
}

bool smlib_array_empty(const smlib_array *self)
{
    SMLIB_ASSERT(self);
    return self->count == 0;
}

int smlib_array_find(const smlib_array *self, const void *key, smlib_array_matchFunction match, size_t *index)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(match);
    SMLIB_ASSERT(index);
    for (size_t i = 0; i < self->count; ++i) {
        if (match(self->memory + i * self->elementSize, key)) {
            *index = i;
            return 0;
        }
    }
    return -1;
}

void smlib_array_forEach(smlib_array *self, smlib_array_elementFunction function)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(function);
    for (size_t i = 0; i < self->count; ++i) {
        function(self->memory + i * self->elementSize);
    }
}

void smlib_array_forEach2(smlib_array *self, smlib_array_elementFunction2 function, void *context)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(function);
    for (size_t i = 0; i < self->count; ++i) {
        function(self->memory + i * self->elementSize, context);
    }
}
