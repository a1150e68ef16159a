#ifndef SMLIB_STRLCPY_H
#define SMLIB_STRLCPY_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Copies at most destMemSize - 1 characters and always ends dest with a zero
 * byte; 0 when the whole of src fitted, -1 when it was cut. */
int smlib_strlcpy(char *dest, const char *src, size_t destMemSize);

#ifdef __cplusplus
}
#endif

#endif
