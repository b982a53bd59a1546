// The built-in conversion between S-JTSK (Krovak's conformal conic
// projection) and geographic coordinates on the Bessel ellipsoid, through
// the Gaussian sphere, by the series of the national grid. No datum shift.
#include <cmath>

#include "map/coor_transform.h"

namespace qo {
namespace {

constexpr double kMasToRadians = 4.8481368110953594e-9;
constexpr double kDegrees = 57.29577951308232;
constexpr double kLatitude0 = 0.8639379797372;
constexpr double kSphereLatitude0 = 0.8632391026640;
constexpr double kSinS0 = 0.8634999695344;
constexpr double kCosS0 = 0.5043488897718;
constexpr double kV0 = 0.7422081354325;
constexpr double kLongitude0 = 0.3083415011845;
constexpr double kAlpha = 1.000597498367;
constexpr double kRho0 = 1298039.00461;
constexpr double kTanTerm = 9.931008767326;
constexpr double kN = 0.9799247046208;
constexpr double kQuarterPi = 0.7853981633974;

}  // namespace

void FiLambdaToJtsk(double* x, double* y, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    if (x[i] == 0 || y[i] == 0) continue;
    double longitude = x[i] * kMasToRadians;
    double d = y[i] * kMasToRadians - kLatitude0;
    double u = kSphereLatitude0 + 0.998585979496 * d + 0.00008650351075 * d * d -
               1.510901e-7 * d * d * d - 1.173673e-8 * d * d * d * d - 1.8e-12 * d * d * d * d * d;
    double v = kV0 - (longitude + kLongitude0) * kAlpha;
    double s = std::asin(kSinS0 * std::sin(u) + kCosS0 * std::cos(u) * std::cos(v));
    double dd = std::asin(std::cos(u) * std::sin(v) / std::cos(s));
    double rho = kRho0 * std::pow(kTanTerm / std::tan(s / 2 + kQuarterPi), kN);
    double eps = kN * dd;
    x[i] = -(rho * std::sin(eps));
    y[i] = -(rho * std::cos(eps));
  }
}

void JtskToFiLambda(double* x, double* y, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    if (x[i] == 0 || y[i] == 0) continue;
    double gx = std::fabs(x[i]);
    double gy = std::fabs(y[i]);
    double rho = std::sqrt(gx * gx + gy * gy);
    double s = 2 * (std::atan(kTanTerm * std::pow(kRho0 / rho, 1.02048656931)) - kQuarterPi);
    double d = 1.02048656931 * std::atan2(gx, gy);
    double u = std::asin(kSinS0 * std::sin(s) - kCosS0 * std::cos(s) * std::cos(d));
    double v = std::asin(std::cos(s) * std::sin(d) / std::cos(u));
    double longitude = ((kV0 - v) / kAlpha - kLongitude0) * kDegrees;
    double du = u - kSphereLatitude0;
    double latitude = (kLatitude0 + 1.001416022789 * du - 0.00008687150417 * du * du +
                       1.670197e-7 * du * du * du + 1.175089e-8 * du * du * du * du) *
                      kDegrees;
    x[i] = std::floor(longitude * 3600000 + 0.5);
    y[i] = std::floor(latitude * 3600000 + 0.5);
  }
}

}  // namespace qo
