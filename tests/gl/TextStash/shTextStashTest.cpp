// Atlas text on a real context: fonts from the data archive, drawing in viewport fractions, the
// back end's texture upload and GL state.
#include "GLTestContext.h"
#include "TestSupport.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "ArchiveFixture.h"
#include "shTextStash.h"

using rvTest::GLTest;
using rvTest::RenderTarget;
using rvTest::RGBA;

namespace
{
const char* const kSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const kFont = "Data/Font/DroidSerif-Regular.ttf";

// Counts pixels whose red passes 128, and those whose green or blue do.
void Census(const RenderTarget& target, int& red, int& other)
{
    red = other = 0;
    for (const RGBA& p : target.Read())
    {
        if (p.r > 128) ++red;
        if (p.g > 40 || p.b > 40) ++other;
    }
}

void ClearBlack()
{
    glClearColor(0.f, 0.f, 0.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
} // namespace

TEST_F(GLTest, TextStashDrawsFontFromTheArchive)
{
    const std::string sans = rvTest::ReadFileBytes(kSans);
    if (sans.empty()) GTEST_SKIP() << "no DejaVu font";
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{kFont, sans}, {"Data/Font/broken.ttf", sans.substr(0, 700)}}));

    RenderTarget target(128, 64);
    target.Bind();
    ClearBlack();
    {
        shTextStash text;
        EXPECT_FALSE(text.LoadFont("Data/Font/missing.ttf"));
        EXPECT_EQ(text._nFontIndex, -1);
        EXPECT_FALSE(text.LoadFont("Data/Font/broken.ttf"));
        EXPECT_EQ(text._nFontIndex, -1);
        ASSERT_TRUE(text.LoadFont(kFont));
        EXPECT_GE(text._nFontIndex, 0);

        text.Begin();
        EXPECT_EQ(text._viewport[2], 128);
        EXPECT_TRUE(glIsEnabled(GL_BLEND));
        EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
        text.SetSize(0.25f); // 32 pixels
        EXPECT_FLOAT_EQ(TextStashGetState(text._fs)->size, 32.f);
        text.SetColor(1.f, 0.f, 0.f, 0.f); // alpha 0: coverage still draws opaque red
        EXPECT_EQ(TextStashGetState(text._fs)->color, 0x000000ffu);
        const float end = text.DrawText(0.1f, 0.75f, "HH");
        EXPECT_GT(end, 0.1f + 0.2f);
        EXPECT_LT(end, 0.1f + 0.5f);
        EXPECT_EQ(text.DrawText(0.6f, 0.5f, ""), 0.6f);
        text.End();
        EXPECT_FALSE(text._drawing);

        // The upload left GL's unpack defaults for the other texture uploads.
        GLint alignment = 0, rowLength = -1, skipPixels = -1, skipRows = -1;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
        glGetIntegerv(GL_UNPACK_SKIP_PIXELS, &skipPixels);
        glGetIntegerv(GL_UNPACK_SKIP_ROWS, &skipRows);
        EXPECT_EQ(alignment, 4);
        EXPECT_EQ(rowLength, 0);
        EXPECT_EQ(skipPixels, 0);
        EXPECT_EQ(skipRows, 0);
    }
    target.SavePNG(rvTest::BinaryPath("textstash_hh.png"));

    int red = 0, other = 0;
    Census(target, red, other);
    EXPECT_GT(red, 150);
    EXPECT_EQ(other, 0);
    // Baseline at 75 % of the height from the top: the glyphs sit above row 16 (counted from the
    // bottom) and begin at 10 % of the width.
    int below = 0, leftOfStart = 0, maxRow = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x)
            if (target.Pixel(x, y).r > 128)
            {
                if (y < 15) ++below;
                if (x < 12) ++leftOfStart;
                maxRow = std::max(maxRow, y);
            }
    EXPECT_EQ(below, 0);
    EXPECT_EQ(leftOfStart, 0);
    EXPECT_GT(maxRow, 16 + 18); // cap height of a 32-pixel font
    EXPECT_LT(maxRow, 16 + 32);
}

TEST_F(GLTest, TextStashWithoutFontDrawsNothing)
{
    RenderTarget target(32, 32);
    target.Bind();
    ClearBlack();
    shTextStash text;
    text.Begin();
    ASSERT_NE(text._fs, nullptr);
    text.SetSize(0.5f);
    text.SetColor(1.f, 1.f, 1.f, 1.f);
    EXPECT_EQ(text.DrawText(0.2f, 0.8f, "A"), 0.2f);
    text.End();
    int red = 0, other = 0;
    Census(target, red, other);
    EXPECT_EQ(red, 0);
}
