// Map exports over a found connection: its geometry on the GIS maps, the
// extent of one of its maps, and the town labels around it. They read the
// search handle and hand its legs down to the map layer.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "map/conn_geometry.h"
#include "map/gis_towns.h"
#include "search/search_handle.h"

using namespace qo;

namespace {

// The connections of a search handle as the map layer reads them.
class HandleLegs : public ConnectionLegs {
 public:
  explicit HandleLegs(void* handle) {
    ReleaseStaleCurrentHandle();
    handle_ = handle ? static_cast<SearchHandle const*>(handle) : &CurrentSearchHandle();
  }
  int Legs(int32_t index, std::vector<MapLeg>& legs) const override {
    if (IsStaleHandle(*handle_)) return ErrConnListReleased;
    if (index < 0 || static_cast<size_t>(index) >= handle_->Connections.size())
      return ErrIndexOutOfRange;
    legs.clear();
    for (ConnectionLeg const& leg : handle_->Connections[static_cast<size_t>(index)])
      legs.push_back({leg.Timetable, leg.Train, leg.FromStation, leg.ToStation, leg.DepartureMinute,
                      leg.ArrivalMinute});
    return 0;
  }

 private:
  SearchHandle const* handle_;
};

template <class T>
void Put(T* out, T value) {
  if (out) *out = value;
}

}  // namespace

extern "C" {

QO_API int QoGetConnGIS(void* handle, int connection, int language, int* map_count, int* leg_count,
                        const int** point_counts, const int** slots, const int* const** point_lists,
                        const unsigned int** map_ids, const char* const** map_names) {
  return api::GuardedExport(0, [&] {
    // The caller reads these until the next call.
    static ConnGisResult result;
    static std::array<const int*, kMaxMapLegs> lists{};
    static std::array<std::vector<char>, kMaxMapLegs> nameBuffers;
    static std::array<const char*, kMaxMapLegs> names{};
    int error = 0;
    int found =
        ConnGis(HandleLegs(handle), connection, static_cast<char>(language), result, &error);
    if (error) SetKernelError(error);
    if (!found) return 0;
    for (size_t l = 0; l < kMaxMapLegs; ++l) {
      lists[l] = result.Points[l].empty() ? nullptr : result.Points[l].data();
      names[l] = l < static_cast<size_t>(result.MapCount)
                     ? api::ConvertOut(result.MapNames[l], nameBuffers[l])
                     : nullptr;
    }
    Put(map_count, static_cast<int>(result.MapCount));
    Put(leg_count, static_cast<int>(result.LegCount));
    Put(point_counts, static_cast<const int*>(result.PointCounts.data()));
    Put(slots, static_cast<const int*>(result.Slots.data()));
    Put(point_lists, static_cast<const int* const*>(lists.data()));
    Put(map_ids, static_cast<const unsigned int*>(result.MapIds.data()));
    Put(map_names, static_cast<const char* const*>(names.data()));
    return 1;
  });
}

QO_API int QoGetConnMapRange(void* handle, int connection, unsigned int map_id, int* min_x,
                             int* max_x, int* min_y, int* max_y) {
  return api::GuardedExport(0, [&] {
    std::array<int32_t, 4> extent{};
    int error = 0;
    int found = ConnMapRange(HandleLegs(handle), connection, map_id, extent, &error);
    if (error) SetKernelError(error);
    Put(min_x, static_cast<int>(extent[0]));
    Put(max_x, static_cast<int>(extent[1]));
    Put(min_y, static_cast<int>(extent[2]));
    Put(max_y, static_cast<int>(extent[3]));
    return found;
  });
}

QO_API int QoGetTownsGIS(void* handle, int connection, unsigned int map_id, unsigned int type_mask,
                         int with_connection, int min_x, int max_x, int min_y, int max_y,
                         const unsigned int** type_words, const char* const** names, const int** xs,
                         const int** ys) {
  return api::GuardedExport(0, [&] {
    static std::vector<TownLabel> towns;
    static std::vector<unsigned int> types;
    static std::vector<std::vector<char>> nameBuffers;
    static std::vector<const char*> nameOut;
    static std::vector<int> xOut, yOut;
    towns.clear();
    HandleLegs legs(handle);
    TownQuery q{map_id,    type_mask, min_x, max_x, min_y, max_y, with_connection ? &legs : nullptr,
                connection};
    if (int error = TownsGis(q, towns); error != 0) SetKernelError(error);
    types.resize(towns.size());
    nameBuffers.resize(towns.size());
    nameOut.resize(towns.size());
    xOut.resize(towns.size());
    yOut.resize(towns.size());
    for (size_t i = 0; i < towns.size(); ++i) {
      types[i] = towns[i].TypeWord;
      nameOut[i] = api::ConvertOut(towns[i].Name, nameBuffers[i]);
      xOut[i] = towns[i].X;
      yOut[i] = towns[i].Y;
    }
    Put(type_words, static_cast<const unsigned int*>(types.data()));
    Put(names, static_cast<const char* const*>(nameOut.data()));
    Put(xs, static_cast<const int*>(xOut.data()));
    Put(ys, static_cast<const int*>(yOut.data()));
    return static_cast<int>(towns.size());
  });
}

}  // extern "C"
