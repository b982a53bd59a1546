#include "tools/format_walker.h"

#include <cstring>
#include <stdexcept>

#include "core/byte_order.h"
#include "core/crc32.h"
#include "format/file_signatures.h"

namespace qo::writer::testing {

namespace {

struct Broken : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Cursor {
 public:
  Cursor(std::vector<uint8_t> const& bytes, size_t end) : bytes_(bytes), end_(end) {}

  size_t pos = 0;

  uint8_t const* Take(size_t n, char const* what) {
    if (n > end_ - pos) throw Broken(std::string("runs past the body at ") + what);
    uint8_t const* p = bytes_.data() + pos;
    pos += n;
    return p;
  }
  uint8_t U8(char const* what) { return *Take(1, what); }
  uint32_t U32(char const* what) { return LoadU32(Take(4, what)); }
  void CString(char const* what) {
    while (U8(what) != 0) {
    }
  }
  // An array; returns its count (0 for the empty array).
  uint32_t Array(char const* what, uint32_t elementSize = 0) {
    int32_t size = static_cast<int32_t>(U32(what));
    if (size == 0) return 0;
    if (size < 0) throw Broken(std::string("negative size at ") + what);
    int32_t count = static_cast<int32_t>(U32(what));
    if (count <= 0 || size % count != 0) throw Broken(std::string("bad count at ") + what);
    if (elementSize && static_cast<uint32_t>(size / count) != elementSize) {
      throw Broken(std::string("element size ") + std::to_string(size / count) + " at " + what);
    }
    Take(static_cast<size_t>(size), what);
    return static_cast<uint32_t>(count);
  }
  void Arrays(int n, char const* what) {
    for (int i = 0; i < n; ++i) Array(what);
  }
  // A pool; returns its number of texts.
  uint32_t Pool(char const* what) {
    size_t at = pos;
    uint32_t offsets = Array(what, 4);
    size_t charsAt = pos;
    uint32_t chars = Array(what, 1);
    if (offsets == 0) {
      if (chars != 0) throw Broken(std::string("characters without offsets at ") + what);
      return 0;
    }
    // Offsets ascend from 0 to the characters' size.
    int32_t previous = 0;
    for (uint32_t i = 0; i < offsets; ++i) {
      int32_t o = LoadI32(bytes_.data() + at + 8 + 4 * i);
      if ((i == 0 && o != 0) || o < previous) throw Broken(std::string("bad offsets at ") + what);
      previous = o;
    }
    (void)charsAt;
    if (static_cast<uint32_t>(previous) != chars) {
      throw Broken(std::string("offsets do not end at the characters at ") + what);
    }
    return offsets - 1;
  }
  void Pools(uint32_t n, char const* what) {
    for (uint32_t i = 0; i < n; ++i) Pool(what);
  }
  void List(char const* what) {
    uint32_t n = U32(what);
    if (n > end_ - pos) throw Broken(std::string("absurd list count at ") + what);
    Arrays(static_cast<int>(n), what);
  }

 private:
  std::vector<uint8_t> const& bytes_;
  size_t end_;
};

void CheckTrailer(std::vector<uint8_t> const& bytes) {
  if (bytes.size() < 48) throw Broken("shorter than a trailer");
  size_t crcAt = bytes.size() - 4;
  if (LoadU32(bytes.data() + crcAt) != ComputeCrc32(bytes.data(), crcAt)) {
    throw Broken("CRC mismatch");
  }
}

}  // namespace

Walk WalkTimetable(std::vector<uint8_t> const& bytes) {
  Walk walk;
  try {
    CheckTrailer(bytes);
    size_t trailer = bytes.size() - 48;
    uint32_t descriptionAt = LoadU32(bytes.data() + trailer);
    Cursor c(bytes, trailer);
    auto mark = [&](char const* name) { walk.sections.push_back({name, c.pos}); };

    mark("Header");
    uint8_t const* signature = c.Take(kTimetableSignatureSize, "signature");
    if (std::memcmp(signature, kTimetableSignatureText, kTimetableSignatureCompared) != 0) {
      throw Broken("signature");
    }
    c.U32("id");
    uint32_t version = walk.formatVersion = c.U32("version");
    if (version > 23) throw Broken("version");
    c.Take(2 + 4 + 20, "kind to dates");
    uint32_t n = c.U32("language count");
    c.Take(n, "language letters");

    mark("NamePool");
    if (c.Pool("names") != 2 * n) throw Broken("name pool must hold 2N texts");
    mark("DescriptionPool");
    c.Pool("descriptions");
    mark("ExtensionNames");
    c.Pool("extension names");
    mark("ResourceName");
    c.CString("resource name");
    mark("TimetableCode");
    c.Take(8, "code");
    mark("StationCount");
    uint32_t stations = c.U32("station count");
    mark("StationNames");
    uint32_t names = c.Pool("station names");
    if (names != stations) throw Broken("station names do not match the count");
    char const* perStation[] = {"StationKeys", "StationsByKey", "StationFirstLetters",
                                "StationSecondLetters"};
    uint32_t widths[] = {4, 2, 1, 1};
    for (int i = 0; i < 4; ++i) {
      mark(perStation[i]);
      uint32_t count = c.Array(perStation[i], widths[i]);
      if (count != 0 && count != stations) throw Broken(std::string(perStation[i]) + " count");
    }
    mark("StationTimeShifts");
    size_t shiftsAt = c.pos;
    uint32_t shifts = c.Array("time shifts");
    if (shifts && LoadU32(bytes.data() + shiftsAt) / shifts == 4) {
      for (uint32_t i = 0; i < shifts; ++i) c.Array("shift list", 6);
    }
    mark("StationTypes");
    c.Array("types", 2);
    mark("StationRegions");
    c.Array("regions", 2);
    mark("RegionNames");
    c.Pool("region names");
    mark("StationRemarkIndex");
    c.Array("remark index", 2);
    mark("StationRemarks");
    c.Pool("station remarks");
    mark("DefaultChangeTimes");
    c.Array("change times", 2);
    mark("StationEventOffsets");
    c.Array("event offsets", 4);
    mark("StationEvents");
    c.Array("events", 6);
    mark("ArcOffsets");
    c.Array("arc offsets", 4);
    mark("ArcStations");
    c.Array("arc stations", 2);
    mark("ArcLengths");
    c.Array("arc lengths", 4);
    mark("Unused24");
    c.Array("item 24");
    mark("PassViaOffsets");
    c.Array("pass-via offsets", 4);
    mark("PassViaArcs");
    c.Array("pass-via arcs", 4);
    mark("TransferOffsets");
    c.Array("transfer offsets", 2);
    mark("TransferStations");
    c.Array("transfer stations", 2);
    mark("TransferValues");
    c.Array("transfer values", 1);
    mark("Unused30");
    c.Arrays(5, "item 30");
    mark("VirtualLists");
    uint32_t lists = c.U32("virtual list count");
    for (uint32_t v = 0; v < lists; ++v) {
      c.Take(9, "virtual list record");
      c.Arrays(8, "virtual list arrays");
      c.Pools(n, "virtual list names");
    }
    mark("StationNamePools");
    c.Pools(n, "station name pools");
    mark("TrainCount");
    uint32_t trains = c.U32("train count");
    c.U32("max train stops");
    mark("TrainStops");
    uint32_t offsets = c.Array("stop offsets", 4);
    if (trains && offsets < trains + 1) throw Broken("stop offsets shorter than the trains");
    c.Array("stop words", 4);
    for (char const* table : {"MainNumbers", "SecondNumbers"}) {
      mark(table);
      c.Take(32, "number block");
      c.Array("number values", 4);
      c.Pool("number texts");
    }
    mark("TrainTypeWords");
    c.Array("type words", 4);
    mark("TrainTypeNames");
    c.Pools(2 * n, "type names");
    mark("GeneralRemarks");
    c.Array("remark groups", 2);
    c.Array("remark offsets", 4);
    c.Array("remark indexes", 2);
    c.Pools(n, "remark texts");
    mark("Calendar");
    c.Array("classes", 2);
    c.Array("day remark offsets", 4);
    c.Array("day remark indexes", 2);
    c.Pools(n, "day remark texts");
    mark("TrainStationRemarks");
    c.Array("train station remarks", 12);
    uint32_t slots = c.Array("remark slots", 8);
    c.Pools(slots, "station remark texts");
    mark("Continuations");
    c.Array("continuation A", 4);
    c.Array("continuation station", 4);
    c.Array("continuation B", 2);
    mark("HasDistances");
    c.U32("has distances");
    mark("TrainDistances");
    c.Array("distance offsets", 4);
    c.Array("distances", 4);
    mark("TrainExtras");
    c.Array("overrides", 12);
    c.Array("pairs", 8);
    c.Array("lines", 2);
    c.Pools(n, "line texts");
    c.Array("owners", 2);
    c.Pools(n, "owner texts");
    mark("RunningDays");
    c.List("running days");
    mark("DayTypeWindows");
    c.Arrays(225, "day type windows");
    mark("SearchDefaults");
    c.Take(12, "search defaults");
    mark("SearchTables");
    c.Array("via sections", 12);
    c.Array("customs mask", 8);
    c.U32("reserved");
    mark("ChangePenaltyTables");
    c.List("penalty tables");

    auto section = [&](uint32_t v, char const* name) {
      if (version < v) return false;
      mark(name);
      return true;
    };
    if (section(1, "V1SearchDefaults")) c.Take(32, "v1");
    if (section(2, "V2Reserved")) {
      c.CString("v2 text");
      c.U32("v2 value");
    }
    if (section(3, "V3Links")) {
      uint32_t records = c.Array("link records", 14);
      c.Arrays(static_cast<int>(3 * records), "link arrays");
      c.Array("holidays", 1);
    }
    if (section(4, "V4ZoneLines")) c.Array("zone lines", 8);
    if (section(5, "V5TownKey")) c.U32("town key");
    section(6, "V6");
    if (section(7, "V7FareData")) c.Arrays(7, "v7");
    if (section(8, "V8HourlyChangeTimes")) {
      if (c.Array("hourly", 2) % 24 != 0) throw Broken("hourly change times count");
      c.U32("v8 value");
    }
    if (section(9, "V9GisTowns")) c.Array("gis towns", 2);
    if (section(10, "V10PairTables")) {
      c.Array("first pairs", 12);
      c.Array("second pairs", 12);
    }
    if (section(11, "V11Lines")) {
      c.Array("start/end flags", 1);
      c.Array("through trips", 4);
      c.Array("through rows", 6);
    }
    if (section(12, "V12ServiceCodes")) {
      c.Pool("code names");
      c.Pool("code short texts");
      c.Pools(n, "code descriptions");
      c.Array("code sets", 8);
      c.Array("filter letters", 1);
      c.Array("per-train codes", 2);
      c.Array("per-station codes", 2);
      c.Take(8 + 9, "code masks");
    }
    if (section(13, "V13RegionNumbers")) c.Array("region numbers", 20);
    if (section(14, "V14CodeRoles")) c.Take(12, "roles");
    if (section(15, "V15Merge")) {
      c.Take(2, "merge kind and area");
      c.Array("merge keys", 4);
      c.Array("merge by key", 2);
    }
    if (section(16, "V16StopPatterns")) {
      c.Array("pattern index", 4);
      c.Array("pattern stops", 4);
      c.Array("pattern per train", 4);
      c.Array("pattern bytes", 1);
    }
    if (section(17, "V17FareValue")) c.U32("v17");
    if (section(18, "V18LineValidity")) {
      c.Array("validity records", 17);
      c.Array("validity offsets", 4);
      c.Array("validity indexes", 2);
    }
    if (section(19, "V19BarrierFreeLinks")) c.Array("barrier-free links", 1);
    if (section(20, "V20PhysicalTypes")) {
      if (c.Array("physical types", 1)) c.Pools(2 * n, "physical type names");
      c.Array("physical type bits", 1);
    }
    if (section(21, "V21CodeRole4")) c.U32("role 4");
    if (section(22, "V22CodeFilters")) {
      c.Array("letter masks", 8);
      c.Array("filter ids", 4);
      c.Take(8, "type masks");
    }
    if (section(23, "V23StopFlagMask")) c.U32("stop flag mask");

    if (version >= 2) {
      mark("Description");
      if (descriptionAt != c.pos) throw Broken("description offset in the trailer");
      size_t start = c.pos;
      c.CString("description");
      if (c.pos - start - 1 > 99) throw Broken("description longer than 99 characters");
      c.U32("description value");
    } else if (descriptionAt != 0) {
      throw Broken("description offset without a description");
    }
    if (c.pos != trailer) throw Broken("the sections end before the trailer");
    walk.sections.push_back({"Trailer", trailer});
  } catch (Broken const& e) {
    walk.error = e.what();
  }
  return walk;
}

Walk WalkExtension(std::vector<uint8_t> const& bytes) {
  Walk walk;
  try {
    if (bytes.size() < 4) throw Broken("shorter than a CRC");
    size_t crcAt = bytes.size() - 4;
    if (LoadU32(bytes.data() + crcAt) != ComputeCrc32(bytes.data(), crcAt))
      throw Broken("CRC mismatch");
    Cursor c(bytes, crcAt);
    walk.sections.push_back({"Header", 0});
    uint8_t const* signature = c.Take(kExtensionSignatureSize, "signature");
    if (std::memcmp(signature, kExtensionSignatureText, kExtensionSignatureCompared) != 0) {
      throw Broken("signature");
    }
    c.U32("owner");
    uint32_t type = c.U32("type");
    walk.sections.push_back({"Body", c.pos});
    switch (type) {
      case 2: {
        size_t start = c.pos;
        uint16_t length = LoadU16(c.Take(2, "fare header length"));
        uint16_t version = LoadU16(c.Take(2, "fare version"));
        uint8_t languages = c.U8("fare languages");
        c.pos = start;
        c.Take(length, "fare header");
        uint32_t tariffs = 0, records24 = 0;
        for (int i = 0; i < 10; ++i) {
          uint32_t count = c.Array("fare arrays", i == 3 ? 144 : i == 4 ? 24 : 0);
          if (i == 3) tariffs = count;
          if (i == 4) records24 = count;
        }
        c.List("fare list");
        c.Pools(languages, "fare language pools");
        c.Pool("fare pool");
        c.Arrays(static_cast<int>(21 * tariffs + 2 * records24), "fare record arrays");
        if (tariffs) throw Broken("the walk does not follow tariff extensions");
        if (version >= 2) c.Arrays(3, "fare v2");
        if (version >= 4) c.Arrays(5, "fare v4");
        break;
      }
      case 3: {
        c.Take(2 + 4, "gis header");
        uint8_t languages = c.U8("gis languages");
        c.Take(6 + 20 + 16, "gis header");
        for (int i = 0; i < 3; ++i) {
          if (c.Array("gis layers", 164)) throw Broken("the walk does not follow layers");
        }
        c.List("gis list");
        c.Pools(languages, "gis pools");
        c.Pool("gis pool");
        break;
      }
      case 4: {
        uint32_t sets = c.U32("key sets");
        c.Arrays(3 * (1 + (sets >= 1) + (sets >= 2)), "station key columns");
        break;
      }
      case 5: {
        uint16_t version = LoadU16(c.Take(2, "qmap version"));
        c.U32("qmap value");
        c.Arrays(5, "qmap arrays");
        c.List("qmap list");
        c.Arrays(3, "qmap arrays");
        c.Pool("qmap pool");
        if (version >= 1) c.Arrays(5, "qmap v1");
        break;
      }
      default:
        throw Broken("type");
    }
    if (c.pos != crcAt) throw Broken("the body ends before the CRC");
    walk.sections.push_back({"Crc", crcAt});
  } catch (Broken const& e) {
    walk.error = e.what();
  }
  return walk;
}

ArrayView ViewArray(std::vector<uint8_t> const& bytes, size_t offset) {
  ArrayView view;
  view.byteSize = LoadU32(bytes.data() + offset);
  if (view.byteSize == 0) return view;
  view.count = LoadU32(bytes.data() + offset + 4);
  view.data = bytes.data() + offset + 8;
  return view;
}

}  // namespace qo::writer::testing
