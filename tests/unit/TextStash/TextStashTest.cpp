// Text-stash core without a renderer: atlas packing, fonts, glyph cache, layout and batching.
#include "TextStash.h"
#include "HostileFont.h"
#include "TestSupport.h"
#include "shTextStash.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
const char* const kSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

unsigned char* MallocCopy(const std::string& bytes)
{
    unsigned char* data = static_cast<unsigned char*>(std::malloc(bytes.size() ? bytes.size() : 1));
    std::memcpy(data, bytes.data(), bytes.size());
    return data;
}

// Records every callback of a stash.
struct Recorder
{
    std::vector<std::vector<int>> updates;
    std::vector<int> draws;       // vertex count per draw
    std::vector<float> lastVerts; // positions of the last draw
    std::vector<unsigned int> lastColors;
    std::vector<std::pair<int, int>> errors;
    int deletes = 0;
    int createResult = 1;
};

TextStashParams RecordingParams(Recorder& rec, int w = 512, int h = 512)
{
    TextStashParams p;
    p.width = w;
    p.height = h;
    p.flags = TEXTSTASH_ORIGIN_TOPLEFT;
    p.userPtr = &rec;
    p.renderCreate = [](void* u, int, int) { return static_cast<Recorder*>(u)->createResult; };
    p.renderUpdate = [](void* u, int* rect, const unsigned char*) {
        static_cast<Recorder*>(u)->updates.push_back({rect[0], rect[1], rect[2], rect[3]});
    };
    p.renderDraw = [](void* u, const float* verts, const float*, const unsigned int* colors, int n)
    {
        Recorder* r = static_cast<Recorder*>(u);
        r->draws.push_back(n);
        r->lastVerts.assign(verts, verts + 2 * n);
        r->lastColors.assign(colors, colors + n);
    };
    p.renderDelete = [](void* u) { ++static_cast<Recorder*>(u)->deletes; };
    return p;
}

void RecordError(void* u, int error, int value)
{
    static_cast<Recorder*>(u)->errors.push_back({error, value});
}

class TextStashCore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::string bytes = rvTest::ReadFileBytes(kSans);
        if (bytes.empty()) GTEST_SKIP() << "no DejaVu font";
        _fs = TextStashCreate(RecordingParams(_rec));
        ASSERT_NE(_fs, nullptr);
        TextStashSetErrorCallback(_fs, RecordError, &_rec);
        ASSERT_EQ(TextStashAddFontMem(_fs, "sans", MallocCopy(bytes), int(bytes.size())), 0);
        TextStashGetState(_fs)->size = 20.f;
    }
    void TearDown() override { TextStashDelete(_fs); }
    int GlyphCount() const { return _fs->fonts[0]->nglyphs; }

    Recorder _rec;
    TextStashContext* _fs = nullptr;
};
} // namespace

TEST(TextStashAtlas, SkylinePacking)
{
    TextStashParams p;
    p.width = 16;
    p.height = 16;
    TextStashContext* fs = TextStashCreate(p);
    ASSERT_NE(fs, nullptr);
    TextStashAtlas* atlas = fs->atlas;
    // The 2 x 2 white block sits at the corner, fully opaque, and is the first dirty region.
    EXPECT_EQ(fs->texData[0], 255);
    EXPECT_EQ(fs->texData[17], 255);
    EXPECT_EQ(fs->texData[2], 0);
    EXPECT_EQ(std::vector<int>(fs->dirtyRect, fs->dirtyRect + 4), (std::vector<int>{0, 0, 2, 2}));

    struct Case
    {
        int w, h;
        bool ok;
        int x, y;
    } cases[] = {
        {6, 4, true, 2, 0},   // beside the white block
        {8, 2, true, 8, 0},   // lowest top: the free strip on the right
        {17, 1, false, 0, 0}, // wider than the atlas
        {8, 14, true, 8, 2},  // exactly reaches the bottom edge
        {2, 15, false, 0, 0}, // no column has 15 free rows left
        {8, 12, true, 0, 4},  // fills the left column to the bottom
        {1, 1, false, 0, 0},  // full
    };
    for (const Case& c : cases)
    {
        int x = -1, y = -1;
        EXPECT_EQ(TextStashPackRect(atlas, c.w, c.h, &x, &y), c.ok) << c.w << "x" << c.h;
        if (c.ok)
        {
            EXPECT_EQ(x, c.x) << c.w << "x" << c.h;
            EXPECT_EQ(y, c.y) << c.w << "x" << c.h;
        }
    }
    TextStashDelete(fs);

    // A rectangle as large as the whole atlas fits an empty one.
    TextStashAtlas* whole = nullptr;
    p.width = p.height = 4;
    fs = TextStashCreate(p);
    ASSERT_NE(fs, nullptr);
    whole = fs->atlas;
    whole->nnodes = 1;
    whole->nodes[0] = {0, 0, 4};
    int x = -1, y = -1;
    EXPECT_TRUE(TextStashPackRect(whole, 4, 4, &x, &y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    TextStashDelete(fs);
}

TEST(TextStashCreate, DefaultsAndFailures)
{
    Recorder rec;
    TextStashContext* fs = TextStashCreate(RecordingParams(rec));
    ASSERT_NE(fs, nullptr);
    const TextStashState* s = TextStashGetState(fs);
    EXPECT_EQ(fs->nstates, 1);
    EXPECT_EQ(s->size, 12.f);
    EXPECT_EQ(s->color, 0xffffffffu);
    EXPECT_EQ(s->font, 0);
    EXPECT_EQ(s->align, 65);
    // No font yet: nothing drawn, x unchanged; measuring gives 0.
    EXPECT_EQ(TextStashDrawText(fs, 7.f, 3.f, "Hi"), 7.f);
    EXPECT_EQ(TextStashMeasureWidth(fs, 7.f, 3.f, "Hi"), 0.f);
    EXPECT_TRUE(rec.draws.empty());

    // Unreadable fonts come back as -1 and leave the font list alone.
    const std::string sans = rvTest::ReadFileBytes(kSans);
    const std::string bad[] = {"", "not a font at all", sans.substr(0, 600), sans.substr(0, sans.size() / 2)};
    for (const std::string& bytes : bad)
        EXPECT_EQ(TextStashAddFontMem(fs, "bad", MallocCopy(bytes), int(bytes.size())), -1) << bytes.size();
    EXPECT_EQ(fs->nfonts, 0);
    EXPECT_EQ(TextStashAddFontMem(fs, "null", nullptr, 100), -1);

    // States: 20 at most, the 21st push is reported and the bottom one never popped.
    TextStashSetErrorCallback(fs, RecordError, &rec);
    for (int i = 0; i < 20; ++i)
        TextStashPushState(fs);
    EXPECT_EQ(fs->nstates, 20);
    ASSERT_EQ(rec.errors.size(), 1u);
    EXPECT_EQ(rec.errors[0].first, TEXTSTASH_STATES_OVERFLOW);
    for (int i = 0; i < 30; ++i)
        TextStashPopState(fs);
    EXPECT_EQ(fs->nstates, 1);
    TextStashDelete(fs);
    EXPECT_EQ(rec.deletes, 1);

    // A renderer that fails its create: no context, its delete still called.
    Recorder failing;
    failing.createResult = 0;
    EXPECT_EQ(TextStashCreate(RecordingParams(failing)), nullptr);
    EXPECT_EQ(failing.deletes, 1);
}

TEST_F(TextStashCore, FontNameMetricsAndGlyphCache)
{
    const std::string sans = rvTest::ReadFileBytes(kSans);
    const std::string longName(100, 'n');
    const int second = TextStashAddFontMem(_fs, longName.c_str(), MallocCopy(sans), int(sans.size()));
    EXPECT_EQ(second, 1);
    EXPECT_EQ(std::strlen(_fs->fonts[1]->name), 63u);
    const TextStashFont* f = _fs->fonts[0];
    EXPECT_GT(f->ascender, 0.f);
    EXPECT_LT(f->descender, 0.f);
    EXPECT_NEAR(f->ascender - f->descender, 1.f, 1e-5f);
    EXPECT_GE(f->lineh, 1.f);

    // One entry per (codepoint, size x 10, blur); blur above 20 counts as 20.
    TextStashState* s = TextStashGetState(_fs);
    TextStashDrawText(_fs, 0, 50, "AA");
    EXPECT_EQ(GlyphCount(), 1);
    s->blur = 20.f;
    TextStashDrawText(_fs, 0, 50, "A");
    s->blur = 35.f;
    TextStashDrawText(_fs, 0, 50, "A");
    EXPECT_EQ(GlyphCount(), 2);
    s->blur = 3.f;
    TextStashDrawText(_fs, 0, 50, "A");
    EXPECT_EQ(GlyphCount(), 3);
    s->blur = 0.f;
    s->size = 20.05f; // same size x 10
    TextStashDrawText(_fs, 0, 50, "A");
    EXPECT_EQ(GlyphCount(), 3);

    // A blurred glyph keeps a zero border and spreads coverage past its sharp outline.
    const TextStashGlyph& sharp = f->glyphs[0];
    const TextStashGlyph& blurred = f->glyphs[2];
    EXPECT_EQ(blurred.x1 - blurred.x0, sharp.x1 - sharp.x0 + 2 * 3);
    const int stride = _fs->params.width;
    int border = 0;
    for (int x = blurred.x0; x < blurred.x1; ++x)
        border += _fs->texData[x + blurred.y0 * stride] + _fs->texData[x + (blurred.y1 - 1) * stride];
    EXPECT_EQ(border, 0);
    int ring = 0; // the ring just inside the border stays empty for the sharp glyph
    for (int x = sharp.x0 + 1; x < sharp.x1 - 1; ++x)
        ring += _fs->texData[x + (sharp.y0 + 1) * stride];
    EXPECT_EQ(ring, 0);
    int blurredRing = 0;
    for (int y = blurred.y0 + 2; y < blurred.y1 - 2; ++y)
        blurredRing += _fs->texData[blurred.x0 + 2 + y * stride];
    EXPECT_GT(blurredRing, 0);
}

// Fonts that pass the safety check yet carry values the stash must bound: glyph ids past the
// glyph count, a box stored inverted or smaller than the outline, an ascent of one unit. Text
// draws on, inside the atlas.
TEST(TextStashHostile, FontValuesStayInsideTheAtlas)
{
    const std::string sans = rvTest::ReadFileBytes(kSans);
    if (sans.empty()) GTEST_SKIP() << "no DejaVu font";
    const struct
    {
        const char* what;
        void (*edit)(rvTest::FontEdit&);
    } cases[] = {
        {"map names glyphs past the count", [](rvTest::FontEdit& e) { e.GlyphCount(40); }},
        {"inverted box", [](rvTest::FontEdit& e) { e.InvertBox('A'); }},
        {"outline outside its box", [](rvTest::FontEdit& e) { e.ShrinkBox('o'); }},
        {"ascent of one unit", [](rvTest::FontEdit& e) { e.TinyAscent(); }},
    };
    for (const auto& c : cases)
    {
        rvTest::FontEdit e(sans);
        c.edit(e);
        Recorder rec;
        TextStashContext* fs = TextStashCreate(RecordingParams(rec, 256, 256));
        ASSERT_NE(fs, nullptr);
        ASSERT_EQ(TextStashAddFontMem(fs, "hostile", MallocCopy(e.bytes), e.Size()), 0) << c.what;
        TextStashGetState(fs)->size = 20.f;
        TextStashDrawText(fs, 0, 50, "AoB");
        const TextStashFont* f = fs->fonts[0];
        for (int i = 0; i < f->nglyphs; ++i)
        {
            const TextStashGlyph& g = f->glyphs[i];
            EXPECT_TRUE(g.index >= 0 && g.index < f->font.numGlyphs) << c.what;
            EXPECT_TRUE(g.x0 < g.x1 && g.y0 < g.y1) << c.what;
            EXPECT_TRUE(g.x0 >= 0 && g.x1 <= 256 && g.y0 >= 0 && g.y1 <= 256) << c.what;
        }
        TextStashDelete(fs);
    }
}

TEST_F(TextStashCore, SizesAlignmentAndUtf8)
{
    TextStashState* s = TextStashGetState(_fs);
    // Below 0.2 pixels nothing is drawn and the pen stays.
    s->size = 0.19f;
    EXPECT_EQ(TextStashDrawText(_fs, 10.f, 20.f, "ABC"), 10.f);
    EXPECT_EQ(TextStashMeasureWidth(_fs, 10.f, 20.f, "ABC"), 0.f);
    EXPECT_TRUE(_rec.draws.empty());
    EXPECT_EQ(GlyphCount(), 0);

    s->size = 20.f;
    const float width = TextStashMeasureWidth(_fs, 0.f, 0.f, "AVAWA");
    EXPECT_GT(width, 40.f);
    EXPECT_EQ(TextStashMeasureWidth(_fs, 0.f, 0.f, ""), 0.f);
    EXPECT_EQ(TextStashMeasureWidth(_fs, 0.f, 0.f, "AVAWA", nullptr), width);
    const char* text = "AVAWA";
    EXPECT_EQ(TextStashMeasureWidth(_fs, 0.f, 0.f, text, text + 2), TextStashMeasureWidth(_fs, 0, 0, "AV"));

    struct Case
    {
        int align;
        float expectedEnd;
    } cases[] = {
        {TEXTSTASH_ALIGN_LEFT | TEXTSTASH_ALIGN_BASELINE, 100.f + width},
        {TEXTSTASH_ALIGN_RIGHT | TEXTSTASH_ALIGN_BASELINE, 100.f},
        {TEXTSTASH_ALIGN_CENTER | TEXTSTASH_ALIGN_BASELINE, 100.f + width * 0.5f},
    };
    for (const Case& c : cases)
    {
        s->align = c.align;
        EXPECT_FLOAT_EQ(TextStashDrawText(_fs, 100.f, 50.f, text), c.expectedEnd) << c.align;
    }

    // Vertical alignment moves the quads: top pushes them down by the ascender (y grows downwards).
    auto topOfFirstQuad = [&](int align)
    {
        s->align = TEXTSTASH_ALIGN_LEFT | align;
        TextStashDrawText(_fs, 0.f, 50.f, "H");
        return _rec.lastVerts[1];
    };
    const float baseline = topOfFirstQuad(TEXTSTASH_ALIGN_BASELINE);
    const float top = topOfFirstQuad(TEXTSTASH_ALIGN_TOP);
    const float bottom = topOfFirstQuad(TEXTSTASH_ALIGN_BOTTOM);
    const float middle = topOfFirstQuad(TEXTSTASH_ALIGN_MIDDLE);
    const TextStashFont* f = _fs->fonts[0];
    EXPECT_NEAR(top - baseline, f->ascender * 20.f, 1.f);
    EXPECT_NEAR(bottom - baseline, f->descender * 20.f, 1.f);
    EXPECT_NEAR(middle - baseline, (f->ascender + f->descender) * 10.f, 1.f);
    s->align = TEXTSTASH_ALIGN_LEFT | TEXTSTASH_ALIGN_BASELINE;

    // UTF-8: multi-byte codepoints draw; an invalid byte stops the rest of the string.
    _rec.draws.clear();
    const float ab = TextStashDrawText(_fs, 0.f, 50.f, "AB");
    const struct
    {
        const char* text;
        int quads;
        bool endsLikeAB;
    } utf8[] = {
        {"AB\xff"
         "CD",
         2, true},
        {"AB\xc3"
         "CD",
         2, true}, // truncated sequence
        {"AB\xc0\xaf"
         "CD",
         2, true}, // overlong
        {"\xc3\xa9\xe2\x82\xac\xf0\x9d\x84\x9e", 3,
         false}, // 2, 3 and 4 bytes (the last one missing: glyph 0)
    };
    for (const auto& c : utf8)
    {
        _rec.draws.clear();
        const float end = TextStashDrawText(_fs, 0.f, 50.f, c.text);
        ASSERT_EQ(_rec.draws.size(), 1u) << c.text;
        EXPECT_EQ(_rec.draws[0], 6 * c.quads) << c.text;
        if (c.endsLikeAB)
        {
            EXPECT_EQ(end, ab) << c.text;
        }
    }
    const unsigned int codepoints[] = {0xE9, 0x20AC, 0x1D11E};
    for (unsigned int cp : codepoints)
    {
        bool found = false;
        for (int i = 0; i < f->nglyphs; ++i)
            found = found || f->glyphs[i].codepoint == cp;
        EXPECT_TRUE(found) << cp;
    }
}

TEST_F(TextStashCore, BatchesUploadsAndColours)
{
    TextStashState* s = TextStashGetState(_fs);
    s->color = 0x80402010u;
    // 171 glyphs: one draw of 170 glyphs, one of the last; the atlas is uploaded once, first.
    const std::string text(171, 'x');
    TextStashDrawText(_fs, 0.f, 50.f, text.c_str());
    EXPECT_EQ(_rec.draws, (std::vector<int>{1020, 6}));
    ASSERT_EQ(_rec.updates.size(), 1u);
    const TextStashGlyph& g = _fs->fonts[0]->glyphs[0];
    EXPECT_EQ(_rec.updates[0], (std::vector<int>{0, 0, std::max(2, int(g.x1)), int(g.y1)}));
    for (unsigned int c : _rec.lastColors)
        EXPECT_EQ(c, 0x80402010u);

    // Nothing new in the atlas: the next string draws without an upload.
    TextStashDrawText(_fs, 0.f, 50.f, "xx");
    EXPECT_EQ(_rec.updates.size(), 1u);
    // Spacing adds whole pixels between glyphs.
    const float plain = TextStashMeasureWidth(_fs, 0.f, 0.f, "xxxx");
    s->spacing = 3.f;
    EXPECT_EQ(TextStashMeasureWidth(_fs, 0.f, 0.f, "xxxx"), plain + 9.f);
}

TEST(TextStashFull, FullAtlasStartsAgainAndDrawsEveryGlyph)
{
    const std::string sans = rvTest::ReadFileBytes(kSans);
    if (sans.empty()) GTEST_SKIP() << "no DejaVu font";
    Recorder rec;
    TextStashContext* fs = TextStashCreate(RecordingParams(rec, 64, 64));
    ASSERT_NE(fs, nullptr);
    TextStashSetErrorCallback(fs, RecordError, &rec);
    ASSERT_EQ(TextStashAddFontMem(fs, "sans", MallocCopy(sans), int(sans.size())), 0);
    TextStashGetState(fs)->size = 40.f;
    TextStashDrawText(fs, 0.f, 50.f, "ABCDEFGH.");
    // The atlas holds only a few glyphs of this size: it is reported full, what was queued is
    // drawn, the atlas starts again (uploaded whole) and the rest of the text follows.
    ASSERT_FALSE(rec.errors.empty());
    EXPECT_EQ(rec.errors[0].first, TEXTSTASH_ATLAS_FULL);
    int quads = 0;
    for (int n : rec.draws)
        quads += n / 6;
    EXPECT_EQ(quads, 9);
    EXPECT_GT(rec.draws.size(), 1u);
    const int stored = fs->fonts[0]->nglyphs;
    EXPECT_GT(stored, 0);
    EXPECT_LT(stored, 9);
    ASSERT_FALSE(rec.updates.empty());
    EXPECT_EQ(rec.updates.back(), (std::vector<int>{0, 0, 64, 64}));
    // Drawn again, the text still comes out whole.
    rec.draws.clear();
    TextStashDrawText(fs, 0.f, 50.f, "ABCDEFGH.");
    quads = 0;
    for (int n : rec.draws)
        quads += n / 6;
    EXPECT_EQ(quads, 9);
    TextStashDelete(fs);
}

TEST(shTextStashDeathTest, DrawingNeedsAContextAndTheBracket)
{
    shTextStash text;
    EXPECT_EQ(text.DrawText(0.25f, 0.5f, ""), 0.25f);
    EXPECT_EQ(text.DrawText(0.25f, 0.5f, nullptr), 0.25f);
    EXPECT_DEATH(text.DrawText(0.f, 0.f, "A"), "_fs && _drawing");
    EXPECT_DEATH(text.SetSize(1.f), "_fs");
    EXPECT_DEATH(text.SetColor(1.f, 1.f, 1.f, 1.f), "_fs");
}
