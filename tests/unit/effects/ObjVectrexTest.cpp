// The console and cartridge models on a vector display without a window: mapped quads, their
// texture coordinates and mirroring, and the outlined faces.
#include "rvSceneDisplay.h"
#include "effects/fxObjVectrex/fxObjVectrex.h"
#include "effects/fxObjVectrexCard/fxObjVectrexCard.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
int U(const vector_display_point& p)
{
    return int((unsigned(p.flags) >> 24) & 255u);
}
int V(const vector_display_point& p)
{
    return int((unsigned(p.flags) >> 16) & 255u);
}

class ObjVectrexTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(vector_display_create(&_vd, 640, 480), 0);
        rvSceneDisplay::_pCurrentDisplay = _vd;
    }
    void TearDown() override
    {
        rvSceneDisplay::_pCurrentDisplay = nullptr;
        vector_display_destroy(_vd);
    }
    vector_display* _vd = nullptr;
};
} // namespace

// The body front (points 0, 1, 2, 3: x -500 and 500, y 200 and 1200) mapped with the front rectangle (2, 249, 253, 78): a takes (uB, vB), b (uA, vB),
// c (uA, vA), d (uB, vA); each mirror swaps its coordinate. The display gets a, d, c, b.
TEST_F(ObjVectrexTest, MappedQuadsCarryTheirCoordinatesAndMirrorBothWays)
{
    std::unique_ptr<fxObjVectrex> fx(static_cast<fxObjVectrex*>(fxObjVectrex::Create(fxObjVectrex::RegisterAttributes())));
    fx->_bTextured = false;
    fx->Init();
    struct Case
    {
        bool bMirrorU, bMirrorV;
        int a[2], b[2], c[2], d[2];
    };
    const Case cases[] = {
        {false, false, {253, 78}, {2, 78}, {2, 249}, {253, 249}},
        {true, false, {2, 78}, {253, 78}, {253, 249}, {2, 249}},
        {false, true, {253, 249}, {2, 249}, {2, 78}, {253, 78}},
        {true, true, {2, 249}, {253, 249}, {253, 78}, {2, 78}},
    };
    for (const Case& c : cases)
    {
        _vd->nquadmaps = 0;
        fx->_bMirrorU = c.bMirrorU;
        fx->_bMirrorV = c.bMirrorV;
        fx->MapQuad(_vd, 0, 1, 2, 3, fx->_uvFront, 7u, 0);
        ASSERT_EQ(_vd->nquadmaps, 1);
        const vector_display_quadmap& q = _vd->quadmaps[0];
        EXPECT_EQ(q.texture, 7u);
        // Triangles (a, d, c) and (c, b, a).
        const vector_display_point& a = q.points[0];
        const vector_display_point& d = q.points[1];
        const vector_display_point& cc = q.points[2];
        const vector_display_point& b = q.points[4];
        EXPECT_EQ(a.x, fx->_aPoints[0].x);
        EXPECT_EQ(d.x, fx->_aPoints[3].x);
        EXPECT_EQ(b.x, fx->_aPoints[1].x);
        for (const auto& [p, want] : {std::pair<const vector_display_point*, const int*>{&a, c.a}, {&b, c.b},
                                      {&cc, c.c}, {&d, c.d}})
        {
            EXPECT_TRUE(p->flags & PTF_TEXTURE_MAPPING);
            EXPECT_EQ(U(*p), want[0]) << c.bMirrorU << c.bMirrorV;
            EXPECT_EQ(V(*p), want[1]) << c.bMirrorU << c.bMirrorV;
        }
    }
    // The model's own points keep their flags.
    EXPECT_EQ(fx->_aPoints[0].flags, 0);
}

TEST_F(ObjVectrexTest, ScreenRectangleFromItsCornersIsUprightAndBounded)
{
    std::unique_ptr<fxObjVectrex> fx(static_cast<fxObjVectrex*>(fxObjVectrex::Create(fxObjVectrex::RegisterAttributes())));
    fx->_bTextured = false;
    struct Case
    {
        glm::vec2 i, f;
        int uv[4];
    };
    const Case cases[] = {{{0.0f, 0.0f}, {1.0f, 1.0f}, {0, 255, 255, 0}},
                          {{0.25f, 0.5f}, {0.75f, 1.0f}, {63, 128, 191, 0}},
                          {{-3.0f, NAN}, {7.0f, 1e30f}, {0, 255, 255, 0}}}; // out of range: clamped
    for (const Case& c : cases)
    {
        fx->_vScreenUVi = c.i;
        fx->_vScreenUVf = c.f;
        fx->Init();
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(fx->_uvScreen[k], c.uv[k]) << k;
    }
}

TEST_F(ObjVectrexTest, UntexturedModelsAreOutlinedFaces)
{
    std::unique_ptr<fxObjVectrex> console(
        static_cast<fxObjVectrex*>(fxObjVectrex::Create(fxObjVectrex::RegisterAttributes())));
    console->_bTextured = false;
    console->Render(); // before Init: nothing to draw
    EXPECT_EQ(_vd->ntriangles, 0);
    console->Init();
    console->Render();
    // 15 polygons as fans (n points give n - 2 triangles: two of five points, thirteen of four)
    // and the two fronts as quads.
    EXPECT_EQ(_vd->ntriangles, 2 * 3 + 13 * 2 + 2 * 2);
    EXPECT_EQ(_vd->nquadmaps, 0);
    // The transform (scale 0.01) places vertex 2 (500, 1200, -500).
    EXPECT_FLOAT_EQ(console->_aPoints[2].x, 5.0f);
    EXPECT_FLOAT_EQ(console->_aPoints[2].y, 12.0f);

    _vd->ntriangles = 0;
    std::unique_ptr<fxObjVectrexCard> card(
        static_cast<fxObjVectrexCard*>(fxObjVectrexCard::Create(fxObjVectrexCard::RegisterAttributes())));
    card->_bTextured = false;
    card->_vColor = glm::vec3(0.5f, 1.0f, 0.25f);
    card->Init();
    card->_vColor = glm::vec3(1.0f); // taken at Init only
    card->Render();
    EXPECT_EQ(_vd->ntriangles, 28);
    EXPECT_EQ(_vd->nquadmaps, 0);
    EXPECT_EQ(_vd->triangles[0].p[0].g, 1.0f);
    EXPECT_EQ(_vd->triangles[0].p[0].r, 0.5f);
    // Diagonals are not outlined: the closing vertex of each triangle discards its edge.
    EXPECT_TRUE(_vd->triangles[0].p[2].flags & PTF_TRIANGLE_DISCARDLINE);
}
