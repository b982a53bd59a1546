#include "writer/gis_writer.h"

#include <algorithm>
#include <string>

#include "writer/model_text.h"
#include "writer/timetable_writer.h"

namespace qo::writer {
namespace {

constexpr size_t kLayerRecordBytes = 164;
constexpr size_t kMaxMapLanguages = 5;

void Vertices(ByteSink& sink, std::string const& name, std::vector<GisVertex> const& vertices) {
  RecordBytes r;
  for (GisVertex const& v : vertices) {
    r.I32(v.x);
    r.I32(v.y);
    r.EndRecord();
  }
  sink.Array(name, 8, r.count, r.bytes);
}

void VertexLists(ByteSink& sink, std::string const& name,
                 std::vector<std::vector<GisVertex>> const& lists) {
  sink.U32(static_cast<uint32_t>(lists.size()));
  for (size_t i = 0; i < lists.size(); ++i)
    Vertices(sink, name + "/" + std::to_string(i), lists[i]);
}

std::vector<uint8_t> LayerRecord(GisLayer const& layer, std::string const& what) {
  RecordBytes r;
  r.I32(layer.name);
  for (int32_t v : layer.window_values) r.I32(v);
  r.U32(layer.pen_color);
  r.I32(layer.pen_width);
  r.I32(layer.pen_style);
  r.U32(layer.brush_color);
  r.I32(layer.brush_style);
  r.I32(layer.brush_hatch);
  for (int32_t v : layer.window_values2) r.I32(v);
  std::string face = ToCp1250(layer.face, what + " font face");
  if (face.size() > 31) throw ModelError(what + ": font face longer than 31 characters");
  r.FixedText(face, 32);
  for (int i = 0; i < 4; ++i) r.I32(0);
  r.I32(layer.font_size);
  r.I32(layer.charset);
  for (int i = 0; i < 7; ++i) r.I32(0);  // the object pointers, set by the reader
  return r.bytes;
}

void LayerObjects(ByteSink& sink, GisLayer const& layer, std::string const& what) {
  RecordBytes points;
  for (GisPoint const& p : layer.points) {
    points.I32(p.x);
    points.I32(p.y);
    points.I32(p.key);
    points.EndRecord();
  }
  sink.Array(what + "/points", 12, points.count, points.bytes);
  Vertices(sink, what + "/vertices", layer.vertices);
  VertexLists(sink, what + "/lines", layer.lines);
  VertexLists(sink, what + "/areas", layer.areas);
  sink.EmptyArray(what + "/items");
  RecordBytes labels;
  std::vector<std::string> texts;
  for (GisLabel const& label : layer.labels) {
    labels.I32(label.x);
    labels.I32(label.y);
    labels.I32(label.text.empty() ? 0 : 1);
    labels.I32(label.angle);
    labels.I32(label.alignment);
    labels.EndRecord();
    if (!label.text.empty()) texts.push_back(ToCp1250(label.text, what + " label"));
  }
  sink.Array(what + "/labels", 20, labels.count, labels.bytes);
  for (std::string const& text : texts) sink.CString(text);
  sink.EmptyArray(what + "/further");
}

}  // namespace

void WriteGisBody(GisModel const& model, uint8_t emptyLanguages, ByteSink& sink) {
  bool named = !model.map_names.empty();
  size_t languages = named ? model.map_names.size() : emptyLanguages;
  if (languages > kMaxMapLanguages) throw ModelError("GIS: more than 5 map-name languages");
  if (named && model.letters.size() != languages)
    throw ModelError("GIS: one map name per letter of the map-name languages");
  for (auto const& array : model.layers)
    for (GisLayer const& layer : array)
      if (layer.name >= static_cast<int32_t>(model.layer_names.size()))
        throw ModelError("GIS: layer name " + std::to_string(layer.name) + " does not exist");

  sink.U16(model.version);
  sink.U32(model.map_id);
  sink.U8(static_cast<uint8_t>(languages));
  sink.FixedText(named ? model.letters : std::string(), 6);
  for (size_t l = 0; l < kMaxMapLanguages; ++l) sink.U32(0);  // each name is text 0 of its pool
  for (int i = 0; i < 4; ++i) sink.I32(0);  // the extent, recomputed by the reader

  std::array<std::vector<GisLayer>, 3> layers = model.layers;
  if (!model.station_points.empty()) {
    if (layers[2].empty()) layers[2].insert(layers[2].begin(), GisLayer{});
    std::vector<GisPoint>& table = layers[2][0].points;
    table = model.station_points;
    std::stable_sort(table.begin(), table.end(),
                     [](GisPoint const& a, GisPoint const& b) { return a.key < b.key; });
  }
  for (size_t k = 0; k < layers.size(); ++k) {
    std::string array = "Gis/layers/" + std::to_string(k);
    std::vector<uint8_t> records;
    for (size_t i = 0; i < layers[k].size(); ++i) {
      std::vector<uint8_t> record = LayerRecord(layers[k][i], array + "/" + std::to_string(i));
      records.insert(records.end(), record.begin(), record.end());
    }
    sink.Array(array, kLayerRecordBytes, layers[k].size(), records);
    for (size_t i = 0; i < layers[k].size(); ++i)
      LayerObjects(sink, layers[k][i], array + "/" + std::to_string(i));
  }
  sink.U32(0);  // the list of arrays
  for (size_t l = 0; l < languages; ++l) {
    std::string name = "Gis/names/" + std::to_string(l);
    if (named) {
      sink.Pool(name, {ToCp1250(model.map_names[l], "GIS map name")});
    } else {
      sink.Pool(name, {});
    }
  }
  std::vector<std::string> layerNames;
  for (std::string const& n : model.layer_names)
    layerNames.push_back(ToCp1250(n, "GIS layer name"));
  sink.Pool("Gis/pool", layerNames);
}

}  // namespace qo::writer
