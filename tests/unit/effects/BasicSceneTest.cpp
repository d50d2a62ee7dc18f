// The basic scene on a display that only collects geometry: every group of primitives, the
// pillars' turn, the text's swing, and the scene without its font.
#include "VectorEffectTest.h"

#include <cmath>
#include <fstream>
#include <iterator>

#include "ArchiveFixture.h"
#include "DataPackGuard.h"
#include "effects/fxBasicScene/fxBasicScene.h"

using BasicSceneTest = rvTest::VectorEffectTest;

namespace
{
std::string ReadBinary(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Points of a colour among the collected ones.
int CountColour(const std::vector<vector_display_point>& pts, float r, float g, float b)
{
    int n = 0;
    for (const vector_display_point& p : pts)
        n += (p.r == r && p.g == g && p.b == b) ? 1 : 0;
    return n;
}
} // namespace

TEST_F(BasicSceneTest, EveryGroupWithoutTheFont)
{
    fxBasicScene* e = New<fxBasicScene>();
    Frame(*e); // no archive: no font, no text; the rest is drawn
    EXPECT_EQ(e->_pFont, nullptr);
    EXPECT_TRUE(e->_VectorScene._apChildren.empty());
    const auto pts = Points();
    // Floor: 100 lines of 4 points in dark yellow, ThicknessYellow wide, from z = 50 down by 20.
    EXPECT_EQ(CountColour(pts, 0.5f, 0.5f, 0.0f), 400);
    // Dots: 100 in orange.
    EXPECT_EQ(CountColour(pts, 1.0f, 0.5f, 0.0f), 400);
    // Green: 2 x 21 bars and 2 x 21 end dots (one-point strips).
    EXPECT_EQ(_pDisplay->ndots, 100 + 42);
    EXPECT_EQ(_pDisplay->nlines, 100 + 42);
    // Triangles: 4 pillars of 12, 21 x 3 green, 2 for the ceiling.
    EXPECT_EQ(_pDisplay->ntriangles, 48 + 63 + 2);
    const vector_display_triangle& ceiling = _pDisplay->triangles[_pDisplay->ntriangles - 1];
    EXPECT_FLOAT_EQ(ceiling.p[0].r, 1.0f);
    EXPECT_FLOAT_EQ(ceiling.p[0].g, 0.0f);
    EXPECT_FLOAT_EQ(ceiling.p[0].y, 40.0f);
    EXPECT_FLOAT_EQ(ceiling.p[2].z, -500.0f);
    // The last floor line lies at z = -1930.
    float zMin = 0.0f;
    for (const vector_display_point& p : pts)
        if (p.r == 0.5f && p.g == 0.5f) zMin = std::min(zMin, p.z);
    EXPECT_FLOAT_EQ(zMin, -1930.0f);
}

TEST_F(BasicSceneTest, PillarsTurnAQuarterEveryTwoSeconds)
{
    fxBasicScene* e = New<fxBasicScene>();
    e->_fThicknessBlue = 0.7f;
    for (float t : {0.0f, 2.0f})
    {
        if (t == 0.0f)
            Frame(*e);
        else
            Frame(*e, t);
        // The corners of the last pillar (centre (20, 0, 0)) after the turn t * pi / 4.
        const float a = t * 3.14159265f / 4.0f;
        const glm::vec3 c(20.0f * std::cos(a), 0.0f, 20.0f * std::sin(a));
        glm::vec3 mean(0.0f);
        for (const vector_display_point& p : vector_display_cube_points)
        {
            mean += glm::vec3(p.x, p.y, p.z) / 8.0f;
            EXPECT_FLOAT_EQ(p.thickness, 0.7f);
            EXPECT_FLOAT_EQ(p.b, 1.0f);
            EXPECT_NEAR(std::fabs(p.y), 30.0f, 1e-5f);
        }
        EXPECT_NEAR(mean.x, c.x, 1e-4f) << t;
        EXPECT_NEAR(mean.z, c.z, 1e-4f) << t;
    }
}

// With the font: "Morvane" as outlines, 40 units left, swinging 20 degrees each way with a period
// of 2 s whatever the transform says; its width follows "ThicknessWhite".
TEST_F(BasicSceneTest, TextSwingsLeftOfTheOrigin)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    const std::string sans = ReadBinary("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    if (sans.empty()) GTEST_SKIP() << "no DejaVu font";
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{fxBasicScene::FONT_FILE, sans}}));
    fxBasicScene* e = New<fxBasicScene>();
    e->_Transform._fRotation = 75.0f;
    e->_Transform._vPosition.x = 300.0f;
    Frame(*e);
    ASSERT_NE(e->_pFont, nullptr);
    EXPECT_EQ(e->_VectorScene._apChildren.size(), 7u);
    EXPECT_FLOAT_EQ(e->_Transform._fRotation, 20.0f);
    EXPECT_FLOAT_EQ(e->_Transform._vPosition.x, -40.0f);
    Frame(*e, 1.0f);
    EXPECT_NEAR(e->_Transform._fRotation, -20.0f, 1e-4f);
    Frame(*e, 0.5f);
    EXPECT_NEAR(e->_Transform._fRotation, 0.0f, 1e-4f);
    const VectorScene* m = e->_VectorScene._apChildren[0];
    EXPECT_TRUE(m->_bOwnMatrix);
    EXPECT_EQ(m->_Transform._mMatrix, e->_Transform._mMatrix);
    e->_fThicknessWhite = 1.5f;
    ClearPoints();
    e->Render();
    int white = 0;
    for (const vector_display_point& p : Points())
        if (p.r == 1.0f && p.g == 1.0f && p.b == 1.0f)
        {
            ++white;
            EXPECT_FLOAT_EQ(p.thickness, 1.5f);
        }
    EXPECT_GT(white, 50);
}
