// Fares of found connections: the current tables of the fare engine, and
// their older, shorter layouts.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "Qo.h"
#include "api/export_support.h"
#include "search/fare_engine.h"
#include "search/search_handle.h"
#include "text/text_convert.h"

using namespace qo;

static_assert(sizeof(PRICEDESC_REC) == sizeof(PriceLine));
static_assert(sizeof(SECTION_REC) == sizeof(PriceSection));
static_assert(offsetof(PRICEDESC_REC, rule) == offsetof(PriceLine, Rule));
static_assert(offsetof(PRICEDESC_REC, measure) == offsetof(PriceLine, Measure));
static_assert(offsetof(PRICEDESC_REC, mark) == 237);
static_assert(offsetof(SECTION_REC, lines) == offsetof(PriceSection, Lines));
static_assert(sizeof(PRICEDESC1_REC) == 222);
static_assert(offsetof(PRICEDESC1_REC, measure) == 120);
static_assert(sizeof(SECTION1_REC) == 1352);

namespace {

// The price of a connection of a live handle into the kernel's tables;
// 2 with the kernel error set when the handle or the connection is wrong.
int PriceConnection(void* handle, int connection, int language, int option, int category) {
  ReleaseStaleCurrentHandle();
  SearchHandle* h = handle ? static_cast<SearchHandle*>(handle) : &CurrentSearchHandle();
  FareTables& tables = CurrentFareTables();
  tables.TotalCount = tables.SectionCount = 0;
  tables.Cuts.clear();
  if (IsStaleHandle(*h)) {
    SetKernelError(ErrConnListReleased);
    return FareNotPriced;
  }
  int index = FindConnectionIndex(*h, connection);
  if (index < 0) return FareNotPriced;
  Connection const& legs = h->Connections[static_cast<size_t>(index)];
  if (legs.empty()) return FareNotPriced;
  FareRequest request;
  int32_t day = static_cast<int32_t>(h->Request.Day) + legs.front().DepartureDay;
  request.TravelDay = static_cast<DayNumber>(std::clamp(day, 1, 0xFFFE));
  request.ByDayType = h->Request.ByDayType;
  request.DayType = h->Request.DayType;
  request.WeekdayMask = h->Request.WeekdayMask;
  request.Language = static_cast<char>(language);
  request.Variant = option;
  request.Category = category;
  int result = CalculateFare(legs, request, tables);
  // The texts cross the interface in the caller's text mode, each within its
  // own field (a text that grows is cut at the field's end).
  auto convert = [](PriceLine& line) {
    ConvertTextOutMode(GetTextMode(), line.Text, sizeof line.Text);
    ConvertTextOutMode(GetTextMode(), line.Rule, sizeof line.Rule);
    ConvertTextOutMode(GetTextMode(), line.Measure, sizeof line.Measure);
  };
  for (int i = 0; i < tables.TotalCount; ++i) convert(tables.Totals[static_cast<size_t>(i)]);
  for (int i = 0; i < tables.SectionCount; ++i)
    for (PriceLine& line : tables.Sections[static_cast<size_t>(i)].Lines) convert(line);
  return result;
}

void CutText(char* out, size_t size, char const* in, size_t inSize) {
  size_t n = strnlen(in, inSize);
  n = std::min(n, size - 1);
  std::memcpy(out, in, n);
  std::memset(out + n, 0, size - n);
}

void ToOldLine(PriceLine const& in, PRICEDESC1_REC& out) {
  out.price = in.Price;
  CutText(out.price_text, sizeof out.price_text, in.Text, sizeof in.Text);
  CutText(out.rule, sizeof out.rule, in.Rule, sizeof in.Rule);
  CutText(out.measure, sizeof out.measure, in.Measure, sizeof in.Measure);
  out.flag = in.Flag;
  out.mark = in.Mark;
}

// The exports' common course: every output cleared, the connection priced,
// then `publish` sets the outputs from the kernel's tables in the export's
// own layout.
template <class Line, class Section, class Publish>
int PriceForExport(void* handle, int connection, int language, int option, int category,
                   Line** lines, int* line_count, Section** sections, int* section_count,
                   Publish publish) {
  if (lines) *lines = nullptr;
  if (line_count) *line_count = 0;
  if (sections) *sections = nullptr;
  if (section_count) *section_count = 0;
  return api::GuardedExport<int>(FareNotPriced, [&] {
    int result = PriceConnection(handle, connection, language, option, category);
    publish(CurrentFareTables(), result);
    return result;
  });
}

}  // namespace

extern "C" {

QO_API int QoGetPriceExt2(void* handle, int connection, int language, int option,
                          PRICEDESC_REC** lines, int* line_count, SECTION_REC** sections,
                          int* section_count, int category) {
  return PriceForExport(handle, connection, language, option, category, lines, line_count, sections,
                        section_count, [&](FareTables& tables, int) {
                          if (lines)
                            *lines = reinterpret_cast<PRICEDESC_REC*>(tables.Totals.data());
                          if (line_count) *line_count = tables.TotalCount;
                          if (sections)
                            *sections = reinterpret_cast<SECTION_REC*>(tables.Sections.data());
                          if (section_count) *section_count = tables.SectionCount;
                        });
}

QO_API int QoGetPriceExt(void* handle, int connection, int language, int option,
                         PRICEDESC1_REC** lines, int* line_count, SECTION1_REC** sections,
                         int* section_count, int category) {
  static PRICEDESC1_REC oldLines[kMaxFareLines];
  static SECTION1_REC oldSections[kMaxFareSections];
  return PriceForExport(handle, connection, language, option, category, lines, line_count, sections,
                        section_count, [&](FareTables const& tables, int result) {
                          if (result == FareNotPriced) return;
                          if (tables.TotalCount > 0 && lines) {
                            for (int i = 0; i < tables.TotalCount; ++i)
                              ToOldLine(tables.Totals[static_cast<size_t>(i)], oldLines[i]);
                            *lines = oldLines;
                          }
                          if (line_count) *line_count = tables.TotalCount;
                          if (tables.SectionCount > 0 && sections) {
                            for (int i = 0; i < tables.SectionCount; ++i) {
                              PriceSection const& in = tables.Sections[static_cast<size_t>(i)];
                              SECTION1_REC& out = oldSections[i];
                              std::memset(&out, 0, sizeof out);
                              out.from_timetable = in.FromTimetable;
                              out.from_station = in.FromStation;
                              out.to_timetable = in.ToTimetable;
                              out.to_station = in.ToStation;
                              out.count = in.Count;
                              for (int k = 0; k < in.Count && k < kMaxSectionLines; ++k)
                                ToOldLine(in.Lines[k], out.lines[k]);
                            }
                            *sections = oldSections;
                          }
                          if (section_count) *section_count = tables.SectionCount;
                        });
}

QO_API int QoGetPrice(void* handle, int connection, int language, int option,
                      PRICEDESC1_REC** lines, int* line_count, SECTION1_REC** sections,
                      int* section_count) {
  return QoGetPriceExt(handle, connection, language, option, lines, line_count, sections,
                       section_count, -1);
}

QO_API int QoGetOpp(const int** list) {
  if (list) *list = nullptr;
  return api::Export<int>(0, [&] {
    std::vector<int32_t> const& cuts = CurrentFareTables().Cuts;
    if (list) *list = cuts.empty() ? nullptr : cuts.data();
    return static_cast<int>(cuts.size());
  });
}

}  // extern "C"
