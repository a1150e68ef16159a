#ifndef SMLIB_ARRAY_H
#define SMLIB_ARRAY_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Array of fixed-size elements on caller memory. Adding beyond the capacity
 * is a programming error. */
typedef struct smlib_array {
    uint8_t *memory;
    size_t elementSize;
    size_t capacity;
    size_t count;
} smlib_array;

/* True when element matches key. */
typedef bool (*smlib_array_matchFunction)(const void *element, const void *key);
typedef void (*smlib_array_elementFunction)(void *element);
typedef void (*smlib_array_elementFunction2)(void *element, void *context);

void smlib_array_init(smlib_array *self, void *memory, size_t elementSize, size_t capacity);
void smlib_array_pushBack(smlib_array *self, const void *element);
void smlib_array_insert(smlib_array *self, size_t index, const void *element);
/* Appends every element of other; both arrays hold elements of one size. */
void smlib_array_concatenate(smlib_array *self, const smlib_array *other);
/* Replaces the contents by count elements copied from elements. */
void smlib_array_assign(smlib_array *self, const void *elements, size_t count);
void smlib_array_erase(smlib_array *self, size_t index);
void smlib_array_clear(smlib_array *self);
void *smlib_array_at(const smlib_array *self, size_t index);
void *smlib_array_back(const smlib_array *self);
/* Copies the element at index to dest; 0, or -1 when there is none. */
int smlib_array_getElement(const smlib_array *self, size_t index, void *dest);
size_t smlib_array_getCount(const smlib_array *self);
bool smlib_array_empty(const smlib_array *self);
/* Index of the first element that matches key in *index; 0, or -1 when none does. */
int smlib_array_find(const smlib_array *self, const void *key, smlib_array_matchFunction match, size_t *index);
void smlib_array_forEach(smlib_array *self, smlib_array_elementFunction function);
void smlib_array_forEach2(smlib_array *self, smlib_array_elementFunction2 function, void *context);

#ifdef __cplusplus
}
#endif

#endif
