#include "../../unit/Loader/ArchiveFixture.h"
#include "GLTestContext.h"
#include "Loader/rvLoader.h"

#include <GLFW/glfw3.h>

using rvTest::GLTest;

TEST_F(GLTest, LoadingBarAtHalf)
{
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
    rvLoader::Release();
}

TEST_F(GLTest, LoadingBarArmsFromTheTableAndExitsWhenTheWindowCloses)
{
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/csv/zq4out.csv", "a;100;x\nb;200;y\nc;300\n"},
                                           {"Data/txt/a.txt", std::string(150, 'a')}}));
    rvLoader::Begin(_window);
    ASSERT_TRUE(rvLoader::IsArmed());
    EXPECT_EQ(rvLoader::_nTotal, 300);
    EXPECT_EQ(rvLoader::_nLoaded, 0);

    std::vector<uint8_t> v;
    ASSERT_TRUE(rvDataPack::GetInstance()->ReadInto("Data/txt/a.txt", v)); // draws a frame
    EXPECT_EQ(rvLoader::_nLoaded, 150);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    glfwSetWindowShouldClose(_window, GLFW_TRUE);
    EXPECT_EXIT(rvLoader::Progress(1), ::testing::ExitedWithCode(255), "");
    glfwSetWindowShouldClose(_window, GLFW_FALSE);

    rvLoader::End();
    EXPECT_FALSE(rvLoader::IsArmed());
    rvDataPack::GetInstance()->ReadInto("Data/txt/a.txt", v); // no longer counted
    EXPECT_EQ(rvLoader::_nLoaded, 150);
    rvLoader::Release();
}
