// The branch fractal: segment counts per depth and the bound on deep trees, the branch matrices
// (with the fallback for branches pointing down and branches without length), the level table
// and when it is rebuilt, and drawing on the display current at Render.
#include "VectorEffectTest.h"

#include <cmath>

#include "effects/fxFractal/fxFractal.h"

using FractalTest = rvTest::VectorEffectTest;

namespace
{
// Two branches of a small tree (BaseSize 1): up-left and up-right from the trunk's top.
void SmallTree(fxFractal& e)
{
    e._fBaseSize = 1.0f;
    e._aBranches[1].v0 = glm::vec3(0.0f, 1.0f, 0.0f);
    e._aBranches[1].v1 = glm::vec3(-0.4f, 1.6f, 0.0f);
    e._aBranches[2].v0 = glm::vec3(0.0f, 1.0f, 0.0f);
    e._aBranches[2].v1 = glm::vec3(0.5f, 1.5f, 0.0f);
}
} // namespace

TEST_F(FractalTest, SegmentCountPerDepthAndItsBound)
{
    struct Case
    {
        int branches, depthMin, depthMax;
        int lines; // segments drawn
    } cases[] = {
        {2, 0, 4, 31},    // trunk + 2 + 4 + 8 + 16
        {0, 0, 4, 1},     // the trunk alone
        {2, 2, 4, 28},    // levels 2 to 4 only
        {3, 0, 3, 40},    // 1 + 3 + 9 + 27
        {4, 0, 0, 1},     // depth 0: the trunk
        {2, 0, -3, 1},    // a negative depth is depth 0
        {4, 0, 15, 87381}, // 4^15 would be 1.4 billion: deep levels are left out at the bound
        {2, 0, 15, 65535}, // two branches reach level 15 within the bound
    };
    for (const Case& c : cases)
    {
        ClearPoints();
        fxFractal* e = New<fxFractal>();
        SmallTree(*e);
        e->_aBranches[3].v0 = glm::vec3(0.0f, 1.0f, 0.0f);
        e->_aBranches[3].v1 = glm::vec3(0.0f, 1.5f, 0.3f);
        e->_aBranches[4].v0 = glm::vec3(0.0f, 0.5f, 0.0f);
        e->_aBranches[4].v1 = glm::vec3(0.0f, 0.8f, -0.3f);
        e->_nBrancheCount = c.branches;
        e->_nDepthMin = c.depthMin;
        e->_nDepthMax = c.depthMax;
        Frame(*e);
        EXPECT_EQ(_pDisplay->nlines, c.lines) << c.branches << " " << c.depthMin << " " << c.depthMax;
        EXPECT_EQ(e->SegmentCount(), c.lines);
        EXPECT_LE(e->SegmentCount(), fxFractal::MAX_SEGMENTS + 1);
    }
}

TEST_F(FractalTest, BranchMatricesAndTheirFallbacks)
{
    fxFractal::Branch b{};
    // From (0,0,0) to (0,1,0) with divisor 1: the identity.
    b.v1 = glm::vec3(0.0f, 1.0f, 0.0f);
    fxFractal::UpdateBranchMatrix(b, 1.0f);
    EXPECT_TRUE(b._bValid);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(b._mLocal[i][j], i == j ? 1.0f : 0.0f, 1e-6f);
    // Along +x: +y is turned onto +x, scaled by length / divisor.
    b.v0 = glm::vec3(1.0f, 2.0f, 3.0f);
    b.v1 = glm::vec3(5.0f, 2.0f, 3.0f);
    fxFractal::UpdateBranchMatrix(b, 2.0f);
    EXPECT_FLOAT_EQ(b._fLength, 4.0f);
    const glm::vec4 tip = b._mLocal * glm::vec4(0.0f, 1.0f, 0.0f, 1.0f);
    EXPECT_NEAR(tip.x, 3.0f, 1e-5f);
    EXPECT_NEAR(tip.y, 2.0f, 1e-5f);
    EXPECT_NEAR(tip.z, 3.0f, 1e-5f);
    // Straight down: no rotation (drawn pointing up).
    b.v0 = glm::vec3(0.0f);
    b.v1 = glm::vec3(0.0f, -2.0f, 0.0f);
    fxFractal::UpdateBranchMatrix(b, 1.0f);
    const glm::vec4 down = b._mLocal * glm::vec4(0.0f, 1.0f, 0.0f, 1.0f);
    EXPECT_NEAR(down.y, 2.0f, 1e-6f);
    // No length, or points that are not numbers: left out, the matrix stays finite.
    for (glm::vec3 v1 : {glm::vec3(0.0f), glm::vec3(std::nanf(""), 0.0f, 0.0f)})
    {
        b.v1 = v1;
        fxFractal::UpdateBranchMatrix(b, 1.0f);
        EXPECT_FALSE(b._bValid);
        EXPECT_TRUE(std::isfinite(b._mLocal[0][0]));
    }
}

TEST_F(FractalTest, SegmentsRunFromLevelToLevelAndSkipBranchesWithoutLength)
{
    fxFractal* e = New<fxFractal>();
    SmallTree(*e);
    e->_fFadeIn = 0.0f;
    e->_nDepthMax = 2;
    e->_aBranches[2].v1 = e->_aBranches[2].v0; // no length
    Frame(*e);
    const auto s = Strips();
    ASSERT_EQ(s.size(), 3u); // trunk, branch 0 at level 1, branch 0 at level 2
    // Trunk: from (0,0,0) to (0, BaseSize^2, 0), base colour and width to the middle of the table.
    EXPECT_FLOAT_EQ(s[0][0].y, 0.0f);
    EXPECT_FLOAT_EQ(s[0][1].y, 1.0f);
    EXPECT_FLOAT_EQ(s[0][0].r, 0.9f);
    EXPECT_FLOAT_EQ(s[0][0].thickness, 1.0f);
    EXPECT_FLOAT_EQ(s[0][1].r, 0.45f);
    EXPECT_FLOAT_EQ(s[0][1].thickness, 0.6f);
    // Level 2 ends in the leaf colour and width.
    EXPECT_FLOAT_EQ(s[2][1].b, 0.9f);
    EXPECT_FLOAT_EQ(s[2][1].thickness, 0.2f);
    // Branch 0 of level 1 starts at the trunk's top.
    EXPECT_NEAR(s[1][0].y, 1.0f, 1e-5f);
    for (const auto& strip : s)
        for (const vector_display_point& p : strip)
            EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
}

TEST_F(FractalTest, TableIsRebuiltOnFadeOrDepthChangeOnly)
{
    fxFractal* e = New<fxFractal>();
    SmallTree(*e);
    e->_fFadeIn = 1.0f;
    Frame(*e);
    Frame(*e, 0.5f); // during the fade-in the table follows the fade
    EXPECT_FLOAT_EQ(e->_aLevels[0].r, 0.45f);
    Frame(*e, 1.0f);
    EXPECT_FLOAT_EQ(e->_aLevels[0].r, 0.9f);
    e->_vBaseColor = glm::vec3(0.1f, 0.1f, 0.1f);
    Frame(*e, 0.5f);
    EXPECT_FLOAT_EQ(e->_aLevels[0].r, 0.9f); // colours alone do not rebuild
    e->_nDepthMax = 3;
    Frame(*e, 0.5f);
    EXPECT_FLOAT_EQ(e->_aLevels[0].r, 0.1f);
    EXPECT_EQ(e->_aLevels.size(), 4u);
    // Colours out of the display's range are held within it.
    e->_vLeafColor = glm::vec3(4.0f, -1.0f, 0.5f);
    e->_nDepthMax = 2;
    Frame(*e, 0.5f);
    EXPECT_FLOAT_EQ(e->_aLevels[2].r, 1.0f);
    EXPECT_FLOAT_EQ(e->_aLevels[2].g, 0.0f);
}

TEST_F(FractalTest, DrawsOnTheDisplayCurrentAtRender)
{
    fxFractal* e = New<fxFractal>();
    SmallTree(*e);
    Frame(*e);
    const int first = _pDisplay->nlines;
    EXPECT_GT(first, 0);
    vector_display* other = nullptr;
    vector_display_create(&other, 64, 64);
    rvSceneDisplay::_pCurrentDisplay = other;
    Frame(*e, 0.1f);
    EXPECT_EQ(_pDisplay->nlines, first);
    EXPECT_EQ(other->nlines, first);
    rvSceneDisplay::_pCurrentDisplay = _pDisplay;
    vector_display_destroy(other);
}
