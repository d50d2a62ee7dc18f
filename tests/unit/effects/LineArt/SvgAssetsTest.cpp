// The drawings that tools/gen-svg writes for the line-art effects, generated into a temporary
// folder and read with the SVG reader: the ids, classes, parts and counts their effects rely on.
#include <gtest/gtest.h>

#include "LineArtFixture.h"
#include "TestSupport.h"
#include "svg/SvgParser.h"
#include "svg/nanoSVG2Edge.h"
#include "svg/nanoSVGBase.h"

#include <cstdlib>
#include <cstring>
#include <set>

namespace
{
class SvgAssetsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_pDir = new rvTest::TempWorkDir();
        const std::string cmd = "python3 '" + rvTest::SourcePath("tools/gen-svg") + "' --out '" + s_pDir->Path() + "/svg'";
        s_bGenerated = std::system(cmd.c_str()) == 0;
    }
    static void TearDownTestSuite()
    {
        delete s_pDir;
        s_pDir = nullptr;
    }
    // Parses one generated drawing into the SVG object (objects grouped, parts built; occluders are
    // not triangulated, which needs GL).
    void Load(nanoSVGBase& svg, const std::string& rel)
    {
        ASSERT_TRUE(s_bGenerated);
        _sText = rvTest::ReadBinaryFile(s_pDir->Path() + "/svg/" + rel);
        ASSERT_FALSE(_sText.empty()) << rel;
        svg._pImage = SvgParse(&_sText[0], 96.f);
        ASSERT_NE(svg._pImage, nullptr) << rel;
        svg.GroupShapes();
        svg.BuildParts();
    }
    static int CountShapes(const SvgImage* image, const char* prefix)
    {
        int n = 0;
        for (const SvgShape* s = image->_pShapes; s; s = s->_pNext)
            n += std::strncmp(s->_sId, prefix, std::strlen(prefix)) == 0 ? 1 : 0;
        return n;
    }
    static const nanoSVGObject* Object(const nanoSVGBase& svg, const std::string& name)
    {
        for (const nanoSVGObject* o : svg._apObjects)
            if (o->_sName == name) return o;
        return nullptr;
    }

    std::string _sText;
    static rvTest::TempWorkDir* s_pDir;
    static bool s_bGenerated;
};
rvTest::TempWorkDir* SvgAssetsTest::s_pDir = nullptr;
bool SvgAssetsTest::s_bGenerated = false;
} // namespace

TEST_F(SvgAssetsTest, EyeMachineHasMeshingGearPartsOccludersPivotAndClasses)
{
    nanoSVGBase svg;
    Load(svg, "EyesUniverse/Eyes_Universe_PRW4C.svg");
    // Nine gears: ENG1.m, ENG1.m-2, ENG2.m, ENG2.m-2, ENG3.m, ENG3.m-2, ENG4.m, ENG5.m, ENG6.m,
    // each of an outline, a hub and spokes.
    ASSERT_EQ(svg._apParts.size(), 9u);
    std::set<std::string> names;
    for (const nanoSVGPart* p : svg._apParts)
    {
        EXPECT_EQ(p->_apMembers.size(), 3u) << p->_sName;
        EXPECT_GT(p->_fRadius, 50.f) << p->_sName;
        names.insert(p->_sName);
    }
    EXPECT_TRUE(names.count("ENG1.3-2"));
    EXPECT_TRUE(names.count("ENG6.3"));
    // The first two gears mesh: their centres lie the sum of their pitch radii apart (module 14).
    const glm::vec3 d = svg._apParts[1]->_vPivot - svg._apParts[0]->_vPivot;
    EXPECT_NEAR(glm::length(d), 14.f * (24 + 16) / 2.f, 2.f);
    // Occluders: CACHE1 and CACHE2 one outline each, CACHE3 two with the outer one second.
    for (const char* c : {"CACHE1", "CACHE2", "CACHE3"})
    {
        const nanoSVGObject* o = Object(svg, c);
        ASSERT_NE(o, nullptr) << c;
        EXPECT_TRUE(o->_bCache);
    }
    const nanoSVGObject* ring = Object(svg, "CACHE3");
    ASSERT_EQ(ring->_apShapes.size(), 2u);
    EXPECT_TRUE(ring->_bCache3);
    EXPECT_GT(ring->_apShapes[1]->_aBounds[2] - ring->_apShapes[1]->_aBounds[0],
              ring->_apShapes[0]->_aBounds[2] - ring->_apShapes[0]->_aBounds[0]);
    EXPECT_TRUE(svg._bHasCache);
    // The pivot path at the pupil, and every class of the style block in use.
    ASSERT_NE(svg.FindShape("PIVOT"), nullptr);
    EXPECT_EQ(svg.FindShape("PIVOT")->_pPaths->_pPoints[0], 800.f);
    std::set<std::string> classes;
    for (const SvgShape* s = svg._pImage->_pShapes; s; s = s->_pNext)
        if (s->_sClass[0]) classes.insert(s->_sClass);
    EXPECT_EQ(classes.size(), 8u);
    EXPECT_TRUE(classes.count("cls-1") && classes.count("cls-8"));
    const std::string raw = rvTest::ReadBinaryFile(s_pDir->Path() + "/svg/EyesUniverse/Eyes_Universe_PRW4C.svg");
    EXPECT_NE(raw.find("<style>"), std::string::npos);
    svg.Release();
}

TEST_F(SvgAssetsTest, MachineryOfTimeHasItsWheelsClockPendulumAndPivot)
{
    nanoSVGBase svg;
    Load(svg, "EyesUniverse/Machinery_Of_Time.svg");
    EXPECT_EQ(svg._pImage->_fWidth, 800.f);
    EXPECT_EQ(svg._pImage->_fHeight, 500.f);
    EXPECT_EQ(CountShapes(svg._pImage, "Wheel"), 5 * 4); // 5 wheels: teeth, rim, hub, spokes
    EXPECT_GE(CountShapes(svg._pImage, "Clock"), 15);
    EXPECT_EQ(CountShapes(svg._pImage, "Pendulum"), 4);
    ASSERT_NE(svg.FindShape("PIVOT"), nullptr);
    EXPECT_EQ(svg.FindShape("PIVOT")->_pPaths->_pPoints[0], 300.f);
    svg.Release();
}

TEST_F(SvgAssetsTest, EyeUniverseLayersHeadMantaAndLogosBecomeEdgeGraphs)
{
    struct Case
    {
        const char* file;
        float width, height;
        int minShapes, minEdges;
        bool pivot;
    };
    const Case cases[] = {
        {"EyesUniverse_low/Eyes_Universe_PRW1.svg", 100, 100, 5, 200, false},  // head in profile
        {"EyesUniverse_low/Eyes_Universe_PRW2.svg", 100, 100, 17, 200, false}, // orbits and stars
        {"EyesUniverse_low/Eyes_Universe_PRW3.svg", 100, 100, 10, 150, true},  // an eye
        {"EyesUniverse_low/Eyes_Universe_PRW4C.svg", 100, 100, 8, 300, false}, // a ring of gears
        {"EyesUniverse_low/Eyes_Universe_PRW5C.svg", 100, 100, 25, 300, false}, // iris rays
        {"custom/head.svg", 600, 700, 5, 1500, false},
        {"custom/mantaray.svg", 200, 240, 14, 400, false},
        {"ZQ4_logo_v1.svg", 600, 600, 9, 3000, false},
        {"ZQ4_logo_v1_low.svg", 100, 100, 9, 400, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.file);
        nanoSVG2Edge graph;
        Load(graph, c.file);
        EXPECT_EQ(graph._pImage->_fWidth, c.width);
        EXPECT_EQ(graph._pImage->_fHeight, c.height);
        int shapes = 0;
        for (const SvgShape* s = graph._pImage->_pShapes; s; s = s->_pNext)
            ++shapes;
        EXPECT_GE(shapes, c.minShapes);
        EXPECT_EQ(graph.FindShape("PIVOT") != nullptr, c.pivot);
        graph.BuildFromImage();
        EXPECT_GE(graph._nEdges, c.minEdges);
        EXPECT_TRUE(graph._apParts.empty()); // no gear parts in these drawings
        graph.Release();
    }
    // The manta's body outline is closed and symmetric about x = 100, head at the top.
    nanoSVGBase manta;
    Load(manta, "custom/mantaray.svg");
    const SvgShape* body = manta.FindShape("Body");
    ASSERT_NE(body, nullptr);
    const SvgPath* outline = nullptr;
    for (const SvgPath* p = body->_pPaths; p; p = p->_pNext)
        if (p->_bClosed && p->_nPoints > 10) outline = p;
    ASSERT_NE(outline, nullptr);
    EXPECT_NEAR(outline->_aBounds[0] + outline->_aBounds[2], 200.f, 0.5f);
    EXPECT_LT(outline->_aBounds[1], 12.f);
    manta.Release();
}
