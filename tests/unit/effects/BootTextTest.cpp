// The boot text: release states from the pause markers, and the window of lines shown.
#include "effects/fxBootText/fxBootText.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
const std::string M = "\xC2\xA6"; // pause marker

std::unique_ptr<fxBootText> Loaded(const std::string& text)
{
    std::unique_ptr<fxBootText> fx(static_cast<fxBootText*>(fxBootText::Create(fxBootText::RegisterAttributes())));
    fxBootText::Parse(reinterpret_cast<const uint8_t*>(text.data()), text.size(), fx->_text, fx->_lineToText,
                      fx->_states);
    return fx;
}

// What is visible at time g: the visible lines joined with "|", "" before the first release.
std::string Shown(const fxBootText& fx, float g)
{
    const int s = fx.StateAt(g);
    if (s < 0) return "";
    std::string out;
    for (const std::string& line : fx.VisibleLines(fx._states[size_t(s)]))
        out += (out.empty() ? "" : "|") + line;
    return out;
}
} // namespace

TEST(BootText, ReleaseScheduleFollowsThePauseMarkers)
{
    struct Case
    {
        std::string file;
        float time;
        std::string shown;
    };
    const Case cases[] = {
        {"abcd" + M + M + "ef" + M, 0.0f, "abcd"},      // text before the first run: at 0 s
        {"abcd" + M + M + "ef" + M, 0.19f, "abcd"},     // two markers: 0.2 s
        {"abcd" + M + M + "ef" + M, 0.2f, "abcdef"},    //
        {"a" + M + "b", 5.0f, "a"},                     // text after the last run never shows
        {"a" + M + "b" + M, 0.1f, "ab"},                //
        {M + M + M + "go" + M, 0.0f, ""},               // leading markers delay the first text
        {M + M + M + "go" + M, 0.3f, "go"},             //
        {"no markers at all", 10.0f, ""},               // no state: nothing
        {"one\r\ntwo" + M + "\r\nthree" + M, 0.0f, "one|two"}, // CR ignored, LF ends a line
        {"one\r\ntwo" + M + "\r\nthree" + M, 0.1f, "one|two|three"},
        {"\xC3\xA9t\xC3\xA9" + M, 0.0f, "\xC3\xA9t\xC3\xA9"}, // columns count bytes
        {"x" + M + "\xC2", 0.0f, "x"},                  // a marker cut by the end of the file
    };
    for (const Case& c : cases)
    {
        auto fx = Loaded(c.file);
        EXPECT_EQ(Shown(*fx, c.time), c.shown) << c.file << " at " << c.time;
    }
    auto fx = Loaded("ab" + M + "cd" + M + M + M + "\nef" + M);
    ASSERT_EQ(fx->_states.size(), 3u);
    EXPECT_FLOAT_EQ(fx->_states[1].time, 0.1f);
    EXPECT_EQ(fx->_states[1].column, 4);
    EXPECT_FLOAT_EQ(fx->_states[2].time, 0.4f);
    EXPECT_EQ(fx->_states[2].line, 1);
    EXPECT_EQ(fx->_states[2].column, 2);
}

TEST(BootText, OlderLinesScrollOutOnceTheWindowIsFull)
{
    auto fx = Loaded("L1" + M + "\nL2" + M + "\n\nL4" + M + "\nL5" + M);
    fx->_nNbLineMax = 3;
    EXPECT_EQ(Shown(*fx, 0.0f), "L1");           // the text starts at the top of the block
    EXPECT_EQ(Shown(*fx, 0.1f), "L1|L2");
    EXPECT_EQ(Shown(*fx, 0.2f), "L2|L4");        // the window holds lines 2 to 4; 3 is blank
    EXPECT_EQ(Shown(*fx, 0.3f), "L4|L5");        // lines 3 to 5
    fx->_nNbLineMax = 1;
    EXPECT_EQ(Shown(*fx, 0.3f), "L5");
    fx->_nNbLineMax = 1000000000;                // a huge window costs no more than the text
    EXPECT_EQ(Shown(*fx, 0.3f), "L1|L2|L4|L5");
}
