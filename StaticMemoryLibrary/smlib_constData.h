#ifndef SMLIB_CONSTDATA_H
#define SMLIB_CONSTDATA_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Read cursor over a read-only byte block that the caller owns.
 * memory is null exactly when size is 0 (a valid empty stream). */
typedef struct smlib_constData {
    const uint8_t *memory;
    size_t size;
    size_t position;
} smlib_constData;

void smlib_constData_init(smlib_constData *self, const void *memory, size_t size);

/* Copies up to count whole elements to dest; returns the number copied. */
size_t smlib_constData_read(smlib_constData *self, void *dest, size_t elementSize, size_t count);

/* whence 0 start, 1 current, 2 last byte; 0 when the position moved, -1 when not. */
int smlib_constData_seek(smlib_constData *self, long offset, int whence);

size_t smlib_constData_tell(const smlib_constData *self);

#ifdef __cplusplus
}
#endif

#endif
