// The grid background on a small "Default" buffer, driven as the timeline drives it. Expected
// pictures come from a pixel model of the grid: lines of a grid of step s (in the centred units in
// which the buffer is 2 units high) lie where uv + 0.5 is a multiple of s; a line of width w is fully
// covered over 0.75 * w / scale pixels around its centre and falls off linearly over 0.9 / scale
// pixels more; vertical lines take the second width component, horizontal lines the first.
#include "EffectGLTest.h"
#include "RenderHelpers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "effects/fxBackGrid/fxBackGrid.h"
#include "rvSceneDisplay.h"

using rvTest::RGBA;

namespace
{
const int kW = 128, kH = 72;

class BackGridTest : public rvTest::EffectGLTest<kW, kH>
{
protected:
};

// Coverage of the nearest line of one family (positions c0 + k * period in pixels) at pixel centre p.
float LineCoverage(float p, float c0, float period, float full, float falloff)
{
    float d = std::fmod(std::fabs(p - c0), period);
    d = std::min(d, period - d);
    return 1.0f - std::min(std::max((d - full) / falloff, 0.0f), 1.0f);
}

// The picture the grid should give, from its parameters.
std::vector<glm::vec3> Model(const shBackGrid& g)
{
    struct Pass
    {
        float step;
        glm::vec2 width;
        glm::vec4 color;
    } passes[3] = {{0.1f, g._vGridWidth1, g._vGridColor1},
                   {0.5f, g._vGridWidth2, g._vGridColor2},
                   {1.0f, g._vGridWidth3, g._vGridColor3}};
    std::vector<glm::vec3> out(size_t(kW) * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
        {
            glm::vec3 col(g._vBackColor);
            for (const Pass& pass : passes)
            {
                const glm::vec2 s = pass.step * g._vGridSize;
                // Pixels per unit along each axis, and the first line position in pixels.
                const glm::vec2 ppu = float(kH) / (2.0f * g._vUvScale);
                const float x0 = kW * 0.5f + (-0.5f - g._vUvPos.x) * ppu.x;
                const float y0 = kH * 0.5f + (-0.5f - g._vUvPos.y) * ppu.y;
                const float gx = LineCoverage(x + 0.5f, x0, s.x * ppu.x,
                                              0.375f * pass.width.y / g._vUvScale.x, 0.9f / g._vUvScale.x);
                const float gy = LineCoverage(y + 0.5f, y0, s.y * ppu.y,
                                              0.375f * pass.width.x / g._vUvScale.y, 0.9f / g._vUvScale.y);
                col += (glm::vec3(pass.color) - col) * std::max(gx, gy) * pass.color.a;
            }
            out[size_t(y) * kW + x] = col;
        }
    return out;
}

// Largest channel difference between the picture and the model, with where it was.
int CompareWithModel(const std::vector<RGBA>& px, const std::vector<glm::vec3>& model, int* where)
{
    int worst = 0;
    for (size_t i = 0; i < px.size(); ++i)
    {
        const int d[3] = {std::abs(px[i].r - int(std::lround(model[i].r * 255.0f))),
                          std::abs(px[i].g - int(std::lround(model[i].g * 255.0f))),
                          std::abs(px[i].b - int(std::lround(model[i].b * 255.0f)))};
        for (int c : d)
            if (c > worst)
            {
                worst = c;
                *where = int(i);
            }
    }
    return worst;
}

const glm::vec4 kClear(0.0f, 0.0f, 0.0f, 0.0f);
const glm::vec4 kWhite(1.0f);
const glm::vec4 kBlack(0.0f, 0.0f, 0.0f, 1.0f);
} // namespace

TEST_F(BackGridTest, PictureMatchesTheLineModel)
{
    struct Case
    {
        const char* what;
        void (*set)(shBackGrid&);
    } cases[] = {
        {"defaults", [](shBackGrid&) {}},
        {"coarse grid alone, opaque white on black",
         [](shBackGrid& g)
         {
             g._vBackColor = kBlack;
             g._vGridColor1 = g._vGridColor2 = kClear;
             g._vGridColor3 = kWhite;
         }},
        {"medium grid alone",
         [](shBackGrid& g)
         {
             g._vBackColor = kBlack;
             g._vGridColor1 = g._vGridColor3 = kClear;
             g._vGridColor2 = glm::vec4(0.2f, 1.0f, 0.4f, 0.8f);
         }},
        {"vertical lines wider than horizontal ones",
         [](shBackGrid& g)
         {
             g._vBackColor = kBlack;
             g._vGridColor1 = g._vGridColor2 = kClear;
             g._vGridColor3 = kWhite;
             g._vGridWidth3 = glm::vec2(2.0f, 8.0f);
         }},
        {"panned, zoomed, non-square cells",
         [](shBackGrid& g)
         {
             g._vUvPos = glm::vec2(0.25f, -0.1f);
             g._vUvScale = glm::vec2(2.0f, 1.5f);
             g._vGridSize = glm::vec2(0.8f, 1.2f);
             g._vGridColor1 = glm::vec4(1.0f, 0.0f, 0.0f, 0.5f);
         }},
    };
    for (const Case& c : cases)
    {
        auto grid = rvTest::NewEffect<fxBackGrid>();
        c.set(grid->_shProgram);
        rvTest::RenderOnce(*grid);
        int where = 0;
        const int worst = CompareWithModel(rvTest::ReadDefault(), Model(grid->_shProgram), &where);
        EXPECT_LE(worst, 3) << c.what << ": at x " << where % kW << " y " << where / kW;
    }
}

TEST_F(BackGridTest, CoarseLinesLieAtAQuarterAndThreeQuartersOfTheHeight)
{
    // 72 pixels high: coarse horizontal lines centred on y = 18 and 54 (every 36 pixels, as every
    // 540 on 1080), medium ones every 18, fine ones every 3.6; vertical coarse lines at
    // x = 64 -+ 18, i.e. 46 and 82.
    auto grid = rvTest::NewEffect<fxBackGrid>();
    shBackGrid& g = grid->_shProgram;
    g._vBackColor = kBlack;
    g._vGridColor1 = g._vGridColor2 = kClear;
    g._vGridColor3 = kWhite;
    rvTest::RenderOnce(*grid);
    const std::vector<RGBA> px = rvTest::ReadDefault();
    auto at = [&](int x, int y) { return px[size_t(y) * kW + x].g; };
    const int column = 64; // between the vertical lines
    for (int row : {17, 18, 53, 54})
        EXPECT_EQ(at(column, row), 255) << "row " << row;
    for (int row : {0, 10, 15, 20, 36, 51, 56, 71})
        EXPECT_EQ(at(column, row), 0) << "row " << row;
    for (int x : {45, 46, 81, 82})
        EXPECT_EQ(at(x, 36), 255) << "column " << x;
    // The anti-aliasing fall-off: the row next to the covered pair is partly lit.
    EXPECT_GT(at(column, 16), 20);
    EXPECT_LT(at(column, 16), 235);
}

TEST_F(BackGridTest, GridOfAlphaZeroIsInvisibleAndBufferAlphaIsKept)
{
    // The buffer's alpha holds 0.5 before the grid is drawn; blending is on, as some earlier
    // effect may leave it.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0.9f, 0.0f, 0.9f, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    auto grid = rvTest::NewEffect<fxBackGrid>();
    shBackGrid& g = grid->_shProgram;
    g._vGridColor1.a = g._vGridColor2.a = g._vGridColor3.a = 0.0f;
    g._vBackColor.a = 0.0f; // not used: the background is opaque
    rvTest::RenderOnce(*grid);
    EXPECT_TRUE(glIsEnabled(GL_BLEND)); // given back as it was
    glDisable(GL_BLEND);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    for (const RGBA& p : rvTest::ReadDefault())
    {
        ASSERT_EQ(p.r, 26); // 0.1
        ASSERT_EQ(p.g, 64); // 0.25
        ASSERT_EQ(p.b, 89); // 0.35
        ASSERT_EQ(p.a, 128);
    }
}

TEST_F(BackGridTest, AttributesAreTheProgramValues)
{
    fxDescriptor* d = fxBackGrid::RegisterAttributes();
    auto grid = rvTest::NewEffect<fxBackGrid>();
    struct Row
    {
        const char* name;
        const float* value;
        float expected;
    } rows[] = {
        {"UvPos.x", &grid->_shProgram._vUvPos.x, 0.0f},
        {"UvScale.y", &grid->_shProgram._vUvScale.y, 1.0f},
        {"ColorBack.b", &grid->_shProgram._vBackColor.b, 0.35f},
        {"ColorGrid1.a", &grid->_shProgram._vGridColor1.a, 0.1f},
        {"ColorGrid2.a", &grid->_shProgram._vGridColor2.a, 0.1f},
        {"ColorGrid3.a", &grid->_shProgram._vGridColor3.a, 0.4f},
        {"GridWidth1.x", &grid->_shProgram._vGridWidth1.x, 2.0f},
        {"GridWidth2.y", &grid->_shProgram._vGridWidth2.y, 2.0f},
        {"GridWidth3.y", &grid->_shProgram._vGridWidth3.y, 2.0f},
        {"GridSize.x", &grid->_shProgram._vGridSize.x, 1.0f},
    };
    for (const Row& r : rows)
    {
        AttribDesc* a = d->FindAttrib(r.name);
        ASSERT_NE(a, nullptr) << r.name;
        EXPECT_FLOAT_EQ(a->GetFloat(grid.get()), r.expected) << r.name;
        a->SetFloat(grid.get(), 0.625f);
        EXPECT_EQ(*r.value, 0.625f) << r.name; // the attribute writes the value Use uploads
    }
}
