#ifndef SMLIB_SORTEDARRAY_H
#define SMLIB_SORTEDARRAY_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Negative when a sorts before b, 0 when they are equal. */
typedef int (*smlib_sortedArray_compareFunction)(const void *a, const void *b);

/* Array on caller memory kept in the order of its compare function; equal
 * elements keep their arrival order. */
typedef struct smlib_sortedArray {
    uint8_t *memory;
    size_t elementSize;
    size_t count;
    size_t capacity;
    smlib_sortedArray_compareFunction compare;
} smlib_sortedArray;

void smlib_sortedArray_init(smlib_sortedArray *self, void *memory, size_t elementSize, size_t capacity,
                            smlib_sortedArray_compareFunction compare);
/* Inserts before the first element that element sorts before; returns its index. */
size_t smlib_sortedArray_push(smlib_sortedArray *self, const void *element);
void smlib_sortedArray_erase(smlib_sortedArray *self, size_t index);
void smlib_sortedArray_clear(smlib_sortedArray *self);
void *smlib_sortedArray_at(const smlib_sortedArray *self, size_t index);
/* Copies the element at index to dest; 0, or -1 when there is none. */
int smlib_sortedArray_getElement(const smlib_sortedArray *self, size_t index, void *dest);
size_t smlib_sortedArray_getCount(const smlib_sortedArray *self);
bool smlib_sortedArray_empty(const smlib_sortedArray *self);
/* Index of the first element that compares equal to key; 0, or -1 when none does. */
int smlib_sortedArray_find(const smlib_sortedArray *self, const void *key, size_t *index);

#ifdef __cplusplus
}
#endif

#endif
