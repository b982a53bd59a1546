#pragma once
// Coordinate transforms: through the PROJ library, bound by name on first
// use (it is no link dependency of the kernel), and the built-in conversion
// between S-JTSK and geographic coordinates on the Bessel ellipsoid.
#include <cstdint>
#include <string>
#include <vector>

namespace qo {

// The coordinate systems of CoorTransform.
enum CoorSystem : int { CoorS42Zone3 = 0, CoorJtskKrovak = 1, CoorUtm33Wgs84 = 2 };

// Converts count points in place from one system (0..2) to another. True
// when every point was converted without error to finite values; on false
// the arrays are untouched. A missing library, database or definition is
// tried again by the next call.
bool CoorTransform(int from, int to, double* x, double* y, int32_t count);

// The same between two PROJ definition strings (each pair's operation is
// made once and kept).
bool ProjTransform(std::string const& from, std::string const& to, double* x, double* y,
                   int32_t count);

// The library file names tried in order (by default "libproj.so.25", then
// "libproj.so"). Forgets what was bound, so that the next call binds
// again: tests point it elsewhere to see a missing library.
void SetProjLibraryNames(std::vector<std::string> names);

// Longitude x and latitude y in milliarcseconds to S-JTSK metres
// (x = -Y, y = -X, both negative). A pair with a 0 is left as it is.
void FiLambdaToJtsk(double* x, double* y, int32_t count);

// S-JTSK metres (x = Y, y = X; negative values are taken positive) to
// longitude x and latitude y in whole milliarcseconds. A pair with a 0 is
// left as it is.
void JtskToFiLambda(double* x, double* y, int32_t count);

}  // namespace qo
