#ifndef SMLIB_CURSOR_H
#define SMLIB_CURSOR_H

/* Position arithmetic shared by smlib_constData and smlib_data (internal). */

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Number of whole elements of elementSize bytes, at most count, that lie
 * between position and size. Inline: every read and write asks it. */
static inline size_t smlib_cursor_fit(size_t position, size_t size, size_t elementSize, size_t count)
{
    if (elementSize == 0) {
        return count;
    }
    const size_t left = position < size ? size - position : 0;
    /* Byte streams are the common case; spare them the division. */
    const size_t room = elementSize == 1 ? left : left / elementSize;
    return count < room ? count : room;
}

/* Moves *position as the seek operations describe; 0 when it moved, -1 when not. */
int smlib_cursor_seek(size_t *position, size_t size, long offset, int whence);

#ifdef __cplusplus
}
#endif

#endif
