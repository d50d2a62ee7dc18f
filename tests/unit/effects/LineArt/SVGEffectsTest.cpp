// The SVG drawing effect and the morph effect on a geometry-only display: the scene built from a
// drawing, the automatic placement, the level of detail, the morph between two shapes (files or
// another effect's scene) and its coupling to the fades.
#include "LineArtFixture.h"

#include "Sequencer/rvSequence.h"
#include "effects/fxCircle/fxCircle.h"
#include "effects/fxMorph/fxMorph.h"
#include "effects/fxSVG/fxSVG.h"
#include "effects/fxText/fxText.h"
#include "svg/SvgParser.h"

#include <cmath>

using rvTest::EffectPtr;
using rvTest::Strip;

namespace
{
// Parses a drawing held in a string.
struct Parsed
{
    explicit Parsed(std::string text) : _sText(std::move(text)) { _pImage = SvgParse(&_sText[0], 96.f); }
    ~Parsed() { SvgDelete(_pImage); }
    std::string _sText;
    SvgImage* _pImage = nullptr;
};

// A horizontal bar and a vertical bar, each 200 units long, centred in their drawings.
const char* const kHorizontal = R"(<svg width="200" height="20"><path d="M0 10 L200 10"/></svg>)";
const char* const kVertical = R"(<svg width="20" height="200"><path d="M10 0 L10 200"/></svg>)";

class SVGEffectsTest : public rvTest::LineArtTest
{
};
} // namespace

TEST_F(SVGEffectsTest, DrawingBecomesOneNodePerShapeWithFlattenedPaths)
{
    auto s = New<fxSVG>();
    Parsed d(R"(<svg width="200" height="100">
        <path d="M0 0 C10 0 20 0 30 0 C30 10 30 20 30 30"/>
        <path d="M40 40 C50 40 60 50 70 70 Z"/>
        <path d="M0 0 C20 60 80 60 100 0"/>
        <path id="PIVOT_A" d="M150 20 L151 20"/><path id="PIVOT_B" d="M10 10 L11 10"/></svg>)");
    ASSERT_NE(d._pImage, nullptr);
    s->BuildScene(d._pImage);
    const auto& nodes = s->_VectorScene._apChildren;
    ASSERT_EQ(nodes.size(), 5u);
    // Straight cubics add only their end points.
    EXPECT_EQ(nodes[0]->_apLines[0]->_aPoints,
              (std::vector<glm::vec3>{{0, 0, 0}, {30, 0, 0}, {30, 30, 0}}));
    // A closed path ends on its first point again; a curved one is flattened within 1 unit.
    const auto& closed = nodes[1]->_apLines[0]->_aPoints;
    EXPECT_EQ(closed.front(), glm::vec3(40, 40, 0));
    EXPECT_EQ(closed.back(), glm::vec3(40, 40, 0));
    const auto& arc = nodes[2]->_apLines[0]->_aPoints;
    EXPECT_GT(arc.size(), 4u);
    EXPECT_EQ(arc.back(), glm::vec3(100, 0, 0));
    for (const glm::vec3& p : arc) // the curve reaches y = 45 at its middle and stays below
        EXPECT_LE(p.y, 45.01f);
    // The first "PIVOT..." path gives the pivot; the longer side spans 100 units.
    EXPECT_EQ(s->_Transform._vPivot, glm::vec3(150, 20, 0));
    EXPECT_EQ(s->_Transform._vScale, glm::vec3(0.5f, 0.5f, 1.f));
    EXPECT_EQ(nodes[3]->_pTransform, &s->_Transform);
    EXPECT_EQ(s->_VectorScene._fEpsilon, s->_fLODEpsilon);

    // Without a pivot path: the drawing's centre. With "Auto Transform" off nothing changes.
    auto t = New<fxSVG>();
    Parsed plain(R"(<svg width="200" height="100"><path d="M0 0 L10 10"/></svg>)");
    t->BuildScene(plain._pImage);
    EXPECT_EQ(t->_Transform._vPivot, glm::vec3(100, 50, 0));
    auto u = New<fxSVG>();
    u->_bAutoTransform = false;
    u->_Transform._vScale = glm::vec3(3.f);
    u->BuildScene(plain._pImage);
    EXPECT_EQ(u->_Transform._vScale, glm::vec3(3.f));
    EXPECT_EQ(u->_Transform._vPivot, glm::vec3(0.f));

    // A hostile curve (coordinates that overflow to infinity) adds nothing and ends.
    VectorSceneLine line;
    fxSVG::AddCubicBezier(&line, 0, 0, INFINITY, 0, 0, NAN, 1, 1, 1.f, 0);
    EXPECT_TRUE(line._aPoints.empty());
}

TEST_F(SVGEffectsTest, InitReadsPhysicalUnitsAtTheReadersResolution)
{
    ASSERT_TRUE(Archive({{"Data/svg/inch.svg", R"(<svg width="2in" height="1in" viewBox="0 0 200 100">
        <path d="M0 0 L200 100"/></svg>)"}}));
    auto s = New<fxSVG>();
    s->_sFile = "Data/svg/inch.svg";
    s->SetState(State_DemoStarted);
    ASSERT_EQ(s->_VectorScene._apChildren.size(), 1u);
    // 2 inches at 96 dots per inch: 192 units wide, a finite scale.
    EXPECT_NEAR(s->_Transform._vScale.x, 100.f / 192.f, 1e-5f);
    EXPECT_TRUE(std::isfinite(s->_Transform._vScale.y));

    // A missing file: an empty scene, nothing drawn, no assertion.
    s->SetState(State_DemoStoped);
    s->_sFile = "Data/svg/missing.svg";
    s->SetState(State_DemoStarted);
    EXPECT_TRUE(s->_VectorScene._apChildren.empty());
    Frame(*s, 0.f);
    EXPECT_EQ(_pDisplay->npoints, 0);
}

TEST_F(SVGEffectsTest, RenderColoursSizesAndSimplifiesOnlyWhenTheToleranceChanged)
{
    ASSERT_TRUE(Archive({{"Data/svg/wave.svg", R"(<svg width="100" height="100">
        <path d="M0 100 C0 0 100 0 100 100"/></svg>)"}}));
    auto s = New<fxSVG>();
    s->_sFile = "Data/svg/wave.svg";
    s->_vColor = glm::vec4(3.f, 0.5f, 0.25f, 1.f); // above 1: drawn at full strength
    s->_fThickness = 1.25f;
    s->_fFadeIn = 1.f;
    s->SetState(State_DemoStarted);
    FrameAt(*s, 0.f);
    ASSERT_FALSE(Strips().empty());
    EXPECT_EQ(Strips()[0]._vColor, glm::vec3(0.f)); // black at the start of the fade-in
    FrameAt(*s, 2.f);
    const std::vector<Strip> lod = Strips();
    ASSERT_EQ(lod.size(), 1u);
    EXPECT_EQ(lod[0]._vColor, glm::vec3(1.f, 0.5f, 0.25f));
    EXPECT_EQ(lod[0]._fThickness, 1.25f);
    const size_t nAll = s->_VectorScene._apChildren[0]->_apLines[0]->_aPoints.size();

    // A coarse tolerance while "LOD Enabled" is off: all points, no new simplification...
    s->_bLODEnabled = false;
    s->_fLODEpsilon = 5.f;
    FrameAt(*s, 2.f);
    EXPECT_EQ(Strips()[0]._aPoints.size(), nAll + 2); // with the strip's two adjacency points
    EXPECT_EQ(s->_VectorScene._fEpsilon, 0.1f);
    // ...until it is switched on again.
    s->_bLODEnabled = true;
    FrameAt(*s, 2.f);
    EXPECT_EQ(s->_VectorScene._fEpsilon, 5.f);
    EXPECT_LT(Strips()[0]._aPoints.size(), lod[0]._aPoints.size());
}

TEST_F(SVGEffectsTest, SVGAttributesRoundTripThroughJson)
{
    const Json::Value stored = rvTest::ParseJson(R"({"Class": "fxSVG", "Properties": {
        "Name": "Machine", "SVG": "Data/svg/x.svg", "Auto Transform": false, "LOD Enabled": false,
        "LOD Epsilon": 0.4, "Thickness": 1.5, "Color.g": 0.25, "Transform.Rot.x": 180.0}})");
    EffectPtr<fxBase> loaded(Factory::EffectFromJson(stored));
    ASSERT_NE(loaded, nullptr);
    fxSVG& s = static_cast<fxSVG&>(*loaded);
    EXPECT_EQ(s._sFile, "Data/svg/x.svg");
    EXPECT_FALSE(s._bAutoTransform);
    EXPECT_EQ(s._Transform._vRotation.x, 180.f);
    Json::Value saved(Json::objectValue);
    ASSERT_TRUE(Factory::EffectToJson(loaded.get(), saved));
    EffectPtr<fxBase> again(Factory::EffectFromJson(saved));
    Json::Value savedAgain(Json::objectValue);
    Factory::EffectToJson(again.get(), savedAgain);
    EXPECT_EQ(savedAgain, saved);
    EXPECT_EQ(saved["Properties"]["LOD Epsilon"].asFloat(), 0.4f);
}

TEST_F(SVGEffectsTest, MorphSitsOnSourceBetweenAndDestination)
{
    ASSERT_TRUE(Archive({{"Data/svg/h.svg", kHorizontal}, {"Data/svg/v.svg", kVertical}}));
    auto m = New<fxMorph>();
    m->_sSourceSVG = "Data/svg/h.svg";
    m->_sDestinationSVG = "Data/svg/v.svg";
    m->_fFadeIn = m->_fFadeOut = 0.f;
    m->SetState(State_DemoStarted);
    ASSERT_GT(m->_Morph._nEdges, 0);
    // Bounds of what is drawn at a morph amount.
    auto bounds = [&](float amount, glm::vec2& lo, glm::vec2& hi)
    {
        m->_fUserMorph = amount;
        Frame(*m, 0.f);
        lo = glm::vec2(1e9f);
        hi = glm::vec2(-1e9f);
        for (const Strip& s : Strips())
            for (const glm::vec3& p : s._aPoints)
            {
                lo = glm::min(lo, glm::vec2(p));
                hi = glm::max(hi, glm::vec2(p));
            }
    };
    glm::vec2 lo, hi;
    bounds(0.f, lo, hi); // the source: 20 units wide (0.1 per SVG unit), flat
    EXPECT_NEAR(hi.x - lo.x, 20.f, 0.2f);
    EXPECT_NEAR(hi.y - lo.y, 0.f, 0.01f);
    bounds(1.f, lo, hi); // the destination: 20 units high, thin
    EXPECT_NEAR(hi.y - lo.y, 20.f, 0.2f);
    EXPECT_NEAR(hi.x - lo.x, 0.f, 0.01f);
    bounds(0.5f, lo, hi); // halfway: every point on the diagonal band between the two
    EXPECT_NEAR(hi.x - lo.x, 10.f, 0.2f);
    EXPECT_NEAR(hi.y - lo.y, 10.f, 0.2f);

    // "Destination/Size" 2 doubles the destination about its placement point, with no reload.
    m->_fDestinationSize = 2.f;
    bounds(1.f, lo, hi);
    EXPECT_NEAR(hi.y - lo.y, 40.f, 0.4f);
}

TEST_F(SVGEffectsTest, MorphAmountAndColourFollowTheFades)
{
    ASSERT_TRUE(Archive({{"Data/svg/h.svg", kHorizontal}, {"Data/svg/v.svg", kVertical}}));
    auto m = New<fxMorph>();
    m->_sSourceSVG = "Data/svg/h.svg";
    m->_sDestinationSVG = "Data/svg/v.svg";
    m->_fFadeIn = 1.f;
    m->_fFadeOut = 1.f;
    m->_nEnd = 600; // 10 s
    m->_vColor = glm::vec4(2.f, 0.5f, 1.f, 1.f);
    m->SetState(State_DemoStarted);
    struct Case
    {
        float t;
        bool inColor;
        float morph, colorG;
    };
    // Smoothstep of the fade; the colour follows the fade only when asked, always inside 0..1.
    const Case cases[] = {{0.f, false, 0.f, 0.5f}, {0.5f, false, 0.5f, 0.5f}, {3.f, false, 1.f, 0.5f},
                          {9.5f, false, 0.5f, 0.5f}, {0.5f, true, 0.5f, 0.25f}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "t " << c.t);
        m->_bFadeInColor = c.inColor;
        FrameAt(*m, c.t);
        EXPECT_NEAR(m->MorphAmount(), c.morph, 1e-5f);
        ASSERT_FALSE(Strips().empty());
        EXPECT_EQ(Strips()[0]._vColor.r, 1.f); // 2 x the factor, kept at 1
        EXPECT_NEAR(Strips()[0]._vColor.g, c.colorG, 1e-5f);
    }
    // With the coupling off the morph stays on "UserMorph".
    m->_bFadeInMorph = false;
    m->_fUserMorph = 0.25f;
    FrameAt(*m, 0.5f);
    EXPECT_EQ(m->MorphAmount(), 0.25f);
}

TEST_F(SVGEffectsTest, MorphTakesAnotherEffectsSceneFirstAndFallsBackToTheFile)
{
    ASSERT_TRUE(Archive({{"Data/svg/h.svg", kHorizontal}, {"Data/svg/v.svg", kVertical}}));
    rvSequence seq(false);
    auto* title = static_cast<fxText*>(fxText::Create(fxText::RegisterAttributes()));
    title->_sName = "Title";
    title->_bRenderSimplex = true;
    title->_sText = "I";
    title->_Params._fSize = 10.f;
    seq.AddEffect(title);
    auto* ring = static_cast<fxCircle*>(fxCircle::Create(fxCircle::RegisterAttributes()));
    ring->_sName = "Ring"; // an effect without a vector scene
    seq.AddEffect(ring);
    auto* m = static_cast<fxMorph*>(fxMorph::Create(fxMorph::RegisterAttributes()));
    m->_sSourceFX = "Title";
    m->_sSourceSVG = "Data/svg/h.svg";
    m->_sDestinationFX = "Ring";
    m->_sDestinationSVG = "Data/svg/v.svg";
    seq.AddEffect(m);
    title->SetState(State_DemoStarted);
    m->SetState(State_DemoStarted);
    // The source is the letter "I" of the text (one vertical stroke, 21 stroke units x 0.3).
    glm::vec2 lo(1e9f), hi(-1e9f);
    for (const nanoSVG2Edge::Node& n : m->_Morph._SVGSource._aNodes)
    {
        lo = glm::min(lo, n._v);
        hi = glm::max(hi, n._v);
    }
    EXPECT_EQ(m->_Morph._vSourceScale, glm::vec2(0.1f, -0.1f));
    EXPECT_NEAR(hi.y - lo.y, 21.f * 0.3f, 0.05f);
    EXPECT_NEAR(hi.x - lo.x, 0.f, 0.01f);
    // The circle has no scene: the destination is the file.
    EXPECT_EQ(m->_Morph._vDestScale, glm::vec2(0.1f, -0.1f));
    EXPECT_GT(m->_Morph._SVGDest._nEdges, 0);
    EXPECT_GT(m->_Morph._nEdges, 0);

    // Outside a timeline the names are ignored.
    auto alone = New<fxMorph>();
    alone->_sSourceFX = "Title";
    alone->_sSourceSVG = "Data/svg/h.svg";
    alone->_sDestinationSVG = "Data/svg/v.svg";
    alone->SetState(State_DemoStarted);
    EXPECT_GT(alone->_Morph._SVGSource._nNodes, 0);
    EXPECT_NEAR(alone->_Morph._SVGSource._aNodes[0]._v.y, 0.f, 0.01f); // the flat bar
    // A missing file ends Init without pairs; Render then draws nothing.
    alone->SetState(State_DemoStoped);
    alone->_sDestinationSVG = "Data/svg/missing.svg";
    alone->SetState(State_DemoStarted);
    EXPECT_EQ(alone->_Morph._nEdges, 0);
    Frame(*alone, 0.f);
    EXPECT_EQ(_pDisplay->npoints, 0);
    seq.Clear();
}

TEST_F(SVGEffectsTest, MorphAttributesRoundTripThroughJson)
{
    const Json::Value stored = rvTest::ParseJson(R"({"Class": "fxMorph", "Properties": {
        "Name": "HeadToLogo", "Source/FX": "Title", "Destination/SVG": "Data/svg/ZQ4_logo_v1.svg",
        "Source/Pos.x": -20.0, "Destination/Size": 1.5, "UserMorph": 0.75, "FadeOutColor": true,
        "Style/Thickness": 0.6, "Style/Color.b": 0.5}})");
    EffectPtr<fxBase> loaded(Factory::EffectFromJson(stored));
    ASSERT_NE(loaded, nullptr);
    fxMorph& m = static_cast<fxMorph&>(*loaded);
    EXPECT_EQ(m._sSourceFX, "Title");
    EXPECT_EQ(m._vSourcePos.x, -20.f);
    EXPECT_EQ(m._fDestinationSize, 1.5f);
    EXPECT_EQ(m._sSourceSVG, "Data/svg/custom/head.svg");
    Json::Value saved(Json::objectValue);
    ASSERT_TRUE(Factory::EffectToJson(loaded.get(), saved));
    EffectPtr<fxBase> again(Factory::EffectFromJson(saved));
    Json::Value savedAgain(Json::objectValue);
    Factory::EffectToJson(again.get(), savedAgain);
    EXPECT_EQ(savedAgain, saved);
}
