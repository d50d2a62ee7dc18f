// The vector display's geometry collection, without a GL context.
#include "vector_display/vector_display.h"
#include "RenderHelpers.h"
#include "vector_display/vector_font_simplex.h"
#include "TestSupport.h"
#include "rvMath.h"

#include <gtest/gtest.h>
#include <imgui.h>

#include <cmath>
#include <limits>
#include <vector>

namespace
{
class VectorDisplayGeometry : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(vector_display_create(&_vd, 640, 480), 0); }
    void TearDown() override { vector_display_destroy(_vd); }

    const vector_display_point& P(int i) const { return _vd->points[i]; }
    std::vector<int> Flags() const
    {
        std::vector<int> f;
        for (int i = 0; i < _vd->npoints; ++i)
            f.push_back(_vd->points[i].flags);
        return f;
    }

    vector_display* _vd = nullptr;
};

const int S = PTF_LINE_STRIPSTART, E = PTF_LINE_STRIPEND, D = PTF_TRIANGLE_DISCARDLINE;
} // namespace

TEST_F(VectorDisplayGeometry, CreateGivesDefaultsAndNoGLObjects)
{
    EXPECT_EQ(_vd->width, 640.f);
    EXPECT_EQ(_vd->height, 480.f);
    EXPECT_FLOAT_EQ(_vd->glow_width, 640.f / 3.f);
    EXPECT_EQ(_vd->glow_height, 160.f);
    EXPECT_EQ(_vd->points_capacity, 60);
    EXPECT_EQ(_vd->triangles_capacity, 60);
    EXPECT_EQ(_vd->quadmaps_capacity, 60);
    EXPECT_EQ(_vd->resize_count, -1);
    EXPECT_EQ(_vd->buffers.resize_count, -1);
    EXPECT_EQ(_vd->buffers.mvp_step[31], glm::mat4(1.f));
    EXPECT_EQ(_vd->buffers.bufferspoints[0], 0u);
    EXPECT_EQ(_vd->setup_done, 0);

    const vector_display_settings& s = _vd->settings;
    EXPECT_EQ(s.decay_steps, 10.f);
    EXPECT_EQ(s.decay_final, 0.2f);
    EXPECT_EQ(s.decay_initial, 0.2f);
    EXPECT_FALSE(s.decay_camera);
    EXPECT_EQ(s.thickness_min, 0.1f);
    EXPECT_EQ(s.thickness_max, 2.f);
    EXPECT_EQ(s.thickness_factor, 1.f);
    EXPECT_EQ(s.thickness, 0.5f);
    EXPECT_EQ(s.color_intensity, 1.f);
    EXPECT_EQ(s.color_brightness, 1.f);
    EXPECT_EQ(s.color[3], 1.f);
    EXPECT_EQ(s.fog_zmin, 500.f);
    EXPECT_EQ(s.fog_zmax, 1000.f);
    EXPECT_EQ(s.fog_power, 3.f);
    EXPECT_TRUE(s.triangle_culling);
    EXPECT_EQ(s.import_color, 0);
    EXPECT_EQ(s.import_depth, 0);
    EXPECT_EQ(s.export_color, 1);
    EXPECT_EQ(s.export_depth, 0);

    // The direct-access names alias the settings.
    _vd->current_thickness = 3.f;
    _vd->current_rgba[1] = 0.25f;
    EXPECT_EQ(s.thickness, 3.f);
    EXPECT_EQ(s.color[1], 0.25f);

    vector_display_point p;
    EXPECT_EQ(p.r + p.g + p.b, 3.f);
    EXPECT_EQ(p.flags, 0);
    EXPECT_EQ(p.thickness, 0.5f);
}

TEST_F(VectorDisplayGeometry, StripsCarryAdjacencyPointsAndCurrentState)
{
    vector_display_set_rgb(_vd, 0.5f, 0.25f, 1.f);
    _vd->settings.thickness = 2.f;
    vector_display_strip_begin(_vd, 1, 2, 3);
    vector_display_strip_to(_vd, 4, 5, 6);
    vector_display_strip_to(_vd, 7, 8, 9);
    vector_display_strip_end(_vd);
    EXPECT_EQ(_vd->npoints, 5);
    EXPECT_EQ(_vd->nlines, 2);
    EXPECT_EQ(_vd->ndots, 0);
    EXPECT_EQ(_vd->npoints_strip, 0);
    EXPECT_EQ(Flags(), (std::vector<int>{S, 0, 0, 0, E}));
    EXPECT_EQ(P(0).x, 1.f); // START copies p0
    EXPECT_EQ(P(4).z, 9.f); // END copies the last point
    for (int i = 0; i < 5; ++i)
    {
        EXPECT_EQ(P(i).r, 0.5f);
        EXPECT_EQ(P(i).g, 0.25f);
        EXPECT_EQ(P(i).thickness, 2.f);
    }

    // A strip of one point is a dot: START, p, END, END.
    vector_display_strip_begin(_vd, 10, 11, 0);
    vector_display_strip_end(_vd);
    EXPECT_EQ(_vd->npoints, 9);
    EXPECT_EQ(_vd->ndots, 1);
    EXPECT_EQ(_vd->nlines, 2);
    std::vector<int> flags = Flags();
    EXPECT_EQ(std::vector<int>(flags.begin() + 5, flags.end()), (std::vector<int>{S, 0, E, E}));
}

TEST_F(VectorDisplayGeometry, LineWindowsAreTheSegmentsInOrderAndNothingAcrossStrips)
{
    // A dot, a strip of two segments, a line and a dot: 17 points, 14 windows along the run of
    // points, five of which draw: the two dots, the strip's two segments and the line.
    const vector_display_point a(1, 0, 0, 1, 1, 1), b(2, 0, 0, 1, 1, 1), c(9, 0, 0, 1, 1, 1);
    vector_display_add_dot(_vd, &a);
    vector_display_strip_begin(_vd, 3, 0, 0);
    vector_display_strip_to(_vd, 4, 0, 0);
    vector_display_strip_to(_vd, 5, 0, 0);
    vector_display_strip_end(_vd);
    vector_display_add_line(_vd, &a, &b);
    vector_display_add_dot(_vd, &c);
    ASSERT_EQ(_vd->npoints, 17);

    std::vector<unsigned> windows{99}; // appended to
    vector_display_line_windows(_vd->points, _vd->npoints, windows);
    ASSERT_EQ(windows.size(), 1u + 4u * 5u);
    // The segment of each window is its middle pair: drawn in the order the geometry came.
    const std::vector<std::pair<float, float>> expected{{1, 1}, {3, 4}, {4, 5}, {1, 2}, {9, 9}};
    for (size_t w = 0; w < expected.size(); ++w)
    {
        const unsigned* i = &windows[1 + 4 * w];
        EXPECT_EQ(i[1], i[0] + 1);
        EXPECT_EQ(i[2], i[0] + 2);
        EXPECT_EQ(i[3], i[0] + 3);
        EXPECT_EQ(std::make_pair(P(int(i[1])).x, P(int(i[2])).x), expected[w]) << "window " << w;
    }
    // Fewer than four points make no window.
    windows.clear();
    vector_display_line_windows(_vd->points, 3, windows);
    EXPECT_TRUE(windows.empty());
}

TEST_F(VectorDisplayGeometry, DotsAndLinesKeepTheirOwnPointState)
{
    vector_display_point a(1, 2, 3, 0.1f, 0.2f, 0.3f, 0, 4.f);
    vector_display_point b(5, 6, 7, 0.4f, 0.5f, 0.6f, 0, 1.f);
    vector_display_add_dot(_vd, &a);
    vector_display_add_line(_vd, &a, &b);
    EXPECT_EQ(Flags(), (std::vector<int>{S, 0, E, E, S, 0, 0, E}));
    EXPECT_EQ(_vd->ndots, 1);
    EXPECT_EQ(_vd->nlines, 1);
    EXPECT_EQ(P(3).thickness, 4.f);
    EXPECT_EQ(P(5).x, 1.f);
    EXPECT_EQ(P(6).x, 5.f);
    EXPECT_EQ(P(7).b, 0.6f);
}

TEST_F(VectorDisplayGeometry, TrianglesQuadsCubesAndFansFlagTheirInnerEdges)
{
    vector_display_set_rgb(_vd, 0.f, 1.f, 0.f);
    glm::vec3 p0(0, 0, 0), p1(1, 0, 0), p2(0, 1, 0);
    EXPECT_EQ(vector_display_add_triangle(_vd, &p0, &p1, &p2), 0);
    ASSERT_EQ(_vd->ntriangles, 1);
    for (const vector_display_point& v : _vd->triangles[0].p)
    {
        EXPECT_EQ(v.flags, 0);
        EXPECT_EQ(v.g, 1.f);
        EXPECT_EQ(v.r, 0.f);
        EXPECT_EQ(v.thickness, 0.5f);
    }
    EXPECT_EQ(_vd->triangles[0].p[1].x, 1.f);

    // Quad a, b, c, d: (a, b, c) and (c, d, a), the diagonal c-a not outlined.
    vector_display_point q[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    vector_display_add_quad(_vd, &q[0], &q[1], &q[2], &q[3]);
    ASSERT_EQ(_vd->ntriangles, 3);
    const vector_display_triangle* t = &_vd->triangles[1];
    EXPECT_EQ(t[0].p[0].x + t[0].p[1].x + t[0].p[2].x, 2.f);
    EXPECT_EQ(t[0].p[2].flags, D);
    EXPECT_EQ(t[0].p[0].flags | t[0].p[1].flags, 0);
    EXPECT_EQ(t[1].p[0].y, 1.f); // c
    EXPECT_EQ(t[1].p[2].flags, D);
    EXPECT_EQ(t[1].p[0].flags | t[1].p[1].flags, 0);

    vector_display_add_cube(_vd);
    EXPECT_EQ(_vd->ntriangles, 15);

    // Fans: a count below 3 adds nothing; 4 indices give 2 triangles with only the
    // polygon's boundary outlined.
    vector_display_point poly[5] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {-1, 1, 0}};
    unsigned idx[5] = {0, 1, 2, 3, 4};
    _vd->ntriangles = 0;
    vector_display_add_fan(_vd, poly, idx, 2);
    EXPECT_EQ(_vd->ntriangles, 0);
    vector_display_add_fan(_vd, poly, idx, 4);
    ASSERT_EQ(_vd->ntriangles, 2);
    EXPECT_EQ(_vd->triangles[0].p[0].flags, 0);
    EXPECT_EQ(_vd->triangles[0].p[2].flags, D);
    EXPECT_EQ(_vd->triangles[1].p[0].flags, D);
    EXPECT_EQ(_vd->triangles[1].p[2].flags, 0);
    vector_display_add_fan(_vd, poly, idx, 5);
    ASSERT_EQ(_vd->ntriangles, 5);
    EXPECT_EQ(_vd->triangles[3].p[0].flags, D); // middle triangle: both inner edges
    EXPECT_EQ(_vd->triangles[3].p[2].flags, D);
    EXPECT_EQ(_vd->triangles[3].p[1].x, 1.f);
}

TEST_F(VectorDisplayGeometry, MappedQuadRepeatsCornersAndKeepsTexture)
{
    vector_display_point q[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    q[1].flags = PTF_TEXTURE_MAPPING | (255 << 24);
    vector_display_add_mapped_quad(_vd, &q[0], &q[1], &q[2], &q[3], 42u);
    ASSERT_EQ(_vd->nquadmaps, 1);
    const vector_display_quadmap& m = _vd->quadmaps[0];
    EXPECT_EQ(m.texture, 42u);
    const float xs[6] = {0, 1, 1, 1, 0, 0}, ys[6] = {0, 0, 1, 1, 1, 0};
    for (int i = 0; i < 6; ++i)
    {
        EXPECT_EQ(m.points[i].x, xs[i]) << i;
        EXPECT_EQ(m.points[i].y, ys[i]) << i;
    }
    EXPECT_EQ(m.points[1].flags, PTF_TEXTURE_MAPPING | (255 << 24));
    EXPECT_EQ(m.points[2].flags, D);
    EXPECT_EQ(m.points[3].flags, 0);
    EXPECT_EQ(m.points[5].flags, D);
}

TEST_F(VectorDisplayGeometry, CircleClosesAndRectReturnsToItsStart)
{
    EXPECT_EQ(vector_display_draw_circle(_vd, 10, 20, 5, 2, 4), 0);
    auto strips = rvTest::Strips(_vd);
    ASSERT_EQ(strips.size(), 1u);
    ASSERT_EQ(strips[0].size(), 5u);
    EXPECT_EQ(strips[0][0], glm::vec2(10, 18));
    EXPECT_NEAR(strips[0][1].x, 12.f, 1e-5);
    EXPECT_NEAR(strips[0][1].y, 20.f, 1e-5);
    EXPECT_NEAR(strips[0][4].x, 10.f, 1e-5);
    EXPECT_NEAR(strips[0][4].y, 18.f, 1e-5);
    EXPECT_EQ(P(1).z, 5.f);

    // More segments: n + 1 points; a non-positive count adds nothing (it would never close).
    _vd->npoints = 0;
    vector_display_draw_circle(_vd, 0, 0, 0, 1, 64);
    EXPECT_EQ(rvTest::Strips(_vd)[0].size(), 65u);
    _vd->npoints = 0;
    vector_display_draw_circle(_vd, 0, 0, 0, 1, 0);
    vector_display_draw_circle(_vd, 0, 0, 0, 1, -3);
    EXPECT_EQ(_vd->npoints, 0);

    vector_display_draw_rect(_vd, 1, 2, 3, 4);
    strips = rvTest::Strips(_vd);
    ASSERT_EQ(strips.size(), 1u);
    EXPECT_EQ(strips[0], (std::vector<glm::vec2>{{1, 2}, {4, 2}, {4, 6}, {1, 6}, {1, 2}}));
    for (int i = 0; i < _vd->npoints; ++i)
        EXPECT_EQ(P(i).z, 0.f);
}

TEST(VectorFontSimplex, TableHoldsTheHersheyGlyphs)
{
    const vector_font_glyph* a = vector_font_simplex_glyph('A');
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->count, 8);
    EXPECT_EQ(a->advance, 18);
    const int pa[16] = {9, 21, 1, 0, -1, -1, 9, 21, 17, 0, -1, -1, 4, 7, 14, 7};
    EXPECT_EQ(std::vector<int>(a->points, a->points + 16), std::vector<int>(pa, pa + 16));

    const vector_font_glyph* one = vector_font_simplex_glyph('1');
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->count, 4);
    EXPECT_EQ(one->advance, 20);
    const int p1[8] = {6, 17, 8, 18, 11, 21, 11, 0};
    EXPECT_EQ(std::vector<int>(one->points, one->points + 8), std::vector<int>(p1, p1 + 8));

    EXPECT_EQ(vector_font_simplex_glyph(' ')->count, 0);
    EXPECT_EQ(vector_font_simplex_glyph(31), nullptr);
    EXPECT_EQ(vector_font_simplex_glyph(127), nullptr);
    for (int c = 32; c <= 126; ++c)
    {
        const vector_font_glyph* g = vector_font_simplex_glyph(c);
        EXPECT_LE(g->count, VECTOR_FONT_SIMPLEX_MAX_VERTICES) << c;
        EXPECT_GT(g->advance, 0) << c;
    }
}

TEST_F(VectorDisplayGeometry, StringDrawsGlyphStrokesAndMovesThePen)
{
    vector_display_draw_string(_vd, 0, 0, "A", 1.f);
    auto strips = rvTest::Strips(_vd);
    ASSERT_EQ(strips.size(), 3u);
    for (auto& s : strips)
        EXPECT_EQ(s.size(), 2u);
    EXPECT_EQ(strips[0], (std::vector<glm::vec2>{{9, 21}, {1, 0}}));
    EXPECT_EQ(strips[2], (std::vector<glm::vec2>{{4, 7}, {14, 7}}));
    EXPECT_EQ(_vd->nlines, 3);

    // The pen advances by 18 units times the scale; unknown bytes are skipped without
    // advance; a newline returns to x and goes 35 units down; a tab goes to the next
    // multiple of 40 units.
    struct Case
    {
        const char* text;
        float scale;
        glm::vec2 firstOfLastGlyph;
    } cases[] = {
        {"AA", 1.f, {18 + 9, 21}},
        {"A\x01"
         "A",
         2.f,
         {36 + 18, 42}},
        {"A\nA", 1.f, {9, 21 - 35}},
        {"A\tA", 1.f, {40 + 9, 21}},
        {"\tA", 0.5f, {20 + 4.5f, 10.5f}},
    };
    for (const Case& c : cases)
    {
        _vd->npoints = 0;
        vector_display_draw_string(_vd, 0, 0, c.text, c.scale);
        strips = rvTest::Strips(_vd);
        ASSERT_GE(strips.size(), 3u) << c.text;
        EXPECT_EQ(strips[strips.size() - 3][0], c.firstOfLastGlyph) << c.text;
    }

    // The pen starts at x.
    _vd->npoints = 0;
    vector_display_draw_string(_vd, 5, 0, "1", 1.f);
    strips = rvTest::Strips(_vd);
    ASSERT_EQ(strips.size(), 1u);
    EXPECT_EQ(strips[0].front(), glm::vec2(11, 17));
    EXPECT_EQ(strips[0].back(), glm::vec2(16, 0));
}

TEST_F(VectorDisplayGeometry, ArraysGrowByDoublingAndKeepTheirContent)
{
    vector_display_strip_begin(_vd, 0, 0, 0);
    for (int i = 1; i < 200; ++i)
        vector_display_strip_to(_vd, float(i), 0, 0);
    EXPECT_EQ(_vd->points_capacity, 240);
    EXPECT_EQ(_vd->npoints, 201);
    for (int i = 1; i < 201; ++i)
        EXPECT_EQ(P(i).x, float(i - 1));

    glm::vec3 p(0.f);
    for (int i = 0; i < 61; ++i)
        vector_display_add_triangle(_vd, &p, &p, &p);
    EXPECT_EQ(_vd->triangles_capacity, 120);
    vector_display_point q;
    for (int i = 0; i < 130; ++i)
        vector_display_add_mapped_quad(_vd, &q, &q, &q, &q, unsigned(i));
    EXPECT_EQ(_vd->quadmaps_capacity, 240);
    EXPECT_EQ(_vd->quadmaps[0].texture, 0u);
    EXPECT_EQ(_vd->quadmaps[129].texture, 129u);
}

TEST_F(VectorDisplayGeometry, PendingPrimitivesAreBounded)
{
    // What piles up while flushes are skipped: the oldest half goes, whole strips at a time.
    const int lines = VECTOR_DISPLAY_MAX_PENDING_POINTS / 4 + 10;
    vector_display_point a(0, 0, 0), b(1, 0, 0);
    for (int i = 0; i < lines; ++i)
    {
        a.x = float(i);
        vector_display_add_line(_vd, &a, &b);
    }
    vector_display_add_dot(_vd, &b);
    vector_display_strip_begin(_vd, 7, 7, 7); // still open
    vector_display_strip_to(_vd, 8, 8, 8);
    vector_display_bound_pending(_vd);
    EXPECT_LE(_vd->npoints, VECTOR_DISPLAY_MAX_PENDING_POINTS / 2);
    EXPECT_GT(_vd->npoints, VECTOR_DISPLAY_MAX_PENDING_POINTS / 2 - 8);
    EXPECT_EQ(P(0).flags, S);
    EXPECT_EQ(_vd->points[_vd->npoints - 1].x, 8.f); // the newest points survive
    EXPECT_EQ(_vd->ndots, 1);
    int keptLines = (_vd->npoints - 4 - 3) / 4;
    EXPECT_EQ(_vd->nlines, keptLines + 1); // the open strip holds one segment
    EXPECT_EQ(P(1).x, float(lines - keptLines));
    vector_display_strip_end(_vd);

    // Below the bounds nothing changes.
    int before = _vd->npoints;
    vector_display_bound_pending(_vd);
    EXPECT_EQ(_vd->npoints, before);
}

TEST(VectorDisplayDecay, StepAlphaSchedule)
{
    vector_display_settings s;
    vector_display_settings_defaults(&s);
    const float expected[10] = {1.f, 0.2f, 0.18f, 0.16f, 0.14f, 0.12f, 0.10f, 0.08f, 0.06f, 0.04f};
    for (int a = 0; a < 10; ++a)
        EXPECT_NEAR(vector_display_step_alpha(&s, a), expected[a], 1e-6) << a;

    s.decay_steps = 2.f; // age 1 keeps the initial alpha
    EXPECT_FLOAT_EQ(vector_display_step_alpha(&s, 1), 0.2f);
    s.decay_steps = 10.f;
    s.decay_final = 2.f; // grows with age
    EXPECT_GT(vector_display_step_alpha(&s, 9), vector_display_step_alpha(&s, 1));
    s.decay_final = -1.f; // older steps reach 0 and vanish
    EXPECT_LE(vector_display_step_alpha(&s, 9), 0.f);
}

// A colour computed from stored or driven values reaches the display as any float: each
// channel is held to 0..1, not a number giving black, and the points that follow carry it.
TEST_F(VectorDisplayGeometry, ColourOfAnyFloatIsHeldToTheUnitRange)
{
    const float inf = std::numeric_limits<float>::infinity(), nan = std::nanf("");
    const struct
    {
        float in, out;
    } cases[] = {{0.25f, 0.25f}, {1.f, 1.f}, {1.01f, 1.f}, {-0.5f, 0.f}, {1e30f, 1.f},
                 {-1e30f, 0.f},  {inf, 1.f},  {-inf, 0.f},  {nan, 0.f}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(vector_display_set_rgb(_vd, c.in, 0.5f, 0.5f), 0);
        EXPECT_EQ(vector_display_set_rgb(_vd, glm::vec3(0.5f, c.in, c.in)), 0);
        vector_display_strip_begin(_vd, 0, 0, 0);
        vector_display_strip_end(_vd);
        vector_display_set_rgb(_vd, c.in, 0.5f, c.in);
        const vector_display_point& p = P(_vd->npoints - 1);
        EXPECT_EQ(p.g, c.out) << c.in; // the vector form, 'g' and 'b' as given
        EXPECT_EQ(_vd->settings.color[0], c.out) << c.in;
        EXPECT_EQ(_vd->settings.color[1], 0.5f);
        EXPECT_EQ(_vd->settings.color[2], c.out) << c.in;
        EXPECT_EQ(_vd->settings.color[3], 1.f);
    }
}

using VectorDisplayGeometryDeathTest = VectorDisplayGeometry;

TEST_F(VectorDisplayGeometryDeathTest, MisusedStripsAssert)
{
    EXPECT_DEATH(vector_display_strip_to(_vd, 0, 0, 0), "npoints_strip >= 2");
    EXPECT_DEATH(vector_display_strip_end(_vd), "npoints_strip >= 2");
    vector_display_strip_begin(_vd, 0, 0, 0);
    vector_display_point p;
    EXPECT_DEATH(vector_display_add_dot(_vd, &p), "npoints_strip == 0");
    EXPECT_DEATH(vector_display_strip_begin(_vd, 0, 0, 0), "npoints_strip == 0");
}

TEST(VectorDisplayTransform, PointGoesThroughTheMatrixWithoutPerspectiveDivision)
{
    glm::vec3 in(2.f, 0.f, 5.f), out(0.f);
    EXPECT_EQ(*vector_display_transform_point(&out, nullptr, &in), in);

    rvTransform2D t;
    t._fRotation = 90.f;
    t._vScale = glm::vec2(2.f, 1.f);
    t._vPosition = glm::vec2(10.f, 0.f);
    t._vPivot = glm::vec2(1.f, 0.f);
    t.Update();
    vector_display_transform_point(&out, &t, &in);
    EXPECT_NEAR(out.x, 10.f, 1e-5);
    EXPECT_NEAR(out.y, 2.f, 1e-5);
    EXPECT_NEAR(out.z, 5.f, 1e-5);

    rvTransform m; // a w row that is not (0, 0, 0, 1) is ignored
    m._mMatrix[0][3] = 7.f;
    m._mMatrix[3] = glm::vec4(1.f, 2.f, 3.f, 9.f);
    const glm::vec3 ones(1.f, 1.f, 1.f);
    EXPECT_EQ(*vector_display_transform_point(&out, &m, &ones), glm::vec3(2.f, 3.f, 4.f));
}

TEST_F(VectorDisplayGeometry, SettingsPanelResetsEverySettingToItsDefault)
{
    rvTest::ImGuiHeadless imgui;
    vector_display_settings& s = _vd->settings;
    s.decay_steps = 3.f;
    s.fog_zmax = 20.f;
    s.thickness = 4.f;
    s.color[0] = 0.1f;
    s.import_color = 1;
    s.import_depth = 1;
    s.export_color = 0;
    s.export_depth = 1;
    s.triangle_culling = false;
    ImVec2 lo, hi;
    auto frame = [&](bool down, ImVec2 mouse)
    {
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = mouse;
        io.MouseDown[0] = down;
        imgui.NewFrame();
        ImGui::SetNextWindowPos(ImVec2(0.f, 0.f));
        ImGui::SetNextWindowSize(ImVec2(600.f, 700.f));
        ImGui::Begin("Global config");
        vector_display_settings_panel(_vd);
        lo = ImGui::GetItemRectMin(); // the last item: "Reset to default"
        hi = ImGui::GetItemRectMax();
        ImGui::End();
        imgui.EndFrame();
    };
    frame(false, ImVec2(-1.f, -1.f));
    EXPECT_EQ(s.decay_steps, 3.f); // drawing changes nothing
    ImVec2 c((lo.x + hi.x) * 0.5f, (lo.y + hi.y) * 0.5f);
    frame(false, c);
    frame(true, c);
    frame(false, c);

    vector_display_settings d;
    vector_display_settings_defaults(&d);
    EXPECT_EQ(s.decay_steps, d.decay_steps);
    EXPECT_EQ(s.fog_zmax, d.fog_zmax);
    EXPECT_EQ(s.thickness, 0.5f);
    EXPECT_EQ(s.color[0], 1.f);
    EXPECT_EQ(s.import_color, 0);
    EXPECT_EQ(s.import_depth, 0);
    EXPECT_EQ(s.export_color, 1);
    EXPECT_EQ(s.export_depth, 0);
    EXPECT_TRUE(s.triangle_culling);
}
