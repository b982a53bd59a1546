// qodump: prints what the kernel reads. Without arguments it prints the
// kernel's version; with files it reads each through the kernel's readers
// (a timetable with the extensions it names, or a lone extension file) and
// prints the header and the sections: counts and first entries, texts in
// UTF-8.
#include <cstdio>
#include <string>
#include <string_view>

#include "Qo.h"
#include "core/string_pool.h"
#include "dates/day_number.h"
#include "format/file_signatures.h"
#include "load/read_extension.h"
#include "load/read_timetable.h"
#include "text/cp1250.h"

namespace {

using qo::TimetableRecord;

std::string Utf8(std::string_view text) { return qo::Cp1250ToUtf8(text); }

std::string Date(uint32_t day) {
  int d, m, y;
  qo::DayToDmy(static_cast<int>(day), &d, &m, &y);
  if (y == 0) return "-";
  char text[16];
  std::snprintf(text, sizeof text, "%d.%d.%d", d, m, y);
  return text;
}

// A pool's first texts, quoted and joined.
std::string First(const qo::StringPool& pool, int32_t count = 3) {
  std::string out;
  int32_t n = qo::GetPoolCount(pool);
  for (int32_t i = 0; i < n && i < count; ++i) {
    if (i) out += ", ";
    out += "\"" + Utf8(qo::PoolString(pool, i)) + "\"";
  }
  if (n > count) out += ", ...";
  return out;
}

// An extension name resolved against the timetable's path: ".x" goes after
// the file's name without its extension, a name with a separator is used as
// it is, any other name goes into the timetable's directory.
std::string ResolveExtension(const std::string& timetable, std::string name) {
  if (!name.empty() && name[0] == '.') {
    size_t dot = timetable.rfind('.');
    size_t slash = timetable.find_last_of("/\\");
    std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                           ? timetable.substr(0, dot)
                           : timetable;
    name = stem + name;
  }
  if (name.find_first_of("/\\") != std::string::npos) return name;
  size_t slash = timetable.find_last_of("/\\");
  return slash == std::string::npos ? name : timetable.substr(0, slash + 1) + name;
}

void PrintExtensions(const TimetableRecord& t) {
  if (t.Fares)
    std::printf("  fares: version %u, %d tariff records, %d languages, %zu arcs marked\n",
                t.Fares->Version, t.Fares->Arrays[3].size(), t.Fares->LanguageCount,
                t.Fares->ArcMarks.size());
  if (t.Gis) {
    const qo::GisData& g = *t.Gis;
    std::printf("  GIS: map %u, layers %zu/%zu/%zu, extent x %d..%d y %d..%d\n", g.MapId,
                g.Layers[0].size(), g.Layers[1].size(), g.Layers[2].size(), g.Extent[0],
                g.Extent[1], g.Extent[2], g.Extent[3]);
    int32_t withPoint = 0;
    for (int32_t p : g.StationPoint) withPoint += p != 0;
    std::printf("    stations with a point: %d, map names: %s\n", withPoint,
                g.MapNames.empty() ? "" : First(g.MapNames[0]).c_str());
  }
  if (t.StationKeyExt)
    std::printf("  station keys: %zu column groups, %d rows\n", t.StationKeyExt->Groups.size(),
                t.StationKeyExt->Groups.empty() ? 0 : t.StationKeyExt->Groups[0][0].size());
  if (t.QMap) {
    int32_t withCoor = 0;
    for (int32_t c : t.QMap->StationCoor) withCoor += c != 0;
    std::printf(
        "  QMap: version %u, %d coordinate rows, %d arcs, %zu polylines, %d nodes; "
        "stations with a coordinate: %d\n",
        t.QMap->Version, t.QMap->Coors.size(), t.QMap->Arcs.size(), t.QMap->Polylines.size(),
        t.QMap->Nodes.size(), withCoor);
  }
}

void PrintTimetable(const TimetableRecord& t) {
  std::printf("  id %u, format version %u, kind %u, area %u, variant %u, languages \"%s\"\n",
              t.TimetableId, t.FormatVersion, t.Kind, t.Area, t.Variant, t.LanguageLetters.c_str());
  std::printf("  names: %s\n",
              First(t.NamePool, 2 * static_cast<int32_t>(t.LanguageCount)).c_str());
  std::printf("  created %s, data %s - %s, valid %s - %s\n", Date(t.CreationDate).c_str(),
              Date(t.DataFrom).c_str(), Date(t.DataTo).c_str(), Date(t.FirstDay).c_str(),
              Date(t.LastDay).c_str());
  std::string_view description;
  uint32_t value;
  if (qo::ReadDescriptionBlock(t, &description, &value))
    std::printf("  description: \"%s\" (%u)\n", Utf8(description).c_str(), value);
  std::printf("  image %d bytes, sections end at %u\n", t.ImageSize(), t.BodyEnd);

  std::printf("  stations: %u: %s\n", t.StationCount, First(t.StationNames).c_str());
  if (!t.StationKeys.empty())
    std::printf("    first keys: %d%s\n", t.StationKeys[0],
                t.StationKeys.size() > 1 ? ", ..." : "");
  std::printf("    regions %d, remarks %d, arcs %d, walking links %d, time shifts %s\n",
              qo::GetPoolCount(t.RegionNames), qo::GetPoolCount(t.StationRemarks),
              t.ArcStations.size(), t.TransferStations.size(),
              !t.StationShiftLists.empty()  ? "per-station lists"
              : t.StationTimeShifts.empty() ? "none"
                                            : "one per station");
  std::printf("    station events: %s\n", t.StationEvents.empty() ? "built at load" : "stored");
  std::printf("  virtual lists: %u\n", t.VirtListCount);
  for (const qo::VirtListRecord& list : t.VirtLists) {
    std::string name = list.Names.empty() ? "" : Utf8(qo::PoolString(list.Names[0], 0));
    std::printf("    type %d (stored %d): \"%s\", %d items\n", list.Type, list.StoredType,
                name.c_str(), list.ItemCount);
  }
  std::printf("  trains: %u, at most %u stops, %d shared patterns\n", t.TrainCount, t.MaxTrainStops,
              t.TrainStopOffsets.empty()
                  ? 0
                  : t.TrainStopOffsets.size() - 1 - static_cast<int32_t>(t.TrainCount));
  if (!t.MainNumbers.Values.empty()) {
    std::printf("    first numbers:");
    for (int32_t i = 0; i < t.MainNumbers.Values.size() && i < 5; ++i) {
      int32_t v = t.MainNumbers.Values[i];
      if (v >= 0)
        std::printf(" %d", v);
      else
        std::printf(" \"%s\"", Utf8(qo::PoolString(t.MainNumbers.Texts, ~v)).c_str());
    }
    std::printf("\n");
  }
  if (!t.TrainTypeNames.empty())
    std::printf("    train types: %s\n", First(t.TrainTypeNames[0], 5).c_str());
  std::printf("    calendar: %zu days, %d classes; distances %s; owners %d, lines %d\n",
              t.RunningDayCalendar.size(),
              t.RunningDayCalendar.empty() ? 0 : t.RunningDayCalendar[0].bytes() * 8,
              t.HasDistances ? "yes" : "no",
              t.OwnerPools.empty() ? 0 : qo::GetPoolCount(t.OwnerPools[0]),
              t.LinePools.empty() ? 0 : qo::GetPoolCount(t.LinePools[0]));
  if (t.FormatVersion >= 3) std::printf("  link records: %zu\n", t.LinkRecords.size());
  if (t.FormatVersion >= 12) std::printf("  service codes: %d\n", t.CodeCount);
  if (t.FormatVersion >= 15 && t.MergeKind)
    std::printf("  merged as kind %u area %u\n", t.MergeKind, t.MergeArea);
  std::printf("  extension names: %s\n", First(t.ExtensionNames, 10).c_str());
}

bool IsExtensionFile(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  char head[qo::kExtensionSignatureCompared];
  bool is = std::fread(head, 1, sizeof head, file) == sizeof head &&
            std::string_view(head, sizeof head) ==
                std::string_view(qo::kExtensionSignatureText, sizeof head);
  std::fclose(file);
  return is;
}

// " (what refused it)" after an error, when the reader named it.
std::string Because(const std::string& refusal) {
  return refusal.empty() ? std::string() : " (" + refusal + ")";
}

int Dump(const char* path) {
  std::printf("%s\n", path);
  TimetableRecord t;
  std::string refusal;
  qo::ExtensionReadOptions options;
  options.refusal = &refusal;
  bool attached = false;
  if (IsExtensionFile(path)) {
    int error = qo::ReadExtensionFile(&t, path, options, &attached);
    if (error || !attached) {
      std::printf("  not read: error %d%s\n", error, Because(refusal).c_str());
      return 1;
    }
    PrintExtensions(t);
    return 0;
  }
  int error = qo::ReadTimetableFile(path, nullptr, &t, &refusal);
  if (error) {
    std::printf("  not read: error %d%s\n", error, Because(refusal).c_str());
    return 1;
  }
  PrintTimetable(t);
  for (int32_t i = 0; i < qo::GetPoolCount(t.ExtensionNames); ++i) {
    std::string name = ResolveExtension(path, std::string(qo::PoolString(t.ExtensionNames, i)));
    refusal.clear();
    int extError = qo::ReadExtensionFile(&t, name.c_str(), options, &attached);
    std::printf("  extension %s: %s\n", Utf8(name).c_str(),
                attached   ? "attached"
                : extError ? ("refused" + Because(refusal)).c_str()
                           : "not attached");
  }
  PrintExtensions(t);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::printf(
          "usage: qodump [FILE...]\n"
          "Prints what the Qo kernel reads from each timetable (.qo, with the\n"
          "extensions it names) or lone extension file: header, sections, counts\n"
          "and first entries, texts in UTF-8. Without files: the kernel's version.\n"
          "A file that begins with '-' is given as ./-name.\n");
      return 0;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "qodump: unknown option %s (try --help)\n", argv[i]);
      return 2;
    }
  }
  std::printf("Qo kernel %s\n", QoVer());
  if (argc < 2) return 0;
  int failures = 0;
  for (int i = 1; i < argc; ++i) failures += Dump(argv[i]);
  return failures ? 1 : 0;
}
