#include "load/read_extension.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "format/fare_layout.h"
#include "format/file_signatures.h"
#include "format/qmap_layout.h"
#include "format/range_checks.h"
#include "format/section_reader.h"
#include "frame/error_codes.h"
#include "load/file_image.h"
#include "load/read_timetable.h"

namespace qo {
namespace {

constexpr int32_t kGisHeaderBytes = 49;
constexpr int32_t kGisLayerBytes = 164;
constexpr int32_t kGisPointBytes = 12;
constexpr int32_t kGisVertexBytes = 8;
constexpr int32_t kGisLabelBytes = 20;
constexpr uint8_t kGisMaxLanguages = 5;
constexpr int32_t kQMapCoorBytes = 24;
constexpr int32_t kQMapArcBytes = 14;

bool HasExtensionSignature(const uint8_t* bytes, size_t size) {
  return size >= kExtensionSignatureSize &&
         std::memcmp(bytes, kExtensionSignature.data(), kExtensionSignatureCompared) == 0;
}

// The stations of the timetable in ascending key order, for the merge walks
// of the GIS and QMap indexes. Empty without keys or their order.
bool HasKeyOrder(const TimetableRecord& t) {
  return !t.StationKeys.empty() && t.StationsByKey.size() == t.StationKeys.size();
}

// --- Fares -----------------------------------------------------------------

// The element size of each of the ten arrays (0: any).
constexpr std::array<int32_t, 10> kFareArrayStrides = {
    kFareCurrencyBytes,  kFareStationZoneBytes, 2, kTariffRecordBytes,  kFareZoneRecordBytes,
    kFareKeyTripleBytes, kFareKeyTripleBytes,   1, kFareKeyTripleBytes, 1};

bool TakeFares(SectionReader& r, FareData& fares) {
  r.Section("fares");
  const uint8_t* start = r.Bytes(2);
  if (!start) return false;
  uint16_t length = LoadLE<uint16_t>(start);
  if (!r.Check(length >= 5, "header length")) return false;
  r.Skip(length - 2u);
  if (!r.ok()) return false;
  std::memcpy(fares.Header.data(), start, std::min<size_t>(length, fares.Header.size()));
  fares.Version = LoadLE<uint16_t>(fares.Header.data() + 2);
  fares.LanguageCount = fares.Header[4];

  for (size_t i = 0; i < fares.Arrays.size(); ++i) {
    fares.Arrays[i] = r.Records(kFareArrayStrides[i]);
  }
  fares.KeyLists = r.ArrayList(4);
  fares.LanguagePools = r.Pools(fares.LanguageCount);
  fares.Texts = r.Pool();

  const RecordArray& tariffs = fares.Arrays[3];
  const RecordArray& zones = fares.Arrays[4];
  if (!r.CanHold(static_cast<uint64_t>(tariffs.size()) * kTariffArraySlots, 4)) return false;
  fares.Tariffs.resize(static_cast<size_t>(tariffs.size()));
  for (int32_t i = 0; i < tariffs.size() && r.ok(); ++i) {
    FareTariff& tariff = fares.Tariffs[static_cast<size_t>(i)];
    tariff.Record = tariffs.At(i);
    for (RecordArray& slot : tariff.Slots) slot = r.Records();
  }
  if (!r.CanHold(static_cast<uint64_t>(zones.size()) * 2, 4)) return false;
  fares.ZoneRecords.resize(static_cast<size_t>(zones.size()));
  for (auto& pair : fares.ZoneRecords) {
    pair[0] = r.Records();
    pair[1] = r.Records();
  }

  auto hasBlock = [&](const FareTariff& tariff) {
    return LoadLE<uint32_t>(tariff.Record + kTariffExtensionSlot) != 0;
  };
  if (fares.Version >= 2)
    for (RecordArray& array : fares.Version2Arrays) array = r.Records();
  if (fares.Version >= 3) {
    for (FareTariff& tariff : fares.Tariffs) {
      if (!r.ok()) break;
      if (!hasBlock(tariff)) continue;
      tariff.Block = r.Bytes(kTariffBlockBytes);
      for (int slot = 0; slot < 4; ++slot) tariff.BlockSlots[slot] = r.Records();
    }
  }
  if (fares.Version >= 4) {
    for (RecordArray& array : fares.Version4Arrays) array = r.Records();
    for (FareTariff& tariff : fares.Tariffs) {
      if (!r.ok()) break;
      if (!hasBlock(tariff)) continue;
      tariff.BlockSlots[7] = r.Records();
      tariff.BlockSlots[8] = r.Records();
    }
  }
  if (fares.Version >= 6) {
    for (FareTariff& tariff : fares.Tariffs) {
      if (!r.ok()) break;
      if (!hasBlock(tariff) || !tariff.Block) continue;
      if (LoadLE<uint32_t>(tariff.Block + 4 * kTariffBlockFlagSlot) != 0)
        tariff.BlockSlots[kTariffBlockFlagSlot] = r.Records();
    }
  }
  // The area values go with the key lists one to one.
  return r.Check(fares.Arrays[kFareAreaArray].size() == static_cast<int32_t>(fares.KeyLists.size()),
                 "areas not one per key list");
}

// An array that is empty or of elements of exactly `stride` bytes.
bool EmptyOr(const RecordArray& a, int32_t stride) { return a.empty() || a.stride() == stride; }

bool TextRefs(const RecordArray& a, int32_t offset, int32_t texts) {
  for (int32_t i = 0; i < a.size(); ++i) {
    int32_t text = a.Field<int32_t>(i, offset);
    if (text < -1 || text >= texts) return false;
  }
  return true;
}

bool TableFits(const FareData& fares, int32_t table, int32_t texts) {
  const RecordArray& tables = fares.Arrays[kFareTables];
  uint8_t kind = tables.Field<uint8_t>(table, kTableKind);
  uint8_t mode = tables.Field<uint8_t>(table, kTableZoneMode);
  int32_t formats = tables.Field<int32_t>(table, kTableFormats);
  if (kind > kTableZonePairMeasure || mode > 1 || formats < -1 || formats >= texts) return false;
  const RecordArray& keys = fares.ZoneRecords[static_cast<size_t>(table)][0];
  const RecordArray& values = fares.ZoneRecords[static_cast<size_t>(table)][1];
  if (!EmptyOr(values, 4)) return false;
  if (IsZonePairTable(kind)) {
    if (!EmptyOr(keys, mode == 0 ? kZoneRangeBytes : 4)) return false;
    if (mode == 1 && !TextRefs(keys, 0, texts)) return false;
    return ZonePairValuesFit(keys.size(), values.size(), mode == 0);
  }
  if (!EmptyOr(keys, 4)) return false;
  return values.size() == keys.size() || values.size() == 2 * keys.size();
}

// Every reference the fare engine follows without a check of its own: a
// file that names a table, a currency or a text it does not hold is
// refused rather than read past an array's end.
bool CheckFares(const FareData& fares) {
  const int32_t texts = GetPoolCount(fares.Texts);
  const RecordArray& currencies = fares.Arrays[kFareCurrencies];
  if (!TextRefs(currencies, kCurrencyFormatCents, texts) ||
      !TextRefs(currencies, kCurrencyFormatWhole, texts))
    return false;
  for (int32_t c = 0; c < currencies.size(); ++c)
    if (currencies.Field<uint8_t>(c, kCurrencyRounding) > 2) return false;
  const int32_t tables = fares.Arrays[kFareTables].size();
  for (int32_t t = 0; t < tables; ++t)
    if (!TableFits(fares, t, texts)) return false;
  auto tableOf = [&](int32_t table, bool zonePair) {
    if (table == -1) return true;
    if (table < 0 || table >= tables) return false;
    return zonePair == IsZonePairTable(fares.Arrays[kFareTables].Field<uint8_t>(table, kTableKind));
  };
  for (const FareTariff& rule : fares.Tariffs) {
    const uint8_t* rec = rule.Record;
    int16_t currency = LoadLE<int16_t>(rec + kRuleCurrency);
    if (currency < 0 || currency >= currencies.size()) return false;
    int32_t region = LoadLE<int32_t>(rec + kRuleRegion);
    if (region < -1 || region >= texts) return false;
    int16_t measure = LoadLE<int16_t>(rec + kRuleMeasureTable);
    if (measure != -1 && (measure < 0 || measure >= tables)) return false;
    const auto& s = rule.Slots;
    for (size_t slot = 0; slot < kRuleSlotBytes.size(); ++slot)
      if (!EmptyOr(s[slot], kRuleSlotBytes[slot])) return false;
    if (!TextRefs(s[kSlotNamePatterns], 0, texts) || !TextRefs(s[kSlotRemarkTexts], 0, texts))
      return false;
    for (int32_t k = 0; k < 3; ++k)
      if (!TextRefs(s[kSlotTextTriples], 4 * k, texts)) return false;
    const RecordArray& prices = s[kSlotPrices];
    for (int32_t p = 0; p < prices.size(); ++p) {
      if (!tableOf(prices.Field<int16_t>(p, 0), false) ||
          !tableOf(prices.Field<int16_t>(p, 2), true))
        return false;
    }
  }
  return true;
}

// Every arc between two stations of one key list gets that list's area.
void MarkFareArcs(const TimetableRecord& t, FareData& fares) {
  fares.ArcMarks.clear();
  if (t.ArcOffsets.empty() || t.StationKeys.empty()) return;
  fares.ArcMarks.assign(static_cast<size_t>(t.ArcStations.size()), 0);

  std::vector<std::pair<int32_t, int32_t>> byKey;  // (key, station)
  byKey.reserve(static_cast<size_t>(t.StationKeys.size()));
  for (int32_t s = 0; s < t.StationKeys.size(); ++s) byKey.emplace_back(t.StationKeys[s], s);
  std::sort(byKey.begin(), byKey.end());

  std::vector<int32_t> stamp(t.StationCount, -1);
  std::vector<int32_t> members;
  ImageArray<uint8_t> areas = fares.Arrays[kFareAreaArray].As<uint8_t>();
  for (size_t list = 0; list < fares.KeyLists.size(); ++list) {
    ImageArray<int32_t> keys = fares.KeyLists[list].As<int32_t>();
    members.clear();
    for (int32_t k = 0; k < keys.size(); ++k) {
      auto range = std::equal_range(byKey.begin(), byKey.end(), std::make_pair(keys[k], INT32_MIN),
                                    [](const auto& a, const auto& b) { return a.first < b.first; });
      for (auto it = range.first; it != range.second; ++it) {
        if (stamp[static_cast<size_t>(it->second)] == static_cast<int32_t>(list)) continue;
        stamp[static_cast<size_t>(it->second)] = static_cast<int32_t>(list);
        members.push_back(it->second);
      }
    }
    if (members.size() < 2) continue;
    uint8_t area = areas[static_cast<int32_t>(list)];
    for (int32_t u : members) {
      for (int32_t arc = t.ArcOffsets[u]; arc < t.ArcOffsets[u + 1]; ++arc) {
        if (stamp[t.ArcStations[arc]] == static_cast<int32_t>(list))
          fares.ArcMarks[static_cast<size_t>(arc)] = area;
      }
    }
  }
}

// Per tariff record with an owner selector, the owners whose display text
// contains one of the record's texts. The descriptions are kernel text, so
// nothing is converted for the comparison.
void MarkFareOwners(const TimetableRecord& t, FareData& fares) {
  fares.OwnerBits.assign(fares.Tariffs.size(), {});
  int32_t owners = t.OwnerPools.empty() ? 0 : GetPoolCount(t.OwnerPools[0]);
  std::vector<std::string> display;
  display.reserve(static_cast<size_t>(owners));
  for (int32_t o = 0; o < owners; ++o)
    display.push_back(OwnerDisplayText(PoolString(t.OwnerPools[0], o)));

  for (size_t i = 0; i < fares.Tariffs.size(); ++i) {
    const FareTariff& tariff = fares.Tariffs[i];
    if (LoadLE<int32_t>(tariff.Record + kTariffOwnerSelector) <= 0) continue;
    std::vector<uint8_t>& bits = fares.OwnerBits[i];
    bits.assign(static_cast<size_t>((owners + 7) / 8), 0);
    const RecordArray& textArray = tariff.Slots[kTariffOwnerTextSlot];
    std::string_view texts(reinterpret_cast<const char*>(textArray.handle()),
                           static_cast<size_t>(textArray.bytes()));
    size_t begin = 0;
    while (begin <= texts.size()) {
      size_t bar = texts.find('|', begin);
      std::string_view text =
          texts.substr(begin, bar == std::string_view::npos ? bar : bar - begin);
      if (!text.empty()) {
        for (int32_t o = 0; o < owners; ++o)
          if (display[static_cast<size_t>(o)].find(text) != std::string::npos)
            bits[static_cast<size_t>(o / 8)] |= static_cast<uint8_t>(1u << (o % 8));
      }
      if (bar == std::string_view::npos) break;
      begin = bar + 1;
    }
  }
}

// --- GIS -------------------------------------------------------------------

bool TakeGisLayer(SectionReader& r, const uint8_t* record, GisLayer* layer) {
  layer->Record = record;
  layer->Points = r.Records(kGisPointBytes);
  layer->Vertices = r.Records(kGisVertexBytes);
  layer->Polylines = r.ArrayList(kGisVertexBytes);
  layer->Polylines2 = r.ArrayList(kGisVertexBytes);
  layer->Items = r.Records();
  layer->Labels = r.Records(kGisLabelBytes);
  layer->LabelTexts.assign(static_cast<size_t>(layer->Labels.size()), {});
  for (int32_t i = 0; i < layer->Labels.size() && r.ok(); ++i)
    if (layer->Labels.Field<int32_t>(i, 8) != 0)
      layer->LabelTexts[static_cast<size_t>(i)] = r.CString();
  layer->Further = r.Records();
  return r.ok();
}

bool TakeGis(SectionReader& r, GisData& gis) {
  r.Section("GIS");
  const uint8_t* header = r.Bytes(kGisHeaderBytes);
  if (!header) return false;
  gis.Version = LoadLE<uint16_t>(header);
  gis.MapId = LoadLE<uint32_t>(header + 2);
  gis.LanguageCount = header[6];
  std::memcpy(gis.Letters.data(), header + 7, 6);
  for (int i = 0; i < 5; ++i)
    gis.NameIndex[static_cast<size_t>(i)] = LoadLE<uint32_t>(header + 13 + 4 * i);
  for (int i = 0; i < 4; ++i)
    gis.Extent[static_cast<size_t>(i)] = LoadLE<int32_t>(header + 33 + 4 * i);
  if (!r.Check(gis.LanguageCount <= kGisMaxLanguages, "language count")) return false;

  for (size_t k = 0; k < gis.LayerArrays.size(); ++k) {
    RecordArray layers = r.Records(kGisLayerBytes);
    // Each layer is followed by at least seven lone zeros.
    if (!r.CanHold(static_cast<uint64_t>(layers.size()) * 7, 4)) return false;
    gis.LayerArrays[k] = layers;
    gis.Layers[k].resize(static_cast<size_t>(layers.size()));
    for (int32_t i = 0; i < layers.size(); ++i)
      if (!TakeGisLayer(r, layers.At(i), &gis.Layers[k][static_cast<size_t>(i)])) return false;
  }
  gis.ArrayList = r.ArrayList();
  gis.MapNames = r.Pools(gis.LanguageCount);
  gis.LayerNames = r.Pool();
  return r.ok();
}

void WidenExtent(const RecordArray& xy, std::array<int64_t, 4>& extent) {
  for (int32_t i = 0; i < xy.size(); ++i) {
    int32_t x = xy.Field<int32_t>(i, 0);
    int32_t y = xy.Field<int32_t>(i, 4);
    extent[0] = std::min<int64_t>(extent[0], x);
    extent[1] = std::max<int64_t>(extent[1], x);
    extent[2] = std::min<int64_t>(extent[2], y);
    extent[3] = std::max<int64_t>(extent[3], y);
  }
}

void SetUpGis(const TimetableRecord& t, GisData& gis) {
  // Layer arrays 3 and 2 make the extent; array 1 (the background) does not.
  std::array<int64_t, 4> extent{INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN};
  for (size_t k : {size_t{2}, size_t{1}}) {
    for (const GisLayer& layer : gis.Layers[k]) {
      WidenExtent(layer.Points, extent);
      WidenExtent(layer.Vertices, extent);
      for (const RecordArray& line : layer.Polylines) WidenExtent(line, extent);
      for (const RecordArray& line : layer.Polylines2) WidenExtent(line, extent);
    }
  }
  // A map without any point keeps its stored extent rather than an inverted one.
  if (extent[0] <= extent[1])
    for (size_t i = 0; i < 4; ++i) gis.Extent[i] = static_cast<int32_t>(extent[i]);

  gis.StationPoint.assign(t.StationCount, 0);
  gis.PointStation.clear();
  if (gis.Layers[2].empty()) return;
  const RecordArray& points = gis.Layers[2][0].Points;
  // A point no station claims is -1; its stored key is never mistaken for a
  // station index, also in a timetable whose stations have no key order.
  gis.PointStation.assign(static_cast<size_t>(points.size()), -1);
  if (!HasKeyOrder(t)) return;
  // Both sides in ascending key order at once; stations sharing a key all
  // get the first point of that key.
  int32_t s = 0, p = 0;
  while (s < t.StationsByKey.size() && p < points.size()) {
    uint16_t station = t.StationsByKey[s];
    int32_t stationKey = t.StationKeys[station];
    int32_t pointKey = points.Field<int32_t>(p, 8);
    if (stationKey < pointKey) {
      ++s;
    } else if (pointKey < stationKey) {
      ++p;
    } else {
      gis.StationPoint[station] = static_cast<uint32_t>(p) + 1;
      gis.PointStation[static_cast<size_t>(p)] = station;
      ++s;
    }
  }
}

// --- Station keys ----------------------------------------------------------

bool TakeStationKeys(SectionReader& r, StationKeyData& keys) {
  r.Section("station keys");
  keys.Count = r.U32();
  size_t groups = 1 + (keys.Count >= 1 ? 1 : 0) + (keys.Count >= 2 ? 1 : 0);
  for (size_t g = 0; g < groups; ++g) {
    std::array<ImageArray<int32_t>, 3> columns;
    for (ImageArray<int32_t>& column : columns) column = r.Array<int32_t>();
    if (!r.Check(columns[1].size() == columns[0].size() && columns[2].size() == columns[0].size(),
                 "key columns of different lengths"))
      return false;
    keys.Groups.push_back(columns);
  }
  return r.ok();
}

// --- QMap ------------------------------------------------------------------

bool TakeQMap(SectionReader& r, QMapData& q) {
  r.Section("QMap");
  q.Version = r.U16();
  q.Held = r.U32();
  q.HeldArray = r.Records();
  q.Coors = r.Records(kQMapCoorBytes);
  q.ArcIndex = r.Array<int32_t>();
  q.Arcs = r.Records(kQMapArcBytes);
  q.PolylineRefs = r.Array<int32_t>();
  q.Polylines = r.ArrayList(kQMapPointBytes);
  q.HeldArray2 = r.Records();
  q.NeighbourIndex = r.Array<int32_t>();
  q.Neighbours = r.Array<int32_t>();
  q.Pool = r.Pool();
  if (q.Version >= 1) {
    q.Nodes = r.Records(kQMapPointBytes);
    q.NodeCoor = r.Array<int32_t>();
    q.EdgeIndex = r.Array<int32_t>();
    q.EdgeTargets = r.Array<int32_t>();
    q.EdgeLengths = r.Array<int32_t>();
  }
  return r.ok();
}

// The QMap queries walk these tables without checks, so every range and
// reference is checked once here.
Refusal CheckQMap(const QMapData& q) {
  const int32_t rows = q.Coors.size();
  const int32_t arcs = q.Arcs.size();
  // A row of no station keeps its key negated, which this key cannot be.
  for (int32_t r = 0; r < rows; ++r)
    if (q.Coors.Field<int32_t>(r, 0) == INT32_MIN) return "coordinate key";
  const int32_t polylines = static_cast<int32_t>(q.Polylines.size());
  // The queries read the indexes below without asking whether they are
  // there, so each one needs its entries whenever it has items to index.
  // The last arc only closes the polyline range of the one before it.
  if ((rows > 0 && q.ArcIndex.empty()) ||
      !Ranges(q.ArcIndex, static_cast<uint32_t>(rows), arcs > 0 ? arcs - 1 : 0))
    return "arc index";
  int32_t previous = 0;
  for (int32_t a = 0; a < arcs; ++a) {
    int32_t target = q.Arcs.Field<int32_t>(a, 0);
    int32_t first = q.Arcs.Field<int32_t>(a, 10);
    // The closing arc carries no target.
    if ((target < 0 || target >= rows) && a + 1 < arcs) return "arc target out of range";
    if (first < previous || first > q.PolylineRefs.size()) return "arc polyline references";
    previous = first;
  }
  if (!AllBelow(q.PolylineRefs, polylines)) return "polyline reference out of range";
  if ((polylines > 0 && q.NeighbourIndex.empty()) ||
      !Ranges(q.NeighbourIndex, static_cast<uint32_t>(polylines), q.Neighbours.size()))
    return "neighbour index";
  if (!AllBelow(q.Neighbours, polylines)) return "neighbour out of range";
  if (q.Version >= 1) {
    const int32_t nodes = q.Nodes.size();
    if ((nodes > 0 && q.NodeCoor.empty()) || !PerItem(q.NodeCoor, static_cast<uint32_t>(nodes)))
      return "node coordinates";
    if (!NoneOrBelow(q.NodeCoor, rows)) return "node coordinate out of range";
    if ((nodes > 0 && q.EdgeIndex.empty()) ||
        !Ranges(q.EdgeIndex, static_cast<uint32_t>(nodes), q.EdgeTargets.size()))
      return "edge index";
    if (!AllBelow(q.EdgeTargets, nodes)) return "edge target out of range";
    if (q.EdgeLengths.size() != q.EdgeTargets.size()) return "edge lengths";
  }
  return nullptr;
}

void SetUpQMap(const TimetableRecord& t, QMapData& q) {
  const int32_t rows = q.Coors.size();
  q.CoorNode.assign(static_cast<size_t>(rows), -1);
  for (int32_t n = q.Nodes.size() - 1; n >= 0; --n)
    if (q.NodeCoor[n] >= 0) q.CoorNode[static_cast<size_t>(q.NodeCoor[n])] = n;
  BuildQMapNodeGrid(q.Nodes, q.NodeCoor, q.NodeGrid);
  q.StationCoor.assign(t.StationCount, 0);
  q.CoorStation.resize(static_cast<size_t>(rows));
  for (int32_t r = 0; r < rows; ++r)
    q.CoorStation[static_cast<size_t>(r)] = -q.Coors.Field<int32_t>(r, 0);
  if (!HasKeyOrder(t)) return;
  int32_t s = 0, r = 0;
  while (s < t.StationsByKey.size() && r < rows) {
    uint16_t station = t.StationsByKey[s];
    int32_t stationKey = t.StationKeys[station];
    int32_t rowKey = q.Coors.Field<int32_t>(r, 0);
    if (stationKey < rowKey) {
      ++s;
    } else if (rowKey < stationKey) {
      ++r;
    } else {
      // The first row of a key is its newest; the station owns the run.
      q.StationCoor[station] = static_cast<uint32_t>(r) + 1;
      for (int32_t run = r; run < rows && q.Coors.Field<int32_t>(run, 0) == rowKey; ++run)
        q.CoorStation[static_cast<size_t>(run)] = station;
      ++s;
    }
  }
}

// --- Attaching -------------------------------------------------------------

template <class Data>
void Attach(TimetableRecord& t, std::unique_ptr<Data>& slot, std::unique_ptr<Data> data) {
  if (slot) {
    // A second file of one type replaces the first; its path goes with it.
    auto& paths = t.LoadedExtensions;
    auto old = std::find(paths.begin(), paths.end(), slot->File.Path);
    if (old != paths.end()) paths.erase(old);
  }
  t.LoadedExtensions.push_back(data->File.Path);
  slot = std::move(data);
}

// Null when the file was taken, else why it was refused. setUp returns null
// or the check that refused what was taken.
template <class Data, class Take, class SetUp>
std::string TakeExtension(TimetableRecord& t, ExtensionFile file, std::unique_ptr<Data>& slot,
                          Take take, SetUp setUp) {
  auto data = std::make_unique<Data>();
  data->File = std::move(file);
  const uint8_t* image = data->File.Image.get();
  size_t size = static_cast<size_t>(data->File.Image.bytes());
  SectionReader r(image, image + size);
  r.Section("frame");
  r.LimitTo(size - kExtensionCrcBytes);
  r.Skip(kExtensionFrameBytes);
  take(r, *data);
  if (!r.ok()) return r.RefusalText();
  if (Refusal why = setUp(t, *data)) return why;
  Attach(t, slot, std::move(data));
  return {};
}

// ErrExtensionHeader, naming why for a caller that asked.
int Refuse(const ExtensionReadOptions& options, const std::string& why) {
  if (options.refusal) *options.refusal = why;
  return ErrExtensionHeader;
}

enum class FrameVerdict { kTake, kIgnore, kBadSignature };

// The frame tests before the image is read: signature, owner, type and the
// caller's skip flags, then events 6 and 7.
FrameVerdict CheckFrame(const uint8_t* frame, size_t size, const TimetableRecord& t,
                        const char* path, const ExtensionReadOptions& options, uint32_t* type,
                        bool* progress) {
  if (size < kExtensionFrameBytes || !HasExtensionSignature(frame, size))
    return FrameVerdict::kBadSignature;
  int32_t owner = LoadLE<int32_t>(frame + kExtensionSignatureSize);
  *type = LoadLE<uint32_t>(frame + kExtensionSignatureSize + 4);
  bool ours = owner == -1 || static_cast<uint32_t>(owner) == t.TimetableId;
  bool wanted = *type >= ExtFares && *type <= ExtQMap && !(options.skipTypes & (1u << *type));
  if (!ours || !wanted) return FrameVerdict::kIgnore;
  intptr_t answer =
      RaiseLoadEvent(options.callback, LoadEvExtFile, reinterpret_cast<intptr_t>(path));
  if (answer == kLoadAnswerSkip) return FrameVerdict::kIgnore;
  *progress = answer == kLoadAnswerProgress;
  if (RaiseLoadEvent(options.callback, LoadEvExtType, static_cast<intptr_t>(*type)) ==
      kLoadAnswerSkip)
    return FrameVerdict::kIgnore;
  return FrameVerdict::kTake;
}

// Event 8, the type's body, its set-up, and event 9.
int TakeExtensionImage(TimetableRecord& t, uint32_t type, ExtensionFile extension,
                       const ExtensionReadOptions& options, bool* attached) {
  size_t size = static_cast<size_t>(extension.Image.bytes());
  if (size < kExtensionFrameBytes + kExtensionCrcBytes ||
      !HasExtensionSignature(extension.Image.get(), size))
    return Refuse(options, "frame or signature");
  if (RaiseLoadEvent(options.callback, LoadEvExtRead,
                     reinterpret_cast<intptr_t>(extension.Image.get())) == kLoadAnswerSkip)
    return 0;
  std::string refused;
  switch (type) {
    case ExtFares:
      refused = TakeExtension(t, std::move(extension), t.Fares, TakeFares,
                              [](const TimetableRecord& tt, FareData& fares) -> Refusal {
                                if (!CheckFares(fares)) return "fare references";
                                MarkFareArcs(tt, fares);
                                MarkFareOwners(tt, fares);
                                return nullptr;
                              });
      break;
    case ExtGis:
      refused = TakeExtension(t, std::move(extension), t.Gis, TakeGis,
                              [](const TimetableRecord& tt, GisData& gis) -> Refusal {
                                SetUpGis(tt, gis);
                                return nullptr;
                              });
      break;
    case ExtStationKeys:
      refused =
          TakeExtension(t, std::move(extension), t.StationKeyExt, TakeStationKeys,
                        [](const TimetableRecord&, StationKeyData&) -> Refusal { return nullptr; });
      break;
    case ExtQMap:
      refused = TakeExtension(t, std::move(extension), t.QMap, TakeQMap,
                              [](const TimetableRecord& tt, QMapData& q) -> Refusal {
                                if (Refusal why = CheckQMap(q)) return why;
                                SetUpQMap(tt, q);
                                return nullptr;
                              });
      break;
  }
  if (!refused.empty()) return Refuse(options, refused);
  RaiseLoadEvent(options.callback, LoadEvExtDone, options.setCount);
  *attached = true;
  return 0;
}

}  // namespace

int ReadExtensionFile(TimetableRecord* record, const char* path,
                      const ExtensionReadOptions& options, bool* attached) {
  *attached = false;
  if (IsPathTooLong(path)) return ErrOpenDataFile;
  std::FILE* file = OpenBinaryFile(path);
  if (!file) return 0;
  uint8_t frame[kExtensionFrameBytes];
  size_t got = std::fread(frame, 1, sizeof frame, file);
  uint32_t type = 0;
  bool progress = false;
  FrameVerdict verdict = CheckFrame(frame, got, *record, path, options, &type, &progress);
  if (verdict != FrameVerdict::kTake) {
    std::fclose(file);
    return verdict == FrameVerdict::kBadSignature ? Refuse(options, "frame or signature") : 0;
  }
  ExtensionFile extension;
  bool read = ReadFileImage(file, progress, options.callback, &extension.Image);
  std::fclose(file);
  if (!read) return Refuse(options, "not read");
  extension.Path = path;
  return TakeExtensionImage(*record, type, std::move(extension), options, attached);
}

int ReadExtensionBytes(TimetableRecord* record, const char* path, const void* data, size_t size,
                       const ExtensionReadOptions& options, bool* attached) {
  *attached = false;
  const auto* bytes = static_cast<const uint8_t*>(data);
  uint32_t type = 0;
  bool progress = false;
  FrameVerdict verdict = CheckFrame(bytes, size, *record, path, options, &type, &progress);
  if (verdict != FrameVerdict::kTake)
    return verdict == FrameVerdict::kBadSignature ? Refuse(options, "frame or signature") : 0;
  if (size > INT32_MAX) return Refuse(options, "image size");
  ExtensionFile extension;
  AllocArrayRaw(extension.Image.address(), static_cast<int32_t>(size), 1);
  std::memcpy(extension.Image.get(), bytes, size);
  extension.Path = path;
  return TakeExtensionImage(*record, type, std::move(extension), options, attached);
}

}  // namespace qo
