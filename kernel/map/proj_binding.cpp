// The PROJ library, bound by name: one context and one operation per
// ordered pair of definition strings, both made on first use. Nothing that
// fails is kept, so a library or database installed later is found by the
// next call.
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "map/coor_transform.h"

namespace qo {
namespace {

// The few entry points used, declared by their documented C signatures.
using ContextCreate = void* (*)();
using ContextDestroy = void* (*)(void*);
using Destroy = void* (*)(void*);
using DatabasePath = const char* (*)(void*);
using LogLevel = int (*)(void*, int);
using CrsToCrs = void* (*)(void*, const char*, const char*, void*);
using TransGeneric = size_t (*)(void*, int, double*, size_t, size_t, double*, size_t, size_t,
                                double*, size_t, size_t, double*, size_t, size_t);
using Errno = int (*)(const void*);
using ErrnoReset = int (*)(void*);

constexpr int kProjForward = 1;
constexpr int kProjLogNone = 0;

struct Operation {
  std::string From;
  std::string To;
  void* Handle;
};

struct Proj {
  std::vector<std::string> Names{"libproj.so.25", "libproj.so"};
  void* Library = nullptr;
  ContextCreate contextCreate = nullptr;
  ContextDestroy contextDestroy = nullptr;
  DatabasePath databasePath = nullptr;
  Destroy destroy = nullptr;
  LogLevel logLevel = nullptr;
  CrsToCrs crsToCrs = nullptr;
  TransGeneric transGeneric = nullptr;
  Errno errorOf = nullptr;
  ErrnoReset errorReset = nullptr;
  void* Context = nullptr;
  std::vector<Operation> Operations;
  std::vector<double> ScratchX, ScratchY;
};

// Kept for the life of the process (never destroyed at exit, so PROJ's
// objects stay reachable through it).
Proj& State() {
  static Proj* proj = new Proj;
  return *proj;
}

template <class F>
bool Bind(void* library, const char* name, F* out) {
  *out = reinterpret_cast<F>(dlsym(library, name));
  return *out != nullptr;
}

bool Open(Proj& p) {
  if (p.Context) return true;
  if (!p.Library) {
    for (std::string const& name : p.Names) {
      void* library = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (!library) continue;
      bool bound = Bind(library, "proj_context_create", &p.contextCreate) &&
                   Bind(library, "proj_context_destroy", &p.contextDestroy) &&
                   Bind(library, "proj_context_get_database_path", &p.databasePath) &&
                   Bind(library, "proj_destroy", &p.destroy) &&
                   Bind(library, "proj_log_level", &p.logLevel) &&
                   Bind(library, "proj_create_crs_to_crs", &p.crsToCrs) &&
                   Bind(library, "proj_trans_generic", &p.transGeneric) &&
                   Bind(library, "proj_errno", &p.errorOf) &&
                   Bind(library, "proj_errno_reset", &p.errorReset);
      if (bound) {
        p.Library = library;
        break;
      }
      dlclose(library);
    }
    if (!p.Library) return false;
  }
  p.Context = p.contextCreate();
  if (!p.Context) return false;
  p.logLevel(p.Context, kProjLogNone);
  // Without its database PROJ still makes some operations, which then
  // give poor results: treat it as missing and look again next time.
  if (!p.databasePath(p.Context)) {
    p.contextDestroy(p.Context);
    p.Context = nullptr;
    return false;
  }
  return true;
}

void* OperationFor(Proj& p, std::string const& from, std::string const& to) {
  for (Operation const& op : p.Operations)
    if (op.From == from && op.To == to) return op.Handle;
  void* handle = p.crsToCrs(p.Context, from.c_str(), to.c_str(), nullptr);
  if (handle) p.Operations.push_back({from, to, handle});
  return handle;
}

}  // namespace

void SetProjLibraryNames(std::vector<std::string> names) {
  Proj& p = State();
  p.Names = std::move(names);
  // Release what was bound, so that the next call looks again. The library
  // itself stays mapped.
  for (Operation const& op : p.Operations) p.destroy(op.Handle);
  p.Operations.clear();
  if (p.Context) p.contextDestroy(p.Context);
  p.Context = nullptr;
  p.Library = nullptr;
}

bool ProjTransform(std::string const& from, std::string const& to, double* x, double* y,
                   int32_t count) {
  if (count < 0 || (count > 0 && (!x || !y))) return false;
  Proj& p = State();
  if (!Open(p)) return false;
  void* op = OperationFor(p, from, to);
  if (!op) return false;
  if (count == 0) return true;
  // Into a copy first: a failed call leaves the caller's points as they were.
  p.ScratchX.assign(x, x + count);
  p.ScratchY.assign(y, y + count);
  p.errorReset(op);
  auto n = static_cast<size_t>(count);
  size_t done = p.transGeneric(op, kProjForward, p.ScratchX.data(), sizeof(double), n,
                               p.ScratchY.data(), sizeof(double), n, nullptr, 0, 0, nullptr, 0, 0);
  if (done != n || p.errorOf(op) != 0) return false;
  for (size_t i = 0; i < n; ++i)
    if (!std::isfinite(p.ScratchX[i]) || !std::isfinite(p.ScratchY[i])) return false;
  std::copy(p.ScratchX.begin(), p.ScratchX.end(), x);
  std::copy(p.ScratchY.begin(), p.ScratchY.end(), y);
  return true;
}

bool CoorTransform(int from, int to, double* x, double* y, int32_t count) {
  static const char* const kDefinitions[] = {
      "+proj=tmerc +lat_0=0 +lon_0=15 +k=1 +x_0=3500000 +y_0=0 +ellps=krass +units=m "
      "+towgs84=26,-121,-78 +no_defs",
      "+proj=krovak +lat_0=49.5 +lon_0=24.83333333333333 +alpha=30.28813975277778 +k=0.9999 "
      "+x_0=0 +y_0=0 +ellps=bessel +units=m "
      "+towgs84=570.83789,85.682641,462.84673,4.9984501,1.5867074,5.2611106,3.5610256 +no_defs",
      "+proj=utm +zone=33 +ellps=WGS84 +datum=WGS84 +units=m +no_defs",
  };
  if (static_cast<unsigned>(from) > 2u || static_cast<unsigned>(to) > 2u) return false;
  return ProjTransform(kDefinitions[from], kDefinitions[to], x, y, count);
}

}  // namespace qo
