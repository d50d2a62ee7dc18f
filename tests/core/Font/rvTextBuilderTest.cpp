#include "Font/rvFontManager.h"
#include "TestSupport.h"
#include "DataPackGuard.h"
#include "Font/rvTextBuilder.h"
#include "VectorScene/VectorScene.h"

#include "ArchiveFixture.h"
#include "HostileFont.h"
#include "Font/rvFont.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
const glm::vec4 kColor(0.25f, 0.5f, 0.75f, 1.f);
const char* const kSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

float MaxY(const VectorScene& node)
{
    float y = -1e9f;
    for (const VectorSceneLine* line : node._apLines)
        for (const glm::vec3& p : line->_aPoints)
            y = std::max(y, p.y);
    return y;
}

float MinX(const VectorScene& node)
{
    float x = 1e9f;
    for (const VectorSceneLine* line : node._apLines)
        for (const glm::vec3& p : line->_aPoints)
            x = std::min(x, p.x);
    return x;
}

size_t CountLines(const VectorScene& parent)
{
    size_t n = 0;
    for (const VectorScene* child : parent._apChildren)
        n += child->_apLines.size();
    return n;
}

// A font loaded from a one-entry archive (the archive mounts once per process).
rvFont* LoadSans(rvTest::TempWorkDir& dir, const std::string& name = "Data/Font/Rudovadov.ttf")
{
    if (!rvTest::BuildArchive(dir, {{name, rvTest::ReadFileBytes(kSans)}})) return nullptr;
    return rvFontManager::GetInstance()->GetFont(name);
}
} // namespace

TEST(TextSimplex, SizesNewlinesAndTabs)
{
    VectorScene parent;
    rvTextParams params;
    params._fSize = 20.f;
    params._sText = "A B\nA";
    BuildTextSimplex(params, &parent, kColor);
    ASSERT_EQ(parent._apChildren.size(), 4u); // the space has a child, the newline none
    const VectorScene& a = *parent._apChildren[0];
    EXPECT_EQ(a._apLines.size(), 3u);
    EXPECT_TRUE(parent._apChildren[1]->_apLines.empty());
    EXPECT_NEAR(MaxY(a), 12.6f, 1e-4);
    EXPECT_NEAR(MaxY(*parent._apChildren[3]), 12.6f - 21.f, 1e-4); // a newline is 21 units down
    EXPECT_EQ(a._apLines[0]->_vColor, kColor);
    EXPECT_EQ(a._apLines[0]->_pColor, nullptr);
    for (const VectorSceneLine* line : a._apLines)
        for (const glm::vec3& p : line->_aPoints)
            EXPECT_EQ(p.z, 0.f);

    struct
    {
        const char* text;
        float penX;
    } tabs[] = {
        {"\t", 24.f}, // on a stop: one full stop on
        {"\t\t", 48.f},
        {"a\t", 24.f},         // the a ends at 11.4
        {"\x01\x7f\xc8", 0.f}, // bytes outside 32..126 are skipped
    };
    for (const auto& t : tabs)
    {
        VectorScene scene;
        rvTextParams p;
        p._fSize = 20.f;
        p._sText = t.text;
        BuildTextSimplex(p, &scene, kColor);
        EXPECT_NEAR(p._vPen.x, t.penX, 1e-4) << t.text;
    }
    VectorScene tabbed;
    rvTextParams p;
    p._fSize = 20.f;
    p._sText = "a\tb";
    BuildTextSimplex(p, &tabbed, kColor);
    ASSERT_EQ(tabbed._apChildren.size(), 2u);
    EXPECT_GE(MinX(*tabbed._apChildren[1]), 24.f);
}

TEST(FontManager, DefaultFontAndAssertions)
{
    rvFontManager* m = rvFontManager::GetInstance();
    EXPECT_EQ(m, rvFontManager::GetInstance());
    rvFont* simplex = m->GetDefaultFont();
    EXPECT_TRUE(simplex->_bSimplex);
    EXPECT_EQ(simplex->_sFile, "Simplex");
    EXPECT_EQ(simplex->_pFontInfo, nullptr);
    EXPECT_EQ(m->Find("Simplex"), simplex);
    EXPECT_EQ(m->Find("simplex"), nullptr);
    EXPECT_DEATH(m->AddFont("Simplex", nullptr), "Find\\(sFile\\)==nullptr");
    EXPECT_DEATH(
        {
            m->_aFonts[0]->_bSimplex = false;
            m->GetDefaultFont();
        },
        "_bSimplex==true");
}

TEST(FontManager, GetFontReadsOnceAndRefusesBadFiles)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    const std::string sans = rvTest::ReadFileBytes(kSans);
    ASSERT_GT(sans.size(), 10000u);
    std::map<std::string, std::string> entries = {{"Data/Font/Rudovadov.ttf", sans},
                                                  {"Data/Font/garbage.ttf", std::string(4096, 'x')},
                                                  {"Data/Font/empty.ttf", ""}};
    // Truncations across the file: table directory, tables, the glyph data at the end.
    const size_t cuts[] = {
        4, 12, 100, 1000, sans.size() / 3, sans.size() / 2, sans.size() - 1000, sans.size() - 1};
    for (size_t cut : cuts)
        entries["Data/Font/cut" + std::to_string(cut) + ".ttf"] = sans.substr(0, cut);
    ASSERT_TRUE(rvTest::BuildArchive(dir, entries));

    rvFontManager* m = rvFontManager::GetInstance();
    const size_t before = m->_aFonts.size();
    rvFont* font = m->GetFont("Data/Font/Rudovadov.ttf");
    ASSERT_NE(font, nullptr);
    EXPECT_FALSE(font->_bSimplex);
    EXPECT_NE(font->_pFontInfo, nullptr);
    EXPECT_EQ(m->GetFont("Data/Font/Rudovadov.ttf"), font);
    EXPECT_EQ(m->_aFonts.size(), before + 1);
    for (const char* bad : {"Data/Font/missing.ttf", "Data/Font/garbage.ttf", "Data/Font/empty.ttf"})
    {
        EXPECT_EQ(m->GetFont(bad), nullptr) << bad;
        EXPECT_EQ(m->GetFont(bad), nullptr) << bad;
    }
    for (size_t cut : cuts)
        EXPECT_EQ(m->GetFont("Data/Font/cut" + std::to_string(cut) + ".ttf"), nullptr) << cut;
    EXPECT_EQ(m->_aFonts.size(), before + 1);
}

// Bytes of the real font with one field changed: every change is refused or read safely.
TEST(FontManager, CorruptedTablesAreRefused)
{
    const std::string sans = rvTest::ReadFileBytes(kSans);
    std::vector<uint8_t> bytes(sans.begin(), sans.end());
    ASSERT_TRUE(rvFontManager::IsFontDataSafe(bytes.data(), int(bytes.size())));

    auto u32 = [&](size_t off)
    {
        return (uint32_t(bytes[off]) << 24) | (uint32_t(bytes[off + 1]) << 16) | (bytes[off + 2] << 8) |
               bytes[off + 3];
    };
    auto table = [&](const char* tag) -> size_t
    {
        const size_t n = (bytes[4] << 8) | bytes[5];
        for (size_t i = 0; i < n; ++i)
            if (std::memcmp(&bytes[12 + 16 * i], tag, 4) == 0) return 12 + 16 * i;
        return 0;
    };
    struct
    {
        const char* what;
        const char* tag;
        int field; // byte offset in the directory record (8 offset, 12 length), or -1: first glyph
        uint32_t value;
    } cases[] = {
        {"glyf past the end", "glyf", 8, 0x7fffff00u},
        {"loca too short", "loca", 12, 4},
        {"hmtx too short", "hmtx", 12, 8},
        {"cmap offset past the end", "cmap", 8, uint32_t(sans.size())},
        {"head too short", "head", 12, 20},
    };
    for (const auto& c : cases)
    {
        std::vector<uint8_t> copy = bytes;
        const size_t rec = table(c.tag);
        ASSERT_NE(rec, 0u) << c.tag;
        for (int k = 0; k < 4; ++k)
            copy[rec + c.field + k] = uint8_t(c.value >> (24 - 8 * k));
        EXPECT_FALSE(rvFontManager::IsFontDataSafe(copy.data(), int(copy.size()))) << c.what;
    }

    // A composite glyph that names itself would make the outline reader recurse without end.
    {
        std::vector<uint8_t> copy = bytes;
        const size_t glyf = u32(table("glyf") + 8), loca = u32(table("loca") + 8);
        const size_t head = u32(table("head") + 8);
        const bool longLoca = bytes[head + 51] != 0;
        const size_t g = 36; // some glyph with an outline
        const size_t off =
            longLoca ? u32(loca + 4 * g) : size_t((bytes[loca + 2 * g] << 8) | bytes[loca + 2 * g + 1]) * 2;
        const size_t at = glyf + off;
        copy[at] = 0xff; // numberOfContours = -1
        copy[at + 1] = 0xff;
        copy[at + 10] = 0x00; // flags: XY values, byte arguments, no more components
        copy[at + 11] = 0x02;
        copy[at + 12] = uint8_t(g >> 8);
        copy[at + 13] = uint8_t(g);
        EXPECT_FALSE(rvFontManager::IsFontDataSafe(copy.data(), int(copy.size())));
    }
    // A composite glyph placing another glyph: kept while every placed point fits the 16 bits the
    // outline reader stores it in, refused when an offset (or a scale) takes one past them.
    for (const int dx : {100, 32000})
    {
        std::vector<uint8_t> copy = bytes;
        const size_t glyf = u32(table("glyf") + 8), loca = u32(table("loca") + 8);
        const size_t head = u32(table("head") + 8);
        const bool longLoca = bytes[head + 51] != 0;
        const size_t g = 36, child = 37; // glyphs with an outline
        const size_t off =
            longLoca ? u32(loca + 4 * g) : size_t((bytes[loca + 2 * g] << 8) | bytes[loca + 2 * g + 1]) * 2;
        const size_t at = glyf + off;
        const uint8_t composite[] = {0xff, 0xff, 0, 0, 0, 0, 0, 0, 0, 0, // numberOfContours = -1, box
                                     0x00, 0x03,                         // XY values, word arguments
                                     uint8_t(child >> 8), uint8_t(child), uint8_t(dx >> 8), uint8_t(dx), 0, 0};
        std::memcpy(&copy[at], composite, sizeof(composite));
        EXPECT_EQ(rvFontManager::IsFontDataSafe(copy.data(), int(copy.size())), dx == 100) << dx;
    }
    EXPECT_FALSE(rvFontManager::IsFontDataSafe(nullptr, 0));
}

TEST(FontManager, KerningAndOutlineFaultsAreRefused)
{
    const rvTest::FontEdit sans(rvTest::ReadFileBytes(kSans));
    ASSERT_TRUE(rvFontManager::IsFontDataSafe(sans.Data(), sans.Size()));
    const size_t kern = sans.Table("kern"), gpos = sans.Table("GPOS");
    ASSERT_TRUE(kern && gpos);
    ASSERT_GE(sans.U16(kern + 2), 1); // a horizontal first subtable: its pairs are read
    ASSERT_EQ(sans.U16(kern + 8), 1);
    const struct
    {
        const char* what;
        void (*edit)(rvTest::FontEdit&);
    } cases[] = {
        {"kern pairs past the table", [](rvTest::FontEdit& e) { e.Put16(e.Table("kern") + 10, 0xffff); }},
        {"GPOS lookup list past the table", [](rvTest::FontEdit& e) { e.Put16(e.Table("GPOS") + 8, 0xfff0); }},
        {"GPOS lookup past the table",
         [](rvTest::FontEdit& e)
         {
             const size_t list = e.Table("GPOS") + e.U16(e.Table("GPOS") + 8);
             e.Put16(list + 2, 0xfff0);
         }},
        {"last contour one point off the curve", [](rvTest::FontEdit& e) { e.LastContourOffCurve('o'); }},
    };
    for (const auto& c : cases)
    {
        rvTest::FontEdit e = sans;
        c.edit(e);
        EXPECT_FALSE(rvFontManager::IsFontDataSafe(e.Data(), e.Size())) << c.what;
    }
}

namespace
{
// Dot text of an edited font opened straight from its bytes (the check must accept it); returns
// where the pen ends.
float DotText(const rvTest::FontEdit& e, const char* text, float size, VectorScene& out)
{
    EXPECT_TRUE(rvFontManager::IsFontDataSafe(e.Data(), e.Size()));
    stbtt_fontinfo info;
    EXPECT_TRUE(stbtt_InitFont(&info, e.Data(), 0));
    rvFont font;
    font._pFontInfo = &info;
    rvTextParams p;
    p._fSize = size;
    p._sText = text;
    BuildTextDots(&font, p, &out, kColor);
    return p._vPen.x;
}
} // namespace

// A font that passes the check but whose ascent is 1 unit: the pixel modes would render each
// glyph thousands of pixels wide; such glyphs are skipped and the pen still advances.
TEST(TextTrueType, TinyAscentRendersNoHugeBitmap)
{
    rvTest::FontEdit e(rvTest::ReadFileBytes(kSans));
    e.TinyAscent();
    VectorScene dots;
    EXPECT_GT(DotText(e, "Hi", 20.f, dots), 0.f);
    ASSERT_EQ(dots._apChildren.size(), 2u);
    EXPECT_EQ(CountLines(dots), 0u);
}

// Pixel text is sized by the outline, not by the box the glyph declares: a box stored inverted or
// smaller than the outline (stale boxes exist in real fonts) loses no pixel, and never hands the
// rasterizer an outline that leaves its bitmap (it stops on an assertion then).
TEST(TextTrueType, PixelTextCoversTheOutlineWhateverTheDeclaredBox)
{
    auto dotsOfH = [](const rvTest::FontEdit& e)
    {
        VectorScene dots;
        DotText(e, "H", 30.f, dots);
        return CountLines(dots);
    };
    const rvTest::FontEdit sans(rvTest::ReadFileBytes(kSans));
    const size_t want = dotsOfH(sans);
    ASSERT_GT(want, 50u);
    rvTest::FontEdit inverted = sans, shrunk = sans;
    inverted.InvertBox('H');
    shrunk.ShrinkBox('H');
    EXPECT_EQ(dotsOfH(inverted), want);
    EXPECT_EQ(dotsOfH(shrunk), want);
}

TEST(TextTrueType, OutlinesDotsAndRuns)
{
    rvTest::TempWorkDir dir;
    rvFont* font = LoadSans(dir);
    ASSERT_NE(font, nullptr);

    // Outline: one line per contour; no child for a character without a glyph.
    VectorScene outline;
    rvTextParams params;
    params._fSize = 10.f;
    params._sText = "o \x01l\n";
    BuildTextOutline(font, params, &outline, kColor);
    ASSERT_EQ(outline._apChildren.size(), 3u); // o, space, l
    EXPECT_EQ(outline._apChildren[0]->_apLines.size(), 2u);
    EXPECT_TRUE(outline._apChildren[1]->_apLines.empty());
    EXPECT_EQ(outline._apChildren[2]->_apLines.size(), 1u);
    EXPECT_GT(params._fFontScale, 0.f);
    EXPECT_EQ(params._vPen, glm::vec2(0.f, -10.f));
    const float lTop = MaxY(*outline._apChildren[2]);
    EXPECT_GT(lTop, 6.f);
    EXPECT_LT(lTop, 10.f);
    EXPECT_EQ(outline._apChildren[0]->_apLines[0]->_vColor, kColor);

    // Dots and runs describe the same pixels: every run covers as many dots as its length.
    for (float scale : {1.f, 2.f})
    {
        VectorScene dots, runs;
        rvTextParams p;
        p._fSize = 20.f;
        p._fScale = scale;
        p._fDotSize = 0.5f;
        p._sText = "Hi\x01\nx";
        BuildTextDots(font, p, &dots, kColor);
        const float penAfterDots = p._vPen.x;
        BuildTextLines(font, p, &runs, kColor);
        EXPECT_EQ(p._vPen.x, penAfterDots);
        ASSERT_EQ(dots._apChildren.size(), 4u) << scale; // one per byte but the newline
        ASSERT_EQ(runs._apChildren.size(), 5u) << scale; // one per byte, the newline's empty
        EXPECT_TRUE(runs._apChildren[3]->_apLines.empty());
        for (size_t c = 0; c < 4; ++c)
        {
            size_t covered = 0;
            for (const VectorSceneLine* run : runs._apChildren[c < 3 ? c : c + 1]->_apLines)
            {
                ASSERT_EQ(run->_aPoints.size(), 2u);
                EXPECT_EQ(run->_aPoints[0].y, run->_aPoints[1].y);
                covered += size_t(std::lround((run->_aPoints[1].x - run->_aPoints[0].x) * scale)) + 1;
            }
            EXPECT_EQ(covered, dots._apChildren[c]->_apLines.size()) << "char " << c << " scale " << scale;
        }
        // Dots are _fDotSize long and the text keeps its height at every scale.
        const VectorSceneLine* dot = dots._apChildren[0]->_apLines[0];
        EXPECT_NEAR(dot->_aPoints[1].x - dot->_aPoints[0].x, 0.5f, 1e-5);
        float top = -1e9f, bottom = 1e9f;
        for (const VectorSceneLine* l : dots._apChildren[0]->_apLines)
        {
            top = std::max(top, l->_aPoints[0].y);
            bottom = std::min(bottom, l->_aPoints[0].y);
        }
        // DejaVu's capitals are 1493 of 2384 units: an H of about 12.5 units on the baseline.
        EXPECT_NEAR(top, 12.5f, 1.f) << scale;
        EXPECT_NEAR(bottom, 0.f, 1.f) << scale;
    }
    // Twice the resolution: about twice the rows of dots, each row twice as dense.
    auto rows = [](const VectorScene& scene)
    {
        std::vector<float> ys;
        for (const VectorSceneLine* l : scene._apChildren[0]->_apLines)
            ys.push_back(l->_aPoints[0].y);
        std::sort(ys.begin(), ys.end());
        return double(std::unique(ys.begin(), ys.end()) - ys.begin());
    };
    VectorScene one, two;
    rvTextParams p1, p2;
    p1._fSize = p2._fSize = 20.f;
    p1._sText = p2._sText = "H";
    p2._fScale = 2.f;
    BuildTextDots(font, p1, &one, kColor);
    BuildTextDots(font, p2, &two, kColor);
    EXPECT_NEAR(rows(two) / rows(one), 2.0, 0.2);
    EXPECT_GT(double(CountLines(two)) / double(CountLines(one)), 3.0);

    // Outline then dots on one parent: outline children first.
    VectorScene both;
    rvTextParams p3;
    p3._fSize = 10.f;
    p3._sText = "ab";
    BuildTextOutline(font, p3, &both, kColor);
    BuildTextDots(font, p3, &both, kColor);
    ASSERT_EQ(both._apChildren.size(), 4u);
    EXPECT_GT(both._apChildren[0]->_apLines.size(), 0u);
    EXPECT_EQ(both._apChildren[2]->_apLines[0]->_aPoints.size(), 2u);

    // A zero resolution factor draws nothing instead of dividing by zero.
    VectorScene none;
    rvTextParams p4;
    p4._sText = "H";
    p4._fScale = 0.f;
    BuildTextDots(font, p4, &none, kColor);
    BuildTextLines(font, p4, &none, kColor);
    EXPECT_TRUE(none._apChildren.empty());
}

// The pixel modes lay text out as the outline mode does: each glyph's pixels lie on its outline,
// its left edge included, and every line of the text on its own baseline, _fSize below the last.
TEST(TextTrueType, PixelModesPlaceEachGlyphOnItsOutline)
{
    rvTest::TempWorkDir dir;
    rvFont* font = LoadSans(dir);
    ASSERT_NE(font, nullptr);
    auto top = [](const VectorScene& n) { return MaxY(n); };
    auto bottom = [](const VectorScene& n)
    {
        float y = 1e9f;
        for (const VectorSceneLine* line : n._apLines)
            for (const glm::vec3& p : line->_aPoints)
                y = std::min(y, p.y);
        return y;
    };
    rvTextParams o;
    o._fSize = 40.f;
    o._sText = "H\nlH\n\nT";
    VectorScene outline;
    BuildTextOutline(font, o, &outline, kColor);
    ASSERT_EQ(outline._apChildren.size(), 4u); // H, l, H, T
    struct Mode
    {
        const char* pszName;
        void (*pfnBuild)(rvFont*, rvTextParams&, VectorScene*, const glm::vec4&);
        std::vector<size_t> glyphChildren; // the children of H, l, H, T
    } modes[] = {{"dots", &BuildTextDots, {0, 1, 2, 3}}, {"runs", &BuildTextLines, {0, 2, 3, 6}}};
    for (const Mode& m : modes)
        for (float scale : {1.f, 3.f})
        {
            SCOPED_TRACE(std::string(m.pszName) + " scale " + std::to_string(scale));
            rvTextParams p = o;
            p._fScale = scale;
            p._fDotSize = 0.f;
            VectorScene pixels;
            m.pfnBuild(font, p, &pixels, kColor);
            // One child per byte in the run mode (newlines too), per byte but the newlines with dots.
            ASSERT_EQ(pixels._apChildren.size(), m.glyphChildren.back() + 1);
            for (size_t g = 0; g < 4; ++g)
            {
                SCOPED_TRACE(g);
                const VectorScene& want = *outline._apChildren[g];
                const VectorScene& got = *pixels._apChildren[m.glyphChildren[g]];
                ASSERT_FALSE(got._apLines.empty());
                const float px = 1.f / scale + 0.05f; // a pixel
                EXPECT_NEAR(MinX(got), MinX(want), px);
                EXPECT_NEAR(top(got), top(want), px);
                EXPECT_NEAR(bottom(got), bottom(want), px);
            }
        }
}
