// The particle emitter on a vector display that only collects geometry (no GL needed): its
// attribute table, the byte layout of its random numbers, the emission carry and cap, the
// particle motion, the swap-removal that keeps particles and their lines in step, and the
// emission shape taken from another effect of the timeline.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "CollectingDisplayTest.h"
#include "Sequencer/rvSequence.h"
#include "VectorScene/VectorScene.h"
#include "VectorScene/VectorSceneLine.h"
#include "effects/fxParticleEmitter/fxParticleEmitter.h"

namespace
{
// An effect whose shape is one line from (20, 0, 0) to (30, 0, 0).
class SegmentEffect : public fxBase
{
public:
    explicit SegmentEffect(fxDescriptor* d) : fxBase(d)
    {
        VectorSceneLine* l = _Scene.AddLine();
        l->AddPoint(20.0f, 0.0f, 0.0f);
        l->AddPoint(30.0f, 0.0f, 0.0f);
        _pVectorScene = &_Scene;
    }
    VectorScene _Scene;
};

using EmitterPtr = rvTest::EffectPtr<fxParticleEmitter>;

class ParticleEmitterTest : public rvTest::CollectingDisplayTest
{
protected:
    void SetUp() override
    {
        CollectingDisplayTest::SetUp();
        std::srand(7);
    }

    static EmitterPtr NewEmitter()
    {
        EmitterPtr e = rvTest::NewStoppedOnDelete<fxParticleEmitter>();
        e->_nEnd = 6000;
        e->_fFadeIn = e->_fFadeOut = 0.0f;
        return e;
    }

    // Every particle i is drawn by line i: a segment ending at the particle.
    static void ExpectLinesFollowParticles(const fxParticleEmitter& e)
    {
        ASSERT_EQ(e._aParticles.size(), e._VectorScene._apLines.size());
        for (size_t i = 0; i < e._aParticles.size(); ++i)
        {
            const VectorSceneLine* l = e._VectorScene._apLines[i];
            ASSERT_EQ(l->_aPoints.size(), 2u) << i;
            EXPECT_EQ(l->_aPoints[1], e._aParticles[i]._vPos) << i;
        }
    }
};

struct AttribRow
{
    const char* name;
    int type;
    float min, max;
};
} // namespace

TEST_F(ParticleEmitterTest, RegistersItsAttributesInOrderWithDefaults)
{
    fxDescriptor* d = fxParticleEmitter::RegisterAttributes();
    EXPECT_EQ(rvTest::TheFactory()->FindDescriptor("fxParticleEmitter"), d);
    const AttribRow rows[] = {
        {"Source", TYPE_STRING, 0, 0},
        {"Pos", TYPE_VEC3, -50, 50},
        {"Radius", TYPE_FLOAT, 0, 20},
        {"ColorStart", TYPE_COLOR4, 0, 0},
        {"ColorEnd", TYPE_COLOR4, 0, 0},
        {"InitialCount", TYPE_INT, 0, 1000},
        {"Emission", TYPE_INT, 0, 1000},
        {"Particle Max", TYPE_INT, 0, 10000},
        {"LifeTime Min", TYPE_FLOAT, 0.01f, 5},
        {"LifeTime Max", TYPE_FLOAT, 0.01f, 5},
        {"RadialEmission", TYPE_BOOL, 0, 0},
        {"Segment Length", TYPE_FLOAT, 0.01f, 10},
        {"Direction", TYPE_FLOAT, -180, 180},
        {"Spread", TYPE_FLOAT, 0, 360},
        {"Speed Min", TYPE_FLOAT, 0, 50},
        {"Speed Max", TYPE_FLOAT, 0, 50},
        {"Gravity Min", TYPE_FLOAT, -100, 100},
        {"Gravity Max", TYPE_FLOAT, -100, 100},
        {"Radial Accel Min", TYPE_FLOAT, -10, 10},
        {"Radial Accel Max", TYPE_FLOAT, -10, 10},
        {"Tangential Accel Min", TYPE_FLOAT, -10, 10},
        {"Tangential Accel Max", TYPE_FLOAT, -10, 10},
        {"Friction", TYPE_FLOAT, 0, 1},
    };
    ASSERT_EQ(d->_apAttribs.size(), sizeof(rows) / sizeof(rows[0]));
    for (size_t i = 0; i < d->_apAttribs.size(); ++i)
    {
        const AttribDesc* a = d->_apAttribs[i];
        EXPECT_EQ(a->_sName, rows[i].name);
        EXPECT_EQ(a->_eType, rows[i].type) << rows[i].name;
        if (rows[i].type == TYPE_FLOAT)
        {
            ASSERT_NE(a->_pRange, nullptr) << rows[i].name;
            EXPECT_FLOAT_EQ(a->_pRange->_min.f, rows[i].min) << rows[i].name;
            EXPECT_FLOAT_EQ(a->_pRange->_max.f, rows[i].max) << rows[i].name;
        }
        if (rows[i].type == TYPE_INT)
        {
            ASSERT_NE(a->_pRange, nullptr) << rows[i].name;
            EXPECT_EQ(a->_pRange->_max.i, int(rows[i].max)) << rows[i].name;
        }
    }
    auto e = NewEmitter();
    auto f = [&](const char* n) { return d->FindAttrib(n)->GetFloat(e.get()); };
    EXPECT_FLOAT_EQ(f("Radius"), 0.5f);
    EXPECT_FLOAT_EQ(f("LifeTime Max"), 3.0f);
    EXPECT_FLOAT_EQ(f("Direction"), 90.0f);
    EXPECT_FLOAT_EQ(f("Gravity Max"), -20.0f);
    EXPECT_FLOAT_EQ(f("Tangential Accel Min"), -10.0f);
    EXPECT_EQ(d->FindAttrib("Emission")->GetInt(e.get()), 250);
    EXPECT_EQ(d->FindAttrib("Particle Max")->GetInt(e.get()), 1000);
    EXPECT_EQ(e->_vColorStart, glm::vec4(0.9f, 0.5f, 0.1f, 1.0f));
    EXPECT_EQ(e->_vColorEnd, glm::vec4(0.3f, 0.1f, 0.1f, 1.0f));
}

TEST_F(ParticleEmitterTest, RandomRangeBuildsFourBytesFromTheRuntimeGenerator)
{
    // srand(1) on this C runtime: 1804289383, 846930886, 1681692777, 1714636915. Modulo 255 the
    // bytes are 163, 151, 162, 85: n = 163 + 256*151 + 65536*162 + 16777216*85 = 1436719011,
    // u = n / 2^32 = 0.3345122.
    std::srand(1);
    EXPECT_NEAR(fxParticleEmitter::RandomRange(0.0f, 1.0f), 0.3345122f, 1e-6f);
    std::srand(1);
    EXPECT_NEAR(fxParticleEmitter::RandomRange(10.0f, -10.0f), 10.0f - 20.0f * 0.3345122f, 1e-5f);
    // Bytes never reach 255, so u stays below 0.99608.
    std::srand(3);
    for (int i = 0; i < 2000; ++i)
    {
        const float u = fxParticleEmitter::RandomRange(0.0f, 1.0f);
        ASSERT_GE(u, 0.0f);
        ASSERT_LT(u, 0.99609f);
    }
}

TEST_F(ParticleEmitterTest, TheRateCarriesItsFractionAndStopsAtTheCap)
{
    auto e = NewEmitter();
    e->_fLifeTimeMin = e->_fLifeTimeMax = 100.0f;
    std::vector<int> counts;
    size_t before = 0;
    for (int f = 0; f < 7; ++f)
    {
        Frame(*e, 1.0f / 60.0f);
        counts.push_back(int(e->_aParticles.size() - before));
        before = e->_aParticles.size();
    }
    // 250 per second at 60 frames: 4.1667 per frame, the fraction carried to the sixth.
    EXPECT_EQ(counts, (std::vector<int>{4, 4, 4, 4, 4, 5, 4}));

    // The initial burst ignores the cap; the rate adds nothing while the cap is reached.
    auto b = NewEmitter();
    b->_nInitialCount = 500;
    b->_nParticleMax = 100;
    b->_fLifeTimeMin = b->_fLifeTimeMax = 100.0f;
    Frame(*b, 0.0f);
    EXPECT_EQ(b->_aParticles.size(), 500u);
    Frame(*b, 0.5f);
    EXPECT_EQ(b->_aParticles.size(), 500u);
    EXPECT_EQ(b->_fEmissionRemainder, 0.0f);
}

TEST_F(ParticleEmitterTest, DyingParticlesAreSwappedOutWithTheirLines)
{
    auto e = NewEmitter();
    e->_nEmission = 0;
    e->_nInitialCount = 50;
    e->_fLifeTimeMin = 0.05f;
    e->_fLifeTimeMax = 1.0f;
    Frame(*e, 0.0f);
    size_t alive = e->_aParticles.size();
    ASSERT_EQ(alive, 50u);
    int frames = 0;
    while (!e->_aParticles.empty() && frames < 200)
    {
        Frame(*e, 1.0f / 60.0f);
        ++frames;
        EXPECT_LE(e->_aParticles.size(), alive);
        alive = e->_aParticles.size();
        for (const fxParticleEmitter::Particle& p : e->_aParticles)
            EXPECT_LT(p._fAge, p._fLifeTime);
        ExpectLinesFollowParticles(*e);
        // Each live particle is drawn: two points per line.
        EXPECT_EQ(_pDisplay->npoints > 0, alive > 0);
    }
    EXPECT_TRUE(e->_aParticles.empty());
    EXPECT_TRUE(e->_VectorScene._apLines.empty());
    EXPECT_LE(frames, 61);
}

TEST_F(ParticleEmitterTest, MotionFollowsAccelerationsFrictionAndColour)
{
    // One particle, emitted straight along +x at speed 10 ("Spread" 0, "Direction" 0), with
    // gravity -20 and no other force.
    auto e = NewEmitter();
    e->_nEmission = 0;
    e->_nInitialCount = 1;
    e->_fRadius = 0.0f;
    e->_fSpread = 0.0f;
    e->_fDirection = 0.0f;
    e->_fSpeedMin = e->_fSpeedMax = 10.0f;
    e->_fGravityMin = e->_fGravityMax = -20.0f;
    e->_fTangentialAccelMin = e->_fTangentialAccelMax = 0.0f;
    e->_fLifeTimeMin = e->_fLifeTimeMax = 2.0f;
    e->_vColorStart = glm::vec4(1.0f, 0.0f, 0.0f, 1.0f);
    e->_vColorEnd = glm::vec4(0.0f, 0.0f, 1.0f, 0.0f);
    Frame(*e, 0.0f);
    ASSERT_EQ(e->_aParticles.size(), 1u);
    EXPECT_NEAR(e->_aParticles[0]._vVelocity.x, 10.0f, 1e-5f);
    EXPECT_NEAR(e->_aParticles[0]._vVelocity.y, 0.0f, 1e-5f);

    Frame(*e, 0.5f);
    const fxParticleEmitter::Particle& p = e->_aParticles[0];
    // v = (10, -10) after the step, position = v * 0.5.
    EXPECT_NEAR(p._vVelocity.y, -10.0f, 1e-4f);
    EXPECT_NEAR(p._vPos.x, 5.0f, 1e-4f);
    EXPECT_NEAR(p._vPos.y, -5.0f, 1e-4f);
    // A quarter of the life: a quarter of the way to the end colour; the segment has length 1
    // and trails along the velocity.
    EXPECT_NEAR(p._vColor.r, 0.75f, 1e-5f);
    EXPECT_NEAR(p._vColor.a, 0.75f, 1e-5f);
    const VectorSceneLine* l = e->_VectorScene._apLines[0];
    EXPECT_NEAR(glm::length(l->_aPoints[1] - l->_aPoints[0]), 1.0f, 1e-5f);
    EXPECT_GT(l->_aPoints[1].x, l->_aPoints[0].x);

    // A delta of 0 (or below) changes nothing but rebuilds the segment.
    const glm::vec3 pos = p._vPos;
    Frame(*e, 0.0f);
    Frame(*e, -0.25f);
    EXPECT_EQ(e->_aParticles[0]._vPos, pos);
    EXPECT_FLOAT_EQ(e->_aParticles[0]._fAge, 0.5f);

    // Friction 1 stops the particle in any positive step; above 1 it is held at 1 instead of
    // turning the velocity into NaN.
    for (float fFriction : {1.0f, 1.5f})
    {
        e->_fFriction = fFriction;
        e->_aParticles[0]._vVelocity = glm::vec3(3.0f, 4.0f, 0.0f);
        e->_aParticles[0]._fGravity = 0.0f;
        Frame(*e, 0.01f);
        EXPECT_EQ(e->_aParticles[0]._vVelocity, glm::vec3(0.0f)) << fFriction;
        EXPECT_FALSE(std::isnan(e->_aParticles[0]._vPos.x)) << fFriction;
    }
}

TEST_F(ParticleEmitterTest, EmissionShapes)
{
    // Radial emission from the emitter's own position: no direction, so no velocity.
    auto r = NewEmitter();
    r->_bRadialEmission = true;
    r->_fRadius = 0.0f;
    r->_nEmission = 0;
    r->_nInitialCount = 3;
    Frame(*r, 0.0f);
    for (const fxParticleEmitter::Particle& p : r->_aParticles)
        EXPECT_EQ(p._vVelocity, glm::vec3(0.0f));

    // Moved by 10 units in one frame: that frame's particles lie along the path.
    auto m = NewEmitter();
    m->_fRadius = 0.0f;
    m->_nEmission = 6000;
    m->_fLifeTimeMin = m->_fLifeTimeMax = 100.0f;
    Frame(*m, 0.0f);
    m->_vPos = glm::vec3(10.0f, 0.0f, 0.0f);
    Frame(*m, 0.01f);
    ASSERT_EQ(m->_aParticles.size(), 60u);
    float lo = 100.0f, hi = -100.0f;
    for (const fxParticleEmitter::Particle& p : m->_aParticles)
    {
        EXPECT_EQ(p._vPos.y, 0.0f);
        lo = std::min(lo, p._vPos.x);
        hi = std::max(hi, p._vPos.x);
    }
    EXPECT_LT(lo, 2.0f);
    EXPECT_GT(hi, 8.0f);
}

TEST_F(ParticleEmitterTest, EmitsOnTheSourceOutlineAndStopsWhenTheSourceIsDeleted)
{
    rvSequence seq(false);
    auto* shape = new SegmentEffect(fxBase::GetDescriptor());
    shape->_sName = "Shape";
    seq.AddEffect(shape);
    auto e = NewEmitter();
    e->_sSource = "Shape";
    e->_fRadius = 0.0f;
    e->_fLifeTimeMin = e->_fLifeTimeMax = 100.0f;
    e->_pSequence = &seq;
    Frame(*e, 0.0f);
    Frame(*e, 0.1f);
    ASSERT_EQ(e->_aParticles.size(), 25u);
    EXPECT_EQ(e->_pSourceScene, &shape->_Scene);
    for (const fxParticleEmitter::Particle& p : e->_aParticles)
    {
        // Emitted on the segment, then moved one step of at most 20 units per second.
        EXPECT_GE(p._vPos.x, 20.0f - 2.1f);
        EXPECT_LE(p._vPos.x, 30.0f + 2.1f);
    }

    // The source goes away: its scene is not touched again and nothing more is emitted.
    seq._apEffects.clear();
    shape->SetState(State_DemoStoped);
    delete shape;
    Frame(*e, 0.1f);
    EXPECT_EQ(e->_pSourceScene, nullptr);
    EXPECT_EQ(e->_aParticles.size(), 25u);

    // A source that never existed emits around "Pos".
    auto n = NewEmitter();
    n->_sSource = "Nobody";
    n->_fRadius = 0.0f;
    n->_pSequence = &seq;
    Frame(*n, 0.0f);
    Frame(*n, 0.1f);
    EXPECT_EQ(n->_aParticles.size(), 25u);
}

TEST_F(ParticleEmitterTest, ColoursAboveOneAreDrawnAtFullIntensity)
{
    auto e = NewEmitter();
    e->_vColorStart = e->_vColorEnd = glm::vec4(3.0f, 2.0f, 1.5f, 2.0f);
    e->_nInitialCount = 10;
    Frame(*e, 0.0f);
    Frame(*e, 0.02f); // would stop on the display's colour assertion
    ASSERT_FALSE(e->_VectorScene._apLines.empty());
    EXPECT_EQ(e->_VectorScene._apLines[0]->_vColor, glm::vec4(1.0f));
}

TEST_F(ParticleEmitterTest, CountsFromAFileAreBounded)
{
    auto e = NewEmitter();
    e->_nInitialCount = 1000000000;
    e->_nParticleMax = 1000000000;
    e->_nEmission = 1000000000;
    e->_fLifeTimeMin = e->_fLifeTimeMax = 100.0f;
    Frame(*e, 0.0f);
    EXPECT_EQ(int(e->_aParticles.size()), fxParticleEmitter::kMaxParticles);
    Frame(*e, 1.0f);
    EXPECT_EQ(int(e->_aParticles.size()), fxParticleEmitter::kMaxParticles);
}
