#include "GLTestContext.h"

#include <GLFW/glfw3.h>

#include "rvMainWindow.h"

#include <cstdio>
#include <cstdlib>

#include <stb/stb_image_write.h>

namespace rvTest
{
GLFWwindow* SharedWindow()
{
    static GLFWwindow* window = nullptr;
    static bool tried = false;
    if (tried)
        return window;
    tried = true;
    glfwSetErrorCallback(OnGlfwError);
    if (!glfwInit())
        return nullptr;
    // The program's own hints, and hidden.
    rvMain::ApplyWindowHints();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    window = glfwCreateWindow(64, 64, "morvane-test", nullptr, nullptr);
    if (!window)
        return nullptr;
    glfwMakeContextCurrent(window);
    return window;
}

RenderTarget::RenderTarget(int width, int height) : _w(width), _h(height)
{
    glGenTextures(1, &_color);
    glBindTexture(GL_TEXTURE_2D, _color);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, _w, _h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glGenRenderbuffers(1, &_depth);
    glBindRenderbuffer(GL_RENDERBUFFER, _depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, _w, _h);
    glGenFramebuffers(1, &_fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, _fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, _color, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, _depth);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), (GLenum)GL_FRAMEBUFFER_COMPLETE);
    glViewport(0, 0, _w, _h);
}

RenderTarget::~RenderTarget()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &_fbo);
    glDeleteRenderbuffers(1, &_depth);
    glDeleteTextures(1, &_color);
}

void RenderTarget::Bind() const
{
    glBindFramebuffer(GL_FRAMEBUFFER, _fbo);
    glViewport(0, 0, _w, _h);
}

std::vector<RGBA> RenderTarget::Read() const
{
    std::vector<RGBA> pixels(size_t(_w) * _h);
    GLint prev = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &prev);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, _fbo);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, _w, _h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, prev);
    return pixels;
}

RGBA RenderTarget::Pixel(int x, int y) const
{
    RGBA p{};
    GLint prev = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &prev);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, _fbo);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &p);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, prev);
    return p;
}

bool RenderTarget::SavePNG(const std::string& path) const
{
    std::vector<RGBA> px = Read();
    std::vector<RGBA> flipped(px.size());
    for (int y = 0; y < _h; ++y)
        for (int x = 0; x < _w; ++x)
            flipped[size_t(_h - 1 - y) * _w + x] = px[size_t(y) * _w + x];
    return stbi_write_png(path.c_str(), _w, _h, 4, flipped.data(), _w * 4) != 0;
}

void GLTest::SetUp()
{
    _window = SharedWindow();
    if (!_window)
        GTEST_SKIP() << "no display: run under xvfb-run";
    while (glGetError() != GL_NO_ERROR)
    {
    }
}

void GLTest::TearDown()
{
    if (!_window)
        return;
    GLenum err = glGetError();
    EXPECT_EQ(err, (GLenum)GL_NO_ERROR) << "GL error left by the test";
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}
} // namespace rvTest
