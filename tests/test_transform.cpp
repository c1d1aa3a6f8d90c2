// The placement matrix and the point transform: entries, order of sums, placed points.
#include "raster/Transform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numbers>
#include <ostream>
#include <random>

using namespace quarnel;

namespace {

// Each reference operation is rounded through memory, so the compiler cannot fuse a product
// into the following sum.
double Rounded(double v) {
  volatile double r = v;
  return r;
}
double Mul(double a, double b) {
  return Rounded(a * b);
}
double Add(double a, double b) {
  return Rounded(a + b);
}
double Sub(double a, double b) {
  return Rounded(a - b);
}

TMatrix4 Matrix(double px, double py, double pz, double sx, double sy, double sz, double r1,
                double r2, double r3) {
  TMatrix4 m;
  BuildObjectMatrix(px, py, pz, sx, sy, sz, r1, r2, r3, m);
  return m;
}

// Within a few units in the last place of the expected value (of 1 for values near 0).
void ExpectClose(const TVector4& actual, const TVector4& expected) {
  const auto tolerance = [](double e) { return 4 * DBL_EPSILON * std::max(1.0, std::fabs(e)); };
  EXPECT_NEAR(actual.x, expected.x, tolerance(expected.x));
  EXPECT_NEAR(actual.y, expected.y, tolerance(expected.y));
  EXPECT_NEAR(actual.z, expected.z, tolerance(expected.z));
  EXPECT_NEAR(actual.w, expected.w, tolerance(expected.w));
}

void ExpectExact(const TVector4& actual, const TVector4& expected) {
  EXPECT_EQ(actual.x, expected.x);
  EXPECT_EQ(actual.y, expected.y);
  EXPECT_EQ(actual.z, expected.z);
  EXPECT_EQ(actual.w, expected.w);
}

TEST(Transform, DegreeFactorIsPiOver180) {
  EXPECT_EQ(kDegToRad, 0.017453292519943295);
  EXPECT_EQ(kDegToRad, std::numbers::pi / 180);
}

TEST(Transform, WithoutRotationAndScaleTranslatesExactly) {
  const TMatrix4 m = Matrix(10, 0, 20, 1, 1, 1, 0, 0, 0);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c)
      EXPECT_EQ(m.m[r][c], r == c ? 1.0 : 0.0) << "entry " << r << ", " << c;
  ExpectExact(TransformPoint({1.5, 2, -3, 1}, m), {11.5, 2, 17, 1});
}

TEST(Transform, ScalesEachAxisByItsOwnFactor) {
  ExpectExact(TransformPoint({1, 1, 1, 1}, Matrix(0, 0, 0, 2, 3, 4, 0, 0, 0)), {2, 3, 4, 1});
  ExpectExact(TransformPoint({2, 0, 3, 1}, Matrix(0, 0, 0, -1, 1, 1, 0, 0, 0)), {-2, 0, 3, 1});
  ExpectExact(TransformPoint({5, 7, 3, 1}, Matrix(0, 0, 0, 0, 1, 1, 0, 0, 0)), {0, 7, 3, 1});
}

struct PlacementCase {
  const char* What;
  double Rotation1, Rotation2, Rotation3;
  double Px, Py, Pz;
  TVector4 Point, Expected;
};

void PrintTo(const PlacementCase& c, std::ostream* out) {
  *out << c.What;
}

class Placements : public testing::TestWithParam<PlacementCase> {};

TEST_P(Placements, PutThePointWhereTheRotationsTurnIt) {
  const PlacementCase& c = GetParam();
  const TMatrix4 m = Matrix(c.Px, c.Py, c.Pz, 1, 1, 1, c.Rotation1, c.Rotation2, c.Rotation3);
  ExpectClose(TransformPoint(c.Point, m), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, Placements,
    testing::Values(
        PlacementCase{
            "first angle 90, x axis", 90, 0, 0, 100, 5, 200, {1, 0, 0, 1}, {100, 5, 199, 1}},
        PlacementCase{
            "first angle 90, z axis", 90, 0, 0, 100, 5, 200, {0, 0, 1, 1}, {101, 5, 200, 1}},
        PlacementCase{
            "first angle -90 turns the other way", -90, 0, 0, 0, 0, 0, {1, 0, 0, 1}, {0, 0, 1, 1}},
        PlacementCase{"second angle 90, y axis", 0, 90, 0, 0, 0, 0, {0, 1, 0, 1}, {0, 0, 1, 1}},
        PlacementCase{"second angle 90, z axis", 0, 90, 0, 0, 0, 0, {0, 0, 1, 1}, {0, -1, 0, 1}},
        PlacementCase{"third angle 90, x axis", 0, 0, 90, 0, 0, 0, {1, 0, 0, 1}, {0, 1, 0, 1}},
        PlacementCase{
            "first angle 30", 30, 0, 0, 0, 0, 0, {2, 0, 0, 1}, {std::sqrt(3.0), 0, -1, 1}},
        // Scale, then the third, the second and the first rotation, then translation.
        PlacementCase{"all three angles in order", 90, 90, 90, 1, 2, 3, {1, 0, 0, 1}, {2, 2, 3, 1}},
        PlacementCase{
            "all three angles, y axis", 90, 90, 90, 1, 2, 3, {0, 1, 0, 1}, {1, 2, 4, 1}}));

TEST(Transform, UsesAnglesUnreducedSo360IsIdentityOnlyUpToRounding) {
  const TMatrix4 m = Matrix(0, 0, 0, 1, 1, 1, 360, 0, 0);
  EXPECT_NE(m.m[2][0], 0.0); // sin of 360 degrees as computed is about -2.4e-16
  // The exact sine of the double nearest 2 pi; a system sine may miss it in the last digits.
  EXPECT_NEAR(m.m[2][0], -2.4492935982947064e-16, 1e-20);
  EXPECT_EQ(m.m[0][0], std::cos(360 * kDegToRad));
  EXPECT_EQ(m.m[1][1], 1.0);
}

TEST(Transform, FormsEveryEntryProductByProductInItsFixedOrder) {
  std::mt19937_64 rng(2);
  std::uniform_real_distribution<double> angle(-720, 720), scale(-5, 5), position(-1e4, 1e4);
  for (int i = 0; i < 1000; ++i) {
    const double px = position(rng), py = position(rng), pz = position(rng);
    const double sx = scale(rng), sy = scale(rng), sz = scale(rng);
    const double r1 = angle(rng), r2 = angle(rng), r3 = angle(rng);
    const TMatrix4 m = Matrix(px, py, pz, sx, sy, sz, r1, r2, r3);
    const double a = Mul(r1, 0.017453292519943295), b = Mul(r2, 0.017453292519943295),
                 c = Mul(r3, 0.017453292519943295);
    const double s1 = std::sin(a), c1 = std::cos(a), s2 = std::sin(b), c2 = std::cos(b),
                 s3 = std::sin(c), c3 = std::cos(c);
    const double expected[4][4] = {
        {Mul(Add(Mul(c1, c3), Mul(Mul(s1, s2), s3)), sx), Mul(Mul(sx, c2), s3),
         Mul(Sub(Mul(Mul(c1, s2), s3), Mul(s1, c3)), sx), 0},
        {Mul(Sub(Mul(Mul(s1, s2), c3), Mul(c1, s3)), sy), Mul(Mul(sy, c2), c3),
         Mul(Add(Mul(s1, s3), Mul(Mul(c1, s2), c3)), sy), 0},
        {Mul(Mul(sz, s1), c2), Mul(-sz, s2), Mul(Mul(sz, c1), c2), 0},
        {px, py, pz, 1}};
    for (int r = 0; r < 4; ++r)
      for (int col = 0; col < 4; ++col)
        ASSERT_EQ(m.m[r][col], expected[r][col])
            << "entry " << r << ", " << col << " of case " << i;
  }
}

TEST(Transform, AddsTheFourProductsOfEachComponentFromLeftToRight) {
  // 2^53 + 1 rounds back to 2^53, so only the left-to-right order gives 1 in every component.
  const double big = 9007199254740992.0;
  TMatrix4 m;
  for (int c = 0; c < 4; ++c) {
    m.m[0][c] = big;
    m.m[1][c] = 1;
    m.m[2][c] = -big;
    m.m[3][c] = 1;
  }
  ExpectExact(TransformPoint({1, 1, 1, 1}, m), {1, 1, 1, 1});
}

TEST(Transform, FormsTheFullProductAlsoForTheWeight) {
  TMatrix4 m;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      m.m[r][c] = r * 4 + c + 1;
  // Row vector times matrix: component c is the sum over r of p[r] * m[r][c].
  ExpectExact(TransformPoint({1, 2, 3, 4}, m), {90, 100, 110, 120});
}

TEST(Transform, AllowsTheResultToOverwriteThePoint) {
  const TMatrix4 m = Matrix(3, 4, 5, 2, 2, 2, 0, 0, 0);
  TVector4 p{1, 2, 3, 1};
  p = TransformPoint(p, m);
  ExpectExact(p, {5, 8, 11, 1});
}

} // namespace
