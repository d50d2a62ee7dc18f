#include "ArchiveFixture.h"
#include "DataPackGuard.h"
#include "DefaultBuffer.h"
#include "GLTestContext.h"
#include "Loader/rvLoader.h"
#include "rvSceneDisplay.h"
#include "rvStop.h"

#include <GLFW/glfw3.h>

#include <csignal>

#include <sys/resource.h>

using rvTest::GLTest;

TEST_F(GLTest, LoadingBarAtHalf)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::RenderTarget rt(1000, 1000);
    rt.Bind();
    glClearColor(0.f, 0.f, 0.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
    rvLoader::DrawBar(0.5f);
    rt.SavePNG(rvTest::BinaryPath("loading-bar-half.png"));
    // From the top: frame 490..510 x 250..750, inside 491..509 x 251..749, fill 492..508 x 252..500.
    // Pixel rows are counted from the bottom (row 999 - top row).
    auto white = [&](int x, int y) { return rt.Pixel(x, y).r == 255 && rt.Pixel(x, y).b == 255; };
    auto black = [&](int x, int y) { return rt.Pixel(x, y).r == 0 && rt.Pixel(x, y).b == 0; };
    EXPECT_TRUE(white(400, 500)) << "fill";
    EXPECT_TRUE(white(499, 500)) << "fill reaches half of 0.496";
    EXPECT_TRUE(black(501, 500)) << "unfilled inside";
    EXPECT_TRUE(black(700, 500)) << "unfilled inside";
    EXPECT_TRUE(black(400, 508)) << "black rim above the fill";
    EXPECT_TRUE(white(250, 500)) << "left frame";
    EXPECT_TRUE(white(749, 500)) << "right frame";
    EXPECT_TRUE(white(600, 509)) << "top frame";
    EXPECT_TRUE(white(600, 490)) << "bottom frame";
    EXPECT_TRUE(black(100, 500)) << "outside";
    EXPECT_TRUE(black(500, 700)) << "outside";

    // Empty (a total of 0 gives no fill) and full: the fill ends one pixel inside the black rim.
    glClear(GL_COLOR_BUFFER_BIT);
    rvLoader::DrawBar(0.f);
    EXPECT_TRUE(black(253, 500)) << "no fill";
    EXPECT_TRUE(white(250, 500)) << "frame drawn";
    glClear(GL_COLOR_BUFFER_BIT);
    rvLoader::DrawBar(1.f);
    EXPECT_TRUE(white(747, 500)) << "fill reaches 0.748";
    EXPECT_TRUE(black(748, 500)) << "black rim";
    EXPECT_TRUE(white(749, 500)) << "right frame";
    rvLoader::Release();
}

namespace
{
rvTest::RGBA DefaultPixel(float fx, float fyFromTop)
{
    const rvBufferDisplay& def = rvSceneDisplay::_DefaultBuffer;
    rvTest::RGBA px{};
    glBindFramebuffer(GL_READ_FRAMEBUFFER, def._glFrameBuffer);
    glReadPixels(int(fx * def._nWidth), int((1.f - fyFromTop) * def._nHeight), 1, 1, GL_RGBA,
                 GL_UNSIGNED_BYTE, &px);
    return px;
}
} // namespace

// The whole path: the table arms the bar, a read of half the total draws a frame whose
// fill covers half the bar.
TEST_F(GLTest, LoadingBarDrawsAfterEachReadWhileArmed)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/csv/zq4out.csv", "a;100;x\nb;200;y\nc;300\n"},
                                           {"Data/txt/a.txt", std::string(150, 'a')}}));
    SetUpDefaultBuffer(_window);
    rvLoader::Begin(_window);
    ASSERT_TRUE(rvLoader::IsArmed());
    EXPECT_EQ(rvLoader::_nTotal, 300);
    EXPECT_EQ(rvLoader::_nLoaded, 0);

    std::vector<uint8_t> v;
    ASSERT_TRUE(rvDataPack::GetInstance()->ReadInto("Data/txt/a.txt", v));
    EXPECT_EQ(rvLoader::_nLoaded, 150);
    EXPECT_EQ(DefaultPixel(0.4f, 0.5f).r, 255) << "filled";
    EXPECT_EQ(DefaultPixel(0.6f, 0.5f).r, 0) << "not yet filled";
    EXPECT_EQ(DefaultPixel(0.1f, 0.5f).r, 0) << "outside";

    // Once disarmed, reads are neither counted nor drawn.
    rvLoader::End();
    EXPECT_FALSE(rvLoader::IsArmed());
    glBindFramebuffer(GL_FRAMEBUFFER, rvSceneDisplay::_DefaultBuffer._glFrameBuffer);
    glClearColor(0.f, 0.f, 1.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_TRUE(rvDataPack::GetInstance()->ReadInto("Data/txt/a.txt", v));
    EXPECT_EQ(rvLoader::_nLoaded, 150);
    EXPECT_EQ(DefaultPixel(0.4f, 0.5f).b, 255) << "no frame drawn after End";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    rvLoader::Release();
    rvSceneDisplay::Shutdown();
}

// A pass asked to stop (a close request, or rvStop: a signal, the program's check) draws no
// more frames of the bar but still counts the read; the load ends at its next step and the
// program after its shutdown (the e2e tests follow it to the exit code).
TEST_F(GLTest, AStoppedLoadingPassDrawsNoMoreFrames)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/csv/zq4out.csv", "a;100;x\n"}}));
    SetUpDefaultBuffer(_window);
    static bool s_bStop = false;
    struct Case
    {
        const char* what;
        bool close, check;
    } cases[] = {{"close request", true, false}, {"stop check", false, true}, {"neither", false, false}};
    for (const Case& c : cases)
    {
        rvStop::Reset();
        rvLoader::Begin(_window);
        ASSERT_TRUE(rvLoader::IsArmed());
        glfwSetWindowShouldClose(_window, c.close ? GLFW_TRUE : GLFW_FALSE);
        s_bStop = c.check;
        rvStop::pfnLoadingCheck = [] { return s_bStop; };
        glBindFramebuffer(GL_FRAMEBUFFER, rvSceneDisplay::_DefaultBuffer._glFrameBuffer);
        glClearColor(0.f, 0.f, 1.f, 1.f);
        glClear(GL_COLOR_BUFFER_BIT);
        rvLoader::Progress(60);
        EXPECT_EQ(rvLoader::_nLoaded, 60) << c.what;
        const bool stopped = c.close || c.check;
        EXPECT_EQ(DefaultPixel(0.4f, 0.5f).r, stopped ? 0 : 255) << c.what << ": the bar's fill (white) over the blue";
        rvStop::pfnLoadingCheck = nullptr;
        glfwSetWindowShouldClose(_window, GLFW_FALSE);
        rvLoader::End();
    }
    rvStop::Reset();
    rvLoader::Release();
    rvSceneDisplay::Shutdown();
}

// A recording run keeps every read of the armed pass (without a table too), writes them at
// End and ends the process with 0.
TEST_F(GLTest, RecordingRunWritesTheReadsAndExits)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/txt/a.txt", std::string(150, 'a')}}));
    dir.WriteFile("Data/x.data", "disk");
    const std::string record = rvTest::BinaryPath("recorded-reads.csv");
    std::remove(record.c_str());
    SetUpDefaultBuffer(_window);
    setenv("MORVANE_RECORD_LOADING", record.c_str(), 1);
    rvLoader::Begin(_window);
    ASSERT_TRUE(rvLoader::IsArmed());
    std::vector<uint8_t> v;
    rvDataPack* pack = rvDataPack::GetInstance();
    ASSERT_TRUE(pack->ReadInto("./Data/txt/a.txt", v));
    EXPECT_FALSE(pack->ReadInto("Data/txt/missing.txt", v));
    int size = 0;
    delete[] pack->ReadAll("Data/x.data", size, true);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(rvLoader::End(), ::testing::ExitedWithCode(0), "");
    unsetenv("MORVANE_RECORD_LOADING");
    rvLoader::End();

    std::FILE* f = std::fopen(record.c_str(), "rb");
    ASSERT_TRUE(f);
    std::string text(256, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), f));
    std::fclose(f);
    EXPECT_EQ(text, "./Data/txt/a.txt;150;archive\nData/x.data;4;disk\n");
    rvSceneDisplay::Shutdown();
}

// A recording that cannot be written (a full disk, here a limit on the file size) keeps the
// previous recording whole, says why on stderr and ends with 1.
TEST_F(GLTest, FailedRecordingKeepsTheOldOneAndSaysSo)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/txt/a.txt", std::string(150, 'a')}}));
    // Outside the temporary folder: the death test's child runs the test again in a folder of
    // its own.
    const std::string record = rvTest::BinaryPath("failed-recording.csv");
    const std::string old = "Data/txt/old.txt;99;archive\n";
    std::FILE* f = std::fopen(record.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fputs(old.c_str(), f);
    std::fclose(f);
    SetUpDefaultBuffer(_window);
    setenv("MORVANE_RECORD_LOADING", record.c_str(), 1);
    rvLoader::Begin(_window);
    ASSERT_TRUE(rvLoader::IsArmed());
    // 300 reads make a recording of 7.5 KB; the limit leaves room for the death test's own
    // capture of stderr.
    std::vector<uint8_t> v;
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(rvDataPack::GetInstance()->ReadInto("Data/txt/a.txt", v));
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto endWithFullDisk = []
    {
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails with EFBIG instead
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        rvLoader::End();
    };
    EXPECT_EXIT(endWithFullDisk(), ::testing::ExitedWithCode(1),
                "morvane: error: cannot save \".*failed-recording.csv\": File too large");
    unsetenv("MORVANE_RECORD_LOADING");
    rvLoader::End();
    EXPECT_EQ(rvTest::ReadFileBytes(record), old);
    rvSceneDisplay::Shutdown();
}
