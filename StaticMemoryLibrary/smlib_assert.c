#include "smlib_assert.h"

#include <stdio.h>
#include <stdlib.h>

void smlib_assertFailed(const char *condition, const char *file, int line, const char *function)
{
    fprintf(stderr, "%s:%d: %s: Assertion `%s' failed.\n", file, line, function, condition);
    fflush(stderr);
    abort();
}
