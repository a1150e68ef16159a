#ifndef MIDILIB_DATA_H
#define MIDILIB_DATA_H

#include <stddef.h>
#include <stdint.h>

#include "midilib_constants.h"
#include "smlib_data.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Buffer for one message of up to MIDILIB_Message_SizeMax bytes. Its stream
 * points into the object itself: initialise it in place and never copy it. */
typedef struct midilib_data {
    smlib_data stream;
    uint8_t memory[MIDILIB_Message_SizeMax];
} midilib_data;

/* Empties the buffer; when bytes is not null, writes count elements of it,
 * all of which must fit. */
void midilib_data_init(midilib_data *self, const void *bytes, size_t elementSize, size_t count);
/* Appends; returns the number of elements written. */
size_t midilib_data_write(midilib_data *self, const void *bytes, size_t elementSize, size_t count);
uint8_t *midilib_data_getMemory(midilib_data *self);
/* Number of bytes written. */
size_t midilib_data_getSize(const midilib_data *self);

#ifdef __cplusplus
}
#endif

#endif
