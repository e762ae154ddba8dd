// Quaternion, matrix, frustum and spline conventions that the rest of the code relies on.
#include <gtest/gtest.h>

#include <cmath>

#include "motion/cardinal_spline.h"
#include "motion/frustum.h"
#include "motion/matrix.h"
#include "motion/quaternion.h"
#include "motion/vector.h"

namespace kt {
namespace {

void ExpectSameRotation(const CQuaternion& a, const CQuaternion& b, float tol = 1e-5f) {
  EXPECT_NEAR(std::fabs(Dot(a, b)), 1.0f, tol) << a.x << " " << a.y << " " << a.z << " " << a.w;
}

TEST(CQuaternion, EulerRoundTripsThroughQuaternion) {
  float out[3];
  const float cases[][3] = {
      {0, 0, 0}, {10, 20, 30}, {-45, 60, 170}, {-12.5f, -80, -3}, {179, 1, -179}};
  for (const auto& c : cases) {
    CQuaternion::FromEuler(c[0], c[1], c[2]).ToEuler(out);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(out[i], c[i], 2e-3f) << i;
  }
}

TEST(CQuaternion, NinetyDegreesUsesTheQuaternionConstant) {
  // Half angle 0.7853975, not pi/4 = 0.7853982.
  const CQuaternion q = CQuaternion::FromEuler(90, 0, 0);
  EXPECT_FLOAT_EQ(q.x, float(std::sin(0.7853975)));
  EXPECT_FLOAT_EQ(q.w, float(std::cos(0.7853975)));
  float out[3];
  q.ToEuler(out);
  EXPECT_NEAR(out[0], 90.0f, 1e-4f);
  // At y = 90 degrees the x and z angles fold into x; the rotation is what must survive.
  const CQuaternion gimbal = CQuaternion::FromEuler(30, 90, 0);
  gimbal.ToEuler(out);
  EXPECT_NEAR(out[1], 90.0f, 0.05f);
  ExpectSameRotation(CQuaternion::FromEuler(out[0], out[1], out[2]), gimbal, 1e-4f);
  // Exactly at the pole (sine of y is 1) the z angle is 0 and x carries the rest.
  const CQuaternion pole(0.5f, 0.5f, -0.5f, 0.5f);
  pole.ToEuler(out);
  EXPECT_EQ(out[2], 0.0f);
  EXPECT_NEAR(out[1], 90.0f, 1e-3f);
  EXPECT_NEAR(out[0], 90.0f, 1e-3f);
  ExpectSameRotation(CQuaternion::FromEuler(out[0], out[1], out[2]), pole, 1e-5f);
}

TEST(CQuaternion, EulerOrderIsZThenYThenXAboutFixedAxes) {
  const CQuaternion q = CQuaternion::FromEuler(20, 30, 40);
  const DMatrix r = Multiply(Multiply(RotationZ(40), RotationY(30)), RotationX(20));
  const CMatrix m = q.ToMatrix();
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(m.At(i, j), r.m[i][j], 1e-5) << i << j;
}

TEST(CQuaternion, MatrixRoundTripsOnEveryBranch) {
  const CQuaternion cases[] = {CQuaternion::FromEuler(10, 20, 30),
                               CQuaternion::FromEuler(180, 0, 0),  // trace branch fails, x
                               CQuaternion::FromEuler(0, 180, 0),  // y
                               CQuaternion::FromEuler(0, 0, 180),  // z
                               CQuaternion::FromEuler(170, 10, -175)};
  for (const auto& q : cases) ExpectSameRotation(CQuaternion::FromMatrix(q.ToMatrix()), q);
  const CMatrix m = CQuaternion::FromEuler(0, 0, 90).ToMatrix();
  EXPECT_NEAR(m.At(1, 0), 1.0f, 1e-5f);  // x axis goes to y: column vectors
  EXPECT_NEAR(CQuaternion::FromEuler(0, 0, 90).XAxis().y, -1.0f, 1e-5f);  // row 0
}

TEST(CQuaternion, MultiplyAndInverse) {
  const CQuaternion a = CQuaternion::FromEuler(10, 0, 0), b = CQuaternion::FromEuler(0, 20, 0);
  ExpectSameRotation(b * a, CQuaternion::FromEuler(10, 20, 0));
  ExpectSameRotation(a * a.Inverse(), CQuaternion());
  const CQuaternion unit = CQuaternion::FromAxisAngle(CVector(0, 0, 1), float(M_PI / 2));
  EXPECT_NEAR(unit.z, std::sqrt(0.5f), 1e-6f);
  // The axis is not normalised first, so a long axis tilts the result towards it.
  const CQuaternion longer = CQuaternion::FromAxisAngle(CVector(0, 0, 5), float(M_PI / 2));
  EXPECT_NEAR(longer.z, 5 / std::sqrt(26.0f), 1e-6f);
}

TEST(Slerp, EdgeCases) {
  const CQuaternion a = CQuaternion::FromEuler(10, 20, 30);
  const CQuaternion neg(-a.x, -a.y, -a.z, -a.w);
  for (float t : {0.0f, 0.3f, 1.0f}) {
    const CQuaternion r = Slerp(t, a, neg);
    EXPECT_NEAR(r.x, a.x, 1e-6f);
    EXPECT_NEAR(r.w, a.w, 1e-6f);
    ExpectSameRotation(Slerp(t, a, a), a);
  }
  const CQuaternion b = CQuaternion::FromEuler(-40, 5, 90);
  ExpectSameRotation(Slerp(0, a, b), a);
  ExpectSameRotation(Slerp(1, a, b), b);
  const CQuaternion mid = Slerp(0.5f, CQuaternion(), CQuaternion::FromEuler(0, 90, 0));
  ExpectSameRotation(mid, CQuaternion::FromEuler(0, 45, 0));
}

TEST(AngularDistance, StaysFiniteForOppositeRotations) {
  const CQuaternion a = CQuaternion::FromEuler(10, 20, 30);
  const CQuaternion neg(-a.x, -a.y, -a.z, -a.w);
  EXPECT_TRUE(std::isfinite(AngularDistance(a, neg)));
  EXPECT_TRUE(std::isfinite(AngularDistance(a, a)));
  EXPECT_NEAR(AngularDistance(a, a), 0.0f, 5e-3f);
  EXPECT_NEAR(AngularDistance(CQuaternion(), CQuaternion::FromEuler(0, 0, 60)), M_PI / 6, 1e-4);
}

TEST(DMatrix, RotationsMultiplyAndRotateVectors) {
  CVector v(1, 0, 0);
  RotateVector(v, 0, 0, 90);
  EXPECT_NEAR(v.y, 1.0f, 1e-6f);
  CVector w(0, 0, 1);
  RotateVector(w, 90, 90, 0);  // Rx(90) Ry(90) (0,0,1) = Rx(90) (1,0,0)
  EXPECT_NEAR(w.x, 1.0f, 1e-6f);
  DMatrix t = RotationY(30);
  t.m[0][3] = 5;
  EXPECT_NEAR(TransformPoint(t, 0, 0, 0).x, 5.0f, 1e-6f);
  const DMatrix i = Multiply(RotationX(33), Transpose(RotationX(33)));
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(i.m[r][c], r == c ? 1.0 : 0.0, 1e-12);
}

// A symmetric perspective (90 degrees, near 1, far 100) looking down -z, in GL column order.
void Perspective(float out[16]) {
  const float n = 1, f = 100;
  const float m[16] = {
      1, 0, 0, 0, 0, 1, 0, 0, 0, 0, (f + n) / (n - f), -1, 0, 0, 2 * f * n / (n - f), 0};
  for (int i = 0; i < 16; ++i) out[i] = m[i];
}

TEST(Frustum, PlanesAndBoxTest) {
  float proj[16], identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  Perspective(proj);
  Frustum f;
  f.ExtractPlanes(proj, identity);
  EXPECT_NEAR(f.plane(Frustum::kNear)[2], -1.0f, 1e-6f);  // faces -z
  EXPECT_NEAR(f.plane(Frustum::kNear)[3], -1.0f, 1e-5f);
  EXPECT_NEAR(f.plane(Frustum::kLeft)[0], std::sqrt(0.5f), 1e-6f);
  EXPECT_TRUE(f.BoxInFrustum({-1, -1, -10}, {1, 1, -9}));
  EXPECT_TRUE(f.BoxInFrustum({-1, -1, -1}, {1, 1, 1}));  // contains the eye
  EXPECT_FALSE(f.BoxInFrustum({-1, -1, 1}, {1, 1, 5}));  // behind
  EXPECT_FALSE(f.BoxInFrustum({50, -1, -10}, {60, 1, -9}));
  EXPECT_FALSE(f.BoxInFrustum({-1, -1, -300}, {1, 1, -200}));  // beyond far

  // A camera moved to z = +20 (model-view translates by -20) sees the same box farther away.
  float moved[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -20, 1};
  f.ExtractPlanes(proj, moved);
  EXPECT_TRUE(f.BoxInFrustum({-1, -1, 5}, {1, 1, 6}));
  EXPECT_FALSE(f.BoxInFrustum({-1, -1, 25}, {1, 1, 26}));
}

TEST(CardinalSpline, InterpolatesTheMiddlePoints) {
  const CardinalSpline s(0.5f);
  const CVector p0(0, 0, 0), p1(1, 0, 0), p2(2, 1, 0), p3(3, 1, 0);
  EXPECT_EQ(s.Evaluate(0, p0, p1, p2, p3), p1);
  const CVector end = s.Evaluate(1, p0, p1, p2, p3);
  EXPECT_NEAR(end.x, 2.0f, 1e-6f);
  EXPECT_NEAR(end.y, 1.0f, 1e-6f);
}

}  // namespace
}  // namespace kt
