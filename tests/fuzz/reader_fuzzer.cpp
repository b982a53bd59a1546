// Feeds arbitrary bytes to the timetable and extension readers. Inputs are
// read three ways: as a timetable file, as a lone extension (an empty
// record, as when an extension is loaded on its own), and as an extension
// of a small timetable with stations, arcs and keys, so that the GIS, QMap
// and fare set-up walks run too, and an attached map, QMap or station-key
// table is queried.
// Mutations of sample files get their CRC recomputed half of the time, as
// the readers would meet them with the checksum test switched off.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "core/byte_order.h"
#include "core/crc32.h"
#include "kernel/load/rich_timetable.h"
#include "load/read_extension.h"
#include "load/read_timetable.h"
#include "map/gis_layers.h"
#include "map/gis_points.h"
#include "map/qmap_coors.h"
#include "map/qmap_network.h"
#include "stations/station_access.h"

namespace {

std::unique_ptr<qo::TimetableRecord> MakeHost() {
  auto host = std::make_unique<qo::TimetableRecord>();
  qo::writer::WrittenFile file = qo::writer::WriteTimetable(qo::test::RichModel(23));
  if (qo::ReadTimetableBytes(file.bytes.data(), file.bytes.size(), host.get()) != 0)
    __builtin_trap();
  return host;
}

const qo::TimetableRecord& Host() {
  static std::unique_ptr<qo::TimetableRecord> host = MakeHost();
  return *host;
}

// Touches what a query would read first, so that a view that points
// outside the image shows under AddressSanitizer here rather than later.
void Touch(const qo::TimetableRecord& t) {
  uint32_t sum = 0;
  for (int32_t i = 0; i < t.TrainStopData.size(); ++i) sum += t.TrainStopData.Field<uint32_t>(i, 0);
  for (int32_t i = 0; i < t.StationEvents.size(); ++i) sum += t.StationEvents.Field<uint16_t>(i, 0);
  for (const qo::VirtListRecord& list : t.VirtLists)
    for (int32_t i = 0; i < list.ItemStations.size(); ++i) sum += list.ItemStations[i];
  volatile uint32_t sink = sum;
  (void)sink;
}

// Runs the map queries over an attached map: the layers as callers get
// them, their names, and the station points.
void QueryMap(qo::GisData& gis, const qo::TimetableRecord& t) {
  const qo::GisClientLayers& layers = qo::ClientLayers(gis);
  int64_t sum = 0;
  for (const auto& array : gis.Layers)
    for (const qo::GisLayer& layer : array)
      sum += static_cast<int64_t>(qo::GisLayerName(gis, qo::LoadLE<int32_t>(layer.Record)).size());
  for (uint32_t s = 0; s < t.StationCount; ++s) {
    int32_t x = 0, y = 0;
    if (qo::GisStationPoint(t, static_cast<int32_t>(s), &x, &y)) sum += int64_t{x} + y;
  }
  int32_t x = 0, y = 0;
  if (qo::GisKeyPoint(t, 5457086, &x, &y)) sum += x;
  sum += layers.LayerArrays[2].get() != nullptr;
  volatile int64_t sink = sum;
  (void)sink;
}

// Runs the QMap queries: every station's coordinate on two days, every
// arc's polylines, the polylines joined, and along the path network the
// nearest stations (from a wide box and a small one) and a path.
void QueryQMap(const qo::QMapData& q, const qo::TimetableRecord& t) {
  double sum = 0;
  for (uint32_t s = 0; s < t.StationCount; ++s) {
    for (int32_t day : {0, 50000}) {
      double x, y;
      if (qo::QMapCoor(q, static_cast<int32_t>(s), day, &x, &y)) sum += x + y;
    }
  }
  std::vector<int32_t> all;
  for (int32_t a = 0; a < q.Arcs.size(); ++a) {
    int32_t first = 0, count = 0;
    if (qo::QMapArcPolylines(q, a, &first, &count))
      for (int32_t i = 0; i < count; ++i) all.push_back(q.PolylineRefs[first + i]);
  }
  std::vector<double> x, y;
  if (qo::QMapJoinPolylines(q, all.data(), static_cast<int32_t>(all.size()), x, y))
    for (double v : x) sum += v;
  if (qo::HasQMapNetwork(q)) {
    const qo::QMapEntry entry{.x = 2, .y = 3, .edgeLimit = 1e9, .boxHalf = 1e9};
    std::vector<qo::QMapNearStation> near;
    qo::QMapNearStations(t, q, entry, 45000, 1e9, 0, false, near);
    for (const qo::QMapNearStation& s : near) sum += s.distance;
    int32_t distance = 0;
    if (t.StationCount > 0 && qo::QMapStationPath(q, entry, 0, 45000, x, y, &distance))
      sum += distance;
    // A small box, which the node grid answers.
    const qo::QMapEntry nearby{.x = 2, .y = 3, .edgeLimit = 1e9, .boxHalf = 5};
    qo::QMapNearStations(t, q, nearby, 45000, 1e9, 0, false, near);
    for (const qo::QMapNearStation& s : near) sum += s.distance;
  }
  volatile double sink = sum;
  (void)sink;
}

// Runs the lookups of a seat-reservation client over an attached
// station-key table: each station's TCV and reservation keys (those the
// reservation check asks for), and the stations listed under each key.
void QueryStationKeys(const qo::TimetableRecord& t) {
  int64_t sum = 0;
  std::vector<int32_t> stations;
  for (uint32_t s = 0; s < t.StationCount; ++s) {
    for (int column : {qo::KeyColumnTcv, qo::KeyColumnReservation}) {
      int32_t key = 0;
      if (qo::StationExtensionKey(t, static_cast<uint16_t>(s), column, &key) != 0) continue;
      qo::SearchStationKeyEx(t, key, column, stations);
      for (int32_t station : stations) sum += station;
    }
  }
  qo::SearchStationKeyEx(t, 0, qo::KeyColumnReservation, stations);
  sum += static_cast<int64_t>(stations.size());
  volatile int64_t sink = sum;
  (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    qo::TimetableRecord record;
    if (qo::ReadTimetableBytes(data, size, &record) == 0) Touch(record);
  }
  bool attached = false;
  {
    qo::TimetableRecord empty;
    qo::ReadExtensionBytes(&empty, "fuzz", data, size, {}, &attached);
  }
  {
    // A fresh copy of the host per input: an attached extension stays in it.
    const qo::TimetableRecord& host = Host();
    qo::TimetableRecord record;
    qo::ReadTimetableBytes(host.ImageBytes(), static_cast<size_t>(host.ImageSize()), &record);
    qo::ReadExtensionBytes(&record, "fuzz", data, size, {}, &attached);
    if (record.Gis) QueryMap(*record.Gis, record);
    if (record.QMap) QueryQMap(*record.QMap, record);
    if (record.StationKeyExt) QueryStationKeys(record);
  }
  return 0;
}

#ifndef QO_FUZZ_REPLAY
extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
  size = LLVMFuzzerMutate(data, size, maxSize);
  if ((seed & 1) && size >= 48) {
    uint32_t crc = qo::ComputeCrc32(data, size - 4);
    qo::StoreLE<uint32_t>(data + size - 4, crc);
  }
  return size;
}
#endif
