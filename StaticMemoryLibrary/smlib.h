#ifndef SMLIB_H
#define SMLIB_H

/* Fixed-capacity containers on caller memory; nothing here allocates. */

#include "smlib_array.h"
#include "smlib_assert.h"
#include "smlib_constData.h"
#include "smlib_cycleCounter.h"
#include "smlib_data.h"
#include "smlib_sortedArray.h"
#include "smlib_string.h"
#include "smlib_strlcpy.h"
#include "smlib_unsigned.h"

#endif
