// The particle emitter, the swarm, the metaballs and the asteroid game drawn for real on
// "Default", played frame by frame with a fixed step; the pictures are checked against where
// each effect should have put light. Leaves "Particles.png", "Swarm.png", "MetaBalls.png" and
// "Asteroid.png" in the build directory.
#include "EffectListGLTest.h"

#include <cmath>

#include "effects/fxAsteroid/fxAsteroid.h"
#include "effects/fxMetaBallSystem/fxMetaBallSystem.h"
#include "effects/fxParticleEmitter/fxParticleEmitter.h"
#include "effects/fxSwarm/fxSwarm.h"
#include "rvSceneDisplay.h"

using rvTest::RenderTarget;
using rvTest::RGBA;

namespace
{
const int kW = 640, kH = 360;

class VerseEffectsGLTest : public rvTest::EffectListGLTest<kW, kH>
{
protected:
    static int Sum(const RGBA& p) { return p.r + p.g + p.b; }
    // Mean brightness of the pixels of a box around a scene point (half-size in pixels).
    static float MeanAround(const RenderTarget& t, glm::vec2 at, int r)
    {
        float sum = 0.0f;
        int n = 0;
        for (int y = int(at.y) - r; y <= int(at.y) + r; ++y)
            for (int x = int(at.x) - r; x <= int(at.x) + r; ++x, ++n)
                sum += float(Sum(t.Pixel(x, y)));
        return sum / float(n);
    }
};
} // namespace

TEST_F(VerseEffectsGLTest, ParticlesStreamAlongTheEmissionDirection)
{
    // A jet to the right from (-30, 0): speed 20, life 1 s, no force: light from x = -30 to -10.
    fxParticleEmitter* e = Add<fxParticleEmitter>();
    e->_vPos = glm::vec3(-30.0f, 0.0f, 0.0f);
    e->_fRadius = 0.0f;
    e->_fDirection = 0.0f;
    e->_fSpread = 0.0f;
    e->_fSpeedMin = e->_fSpeedMax = 20.0f;
    e->_fGravityMin = e->_fGravityMax = 0.0f;
    e->_fTangentialAccelMin = e->_fTangentialAccelMax = 0.0f;
    e->_fLifeTimeMin = e->_fLifeTimeMax = 1.0f;
    e->_vColorStart = e->_vColorEnd = glm::vec4(1.0f, 0.6f, 0.1f, 1.0f);
    e->_fFadeIn = 0.0f;
    for (int i = 0; i < 60; ++i)
        Frame(1.0f / 60.0f);
    RenderTarget shot(kW, kH);
    Grab(shot, "Particles.png");
    for (float x : {-27.0f, -20.0f, -13.0f})
    {
        const RGBA lit = rvTest::Brightest(shot, rvTest::ProjectToDefault({x, 0.0f, 0.0f}), 2);
        EXPECT_GT(lit.r, 150) << x;
        EXPECT_GT(lit.r, lit.b) << x;
    }
    for (glm::vec3 dark :
         {glm::vec3(-45, 0, 0), glm::vec3(-20, 12, 0), glm::vec3(-20, -12, 0), glm::vec3(5, 0, 0)})
        EXPECT_LT(Sum(rvTest::Brightest(shot, rvTest::ProjectToDefault(dark), 2)), 120)
            << dark.x << "," << dark.y;
}

TEST_F(VerseEffectsGLTest, TheFlockStaysInItsAquarium)
{
    // A small aquarium drawn at (35, 0): the trails light it; the other half of the screen
    // stays dark.
    fxSwarm* s = Add<fxSwarm>();
    s->_vAquariumSize = glm::vec3(12.0f, 10.0f, 4.0f);
    s->_vAquariumCenter = glm::vec3(35.0f, 0.0f, 0.0f);
    s->_nBoidCount = 60;
    s->_fMaxVelocity = 8.0f;
    s->_fWallForce = 0.5f;
    s->_fFadeIn = 0.0f;
    s->_vColorMin = s->_vColorMax = glm::vec4(0.2f, 1.0f, 0.8f, 1.0f);
    for (int i = 0; i < 60; ++i)
        Frame(1.0f / 60.0f);
    RenderTarget shot(kW, kH);
    Grab(shot, "Swarm.png");
    const float inside = MeanAround(shot, rvTest::ProjectToDefault({35.0f, 0.0f, 0.0f}), 25);
    const float outside = MeanAround(shot, rvTest::ProjectToDefault({-35.0f, 0.0f, 0.0f}), 25);
    EXPECT_GT(inside, 40.0f);
    EXPECT_LT(outside, 5.0f);
    for (const fxSwarm::Boid& b : s->_aBoids)
        EXPECT_LT(std::fabs(b._vPos.x), 30.0f);
}

TEST_F(VerseEffectsGLTest, LoneBlobsAreRingsAndMergedOnesShareOneOutline)
{
    fxMetaBallSystem* m = Add<fxMetaBallSystem>();
    m->_fFadeIn = 0.0f;
    m->_vColor = glm::vec4(1.0f, 0.3f, 0.9f, 1.0f);
    for (int i = 0; i < 20; ++i)
        Frame(1.0f / 60.0f);
    RenderTarget shot(kW, kH);
    Grab(shot, "MetaBalls.png");
    // The placement of the last frame, recomputed: every lone circle is lit on its rim and dark
    // at its centre; a ball of a group is inside a lit outline somewhere around it.
    int lone = 0;
    for (const fxMetaBallSystem::Ball& b : m->_aBalls)
    {
        const glm::vec3 c(b._vPos, 0.0f);
        if (b._nGroup >= 0 || b._eShape != fxMetaBallSystem::SHAPE_CIRCLE) continue;
        ++lone;
        const RGBA rim =
            rvTest::Brightest(shot, rvTest::ProjectToDefault(c + glm::vec3(0.0f, b._fSize, 0.0f)), 2);
        EXPECT_GT(rim.r, 150);
        EXPECT_GT(rim.b, rim.g);
        EXPECT_LT(Sum(shot.Pixel(int(rvTest::ProjectToDefault(c).x), int(rvTest::ProjectToDefault(c).y))),
                  150);
    }
    EXPECT_GT(lone, 0);
}

TEST_F(VerseEffectsGLTest, TheShipItsBulletsAndTheScoreAreDrawn)
{
    // Fire held and no turn: bullets leave the nose (0, 4) straight up at 80 units per second.
    fxAsteroid* g = Add<fxAsteroid>();
    g->_sRecordFile = "no/such/file.input";
    g->SetState(State_DemoStarted);
    g->_aInputs.assign(600, fxAsteroid::INPUT_FIRE);
    g->_fFadeIn = 0.0f;
    g->_fBulletRadius = 1.0f;
    for (int i = 0; i < 20; ++i)
        Frame(1.0f / 60.0f);
    RenderTarget shot(kW, kH);
    Grab(shot, "Asteroid.png");
    // The ship outline's nose and rear corners, in its blue.
    for (glm::vec3 p : {glm::vec3(0, 4, 0), glm::vec3(-2, -3.46f, 0), glm::vec3(2, -3.46f, 0)})
    {
        const RGBA lit = rvTest::Brightest(shot, rvTest::ProjectToDefault(p), 2);
        EXPECT_GT(lit.b, 150);
        EXPECT_GT(lit.b, lit.r);
    }
    // The first bullet, fired in the zero-length step 0, has flown 19 steps of 80/60 units.
    const RGBA bullet =
        rvTest::Brightest(shot, rvTest::ProjectToDefault({0.0f, 4.0f + 19.0f * 80.0f / 60.0f, 0.0f}), 2);
    EXPECT_GT(bullet.b, 150);
    // The score "0" at (0, 50), and dark field between the ship and the score off the bullets' line.
    EXPECT_GT(Sum(rvTest::Brightest(shot, rvTest::ProjectToDefault({0.0f, 50.0f, 0.0f}), 6)), 200);
    EXPECT_LT(Sum(rvTest::Brightest(shot, rvTest::ProjectToDefault({30.0f, 20.0f, 0.0f}), 3)), 120);
}
