#pragma once
// A hidden GLFW window with the context the program's start-up hints give
// (on Mesa: a 4.5 compatibility context), and a small render target to read back.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

struct GLFWwindow;

namespace rvTest
{
struct RGBA
{
    uint8_t r, g, b, a;
};

// Opens (once per process) the hidden window and makes its context current.
// Returns null when no display is available.
GLFWwindow* SharedWindow();

// An RGBA8 + depth/stencil framebuffer object of a given size.
class RenderTarget
{
public:
    RenderTarget(int width, int height);
    ~RenderTarget();
    void Bind() const; // binds the FBO and sets the viewport to its size
    std::vector<RGBA> Read() const;
    RGBA Pixel(int x, int y) const; // y counted from the bottom row, as GL does
    bool SavePNG(const std::string& path) const;
    int Width() const { return _w; }
    int Height() const { return _h; }
    GLuint Framebuffer() const { return _fbo; }
    GLuint ColorTexture() const { return _color; }

private:
    int _w, _h;
    GLuint _fbo = 0, _color = 0, _depth = 0;
};

// Fixture for tests that render: skips when no display, checks for GL errors after each test.
class GLTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    GLFWwindow* _window = nullptr;
};
} // namespace rvTest
