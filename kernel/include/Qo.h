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

#include <stddef.h>
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

/* ---- Loading and closing timetables ------------------------------------ */

/* The caller's load callback: told of each step of loading with an event
 * and a value, it answers with a number. Values that are texts (paths) or
 * images are passed as pointers, so value and answer are pointer-sized.
 *
 *  event  when                                   value          answers
 *  0      before a timetable file is read        path (char*)   1 skip it, 3 read with
 *                                                               progress (event 10)
 *  1      the file was read into a new record    timetables     1 cancel (close it)
 *  2      its header and sections were taken     timetables     1 cancel (close it)
 *  3      before its station event lists are     timetables     1 build on first use,
 *         built (files that leave them out)                     0 build and sort now,
 *                                                               3 the same with progress,
 *                                                               4 build with progress,
 *                                                               sort on first use,
 *                                                               other: build, sort later
 *  4      the timetable and its extensions are   timetables     ignored
 *         loaded
 *  5      QoInit/QoInit2 end with timetables     timetables     ignored
 *         loaded
 *  6      before an extension file is read       path (char*)   1 skip it, 3 with progress
 *  7      the extension's type is known          type           1 skip it
 *  8      the extension file was read            its image      1 drop it
 *                                                (counted array,
 *                                                see QoVerifyBuffer)
 *  9      the extension is attached              timetables     ignored
 *  10     progress of a read or build            per mille      ignored
 *
 * "timetables" is QoQoCount() at that moment, so the new timetable's index
 * is value - 1 at events 1 and 2. The new timetable joins the set only once
 * its file is read whole: during the read progress of event 0's answer 3,
 * QoQoCount() does not count it yet. An error of a failed file (1, 2, 25)
 * is set the moment the file fails, so later events already read it with
 * QoPeekError(). The callback may close timetables with
 * QoCloseQo(i, 0), the one being loaded included (which cancels it); other
 * indexes move down as usual. A NULL callback answers 0 to everything. */
typedef intptr_t (*QoLoadCallback)(int event, intptr_t value);

/* One timetable file of the list that QoMakeListExt builds. 104 bytes on
 * 64-bit systems (the text fields are pointers). */
typedef struct tagTIMETABLEFILE_REC {
  char* path; /* 0: full path of the file */
  char* name; /* 8: display name, in the current text mode */
  int id;     /* 16: timetable id */
  int kind;   /* 20: 1 rail, 2 bus, 3 city transport, 4 air */
  int area;   /* 24 */
  struct {
    int day, month, year; /* all 0 for no date */
  } dates[5];             /* 28: created, data from, data to, first and last day of validity */
  char* description;      /* 88: description text of the file, or NULL */
  int description_value;  /* 96: the number stored after the description */
} TIMETABLEFILE_REC;

/* Loads every file matching "*.qo" in `directory` (NULL: the data
 * directory, at first the library's own) that is not hidden and is a plain
 * file, in name order; a directory given becomes the data directory (a
 * missing trailing separator is added). Then event 5, the sort of the set
 * (QoNameCompare) and the re-index. A file already loaded from the same
 * path (letter case ignored) with the same id is skipped silently. Returns
 * QoQoCount(). A file that cannot be opened sets error 1, one that is no
 * timetable file or is damaged error 2, a damaged extension file error 25;
 * the other files load all the same. Failure: 0 with error 31 on an
 * internal fault (the timetables loaded so far stay, not re-indexed). */
QO_API int QoInit(const char* directory, QoLoadCallback callback);

/* QoInit for `count` paths (relative ones are taken from the current
 * directory), loaded in turn. Nothing happens for count < 1. Returns and
 * errors as QoInit. */
QO_API int QoInit2(const char* const* paths, int count, QoLoadCallback callback);

/* Closes every timetable and loads the extension file at `path` alone into
 * a new empty timetable 0 (its owner id must be 0 or -1). Returns 1. Failure:
 * 0, with every timetable closed; error 25 for a file that is no extension
 * file, none for one that cannot be opened or that the callback or
 * QoSkipExtension refuses; 31 on an internal fault. */
QO_API int QoLoadExtension(const char* path, QoLoadCallback callback);

/* Closes timetable `index` and frees everything it holds; the timetables
 * after it move down by one. With `reindex` nonzero the set is re-indexed
 * (as after loading: search parameters reset to the defaults, same-named
 * stations marked); with 0 only what refers to other timetables is rebuilt,
 * for callers that close several or close from inside a load (same-named
 * stations keep their marks until the next full re-index). Returns 1.
 * Failure: 0 with error 3 for a bad index, 31 on an internal fault. */
QO_API int QoCloseQo(int index, int reindex);

/* Closes every timetable, the last first, and re-indexes once. Sets error
 * 31 on an internal fault. */
QO_API void QoCloseData(void);

/* Checks the CRC-32 of timetable `index`'s file as loaded (see
 * QoVerifyBuffer). *crc (may be NULL) gets the computed CRC, 0 on failure.
 * Returns 1 when it matches. Failure: 0; error 3 for a bad index, 31 on an
 * internal fault. */
QO_API int QoVerifyCrc(int index, int* crc);

/* Checks a file image given as a counted array (the pointer to its first
 * byte, preceded by the 8-byte header {byte size; count}, as event 8 of the
 * load callback passes it): the CRC-32 of all bytes but the last four must
 * equal those four (little-endian). *crc (may be NULL) gets the computed
 * CRC. Returns 1 when they match, else 0. Failure: 0 with *crc 0 and error
 * 24 for a NULL image or one of 4 bytes or fewer; 31 on an internal fault. */
QO_API int QoVerifyBuffer(const void* image, int* crc);

/* Lists the timetable files matching `pattern` ('\' and '/' separate
 * directories, the file mask ignores case; NULL: "*.qo" in the data
 * directory), skipping hidden files and files that are no timetable files.
 * When the pattern's directory holds none and `depth` is above 0, its
 * subdirectories are searched with depth - 1, until a level finds files.
 * Each entry's name is the timetable's name in the language of `language`
 * (else the first data language); with `decoration` nonzero its decoration
 * goes in front ("decoration - name"); with `decoration` negative the
 * description is not read. Sorted by kind, area and first data day, or by
 * name after QoNameCompare(1). *list (may be NULL) gets the entries, NULL
 * when there are none. Returns their number. Failure: 0 with error 31 on an
 * internal fault. Lifetime: the list and its texts are kernel-owned until
 * the next QoMakeListExt or QoMakeList call. */
QO_API int QoMakeListExt(const char* pattern, char language, TIMETABLEFILE_REC** list, int depth,
                         int decoration);

/* QoMakeListExt with `decoration` 0. */
QO_API int QoMakeList(const char* pattern, char language, TIMETABLEFILE_REC** list, int depth);

/* Chooses how later loads sort the set and QoMakeListExt sorts its list:
 * nonzero by name (decoration, then path), 0 by kind, area, first data day
 * and path (the initial order). Returns 1 or 0 accordingly. Never fails. */
QO_API int QoNameCompare(int by_name);

/* From now on every load skips extension files of `type` (2 fares, 3 GIS
 * map, 4 station keys, 5 QMap; 0..5 accepted, others ignored). Never
 * fails. */
QO_API void QoSkipExtension(int type);

/* 1 when timetable `index`'s file lies on a network file system, else 0.
 * Failure: 0 with error 3 for a bad index. */
QO_API int QoLoadedFromNetwork(int index);

/* 1 when the last re-index linked a city-transport timetable to the town
 * of another loaded timetable, else 0. Never fails. */
QO_API int QoHasLinkedCity(void);

/* ---- Timetable information --------------------------------------------- */

/* A date as day, month and year; all 0 for no date. */
typedef struct tagDMY_REC {
  int day, month, year;
} DMY_REC;

/* What QoQoInfo tells of a loaded timetable. The field order is fixed;
 * the pointers are pointer-sized, so the record has 132 bytes on 32-bit and
 * 152 bytes on 64-bit systems (offsets below are the 64-bit ones). Texts are
 * in the current text mode; the per-language arrays have language_count
 * entries, in the order of `letters`. */
typedef struct tagTIMETABLEINFO_REC {
  char* path;              /* 0: the timetable file's path */
  int id;                  /* 8 */
  int kind;                /* 12: 1 rail, 2 bus, 3 city transport, 4 air */
  int area;                /* 16 */
  int variant;             /* 20 */
  DMY_REC created;         /* 24 */
  DMY_REC data_from;       /* 36 */
  DMY_REC data_to;         /* 48 */
  DMY_REC first_day;       /* 60: first day of validity */
  DMY_REC last_day;        /* 72: last day of validity */
  int language_count;      /* 84: N data languages */
  char* letters;           /* 88: their N letters ("CEG") */
  char** names;            /* 96: the timetable's name per language (499 characters at most) */
  char** descriptions;     /* 104: its description per language, lines split by '|' */
  char code[8];            /* 112: the timetable code, not NUL-terminated at 8 bytes */
  int station_count;       /* 120 */
  int train_count;         /* 124 */
  int has_distances;       /* 128: 1 when trains carry distances */
  int has_station_remarks; /* 132: 1 when stations have remarks */
  int has_train_station_remarks; /* 136: 1 when trains have remarks at stations */
  int has_change_times;          /* 140: 1 when the timetable has default change times */
  char** decorations;            /* 144: per language the decoration, a second title shown
                                    before the name: its own, else language 0's; NULL when
                                    there is none */
} TIMETABLEINFO_REC;

/* Describes timetable `index`. Returns the kernel's one information record,
 * the same address on every call. Failure: NULL with error 3 for a bad
 * index, 31 on an internal fault. Lifetime: the record and its texts are
 * kernel-owned until the next QoQoInfo call, which rebuilds them. */
QO_API TIMETABLEINFO_REC* QoQoInfo(int index);

/* The kind of timetable `index` (1 rail, 2 bus, 3 city transport, 4 air);
 * *area (may be NULL) gets its area. Failure: 0 with error 3. */
QO_API int QoTrCategory(int index, int* area);

/* The position of language `letter` among the timetable's data languages;
 * 0 when it has no such language (its first language serves). Failure: 0
 * with error 3. */
QO_API int QoGetLangIndex(int index, char letter);

/* The number of extension files attached to the timetable. *list (may be
 * NULL) gets their paths (NULL when there are none). Failure: 0 with error
 * 3. Lifetime: the list is kernel-owned until the next QoGetExtensions. */
QO_API int QoGetExtensions(int index, char*** list);

/* The type of attached extension file i (0..QoGetExtensions()-1): 2 fares,
 * 3 GIS map, 4 station keys, 0 any other (a QMap file). Failure: 0 with
 * error 3 for a bad timetable, 20 for i out of range. */
QO_API int QoGetExtensionType(int index, int i);

/* The path of the timetable's resource library: its file's directory (up
 * to the last '/' or '\') and the library's stored name. Failure: NULL with
 * error 3. Lifetime: kernel-owned until the next QoGetResExtension. */
QO_API const char* QoGetResExtension(int index);

/* The decoration of data language `language` (0..N-1; its own, else
 * language 0's), at most 79 characters, converted; "" when there is none.
 * Failure: NULL with error 3 for a bad timetable, 5 for a bad language, 31
 * on an internal fault. Lifetime: kernel-owned until the next
 * QoGetDecoration. */
QO_API const char* QoGetDecoration(int index, int language);

/* Over the loaded timetables of `kind` and `area` (every timetable when
 * kind is 0): the earliest first day of validity into *from and the latest
 * last day into *to (either may be NULL); both all 0 when none qualifies.
 * Never fails. */
QO_API void QoGetValidityRange(int kind, int area, DMY_REC* from, DMY_REC* to);

/* ---- Stations ---------------------------------------------------------- */

/* Stations are numbered 0..QoStCount()-1. Every call taking a station sets
 * error 3 for a bad timetable and 4 for a station out of range. */

/* The number of stations. Failure: 0 with error 3. */
QO_API int QoStCount(int timetable);

/* The station's name as shown, in the process-wide region display mode,
 * converted. Failure: NULL with error 3; "" with error 4. Lifetime:
 * kernel-owned until the next QoStName. */
QO_API const char* QoStName(int timetable, int station);

/* The station's key (stable across timetables and versions). Failure: 0
 * with error 3 or 4. */
QO_API int QoStKey(int timetable, int station);

/* The key as text: "" for key 0; in an air timetable the key's four bytes
 * as letters, lowest first ("PRG"); otherwise decimal. Failure: NULL with
 * error 3; "" with error 4. Lifetime: kernel-owned until the next
 * QoStKeyChar. */
QO_API const char* QoStKeyChar(int timetable, int station);

/* The timetable's station keys (one int per station, preceded by the
 * 8-byte counted-array header), NULL when it has none. Failure: NULL with
 * error 3. Lifetime: while the timetable is loaded. */
QO_API const int* QoStKeys(int timetable);

/* The first station with `key`, -1 when none. Failure: -1 with error 3. */
QO_API int QoSearchStKey(int timetable, int key);

/* Stations that the station-key extension lists under `key` in `column`
 * (1 TCV keys, 2 reservation keys); when it lists none (or there is no
 * extension, or another column is given), the station with `key` itself,
 * when there is one. *count (may be NULL) gets their number. Failure: NULL
 * with error 3. Lifetime: kernel-owned until the next QoSearchStKeyEx. */
QO_API const int* QoSearchStKeyEx(int timetable, int key, int column, int* count);

/* The station's TCV key from the station-key extension; its own key when
 * the extension does not list it. Failure: 0 with error 3, 4, or 23 when
 * the timetable has no station-key extension or no station keys. */
QO_API int QoStTCVKey(int timetable, int station);

/* The same with the reservation-key column. */
QO_API int QoStReservKey(int timetable, int station);

/* The station's time shift in minutes for `value`: with shift lists, the
 * last entry whose limit is at least the value (the first entry when none
 * is); otherwise the station's single shift; 0 without shifts. Failure: 0
 * with error 3 or 4. */
QO_API int QoStTimeShift(int timetable, int station, int value);

/* The station's type word. Failure: 0 with error 3 or 4; 0 without type
 * words. */
QO_API int QoStType(int timetable, int station);

/* The timetable's station type words (one unsigned short per station,
 * preceded by the counted-array header), NULL when it has none. Failure:
 * NULL with error 3. Lifetime: until the set of loaded timetables changes. */
QO_API const unsigned short* QoStTypes(int timetable);

/* The station's remark, converted; "" when it has none. Failure: NULL with
 * error 3; "" with error 4. Lifetime: kernel-owned until the next QoStRem. */
QO_API const char* QoStRem(int timetable, int station);

/* Looks for "{tag}" (NULL tag: "I") in the station's remark. Returns 1
 * when found: *text gets what follows the tag up to the next '{', cut at a
 * '|', and *second what follows that '|' ("" without one); either out may
 * be NULL. Returns 0 when the station has no remark or the remark lacks the
 * tag (both outs ""). Failure: 0 with error 3 or 4. Lifetime: the texts are
 * kernel-owned until the next QoStRemType. */
QO_API int QoStRemType(int timetable, int station, const char* tag, const char** text,
                       const char** second);

/* The station's fare-zone text, converted. The remark's "{Z}" part (the
 * whole remark when it has no tags; "" when it has other tags only) holds
 * either the zone or a list "[n]zone[m]zone..." from which the first zone
 * with n at least the threshold is taken. The threshold: when the timetable
 * has zone lines and `line` is not (const char*)-1, the line (train's main
 * number for train >= 0, else the text `line`, 9 characters at most; NULL
 * or "" gives none) picks the threshold of the first zone line that names
 * it by text or number, and a line that no zone line names gives ""; in
 * every other case `train` itself is the threshold. Failure: NULL with
 * error 3; "" with error 4, or 6 for a train beyond the timetable's.
 * Lifetime: kernel-owned until the next QoStZone. */
QO_API const char* QoStZone(int timetable, int station, int train, const char* line);

/* Shortest distances over the timetable's station graph from `station` to
 * every station: *distances (may be NULL) gets one int per station, in the
 * units of the arc lengths (metres), 0x7FFFFFFF for a station that cannot
 * be reached; *predecessors (may be NULL) the station before each on a
 * shortest path, -1 for `station` itself, 0 for one never reached. With
 * `transfer` nonzero, walking links join stations at distance 0. Both
 * arrays are counted arrays (8-byte header before the first element).
 * Returns 1. Failure: 0 with both outs NULL; error 3, 4, 23 when the
 * timetable has no station graph, 31 on an internal fault. Lifetime:
 * kernel-owned until the next QoGetStationDist. */
QO_API int QoGetStationDist(int timetable, int station, int** distances, int** predecessors,
                            int transfer);

/* ---- Station and place search ------------------------------------------ */

/* The first station whose shown name (region display mode, see
 * QoSetRegMode) equals `text` exactly, -1 when none. Failure: -1 with
 * error 3, 31 on an internal fault. */
QO_API int QoSearchStationName(int timetable, const char* text);

/* 1 when stations a and b are the same station or their names are equal
 * ignoring case (and equally long), else 0. Failure: 0 with error 3 or 4. */
QO_API int QoStationsEqual(int timetable, int a, int b);

/* The name search of place inputs: the first station (list -1) or item of
 * virtual list `list` at or after `start` whose name matches `text` (99
 * characters at most), -1 when none. `language` is the data language of the
 * item texts. With `fold` nonzero diacritics are ignored, unless the text
 * carries diacritics itself (in text modes up to 3). `filter` (may be NULL)
 * holds one byte per candidate; a candidate whose byte is 0 is passed over.
 * The text's words must begin the name's words in order ("brno kr" finds
 * "Brno-Královo Pole"; "praha hlavni" finds "Praha hl.n."). Leading '*'
 * searches anywhere in the name, leading '@' keeps domestic places only. A
 * text with '[' is matched against names with the second part of their
 * region ("Nová Ves [Kolín]"), one with "[*" against names with the whole
 * region, where a word "[*x" matches any region part containing x.
 * Failure: -1 with error 3, 14 for a bad list, 5 for a bad language, 20
 * for a negative start, 31 on an internal fault. */
QO_API int QoSearchStation(int timetable, int list, int language, int start, const char* text,
                           int fold, const unsigned char* filter);

/* A place by key, then by name: a nonzero key is looked up first (with
 * item kinds, only an item whose text equals `text` is taken when a text is
 * given); a list with keys that lacks the key gives -1. Otherwise the first
 * candidate whose shown name (QoItemName) equals `text`. -1 when none.
 * Failure: -1 with error 3, 14, 5, 31. */
QO_API int QoSearchStation2(int timetable, int list, int language, int key, const char* text);

/* The first station (list -1) or item with `key`: items of positive kind
 * are passed over; a list of kind 3 without keys is searched by its items'
 * station keys. -1 for key 0 and when none. Failure: -1 with error 3, 14. */
QO_API int QoSearchKey(int timetable, int list, int key);

/* ---- Virtual lists and regions ----------------------------------------- */

/* Virtual lists are numbered 0..QoVirtListCount()-1; list -1 stands for
 * the plain station list, whose items are the stations. List types: 1
 * towns, 2 stops, 3 the list that extends the stations; a timetable's own
 * types 4..999 are renumbered type + kind * 100000 + area * 1000. Every call
 * sets error 3 for a bad timetable and 14 for a bad list. */

/* The number of virtual lists. Failure: 0 with error 3. */
QO_API int QoVirtListCount(int timetable);

/* The list a place input starts with: the last list of type 2 (modulo
 * 1000), else the last of type 1, else of type 3, else 0; -1 when the
 * timetable has no lists. Failure: -1 with error 3. */
QO_API int QoDefaultVirtList(int timetable);

/* The first list of type 3 (modulo 1000), -1 when none. Failure: -1 with
 * error 3. */
QO_API int QoStationsExtVirtList(int timetable);

/* type > 0: the first list of that type; otherwise the first list whose
 * name in data language `language` equals `name` ignoring case. -1 when
 * none. Failure: -1 with error 3, 5. */
QO_API int QoSearchVirtList(int timetable, int language, int type, const char* name);

/* Describes a list: *type, *count (items) and *name (in data language
 * `language`, else language 0's; 99 characters at most, converted); each
 * out may be NULL. List -1 gives type 0, the station count and a NULL name.
 * Returns 1. Failure: 0 with error 3, 14, 5. Lifetime: the name is
 * kernel-owned until the next QoVirtListInfo. */
QO_API int QoVirtListInfo(int timetable, int list, int language, int* type, int* count,
                          const char** name);

/* The text of an item as a place input shows it, built by the item's kind
 * (its own name, or its first station's name whole, cut at a comma or with
 * its comma parts swapped), with the region part that the region display
 * mode chooses; converted. Failure: NULL with error 3, 14 (also for list
 * -1), 5; "" with error 22 for an item out of range; 31 on an internal
 * fault. Lifetime: kernel-owned until the next QoVirtListItem. */
QO_API const char* QoVirtListItem(int timetable, int list, int language, int item);

/* QoStName for list -1, else QoVirtListItem; errors and failure values as
 * those (4 for a station out of range). Lifetime: kernel-owned until the
 * next QoItemName. */
QO_API const char* QoItemName(int timetable, int list, int language, int item);

/* 1 when the item's (first) station is not domestic (type bits 0x02 or
 * 0x08), else 0. Failure: 0 with error 3, 14, 22 for an item (4 for a
 * station) out of range. */
QO_API int QoVirtListItemIntl(int timetable, int list, int item);

/* The item's stored key; QoStKey for list -1. 0 when the list has no keys
 * or the item lies beyond them. Failure: 0 with error 3, 14, 4. */
QO_API int QoVirtListItemKey(int timetable, int list, int item);

/* The item's key as mapping and global search use it: its stored key; in
 * a list of type 3 without keys, its first station's key; else 0. QoStKey
 * for list -1. Failure: 0 with error 3, 14, 4. */
QO_API int QoVirtListItemKeyEx(int timetable, int list, int item);

/* The item's stations: returns their number (0 for an item out of range),
 * *stations (may be NULL) points at the first, *bytes (may be NULL) at one
 * byte per station when the list carries them, else NULL. The arrays lie
 * in the timetable's data; for list -1 the one station lies in a kernel
 * buffer. Failure: 0 with error 3, 14. Lifetime: while the timetable is
 * loaded (list -1: until the next call). */
QO_API int QoVirtListItemStations(int timetable, int list, int item,
                                  const unsigned short** stations, const unsigned char** bytes);

/* The item of list `target` (of the same timetable) that stands for the
 * same place as item `item` of `list`; the item's first station for target
 * -1. Parts of towns map to parts of towns, and in lists of type 3 an item
 * of as many stations is preferred. -1 when none. Failure: -1 with error
 * 3, 14, 22 for an item (4 for a station) out of range, 31. */
QO_API int QoMapVirtListItem(int timetable, int list, int item, int target);

/* The item (or station) of timetable `target_timetable` for item `item` of
 * `list`, mapped by key, by the stations the item's station links to, or
 * by name. *target_list is the target list (-1 stations); -2 (or a NULL
 * pointer) lets the kernel choose the list of the same type, and receives
 * the choice. -1 when nothing maps. Failure: -1 with error 3, 14 (also for
 * a target list below -2), 22 or 4 for an item out of range, 31. */
QO_API int QoMapVirtListItem2(int timetable, int list, int item, int target_timetable,
                              int* target_list);

/* The item of the first list of type 3 that holds the station, with that
 * list in *list (may be NULL); without one, the station mapped into list 0
 * (*list 0). -1 when none. Failure: -1 with error 3, 4, 31. */
QO_API int QoMapStation(int timetable, int station, int* list);

/* The station's region index, -1 for none and for a station out of range.
 * Failure: -1 with error 3. */
QO_API int QoStReg(int timetable, int station);

/* The number of region texts. Failure: 0 with error 3. */
QO_API int QoRegCount(int timetable);

/* Region text `region` ("first part-second part" or one part), 49
 * characters at most, converted; "" for an index out of range. Failure:
 * NULL with error 3. Lifetime: kernel-owned until the next QoRegName. */
QO_API const char* QoRegName(int timetable, int region);

/* Sets the region display mode of shown names and item texts (0 by the
 * station's type bits, 1 whole region, 2 none, 3 second part, 4 second part
 * alone) and returns it. Never fails. */
QO_API int QoSetRegMode(int mode);

/* The region display mode. Never fails. */
QO_API int QoGetRegMode(void);

/* ---- Global lists and global search ------------------------------------ */

/* A place found by global search: timetable, virtual list, item. 6 bytes,
 * packed; the program keeps it in its place inputs, history and presets. */
#pragma pack(push, 1)
typedef struct tagGLOBALSEARCH_REC {
  unsigned char timetable; /* 0: timetable index */
  unsigned char list;      /* 1: virtual list of that timetable */
  int item;                /* 2: item of that list */
} GLOBALSEARCH_REC;
#pragma pack(pop)

/* Selections below are arrays of one int per loaded timetable (nonzero =
 * selected), or NULL for every timetable. `language` is a language letter,
 * taken as each timetable's data language (QoGetLangIndex). */

/* Builds the global lists: each list type of the selected timetables once,
 * named in `language` (names of one type from several timetables joined by
 * "/"; names that could be confused carry their timetable's decoration in
 * parentheses), sorted. *types and *names (each may be NULL) get the types
 * and names (counted arrays; NULL when there are none), *default_type the
 * type a place input starts with (1 when every selected timetable has
 * towns, else 2 when every one has stops, else the first of type 3, else
 * the first; 0 for none). Returns the number of lists. Failure: 0 with
 * error 31. Lifetime: kernel-owned until the next QoGlobalLists, or until
 * the next QoGlobalListID, QoGlobalListName or QoSearchGlobalList after the
 * loaded timetables changed (which rebuild them for all timetables in
 * Czech). */
QO_API int QoGlobalLists(const int* selection, char language, int** types, char*** names,
                         int* default_type);

/* The type of global list `index`; 0 when out of range (no error). Builds
 * the global lists (all timetables, Czech) when there are none. */
QO_API int QoGlobalListID(int index);

/* The name of global list `index`, converted; NULL when out of range (no
 * error). Builds the lists as QoGlobalListID. Lifetime: as QoGlobalLists. */
QO_API const char* QoGlobalListName(int index);

/* The first global list of `type` (0: not given) or named `name` byte for
 * byte (NULL: not given); -1 when none. Builds the lists as QoGlobalListID. */
QO_API int QoSearchGlobalList(int type, const char* name);

/* Starts a global search for `text` (the syntax of QoSearchStation) in the
 * first list of `type` of each selected timetable. Returns 1. Failure: 0
 * with error 21 when no selected timetable has such a list, 31. The search
 * lives until the next QoInitGlobalSearch or QoGlobalIndex, or until the
 * loaded timetables change. */
QO_API int QoInitGlobalSearch(const int* selection, int type, char language, const char* text,
                              int fold);

/* The next place of the running global search into *place (may be NULL):
 * places in name order (Czech collation; towns and stops in the order of
 * their name parts, "Brno" < "Brno, Bystrc" < "Brno/Bystrc"), a place that
 * several timetables hold under the same text and key once (from the lowest
 * timetable index). Returns 1, or 0 when there are no more (or the loaded
 * timetables changed since the start). Sets no error but 31. */
QO_API int QoGlobalSearch(GLOBALSEARCH_REC* place);

/* Every item of the first list of `type` of each selected timetable, in
 * the order of QoGlobalSearch and each place once, into *entries (may be
 * NULL); with `kinds` not NULL, *kinds gets one byte per entry with bit
 * 1 << kind (2 rail, 4 bus, 8 city, 16 air) of every timetable that holds
 * the place. Ends a running global search. Returns the number of entries
 * (the kind array may be longer). Failure: 0 with *entries NULL and error
 * 21 when no selected timetable has such a list or they are all empty, 31.
 * Lifetime: both arrays (counted arrays) are kernel-owned until the next
 * QoGlobalIndex. */
QO_API int QoGlobalIndex(const int* selection, int type, char language, GLOBALSEARCH_REC** entries,
                         unsigned char** kinds);

/* ---- Trains, train types and routes ------------------------------------ */

/* Trains are numbered 0..QoTrCount()-1. Every call taking a train sets
 * error 3 for a bad timetable, 5 for a language index outside
 * 0..language_count-1 and 6 for a train out of range. Out arguments may be
 * NULL. Texts are converted to the text mode unless said otherwise. */

/* The number of trains. Failure: 0 with error 3. */
QO_API int QoTrCount(int timetable);

/* The train's number (*number), second number or name (*name) and type
 * abbreviation (*type), at most 39 characters each, in data language
 * `language` (language 0's text where that one is empty); *type_bit the
 * lowest bit of its type word that names a type (0 when none); with
 * physical types the abbreviation is the physical type's and
 * *physical_type that type, else *physical_type is the type bit. Failure:
 * the outs untouched; error 3, 5, 6, or 31 on an internal fault. Lifetime:
 * the texts are kernel-owned until the next QoTrainInfoExt. */
QO_API void QoTrainInfoExt(int timetable, int language, int train, const char** number,
                           const char** name, const char** type, int* type_bit, int* physical_type);

/* QoTrainInfoExt without the physical type. Lifetime: until the next
 * QoTrainInfo. */
QO_API void QoTrainInfo(int timetable, int language, int train, const char** number,
                        const char** name, const char** type, int* type_bit);

/* A packed number table as stored: a number per train, printed with
 * number_format when it is 0 or more, else text ~value of the pool (offsets
 * and characters) printed with text_format. The arrays are counted arrays
 * (8-byte header before the first element) inside the timetable's data,
 * which keeps no alignment; values is NULL for an absent table. Each format
 * holds exactly one conversion (an integer one, a string one) at most two
 * digits wide, not NUL-terminated at 10 characters. 48 bytes on 64-bit
 * systems, 32 on 32-bit. */
typedef struct tagPACKEDNUMBERS_REC {
  const int* values;       /* 0 */
  const int* text_offsets; /* 8 */
  const char* text_chars;  /* 16 */
  char number_format[10];  /* 24 */
  char text_format[10];    /* 34 */
} PACKEDNUMBERS_REC;

/* The number of trains; *main_numbers and *second_numbers get the two
 * number tables. Failure: 0 with error 3. Lifetime: the records are
 * kernel-owned until the next QoTrainNums; the arrays they point to live
 * while the timetable is loaded. */
QO_API int QoTrainNums(int timetable, const PACKEDNUMBERS_REC** main_numbers,
                       const PACKEDNUMBERS_REC** second_numbers);

/* The train's texts as they hold at `station` (negative: as stored): with
 * `type` asked, the type in force there for a train that changes type along
 * its route; the number of the station's region; the number announced by
 * the train's remarks up to the station (the number shown before goes into
 * the name after its first '/'); a group variant without remarks of its own
 * shows the train before it. With `from` or `to` (-1 for none) the name is
 * rebuilt from the numbers the train runs under between them. Returns 1.
 * Failure: 0; error 3, 5, 6, 4 for a station, from or to beyond the
 * timetable's, 31 on an internal fault. Lifetime: the texts are
 * kernel-owned until the next QoTrainStationInfoExt. */
QO_API int QoTrainStationInfoExt(int timetable, int language, int train, int station, int from,
                                 int to, const char** number, const char** name, const char** type,
                                 int* type_bit, int* physical_type);

/* QoTrainStationInfoExt without from, to and the physical type. Lifetime:
 * until the next QoTrainStationInfo. */
QO_API int QoTrainStationInfo(int timetable, int language, int train, int station,
                              const char** number, const char** name, const char** type,
                              int* type_bit);

/* 1 when the timetable has second numbers, else 0. Failure: 0 with error
 * 3. */
QO_API int QoHaveNum2(int timetable);

/* The number of train types (type bits). Failure: 0 with error 3. */
QO_API int QoTrTypeCount(int timetable);

/* Abbreviation and description of train type `type` in data language
 * `language`, each language 0's where that one is empty; both "" for a type
 * the timetable lacks. Not converted: Windows-1250. Failure: the outs
 * untouched; error 3 or 5. Lifetime: kernel-owned until the next
 * QoTrTypeInfo. */
QO_API void QoTrTypeInfo(int timetable, int language, int type, const char** abbreviation,
                         const char** description);

/* The number of physical (vehicle) types, or of train types when the
 * timetable has none. Failure: 0 with error 3. */
QO_API int QoTrTypePhysCount(int timetable);

/* QoTrTypeInfo for a physical type; the train types stand in when the
 * timetable has no physical types. Lifetime: until the next
 * QoTrTypePhysInfo. */
QO_API void QoTrTypePhysInfo(int timetable, int language, int type, const char** abbreviation,
                             const char** description);

/* One stop of a route, 16 bytes. */
typedef struct tagROUTE2_REC {
  unsigned short station; /* 0 */
  short arrival;          /* 2: minute of day, -1 where the train only departs */
  short departure;        /* 4: minute of day, -1 at the last stop */
  short arrival_day;      /* 6: midnights crossed since the first stop */
  short departure_day;    /* 8 */
  unsigned short flags;   /* 10: 0x0800 no boarding, 0x1000 no alighting,
                             0x4000, 0x8000 marks or notes at the stop */
  int distance;           /* 12: metres from the first stop, -1 without distances */
} ROUTE2_REC;

/* The train's route, one record per stop: a stop with arrival and departure
 * is one record; the first stop has arrival -1, the last departure -1.
 * *route gets the records. Returns their number. Failure: 0 with *route
 * NULL; error 3, 6, 31 on an internal fault. Lifetime: kernel-owned until
 * the next QoTrainRoute. */
QO_API int QoTrainRoute(int timetable, int train, ROUTE2_REC** route);

/* The train's route by regions: per stop word the station's region index
 * (*regions, -1 none) and the distance from the first stop in metres
 * (*distances); with `changes_only` only the first and last stop and the
 * stops whose region differs from the stop before or after. Returns the
 * number of entries, 0 when the timetable has no regions or the train no
 * distances. Failure: 0; error 3, 6, 31. Lifetime: kernel-owned until the
 * next QoTrainRegDist. */
QO_API int QoTrainRegDist(int timetable, int train, int changes_only, int** regions,
                          int** distances);

/* Metres the train drives inside the regions selected by `selection` (one
 * int per region, nonzero = selected; NULL: its whole route). A stretch
 * across the selection's border counts by `mode`: 0 half of it in whole
 * kilometres (an odd kilometre goes to the region with the higher index),
 * 1 all of it when leaving the selection, 2 all of it when entering.
 * *start_minute (may be NULL) gets the minute the train leaves its first
 * stop. Failure: -1 when the train has no distances or a selection is given
 * for a timetable without regions; error 3, 6, 8 for another mode, 31. */
QO_API int QoTrainRegDist2(int timetable, int train, int mode, const int* selection,
                           int* start_minute);

/* 1 when every stop of the train is domestic (or it has none), 2 when
 * every stop is foreign (station type 0x02), 3 when both occur. Failure: 0
 * with error 3 or 6. */
QO_API int QoTrTypeIntl(int timetable, int train);

/* The type words of the trains (one per train, preceded by the 8-byte
 * counted-array header); NULL without type words. Bits below the type count
 * are type bits; 0x20000000 marks a train that runs on no further day
 * (QoSetInvalid). Failure: NULL with error 3. Lifetime: while the timetable
 * is loaded (QoSetInvalid may move it once). */
QO_API const unsigned int* QoTrTypes(int timetable);

/* The train's type word; 0 without type words. Failure: 0 with error 3 or
 * 6. */
QO_API unsigned int QoTrType(int timetable, int train);

/* Marks with 0x20000000 the trains that run on no day from `first_day` (a
 * day number; 0 or less: today; an earlier day counts from the first day
 * of validity) to the last day of validity, and clears the mark on the
 * others. The timetable's file data stay as read. Returns the number of
 * trains marked. Failure: 0 with error 3 or 31. */
QO_API int QoSetInvalid(int timetable, int first_day);

/* The next train whose number text begins with `text` (trimmed, at most 99
 * characters; its diacritics ignored when `fold` is set and the text has
 * none, or the text mode drops them), whose main number equals the number
 * the text begins with, or, in rail timetables, whose second number begins
 * with the text; among trains whose type word lies inside `type_mask` (-1:
 * all). Searches `list` (count trains) or, when NULL, all trains, from
 * position `start` (negative: 0). Returns the position in the list (or the
 * train), -1 when none matches. Failure: -1; error 3, 6 for a list entry
 * that names no train, 31. */
QO_API int QoSearchTrain(int timetable, int start, const char* text, int fold, int type_mask,
                         const int* list, int count);

/* The train numbered `number` of the owner whose description (language 0)
 * holds `owner`, with its type word inside `type_mask`, that shows the
 * number at one of its domestic stops; failing that, a train whose second
 * number lists "/number". Of its group the last variant that runs on `date`
 * (a day number within the validity), else the train found. `reserved` is
 * not read. Returns the train, -1 when none. Failure: -1 with error 3 or
 * 31. */
QO_API int QoSearchCurrentTrain(int timetable, int number, const char* owner, int type_mask,
                                int date, int reserved);

/* ---- Remarks, owners, lines and fields --------------------------------- */

/* Errors as for trains: 3 timetable, 5 language, 6 train; 4 for a station
 * out of range. Texts are converted to the text mode unless said
 * otherwise. */

/* The number of remarks with a text that the train has at `station`.
 * Failure: 0 with error 3, 4 or 6. */
QO_API int QoTrStRemCount(int timetable, int train, int station);

/* The n-th of those remarks: *code its code (up to 4 characters; a first
 * character below 0x20 is a flag byte), *text its text in the language
 * (at most 255 characters, "" when that language has none). Returns 1, 0
 * when there is no n-th remark. Failure: 0; error 3, 4, 5, 6, 31.
 * Lifetime: kernel-owned until the next QoTrStRemExt. */
QO_API int QoTrStRemExt(int timetable, int language, int train, int station, int n,
                        const char** code, const char** text);

/* QoTrStRemExt with n = 0. Lifetime: until the next QoTrStRem. */
QO_API int QoTrStRem(int timetable, int language, int train, int station, const char** code,
                     const char** text);

/* The number of general remarks of the train. Failure: 0 with error 3 or
 * 6. */
QO_API int QoTrRem1Count(int timetable, int train);

/* General remark i of the train in the language (language 0's when the
 * timetable has no texts in it), without its control part; bracketed
 * service codes are written out. Failure: NULL; error 3, 5, 6, 20 for i
 * outside 0..QoTrRem1Count()-1. Lifetime: until the next QoTrRem1. */
QO_API const char* QoTrRem1(int timetable, int language, int train, int i);

/* QoTrRem1 with a leading "$" taken off (*flag 1, else 0) and then a
 * leading code in braces ("{L}") taken off into *code ("" when none).
 * Lifetime: the texts until the next QoTrRem1Process. */
QO_API const char* QoTrRem1Process(int timetable, int language, int train, int i, int* flag,
                                   const char** code);

/* QoTrRem1Process when the remark holds for a journey on the train from
 * station `from` to station `to` (-1 for none) on `date` (a day number, 0
 * for none): a remark limited to a section of the route holds when the
 * section and the journey share a stretch, one limited to a calendar class
 * when that class runs on the date; owner remarks hold only with bit 0 of
 * `flags` set, the others only without it. *control gets the remark's
 * control part (the codes after "\xA4\xA4", unconverted Windows-1250; ""
 * when none). Returns NULL when the remark is empty or does not hold; errors
 * as QoTrRem1, and 4 for a station beyond the timetable's. Lifetime: until
 * the next QoTrRem1ProcessExt. */
QO_API const char* QoTrRem1ProcessExt(int timetable, int language, int train, int from, int to,
                                      int date, int i, int flags, int* flag, const char** code,
                                      const char** control);

/* The owners (carriers) of the train on the journey from `from` to `to`
 * (-1 for none) on `date` (a day number, 0 for none): those its owner
 * remarks name, in order, *texts[k] the sections they give for owner k
 * (several joined by ", "; NULL for none); without owner remarks the train's
 * own owner, without text. *owners gets the owner indexes. Returns their
 * number, 0 when the train has none. Failure: 0; error 3, 4, 6, 31.
 * Lifetime: both arrays kernel-owned until the next QoTrOwnerExt. */
QO_API int QoTrOwnerExt(int timetable, int train, int from, int to, int date, const int** owners,
                        const char* const** texts);

/* 1 when the timetable's general remarks hold line remarks ("{L}"), else 0.
 * Failure: 0 with error 3. */
QO_API int QoHasLineRem(int timetable);

/* Running-days remarks. `days` is a counted array of bytes, one per day from
 * `first_day` (a day number), non-zero where the train runs; the dates of
 * the text are moved by `day_offset`. The text names weekdays ("X" working
 * days, "+" days off), date ranges, week or day parity and exceptions, in
 * the kernel language of the letter, whichever of the runs and runs-not
 * forms reads shorter; "runs never"/"runs daily" words for no/every day.
 * At most 5,999 bytes, cut at a whole word. Lifetime: kernel-owned until
 * the next call of the same export. QoGetDateRemTxt never fails. */
QO_API const char* QoGetDateRemTxt(int first_day, const unsigned char* days, char language,
                                   int day_offset);
/* As QoGetDateRemTxt, for a timetable: its air words and, unless
 * QoSetSpecDayOptions chose 1, its days-off table. Failure: null with error
 * 3, 8 (the days do not lie within the validity), 31. */
QO_API const char* QoGetDateRemTxtExt(int timetable, int first_day, const unsigned char* days,
                                      char language, int day_offset);
/* Non-zero: both marker pairs become "{" and "}"; zero: no markers. */
QO_API void QoDateRemMarks(int flag);
/* Replaces the marker pairs (copies are kept; null = none). The symbols "X"
 * and "+" take the second pair when it is set, weekday words too unless the
 * language is English; otherwise the first. Markers count in no length. */
QO_API void QoFCMarks(const char* open1, const char* close1, const char* open2, const char* close2);
/* Reads the options (any pointer may be null). */
QO_API void QoGetDateRemOptions(int* from_base_day, int* limit, int* max_days);
/* Train remarks describe from the base day (else from the first day of
 * validity) and, with `limit`, at most `max_days` days (kept only in
 * 1..999). Returns `max_days` as passed. */
QO_API int QoSetDateRemOptions(int from_base_day, int limit, int max_days);
/* The base day of train remarks; 0 or less means today. Returns `day`. */
QO_API int QoSetBaseDate(int day);
/* Days-off handling of train remarks: 0 unless the train type word carries
 * 0x40000000, 1 never, 2 always; other values are ignored. Returns the
 * option in force. */
QO_API int QoSetSpecDayOptions(int option);

/* The number of day (running-days) remarks of the train: its stored ones,
 * else one worded by the kernel unless it runs every day. Failure: 0 with
 * error 3 or 6. */
QO_API int QoTrRem2Count(int timetable, int train);

/* Day remark i of the train; `language` is a data language index below 33,
 * or else a language letter. A stored text is followed by " (%+d)" with a
 * nonzero `day_offset`; with `force` set, or without a stored text, the
 * remark the kernel words for the train's running days. Failure: NULL;
 * error 3, 5, 6, 31. Lifetime: until the next QoTrRem2. */
QO_API const char* QoTrRem2(int timetable, int language, int train, int i, int day_offset,
                            int force);

/* 1 when the timetable stores day-remark texts, else 0. Failure: 0 with
 * error 3. */
QO_API int QoHaveRem2Txt(int timetable);

/* The number of line descriptions. Failure: 0 with error 3. */
QO_API int QoGetLinesCount(int timetable);

/* The train's line, -1 when none. Failure: -1 with error 3 or 6. */
QO_API int QoTrLine(int timetable, int train);

/* The description of `line` in the language (language 0's pool when the
 * timetable has none in it); "" for a line the timetable lacks. Failure:
 * NULL with error 3 or 5. Lifetime: until the next QoLineDesc. */
QO_API const char* QoLineDesc(int timetable, int language, int line);

/* The number of owner descriptions. Failure: 0 with error 3. */
QO_API int QoGetOwnersCount(int timetable);

/* The train's owner, -1 when none. Failure: -1 with error 3 or 6. */
QO_API int QoTrOwner(int timetable, int train);

/* The raw description of `owner` ("{ON}name{OF}firm..."), as QoLineDesc.
 * Lifetime: until the next QoOwnerDesc. */
QO_API const char* QoOwnerDesc(int timetable, int language, int owner);

/* The description of `owner` for display: the raw text when it has no
 * fields, else the fields ON; OF, or else OD, or else OC; OT, joined by
 * "; ". As QoLineDesc otherwise. Lifetime: until the next
 * QoOwnerDescProcess. */
QO_API const char* QoOwnerDescProcess(int timetable, int language, int owner);

/* The value of field `name` in `text`: what follows "{name}" up to the next
 * '{' or the end, unconverted. NULL when the field is absent, either
 * argument is NULL or the name is longer than 10 characters. Sets no error.
 * Lifetime: kernel-owned until the next QoGetField. */
QO_API const char* QoGetField(const char* name, const char* text);

/* 1 when `text` contains both '{' and '}', else 0. Sets no error. */
QO_API int QoHasFields(const char* text);

/* ---- Calendars of running days ----------------------------------------- */

/* A train runs on the days of its calendar class, counted as the days on
 * which it leaves its first stop. A date query at a later stop accounts
 * for the midnights the train has crossed by then. Every call taking a
 * train sets error 3 for a bad timetable and 6 for a train outside
 * 0..QoTrCount()-1. A departure flag picks, at a station the train reaches
 * with an arrival and a departure word, the later word; without it the
 * first word counts. */

/* Days between the train's first stop and its stop at `station` (the sum
 * of the day steps up to it); 0 when the train does not call there.
 * Failure: 0 with error 3, 6, or 4 for a station out of range. */
QO_API int QoTrainCycle(int timetable, int train, int station, int departure);

/* Nonzero when the train runs on the date at `station` (-1: its first
 * stop). Failure: 0 with error 3, 6, 9 for a date that does not exist, 4
 * for a station out of range or not on the route, 18 when the day the
 * train left lies outside the calendar. */
QO_API int QoTrainRuns(int timetable, int train, int day, int month, int year, int station,
                       int departure);

/* Nonzero when the train runs on a day type at `station` (-1: its first
 * stop): 0 a working day, 1 a Sunday or holiday, 2 one of the weekdays of
 * `weekday_mask` (bit 0 Monday .. bit 6 Sunday; the train must typically
 * run on each), 3 some day from today to the end of validity, 5 any day.
 * Working days, Sundays and weekdays are judged by the coming month. Leaves
 * the running test of later queries on this day type. Failure: 0 with
 * error 3, 6, 4 as QoTrainRuns, 9 for another day type or type 2 without a
 * weekday in the low 7 bits of the mask. */
QO_API int QoTrainRuns2(int timetable, int train, int day_type, int weekday_mask, int station,
                        int departure);

/* QoTrainRuns when `year` is not 0, else QoTrainRuns2 with `day` as the
 * day type and `month` as the weekday mask. Failure: as those. */
QO_API int QoTrainRunsExt(int timetable, int train, int day, int month, int year, int station,
                          int departure);

/* 1 when the train runs (as QoTrainRunsExt) and no other variant of its
 * train group takes its place that day: a running variant that is not
 * secondary and whose route holds the train's route replaces it when it
 * comes earlier in the group or its route is longer. *variant (may be
 * NULL) gets the last running variant whose route goes beyond the train's
 * without continuing it, -1 when none. A train in no group gives 1 when it
 * runs. Failure: 0 with the errors of QoTrainRunsExt for the train itself;
 * variants that do not call at the station set no error. */
QO_API int QoTrainRunsExcl(int timetable, int train, int day, int month, int year, int station,
                           int departure, int* variant);

/* The variant of the train's group that stands for it on the date: walking
 * the group, a running variant whose route holds the chosen route becomes
 * the choice (secondary variants only for a secondary train). The train
 * itself when it is in no group or does not run. Failure: -1 with error 3
 * or 6; the train itself with error 4, 9 or 18 as QoTrainRuns. */
QO_API int QoMapTrainDate(int timetable, int train, int station, int day, int month, int year,
                          int departure);

/* 1 when the train's class runs on every day of the calendar, else 0.
 * Failure: 0 with error 3 or 6. */
QO_API int QoTrainRunsAlways(int timetable, int train);

/* One byte per day of validity, 1 where the train leaves its first stop,
 * as a counted array (the 8-byte header {byte size; count} before the
 * first byte). NULL for a timetable without calendar. Failure: NULL with
 * error 3 or 6. Lifetime: kernel-owned until the next QoTrainRunsFlags. */
QO_API const unsigned char* QoTrainRunsFlags(int timetable, int train);

/* The days-off table: one byte per day of validity from *first_day (a day
 * number), 1 on a day off; the timetable's own table, or one that marks the
 * Sundays when it brings none. Returns its length; either out may be NULL.
 * Failure: 0 with error 3. Lifetime: while the timetable is loaded. */
QO_API int QoGetHolidays(int timetable, int* first_day, const unsigned char** table);

/* The trains that the timetable pairs with `train`, in its order: their
 * number, and the trains through *trains (may be NULL; NULL when none).
 * Failure: 0 with error 3 or 6. Lifetime: kernel-owned until the next
 * QoMapTrain. */
QO_API int QoMapTrain(int timetable, int train, const int** trains);

/* ---- Links between stations and timetables ----------------------------- */

/* The walking links of `station` to other stations of its timetable: their
 * number, the target stations through *targets and the walking minutes
 * through *minutes (negative: the link is switched off), both read in place
 * from the timetable data (either out may be NULL; NULL when none). With
 * `barrier_free` set and barrier-free minutes in the timetable, those
 * minutes. Failure: 0 with error 3 or 4. Lifetime: while the timetable is
 * loaded. */
QO_API int QoInternLinkExt(int timetable, int station, const unsigned short** targets,
                           const signed char** minutes, int barrier_free);

/* QoInternLinkExt with `barrier_free` 0. */
QO_API int QoInternLink(int timetable, int station, const unsigned short** targets,
                        const signed char** minutes);

/* The number of links of the timetable's stations to stations of other
 * loaded timetables; *total (may be NULL) gets the number of entries of the
 * link records the file brings. Failure: 0 with error 3. */
QO_API int QoExternLinkCount(int timetable, int* total);

/* The links of `station` to stations of other loaded timetables: their
 * number, and three parallel arrays (each out may be NULL; NULL when none):
 * the timetable index, the station there and the walking minutes. Failure:
 * 0 with error 3 or 4. Lifetime: kernel-owned until the next
 * QoExternLink. */
QO_API int QoExternLink(int timetable, int station, const int** timetables,
                        const unsigned short** stations, const signed char** minutes);

/* Minutes of a change from station A to station B: within one timetable
 * the first switched-on walking link from A to B; between timetables 0 when
 * A and B are one place (the same-key ring of the loaded set, or a merge
 * key naming the other), else the link between them, else the walking link
 * to B from A's counterpart in B's timetable. With `barrier_free` set the
 * barrier-free minutes where the timetable has them. 0 also when no link is
 * known. Failure: 0 with error 3 or 4. */
QO_API int QoGetLinkDistExt(int timetable_a, int station_a, int timetable_b, int station_b,
                            int barrier_free);

/* QoGetLinkDistExt with `barrier_free` 0. */
QO_API int QoGetLinkDist(int timetable_a, int station_a, int timetable_b, int station_b);

/* The default minimal change time at the station in minutes. Failure: 0
 * with error 3, 4, or 23 when the timetable has no per-station times. */
QO_API int QoGetDefaultMinTime(int timetable, int station);

/* The same; without per-station times the value for the hour of `minute`
 * (minutes from midnight; negative minutes fall into the hours of the days
 * before: -30 is in hour 23). Failure: 0 with error 3, 4, or 23 when the
 * timetable has neither table. */
QO_API int QoGetDefaultMinTimeExt(int timetable, int station, int minute);

/* ---- Service codes ----------------------------------------------------- */

/* Service codes 0..QoFCCount()-1 (at most 64) mark trains and stations
 * (low-floor vehicle, bicycles, ...). Lists of codes are handed out as
 * bytes holding code numbers in ascending order, in a 64-byte buffer of the
 * export that the next call of the same export overwrites; the result is
 * their number and *list (may be NULL) gets the buffer. */

/* The number of service codes. Failure: 0 with error 3. */
QO_API int QoFCCount(int timetable);

/* The texts of `code` (each out may be NULL): its name in the text mode,
 * its symbol text (characters of the "Timetable" font, as stored) and its
 * description in data language `language` in the text mode. A description
 * with fields ("{0}...{1}...") gives the field of the train's type bit
 * index + 1 for a train, else field "0" (train -1 asks for field "0"; a
 * description without them is given whole). Returns 1. Failure: 0 with
 * error 3, 6 for a train at or beyond the train count (negative trains
 * pass), 5 for a bad language, 20 for a code outside 0..count-1. Lifetime:
 * each text kernel-owned until the next QoFCValueExt or QoFCValue. */
QO_API int QoFCValueExt(int timetable, int train, int code, int language, const char** name,
                        const char** symbols, const char** description);

/* QoFCValueExt with train -1. */
QO_API int QoFCValue(int timetable, int code, int language, const char** name, const char** symbols,
                     const char** description);

/* The code that fills role 1..4 (2: the low-floor vehicle); -1 when the
 * role is not filled or is not 1..4 (no error). Failure: -1 with error 3. */
QO_API int QoFCLowDeck(int timetable, int role);

/* The codes of the station. 0 when it has none. Failure: 0 with error 3 or
 * 4. Lifetime: kernel-owned until the next QoFCStation. */
QO_API int QoFCStation(int timetable, int station, const unsigned char** list);

/* QoFCTrainExt with from -1, to -1 and day 0. Lifetime: until the next
 * QoFCTrain. */
QO_API int QoFCTrain(int timetable, int train, const unsigned char** list);

/* The codes of the train; with `from` or `to` (stations, -1 open) or `day`
 * (a day number, 0 any), those on that section of its route and that day:
 * codes that its remarks tie to a section or a day are added where they
 * hold and taken away where they do not. 0 when it has none. Failure: 0
 * with error 3 or 6. Lifetime: kernel-owned until the next QoFCTrainExt. */
QO_API int QoFCTrainExt(int timetable, int train, int from, int to, int day,
                        const unsigned char** list);

/* The codes the train carries at a station, from the timetable's
 * train-at-station rows. 0 when none. Failure: 0 with error 3, 6, 31.
 * Lifetime: kernel-owned until the next QoFCTrainStation. */
QO_API int QoFCTrainStation(int timetable, int train, int station, const unsigned char** list);

/* The letters a caller may pass to QoFCEnable: their number, and the
 * letters through *letters (may be NULL; not NUL-terminated; NULL when
 * none). Failure: 0 with error 3 or 31. Lifetime: while the timetable is
 * loaded. */
QO_API int QoFCConn(int timetable, const char** letters);

/* The identifiers stored beside the filter letters: their number, and the
 * identifiers through *ids (may be NULL; NULL when none). Failure: 0 with
 * error 3 or 31. Lifetime: while the timetable is loaded. */
QO_API int QoFCConnID(int timetable, const int** ids);

/* Sets the connection filter of the timetable from `count` bytes. When the
 * timetable has letter masks and every byte is one of its filter letters,
 * the first five letters are taken: a train must offer a code of each
 * letter's mask. Otherwise every byte is a code number (0..63; others are
 * ignored) and a train must carry all of them. Count 0 clears the filter.
 * Trains that miss the filter carry 0x4000000 in their type words
 * (QoTrType) until the next QoFCEnable; the file data stays untouched.
 * Sets error 3 for a bad timetable, 31 on an internal fault. */
QO_API void QoFCEnable(int timetable, int count, const char* bytes);

/* ---- Map data and coordinate transforms -------------------------------- */

/* Map coordinates are whole units in the map's own plane. A map comes with
 * a timetable in its GIS extension file. */

/* A label of a map layer. 24 bytes on 64-bit systems. */
typedef struct tagGISLABEL_REC {
  int x, y;
  const char* text; /* 8: as stored (Windows-1250), NULL for a label without text */
  int angle;        /* 16: radians; the font turns by angle / 2pi * 3600 tenths of a degree */
  int alignment;    /* 20: as stored */
} GISLABEL_REC;

/* A point of a map layer. In the station point table (the points of the
 * first layer of layer array 3) `station` is the station's index, or -1
 * when no station of the timetable has the point's key; without station
 * keys it is the stored key. */
typedef struct tagGISPOINT_REC {
  int x, y;
  int station;
} GISPOINT_REC;

/* A vertex of a line or area. */
typedef struct tagGISVERTEX_REC {
  int x, y;
} GISVERTEX_REC;

/* One map layer: its drawing style and its objects. The stored 164-byte
 * record up to byte 136, then pointers, so 192 bytes on 64-bit systems.
 * Every array is a counted array (its byte size and element count are the
 * two ints before its first element) or NULL when absent; `lines` and
 * `areas` are counted arrays of pointers to counted vertex arrays. */
typedef struct tagGISLAYER_REC {
  int name;                   /* 0: index of the layer's name (QoGetLayerNameGIS); negative: none */
  int window_values[7];       /* 4: read by the map window */
  unsigned int pen_color;     /* 32: 0x00BBGGRR */
  int pen_width;              /* 36 */
  int pen_style;              /* 40 */
  unsigned int brush_color;   /* 44 */
  int brush_style;            /* 48 */
  int brush_hatch;            /* 52 */
  int window_values2[6];      /* 56: read by the map window */
  char font_face[32];         /* 80 */
  int reserved[4];            /* 112 */
  int font_size;              /* 128: points */
  int font_charset;           /* 132: low byte */
  const GISPOINT_REC* points; /* 136 */
  const GISVERTEX_REC* vertices;     /* 144 */
  const GISVERTEX_REC* const* lines; /* 152: drawn as polylines */
  const GISVERTEX_REC* const* areas; /* 160: the second list of vertex arrays */
  const void* items;                 /* 168: as stored */
  const GISLABEL_REC* labels;        /* 176 */
  const void* further;               /* 184: as stored */
} GISLAYER_REC;

/* Drawing styles of a layer as plain values; the program makes its own
 * pens, brushes and fonts from them. */
typedef struct tagGISPEN_REC {
  int style;
  int width;
  unsigned int color;
} GISPEN_REC;

typedef struct tagGISBRUSH_REC {
  int style;
  unsigned int color;
  int hatch;
} GISBRUSH_REC;

typedef struct tagGISFONT_REC {
  int height;     /* device units (points without a device resolution) */
  int escapement; /* tenths of a degree */
  int orientation;
  int charset;
  char face[32]; /* NUL-terminated */
} GISFONT_REC;

/* 1 when the timetable has its GIS map, else 0. Failure: 0 with error 3. */
QO_API int QoExtMapAvail(int timetable);

/* The point of `station` on the timetable's map into *x, *y; both -1 when
 * the timetable has no map, the station no point or is outside the
 * timetable (no error). Failure: error 3 (x, y -1). */
QO_API void QoExtMapGetStCoors(int timetable, int station, int* x, int* y);

/* The first point of the station point table stored under station key
 * `key` into *x, *y; both -1 when none (the key -1 matches nothing) or
 * without a map. Failure: error 3 (x, y -1). */
QO_API void QoExtMapGetKeyCoors(int timetable, int key, int* x, int* y);

/* The three layer arrays of the timetable's map (counted arrays of
 * GISLAYER_REC, NULL when empty); any out may be NULL. Array 1 is the
 * background, 2 and 3 are drawn over it. Returns 1, or 0 without a map.
 * Failure: 0 with error 3, 31. Lifetime: until the timetable is closed or
 * its map replaced. */
QO_API int QoGetLayersGIS(int timetable, const GISLAYER_REC** layers1, const GISLAYER_REC** layers2,
                          const GISLAYER_REC** layers3);

/* The name of a layer of the timetable's map (at most 79 characters, in
 * the current text mode); "" for a layer without name. Failure: NULL with
 * error 3, 8 (layer NULL), 31. Lifetime: kernel-owned until the next
 * QoGetLayerNameGIS. */
QO_API const char* QoGetLayerNameGIS(int timetable, const GISLAYER_REC* layer);

/* The layer's pen. Failure: all 0 with error 8 (layer NULL). */
QO_API GISPEN_REC QoGetPenGIS(const GISLAYER_REC* layer);

/* The layer's brush; when `key_color` equals its colour in the low 24
 * bits, the brush has `replacement` as its colour. Failure: all 0 with
 * error 8 (layer NULL). */
QO_API GISBRUSH_REC QoGetBrushGIS(const GISLAYER_REC* layer, unsigned int key_color,
                                  unsigned int replacement);

/* The layer's font for `label` (NULL: no turn) on a device of `dpi` pixels
 * per inch vertically (0: the height is the point size): height = point
 * size * dpi / 72 rounded, times `scale` truncated toward zero. QoGetFontGIS
 * is scale 1. Failure: all 0 with error 8 (layer NULL). */
QO_API GISFONT_REC QoGetFontGIS(const GISLAYER_REC* layer, const GISLABEL_REC* label, int dpi);
QO_API GISFONT_REC QoGetFontGISEx(const GISLAYER_REC* layer, const GISLABEL_REC* label, int dpi,
                                  double scale);

/* The stations nearest to (x, -|y|) over the maps of the selected
 * timetables (`selection`: one int per loaded timetable, non-zero =
 * searched; NULL = all): nearest first, then by timetable and station, at
 * most `capacity`, and past the first `min_count` only those at most
 * `soft_limit` away; with `radius` other than 0 none farther than it.
 * Distances are whole map units, truncated. Writes the timetable and
 * station indexes and returns their number. Failure: 0 with error 8
 * (an out NULL with capacity above 0), 31. */
QO_API int QoGetStationsInCircle(const int* selection, int x, int y, int min_count, int soft_limit,
                                 int radius, int* timetables, int* stations, int capacity);

/* The course of connection `connection` of a search handle (NULL: the
 * current one) over the GIS maps. Per leg (at most 16): the number of
 * points and the positions in its timetable's station point table of the
 * stops its train makes from the boarding to the alighting, and its map
 * slot: legs on one map (one timetable, or timetables of one map id other
 * than 0) share a slot, slots follow the timetable order of the maps, and
 * with one map every slot is 0. Per slot the map id and the map names (in
 * `language`, a language letter, else the map's first; several joined by
 * ", "). Any out may be NULL. Returns 1; 0 when a leg's timetable has no
 * map or its boarding or alighting station no point (no error). Failure:
 * 0 with error 20 (no such connection), 30 (handle from before a reload),
 * 31. Lifetime: kernel-owned until the next QoGetConnGIS. */
QO_API int QoGetConnGIS(void* handle, int connection, int language, int* map_count, int* leg_count,
                        const int** point_counts, const int** slots, const int* const** point_lists,
                        const unsigned int** map_ids, const char* const** map_names);

/* The extent of the map of the connection's first leg whose timetable's
 * map has `map_id`; returns 1, or 0 when no leg has it (all outs 0). Any
 * out may be NULL. Failure: 0 with error 20, 30, 31. */
QO_API int QoGetConnMapRange(void* handle, int connection, unsigned int map_id, int* min_x,
                             int* max_x, int* min_y, int* max_y);

/* The town labels of map `map_id` inside the rectangle (bounds included):
 * the towns of the town lists of every loaded timetable with that map, in
 * timetable order, whose first station has a point inside and a station
 * type word sharing a bit with `type_mask`; each town once, and with
 * `with_connection` none that connection `connection` of the handle boards
 * or alights at. Writes the type words, names (in the current text mode),
 * x and y, and returns their number. Any out may be NULL. Failure: 0 with
 * error 20, 30 (with `with_connection` only), 31. Lifetime: kernel-owned
 * until the next QoGetTownsGIS. */
QO_API int QoGetTownsGIS(void* handle, int connection, unsigned int map_id, unsigned int type_mask,
                         int with_connection, int min_x, int max_x, int min_y, int max_y,
                         const unsigned int** type_words, const char* const** names, const int** xs,
                         const int** ys);

/* Converts `count` points in place between coordinate systems (0 S-42
 * zone 3, 1 S-JTSK Krovak, 2 UTM zone 33 on WGS84; metres, x easting) with
 * the PROJ library, which is loaded on first use. Returns 1 when every
 * point was converted; 0 for a system outside 0..2, a missing PROJ
 * library or database (tried again by the next call) or a point that
 * cannot be converted, with the arrays untouched. */
QO_API int QoCoorTransform(int from, int to, double* x, double* y, int count);

/* ---- QMap data ---------------------------------------------------------- */

/* 1 when the timetable has its QMap data, else 0. Failure: 0 with error 3. */
QO_API int QoQMapAvail(int timetable);

/* 1 when the station has no QMap coordinate, else 0. Failure: 0 with error
 * 3, 4 (bad station), 23 (no QMap data), 31. */
QO_API int QoQMapMissingCoor(int timetable, int station);

/* Each station's x and y on `date` (a day number; 0 or less: today) into
 * the caller's arrays of `count` doubles: its newest coordinate valid on
 * the date, its oldest for a date before all of them, 0, 0 for a station
 * without a coordinate. Returns 1. Failure: 0 with error 3, 8 (an array
 * NULL), 23, 31. */
QO_API int QoQMapCoor(int timetable, const unsigned short* stations, int count, int date, double* x,
                      double* y);

/* The polyline references of `arc`: a pointer to the first (the arc's
 * references follow it) and their number into *count. Failure: NULL (count
 * 0) with error 3, 20 (no such arc), 23, 31. Lifetime: until the timetable
 * is closed. */
QO_API const int* QoQMapArcPolyLinesQuick(int timetable, int arc, int* count);

/* The number of points of polyline `polyline` into *count. Failure: count
 * 0 with error 3, 20 (no such polyline), 23, 31. */
QO_API void QoQMapPolyLineQuick(int timetable, int polyline, int* count);

/* The points of the polylines of a counted array of polyline indexes,
 * joined in order (the first point of every polyline after the first is
 * the end of the one before and left out), into *x and *y; returns their
 * number, 0 (x, y untouched) for fewer than 2. Failure: 0 with error 3,
 * 20 (an index outside the polylines), 23, 31. Lifetime: kernel-owned
 * until the next QoQMapPolyLinesQuick. */
QO_API int QoQMapPolyLinesQuick(int timetable, const int* polylines, const double** x,
                                const double** y);

/* The stations of item `item` of virtual list `list` (-1: the station
 * `item`) with their x and y on `date` (a day number; negative: today);
 * a station without a coordinate (x or y 0) only with `keep_missing`.
 * Returns their number, 0 for an item outside the list. Stations are
 * ints. Failure: 0 with error 3, 14 (no such list), 23, 31. Lifetime:
 * kernel-owned until the next QoQMapVLItemCoor. */
QO_API int QoQMapVLItemCoor(int timetable, int list, int item, int date, int keep_missing,
                            const int** stations, const double** x, const double** y);

/* The stations whose coordinate on `date` (negative: today) lies inside
 * the rectangle (bounds included; a point with x or y 0 is none), in
 * station order, with their x and y; returns their number. Failure: 0
 * with error 3, 23, 31. Lifetime: until the next QoQMapStations. */
QO_API int QoQMapStations(int timetable, double min_x, double max_x, double min_y, double max_y,
                          int date, const int** stations, const double** x, const double** y);

/* The items of the timetable's first virtual list of kind 3 that have a
 * station inside the rectangle on `date` (negative: today), each at the
 * mean of those stations; the list's index into *list (-1 and 0 items
 * when it has none). Failure: 0 with error 3, 23, 31. Lifetime: until the
 * next QoQMapVLStations. */
QO_API int QoQMapVLStations(int timetable, double min_x, double max_x, double min_y, double max_y,
                            int date, int* list, const int** items, const double** x,
                            const double** y);

/* The first station after `start` without a coordinate, -1 when none.
 * Failure: -1 with error 3, 23 (no QMap data or no path network), 31. */
QO_API int QoQMapMissingStation(int timetable, int start);

/* The course of `arc` from its point nearest to (x1, y1) on to its point
 * nearest to (x2, y2), looked for only from the first on; returns the
 * number of points (a point equal to the one before left out), 0 for an
 * arc without a segment. Failure: 0 with error 3, 20 (no such arc), 23,
 * 31. Lifetime: until the next QoQMapArcPointsQuick. */
QO_API int QoQMapArcPointsQuick(int timetable, double x1, double y1, double x2, double y2, int arc,
                                const double** x, const double** y);

/* The stations nearest to (x, y) along the path network, nearest first:
 * the network is entered on the path edge nearest to the point (nearer
 * than `edge_limit`, from a path node within `box_half` of it in x + y);
 * stations within `reach`, each with a coordinate valid on `date`, no key
 * twice in a row, with `one_group` all of the first one's key group (key
 * / 10000); at most `max_count` (below 1: 10; above 1000: 1000). Stations
 * and distances are ints; returns their number. Failure: 0 with error 3,
 * 23 (no QMap data or no path network), 31. Lifetime: until the next
 * QoQMapShpNearStations. */
QO_API int QoQMapShpNearStations(int timetable, double x, double y, int date, double reach,
                                 int max_count, const int** stations, const int** distances,
                                 int one_group, double edge_limit, double box_half);

/* The path from (x, y) to the node of `station`'s coordinate on `date`
 * along the network: the point where it enters, then the nodes up to the
 * station's; its length into *distance. Returns the number of points, 0
 * when the station cannot be reached. Failure: 0 with error 3, 4, 23, 31.
 * Lifetime: until the next QoQMapShpNearStationPath. */
QO_API int QoQMapShpNearStationPath(int timetable, double x, double y, int station, int date,
                                    const double** path_x, const double** path_y, int* distance,
                                    double edge_limit, double box_half);

/* The QMap line queries need the timetable's stop patterns; without them
 * or without QMap data they fail with error 23. Day arguments are day
 * numbers: 0 runs every train; with `week` the train must run in the week
 * of the day that QoZJRSetWeekMode sets. Lists of lists are arrays of
 * counted arrays (the 8-byte header before the first element, NULL for
 * an empty one). */

/* The first train of each line (trains of one number in a row) whose
 * type word lies inside `mask` and whose stop pattern has a station
 * inside the rectangle on the day (0: today), and that runs. Failure: 0
 * with error 3, 23, 31. Lifetime: until the next QoQMapLines. */
QO_API int QoQMapLines(int timetable, double min_x, double max_x, double min_y, double max_y,
                       unsigned int mask, int day, int week, const int** trains);

/* From `train` on, the first running train of each distinct stop pattern
 * among the trains with its number (pattern byte below 64), at most 200;
 * `train` alone when none. Failure: 0 with error 3, 6, 23, 31. Lifetime:
 * until the next QoQMapTrainPatterns. */
QO_API int QoQMapTrainPatterns(int timetable, int train, int day, int week, const int** trains);

/* The lines (trains of one number in a row, filtered by `filters`: a
 * number, a line name ignoring case, "" for no number) whose patterns
 * touch the rectangle: the stations they call at (ints; x and y only when
 * both are asked) and per line its first train, the arcs it runs (with
 * the positions of their ends in the station list), the arcs that
 * continue it into its key group, and the positions where its courses
 * start and end. Coordinates and arcs are those of the day, today for day
 * 0. Every out may be NULL. Returns the number of lines. Failure: 0 with
 * error 3, 23, 31. Lifetime: until the next QoQMapLinesCover. */
QO_API int QoQMapLinesCover(int timetable, double min_x, double max_x, double min_y, double max_y,
                            unsigned int mask, int day, int week, const char* const* filters,
                            int filter_count, const int** stations, const double** x,
                            const double** y, int* station_count, const int** trains,
                            const int* const** from_lists, const int* const** to_lists,
                            const int* const** arc_lists, const int* const** continuation_lists,
                            const int* const** start_lists, const int* const** end_lists);

/* A legend of arc lists (counted arrays of arc indexes): the distinct sets
 * of list numbers that run over one polyline are groups, kept between
 * calls (*group_count in: the groups the caller still holds, 0 afresh;
 * out: all of them); the chains of neighbouring polylines of one group
 * (at most 300 each), a chain running another's course backwards left
 * out. Returns at once for no lists. Failure: error 3, 20 (an arc outside
 * the table), 23, 31. Lifetime: until the next QoQMapDesc. */
QO_API void QoQMapDesc(int timetable, const int* const* arc_lists, int list_count,
                       const int* const** groups, int* group_count, const int* const** chains,
                       const int** chain_groups, int* chain_count);

/* The train's stop pattern on `date` (below 1: today): stations (ints),
 * their x and y, and between each two the arc (-1: none). Returns the
 * number of stops, 0 for a pattern of fewer than two. Failure: 0 with
 * error 3, 6, 23, 31. Lifetime: until the next QoQMapTrain. */
QO_API int QoQMapTrain(int timetable, int train, int date, const int** stations, const double** x,
                       const double** y, const int** arcs);

/* Per leg of a found connection (handle NULL: the current one) its
 * timetable and, on the leg's day, the part of its train's stop pattern
 * from boarding to alighting: stations, x, y and arcs as counted arrays.
 * Returns the number of legs; 0 when a leg has no such part. Failure: 0
 * with error 20, 23, 30, 31. Lifetime: until the next QoQMapConn. */
QO_API int QoQMapConn(void* handle, int connection, const int** timetables,
                      const int* const** station_lists, const double* const** x_lists,
                      const double* const** y_lists, const int* const** arc_lists);

/* The first stop-pattern position after `position` (-1: from the start)
 * whose arc from the stop before exists at no date, with the two stations
 * and the arc kind; -1 when none. Failure: -1 with error 3, 23 (no QMap
 * data, path network or stop patterns), 31. */
QO_API int QoQMapMissingArc(int timetable, int position, int* station_a, int* station_b, int* kind);

/* Longitude x and latitude y in milliarcseconds on the Bessel ellipsoid to
 * S-JTSK metres (x = -Y, y = -X), in place, without datum shift. A pair
 * with a 0 is left as it is. */
QO_API void QoQMapFiLambda2JTSK(double* x, double* y, int count);

/* S-JTSK metres (x = Y, y = X; signs ignored) to longitude x and latitude y
 * in whole milliarcseconds on the Bessel ellipsoid, in place. A pair with
 * a 0 is left as it is. */
QO_API void QoQMapJTSK2FiLambda(double* x, double* y, int count);

/* ---- Places of a search ------------------------------------------------ */

/* The stations that a place stands for over the timetables that
 * `selection` enables (one int per loaded timetable, 0 = left out; NULL =
 * all): for list -1 the station `item` and the same place in the other
 * timetables, for a virtual list the member stations of the item and of the
 * items that stand for it in the other timetables' lists of its type and
 * name (as QoMapVirtListItem2 maps them). Returns
 * their number with three parallel arrays (each out may be NULL; NULL when
 * none), sorted by timetable: the timetable index, the station and the
 * minutes to reach it within its place. Marks the timetables of the
 * selection as taking part in the next search. Failure: 0 with error 3, 4,
 * 14 or 22 for a bad place, 31 on an internal fault. Lifetime: kernel-owned
 * until the next QoObjectStations. */
QO_API int QoObjectStations(int timetable, int list, int item, const int* selection,
                            const int** timetables, const int** stations, const int** minutes);

/* One entry of an arrivals or departures board, 12 bytes. */
typedef struct tagARRDEP_REC {
  unsigned short station;    /* 0: the board's own station */
  unsigned short other;      /* 2: the other station of the request as the train calls
                                there (an equal-named one may stand in), 0xFFFF for none */
  int train;                 /* 4 */
  unsigned short minute;     /* 8: minute of day of the event (bits 0-10) */
  unsigned short day_offset; /* 10: signed days from the train's first day */
} ARRDEP_REC;

/* Board masks: a train passes when its type word at the station (bit
 * 0x20000000 cleared) lies within mask1 and meets mask2. Bit 0x20000000 of
 * mask1 keeps trains that run on no further day of validity; without it
 * only trains that run from today (less the event's day offset) on are
 * listed. */

/* The departures of station a (towards b, or b -1) when `departures` is set
 * or b is -1, else the arrivals at b (from a, or a -1), in minute order.
 * *out gets the entries. a equal to b gives 0 without error and leaves *out
 * as it was. Failure: 0 with error 3, 7 (both negative), 4 (a station not
 * below the station count), 8 (departures without a), 31. Lifetime:
 * kernel-owned until the next QoArrDep. */
QO_API int QoArrDep(int timetable, int a, int b, int departures, unsigned int mask1,
                    unsigned int mask2, ARRDEP_REC** out);

/* The board over sets of stations: one board per (From, To) pair (From
 * none when from_count is 0, To none when to_count is 0), a station of the
 * same name standing in for the other station; a train is listed by the
 * first pair that lists it. Sorted by minute, then train. Failure: 0 with
 * error 3, 4 (any station negative or too large), 31. Lifetime:
 * kernel-owned until the next QoArrDepExt. */
QO_API int QoArrDepExt(int timetable, const int* from, int from_count, const int* to, int to_count,
                       int departures, unsigned int mask1, unsigned int mask2, ARRDEP_REC** out);

/* The board between two places: each an item of a virtual list, a station
 * (list -1) or none (item -1). Items are expanded into their member
 * stations (15 members for lists of kinds 1 and 2, 1000 otherwise; members
 * of a station type with 0x800 past that where one side is a station).
 * Sorted as QoArrDepExt. Failure: 0 with error 3, 14 (bad list), 7 (item
 * out of its list), 4, 31. Lifetime: kernel-owned until the next
 * QoArrDepVL. */
QO_API int QoArrDepVL(int timetable, int from_item, int from_list, int to_item, int to_list,
                      int departures, unsigned int mask1, unsigned int mask2, ARRDEP_REC** out);

/* One entry of the board over all timetables, 16 bytes. */
typedef struct tagARRDEP_EXT_REC {
  int timetable;    /* 0 */
  ARRDEP_REC entry; /* 4 */
} ARRDEP_EXT_REC;

/* One trip of a line, 16 bytes. */
typedef struct tagDEPLINE_REC {
  int timetable;        /* 0 */
  unsigned short first; /* 4: first station of the trip */
  unsigned short last;  /* 6: last station of the trip */
  int train;            /* 8 */
  int minute;           /* 12: minute of the first departure */
} DEPLINE_REC;

/* The board between two places over every loaded timetable whose masks1
 * entry is non-zero (all when masks1 is NULL; masks -1 when NULL): each side
 * (timetable, item, list; item -1 none) is mapped into the timetable, which
 * is skipped when a side does not map. With day and month non-zero only the
 * trains that run on the date (a date outside a timetable's calendar leaves
 * it out without error); with `reduce` only the trains that leave (or come
 * from) beyond the item's member stations. Sorted by minute, then by
 * timetable kind and area, train number and name; of timetables of one
 * kind, area and first day a train shown by both is listed once. Clears the
 * error code first. Failure: 0 with error 3, 4, 7, 14, 31. Lifetime:
 * kernel-owned until the next QoArrDepVLExt. */
QO_API int QoArrDepVLExt(int from_timetable, int from_item, int from_list, int to_timetable,
                         int to_item, int to_list, int departures, const unsigned int* masks1,
                         const unsigned int* masks2, int reduce, int day, int month, int year,
                         ARRDEP_EXT_REC** out);

/* The trips of the line of `train`: it and the trains after it with its
 * number; with year non-zero only those that run on the date (year 0: day
 * is a day type, month its weekday mask). Sorted by first minute, then
 * train. Failure: 0 with error 3, 6 (bad train), 31; a running-test error
 * (9, or 18 for a date outside validity) is set beside the result.
 * Lifetime: kernel-owned until the next QoDepLine. */
QO_API int QoDepLine(int timetable, int train, int day, int month, int year, DEPLINE_REC** out);

/* Keeps the `count` board entries of *entries whose trains run on the date
 * at the entry's station (departing when `departures`); *entries gets the
 * kept array. Returns the kept count. A date outside the calendar of a
 * timetable valid then is no error. Failure: 0 with error 3, 9, 18, 31.
 * Lifetime: kernel-owned until the next QoArrDepDate. */
QO_API int QoArrDepDate(int timetable, int departures, int day, int month, int year, int count,
                        ARRDEP_REC** entries);

/* Keeps the `count` board entries of *entries whose trains leave the place
 * (item of list): departures that call at a station outside the item's
 * member stations after the board's stop, arrivals that called at one
 * before it. An item of fewer than two stations (or list -1) returns count
 * with *entries unchanged; otherwise *entries gets the kept array. Failure:
 * 0 with error 3, 14, 31. Lifetime: kernel-owned until the next
 * QoArrDepReduce. */
QO_API int QoArrDepReduce(int timetable, int departures, int list, int item, int count,
                          ARRDEP_REC** entries);

/* The train to show instead of `train` at `station` (negative: none) on the
 * date (year 0: day type `day`, weekday mask `month`), departing with
 * `departure`, else arriving: of the trains at the station at the same
 * minute whose stops there (their whole route for trains of type word 0 or
 * with 0x8000000 or 0x10000000) lie unchanged within the shown train's and
 * that run then, the last one with the same number or such a type bit
 * (on either) replaces it. The train itself when the station is negative or
 * it does not run then. Leaves every board result as it was. Failure: -1
 * with error 3 or 6; the train with error 4, 9 or 18; 31. */
QO_API int QoLocalTrain(int timetable, int train, int station, int day, int month, int year,
                        int departure);

/* One byte per station of the timetable, 1 for every station that a train
 * leaving `station` calls at after it (QoStationsFrom), or that a train
 * reaching it called at before (QoStationsTo); never the station itself.
 * Trains pass when their type word lies within mask1 and meets mask2; no
 * running test. Failure: NULL with error 3, 4 (bad station), 31. Lifetime:
 * kernel-owned until the next call of the same export. */
QO_API unsigned char* QoStationsFrom(int timetable, int station, unsigned int mask1,
                                     unsigned int mask2);
QO_API unsigned char* QoStationsTo(int timetable, int station, unsigned int mask1,
                                   unsigned int mask2);

/* One line at a station, 8 bytes. */
typedef struct tagSTLINE_REC {
  int train;              /* 0: the first train met with the number */
  unsigned short departs; /* 4: 1 when a train of the number departs */
  unsigned short arrives; /* 6: 1 when a train of the number arrives */
} STLINE_REC;

/* The lines (train numbers) at a station: its departing (`departures`)
 * and/or arriving (`arrivals`) trains that pass the board masks, one record
 * per number with the flags of all its trains; sorted by train when `out`
 * is given. Failure: 0 with error 3, 4 (bad station), 8 (neither
 * departures nor arrivals), 31. Lifetime: kernel-owned until the next
 * QoStLines. */
QO_API int QoStLines(int timetable, int station, int departures, int arrivals, unsigned int mask1,
                     unsigned int mask2, STLINE_REC** out);

/* As QoStLines over the member stations of item `item` of virtual list
 * `list` (list negative: the item is a station). Failure: 0 with error 3,
 * 4 (bad item or station), 8, 14 (bad list), 31. Lifetime: kernel-owned
 * until the next QoStLinesVL. */
QO_API int QoStLinesVL(int timetable, int item, int list, int departures, int arrivals,
                       unsigned int mask1, unsigned int mask2, STLINE_REC** out);

/* As QoStationsFrom / QoStationsTo over the member stations of item `item`
 * of virtual list `list` (list negative: the item is a station), their
 * union. With `target` not negative, one byte per item of that list
 * instead: 1 when any member station of the item is marked. Failure: NULL
 * with error 3, 4 (bad item or station), 14 (bad list or target), 31.
 * Lifetime: kernel-owned until the next call of the same export. */
QO_API unsigned char* QoStationsFromVL(int timetable, int item, int list, int target,
                                       unsigned int mask1, unsigned int mask2);
QO_API unsigned char* QoStationsToVL(int timetable, int item, int list, int target,
                                     unsigned int mask1, unsigned int mask2);

/* out[i] = OR of the type words of all trains with an event at
 * stations[i], 0 for a station out of range; no masks, no running test.
 * Failure: nothing written with error 3 or 31. The caller owns `out`
 * (`count` words). */
QO_API void QoArrDepTypes(int timetable, const unsigned short* stations, int count,
                          unsigned int* out);

/* One entry of QoArrDep2, 52 bytes. */
typedef struct tagARRDEP2_REC {
  int train;        /* 0 */
  ROUTE2_REC first; /* 4: the train's first stop */
  ROUTE2_REC last;  /* 20: its last stop */
  ROUTE2_REC stop;  /* 36: its stop at the board's station; an intermediate
                       stop without arrival minute gets its departure minute */
} ARRDEP2_REC;

/* The board of `station` with each train's first and last stop: its
 * departures and/or arrivals (neither: departures) that pass the board
 * masks and the running test; with `towards` (-1 none) only stops from
 * which the train goes on to it (departures) or that it came from
 * (arrivals), or, with `use_pass_via`, runs along an arc the timetable
 * lists as leading towards it, or whose last (departures) or first
 * (arrivals) station lies on a shortest path between the two in the
 * station graph. Sorted by the minute at the stop, then by train. When the
 * first day-remark option (QoSetDateRemOptions) is on, of two neighbouring
 * group variants of one number that say the same running days the one
 * whose route lies within the other's is dropped. Merge flags drop an entry
 * that agrees with the one before in: 0x01 departure and 0x02 arrival
 * minute at the stop, 0x04 first and 0x08 last station, 0x10 departure at
 * the first and 0x20 arrival at the last stop, 0x40 number and 0x80 name at
 * the station (first 39 characters), 0x100 type at the station, 0x200
 * general remarks. Failure: 0 with error 3, 4 (bad station or towards
 * station), 31. Lifetime: kernel-owned until the next QoArrDep2. */
QO_API int QoArrDep2(int timetable, int station, int towards, int use_pass_via, int arrivals,
                     int departures, unsigned int mask1, unsigned int mask2, int merge_flags,
                     ARRDEP2_REC** out);

/* ---- Connection search: parameters and limits --------------------------- */

/* The parameters of the connection search. The kernel reads as much of a
 * record as the client version (QoSetClientVersion) says: version 0 up to
 * prefer_trains (QO_CONNPARMS_SIZE_V0), version 1 up to code_values
 * (QO_CONNPARMS_SIZE_V1), version 2 all of it (QO_CONNPARMS_SIZE_V2).
 * Integer fields are 32-bit; the five arrays are kernel-made counted arrays
 * with one element per loaded timetable, in timetable order (from
 * QoGetConnectionParms or QoCopyConnectionParms); a NULL array leaves that
 * setting unchanged when the record is applied. */
typedef struct tagCONNPARMS_REC {
  int max_changes;                 /* 0..15 */
  int* max_change_times;           /* per timetable, each 0..1439 minutes */
  int* min_change_times;           /* per timetable, each 0..its maximum */
  int* default_min_times;          /* per timetable: use its own per-station minimums */
  int* change_penalties;           /* per timetable, minutes added per change, 0..480 */
  unsigned char*** penalty_tables; /* per timetable its rows of penalties by change type */
  int window_direct;               /* 60..1440: minutes of one window, direct only */
  int window_changes;              /* 60..1440: the same with changes */
  int stops_in_via;                /* via points must be stops of the train */
  int delta_max_type;              /* 0..2: which detour tolerance applies */
  int delta_max_percent;           /* 0..1000 */
  int delta_max_metres;            /* 0..10000000 */
  int retries_direct;              /* 0..32: further windows when one finds nothing */
  int retries_changes;             /* 0..32 */
  int use_beds;                    /* 2: leave out rail trains with type bit 0x01000000;
                                      a value outside 0..2 is ignored */
  /* version 1 */
  int prefer_trains;
  int arc_length;      /* 0..120 walking minutes (else ignored) */
  int arc_length_city; /* 0..120 in city timetables (else ignored) */
  int search_by_coordinates;
  int limit_on_target;
  int arc_length_from; /* walking minutes from the From places, -1 none */
  int arc_length_to;   /* the same to the To places */
  int from_same_group; /* add city stations of the same key group */
  int to_same_group;
  int limit_walk_arcs; /* walks only within one place */
  int low_floor_only;  /* barrier-free stations and walks only */
  int auto_strategy;
  /* version 2 */
  int code_values[5]; /* codes looked up in each timetable's code table */
} CONNPARMS_REC;

#define QO_CONNPARMS_SIZE_V0 offsetof(CONNPARMS_REC, prefer_trains)
#define QO_CONNPARMS_SIZE_V1 offsetof(CONNPARMS_REC, code_values)
#define QO_CONNPARMS_SIZE_V2 sizeof(CONNPARMS_REC)

/* The ranges QoSetConnectionParms checks, 13 ints. */
typedef struct tagCONNPARMSLIMITS_REC {
  int max_changes_low, max_changes_high;
  int change_time_low, change_time_high;
  int change_penalty_low, change_penalty_high;
  int window_low, window_high;
  int delta_percent_low, delta_percent_high;
  int delta_metres_low, delta_metres_high;
  int retries_high;
} CONNPARMSLIMITS_REC;

/* Asked by the search before a boarding, an alighting or a change: the
 * timetable, the station, its key, the time there (minutes from the search
 * day), the arriving train (-1 none), the departing train's minute (-1),
 * the departing train (-1) and, at a change, the change time it may
 * replace (else NULL). Nonzero accepts. */
typedef int (*QoChangeTimeCallback)(int timetable, int station, int key, int time,
                                    int arriving_train, int departure_minute, int departing_train,
                                    int* change_time);

/* The limits. Never fails. Lifetime: static. */
QO_API CONNPARMSLIMITS_REC* QoGetConnectionParmsLimits(void);

/* Tells the kernel which layout of CONNPARMS_REC the caller uses (0 at
 * load). Stored while the stored version is 0, 1 or 2; once a value above 2
 * is stored later calls change nothing. Returns the stored version. */
QO_API int QoSetClientVersion(int version);

/* Checks the whole record (as much of it as the client version reads) and
 * applies it. Returns 0. Failure: 19 with error 19 when a value is out of
 * range or a minimum change time lies above the maximum that would be in
 * force (given in the record or else the current one); nothing is changed
 * then. Error 31 on an internal fault. */
QO_API int QoSetConnectionParms(const CONNPARMS_REC* parms);

/* The settings in force, with arrays for the timetables now loaded.
 * Lifetime: kernel-owned until the next QoGetConnectionParms (which
 * replaces the arrays). NULL with error 31 on an internal fault. */
QO_API CONNPARMS_REC* QoGetConnectionParms(void);

/* Copies as much of `source` as the client version reads into `dest` and
 * gives `dest` its own copies of the arrays; release them with
 * QoFreeConnectionParms. Returns dest (NULL when either is NULL). */
QO_API CONNPARMS_REC* QoCopyConnectionParms(CONNPARMS_REC* dest, const CONNPARMS_REC* source);

/* Frees the arrays of a record made by QoCopyConnectionParms and sets them
 * to NULL. */
QO_API void QoFreeConnectionParms(CONNPARMS_REC* parms);

/* 1 when the two records steer a search alike (prefer_trains is not
 * compared), else 0. */
QO_API int QoParmsEqual(const CONNPARMS_REC* a, const CONNPARMS_REC* b);

/* Resets the settings from the defaults of the timetables `selection`
 * enables (one int per timetable, 0 = left out; NULL = all): the largest of
 * their defaults, or the built-in ones when one of them has none. Change
 * times and penalties of the selected timetables go back to their
 * defaults. stops_in_via keeps its value. Returns 0. */
QO_API int QoResetConnParms(const int* selection);

/* Makes `length` (60..1440, else nothing happens and 0 is returned) the
 * timetable's default window length for direct searches (`direct` 1) or
 * with changes (0) when `force` is set or it is shorter than the current
 * one, with retries that cover min(span, old length x (old retries + 1)).
 * Returns the new retries, 0 when nothing changed or the timetable has no
 * defaults. Failure: 0 with error 3. */
QO_API int QoSetDefaultSearchInterval(int timetable, int direct, int length, int span, int force);

/* Sets the timetable's default maximum of changes when forced or when
 * `value` does not exceed the current default; a value above 15 is
 * ignored. Returns the default in force. Failure: 0 with error 3. */
QO_API int QoSetDefaultMaxChange(int timetable, int value, int force);

/* Sets the walking minutes allowed from the From and to the To places. */
QO_API void QoSetMaxArcLengthFromTo(int minutes);
/* The longest walking link and the one in city timetables (each may be
 * NULL). */
QO_API void QoGetMaxArcLengths(int* arc_length, int* arc_length_city);
/* Stores each of the two when it lies in 0..120. */
QO_API void QoSetMaxArcLengths(int arc_length, int arc_length_city);

/* 1 when the timetable has pass-through data / change-type penalty tables.
 * Failure: 0 with error 3. */
QO_API int QoPassViaSupported(int timetable);
QO_API int QoChangeTypePenalSupported(int timetable);

/* 1 when a timetable of the last reset's selection carries barrier-free
 * connection data. */
QO_API int QoLowDeckConnAvail(void);

/* The prefer-trains flag (also through `out` when not NULL). */
QO_API int QoGetPrefereTrains(int* out);
/* Each stores its flag as 0 or 1 and returns it: prefer trains, the
 * default a reset gives it, pruning towards the destination, search near
 * coordinates, skipping the ride bounds. */
QO_API int QoSetPrefereTrains(int flag);
QO_API int QoSetPrefereTrainsDefault(int flag);
QO_API int QoSetLimitOnTarget(int flag);
QO_API int QoSetSearchCoors(int flag);
QO_API int QoSetSkipBoundsT(int flag);

/* Installs the change-time callback (NULL removes it). */
QO_API void QoSetChangeFun(QoChangeTimeCallback callback);

/* The largest distance of stations near given coordinates. */
QO_API void QoSetMaxSearchDist(int distance);

/* Switches the walking links between the stations of keys a and b (both
 * ways) off (`enable` 0) or on. The loaded file is not changed (its CRC
 * still holds). Returns 1 when a link was switched, else 0 (no links or
 * keys, a key not found, the same station twice). Failure: 0 with error 3. */
QO_API int QoEnableWalk(int timetable, int key_a, int key_b, int enable);

/* ---- Traffic over arcs and seat reservation ----------------------------- */

/* The trains that run straight from one station to the next over any of
 * `count` arcs, arc i leading from the station of key from_keys[i] to that
 * of to_keys[i] (a pair with a key of no station is dropped; an arc whose
 * keys name one station never matches). With skip_foreign, trains that run
 * only abroad are left out. A train's type word, bit 0x20000000 aside, has
 * no bit outside all_mask and one of some_mask. Window: start_day and
 * end_day are day numbers, the minutes count from midnight of those days;
 * both days 0 mean any day. With a window the train must be between the two
 * stations within it on a day it runs. Returns the number of trains, each
 * once and in train order, *trains (may be NULL) pointing at them and
 * *stations (may be NULL) at the station where each one's arc starts; both
 * NULL for 0. 0 without station keys, for a negative count, an end before
 * the start or a window outside the validity. Failure: 0 with error 3, 31.
 * Lifetime: kernel-owned until the next QoTrainsOnArcs. */
QO_API int QoTrainsOnArcs(int timetable, const int* from_keys, const int* to_keys, int count,
                          int skip_foreign, int start_day, int start_minute, int end_day,
                          int end_minute, unsigned int all_mask, unsigned int some_mask,
                          const int** trains, const int** stations);

/* Whether the place has a station that takes seat reservations (station
 * type bit 0x10) in any loaded timetable: 1, or with want_key the
 * reservation key of the first such station that has one (its own key when
 * the station-key extension does not list it); 0 when none. Failure: 0
 * with the errors of QoObjectStations. */
QO_API int QoHasReserv(GLOBALSEARCH_REC place, int want_key);

/* The trains with seat reservation (type bit 0x800000 or 0x2000000) of the
 * selected rail timetables with train numbers (selection: one int per
 * loaded timetable, nonzero = selected; NULL = all) that run from a station
 * of reservation key from_key to one of to_key, or that carry
 * train_number; 0 leaves a value out, and at least one is needed. A key
 * stands for at most the first 10 stations that have it. With a date (day,
 * month, year; day below 1: none) a train is kept only when it runs on it,
 * as QoTrainRunsExcl tells, at the station where it is boarded. Returns the
 * number of hits; per hit its timetable, train and boarding station (-1
 * without from_key) through the out pointers (each may be NULL; NULL for
 * 0). The error left is that of the last timetable searched. Failure: 0
 * with error 31. Lifetime: kernel-owned until the next call. */
QO_API int QoSearchReservedTrain(const int* selection, int train_number, int from_key, int to_key,
                                 int day, int month, int year, const int** timetables,
                                 const int** trains, const int** stations);

/* ---- Lines, directions and stop timetables -------------------------------
 * A line is the run of consecutive trains (trips) with one train number.
 * Dates: a year of 0 makes `day` a day type and `month` a weekday mask (as
 * QoTrainRuns2); otherwise day, month and year are a date, and with `week`
 * set the request covers the date's week (QoZJRSetWeekMode). */

/* The first trip of every line whose type word lies inside `mask`, in
 * train order, into *out (set to NULL first). Returns their number.
 * Failure: 0 with error 3. Lifetime: kernel-owned until the next
 * QoLineTrains. */
QO_API int QoLineTrains(int timetable, unsigned int mask, int** out);

/* The directions of the line of `train` that run in the request: the
 * distinct stop sequences of its trips, shorter ones merged into longer
 * ones that cover them, heaviest first (directions of type bit 0x200000
 * last). Per direction: its station count (*counts), its stations
 * (*stations), with `ends` (may be NULL) a byte per station, 1 at the ends
 * and where two directions with the same ends part, and its type bit
 * 0x200000 as 0/1 (*flags). Every out pointer is set to NULL first.
 * Returns the number of directions; 0 without a number table. Failure: 0
 * with error 3, 6, 9 (a date that does not convert). Lifetime:
 * kernel-owned until the next QoLineDirectionsEx or QoLineDirections. */
QO_API int QoLineDirectionsEx(int timetable, unsigned int mask, int train, int day, int month,
                              int year, int week, int** counts, int*** stations,
                              unsigned char*** ends, int** flags);

/* QoLineDirectionsEx without the flags. */
QO_API int QoLineDirections(int timetable, unsigned int mask, int train, int day, int month,
                            int year, int week, int** counts, int*** stations,
                            unsigned char*** ends);

/* Sets the week of a week request: 0 and 2 Monday to Sunday of the date
 * (2 also reads the line validity records by the request date), 1 the date
 * and the six days after; any other value sets 2. Returns `mode` as given.
 * Process-wide; initially 2. */
QO_API int QoZJRSetWeekMode(int mode);

/* value >= 0: a shorter direction is merged only into one with equal-named
 * ends (value != 0), initially off. value < 0: -value-1 switches the
 * holding back of trips of type bit 0x400000 and the pruning of rare
 * directions (initially on). Returns `value` as given. Process-wide. */
QO_API int QoSetExtactInclusion(int value);

/* One departure of a stop timetable (16 bytes). */
typedef struct tagZJRTIME_REC {
  int train;             /* the trip */
  int minute;            /* within the hour, 0..59 */
  char marks[7];         /* letters of a route variant or stop remark, NUL-terminated */
  unsigned char service; /* service mark: 0 none, 1 or 2 */
} ZJRTIME_REC;

/* The stop timetable of the direction `stations` (`count` stations, as
 * QoZJRDirection gives them) at position `stop`, for the line of `train`:
 * G day groups, each with a day mask (*days: bits 0-6 Monday to Sunday,
 * 0x80 the second kind of working days; 0 for a request without week or
 * date), 24 departure counts per hour (*hour_counts)[g] and 24 hour lists
 * (*hours)[g][h], each a counted array of ZJRTIME_REC in minute order
 * (NULL for an hour without departures). `remark_letter` is the stop's
 * common remark (QoZJRStRemDist), not repeated on departures. The legend:
 * *legend_count codes and texts (an empty code for a line remark).
 * *service_kind: 0 no service mark, 1 every trip has the role-1 service,
 * 2 marks 1 stand for role 2, 3 every departure has role 2, 4 marks 2
 * stand for role 4 (show QoFCLowDeck of the kind). Every out pointer is set
 * to 0 first. Returns G; 0 for the direction's last stop, no departure or
 * no number table. Failure: 0 with error 3, 6, 9, 20 for a stop outside
 * the direction, 4 for a station outside the timetable. Lifetime:
 * kernel-owned until the next QoZJRTimes. */
QO_API int QoZJRTimes(int timetable, unsigned int mask, int train, int language, int day, int month,
                      int year, int week, const int* stations, int count, int stop,
                      int remark_letter, int*** hour_counts, ZJRTIME_REC**** hours,
                      unsigned char** days, int* legend_count, const char*** legend_codes,
                      const char*** legend_texts, int* service_kind);

/* The validity of the last QoZJRTimes by the line validity records that
 * let its departures run: *from the earliest first day within a week of
 * the latest, *until the earliest last day (0 open). Day numbers. Returns 1
 * when *from is known, else 0. */
QO_API int QoZJRTimesLimits(int* from, int* until);

/* 1 when the trip is a substitute service on day number `day` by its line
 * validity records, else 0 (also for a timetable without them). Failure: 0
 * with error 3, 6. */
QO_API int QoZJRLineSubstitute(int timetable, int train, int day);

/* Candidates for a stop-timetable request typed as texts: the line (its
 * number text, exactly or as a beginning), and the From and To stations
 * (names, or name searches), at most `most` per list, limited to stations
 * where the line departs (arrives) when a line is known; without a line
 * text the lines between the stations; without a station text the usual
 * ends of a single line. Lists out with counts (any out pair may be NULL);
 * counts are set to 0 first. Failure: error 3; the searches leave no error.
 * Lifetime: kernel-owned until the next QoZJRResolve. */
QO_API void QoZJRResolve(int timetable, unsigned int mask, const char* from_text,
                         const char* to_text, const char* line_text, int most, int** from,
                         int* from_count, int** to, int* to_count, int** lines, int* line_count);

/* One byte per station, 1 where a trip of the line named `line_text`
 * calls (trips whose type word shares a bit with `mask`). NULL for an empty
 * text or no such line. Failure: NULL with error 3. Lifetime: kernel-owned
 * until the next QoZJRStationsOnLine. */
QO_API const unsigned char* QoZJRStationsOnLine(int timetable, unsigned int mask,
                                                const char* line_text);

/* The direction of the line of `train` on which a station named as `a`
 * comes before one named as `b` (failing that, one that leaves from `a` or
 * reaches `b`): its stations into *stations, with `ends` (may be NULL) its
 * end marks (as QoLineDirectionsEx), its type bit 0x200000 as 0/1 into
 * *flag; with `reverse` the directions of that bit come first, and of
 * exactly two directions the flagged one. The caller's settings are kept.
 * Returns the station count, 0 when none. Failure: 0 with error 3, 4, 6, 9.
 * Lifetime: kernel-owned until the next QoZJRDirectionEx or
 * QoZJRDirection. */
QO_API int QoZJRDirectionEx(int timetable, unsigned int mask, int train, int a, int b, int day,
                            int month, int year, int week, int reverse, int** stations,
                            unsigned char** ends, int* flag);

/* QoZJRDirectionEx without `reverse` and the flag. */
QO_API int QoZJRDirection(int timetable, unsigned int mask, int train, int a, int b, int day,
                          int month, int year, int week, int** stations, unsigned char** ends);

/* The first trip of the direction the last QoZJRDirectionEx found (0
 * before any). */
QO_API int QoZJRDirectionTrain(void);

/* Per position of a direction (`stations`, `count`): into remarks[] the
 * index of the stop-remark code every trip of the line shows there (-1
 * none, -2 no common one; required), into least[] and greatest[] (may be
 * NULL) the least and greatest minutes from the first station. The codes:
 * *letters one letter each, *texts their texts. Returns the number of
 * codes; 0 without `remarks`. Failure: 0 with error 3, 6, 9, 4 for a
 * station outside the timetable. Lifetime: kernel-owned until the next
 * QoZJRStRemDist. */
QO_API int QoZJRStRemDist(int timetable, unsigned int mask, int train, int language, int day,
                          int month, int year, int week, const int* stations, int count,
                          int* remarks, int* least, int* greatest, const char** letters,
                          const char*** texts);

/* ---- Connection search: progress and stop ------------------------------- */

/* The progress of the search in progress, 20 bytes. The searching thread
 * writes each field as a whole 32-bit atomic value; another thread may read
 * them at any time, each with an atomic load (__atomic_load_n with
 * __ATOMIC_RELAXED, or a volatile read), so that its compiler reads the
 * field anew at every poll. */
typedef struct tagSEARCHPROGRESS_REC {
  int phase;       /* 0 reset, 1 a pass has begun, 2 start stations labelled, 3 extracting */
  int passes;      /* passes begun since the search started (one per window) */
  int window_time; /* the search minute of the pass that began last */
  int steps_done;
  int steps_total; /* maximum changes + 3 */
} SEARCHPROGRESS_REC;

/* The progress record. May be called from any thread while a search runs.
 * Lifetime: static. */
QO_API SEARCHPROGRESS_REC* QoGetSearchProgress(void);

/* Asks the search in progress to stop; it keeps what it found so far. May
 * be called from any thread. A search clears the request when it starts. */
QO_API void QoStopSearch(void);

/* Limits the time a search may take, in milliseconds (0 or less: no
 * limit); the search ends after the window or round that passes it.
 * Returns the value given. */
QO_API int QoSetSearchMaxTicks(int milliseconds);

/* Sets whether earlier and later connections may still be searched from a
 * search handle (NULL: the current one), each stored as 0 or 1. Returns
 * the handle. */
QO_API void* QoSetSearchAllowed(void* handle, int earlier, int later);

/* The two flags of the current handle (each out may be NULL). */
QO_API void QoSearchAllowed(int* earlier, int* later);

/* Clears both flags of the current handle. */
QO_API void QoResetSearchAllowed(void);

/* ---- Connection search ---------------------------------------------------- */

/* A connection in a result buffer: this head, then one CONNLEG_REC per leg;
 * connections follow one another. */
typedef struct tagCONNHEAD_REC {
  int id;       /* 0: connection ID (1, 2, 3, ... over the life of the process) */
  int legs;     /* 4: number of legs */
  int distance; /* 8: metres, -1 when a leg has none; above 10000 rounded to 1000 */
  int duration; /* 12: minutes from the first departure to the last arrival (time shifts applied) */
  int reserved; /* 16: -1 */
} CONNHEAD_REC;

typedef struct tagCONNLEG_REC {
  int timetable;       /* 0 */
  int train;           /* 4: -1 for a walk */
  int departure;       /* 8: minute of day */
  int arrival;         /* 12: minute of day */
  int boarding_offset; /* 16: days from the train's first stop to the boarding stop */
  int departure_day;   /* 20: days from the search day */
  int arrival_day;     /* 24 */
  int from;            /* 28: station */
  int to;              /* 32: station */
} CONNLEG_REC;

/* Searches connections. Places come as parallel arrays of items, virtual
 * lists and timetables: list -1 means the item is a station, 0 and up an
 * item of that virtual list, -3 (via lists only) a pass-through point given
 * by its key. In the via list bit 31 of the timetable value starts a new
 * via point (at most 16). The From and To lists may carry access minutes
 * per entry (NULL: 0). `time` is the earliest departure (`by_departure` 1)
 * or the latest arrival (0), 0..1440; by date 1440 by departure means 0:00
 * of the next day. With `year` 0, `day` is a day type (0 working day, 1
 * Sunday or holiday, 2 the weekdays of the mask in `month`, bit 0 Monday to
 * bit 6 Sunday, 3 any day from today on, 5 every train). `masks` holds one
 * train-type mask per loaded timetable (0: the timetable takes no part;
 * NULL: all timetables with every type); no train is required to carry
 * attributes beyond its type. *count (always written) gets the number of
 * connections; with `buffer` not NULL, *buffer gets the result buffer
 * (CONNHEAD_REC and CONNLEG_REC records; NULL on failure). The connections
 * also go to the current search handle. Returns *count. Failure: 0 with
 * error 3, 4, 14 (also -3 outside a via list), 22 for a bad place; 13 for
 * an empty From or To; 10 for identical From and To lists or overlapping
 * places; 9 for a bad date, day type or time; 8 for more than 16 via
 * points, more than 600 From stations in one timetable or places without
 * stations on a valid day; 32 for places without barrier-free stations;
 * 18 for a date outside validity; 11 stopped (QoStopSearch) before
 * anything was found; 12 nothing found; 31 on an internal fault. Lifetime
 * of the buffer: kernel-owned until the next call that builds one. */
QO_API int QoConnectionExt2(const int* from_items, const int* from_lists,
                            const int* from_timetables, const int* from_minutes, int from_count,
                            const int* to_items, const int* to_lists, const int* to_timetables,
                            const int* to_minutes, int to_count, const int* via_items,
                            const int* via_lists, const int* via_timetables, int via_count,
                            const int* change_items, const int* change_lists,
                            const int* change_timetables, int change_count, int time, int day,
                            int month, int year, int changes_allowed, int by_departure,
                            const int* masks, int* count, unsigned char** buffer);

/* QoConnectionExt2 without change points. */
QO_API int QoConnectionExt(const int* from_items, const int* from_lists, const int* from_timetables,
                           const int* from_minutes, int from_count, const int* to_items,
                           const int* to_lists, const int* to_timetables, const int* to_minutes,
                           int to_count, const int* via_items, const int* via_lists,
                           const int* via_timetables, int via_count, int time, int day, int month,
                           int year, int changes_allowed, int by_departure, const int* masks,
                           int* count, unsigned char** buffer);

/* QoConnectionExt without access minutes. */
QO_API int QoConnection(const int* from_items, const int* from_lists, const int* from_timetables,
                        int from_count, const int* to_items, const int* to_lists,
                        const int* to_timetables, int to_count, const int* via_items,
                        const int* via_lists, const int* via_timetables, int via_count, int time,
                        int day, int month, int year, int changes_allowed, int by_departure,
                        const int* masks, int* count, unsigned char** buffer);

/* Searches by place keys: the first is From, the last To, those between
 * via points (stations of that alternative key in the rail timetables
 * `selection` enables, else a pass-through point). Fewer than two keys: 0,
 * nothing done, no error. Failure: as QoConnectionExt2, and 13 when From
 * or To resolve to nothing. */
QO_API int QoConnectionIT(const int* keys, int key_count, int time, int day, int month, int year,
                          int changes_allowed, int by_departure, const int* selection, int* count,
                          unsigned char** buffer);

/* ---- Connection search: handles ------------------------------------------- */

/* A handle (void*) holds a finished search's request and connections.
 * Every call below takes NULL as the current handle. A connection argument
 * of 0 or more is an index into the handle's list, a negative one the
 * negated connection ID. A handle stored before timetables were loaded or
 * closed since is stale: error 30 everywhere. Errors for a connection
 * argument: 33 unknown ID, 20 index beyond the list. */

/* Takes the current handle out: the caller owns the returned handle and
 * gives it back with QoSetConnHandle; the current handle is left empty. */
QO_API void* QoGetConnHandle(void);

/* Gives a handle back as the current one (NULL or *handle NULL: nothing).
 * The handle is freed and *handle set to NULL in any case; a stale one is
 * dropped with error 30. */
QO_API void QoSetConnHandle(void** handle);

/* Makes the current handle a copy of `handle`, which the caller keeps
 * (NULL: nothing). Stale: error 30, nothing changed. */
QO_API void QoSetConnHandle0(void* handle);

/* A result buffer (as QoConnectionExt2) with that one connection, NULL on
 * failure. Lifetime: kernel-owned until the next call that builds one. */
QO_API unsigned char* QoGetConnection(void* handle, int connection);

/* Copies a connection of `source` into `dest`; with `dest` NULL or
 * `new_handle` set into a new handle (holding dest's connections too).
 * Returns the handle that holds the copy (dest unchanged when it already
 * holds that connection ID), NULL on failure. The copy's days of a search
 * by date are day numbers. A new handle is the caller's, as one from
 * QoGetConnHandle. */
QO_API void* QoCopyConnection(void* dest, void* source, int connection, int new_handle);

/* The number of connections; 0 with error 30 when stale. */
QO_API int QoGetConnCount(void* handle);

/* Removes a connection; later ones move down. */
QO_API void QoDeleteConnection(void* handle, int connection);

/* The minutes from midnight of the search day the searched windows cover
 * (earliest may be negative, latest beyond 1439); each out may be NULL.
 * Both 0 with error 30 when stale. */
QO_API void QoGetConnTimeRange(void* handle, int* earliest, int* latest);

/* The day the handle's search was made for: by date day, month and year;
 * by day type the day type, its week-day mask and 0. All 0 with error 30
 * when stale. Each out may be NULL. */
QO_API void QoGetConnDate(void* handle, int* first, int* second, int* third);

/* Continues the current handle's search with the next earlier (`earlier`
 * 1) or later (0) window until it finds connections the handle lacks, and
 * merges them into its list. *first (may be NULL) gets the index of the
 * first new connection (towards earlier times: the last one), *count the
 * number of connections in the merged list, *buffer (may be NULL) the
 * result buffer of the whole list. Returns *count. Failure: 0 with error
 * 15 for an empty current handle, 16 when that direction is no longer
 * allowed, 17 when the window would move more than two days from the
 * search day, 11 when stopped before anything new was found (the searched
 * range stays as it was), 12 when nothing was found; 17 and 12 disallow
 * that direction. */
QO_API int QoNextConnection(int earlier, int* first, int* count, unsigned char** buffer);

/* ---- Connection search: details of one connection ------------------------- */

/* Each call takes a handle (NULL: the current one), a connection (index or
 * negated ID) and, where it concerns a leg, a leg index. Errors in this
 * order: 30 stale handle, 33 unknown ID, 20 index or leg out of range. */

/* The change points of the connection: where a leg ends at another place
 * than the next one begins (a walk), both places, else the one. Mode 1
 * adds the stations of the same name that the place's item in the station
 * list groups with each; mode 2 gives station keys instead of stations.
 * Returns their number (at most 45), the timetables and stations through
 * the out-parameters (each may be NULL; NULL when none). Failure: 0.
 * Lifetime: kernel-owned until the next QoGetConnChanges. */
QO_API int QoGetConnChanges(void* handle, int connection, int mode, const int** timetables,
                            const int** stations);

/* The number of via points passed once the leg ends; 0 on failure. */
QO_API int QoGetLevelVia(void* handle, int connection, int leg);

/* The leg's distance in metres and its duration in minutes, the stations'
 * time shifts taken off; each out is -1 first (may be NULL). */
QO_API void QoGetConnTrainDist(void* handle, int connection, int leg, int* distance, int* duration);

/* Minutes of the walk from the previous leg's arrival station to this
 * leg's departure station (barrier-free when the search asked for
 * low-floor only); 0 for leg 0, without a link and on failure. */
QO_API int QoGetConnLinkDist(void* handle, int connection, int leg);

/* Moves the change after the leg to `station` (-1: the best station both
 * trains serve, by the change rules), when both trains serve one place
 * there in time and the change is allowed. Both legs' distances are taken
 * anew from their trains (-1 when unknown). Returns 1 when it moved, else
 * 0 (also for the last leg and on failure). */
QO_API int QoSetConnChangeStation(void* handle, int connection, int leg, int station);

/* Where a change could be made on the leg's train, one entry per stop of
 * its route (as QoTrainRoute): -1 where none, else the minutes of the
 * change there; with `after` to the next leg's train, with `before` from
 * the previous leg's (each only within one timetable), the actual change
 * included. Of the stops at one place only the longest change stands.
 * Returns the number of route stops; 0 for a connection of one leg and on
 * failure. Lifetime: kernel-owned until the next QoGetConnChangeTime. */
QO_API int QoGetConnChangeTime(void* handle, int connection, int leg, const int** times, int before,
                               int after);

/* The running days of the connection in words (as QoGetDateRemTxt): the
 * days on which every leg's train runs, over the days that all legs'
 * timetables cover, from the base day and up to the day limit when the
 * day-remark options ask for them. Flight words when every leg is of an air
 * timetable. A lower-case language letter asks for nothing when the
 * connection runs on every day: then NULL. *days (a counted array of
 * bytes, non-zero where it runs) and *first_day (its day number) may be
 * NULL. An empty range gives "". Failure: NULL. Lifetime: kernel-owned
 * until the next QoGetConnDateRemExt or QoGetConnDateRem. */
QO_API const char* QoGetConnDateRemExt(void* handle, int connection, char language,
                                       const unsigned char** days, int* first_day);

/* QoGetConnDateRemExt without the days. */
QO_API const char* QoGetConnDateRem(void* handle, int connection, char language);

/* The stations the connection passes, as station keys: with `kind` 0 or
 * more every leg of a timetable of that kind and area `area_or_leg`, with
 * `kind` negative only leg `area_or_leg`; each train from its boarding to
 * its alighting stop, a repeated key once, and between two keys of one
 * timetable the key its second pair table puts between them. *marked is 1
 * when a passed station is marked (type bit 0x02); with `translate` and a
 * marked station the keys are translated by the timetable's key table
 * (error 23 and 0 without one), with the first pair table's key put
 * between keys of different groups (key / 100000). *first_day, when 0 and
 * the search was by date, gets the first walked leg's day number;
 * *category (rail legs) 2 for an "SC" train, 1 for "EC" or "IC", else it
 * stays. Returns the number of keys; the timetables (parallel) and keys
 * through the out-parameters (each may be NULL). Failure: 0. Lifetime:
 * kernel-owned until the next QoGetFullVia. */
QO_API int QoGetFullVia(void* handle, int connection, int kind, int area_or_leg, int translate,
                        const int** timetables, const int** keys, int* marked, int* first_day,
                        int* category);

/* The same for a train from the first stop at a station of `from_key` (its
 * first stop for key 0) to the next stop at a station of `to_key` (its
 * last for 0); keys resolved in column `key_kind` (as QoSearchStKeyEx).
 * Failure: 0 with error 3, 6, 23. Lifetime: kernel-owned until the next
 * QoGetTrainFullVia. */
QO_API int QoGetTrainFullVia(int timetable, int train, int from_key, int to_key, int key_kind,
                             int translate, const int** keys, int* marked);

/* ---- Fares ---------------------------------------------------------------
 * A found connection priced from the fare extensions of its timetables.
 * The result tables are kernel-owned until the next price call. */

#pragma pack(push, 1)
/* One fare line, 238 bytes. */
typedef struct tagPRICEDESC_REC {
  int price;           /* 0: hundredths of the currency's unit */
  char price_text[32]; /* 4: the price in the currency's format */
  char rule[100];      /* 36: the rule's name in the asked language */
  char measure[100];   /* 136: the measure, e.g. the distance with its unit */
  unsigned char flag;  /* 236: the rule's flags */
  unsigned char mark;  /* 237: the currency's total mark */
} PRICEDESC_REC;

/* One tariff section, 1448 bytes: its ends and up to six lines. */
typedef struct tagSECTION_REC {
  int from_timetable;     /* 0 */
  int from_station;       /* 4 */
  int to_timetable;       /* 8 */
  int to_station;         /* 12 */
  int count;              /* 16: lines used */
  PRICEDESC_REC lines[6]; /* 20 */
} SECTION_REC;

/* The older layouts of QoGetPrice and QoGetPriceExt: 222 and 1352 bytes. */
typedef struct tagPRICEDESC1_REC {
  int price;           /* 0 */
  char price_text[16]; /* 4: at most 15 characters */
  char rule[100];      /* 20: at most 99 characters */
  char measure[100];   /* 120 */
  unsigned char flag;  /* 220 */
  unsigned char mark;  /* 221 */
} PRICEDESC1_REC;

typedef struct tagSECTION1_REC {
  int from_timetable;
  int from_station;
  int to_timetable;
  int to_station;
  int count;
  PRICEDESC1_REC lines[6]; /* 20 */
} SECTION1_REC;
#pragma pack(pop)

/* Prices a connection (handle NULL: the current one; connection an index or
 * a negated ID) with the handle's search day or day type. `language` is a
 * language letter; `option` 1 asks for the second price of each rule (a
 * customer card) where the fare data offers one; `category` a fare category
 * (-1 none). Out: the total lines (one per currency mark, at most 31) and
 * the sections (at most 31); each out may be NULL. Returns 0 when every
 * part was priced, 1 when some part was not (or a table was full and lines
 * were dropped), 2 when nothing was priced or on error (30 stale handle, 33
 * unknown ID, 20 index beyond the list). */
QO_API int QoGetPriceExt2(void* handle, int connection, int language, int option,
                          PRICEDESC_REC** lines, int* line_count, SECTION_REC** sections,
                          int* section_count, int category);

/* QoGetPriceExt2 with its tables in the older layouts (texts cut). */
QO_API int QoGetPriceExt(void* handle, int connection, int language, int option,
                         PRICEDESC1_REC** lines, int* line_count, SECTION1_REC** sections,
                         int* section_count, int category);

/* QoGetPriceExt without a fare category. */
QO_API int QoGetPrice(void* handle, int connection, int language, int option,
                      PRICEDESC1_REC** lines, int* line_count, SECTION1_REC** sections,
                      int* section_count);

/* The leg positions at which the last price call cut a chain of linked
 * tariff nodes (a leg that came back over its own way); *list gets them
 * (may be NULL). Lifetime: until the next price call. */
QO_API int QoGetOpp(const int** list);

#ifdef __cplusplus
}
#endif

#endif /* QO_H */
