// The metaballs on a vector display that only collects geometry: the blobs made from the seed,
// the traced outline of a pair, groups joining and merging, lone blobs, and the degenerate
// settings that must not divide by zero.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "CollectingDisplayTest.h"
#include "effects/fxMetaBallSystem/fxMetaBallSystem.h"

namespace
{
using MetaPtr = rvTest::EffectPtr<fxMetaBallSystem>;

class MetaBallTest : public rvTest::CollectingDisplayTest
{
protected:
    static MetaPtr NewMeta()
    {
        MetaPtr m = rvTest::NewStoppedOnDelete<fxMetaBallSystem>();
        m->_fFadeIn = m->_fFadeOut = 0.0f;
        return m;
    }
    static fxMetaBallSystem::Ball Circle(float x, float y, float r)
    {
        fxMetaBallSystem::Ball b;
        b._vPos = glm::vec2(x, y);
        b._fSize = r;
        return b;
    }
};
} // namespace

TEST_F(MetaBallTest, RegistersItsAttributesAndMakesEightBlobsFromTheSeed)
{
    fxDescriptor* d = fxMetaBallSystem::RegisterAttributes();
    EXPECT_EQ(rvTest::TheFactory()->FindDescriptor("fxMetaBallSystem"), d);
    const std::pair<const char*, int> rows[] = {
        {"Union Distance", TYPE_FLOAT}, {"Outline Distance", TYPE_FLOAT}, {"Subdiv", TYPE_INT},
        {"Color", TYPE_COLOR4},         {"RandomSeed", TYPE_INT},         {"TimeSeek", TYPE_FLOAT}};
    ASSERT_EQ(d->_apAttribs.size(), 6u);
    for (size_t i = 0; i < 6; ++i)
    {
        EXPECT_EQ(d->_apAttribs[i]->_sName, rows[i].first);
        EXPECT_EQ(d->_apAttribs[i]->_eType, rows[i].second);
    }
    EXPECT_FLOAT_EQ(d->_apAttribs[0]->_pRange->_min.f, 0.01f);
    EXPECT_EQ(d->_apAttribs[2]->_pRange->_max.i, 256);

    MetaPtr m = NewMeta();
    EXPECT_FLOAT_EQ(m->_fUnionDistance, 10.0f);
    EXPECT_FLOAT_EQ(m->_fOutlineDistance, 2.0f);
    EXPECT_EQ(m->_nSubdiv, 128);
    m->SetState(State_DemoStarted);
    ASSERT_EQ(m->_aBalls.size(), 8u);
    // Seed 0 draws 0.9018016, 0.3227624, 0.9281255 first (see the swarm's generator test): the
    // box takes the first two, the first circle's size the third.
    EXPECT_EQ(m->_aBalls[0]._eShape, fxMetaBallSystem::SHAPE_BOX);
    EXPECT_NEAR(m->_aBalls[0]._vPos.x, 0.3227624f * 140.0f - 70.0f, 1e-4f);
    EXPECT_NEAR(m->_aBalls[0]._vPos.y, 0.9018016f * 100.0f - 50.0f, 1e-4f);
    EXPECT_NEAR(m->_aBalls[0]._fSize * m->_aBalls[0]._vExtent.x, 7.0710678f, 1e-4f);
    EXPECT_EQ(m->_aBalls[1]._eShape, fxMetaBallSystem::SHAPE_CIRCLE);
    EXPECT_NEAR(m->_aBalls[1]._fSize, 0.9281255f * 6.0f + 7.0f, 1e-4f);
    for (const fxMetaBallSystem::Ball& b : m->_aBalls)
        if (b._eShape == fxMetaBallSystem::SHAPE_CIRCLE)
        {
            EXPECT_GE(b._fSize, 7.0f);
            EXPECT_LT(b._fSize, 13.0f);
        }
}

TEST_F(MetaBallTest, TwoBallsApartDrawTwoOutlinesCloseTogetherOneMergedOutline)
{
    MetaPtr m = NewMeta();
    // Apart: the gap 40 - 20 exceeds half the union distance; each is a lone circle.
    m->_aBalls = {Circle(-20, 0, 10), Circle(20, 0, 10)};
    m->BuildGroups();
    EXPECT_EQ(m->_aBalls[0]._nGroup, -1);
    EXPECT_EQ(m->_aBalls[1]._nGroup, -1);
    EXPECT_TRUE(m->_apGroups.empty());

    // Close: gap 2; the traced pair is one path around both, merged into one outline.
    m->_aBalls = {Circle(-11, 0, 10), Circle(11, 0, 10)};
    m->BuildGroups();
    ASSERT_EQ(m->_apGroups.size(), 1u);
    ClipperLib::Clipper c;
    const rvClipper::Paths merged = rvClipper::Union(c, m->_apGroups[0]);
    ASSERT_EQ(merged.size(), 1u);
    ClipperLib::cInt minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (const rvClipper::Point& p : merged[0])
    {
        minX = std::min(minX, p.X), maxX = std::max(maxX, p.X);
        minY = std::min(minY, p.Y), maxY = std::max(maxY, p.Y);
    }
    // Spans both circles (x from -21 to 21) and is pinched in the middle but bridged (the smooth
    // union of radius 10 fills the gap).
    EXPECT_NEAR(minX / 100.0, -21.0, 0.3);
    EXPECT_NEAR(maxX / 100.0, 21.0, 0.3);
    EXPECT_NEAR(maxY / 100.0, 10.0, 0.5);
    // The outline crosses x = 0 at a height between 0 and the radius: one bridge, not two circles.
    double bridge = 0.0;
    for (size_t i = 0; i < merged[0].size(); ++i)
    {
        const rvClipper::Point& a = merged[0][i];
        const rvClipper::Point& b = merged[0][(i + 1) % merged[0].size()];
        if ((a.X <= 0) != (b.X <= 0) && a.Y > 0) bridge = std::max(bridge, double(a.Y) / 100.0);
    }
    EXPECT_GT(bridge, 3.0);
    EXPECT_LT(bridge, 10.0);
    // Drawn: one closed strip for the merged outline.
    _pDisplay->npoints = 0;
    m->DrawPaths(merged);
    EXPECT_EQ(Strips(), 1);
}

TEST_F(MetaBallTest, PairsLinkingTwoGroupsMergeThemAndLoneBallsDrawPlainShapes)
{
    MetaPtr m = NewMeta();
    // In pair order, (0,2) and (1,3) make two groups; (2,3) then links them.
    m->_aBalls = {Circle(-33, 0, 10), Circle(33, 0, 10), Circle(-11, 0, 10), Circle(11, 0, 10),
                  Circle(0, 60, 8)};
    m->BuildGroups();
    ASSERT_EQ(m->_apGroups.size(), 2u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(m->_aBalls[size_t(i)]._nGroup, 0) << i;
    EXPECT_EQ(m->_aBalls[4]._nGroup, -1);
    EXPECT_TRUE(m->_apGroups[1].empty());
    EXPECT_EQ(m->_apGroups[0].size(), 3u);

    // A lone circle: two concentric circles of "Subdiv" segments, radius r and r - outline.
    _pDisplay->npoints = 0;
    m->_nSubdiv = 32;
    m->DrawBall(m->_aBalls[4]);
    EXPECT_EQ(Strips(), 2);
    EXPECT_FLOAT_EQ(_pDisplay->points[0].y, 60.0f - 8.0f);
    EXPECT_FLOAT_EQ(_pDisplay->points[_pDisplay->npoints / 2].y, 60.0f - 6.0f);
    m->_fOutlineDistance = 0.0f;
    _pDisplay->npoints = 0;
    m->DrawBall(m->_aBalls[4]);
    EXPECT_EQ(Strips(), 1);
}

TEST_F(MetaBallTest, AGivenTimeAlwaysDrawsTheSameOutlines)
{
    MetaPtr a = NewMeta(), b = NewMeta();
    a->_nEnd = b->_nEnd = 100000;
    a->_fTimeSeek = 3.0f;
    Frame(*a, 0.0f);
    Frame(*a, 2.0f);
    std::vector<vector_display_point> first(_pDisplay->points, _pDisplay->points + _pDisplay->npoints);
    ASSERT_GT(first.size(), 100u);
    // Another instance reaching local time 2 in other steps, with the seek folded in differently.
    b->_fTimeSeek = 4.0f;
    Frame(*b, 0.0f);
    Frame(*b, 0.5f);
    Frame(*b, 0.5f);
    ASSERT_EQ(_pDisplay->npoints, int(first.size()));
    for (size_t i = 0; i < first.size(); ++i)
    {
        ASSERT_EQ(_pDisplay->points[i].x, first[i].x) << i;
        ASSERT_EQ(_pDisplay->points[i].y, first[i].y) << i;
    }
}

TEST_F(MetaBallTest, DegenerateSettingsStayFinite)
{
    MetaPtr m = NewMeta();
    // Union distance 0 and two blobs on one centre: no division by zero, a plain outline.
    m->_fUnionDistance = 0.0f;
    m->_aBalls = {Circle(0, 0, 10), Circle(0, 0, 10), Circle(0, 0, 6)};
    m->BuildGroups();
    ASSERT_FALSE(m->_apGroups.empty());
    for (const rvClipper::Path& p : m->_apGroups[0])
        for (const rvClipper::Point& q : p)
        {
            EXPECT_LE(std::abs(q.X), 1001);
            EXPECT_LE(std::abs(q.Y), 1001);
        }
    // Any stored "Subdiv", colours past 1: the lone blob is still drawn, every point is finite and
    // on the blobs' outlines (inside their bounding box), and the point count is bounded (the
    // subdivision is held within [3, 4096]: at most a few times 4096 points).
    for (int subdiv : {-5, 0, 1, 100000})
    {
        m->_nSubdiv = subdiv;
        m->_vColor = glm::vec4(2.0f, 2.0f, 2.0f, 1.0f);
        m->_fUnionDistance = 10.0f;
        m->_aBalls = {Circle(-11, 0, 10), Circle(11, 0, 10), Circle(50, 50, 8)};
        _pDisplay->npoints = 0;
        m->BuildGroups();
        ASSERT_EQ(m->_apGroups.size(), 1u) << subdiv;
        ClipperLib::Clipper c;
        m->DrawPaths(rvClipper::Union(c, m->_apGroups[0]));
        m->DrawBall(m->_aBalls[2]);
        int lone = 0;
        for (int i = 0; i < _pDisplay->npoints; ++i)
        {
            const vector_display_point& q = _pDisplay->points[i];
            ASSERT_TRUE(std::isfinite(q.x) && std::isfinite(q.y)) << subdiv;
            ASSERT_TRUE(q.x >= -21.5f && q.x <= 58.5f && q.y >= -10.5f && q.y <= 58.5f) << subdiv;
            lone += q.x > 30.0f ? 1 : 0;
        }
        EXPECT_TRUE(lone > 0 && _pDisplay->npoints <= 4 * 4096 + 64) << subdiv << ": " << _pDisplay->npoints;
    }
}
