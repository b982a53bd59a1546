/*
 * Qo: the timetable kernel.
 *
 * The only header that clients of libQo include. Every export is a plain C
 * function. Each declaration says what the call does, its failure value, the
 * error codes it sets, and how long what it returns stays valid.
 *
 * Conventions shared by every export:
 *  - Failure is reported through one last-error code: a failing export
 *    returns 0, NULL or -1 and sets the code; QoError() reads and clears it,
 *    QoPeekError() reads it. Exports do not clear the code on success.
 *  - Texts cross the interface in the text mode set by QoSetDia (Windows-1250
 *    unless changed).
 *  - Returned texts, records and arrays belong to the kernel and stay valid
 *    until the next call of the same export; copy what you keep.
 *  - Calls are not thread-safe: a client serialises them (the search progress
 *    is the one exception).
 */
#ifndef QO_H
#define QO_H

#include <stdint.h>

#if defined(QO_BUILDING_KERNEL)
#define QO_API __attribute__((visibility("default")))
#else
#define QO_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Library frame and errors ------------------------------------------ */

/* Returns the last error code and resets it to 0. Never fails. */
QO_API int QoError(void);

/* Returns the last error code unchanged. Never fails. */
QO_API int QoPeekError(void);

/* Text of error `code` in the language of `language` ('E' English,
 * 'G' German, 'S' Slovak, 'P' Polish, any other letter Czech), in the
 * current text mode. A code outside 0..52 or without a text gives "".
 * Never fails. Lifetime: kernel-owned until the next QoErrorText call. */
QO_API const char* QoErrorText(int code, char language);

/* The kernel's version text, "1.85.01". Lifetime: static. */
QO_API const char* QoVer(void);

/* Number of loaded timetables; valid timetable indexes are 0..count-1.
 * Never fails. */
QO_API int QoQoCount(void);

/* Sets the text mode of texts crossing the interface: 0 Kamenicky, 1 CP852,
 * 2 ISO 8859-2, 3 Windows-1250 (initial), 4 ASCII without diacritics,
 * 5 the letters common to Windows-1250 and Windows-1252. Any other value
 * leaves the mode unchanged. Returns the value given. Never fails. */
QO_API int QoSetDia(int mode);

#ifdef __cplusplus
}
#endif

#endif /* QO_H */
