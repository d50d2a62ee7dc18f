// The vector display's flush: decay ring, line and triangle shaders, glow and composition,
// read back from small render targets.
#include "GLTestContext.h"
#include "TestSupport.h"

#include "vector_display/vector_display.h"
#include "vector_display/vector_display_shaders.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace
{
vector_display_camera g_testCamera;
void TestCamera(vector_display_camera* out)
{
    *out = g_testCamera;
}

const int W = 96, H = 64;

// The dot sprite as the GPU samples it (64 x 64, bilinear, clamped): the beam's profile.
float SpriteAlpha(float u, float v)
{
    auto texel = [](int i, int j)
    {
        i = std::clamp(i, 0, 63);
        j = std::clamp(j, 0, 63);
        float r = std::sqrt(float((i - 32) * (i - 32) + (j - 32) * (j - 32))) / 32.f;
        float a = std::clamp(std::pow(16.f, -2.f * std::min(r, 1.f)), 0.f, 1.f);
        return float(int(a * 255.f)) / 255.f;
    };
    float s = u * 64.f - 0.5f, t = v * 64.f - 0.5f;
    int i = int(std::floor(s)), j = int(std::floor(t));
    float fs = s - float(i), ft = t - float(j);
    return (texel(i, j) * (1 - fs) + texel(i + 1, j) * fs) * (1 - ft) +
           (texel(i, j + 1) * (1 - fs) + texel(i + 1, j + 1) * fs) * ft;
}
// Pixel value of a white beam of half width 3.2 pixels, d pixels above its centre line.
int Beam(float d)
{
    return int(std::lround(255.f * SpriteAlpha(0.5f, std::clamp(0.5f - d / 6.4f, 0.f, 1.f))));
}

class VectorDisplayFrame : public rvTest::GLTest
{
protected:
    void SetUp() override
    {
        rvTest::GLTest::SetUp();
        if (!_window) return;
        g_step = 0;
        g_frame_dots = g_frame_lines = g_frame_triangles = 0;
        g_testCamera.fov = 1.0472f;
        g_testCamera.view_projection = glm::ortho(0.f, float(W), 0.f, float(H), -1.f, 1.f); // pixel units
        g_testCamera.back_color = glm::vec3(0.f);
        vector_display_set_camera_source(&TestCamera);
        _inner = std::make_unique<rvTest::RenderTarget>(W, H);
        _target = std::make_unique<rvTest::RenderTarget>(W, H);
        ASSERT_EQ(vector_display_create(&_vd, W, H), 0);
        ASSERT_EQ(vector_display_setup(_vd, _inner->Framebuffer(), _inner->ColorTexture()), 0);
        _vd->settings.thickness = 0.05f; // 2 * H * 0.05 = 6.4 screen units: 3.2 pixels each side
        _vd->settings.color_brightness = 0.f;
        ClearTarget(0.f, 0.f, 0.f, 0.f);
    }
    void TearDown() override
    {
        if (_vd) vector_display_destroy(_vd);
        _vd = nullptr;
        _inner.reset();
        _target.reset();
        vector_display_set_camera_source(nullptr);
        g_step = 0;
        rvTest::GLTest::TearDown();
    }

    void ClearTarget(float r, float g, float b, float a)
    {
        _target->Bind();
        glDisable(GL_SCISSOR_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDepthMask(GL_TRUE);
        glClearColor(r, g, b, a);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    void Flush()
    {
        _target->Bind();
        vector_display_draw(_vd, nullptr, true);
    }
    // One presented frame: the target cleared, a marker dot in the corner (a flush with
    // nothing new draws nothing), what `draw` adds, the flush, then the step advanced.
    template <typename F> void Frame(F draw, bool paused = false)
    {
        ClearTarget(0.f, 0.f, 0.f, 0.f);
        vector_display_point marker(4.5f, 4.5f, 0.f, 1.f, 1.f, 1.f, 0, 0.05f);
        vector_display_add_dot(_vd, &marker);
        draw();
        Flush();
        if (!paused) g_step = (g_step + 1) % VECTOR_DISPLAY_MAX_DECAY_STEPS;
    }
    void HLine(float y, float x0 = 10.f, float x1 = W - 10.f)
    {
        vector_display_strip_begin(_vd, x0, y, 0.f);
        vector_display_strip_to(_vd, x1, y, 0.f);
        vector_display_strip_end(_vd);
    }
    int R(int x, int y) const { return _target->Pixel(x, y).r; }

    vector_display* _vd = nullptr;
    std::unique_ptr<rvTest::RenderTarget> _inner, _target;
};
} // namespace

TEST_F(VectorDisplayFrame, SetupMakesGlowTargetsAtAThirdAndAFailingShaderFailsSetup)
{
    EXPECT_EQ(_vd->setup_done, 1);
    EXPECT_NE(_vd->line_program, 0u);
    EXPECT_NE(_vd->triangle_program, 0u);
    EXPECT_NE(g_dot_texture, 0u);
    EXPECT_NE(_vd->buffers.bufferspoints[31], 0u);
    GLint w = 0, h = 0;
    glBindTexture(GL_TEXTURE_2D, _vd->glow_textures[1]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(w, W / 3);
    EXPECT_EQ(h, H / 3); // 21, truncated

    // A resize remakes the glow targets at the new size; a target too small for a glow
    // target is refused.
    rvTest::RenderTarget small(60, 45);
    ASSERT_EQ(vector_display_resize(_vd, 60, 45, small.Framebuffer(), small.ColorTexture()), 0);
    glBindTexture(GL_TEXTURE_2D, _vd->glow_textures[0]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(w, 20);
    EXPECT_EQ(h, 15);
    EXPECT_EQ(_vd->resize_count, 0);
    rvTest::RenderTarget tiny(2, 2);
    EXPECT_EQ(vector_display_resize(_vd, 2, 2, tiny.Framebuffer(), tiny.ColorTexture()), -1);
    EXPECT_EQ(vector_display_resize(_vd, W, H, _inner->Framebuffer(), _inner->ColorTexture()), 0);

    // A geometry shader that does not compile: reported, and set-up returns -1. The programs are
    // built by the first display set up, so this one goes first.
    vector_display_destroy(_vd);
    _vd = nullptr;
    for (const char** source : {&g_vector_display_shaders.line_gs, &g_vector_display_shaders.blur_fs})
    {
        const char* good = *source;
        *source = "#version 150 core\nvoid main() { this does not compile; }\n";
        vector_display* broken = nullptr;
        vector_display_create(&broken, W, H);
        EXPECT_EQ(vector_display_setup(broken, _inner->Framebuffer(), _inner->ColorTexture()), -1);
        vector_display_destroy(broken);
        *source = good;
    }
}

// Every display uses one set of programs, built once; it lives until the last display goes.
TEST_F(VectorDisplayFrame, DisplaysShareOneProgramSetUntilTheLastGoes)
{
    vector_display* other = nullptr;
    ASSERT_EQ(vector_display_create(&other, W, H), 0);
    ASSERT_EQ(vector_display_setup(other, _target->Framebuffer(), _target->ColorTexture()), 0);
    EXPECT_EQ(other->line_program, _vd->line_program);
    EXPECT_EQ(other->blur_texel_program, _vd->blur_texel_program);
    EXPECT_EQ(other->texel_sampler, _vd->texel_sampler);
    const GLuint line = _vd->line_program;

    // The first display gone, the other still draws its line.
    vector_display_destroy(_vd);
    _vd = other;
    EXPECT_EQ(glIsProgram(line), GL_TRUE);
    ASSERT_EQ(vector_display_resize(_vd, W, H, _inner->Framebuffer(), _inner->ColorTexture()), 0);
    _vd->settings.thickness = 0.05f;
    _vd->settings.color_brightness = 0.f;
    HLine(32.5f);
    Flush();
    EXPECT_GE(R(48, 32), 215);

    vector_display_destroy(_vd);
    _vd = nullptr;
    EXPECT_EQ(glIsProgram(line), GL_FALSE);
}

TEST_F(VectorDisplayFrame, LineHasABrightCentreAndASoftCrossSection)
{
    HLine(32.5f); // along the centre of row 32
    Flush();
    // Across the ribbon the dot sprite's alpha: 16^(-2r), r = offset / 3.2 pixels.
    EXPECT_NEAR(R(48, 32), Beam(0.f), 3);
    EXPECT_GE(R(48, 32), 215);
    for (int d = 1; d < 4; ++d)
    {
        EXPECT_NEAR(R(48, 32 + d), Beam(float(d)), 4) << d;
        EXPECT_NEAR(R(48, 32 - d), Beam(float(-d)), 4) << d;
        EXPECT_LT(R(48, 32 + d), R(48, 32 + d - 1)) << d;
    }
    EXPECT_EQ(R(48, 37), 0);
    EXPECT_EQ(R(48, 27), 0);
    // Round caps: the beam fades out past the ends.
    EXPECT_GE(R(10, 32), 100);
    EXPECT_EQ(R(5, 32), 0);
    EXPECT_EQ(_target->Pixel(48, 32).a, R(48, 32)); // the beam's alpha is its profile
    EXPECT_EQ(g_frame_lines, 1);

    // After the flush: the caller's framebuffer with the display's viewport, no depth test,
    // no culling, and nothing left pending.
    GLint fb = 0, vp[4] = {};
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &fb);
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(GLuint(fb), _target->Framebuffer());
    EXPECT_EQ(vp[2], W);
    EXPECT_EQ(vp[3], H);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(_vd->npoints, 0);
    EXPECT_EQ(_vd->nlines, 0);
}

TEST_F(VectorDisplayFrame, VerticalAndHorizontalLinesHaveTheSameWidthOnAWideViewport)
{
    vector_display_strip_begin(_vd, 20.5f, 5.f, 0.f); // vertical, along column 20
    vector_display_strip_to(_vd, 20.5f, 60.f, 0.f);
    vector_display_strip_end(_vd);
    HLine(40.5f, 40.f, 90.f);
    Flush();
    for (int d = 0; d < 5; ++d)
    {
        EXPECT_NEAR(R(20 + d, 30), R(60, 40 - d), 3) << d;
        EXPECT_NEAR(R(20 - d, 30), R(60, 40 + d), 3) << d;
    }
}

TEST_F(VectorDisplayFrame, StripsJoinWithoutGapsAndSeparateStripsStayApart)
{
    // An L with a miter joint, then a second strip starting right of the first one's end.
    vector_display_strip_begin(_vd, 10.5f, 10.5f, 0.f);
    vector_display_strip_to(_vd, 40.5f, 10.5f, 0.f);
    vector_display_strip_to(_vd, 40.5f, 50.5f, 0.f);
    vector_display_strip_end(_vd);
    vector_display_strip_begin(_vd, 70.5f, 10.5f, 0.f);
    vector_display_strip_to(_vd, 85.5f, 10.5f, 0.f);
    vector_display_strip_end(_vd);
    vector_display_point dot(60.5f, 50.5f, 0.f, 1.f, 1.f, 1.f, 0, 0.05f);
    vector_display_add_dot(_vd, &dot);
    Flush();
    const int peak = Beam(0.f);
    EXPECT_NEAR(R(25, 10), peak, 3);
    EXPECT_GE(R(40, 10), peak - 40); // the corner
    EXPECT_NEAR(R(40, 30), peak, 3);
    EXPECT_NEAR(R(78, 10), peak, 3);
    EXPECT_EQ(R(52, 50), 0);     // no join from the first strip's end to the dot
    EXPECT_EQ(R(55, 10), 0);     // nor from the corner strip to the second strip
    EXPECT_EQ(R(40 + 7, 50), 0); // the end cap stops
    EXPECT_GE(R(60, 50), 180);   // the dot
    EXPECT_EQ(R(60, 58), 0);
}

TEST_F(VectorDisplayFrame, LineDecaysOverTenFramesFollowingTheAlphaSchedule)
{
    const float alphas[10] = {1.f, 0.2f, 0.18f, 0.16f, 0.14f, 0.12f, 0.10f, 0.08f, 0.06f, 0.04f};
    Frame([&] { HLine(32.5f); });
    const float peak = float(R(48, 32));
    EXPECT_NEAR(peak, Beam(0.f), 3);
    for (int age = 1; age <= 10; ++age)
    {
        Frame([] {});
        float expected = age < 10 ? alphas[age] * peak : 0.f;
        EXPECT_NEAR(R(48, 32), expected, 2.f) << "age " << age;
    }

    // A resize drops the history at the next flush.
    Frame([&] { HLine(32.5f); });
    ASSERT_EQ(vector_display_resize(_vd, W, H, _inner->Framebuffer(), _inner->ColorTexture()), 0);
    Frame([] {});
    EXPECT_EQ(R(48, 32), 0);
}

// The ring draws the last decay_steps steps; older steps give their vertex storage back instead of
// holding a heavy frame for 32 frames. Lowering the steps empties the steps that fell out at once.
TEST_F(VectorDisplayFrame, StepsPastTheDecayGiveTheirVerticesBack)
{
    auto held = [&](int age) {
        const int step = (g_step - age + VECTOR_DISPLAY_MAX_DECAY_STEPS) % VECTOR_DISPLAY_MAX_DECAY_STEPS;
        GLint bytes = -1;
        glBindBuffer(GL_ARRAY_BUFFER, _vd->buffers.bufferspoints[step]);
        glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
        GLint windowBytes = -1; // the step's line windows go with its points
        glBindBuffer(GL_ARRAY_BUFFER, _vd->buffers.bufferswindows[step]);
        glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &windowBytes);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        EXPECT_EQ(bytes > 0, _vd->buffers.pointsheld_step[step] > 0) << "age " << age;
        EXPECT_EQ(windowBytes > 0, bytes > 0) << "age " << age;
        return bytes > 0;
    };
    _vd->settings.decay_steps = 6.f;
    for (int i = 0; i < 40; ++i)
        Frame([&] { HLine(32.5f); });
    // After the step advanced, ages 1 to 6 are the six steps drawn last.
    for (int age = 1; age <= VECTOR_DISPLAY_MAX_DECAY_STEPS; ++age)
        EXPECT_EQ(held(age), age <= 6) << "age " << age;

    _vd->settings.decay_steps = 3.f;
    Frame([&] { HLine(32.5f); });
    for (int age = 1; age <= 8; ++age)
        EXPECT_EQ(held(age), age <= 3) << "age " << age;
    EXPECT_GE(R(48, 32), Beam(0.f) - 3); // the newest steps still drawn (the same line: their light adds up)
}

TEST_F(VectorDisplayFrame, PausingFreezesTheTrail)
{
    Frame([&] { HLine(20.5f); });
    Frame([&] { HLine(40.5f); });
    Frame([] {});
    EXPECT_NEAR(R(48, 20), 0.18f * Beam(0.f), 2);
    EXPECT_NEAR(R(48, 40), 0.2f * Beam(0.f), 2);
    // The first paused frame records a new step (the trail ages once), then it stands still.
    Frame([] {}, true);
    int older = R(48, 20), newer = R(48, 40);
    EXPECT_NEAR(older, 0.16f * Beam(0.f), 2);
    EXPECT_NEAR(newer, 0.18f * Beam(0.f), 2);
    for (int i = 0; i < 5; ++i)
    {
        Frame([] {}, true);
        EXPECT_EQ(R(48, 20), older);
        EXPECT_EQ(R(48, 40), newer);
    }
    Frame([] {}); // still the paused step, then the steps advance again
    Frame([] {});
    EXPECT_LT(R(48, 20), older);
}

TEST_F(VectorDisplayFrame, GlowSpreadsWithBrightnessAndIsAbsentAtZero)
{
    int far[3] = {};
    const float brightness[3] = {0.f, 1.f, 2.f};
    const int passes[3] = {0, 8, 16};
    for (int i = 0; i < 3; ++i)
    {
        ClearTarget(0.f, 0.f, 0.f, 0.f);
        _vd->settings.color_brightness = brightness[i];
        HLine(32.5f);
        Flush();
        far[i] = R(48, 32 + 8); // well outside the beam
        EXPECT_EQ(_vd->glow_passes, passes[i]);
    }
    EXPECT_EQ(far[0], 0);
    EXPECT_GT(far[1], 0);
    EXPECT_GT(far[2], far[1]);
}

TEST_F(VectorDisplayFrame, CompositionModes)
{
    struct Case
    {
        int mode;
        int centre, far, farAlpha;
    };
    // A grey (51) target, a half-bright beam: image colour c = 0.5 a, alpha a at the centre.
    const float a = SpriteAlpha(0.5f, 0.5f), c = 0.5f * a;
    const Case cases[] = {
        {0, int(std::lround(255 * c)), 0, 0},         // "Copy": alpha 0 where nothing was drawn
        {1, int(std::lround(255 * c + 51)), 51, 255}, // "Add"
        {2, int(std::lround(255 * c)), 51, 255},      // "Max"
        {3, int(std::lround(255 * (c * a + 0.2f * (1 - a)))), 51, 255}, // "Alpha"
    };
    for (const Case& c : cases)
    {
        ClearTarget(0.2f, 0.2f, 0.2f, 1.f);
        _vd->settings.export_color = c.mode;
        vector_display_set_rgb(_vd, 0.5f, 0.5f, 0.5f);
        HLine(32.5f);
        Flush();
        EXPECT_NEAR(R(48, 32), c.centre, 3) << c.mode;
        rvTest::RGBA far = _target->Pixel(48, 5);
        EXPECT_EQ(far.r, c.far) << c.mode;
        EXPECT_EQ(far.a, c.farAlpha) << c.mode;
    }

    // Copy with the glow on still leaves alpha 0 away from the lines.
    ClearTarget(0.2f, 0.2f, 0.2f, 1.f);
    _vd->settings.export_color = 0;
    _vd->settings.color_brightness = 1.f;
    HLine(32.5f);
    Flush();
    rvTest::RGBA corner = _target->Pixel(2, 2);
    EXPECT_EQ(corner.a, 0);
    EXPECT_EQ(corner.r, 0);
}

TEST_F(VectorDisplayFrame, ImportColourKeepsTheTargetAndExportDepthCopiesTriangleDepth)
{
    ClearTarget(0.2f, 0.2f, 0.2f, 1.f);
    _vd->settings.import_color = 1;
    _vd->settings.export_color = 0; // Copy: only the imported picture can keep the grey
    _vd->settings.export_depth = 1;
    glm::vec3 a(20, 10, 0), b(80, 10, 0), c(50, 55, 0);
    vector_display_add_triangle(_vd, &a, &b, &c);
    Flush();
    EXPECT_EQ(R(5, 60), 51);
    float depth = 1.f;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, _target->Framebuffer());
    glReadPixels(50, 25, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_NEAR(depth, 0.5f, 0.01f); // z 0 of the ortho camera
    glReadPixels(5, 60, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 1.f);
    // Imported depth hides what lies behind it: the target's depth 0.2 is nearer than the
    // line's 0.5.
    _vd->settings.import_color = 0;
    _vd->settings.export_color = 1;
    _vd->settings.export_depth = 0;
    _vd->settings.import_depth = 1;
    ClearTarget(0.f, 0.f, 0.f, 0.f);
    _target->Bind();
    glClearDepth(0.2);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    HLine(32.5f);
    Flush();
    EXPECT_EQ(R(48, 32), 0);
    _vd->settings.import_depth = 0;
    HLine(32.5f);
    Flush();
    EXPECT_GT(R(48, 32), 200);
}

TEST_F(VectorDisplayFrame, TriangleIsDarkInsideWithLitEdgesAndQuadDiagonalsStayDark)
{
    glm::vec3 a(20, 10, 0), b(80, 10, 0), c(50, 55, 0); // counter-clockwise
    vector_display_add_triangle(_vd, &a, &b, &c);
    Flush();
    EXPECT_LE(R(50, 25), 3);                  // inside
    EXPECT_EQ(_target->Pixel(50, 25).a, 255); // opaque
    EXPECT_GE(R(50, 10), 150);                // on the bottom edge
    EXPECT_EQ(R(50, 60), 0);                  // outside
    EXPECT_EQ(g_frame_triangles, 1);

    // Back faces are culled unless culling is off.
    glm::vec3 cw[3] = {a, c, b};
    ClearTarget(0.f, 0.f, 0.f, 0.f);
    vector_display_add_triangle(_vd, &cw[0], &cw[1], &cw[2]);
    Flush();
    EXPECT_EQ(R(50, 10), 0);
    ClearTarget(0.f, 0.f, 0.f, 0.f);
    _vd->settings.triangle_culling = false;
    vector_display_add_triangle(_vd, &cw[0], &cw[1], &cw[2]);
    Flush();
    EXPECT_GE(R(50, 10), 150);

    // A quad's outline skips its diagonal.
    ClearTarget(0.f, 0.f, 0.f, 0.f);
    vector_display_point q[4] = {{10, 10, 0}, {60, 10, 0}, {60, 60, 0}, {10, 60, 0}};
    vector_display_add_quad(_vd, &q[0], &q[1], &q[2], &q[3]);
    Flush();
    EXPECT_GE(R(35, 10), 150);
    EXPECT_LE(R(35, 35), 3); // on the diagonal, exactly through pixel centres
    EXPECT_LE(R(35, 36), 3);
    EXPECT_LE(R(30, 29), 3);
}

TEST_F(VectorDisplayFrame, GlowComposedInOnePassMatchesTheImageThenTheGlow)
{
    // On a black target "Add" (image and glow in one pass) and "Max" (the image blended, then the
    // glow added) make the same picture; the texel sampler of the blur is not left on unit 1.
    std::vector<rvTest::RGBA> pictures[2];
    const int modes[2] = {1, 2};
    for (int i = 0; i < 2; ++i)
    {
        ClearTarget(0.f, 0.f, 0.f, 0.f);
        _vd->settings.export_color = modes[i];
        _vd->settings.color_brightness = 1.f;
        vector_display_set_rgb(_vd, 0.8f, 0.4f, 0.2f);
        HLine(32.5f);
        vector_display_draw_circle(_vd, 30.f, 30.f, 0.f, 12.f, 16);
        Flush();
        pictures[i] = _target->Read();
    }
    int largest = 0, lit = 0;
    for (size_t p = 0; p < pictures[0].size(); ++p)
    {
        const rvTest::RGBA a = pictures[0][p], b = pictures[1][p];
        largest = std::max({largest, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b),
                            std::abs(a.a - b.a)});
        lit += a.r > 0 ? 1 : 0;
    }
    EXPECT_LE(largest, 1);
    EXPECT_GT(lit, W * 10); // beams and their glow
    GLint sampler = -1;
    glActiveTexture(GL_TEXTURE1);
    glGetIntegerv(GL_SAMPLER_BINDING, &sampler);
    glActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(sampler, 0);
}

TEST_F(VectorDisplayFrame, MappedQuadsOfOneFlushEachShowTheirOwnTexture)
{
    // The quads' points go to the GPU together: each draw must take its own six.
    const unsigned char colours[3][4] = {{255, 0, 0, 255}, {0, 0, 255, 255}, {255, 255, 0, 255}};
    GLuint tex[3] = {};
    glGenTextures(3, tex);
    auto uv = [](int u, int v) { return PTF_TEXTURE_MAPPING | (u << 24) | (v << 16); };
    for (int i = 0; i < 3; ++i)
    {
        glBindTexture(GL_TEXTURE_2D, tex[i]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, colours[i]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        const float x0 = 4.f + 30.f * float(i), x1 = x0 + 26.f;
        vector_display_point q[4] = {{x0, 10, 0, 0, 1, 0, uv(0, 0)},
                                     {x1, 10, 0, 0, 1, 0, uv(255, 0)},
                                     {x1, 50, 0, 0, 1, 0, uv(255, 255)},
                                     {x0, 50, 0, 0, 1, 0, uv(0, 255)}};
        vector_display_add_mapped_quad(_vd, &q[0], &q[1], &q[2], &q[3], tex[i]);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    Flush();
    for (int i = 0; i < 3; ++i)
    {
        const rvTest::RGBA inside = _target->Pixel(17 + 30 * i, 30);
        EXPECT_NEAR(inside.r, colours[i][0], 3) << i;
        EXPECT_NEAR(inside.g, colours[i][1], 3) << i;
        EXPECT_NEAR(inside.b, colours[i][2], 3) << i;
    }
    EXPECT_EQ(g_frame_triangles, 6);
    glDeleteTextures(3, tex);
}

TEST_F(VectorDisplayFrame, MappedQuadShowsItsTextureInside)
{
    GLuint tex = 0;
    const unsigned char red[16] = {255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255};
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, red);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    auto uv = [](int u, int v) { return PTF_TEXTURE_MAPPING | (u << 24) | (v << 16); };
    vector_display_point q[4] = {{10, 10, 0, 0, 1, 0, uv(0, 0)},
                                 {60, 10, 0, 0, 1, 0, uv(255, 0)},
                                 {60, 60, 0, 0, 1, 0, uv(255, 255)},
                                 {10, 60, 0, 0, 1, 0, uv(0, 255)}};
    vector_display_add_mapped_quad(_vd, &q[0], &q[1], &q[2], &q[3], tex);
    Flush();
    rvTest::RGBA inside = _target->Pixel(30, 40);
    EXPECT_GE(inside.r, 250);
    EXPECT_LE(inside.g, 3);
    EXPECT_GE(_target->Pixel(35, 10).g, 150); // green outline
    EXPECT_EQ(g_frame_triangles, 2);
    glDeleteTextures(1, &tex);
}

TEST_F(VectorDisplayFrame, LinesBeyondTheFogRangeFadeToTheBackground)
{
    // A perspective camera 100 units away; the line is at distance 100.
    g_testCamera.view_projection = glm::perspectiveFov(1.0472f, float(W), float(H), 0.01f, 1000.f) *
                                   glm::translate(glm::mat4(1.f), glm::vec3(0.f, 0.f, -100.f));
    g_testCamera.back_color = glm::vec3(0.f, 1.f, 0.f);
    _vd->settings.thickness = 5.f; // 2 * 64 * 5 / 100 = 6.4 screen units
    vector_display_set_rgb(_vd, 1.f, 0.f, 0.f);
    // Colour = mix(red, background, fog) with fog = 1 - (1 - t)^3, t the place of the
    // distance (100) in the range; the beam's alpha weighs it.
    struct Case
    {
        float zmin, zmax, fog;
    } cases[] = {{500.f, 1000.f, 0.f}, {20.f, 50.f, 1.f}, {90.f, 110.f, 0.875f}};
    for (const Case& c : cases)
    {
        ClearTarget(0.f, 0.f, 0.f, 0.f);
        _vd->settings.fog_zmin = c.zmin;
        _vd->settings.fog_zmax = c.zmax;
        HLine(0.f, -30.f, 30.f);
        Flush();
        rvTest::RGBA p = _target->Pixel(W / 2, H / 2 - 1);
        EXPECT_GT(p.a, 80);
        EXPECT_NEAR(p.r, p.a * (1.f - c.fog), 3) << c.zmin;
        EXPECT_NEAR(p.g, p.a * c.fog, 3) << c.zmin;
    }
    // Equal bounds are made a range.
    _vd->settings.fog_zmin = _vd->settings.fog_zmax = 500.f;
    HLine(0.f);
    Flush();
    EXPECT_EQ(_vd->settings.fog_zmin, 500.f);
    EXPECT_EQ(_vd->settings.fog_zmax, 500.f + 0.0001f);
}

TEST_F(VectorDisplayFrame, WithoutFieldOfViewNothingIsDrawnAndPrimitivesStayPending)
{
    g_testCamera.fov = 0.f;
    HLine(32.5f);
    Flush();
    EXPECT_EQ(_vd->npoints, 4);
    EXPECT_EQ(R(48, 32), 0);
    g_testCamera.fov = 1.f;
    Flush();
    EXPECT_EQ(_vd->npoints, 0);
    EXPECT_NEAR(R(48, 32), Beam(0.f), 3);
}

TEST_F(VectorDisplayFrame, EmptyFlushComposesNothingAndEmptiesTheCurrentStep)
{
    Frame([&] { HLine(32.5f); });
    HLine(20.5f);
    Flush(); // age 0 of this frame
    ClearTarget(0.f, 0.f, 0.f, 0.f);
    Flush(); // nothing new: nothing drawn, and the step is emptied
    EXPECT_EQ(R(48, 32), 0);
    EXPECT_EQ(_vd->buffers.npoints_step[g_step], 0);
    // Clamped step counts: 1 shows only the newest step, 32.5 becomes 32.
    _vd->settings.decay_steps = 1.f;
    Frame([] {});
    EXPECT_EQ(R(48, 32), 0);
    _vd->settings.decay_steps = 32.5f;
    Frame([] {});
    EXPECT_EQ(_vd->settings.decay_steps, 32.f);
}

TEST_F(VectorDisplayFrame, DecayCameraKeepsOldStepsWhereTheyWereDrawn)
{
    const glm::mat4 still = g_testCamera.view_projection;
    const glm::mat4 moved = still * glm::translate(glm::mat4(1.f), glm::vec3(0.f, 10.f, 0.f));
    for (bool decayCamera : {false, true})
    {
        _vd->settings.decay_camera = decayCamera;
        g_testCamera.view_projection = still;
        Frame([&] { HLine(20.5f); });
        g_testCamera.view_projection = moved; // everything now shows 10 pixels higher
        Frame([] {});
        const int atOld = R(48, 20), atMoved = R(48, 30);
        if (decayCamera)
        {
            EXPECT_NEAR(atOld, 0.2f * Beam(0.f), 2);
            EXPECT_EQ(atMoved, 0);
        }
        else
        {
            EXPECT_EQ(atOld, 0);
            EXPECT_NEAR(atMoved, 0.2f * Beam(0.f), 2);
        }
        Frame([] {}); // let the line age out of sight before the next round
        for (int i = 0; i < 10; ++i)
            Frame([] {});
    }
}
