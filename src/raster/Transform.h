// Placing a mesh vertex in the world by an object's position, scale and rotation.
#pragma once

#include "common/UTypes.h"

#include <span>

namespace quarnel {

inline constexpr double kDegToRad = 0.017453292519943295;

void BuildObjectMatrix(double positionX, double positionY, double positionZ, double scaleX,
                       double scaleY, double scaleZ, double rotation1, double rotation2,
                       double rotation3, TMatrix4& m);

TVector4 TransformPoint(const TVector4& p, const TMatrix4& m);

// The x and z of a transformed point, as TransformPoint gives them.
struct TPlanePoint {
  double X = 0, Z = 0;
};
// out[i] is the x and z of TransformPoint(points[i], m), for every point.
void TransformPointsXZ(std::span<const TVector4> points, const TMatrix4& m, TPlanePoint* out);

} // namespace quarnel
