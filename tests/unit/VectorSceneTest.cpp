#include "VectorScene/VectorScene.h"
#include "VectorScene/VectorSceneOutput.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
// Records what a scene sends: strips of points and the style set before each call.
struct Recorder : VectorSceneOutput
{
    std::vector<std::vector<glm::vec3>> strips;
    std::vector<glm::vec4> styles; // rgb + width
    bool open = false;
    void SetStyle(float r, float g, float b, float w) override { styles.emplace_back(r, g, b, w); }
    void StripBegin(const glm::vec3& p) override
    {
        EXPECT_FALSE(open);
        open = true;
        strips.push_back({p});
    }
    void StripTo(const glm::vec3& p) override
    {
        EXPECT_TRUE(open);
        strips.back().push_back(p);
    }
    void StripEnd() override
    {
        EXPECT_TRUE(open);
        open = false;
    }
};

struct CountingTransform : rvTransform
{
    int nUpdates = 0;
    void Update() override { ++nUpdates; }
};

VectorSceneLine* AddPolyline(VectorScene& node, std::initializer_list<glm::vec3> pts)
{
    VectorSceneLine* pLine = node.AddLine();
    for (const glm::vec3& p : pts)
        pLine->AddPoint(p);
    return pLine;
}

void ExpectStrip(const std::vector<glm::vec3>& got, std::initializer_list<glm::vec3> want)
{
    ASSERT_EQ(got.size(), want.size());
    size_t i = 0;
    for (const glm::vec3& w : want)
    {
        EXPECT_NEAR(got[i].x, w.x, 1e-5f) << "point " << i;
        EXPECT_NEAR(got[i].y, w.y, 1e-5f) << "point " << i;
        EXPECT_NEAR(got[i].z, w.z, 1e-5f) << "point " << i;
        ++i;
    }
}

std::string SaveToString(const VectorScene& scene)
{
    FILE* f = tmpfile();
    EXPECT_NE(f, nullptr);
    EXPECT_TRUE(scene.SaveBinary(f));
    long n = ftell(f);
    rewind(f);
    std::string bytes(size_t(n), '\0');
    EXPECT_EQ(fread(bytes.data(), 1, bytes.size(), f), bytes.size());
    fclose(f);
    return bytes;
}

void ExpectSameTree(const VectorScene& a, const VectorScene& b)
{
    ASSERT_EQ(a._apLines.size(), b._apLines.size());
    for (size_t i = 0; i < a._apLines.size(); ++i)
    {
        const VectorSceneLine& la = *a._apLines[i];
        const VectorSceneLine& lb = *b._apLines[i];
        ASSERT_EQ(la._aPoints.size(), lb._aPoints.size());
        for (size_t k = 0; k < la._aPoints.size(); ++k)
            EXPECT_EQ(la._aPoints[k], lb._aPoints[k]);
        EXPECT_FLOAT_EQ(la._fLength, lb._fLength);
        EXPECT_EQ(la._vMin, lb._vMin);
        EXPECT_EQ(la._vMax, lb._vMax);
    }
    ASSERT_EQ(a._apChildren.size(), b._apChildren.size());
    for (size_t i = 0; i < a._apChildren.size(); ++i)
        ExpectSameTree(*a._apChildren[i], *b._apChildren[i]);
}
} // namespace

TEST(VectorSceneLine, NewLineDefaultsLengthAndBox)
{
    VectorScene root;
    VectorSceneLine* pLine = root.AddLine();
    EXPECT_EQ(pLine->_vColor, glm::vec4(1.f));
    EXPECT_FLOAT_EQ(pLine->_fWidth, 0.3f);
    EXPECT_EQ(pLine->_fLength, 0.f);
    EXPECT_TRUE(pLine->HasEmptyBox());
    EXPECT_EQ(pLine->_pColor, nullptr);
    EXPECT_EQ(pLine->_pWidth, nullptr);

    pLine->AddPoint(2.f, -1.f, 7.f);
    EXPECT_FALSE(pLine->HasEmptyBox());
    EXPECT_EQ(pLine->_vMin, glm::vec2(2.f, -1.f));
    EXPECT_EQ(pLine->_vMax, glm::vec2(2.f, -1.f));

    VectorSceneLine* p2 = AddPolyline(root, {{0, 0, 0}, {3, 4, 0}, {3, 4, 12}});
    EXPECT_FLOAT_EQ(p2->_fLength, 17.f);
    EXPECT_EQ(p2->_vMin, glm::vec2(0.f, 0.f));
    EXPECT_EQ(p2->_vMax, glm::vec2(3.f, 4.f));
    EXPECT_FLOAT_EQ(root.GetLength(), 17.f);
}

TEST(VectorSceneLine, SimplifyTable)
{
    struct Case
    {
        const char* name;
        std::vector<glm::vec3> pts;
        float epsilon;
        std::vector<int32_t> kept;
    };
    std::vector<glm::vec3> straight;
    for (int i = 0; i < 20; ++i)
        straight.emplace_back(float(i), 2.f * float(i), 0.f);
    const Case cases[] = {
        {"empty", {}, 0.f, {}},
        {"one point", {{1, 2, 3}}, 0.f, {0}},
        {"two points", {{0, 0, 0}, {5, 5, 5}}, 0.f, {0, 1}},
        {"collinear at epsilon 0", straight, 0.f, {0, 19}},
        {"distance equal to epsilon is dropped", {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}}, 1.f, {0, 2}},
        {"distance above epsilon is kept", {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}}, 0.99f, {0, 1, 2}},
        // End points with the same x and y: interior points measured in 3D from the first one.
        {"closed line uses 3D distance", {{0, 0, 0}, {1, 0, 0}, {0, 0, 3}, {0, 0, 0}}, 2.f, {0, 2, 3}},
        // Points 1 and 2 both lie 1 from the chord: the lower index is split on first.
        {"tie picks the lower index", {{0, 0, 0}, {1, 1, 0}, {2, 1, 0}, {3, 0, 0}}, 0.5f, {0, 1, 3}},
        {"zigzag keeps its corners",
         {{0, 0, 0}, {1, 0.01f, 0}, {2, 0, 0}, {3, 5, 0}, {4, 0, 0}, {5, -5, 0}, {6, 0, 0}},
         0.1f,
         {0, 2, 3, 5, 6}},
    };
    for (const Case& c : cases)
    {
        VectorScene root;
        VectorSceneLine* pLine = root.AddLine();
        for (const glm::vec3& p : c.pts)
            pLine->AddPoint(p);
        pLine->Simplify(c.epsilon);
        EXPECT_EQ(pLine->_aIndices, c.kept) << c.name;
        EXPECT_EQ(pLine->_aPoints.size(), c.pts.size()) << c.name;
    }
}

TEST(VectorScene, SimplifyRecordsEpsilonAndDrawSimplifiedUsesKeptPoints)
{
    VectorScene root;
    AddPolyline(root, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {2, 2, 0}});
    VectorScene* pChild = root.AddChild();
    AddPolyline(*pChild, {{0, 0, 0}, {1, 0, 0}});

    Recorder before;
    root.DrawSimplified(before);
    EXPECT_TRUE(before.strips.empty()); // never simplified: nothing but the style
    EXPECT_EQ(before.styles.size(), 2u);

    root.Simplify(0.01f);
    EXPECT_EQ(root._fEpsilon, 0.01f);
    EXPECT_EQ(pChild->_fEpsilon, 0.01f);
    Recorder out;
    root.DrawSimplified(out);
    ASSERT_EQ(out.strips.size(), 2u);
    ExpectStrip(out.strips[0], {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}});
    ExpectStrip(out.strips[1], {{0, 0, 0}, {1, 0, 0}});
}

TEST(VectorScene, DrawUsesPointersAndEffectiveTransformDepthFirst)
{
    VectorScene root;
    VectorSceneLine* pA = AddPolyline(root, {{0, 0, 0}, {1, 0, 0}});
    VectorScene* pChild = root.AddChild();
    AddPolyline(*pChild, {{0, 1, 0}, {0, 2, 0}});
    AddPolyline(*pChild, {{5, 5, 5}}); // one point: style only
    AddPolyline(root, {{3, 3, 3}, {4, 4, 4}});

    glm::vec4 color(0.5f, 0.25f, 0.f, 1.f);
    float width = 2.f;
    pA->_pColor = &color;
    root.SetWidthPointer(&width);
    rvTransform shift;
    shift._mMatrix = glm::translate(glm::mat4(1.f), glm::vec3(10.f, 0.f, 0.f));
    pChild->_Transform = shift;
    pChild->_bOwnMatrix = true;

    color.g = 0.75f; // read at draw time
    width = 4.f;
    Recorder out;
    root.Draw(out);
    ASSERT_EQ(out.strips.size(), 3u);
    ExpectStrip(out.strips[0], {{0, 0, 0}, {1, 0, 0}});
    ExpectStrip(out.strips[1], {{3, 3, 3}, {4, 4, 4}}); // the node's lines before its children
    ExpectStrip(out.strips[2], {{10, 1, 0}, {10, 2, 0}});
    ASSERT_EQ(out.styles.size(), 4u);
    EXPECT_EQ(out.styles[0], glm::vec4(0.5f, 0.75f, 0.f, 4.f));
    EXPECT_EQ(out.styles[1], glm::vec4(1.f, 1.f, 1.f, 4.f));

    root.SetColor(glm::vec4(0.f, 1.f, 0.f, 1.f));
    root.SetWidth(0.f);
    EXPECT_EQ(pA->_pColor, nullptr);
    EXPECT_EQ(pA->_pWidth, nullptr);
    Recorder out2;
    root.Draw(out2);
    EXPECT_EQ(out2.styles[0], glm::vec4(0.f, 1.f, 0.f, 0.f));
}

TEST(VectorSceneLine, DrawRangeCases)
{
    // An L: (0,0) -> (10,0) -> (10,10), length 20.
    struct Case
    {
        const char* name;
        float from, to;
        bool styled;
        std::vector<std::vector<glm::vec3>> strips;
    };
    const Case cases[] = {
        {"from >= to draws nothing, not even the style", 5.f, 5.f, false, {}},
        {"whole line when to is beyond the length", 0.f, 100.f, true, {{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}}},
        {"across the corner", 5.f, 15.f, true, {{{5, 0, 0}, {10, 0, 0}, {10, 5, 0}}}},
        {"inside one segment", 2.f, 4.f, true, {{{2, 0, 0}, {4, 0, 0}}}},
        {"second segment only", 12.f, 20.f, true, {{{10, 2, 0}, {10, 10, 0}}}},
        {"negative from draws nothing", -1.f, 5.f, true, {}},
        {"from beyond the length draws nothing", 25.f, 30.f, true, {}},
    };
    for (const Case& c : cases)
    {
        VectorScene root;
        VectorSceneLine* pLine = AddPolyline(root, {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}});
        Recorder out;
        pLine->DrawRange(out, nullptr, c.from, c.to);
        EXPECT_EQ(out.styles.size(), c.styled ? 1u : 0u) << c.name;
        ASSERT_EQ(out.strips.size(), c.strips.size()) << c.name;
        for (size_t i = 0; i < c.strips.size(); ++i)
        {
            SCOPED_TRACE(c.name);
            ASSERT_EQ(out.strips[i].size(), c.strips[i].size());
            for (size_t k = 0; k < c.strips[i].size(); ++k)
                EXPECT_NEAR(glm::length(out.strips[i][k] - c.strips[i][k]), 0.f, 1e-5f);
        }
    }
}

TEST(VectorScene, DrawFractionOfCharactersAndOwnLines)
{
    auto makeChildren = [](VectorScene& root, int n)
    {
        for (int i = 0; i < n; ++i)
            AddPolyline(*root.AddChild(), {{float(i), 0, 0}, {float(i), 10, 0}});
    };
    {
        // Three characters: two whole, the third up to half its stroke length.
        VectorScene root;
        makeChildren(root, 3);
        Recorder out;
        root.DrawFraction(out, 0.f, 2.5f);
        ASSERT_EQ(out.strips.size(), 3u);
        ExpectStrip(out.strips[0], {{0, 0, 0}, {0, 10, 0}});
        ExpectStrip(out.strips[1], {{1, 0, 0}, {1, 10, 0}});
        ExpectStrip(out.strips[2], {{2, 0, 0}, {2, 5, 0}});
    }
    {
        // From 1.5 to 3 of four: only child 2 whole; child 3 is asked for nothing.
        VectorScene root;
        makeChildren(root, 4);
        Recorder out;
        root.DrawFraction(out, 1.5f, 3.f);
        ASSERT_EQ(out.strips.size(), 1u);
        ExpectStrip(out.strips[0], {{2, 0, 0}, {2, 10, 0}});
    }
    {
        // The node's own lines share one arc length: 0.5 of (10 + 30) ends 10 into the second.
        VectorScene root;
        AddPolyline(root, {{0, 0, 0}, {10, 0, 0}});
        AddPolyline(root, {{0, 1, 0}, {30, 1, 0}});
        Recorder out;
        root.DrawFraction(out, 0.f, 0.5f);
        ASSERT_EQ(out.strips.size(), 2u);
        ExpectStrip(out.strips[0], {{0, 0, 0}, {10, 0, 0}});
        ExpectStrip(out.strips[1], {{0, 1, 0}, {10, 1, 0}});
        Recorder tail;
        root.DrawFraction(tail, 0.5f, 1.f);
        ASSERT_EQ(tail.strips.size(), 1u);
        ExpectStrip(tail.strips[0], {{10, 1, 0}, {30, 1, 0}});
    }
}

TEST(VectorScene, PointAtLength)
{
    VectorScene root;
    rvTransform2D t;
    t._vPosition = glm::vec2(100.f, 0.f);
    t.Update();
    root.SetTransform(&t);
    VectorSceneLine* pLine = AddPolyline(root, {{0, 0, 0}, {10, 0, 0}});
    pLine->_vColor = glm::vec4(0.2f, 0.4f, 0.6f, 0.8f);
    pLine->_fWidth = 3.f;
    VectorScene* pChild = root.AddChild();
    AddPolyline(*pChild, {{0, 0, 0}, {0, 4, 0}});

    VectorScenePoint p = root.PointAtLength(5.f);
    EXPECT_EQ(p._vPosition, glm::vec3(105.f, 0.f, 0.f));
    EXPECT_EQ(p._vColor, glm::vec4(0.2f, 0.4f, 0.6f, 0.f));
    EXPECT_EQ(p._fWidth, 3.f);
    // The boundary between the line and the child belongs to the line.
    EXPECT_EQ(root.PointAtLength(10.f)._vPosition, glm::vec3(110.f, 0.f, 0.f));
    // Inside the child, which has no transform of its own.
    EXPECT_EQ(root.PointAtLength(12.f)._vPosition, glm::vec3(0.f, 2.f, 0.f));

    // Past the end of the tree: origin, white, fourth float 0, width 0.5.
    VectorScenePoint past = root.PointAtLength(15.f);
    EXPECT_EQ(past._vPosition, glm::vec3(0.f));
    EXPECT_EQ(past._vColor, glm::vec4(1.f, 1.f, 1.f, 0.f));
    EXPECT_EQ(past._fWidth, 0.5f);
    EXPECT_EQ(VectorScene().PointAtLength(0.f)._fWidth, 0.5f);

    // On a single line, outside its length: its first point, transformed.
    EXPECT_EQ(pLine->PointAtLength(&t, 50.f)._vPosition, glm::vec3(100.f, 0.f, 0.f));
    // A line without points gives the untransformed origin with its own style.
    VectorSceneLine* pEmpty = root.AddLine();
    EXPECT_EQ(pEmpty->PointAtLength(&t, 0.f)._vPosition, glm::vec3(0.f));
}

TEST(VectorScene, UpdateTransformsVisitsEachDistinctTransformOnce)
{
    CountingTransform shared, other;
    VectorScene root;
    VectorScene* a = root.AddChild();
    VectorScene* b = root.AddChild();
    VectorScene* b1 = b->AddChild();
    root.SetTransform(&shared);
    root.UpdateTransforms();
    EXPECT_EQ(shared.nUpdates, 1);

    b1->_pTransform = &other;
    root.UpdateTransforms();
    EXPECT_EQ(shared.nUpdates, 2);
    EXPECT_EQ(other.nUpdates, 0); // b shares the root's transform: its subtree is not visited

    b->_pTransform = nullptr;
    b->_bOwnMatrix = true;
    root.UpdateTransforms();
    EXPECT_EQ(shared.nUpdates, 3);
    EXPECT_EQ(other.nUpdates, 1);
    EXPECT_EQ(a->GetTransform(), &shared);
    EXPECT_EQ(b->GetTransform(), &b->_Transform);
}

TEST(VectorScene, CopyMatrixFreezesTheTreeAndClearKeepsTheTransform)
{
    rvTransform2D t;
    t._vPosition = glm::vec2(3.f, 4.f);
    VectorScene root;
    VectorScene* pChild = root.AddChild();
    root.SetTransform(&t);
    root.CopyMatrix(t, true);
    for (VectorScene* n : {&root, pChild})
    {
        EXPECT_EQ(n->_pTransform, nullptr);
        EXPECT_TRUE(n->_bOwnMatrix);
        EXPECT_EQ(n->_Transform._mMatrix[3], glm::vec4(3.f, 4.f, 0.f, 1.f));
    }
    t._vPosition = glm::vec2(9.f, 9.f);
    t.Update();
    EXPECT_EQ(root._Transform._mMatrix[3], glm::vec4(3.f, 4.f, 0.f, 1.f));

    root.SetTransform(nullptr); // does nothing
    EXPECT_TRUE(root._bOwnMatrix);
    root.SetTransform(&t);
    root._fEpsilon = 0.5f;
    AddPolyline(root, {{0, 0, 0}, {1, 1, 1}});
    root.Clear();
    EXPECT_TRUE(root._apLines.empty());
    EXPECT_TRUE(root._apChildren.empty());
    EXPECT_EQ(root._pTransform, &t);
    EXPECT_TRUE(root._bOwnMatrix);
    EXPECT_EQ(root._fEpsilon, 0.5f);
}

TEST(VectorSceneFile, LayoutStoresEveryPoint)
{
    VectorScene root;
    AddPolyline(root, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
    root.AddChild();
    std::string bytes = SaveToString(root);
    // int32 1, int32 3, 3 points, int32 1 (children), the child's int32 0 and int32 0.
    ASSERT_EQ(bytes.size(), 4u + 4u + 36u + 4u + 4u + 4u);
    int32_t ints[2];
    std::memcpy(ints, bytes.data(), 8);
    EXPECT_EQ(ints[0], 1);
    EXPECT_EQ(ints[1], 3);
    float first[3];
    std::memcpy(first, bytes.data() + 8, 12);
    EXPECT_EQ(first[0], 1.f);
    EXPECT_EQ(first[2], 3.f);
}

TEST(VectorSceneFile, RoundTripIsLosslessIncludingOnePointAndEmptyLines)
{
    VectorScene root;
    AddPolyline(root, {{1, 2, 3}, {4, 5, 6}, {-7, 8.5f, 9}});
    AddPolyline(root, {{0.25f, -0.5f, 1e-7f}}); // one point
    root.AddLine();                             // empty
    VectorScene* pChild = root.AddChild();
    AddPolyline(*pChild, {{0, 0, 0}, {3, 4, 0}});
    pChild->AddChild()->AddChild();
    root.AddChild();

    std::string bytes = SaveToString(root);
    VectorScene loaded;
    const char* p = bytes.data();
    ASSERT_TRUE(loaded.LoadBinary(p, bytes.data() + bytes.size()));
    EXPECT_EQ(p, bytes.data() + bytes.size());
    ExpectSameTree(root, loaded);

    // Loading appends: the same buffer twice doubles lines and children.
    p = bytes.data();
    ASSERT_TRUE(loaded.LoadBinary(p, bytes.data() + bytes.size()));
    EXPECT_EQ(loaded._apLines.size(), 6u);
    EXPECT_EQ(loaded._apChildren.size(), 4u);
}

TEST(VectorSceneFile, TruncatedAndMalformedFilesAreRejected)
{
    VectorScene root;
    AddPolyline(root, {{1, 2, 3}, {4, 5, 6}});
    AddPolyline(*root.AddChild(), {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}});
    const std::string bytes = SaveToString(root);

    // Every proper prefix is rejected; nothing is appended and the cursor stays.
    for (size_t n = 0; n < bytes.size(); ++n)
    {
        std::vector<char> buf(bytes.begin(), bytes.begin() + long(n)); // exact size: ASan sees overreads
        VectorScene node;
        AddPolyline(node, {{9, 9, 9}, {8, 8, 8}});
        const char* begin = buf.data();
        const char* p = begin;
        EXPECT_FALSE(node.LoadBinary(p, begin + n)) << "prefix of " << n << " bytes";
        EXPECT_EQ(p, begin);
        EXPECT_EQ(node._apLines.size(), 1u);
        EXPECT_TRUE(node._apChildren.empty());
    }

    auto ints = [](std::initializer_list<int32_t> v)
    {
        std::string s(v.size() * 4, '\0');
        std::memcpy(s.data(), v.begin(), s.size());
        return s;
    };
    struct Case
    {
        const char* name;
        std::string data;
        bool ok;
    };
    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += ints({0, 1});
    deep += ints({0, 0});
    const Case cases[] = {
        {"huge line count", ints({0x7fffffff, 0}), false},
        {"huge point count", ints({1, 0x7fffffff, 0}), false},
        {"huge child count", ints({0, 0x7fffffff}), false},
        {"negative counts read as none", ints({-3, -1}), true},
        {"negative point count reads as an empty line", ints({1, -5, 0}), true},
        {"nesting beyond the limit", deep, false},
    };
    for (const Case& c : cases)
    {
        VectorScene node;
        const char* p = c.data.data();
        EXPECT_EQ(node.LoadBinary(p, c.data.data() + c.data.size()), c.ok) << c.name;
        EXPECT_EQ(p == c.data.data() + c.data.size(), c.ok) << c.name;
    }
    VectorScene node;
    const char* p = nullptr;
    EXPECT_FALSE(node.LoadBinary(p, p));
}

// ---- The scene on a real vector display (geometry collection needs no GL context) ----

#include "Factory/fxBase.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

namespace
{
struct VectorSceneOnDisplay : ::testing::Test
{
    vector_display* pDisplay = nullptr;
    vector_display* pPrevious = nullptr;
    void SetUp() override
    {
        ASSERT_EQ(vector_display_create(&pDisplay, 64, 64), 0);
        pPrevious = rvSceneDisplay::_pCurrentDisplay;
        rvSceneDisplay::_pCurrentDisplay = pDisplay;
    }
    void TearDown() override
    {
        rvSceneDisplay::_pCurrentDisplay = pPrevious;
        vector_display_destroy(pDisplay);
    }
};
} // namespace

TEST_F(VectorSceneOnDisplay, LinesBecomeStripsWithTheirColourAndAWidthOfZeroKeepsTheThickness)
{
    VectorScene root;
    VectorSceneLine* pA = AddPolyline(root, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}});
    pA->_vColor = glm::vec4(1.f, 0.5f, 0.25f, 1.f);
    pA->_fWidth = 2.f;
    VectorSceneLine* pB = AddPolyline(root, {{5, 5, 5}, {6, 6, 6}});
    pB->_fWidth = 0.f;
    root.Draw();

    // START, 3 points, END, then START, 2 points, END.
    ASSERT_EQ(pDisplay->npoints, 9);
    const vector_display_point* p = pDisplay->points;
    EXPECT_EQ(p[0].flags, PTF_LINE_STRIPSTART);
    EXPECT_EQ(p[4].flags, PTF_LINE_STRIPEND);
    EXPECT_EQ(p[3].x, 1.f);
    EXPECT_EQ(p[3].y, 1.f);
    EXPECT_EQ(p[1].g, 0.5f);
    EXPECT_EQ(p[1].thickness, 2.f);
    EXPECT_EQ(p[6].r, 1.f);
    EXPECT_EQ(p[6].b, 1.f);
    EXPECT_EQ(p[6].thickness, 2.f); // width 0: the previous line's thickness stays
    EXPECT_EQ(pDisplay->npoints_strip, 0);

    // A range with from >= to leaves the display's colour untouched.
    vector_display_set_rgb(pDisplay, 0.1f, 0.2f, 0.3f);
    pA->DrawRange(nullptr, 1.f, 1.f);
    EXPECT_EQ(pDisplay->settings.color[0], 0.1f);
    root.DrawFraction(0.f, 1.f);
    EXPECT_EQ(pDisplay->npoints, 18);
}

TEST_F(VectorSceneOnDisplay, EffectUpdateRefreshesItsSceneTransforms)
{
    CountingTransform t;
    VectorScene scene;
    scene.AddChild()->AddLine()->AddPoint(1, 2, 3);
    scene.SetTransform(&t);
    // Installed at start-up; set again here because other tests replace the hook.
    fxBase::_pfnUpdateVectorScene = &VectorScene::UpdateEffectScene;
    fxBase* pEffect = fxBase::Create(fxBase::GetDescriptor());
    pEffect->_pVectorScene = &scene;
    pEffect->SetState(State_SequenceStarted);
    pEffect->Update();
    EXPECT_EQ(t.nUpdates, 1);
    pEffect->SetState(State_DemoStoped);
    delete pEffect;
}

TEST(VectorSceneDeathTest, DrawingNeedsACurrentDisplay)
{
    VectorScene root;
    AddPolyline(root, {{0, 0, 0}, {1, 0, 0}});
    vector_display* pSaved = rvSceneDisplay::_pCurrentDisplay;
    rvSceneDisplay::_pCurrentDisplay = nullptr;
    EXPECT_DEATH(root.Draw(), "_pCurrentDisplay");
    rvSceneDisplay::_pCurrentDisplay = pSaved;
}
