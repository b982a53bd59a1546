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

/* ---- Dates and times --------------------------------------------------- */

/* Day numbers count days from 1 January 1900 (day 0); the last valid day is
 * 31 December 2078 (65378). 0 and 0xFFFF mean "no date". Years below 50
 * are read as 20xx and 50..99 as 19xx. Minutes of the day run 0..1439;
 * time texts also accept 24:00 (1440). */

/* Day number of a date. Failure: 0 for an invalid date. Sets no error. */
QO_API int QoDMYToDate(int day, int month, int year);

/* Fills day, month and year (any may be NULL) with the date of a day number;
 * all 0 for 0, 0xFFFF and anything outside 1..65378. Sets no error. */
QO_API void QoDateToDMY(int day_number, int* day, int* month, int* year);

/* Today's local date as a day number; 0 outside the valid range. */
QO_API int QoToday(void);

/* Day number of a date typed in `mode` (first 29 characters): empty for
 * today, "+" tomorrow, "-" yesterday, a weekday name or its beginning in the
 * language of `language` for the nearest such day from today on, or digits
 * ("13.12.2009", "13/12/09", "13-12", "13122009"; missing parts are
 * today's). Failure: 0 for an invalid date, a text over 50 characters, and
 * for mode 6. Sets no error. */
QO_API int QoMakeDate(const char* text, char language, int mode);

/* Prints `format` (printf) with the day, month and four-digit year as ints
 * and the weekday name in `language` as a text, converted to `mode`, into
 * `buffer`, which must hold what the format prints (at most 255
 * characters are written); "" for no date. Returns buffer. Failure: NULL
 * for mode 6 or a NULL buffer. Sets no error. Lifetime: caller-owned. */
QO_API char* QoMakeDateStr(char* buffer, const char* format, int day_number, char language,
                           int mode);

/* Minute of the day of a time text ("1230", "12:30", "8:5" is 8:05, "8" is
 * 8:00, "24:00" is 1440); a text that is no time gives the current local
 * time. Never fails. */
QO_API int QoMakeTime(const char* text);

/* Prints `format` (printf) with the hours and the minutes of `minutes` as
 * ints into `buffer`, which must hold what the format prints (at most 255
 * characters are written); "" for minutes outside 0..1440. No text-mode
 * conversion. Returns buffer. Failure: NULL for a NULL buffer. Sets no
 * error. Lifetime: caller-owned. */
QO_API char* QoMakeTimeStr(char* buffer, const char* format, int minutes);

/* ---- Texts ------------------------------------------------------------- */

/* Converts the caller's Windows-1250 text in place into `mode` (0..5, see
 * QoSetDia; other values leave it unchanged) and returns it. Failure: NULL
 * for mode 6 or a NULL text. Sets no error. Lifetime: caller-owned. */
QO_API char* QoDiaExport(char* text, int mode);

/* Converts the caller's text in place from `mode` into Windows-1250 and
 * returns it. Modes 0..2 are translated; 3, 4 and 5 are taken as given.
 * Failure: NULL for mode 6 or a NULL text. Sets no error. Lifetime:
 * caller-owned. */
QO_API char* QoDiaImport(char* text, int mode);

#ifdef __cplusplus
}
#endif

#endif /* QO_H */
