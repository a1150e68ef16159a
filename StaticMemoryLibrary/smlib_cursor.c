#include "smlib_cursor.h"

#include "smlib_assert.h"
#include "smlib_unsigned.h"

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
