// The model effects on a real context: the traced runner, its wire model, the stencil band, the
// OBJ line model, the point cloud and the depth lines, each checked by its pixels against where
// the model puts things. Leaves "Runner_*.png" and friends in the build directory.
#include "EffectGLTest.h"
#include "RenderHelpers.h"
#include "TestSupport.h"

#include "Factory/Factory.h"
#include "Factory/fxDescriptor.h"
#include "effects/fxAnimation/fxAnimation.h"
#include "effects/fxDepthLine/fxDepthLine.h"
#include "effects/fxExtruder/fxExtruder.h"
#include "effects/fxGLTFLoader/fxGLTFLoader.h"
#include "effects/fxObjLoader/fxObjLoader.h"
#include "effects/fxStencilTest/fxStencilTest.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

using rvTest::Brightest;
using rvTest::RenderTarget;
using rvTest::RGBA;

namespace
{
const int kW = 320, kH = 240;
const std::string kRunner = rvTest::SourcePath("Data/meshes/RunningMan.glb");

class ModelEffectsTest : public rvTest::EffectGLTest<kW, kH>
{
protected:
    void SetUp() override
    {
        rvTest::EffectGLTest<kW, kH>::SetUp();
        // "Default" outlives the tests: its camera and its display's look go back to the start-up
        // ones, whatever other tests' camera effects left.
        rvBufferDisplay& b = rvSceneDisplay::_DefaultBuffer;
        b._vPosition = glm::vec3(0.0f, 0.0f, -100.0f);
        b._vRotation = glm::vec3(0.0f);
        b._vScale = glm::vec3(1.0f);
        b._fFov = 1.0472f;
        b._fNear = 0.01f;
        b._fFar = 1000.0f;
        if (_window && b._pVectorDisplay) vector_display_settings_defaults(&b._pVectorDisplay->settings);
    }
    void Release() override
    {
        for (auto& e : _apEffects)
            e->SetState(State_DemoStoped);
        _apEffects.clear();
    }

    // An effect of a registered class, loaded (Init) but not started.
    template <class T> T* Add(const char* pszClass)
    {
        if (!Factory::_pInstance) new Factory();
        Factory::_pInstance->RegisterAll();
        fxDescriptor* d = Factory::_pInstance->FindDescriptor(pszClass);
        T* e = static_cast<T*>(d->_pfnCreate(d));
        _apEffects.emplace_back(e);
        return e;
    }

    // One frame: begin, every effect started and advanced by dt in list order, present.
    void Frame(float dt)
    {
        _Gui.NewFrame(dt > 0.0f ? dt : 1.0f / 60.0f);
        rvTest::PlayFrame(_window, _apEffects, dt);
        _Gui.EndFrame();
    }

    void Grab(RenderTarget& shot, const char* pszPng)
    {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, rvSceneDisplay::_DefaultBuffer._glFrameBuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, shot.Framebuffer());
        glBlitFramebuffer(0, 0, kW, kH, 0, 0, kW, kH, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        EXPECT_TRUE(shot.SavePNG(rvTest::BinaryPath(pszPng)));
    }

    // Where a point lands in a picture under a view-projection, in pixels from the bottom left.
    static glm::vec2 Project(const glm::mat4& vp, const glm::vec3& p)
    {
        const glm::vec4 c = vp * glm::vec4(p, 1.0f);
        return glm::vec2((c.x / c.w * 0.5f + 0.5f) * kW, (c.y / c.w * 0.5f + 0.5f) * kH);
    }

    std::vector<std::unique_ptr<fxBase>> _apEffects;
    rvTest::ImGuiHeadless _Gui{float(kW), float(kH)};
};

bool IsMagenta(uint32_t rgba)
{
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&rgba);
    return p[0] > 200 && p[1] < 60 && p[2] > 200;
}
bool IsMagenta(const RGBA& p)
{
    return p.r > 150 && p.g < 80 && p.b > 150;
}

// Bounding box of a traced contour: (min x, min y, max x, max y).
glm::ivec4 Bounds(const std::vector<glm::ivec2>& pts)
{
    glm::ivec4 b(1 << 30, 1 << 30, -1, -1);
    for (const glm::ivec2& p : pts)
        b = glm::ivec4(std::min(b.x, p.x), std::min(b.y, p.y), std::max(b.z, p.x), std::max(b.w, p.y));
    return b;
}

// The runner's stored shape seen from its left side, whole: what the model effects are drawn through.
void RunnerCamera()
{
    rvBufferDisplay& b = rvSceneDisplay::_DefaultBuffer;
    b._vPosition = glm::vec3(0.0f, -90.0f, -300.0f);
    b._vRotation = glm::vec3(0.0f, 1.5707964f, 0.0f);
    b.UpdateMatrices(glm::mat4(1.0f));
}
} // namespace

TEST_F(ModelEffectsTest, RunnerIsTracedAndItsOutlineMovesBetweenTwoTimes)
{
    fxAnimation* anim = Add<fxAnimation>("fxAnimation");
    std::snprintf(anim->_sMeshFile, sizeof(anim->_sMeshFile), "%s", kRunner.c_str());
    anim->SetState(State_DemoStarted);
    ASSERT_TRUE(anim->_Model._bLoaded);
    anim->_Camera._fYaw = 1.5707964f; // seen from the side, head up
    // A transparent clear colour or a stencil clear value of 1 left by other effects does not
    // spoil the trace.
    _Gui.NewFrame();
    rvSceneDisplay::BeginFrame(_window);
    glClearColor(0.2f, 0.0f, 0.0f, 0.0f);
    glClearStencil(1);
    anim->SetState(State_EffectStarted);
    anim->Update();
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 0.2f); // and the clear values are left as they were
    GLint stencil = 0;
    glGetIntegerv(GL_STENCIL_CLEAR_VALUE, &stencil);
    EXPECT_EQ(stencil, 1);
    glClearStencil(0);
    rvSceneDisplay::PresentFrame(false);
    _Gui.EndFrame();

    // Only the magenta ring is in the read-back; every traced point lies on it, the first one the
    // lowest-leftmost ring pixel.
    ASSERT_EQ(fxAnimation::_aReadbackPixels.size(), size_t(kW * kH));
    const std::vector<uint32_t>& px = fxAnimation::_aReadbackPixels;
    const std::vector<glm::ivec2> idle = fxAnimation::_aContourPoints;
    ASSERT_GT(idle.size(), 200u);
    for (const glm::ivec2& p : idle)
        ASSERT_TRUE(IsMagenta(px[size_t(p.y * kW + p.x)])) << p.x << "," << p.y;
    size_t firstRing = 0;
    while (firstRing < px.size() && px[firstRing] == 0xFF000000u)
        ++firstRing;
    EXPECT_EQ(idle[0], glm::ivec2(int(firstRing % kW), int(firstRing / kW)));
    // The feet stand on the centre row (the camera looks at y = 1) and the figure is 180 units
    // tall at 360 units with 60 degrees of view: about 0.43 of the picture's height.
    const glm::ivec4 b0 = Bounds(idle);
    EXPECT_NEAR(b0.y, kH / 2, 4);
    EXPECT_NEAR(b0.w - b0.y, 0.43f * kH, 8.0f);

    // A stride of the walk, two seconds in: the legs apart make the outline much wider.
    for (int i = 0; i < 60; ++i)
        Frame(2.06f / 60.0f);
    EXPECT_EQ(anim->_nAnimation, 3);
    const glm::ivec4 b1 = Bounds(fxAnimation::_aContourPoints);
    EXPECT_GT(b1.z - b1.x, b0.z - b0.x + 15);

    // The traced points are drawn in green on the display, at (pixel - size / 2) * "Scale".
    for (int i = 0; i < 8; ++i)
        Frame(0.0f);
    RenderTarget shot(kW, kH);
    Grab(shot, "Runner_traced.png");
    const std::vector<glm::ivec2>& pts = fxAnimation::_aContourPoints;
    const float s = fxAnimation::ScaleForHeight(kH);
    EXPECT_EQ(anim->_fScale, s);
    int lit = 0, probed = 0;
    for (size_t i = 1; i < pts.size(); i += 25)
    {
        const glm::vec3 p((pts[i].x - kW * 0.5f) * s, (pts[i].y - kH * 0.5f) * s, 0.0f);
        const RGBA c = Brightest(shot, Project(rvSceneDisplay::_DefaultBuffer._mViewProjection, p), 2);
        ++probed;
        lit += c.g > 50 && c.g >= c.r && c.g >= c.b; // green, or white where lines pile up
    }
    EXPECT_GE(lit, probed * 9 / 10) << lit << " of " << probed;
    // Far from the figure and off the ground line the picture stays dark.
    EXPECT_LT(shot.Pixel(10, kH - 10).g, 30);
}

TEST_F(ModelEffectsTest, RunnerTraceFollowsTheBufferSizeAndRefusesHugeBuffers)
{
    fxAnimation* anim = Add<fxAnimation>("fxAnimation");
    std::snprintf(anim->_sMeshFile, sizeof(anim->_sMeshFile), "%s", kRunner.c_str());
    anim->SetState(State_DemoStarted);
    anim->_Camera._fYaw = 1.5707964f;
    Frame(0.0f);
    EXPECT_EQ(fxAnimation::_nFramebufferWidth, kW);

    // "Default" shrinks without a new start: the next trace is made and read at the new size.
    rvSceneDisplay::ResizeDefaultBuffer(200, 150);
    Frame(1.0f / 60.0f);
    EXPECT_EQ(fxAnimation::_nFramebufferWidth, 200);
    EXPECT_EQ(fxAnimation::_nFramebufferHeight, 150);
    ASSERT_EQ(fxAnimation::_aReadbackPixels.size(), size_t(200 * 150));
    const glm::ivec4 b = Bounds(fxAnimation::_aContourPoints);
    EXPECT_GT(b.x, 0);
    EXPECT_LT(b.z, 199);
    EXPECT_NEAR(b.y, 75, 3);
    for (const glm::ivec2& p : fxAnimation::_aContourPoints)
        ASSERT_TRUE(IsMagenta(fxAnimation::_aReadbackPixels[size_t(p.y * 200 + p.x)]));

    // A buffer claiming more than 4096 x 4096 pixels is neither traced nor drawn into: the
    // tracing passes would clear it and leave their magenta ring there.
    rvBufferDisplay* pBuffer = rvSceneDisplay::_pCurrentBuffer;
    rvSceneDisplay::SetCurrentBuffer(nullptr, true);
    pBuffer = rvSceneDisplay::_pCurrentBuffer;
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    const std::vector<RGBA> before = rvTest::ReadDefault();
    const int w = pBuffer->_nWidth, h = pBuffer->_nHeight;
    pBuffer->_nWidth = 5000;
    pBuffer->_nHeight = 4000;
    _Gui.NewFrame();
    anim->Render();
    _Gui.EndFrame();
    pBuffer->_nWidth = w;
    pBuffer->_nHeight = h;
    EXPECT_EQ(fxAnimation::_aReadbackPixels.size(), size_t(200 * 150));
    const std::vector<RGBA> after = rvTest::ReadDefault();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i)
        ASSERT_TRUE(after[i].r == before[i].r && after[i].g == before[i].g && after[i].b == before[i].b) << i;
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    rvSceneDisplay::ResizeDefaultBuffer(kW, kH);
}

TEST_F(ModelEffectsTest, WireModelIsDrawnInItsStoredShape)
{
    fxGLTFLoader* wire = Add<fxGLTFLoader>("fxGLTFLoader");
    EXPECT_EQ(wire->_sFile, "./Data/meshes/RunningMan.glb");
    wire->_sFile = kRunner;
    wire->SetState(State_DemoStarted);
    ASSERT_TRUE(wire->_Model._bLoaded);
    // The effect draws straight into the buffer: one frame, read before anything else draws.
    rvSceneDisplay::BeginFrame(_window);
    RunnerCamera();
    wire->SetState(State_EffectStarted);
    wire->Update();
    RenderTarget shot(kW, kH);
    Grab(shot, "Runner_wire.png");

    // Along the figure's axis, lit pixels run from the soles (y = 0) to the top of the head
    // (y = 181.5) of the bind pose, whatever the animations would do.
    const glm::mat4& vp = rvSceneDisplay::_DefaultBuffer._mViewProjection;
    const glm::vec2 sole = Project(vp, glm::vec3(0, 0, 0)), top = Project(vp, glm::vec3(0, 181.5f, 1.5f));
    int lowest = kH, highest = -1;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
        {
            const RGBA p = shot.Pixel(x, y);
            if (p.r > 60 && p.g > 60 && p.b > 60)
            {
                lowest = std::min(lowest, y);
                highest = std::max(highest, y);
            }
        }
    EXPECT_NEAR(lowest, sole.y, 3.0f);
    EXPECT_NEAR(highest, top.y, 3.0f);
    // Edges in white over a black fill; nothing beside the figure.
    const glm::vec2 chest = Project(vp, glm::vec3(0, 135, 0));
    EXPECT_GT(Brightest(shot, chest, 4).r, 200);
    EXPECT_EQ(shot.Pixel(int(chest.x) + 60, int(chest.y)).r, 0);
}

TEST_F(ModelEffectsTest, StencilBandShowsOnlyOutsideTheUnscaledFigure)
{
    fxStencilTest* st = Add<fxStencilTest>("fxStencilTest");
    st->SetState(State_DemoStarted); // reads "./Data/meshes/RunningMan.glb" from the build directory
    st->_Model._nPositionLocation = 0;
    ASSERT_TRUE(st->_Model.Load(kRunner.c_str()));
    EXPECT_EQ(st->_fScale, 1.0f);
    EXPECT_EQ(st->_vColor, glm::vec3(1.0f, 0.0f, 1.0f));
    st->SetState(State_EffectStarted);

    struct
    {
        bool occlusion;
        float scale;
        bool chestMagenta;
        bool anyMagenta;
    } cases[] = {{false, 1.0f, true, true}, {true, 1.0f, false, false}, {true, 1.2f, false, true}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.occlusion) + " " + std::to_string(c.scale));
        _Gui.NewFrame();
        rvSceneDisplay::BeginFrame(_window);
        RunnerCamera();
        const glm::mat4 vp = rvSceneDisplay::_DefaultBuffer._mViewProjection;
        st->_bOcclusion = c.occlusion;
        st->_fScale = c.scale;
        st->Render();
        _Gui.EndFrame();
        // Later effects see the buffer's own matrices again.
        EXPECT_EQ(rvSceneDisplay::_DefaultBuffer._mViewProjection, vp);
        RenderTarget shot(kW, kH);
        Grab(shot, c.scale > 1.0f ? "Runner_stencil.png" : "Runner_solid.png");
        int magenta = 0;
        for (const RGBA& p : shot.Read())
            magenta += IsMagenta(p);
        EXPECT_EQ(magenta > 0, c.anyMagenta) << magenta;
        EXPECT_EQ(IsMagenta(shot.Pixel(int(Project(vp, {0, 130, 0}).x), int(Project(vp, {0, 130, 0}).y))),
                  c.chestMagenta);
        if (c.scale > 1.0f)
        {
            // The scaled head rises above the unscaled one: that band shows.
            const glm::vec2 head = Project(vp, glm::vec3(0, 176.0f * 1.2f, 0));
            EXPECT_TRUE(IsMagenta(Brightest(shot, head, 2)));
        }
    }
    EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST));
}

TEST_F(ModelEffectsTest, ObjRunsBecomeOutlinedFans)
{
    fxObjLoader* obj = Add<fxObjLoader>("fxObjLoader");
    obj->SetState(State_DemoStarted); // nothing to read in the build directory: no meshes
    EXPECT_TRUE(obj->_Loader._aMeshes.empty());
    // Two squares of side 20: the left one drawn, the right one's run reaches past its list.
    auto square = [](float cx)
    {
        std::vector<OBJ_Vertex> v(4);
        const glm::vec2 c[4] = {{-10, -10}, {10, -10}, {10, 10}, {-10, 10}};
        for (int i = 0; i < 4; ++i)
            v[size_t(i)]._vPosition = glm::vec3(cx + c[i].x, c[i].y, 0.0f);
        return v;
    };
    obj->_Loader._aMeshes.emplace_back(square(-20.0f), std::vector<uint32_t>{4, 0, 1, 2, 3},
                                       glm::vec3(0.2f, 1.0f, 0.4f), 1.0f);
    obj->_Loader._aMeshes.emplace_back(square(20.0f), std::vector<uint32_t>{5, 0, 1, 2, 3}, glm::vec3(1.0f),
                                       1.0f);
    obj->_nEnd = 6000;
    obj->_fFadeIn = 0.0f;
    for (int i = 0; i < 10; ++i)
        Frame(1.0f / 60.0f);
    RenderTarget shot(kW, kH);
    Grab(shot, "ObjSquares.png");
    const glm::mat4& vp = rvSceneDisplay::_DefaultBuffer._mViewProjection;
    for (glm::vec3 edge :
         {glm::vec3(-20, -10, 0), glm::vec3(-20, 10, 0), glm::vec3(-30, 0, 0), glm::vec3(-10, 0, 0)})
    {
        const RGBA c = Brightest(shot, Project(vp, edge), 2);
        EXPECT_GT(c.g, 60) << edge.x << "," << edge.y;
        EXPECT_GT(c.g, c.r);
    }
    EXPECT_LT(Brightest(shot, Project(vp, {-20, 0, 0}), 2).g, 60); // the fill and its diagonal stay dark
    EXPECT_LT(Brightest(shot, Project(vp, {20, 10, 0}), 3).r, 30); // the broken run is not drawn
}

TEST_F(ModelEffectsTest, PointCloudDotsArePlacedAndColouredByTheirWindow)
{
    fxExtruder* ex = Add<fxExtruder>("fxExtruder");
    ex->SetState(State_DemoStarted); // no file in the build directory: no frames
    EXPECT_TRUE(ex->_aFrames.empty());
    // A clip of eight frames of two points at (-20, 0, 0) and (20, 0, 0).
    const int16_t u = int16_t(20.0f / 0.003051851f);
    std::vector<uint8_t> data;
    auto put32 = [&](int32_t v)
    { data.insert(data.end(), reinterpret_cast<uint8_t*>(&v), reinterpret_cast<uint8_t*>(&v) + 4); };
    auto put16 = [&](int16_t v)
    { data.insert(data.end(), reinterpret_cast<uint8_t*>(&v), reinterpret_cast<uint8_t*>(&v) + 2); };
    put32(8);
    for (int f = 0; f < 8; ++f)
    {
        put32(2);
        for (int16_t x : {int16_t(-u), u})
        {
            put16(x);
            put16(0);
            put16(0);
        }
    }
    ex->_aData = data;
    ASSERT_TRUE(fxExtruder::ParseFrames(ex->_aData, true, ex->_aFrames, nullptr));
    ex->_nEnd = 6000;
    ex->_fFadeIn = 0.0f;
    ex->_vColor = glm::vec3(0.2f, 1.0f, 1.0f);
    ex->_fThickness = 2.0f;
    ex->_vRotations = glm::vec3(0.0f, 0.0f, 90.0f); // x turns into y
    ex->_vPosition = glm::vec3(5.0f, 0.0f, 0.0f);
    for (int i = 0; i < 6; ++i)
        Frame(1.0f / 60.0f);
    RenderTarget shot(kW, kH);
    Grab(shot, "PointCloudDots.png");
    const glm::mat4& vp = rvSceneDisplay::_DefaultBuffer._mViewProjection;
    for (glm::vec3 p : {glm::vec3(5, 20, 0), glm::vec3(5, -20, 0)})
    {
        const RGBA c = Brightest(shot, Project(vp, p), 2);
        EXPECT_GT(c.b, 150);
        EXPECT_GT(c.g, c.r);
    }
    EXPECT_LT(Brightest(shot, Project(vp, {-20, 0, 0}), 2).b, 40);

    // Outside the frame window the dots are red: a window of frames 3 to 5 while frame 0 shows.
    ex->_vTimeRange = glm::vec2(0.1f, 0.2f);
    ex->_bLoop = true;
    ex->_fTimeStart = 0.0f;
    ex->_fSpeed = 0.0f; // frame 0 stays
    for (int i = 0; i < 4; ++i)
        Frame(1.0f / 60.0f);
    Grab(shot, "PointCloudRed.png");
    const RGBA red = Brightest(shot, Project(vp, {5, 20, 0}), 2);
    EXPECT_GT(red.r, 150); // the cyan dots never reach this much red
}

TEST_F(ModelEffectsTest, DepthImageIsGreyWithDarkRows)
{
    fxDepthLine* depth = Add<fxDepthLine>("fxDepthLine");
    depth->SetState(State_DemoStarted); // no archive here: no texture, a message
    EXPECT_EQ(depth->_glDepthTexture, 0u);
    EXPECT_EQ(depth->_DepthProgram._fZNear, 32767.0f);
    EXPECT_EQ(depth->_DepthProgram._fZFar, 0.0f);

    // A kW x kH image whose samples grow to the right: 1000 + 50 x.
    std::vector<uint8_t> bytes(12 + size_t(kW * kH) * 2);
    const int32_t header[3] = {kW, kH, 2};
    std::memcpy(bytes.data(), header, 12);
    for (int r = 0; r < kH; ++r)
        for (int x = 0; x < kW; ++x)
        {
            const uint16_t s = uint16_t(1000 + 50 * x);
            std::memcpy(&bytes[12 + size_t(r * kW + x) * 2], &s, 2);
        }
    uint16_t mn = 0, mx = 0;
    depth->_glDepthTexture = fxDepthLine::MakeDepthTexture(bytes, mn, mx);
    ASSERT_NE(depth->_glDepthTexture, 0u);
    EXPECT_EQ(mn, 1000);
    EXPECT_EQ(mx, 1000 + 50 * (kW - 1));
    depth->_DepthProgram._fZNear = mn;
    depth->_DepthProgram._fZFar = mx;

    _Gui.NewFrame();
    rvSceneDisplay::BeginFrame(_window);
    depth->SetState(State_EffectStarted);
    depth->Update();
    _Gui.EndFrame();
    RenderTarget shot(kW, kH);
    Grab(shot, "DepthLines.png");
    // The window's near end is black and its far end white, on the light rows.
    for (int x : {0, 100, 250, kW - 1})
        for (int y : {0, 1, 2, 117, 118, kH - 1})
        {
            const float sample = float(1000 + 50 * x);
            float grey = (sample - mn) / float(mx - mn);
            const int rowFromTop = kH - 1 - y;
            if (rowFromTop % 2 == 0) grey -= 0.5f;
            const float want = std::min(std::max(grey, 0.0f), 1.0f) * 255.0f;
            const RGBA p = shot.Pixel(x, y);
            EXPECT_NEAR(p.r, want, 2.0f) << x << "," << y;
            EXPECT_EQ(p.r, p.b);
        }
    EXPECT_GE(shot.Pixel(kW - 1, kH - 2).r, 253);

    // A window of no width: black below its edge, white from it on (not a picture of NaN).
    depth->_DepthProgram._fZNear = depth->_DepthProgram._fZFar = float(1000 + 50 * 100) - 0.5f;
    _Gui.NewFrame();
    rvSceneDisplay::BeginFrame(_window);
    depth->Update();
    _Gui.EndFrame();
    Grab(shot, "DepthLinesStep.png");
    EXPECT_LE(shot.Pixel(99, kH - 2).r, 2);
    EXPECT_GE(shot.Pixel(100, kH - 2).r, 253);
    glDeleteTextures(1, &depth->_glDepthTexture);
}

namespace
{
std::string Base64(const std::vector<uint8_t>& in)
{
    static const char* const k = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < in.size(); i += 3)
    {
        const uint32_t n = (uint32_t(in[i]) << 16) | (i + 1 < in.size() ? uint32_t(in[i + 1]) << 8 : 0u) |
                           (i + 2 < in.size() ? uint32_t(in[i + 2]) : 0u);
        out += k[(n >> 18) & 63];
        out += k[(n >> 12) & 63];
        out += i + 1 < in.size() ? k[(n >> 6) & 63] : '=';
        out += i + 2 < in.size() ? k[n & 63] : '=';
    }
    return out;
}

// A glTF of one big skinned triangle (facing the camera of the runner tests) whose vertices all
// follow joint `joint` of a chain of `joints` nodes.
std::string SkinnedTriangle(int joints, int joint)
{
    std::vector<uint8_t> bin;
    auto put = [&bin](const void* p, size_t n)
    { bin.insert(bin.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n); };
    const float pos[9] = {0, 0, -60, 0, 120, 0, 0, 0, 60};
    put(pos, sizeof(pos));
    const uint16_t jnt[12] = {uint16_t(joint), 0, 0, 0, uint16_t(joint), 0, 0, 0, uint16_t(joint), 0, 0, 0};
    put(jnt, sizeof(jnt));
    const float wgt[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    put(wgt, sizeof(wgt));
    const uint16_t idx[4] = {0, 1, 2, 0};
    put(idx, sizeof(idx));
    std::string nodes, list;
    for (int i = 0; i < joints; ++i)
    {
        nodes += "{\"name\": \"J" + std::to_string(i) + "\"" +
                 (i + 1 < joints ? ", \"children\": [" + std::to_string(i + 1) + "]" : "") + "},";
        list += (i ? "," : "") + std::to_string(i);
    }
    return "{\"asset\": {\"version\": \"2.0\"}, \"scene\": 0, \"scenes\": [{\"nodes\": [0, " +
           std::to_string(joints) + "]}], \"nodes\": [" + nodes +
           "{\"mesh\": 0, \"skin\": 0}], \"skins\": [{\"joints\": [" + list +
           "]}], \"meshes\": [{\"primitives\": [{\"attributes\": {\"POSITION\": 0, \"JOINTS_0\": 1, "
           "\"WEIGHTS_0\": 2}, "
           "\"indices\": 3}]}], \"buffers\": [{\"byteLength\": " +
           std::to_string(bin.size()) + ", \"uri\": \"data:application/octet-stream;base64," + Base64(bin) +
           "\"}], \"bufferViews\": [{\"buffer\": 0, \"byteOffset\": 0, \"byteLength\": 36}, "
           "{\"buffer\": 0, \"byteOffset\": 36, \"byteLength\": 24}, {\"buffer\": 0, \"byteOffset\": 60, "
           "\"byteLength\": 48}, "
           "{\"buffer\": 0, \"byteOffset\": 108, \"byteLength\": 6}], \"accessors\": ["
           "{\"bufferView\": 0, \"componentType\": 5126, \"count\": 3, \"type\": \"VEC3\", \"min\": [0, 0, "
           "-60], \"max\": [0, 120, 60]}, "
           "{\"bufferView\": 1, \"componentType\": 5123, \"count\": 3, \"type\": \"VEC4\"}, "
           "{\"bufferView\": 2, \"componentType\": 5126, \"count\": 3, \"type\": \"VEC4\"}, "
           "{\"bufferView\": 3, \"componentType\": 5123, \"count\": 3, \"type\": \"SCALAR\"}]}";
}
} // namespace

TEST_F(ModelEffectsTest, SkinsBeyondTheJointBlockAreLeftOut)
{
    // The same triangle skinned to joint 3 of 4 is traced; skinned to joint 69 of 70 (more than
    // the 65 poses of the block) it is not drawn at all, and nothing reads past the block.
    rvTest::TempWorkDir dir;
    struct
    {
        int joints, joint;
        bool drawn;
    } cases[] = {{4, 3, true}, {70, 69, false}};
    for (const auto& c : cases)
    {
        const std::string name = "skin" + std::to_string(c.joints) + ".gltf";
        dir.WriteFile(name, SkinnedTriangle(c.joints, c.joint));
        fxAnimation* anim = Add<fxAnimation>("fxAnimation");
        std::snprintf(anim->_sMeshFile, sizeof(anim->_sMeshFile), "%s", name.c_str());
        anim->SetState(State_DemoStarted);
        ASSERT_TRUE(anim->_Model._bLoaded) << name;
        EXPECT_EQ(anim->_Model._apMeshes[0]->_nJoints, c.joints);
        anim->_Camera._fYaw = 1.5707964f;
        Frame(1.0f / 60.0f);
        EXPECT_EQ(fxAnimation::_aContourPoints.size() > 100, c.drawn) << name;
        anim->SetState(State_DemoStoped);
    }
}
