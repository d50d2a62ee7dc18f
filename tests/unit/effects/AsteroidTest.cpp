// The asteroid game without a window: its attribute table, the fixed steps with catch-up, the
// replay of an input file (straight through and across a jump: the same state at the same
// steps), the live-input latch and the recording, rocks (spawn, bounce, crack, explode) and the
// bounds on bullets and bursts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "CollectingDisplayTest.h"
#include "TestSupport.h"
#include "VectorScene/VectorSceneLine.h"
#include "effects/fxAsteroid/fxAsteroid.h"
#include "effects/fxParticleEmitter/fxParticleEmitter.h"
#include "rvClipper.h"
#include "rvRandom.h"

namespace
{
using GamePtr = rvTest::EffectPtr<fxAsteroid>;

// Live input for the tests: what the keyboard "holds" now.
uint8_t g_nHeld = 0;
uint8_t HeldKeys()
{
    return g_nHeld;
}

class AsteroidTest : public rvTest::CollectingDisplayTest
{
protected:
    void SetUp() override
    {
        CollectingDisplayTest::SetUp();
        g_nHeld = 0;
        _pfnSaved = fxAsteroid::_pfnPollInput;
        fxAsteroid::_pfnPollInput = &HeldKeys;
    }
    void TearDown() override
    {
        fxAsteroid::_pfnPollInput = _pfnSaved;
        CollectingDisplayTest::TearDown();
    }
    // A game that reads no file and runs long enough, with the given input bytes.
    static GamePtr NewGame(const std::vector<uint8_t>& inputs = {})
    {
        GamePtr g = rvTest::NewStoppedOnDelete<fxAsteroid>();
        g->_sRecordFile = "no/such/file.input";
        g->_nEnd = 60 * 600;
        g->SetState(State_DemoStarted);
        g->_aInputs = inputs;
        return g;
    }
    // Step 0 run, then no rock on the field and none to come for a long while.
    void StartWithoutRocks(fxAsteroid& g)
    {
        g._fRockSpawnTimer = 1000.0f;
        Frame(g, 0.0f);
        for (fxAsteroid::Rock* r : g._apRocks)
            delete r;
        g._apRocks.clear();
        g._fRockSpawnTimer = 1000.0f;
    }
    // The committed recording of the demo's game.
    static std::vector<uint8_t> DemoInput()
    {
        std::ifstream f(std::string(MORVANE_SOURCE_DIR) + "/Data/input/Asteroid.input", std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }
    // A rock whose outline is a regular polygon of the given radius at (x, y).
    static fxAsteroid::Rock* RockAt(fxAsteroid& g, float x, float y, float r, int sides = 64)
    {
        auto* rock = new fxAsteroid::Rock();
        rock->_Transform._vPosition = glm::vec2(x, y);
        VectorSceneLine outline;
        for (int i = 0; i <= sides; ++i)
        {
            const float a = 6.2831855f * float(i % sides) / float(sides);
            outline.AddPoint(x + r * std::cos(a), y + r * std::sin(a), 0.0f);
        }
        g.BuildRockFromOutline(outline, *rock);
        rock->_Transform.Update();
        g._apRocks.push_back(rock);
        return rock;
    }
    static double OutlineArea(const fxAsteroid::Rock& r)
    {
        const std::vector<glm::vec3>& p = r._VectorScene._apLines[0]->_aPoints;
        rvClipper::Path path;
        for (const glm::vec3& q : p)
            path.push_back(rvClipper::ToPoint(q.x, q.y));
        return std::fabs(rvClipper::Area(path)) / 10000.0;
    }

    fxAsteroid::InputPollFn _pfnSaved = nullptr;
};

// What a replay is compared on: the ship, every rock and the score.
struct GameState
{
    glm::vec2 ship, shipVelocity;
    float heading, dead;
    int score, frame;
    std::vector<glm::vec4> rocks; // position, radius, rotation
    bool operator==(const GameState& o) const
    {
        return ship == o.ship && shipVelocity == o.shipVelocity && heading == o.heading && dead == o.dead &&
               score == o.score && frame == o.frame && rocks == o.rocks;
    }
};

GameState StateOf(const fxAsteroid& g)
{
    GameState s{
        g.GetShipPos(), g._vShipVelocity, g.GetShipHeading(), g._fDeadTimer, g._nScore, g._nFrame, {}};
    for (const fxAsteroid::Rock* r : g._apRocks)
        s.rocks.push_back(glm::vec4(r->_Transform._vPosition, r->_fRadius, r->_Transform._fRotation));
    return s;
}
} // namespace

TEST_F(AsteroidTest, RegistersItsAttributesInOrderWithDefaults)
{
    fxDescriptor* d = fxAsteroid::RegisterAttributes();
    EXPECT_EQ(rvTest::TheFactory()->FindDescriptor("fxAsteroid"), d);
    const std::pair<const char*, int> rows[] = {
        {"RandomSeed", TYPE_INT},
        {"PosInit", TYPE_VEC3},
        {"ScreenSize", TYPE_VEC2},
        {"RecordInputs", TYPE_BOOL},
        {"RecordFile", TYPE_FILE},
        {"Ship/Rot Speed", TYPE_FLOAT},
        {"Ship/Move Speed Max", TYPE_FLOAT},
        {"Ship/Acceleration", TYPE_FLOAT},
        {"Ship/Friction", TYPE_FLOAT},
        {"Ship/ShootCooldown", TYPE_FLOAT},
        {"Ship/BulletSpeed", TYPE_FLOAT},
        {"Ship/BulletRadius", TYPE_FLOAT},
        {"Draw/Ship Radius", TYPE_FLOAT},
        {"Draw/Ship RadiusBot", TYPE_FLOAT},
        {"Draw/Ship Angle1", TYPE_FLOAT},
        {"Draw/Ship Angle2", TYPE_FLOAT},
        {"Draw/Thickness", TYPE_FLOAT},
        {"Draw/Ship Color", TYPE_COLOR4},
        {"Draw/Reactor Color Start", TYPE_COLOR4},
        {"Draw/Reactor Color End", TYPE_COLOR4},
        {"Draw/Bullet Color", TYPE_COLOR4},
        {"Score/Transform", TYPE_TRANSFORM_2D},
        {"Score/Color", TYPE_COLOR4},
        {"Score/Size", TYPE_FLOAT},
        {"Astro/Radius", TYPE_FLOAT},
        {"Astro/Resol", TYPE_INT},
        {"Astro/Spawn Radius", TYPE_FLOAT},
        {"BuildShip", TYPE_BUTTON},
    };
    ASSERT_EQ(d->_apAttribs.size(), sizeof(rows) / sizeof(rows[0]));
    for (size_t i = 0; i < d->_apAttribs.size(); ++i)
    {
        EXPECT_EQ(d->_apAttribs[i]->_sName, rows[i].first);
        EXPECT_EQ(d->_apAttribs[i]->_eType, rows[i].second) << rows[i].first;
    }
    EXPECT_EQ(d->FindAttrib("RecordFile")->_sFilter, ".input");
    GamePtr g = rvTest::NewStoppedOnDelete<fxAsteroid>();
    EXPECT_EQ(d->FindAttrib("RecordFile")->GetString(g.get()), "Data/input/Asteroid.input");
    EXPECT_FLOAT_EQ(d->FindAttrib("Score/Size")->GetFloat(g.get()), 5.0f);
    EXPECT_FLOAT_EQ(d->FindAttrib("Ship/Rot Speed")->GetFloat(g.get()), 200.0f);
    EXPECT_FLOAT_EQ(d->FindAttrib("Ship/Friction")->GetFloat(g.get()), 0.03f);
    EXPECT_FLOAT_EQ(d->FindAttrib("Astro/Spawn Radius")->GetFloat(g.get()), 120.0f);
    EXPECT_EQ(g->_ScoreTransform._vPosition, glm::vec2(0.0f, 50.0f));
    EXPECT_EQ(g->_vScreenSize, glm::vec2(100.0f, 60.0f));
    // The button rebuilds the ship outline: five corners and the nose again.
    d->FindAttrib("BuildShip")->GetButton(g.get())(g.get());
    ASSERT_EQ(g->_ShipScene._apLines.size(), 1u);
    EXPECT_EQ(g->_ShipScene._apLines[0]->_aPoints.size(), 6u);
    EXPECT_EQ(g->_ShipScene._apLines[0]->_aPoints[0], glm::vec3(0.0f, 4.0f, 0.0f));
}

TEST_F(AsteroidTest, FixedStepsCatchUpAndZeroLengthSteps)
{
    GamePtr g = NewGame();
    Frame(*g, 0.0f); // step 0: the zero-length step at start creates the first rock
    EXPECT_EQ(g->_nFrame, 0);
    ASSERT_EQ(g->_apRocks.size(), 1u);
    // Seed 0: the first draw 0.9018016 places it on the spawn circle of radius 120.
    const float a = 0.9018016f * 6.2831855f - 3.1415927f;
    EXPECT_NEAR(glm::length(g->_apRocks[0]->_Transform._vPosition), 120.0f, 1.5f);
    EXPECT_NEAR(std::atan2(g->_apRocks[0]->_Transform._vPosition.y, g->_apRocks[0]->_Transform._vPosition.x),
                a, 0.1f);
    EXPECT_FALSE(g->_apRocks[0]->_bEntered);

    // Two sixtieths in one frame: two steps of 1/60; a paused frame: one zero-length step.
    const glm::vec2 p0 = g->_apRocks[0]->_Transform._vPosition;
    Frame(*g, 2.0f / 60.0f);
    EXPECT_EQ(g->_nFrame, 2);
    const glm::vec2 p2 = g->_apRocks[0]->_Transform._vPosition;
    EXPECT_NEAR(glm::length(p2 - p0), 2.0f / 60.0f * glm::length(g->_apRocks[0]->_vVelocity), 1e-3f);
    Frame(*g, 0.0f);
    EXPECT_EQ(g->_nFrame, 2);
    EXPECT_EQ(g->_apRocks[0]->_Transform._vPosition, p2);
    // Backwards: one step with the negative delta, the world is not restored.
    Frame(*g, 1.0f);
    g->_fSeekTime = 0.5f;
    const glm::vec2 p3 = g->_apRocks[0]->_Transform._vPosition;
    g->_fPendingDelta = 0.0f;
    g->Update();
    EXPECT_EQ(g->_nFrame, 30);
    const glm::vec2 back = g->_apRocks[0]->_Transform._vPosition - p3;
    EXPECT_LT(glm::dot(back, g->_apRocks[0]->_vVelocity), 0.0f);
}

TEST_F(AsteroidTest, TheRecordedGameReplaysIdenticallyStraightThroughAndAcrossAJump)
{
    const std::vector<uint8_t> input = DemoInput();
    ASSERT_GE(input.size(), 900u) << "Data/input/Asteroid.input";
    const int checks[] = {60, 300, 600, 900};
    std::vector<GameState> straight, again, jumped;
    for (int run = 0; run < 3; ++run)
    {
        GamePtr g = NewGame(input);
        std::vector<GameState>& out = run == 0 ? straight : (run == 1 ? again : jumped);
        Frame(*g, 0.0f);
        int step = 0;
        for (int c : checks)
        {
            if (run == 2 && c == 300)
            {
                // Local time jumps from step 60 to step 300 in one frame: the missing steps
                // all run in it.
                Frame(*g, float(c - step) / 60.0f);
                step = c;
            }
            for (; step < c; ++step)
                Frame(*g, 1.0f / 60.0f);
            ASSERT_EQ(g->_nFrame, c);
            out.push_back(StateOf(*g));
        }
    }
    for (size_t i = 0; i < straight.size(); ++i)
    {
        EXPECT_TRUE(straight[i] == again[i]) << "step " << checks[i];
        EXPECT_TRUE(straight[i] == jumped[i]) << "step " << checks[i];
    }
    // The recorded pilot plays: it cracks rocks and scores.
    EXPECT_GT(straight.back().score, 500);
}

TEST_F(AsteroidTest, LiveInputTakesOverForTheRestOfTheRunAndIsRecorded)
{
    // Recorded: turn left for every step.
    GamePtr g = NewGame(std::vector<uint8_t>(600, fxAsteroid::INPUT_LEFT));
    g->_bRecordInputs = true;
    Frame(*g, 0.0f);
    for (int i = 0; i < 30; ++i)
        Frame(*g, 1.0f / 60.0f);
    EXPECT_NEAR(g->GetShipHeading(), 30.0f / 60.0f * 200.0f, 1e-3f);
    EXPECT_FALSE(g->_bLiveInput);
    // A key: live input from now on; released, the input is 0, never the recording again.
    g_nHeld = fxAsteroid::INPUT_RIGHT | fxAsteroid::INPUT_LEFT; // both cancel
    Frame(*g, 1.0f / 60.0f);
    EXPECT_TRUE(g->_bLiveInput);
    g_nHeld = 0;
    const float heading = g->GetShipHeading();
    for (int i = 0; i < 10; ++i)
        Frame(*g, 1.0f / 60.0f);
    EXPECT_FLOAT_EQ(g->GetShipHeading(), heading);
    EXPECT_EQ(g->_aInputs[31], fxAsteroid::INPUT_RIGHT | fxAsteroid::INPUT_LEFT);
    EXPECT_EQ(g->_aInputs[35], 0);
    EXPECT_EQ(g->_aInputs[20], fxAsteroid::INPUT_LEFT);

    // Stopping writes one byte per step, beside the file first.
    const std::string path = rvTest::BinaryPath("asteroid_record_test.input");
    g->_sRecordFile = path;
    g->SetState(State_DemoStarted);
    std::ifstream f(path, std::ios::binary);
    const std::vector<uint8_t> saved((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved, g->_aInputs);
    for (const auto& e : std::filesystem::directory_iterator(rvTest::BinaryPath(""))) // no temporary left
        EXPECT_NE(e.path().filename().string().rfind("asteroid_record_test.input.", 0), 0u) << e.path();
    std::remove(path.c_str());

    // A file that cannot be written is reported, not lost silently.
    g->_sRecordFile = "/no/such/dir/x.input";
    testing::internal::CaptureStderr();
    EXPECT_FALSE(g->SaveInputs());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("/no/such/dir/x.input"), std::string::npos);
}

TEST_F(AsteroidTest, ABulletCracksARockIntoPiecesThatKeepItsArea)
{
    GamePtr g = NewGame();
    Frame(*g, 0.0f);
    for (fxAsteroid::Rock* r : g->_apRocks)
        delete r;
    g->_apRocks.clear();
    fxAsteroid::Rock* rock = RockAt(*g, 30.0f, 10.0f, 10.0f);
    rock->_vVelocity = glm::vec2(1.0f, 0.0f);
    const double area = OutlineArea(*rock);
    ASSERT_NEAR(area, 313.0, 2.0);
    fxAsteroid::Bullet b;
    b._vPos = glm::vec2(21.0f, 10.0f);
    g->SplitRock(0, b, glm::vec2(1.0f, 0.0f));
    // Two halves (the strip cut out is 0.02 wide), each a new generation that drifts apart.
    ASSERT_EQ(g->_apRocks.size(), 2u);
    double sum = 0.0;
    for (const fxAsteroid::Rock* r : g->_apRocks)
    {
        sum += OutlineArea(*r);
        EXPECT_EQ(r->_nGeneration, 1);
        EXPECT_GE(r->_fRadius, 5.0f);
    }
    EXPECT_NEAR(sum, area, 1.5);
    EXPECT_GT(glm::dot(g->_apRocks[0]->_vVelocity - g->_apRocks[1]->_vVelocity,
                       g->_apRocks[0]->_Transform._vPosition - g->_apRocks[1]->_Transform._vPosition),
              0.0f);
    // The score takes the parent's area rounded down to a multiple of 10; sparks fly.
    EXPECT_EQ(g->_nScore, 10 * (int(area) / 10));
    EXPECT_EQ(g->_apEmitters.size(), 1u);

    // A rock of area 60 or less explodes and scores 4 x its area, rounded down to tens.
    g->_nScore = 0;
    for (fxAsteroid::Rock* r : g->_apRocks)
        delete r;
    g->_apRocks.clear();
    fxAsteroid::Rock* small = RockAt(*g, 0.0f, 0.0f, 4.0f);
    const double smallArea = OutlineArea(*small);
    g->SplitRock(0, b, glm::vec2(1.0f, 0.0f));
    EXPECT_TRUE(g->_apRocks.empty());
    EXPECT_EQ(g->_nScore, 10 * (int(4.0 * smallArea) / 10));
}

TEST_F(AsteroidTest, RocksBounceAndCoincidentRocksStayFinite)
{
    GamePtr g = NewGame();
    Frame(*g, 0.0f);
    for (fxAsteroid::Rock* r : g->_apRocks)
        delete r;
    g->_apRocks.clear();
    g->_fRockSpawnTimer = 100.0f;
    // Head on, equal radii: v and -v become -0.8v and 0.8v.
    fxAsteroid::Rock* p = RockAt(*g, -5.0f, 0.0f, 6.0f);
    fxAsteroid::Rock* q = RockAt(*g, 5.0f, 0.0f, 6.0f);
    p->_vVelocity = glm::vec2(10.0f, 0.0f);
    q->_vVelocity = glm::vec2(-10.0f, 0.0f);
    g->_fStepDelta = 0.0f;
    g->UpdateRocks();
    EXPECT_NEAR(p->_vVelocity.x, -8.0f, 1e-4f);
    EXPECT_NEAR(q->_vVelocity.x, 8.0f, 1e-4f);
    // Overlapping but already parting: unchanged.
    g->UpdateRocks();
    EXPECT_NEAR(p->_vVelocity.x, -8.0f, 1e-4f);
    // On one point: no normal, no NaN.
    q->_Transform._vPosition = p->_Transform._vPosition;
    q->_vVelocity = p->_vVelocity;
    g->UpdateRocks();
    EXPECT_FALSE(std::isnan(p->_vVelocity.x + q->_vVelocity.x + p->_vVelocity.y + q->_vVelocity.y));
}

TEST_F(AsteroidTest, BulletSlotsAndBurstsAreBounded)
{
    // No cooldown and fire held: a shot in every step, far more than 64 in flight would need.
    GamePtr g = NewGame(std::vector<uint8_t>(400, fxAsteroid::INPUT_FIRE | fxAsteroid::INPUT_LEFT));
    g->_fShootCooldown = 0.0f;
    g->_fBulletSpeed = 10.0f;
    Frame(*g, 0.0f);
    for (int i = 0; i < 120; ++i)
        Frame(*g, 1.0f / 60.0f);
    int busy = 0;
    for (const fxAsteroid::Bullet& b : g->_aBullets)
        busy += b._fTimer >= 0.0f ? 1 : 0;
    EXPECT_EQ(g->_aBullets.size(), 64u);
    EXPECT_EQ(busy, 64);

    // Bursts: at most the limit in flight; finished ones are released.
    GamePtr h = NewGame();
    Frame(*h, 0.0f);
    for (int i = 0; i < 200; ++i)
        h->SpawnSparks(glm::vec2(0.0f), glm::vec2(1.0f, 0.0f));
    EXPECT_EQ(int(h->_apEmitters.size()), fxAsteroid::kMaxEmitters);
    for (int i = 0; i < 120; ++i)
        Frame(*h, 1.0f / 60.0f);
    EXPECT_LT(h->_apEmitters.size(), 3u);
}

TEST_F(AsteroidTest, BurstsAdvancePerStepButAreDrawnOncePerFrame)
{
    // Sparks: ten particles that live 0.5 s. A frame that catches up four steps draws each
    // particle once (two points each plus the strip ends), and ages them by the four steps.
    GamePtr g = NewGame();
    StartWithoutRocks(*g);
    g->SpawnSparks(glm::vec2(0.0f, -30.0f), glm::vec2(5.0f, -30.0f));
    ASSERT_EQ(g->_apEmitters.size(), 1u);
    const fxParticleEmitter* e = g->_apEmitters[0];
    Frame(*g, 4.0f / 60.0f);
    EXPECT_NEAR(e->_aParticles[0]._fAge, 4.0f / 60.0f, 1e-5f);
    int near = 0;
    for (int i = 0; i < _pDisplay->npoints; ++i)
        near += (_pDisplay->points[i].flags & PTF_LINE_STRIPSTART) && _pDisplay->points[i].y < -20.0f ? 1 : 0;
    EXPECT_EQ(near, 10);
}

// The reactor flame, the bullet trails and the ship's explosion keep the game's time: a frame that
// catches up four steps ages them by the four steps, as the bursts are.
TEST_F(AsteroidTest, ShipParticlesAdvanceInEveryStep)
{
    const float kStep = 1.0f / 60.0f;
    GamePtr g = NewGame(std::vector<uint8_t>(60, fxAsteroid::INPUT_FIRE | fxAsteroid::INPUT_THRUST));
    StartWithoutRocks(*g);
    Frame(*g, 4.0f * kStep);
    EXPECT_NEAR(g->_pReactor->_fTime, 4.0f * kStep, 1e-5f);
    ASSERT_GE(g->_aBullets.size(), 1u);
    ASSERT_GE(g->_aBullets[0]._fTimer, 0.0f);
    EXPECT_NEAR(g->_aBullets[0]._pTrail->_fTime, 4.0f * kStep, 1e-5f); // fired in step 0

    // A rock on the ship: it dies in the next step; the explosion then runs through the three
    // steps after it, as the dead timer does.
    RockAt(*g, g->GetShipPos().x, g->GetShipPos().y, 5.0f);
    Frame(*g, 4.0f * kStep);
    ASSERT_GT(g->_fDeadTimer, 0.0f);
    EXPECT_NEAR(g->_pExplosion->_fTime, 3.0f * kStep, 1e-5f);
    EXPECT_NEAR(g->_fDeadTimer, 3.0f - 3.0f * kStep, 1e-5f);
}

// A rock that reaches the ship: the ship explodes where it was hit and is gone for three seconds,
// waiting at its start place, still, facing up, deaf to the keys; then it is drawn and flies again.
TEST_F(AsteroidTest, TheShipHitByARockExplodesThereAndComesBackAtTheStartThreeSecondsLater)
{
    g_nHeld = fxAsteroid::INPUT_THRUST | fxAsteroid::INPUT_LEFT; // held all along
    GamePtr g = NewGame();
    const glm::vec2 start(-30.0f, -10.0f);
    g->_vPosInit = glm::vec3(start, 0.0f);
    StartWithoutRocks(*g);
    for (int i = 0; i < 90; ++i)
        Frame(*g, 1.0f / 60.0f);
    const glm::vec2 hit = g->GetShipPos();
    ASSERT_GT(glm::length(hit - start), 4.0f * g->_fShipRadius);
    RockAt(*g, hit.x, hit.y, 5.0f);
    // Display points within the ship's reach of a place.
    auto drawnNear = [&](const glm::vec2& p)
    {
        int n = 0;
        for (int i = 0; i < _pDisplay->npoints; ++i)
            n += glm::length(glm::vec2(_pDisplay->points[i].x, _pDisplay->points[i].y) - p) < 1.5f * g->_fShipRadius;
        return n;
    };
    int nSteps = 0;
    bool bHeld = true, bHidden = true;
    while (nSteps < 170)
    {
        Frame(*g, 1.0f / 60.0f);
        ++nSteps;
        bHeld = bHeld && g->GetShipPos() == start && g->GetShipHeading() == 0.0f &&
                g->_vShipVelocity == glm::vec2(0.0f) && g->_fDeadTimer > 0.0f;
        if (nSteps <= 10) bHidden = bHidden && drawnNear(start) == 0;
    }
    const glm::vec2 burst(g->_pExplosion->_vPos);
    for (int i = 0; i < 20; ++i)
        Frame(*g, 1.0f / 60.0f);
    EXPECT_TRUE(bHeld && bHidden && glm::length(burst - hit) < g->_fShipRadius + 5.0f &&
                g->_fDeadTimer <= 0.0f && g->GetShipHeading() > 0.0f &&
                glm::length(g->GetShipPos() - start) > 0.0f && drawnNear(g->GetShipPos()) > 0)
        << bHeld << bHidden << " burst " << glm::length(burst - hit) << " timer " << g->_fDeadTimer
        << " heading " << g->GetShipHeading() << " drawn " << drawnNear(g->GetShipPos());
}

TEST_F(AsteroidTest, ColoursAboveOneAreDrawnAtFullIntensity)
{
    GamePtr g = NewGame(std::vector<uint8_t>(60, fxAsteroid::INPUT_FIRE | fxAsteroid::INPUT_THRUST));
    g->_vShipColor = g->_vBulletColor = g->_vScoreColor = glm::vec4(2.0f, 3.0f, 4.0f, 2.0f);
    g->_vReactorColorStart = glm::vec4(5.0f);
    for (int i = 0; i < 30; ++i)
        Frame(*g, 1.0f / 60.0f);
    EXPECT_EQ(g->_ShipScene._apLines[0]->_vColor, glm::vec4(1.0f));
}

TEST_F(AsteroidTest, StepZeroRunsWhereverTheFirstFrameFalls)
{
    // The timeline may start the game with a local time past 0: step 0 (the zero-length one,
    // with input byte 0) still runs first, so the run matches one started exactly on time.
    const std::vector<uint8_t> input = DemoInput();
    GamePtr exact = NewGame(input), late = NewGame(input);
    Frame(*exact, 0.0f);
    for (int i = 0; i < 120; ++i)
        Frame(*exact, 1.0f / 60.0f);
    Frame(*late, 2.0f / 60.0f);
    for (int i = 0; i < 59; ++i)
        Frame(*late, 2.0f / 60.0f);
    EXPECT_EQ(late->_nFrame, 120);
    EXPECT_TRUE(StateOf(*exact) == StateOf(*late));
}
