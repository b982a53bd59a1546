#pragma once
// The content of a GIS map extension file as tests and tools describe it:
// three arrays of layers, each layer with its drawing style and its
// objects, the station point table, map names per language and layer names.
// Coordinates are whole units of the map's own plane. Texts are UTF-8 (the
// writer converts them to Windows-1250).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qo::writer {

struct GisVertex {
  int32_t x = 0;
  int32_t y = 0;
};

// A point of a layer; in the station point table `key` is a station key.
struct GisPoint {
  int32_t x = 0;
  int32_t y = 0;
  int32_t key = 0;
};

struct GisLabel {
  int32_t x = 0;
  int32_t y = 0;
  std::string text{};  // empty: a label without text
  int32_t angle = 0;   // radians; a font turns by angle / 2pi * 3600 tenths of a degree
  int32_t alignment = 0;
};

struct GisLayer {
  int32_t name = -1;                       // index into GisModel::layer_names; negative = no name
  std::array<int32_t, 7> window_values{};  // bytes 4..31 of the record
  uint32_t pen_color = 0;                  // 0x00BBGGRR
  int32_t pen_width = 1;
  int32_t pen_style = 0;  // 0 solid, 5 none
  uint32_t brush_color = 0;
  int32_t brush_style = 1;  // 0 solid, 1 none, 2 hatched
  int32_t brush_hatch = 0;
  std::array<int32_t, 6> window_values2{};  // bytes 56..79 of the record
  std::string face{};                       // font face, at most 31 characters
  int32_t font_size = 0;                    // points
  int32_t charset = 0;
  std::vector<GisPoint> points{};
  std::vector<GisVertex> vertices{};
  std::vector<std::vector<GisVertex>> lines{};  // drawn as polylines
  std::vector<std::vector<GisVertex>> areas{};  // the second list of vertex arrays
  std::vector<GisLabel> labels{};
};

struct GisModel {
  uint16_t version = 1;
  uint32_t map_id = 0;
  // One letter per map-name language (at most 5) and the map's name in each.
  std::string letters = "C";
  std::vector<std::string> map_names{};
  // Layer array 1 is the background (not part of the extent); 2 and 3 are
  // drawn over it.
  std::array<std::vector<GisLayer>, 3> layers{};
  // Written, sorted by key, as the points of the first layer of array 3; a
  // layer without style is put there first when array 3 has none.
  std::vector<GisPoint> station_points{};
  std::vector<std::string> layer_names{};
};

}  // namespace qo::writer
