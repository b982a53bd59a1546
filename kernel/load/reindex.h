#pragma once
// The re-index: everything that crosses timetables, rebuilt from the loaded
// set after every load and close. It never swaps or rewrites a record's own
// fields (kind, area, keys); what it derives lives in each record's SetWide
// and in LoadedSetIndex(), so a fault part-way leaves every record whole.
#include <cstdint>

#include "load/timetable_record.h"

namespace qo {

// Once per record, right after its sections were taken: the working copies
// of its station type words, which StationTypes then views.
void PrepareSetWideData(TimetableRecord& record);

// The loader's steps of the re-index: set-wide station numbers, city remark
// flags, fare groups, cross-timetable links, merged station rings, towns
// shared with rail and linked cities. The full re-index after QoInit, QoInit2
// and a QoCloseQo that asks for it runs them among the steps of the layers
// above (ReindexLoadedSet, api/loaded_set_steps.h).
void RebuildSetWideData();

// Moves the data generation on, so that caches keyed by it are rebuilt; the
// last step of every re-index.
void AdvanceDataGeneration();

// After a close without the re-index: the loader's steps and the new
// generation, without the search parameter reset and the same-name marks,
// so that nothing refers to the closed timetable or to old indexes until the
// next full re-index.
void RebuildSetReferences();

// ORs bits into a station's working type word (allocating the words, zero,
// for a timetable whose file has none). Only re-index steps call it.
void SetDerivedStationTypeBits(TimetableRecord& record, uint16_t station, uint16_t bits);

// The stations of an item of a virtual list: their number, and the k-th.
int32_t ItemStationCount(VirtListRecord const& list, int32_t item);
uint16_t StationOfItem(VirtListRecord const& list, int32_t item, int32_t k);

// The station whose key is `key` (binary search over the key order when the
// file gives it), -1 when none.
int32_t FindStationByKey(ImageArray<int32_t> const& keys, ImageArray<uint16_t> const& byKey,
                         int32_t key);

}  // namespace qo
