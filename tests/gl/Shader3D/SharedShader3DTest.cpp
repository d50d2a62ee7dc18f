// The shared 3D programs on a real context: shaded wire frame and the flat occluder fill.
#include "GLTestContext.h"
#include "TestSupport.h"

#include <glm/gtc/matrix_transform.hpp>

#include "rvSceneDisplay.h"
#include "shBasicShader3d.h"
#include "shOccludingShader.h"

using rvTest::GLTest;
using rvTest::RenderTarget;
using rvTest::RGBA;

namespace
{
// One vertex array with a single float attribute at location 0.
struct Mesh
{
    Mesh(const float* data, int floats, int components)
    {
        glGenVertexArrays(1, &vao);
        glGenBuffers(1, &vbo);
        glBindVertexArray(vao);
        glBindBuffer(GL_ARRAY_BUFFER, vbo);
        glBufferData(GL_ARRAY_BUFFER, floats * sizeof(float), data, GL_STATIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, components, GL_FLOAT, GL_FALSE, 0, nullptr);
        count = floats / components;
    }
    ~Mesh()
    {
        glBindVertexArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glDeleteBuffers(1, &vbo);
        glDeleteVertexArrays(1, &vao);
    }
    void Draw() const
    {
        glBindVertexArray(vao);
        glDrawArrays(GL_TRIANGLES, 0, count);
        glBindVertexArray(0);
    }
    GLuint vao = 0, vbo = 0;
    int count = 0;
};

void Clear()
{
    glClearColor(0.f, 0.f, 1.f, 1.f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

class SharedShader3D : public GLTest
{
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        rvSceneDisplay::_pCurrentBuffer = nullptr; // MVP then stays the program's own matrix
    }
};
} // namespace

TEST_F(SharedShader3D, WireFrameEdgesFadeIntoFillAndThinWithLineBold)
{
    // 64 x 64 pixels: one pixel is 1/32 of clip space.
    RenderTarget target(64, 64);
    const float triangle[] = {-0.8f, -0.8f, 0.f, 0.8f, -0.8f, 0.f, 0.f, 0.8f, 0.f};
    Mesh mesh(triangle, 9, 3);
    shBasicShader3d shader;
    EXPECT_EQ(shader._fLineBold, 5.f);
    EXPECT_EQ(shader._vLineColor, glm::vec3(1.f));
    EXPECT_EQ(shader._vFillColor, glm::vec3(0.f));

    struct Case
    {
        float bold;
        int nearEdgeMin, nearEdgeMax; // red of the pixel 3 rows above the bottom edge
    } cases[] = {{5.f, 180, 255}, {20.f, 0, 40}};
    for (const Case& c : cases)
    {
        target.Bind();
        Clear();
        shader._fLineBold = c.bold;
        shader.Use();
        ASSERT_TRUE(shader.IsBuilt());
        mesh.Draw();
        shader.Unuse();
        EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
        target.SavePNG(rvTest::BinaryPath("wireframe_bold" + std::to_string(int(c.bold)) + ".png"));

        // Bottom edge at y = -0.8: row 6.4; row 9 is its centre 2.6 px (0.08 clip) above.
        const RGBA edge = target.Pixel(32, 6);
        EXPECT_GT(edge.r, 200) << c.bold;
        EXPECT_EQ(edge.r, edge.b) << "white, not the blue clear colour";
        const RGBA near = target.Pixel(32, 9);
        EXPECT_GE(near.r, c.nearEdgeMin) << c.bold;
        EXPECT_LE(near.r, c.nearEdgeMax) << c.bold;
        const RGBA inside = target.Pixel(32, 26);
        EXPECT_LT(inside.r, 10) << c.bold;
        EXPECT_LT(inside.b, 10) << "fill colour black over the clear colour";
        const RGBA outside = target.Pixel(2, 60);
        EXPECT_EQ(outside.b, 255);
    }

    // Other colours reach the fragments.
    target.Bind();
    Clear();
    shader._fLineBold = 5.f;
    shader._vLineColor = glm::vec3(1.f, 0.f, 0.f);
    shader._vFillColor = glm::vec3(0.f, 1.f, 0.f);
    shader.Use();
    mesh.Draw();
    shader.Unuse();
    const RGBA edge = target.Pixel(32, 6), inside = target.Pixel(32, 26);
    EXPECT_GT(edge.r, 200);
    EXPECT_LT(edge.g, 60);
    EXPECT_GT(inside.g, 245);
    EXPECT_LT(inside.r, 10);
    shader.Release();
}

TEST_F(SharedShader3D, OccluderFillsWhiteAtZOneThroughTheCamera)
{
    RenderTarget target(32, 32);
    // A square of half size 0.25 around the origin; the camera shifts it right by 0.5 and moves the
    // plane z = 1 to z = 0 (a plane z = 1 under an identity camera sits on the far plane and fails
    // the depth test).
    const float square[] = {-0.25f, -0.25f, 0.25f, -0.25f, 0.25f,  0.25f,
                            -0.25f, -0.25f, 0.25f, 0.25f,  -0.25f, 0.25f};
    Mesh mesh(square, 12, 2);
    shOccludingShader shader;
    shader._mMVP = glm::translate(glm::mat4(1.f), glm::vec3(0.5f, 0.f, -1.f));
    target.Bind();
    Clear();
    shader.Use();
    ASSERT_TRUE(shader.IsBuilt());
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    mesh.Draw();
    shader.Unuse();
    const RGBA in = target.Pixel(24, 16), left = target.Pixel(16, 16);
    EXPECT_EQ(in.r, 255);
    EXPECT_EQ(in.g, 255);
    EXPECT_EQ(in.b, 255);
    EXPECT_EQ(left.r, 0) << "the camera moved the square right";
    EXPECT_EQ(left.b, 255);

    // Under the identity camera the plane z = 1 is the far plane: nothing passes GL_LESS.
    target.Bind();
    Clear();
    shader._mMVP = glm::mat4(1.f);
    shader.Use();
    mesh.Draw();
    shader.Unuse();
    EXPECT_EQ(target.Pixel(16, 16).r, 0);
    shader.Release();
}
