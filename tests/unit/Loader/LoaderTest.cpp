// The loading bar's bookkeeping: progress table and clamping (no window needed).
#include "ArchiveFixture.h"
#include "DataPackGuard.h"
#include "Loader/rvLoader.h"

#include <climits>

namespace
{
int TotalOf(const std::string& text)
{
    return rvTest::ProgressTotalOf(text);
}
} // namespace

TEST(Loader, ProgressTableAddsTheSecondField)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    EXPECT_EQ(TotalOf("a;100;x\nb;200;y\nc;300\n"), 300);
    EXPECT_EQ(TotalOf("a;  +40;x\r\nb;-10;y\r\n"), 30);  // blanks and signs
    EXPECT_EQ(TotalOf("a;12abc;x\nb;;y\nc;abc;\n"), 12); // stops at other characters
    EXPECT_EQ(TotalOf("a;5"), 0);                        // one ';' only, no newline
    EXPECT_EQ(TotalOf(""), 0);
    // Lines longer than the 1023-character buffer are taken in pieces.
    EXPECT_EQ(TotalOf("a;9;" + std::string(1100, 'x') + ";5;7\n"), 14);
    // Sums stay within int, whatever the values (each past the 64-bit range too).
    EXPECT_EQ(TotalOf("a;2147483647;\nb;2147483647;\n"), INT_MAX);
    EXPECT_EQ(TotalOf("a;9223372036854775807;\nb;9223372036854775807;\n"), INT_MAX);
    EXPECT_EQ(TotalOf("a;-99999999999999999999;\nb;-5;\n"), INT_MIN);
    EXPECT_EQ(TotalOf("a;99999999999999999999;\nb;-5;\n"), INT_MAX - 5);
}

TEST(Loader, AdvanceClampsToTheTotal)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    struct Case
    {
        int total, loaded, bytes, want;
    };
    const Case cases[] = {
        {300, 250, 500, 300}, // stops at the total
        {300, 0, 150, 150},
        {300, 100, -50, 100}, // negative counts add nothing
        {0, 0, 10, 0},        // no table total: nothing counts
    };
    for (const Case& c : cases)
    {
        rvLoader::_nTotal = c.total;
        rvLoader::_nLoaded = c.loaded;
        rvLoader::Advance(c.bytes);
        EXPECT_EQ(rvLoader::_nLoaded, c.want) << c.total << " " << c.loaded << " " << c.bytes;
    }
    rvLoader::_nTotal = 300;
    rvLoader::_nLoaded = 300;
    EXPECT_FLOAT_EQ(rvLoader::Fraction(), 1.f);
    rvLoader::_nTotal = 0;
    rvLoader::_nLoaded = 0;
    EXPECT_FLOAT_EQ(rvLoader::Fraction(), 0.f);
}

// Without a progress table the bar is never armed, and End does not stop the program:
// loading goes on without a bar.
TEST(LoaderMount, MissingTableLeavesTheBarUnarmedAndEndIsHarmless)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/seq/a.seq", "{}"}}));
    rvLoader::_nTotal = 7;
    rvLoader::_nLoaded = 3;
    GLFWwindow* notAWindow = reinterpret_cast<GLFWwindow*>(0x10);
    rvLoader::Begin(notAWindow);
    EXPECT_FALSE(rvLoader::IsArmed());
    EXPECT_EQ(rvLoader::_nTotal, 7);
    EXPECT_EQ(rvLoader::_nLoaded, 3);
    std::vector<uint8_t> v;
    EXPECT_TRUE(rvDataPack::GetInstance()->ReadInto("Data/seq/a.seq", v)); // no window touched
    rvLoader::End();
    EXPECT_FALSE(rvLoader::IsArmed());
}
