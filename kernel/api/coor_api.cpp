// Coordinate transform exports: PROJ between three fixed systems, and the
// built-in S-JTSK conversion.
#include "Qo.h"
#include "api/export_support.h"
#include "map/coor_transform.h"

using namespace qo;

extern "C" {

QO_API int QoCoorTransform(int from, int to, double* x, double* y, int count) {
  return api::GuardedExport(0, [&] { return CoorTransform(from, to, x, y, count) ? 1 : 0; });
}

QO_API void QoQMapFiLambda2JTSK(double* x, double* y, int count) {
  api::GuardedExport(0, [&] {
    if (x && y) FiLambdaToJtsk(x, y, count);
    return 0;
  });
}

QO_API void QoQMapJTSK2FiLambda(double* x, double* y, int count) {
  api::GuardedExport(0, [&] {
    if (x && y) JtskToFiLambda(x, y, count);
    return 0;
  });
}

}  // extern "C"
