#include "smlib_strlcpy.h"

#include "smlib_assert.h"

int smlib_strlcpy(char *dest, const char *src, size_t destMemSize)
{
    SMLIB_ASSERT(dest);
    SMLIB_ASSERT(src);
    SMLIB_ASSERT(destMemSize > 0);
    size_t i = 0;
    while (i + 1 < destMemSize && src[i] != '\0') {
        dest[i] = src[i];
        ++i;
    }
    dest[i] = '\0';
    return src[i] == '\0' ? 0 : -1;
}
