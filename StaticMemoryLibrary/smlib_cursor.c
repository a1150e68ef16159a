#include "smlib_cursor.h"

#include "smlib_assert.h"
#include "smlib_unsigned.h"

size_t smlib_cursor_fit(size_t position, size_t size, size_t elementSize, size_t count)
{
    if (count == 0 || position >= size) {
        return elementSize == 0 ? count : 0;
    }
    if (elementSize == 0) {
        return count;
    }
    const size_t room = (size - position) / elementSize;
    return count < room ? count : room;
}

int smlib_cursor_seek(size_t *position, size_t size, long offset, int whence)
{
    size_t base = 0;
    switch (whence) {
    case 0:
        base = 0;
        break;
    case 1:
        base = *position;
        break;
    case 2:
        /* An empty stream has no last byte; its only position is 0. */
        base = size > 0 ? size - 1 : 0;
        break;
    default:
        SMLIB_ASSERT(0);
    }
    *position = base;
    const size_t moved = smlib_unsigned_inc(base, size, offset);
    if (moved == base) {
        return -1;
    }
    *position = moved;
    return 0;
}
