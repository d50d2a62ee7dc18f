// Building, dealing out, stepping and drawing the node morph on small graphs built in code.
#include "effects/Morph/morphNodeSequence.h"

#include "MorphTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace morphTest;

namespace
{
struct Owner
{
    std::vector<glm::vec3> nodes;
    std::vector<glm::vec3> edges;
    void Chain(int n, glm::vec2 start, glm::vec2 step)
    {
        for (int i = 0; i < n; ++i)
            nodes.emplace_back(start + float(i) * step, 0.f);
        for (int i = 0; i + 1 < n; ++i)
            edges.emplace_back(float(i), float(i + 1), 0.f);
    }
    void Attach(morphNodeSequence& m)
    {
        m._paSourceNodes = &nodes;
        m._paSourceEdges = &edges;
    }
};

std::vector<Segment> UnitEdges(int n, glm::vec2 start)
{
    std::vector<Segment> s;
    for (int i = 0; i < n; ++i)
        s.push_back({start + glm::vec2(0, i), start + glm::vec2(1, i)});
    return s;
}

// Puts hand-made entries into one row: each entry's two morph nodes and its destination.
void SetRow(morphNodeSequence& m, int row, const std::vector<glm::vec2>& nodes, int nEntries, int nDest)
{
    m._aMorphNodes.assign(nodes.size(), morphNodeSequence::MorphNode());
    for (size_t i = 0; i < nodes.size(); ++i)
        m._aMorphNodes[i]._v = nodes[i];
    m._aRows[row].assign(size_t(nEntries), morphNodeSequence::RowEntry());
    for (int i = 0; i < nEntries; ++i)
    {
        m._aRows[row][size_t(i)]._fNode1 = float(2 * i);
        m._aRows[row][size_t(i)]._fNode2 = float(2 * i + 1);
    }
    m._aRowTarget[row].assign(size_t(nEntries), -1);
    m._nRows[row] = nEntries;
    m._aDestRows[row].assign(size_t(nDest), morphNodeSequence::RowEntry());
    for (int k = 0; k < nDest; ++k)
    {
        m._aDestRows[row][size_t(k)]._fNode1 = float(2 * k);
        m._aDestRows[row][size_t(k)]._fNode2 = float(2 * k + 1);
    }
    m._nDestRows[row] = nDest;
}
} // namespace

TEST(morphNodeSequence, SmallSourcesAreRepeatedToCoverTheDrawing)
{
    // 10 nodes and 9 edges against 40 nodes and 20 edges: count = 20 / 9 + 1 = 3.
    Owner owner;
    owner.Chain(10, {1, 1}, {1, 0.5f});
    morphNodeSequence m;
    owner.Attach(m);
    SetEdges(m._SVGDest, UnitEdges(20, {1, 1}));
    m.Build();
    EXPECT_EQ(m._SVGSource._nNodes, 10);
    EXPECT_EQ(m._SVGSource._nEdges, 9);
    EXPECT_EQ(m._nNodeSource, 10);
    EXPECT_EQ(m._nNodeDest, 40);
    EXPECT_EQ(m._nEdgeCurrent, 27);
    EXPECT_EQ(m._aMorphNodes.size(), 120u);
    EXPECT_EQ(m._nNodeCurrent, 46);
    // Edge j's copies: itself, then two new duplicate nodes per repeat at its nodes' positions.
    EXPECT_EQ(m._aMorphEdges[3], glm::vec3(1, 2, 0));
    EXPECT_EQ(m._aMorphEdges[4], glm::vec3(14, 15, 0));
    EXPECT_EQ(m._aMorphEdges[5], glm::vec3(16, 17, 0));
    EXPECT_EQ(m._aMorphNodes[16]._v, m._aMorphNodes[1]._v);
    EXPECT_EQ(m._aMorphNodes[17]._v, m._aMorphNodes[2]._v);
    EXPECT_FALSE(m._aMorphNodes[9]._bDuplicate);
    EXPECT_TRUE(m._aMorphNodes[10]._bDuplicate);
    // All 20 destination edges are in quadrant 3. Row 3 fills up; of the 7 edges left, the two
    // source edges (21, 24) go to random rows and the five repeats to none.
    EXPECT_EQ(m._nDestRows[3], 20);
    EXPECT_EQ(m._nRows[0] + m._nRows[1] + m._nRows[2] + m._nRows[3], 22);
    EXPECT_GE(m._nRows[3], 20);

    // A source with at least as many nodes as the destination is not repeated; a second build
    // replaces the first.
    SetEdges(m._SVGDest, UnitEdges(2, {1, 1}));
    m.Build();
    EXPECT_EQ(m._SVGSource._nNodes, 10);
    EXPECT_EQ(m._nEdgeCurrent, 9);
    EXPECT_EQ(m._nNodeCurrent, 10);
    EXPECT_GE(m._nRows[3], 2);
}

TEST(morphNodeSequence, ASourceWithoutEdgesBuildsAnEmptyMorph)
{
    Owner owner;
    owner.Chain(1, {1, 1}, {0, 0});
    morphNodeSequence m;
    SetEdges(m._SVGDest, UnitEdges(3, {1, 1}));
    m.Build(); // no lists attached
    EXPECT_EQ(m._nEdgeCurrent, 0);
    owner.Attach(m);
    m.Build();
    EXPECT_EQ(m._nNodeSource, 1);
    EXPECT_EQ(m._nEdgeCurrent, 0);
    for (int r = 0; r < morphNodeSequence::kRows; ++r)
    {
        EXPECT_EQ(m._nRows[r], 0);
        EXPECT_FALSE(m.StepRow(r, 1.f));
    }
}

TEST(morphNodeSequence, EntriesAreDealtOutOverTheRowsDestinations)
{
    morphNodeSequence m;
    SetRow(m, 2, std::vector<glm::vec2>(10), 5, 2);
    m.AssignRow(2);
    EXPECT_EQ(m._aRowTarget[2], (std::vector<int>{0, 1, 0, 1, 0}));
    // A row without destinations gives no targets.
    SetRow(m, 1, std::vector<glm::vec2>(4), 2, 0);
    m.AssignRow(1);
    EXPECT_EQ(m._aRowTarget[1], (std::vector<int>{-1, -1}));
}

TEST(morphNodeSequence, MoveNodeCoversItsFractionOfTheDistanceOrSnaps)
{
    const struct
    {
        float dt, speed;
        bool moved;
        float x;
    } cases[] = {
        {0.5f, 1.f, true, 4.f}, {0.25f, 2.f, true, 4.f}, {2.f, 1.f, false, 8.f}, {0.5f, 3.f, false, 8.f}};
    for (const auto& c : cases)
    {
        morphNodeSequence m;
        m._aMorphNodes.resize(1);
        m._aDestNodes = {{8.f, 0.f}};
        m._fSpeed = c.speed;
        EXPECT_EQ(m.MoveNode(0, 0, c.dt), c.moved);
        EXPECT_FLOAT_EQ(m._aMorphNodes[0]._v.x, c.x);
        EXPECT_EQ(m._aMorphNodes[0]._bMoved, c.moved);
        // Once per frame, and never at the target.
        EXPECT_FALSE(m.MoveNode(0, 0, c.dt));
        m._aMorphNodes[0]._bMoved = false;
        if (c.moved)
        {
            EXPECT_TRUE(m.MoveNode(0, 0, c.dt));
            EXPECT_FLOAT_EQ(m._aMorphNodes[0]._v.x, 6.f);
        }
        else
            EXPECT_FALSE(m.MoveNode(0, 0, c.dt));
    }
}

TEST(morphNodeSequence, OfTwoEntriesArrivingAtOneDestinationOnlyTheFirstStaysVisible)
{
    morphNodeSequence m;
    // Both entries already sit on destination entry 0.
    SetRow(m, 3, {{1, 1}, {2, 1}, {1, 1}, {2, 1}}, 2, 1);
    m._aDestNodes = {{1, 1}, {2, 1}};
    m.AssignRow(3);
    EXPECT_FALSE(m.StepRow(3, 0.1f));
    EXPECT_TRUE(m._aRows[3][0]._bDone);
    EXPECT_TRUE(m._aRows[3][0]._bVisible);
    EXPECT_FALSE(m._aRows[3][1]._bDone);
    EXPECT_FALSE(m._aRows[3][1]._bVisible);
    EXPECT_TRUE(m._aDestRows[3][0]._bDone);

    CurrentDisplay display;
    m.DrawRow(3);
    EXPECT_EQ(display.Strips().size(), 1u);
}

TEST(morphNodeSequence, SegmentsTravelToTheirTargetsAndAxisEdgesStayPut)
{
    // Source edge 0 starts on the y axis (no row), edge 1 lies in quadrant 3. Destination edge 0
    // starts on the y axis too (no destination row), edge 1 lies in quadrant 3.
    Owner owner;
    owner.nodes = {{0, 1, 0}, {1, 1, 0}, {2, 2, 0}, {3, 3, 0}, {4, 4, 0}};
    owner.edges = {{0, 1, 0}, {2, 3, 0}};
    morphNodeSequence m;
    owner.Attach(m);
    SetEdges(m._SVGDest, {{{0, 5}, {1, 5}}, {{5, 5}, {7, 5}}});
    m.Build();
    EXPECT_EQ(m._nDestRows[3], 1);
    EXPECT_EQ(m._nDestRows[0] + m._nDestRows[1] + m._nDestRows[2], 0);
    ASSERT_EQ(m._nRows[3], 1);
    EXPECT_EQ(m._nRows[0] + m._nRows[1] + m._nRows[2], 0);

    m._Transform._mMatrix[3] = glm::vec4(100, 0, 0, 1);
    m._fSpeed = 2.f;
    CurrentDisplay display;
    rvTest::ImGuiHeadless imgui;
    bool moving = true;
    int frames = 0;
    for (; moving && frames < 100; ++frames)
    {
        moving = false;
        for (int r = 0; r < morphNodeSequence::kRows; ++r)
            moving |= m.StepRow(r, 0.1f);
        m._fSpeed *= 1.1f;
        display.display->npoints = 0;
        imgui.NewFrame();
        m.Render();
        imgui.EndFrame();
        EXPECT_FALSE(m._aMorphNodes[2]._bMoved); // drawing clears the flags
    }
    EXPECT_GT(frames, 3);
    EXPECT_LT(frames, 100);
    EXPECT_TRUE(m._aRows[3][0]._bDone);
    EXPECT_EQ(m._aMorphNodes[2]._v, glm::vec2(5, 5));
    EXPECT_EQ(m._aMorphNodes[3]._v, glm::vec2(7, 5));
    EXPECT_EQ(m._aMorphNodes[0]._v, glm::vec2(0, 1));
    const auto strips = display.Strips();
    ASSERT_EQ(strips.size(), 1u);
    EXPECT_EQ(strips[0], (std::vector<glm::vec2>{{105, 5}, {107, 5}}));
}

TEST(morphNodeSequence, WithoutADestinationEntriesStayWhereTheyAre)
{
    // A failed destination load leaves no destination rows: nothing has a target, nothing moves
    // and the source stays drawn.
    Owner owner;
    owner.Chain(4, {-3, -3}, {0.5f, 0.25f});
    morphNodeSequence m;
    owner.Attach(m);
    m.Build();
    EXPECT_EQ(m._nEdgeCurrent, 3);
    EXPECT_EQ(m._nRows[3], 3);
    for (int r = 0; r < morphNodeSequence::kRows; ++r)
        EXPECT_FALSE(m.StepRow(r, 0.5f));
    EXPECT_EQ(m._aMorphNodes[0]._v, glm::vec2(-3, -3));
    CurrentDisplay display;
    for (int r = 0; r < morphNodeSequence::kRows; ++r)
        m.DrawRow(r);
    EXPECT_EQ(display.Strips().size(), 3u);
}

TEST(morphNodeSequenceDeathTest, AnEdgeToAPointTheOwnerDoesNotHaveIsCaught)
{
    Owner owner;
    owner.Chain(3, {1, 1}, {1, 0});
    owner.edges.emplace_back(1.f, 3.f, 0.f);
    morphNodeSequence m;
    owner.Attach(m);
    EXPECT_DEATH(m.Build(), "int\\(e.y\\) < nNodes");
}

TEST(morphNodeSequence, TheNodeArrayHoldsTheSourceEvenWhenTheDestinationHasSpareNodes)
{
    // 5 source nodes against one destination edge among 6 nodes: the capacity 2 * Ed * count = 2
    // would not hold the source's own nodes.
    Owner owner;
    owner.Chain(5, {1, 1}, {1, 1});
    morphNodeSequence m;
    owner.Attach(m);
    SetEdges(m._SVGDest, {{{1, 1}, {2, 1}}, {{3, 3}, {4, 4}}, {{5, 5}, {6, 6}}});
    m._SVGDest._aEdges.resize(1);
    m._SVGDest._nEdges = 1;
    m.Build();
    EXPECT_EQ(m._nEdgeCurrent, 4);
    EXPECT_EQ(m._nNodeCurrent, 5);
    EXPECT_GE(m._aMorphNodes.size(), 5u);
    EXPECT_EQ(m._aMorphNodes[4]._v, glm::vec2(5, 5));
}
