#ifndef SMLIB_STRING_H
#define SMLIB_STRING_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Zero-terminated text on caller memory of memorySize bytes; it holds at most
 * memorySize - 1 characters. */
typedef struct smlib_string {
    char *memory;
    size_t memorySize;
    size_t length;
} smlib_string;

/* Copies text (null gives an empty text); 0 when it fitted whole, -1 when cut. */
int smlib_string_init(smlib_string *self, char *memory, size_t memorySize, const char *text);
/* 0 when text fitted whole, -1 when it was cut. */
int smlib_string_append(smlib_string *self, const char *text);
/* 0 when text fitted whole, -1 when it was cut. */
int smlib_string_assign(smlib_string *self, const char *text);
char smlib_string_at(const smlib_string *self, size_t index);
const char *smlib_string_data(const smlib_string *self);
size_t smlib_string_getLength(const smlib_string *self);

#ifdef __cplusplus
}
#endif

#endif
