// The sea: the order in which a new wave takes its values from rand(), the first frame, a wave's
// samples and crest, ageing, and the guards against settings that would hang or misdraw.
#include "VectorEffectTest.h"

#include <cmath>
#include <cstdlib>

#include "effects/fxSea/fxSea.h"

using SeaTest = rvTest::VectorEffectTest;

namespace
{
// Value in [a, b] from four bytes, lowest first, as the sea maps them.
float InRange(float a, float b, const int (&r)[24], int i0, int i1, int i2, int i3)
{
    const double u = (double(r[i0]) + double(r[i1]) * 256.0 + double(r[i2]) * 65536.0 + double(r[i3]) * 16777216.0) /
                     4294967296.0;
    return float(a + u * (b - a));
}
} // namespace

TEST_F(SeaTest, NewWaveTakesItsValuesFromRandInTheirOrder)
{
    fxSea* e = New<fxSea>();
    e->_fWaveLifeMin = 1.0f;
    e->_fWaveLifeMax = 4.0f;
    e->_vSeaDimensions = glm::vec3(100.0f, 20.0f, 300.0f);
    e->_vWaveDimensionMin = glm::vec2(10.0f, 2.0f);
    e->_vWaveDimensionMax = glm::vec2(40.0f, 9.0f);

    // The 24 bytes the wave will read: rand() % 255, in call order.
    std::srand(1234);
    int r[24];
    for (int& v : r)
        v = std::rand() % 255;
    std::srand(1234);
    e->SpawnWave();
    ASSERT_EQ(e->_aWaves.size(), 1u);
    const fxSeaWave& w = e->_aWaves[0];
    EXPECT_FLOAT_EQ(w.fLife, InRange(1.0f, 4.0f, r, 0, 1, 2, 3));
    // Position calls 1 to 12 are bytes 4 to 15: z from calls 1, 4, 7, 10; y from 2, 5, 8, 11;
    // x from 3, 6, 9, 12.
    EXPECT_NEAR(w.z, InRange(-300.0f, 300.0f, r, 4, 7, 10, 13), 1e-4f);
    EXPECT_NEAR(w.y, InRange(-20.0f, 20.0f, r, 5, 8, 11, 14), 1e-4f);
    EXPECT_NEAR(w.x, InRange(-100.0f, 100.0f, r, 6, 9, 12, 15), 1e-4f);
    // Size calls 1 to 8 are bytes 16 to 23: amplitude from the odd calls, half-length from the even.
    EXPECT_FLOAT_EQ(w.fAmplitude, InRange(2.0f, 9.0f, r, 16, 18, 20, 22));
    EXPECT_FLOAT_EQ(w.fHalfLength, InRange(10.0f, 40.0f, r, 17, 19, 21, 23));
    EXPECT_EQ(w.fAge, 0.0f);

    // The unit value of four bytes of 254 is the largest: just below 1.
    EXPECT_NEAR(fxSea::Unit(254, 254, 254, 254), 0.99608f, 1e-5f);
    EXPECT_EQ(fxSea::Unit(0, 0, 0, 0), 0.0f);
}

TEST_F(SeaTest, FirstFrameBringsFlatWavesWithinTheBox)
{
    fxSea* e = New<fxSea>();
    e->_fFadeIn = 0.0f;
    Frame(*e);
    ASSERT_EQ(e->_aWaves.size(), 150u);
    const auto strips = Strips();
    ASSERT_EQ(strips.size(), 150u);
    for (size_t i = 0; i < strips.size(); ++i)
    {
        const fxSeaWave& w = e->_aWaves[i];
        EXPECT_FLOAT_EQ(w.fHalfLength, 30.0f);
        EXPECT_FLOAT_EQ(w.fAmplitude, 7.0f);
        EXPECT_EQ(w.y, 0.0f);
        EXPECT_LE(std::fabs(w.x), 500.0f);
        EXPECT_LE(std::fabs(w.z), 500.0f);
        for (const vector_display_point& p : strips[i])
            EXPECT_FLOAT_EQ(p.y, -40.0f); // born flat on the sea level
    }
}

// One wave of known age drawn with a given resolution: its samples, crest, colour and widths.
TEST_F(SeaTest, WaveSamplesCrestAndWidth)
{
    struct Case
    {
        int resolution;
        float age, life;
        size_t points;
    } cases[] = {
        {5, 1.0f, 2.0f, 6},   // start point and 0.2 .. 1.0
        {10, 1.0f, 2.0f, 10}, // the float sum of ten steps passes 1: the last sample is 0.9
    };
    for (const Case& c : cases)
    {
        ClearPoints();
        fxSea* e = New<fxSea>();
        e->_fFadeIn = 0.0f;
        e->_nWaveCount = 1;
        e->_nWaveResolution = c.resolution;
        e->_vColor = glm::vec4(0.4f, 0.8f, 2.0f, 1.0f); // blue above 1 is held at 1
        e->_aWaves.push_back(fxSeaWave{0.0f, 0.0f, 5.0f, 10.0f, 4.0f, c.age, c.life});
        _pDisplay->current_thickness = 0.3f;
        Frame(*e, 0.0f);
        const auto s = Strips().at(0);
        ASSERT_EQ(s.size(), c.points) << c.resolution;
        EXPECT_FLOAT_EQ(s[0].x, -10.0f);
        EXPECT_FLOAT_EQ(s[0].y, -40.0f);
        EXPECT_FLOAT_EQ(s[0].z, 5.0f);
        // Crest at v = 0.5 (the middle), amplitude 4 at mid-life: the line is symmetric.
        const float step = 1.0f / float(c.resolution);
        for (size_t i = 1; i < s.size(); ++i)
        {
            const float x = -10.0f + 20.0f * step * float(i);
            const float k = x <= 0.0f ? 1.0f + x / 10.0f : 1.0f - x / 10.0f;
            EXPECT_NEAR(s[i].x, x, 1e-4f);
            EXPECT_NEAR(s[i].y, -40.0f + k * k * 4.0f, 1e-4f);
            EXPECT_NEAR(s[i].r, 0.4f * k * k * k, 1e-5f);
            EXPECT_NEAR(s[i].b, 1.0f * k * k * k, 1e-5f);
            if (k > 1e-3f)
            {
                EXPECT_NEAR(s[i].thickness, 0.8f * k, 1e-5f);
            }
        }
        // The width before the sea is restored afterwards.
        EXPECT_FLOAT_EQ(_pDisplay->current_thickness, 0.3f);
        EXPECT_FLOAT_EQ(e->_aWaves[0].fAge, c.age);
    }
}

TEST_F(SeaTest, AgesDeathsAndCountChanges)
{
    fxSea* e = New<fxSea>();
    e->_nWaveCount = 3;
    e->_fWaveLifeMin = e->_fWaveLifeMax = 1.0f;
    Frame(*e);
    Frame(*e, 0.25f);
    for (const fxSeaWave& w : e->_aWaves)
        EXPECT_FLOAT_EQ(w.fAge, 0.25f);
    // A backward step leaves the ages alone.
    e->_fDeltaTime = -0.5f;
    e->Render();
    for (const fxSeaWave& w : e->_aWaves)
        EXPECT_FLOAT_EQ(w.fAge, 0.25f);
    // Lowering the count keeps the extra waves until they die; raising it spawns at once.
    e->_aWaves[1].fAge = 0.5f;
    e->_nWaveCount = 1;
    e->_fDeltaTime = 0.0f;
    e->Render();
    EXPECT_EQ(e->_aWaves.size(), 3u);
    e->_aWaves[0].fAge = 1.0f; // dead: removed, the others keep their order
    e->Render();
    ASSERT_EQ(e->_aWaves.size(), 2u);
    EXPECT_FLOAT_EQ(e->_aWaves[0].fAge, 0.5f);
    e->_nWaveCount = 5;
    e->Render();
    EXPECT_EQ(e->_aWaves.size(), 5u);
}

TEST_F(SeaTest, ResolutionsAndLivesThatWouldHangOrMisdrawAreRefused)
{
    for (int resolution : {0, -5, 1 << 30})
    {
        ClearPoints();
        fxSea* e = New<fxSea>();
        e->_nWaveResolution = resolution;
        Frame(*e);
        EXPECT_EQ(_pDisplay->npoints, 0) << resolution;
        EXPECT_EQ(e->_aWaves.size(), 150u);
    }
    // A life of 0 (or not a number) draws nothing and is replaced.
    ClearPoints();
    fxSea* e = New<fxSea>();
    e->_nWaveCount = 2;
    e->_fWaveLifeMin = e->_fWaveLifeMax = 0.0f;
    Frame(*e);
    EXPECT_EQ(_pDisplay->npoints, 0);
    e->_aWaves[0].fLife = std::nanf("");
    e->Render();
    EXPECT_EQ(e->_aWaves.size(), 2u);
    EXPECT_EQ(_pDisplay->npoints, 0);
    // A count far past the editor's range is bounded.
    e->_nWaveCount = 1 << 30;
    e->_fWaveLifeMin = e->_fWaveLifeMax = 1.0f;
    e->_nWaveResolution = 5;
    e->Render();
    EXPECT_EQ(int(e->_aWaves.size()), fxSea::MAX_WAVES);
}
