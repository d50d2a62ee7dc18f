// A grid background with glowing circles, played frame by frame with a fixed step through the
// whole frame path (frame begin, effects updated in list order, present), as the timeline plays
// them. Leaves "GridCircles.png" in the build directory.
#include "EffectListGLTest.h"

#include <cmath>
#include <memory>
#include <vector>

#include "effects/fxBackGrid/fxBackGrid.h"
#include "effects/fxCircle/fxCircle.h"
#include "rvSceneDisplay.h"

using rvTest::RenderTarget;
using rvTest::RGBA;

namespace
{
const int kW = 640, kH = 360;

class GridCirclesTest : public rvTest::EffectListGLTest<kW, kH>
{
};
} // namespace

TEST_F(GridCirclesTest, CirclesGlowOverTheGrid)
{
    fxBackGrid* grid = Add<fxBackGrid>();
    grid->_shProgram._vBackColor = glm::vec4(0.02f, 0.06f, 0.1f, 1.0f);

    struct Ring
    {
        glm::vec3 pos;
        float radius;
        glm::vec4 color;
    } rings[] = {
        {{-25.0f, 8.0f, 0.0f}, 14.0f, {1.0f, 1.0f, 0.0f, 1.0f}},
        {{22.0f, -6.0f, 0.0f}, 20.0f, {0.2f, 1.0f, 0.4f, 1.0f}},
        {{5.0f, 14.0f, 0.0f}, 6.0f, {1.0f, 0.3f, 0.8f, 1.0f}},
    };
    std::vector<fxCircle*> circles;
    for (const Ring& r : rings)
    {
        fxCircle* c = Add<fxCircle>();
        c->_vPos = r.pos;
        c->_fRadius = r.radius;
        c->_vColor = r.color;
        c->_fFadeIn = 0.5f;
        circles.push_back(c);
    }
    // The small circle drifts to the right: the phosphor leaves a trail behind it.
    const int frames = 60;
    for (int i = 0; i < frames; ++i)
    {
        circles[2]->_vPos.x = rings[2].pos.x + 0.25f * float(i);
        Frame(1.0f / 60.0f);
    }
    EXPECT_GT(circles[0]->_fTime, 0.9f);
    EXPECT_EQ(circles[0]->GetFade(), 1.0f);

    RenderTarget shot(kW, kH);
    Grab(shot, "GridCircles.png");

    // The yellow circle is lit on its outline (top, bottom, left, right), not at its centre.
    const Ring& y = rings[0];
    for (glm::vec3 p : {y.pos + glm::vec3(0, y.radius, 0), y.pos - glm::vec3(0, y.radius, 0),
                        y.pos + glm::vec3(y.radius, 0, 0), y.pos - glm::vec3(y.radius, 0, 0)})
    {
        const RGBA lit = rvTest::Brightest(shot, rvTest::ProjectToDefault(p), 2);
        EXPECT_GT(lit.r, 150);
        EXPECT_GT(lit.g, 150);
        EXPECT_LT(lit.b, lit.r);
    }
    const RGBA centre =
        shot.Pixel(int(rvTest::ProjectToDefault(y.pos).x), int(rvTest::ProjectToDefault(y.pos).y));
    EXPECT_LT(centre.r, 100);
    // The green circle is green.
    const RGBA green =
        rvTest::Brightest(shot, rvTest::ProjectToDefault(rings[1].pos + glm::vec3(rings[1].radius, 0, 0)), 2);
    EXPECT_GT(green.g, 150);
    EXPECT_GT(green.g, green.r);

    // A quarter of the height up, far from the circles, the three grids share a line: fine and
    // medium 10 % white, then coarse 40 % white over the background.
    float g = 0.06f;
    for (float a : {0.1f, 0.1f, 0.4f})
        g += (1.0f - g) * a;
    const RGBA line = shot.Pixel(20, kH / 4);
    EXPECT_NEAR(line.g, g * 255.0f, 6);
    const RGBA cell = shot.Pixel(20 + 5, kH / 4 + 5);
    EXPECT_LT(cell.g, line.g);
}
