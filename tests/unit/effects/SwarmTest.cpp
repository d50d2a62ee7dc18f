// The swarm on a vector display that only collects geometry: its attribute table, the seeded
// generator's bit layout, replay of a seed frame by frame, the spatial hash across cell borders
// and the blind cone, the push, the walls, and the counts that change while it runs.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "CollectingDisplayTest.h"
#include "effects/fxSwarm/fxSwarm.h"
#include "rvRandom.h"

namespace
{
using SwarmPtr = rvTest::EffectPtr<fxSwarm>;

class SwarmTest : public rvTest::CollectingDisplayTest
{
protected:
    static SwarmPtr NewSwarm() { return rvTest::NewStoppedOnDelete<fxSwarm>(); }
    // A swarm with no boids of its own, for hand-placed ones.
    static SwarmPtr EmptySwarm()
    {
        SwarmPtr s = NewSwarm();
        s->_nBoidCount = 0;
        s->_nSpawnCount = 0;
        s->SetState(State_DemoStarted);
        s->_nBoidCount = 1000; // keeps whatever is placed: there is no spawn point to add from
        return s;
    }
    static fxSwarm::Boid At(glm::vec3 p, glm::vec3 v = glm::vec3(0.0f))
    {
        fxSwarm::Boid b;
        b._vPos = p;
        b._vVelocity = v;
        return b;
    }
};
} // namespace

TEST_F(SwarmTest, RegistersItsAttributesInOrder)
{
    fxDescriptor* d = fxSwarm::RegisterAttributes();
    EXPECT_EQ(rvTest::TheFactory()->FindDescriptor("fxSwarm"), d);
    const std::pair<const char*, int> rows[] = {
        {"RandomSeed", TYPE_INT},         {"SkipFrames", TYPE_INT},          {"_Separator_", TYPE_SEPARATOR},
        {"AquariumSize", TYPE_VEC3},      {"AquariumCenter", TYPE_VEC3},     {"BoidCount", TYPE_INT},
        {"SpawnCount", TYPE_INT},         {"_Separator_", TYPE_SEPARATOR},   {"ColorMin", TYPE_COLOR4},
        {"ColorMax", TYPE_COLOR4},        {"Thickness", TYPE_FLOAT},         {"DrawLength", TYPE_INT},
        {"_Separator_", TYPE_SEPARATOR},  {"WallForce", TYPE_FLOAT},         {"PerceptionRadius", TYPE_FLOAT},
        {"SeparationWeight", TYPE_FLOAT}, {"AlignmentWeight", TYPE_FLOAT},   {"CohesionWeight", TYPE_FLOAT},
        {"SteeringWeight", TYPE_FLOAT},   {"BlindspotAngleDeg", TYPE_FLOAT}, {"MaxAcceleration", TYPE_FLOAT},
        {"MaxVelocity", TYPE_FLOAT},
    };
    ASSERT_EQ(d->_apAttribs.size(), sizeof(rows) / sizeof(rows[0]));
    for (size_t i = 0; i < d->_apAttribs.size(); ++i)
    {
        EXPECT_EQ(d->_apAttribs[i]->_sName, rows[i].first);
        EXPECT_EQ(d->_apAttribs[i]->_eType, rows[i].second) << rows[i].first;
    }
    EXPECT_FLOAT_EQ(d->FindAttrib("MaxVelocity")->_pRange->_max.f, 30.0f);
    EXPECT_FLOAT_EQ(d->FindAttrib("BlindspotAngleDeg")->_pRange->_max.f, 180.0f);
    EXPECT_EQ(d->FindAttrib("BoidCount")->_pRange->_max.i, 300);
    SwarmPtr s = NewSwarm();
    EXPECT_EQ(s->_vAquariumSize, glm::vec3(70.0f, 50.0f, 50.0f));
    EXPECT_EQ(s->_nBoidCount, 150);
    EXPECT_EQ(s->_nDrawLength, 15);
    EXPECT_FLOAT_EQ(s->_fPerceptionRadius, 20.0f);
    EXPECT_FLOAT_EQ(s->_fAlignmentWeight, 0.2f);
    EXPECT_EQ(s->_eSeparationMode, fxSwarm::DISTANCE_INVERSE_SQUARED);
}

TEST_F(SwarmTest, GeneratorTakesTheStateBytesInReverseOrder)
{
    // Seed 0: states 0x3C6EF35F, 0x47502932, 0xD1CCF6E9. For the first: low byte 0x3C, middle
    // 0x6E, top 7 bits 0xF3 & 0x7F = 0x73: m = 0x736E3C = 7564860, u = m / 2^23.
    uint32_t s = 0;
    EXPECT_FLOAT_EQ(rvRandomNext(s), 7564860.0f / 8388608.0f);
    EXPECT_EQ(s, 0x3C6EF35Fu);
    EXPECT_FLOAT_EQ(rvRandomNext(s), 2707527.0f / 8388608.0f);
    EXPECT_FLOAT_EQ(rvRandomNext(s), 7785681.0f / 8388608.0f);

    // The first spawn point of seed 0: z = 2*u1 - 1, phi = 2 pi u2, scaled by the box.
    SwarmPtr w = NewSwarm();
    w->SetState(State_DemoStarted);
    ASSERT_EQ(w->_aSpawnPoints.size(), 10u);
    const float z = 2.0f * 7564860.0f / 8388608.0f - 1.0f, phi = 6.2831855f * 2707527.0f / 8388608.0f;
    const float r = std::sqrt(1.0f - z * z);
    EXPECT_NEAR(w->_aSpawnPoints[0]._vPos.x, 70.0f * r * std::cos(phi), 1e-4f);
    EXPECT_NEAR(w->_aSpawnPoints[0]._vPos.y, 50.0f * r * std::sin(phi), 1e-4f);
    EXPECT_NEAR(w->_aSpawnPoints[0]._vPos.z, 50.0f * z, 1e-4f);
    EXPECT_EQ(w->_aBoids.size(), 150u);
}

TEST_F(SwarmTest, ASeedReplaysTheSameFlockFrameByFrame)
{
    SwarmPtr a = NewSwarm(), b = NewSwarm(), c = NewSwarm();
    a->_nRandomSeed = b->_nRandomSeed = 42;
    c->_nRandomSeed = 43;
    a->_nSkipFrames = b->_nSkipFrames = c->_nSkipFrames = 21; // ten pre-roll steps
    for (int f = 0; f < 90; ++f)
    {
        const float dt = (f % 3 == 0) ? 0.02f : 1.0f / 60.0f;
        Frame(*a, dt);
        Frame(*b, dt);
        Frame(*c, dt);
        ASSERT_EQ(a->_aBoids.size(), b->_aBoids.size());
        for (size_t i = 0; i < a->_aBoids.size(); ++i)
        {
            ASSERT_EQ(a->_aBoids[i]._vPos, b->_aBoids[i]._vPos) << "frame " << f << " boid " << i;
            ASSERT_EQ(a->_aBoids[i]._vVelocity, b->_aBoids[i]._vVelocity);
        }
    }
    EXPECT_NE(a->_aBoids[0]._vPos, c->_aBoids[0]._vPos);
    // Kill then Init starts the flock again from the seed.
    const glm::vec3 first = a->_aBoids[5]._vPos;
    SwarmPtr d = NewSwarm();
    d->_nRandomSeed = 42;
    d->_nSkipFrames = 21;
    d->SetState(State_DemoStarted);
    a->SetState(State_DemoStoped);
    a->SetState(State_DemoStarted);
    EXPECT_EQ(a->_aBoids[5]._vPos, d->_aBoids[5]._vPos);
    EXPECT_NE(a->_aBoids[5]._vPos, first);
}

TEST_F(SwarmTest, NeighboursAreFoundAcrossCellBordersButNotInTheBlindCone)
{
    // Cohesion only: a boid's acceleration is the mean position of what it sees minus its own.
    SwarmPtr s = EmptySwarm();
    s->_fSeparationWeight = s->_fAlignmentWeight = 0.0f;
    s->_fMaxAcceleration = 1000.0f;
    // x / 20 = 1.4 and 1.6: cells 1 and 2, four units apart.
    s->_aBoids = {At({28, 0, 0}), At({32, 0, 0}), At({-30, 0, 0})};
    s->_fBlindspotCos = std::cos(40.0f * 6.2831855f / 360.0f);
    s->BuildSpatialHash();
    EXPECT_EQ(s->CellOf({28, 0, 0}).x, 1.0f);
    EXPECT_EQ(s->CellOf({32, 0, 0}).x, 2.0f);
    EXPECT_EQ(s->_aBoids[0]._vAcceleration, glm::vec3(4, 0, 0));
    EXPECT_EQ(s->_aBoids[1]._vAcceleration, glm::vec3(-4, 0, 0));
    // Beyond the perception radius: nobody in sight.
    EXPECT_EQ(s->_aBoids[2]._vAcceleration, glm::vec3(0.0f));

    // The boid at 28 swims towards -x: the one at 32 is straight behind it and unseen, while
    // that one (at rest) still sees it.
    s->_aBoids[0]._vVelocity = glm::vec3(-5, 0, 0);
    s->BuildSpatialHash();
    EXPECT_EQ(s->_aBoids[0]._vAcceleration, glm::vec3(0.0f));
    EXPECT_EQ(s->_aBoids[1]._vAcceleration, glm::vec3(-4, 0, 0));
    // A blind half-angle of 180 degrees hides everything from a moving boid.
    s->_aBoids[0]._vVelocity = glm::vec3(0, 5, 0);
    s->_fBlindspotCos = std::cos(180.0f * 6.2831855f / 360.0f);
    s->BuildSpatialHash();
    EXPECT_EQ(s->_aBoids[0]._vAcceleration, glm::vec3(0.0f));

    // The hash ignores the sign of zero.
    EXPECT_EQ(fxSwarm::HashCell({-0.0f, 1.0f, 2.0f}), fxSwarm::HashCell({0.0f, 1.0f, 2.0f}));
    EXPECT_NE(fxSwarm::HashCell({1.0f, 0.0f, 0.0f}), fxSwarm::HashCell({0.0f, 1.0f, 0.0f}));
}

// Separation and alignment only: a boid drifting slowly along the diagonal sees one neighbour 4
// units along x moving along y and one 5 units along y moving along x. Separation is the mean of the directions away from them
// weighted by 1 / d^2 (the default mode), alignment the mean of their velocities.
TEST_F(SwarmTest, SeparationAndAlignmentFollowTheirWeights)
{
    SwarmPtr s = EmptySwarm();
    s->_fCohesionWeight = s->_fSteeringWeight = 0.0f;
    s->_fSeparationWeight = 8.0f;
    s->_fAlignmentWeight = 0.5f;
    s->_fMaxAcceleration = 1000.0f;
    s->_aBoids = {At({0, 0, 0}, {0.5f, 0.5f, 0}), At({4, 0, 0}, {0, 3, 0}), At({0, 5, 0}, {2, 0, 0})};
    s->BuildSpatialHash();
    const glm::vec3 separation = -(glm::vec3(1, 0, 0) / 16.0f + glm::vec3(0, 1, 0) / 25.0f) / 2.0f;
    const glm::vec3 alignment = (glm::vec3(0, 3, 0) + glm::vec3(2, 0, 0)) / 2.0f;
    const glm::vec3 expected = 8.0f * separation + 0.5f * alignment;
    EXPECT_LT(glm::length(s->_aBoids[0]._vAcceleration - expected), 1e-5f)
        << s->_aBoids[0]._vAcceleration.x << ", " << s->_aBoids[0]._vAcceleration.y;
}

TEST_F(SwarmTest, PushesApartWallsAndZeroRadius)
{
    // Two boids 2 units apart are each moved 0.75 in the first one's pass and end 3.5 apart.
    SwarmPtr s = EmptySwarm();
    s->_aBoids = {At({0, 0, 0}), At({2, 0, 0})};
    s->BuildSpatialHash();
    EXPECT_FLOAT_EQ(s->_aBoids[0]._vPos.x, -0.75f);
    EXPECT_FLOAT_EQ(s->_aBoids[1]._vPos.x, 2.75f);

    // Two boids on one point get a defined, finite direction and part.
    s->_aBoids = {At({5, 5, 5}), At({5, 5, 5})};
    s->BuildSpatialHash();
    for (const fxSwarm::Boid& b : s->_aBoids)
    {
        EXPECT_FALSE(std::isnan(b._vPos.x + b._vPos.y + b._vPos.z));
        EXPECT_FALSE(std::isnan(b._vAcceleration.x));
    }
    EXPECT_NEAR(glm::length(s->_aBoids[0]._vPos - s->_aBoids[1]._vPos), 4.5f, 1e-4f);

    // A boid that ends 2 units beyond the wall loses 4 * WallForce * dt on that axis.
    s->_aBoids = {At({72, 0, 0})};
    s->Step(0.0f);
    EXPECT_FLOAT_EQ(s->_aBoids[0]._vVelocity.x, 0.0f); // dt 0: no force
    s->_aBoids = {At({71.9f, 0, 0}, {10, 0, 0})};
    s->_fMaxVelocity = 100.0f;
    s->Step(0.01f); // ends at x = 72
    EXPECT_NEAR(s->_aBoids[0]._vVelocity.x, 10.0f - 4.0f * 0.1f * 0.01f, 1e-5f);
    s->_aBoids = {At({0, 0, 0}, {10, 0, 0})};
    s->Step(0.01f);
    EXPECT_FLOAT_EQ(s->_aBoids[0]._vVelocity.x, 10.0f);

    // A perception radius of 0 becomes 1.
    s->_fPerceptionRadius = 0.0f;
    s->Step(0.01f);
    EXPECT_FLOAT_EQ(s->_fPerceptionRadius, 1.0f);
}

TEST_F(SwarmTest, CountsChangedWhileRunningStayInBounds)
{
    // No spawn point: nothing to spawn from, no boid.
    SwarmPtr s = NewSwarm();
    s->_nSpawnCount = 0;
    Frame(*s, 0.02f);
    EXPECT_TRUE(s->_aBoids.empty());

    // "SpawnCount" raised after Init: the spawn index stays inside the list made at Init.
    SwarmPtr r = NewSwarm();
    r->_nSpawnCount = 2;
    r->_nBoidCount = 10;
    Frame(*r, 0.02f);
    r->_nSpawnCount = 20;
    r->_nBoidCount = 300;
    Frame(*r, 0.02f);
    EXPECT_EQ(r->_aBoids.size(), 300u);
    r->_nBoidCount = 40;
    Frame(*r, 0.02f);
    EXPECT_EQ(r->_aBoids.size(), 40u);

    // Trails hold at most "DrawLength" points; 0 draws every boid as a dot.
    for (const fxSwarm::Boid& b : r->_aBoids)
        EXPECT_LE(b._aTrail.size(), 15u);
    r->_nDrawLength = 0;
    Frame(*r, 0.02f);
    EXPECT_TRUE(r->_aBoids[0]._aTrail.empty());
    EXPECT_EQ(_pDisplay->ndots, 40);

    // Colours past 1 are drawn at full intensity instead of stopping on the display's check.
    r->_vColorMin = r->_vColorMax = glm::vec4(2.0f, 3.0f, 4.0f, 1.0f);
    r->_fFadeIn = 0.0f;
    Frame(*r, 0.02f);
    EXPECT_EQ(_pDisplay->points[0].r, 1.0f);
}

TEST_F(SwarmTest, CountsFromAFileAreBounded)
{
    // Stored values far past the sliders: the flock, the trails and the pre-roll stay bounded.
    SwarmPtr s = NewSwarm();
    s->_nBoidCount = 20;
    s->_nSkipFrames = 2147483647;
    s->_nSpawnCount = 1000000000;
    s->SetState(State_DemoStarted);
    EXPECT_EQ(int(s->_aSpawnPoints.size()), fxSwarm::kMaxSpawnPoints);
    s->_nBoidCount = 1000000000;
    s->_nDrawLength = 1000000000;
    Frame(*s, 0.02f);
    EXPECT_EQ(int(s->_aBoids.size()), fxSwarm::kMaxBoids);
    Frame(*s, 0.02f);
    // The 15 points of the pre-roll plus one per step: nothing is made ahead of need.
    EXPECT_EQ(s->_aBoids[0]._aTrail.size(), 17u);
}
