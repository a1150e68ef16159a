#include "smlib_string.h"

#include <string.h>

#include "smlib_assert.h"
#include "smlib_strlcpy.h"

int smlib_string_init(smlib_string *self, char *memory, size_t memorySize, const char *text)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(memory);
    SMLIB_ASSERT(memorySize > 0);
    self->memory = memory;
    self->memorySize = memorySize;
    self->length = 0;
    self->memory[0] = '\0';
    return text ? smlib_string_append(self, text) : 0;
}

int smlib_string_append(smlib_string *self, const char *text)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(text);
    const int result = smlib_strlcpy(self->memory + self->length, text, self->memorySize - self->length);
    self->length += strlen(self->memory + self->length);
    return result;
}

int smlib_string_assign(smlib_string *self, const char *text)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(text);
    self->length = 0;
    return smlib_string_append(self, text);
}

char smlib_string_at(const smlib_string *self, size_t index)
{
    SMLIB_ASSERT(self);
    SMLIB_ASSERT(index < self->length);
    return self->memory[index];
}

const char *smlib_string_data(const smlib_string *self)
{
    SMLIB_ASSERT(self);
    return self->memory;
}

size_t smlib_string_getLength(const smlib_string *self)
{
    SMLIB_ASSERT(self);
    return self->length;
}
