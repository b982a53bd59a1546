// Coordinate transforms: PROJ between the three systems (bound by name on
// first use, failing softly without the library or its database) and the
// built-in S-JTSK conversion.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "Qo.h"
#include "map/coor_transform.h"

namespace qo {
namespace {

// Plzeň, Praha and Ostrava in UTM zone 33.
const std::vector<double> kUtmX = {383000.0, 458000.0, 731000.0};
const std::vector<double> kUtmY = {5511000.0, 5550000.0, 5524000.0};

class Proj : public ::testing::Test {
 protected:
  void TearDown() override {
    unsetenv("PROJ_DATA");
    unsetenv("PROJ_LIB");
    SetProjLibraryNames({"libproj.so.25", "libproj.so"});
  }
};

TEST_F(Proj, RoundTrips) {
  // PROJ inverts the seven-parameter shift of system 1 only to about a
  // millimetre; the three-parameter shift of system 0 exactly.
  for (auto [via, tolerance] : {std::pair{0, 0.001}, std::pair{1, 0.002}}) {
    std::vector<double> x = kUtmX, y = kUtmY;
    ASSERT_EQ(QoCoorTransform(2, via, x.data(), y.data(), 3), 1) << via;
    EXPECT_GT(std::fabs(x[1] - kUtmX[1]), 1000.0) << via;  // it did move
    ASSERT_EQ(QoCoorTransform(via, 2, x.data(), y.data(), 3), 1) << via;
    for (size_t i = 0; i < x.size(); ++i) {
      EXPECT_NEAR(x[i], kUtmX[i], tolerance) << via;
      EXPECT_NEAR(y[i], kUtmY[i], tolerance) << via;
    }
  }
  // S-JTSK in the sign convention of the national grid: both negative.
  std::vector<double> x = kUtmX, y = kUtmY;
  ASSERT_EQ(QoCoorTransform(2, 1, x.data(), y.data(), 3), 1);
  EXPECT_LT(x[1], -700000.0);
  EXPECT_LT(y[1], -1000000.0);
}

TEST_F(Proj, FailuresLeaveThePointsAlone) {
  struct Case {
    int from, to;
    double x;
  };
  const Case cases[] = {
      {3, 1, 458000.0}, {1, -1, 458000.0}, {-1, 2, 458000.0}, {2, 0, NAN}, {2, 1, HUGE_VAL}};
  for (Case const& c : cases) {
    std::vector<double> x = {383000.0, c.x}, y = {5511000.0, 5550000.0};
    EXPECT_EQ(QoCoorTransform(c.from, c.to, x.data(), y.data(), 2), 0) << c.from << "->" << c.to;
    EXPECT_EQ(x[0], 383000.0);
    EXPECT_EQ(y[1], 5550000.0);
  }
}

TEST_F(Proj, MissingLibraryOrDatabaseIsTriedAgain) {
  std::vector<double> x = kUtmX, y = kUtmY;
  SetProjLibraryNames({"libproj-not-installed.so.25"});
  EXPECT_EQ(QoCoorTransform(2, 1, x.data(), y.data(), 3), 0);
  EXPECT_EQ(x, kUtmX);
  SetProjLibraryNames({"libproj.so.25", "libproj.so"});
  EXPECT_EQ(QoCoorTransform(2, 1, x.data(), y.data(), 3), 1);

  std::string empty = ::testing::TempDir();
  setenv("PROJ_DATA", empty.c_str(), 1);
  setenv("PROJ_LIB", empty.c_str(), 1);
  SetProjLibraryNames({"libproj.so.25"});
  x = kUtmX;
  EXPECT_EQ(QoCoorTransform(2, 0, x.data(), y.data(), 3), 0);
  EXPECT_EQ(x, kUtmX);
  unsetenv("PROJ_DATA");
  unsetenv("PROJ_LIB");
  EXPECT_EQ(QoCoorTransform(2, 0, x.data(), y.data(), 3), 1);
}

TEST(BuiltInJtsk, AgreesWithProjOnTheBesselEllipsoid) {
  // Longitude and latitude in milliarcseconds, west to east along the
  // projection's central parallel (49.5°), where the built-in series holds
  // to a metre; away from it the series drifts (3 m at 50.1°).
  std::vector<double> lon = {12.6 * 3600000, 15.6 * 3600000, 18.2 * 3600000};
  std::vector<double> lat = {49.7 * 3600000, 49.4 * 3600000, 49.8 * 3600000};
  std::vector<double> x = lon, y = lat;
  QoQMapFiLambda2JTSK(x.data(), y.data(), 3);

  std::vector<double> px(3), py(3);
  for (size_t i = 0; i < 3; ++i) {
    px[i] = lon[i] / 3600000;
    py[i] = lat[i] / 3600000;
  }
  ASSERT_TRUE(ProjTransform("+proj=longlat +ellps=bessel +no_defs",
                            "+proj=krovak +lat_0=49.5 +lon_0=24.83333333333333 "
                            "+alpha=30.28813975277778 +k=0.9999 +x_0=0 +y_0=0 +ellps=bessel "
                            "+units=m +no_defs",
                            px.data(), py.data(), 3));
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_LT(x[i], 0);
    EXPECT_LT(y[i], 0);
    EXPECT_NEAR(x[i], px[i], 1.0) << i;
    EXPECT_NEAR(y[i], py[i], 1.0) << i;
  }

  // And back to whole milliarcseconds near the start.
  QoQMapJTSK2FiLambda(x.data(), y.data(), 3);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(x[i], std::floor(x[i]));
    EXPECT_NEAR(x[i], lon[i], 50.0) << i;  // 50 mas is about a metre
    EXPECT_NEAR(y[i], lat[i], 50.0) << i;
  }
}

TEST(BuiltInJtsk, PairsWithAZeroStayAsTheyAre) {
  std::vector<double> x = {0, 0, 5}, y = {0, 5, 0};
  QoQMapFiLambda2JTSK(x.data(), y.data(), 3);
  EXPECT_EQ(x, (std::vector<double>{0, 0, 5}));
  EXPECT_EQ(y, (std::vector<double>{0, 5, 0}));
  QoQMapJTSK2FiLambda(x.data(), y.data(), 3);
  EXPECT_EQ(x, (std::vector<double>{0, 0, 5}));
  EXPECT_EQ(y, (std::vector<double>{0, 5, 0}));
}

}  // namespace
}  // namespace qo
