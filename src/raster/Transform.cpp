// The placement matrix of an object and the product of a point with it.
#include "raster/Transform.h"

#include <cmath>

namespace quarnel {

// Every product and sum is formed in the order written; this file is compiled without
// floating-point contraction so that no product is fused into the following addition.
void BuildObjectMatrix(double positionX, double positionY, double positionZ, double scaleX,
                       double scaleY, double scaleZ, double rotation1, double rotation2,
                       double rotation3, TMatrix4& m) {
  const double a = rotation1 * kDegToRad;
  const double b = rotation2 * kDegToRad;
  const double c = rotation3 * kDegToRad;
  const double s1 = std::sin(a), c1 = std::cos(a);
  const double s2 = std::sin(b), c2 = std::cos(b);
  const double s3 = std::sin(c), c3 = std::cos(c);

  m.m[0][0] = (c1 * c3 + s1 * s2 * s3) * scaleX;
  m.m[0][1] = scaleX * c2 * s3;
  m.m[0][2] = (c1 * s2 * s3 - s1 * c3) * scaleX;
  m.m[0][3] = 0;

  m.m[1][0] = (s1 * s2 * c3 - c1 * s3) * scaleY;
  m.m[1][1] = scaleY * c2 * c3;
  m.m[1][2] = (s1 * s3 + c1 * s2 * c3) * scaleY;
  m.m[1][3] = 0;

  m.m[2][0] = scaleZ * s1 * c2;
  m.m[2][1] = -scaleZ * s2;
  m.m[2][2] = scaleZ * c1 * c2;
  m.m[2][3] = 0;

  m.m[3][0] = positionX;
  m.m[3][1] = positionY;
  m.m[3][2] = positionZ;
  m.m[3][3] = 1;
}

namespace {

// Component k of the row vector p times m.
inline double Component(const TVector4& p, const TMatrix4& m, int k) {
  return p.x * m.m[0][k] + p.y * m.m[1][k] + p.z * m.m[2][k] + p.w * m.m[3][k];
}

} // namespace

TVector4 TransformPoint(const TVector4& p, const TMatrix4& m) {
  TVector4 r;
  r.x = Component(p, m, 0);
  r.y = Component(p, m, 1);
  r.z = Component(p, m, 2);
  r.w = Component(p, m, 3);
  return r;
}

void TransformPointsXZ(std::span<const TVector4> points, const TMatrix4& m, TPlanePoint* out) {
  for (size_t i = 0; i < points.size(); ++i)
    out[i] = {Component(points[i], m, 0), Component(points[i], m, 2)};
}

} // namespace quarnel
