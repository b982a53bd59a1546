#pragma once
// One loaded timetable. The file is read whole into Image and every section
// is a view into it (pointer + count); the reader never writes into Image, so
// its CRC still holds after loading. What the kernel derives at load (the
// renumbered virtual-list types, the per-station shift lists, the extension
// indexes, work buffers) lives in the record's own heap members.
//
// Field names follow the kernel's design names; fields that only later
// subsystems fill (the re-index, the search) are added by them.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/string_pool.h"
#include "format/image_array.h"
#include "load/qmap_node_grid.h"
#include "load/set_wide.h"

namespace qo {

// State that upper layers keep per timetable, held here only through
// pointers so that the loader needs none of their headers.
struct TrainSearchIndex;      // trains/train_search.h
struct NameSearchCache;       // stations/station_search.h
struct DayTypeState;          // calendars/day_type_state.h
struct CodeFilterState;       // servicecodes/code_filter_state.h
struct TimetableSearchState;  // search/search_state.h
struct GisClientLayers;       // map/gis_layers.h

struct PackedNumberTable {
  ImageArray<int32_t> Values;  // one per train; empty for an absent table
  StringPool Texts;            // value v < 0 prints text ~v
  char NumberFormat[11] = {};  // checked at load: one integer conversion
  char TextFormat[11] = {};    // checked at load: one %s
};

struct VirtListRecord {
  int32_t Type = 0;        // renumbered: 4..999 become type + kind*100000 + area*1000
  int32_t StoredType = 0;  // as in the file
  int32_t ItemCount = 0;
  uint8_t DefaultItemKind = 0;
  ImageArray<uint8_t> FirstLetters;
  ImageArray<uint8_t> SecondLetters;
  ImageArray<int32_t> ItemKeys;
  ImageArray<int8_t> ItemKinds;
  ImageArray<uint16_t> ItemStation;
  ImageArray<int32_t> ItemStationRanges;  // ItemCount + 1 entries into ItemStations
  ImageArray<uint16_t> ItemStations;
  ImageArray<uint8_t> ItemStationBytes;
  std::vector<StringPool> Names;  // one pool per data language
};

// A version-3 link record: stations of this timetable and the keys of the
// stations they link to in every timetable of that kind and area.
struct LinkRecord {
  uint8_t Kind = 0;
  uint8_t Area = 0;
  ImageArray<uint16_t> OwnStations;
  ImageArray<int32_t> Keys;
  ImageArray<uint8_t> Values;
};

// Stored search defaults and the current values the search may change.
struct SearchDefault {
  uint32_t Stored = 0;
  uint32_t Current = 0;
};

// An extension file attached to the record: its image (kept whole, never
// written) and the path it was read from.
struct ExtensionFile {
  OwnedArray Image;
  std::string Path;
};

// Fare extension (type 2). Only the frame is taken here; the fare engine
// reads the arrays.
struct FareTariff {
  const uint8_t* Record = nullptr;  // 144 bytes in the image
  std::array<RecordArray, 21> Slots;
  const uint8_t* Block = nullptr;  // 64-byte extension block (fare version 3+)
  std::array<RecordArray, 16> BlockSlots;
};

struct FareData {
  ExtensionFile File;
  std::array<uint8_t, 316> Header{};  // the first min(H, 316) bytes of the header block
  uint16_t Version = 0;
  uint8_t LanguageCount = 0;
  std::array<RecordArray, 10> Arrays;
  std::vector<RecordArray> KeyLists;  // the list of arrays after the ten
  std::vector<StringPool> LanguagePools;
  StringPool Texts;
  std::vector<FareTariff> Tariffs;                      // one per 144-byte record of Arrays[3]
  std::vector<std::array<RecordArray, 2>> ZoneRecords;  // per 24-byte record of Arrays[4]
  std::array<RecordArray, 3> Version2Arrays;
  std::array<RecordArray, 5> Version4Arrays;
  // Derived: per arc of the station graph, the fare area value (0 = none).
  std::vector<uint8_t> ArcMarks;
  // Derived: per tariff record, a bit set over the owner descriptions it
  // names (empty when the record has no owner selector).
  std::vector<std::vector<uint8_t>> OwnerBits;
};

struct GisLayer {
  const uint8_t* Record = nullptr;  // the 164-byte tagGISLAYER_REC as stored
  RecordArray Points;               // 12 bytes {x; y; station}
  RecordArray Vertices;             // 8 bytes {x; y}
  std::vector<RecordArray> Polylines;
  std::vector<RecordArray> Polylines2;
  RecordArray Items;
  RecordArray Labels;                        // 20 bytes {x; y; text; angle; alignment}
  std::vector<std::string_view> LabelTexts;  // per label; empty when its text field is 0
  RecordArray Further;
};

struct GisData {
  ExtensionFile File;
  uint16_t Version = 0;
  uint32_t MapId = 0;
  uint8_t LanguageCount = 0;
  std::array<char, 6> Letters{};
  std::array<uint32_t, 5> NameIndex{};
  // Derived from layer arrays 2 and 3: minimum x, maximum x, minimum y, maximum y.
  std::array<int32_t, 4> Extent{};
  std::array<RecordArray, 3> LayerArrays;
  std::array<std::vector<GisLayer>, 3> Layers;
  std::vector<RecordArray> ArrayList;
  std::vector<StringPool> MapNames;
  StringPool LayerNames;
  // Derived: per station the 1-based position in the station point table
  // (the points of the first layer of layer array 3), 0 = no point.
  std::vector<int32_t> StationPoint;
  // Derived: per point of that table, the station index (-1 none); without
  // station keys the stored station field.
  std::vector<int32_t> PointStation;
  // The layers as callers receive them, built on first use (map/gis_layers.h).
  std::shared_ptr<GisClientLayers> ClientLayers;
};

struct StationKeyData {
  ExtensionFile File;
  uint32_t Count = 0;
  // Groups of three parallel columns: station key, TCV key, reservation key.
  std::vector<std::array<ImageArray<int32_t>, 3>> Groups;
};

struct QMapData {
  ExtensionFile File;
  uint16_t Version = 0;
  uint32_t Held = 0;
  RecordArray HeldArray;
  RecordArray Coors;  // 24 bytes {i32 key; i32 valid from; double x; double y}
  ImageArray<int32_t> ArcIndex;
  RecordArray Arcs;  // 14 bytes {i32 target; i16 kind; i32 valid from; i32 first polyline ref}
  ImageArray<int32_t> PolylineRefs;
  std::vector<RecordArray> Polylines;  // 16-byte points
  RecordArray HeldArray2;
  ImageArray<int32_t> NeighbourIndex;
  ImageArray<int32_t> Neighbours;
  StringPool Pool;
  RecordArray Nodes;  // version 1+: 16-byte points
  ImageArray<int32_t> NodeCoor;
  ImageArray<int32_t> EdgeIndex;
  ImageArray<int32_t> EdgeTargets;
  ImageArray<int32_t> EdgeLengths;
  // Derived: per station the 1-based position of its newest coordinate
  // record, 0 = none.
  std::vector<int32_t> StationCoor;
  // Derived: per coordinate record the station index, or minus the stored
  // key for a record of no station.
  std::vector<int32_t> CoorStation;
  // Derived: per coordinate record the first node of the network that
  // stands for it, -1 = none.
  std::vector<int32_t> CoorNode;
  // Derived: the network's path nodes by cells of the plane.
  QMapNodeGrid NodeGrid;
  // The polyline references as callers read them in place: an aligned
  // copy, made on first use.
  OwnedArray AlignedRefs;
};

struct TimetableRecord {
  TimetableRecord() = default;
  TimetableRecord(const TimetableRecord&) = delete;
  TimetableRecord& operator=(const TimetableRecord&) = delete;
  TimetableRecord(TimetableRecord&&) = default;
  TimetableRecord& operator=(TimetableRecord&&) = default;

  // The whole file as a heap byte array (one CountedArray).
  OwnedArray Image;
  std::string FilePath;

  // Header.
  uint32_t TimetableId = 0;
  uint32_t FormatVersion = 0;
  uint8_t Kind = 0;
  uint8_t SavedKind = 0;  // the re-index reads rail as bus for a while
  uint8_t Area = 0;
  uint32_t Variant = 0;
  uint32_t CreationDate = 0;
  uint32_t DataFrom = 0;
  uint32_t DataTo = 0;
  uint32_t FirstDay = 0;
  uint32_t LastDay = 0;
  uint32_t LanguageCount = 0;
  std::string LanguageLetters;

  StringPool NamePool;
  StringPool DescriptionPool;
  StringPool ExtensionNames;
  std::vector<std::string> LoadedExtensions;  // paths of the extension files attached
  std::string_view ResourceName;
  std::array<char, 8> TimetableCode{};

  // Stations.
  uint32_t StationCount = 0;
  StringPool StationNames;
  ImageArray<int32_t> StationKeys;
  ImageArray<uint16_t> StationsByKey;
  ImageArray<uint8_t> StationFirstLetters;
  ImageArray<uint8_t> StationSecondLetters;
  ImageArray<int16_t> StationTimeShifts;
  // Per station its 6-byte entries {i32 limit; i16 shift}, when the file
  // stores shift lists instead of one shift per station.
  std::vector<RecordArray> StationShiftLists;
  ImageArray<uint16_t> StationTypes;
  uint32_t HasStationTypeBit10 = 0;
  ImageArray<int16_t> StationRegions;
  StringPool RegionNames;
  ImageArray<int16_t> StationRemarkIndex;
  StringPool StationRemarks;
  ImageArray<int16_t> DefaultChangeTimes;
  ImageArray<uint32_t> StationEventOffsets;  // byte offsets into StationEvents, S + 1
  RecordArray StationEvents;                 // 6-byte StationEvent records
  // When the file has no events the loader builds them here (heap memory
  // laid out by StationEventOffsets); StationEvents then views this array.
  OwnedArray BuiltStationEvents;
  uint32_t EventsBuilt = 0;
  std::vector<uint8_t> EventsSorted;  // per station: its event list is sorted

  // Station graph and walking links.
  ImageArray<int32_t> ArcOffsets;
  ImageArray<uint16_t> ArcStations;
  ImageArray<int32_t> ArcLengths;
  RecordArray Body24;
  ImageArray<int32_t> PassViaOffsets;
  ImageArray<int32_t> PassViaArcs;
  ImageArray<int16_t> TransferOffsets;
  ImageArray<uint16_t> TransferStations;
  ImageArray<int8_t> TransferValues;
  std::array<RecordArray, 5> Body30;

  uint32_t VirtListCount = 0;
  std::vector<VirtListRecord> VirtLists;
  std::vector<StringPool> StationNamePools;  // per language, one name per station

  // Trains.
  uint32_t TrainCount = 0;
  uint32_t MaxTrainStops = 0;
  // TrainCount + patterns + 1 byte offsets into TrainStopData.
  ImageArray<uint32_t> TrainStopOffsets;
  RecordArray TrainStopData;  // 4-byte stop words
  int32_t PatternCount = 0;
  std::vector<uint32_t> StopWorkBuffer;  // MaxTrainStops decoded stop words
  PackedNumberTable MainNumbers;
  PackedNumberTable SecondNumbers;
  ImageArray<uint32_t> TrainTypeWords;
  // A heap copy of the type words that the setters (QoSetInvalid) change;
  // once made, TrainTypeWords views it and the image keeps its own words.
  OwnedArray TrainTypeWordCopy;
  std::vector<StringPool> TrainTypeNames;      // per language
  std::vector<StringPool> TrainTypeLongNames;  // per language

  // General remarks.
  ImageArray<int16_t> RemarkGroups;
  ImageArray<int32_t> RemarkListOffsets;
  ImageArray<int16_t> RemarkTextIndexes;
  std::vector<StringPool> GeneralRemarkPools;

  // Calendar classes and day remarks.
  ImageArray<int16_t> CalendarClass;
  ImageArray<int32_t> DayRemarkOffsets;
  ImageArray<int16_t> DayRemarkTextIndexes;
  std::vector<StringPool> DayRemarkPools;
  int32_t CalendarClassCount = 0;  // 8 x the byte size of a day set

  RecordArray TrainStationRemarks;  // 12-byte rows
  RecordArray RemarkCodeSlots;
  std::vector<StringPool> StationRemarkPools;
  uint32_t CityRemarkFlag = 0;

  ImageArray<int32_t> ContinuationTrainA;
  ImageArray<int32_t> ContinuationStation;
  ImageArray<uint16_t> ContinuationTrainB;

  uint32_t HasDistances = 0;
  ImageArray<uint32_t> DistanceOffsets;  // T + 1 byte offsets into DistanceData, or empty
  ImageArray<int32_t> DistanceData;
  std::vector<int32_t> DistanceWorkBuffer;  // MaxTrainStops, when HasDistances
  RecordArray DistanceOverrides;            // 12 bytes {u32 train; u16 from; u16 to; i32 length}
  RecordArray TrainPairs;                   // 8 bytes {i32 train; i32 other}
  ImageArray<int16_t> TrainLines;
  std::vector<StringPool> LinePools;
  ImageArray<int16_t> TrainOwners;
  std::vector<StringPool> OwnerPools;

  // One day set per day of validity; all of one size.
  std::vector<RecordArray> RunningDayCalendar;
  std::array<RecordArray, 225> StoredDayTypeWindows;
  uint32_t StoredWindowsBuilt = 0;

  std::array<SearchDefault, 3> SearchDefaults;
  std::array<uint32_t, 8> Version1SearchDefaults{};
  uint32_t DefaultChangeTimesFlag = 0;
  uint32_t HourlyChangeTimesFlag = 0;
  RecordArray ViaSections;  // 12-byte rows
  RecordArray CustomsCodeMask;
  uint32_t Body49Value = 0;
  std::vector<RecordArray> PenaltyTables;      // as stored
  std::vector<OwnedArray> PenaltyTableCopies;  // modifiable heap copies

  // Version sections.
  std::vector<LinkRecord> LinkRecords;  // version 3
  ImageArray<uint8_t> Holidays;         // version 3; empty: built on first use
  uint32_t HolidaysBuilt = 0;
  RecordArray ZoneLines;                  // version 4: 8 bytes {i32 line value; i32 threshold}
  uint32_t TownKey = 0;                   // version 5
  std::array<RecordArray, 7> FareArrays;  // version 7 (the first: key translation)
  ImageArray<int16_t> HourlyChangeTimes;  // version 8
  uint32_t Version8Value = 0;
  ImageArray<uint16_t> GisTownItems;      // version 9
  std::array<RecordArray, 2> PairTables;  // version 10: 12-byte rows
  ImageArray<int8_t> TripEndFlags;        // version 11
  ImageArray<int32_t> ThroughTrips;
  RecordArray ThroughRows;  // 6 bytes {u16 station; i32 line value}

  // Service codes (versions 12, 14, 21, 22).
  StringPool CodeNames;
  StringPool CodeShortTexts;
  std::vector<StringPool> CodeDescriptions;
  RecordArray CodeSets;  // 8 bytes {u32 low; u32 high}
  ImageArray<uint8_t> CodeFilterLetters;
  ImageArray<int16_t> TrainCodeSet;
  ImageArray<int16_t> StationCodeSet;
  uint64_t BarrierFreeCodeMask = 0;
  std::array<uint8_t, 9> CodeReserved{};
  std::array<uint32_t, 4> CodeRoles{};  // roles 1, 2, 4, 3 as code + 1
  RecordArray CodeLetterMasks;          // version 22, 8 bytes, parallel to the letters
  ImageArray<int32_t> CodeFilterIds;
  uint32_t DayDependentTypeMask = 0;
  uint32_t SectionDependentTypeMask = 0;
  int32_t CodeCount = 0;

  RecordArray RegionNumberRows;  // version 13: 20-byte rows

  uint8_t MergeKind = 0;  // version 15
  uint8_t MergeArea = 0;
  ImageArray<int32_t> MergeStationKeys;
  ImageArray<uint16_t> MergeStationsByKey;

  // Version 16 stop patterns.
  ImageArray<int32_t> StopPatternIndex;
  RecordArray StopPatternStops;  // 4 bytes {u16 station; i16 arc kind}
  ImageArray<int32_t> TrainStopPattern;
  ImageArray<uint8_t> TrainPatternByte;

  uint32_t Version17Value = 0;

  // Version 18 line validity.
  RecordArray LineValidity;  // 17-byte records
  ImageArray<int32_t> LineValidityOffsets;
  ImageArray<uint16_t> LineValidityIndexes;

  ImageArray<int8_t> BarrierFreeLinkMinutes;  // version 19, parallel to TransferValues

  // Version 20 physical types.
  ImageArray<uint8_t> PhysicalTypes;  // per train
  std::vector<StringPool> PhysicalTypeNames;
  std::vector<StringPool> PhysicalTypeLongNames;
  ImageArray<uint8_t> PhysicalTypeBits;

  uint32_t StopFlagMask = 0;  // version 23

  // Extensions.
  std::unique_ptr<FareData> Fares;
  std::unique_ptr<GisData> Gis;
  std::unique_ptr<StationKeyData> StationKeyExt;
  std::unique_ptr<QMapData> QMap;
  int32_t FareGroup = -1;

  uint32_t TrainTypeMask = 0;
  // The train search's folded number texts, built at the first search.
  std::shared_ptr<TrainSearchIndex> TrainSearch;
  int32_t DayWindowMode = -1;  // the current day-type windows are not built
  int32_t DayWindowReference = 0;

  // The running filter the last search (or calendar query) left here:
  // inclusion word, day searched, day-type windows, days-off table, typical
  // sets. Made on first use (DayTypesOf).
  std::shared_ptr<DayTypeState> DayTypes;
  // Walking links as the search and the boards see them: a copy of the
  // minute bytes that QoEnableWalk switches, so that the image (and its CRC)
  // stays as read. Empty: the image's bytes hold.
  std::vector<int8_t> WalkMinutes;
  // What the last search left here beyond the running filter (SearchStateOf).
  std::shared_ptr<TimetableSearchState> Search;
  // The service-code filter of the last QoFCEnable (CodeFilterOf).
  std::shared_ptr<CodeFilterState> CodeFilter;

  // Aligned copies of stored int arrays that exports hand out as int
  // pointers (the image keeps them at any offset), made on first use.
  OwnedArray StationKeyCopy;
  OwnedArray CodeFilterIdCopy;

  // Derived from the whole loaded set; rebuilt by every re-index.
  SetWideData SetWide;

  // The name search's folded station and item names, built on first use
  // (stations/station_search.h).
  std::shared_ptr<NameSearchCache> NameSearch;

  // Per calendar class its last running day (calendar day index, -1 for
  // none), built on first use by the boards (boards/board_core.h).
  std::vector<int32_t> ClassLastRunDay;
  // Per train 1 when it runs only abroad, built on first use by the
  // trains-on-arcs query (map/trains_on_arcs.h).
  std::vector<uint8_t> ForeignRunMarks;
  // Per station the index of the first station of an equal name, built on
  // first use by the boards and again after a re-index changed the shown
  // names (same-name marks add the region to some).
  std::vector<int32_t> StationNameClass;
  uint32_t StationNameClassGeneration = 0;

  // Where the body's sections ended (the description block or the trailer
  // begins there).
  uint32_t BodyEnd = 0;

  // Bytes of the image; 0 before a file was read.
  int32_t ImageSize() const { return Image.bytes(); }
  const uint8_t* ImageBytes() const { return Image.get(); }
};

}  // namespace qo
