// Line, direction and stop-timetable exports. The settings and the
// validity trace of the last stop timetable are the process's; the cores
// get them as arguments.
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "api/line_settings.h"
#include "core/counted_array.h"
#include "lines/line_directions.h"
#include "lines/line_requests.h"
#include "lines/stop_timetable.h"
#include "load/timetable_record.h"

using namespace qo;

static_assert(sizeof(ZJRTIME_REC) == 16 && sizeof(ZJRTIME_REC) == sizeof(ZjrRecord));
static_assert(offsetof(ZJRTIME_REC, marks) == offsetof(ZjrRecord, marks));
static_assert(offsetof(ZJRTIME_REC, service) == offsetof(ZjrRecord, service));

LineSettings& qo::api::ExportLineSettings() {
  static LineSettings settings;
  return settings;
}

namespace {

LineSettings& Settings() { return api::ExportLineSettings(); }

ValidityTrace& LastTrace() {
  static ValidityTrace trace;
  return trace;
}

int& DirectionTrain() {
  static int train = 0;
  return train;
}

TimetableRecord* CheckTrain(int timetable, int train) {
  TimetableRecord* t = api::CheckTimetable(timetable);
  return t && api::CheckTrain(*t, train) ? t : nullptr;
}

int LanguageOrFirst(TimetableRecord const& t, int language) {
  return language >= 0 && static_cast<uint32_t>(language) < t.LanguageCount ? language : 0;
}

// The stop timetable and the stop remarks take the same day and direction
// from their callers; only what follows differs.
template <class Request>
Request StopsRequest(TimetableRecord const& t, unsigned int mask, int train, int language, int day,
                     int month, int year, int week, const int* stations, int count) {
  Request request;
  request.mask = mask;
  request.train = static_cast<uint32_t>(train);
  request.language = LanguageOrFirst(t, language);
  request.day = day;
  request.month = month;
  request.year = year;
  request.week = week != 0;
  request.stations = stations;
  request.count = count;
  return request;
}

// Texts handed out converted, with their pointers.
struct OutTexts {
  std::vector<std::vector<char>> buffers;
  std::vector<char const*> pointers;
  char const** Hand(std::vector<std::string> const& texts) {
    buffers.resize(texts.size());
    pointers.resize(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) pointers[i] = api::ConvertOut(texts[i], buffers[i]);
    return pointers.empty() ? nullptr : pointers.data();
  }
};

// The directions of the last QoLineDirections(Ex) as the caller sees them.
struct DirectionsOut {
  std::vector<LineDirection> directions;
  std::vector<int> counts, flags;
  std::vector<std::vector<int>> stations;
  std::vector<int*> stationPointers;
  std::vector<unsigned char*> endPointers;
};

int LineDirectionsOut(int timetable, unsigned int mask, int train, int day, int month, int year,
                      int week, int** counts, int*** stations, unsigned char*** ends, int** flags) {
  static DirectionsOut out;
  if (counts) *counts = nullptr;
  if (stations) *stations = nullptr;
  if (ends) *ends = nullptr;
  if (flags) *flags = nullptr;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = CheckTrain(timetable, train);
    if (!t) return 0;
    DirectionRequest request{mask, static_cast<uint32_t>(train), day, month, year, week != 0};
    if (int error = CollectLineDirections(*t, Settings(), request, out.directions)) {
      SetKernelError(error);
      return 0;
    }
    if (ends) MarkDirectionEnds(*t, out.directions);
    const size_t n = out.directions.size();
    out.counts.resize(n);
    out.flags.resize(n);
    out.stations.resize(n);
    out.stationPointers.resize(n);
    out.endPointers.resize(n);
    for (size_t i = 0; i < n; ++i) {
      LineDirection& d = out.directions[i];
      out.counts[i] = static_cast<int>(d.stops.size());
      out.flags[i] = d.flag;
      out.stations[i].resize(d.stops.size());
      for (size_t s = 0; s < d.stops.size(); ++s) out.stations[i][s] = WordStation(d.stops[s]);
      out.stationPointers[i] = out.stations[i].data();
      out.endPointers[i] = d.endMarks.empty() ? nullptr : d.endMarks.data();
    }
    if (n == 0) return 0;
    if (counts) *counts = out.counts.data();
    if (stations) *stations = out.stationPointers.data();
    if (ends) *ends = out.endPointers.data();
    if (flags) *flags = out.flags.data();
    return static_cast<int>(n);
  });
}

int DirectionOut(int timetable, unsigned int mask, int train, int a, int b, int day, int month,
                 int year, int week, int reverse, int** stations, unsigned char** ends, int* flag) {
  static LineDirection found;
  static std::vector<int> list;
  if (stations) *stations = nullptr;
  if (ends) *ends = nullptr;
  if (flag) *flag = 0;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckStation(*t, a) || !api::CheckStation(*t, b) || !api::CheckTrain(*t, train))
      return 0;
    DirectionRequest request{mask, static_cast<uint32_t>(train), day, month, year, week != 0};
    int error = 0;
    if (!FindLineDirection(*t, Settings(), request, a, b, reverse != 0, ends != nullptr, found,
                           &error)) {
      if (error) SetKernelError(error);
      return 0;
    }
    list.resize(found.stops.size());
    for (size_t s = 0; s < found.stops.size(); ++s) list[s] = WordStation(found.stops[s]);
    DirectionTrain() = found.firstTrip;
    if (stations) *stations = list.data();
    if (ends && !found.endMarks.empty()) *ends = found.endMarks.data();
    if (flag) *flag = found.flag;
    return static_cast<int>(list.size());
  });
}

}  // namespace

extern "C" {

QO_API int QoLineTrains(int timetable, unsigned int mask, int** out) {
  static std::vector<int32_t> trains;
  if (out) *out = nullptr;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    CollectLineTrains(*t, mask, trains);
    // Entries past the count read as zero, as callers of the old array expect.
    const size_t n = trains.size();
    trains.resize((n / 256 + 1) * 256, 0);
    trains.resize(std::max(trains.size(), n));
    if (out) *out = trains.data();
    return static_cast<int>(n);
  });
}

QO_API int QoLineDirectionsEx(int timetable, unsigned int mask, int train, int day, int month,
                              int year, int week, int** counts, int*** stations,
                              unsigned char*** ends, int** flags) {
  return LineDirectionsOut(timetable, mask, train, day, month, year, week, counts, stations, ends,
                           flags);
}

QO_API int QoLineDirections(int timetable, unsigned int mask, int train, int day, int month,
                            int year, int week, int** counts, int*** stations,
                            unsigned char*** ends) {
  return LineDirectionsOut(timetable, mask, train, day, month, year, week, counts, stations, ends,
                           nullptr);
}

QO_API int QoZJRSetWeekMode(int mode) {
  Settings().weekMode = mode >= 0 && mode <= 2 ? mode : 2;
  return mode;
}

QO_API int QoSetExtactInclusion(int value) {
  if (value >= 0)
    Settings().inclusion = value != 0;
  else
    Settings().rare = -value - 1;
  return value;
}

QO_API int QoZJRTimes(int timetable, unsigned int mask, int train, int language, int day, int month,
                      int year, int week, const int* stations, int count, int stop,
                      int remark_letter, int*** hour_counts, ZJRTIME_REC**** hours,
                      unsigned char** days, int* legend_count, const char*** legend_codes,
                      const char*** legend_texts, int* service_kind) {
  static StopTimetableWork work;
  static StopTimetable table;
  static std::vector<std::array<OwnedArray, 24>> lists;
  static std::vector<std::array<ZJRTIME_REC*, 24>> listPointers;
  static std::vector<ZJRTIME_REC**> groupLists;
  static std::vector<int*> groupCounts;
  static std::vector<unsigned char> masks;
  static OutTexts codes, texts;
  if (hour_counts) *hour_counts = nullptr;
  if (hours) *hours = nullptr;
  if (days) *days = nullptr;
  if (legend_count) *legend_count = 0;
  if (legend_codes) *legend_codes = nullptr;
  if (legend_texts) *legend_texts = nullptr;
  if (service_kind) *service_kind = 0;
  LastTrace().Clear();
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = CheckTrain(timetable, train);
    if (!t) return 0;
    auto request = StopsRequest<StopTimetableRequest>(*t, mask, train, language, day, month, year,
                                                      week, stations, count);
    request.stop = stop;
    request.remarkLetter = static_cast<unsigned char>(remark_letter);
    if (int error = BuildStopTimetable(*t, Settings(), request, work, LastTrace(), table)) {
      SetKernelError(error);
      return 0;
    }
    const size_t g = table.groups.size();
    lists.clear();
    lists.resize(g);
    listPointers.assign(g, {});
    groupLists.resize(g);
    groupCounts.resize(g);
    masks.resize(g);
    for (size_t i = 0; i < g; ++i) {
      StopTimetableGroup& group = table.groups[i];
      for (size_t h = 0; h < 24; ++h) {
        std::vector<ZjrRecord> const& records = group.hours[h];
        if (records.empty()) continue;
        AllocArrayRaw(lists[i][h].address(), static_cast<int32_t>(records.size()),
                      sizeof(ZJRTIME_REC));
        std::memcpy(lists[i][h].get(), records.data(), records.size() * sizeof(ZjrRecord));
        listPointers[i][h] = reinterpret_cast<ZJRTIME_REC*>(lists[i][h].get());
      }
      groupLists[i] = listPointers[i].data();
      groupCounts[i] = group.hourCounts.data();
      masks[i] = group.days;
    }
    if (g > 0) {
      if (hour_counts) *hour_counts = groupCounts.data();
      if (hours) *hours = groupLists.data();
      if (days) *days = masks.data();
    }
    if (legend_count) *legend_count = static_cast<int>(table.legendCodes.size());
    if (legend_codes) *legend_codes = codes.Hand(table.legendCodes);
    if (legend_texts) *legend_texts = texts.Hand(table.legendTexts);
    if (service_kind) *service_kind = table.serviceKind;
    return static_cast<int>(g);
  });
}

QO_API int QoZJRTimesLimits(int* from, int* until) {
  int32_t a = 0, b = 0;
  const bool known = StopTimetableLimits(LastTrace(), &a, &b);
  if (from) *from = a;
  if (until) *until = b;
  return known ? 1 : 0;
}

QO_API int QoZJRLineSubstitute(int timetable, int train, int day) {
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = CheckTrain(timetable, train);
    if (!t) return 0;
    return TripIsSubstitute(*t, static_cast<uint32_t>(train), day) ? 1 : 0;
  });
}

QO_API void QoZJRResolve(int timetable, unsigned int mask, const char* from_text,
                         const char* to_text, const char* line_text, int most, int** from,
                         int* from_count, int** to, int* to_count, int** lines, int* line_count) {
  static ResolveResult result;
  if (from) *from = nullptr;
  if (to) *to = nullptr;
  if (lines) *lines = nullptr;
  if (from_count) *from_count = 0;
  if (to_count) *to_count = 0;
  if (line_count) *line_count = 0;
  api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    const std::string fromText = api::TakeText(from_text, 99);
    const std::string toText = api::TakeText(to_text, 99);
    const std::string lineText = api::TakeText(line_text, 99);
    ResolveRequest request;
    request.mask = mask;
    request.from = fromText;
    request.to = toText;
    request.line = lineText;
    request.wantFrom = from && from_count;
    request.wantTo = to && to_count;
    request.wantLines = lines && line_count;
    request.limit = most;
    ResolveLineRequest(*t, request, result);
    auto hand = [](std::vector<int32_t>& list, int** out, int* n) {
      if (!out || !n || list.empty()) return;
      *out = list.data();
      *n = static_cast<int>(list.size());
    };
    hand(result.from, from, from_count);
    hand(result.to, to, to_count);
    hand(result.lines, lines, line_count);
    return 0;
  });
}

QO_API const unsigned char* QoZJRStationsOnLine(int timetable, unsigned int mask,
                                                const char* line_text) {
  static std::vector<uint8_t> marks;
  return api::GuardedExport<const unsigned char*>(nullptr, [&]() -> const unsigned char* {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return nullptr;
    const std::string text = api::TakeText(line_text, 99);
    if (!MarkStationsOnLine(*t, mask, text, marks)) return nullptr;
    return marks.data();
  });
}

QO_API int QoZJRDirectionEx(int timetable, unsigned int mask, int train, int a, int b, int day,
                            int month, int year, int week, int reverse, int** stations,
                            unsigned char** ends, int* flag) {
  return DirectionOut(timetable, mask, train, a, b, day, month, year, week, reverse, stations, ends,
                      flag);
}

QO_API int QoZJRDirection(int timetable, unsigned int mask, int train, int a, int b, int day,
                          int month, int year, int week, int** stations, unsigned char** ends) {
  return DirectionOut(timetable, mask, train, a, b, day, month, year, week, 0, stations, ends,
                      nullptr);
}

QO_API int QoZJRDirectionTrain(void) { return DirectionTrain(); }

QO_API int QoZJRStRemDist(int timetable, unsigned int mask, int train, int language, int day,
                          int month, int year, int week, const int* stations, int count,
                          int* remarks, int* least, int* greatest, const char** letters,
                          const char*** texts) {
  static StopRemarks codes;
  static std::vector<char> letterOut;
  static OutTexts textOut;
  if (letters) *letters = nullptr;
  if (texts) *texts = nullptr;
  if (!remarks) return 0;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = CheckTrain(timetable, train);
    if (!t) return 0;
    auto request = StopsRequest<StopRemarkRequest>(*t, mask, train, language, day, month, year,
                                                   week, stations, count > 0 ? count : 0);
    if (int error = CollectStopRemarks(*t, Settings(), request, remarks, least, greatest, codes)) {
      SetKernelError(error);
      return 0;
    }
    if (letters) *letters = api::ConvertOut(codes.letters, letterOut);
    if (texts) *texts = textOut.Hand(codes.texts);
    return static_cast<int>(codes.letters.size());
  });
}

}  // extern "C"
