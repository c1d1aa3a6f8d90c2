// Placing a mesh vertex in the world by an object's position, scale and rotation.
#pragma once

#include "common/UTypes.h"

namespace quarnel {

inline constexpr double kDegToRad = 0.017453292519943295;

void BuildObjectMatrix(double positionX, double positionY, double positionZ, double scaleX,
                       double scaleY, double scaleZ, double rotation1, double rotation2,
                       double rotation3, TMatrix4& m);

TVector4 TransformPoint(const TVector4& p, const TMatrix4& m);

} // namespace quarnel
