#include "writer/timetable_writer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <map>
#include <numeric>
#include <set>

#include "core/crc32.h"
#include "format/file_signatures.h"
#include "virtlists/item_kinds.h"
#include "writer/byte_sink.h"
#include "writer/fare_writer.h"
#include "writer/gis_writer.h"
#include "writer/qmap_writer.h"
#include "writer/model_text.h"
#include "writer/train_stops.h"

namespace qo::writer {

namespace {

constexpr uint32_t kMaxFormatVersion = 23;
constexpr int kTypeAttributeBit = 22;  // type bits lie below 0x400000

[[noreturn]] void Fail(std::string const& why) { throw ModelError(why); }

std::string Name(char const* what, size_t index) { return what + (" " + std::to_string(index)); }

// Texts that share one pool, each stored once, handed out by index.
class TextTable {
 public:
  explicit TextTable(size_t languages) : languages_(languages) {}

  int Add(std::vector<std::string> const& perLanguage) {
    auto [it, added] = index_.emplace(perLanguage, static_cast<int>(texts_.size()));
    if (added) texts_.push_back(perLanguage);
    return it->second;
  }
  size_t Count() const { return texts_.size(); }
  std::vector<std::string> Language(size_t l) const {
    std::vector<std::string> out;
    for (auto const& t : texts_) out.push_back(t[l]);
    return out;
  }
  void WritePools(ByteSink& sink, std::string const& name) const {
    for (size_t l = 0; l < languages_; ++l) sink.Pool(name + "/" + std::to_string(l), Language(l));
  }

 private:
  size_t languages_;
  std::map<std::vector<std::string>, int> index_;
  std::vector<std::vector<std::string>> texts_;
};

// The packed number table: value per train, texts for what is not a plain
// number.
void WriteNumberTable(ByteSink& sink, std::string const& name,
                      std::vector<std::string> const& numbers, bool present) {
  sink.Zeros(12);
  sink.FixedText("%d", 10);
  sink.FixedText("%s", 10);
  std::vector<int32_t> values;
  std::vector<std::string> texts;
  std::map<std::string, int32_t> textIndex;
  if (present) {
    for (std::string const& n : numbers) {
      bool plain = !n.empty() && n.size() <= 10 && (n == "0" || n[0] != '0') &&
                   std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
                   std::stoll(n) <= INT32_MAX;
      if (plain) {
        values.push_back(static_cast<int32_t>(std::stoll(n)));
        continue;
      }
      auto [it, added] = textIndex.emplace(n, static_cast<int32_t>(texts.size()));
      if (added) texts.push_back(n);
      values.push_back(~it->second);
    }
  }
  sink.ArrayOf(name + "/values", values);
  sink.Pool(name + "/texts", texts);
}

void CheckStation(size_t station, size_t count, std::string const& what) {
  if (station >= count) Fail(what + ": station " + std::to_string(station) + " does not exist");
}

void CheckTrain(int64_t train, size_t count, std::string const& what) {
  if (train < 0 || static_cast<size_t>(train) >= count) {
    Fail(what + ": train " + std::to_string(train) + " does not exist");
  }
}

void CheckDay(uint16_t day, TimetableModel const& m, std::string const& what) {
  if (day < m.first_day || day > m.last_day) {
    Fail(what + ": day " + std::to_string(day) + " lies outside the validity " +
         std::to_string(m.first_day) + ".." + std::to_string(m.last_day));
  }
}

void Put64(RecordBytes& r, uint64_t v) {
  r.U32(static_cast<uint32_t>(v));
  r.U32(static_cast<uint32_t>(v >> 32));
}

class TimetableWriter {
 public:
  TimetableWriter(TimetableModel const& model, WriteOptions const& options)
      : m_(model), options_(options), n_(model.languages.size()) {}

  WrittenFile Write() {
    CheckHeader();
    PrepareStations();
    PrepareTrains();
    WriteHeader();
    WriteBody();
    WriteVersionSections();
    WriteEnd();
    WrittenFile file;
    file.bytes = std::move(sink_.bytes);
    file.sections = std::move(sink_.sections);
    file.arrays = std::move(sink_.arrays);
    return file;
  }

 private:
  std::vector<std::string> Lang(LangText const& text, std::string const& what) const {
    return PerLanguage(text, n_, what);
  }
  std::string Cp(std::string const& text, std::string const& what) const {
    return ToCp1250(text, what);
  }
  size_t S() const { return m_.stations.size(); }
  size_t T() const { return m_.trains.size(); }
  uint32_t Days() const { return static_cast<uint32_t>(m_.last_day - m_.first_day + 1); }

  void CheckHeader() {
    if (m_.format_version > kMaxFormatVersion) {
      Fail("format version " + std::to_string(m_.format_version) + " is above " +
           std::to_string(kMaxFormatVersion));
    }
    if (n_ == 0) Fail("languages: a timetable needs at least one data language");
    if (m_.first_day > m_.last_day) Fail("validity: the first day lies after the last day");
    if (m_.stations.size() > 0xFFFF) Fail("stations: more than 65535");
    if (m_.trains.size() >= (1u << 24)) Fail("trains: more than the 24 bits of an event");
    if (Cp(m_.code, "code").size() > 8) Fail("code: longer than 8 bytes");
    if (Cp(m_.description, "description").size() > 99) {
      Fail("description: longer than 99 characters");
    }
  }

  // ---- stations -------------------------------------------------------

  void PrepareStations() {
    keys_.resize(S());
    names_.assign(n_, std::vector<std::string>(S()));
    std::set<int32_t> seen;
    for (size_t s = 0; s < S(); ++s) {
      Station const& st = m_.stations[s];
      std::string what = Name("station", s);
      auto names = Lang(st.name, what + " name");
      for (size_t l = 0; l < n_; ++l) names_[l][s] = names[l];
      keys_[s] = st.key != 0 ? st.key : static_cast<int32_t>(s + 1);
      if (m_.write_station_keys && !seen.insert(keys_[s]).second) {
        Fail(what + ": duplicate station key " + std::to_string(keys_[s]));
      }
      if (st.region >= 0 && static_cast<size_t>(st.region) >= m_.regions.size()) {
        Fail(what + ": region " + std::to_string(st.region) + " does not exist");
      }
      if (st.service_set >= 0 &&
          static_cast<size_t>(st.service_set) >= m_.service_codes.sets.size()) {
        Fail(what + ": service-code set " + std::to_string(st.service_set) + " does not exist");
      }
    }
    types_.resize(S());
    for (size_t s = 0; s < S(); ++s) types_[s] = m_.stations[s].type;
    shiftLists_ = std::any_of(m_.stations.begin(), m_.stations.end(),
                              [](Station const& s) { return !s.time_shift_list.empty(); });
    bool shifts = std::any_of(m_.stations.begin(), m_.stations.end(),
                              [](Station const& s) { return s.time_shift != 0; });
    if (shifts && !shiftLists_) {
      for (Station const& st : m_.stations) shifts_.push_back(st.time_shift);
    }
  }

  // ---- trains ---------------------------------------------------------

  void PrepareTrains() {
    StopContext context{m_.kind, S(), shifts_};
    for (size_t t = 0; t < T(); ++t) {
      Train const& train = m_.trains[t];
      std::string what = Name("train", t);
      encoded_.push_back(EncodeTrain(train, t, context));
      auto const& words = encoded_.back().words;
      types_[words.front().station] |= 0x0800;
      types_[words.back().station] |= 0x0800;
      if (!m_.train_types.empty() &&
          (train.type < 0 || static_cast<size_t>(train.type) >= m_.train_types.size())) {
        Fail(what + ": type " + std::to_string(train.type) + " does not exist");
      }
      if (m_.train_types.empty() && train.type != 0) {
        Fail(what + ": type " + std::to_string(train.type) + " but the timetable has no types");
      }
      if (train.calendar < -1 ||
          (train.calendar >= 0 && static_cast<size_t>(train.calendar) >= m_.calendars.size())) {
        Fail(what + ": calendar " + std::to_string(train.calendar) + " does not exist");
      }
      if (train.line >= 0 && static_cast<size_t>(train.line) >= m_.lines.size()) {
        Fail(what + ": line " + std::to_string(train.line) + " does not exist");
      }
      if (train.owner >= 0 && static_cast<size_t>(train.owner) >= m_.owners.size()) {
        Fail(what + ": owner " + std::to_string(train.owner) + " does not exist");
      }
      if (train.service_set >= 0 &&
          static_cast<size_t>(train.service_set) >= m_.service_codes.sets.size()) {
        Fail(what + ": service-code set " + std::to_string(train.service_set) + " does not exist");
      }
      if (train.physical_type >= 0 &&
          static_cast<size_t>(train.physical_type) >= m_.physical_types.size()) {
        Fail(what + ": physical type " + std::to_string(train.physical_type) + " does not exist");
      }
      if (train.stop_pattern >= 0 &&
          static_cast<size_t>(train.stop_pattern) >= m_.stop_patterns.size()) {
        Fail(what + ": stop pattern " + std::to_string(train.stop_pattern) + " does not exist");
      }
      if (!encoded_.back().distances.empty()) hasDistances_ = true;
    }
    if (m_.train_types.size() > kTypeAttributeBit) Fail("train types: more than 22");
    uint32_t typeBits = (1u << m_.train_types.size()) - 1;
    for (size_t t = 0; t < T(); ++t) {
      if (m_.trains[t].attributes & typeBits) {
        Fail(Name("train", t) + ": attribute bits overlap the type bits");
      }
    }
    hasDistances_ = hasDistances_ || m_.has_distances;
  }

  // ---- header ---------------------------------------------------------

  void WriteHeader() {
    sink_.Section("Header");
    sink_.Raw(kTimetableSignature.data(), kTimetableSignature.size());
    sink_.U32(m_.id);
    sink_.U32(m_.format_version);
    sink_.U8(m_.kind);
    sink_.U8(m_.area);
    sink_.U32(m_.variant);
    for (uint16_t day : {m_.creation_date, m_.data_from, m_.data_to, m_.first_day, m_.last_day}) {
      sink_.U32(day);
    }
    sink_.U32(static_cast<uint32_t>(n_));
    sink_.Raw(m_.languages.data(), n_);
  }

  // ---- body -----------------------------------------------------------

  void WriteBody() {
    WriteNames();
    WriteStations();
    WriteGraph();
    WriteVirtualLists();
    WriteTrains();
    WriteTrainTexts();
    WriteCalendar();
    WriteStationRemarksAndContinuations();
    WriteDistancesAndExtras();
    WriteSearch();
  }

  void WriteNames() {
    sink_.Section("NamePool");
    auto names = Lang(m_.names, "names");
    auto decorations = Lang(m_.decorations, "decorations");
    names.insert(names.end(), decorations.begin(), decorations.end());
    sink_.Pool("NamePool", names);
    sink_.Section("DescriptionPool");
    sink_.Pool("DescriptionPool", Lang(m_.descriptions, "descriptions"));
    sink_.Section("ExtensionNames");
    std::vector<std::string> extensions;
    for (auto const& e : m_.extension_names) extensions.push_back(Cp(e, "extension names"));
    sink_.Pool("ExtensionNames", extensions);
    sink_.Section("ResourceName");
    sink_.CString(Cp(m_.resource_name, "resource name"));
    sink_.Section("TimetableCode");
    sink_.FixedText(Cp(m_.code, "code"), 8);
  }

  void WriteStations() {
    sink_.Section("StationCount");
    sink_.U32(static_cast<uint32_t>(S()));
    sink_.Section("StationNames");
    sink_.Pool("StationNames", S() ? names_[0] : std::vector<std::string>{});

    std::vector<int32_t> keys;
    std::vector<uint16_t> byKey;
    if (m_.write_station_keys) {
      keys = keys_;
      byKey.resize(S());
      std::iota(byKey.begin(), byKey.end(), 0);
      std::stable_sort(byKey.begin(), byKey.end(),
                       [&](uint16_t a, uint16_t b) { return keys_[a] < keys_[b]; });
    }
    sink_.Section("StationKeys");
    sink_.ArrayOf("StationKeys", keys);
    sink_.Section("StationsByKey");
    sink_.ArrayOf("StationsByKey", byKey);

    std::vector<uint8_t> first(S()), second(S());
    for (size_t s = 0; s < S(); ++s) SearchLetters(names_[0][s], &first[s], &second[s]);
    sink_.Section("StationFirstLetters");
    sink_.ArrayOf("StationFirstLetters", first);
    sink_.Section("StationSecondLetters");
    sink_.ArrayOf("StationSecondLetters", second);

    sink_.Section("StationTimeShifts");
    if (shiftLists_) {
      sink_.Array("StationTimeShifts", 4, S(), std::vector<uint8_t>(4 * S(), 0));
      for (size_t s = 0; s < S(); ++s) {
        Station const& st = m_.stations[s];
        RecordBytes r;
        std::vector<TimeShiftEntry> list = st.time_shift_list;
        if (list.empty()) list.push_back({0, st.time_shift});
        for (TimeShiftEntry const& e : list) {
          r.I32(e.limit);
          r.I16(e.shift);
          r.EndRecord();
        }
        sink_.Array("StationShiftList/" + std::to_string(s), 6, r.count, r.bytes);
      }
    } else {
      sink_.ArrayOf("StationTimeShifts", shifts_);
    }

    sink_.Section("StationTypes");
    sink_.ArrayOf("StationTypes", types_);

    std::vector<int16_t> regions;
    std::vector<std::string> regionNames;
    if (!m_.regions.empty()) {
      for (Station const& st : m_.stations) regions.push_back(st.region < 0 ? -1 : st.region);
      for (size_t r = 0; r < m_.regions.size(); ++r) {
        regionNames.push_back(Cp(m_.regions[r], Name("region", r)));
      }
    }
    sink_.Section("StationRegions");
    sink_.ArrayOf("StationRegions", regions);
    sink_.Section("RegionNames");
    sink_.Pool("RegionNames", regionNames);

    std::vector<int16_t> remarkIndex;
    std::vector<std::string> remarks;
    if (std::any_of(m_.stations.begin(), m_.stations.end(),
                    [](Station const& s) { return !s.remark.empty(); })) {
      std::map<std::string, int16_t> seen;
      for (size_t s = 0; s < S(); ++s) {
        std::string const& remark = m_.stations[s].remark;
        if (remark.empty()) {
          remarkIndex.push_back(0);
          continue;
        }
        auto [it, added] = seen.emplace(Cp(remark, Name("station", s) + " remark"),
                                        static_cast<int16_t>(remarks.size() + 1));
        if (added) remarks.push_back(it->first);
        remarkIndex.push_back(it->second);
      }
    }
    sink_.Section("StationRemarkIndex");
    sink_.ArrayOf("StationRemarkIndex", remarkIndex);
    sink_.Section("StationRemarks");
    sink_.Pool("StationRemarks", remarks);

    std::vector<int16_t> changeTimes;
    if (std::any_of(m_.stations.begin(), m_.stations.end(),
                    [](Station const& s) { return s.change_time >= 0; })) {
      for (Station const& st : m_.stations)
        changeTimes.push_back(std::max<int16_t>(0, st.change_time));
    }
    sink_.Section("DefaultChangeTimes");
    sink_.ArrayOf("DefaultChangeTimes", changeTimes);

    StationEvents events = BuildStationEvents(encoded_, S());
    sink_.Section("StationEventOffsets");
    sink_.ArrayOf("StationEventOffsets", S() ? events.offsets : std::vector<uint32_t>{});
    sink_.Section("StationEvents");
    if (options_.write_station_events) {
      sink_.Array("StationEvents", 6, events.count, events.events);
    } else {
      sink_.EmptyArray("StationEvents");
    }
  }

  void WriteGraph() {
    // Arcs grouped by their station; arcIndex_ maps a model arc to its
    // place in the file, which the pass-via table refers to.
    std::vector<size_t> order(m_.arcs.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return m_.arcs[a].from < m_.arcs[b].from; });
    arcIndex_.resize(m_.arcs.size());
    std::vector<int32_t> arcOffsets;
    std::vector<uint16_t> arcStations;
    std::vector<int32_t> arcLengths;
    if (!m_.arcs.empty()) {
      arcOffsets.assign(S() + 1, 0);
      for (size_t i = 0; i < order.size(); ++i) {
        Arc const& arc = m_.arcs[order[i]];
        CheckStation(arc.from, S(), Name("arc", order[i]));
        CheckStation(arc.to, S(), Name("arc", order[i]));
        arcIndex_[order[i]] = static_cast<int32_t>(i);
        arcStations.push_back(arc.to);
        arcLengths.push_back(arc.length);
        ++arcOffsets[arc.from + 1];
      }
      std::partial_sum(arcOffsets.begin(), arcOffsets.end(), arcOffsets.begin());
    }
    sink_.Section("ArcOffsets");
    sink_.ArrayOf("ArcOffsets", arcOffsets);
    sink_.Section("ArcStations");
    sink_.ArrayOf("ArcStations", arcStations);
    sink_.Section("ArcLengths");
    sink_.ArrayOf("ArcLengths", arcLengths);
    sink_.Section("Unused24");
    sink_.EmptyArray("Unused24");

    std::vector<int32_t> passOffsets, passArcs;
    if (!m_.pass_via.empty()) {
      if (m_.pass_via.size() != S()) Fail("pass-via table: one list per station needed");
      passOffsets.push_back(0);
      for (size_t s = 0; s < S(); ++s) {
        for (int32_t arc : m_.pass_via[s]) {
          if (arc < 0 || static_cast<size_t>(arc) >= m_.arcs.size()) {
            Fail("pass-via table, station " + std::to_string(s) + ": arc " + std::to_string(arc) +
                 " does not exist");
          }
          passArcs.push_back(arcIndex_[arc]);
        }
        passOffsets.push_back(static_cast<int32_t>(passArcs.size()));
      }
    }
    sink_.Section("PassViaOffsets");
    sink_.ArrayOf("PassViaOffsets", passOffsets);
    sink_.Section("PassViaArcs");
    sink_.ArrayOf("PassViaArcs", passArcs);

    std::vector<size_t> links(m_.transfers.size());
    std::iota(links.begin(), links.end(), 0);
    std::stable_sort(links.begin(), links.end(), [&](size_t a, size_t b) {
      return m_.transfers[a].from < m_.transfers[b].from;
    });
    if (m_.transfers.size() > 0x7FFF) Fail("transfers: more than 32767 walking links");
    std::vector<int16_t> offsets;
    std::vector<uint16_t> targets;
    std::vector<int8_t> minutes;
    bool barrierFree = false;
    if (!m_.transfers.empty()) {
      offsets.assign(S() + 1, 0);
      for (size_t i : links) {
        Transfer const& link = m_.transfers[i];
        CheckStation(link.from, S(), Name("transfer", i));
        CheckStation(link.to, S(), Name("transfer", i));
        targets.push_back(link.to);
        minutes.push_back(link.minutes);
        barrierFreeMinutes_.push_back(link.barrier_free_minutes.value_or(link.minutes));
        barrierFree = barrierFree || link.barrier_free_minutes.has_value();
        ++offsets[link.from + 1];
      }
      std::partial_sum(offsets.begin(), offsets.end(), offsets.begin());
    }
    if (!barrierFree) barrierFreeMinutes_.clear();
    sink_.Section("TransferOffsets");
    sink_.ArrayOf("TransferOffsets", offsets);
    sink_.Section("TransferStations");
    sink_.ArrayOf("TransferStations", targets);
    sink_.Section("TransferValues");
    sink_.ArrayOf("TransferValues", minutes);
    sink_.Section("Unused30");
    for (int i = 0; i < 5; ++i) sink_.EmptyArray("Unused30/" + std::to_string(i));
  }

  void WriteVirtualLists() {
    sink_.Section("VirtualLists");
    sink_.U32(static_cast<uint32_t>(m_.virtual_lists.size()));
    for (size_t v = 0; v < m_.virtual_lists.size(); ++v) {
      VirtList const& list = m_.virtual_lists[v];
      std::string what = Name("virtual list", v);
      std::string name = "VirtualList/" + std::to_string(v);
      size_t count = list.items.size();
      bool withKeys = false, withKinds = false, single = true, withBytes = false, withNames = false;
      std::vector<std::vector<std::string>> itemNames;
      for (size_t i = 0; i < count; ++i) {
        VirtListItem const& item = list.items[i];
        std::string itemWhat = what + ", item " + std::to_string(i);
        if (item.stations.empty()) Fail(itemWhat + ": an item needs a station");
        for (uint16_t s : item.stations) CheckStation(s, S(), itemWhat);
        if (!item.station_bytes.empty() && item.station_bytes.size() != item.stations.size()) {
          Fail(itemWhat + ": station bytes do not match its stations");
        }
        withKeys = withKeys || item.key != 0;
        withKinds = withKinds || item.kind != static_cast<int8_t>(list.default_kind);
        single = single && item.stations.size() == 1;
        withBytes = withBytes || !item.station_bytes.empty();
        withNames = withNames || !item.name.empty();
        itemNames.push_back(Lang(item.name, itemWhat + " name"));
      }
      if (withBytes) single = false;
      sink_.U32(list.type);
      sink_.U32(static_cast<uint32_t>(count));
      sink_.U8(list.default_kind);
      std::vector<uint8_t> first(count), second(count);
      for (size_t i = 0; i < count; ++i) {
        // The letters of the text the kernel shows for the item's kind.
        std::string text;
        ItemBaseText(list.items[i].kind, names_[0][list.items[i].stations[0]], itemNames[i][0],
                     text);
        SearchLetters(text, &first[i], &second[i]);
      }
      sink_.ArrayOf(name + "/first", first);
      sink_.ArrayOf(name + "/second", second);
      std::vector<int32_t> keys;
      std::vector<int8_t> kinds;
      std::vector<uint16_t> station, stations;
      std::vector<int32_t> ranges;
      std::vector<uint8_t> bytes;
      for (VirtListItem const& item : list.items) {
        if (withKeys) keys.push_back(item.key);
        if (withKinds) kinds.push_back(item.kind);
        if (single) {
          station.push_back(item.stations[0]);
          continue;
        }
        ranges.push_back(static_cast<int32_t>(stations.size()));
        stations.insert(stations.end(), item.stations.begin(), item.stations.end());
        if (withBytes) {
          if (item.station_bytes.empty()) {
            bytes.insert(bytes.end(), item.stations.size(), 0);
          } else {
            bytes.insert(bytes.end(), item.station_bytes.begin(), item.station_bytes.end());
          }
        }
      }
      if (!single && count) ranges.push_back(static_cast<int32_t>(stations.size()));
      sink_.ArrayOf(name + "/keys", keys);
      sink_.ArrayOf(name + "/kinds", kinds);
      sink_.ArrayOf(name + "/station", station);
      sink_.ArrayOf(name + "/ranges", ranges);
      sink_.ArrayOf(name + "/stations", stations);
      sink_.ArrayOf(name + "/bytes", bytes);
      auto listName = Lang(list.name, what + " name");
      for (size_t l = 0; l < n_; ++l) {
        std::vector<std::string> texts{listName[l]};
        if (withNames) {
          for (size_t i = 0; i < count; ++i) texts.push_back(itemNames[i][l]);
        }
        sink_.Pool(name + "/names/" + std::to_string(l), texts);
      }
    }
    sink_.Section("StationNamePools");
    for (size_t l = 0; l < n_; ++l) {
      sink_.Pool("StationNamePools/" + std::to_string(l),
                 S() ? names_[l] : std::vector<std::string>{});
    }
  }

  void WriteTrains() {
    StopContext context{m_.kind, S(), shifts_};
    StoredStops stops = StoreStops(encoded_, context, options_.share_stop_patterns && !shiftLists_,
                                   options_.share_patterns_over_a_day);
    sink_.Section("TrainCount");
    sink_.U32(static_cast<uint32_t>(T()));
    sink_.U32(stops.maxTrainStops);
    sink_.Section("TrainStops");
    sink_.ArrayOf("TrainStops/offsets", T() ? stops.offsets : std::vector<uint32_t>{});
    sink_.Array("TrainStops/words", 4, stops.wordCount, stops.words);

    std::vector<std::string> numbers, seconds;
    bool withSecond = false;
    for (size_t t = 0; t < T(); ++t) {
      numbers.push_back(Cp(m_.trains[t].number, Name("train", t) + " number"));
      seconds.push_back(Cp(m_.trains[t].second_number, Name("train", t) + " second number"));
      withSecond = withSecond || !m_.trains[t].second_number.empty();
    }
    sink_.Section("MainNumbers");
    WriteNumberTable(sink_, "MainNumbers", numbers, T() > 0);
    sink_.Section("SecondNumbers");
    WriteNumberTable(sink_, "SecondNumbers", seconds, withSecond);

    std::vector<uint32_t> words;
    bool withTypes =
        !m_.train_types.empty() || std::any_of(m_.trains.begin(), m_.trains.end(),
                                               [](Train const& t) { return t.attributes != 0; });
    if (withTypes) {
      for (Train const& train : m_.trains) {
        uint32_t bit = m_.train_types.empty() ? 0 : 1u << train.type;
        words.push_back(bit | train.attributes);
      }
    }
    sink_.Section("TrainTypeWords");
    sink_.ArrayOf("TrainTypeWords", words);
    sink_.Section("TrainTypeNames");
    WriteTypePools("TrainTypeNames", m_.train_types, "train type");
  }

  void WriteTypePools(std::string const& name, std::vector<TrainType> const& types,
                      char const* what) {
    std::vector<std::vector<std::string>> abbreviations, descriptions;
    for (size_t i = 0; i < types.size(); ++i) {
      abbreviations.push_back(Lang(types[i].abbreviation, Name(what, i) + " abbreviation"));
      descriptions.push_back(Lang(types[i].description, Name(what, i) + " description"));
    }
    for (size_t l = 0; l < n_; ++l) {
      std::vector<std::string> a, d;
      for (size_t i = 0; i < types.size(); ++i) {
        a.push_back(abbreviations[i][l]);
        d.push_back(descriptions[i][l]);
      }
      sink_.Pool(name + "/abbreviations/" + std::to_string(l), a);
      sink_.Pool(name + "/descriptions/" + std::to_string(l), d);
    }
  }

  void WriteTrainTexts() {
    sink_.Section("GeneralRemarks");
    TextTable texts(n_);
    std::vector<int16_t> groupOf;
    std::vector<int32_t> listOffsets;
    std::vector<int16_t> listTexts;
    if (std::any_of(m_.trains.begin(), m_.trains.end(),
                    [](Train const& t) { return !t.remarks.empty(); })) {
      std::map<std::vector<int16_t>, int16_t> groups;
      std::vector<std::vector<int16_t>> lists;
      for (size_t t = 0; t < T(); ++t) {
        std::vector<int16_t> list;
        for (size_t r = 0; r < m_.trains[t].remarks.size(); ++r) {
          std::string what = Name("train", t) + ", remark " + std::to_string(r);
          list.push_back(static_cast<int16_t>(texts.Add(Lang(m_.trains[t].remarks[r], what))));
        }
        auto [it, added] = groups.emplace(list, static_cast<int16_t>(lists.size()));
        if (added) lists.push_back(list);
        groupOf.push_back(it->second);
      }
      if (texts.Count() > 0x7FFF || lists.size() > 0x7FFF) Fail("general remarks: too many");
      for (auto const& list : lists) {
        listOffsets.push_back(static_cast<int32_t>(listTexts.size()));
        listTexts.insert(listTexts.end(), list.begin(), list.end());
      }
      listOffsets.push_back(static_cast<int32_t>(listTexts.size()));
    }
    sink_.ArrayOf("GeneralRemarks/groups", groupOf);
    sink_.ArrayOf("GeneralRemarks/offsets", listOffsets);
    sink_.ArrayOf("GeneralRemarks/texts", listTexts);
    texts.WritePools(sink_, "GeneralRemarks/pool");
  }

  void WriteCalendar() {
    // Class c is model calendar c; trains that run every day share one more
    // class after them.
    bool everyDay = std::any_of(m_.trains.begin(), m_.trains.end(),
                                [](Train const& t) { return t.calendar < 0; });
    size_t classes = m_.calendars.size() + (everyDay ? 1 : 0);
    if (classes > 0x7FFF) Fail("calendars: more than 32767 classes");
    std::vector<int16_t> classOf;
    for (Train const& train : m_.trains) {
      classOf.push_back(
          static_cast<int16_t>(train.calendar < 0 ? m_.calendars.size() : train.calendar));
    }
    TextTable texts(n_);
    std::vector<int32_t> offsets;
    std::vector<int16_t> indexes;
    if (std::any_of(m_.calendars.begin(), m_.calendars.end(),
                    [](Calendar const& c) { return !c.remarks.empty(); })) {
      for (size_t c = 0; c < classes; ++c) {
        offsets.push_back(static_cast<int32_t>(indexes.size()));
        if (c >= m_.calendars.size()) continue;
        for (size_t r = 0; r < m_.calendars[c].remarks.size(); ++r) {
          std::string what = Name("calendar", c) + ", remark " + std::to_string(r);
          indexes.push_back(
              static_cast<int16_t>(texts.Add(Lang(m_.calendars[c].remarks[r], what))));
        }
      }
      offsets.push_back(static_cast<int32_t>(indexes.size()));
    }
    sink_.Section("Calendar");
    sink_.ArrayOf("Calendar/classes", classOf);
    sink_.ArrayOf("Calendar/offsets", offsets);
    sink_.ArrayOf("Calendar/texts", indexes);
    texts.WritePools(sink_, "Calendar/pool");

    // The running days themselves are item 46, written after the extras;
    // build them now while the classes are at hand.
    size_t setBytes = (classes + 7) / 8;
    runningDays_.assign(T() ? Days() : 0, std::vector<uint8_t>(setBytes, 0));
    for (size_t c = 0; c < classes; ++c) {
      auto set = [&](uint32_t day) {
        if (!runningDays_.empty()) runningDays_[day][c / 8] |= static_cast<uint8_t>(1u << (c % 8));
      };
      if (c >= m_.calendars.size()) {
        for (uint32_t d = 0; d < Days(); ++d) set(d);
        continue;
      }
      for (uint16_t day : m_.calendars[c].days) {
        CheckDay(day, m_, Name("calendar", c));
        set(day - m_.first_day);
      }
    }
  }

  void WriteStationRemarksAndContinuations() {
    struct Row {
      int32_t train;
      uint16_t station;
      std::string code;
      int16_t text;
    };
    std::vector<Row> rows;
    TextTable texts(n_);
    for (size_t i = 0; i < m_.station_remarks.size(); ++i) {
      StationRemark const& r = m_.station_remarks[i];
      std::string what = Name("station remark", i);
      CheckStation(r.station, S(), what);
      if (r.train != -1) CheckTrain(r.train, T(), what);
      bool range = r.last_train != -1 && r.last_train != r.train;
      if (range) {
        if (r.train < 0 || r.last_train < r.train)
          Fail(what + ": the range of trains runs backwards");
        CheckTrain(r.last_train, T(), what);
      }
      std::string code = Cp(r.code, what + " code");
      if (code.size() > 4) Fail(what + ": a code has at most 4 bytes");
      int16_t text = r.text.empty() ? -1 : static_cast<int16_t>(texts.Add(Lang(r.text, what)));
      if (r.service_set >= 0) {
        if (!r.text.empty()) Fail(what + ": a service-code row has no text");
        if (static_cast<size_t>(r.service_set) >= m_.service_codes.sets.size())
          Fail(what + ": service-code set " + std::to_string(r.service_set) + " does not exist");
        text = static_cast<int16_t>(-(r.service_set + 1));
      }
      if (range) {
        rows.push_back({0x40000000 + r.train, r.station, code, text});
        rows.push_back({r.last_train, r.station, code, text});
      } else {
        rows.push_back({r.train, r.station, code, text});
      }
    }
    // Keep a range's two rows together: sort by station only, stably.
    std::stable_sort(rows.begin(), rows.end(),
                     [](Row const& a, Row const& b) { return a.station < b.station; });
    RecordBytes records;
    for (Row const& row : rows) {
      records.I32(row.train);
      records.U16(row.station);
      records.FixedText(row.code, 4);
      records.I16(row.text);
      records.EndRecord();
    }
    sink_.Section("TrainStationRemarks");
    sink_.Array("TrainStationRemarks/rows", 12, records.count, records.bytes);
    size_t slots = texts.Count() ? n_ : 0;
    sink_.Array("TrainStationRemarks/slots", 8, slots, std::vector<uint8_t>(8 * slots, 0));
    if (slots) texts.WritePools(sink_, "TrainStationRemarks/pool");

    std::vector<int32_t> trainsA, stations;
    std::vector<uint16_t> trainsB;
    for (size_t i = 0; i < m_.continuations.size(); ++i) {
      Continuation const& c = m_.continuations[i];
      std::string what = Name("continuation", i);
      CheckTrain(c.train_a, T(), what);
      CheckTrain(c.train_b, T(), what);
      if (c.station < 0) Fail(what + ": negative station");
      CheckStation(static_cast<size_t>(c.station), S(), what);
      trainsA.push_back(c.train_a);
      stations.push_back(c.station);
      trainsB.push_back(c.train_b);
    }
    sink_.Section("Continuations");
    sink_.ArrayOf("Continuations/trainA", trainsA);
    sink_.ArrayOf("Continuations/station", stations);
    sink_.ArrayOf("Continuations/trainB", trainsB);
  }

  void WriteDistancesAndExtras() {
    sink_.Section("HasDistances");
    sink_.U32(hasDistances_ ? 1 : 0);
    std::vector<uint32_t> offsets;
    std::vector<int32_t> data;
    if (std::any_of(encoded_.begin(), encoded_.end(),
                    [](EncodedTrain const& e) { return !e.distances.empty(); })) {
      std::map<std::vector<int32_t>, size_t> earlier;
      for (size_t t = 0; t < T(); ++t) {
        offsets.push_back(static_cast<uint32_t>(data.size() * 4));
        auto const& list = encoded_[t].distances;
        if (list.empty()) continue;
        auto [it, added] = earlier.emplace(list, t);
        if (added) {
          data.insert(data.end(), list.begin(), list.end());
        } else {
          data.push_back(-static_cast<int32_t>(it->second + 1));
        }
      }
      offsets.push_back(static_cast<uint32_t>(data.size() * 4));
    }
    sink_.Section("TrainDistances");
    sink_.ArrayOf("TrainDistances/offsets", offsets);
    sink_.ArrayOf("TrainDistances/data", data);

    sink_.Section("TrainExtras");
    RecordBytes overrides;
    for (size_t i = 0; i < m_.distance_overrides.size(); ++i) {
      DistanceOverride const& o = m_.distance_overrides[i];
      std::string what = Name("distance override", i);
      CheckTrain(o.train, T(), what);
      CheckStation(o.from, S(), what);
      CheckStation(o.to, S(), what);
      overrides.U32(o.train);
      overrides.U16(o.from);
      overrides.U16(o.to);
      overrides.I32(o.length);
      overrides.EndRecord();
    }
    sink_.Array("TrainExtras/overrides", 12, overrides.count, overrides.bytes);
    RecordBytes pairs;
    for (size_t i = 0; i < m_.train_pairs.size(); ++i) {
      CheckTrain(m_.train_pairs[i].train, T(), Name("train pair", i));
      CheckTrain(m_.train_pairs[i].other, T(), Name("train pair", i));
      pairs.I32(m_.train_pairs[i].train);
      pairs.I32(m_.train_pairs[i].other);
      pairs.EndRecord();
    }
    sink_.Array("TrainExtras/pairs", 8, pairs.count, pairs.bytes);
    std::vector<int16_t> lineOf, ownerOf;
    if (!m_.lines.empty()) {
      for (Train const& t : m_.trains) lineOf.push_back(t.line);
    }
    if (!m_.owners.empty()) {
      for (Train const& t : m_.trains) ownerOf.push_back(t.owner);
    }
    sink_.ArrayOf("TrainExtras/lines", lineOf);
    WriteTextList("TrainExtras/linePool", m_.lines, "line");
    sink_.ArrayOf("TrainExtras/owners", ownerOf);
    WriteTextList("TrainExtras/ownerPool", m_.owners, "owner");

    sink_.Section("RunningDays");
    sink_.U32(static_cast<uint32_t>(runningDays_.size()));
    for (size_t d = 0; d < runningDays_.size(); ++d) {
      sink_.ArrayOf("RunningDays/" + std::to_string(d), runningDays_[d]);
    }
    sink_.Section("DayTypeWindows");
    if (!m_.day_type_windows.empty() && m_.day_type_windows.size() != 9 * 25)
      Fail("day-type windows: 225 sets needed");
    for (int i = 0; i < 9 * 25; ++i) {
      std::string name = "DayTypeWindows/" + std::to_string(i);
      if (m_.day_type_windows.empty() || m_.day_type_windows[i].empty()) {
        sink_.EmptyArray(name);
        continue;
      }
      size_t setBytes = runningDays_.empty() ? 0 : runningDays_[0].size();
      if (m_.day_type_windows[i].size() != setBytes)
        Fail("day-type window " + std::to_string(i) + ": " + std::to_string(setBytes) +
             " bytes needed");
      sink_.ArrayOf(name, m_.day_type_windows[i]);
    }
  }

  // N pools, text i of pool l = entry i in language l.
  void WriteTextList(std::string const& name, std::vector<LangText> const& list, char const* what) {
    std::vector<std::vector<std::string>> converted;
    for (size_t i = 0; i < list.size(); ++i) converted.push_back(Lang(list[i], Name(what, i)));
    for (size_t l = 0; l < n_; ++l) {
      std::vector<std::string> texts;
      for (auto const& c : converted) texts.push_back(c[l]);
      sink_.Pool(name + "/" + std::to_string(l), texts);
    }
  }

  void WriteSearch() {
    sink_.Section("SearchDefaults");
    sink_.U32(m_.search.max_change_time);
    sink_.U32(m_.search.min_change_time);
    sink_.U32(m_.search.change_penalty);
    sink_.Section("SearchTables");
    RecordBytes via;
    for (ViaSection const& v : m_.via_sections) {
      via.I32(v.key);
      via.I32(v.end_a);
      via.I32(v.end_b);
      via.EndRecord();
    }
    sink_.Array("SearchTables/viaSections", 12, via.count, via.bytes);
    RecordBytes customs;
    if (m_.customs_mask) {
      Put64(customs, *m_.customs_mask);
      customs.EndRecord();
    }
    sink_.Array("SearchTables/customsMask", 8, customs.count, customs.bytes);
    sink_.U32(0);
    sink_.Section("ChangePenaltyTables");
    sink_.U32(static_cast<uint32_t>(m_.change_penalty_rows.size()));
    for (size_t i = 0; i < m_.change_penalty_rows.size(); ++i) {
      sink_.ArrayOf("ChangePenaltyTables/" + std::to_string(i), m_.change_penalty_rows[i]);
    }
  }

  // ---- version sections ---------------------------------------------------

  void WriteVersionSections() {
    const uint32_t v = m_.format_version;
    SearchDefaults const& d = m_.search;
    if (v >= 1) {
      sink_.Section("V1SearchDefaults");
      for (uint32_t value :
           {d.max_changes, d.window_direct, d.window_changes, d.delta_max_type, d.delta_max_metres,
            d.delta_max_percent, d.retries_direct, d.retries_changes}) {
        sink_.U32(value);
      }
    }
    if (v >= 2) {
      sink_.Section("V2Reserved");
      sink_.CString("");
      sink_.U32(0);
    }
    if (v >= 3) WriteLinks();
    if (v >= 4) WriteZoneLines();
    if (v >= 5) {
      sink_.Section("V5TownKey");
      sink_.U32(m_.town_key);
    }
    if (v >= 6) sink_.Section("V6");
    if (v >= 7) {
      sink_.Section("V7FareData");
      std::vector<KeyTranslation> sorted = m_.key_translation;
      std::stable_sort(
          sorted.begin(), sorted.end(),
          [](KeyTranslation const& a, KeyTranslation const& b) { return a.key < b.key; });
      RecordBytes r;
      for (KeyTranslation const& k : sorted) {
        r.I32(k.key);
        r.I32(k.translated);
        r.EndRecord();
      }
      sink_.Array("V7FareData/keyTranslation", 8, r.count, r.bytes);
      for (int i = 1; i < 7; ++i) sink_.EmptyArray("V7FareData/" + std::to_string(i));
    }
    if (v >= 8) {
      sink_.Section("V8HourlyChangeTimes");
      if (!m_.hourly_change_times.empty() && m_.hourly_change_times.size() != 24) {
        Fail("hourly change times: 24 entries needed");
      }
      sink_.ArrayOf("V8HourlyChangeTimes", m_.hourly_change_times);
      sink_.U32(0);
    }
    if (v >= 9) {
      sink_.Section("V9GisTowns");
      sink_.ArrayOf("V9GisTowns", m_.gis_town_items);
    }
    if (v >= 10) {
      sink_.Section("V10PairTables");
      WritePairTable("V10PairTables/first", m_.first_pairs);
      WritePairTable("V10PairTables/second", m_.second_pairs);
    }
    if (v >= 11) WriteLinesSection();
    if (v >= 12) WriteServiceCodes();
    if (v >= 13) WriteRegionNumbers();
    if (v >= 14) {
      sink_.Section("V14CodeRoles");
      for (int role = 0; role < 3; ++role) sink_.U32(RoleValue(role));
    }
    if (v >= 15) WriteMerge();
    if (v >= 16) WriteStopPatterns();
    if (v >= 17) {
      sink_.Section("V17FareValue");
      sink_.U32(m_.fare_value);
    }
    if (v >= 18) WriteLineValidity();
    if (v >= 19) {
      sink_.Section("V19BarrierFreeLinks");
      sink_.ArrayOf("V19BarrierFreeLinks", barrierFreeMinutes_);
    }
    if (v >= 20) WritePhysicalTypes();
    if (v >= 21) {
      sink_.Section("V21CodeRole4");
      sink_.U32(RoleValue(3));
    }
    if (v >= 22) {
      sink_.Section("V22CodeFilters");
      ServiceCodes const& c = m_.service_codes;
      if (!c.letter_masks.empty() && c.letter_masks.size() != c.filter_letters.size()) {
        Fail("service codes: one letter mask per filter letter needed");
      }
      RecordBytes masks;
      for (uint64_t mask : c.letter_masks) {
        Put64(masks, mask);
        masks.EndRecord();
      }
      sink_.Array("V22CodeFilters/letterMasks", 8, masks.count, masks.bytes);
      sink_.ArrayOf("V22CodeFilters/ids", c.filter_ids);
      sink_.U32(c.day_type_mask);
      sink_.U32(c.section_type_mask);
    }
    if (v >= 23) {
      sink_.Section("V23StopFlagMask");
      sink_.U32(m_.stop_flag_mask);
    }
  }

  uint32_t RoleValue(int role) const {
    int32_t code = m_.service_codes.roles[role];
    if (code < -1 || code >= static_cast<int32_t>(m_.service_codes.codes.size())) {
      Fail("service codes: role " + std::to_string(role + 1) + " names code " +
           std::to_string(code) + ", which does not exist");
    }
    return static_cast<uint32_t>(code + 1);
  }

  void WriteLinks() {
    sink_.Section("V3Links");
    RecordBytes records;
    for (LinkRecord const& link : m_.links) {
      records.U8(link.kind);
      records.U8(link.area);
      for (int i = 0; i < 12; ++i) records.U8(0);
      records.EndRecord();
    }
    sink_.Array("V3Links/records", 14, records.count, records.bytes);
    for (size_t i = 0; i < m_.links.size(); ++i) {
      std::vector<uint16_t> stations;
      std::vector<int32_t> keys;
      std::vector<uint8_t> values;
      for (LinkEntry const& e : m_.links[i].entries) {
        CheckStation(e.station, S(), Name("link record", i));
        stations.push_back(e.station);
        keys.push_back(e.other_key);
        values.push_back(e.value);
      }
      std::string name = "V3Links/" + std::to_string(i);
      sink_.ArrayOf(name + "/stations", stations);
      sink_.ArrayOf(name + "/keys", keys);
      sink_.ArrayOf(name + "/values", values);
    }
    std::vector<uint8_t> holidays;
    if (!m_.days_off.empty()) {
      holidays.assign(Days(), 0);
      for (uint16_t day : m_.days_off) {
        CheckDay(day, m_, "days off");
        holidays[day - m_.first_day] = 1;
      }
    }
    sink_.ArrayOf("V3Links/holidays", holidays);
  }

  void WriteZoneLines() {
    sink_.Section("V4ZoneLines");
    RecordBytes r;
    for (ZoneLine const& z : m_.zone_lines) {
      r.I32(z.number_value);
      r.I32(z.threshold);
      r.EndRecord();
    }
    sink_.Array("V4ZoneLines", 8, r.count, r.bytes);
  }

  void WritePairTable(std::string const& name, std::vector<KeyPair> const& pairs) {
    std::vector<KeyPair> sorted;
    for (KeyPair p : pairs) {
      if (p.key_a > p.key_b) std::swap(p.key_a, p.key_b);
      sorted.push_back(p);
    }
    std::stable_sort(sorted.begin(), sorted.end(), [](KeyPair const& a, KeyPair const& b) {
      return std::pair(a.key_a, a.key_b) < std::pair(b.key_a, b.key_b);
    });
    RecordBytes r;
    for (KeyPair const& p : sorted) {
      r.I32(p.key_a);
      r.I32(p.key_b);
      r.I32(p.between);
      r.EndRecord();
    }
    sink_.Array(name, 12, r.count, r.bytes);
  }

  void WriteLinesSection() {
    sink_.Section("V11Lines");
    std::vector<int8_t> flags;
    if (std::any_of(m_.trains.begin(), m_.trains.end(),
                    [](Train const& t) { return t.start_end_flags != 0; })) {
      for (Train const& t : m_.trains) flags.push_back(t.start_end_flags);
    }
    sink_.ArrayOf("V11Lines/startEndFlags", flags);
    std::vector<ThroughRunning> sorted = m_.through_running;
    std::stable_sort(
        sorted.begin(), sorted.end(),
        [](ThroughRunning const& a, ThroughRunning const& b) { return a.train < b.train; });
    std::vector<int32_t> trips;
    RecordBytes rows;
    for (size_t i = 0; i < sorted.size(); ++i) {
      CheckTrain(sorted[i].train, T(), "through-running table");
      CheckStation(sorted[i].station, S(), "through-running table");
      trips.push_back(sorted[i].train);
      rows.U16(sorted[i].station);
      rows.I32(sorted[i].line_value);
      rows.EndRecord();
    }
    sink_.ArrayOf("V11Lines/throughTrips", trips);
    sink_.Array("V11Lines/throughRows", 6, rows.count, rows.bytes);
  }

  void WriteServiceCodes() {
    sink_.Section("V12ServiceCodes");
    ServiceCodes const& c = m_.service_codes;
    if (c.codes.size() > 64) Fail("service codes: more than 64");
    std::vector<std::string> names, shorts;
    std::vector<std::vector<std::string>> descriptions;
    for (size_t i = 0; i < c.codes.size(); ++i) {
      names.push_back(Cp(c.codes[i].name, Name("service code", i) + " name"));
      shorts.push_back(c.codes[i].short_text);
      descriptions.push_back(
          Lang(c.codes[i].description, Name("service code", i) + " description"));
    }
    sink_.Pool("V12ServiceCodes/names", names);
    sink_.Pool("V12ServiceCodes/shortTexts", shorts);
    for (size_t l = 0; l < n_; ++l) {
      std::vector<std::string> texts;
      for (auto const& d : descriptions) texts.push_back(d[l]);
      sink_.Pool("V12ServiceCodes/descriptions/" + std::to_string(l), texts);
    }
    RecordBytes sets;
    for (uint64_t set : c.sets) {
      Put64(sets, set);
      sets.EndRecord();
    }
    sink_.Array("V12ServiceCodes/sets", 8, sets.count, sets.bytes);
    std::vector<uint8_t> letters(c.filter_letters.begin(), c.filter_letters.end());
    sink_.ArrayOf("V12ServiceCodes/letters", letters);
    std::vector<int16_t> perTrain, perStation;
    if (std::any_of(m_.trains.begin(), m_.trains.end(),
                    [](Train const& t) { return t.service_set >= 0; })) {
      for (Train const& t : m_.trains) perTrain.push_back(t.service_set);
    }
    if (std::any_of(m_.stations.begin(), m_.stations.end(),
                    [](Station const& s) { return s.service_set >= 0; })) {
      for (Station const& s : m_.stations) perStation.push_back(s.service_set);
    }
    sink_.ArrayOf("V12ServiceCodes/perTrain", perTrain);
    sink_.ArrayOf("V12ServiceCodes/perStation", perStation);
    sink_.U32(static_cast<uint32_t>(c.barrier_free_station_mask));
    sink_.U32(static_cast<uint32_t>(c.barrier_free_station_mask >> 32));
    sink_.Zeros(9);
  }

  void WriteRegionNumbers() {
    sink_.Section("V13RegionNumbers");
    RecordBytes r;
    for (size_t i = 0; i < m_.region_numbers.size(); ++i) {
      RegionNumberRow const& row = m_.region_numbers[i];
      std::string what = Name("region number row", i);
      std::string code = Cp(row.region_code, what);
      std::string number = Cp(row.number, what);
      if (code.size() > 4 || number.size() > 8) Fail(what + ": code or number too long");
      r.I32(row.first_train);
      r.I32(row.last_train);
      r.FixedText(code, 4);
      r.FixedText(number, 8);
      r.EndRecord();
    }
    sink_.Array("V13RegionNumbers", 20, r.count, r.bytes);
  }

  void WriteMerge() {
    sink_.Section("V15Merge");
    sink_.U8(m_.merge_kind);
    sink_.U8(m_.merge_area);
    std::vector<int32_t> keys;
    std::vector<uint16_t> byKey;
    if (m_.merge_kind != 0) {
      for (Station const& s : m_.stations) keys.push_back(s.merge_key);
      byKey.resize(S());
      std::iota(byKey.begin(), byKey.end(), 0);
      std::stable_sort(byKey.begin(), byKey.end(),
                       [&](uint16_t a, uint16_t b) { return keys[a] < keys[b]; });
    }
    sink_.ArrayOf("V15Merge/keys", keys);
    sink_.ArrayOf("V15Merge/byKey", byKey);
  }

  void WriteStopPatterns() {
    sink_.Section("V16StopPatterns");
    std::vector<int32_t> index;
    RecordBytes stops;
    if (!m_.stop_patterns.empty()) {
      index.push_back(0);
      for (size_t p = 0; p < m_.stop_patterns.size(); ++p) {
        for (PatternStop const& s : m_.stop_patterns[p]) {
          CheckStation(s.station, S(), Name("stop pattern", p));
          stops.U16(s.station);
          stops.I16(s.arc_kind);
          stops.EndRecord();
        }
        index.push_back(static_cast<int32_t>(stops.count));
      }
    }
    sink_.ArrayOf("V16StopPatterns/index", index);
    sink_.Array("V16StopPatterns/stops", 4, stops.count, stops.bytes);
    std::vector<int32_t> perTrain;
    std::vector<uint8_t> bytes;
    if (!m_.stop_patterns.empty()) {
      for (Train const& t : m_.trains) {
        perTrain.push_back(t.stop_pattern);
        bytes.push_back(t.stop_pattern_byte);
      }
    }
    sink_.ArrayOf("V16StopPatterns/perTrain", perTrain);
    sink_.ArrayOf("V16StopPatterns/bytes", bytes);
  }

  void WriteLineValidity() {
    sink_.Section("V18LineValidity");
    RecordBytes records;
    for (LineValidity const& r : m_.line_validity) {
      records.I32(r.line_key);
      records.I32(r.flags);
      records.I32(r.first_day);
      records.I32(r.last_day);
      records.U8(r.weekdays);
      records.EndRecord();
    }
    sink_.Array("V18LineValidity/records", 17, records.count, records.bytes);
    std::vector<int32_t> offsets;
    std::vector<uint16_t> indexes;
    if (!m_.train_validity.empty()) {
      if (m_.train_validity.size() != T()) Fail("line validity: one list per train needed");
      offsets.push_back(0);
      for (size_t t = 0; t < T(); ++t) {
        for (uint16_t i : m_.train_validity[t]) {
          if (i >= m_.line_validity.size()) {
            Fail(Name("train", t) + ": line validity record " + std::to_string(i) +
                 " does not exist");
          }
          indexes.push_back(i);
        }
        offsets.push_back(static_cast<int32_t>(indexes.size()));
      }
    }
    sink_.ArrayOf("V18LineValidity/offsets", offsets);
    sink_.ArrayOf("V18LineValidity/indexes", indexes);
  }

  void WritePhysicalTypes() {
    sink_.Section("V20PhysicalTypes");
    std::vector<uint8_t> perTrain, typeBits;
    if (!m_.physical_types.empty()) {
      if (m_.physical_types.size() > 0xFF) Fail("physical types: more than 255");
      for (size_t t = 0; t < T(); ++t) {
        if (m_.trains[t].physical_type < 0) {
          Fail(Name("train", t) +
               ": every train needs a physical type when the timetable has them");
        }
        perTrain.push_back(static_cast<uint8_t>(m_.trains[t].physical_type));
      }
      for (TrainType const& p : m_.physical_types) typeBits.push_back(p.type_bit);
    }
    sink_.ArrayOf("V20PhysicalTypes/perTrain", perTrain);
    if (!perTrain.empty()) WriteTypePools("V20PhysicalTypes", m_.physical_types, "physical type");
    sink_.ArrayOf("V20PhysicalTypes/typeBits", typeBits);
  }

  // ---- description and trailer ------------------------------------------

  void WriteEnd() {
    uint32_t descriptionOffset = 0;
    if (m_.format_version >= 2) {
      sink_.Section("Description");
      descriptionOffset = static_cast<uint32_t>(sink_.Size());
      sink_.CString(Cp(m_.description, "description"));
      sink_.U32(m_.description_value);
    }
    sink_.Section("Trailer");
    sink_.U32(descriptionOffset);
    sink_.Zeros(40);
    sink_.U32(ComputeCrc32(sink_.bytes.data(), sink_.Size()));
  }

  TimetableModel const& m_;
  WriteOptions const& options_;
  const size_t n_;
  ByteSink sink_;

  std::vector<int32_t> keys_;
  std::vector<std::vector<std::string>> names_;  // [language][station]
  std::vector<uint16_t> types_;
  std::vector<int16_t> shifts_;
  bool shiftLists_ = false;
  std::vector<EncodedTrain> encoded_;
  bool hasDistances_ = false;
  std::vector<int32_t> arcIndex_;
  std::vector<int8_t> barrierFreeMinutes_;
  std::vector<std::vector<uint8_t>> runningDays_;
};

size_t FindMark(std::vector<Mark> const& marks, std::string_view name) {
  for (Mark const& mark : marks) {
    if (mark.name == name) return mark.offset;
  }
  throw std::out_of_range("no mark named " + std::string(name));
}

}  // namespace

size_t WrittenFile::SectionOffset(std::string_view name) const { return FindMark(sections, name); }
size_t WrittenFile::ArrayOffset(std::string_view name) const { return FindMark(arrays, name); }

WrittenFile WriteTimetable(TimetableModel const& model, WriteOptions const& options) {
  return TimetableWriter(model, options).Write();
}

// ---- extension files ---------------------------------------------------

WrittenFile WriteExtension(ExtensionModel const& model) {
  ByteSink sink;
  sink.Section("Header");
  sink.Raw(kExtensionSignature.data(), kExtensionSignature.size());
  sink.I32(model.owner_id);
  sink.U32(static_cast<uint32_t>(model.type));
  sink.Section("Body");
  switch (model.type) {
    case ExtensionType::kFares:
      WriteFareBody(model.fares, model.fare_version, sink);
      break;
    case ExtensionType::kGis:
      WriteGisBody(model.gis, model.gis_languages, sink);
      break;
    case ExtensionType::kStationKeys: {
      if (model.station_key_sets > 2) throw ModelError("station keys: at most 2 further sets");
      sink.U32(model.station_key_sets);
      std::array<std::vector<int32_t>, 3> columns;
      for (StationKeyRow const& row : model.station_key_rows) {
        columns[0].push_back(row.station_key);
        columns[1].push_back(row.tcv_key);
        columns[2].push_back(row.reservation_key);
      }
      for (uint32_t i = 0; i < 3 * (model.station_key_sets + 1); ++i) {
        if (i < 3) {
          sink.ArrayOf("StationKeys/" + std::to_string(i), columns[i]);
        } else {
          sink.EmptyArray("StationKeys/" + std::to_string(i));
        }
      }
      break;
    }
    case ExtensionType::kQMap: {
      QMapModel qmap = model.qmap;
      qmap.version = model.qmap_version;
      WriteQMapBody(qmap, sink);
      break;
    }
    default:
      throw ModelError("extension type " + std::to_string(static_cast<uint32_t>(model.type)) +
                       " does not exist");
  }
  // No trailer: the CRC of every byte before it ends the file.
  sink.Section("Crc");
  sink.U32(ComputeCrc32(sink.bytes.data(), sink.Size()));
  WrittenFile file;
  file.tail_bytes = 4;
  file.bytes = std::move(sink.bytes);
  file.sections = std::move(sink.sections);
  file.arrays = std::move(sink.arrays);
  return file;
}

// ---- damage ------------------------------------------------------------

void Reseal(std::vector<uint8_t>& bytes) {
  if (bytes.size() < 4) return;
  size_t crcAt = bytes.size() - 4;
  StoreLE(bytes.data() + crcAt, ComputeCrc32(bytes.data(), crcAt));
}

std::vector<uint8_t> TruncateAt(WrittenFile const& file, std::string_view section, bool reseal) {
  std::vector<uint8_t> out(
      file.bytes.begin(), file.bytes.begin() + static_cast<ptrdiff_t>(file.SectionOffset(section)));
  if (reseal) {
    out.insert(out.end(), file.tail_bytes, 0);
    Reseal(out);
  }
  return out;
}

std::vector<uint8_t> PatchU32(WrittenFile const& file, size_t offset, uint32_t value, bool reseal) {
  std::vector<uint8_t> out = file.bytes;
  if (offset + 4 > out.size()) throw std::out_of_range("patch beyond the file");
  StoreLE(out.data() + offset, value);
  if (reseal) Reseal(out);
  return out;
}

std::vector<uint8_t> PatchU8(WrittenFile const& file, size_t offset, uint8_t value, bool reseal) {
  std::vector<uint8_t> out = file.bytes;
  if (offset >= out.size()) throw std::out_of_range("patch beyond the file");
  out[offset] = value;
  if (reseal) Reseal(out);
  return out;
}

std::vector<uint8_t> BreakCrc(WrittenFile const& file) {
  std::vector<uint8_t> out = file.bytes;
  out.back() ^= 0x01;
  return out;
}

std::vector<uint8_t> BreakSignature(WrittenFile const& file) {
  std::vector<uint8_t> out = file.bytes;
  out[0] ^= 0x20;
  Reseal(out);
  return out;
}

void SaveFile(std::string const& path, std::vector<uint8_t> const& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<char const*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace qo::writer
