// A test scene on the vector display (strips, dots, a cube and a triangle, stroke text, a
// moving trail), rendered with glow and decay and written to the build directory as
// "vector_display_scene.png".
#include "GLTestContext.h"
#include "TestSupport.h"

#include "vector_display/vector_display.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>

namespace
{
vector_display_camera g_sceneCamera;
void SceneCamera(vector_display_camera* out)
{
    *out = g_sceneCamera;
}

void DrawScene(vector_display* vd, int frame)
{
    const float t = float(frame) * 0.08f;
    vector_display_settings& s = vd->settings;
    s.thickness = 0.6f;

    // A sine wave and a square spiral (sharp corners).
    vector_display_set_rgb(vd, 0.2f, 1.f, 0.4f);
    vector_display_strip_begin(vd, -95.f, -30.f, 0.f);
    for (int i = 1; i <= 120; ++i)
    {
        float x = -95.f + float(i) * 0.75f;
        vector_display_strip_to(vd, x, -30.f + 8.f * std::sin(x * 0.15f + t * 4.f), 0.f);
    }
    vector_display_strip_end(vd);

    vector_display_set_rgb(vd, 1.f, 0.6f, 0.1f);
    float x = 55.f, y = 18.f, len = 4.f;
    vector_display_strip_begin(vd, x, y, 0.f);
    for (int i = 0; i < 14; ++i)
    {
        int dir = i % 4;
        x += dir == 0 ? len : (dir == 2 ? -len : 0.f);
        y += dir == 1 ? len : (dir == 3 ? -len : 0.f);
        vector_display_strip_to(vd, x, y, 0.f);
        len += 2.5f;
    }
    vector_display_strip_end(vd);

    // A rotating spoke leaves a fading trail.
    vector_display_set_rgb(vd, 0.4f, 0.8f, 1.f);
    vector_display_strip_begin(vd, -60.f, 25.f, 0.f);
    vector_display_strip_to(vd, -60.f + 22.f * std::cos(t * 3.f), 25.f + 22.f * std::sin(t * 3.f), 0.f);
    vector_display_strip_end(vd);
    vector_display_draw_circle(vd, -60.f, 25.f, 0.f, 22.f, 48);

    // A row of dots.
    for (int i = 0; i < 12; ++i)
    {
        float k = float(i) / 11.f;
        vector_display_point p(-90.f + float(i) * 8.f, -48.f, 0.f, 1.f - k, 0.3f + 0.5f * k, k, 0,
                               0.4f + 0.1f * float(i % 3));
        vector_display_add_dot(vd, &p);
    }

    // A spinning cube and a triangle in front of the wave (dark inside, lit edges).
    glm::mat4 m = glm::translate(glm::mat4(1.f), glm::vec3(10.f, 22.f, 0.f)) *
                  glm::rotate(glm::mat4(1.f), t * 2.f, glm::vec3(0.3f, 1.f, 0.2f));
    for (int i = 0; i < 8; ++i)
    {
        glm::vec4 c(i & 1 ? 12.f : -12.f, i & 2 ? 12.f : -12.f, i & 4 ? 12.f : -12.f, 1.f);
        // Corners ordered so that faces 0-1-2-3 and 7-6-5-4 are the two caps.
        static const int order[8] = {0, 1, 3, 2, 4, 5, 7, 6};
        glm::vec4 w = m * glm::vec4(c);
        vector_display_point& p = g_cube_points[order[i]];
        p = vector_display_point(w.x, w.y, w.z, 1.f, 0.3f, 0.9f, 0, 0.5f);
    }
    s.triangle_culling = false;
    vector_display_add_cube(vd);
    vector_display_set_rgb(vd, 1.f, 1.f, 0.3f);
    glm::vec3 a(-20.f, -42.f, 10.f), b(15.f, -42.f, 10.f), c(-2.f, -14.f, 10.f);
    vector_display_add_triangle(vd, &a, &b, &c);

    // Stroke text.
    vector_display_set_rgb(vd, 0.9f, 0.95f, 1.f);
    s.thickness = 0.45f;
    vector_display_draw_string(vd, -95.f, 44.f, "MORVANE ZQ4", 0.45f);
    vector_display_draw_string(vd, 40.f, -36.f, "vector display\n0123456789", 0.22f);
}
} // namespace

using VectorDisplayScene = rvTest::GLTest;

TEST_F(VectorDisplayScene, ScreenshotOfATestScene)
{
    const int W = 640, H = 360;
    rvTest::RenderTarget inner(W, H), target(W, H);
    vector_display* vd = nullptr;
    ASSERT_EQ(vector_display_create(&vd, W, H), 0);
    ASSERT_EQ(vector_display_setup(vd, inner.Framebuffer(), inner.ColorTexture()), 0);
    g_sceneCamera.fov = 1.0472f;
    g_sceneCamera.view_projection = glm::perspectiveFov(1.0472f, float(W), float(H), 0.01f, 1000.f) *
                                    glm::translate(glm::mat4(1.f), glm::vec3(0.f, 0.f, -100.f));
    g_sceneCamera.back_color = glm::vec3(0.f);
    vector_display_set_camera_source(&SceneCamera);
    g_step = 0;

    for (int frame = 0; frame < 12; ++frame)
    {
        target.Bind();
        glClearColor(0.f, 0.f, 0.f, 1.f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        DrawScene(vd, frame);
        vector_display_draw(vd, nullptr, true);
        g_step = (g_step + 1) % VECTOR_DISPLAY_MAX_DECAY_STEPS;
    }
    const std::string path = rvTest::BinaryPath("vector_display_scene.png");
    EXPECT_TRUE(target.SavePNG(path)) << path;

    // Lit lines on a black screen, with a glow halo around them.
    std::vector<rvTest::RGBA> px = target.Read();
    int lit = 0, black = 0;
    for (const rvTest::RGBA& p : px)
    {
        int v = std::max({p.r, p.g, p.b});
        lit += v > 128;
        black += v < 8;
    }
    EXPECT_GT(lit, W * H / 200);
    EXPECT_GT(black, W * H / 2);
    EXPECT_EQ(vd->glow_passes, 8);

    vector_display_set_camera_source(nullptr);
    vector_display_destroy(vd);
    g_step = 0;
}
