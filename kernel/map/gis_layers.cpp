#include "map/gis_layers.h"

#include <cstring>
#include <memory>

#include "core/string_pool.h"

namespace qo {
namespace {

class LayerCopier {
 public:
  explicit LayerCopier(GisClientLayers& out) : out_(out) {}

  // An aligned copy of an image array with the stored element size.
  const void* Copy(const RecordArray& array) {
    if (array.empty()) return nullptr;
    ArrayHandle h = nullptr;
    AllocArrayRaw(&h, array.size(), array.stride());
    std::memcpy(h, array.At(0), static_cast<size_t>(array.bytes()));
    return Keep(h);
  }

  // The point array; with `stations` its station fields are replaced.
  const void* Points(const RecordArray& points, const std::vector<int32_t>* stations) {
    if (points.empty()) return nullptr;
    ArrayHandle h = nullptr;
    AllocArrayRaw(&h, points.size(), sizeof(GisPointOut));
    auto* p = reinterpret_cast<GisPointOut*>(h);
    for (int32_t i = 0; i < points.size(); ++i) {
      p[i] = GisPointAt(points, i);
      if (stations) p[i].Station = (*stations)[static_cast<size_t>(i)];
    }
    return Keep(h);
  }

  const void* List(const std::vector<RecordArray>& arrays) {
    if (arrays.empty()) return nullptr;
    ArrayHandle h = nullptr;
    AllocArrayRaw(&h, static_cast<int32_t>(arrays.size()), sizeof(void*));
    auto* slots = reinterpret_cast<const void**>(h);
    for (size_t i = 0; i < arrays.size(); ++i) slots[i] = Copy(arrays[i]);
    return Keep(h);
  }

  const void* Labels(const GisLayer& layer) {
    if (layer.Labels.empty()) return nullptr;
    ArrayHandle h = nullptr;
    AllocArrayRaw(&h, layer.Labels.size(), sizeof(GisLabelOut));
    auto* labels = reinterpret_cast<GisLabelOut*>(h);
    for (int32_t i = 0; i < layer.Labels.size(); ++i) {
      // A text read from the image ends with its NUL there.
      const std::string_view text = layer.LabelTexts[static_cast<size_t>(i)];
      labels[i] = {layer.Labels.Field<int32_t>(i, 0), layer.Labels.Field<int32_t>(i, 4),
                   layer.Labels.Field<int32_t>(i, 8) != 0 ? text.data() : nullptr,
                   layer.Labels.Field<int32_t>(i, 12), layer.Labels.Field<int32_t>(i, 16)};
    }
    return Keep(h);
  }

 private:
  const void* Keep(ArrayHandle h) {
    out_.Owned.emplace_back(h);
    return h;
  }

  GisClientLayers& out_;
};

std::shared_ptr<GisClientLayers> Build(const GisData& gis) {
  auto out = std::make_shared<GisClientLayers>();
  LayerCopier copy(*out);
  for (size_t k = 0; k < gis.Layers.size(); ++k) {
    const std::vector<GisLayer>& layers = gis.Layers[k];
    if (layers.empty()) continue;
    ArrayHandle h = nullptr;
    AllocArray(&h, static_cast<int32_t>(layers.size()), sizeof(GisLayerOut));
    out->LayerArrays[k] = OwnedArray(h);
    auto* records = reinterpret_cast<GisLayerOut*>(h);
    for (size_t i = 0; i < layers.size(); ++i) {
      const GisLayer& layer = layers[i];
      GisLayerOut& r = records[i];
      std::memcpy(r.Stored, layer.Record, sizeof r.Stored);
      // The station point table shows station indexes, as the loader matched them.
      bool stationTable =
          k == 2 && i == 0 && gis.PointStation.size() == static_cast<size_t>(layer.Points.size());
      r.Points = copy.Points(layer.Points, stationTable ? &gis.PointStation : nullptr);
      r.Vertices = copy.Copy(layer.Vertices);
      r.Lines = copy.List(layer.Polylines);
      r.Areas = copy.List(layer.Polylines2);
      r.Items = copy.Copy(layer.Items);
      r.Labels = copy.Labels(layer);
      r.Further = copy.Copy(layer.Further);
    }
  }
  return out;
}

}  // namespace

GisClientLayers const& ClientLayers(GisData& gis) {
  if (!gis.ClientLayers) gis.ClientLayers = Build(gis);
  return *gis.ClientLayers;
}

std::string_view GisLayerName(GisData const& gis, int32_t nameIndex) {
  if (nameIndex < 0) return {};
  return PoolString(gis.LayerNames, nameIndex);
}

}  // namespace qo
