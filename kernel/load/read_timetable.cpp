#include "load/read_timetable.h"

#include <cstdio>
#include <climits>
#include <cstring>
#include <utility>

#include "format/file_signatures.h"
#include "format/section_reader.h"
#include "frame/error_codes.h"
#include "load/file_image.h"
#include "load/timetable_checks.h"

namespace qo {
namespace {

// Least bytes a virtual-list record takes besides its pools: type, count,
// kind and eight lone-zero arrays.
constexpr uint64_t kVirtListMinBytes = 4 + 4 + 1 + 8 * 4;

// Stations are u16 in every stored reference, trains 24 bits in a station
// event: larger counts cannot be addressed and mark a damaged file.
constexpr uint32_t kMaxStations = 65536;
constexpr uint32_t kMaxTrains = 1u << 24;

void TakePackedNumbers(SectionReader& r, PackedNumberTable* table) {
  // The block's first twelve bytes are the writer's placeholders for the
  // handles; the reader keeps its views in the record instead.
  const uint8_t* block = r.Bytes(32);
  table->Values = r.Array<int32_t>();
  table->Texts = r.Pool();
  if (!block) return;
  std::memcpy(table->NumberFormat, block + 12, 10);
  std::memcpy(table->TextFormat, block + 22, 10);
  table->NumberFormat[10] = 0;
  table->TextFormat[10] = 0;
}

void TakeVirtLists(SectionReader& r, TimetableRecord& t) {
  r.Section("virtual lists");
  t.VirtListCount = r.U32();
  if (!r.CanHold(t.VirtListCount, kVirtListMinBytes + 8ull * t.LanguageCount)) return;
  t.VirtLists.reserve(t.VirtListCount);
  for (uint32_t i = 0; i < t.VirtListCount && r.ok(); ++i) {
    VirtListRecord list;
    uint32_t type = r.U32();
    uint32_t items = r.U32();
    list.DefaultItemKind = r.U8();
    if (!r.Check(type <= INT32_MAX && items <= INT32_MAX, "list type or item count")) return;
    list.StoredType = static_cast<int32_t>(type);
    list.ItemCount = static_cast<int32_t>(items);
    // Types 4 to 999 are local to a timetable; the renumbering makes them
    // unique across the loaded set. The image keeps the stored type.
    list.Type = list.StoredType;
    if (list.StoredType >= 4 && list.StoredType < 1000)
      list.Type = list.StoredType + t.Kind * 100000 + t.Area * 1000;
    list.FirstLetters = r.Array<uint8_t>();
    list.SecondLetters = r.Array<uint8_t>();
    list.ItemKeys = r.Array<int32_t>();
    list.ItemKinds = r.Array<int8_t>();
    list.ItemStation = r.Array<uint16_t>();
    list.ItemStationRanges = r.Array<int32_t>();
    list.ItemStations = r.Array<uint16_t>();
    list.ItemStationBytes = r.Array<uint8_t>();
    list.Names = r.Pools(t.LanguageCount);
    t.VirtLists.push_back(std::move(list));
  }
}

void TakeStations(SectionReader& r, TimetableRecord& t) {
  r.Section("stations");
  t.StationCount = r.U32();
  if (!r.Check(t.StationCount <= kMaxStations, "station count")) return;
  t.StationNames = r.Pool();
  t.StationKeys = r.Array<int32_t>();
  t.StationsByKey = r.Array<uint16_t>();
  t.StationFirstLetters = r.Array<uint8_t>();
  t.StationSecondLetters = r.Array<uint8_t>();
  // Either one i16 shift per station, or a placeholder of 4-byte elements
  // whose count says how many per-station lists of {i32 limit; i16 shift}
  // follow.
  RecordArray shifts = r.Records();
  if (shifts.stride() == 2) {
    t.StationTimeShifts = shifts.As<int16_t>();
  } else if (shifts.stride() == 4) {
    if (!r.Check(static_cast<uint32_t>(shifts.size()) == t.StationCount, "time-shift lists"))
      return;
    if (!r.CanHold(t.StationCount, 4)) return;
    t.StationShiftLists.reserve(t.StationCount);
    for (uint32_t s = 0; s < t.StationCount && r.ok(); ++s)
      t.StationShiftLists.push_back(r.Records(6));
  } else if (!shifts.empty()) {
    r.Fail("time-shift element size");
  }
  t.StationTypes = r.Array<uint16_t>();
  t.StationRegions = r.Array<int16_t>();
  t.RegionNames = r.Pool();
  t.StationRemarkIndex = r.Array<int16_t>();
  t.StationRemarks = r.Pool();
  t.DefaultChangeTimes = r.Array<int16_t>();
  t.StationEventOffsets = r.Array<uint32_t>();
  t.StationEvents = r.Records(6);
  t.ArcOffsets = r.Array<int32_t>();
  t.ArcStations = r.Array<uint16_t>();
  t.ArcLengths = r.Array<int32_t>();
  t.Body24 = r.Records();
  t.PassViaOffsets = r.Array<int32_t>();
  t.PassViaArcs = r.Array<int32_t>();
  t.TransferOffsets = r.Array<int16_t>();
  t.TransferStations = r.Array<uint16_t>();
  t.TransferValues = r.Array<int8_t>();
  for (RecordArray& unused : t.Body30) unused = r.Records();
}

void TakeTrains(SectionReader& r, TimetableRecord& t) {
  const uint32_t n = t.LanguageCount;
  r.Section("trains");
  t.TrainCount = r.U32();
  t.MaxTrainStops = r.U32();
  if (!r.Check(t.TrainCount <= kMaxTrains, "train count")) return;
  t.TrainStopOffsets = r.Array<uint32_t>();
  t.TrainStopData = r.Records(4);
  TakePackedNumbers(r, &t.MainNumbers);
  TakePackedNumbers(r, &t.SecondNumbers);
  t.TrainTypeWords = r.Array<uint32_t>();
  if (!r.CanHold(n, 16)) return;
  for (uint32_t i = 0; i < n && r.ok(); ++i) {
    t.TrainTypeNames.push_back(r.Pool());
    t.TrainTypeLongNames.push_back(r.Pool());
  }

  t.RemarkGroups = r.Array<int16_t>();
  t.RemarkListOffsets = r.Array<int32_t>();
  t.RemarkTextIndexes = r.Array<int16_t>();
  t.GeneralRemarkPools = r.Pools(n);

  t.CalendarClass = r.Array<int16_t>();
  t.DayRemarkOffsets = r.Array<int32_t>();
  t.DayRemarkTextIndexes = r.Array<int16_t>();
  t.DayRemarkPools = r.Pools(n);

  t.TrainStationRemarks = r.Records(12);
  t.RemarkCodeSlots = r.Records(8);
  t.StationRemarkPools = r.Pools(static_cast<uint32_t>(t.RemarkCodeSlots.size()));

  t.ContinuationTrainA = r.Array<int32_t>();
  t.ContinuationStation = r.Array<int32_t>();
  t.ContinuationTrainB = r.Array<uint16_t>();

  t.HasDistances = r.U32();
  t.DistanceOffsets = r.Array<uint32_t>();
  t.DistanceData = r.Array<int32_t>();

  t.DistanceOverrides = r.Records(12);
  t.TrainPairs = r.Records(8);
  t.TrainLines = r.Array<int16_t>();
  t.LinePools = r.Pools(n);
  t.TrainOwners = r.Array<int16_t>();
  t.OwnerPools = r.Pools(n);
}

void TakeCalendarAndSearch(SectionReader& r, TimetableRecord& t) {
  r.Section("calendar and search");
  uint32_t days = r.U32();
  if (!r.CanHold(days, 4)) return;
  t.RunningDayCalendar.reserve(days);
  for (uint32_t d = 0; d < days && r.ok(); ++d) t.RunningDayCalendar.push_back(r.Records());
  for (RecordArray& window : t.StoredDayTypeWindows) window = r.Records();

  for (SearchDefault& value : t.SearchDefaults) value.Stored = value.Current = r.U32();
  t.ViaSections = r.Records(12);
  t.CustomsCodeMask = r.Records(8);
  t.Body49Value = r.U32();
  t.PenaltyTables = r.ArrayList(1);
}

void TakeVersionSections(SectionReader& r, TimetableRecord& t) {
  const uint32_t v = t.FormatVersion;
  const uint32_t n = t.LanguageCount;
  r.Section("version sections");
  if (v >= 1)
    for (uint32_t& value : t.Version1SearchDefaults) value = r.U32();
  if (v >= 2) {
    r.CString();  // reserved text
    r.U32();
  }
  if (v >= 3) {
    RecordArray links = r.Records(14);
    if (!r.CanHold(static_cast<uint64_t>(links.size()) * 3, 4)) return;
    t.LinkRecords.reserve(links.size());
    for (int32_t i = 0; i < links.size() && r.ok(); ++i) {
      LinkRecord link;
      link.Kind = links.Field<uint8_t>(i, 0);
      link.Area = links.Field<uint8_t>(i, 1);
      link.OwnStations = r.Array<uint16_t>();
      link.Keys = r.Array<int32_t>();
      link.Values = r.Array<uint8_t>();
      t.LinkRecords.push_back(link);
    }
    t.Holidays = r.Array<uint8_t>();
  }
  if (v >= 4) t.ZoneLines = r.Records(8);
  if (v >= 5) t.TownKey = r.U32();
  if (v >= 7) {
    t.FareArrays[0] = r.Records(8);
    for (size_t i = 1; i < t.FareArrays.size(); ++i) t.FareArrays[i] = r.Records();
  }
  if (v >= 8) {
    t.HourlyChangeTimes = r.Array<int16_t>();
    t.Version8Value = r.U32();
  }
  if (v >= 9) t.GisTownItems = r.Array<uint16_t>();
  if (v >= 10)
    for (RecordArray& table : t.PairTables) table = r.Records(12);
  if (v >= 11) {
    t.TripEndFlags = r.Array<int8_t>();
    t.ThroughTrips = r.Array<int32_t>();
    t.ThroughRows = r.Records(6);
  }
  if (v >= 12) {
    t.CodeNames = r.Pool();
    t.CodeShortTexts = r.Pool();
    t.CodeDescriptions = r.Pools(n);
    t.CodeSets = r.Records(8);
    t.CodeFilterLetters = r.Array<uint8_t>();
    t.TrainCodeSet = r.Array<int16_t>();
    t.StationCodeSet = r.Array<int16_t>();
    if (const uint8_t* mask = r.Bytes(8))
      t.BarrierFreeCodeMask = LoadLE<uint32_t>(mask) | uint64_t{LoadLE<uint32_t>(mask + 4)} << 32;
    if (const uint8_t* reserved = r.Bytes(9)) std::memcpy(t.CodeReserved.data(), reserved, 9);
    t.CodeCount = GetPoolCount(t.CodeNames);
  }
  if (v >= 13) t.RegionNumberRows = r.Records(20);
  if (v >= 14) {
    // The record keeps the roles in the order 1, 2, 4, 3.
    t.CodeRoles[0] = r.U32();
    t.CodeRoles[1] = r.U32();
    t.CodeRoles[3] = r.U32();
  }
  if (v >= 15) {
    t.MergeKind = r.U8();
    t.MergeArea = r.U8();
    t.MergeStationKeys = r.Array<int32_t>();
    t.MergeStationsByKey = r.Array<uint16_t>();
  }
  if (v >= 16) {
    t.StopPatternIndex = r.Array<int32_t>();
    t.StopPatternStops = r.Records(4);
    t.TrainStopPattern = r.Array<int32_t>();
    t.TrainPatternByte = r.Array<uint8_t>();
  }
  if (v >= 17) t.Version17Value = r.U32();
  if (v >= 18) {
    t.LineValidity = r.Records(17);
    t.LineValidityOffsets = r.Array<int32_t>();
    t.LineValidityIndexes = r.Array<uint16_t>();
  }
  if (v >= 19) t.BarrierFreeLinkMinutes = r.Array<int8_t>();
  if (v >= 20) {
    t.PhysicalTypes = r.Array<uint8_t>();
    if (!t.PhysicalTypes.empty()) {
      if (!r.CanHold(n, 16)) return;
      for (uint32_t i = 0; i < n && r.ok(); ++i) {
        t.PhysicalTypeNames.push_back(r.Pool());
        t.PhysicalTypeLongNames.push_back(r.Pool());
      }
    }
    t.PhysicalTypeBits = r.Array<uint8_t>();
  }
  if (v >= 21) t.CodeRoles[2] = r.U32();
  if (v >= 22) {
    t.CodeLetterMasks = r.Records(8);
    t.CodeFilterIds = r.Array<int32_t>();
    t.DayDependentTypeMask = r.U32();
    t.SectionDependentTypeMask = r.U32();
  }
  if (v >= 23) t.StopFlagMask = r.U32();
}

// The body must end exactly where the description block (version 2 on) or
// the trailer begins, and the block must lie between the two.
bool CheckBodyEnd(const TimetableRecord& t, size_t bodyEnd) {
  size_t size = static_cast<size_t>(t.ImageSize());
  size_t trailer = size - kTrailerBytes;
  if (t.FormatVersion < 2) return bodyEnd == trailer;
  uint32_t description = LoadLE<uint32_t>(t.ImageBytes() + trailer);
  if (description != bodyEnd) return false;
  std::string_view text;
  uint32_t value;
  return ReadDescriptionBlock(t, &text, &value);
}

// What is derived at load and kept in the record's own memory.
void SetUpDerived(TimetableRecord& t) {
  for (int32_t s = 0; s < t.StationTypes.size(); ++s) {
    if (t.StationTypes[s] & 0x0400) {
      t.HasStationTypeBit10 = 1;
      break;
    }
  }
  t.StopWorkBuffer.assign(t.MaxTrainStops, 0);
  if (t.HasDistances) t.DistanceWorkBuffer.assign(t.MaxTrainStops, 0);
  t.PenaltyTableCopies.clear();
  for (const RecordArray& table : t.PenaltyTables)
    t.PenaltyTableCopies.emplace_back(CopyArray(table.handle()));
  uint32_t changeTimes = (!t.DefaultChangeTimes.empty() || !t.HourlyChangeTimes.empty()) ? 1 : 0;
  t.DefaultChangeTimesFlag = changeTimes;
  t.HourlyChangeTimesFlag = changeTimes;
  t.DayWindowMode = -1;
  t.DayWindowReference = 0;
  t.SavedKind = t.Kind;
}

}  // namespace

bool HasTimetableSignature(const uint8_t* bytes, size_t size) {
  return size >= kTimetableSignatureSize &&
         std::memcmp(bytes, kTimetableSignature.data(), kTimetableSignatureCompared) == 0;
}

int ProbeTimetableFile(const char* path, uint32_t* timetableId) {
  std::FILE* file = OpenBinaryFile(path);
  if (!file) return ErrOpenDataFile;
  uint8_t head[kHeaderIdOffset + 4];
  bool ok = std::fread(head, 1, sizeof head, file) == sizeof head &&
            HasTimetableSignature(head, sizeof head);
  std::fclose(file);
  if (!ok) return ErrDataFileHeader;
  if (timetableId) *timetableId = LoadLE<uint32_t>(head + kHeaderIdOffset);
  return 0;
}

int ReadTimetableImage(const char* path, bool progress, LoadCallback callback,
                       TimetableRecord* record) {
  std::FILE* file = OpenBinaryFile(path);
  if (!file) return ErrOpenDataFile;
  OwnedArray image;
  bool read = ReadFileImage(file, progress, callback, &image);
  std::fclose(file);
  if (!read || !HasTimetableSignature(image.get(), static_cast<size_t>(image.bytes())))
    return ErrDataFileHeader;
  record->Image = std::move(image);
  record->FilePath = path;
  return 0;
}

int TakeTimetableSections(TimetableRecord* record, std::string* refusal) {
  TimetableRecord& t = *record;
  const uint8_t* image = t.ImageBytes();
  size_t size = static_cast<size_t>(t.ImageSize());
  auto refuse = [&](const std::string& why) {
    if (refusal) *refusal = why;
    *record = TimetableRecord();
    return static_cast<int>(ErrDataFileHeader);
  };
  if (!image || size < kHeaderFixedBytes + kTrailerBytes) return refuse("shorter than a header");
  if (!HasTimetableSignature(image, size)) return refuse("signature");

  SectionReader r(image, image + size);
  r.Section("header");
  r.LimitTo(size - kTrailerBytes);
  r.Skip(kTimetableSignatureSize);
  t.TimetableId = r.U32();
  t.FormatVersion = r.U32();
  t.Kind = r.U8();
  t.Area = r.U8();
  t.Variant = r.U32();
  t.CreationDate = r.U32();
  t.DataFrom = r.U32();
  t.DataTo = r.U32();
  t.FirstDay = r.U32();
  t.LastDay = r.U32();
  t.LanguageCount = r.U32();
  r.Check(t.FormatVersion <= kMaxFormatVersion, "format version");
  const uint8_t* letters = r.Bytes(t.LanguageCount);
  if (!letters) return refuse(r.RefusalText());
  t.LanguageLetters.assign(reinterpret_cast<const char*>(letters), t.LanguageCount);

  r.Section("names");
  t.NamePool = r.Pool();
  t.DescriptionPool = r.Pool();
  t.ExtensionNames = r.Pool();
  t.ResourceName = r.CString();
  if (const uint8_t* code = r.Bytes(8)) std::memcpy(t.TimetableCode.data(), code, 8);
  TakeStations(r, t);
  TakeVirtLists(r, t);
  r.Section("station names");
  t.StationNamePools = r.Pools(t.LanguageCount);
  TakeTrains(r, t);
  TakeCalendarAndSearch(r, t);
  TakeVersionSections(r, t);
  if (!r.ok()) return refuse(r.RefusalText());

  t.BodyEnd = static_cast<uint32_t>(r.Offset());
  if (!CheckBodyEnd(t, r.Offset())) return refuse("body end or description block");
  if (Refusal why = CheckTimetableReferences(t)) return refuse(why);
  SetUpDerived(t);
  return 0;
}

int ReadTimetableFile(const char* path, LoadCallback callback, TimetableRecord* record,
                      std::string* refusal) {
  int error = ReadTimetableImage(path, false, callback, record);
  if (error) {
    if (refusal) *refusal = error == ErrOpenDataFile ? "not opened" : "not read or signature";
    return error;
  }
  return TakeTimetableSections(record, refusal);
}

int ReadTimetableBytes(const void* data, size_t size, TimetableRecord* record,
                       std::string* refusal) {
  if (size == 0 || size > INT32_MAX) {
    if (refusal) *refusal = "image size";
    return ErrDataFileHeader;
  }
  OwnedArray image;
  AllocArrayRaw(image.address(), static_cast<int32_t>(size), 1);
  std::memcpy(image.get(), data, size);
  record->Image = std::move(image);
  return TakeTimetableSections(record, refusal);
}

bool ReadDescriptionBlock(const TimetableRecord& record, std::string_view* text, uint32_t* value) {
  size_t size = static_cast<size_t>(record.ImageSize());
  if (record.FormatVersion < 2 || size < kHeaderFixedBytes + kTrailerBytes) return false;
  const uint8_t* image = record.ImageBytes();
  size_t trailer = size - kTrailerBytes;
  uint32_t offset = LoadLE<uint32_t>(image + trailer);
  if (offset < kHeaderFixedBytes || offset >= trailer) return false;
  SectionReader r(image, image + trailer);
  r.Skip(offset);
  std::string_view found = r.CString();
  uint32_t after = r.U32();
  if (!r.ok() || found.size() > 99) return false;
  *text = found;
  *value = after;
  return true;
}

}  // namespace qo
