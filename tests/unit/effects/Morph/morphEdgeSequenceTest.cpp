// Pairing and interpolation of the edge morph on small graphs built in code.
#include "effects/Morph/morphEdgeSequence.h"

#include "MorphTestSupport.h"
#include "VectorScene/VectorScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace morphTest;

namespace
{
const glm::vec4 kSame(0.f, 0.f, 1.f, 1.f); // the load-time placement of shapes built in code

// The destination edge paired with source edge s (edges of SetEdges own nodes 2k and 2k + 1).
int DestEdge(const morphEdgeSequence& m, int s)
{
    return m._aPairs[size_t(s)]._nDest1 / 2;
}

void ExpectNear(const glm::vec2& a, const glm::vec2& b)
{
    EXPECT_NEAR(a.x, b.x, 1e-5f);
    EXPECT_NEAR(a.y, b.y, 1e-5f);
}
} // namespace

TEST(morphEdgeSequence, SplitsTheShorterShapeAtItsLongestEdgeUntilCountsMatch)
{
    // Ten horizontal edges of lengths 1 to 10 against thirteen unit edges: the source is split
    // three times, at 10, then 9, then 8, each half inserted right after the edge it came from.
    std::vector<Segment> source, dest;
    for (int i = 0; i < 10; ++i)
        source.push_back({{0.f, 3.f * i}, {float(i + 1), 3.f * i}});
    for (int i = 0; i < 13; ++i)
        dest.push_back({{0.f, 3.f * i}, {1.f, 3.f * i}});
    morphEdgeSequence m;
    SetEdges(m._SVGSource, source);
    SetEdges(m._SVGDest, dest);
    ASSERT_TRUE(m.Init());

    EXPECT_EQ(m._nEdges, 13);
    EXPECT_EQ(m._SVGSource._nEdges, 13);
    EXPECT_EQ(m._SVGSource._nNodes, 23);
    EXPECT_EQ(m._SVGDest._nEdges, 13);
    EXPECT_EQ(m._aPairs.size(), 13u);
    const float lengths[13] = {1, 2, 3, 4, 5, 6, 7, 4, 4, 4.5f, 4.5f, 5, 5};
    for (int e = 0; e < 13; ++e)
    {
        const glm::vec3& edge = m._SVGSource._aEdges[size_t(e)];
        EXPECT_FLOAT_EQ(m._SVGSource._aNodes[size_t(edge.y)]._v.x - m._SVGSource._aNodes[size_t(edge.x)]._v.x,
                        lengths[e])
            << "edge " << e;
    }
    // The halves share the midpoint node, which is an end node.
    EXPECT_EQ(m._SVGSource._aEdges[7].y, m._SVGSource._aEdges[8].x);
    EXPECT_TRUE(m._SVGSource._aNodes[size_t(m._SVGSource._aEdges[7].y)]._bEnd);
    // Every source and destination edge is used exactly once.
    std::vector<int> used(13, 0);
    for (int s = 0; s < 13; ++s)
        ++used[size_t(DestEdge(m, s))];
    EXPECT_EQ(used, std::vector<int>(13, 1));
}

TEST(morphEdgeSequence, SplitTakesTheLowestIndexAmongEqualEdgesAndNothingBelowOne)
{
    nanoSVG2Edge shape;
    SetEdges(shape, {{{0, 0}, {2, 0}}, {{0, 1}, {2, 1}}});
    morphEdgeSequence::SplitLongestEdges(shape, 0);
    morphEdgeSequence::SplitLongestEdges(shape, -3);
    EXPECT_EQ(shape._nEdges, 2);
    morphEdgeSequence::SplitLongestEdges(shape, 1);
    ASSERT_EQ(shape._nEdges, 3);
    EXPECT_EQ(shape._aEdges[0], glm::vec3(0, 4, 0));
    EXPECT_EQ(shape._aEdges[1], glm::vec3(4, 1, 0));
    EXPECT_EQ(shape._aEdges[2], glm::vec3(2, 3, 0));
    // A shape without edges cannot be split: a caller error.
    nanoSVG2Edge empty;
    EXPECT_DEATH(morphEdgeSequence::SplitLongestEdges(empty, 1), "nEdgeFinal == SVG._nEdges");
}

TEST(morphEdgeSequence, IdenticalShapesPairEachEdgeWithItsCounterpartAndNeverMove)
{
    // Parsed from SVG text: edges of a path separated by their 0.75 gaps.
    std::string text = "<svg width=\"200\" height=\"200\" viewBox=\"0 0 200 200\">"
                       "<path d=\"M60 60 L140 70 L130 150 L50 120 Z\"/><path d=\"M90 90 L100 110\"/></svg>";
    morphEdgeSequence m;
    for (nanoSVG2Edge* shape : {&m._SVGSource, &m._SVGDest})
    {
        std::string copy = text;
        shape->_pImage = SvgParse(&copy[0], 96.f);
        shape->_fFitFactor = 1.f / 1.5f;
        shape->_fHalfWidth = shape->_fHalfHeight = 100.f;
        shape->GroupShapes();
        shape->BuildFromImage();
    }
    ASSERT_GT(m._SVGSource._nEdges, 4);
    ASSERT_TRUE(m.Init());
    for (int s = 0; s < m._nEdges; ++s)
    {
        EXPECT_EQ(m._aPairs[size_t(s)]._nDest1, m._aPairs[size_t(s)]._nSource1);
        EXPECT_EQ(m._aPairs[size_t(s)]._nDest2, m._aPairs[size_t(s)]._nSource2);
    }
    CurrentDisplay display;
    std::vector<std::vector<std::vector<glm::vec2>>> pictures;
    for (float t : {0.f, 0.5f, 1.f})
    {
        display.display->npoints = 0;
        m.Draw(t, kSame, kSame);
        pictures.push_back(display.Strips());
    }
    ASSERT_EQ(pictures[0].size(), size_t(m._nEdges));
    EXPECT_EQ(pictures[0], pictures[1]);
    EXPECT_EQ(pictures[0], pictures[2]);
}

TEST(morphEdgeSequence, DrawInterpolatesAndClampsTBetweenSourceAndDestination)
{
    // One edge moving right by 10; the destination runs the other way, so its nodes are swapped
    // and the segment travels without flipping over.
    morphEdgeSequence m;
    SetEdges(m._SVGSource, {{{0, 0}, {2, 0}}});
    SetEdges(m._SVGDest, {{{12, 0}, {10, 0}}});
    ASSERT_TRUE(m.Init());
    EXPECT_EQ(m._aPairs[0]._nDest1, 1);
    EXPECT_EQ(m._aPairs[0]._nDest2, 0);
    // Init leaves the shapes where they were.
    EXPECT_EQ(m._SVGSource._aNodes[0]._v, glm::vec2(0, 0));
    EXPECT_EQ(m._SVGDest._aNodes[0]._v, glm::vec2(12, 0));

    const struct
    {
        float t;
        float x;
    } cases[] = {{-1.f, 0.f}, {0.f, 0.f}, {0.5f, 5.f}, {1.f, 10.f}, {7.f, 10.f}};
    CurrentDisplay display;
    for (const auto& c : cases)
    {
        display.display->npoints = 0;
        m.Draw(c.t, kSame, kSame);
        const auto strips = display.Strips();
        ASSERT_EQ(strips.size(), 1u);
        ASSERT_EQ(strips[0].size(), 2u);
        ExpectNear(strips[0][0], {c.x, 0.f});
        ExpectNear(strips[0][1], {c.x + 2.f, 0.f});
    }
}

TEST(morphEdgeSequence, PlacementsMoveAndRescaleEachShape)
{
    // Loaded at position (1, 2) with size (10, 10): scale (1, -1). Drawn at position (3, 2)
    // with size (20, 10): x doubles about the origin, then moves by 2.
    morphEdgeSequence m;
    SetEdges(m._SVGSource, {{{1, 2}, {2, 2}}});
    SetEdges(m._SVGDest, {{{1, 2}, {2, 2}}});
    m._vSourcePos = m._vDestPos = glm::vec2(1, 2);
    m._vSourceScale = m._vDestScale = glm::vec2(1, -1);
    ASSERT_TRUE(m.Init());
    glm::vec2 a, b;
    m.GetSegment(0, 0.f, {3, 2, 20, 10}, {1, 2, 10, 10}, a, b);
    ExpectNear(a, {4, 2});
    ExpectNear(b, {6, 2});
    m.GetSegment(0, 1.f, {3, 2, 20, 10}, {1, 2, 10, 10}, a, b);
    ExpectNear(a, {1, 2});
    ExpectNear(b, {2, 2});
    // A shape loaded at size 0 stays collapsed instead of turning into NaN.
    m._vSourceScale = glm::vec2(0, 0);
    m.GetSegment(0, 0.f, {3, 2, 20, 10}, kSame, a, b);
    EXPECT_TRUE(std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) && std::isfinite(b.y));
}

TEST(morphEdgeSequence, ConnectedRunsPairInStepOnlyWhenTheirEdgesTouch)
{
    // Source: one collected scene line of three edges sharing nodes. Destination: d0 and d1 in
    // a row (touching when the gap is below 1e-6), d2 hanging down from d0's end. Followed as a
    // run, source edge 1 takes d1 even though d1 is not its nearest; with the 0.75 gap of a
    // loaded path the edges pair by nearest midpoints instead.
    const struct
    {
        float gap;
        int expected[3];
    } cases[] = {{0.f, {0, 1, 2}}, {5e-7f, {0, 1, 2}}, {0.75f, {0, 2, 1}}};
    for (const auto& c : cases)
    {
        VectorScene scene;
        VectorSceneLine* line = scene.AddLine();
        for (int i = 0; i < 4; ++i)
            line->AddPoint(float(i), 0.f, 0.f);
        morphEdgeSequence m;
        ASSERT_TRUE(m.AddVectorScene(m._SVGSource, &scene));
        SetEdges(m._SVGDest, {{{0, 0}, {1, 0}}, {{1 + c.gap, 0}, {3, 0}}, {{1, 0}, {1, -10}}});
        ASSERT_TRUE(m.Init());
        for (int s = 0; s < 3; ++s)
            EXPECT_EQ(DestEdge(m, s), c.expected[s]) << "gap " << c.gap << " edge " << s;
    }
}

TEST(morphEdgeSequence, CollectingASceneTakesChildrenFirstThroughTheirTransforms)
{
    VectorScene root;
    VectorSceneLine* own = root.AddLine();
    own->AddPoint(0, 0, 0);
    own->AddPoint(1, 0, 0);
    root.AddLine()->AddPoint(5, 5, 0); // one point: one node, no edge
    root.AddLine();                    // no point: nothing
    VectorScene* child = root.AddChild();
    child->_bOwnMatrix = true;
    child->_Transform._mMatrix[3] = glm::vec4(10, 20, 30, 1); // moved by (10, 20, 30)
    VectorSceneLine* childLine = child->AddLine();
    for (int i = 0; i < 3; ++i)
        childLine->AddPoint(float(i), 0, 0);

    morphEdgeSequence m;
    nanoSVG2Edge shape;
    ASSERT_TRUE(m.AddVectorScene(shape, &root));
    ASSERT_EQ(shape._nNodes, 6);
    ASSERT_EQ(shape._nEdges, 3);
    const glm::vec2 nodes[6] = {{10, 20}, {11, 20}, {12, 20}, {0, 0}, {1, 0}, {5, 5}};
    const bool ends[6] = {false, false, true, false, true, true};
    for (int i = 0; i < 6; ++i)
    {
        EXPECT_EQ(shape._aNodes[size_t(i)]._v, nodes[i]) << i;
        EXPECT_EQ(shape._aNodes[size_t(i)]._bEnd, ends[i]) << i;
    }
    EXPECT_EQ(shape._aEdges[0], glm::vec3(0, 1, 0));
    EXPECT_EQ(shape._aEdges[1], glm::vec3(1, 2, 0));
    EXPECT_EQ(shape._aEdges[2], glm::vec3(3, 4, 0));

    nanoSVG2Edge empty;
    EXPECT_FALSE(m.AddVectorScene(empty, nullptr));
    VectorScene dots;
    dots.AddLine()->AddPoint(1, 1, 0);
    EXPECT_FALSE(m.AddVectorScene(empty, &dots));
    EXPECT_EQ(empty._nNodes, 1);
    EXPECT_EQ(empty._nEdges, 0);
}

TEST(morphEdgeSequence, ShapesWithoutEdgesAreNotPairedNorDrawn)
{
    const std::vector<Segment> one = {{{0, 0}, {1, 0}}};
    const struct
    {
        std::vector<Segment> source, dest;
    } cases[] = {{{}, {}}, {{}, one}, {one, {}}};
    CurrentDisplay display;
    for (const auto& c : cases)
    {
        morphEdgeSequence m;
        SetEdges(m._SVGSource, c.source);
        SetEdges(m._SVGDest, c.dest);
        EXPECT_FALSE(m.Init());
        EXPECT_EQ(m._nEdges, 0);
        EXPECT_TRUE(m._aPairs.empty());
        m.Draw(0.5f, kSame, kSame);
        EXPECT_EQ(display.display->npoints, 0);
    }
}

TEST(morphEdgeSequence, ReloadingAShapeDropsPairsThatNamedItsOldNodes)
{
    morphEdgeSequence m;
    EXPECT_FALSE(m.LoadShape(true, nullptr, {0, 0}, {1, 1}));
    SetEdges(m._SVGSource, {{{0, 0}, {1, 0}}, {{0, 1}, {1, 1}}, {{0, 2}, {1, 2}}});
    SetEdges(m._SVGDest, {{{0, 0}, {1, 0}}});
    ASSERT_TRUE(m.Init());
    // The destination is released before the failed load: its nodes, split ones included, are gone, so the
    // pairs must go too rather than be drawn from freed nodes.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(m.LoadShape(false, "Data/svg/does-not-exist.svg", {0, 0}, {1, 1}));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(m._SVGDest._nNodes, 0);
    EXPECT_EQ(m._nEdges, 0);
    EXPECT_TRUE(m._aPairs.empty());
    CurrentDisplay display;
    m.Draw(0.5f, kSame, kSame);
    EXPECT_EQ(display.display->npoints, 0);

    // Collecting a scene into a shape of the sequence drops them as well.
    SetEdges(m._SVGDest, {{{0, 0}, {1, 0}}});
    ASSERT_TRUE(m.Init());
    VectorScene scene;
    scene.AddLine()->AddPoint(0, 0, 0);
    m.AddVectorScene(m._SVGSource, &scene);
    EXPECT_EQ(m._nEdges, 0);
}

TEST(morphEdgeSequence, ReleaseDropsShapesAndPairs)
{
    morphEdgeSequence m;
    SetEdges(m._SVGSource, {{{0, 0}, {1, 0}}});
    SetEdges(m._SVGDest, {{{0, 0}, {1, 0}}, {{0, 1}, {1, 1}}});
    ASSERT_TRUE(m.Init());
    m.Release();
    EXPECT_EQ(m._nEdges, 0);
    EXPECT_TRUE(m._aPairs.empty());
    EXPECT_EQ(m._SVGSource._nEdges, 0);
    EXPECT_EQ(m._SVGDest._nNodes, 0);
}

// Pairing compares every source edge with every destination edge: a drawing of 300k points
// held the loading pass for minutes. A shape past MAX_EDGES is simplified once, named on stderr:
// runs of edges that follow each other are joined (the outline keeps its ends and its nodes stay
// on it), and separate edges past the bound are dropped.
TEST(morphEdgeSequence, ShapesPastTheEdgeBoundAreSimplifiedOnceByName)
{
    const int bound = morphEdgeSequence::MAX_EDGES;
    const float kPi = 3.14159265f;
    auto onCircle = [kPi](int i, int n) { return 10.f * glm::vec2(std::cos(2 * kPi * i / n), std::sin(2 * kPi * i / n)); };
    // One line of 300000 edges round a circle of radius 10, as another effect's scene.
    const int nPoints = 300000;
    VectorScene scene;
    VectorSceneLine* line = scene.AddLine();
    for (int i = 0; i <= nPoints; ++i)
    {
        const glm::vec2 p = onCircle(i, nPoints);
        line->AddPoint(p.x, p.y, 0);
    }
    morphEdgeSequence m;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(m.AddVectorScene(m._SVGSource, &scene, "Spiral"));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("morvane: warning: morph: \"Spiral\" has 300000 edges"), std::string::npos) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
    const nanoSVG2Edge& s = m._SVGSource;
    ASSERT_LE(s._nEdges, bound);
    ASSERT_GE(s._nEdges, bound / 2); // joined no more than needed
    ASSERT_EQ(s._nNodes, 2 * s._nEdges);
    for (int e = 0; e < s._nEdges; ++e)
    {
        const glm::vec2 a = s._aNodes[size_t(s._aEdges[size_t(e)].x)]._v;
        const glm::vec2 b = s._aNodes[size_t(s._aEdges[size_t(e)].y)]._v;
        ASSERT_NEAR(glm::length(a), 10.f, 1e-3f) << e;
        ASSERT_NEAR(glm::length(b), 10.f, 1e-3f) << e;
        if (e + 1 < s._nEdges)
        {
            ASSERT_EQ(b, s._aNodes[size_t(s._aEdges[size_t(e + 1)].x)]._v) << e;
        }
    }
    ExpectNear(s._aNodes[0]._v, onCircle(0, nPoints));
    ExpectNear(s._aNodes[size_t(2 * s._nEdges - 1)]._v, onCircle(nPoints, nPoints));

    // Pieces of a path with gaps between them (as drawings loaded from SVG are: shorter than the
    // pieces, or within the gap the caller gives) are joined too; far-apart pieces are not, and
    // those past the bound are dropped. At the bound, nothing changes and nothing is said.
    struct
    {
        int n;
        float length, step; // each piece's length, and from one start to the next
        float gap;          // the gap the caller allows
        bool joined;
        int kept;
    } const cases[] = {
        {bound + 1, 1.f, 1.1f, 0.f, true, (bound + 2) / 2},    {bound + 1, 0.1f, 0.85f, 1.5f, true, (bound + 2) / 2},
        {bound + 1, 0.1f, 0.85f, 0.5f, false, bound},          {bound + 1, 1.f, 5.f, 0.f, false, bound},
        {bound, 1.f, 5.f, 0.f, false, bound},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.n << " pieces of " << c.length << " every " << c.step << ", gap "
                                        << c.gap);
        std::vector<Segment> segments;
        for (int i = 0; i < c.n; ++i)
        {
            const glm::vec2 start(c.step * float(i), 0.f);
            segments.push_back({start, start + glm::vec2(c.length, 0.f)});
        }
        nanoSVG2Edge shape;
        SetEdges(shape, segments);
        testing::internal::CaptureStderr();
        EXPECT_EQ(morphEdgeSequence::LimitEdges(shape, "Data/svg/big.svg", c.gap), c.kept);
        err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.empty(), c.n <= bound) << err;
        EXPECT_EQ(shape._nEdges, c.kept);
        for (int e = 0; e < c.kept; ++e)
        {
            const glm::vec2 a = shape._aNodes[size_t(shape._aEdges[size_t(e)].x)]._v;
            const glm::vec2 b = shape._aNodes[size_t(shape._aEdges[size_t(e)].y)]._v;
            const int first = c.joined ? 2 * e : e;
            const int last = std::min(c.joined ? 2 * e + 1 : e, c.n - 1);
            ASSERT_EQ(a, segments[size_t(first)].first) << e;
            ASSERT_EQ(b, segments[size_t(last)].second) << e;
        }
    }

    // The simplified shapes pair at once.
    SetEdges(m._SVGDest, {{{0, 0}, {1, 0}}, {{1, 0}, {1, 1}}});
    ASSERT_TRUE(m.Init());
    EXPECT_EQ(m._nEdges, m._SVGSource._nEdges);
}
