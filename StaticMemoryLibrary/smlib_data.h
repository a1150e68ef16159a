#ifndef SMLIB_DATA_H
#define SMLIB_DATA_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Read/write cursor over a writable byte block that the caller owns.
 * memory is null exactly when size is 0 (a valid empty stream). */
typedef struct smlib_data {
    uint8_t *memory;
    size_t size;
    size_t position;
} smlib_data;

void smlib_data_init(smlib_data *self, void *memory, size_t size);

/* Copies up to count whole elements to dest; returns the number copied. */
size_t smlib_data_read(smlib_data *self, void *dest, size_t elementSize, size_t count);

/* Copies up to count whole elements from src; returns the number copied. */
size_t smlib_data_write(smlib_data *self, const void *src, size_t elementSize, size_t count);

/* whence 0 start, 1 current, 2 last byte; 0 when the position moved, -1 when not. */
int smlib_data_seek(smlib_data *self, long offset, int whence);

size_t smlib_data_tell(const smlib_data *self);

size_t smlib_data_getSize(const smlib_data *self);

#ifdef __cplusplus
}
#endif

#endif
