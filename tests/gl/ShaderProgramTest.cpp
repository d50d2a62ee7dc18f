// The program classes on a real context: builds, state save/restore, quads, textures, clocks.
#include "GLTestContext.h"

#include <GLFW/glfw3.h>

#include <cmath>
#include <functional>
#include <memory>
#include <cstdio>
#include <string>
#include <vector>

#include <stb_image_write.h>

#include "ArchiveFixture.h"
#include "DataPackGuard.h"
#include "Factory/fxBase.h"
#include "Sequencer/rvSequence.h"
#include "rvShaderProgram.h"

using rvTest::GLTest;
using rvTest::RenderTarget;
using rvTest::RGBA;

namespace
{
// A fragment source that shows a constant colour given by the integer constant RED.
const char* const kConstantFragment = "SHADER_HEADER\n"
                                      "out vec4 fragColor;\n"
                                      "void main() { fragColor = vec4(float(RED), 0.0, 0.0, 1.0); }\n";

// Quad corners as DrawQuad wrote them: clip x/y of the upper-left and lower-right vertices and
// the texture coordinates there.
struct QuadCorners
{
    float x0, y0, x1, y1; // clip space: x0 left, y0 upper edge
    float uL, vT, uR, vB; // u at the left and right, v at the upper and lower edges
};

QuadCorners LastQuad()
{
    const float* v = rvProgram2D::_quadVertices; // (x0,y0) (x0,y1) (x1,y1) (x0,y0) (x1,y1) (x1,y0)
    return {v[0], v[1], v[8], v[9], v[2], v[3], v[10], v[11]};
}

std::string CaptureStderr(const std::function<void()>& body)
{
    testing::internal::CaptureStderr();
    body();
    return testing::internal::GetCapturedStderr();
}

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

std::vector<unsigned char> EncodePNG(int w, int h, const std::vector<RGBA>& topDownPixels)
{
    std::vector<unsigned char> png;
    stbi_write_png_to_func(
        [](void* ctx, void* data, int size)
        {
            auto* out = static_cast<std::vector<unsigned char>*>(ctx);
            out->insert(out->end(), (unsigned char*)data, (unsigned char*)data + size);
        },
        &png, w, h, 4, topDownPixels.data(), w * 4);
    return png;
}

// A grey picture of w x h pixels, all black: small as a file whatever its size.
std::vector<unsigned char> GreyPNG(int w, int h)
{
    std::vector<unsigned char> pixels(size_t(w) * size_t(h), 0), png;
    stbi_write_png_to_func(
        [](void* ctx, void* data, int size)
        {
            auto* out = static_cast<std::vector<unsigned char>*>(ctx);
            out->insert(out->end(), (unsigned char*)data, (unsigned char*)data + size);
        },
        &png, w, h, 1, pixels.data(), w);
    return png;
}

GLuint MakeTexture(int w, int h, const RGBA& color)
{
    std::vector<RGBA> px(size_t(w) * h, color);
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    return tex;
}
} // namespace

TEST_F(GLTest, DefaultProgramsOfEveryClassBuild)
{
    rvFillColorProgram2D fill;
    rvTexColorProgram2D tex;
    rvTexAlphaProgram2D alpha;
    rvTexDepthProgram2D depth;
    rvProgram3D flat;
    flat._pFragmentSource = "SHADER_HEADER\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n";
    std::string log = CaptureStderr(
        [&]
        {
            EXPECT_TRUE(fill.Build());
            EXPECT_TRUE(tex.Build());
            EXPECT_TRUE(alpha.Build());
            EXPECT_TRUE(depth.Build());
            EXPECT_TRUE(flat.Build());
        });
    EXPECT_EQ(log, "") << "no compile or link message expected";
    EXPECT_GE(fill._location4f_FillColor, 0);
    EXPECT_GE(fill._location4f_vMulColor, 0);
    EXPECT_GE(tex._location4f_vAddColor, 0);
    EXPECT_GE(flat._locationm4_MVP, 0);
    EXPECT_FALSE(fill._bRebuild);
}

TEST_F(GLTest, FailedBuildsAreReportedOnceAndLeaveTheProgramUnbuilt)
{
    struct Case
    {
        const char* vertex;
        const char* fragment;
        const char* message;
    } cases[] = {
        {nullptr, " SHADER_HEADER\nvoid main(){}\n",
         "FRAGMENT shader bad header (must start with SHADER_HEADER)"},
        {nullptr, "SHADER_HEADER\nvoid main() { undefined_call(); }\n",
         "FRAGMENT shader compilation failed\n"},
        {"SHADER_HEADER\nvoid main() { gl_Position = vec4(0) }\n", "SHADER_HEADER\nvoid main(){}\n",
         "VERTEX shader compilation failed\n"},
        // Compiles, but the declared function is defined nowhere: only the link can tell.
        {nullptr, "SHADER_HEADER\nout vec4 c;\nvec4 missing();\nvoid main() { c = missing(); }\n",
         "PROGRAM link failed\n"},
    };
    RenderTarget rt(8, 8);
    rt.Bind();
    for (const Case& c : cases)
    {
        rvProgram2D p;
        p._pVertexSource = c.vertex;
        p._pFragmentSource = c.fragment;
        std::string log = CaptureStderr(
            [&]
            {
                for (int frame = 0; frame < 3; ++frame)
                {
                    p.Use();
                    p.Unuse();
                }
            });
        EXPECT_EQ(Count(log, c.message), 1) << log;
        EXPECT_EQ(p.programID, 0u);
        EXPECT_EQ(p._location1f_iTime, -1);
        EXPECT_EQ(rvProgram::_currentProgramUsed, nullptr);
    }

    rvProgram2D noFragment;
    std::string log = CaptureStderr([&] { EXPECT_FALSE(noFragment.Build()); });
    EXPECT_EQ(Count(log, "FRAGMENT shader is null!"), 1) << log;
}

TEST_F(GLTest, SourceConstantChangeRebuildsOnNextUse)
{
    RenderTarget rt(8, 8);
    rt.Bind();
    rvProgram2D p;
    p._pFragmentSource = kConstantFragment;
    int red = -1;
    for (int value : {1, 0, 1})
    {
        p.SetConstant("RED", &red, value);
        p.Use();
        p.Draw(0);
        p.Unuse();
        EXPECT_EQ(rt.Pixel(4, 4).r, value ? 255 : 0) << "RED = " << value;
    }
    // An unchanged constant does not rebuild: the program name stays.
    GLuint id = p.programID;
    p.SetConstant("RED", &red, 1);
    p.Use();
    p.Unuse();
    EXPECT_EQ(p.programID, id);
}

TEST_F(GLTest, UseSavesAndUnuseRestoresDepthBlendAndCulling)
{
    RenderTarget rt(8, 8);
    rt.Bind();
    rvFillColorProgram2D p;
    const GLenum caps[3] = {GL_DEPTH_TEST, GL_BLEND, GL_CULL_FACE};
    for (int mask = 0; mask < 8; ++mask)
    {
        for (int i = 0; i < 3; ++i)
            (mask & (1 << i)) ? glEnable(caps[i]) : glDisable(caps[i]);
        p.Use();
        for (int i = 0; i < 3; ++i)
            EXPECT_FALSE(glIsEnabled(caps[i])) << "mask " << mask << " cap " << i;
        p.Unuse();
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(bool(glIsEnabled(caps[i])), bool(mask & (1 << i))) << "mask " << mask << " cap " << i;
    }
    // A capability that was off and that the caller turned on while in use stays on.
    glDisable(GL_BLEND);
    p.Use();
    glEnable(GL_BLEND);
    p.Unuse();
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
}

TEST_F(GLTest, NestedUseEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto useTwo = []
    {
        RenderTarget rt(8, 8);
        rt.Bind();
        rvFillColorProgram2D a;
        rvFillColorProgram2D b;
        a.Use();
        b.Use();
    };
    EXPECT_DEATH(useTwo(), "_currentProgramUsed==nullptr");
}

TEST_F(GLTest, FillColorsAndColourModifiersReachThePixels)
{
    RenderTarget rt(8, 8);
    rt.Bind();
    rvFillColorProgram2D p;
    p.Use(); // default opaque red
    p.Draw(0);
    p.Unuse();
    RGBA c = rt.Pixel(3, 3);
    EXPECT_EQ(c.r, 255);
    EXPECT_EQ(c.g, 0);

    p.UseWithColor(0.f, 0.5f, 0.f, 1.f);
    p.SetAddColor(0.f, 0.f, 0.5f); // (fill + add) * mul
    p.SetMulColor(1.f, 2.f, 1.f);
    p.Draw(0);
    p.Unuse();
    c = rt.Pixel(3, 3);
    EXPECT_EQ(c.r, 0);
    EXPECT_EQ(c.g, 255);
    EXPECT_NEAR(c.b, 128, 1);

    // The next Use resets both modifiers.
    p.Use();
    EXPECT_EQ(p._vMulColor, glm::vec4(1.f));
    EXPECT_EQ(p._vAddColor, glm::vec4(0.f));
    p.Draw(0);
    p.Unuse();
    c = rt.Pixel(3, 3);
    EXPECT_NEAR(c.g, 128, 1);
    EXPECT_EQ(c.b, 0);
}

TEST_F(GLTest, QuadPlacementAndTextureCoordinates)
{
    RenderTarget rt(16, 9);
    rt.Bind();
    rvFillColorProgram2D p;
    p.Use();
    struct Case
    {
        int flags;
        float x, y, w, h;
        QuadCorners expect;
    } cases[] = {
        {QUAD_LEFT | QUAD_TOP, 0.f, 0.f, 1.f, 1.f, {-1, 1, 1, -1, 0, 1, 1, 0}},
        {0, 0.5f, 0.5f, 1.f, 1.f, {-1, 1, 1, -1, 0, 1, 1, 0}},
        {QUAD_RIGHT | QUAD_BOTTOM, 1.f, 1.f, 0.5f, 0.5f, {0, 0, 1, -1, 0, 1, 1, 0}},
        {QUAD_LEFT | QUAD_BOTTOM, 0.f, 0.5f, 0.5f, 0.5f, {-1, 1, 0, 0, 0, 1, 1, 0}},
        // Extending a quad that already covers the target changes nothing.
        {QUAD_EXTEND, 0.5f, 0.5f, 1.f, 1.f, {-1, 1, 1, -1, 0, 1, 1, 0}},
        // A centred half-size quad extends over the target with u, v from -0.5 to 1.5.
        {QUAD_EXTEND, 0.5f, 0.5f, 0.5f, 0.5f, {-1, 1, 1, -1, -0.5f, 1.5f, 1.5f, -0.5f}},
    };
    for (const Case& c : cases)
    {
        p.DrawQuad(c.flags, c.x, c.y, c.w, c.h);
        QuadCorners q = LastQuad();
        const float got[8] = {q.x0, q.y0, q.x1, q.y1, q.uL, q.vT, q.uR, q.vB};
        const float want[8] = {c.expect.x0, c.expect.y0, c.expect.x1, c.expect.y1,
                               c.expect.uL, c.expect.vT, c.expect.uR, c.expect.vB};
        for (int i = 0; i < 8; ++i)
            EXPECT_NEAR(got[i], want[i], 1e-5f) << "flags " << c.flags << " component " << i;
    }

    // Draw covers the target whatever the flags; DrawRectPixels with -1 sizes too.
    for (int flags : {0, int(QUAD_RIGHT | QUAD_BOTTOM), int(QUAD_EXTEND)})
    {
        p.Draw(flags);
        QuadCorners q = LastQuad();
        EXPECT_FLOAT_EQ(q.x0, -1.f);
        EXPECT_FLOAT_EQ(q.x1, 1.f);
        EXPECT_FLOAT_EQ(q.y0, 1.f);
        EXPECT_FLOAT_EQ(q.y1, -1.f);
    }
    p.DrawRectPixels(QUAD_LEFT | QUAD_TOP, 0, 0, -1, -1);
    QuadCorners q = LastQuad();
    EXPECT_FLOAT_EQ(q.x0, -1.f);
    EXPECT_FLOAT_EQ(q.y1, -1.f);
    // 8 x 3 pixels from (4, 3): x 0.25..0.75, y from the top 1/3..2/3.
    p.DrawRectPixels(QUAD_LEFT | QUAD_TOP, 4, 3, 8, 3);
    q = LastQuad();
    EXPECT_NEAR(q.x0, -0.5f, 1e-5f);
    EXPECT_NEAR(q.x1, 0.5f, 1e-5f);
    EXPECT_NEAR(q.y0, 1.f / 3.f, 1e-5f);
    EXPECT_NEAR(q.y1, -1.f / 3.f, 1e-5f);

    // Texture transform: scale about the centre, then offset, then rotation about the moved centre.
    p._vUVScale = glm::vec2(2.f, 2.f);
    p._vUVOffset = glm::vec2(0.25f, 0.f);
    p.DrawQuad(0, 0.5f, 0.5f, 1.f, 1.f);
    q = LastQuad();
    EXPECT_NEAR(q.uL, -0.25f, 1e-5f);
    EXPECT_NEAR(q.uR, 1.75f, 1e-5f);
    EXPECT_NEAR(q.vT, 1.5f, 1e-5f);
    p._vUVScale = glm::vec2(1.f);
    p._vUVOffset = glm::vec2(0.f);
    p._fUVRotation = 3.14159265f / 2.f; // a quarter turn: the upper-left corner (0, 1) goes to (0, 0)
    p.DrawQuad(0, 0.5f, 0.5f, 1.f, 1.f);
    q = LastQuad();
    EXPECT_NEAR(q.uL, 0.f, 1e-5f);
    EXPECT_NEAR(q.vT, 0.f, 1e-5f);
    p.Unuse();

    // And the pixels: the bottom-right quarter only.
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    p.UseWithColor(1, 1, 1, 1);
    p.DrawQuad(QUAD_RIGHT | QUAD_BOTTOM, 1.f, 1.f, 0.5f, 0.5f);
    p.Unuse();
    EXPECT_EQ(rt.Pixel(12, 1).r, 255); // bottom right (rows count from the bottom)
    EXPECT_EQ(rt.Pixel(3, 1).r, 0);    // bottom left
    EXPECT_EQ(rt.Pixel(12, 7).r, 0);   // top right
}

TEST_F(GLTest, TextureQuadKeepsTheImageAspect)
{
    RenderTarget rt(160, 90); // 16:9
    rt.Bind();
    GLuint tex = MakeTexture(2, 1, RGBA{0, 255, 0, 255});
    rvTexColorProgram2D p;
    p.UseTexture(tex);
    EXPECT_EQ(p._imageWidth, 2);
    EXPECT_EQ(p._imageHeight, 1);
    p.DrawQuad(QUAD_WIDTH_FROM_HEIGHT, 0.5f, 0.5f, 0.3f, 1.f);
    QuadCorners q = LastQuad();
    EXPECT_NEAR(q.x1 - q.x0, 2.f * 1.125f, 1e-4f); // w = 2 * 9/16
    p.DrawQuad(QUAD_HEIGHT_FROM_WIDTH, 0.5f, 0.5f, 0.5f, 0.3f);
    q = LastQuad();
    EXPECT_NEAR(q.y0 - q.y1, 2.f * (0.5f * 0.5f * 16.f / 9.f), 1e-4f);
    p.Unuse();
    EXPECT_EQ(p._glTextureBuffer, 0u) << "an outside texture is never stored";
    glDeleteTextures(1, &tex);
}

// A picture's size is read from its header and refused before decoding when a side passes the
// driver's largest texture or the whole passes the pixel budget; a refused picture leaves no texture
// (so its effect names it) and no GL error for whoever checks next.
TEST_F(GLTest, ImagesTooLargeForATextureAreRefusedFromTheirHeader)
{
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    ASSERT_GT(maxSide, 0);
    const int budgetSide = 4096; // kMaxImagePixels is a square of this side
    ASSERT_EQ(rvTexColorProgram2D::kMaxImagePixels, int64_t(budgetSide) * budgetSide);
    ASSERT_LT(int64_t(maxSide), rvTexColorProgram2D::kMaxImagePixels);
    struct
    {
        int w, h;
        bool loaded;
    } const cases[] = {
        {maxSide, 1, true},          {1, maxSide, true},      {maxSide + 1, 1, false},
        {1, maxSide + 1, false},     {1000000, 1, false},     {budgetSide, budgetSide, true},
        {budgetSide + 1, budgetSide, false},
    };
    rvTexColorProgram2D p;
    const std::vector<unsigned char> small = GreyPNG(2, 2);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        ASSERT_TRUE(p.LoadImageFromMemory(small.data(), int(small.size()), false));
        const std::vector<unsigned char> png = GreyPNG(c.w, c.h);
        EXPECT_EQ(p.LoadImageFromMemory(png.data(), int(png.size()), false), c.loaded);
        EXPECT_EQ(p.IsImageLoaded(), c.loaded);
        EXPECT_EQ(p._glTextureBuffer != 0, c.loaded);
        EXPECT_EQ(p._imageWidth, c.loaded ? c.w : 0);
        EXPECT_EQ(p._imageHeight, c.loaded ? c.h : 0);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    p.Release();
}

TEST_F(GLTest, ImagesDecodeBottomRowFirstAndFailedLoadsLeaveNothing)
{
    RenderTarget rt(2, 2);
    rt.Bind();
    // Picture rows top-down: red, blue.
    std::vector<unsigned char> png = EncodePNG(1, 2, {RGBA{255, 0, 0, 255}, RGBA{0, 0, 255, 255}});
    rvTexColorProgram2D p;
    ASSERT_TRUE(p.LoadImageFromMemory(png.data(), int(png.size()), true));
    EXPECT_TRUE(p.IsImageLoaded());
    EXPECT_EQ(p._imageWidth, 1);
    EXPECT_EQ(p._imageHeight, 2);
    p.Use();
    p.Draw(0);
    p.Unuse();
    EXPECT_EQ(rt.Pixel(0, 1).r, 255) << "the picture's top row shows at the top";
    EXPECT_EQ(rt.Pixel(0, 0).b, 255);

    const unsigned char garbage[] = "not an image";
    EXPECT_FALSE(p.LoadImageFromMemory(garbage, sizeof(garbage), false));
    EXPECT_FALSE(p.IsImageLoaded());
    EXPECT_EQ(p._glTextureBuffer, 0u);
    EXPECT_EQ(p._imageWidth, 0);
    EXPECT_EQ(p._imageHeight, 0);

    p.LoadImage(nullptr, false); // does nothing
    EXPECT_FALSE(p.IsImageLoaded());
    p.Release();
}

TEST_F(GLTest, AlphaViewerShowsAlphaAsGrey)
{
    RenderTarget rt(4, 4);
    rt.Bind();
    GLuint tex = MakeTexture(1, 1, RGBA{255, 0, 0, 64});
    rvTexAlphaProgram2D p;
    p.UseTexture(tex);
    p.Draw(0);
    p.Unuse();
    RGBA c = rt.Pixel(1, 1);
    EXPECT_NEAR(c.r, 64, 1);
    EXPECT_NEAR(c.g, 64, 1);
    EXPECT_EQ(c.a, 255);
    glDeleteTextures(1, &tex);
}

namespace
{
// Effects and timelines for the clocks; the effects are taken off their timelines before deletion.
struct ClockScope
{
    ~ClockScope()
    {
        fxBase::_pCurrentEffect = nullptr;
        for (fxBase* e : effects)
        {
            e->_pSequence = nullptr;
            delete e;
        }
    }
    fxBase* Effect(float localTime, rvSequence* sequence)
    {
        fxBase* e = new fxBase(fxBase::GetDescriptor());
        e->_fTime = localTime;
        e->_pSequence = sequence;
        effects.push_back(e);
        return e;
    }
    rvSequence* Sequence(float time, fxBase* parent)
    {
        sequences.emplace_back(new rvSequence(false));
        sequences.back()->_fTime = time;
        sequences.back()->_pParentEffect = parent;
        return sequences.back().get();
    }
    std::vector<fxBase*> effects;
    std::vector<std::unique_ptr<rvSequence>> sequences;
};
} // namespace

TEST_F(GLTest, TimeClocksFollowTheEffectAndItsTimelines)
{
    RenderTarget rt(4, 4);
    rt.Bind();
    rvProgram2D p;
    p._pFragmentSource = "SHADER_HEADER\nout vec4 c;\nvoid main() { c = vec4(iTime); }\n";

    // Outside any Render, mode 0 gives the offset alone; the delta is against the previous Use.
    p._fTimeOffset = 2.5f;
    p.Use();
    p.Unuse();
    EXPECT_FLOAT_EQ(p._fTimeValue, 2.5f);
    EXPECT_FLOAT_EQ(p._fTimeDelta, 2.5f);
    p._fTimeOffset = 1.f;
    p.Use();
    p.Unuse();
    EXPECT_FLOAT_EQ(p._fTimeDelta, -1.5f);

    ClockScope clock;
    // main timeline (20 s) > nested-timeline effect "owner" (local 8 s) > its timeline (1.5 s) > "inner"
    rvSequence* mainSeq = clock.Sequence(20.f, nullptr);
    fxBase* owner = clock.Effect(8.f, mainSeq);
    rvSequence* nestedSeq = clock.Sequence(1.5f, owner);
    fxBase* loose = clock.Effect(3.f, nullptr);
    fxBase* top = clock.Effect(4.f, mainSeq);
    fxBase* inner = clock.Effect(5.f, nestedSeq);
    // A nested timeline whose owner belongs to no timeline: the owner's local time.
    fxBase* looseOwner = clock.Effect(7.f, nullptr);
    fxBase* innerOfLoose = clock.Effect(6.f, clock.Sequence(2.5f, looseOwner));
    struct Case
    {
        fxBase* effect;
        int mode;
        float expect;
    } cases[] = {
        {nullptr, 1, 0.f}, {nullptr, 2, 0.f},      {loose, 0, 3.f}, {loose, 1, 3.f}, {loose, 2, 3.f},
        {top, 0, 4.f},     {top, 1, 20.f},         {top, 2, 20.f},  {inner, 0, 5.f}, {inner, 1, 1.5f},
        {inner, 2, 20.f},  {innerOfLoose, 2, 7.f}, {top, 9, 0.f},
    };
    p._fTimeOffset = 0.f;
    for (const Case& c : cases)
    {
        fxBase::_pCurrentEffect = c.effect;
        p._eTimeMode = c.mode;
        p.Use();
        p.Unuse();
        EXPECT_FLOAT_EQ(p._fTimeValue, c.expect) << "case " << (&c - cases) << " mode " << c.mode;
    }
    fxBase::_pCurrentEffect = nullptr;

    p._eTimeMode = TIME_WALLCLOCK;
    float before = float(glfwGetTime());
    p.Use();
    p.Unuse();
    EXPECT_GE(p._fTimeValue, before);
    EXPECT_LE(p._fTimeValue, float(glfwGetTime()));
}

TEST_F(GLTest, ImagesComeFromTheDataArchive)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    std::vector<unsigned char> png = EncodePNG(3, 2, std::vector<RGBA>(6, RGBA{10, 20, 30, 255}));
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/img/tile.png", std::string(png.begin(), png.end())}}));
    rvTexColorProgram2D p;
    p.LoadImage("Data/img/tile.png", true);
    EXPECT_TRUE(p.IsImageLoaded());
    EXPECT_EQ(p._imageWidth, 3);
    EXPECT_EQ(p._imageHeight, 2);
    // A missing file leaves nothing behind, not the previous picture's size.
    p.LoadImage("Data/img/missing.png", false);
    EXPECT_FALSE(p.IsImageLoaded());
    EXPECT_EQ(p._glTextureBuffer, 0u);
    EXPECT_EQ(p._imageWidth, 0);
    p.Release();
}
