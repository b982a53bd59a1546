#include "writer/fare_writer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "format/fare_layout.h"
#include "writer/model_text.h"
#include "writer/timetable_writer.h"

namespace qo::writer {
namespace {

// The one pool of fare texts; equal texts share an entry.
class TextPool {
 public:
  int32_t Add(std::string const& utf8, std::string const& what) {
    if (utf8.empty()) return -1;
    std::string text = ToCp1250(utf8, what);
    auto [it, added] = index_.emplace(text, static_cast<int32_t>(texts_.size()));
    if (added) texts_.push_back(text);
    return it->second;
  }
  std::vector<std::string> const& texts() const { return texts_; }

 private:
  std::map<std::string, int32_t> index_;
  std::vector<std::string> texts_;
};

void Records(ByteSink& sink, std::string const& name, size_t width, RecordBytes const& r) {
  sink.Array(name, width, r.count, r.bytes);
}

void KeyTriples(ByteSink& sink, std::string const& name, std::vector<FareKeyTriple> const& rows) {
  RecordBytes r;
  for (FareKeyTriple const& row : rows) {
    r.I32(row.a);
    r.I32(row.b);
    r.I32(row.value);
    r.EndRecord();
  }
  Records(sink, name, kFareKeyTripleBytes, r);
}

void CheckTable(FareTable const& t, size_t index) {
  std::string what = "fare table " + std::to_string(index);
  if (t.kind > kTableZonePairMeasure) throw ModelError(what + ": unknown kind");
  if (IsZonePairTable(t.kind)) {
    size_t n = t.zone_names ? t.zone_names_list.size() : t.zone_ranges.size();
    if (!ZonePairValuesFit(static_cast<int64_t>(n), static_cast<int64_t>(t.values.size()),
                           !t.zone_names))
      throw ModelError(what + ": the values do not fill the zone-pair triangle");
  } else if (t.values.size() != t.thresholds.size() && t.values.size() != 2 * t.thresholds.size()) {
    throw ModelError(what + ": one or two values per threshold");
  }
}

void CheckRule(FareRule const& rule, size_t index, FareModel const& model) {
  std::string what = "fare rule " + std::to_string(index);
  if (rule.currency < 0 || static_cast<size_t>(rule.currency) >= model.currencies.size())
    throw ModelError(what + ": no currency " + std::to_string(rule.currency));
  auto table = [&](int16_t t, bool zonePair) {
    if (t == -1) return;
    if (t < 0 || static_cast<size_t>(t) >= model.tables.size())
      throw ModelError(what + ": no table " + std::to_string(t));
    if (zonePair != IsZonePairTable(model.tables[static_cast<size_t>(t)].kind))
      throw ModelError(what + ": table " + std::to_string(t) + " is of the wrong kind");
  };
  if (rule.measure_table != -1 &&
      (rule.measure_table < 0 || static_cast<size_t>(rule.measure_table) >= model.tables.size()))
    throw ModelError(what + ": no table " + std::to_string(rule.measure_table));
  for (FarePrice const& p : rule.prices) {
    table(p.table, false);
    table(p.zone_table, true);
  }
}

}  // namespace

void WriteFareBody(FareModel const& m, uint16_t version, ByteSink& sink) {
  if (m.languages.size() > static_cast<size_t>(kFareMaxLanguages))
    throw ModelError("fares: at most 8 languages");
  for (size_t i = 0; i < m.tables.size(); ++i) CheckTable(m.tables[i], i);
  for (size_t i = 0; i < m.rules.size(); ++i) CheckRule(m.rules[i], i, m);

  TextPool pool;
  std::vector<uint8_t> header(kFareHeaderBytes, 0);
  StoreLE<uint16_t>(header.data(), static_cast<uint16_t>(kFareHeaderBytes));
  StoreLE<uint16_t>(header.data() + 2, version);
  header[4] = static_cast<uint8_t>(m.languages.size());
  header[kFareHeaderDateBasis] = m.date_basis;
  header[kFareHeaderFlags] = m.flags;
  StoreLE<uint32_t>(header.data() + kFareHeaderExcluded, m.excluded_categories);
  std::memcpy(header.data() + kFareHeaderLetters, m.languages.data(), m.languages.size());
  sink.Section("FareHeader");
  sink.Raw(header.data(), header.size());

  // Texts are numbered before anything that refers to them is written.
  std::vector<std::array<int32_t, 2>> currencyTexts;
  for (FareCurrency const& c : m.currencies)
    currencyTexts.push_back(
        {pool.Add(c.format_cents, "currency format"), pool.Add(c.format_whole, "currency format")});
  std::vector<int32_t> tableTexts;
  std::vector<std::vector<int32_t>> tableZoneNames;
  for (FareTable const& t : m.tables) {
    tableTexts.push_back(pool.Add(t.formats, "table formats"));
    std::vector<int32_t> names;
    for (std::string const& name : t.zone_names_list) {
      int32_t text = pool.Add(name, "zone name");
      if (text < 0) throw ModelError("fare table: an empty zone name");
      names.push_back(text);
    }
    tableZoneNames.push_back(names);
  }
  struct RuleTexts {
    int32_t region, first, last;
    std::vector<std::array<int32_t, 3>> triples;
    std::vector<int32_t> remarks;
  };
  std::vector<RuleTexts> ruleTexts;
  for (FareRule const& r : m.rules) {
    RuleTexts t{pool.Add(r.region, "rule region"),
                pool.Add(r.first_pattern, "name pattern"),
                pool.Add(r.last_pattern, "name pattern"),
                {},
                {}};
    for (FareTextTriple const& x : r.text_triples)
      t.triples.push_back({pool.Add(x.number, "text triple"), pool.Add(x.name, "text triple"),
                           pool.Add(x.type, "text triple")});
    for (std::string const& text : r.remark_texts) {
      int32_t i = pool.Add(text, "remark text");
      if (i < 0) throw ModelError("fare rule: an empty remark text");
      t.remarks.push_back(i);
    }
    ruleTexts.push_back(std::move(t));
  }

  RecordBytes currencies;
  for (size_t i = 0; i < m.currencies.size(); ++i) {
    FareCurrency const& c = m.currencies[i];
    if (c.rounding > 2) throw ModelError("fare currency: rounding 0, 1 or 2");
    uint64_t raw;
    std::memcpy(&raw, &c.rate, 8);
    currencies.U32(static_cast<uint32_t>(raw));
    currencies.U32(static_cast<uint32_t>(raw >> 32));
    currencies.U8(c.divide ? 1 : 0);
    currencies.U8(c.rounding);
    currencies.U8(c.mark);
    currencies.U8(0);
    currencies.I32(currencyTexts[i][0]);
    currencies.I32(currencyTexts[i][1]);
    currencies.EndRecord();
  }
  Records(sink, "Fares/currencies", kFareCurrencyBytes, currencies);

  RecordBytes zones;
  std::vector<FareStationZone> sortedZones = m.station_zones;
  std::stable_sort(sortedZones.begin(), sortedZones.end(),
                   [](auto const& a, auto const& b) { return a.key < b.key; });
  for (FareStationZone const& z : sortedZones) {
    zones.I32(z.key);
    zones.I16(z.zone);
    zones.I16(z.second);
    zones.EndRecord();
  }
  Records(sink, "Fares/stationZones", kFareStationZoneBytes, zones);
  sink.ArrayOf("Fares/zoneMap", m.zone_map);

  RecordBytes rules;
  for (FareRule const& r : m.rules) {
    size_t start = rules.bytes.size();
    for (int i = 0; i < kTariffArraySlots; ++i) rules.U32(0);
    rules.U32(0);                         // no extension block
    rules.I32(r.owners.empty() ? 0 : 1);  // owner selector
    rules.U16(r.valid_from);
    rules.U16(r.valid_to);
    rules.U8(r.day_rule);
    rules.U8(r.weekdays);
    rules.I16(r.window_start);
    rules.I16(r.window_end);
    rules.U8(static_cast<uint8_t>(
        (r.final ? kRuleFinal : 0) | (r.either_end ? kRuleEitherEnd : 0) |
        (r.several_legs ? kRuleSeveralLegs : 0) | (r.any_leg_category ? kRuleAnyLegCategory : 0) |
        (r.single_variant ? kRuleSingleVariant : 0) | (r.single_leg ? kRuleSingleLeg : 0)));
    rules.U8(r.category);
    rules.I16(r.currency);
    rules.I16(r.kind_test);
    for (int16_t v : {r.duration[0], r.duration[1], r.stops[0], r.stops[1], r.zones[0], r.zones[1]})
      rules.I16(v);
    rules.U32(r.fare_categories);
    rules.U32(r.train_categories);
    rules.I32(ruleTexts[static_cast<size_t>(&r - m.rules.data())].region);
    rules.I16(r.arc_kind);
    rules.I16(r.measure_table);
    while (rules.bytes.size() - start < static_cast<size_t>(kTariffRecordBytes)) rules.U8(0);
    rules.EndRecord();
  }
  Records(sink, "Fares/rules", kTariffRecordBytes, rules);

  RecordBytes tables;
  for (size_t i = 0; i < m.tables.size(); ++i) {
    FareTable const& t = m.tables[i];
    tables.U8(t.kind);
    tables.U8(t.zone_names ? 1 : 0);
    tables.U16(0);
    tables.I32(t.base);
    tables.I32(tableTexts[i]);
    for (int k = 0; k < 3; ++k) tables.U32(0);
    tables.EndRecord();
  }
  Records(sink, "Fares/tables", kFareZoneRecordBytes, tables);
  KeyTriples(sink, "Fares/transfers", m.transfers);
  KeyTriples(sink, "Fares/borders", m.borders);
  sink.ArrayOf("Fares/trainCategories", m.train_categories);
  KeyTriples(sink, "Fares/arcZones", m.arc_zones);
  std::vector<uint8_t> areaKinds;
  for (FareArea const& a : m.areas) areaKinds.push_back(a.kind);
  sink.ArrayOf("Fares/areas", areaKinds);
  sink.U32(static_cast<uint32_t>(m.areas.size()));
  for (FareArea const& a : m.areas) sink.ArrayOf("Fares/areaKeys", a.keys);

  for (size_t l = 0; l < m.languages.size(); ++l) {
    std::vector<std::string> names;
    for (FareRule const& r : m.rules)
      names.push_back(ToCp1250(l < r.names.size() ? r.names[l] : std::string(), "rule name"));
    sink.Pool("Fares/names", names);
  }
  sink.Pool("Fares/texts", pool.texts());

  for (size_t i = 0; i < m.rules.size(); ++i) {
    FareRule const& r = m.rules[i];
    RuleTexts const& t = ruleTexts[i];
    for (int slot = 0; slot < kTariffArraySlots; ++slot) {
      std::string name = "Fares/rule" + std::to_string(i) + "/" + std::to_string(slot);
      RecordBytes rb;
      switch (slot) {
        case kSlotFirstStops:
          sink.ArrayOf(name, r.first_stops);
          break;
        case kSlotLastStops:
          sink.ArrayOf(name, r.last_stops);
          break;
        case kSlotAllStops:
          sink.ArrayOf(name, r.all_stops);
          break;
        case kSlotKeyPairs:
          for (auto const& p : r.key_pairs) {
            for (int32_t v : p) rb.I32(v);
            rb.EndRecord();
          }
          Records(sink, name, kRuleSlotBytes[kSlotKeyPairs], rb);
          break;
        case kSlotNamePatterns:
          if (t.first >= 0 || t.last >= 0)
            sink.ArrayOf(name, std::vector<int32_t>{t.first, t.last});
          else
            sink.EmptyArray(name);
          break;
        case kSlotTrainNumbers:
        case kSlotRequiredKeys:
          for (FareKeyRange const& k :
               slot == kSlotTrainNumbers ? r.train_numbers : r.required_keys) {
            rb.I32(k.lo);
            rb.I32(k.hi);
            rb.EndRecord();
          }
          Records(sink, name, kRuleSlotBytes[static_cast<size_t>(slot)], rb);
          break;
        case kSlotTextTriples:
          for (auto const& x : t.triples) {
            for (int32_t v : x) rb.I32(v);
            rb.EndRecord();
          }
          Records(sink, name, kRuleSlotBytes[kSlotTextTriples], rb);
          break;
        case kSlotPrices:
          for (FarePrice const& p : r.prices) {
            rb.I16(p.table);
            rb.I16(p.zone_table);
            rb.I16(p.zone_lo);
            rb.I16(p.zone_hi);
            rb.I32(p.base);
            rb.I32(p.fixed[0]);
            rb.I32(p.fixed[1]);
            rb.EndRecord();
          }
          Records(sink, name, kRuleSlotBytes[kSlotPrices], rb);
          break;
        case kSlotDistances:
          for (FareDistanceRange const& d : r.distances) {
            rb.U32(d.category_mask);
            rb.I32(d.lo);
            rb.I32(d.hi);
            rb.EndRecord();
          }
          Records(sink, name, kRuleSlotBytes[kSlotDistances], rb);
          break;
        case kSlotRequiredZones:
          sink.ArrayOf(name, r.required_zones);
          break;
        case kSlotRemarkTexts:
          sink.ArrayOf(name, t.remarks);
          break;
        case kTariffOwnerTextSlot: {
          std::string owners = ToCp1250(r.owners, "rule owners");
          sink.Array(name, 1, owners.size(), std::vector<uint8_t>(owners.begin(), owners.end()));
          break;
        }
        default:
          sink.EmptyArray(name);
      }
    }
  }
  for (size_t i = 0; i < m.tables.size(); ++i) {
    FareTable const& t = m.tables[i];
    std::string name = "Fares/table" + std::to_string(i);
    if (IsZonePairTable(t.kind)) {
      if (t.zone_names) {
        sink.ArrayOf(name + "/zones", tableZoneNames[i]);
      } else {
        RecordBytes rb;
        for (FareKeyRange const& k : t.zone_ranges) {
          rb.I32(k.lo);
          rb.I32(k.hi);
          rb.EndRecord();
        }
        Records(sink, name + "/zones", kZoneRangeBytes, rb);
      }
    } else {
      sink.ArrayOf(name + "/thresholds", t.thresholds);
    }
    sink.ArrayOf(name + "/values", t.values);
  }
  if (version >= 2)
    for (int i = 0; i < 3; ++i) sink.EmptyArray("Fares/v2/" + std::to_string(i));
  // Version 3 adds blocks only to rules that have one; the writer writes none.
  if (version >= 4)
    for (int i = 0; i < 5; ++i) sink.EmptyArray("Fares/v4/" + std::to_string(i));
}

}  // namespace qo::writer
