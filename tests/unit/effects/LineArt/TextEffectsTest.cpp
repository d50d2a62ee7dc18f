// Vector text and neon text on a geometry-only display: the glyph scene of each font mode, the
// reveal by arc length, the text file, the rebuild rules, colours kept inside the display's range,
// and the neon flicker table.
#include "LineArtFixture.h"

#include "Factory/fxDescriptor.h"
#include "Loader/rvDataPack.h"
#include "effects/fxText/fxText.h"
#include "effects/fxTextNeon/fxTextNeon.h"

#include <cmath>

using rvTest::EffectPtr;
using rvTest::Strip;

namespace
{
class TextEffectsTest : public rvTest::LineArtTest
{
protected:
    bool ArchiveWithFont(std::map<std::string, std::string> extra = {})
    {
        extra["Data/Font/Rudovadov.ttf"] = rvTest::ReadBinaryFile(rvTest::kSansPath);
        return Archive(extra);
    }
    // Length of glyph j of the scene (its lines, through nothing).
    static float GlyphLength(const fxText& t, size_t j) { return t._VectorScene._apChildren[j]->GetLength(); }
};
} // namespace

TEST_F(TextEffectsTest, StrokeFontRevealIsMeasuredByArcLengthInsideEachGlyph)
{
    auto t = New<fxText>();
    t->_bRenderSimplex = true;
    t->_sText = "Hello World !";
    t->_fFadeIn = 0.f;
    t->_fLODEpsilon = 0.f;
    t->SetState(State_DemoStarted);
    ASSERT_EQ(t->_VectorScene._apChildren.size(), 13u); // the spaces count as empty glyphs

    float total = 0.f, first3 = 0.f;
    for (size_t j = 0; j < 13; ++j)
        total += GlyphLength(*t, j);
    first3 = GlyphLength(*t, 0) + GlyphLength(*t, 1);

    struct Case
    {
        float start, end, expected;
    };
    const Case cases[] = {
        {0.f, -1.f, total},                                             // every glyph in full
        {0.f, 2.f, first3},                                             // glyphs 0 and 1 only
        {0.f, 2.5f, first3 + 0.5f * GlyphLength(*t, 2)},                // half of glyph 2 by length
        {1.5f, -1.f, total - first3},                                   // 0 and 1 hidden whole
        {0.f, 0.25f, 0.25f * GlyphLength(*t, 0)},                       // a quarter of "H"
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "start " << c.start << " end " << c.end);
        t->_fStartChar = c.start;
        t->_fEndChar = c.end;
        Frame(*t, 0.f);
        EXPECT_NEAR(DrawnLength(), c.expected, 1e-3f * total);
    }
}

TEST_F(TextEffectsTest, TextFileKeepsTheTextAttributeAndEveryEditOfTextIsSeen)
{
    ASSERT_TRUE(ArchiveWithFont({{"Data/txt/title.txt", std::string("ZQ4\0ignored", 11)}}));
    auto t = New<fxText>();
    t->_bRenderSimplex = true;
    t->_sText = "abc";
    t->_sTextFile = "Data/txt/title.txt";
    t->SetState(State_DemoStarted);
    EXPECT_EQ(t->_Params._sText, "ZQ4"); // up to the zero byte
    EXPECT_EQ(t->_VectorScene._apChildren.size(), 3u);
    // The attribute is kept, so saving the effect does not lose it.
    EXPECT_EQ(t->_sText, "abc");
    Json::Value saved(Json::objectValue);
    ASSERT_TRUE(Factory::EffectToJson(t.get(), saved));
    EXPECT_EQ(saved["Properties"]["Text"].asString(), "abc");
    t->SetState(State_DemoStoped);

    // Without a file, an edit of the same length is picked up at the next frame.
    t->_sTextFile.clear();
    t->SetState(State_DemoStarted);
    Frame(*t, 0.f);
    const VectorScene* before = t->_VectorScene._apChildren[2];
    const float cLength = before->GetLength();
    t->_sText = "abd";
    Frame(*t, 0.f);
    EXPECT_EQ(t->_Params._sText, "abd");
    EXPECT_NE(t->_VectorScene._apChildren[2]->GetLength(), cLength);
    t->_sText = "abcd";
    Frame(*t, 0.f);
    EXPECT_EQ(t->_VectorScene._apChildren.size(), 4u);

    // A file that cannot be read leaves "Text" in use.
    t->SetState(State_DemoStoped);
    t->_sTextFile = "Data/txt/missing.txt";
    t->SetState(State_DemoStarted);
    EXPECT_EQ(t->_Params._sText, "abcd");
}

// A text file past the reader's bound (every character would become a glyph scene: 9.6 MB took
// 8.3 GB) is refused with a warning naming it, and "Text" is shown instead.
TEST_F(TextEffectsTest, TextFileLongerThanTheBoundIsRefusedByName)
{
    const size_t bound = rvDataPack::kMaxTextBytes;
    ASSERT_TRUE(ArchiveWithFont({{"Data/txt/huge.txt", std::string(bound + 1, 'x')}}));
    auto t = New<fxText>();
    t->_bRenderSimplex = true;
    t->_sText = "abc";
    t->_sTextFile = "Data/txt/huge.txt";
    testing::internal::CaptureStderr();
    t->SetState(State_DemoStarted);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("morvane: warning: fxText: \"Data/txt/huge.txt\""), std::string::npos) << err;
    EXPECT_EQ(t->_Params._sText, "abc");
    EXPECT_EQ(t->_VectorScene._apChildren.size(), 3u);
}

TEST_F(TextEffectsTest, TrueTypeModesFollowEachOtherAndRebuildOnlyWhenTheShapeChanges)
{
    ASSERT_TRUE(ArchiveWithFont());
    auto t = New<fxText>();
    t->_sText = "A\nB";
    t->SetState(State_DemoStarted);
    ASSERT_NE(t->_pFont, nullptr);
    ASSERT_EQ(t->_VectorScene._apChildren.size(), 2u); // the newline makes no outline glyph
    VectorScene* outlineA = t->_VectorScene._apChildren[0];
    EXPECT_EQ(outlineA->_pTransform, &t->_Transform);
    EXPECT_EQ(outlineA->_apLines[0]->_pWidth, &t->_fThickness);

    // Colour, thickness and the reveal need no rebuild: the nodes stay.
    t->_vColor = glm::vec4(1, 0, 0, 1);
    t->_fThickness = 0.9f;
    t->_fEndChar = 1.f;
    Frame(*t, 0.f);
    EXPECT_EQ(t->_VectorScene._apChildren[0], outlineA);
    const std::vector<Strip> strips = Strips();
    ASSERT_FALSE(strips.empty());
    EXPECT_EQ(strips[0]._fThickness, 0.9f);

    // Outline and dots together: the outline glyphs first, then the dot glyphs.
    t->_Params._bRenderDot = true;
    t->_fEndChar = -1.f;
    Frame(*t, 0.f);
    ASSERT_EQ(t->_VectorScene._apChildren.size(), 4u);
    EXPECT_LT(t->_VectorScene._apChildren[0]->_apLines.size(), t->_VectorScene._apChildren[2]->_apLines.size());
    // A new tolerance rebuilds; all modes off leaves nothing to draw.
    t->_fLODEpsilon = 0.5f;
    Frame(*t, 0.f);
    EXPECT_EQ(t->_VectorScene._apChildren[0]->_fEpsilon, 0.5f);
    t->_Params._bRenderOutline = t->_Params._bRenderDot = false;
    Frame(*t, 0.f);
    EXPECT_TRUE(t->_VectorScene._apChildren.empty());
    EXPECT_EQ(_pDisplay->npoints, 0);

    // A font that cannot be read draws nothing; the stroke font then works.
    t->_sFont = "Data/Font/missing.ttf";
    Frame(*t, 0.f);
    EXPECT_EQ(t->_pFont, nullptr);
    t->_bRenderSimplex = true;
    Frame(*t, 0.f);
    EXPECT_GT(_pDisplay->npoints, 0);
}

TEST_F(TextEffectsTest, ColourFollowsTheFadeAndStaysInsideTheDisplaysRange)
{
    auto t = New<fxText>();
    t->_bRenderSimplex = true;
    t->_sText = "ZQ";
    t->_fFadeIn = 1.f;
    t->_vColor = glm::vec4(2.5f, 0.5f, 1.5f, 1.f); // stored above 1: drawn at full strength
    t->SetState(State_DemoStarted);
    FrameAt(*t, 0.f);
    ASSERT_FALSE(Strips().empty());
    EXPECT_EQ(Strips()[0]._vColor, glm::vec3(0.f)); // drawn in black at the start of the fade-in
    FrameAt(*t, 2.f);
    EXPECT_EQ(Strips()[0]._vColor, glm::vec3(1.f, 0.5f, 1.f));
}

TEST_F(TextEffectsTest, AttributesRoundTripThroughJson)
{
    const Json::Value stored = rvTest::ParseJson(R"({"Class": "fxTextNeon", "Properties": {
        "Name": "Neon", "Text": "ZQ4\nlive", "Size": 12.5, "Render Simplex": true, "EndChar": 2.5,
        "Neon": 0.25, "EvalSteps": 40, "SeedInitial": 7, "SeedPerPath": false, "ColorMid.g": 0.5,
        "Transform.Pos.x": -30.0, "Color.r": 0.75}})");
    EffectPtr<fxBase> loaded(Factory::EffectFromJson(stored));
    ASSERT_NE(loaded, nullptr);
    fxTextNeon& n = static_cast<fxTextNeon&>(*loaded);
    EXPECT_EQ(n._sText, "ZQ4\nlive");
    EXPECT_EQ(n._Params._fSize, 12.5f);
    EXPECT_EQ(n._nEvalSteps, 40);
    EXPECT_FALSE(n._bSeedPerPath);
    EXPECT_EQ(n._Transform._vPosition.x, -30.f);
    Json::Value saved(Json::objectValue);
    ASSERT_TRUE(Factory::EffectToJson(loaded.get(), saved));
    EffectPtr<fxBase> again(Factory::EffectFromJson(saved));
    Json::Value savedAgain(Json::objectValue);
    Factory::EffectToJson(again.get(), savedAgain);
    EXPECT_EQ(savedAgain, saved);
    for (const char* key : {"Font", "TextFile", "StartChar", "LOD Epsilon", "Scale", "Dot Size", "Thickness",
                            "Render Dot", "Render Outline", "Render Lines", "EvalVariation", "EvalThreshold",
                            "ColorOff.b", "ThicknessOff", "ThicknessMid"})
        EXPECT_TRUE(saved["Properties"].isMember(key)) << key;
    EXPECT_EQ(fxTextNeon::GetDescriptor()->_pParent, fxText::GetDescriptor());
}

TEST_F(TextEffectsTest, NeonFlickerTableIsSeededMonotoneAtTheEndAndDrawnWhole)
{
    auto n = New<fxTextNeon>();
    n->_bRenderSimplex = true;
    n->_sText = "NEON";
    n->_fFadeIn = 0.f;
    n->_nSeedInitial = 1234;
    n->_fEndChar = 1.f; // the reveal plays no part
    n->SetState(State_DemoStarted);
    ASSERT_EQ(n->_nChar, 4);
    ASSERT_EQ(n->_aNeonLooks.size(), size_t(4 * 101));
    const glm::vec4 on(glm::vec3(n->_vColor), n->_fThickness);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(n->_aNeonLooks[size_t(100 * 4 + i)], on) << i; // the last step is the "on" look

    // The first jump of the generator from seed 1234, worked out by hand: state 1234 * 1664525 +
    // 1013904223 = 0xB6DCDE09 (mod 2^32); bytes reversed 0x09DEDCB6; low 23 bits 0x5EDCB6.
    const float F = 2.f * (1.f + float(0x5EDCB6) / float(1 << 23));
    const float r = (F - 2.f) * 0.5f * 2.f * 0.3f - 0.3f;
    const float p = std::max(0.f, r);
    const glm::vec4 off(0.f, 0.f, 0.5f, 0.25f), mid(0.f, 0.f, 0.75f, 0.3f);
    const glm::vec4 expected = off + (mid - off) * (p / 0.75f);
    for (int c = 0; c < 4; ++c)
        EXPECT_NEAR(n->_aNeonLooks[0][c], expected[c], 1e-6f);

    // Same seed, same table; "SeedPerPath" off makes every glyph flicker in step.
    auto m = New<fxTextNeon>();
    m->_bRenderSimplex = true;
    m->_sText = "NEON";
    m->_nSeedInitial = 1234;
    m->SetState(State_DemoStarted);
    EXPECT_EQ(m->_aNeonLooks, n->_aNeonLooks);
    m->SetState(State_DemoStoped);
    m->_bSeedPerPath = false;
    m->SetState(State_DemoStarted);
    for (int j = 0; j <= 100; ++j)
        for (int i = 1; i < 4; ++i)
            EXPECT_EQ(m->_aNeonLooks[size_t(j * 4 + i)], m->_aNeonLooks[size_t(j * 4)]);

    // "Neon" 1 draws every glyph of the whole text in the "on" look; the look sets the width.
    n->_fNeon = 1.f;
    Frame(*n, 0.f);
    float lit = 0.f;
    for (const Strip& s : Strips())
    {
        EXPECT_EQ(s._vColor, glm::vec3(n->_vColor));
        EXPECT_EQ(s._fThickness, n->_fThickness);
        lit += s.Length();
    }
    EXPECT_NEAR(lit, n->_VectorScene.GetLength(), 1e-3f * lit);
    // Out-of-range "Neon" values pick the nearest step.
    n->_fNeon = 7.f;
    EXPECT_EQ(n->CurrentStep(), 100);
    n->_fNeon = -1.f;
    EXPECT_EQ(n->CurrentStep(), 0);
}
