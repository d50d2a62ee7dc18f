// Render buffers and the scene display on a real context.
#include "DefaultBufferTest.h"
#include "RenderHelpers.h"
#include "GLTestContext.h"
#include "TestSupport.h"

#include <imgui.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Display/rvBufferDisplay.h"
#include "rvSceneDisplay.h"
#include "rvShaderProgram.h"
#include "vector_display/vector_display.h"

using rvTest::BrightestInColumn;
using rvTest::ReadPixel;
using rvTest::RGBA;

namespace
{
const int kW = 64, kH = 36;

class SceneDisplayTest : public rvTest::DefaultBufferTest
{
protected:
    SceneDisplayTest() : DefaultBufferTest(kW, kH) {}
};

void ClearBuffer(const rvBufferDisplay& b, float r, float g, float bl)
{
    GLint previous = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, b._glFrameBuffer);
    glClearColor(r, g, bl, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, previous);
}

GLint TextureFormat(GLuint texture)
{
    GLint format = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    glBindTexture(GL_TEXTURE_2D, 0);
    return format;
}
} // namespace

TEST_F(SceneDisplayTest, CreationFlagsChooseTheAttachments)
{
    struct Case
    {
        int flags;
        bool color, depth;
        GLint depthFormat;
        bool vector;
    } cases[] = {
        {BUFFER_COLOR, true, false, 0, false},
        {BUFFER_COLOR | BUFFER_DEPTH, true, true, GL_DEPTH_COMPONENT, false},
        {BUFFER_COLOR | BUFFER_DEPTH | BUFFER_DEPTH_STENCIL, true, true, GL_DEPTH24_STENCIL8, false},
        {0x1b, true, true, GL_DEPTH_COMPONENT, true},
        {0x3b, true, true, GL_DEPTH_COMPONENT, true},
        {15, true, true, GL_DEPTH24_STENCIL8, true},
    };
    for (const Case& c : cases)
    {
        rvBufferDisplay b;
        b.Create("B", 32, 16, c.flags);
        EXPECT_TRUE(b.IsValid()) << "flags " << c.flags;
        EXPECT_TRUE(b._bCreated);
        EXPECT_EQ(b._glColorTexture != 0, c.color);
        EXPECT_EQ(b._glDepthTexture != 0, c.depth);
        if (c.depth && c.depthFormat == GL_DEPTH24_STENCIL8)
        {
            EXPECT_EQ(TextureFormat(b._glDepthTexture), GL_DEPTH24_STENCIL8);
        }
        EXPECT_EQ(b._pVectorDisplay != nullptr, c.vector);
        if (c.vector)
        {
            ASSERT_NE(b._pVectorBuffer, nullptr);
            EXPECT_EQ(b._pVectorBuffer->_sName, "Vector");
            EXPECT_EQ(b._pVectorBuffer->_nFlags, 7);
            EXPECT_EQ(TextureFormat(b._pVectorBuffer->_glDepthTexture), GL_DEPTH24_STENCIL8);
        }
    }
    EXPECT_EQ(rvSceneDisplay::_DefaultBuffer._nFlags, 15);
    EXPECT_EQ(rvSceneDisplay::_DefaultBuffer._sName, "Default");
}

TEST_F(SceneDisplayTest, RecreateOnlyWhenSizeOrFlagsChange)
{
    rvBufferDisplay b;
    b.Create("First", 32, 16, BUFFER_COLOR);
    GLuint fbo = b._glFrameBuffer;
    b.Create("Second", 32, 16, BUFFER_COLOR);
    EXPECT_EQ(b._sName, "First");
    EXPECT_EQ(b._glFrameBuffer, fbo);
    b.Create("Third", 48, 16, BUFFER_COLOR);
    EXPECT_EQ(b._sName, "Third");
    EXPECT_EQ(b._nWidth, 48);

    b.Release(false);
    EXPECT_EQ(b._nWidth, 0);
    EXPECT_EQ(b._glFrameBuffer, 0u);
    EXPECT_TRUE(b._sName.empty());
    EXPECT_FALSE(b.IsValid());
    b.Release(true); // repeated: nothing left to do
}

TEST_F(SceneDisplayTest, SidesPastTheDriverLimitAreLimited)
{
    // A buffer effect whose size came from a file asks for a 72,000,000-pixel side.
    const int maxSide = rvBufferDisplay::MaxSide();
    ASSERT_GE(maxSide, 1024);
    rvBufferDisplay b;
    b.Create("Huge", 72000000, 8, BUFFER_COLOR);
    EXPECT_TRUE(b.IsValid());
    EXPECT_EQ(b._nWidth, maxSide);
    EXPECT_EQ(b._nHeight, 8);
    b.Release(true);
}

TEST_F(SceneDisplayTest, ResizingDefaultKeepsItsDisplayAndDropsThePending)
{
    rvBufferDisplay& d = rvSceneDisplay::_DefaultBuffer;
    vector_display* display = d._pVectorDisplay;
    ASSERT_NE(display, nullptr);
    display->settings.decay_steps = 7.f;
    int resizes = display->resize_count;
    vector_display_strip_begin(display, 0, 0, 0);
    vector_display_strip_to(display, 1, 0, 0);
    vector_display_strip_end(display);

    rvSceneDisplay::ResizeDefaultBuffer(50, 31);
    EXPECT_EQ(rvSceneDisplay::_pCurrentBuffer, &d) << "stays current, bound at its new size";
    EXPECT_EQ(rvSceneDisplay::_pCurrentDisplay, display);
    GLint fbo = 0, viewport[4] = {};
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &fbo);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(GLuint(fbo), d._glFrameBuffer);
    EXPECT_EQ(viewport[2], 50);
    EXPECT_EQ(d._pVectorDisplay, display);
    EXPECT_EQ(display->settings.decay_steps, 7.f);
    EXPECT_EQ(display->resize_count, resizes + 1);
    EXPECT_EQ(display->npoints, 0);
    EXPECT_EQ(d._pVectorBuffer->_nWidth, 50);
    EXPECT_EQ(d._pVectorBuffer->_nHeight, 31);
    EXPECT_EQ(int(display->glow_width), 16);
    EXPECT_EQ(int(display->glow_height), 10);
}

TEST_F(SceneDisplayTest, SwitchingBuffersReturnsThePreviousOne)
{
    rvBufferDisplay other;
    other.Create("Other", kW, kH, BUFFER_COLOR | BUFFER_DEPTH);
    rvBufferDisplay* def = &rvSceneDisplay::_DefaultBuffer;

    EXPECT_EQ(rvSceneDisplay::SetCurrentBuffer(nullptr), nullptr) << "already current";
    EXPECT_EQ(rvSceneDisplay::SetCurrentBuffer(nullptr, true), def) << "forced";
    EXPECT_EQ(rvSceneDisplay::SetCurrentBuffer(&other), def);
    EXPECT_EQ(rvSceneDisplay::BindedBuffer(), &other);
    EXPECT_EQ(rvSceneDisplay::_pCurrentDisplay, nullptr) << "a buffer without display";
    GLint fbo = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &fbo);
    EXPECT_EQ(GLuint(fbo), other._glFrameBuffer);
    EXPECT_EQ(rvSceneDisplay::SetCurrentBuffer(nullptr), &other) << "null selects Default";
    EXPECT_EQ(rvSceneDisplay::_pCurrentDisplay, def->_pVectorDisplay);
}

TEST_F(SceneDisplayTest, ReleasingTheCurrentBufferFallsBackToDefault)
{
    rvBufferDisplay other;
    other.Create("Other", kW, kH, BUFFER_COLOR);
    rvSceneDisplay::SetCurrentBuffer(&other);
    other.Release(true);
    EXPECT_EQ(rvSceneDisplay::_pCurrentBuffer, &rvSceneDisplay::_DefaultBuffer);
}

TEST_F(SceneDisplayTest, CopyMakesANamedTwinAndRestoresTheCurrentBuffer)
{
    rvBufferDisplay source, other;
    source.Create("Scene", kW, kH, 15);
    other.Create("Other", kW, kH, BUFFER_COLOR);
    ClearBuffer(source, 0.f, 1.f, 0.f);
    rvSceneDisplay::SetCurrentBuffer(&other);

    GLuint texture = source.Copy();
    ASSERT_NE(source._pCopyBuffer, nullptr);
    rvBufferDisplay& twin = *source._pCopyBuffer;
    EXPECT_EQ(twin._sName, "SceneCopy");
    EXPECT_EQ(twin._nFlags, 15);
    ASSERT_NE(twin._pVectorBuffer, nullptr) << "the twin of a vector buffer has its own";
    EXPECT_NE(twin._pVectorDisplay, source._pVectorDisplay);
    EXPECT_EQ(texture, twin._glColorTexture);
    EXPECT_EQ(ReadPixel(twin, 10, 10).g, 255);
    EXPECT_EQ(rvSceneDisplay::_pCurrentBuffer, &other);
    EXPECT_EQ(rvProgram::_currentProgramUsed, nullptr);

    // Later copies reuse the twin.
    ClearBuffer(source, 1.f, 0.f, 0.f);
    rvBufferDisplay* first = &twin;
    source.Copy();
    EXPECT_EQ(source._pCopyBuffer, first);
    EXPECT_EQ(ReadPixel(*first, 10, 10).r, 255);
}

TEST_F(SceneDisplayTest, PresentAdvancesTheDecayStepUnlessPaused)
{
    int start = g_step;
    rvSceneDisplay::BeginFrame(_window);
    rvSceneDisplay::PresentFrame(true);
    EXPECT_EQ(g_step, start);
    for (int i = 0; i < 31; ++i)
        rvSceneDisplay::PresentFrame(false);
    EXPECT_EQ(g_step, (start + 31) % 32);
    rvSceneDisplay::PresentFrame(false);
    EXPECT_EQ(g_step, start);
    EXPECT_EQ(rvSceneDisplay::_pCurrentBuffer, &rvSceneDisplay::_DefaultBuffer);
    EXPECT_EQ(rvProgram::_currentProgramUsed, nullptr);
}

TEST_F(SceneDisplayTest, PresentShowsDefaultInTheWindow)
{
    rvSceneDisplay::BeginFrame(_window);
    ClearBuffer(rvSceneDisplay::_DefaultBuffer, 0.f, 0.f, 1.f);
    rvSceneDisplay::PresentFrame(false);
    RGBA p{};
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(5, 5, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &p);
    EXPECT_EQ(p.b, 255);
    EXPECT_EQ(p.r, 0);
}

TEST_F(SceneDisplayTest, BeginFrameBindsAndClearsDefault)
{
    rvBufferDisplay other;
    other.Create("Other", kW, kH, BUFFER_COLOR);
    rvSceneDisplay::SetCurrentBuffer(&other);
    ClearBuffer(rvSceneDisplay::_DefaultBuffer, 1.f, 1.f, 1.f);
    glEnable(GL_BLEND);
    g_frame_lines = 12;
    rvSceneDisplay::BeginFrame(_window);
    EXPECT_EQ(rvSceneDisplay::_pCurrentBuffer, &rvSceneDisplay::_DefaultBuffer);
    EXPECT_EQ(rvSceneDisplay::_pWindow, _window);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(g_frame_lines, 0);
    RGBA p = ReadPixel(rvSceneDisplay::_DefaultBuffer, 3, 3);
    EXPECT_EQ(p.r, 0);
    EXPECT_EQ(p.a, 255);
}

TEST_F(SceneDisplayTest, FreeCameraOrbitsAroundTheTarget)
{
    rvBufferDisplay b;
    b.Create("Cam", 160, 90, BUFFER_COLOR);
    b._bFreeCam = true;
    b.UpdateMatrices(glm::mat4(1.f));
    glm::vec3 eye = glm::vec3(b._mInvView[3]);
    EXPECT_NEAR(eye.x, 12.38f, 0.02f);
    EXPECT_NEAR(eye.y, 10.81f, 0.02f);
    EXPECT_NEAR(eye.z, 11.40f, 0.02f);
    // The target (0, 1, 0) lies on the view axis, in the middle of the screen.
    glm::vec4 clip = b._mViewProjection * glm::vec4(0.f, 1.f, 0.f, 1.f);
    EXPECT_NEAR(clip.x / clip.w, 0.f, 1e-5f);
    EXPECT_NEAR(clip.y / clip.w, 0.f, 1e-5f);
    // Inverses really are inverses.
    glm::mat4 id = b._mViewProjection * b._mInvViewProjection;
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(id[c][r], c == r ? 1.f : 0.f, 1e-4f);
}

TEST_F(SceneDisplayTest, DemoCameraUsesItsFieldOfViewAndPlacement)
{
    rvBufferDisplay b;
    b.Create("Cam", 160, 90, BUFFER_COLOR);
    // Default demo camera: 100 units back, looking down -Z; the origin lands in the middle.
    glm::vec4 clip = b._mViewProjection * glm::vec4(0.f, 0.f, 0.f, 1.f);
    EXPECT_NEAR(clip.x / clip.w, 0.f, 1e-6f);
    EXPECT_NEAR(clip.w, 100.f, 1e-3f);
    // A point at the top of a 60 degree vertical field of view lands on the top edge.
    float top = 100.f * std::tan(1.0472f / 2.f);
    clip = b._mViewProjection * glm::vec4(0.f, top, 0.f, 1.f);
    EXPECT_NEAR(clip.y / clip.w, 1.f, 1e-3f);
    // A model matrix is applied last; a quarter turn about Y before the move does not move the origin.
    b._vRotation = glm::vec3(0.f, 1.5707963f, 0.f);
    b.UpdateMatrices(glm::mat4(1.f));
    clip = b._mViewProjection * glm::vec4(10.f, 0.f, 0.f, 1.f);
    EXPECT_NEAR(clip.x / clip.w, 0.f, 1e-4f) << "x turned onto the view axis";
    EXPECT_EQ(&b._vCamRotation, &b._vRotation);
}

TEST_F(SceneDisplayTest, OccluderStencilSetUpWritesTwoWithoutColourOrDepth)
{
    rvBufferDisplay* inner = rvSceneDisplay::_DefaultBuffer._pVectorBuffer;
    glBindFramebuffer(GL_FRAMEBUFFER, inner->_glFrameBuffer);
    rvSceneDisplay::SetupOccluderStencil();
    GLint func = 0, ref = 0, pass = 0;
    GLboolean colour[4] = {1, 1, 1, 1}, depth = 1;
    glGetIntegerv(GL_STENCIL_FUNC, &func);
    glGetIntegerv(GL_STENCIL_REF, &ref);
    glGetIntegerv(GL_STENCIL_PASS_DEPTH_PASS, &pass);
    glGetBooleanv(GL_COLOR_WRITEMASK, colour);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depth);
    EXPECT_TRUE(glIsEnabled(GL_STENCIL_TEST));
    EXPECT_EQ(func, GL_ALWAYS);
    EXPECT_EQ(ref, 2);
    EXPECT_EQ(pass, GL_REPLACE);
    EXPECT_FALSE(colour[0] || colour[1] || colour[2] || colour[3]);
    EXPECT_FALSE(depth);
    unsigned char stencil = 0;
    glReadPixels(1, 1, 1, 1, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, &stencil);
    EXPECT_EQ(stencil, 1) << "cleared to 1";

    glDisable(GL_STENCIL_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
}

TEST_F(SceneDisplayTest, FreeCameraPanelEditsDefault)
{
    rvTest::ImGuiHeadless ui;
    ui.NewFrame();
    ImGui::Begin("Panel");
    rvSceneDisplay::DrawFreeCameraPanel();
    ImGuiID node = ImGui::GetID("Free Camera");
    ImGui::End();
    ui.EndFrame();
    EXPECT_NE(node, 0u);
    EXPECT_EQ(rvSceneDisplay::_DefaultBuffer._fDist, 20.0f) << "building the panel changes nothing";
}

namespace
{
} // namespace

TEST_F(SceneDisplayTest, LinesLandInTheBufferThatWasCurrentWhenAdded)
{
    rvBufferDisplay other;
    other.Create("Other", kW, kH, 15);
    rvSceneDisplay::BeginFrame(_window);
    ClearBuffer(other, 0.f, 0.f, 0.f);

    vector_display* d = rvSceneDisplay::BindedDisplay();
    rvTest::AddHorizontalLine(d);
    // Re-selecting the current buffer without force flushes nothing.
    EXPECT_EQ(rvSceneDisplay::SetCurrentBuffer(nullptr), nullptr);
    EXPECT_GT(d->npoints, 0);

    EXPECT_EQ(rvSceneDisplay::SetCurrentBuffer(&other), &rvSceneDisplay::_DefaultBuffer);
    EXPECT_EQ(d->npoints, 0) << "flushed on leaving";
    EXPECT_EQ(rvSceneDisplay::_pCurrentDisplay, other._pVectorDisplay);
    EXPECT_GT(BrightestInColumn(rvSceneDisplay::_DefaultBuffer, kW / 2), 20);
    EXPECT_EQ(BrightestInColumn(other, kW / 2), 0);

    // A line added now goes to "Other" when it is left, and only there.
    ClearBuffer(rvSceneDisplay::_DefaultBuffer, 0.f, 0.f, 0.f);
    rvTest::AddHorizontalLine(rvSceneDisplay::BindedDisplay());
    rvSceneDisplay::SetCurrentBuffer(nullptr);
    EXPECT_GT(BrightestInColumn(other, kW / 2), 20);
    EXPECT_EQ(BrightestInColumn(rvSceneDisplay::_DefaultBuffer, kW / 2), 0);

    // A forced switch to the current buffer flushes too.
    rvTest::AddHorizontalLine(rvSceneDisplay::BindedDisplay());
    rvSceneDisplay::SetCurrentBuffer(nullptr, true);
    EXPECT_EQ(rvSceneDisplay::_DefaultBuffer._pVectorDisplay->npoints, 0);
    EXPECT_GT(BrightestInColumn(rvSceneDisplay::_DefaultBuffer, kW / 2), 20);
}

TEST_F(SceneDisplayTest, Program3DDrawsThroughTheCurrentCameraWithDepthTest)
{
    rvBufferDisplay& d = rvSceneDisplay::_DefaultBuffer;
    d._vPosition = glm::vec3(1.f, 2.f, -50.f);
    d.UpdateMatrices(glm::mat4(1.f));
    rvProgram3D p;
    p._pFragmentSource = "SHADER_HEADER\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n";
    glDisable(GL_DEPTH_TEST);
    p.Use();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint func = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &func);
    EXPECT_EQ(func, GL_LESS);
    glm::mat4 uploaded(0.f);
    glGetUniformfv(p.programID, p._locationm4_MVP, &uploaded[0][0]);
    EXPECT_EQ(uploaded, d._mViewProjection);
    p.Unuse();
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(rvProgram::_currentProgramUsed, nullptr);
}

TEST_F(SceneDisplayTest, CopyOfTheCurrentBufferIncludesItsPendingLines)
{
    rvBufferDisplay source;
    source.Create("Post", kW, kH, 15);
    ClearBuffer(source, 0.f, 0.f, 0.f);
    rvSceneDisplay::SetCurrentBuffer(&source);
    rvTest::AddHorizontalLine(rvSceneDisplay::BindedDisplay());
    source.Copy();
    EXPECT_EQ(rvSceneDisplay::_pCurrentBuffer, &source);
    EXPECT_GT(BrightestInColumn(*source._pCopyBuffer, kW / 2), 20) << "flushed before the copy";
    EXPECT_EQ(source._pVectorDisplay->npoints, 0);
}

TEST_F(SceneDisplayTest, NoFieldOfViewKeepsLinesPendingWhateverTheCameraMode)
{
    rvBufferDisplay& d = rvSceneDisplay::_DefaultBuffer;
    rvBufferDisplay other;
    other.Create("Other", kW, kH, BUFFER_COLOR);
    for (bool freeCam : {false, true})
    {
        d._bFreeCam = freeCam;
        d._fFov = 0.f;
        rvSceneDisplay::SetCurrentBuffer(nullptr);
        rvTest::AddHorizontalLine(rvSceneDisplay::BindedDisplay());
        int pending = d._pVectorDisplay->npoints;
        rvSceneDisplay::SetCurrentBuffer(&other);
        EXPECT_EQ(d._pVectorDisplay->npoints, pending) << "free camera " << freeCam;
        d._fFov = 1.0472f;
        rvSceneDisplay::SetCurrentBuffer(nullptr);
        rvSceneDisplay::SetCurrentBuffer(&other);
        EXPECT_EQ(d._pVectorDisplay->npoints, 0) << "free camera " << freeCam;
    }
    d._bFreeCam = false;
}

TEST_F(SceneDisplayTest, FramesOfAMovingShapeLeaveADecayingTrail)
{
    const int w = 320, h = 180;
    rvSceneDisplay::ResizeDefaultBuffer(w, h);
    rvBufferDisplay& d = rvSceneDisplay::_DefaultBuffer;
    for (int frame = 0; frame < 10; ++frame)
    {
        rvSceneDisplay::BeginFrame(_window);
        vector_display* vd = rvSceneDisplay::BindedDisplay();
        vector_display_set_rgb(vd, 0.4f, 1.f, 0.6f);
        vd->settings.thickness = 1.5f;
        const float x = -60.f + 12.f * float(frame);
        vector_display_draw_circle(vd, x, 0.f, 0.f, 12.f, 24);
        rvSceneDisplay::PresentFrame(false);
    }
    // Save what the window was shown (Default, upright).
    std::vector<unsigned char> px(size_t(w) * h * 4), flipped(px.size());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, d._glFrameBuffer);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    for (int y = 0; y < h; ++y)
        std::copy_n(&px[size_t(y) * w * 4], w * 4, &flipped[size_t(h - 1 - y) * w * 4]);
    for (size_t i = 3; i < flipped.size(); i += 4)
        flipped[i] = 255;
    stbi_write_png(rvTest::BinaryPath("scene_display_trail.png").c_str(), w, h, 4, flipped.data(), w * 4);

    // The newest circle is brightest; older positions fade, the oldest drawn step is dimmest.
    auto rowMax = [&](float worldX)
    {
        glm::vec4 clip = d._mViewProjection * glm::vec4(worldX, -12.f, 0.f, 1.f);
        int px0 = int((clip.x / clip.w * 0.5f + 0.5f) * float(w));
        int best = 0;
        for (int y = 0; y < h; ++y)
            best = std::max(best, int(ReadPixel(d, px0, y).g));
        return best;
    };
    int newest = rowMax(-60.f + 12.f * 9.f), older = rowMax(-60.f + 12.f * 5.f), oldest = rowMax(-60.f);
    EXPECT_GT(newest, older);
    EXPECT_GT(older, oldest);
    EXPECT_GT(oldest, 0);
}
