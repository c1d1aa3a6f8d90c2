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

TVector4 TransformPoint(const TVector4& p, const TMatrix4& m) {
  TVector4 r;
  r.x = p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + p.w * m.m[3][0];
  r.y = p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + p.w * m.m[3][1];
  r.z = p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + p.w * m.m[3][2];
  r.w = p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + p.w * m.m[3][3];
  return r;
}

} // namespace quarnel
