#pragma once
// Bodies of GIS, QMap and fare extension files with content, built with the
// writer's byte sink (the writer itself writes these bodies empty), for the
// extension reader's tests and the fuzzer's seeds. They fit the stations of
// RichModel (keys 5457076 + 10 * i).
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "format/fare_layout.h"
#include "kernel/load/rich_timetable.h"
#include "load/read_extension.h"
#include "load/read_timetable.h"
#include "writer/byte_sink.h"

namespace qo::test {

// The extension frame the writer makes, with a body of our own.
inline std::vector<uint8_t> WithBody(w::ExtensionType type, const std::vector<uint8_t>& body) {
  w::WrittenFile frame = w::WriteExtension({.type = type});
  std::vector<uint8_t> bytes(frame.bytes.begin(), frame.bytes.begin() + kExtensionFrameBytes);
  bytes.insert(bytes.end(), body.begin(), body.end());
  bytes.insert(bytes.end(), kExtensionCrcBytes, 0);
  w::Reseal(bytes);
  return bytes;
}

// An array of elements of `width` bytes made of the given values.
template <class T>
void Elements(w::ByteSink& b, size_t width, const std::vector<T>& values) {
  std::vector<uint8_t> raw(values.size() * sizeof(T));
  for (size_t i = 0; i < values.size(); ++i) StoreLE(raw.data() + i * sizeof(T), values[i]);
  b.Array("elements", width, raw.size() / width, raw);
}

// A GIS body: a far point in layer array 1 (not part of the extent), a
// polyline in array 2, and the station point table in array 3.
inline std::vector<uint8_t> GisBody() {
  w::ByteSink b;
  b.U16(1);
  b.U32(7);  // map id
  b.U8(1);   // languages
  b.FixedText("C", 6);
  b.Zeros(20);
  for (int32_t v : {0, 0, 0, 0}) b.I32(v);  // stored extent, replaced
  auto points = [&](std::vector<std::array<int32_t, 3>> rows) {
    w::RecordBytes r;
    for (auto& p : rows) {
      for (int32_t v : p) r.I32(v);
      r.EndRecord();
    }
    b.Array("points", 12, r.count, r.bytes);
  };
  auto layer = [&](auto&& objects) {
    b.Array("layers", 164, 1, std::vector<uint8_t>(164, 0));
    objects();
  };
  layer([&] {
    points({{-1000000, -1000000, 0}});
    b.EmptyArray("vertices");
    b.U32(0);
    b.U32(0);
    b.EmptyArray("items");
    b.EmptyArray("labels");
    b.EmptyArray("further");
  });
  layer([&] {
    b.EmptyArray("points");
    Elements<int32_t>(b, 8, {-50, 10, 40, 20});
    b.U32(1);
    Elements<int32_t>(b, 8, {0, -30, 100, 5});
    b.U32(0);
    b.EmptyArray("items");
    w::RecordBytes labels;
    for (int32_t v : {5, 5, 1, 0, 0}) labels.I32(v);
    labels.EndRecord();
    for (int32_t v : {6, 6, 0, 0, 0}) labels.I32(v);
    labels.EndRecord();
    b.Array("labels", 20, labels.count, labels.bytes);
    b.CString("Beroun");
    b.EmptyArray("further");
  });
  layer([&] {
    points({{10, 60, 5457086}, {20, 70, 5457096}, {30, 80, 9999999}});
    b.EmptyArray("vertices");
    b.U32(0);
    b.U32(0);
    b.EmptyArray("items");
    b.EmptyArray("labels");
    b.EmptyArray("further");
  });
  b.U32(0);  // array list
  b.Pool("map names", {"Mapa"});
  b.Pool("layer names", {Cp("Železnice")});
  return b.bytes;
}

// A QMap body: coordinate rows by key (station 0 twice, newest first, then
// station 2 and a place of no station), their arcs and polylines.
inline std::vector<uint8_t> QMapBody(int32_t arcTarget) {
  w::ByteSink b;
  b.U16(1);
  b.U32(0);
  b.EmptyArray("held");
  w::RecordBytes rows;
  auto row = [&](int32_t key, int32_t from, double x, double y) {
    rows.I32(key);
    rows.I32(from);
    for (double d : {x, y}) {
      uint8_t raw[8];
      std::memcpy(raw, &d, 8);
      for (uint8_t c : raw) rows.U8(c);
    }
    rows.EndRecord();
  };
  row(5457076, 45000, 1.0, 2.0);
  row(5457076, 40000, 1.5, 2.5);
  row(5457096, 40000, 3.0, 4.0);
  row(8888888, 40000, 5.0, 6.0);
  b.Array("coors", 24, rows.count, rows.bytes);
  b.ArrayOf<int32_t>("arc index", {0, 1, 1, 1, 1});
  w::RecordBytes arcs;
  for (auto [target, first] : {std::pair{arcTarget, 0}, std::pair{0, 1}}) {
    arcs.I32(target);
    arcs.I16(1);
    arcs.I32(40000);
    arcs.I32(first);
    arcs.EndRecord();
  }
  b.Array("arcs", 14, arcs.count, arcs.bytes);
  b.ArrayOf<int32_t>("polyline refs", {0});
  b.U32(1);
  Elements<double>(b, 16, {1.0, 2.0, 3.0, 4.0});
  b.EmptyArray("held2");
  b.ArrayOf<int32_t>("neighbour index", {0, 0});
  b.EmptyArray("neighbours");
  b.Pool("pool", {});
  b.EmptyArray("nodes");
  b.EmptyArray("node coor");
  b.EmptyArray("edge index");
  b.EmptyArray("edge targets");
  b.EmptyArray("edge lengths");
  return b.bytes;
}

// A fare body: one tariff record naming an owner ("XY|ČD"), and area 7
// over the stations keyed 5457076 and 5457086 (and a key of no station).
inline std::vector<uint8_t> FareBody() {
  w::ByteSink b;
  b.U16(8);  // header length
  b.U16(1);  // fare version
  b.U8(0);   // fare languages
  b.Zeros(3);
  for (int i = 0; i < 10; ++i) {
    if (i == 3) {
      std::vector<uint8_t> tariff(kTariffRecordBytes, 0);
      StoreLE<int32_t>(tariff.data() + kTariffOwnerSelector, 1);
      b.Array("tariffs", kTariffRecordBytes, 1, tariff);
    } else if (i == kFareAreaArray) {
      b.Array("areas", 1, 1, {7});
    } else {
      b.EmptyArray("array");
    }
  }
  b.U32(1);
  b.ArrayOf<int32_t>("keys", {5457076, 5457086, 1});
  b.Pool("texts", {Cp("Jízdné")});
  for (int slot = 0; slot < kTariffArraySlots; ++slot) {
    if (slot == kTariffOwnerTextSlot) {
      std::string texts = Cp("XY|ČD");
      b.Array("owner texts", 1, texts.size(), std::vector<uint8_t>(texts.begin(), texts.end()));
    } else {
      b.EmptyArray("slot");
    }
  }
  return b.bytes;
}

}  // namespace qo::test
