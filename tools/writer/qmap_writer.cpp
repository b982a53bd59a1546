#include "writer/qmap_writer.h"

#include <cstring>
#include <string>

namespace qo::writer {
namespace {

void Double(RecordBytes& r, double v) {
  uint8_t raw[8];
  std::memcpy(raw, &v, 8);
  for (uint8_t c : raw) r.U8(c);
}

void Points(ByteSink& sink, std::string const& name, std::vector<QMapPoint> const& points) {
  RecordBytes r;
  for (QMapPoint const& p : points) {
    Double(r, p.x);
    Double(r, p.y);
    r.EndRecord();
  }
  sink.Array(name, 16, r.count, r.bytes);
}

// Offsets of n + 1 entries: list i owns [offsets[i], offsets[i + 1]).
template <class List>
std::vector<int32_t> Offsets(std::vector<List> const& lists, size_t (*size)(List const&)) {
  std::vector<int32_t> offsets{0};
  for (List const& l : lists) offsets.push_back(offsets.back() + static_cast<int32_t>(size(l)));
  return offsets;
}

}  // namespace

void WriteQMapBody(QMapModel const& model, ByteSink& sink) {
  sink.U16(model.version);
  sink.U32(0);
  sink.EmptyArray("QMap/held");

  RecordBytes coors, arcs;
  std::vector<int32_t> arcIndex{0}, refs;
  auto arc = [&](int32_t target, int16_t kind, uint16_t from) {
    arcs.I32(target);
    arcs.I16(kind);
    arcs.I32(from);
    arcs.I32(static_cast<int32_t>(refs.size()));
    arcs.EndRecord();
  };
  for (QMapCoor const& c : model.coors) {
    coors.I32(c.key);
    coors.I32(c.valid_from);
    Double(coors, c.at.x);
    Double(coors, c.at.y);
    coors.EndRecord();
    for (QMapArc const& a : c.arcs) {
      arc(a.target, a.kind, a.valid_from);
      refs.insert(refs.end(), a.polylines.begin(), a.polylines.end());
    }
    arcIndex.push_back(static_cast<int32_t>(arcs.count));
  }
  // The closing arc ends the polyline range of the last one.
  if (!model.coors.empty()) arc(-1, 0, 0);
  sink.Array("QMap/coors", 24, coors.count, coors.bytes);
  if (model.coors.empty()) {
    sink.EmptyArray("QMap/arc index");
  } else {
    sink.ArrayOf("QMap/arc index", arcIndex);
  }
  sink.Array("QMap/arcs", 14, arcs.count, arcs.bytes);
  sink.ArrayOf("QMap/polyline refs", refs);
  sink.U32(static_cast<uint32_t>(model.polylines.size()));
  for (size_t p = 0; p < model.polylines.size(); ++p)
    Points(sink, "QMap/polyline/" + std::to_string(p), model.polylines[p]);
  sink.EmptyArray("QMap/held2");
  std::vector<std::vector<int32_t>> neighbours = model.neighbours;
  neighbours.resize(model.polylines.size());
  std::vector<int32_t> flat;
  for (auto const& n : neighbours) flat.insert(flat.end(), n.begin(), n.end());
  if (neighbours.empty()) {
    sink.EmptyArray("QMap/neighbour index");
  } else {
    sink.ArrayOf("QMap/neighbour index",
                 Offsets<std::vector<int32_t>>(
                     neighbours, [](std::vector<int32_t> const& n) { return n.size(); }));
  }
  sink.ArrayOf("QMap/neighbours", flat);
  sink.Pool("QMap/pool", {});
  if (model.version >= 1) {
    std::vector<QMapPoint> at;
    std::vector<int32_t> nodeCoor, targets, lengths;
    for (QMapNode const& n : model.nodes) {
      at.push_back(n.at);
      nodeCoor.push_back(n.coor);
      for (QMapEdge const& e : n.edges) {
        targets.push_back(e.target);
        lengths.push_back(e.length);
      }
    }
    Points(sink, "QMap/nodes", at);
    sink.ArrayOf("QMap/node coor", nodeCoor);
    sink.ArrayOf("QMap/edge index", model.nodes.empty()
                                        ? std::vector<int32_t>{}
                                        : Offsets<QMapNode>(model.nodes, [](QMapNode const& n) {
                                            return n.edges.size();
                                          }));
    sink.ArrayOf("QMap/edge targets", targets);
    sink.ArrayOf("QMap/edge lengths", lengths);
  }
}

}  // namespace qo::writer
