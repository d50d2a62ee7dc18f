#include "rvMath.h"

#include <gtest/gtest.h>

namespace
{
glm::vec3 Map(const rvTransform& t, glm::vec3 p)
{
    return glm::vec3(t._mMatrix * glm::vec4(p, 1.0f));
}

void ExpectNear(glm::vec3 a, glm::vec3 b)
{
    EXPECT_NEAR(a.x, b.x, 1e-5f);
    EXPECT_NEAR(a.y, b.y, 1e-5f);
    EXPECT_NEAR(a.z, b.z, 1e-5f);
}
} // namespace

TEST(Transform, DefaultsGiveIdentityInEveryUpdate)
{
    rvTransform plain;
    rvTransform2D t2;
    rvTransform3D t3, t3b;
    t2.Update();
    t3.Update();
    t3b.UpdateRotateThenScale();
    EXPECT_EQ(plain._mMatrix, glm::mat4(1.0f));
    EXPECT_EQ(t2._mMatrix, glm::mat4(1.0f));
    EXPECT_EQ(t3._mMatrix, glm::mat4(1.0f));
    EXPECT_EQ(t3b._mMatrix, glm::mat4(1.0f));
}

TEST(Transform, PlainTransformKeepsWrittenMatrix)
{
    rvTransform t;
    t._mMatrix[3][0] = 5.0f;
    t.Update();
    EXPECT_EQ(t._mMatrix[3][0], 5.0f);
}

TEST(Transform, TwoDimensionalOrderPivotScaleRotatePosition)
{
    rvTransform2D t;
    t._fRotation = 90.0f;
    t._vScale = {2.0f, 1.0f};
    t._vPosition = {10.0f, 0.0f};
    t._vPivot = {1.0f, 0.0f};
    t.Update();
    ExpectNear(Map(t, {2, 0, 0}), {10, 2, 0});
    // z passes through unchanged
    ExpectNear(Map(t, {2, 0, 7.5f}), {10, 2, 7.5f});
}

TEST(Transform, ParameterChangeWaitsForUpdate)
{
    rvTransform2D t;
    t._vPosition = {3.0f, 4.0f};
    EXPECT_EQ(t._mMatrix, glm::mat4(1.0f));
    t.Update();
    ExpectNear(Map(t, {0, 0, 0}), {3, 4, 0});
}

TEST(Transform, ThreeDimensionalRotatesAboutYThenXThenZ)
{
    rvTransform3D t;
    t._vRotation = {90.0f, 90.0f, 0.0f};
    t.Update();
    ExpectNear(Map(t, {1, 0, 0}), {0, 1, 0});

    rvTransform3D z;
    z._vRotation = {0.0f, 0.0f, 90.0f};
    z._vPosition = {1.0f, 2.0f, 3.0f};
    z._vPivot = {1.0f, 0.0f, 0.0f};
    z.Update();
    ExpectNear(Map(z, {2, 0, 0}), {1, 3, 3});
}

TEST(Transform, ScaleBeforeOrAfterRotation)
{
    rvTransform3D t;
    t._vScale = {2.0f, 1.0f, 1.0f};
    t._vRotation = {0.0f, 0.0f, 90.0f};
    t.Update();
    ExpectNear(Map(t, {1, 0, 0}), {0, 2, 0});
    t.UpdateRotateThenScale();
    ExpectNear(Map(t, {1, 0, 0}), {0, 1, 0});
}

TEST(Transform, DegreeFactorIsTheFloatConstant)
{
    rvTransform2D t;
    t._fRotation = 180.0f;
    t.Update();
    // sin(180 * 0.017453292f) is not exactly 0: the factor is the float constant, not pi/180.
    const float r = 180.0f * 0.017453292f;
    EXPECT_FLOAT_EQ(t._mMatrix[0][1], std::sin(r));
    EXPECT_FLOAT_EQ(t._mMatrix[0][0], std::cos(r));
}
