// The ambient particles' camera tracking, integrated on the CPU: motion of the tracked point in
// front of the camera and the global drift move the particle field. No window needed.
#include <gtest/gtest.h>

#include <memory>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "effects/fxAmbientParticles/fxAmbientParticles.h"

namespace
{
std::unique_ptr<fxAmbientParticles> New()
{
    return std::unique_ptr<fxAmbientParticles>(static_cast<fxAmbientParticles*>(
        fxAmbientParticles::Create(fxAmbientParticles::RegisterAttributes())));
}

// Inverse view of a camera at p, turned by yaw radians about y (looking along -z when 0).
glm::mat4 Camera(const glm::vec3& p, float yaw = 0.0f)
{
    return glm::translate(glm::mat4(1.0f), p) *
           glm::rotate(glm::mat4(1.0f), yaw, glm::vec3(0.0f, 1.0f, 0.0f));
}

void ExpectVec(const glm::vec3& a, const glm::vec3& b)
{
    EXPECT_NEAR(a.x, b.x, 1e-4f);
    EXPECT_NEAR(a.y, b.y, 1e-4f);
    EXPECT_NEAR(a.z, b.z, 1e-4f);
}
} // namespace

TEST(AmbientParticlesTracking, ForwardByOneUnitCarriesTheFieldThroughOneLayer)
{
    auto fx = New();
    fx->TrackCamera(Camera(glm::vec3(0.0f)), 0.0f); // the first frame sets the anchor
    const glm::vec3 start = fx->_vParticleOffset;
    fx->TrackCamera(Camera(glm::vec3(0.0f, 0.0f, -1.0f)), 1.0f / 60.0f);
    ExpectVec(fx->_vParticleOffset - start, glm::vec3(0.0f, 0.0f, 1.0f));
    // Sideways and up: the field moves against the camera on screen (x with it, y against it).
    fx->TrackCamera(Camera(glm::vec3(2.0f, 3.0f, -1.0f)), 1.0f / 60.0f);
    ExpectVec(fx->_vParticleOffset - start, glm::vec3(2.0f, -3.0f, 1.0f));
    // A still camera leaves it in place.
    fx->TrackCamera(Camera(glm::vec3(2.0f, 3.0f, -1.0f)), 1.0f / 60.0f);
    ExpectVec(fx->_vParticleOffset - start, glm::vec3(2.0f, -3.0f, 1.0f));
}

TEST(AmbientParticlesTracking, MotionScaleAndTurningAboutTheTrackedPoint)
{
    auto fx = New();
    fx->_vCameraMotionScale = glm::vec4(0.5f, 1.0f, 0.0f, 4.0f);
    fx->TrackCamera(Camera(glm::vec3(0.0f)), 0.0f);
    glm::vec3 start = fx->_vParticleOffset;
    // World x motion counts half, world z motion not at all.
    fx->TrackCamera(Camera(glm::vec3(2.0f, 0.0f, -5.0f)), 0.0f);
    ExpectVec(fx->_vParticleOffset - start, glm::vec3(1.0f, 0.0f, 0.0f));

    // Orbiting the tracked point (4 units ahead) keeps it still: the field does not move.
    fx->_vCameraMotionScale = glm::vec4(1.0f, 1.0f, 1.0f, 4.0f);
    const glm::vec3 centre(0.0f, 0.0f, -4.0f);
    fx->TrackCamera(Camera(glm::vec3(0.0f)), 0.0f);
    start = fx->_vParticleOffset;
    const float yaw = 0.6f;
    fx->TrackCamera(Camera(centre + glm::vec3(4.0f * std::sin(yaw), 0.0f, 4.0f * std::cos(yaw)), yaw), 0.0f);
    ExpectVec(fx->_vParticleOffset - start, glm::vec3(0.0f));
}

TEST(AmbientParticlesTracking, GlobalMotionDriftsInCameraSpace)
{
    auto fx = New();
    fx->_vGlobalMotion = glm::vec3(1.0f, 2.0f, 3.0f);
    fx->TrackCamera(Camera(glm::vec3(0.0f)), 0.0f);
    const glm::vec3 start = fx->_vParticleOffset;
    fx->TrackCamera(Camera(glm::vec3(0.0f)), 0.5f);
    ExpectVec(fx->_vParticleOffset - start, glm::vec3(-0.5f, 1.0f, 1.5f));
}

TEST(AmbientParticlesTracking, TheAnchorIsTakenFromTheViewMatrix)
{
    auto fx = New();
    fx->_vCameraMotionScale.w = 2.0f;
    glm::mat4 view(1.0f);
    view[3] = glm::vec4(1.0f, 2.0f, 3.0f, 1.0f);
    fx->AnchorCamera(view);
    ExpectVec(fx->_vCameraAnchor, glm::vec3(1.0f, 2.0f, 1.0f));
}

TEST(AmbientParticlesAttributes, TableInOrder)
{
    const fxDescriptor* d = fxAmbientParticles::RegisterAttributes();
    const char* const names[] = {
        "Enabled",     "BlendMode",  "Shape",     "Seed",          "GlobalMotion",  "CameraMotionScale",
        "NoiseMotion", "LightPosXY", "LightRotZ", "LightAperture", "LightFallback", "LightDistance",
        "Color0",      "Color1",     "Scale",     "Size",          "Blur",          "Density",
        "zScale",      "zAlpha",     "Spotlight", "DebugGrid",     "DebugLight"};
    ASSERT_EQ(d->_apAttribs.size(), sizeof(names) / sizeof(names[0]));
    for (size_t i = 0; i < d->_apAttribs.size(); ++i)
        EXPECT_EQ(d->_apAttribs[i]->_sName, names[i]) << i;
    EXPECT_EQ(d->_apAttribs[1]->_nItemCount, 4);
    EXPECT_EQ(d->_apAttribs[2]->_nItemCount, 6);
    EXPECT_EQ(d->_apAttribs[17]->_pRange->_max.i, 20);
    auto fx = New();
    EXPECT_EQ(d->_apAttribs[1]->GetInt(fx.get()), 1); // "Alpha"
    EXPECT_EQ(d->_apAttribs[17]->GetInt(fx.get()), 10);
    d->_apAttribs[2]->SetInt(fx.get(), 4);
    EXPECT_EQ(fx->_shProgram._nShape, 4);
    EXPECT_TRUE(d->_apAttribs[0]->GetBool(fx.get()));
}
