#include "svg/nanoSVGBase.h"
#include "svg/nanoSVGFlatten.h"

#include "rvMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{
// An object holding a parsed drawing (no GL: the preparation steps run one by one).
struct Drawing : nanoSVGBase
{
    explicit Drawing(const std::string& body)
    {
        std::string text = "<svg width=\"100\" height=\"100\" viewBox=\"0 0 100 100\">" + body + "</svg>";
        _pImage = SvgParse(&text[0], 96.f);
    }
    ~Drawing() { Release(); }
};

std::string Rect(const std::string& id, const std::string& extra = "")
{
    return "<rect id=\"" + id + "\" x=\"10\" y=\"20\" width=\"30\" height=\"40\" " + extra + "/>";
}

std::vector<std::string> MemberIds(const nanoSVGPart* part)
{
    std::vector<std::string> ids;
    for (const SvgShape* s : part->_apMembers)
        ids.push_back(s->_sId);
    return ids;
}
} // namespace

TEST(nanoSVGBase, GroupingNamesAndColours)
{
    Drawing d(Rect("A", "class=\"cls-5\" stroke=\"red\"") + Rect("B", "class=\"cls-9\" stroke=\"red\"") +
              Rect("A") + Rect("ENG1.1") + Rect("ENG1.2") + Rect("ENG10.1") + Rect("Layer_2") +
              Rect("layer_2b") + Rect("PIVOT_x") + Rect("CACHE7") + Rect("CACHE3") +
              Rect("", "class=\"cls-1 cls-2\"") + Rect(""));
    d.GroupShapes();
    struct
    {
        const char* name;
        size_t shapes;
        bool visible, eng, cache, cache3;
    } want[] = {
        {"A", 1, true, false, false, false},        {"B", 1, true, false, false, false},
        {"A", 1, true, false, false, false},        {"ENG1.1", 3, true, true, false, false},
        {"Layer_2", 1, false, false, false, false}, {"layer_2b", 1, false, false, false, false},
        {"PIVOT_x", 1, false, false, false, false}, {"CACHE7", 1, true, false, true, false},
        {"CACHE3", 1, true, false, true, true},     {"", 2, true, false, false, false},
    };
    ASSERT_EQ(d._apObjects.size(), std::size(want));
    for (size_t i = 0; i < std::size(want); ++i)
    {
        const nanoSVGObject* o = d._apObjects[i];
        EXPECT_EQ(o->_sName, want[i].name) << i;
        EXPECT_EQ(o->_apShapes.size(), want[i].shapes) << i;
        EXPECT_EQ(o->_bVisible, want[i].visible) << i;
        EXPECT_EQ(o->_bEng, want[i].eng) << i;
        EXPECT_EQ(o->_bCache, want[i].cache) << i;
        EXPECT_EQ(o->_bCache3, want[i].cache3) << i;
        for (const SvgShape* s : o->_apShapes)
            EXPECT_TRUE(s->_bShown);
    }
    EXPECT_TRUE(d._bHasCache);
    const SvgShape* a = d._apObjects[0]->_apShapes[0];
    EXPECT_EQ(a->_Stroke._nColor, 0xffdbedd2u);
    EXPECT_EQ(a->_Stroke._eType, SVG_PAINT_COLOR);
    EXPECT_EQ(d._apObjects[1]->_apShapes[0]->_Stroke._nColor, 0xff0000ffu); // red as the parser packed it
    EXPECT_EQ(d.FindShape("ENG1.2"), d._apObjects[3]->_apShapes[1]);
    EXPECT_EQ(d.FindShape("nope"), nullptr);

    // The last object obeys the name rules too.
    Drawing last(Rect("X") + Rect("CACHE1"));
    last.GroupShapes();
    ASSERT_EQ(last._apObjects.size(), 2u);
    EXPECT_TRUE(last._apObjects[1]->_bCache);
    EXPECT_TRUE(last._bHasCache);
}

TEST(nanoSVGBase, ClassColourReplacesAGradientStroke)
{
    // The class's colour and a gradient share the paint's storage: the gradient is released, not
    // overwritten (the release would then free the colour as a pointer).
    Drawing d("<linearGradient id=\"g\"><stop offset=\"0\" stop-color=\"red\"/></linearGradient>" +
              Rect("A", "class=\"cls-3\" stroke=\"url(#g)\" fill=\"url(#g)\""));
    ASSERT_EQ(d._pImage->_pShapes->_Stroke._eType, SVG_PAINT_LINEAR_GRADIENT);
    d.GroupShapes();
    const SvgShape* a = d._pImage->_pShapes;
    EXPECT_EQ(a->_Stroke._eType, SVG_PAINT_COLOR);
    EXPECT_EQ(a->_Stroke._nColor, 0xff6393cdu);
    EXPECT_EQ(a->_Fill._eType, SVG_PAINT_LINEAR_GRADIENT); // the fill keeps its gradient
}

TEST(nanoSVGBase, PartsFollowGroupsVariantsAndMembers)
{
    struct
    {
        std::vector<std::string> ids;
        std::vector<std::vector<std::string>> parts;
        std::vector<std::string> names;
    } cases[] = {
        {{"ENG1.1-2", "ENG2.1", "ENG1.2", "ENG1.1"},
         {{"ENG1.1", "ENG1.2"}, {"ENG1.1-2"}, {"ENG2.1"}},
         {"ENG1.2", "ENG1.1-2", "ENG2.1"}},
        {{"ENG1.2", "ENG2.1"}, {}, {}},
        {{"ENG1.1", "ENG1.3"}, {{"ENG1.1"}}, {"ENG1.1"}},
        {{"ENG1.1", "ENG1.1", "ENG10.1"}, {{"ENG1.1"}}, {"ENG1.1"}},
        {{"A", "B"}, {}, {}},
    };
    for (const auto& c : cases)
    {
        std::string body;
        for (const std::string& id : c.ids)
            body += Rect(id);
        Drawing d(body);
        d.GroupShapes();
        d.BuildParts();
        ASSERT_EQ(d._apParts.size(), c.parts.size()) << body;
        for (size_t i = 0; i < c.parts.size(); ++i)
        {
            EXPECT_EQ(MemberIds(d._apParts[i]), c.parts[i]) << body;
            EXPECT_EQ(d._apParts[i]->_sName, c.names[i]) << body;
            for (const SvgShape* s : d._apParts[i]->_apMembers)
                EXPECT_EQ(s->_pPart, d._apParts[i]);
            // Every member is the 30 x 40 rectangle at (10, 20).
            EXPECT_NEAR(d._apParts[i]->_vPivot.x, 25.f, 1e-4);
            EXPECT_NEAR(d._apParts[i]->_vPivot.y, 40.f, 1e-4);
            EXPECT_NEAR(d._apParts[i]->_fRadius, 25.f, 1e-4);
            EXPECT_EQ(d._apParts[i]->_fPeriod, 1.f);
        }
    }
}

TEST(nanoSVGBase, PartWithoutPointsKeepsAZeroCircle)
{
    Drawing d("<path id=\"ENG1.1\" d=\"M5 5\"/>");
    d.GroupShapes();
    d.BuildParts();
    ASSERT_EQ(d._apParts.size(), 1u);
    EXPECT_EQ(d._apParts[0]->_vPivot, glm::vec3(0.f));
    EXPECT_EQ(d._apParts[0]->_fRadius, 0.f);
}

TEST(nanoSVGBase, FitFactor)
{
    EXPECT_NEAR(nanoSVGBase::ComputeFitFactor(100.f, 50.f, 1920.f, 1080.f), 237.5f / 1920.f, 1e-6);
    EXPECT_NEAR(nanoSVGBase::ComputeFitFactor(50.f, 50.f, 1920.f, 1080.f), 0.0868056f, 1e-6);
}

TEST(nanoSVGPart, SteppedAndFreeTransforms)
{
    rvTransform3D parent;
    nanoSVGPart stepped;
    stepped._bStepped = true;
    stepped._vAngles = glm::vec3(0.f, 0.f, 1.f);
    const float timers[] = {0.25f, 0.5f, 0.75f, 1.0f, 1.25f, 0.f};
    for (float t : timers)
    {
        stepped.UpdateTransform(parent, 0.25f);
        EXPECT_FLOAT_EQ(stepped._fTimer, t);
        if (t != 0.f)
        {
            EXPECT_EQ(stepped._mTransform, glm::mat4(1.f));
        }
    }
    EXPECT_EQ(stepped._vHeldAngles, stepped._vAngles);

    nanoSVGPart free;
    free._vPivot = glm::vec3(10.f, 0.f, 0.f);
    free._vAngles.z = 1.5707964f;
    free.UpdateTransform(parent, 0.1f);
    const glm::vec4 p = free._mTransform * glm::vec4(20.f, 0.f, 0.f, 1.f);
    EXPECT_NEAR(p.x, 10.f, 1e-5);
    EXPECT_NEAR(p.y, 10.f, 1e-5);
    parent._mMatrix[3] = glm::vec4(5.f, 0.f, 0.f, 1.f);
    free.UpdateTransform(parent, 0.1f);
    EXPECT_NEAR((free._mTransform * glm::vec4(20.f, 0.f, 0.f, 1.f)).x, 15.f, 1e-5);
}

TEST(nanoSVGFlatten, DistanceAndFlattening)
{
    EXPECT_FLOAT_EQ(DistPointSegmentSq({1, 1}, {0, 0}, {2, 0}), 1.f);
    EXPECT_FLOAT_EQ(DistPointSegmentSq({-3, 4}, {0, 0}, {2, 0}), 25.f);
    EXPECT_FLOAT_EQ(DistPointSegmentSq({3, 4}, {0, 0}, {0, 0}), 25.f);

    std::vector<glm::vec2> line;
    FlattenCubicToPoints({0, 0}, {1, 0}, {2, 0}, {3, 0}, 0.1f, 0, line);
    ASSERT_EQ(line.size(), 1u);
    EXPECT_EQ(line[0], glm::vec2(3, 0));

    std::vector<glm::vec2> arc;
    FlattenCubicToPoints({0, 0}, {0, 50}, {100, 50}, {100, 0}, 0.5f, 0, arc);
    EXPECT_GT(arc.size(), 8u);
    EXPECT_EQ(arc.back(), glm::vec2(100, 0));
    for (size_t i = 1; i < arc.size(); ++i)
        EXPECT_GT(arc[i].x, arc[i - 1].x);

    // A zero tolerance stops after 12 levels of halving, each remaining piece taken as its
    // chord: at most 8192 points (fewer where float halving lands exactly on the chord), still
    // ending at the curve's end.
    std::vector<glm::vec2> fine;
    FlattenCubicToPoints({0, 0}, {0, 50}, {100, 50}, {100, 0}, 0.f, 0, fine);
    EXPECT_LE(fine.size(), 8192u);
    EXPECT_GT(fine.size(), 4096u);
    EXPECT_EQ(fine.back(), glm::vec2(100, 0));
}

TEST(nanoSVGBase, ReleaseOnAnEmptyObjectAndNullPath)
{
    nanoSVGBase empty;
    empty.Release();
    EXPECT_EQ(empty.Load(nullptr), -1);
    EXPECT_EQ(empty._pImage, nullptr);
    EXPECT_EQ(empty._vPivot, glm::vec3(0.f));
    EXPECT_EQ(empty._mFitMatrix, glm::mat4(1.f));
}
