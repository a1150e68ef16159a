#ifndef SMLIB_ASSERT_H
#define SMLIB_ASSERT_H

/* Argument checks of the plain-function libraries. They stay active in
 * release builds: a violated condition is a programming error, and stopping
 * with the file and the condition is safer than running on with bad state. */

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__) || defined(__clang__)
#define SMLIB_NORETURN __attribute__((noreturn))
#define SMLIB_UNLIKELY(condition) __builtin_expect(!!(condition), 0)
#else
#define SMLIB_NORETURN
#define SMLIB_UNLIKELY(condition) (condition)
#endif

/* Prints "<file>:<line>: <function>: Assertion `<condition>' failed." and aborts. */
SMLIB_NORETURN void smlib_assertFailed(const char *condition, const char *file, int line, const char *function);

#define SMLIB_ASSERT(condition) \
    (SMLIB_UNLIKELY(!(condition)) ? smlib_assertFailed(#condition, __FILE__, __LINE__, __func__) : (void)0)

#ifdef __cplusplus
}
#endif

#endif
