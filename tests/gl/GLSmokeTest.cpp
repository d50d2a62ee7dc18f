#include "GLTestContext.h"

using rvTest::GLTest;

TEST_F(GLTest, ContextIsCompatibilityProfileWithModernGL)
{
    GLint major = 0, minor = 0, mask = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &mask);
    EXPECT_GE(major * 10 + minor, 43) << "geometry shaders, FBOs and GLSL 430 are needed";
    EXPECT_FALSE(mask & GL_CONTEXT_CORE_PROFILE_BIT);
}

TEST_F(GLTest, ClearAndReadBackAPixel)
{
    rvTest::RenderTarget rt(16, 8);
    rt.Bind();
    glClearColor(1.f, 0.5f, 0.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(4, 2, 1, 1);
    glClearColor(0.f, 0.f, 1.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    rvTest::RGBA bg = rt.Pixel(0, 0), dot = rt.Pixel(4, 2);
    EXPECT_EQ(bg.r, 255);
    EXPECT_NEAR(bg.g, 128, 1);
    EXPECT_EQ(bg.b, 0);
    EXPECT_EQ(dot.b, 255);
    EXPECT_EQ(dot.r, 0);
}
