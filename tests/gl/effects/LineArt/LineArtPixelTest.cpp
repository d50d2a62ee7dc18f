// The line-art effects drawn through the whole frame path on a small "Default" buffer (320 x 180,
// phosphor persistence off so that each picture is one frame's): lit where the drawing is, dark
// elsewhere. Pictures "LineArt_<test>.png" are left in the build directory.
#include "../EffectGLTest.h"
#include "TestSupport.h"

#include "ArchiveFixture.h"
#include "effects/fxBBC/fxBBC.h"
#include "effects/fxMantaRay/fxMantaRay.h"
#include "effects/fxMorph/fxMorph.h"
#include "effects/fxSVG/fxSVG.h"
#include "effects/fxText/fxText.h"
#include "effects/fxTextNeon/fxTextNeon.h"
#include "effects/nanoSVGScene/nanoSVGScene.h"
#include "effects/rvEyesUniverse/rvEyesUniverse.h"
#include "vector_display/vector_display.h"

#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

using rvTest::RenderTarget;
using rvTest::RGBA;

namespace
{
const int kW = 320, kH = 180;

const char* const kSquare = R"(<svg width="400" height="400"><path d="M100 100 L300 100 L300 300 L100 300 Z"/></svg>)";
const char* const kHorizontal = R"(<svg width="200" height="20"><path d="M0 10 L200 10"/></svg>)";
const char* const kVertical = R"(<svg width="20" height="200"><path d="M10 0 L10 200"/></svg>)";

class LineArtPixelTest : public rvTest::EffectGLTest<kW, kH>
{
protected:
    void SetUp() override
    {
        rvTest::EffectGLTest<kW, kH>::SetUp();
        if (!_window) return;
        vector_display_settings& s = rvSceneDisplay::_pCurrentDisplay->settings;
        s.decay_steps = 1.f;
        s.decay_initial = 0.f;
    }
    void Release() override
    {
        for (auto& e : _apEffects)
            e->SetState(State_DemoStoped);
        _apEffects.clear();
    }
    bool Archive(const std::map<std::string, std::string>& entries)
    {
        _pDir.reset(new rvTest::TempWorkDir());
        return rvTest::BuildArchive(*_pDir, entries);
    }
    template <class T> T* Add()
    {
        T* e = static_cast<T*>(T::Create(T::RegisterAttributes()));
        e->_fFadeIn = e->_fFadeOut = 0.f;
        _apEffects.emplace_back(e);
        return e;
    }
    // Frames with a fixed step through the frame path, then the picture of the last one.
    std::vector<RGBA> Frames(int n, const std::string& name)
    {
        for (int i = 0; i < n; ++i)
        {
            rvSceneDisplay::BeginFrame(_window);
            for (auto& e : _apEffects)
            {
                if (e->_eState != State_EffectStarted)
                    e->SetState(State_EffectStarted);
                else
                    e->_fPendingDelta = 1.f / 30.f;
                e->Update();
            }
            rvSceneDisplay::PresentFrame(false);
        }
        _pShot.reset(new RenderTarget(kW, kH));
        glBindFramebuffer(GL_READ_FRAMEBUFFER, rvSceneDisplay::_DefaultBuffer._glFrameBuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, _pShot->Framebuffer());
        glBlitFramebuffer(0, 0, kW, kH, 0, 0, kW, kH, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        EXPECT_TRUE(_pShot->SavePNG(rvTest::BinaryPath("LineArt_" + name + ".png")));
        return _pShot->Read();
    }
    // Where a point of the scene lands in "Default", in pixels from the bottom left.
    static glm::vec2 Project(const glm::vec3& p) { return Project(p, rvSceneDisplay::_DefaultBuffer._mViewProjection); }
    static glm::vec2 Project(const glm::vec3& p, const glm::mat4& mViewProjection)
    {
        const glm::vec4 c = mViewProjection * glm::vec4(p, 1.0f);
        return glm::vec2((c.x / c.w * 0.5f + 0.5f) * kW, (c.y / c.w * 0.5f + 0.5f) * kH);
    }
    // Brightest channel sum in a small square around a scene point.
    int Light(const glm::vec3& p, int r = 1) const { return Light(Project(p), r); }
    int Light(const glm::vec2& at, int r = 1) const
    {
        int best = 0;
        for (int y = int(at.y) - r; y <= int(at.y) + r; ++y)
            for (int x = int(at.x) - r; x <= int(at.x) + r; ++x)
            {
                if (x < 0 || y < 0 || x >= kW || y >= kH) continue;
                const RGBA q = _pShot->Pixel(x, y);
                best = std::max(best, q.r + q.g + q.b);
            }
        return best;
    }
    static int Lit(const std::vector<RGBA>& px, int threshold = 120)
    {
        int n = 0;
        for (const RGBA& p : px)
            n += p.r + p.g + p.b > threshold ? 1 : 0;
        return n;
    }

    std::vector<std::unique_ptr<fxBase>> _apEffects;
    std::unique_ptr<rvTest::TempWorkDir> _pDir;
    std::unique_ptr<RenderTarget> _pShot;
};
} // namespace

TEST_F(LineArtPixelTest, TextRevealAtHalfLightsAboutHalfOfTheGlyph)
{
    fxText* t = Add<fxText>();
    t->_bRenderSimplex = true;
    t->_sText = "-";
    t->_Params._fSize = 60.f;
    t->_fThickness = 1.f;
    t->_vColor = glm::vec4(1.f);
    t->_Transform._vPosition = glm::vec3(-30.f, -20.f, 0.f);
    t->_fEndChar = 0.5f;
    const int half = Lit(Frames(3, "TextHalf"));
    t->_fEndChar = -1.f;
    const int full = Lit(Frames(3, "TextFull"));
    ASSERT_GT(full, 40);
    EXPECT_NEAR(float(half) / float(full), 0.5f, 0.12f);
    // Lit on the stroke, dark away from it.
    EXPECT_LT(Light(glm::vec3(0.f, 30.f, 0.f), 2), 60);
}

TEST_F(LineArtPixelTest, NeonTextSwitchesOnFromItsOffLook)
{
    fxTextNeon* n = Add<fxTextNeon>();
    n->_bRenderSimplex = true;
    n->_sText = "--";
    n->_Params._fSize = 40.f;
    n->_vColor = glm::vec4(1.f, 0.3f, 0.8f, 1.f);
    n->_fThickness = 1.f;
    n->_Transform._vPosition = glm::vec3(-30.f, -15.f, 0.f);
    n->_fNeon = 0.f;
    Frames(2, "NeonOff");
    glm::ivec3 off(0);
    for (const RGBA& p : _pShot->Read())
        off = glm::max(off, glm::ivec3(p.r, p.g, p.b));
    EXPECT_LT(off.r, 60); // the dark blue "off" look
    EXPECT_GT(off.b, 40);
    n->_fNeon = 1.f;
    Frames(2, "NeonOn");
    glm::ivec3 on(0);
    for (const RGBA& p : _pShot->Read())
        on = glm::max(on, glm::ivec3(p.r, p.g, p.b));
    EXPECT_GT(on.r, 150); // the text's own magenta
    EXPECT_GT(on.r, on.g);
}

TEST_F(LineArtPixelTest, SVGDrawingIsLitOnItsOutlineOnly)
{
    ASSERT_TRUE(Archive({{"Data/svg/square.svg", kSquare}}));
    fxSVG* s = Add<fxSVG>();
    s->_sFile = "Data/svg/square.svg";
    s->_fThickness = 1.f;
    s->_vColor = glm::vec4(0.2f, 1.f, 0.4f, 1.f);
    Frames(2, "SVG");
    // 400 units -> 100 display units: the square spans -25 to 25 about the centre.
    for (glm::vec3 p : {glm::vec3(-25, 0, 0), glm::vec3(25, 0, 0), glm::vec3(0, 25, 0), glm::vec3(0, -25, 0)})
        EXPECT_GT(Light(p), 60) << p.x << " " << p.y;
    EXPECT_LT(Light(glm::vec3(0.f), 2), 25);
    EXPECT_LT(Light(glm::vec3(40, 40, 0), 2), 25);
}

TEST_F(LineArtPixelTest, MachineStencilHidesGearsBehindTheOccluders)
{
    // A long gear line with an occluder over its lower half (in the drawing, y down), and a still
    // line crossing the occluder.
    ASSERT_TRUE(Archive({{"Data/svg/machine.svg", R"(<svg width="400" height="400">
        <path id="ENG1.1" d="M100 60 L100 340"/>
        <rect id="CACHE1" x="0" y="200" width="400" height="200"/>
        <path id="Frame" d="M300 60 L300 340"/>
        <path id="PIVOT" d="M200 200 L201 200"/></svg>)"}}));
    nanoSVGScene* m = Add<nanoSVGScene>();
    m->_sFile = "Data/svg/machine.svg";
    m->_nGears = 1;
    m->_aGears[0]._fSpeed = 0.f; // a still gear, in green
    m->_aGears[0]._r = 0.f;
    m->SetState(State_DemoStarted);
    ASSERT_TRUE(m->_SVG._bHasCache);
    m->_Transform._vScale = glm::vec3(0.25f, 0.25f, 1.f); // 400 units -> 100 display units
    Frames(2, "Machine");
    // The gear's free half shows, its half behind the occluder does not; the still line does.
    const glm::vec3 left(-25.f, -25.f, 0.f), hidden(-25.f, 25.f, 0.f), line(25.f, 25.f, 0.f);
    EXPECT_GT(Light(left), 60);
    EXPECT_LT(Light(hidden), 25);
    EXPECT_GT(Light(line), 60);

    // Without occlusion the hidden part shows.
    m->_bOcclusion = false;
    Frames(2, "MachineNoOcclusion");
    EXPECT_GT(Light(hidden), 60);
}

TEST_F(LineArtPixelTest, MorphSitsOnSourceBetweenAndDestination)
{
    ASSERT_TRUE(Archive({{"Data/svg/h.svg", kHorizontal}, {"Data/svg/v.svg", kVertical}}));
    fxMorph* m = Add<fxMorph>();
    m->_sSourceSVG = "Data/svg/h.svg";
    m->_sDestinationSVG = "Data/svg/v.svg";
    m->_fSourceSize = m->_fDestinationSize = 2.f; // 40 display units long
    m->_fThickness = 1.f;
    struct Case
    {
        float amount;
        glm::vec3 lit, dark;
    };
    const Case cases[] = {{0.f, {15, 0, 0}, {0, 15, 0}},  // source: the horizontal bar
                          {1.f, {0, 15, 0}, {15, 0, 0}}}; // destination: the vertical bar
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.amount);
        m->_fUserMorph = c.amount;
        Frames(2, "Morph" + std::to_string(int(c.amount * 100)));
        EXPECT_GT(Light(c.lit), 60);
        EXPECT_LT(Light(c.dark), 25);
    }
    // Between: every segment halfway, so nothing reaches the far ends of either bar, and the
    // lines lie across the diagonal quadrants.
    m->_fUserMorph = 0.5f;
    const std::vector<RGBA> px = Frames(2, "Morph50");
    EXPECT_GT(Lit(px, 60), 10);
    for (glm::vec3 p : {glm::vec3(18, 0, 0), glm::vec3(-18, 0, 0), glm::vec3(0, 18, 0), glm::vec3(0, -18, 0)})
        EXPECT_LT(Light(p), 25);
}

TEST_F(LineArtPixelTest, EyeLayersLogoCirclesAndMantaRayDrawWhereTheyAre)
{
    std::map<std::string, std::string> files = {{"Data/svg/custom/mantaray.svg", kSquare},
                                                {"Data/svg/ZQ4_logo_v1_low.svg", kSquare}};
    files[rvEyesUniverse::LayerFiles[0]] = kSquare;
    ASSERT_TRUE(Archive(files));
    rvEyesUniverse* eyes = Add<rvEyesUniverse>();
    eyes->_aLayers[0]._Transform._vScale = glm::vec3(0.1f); // the 200-unit square: 20 wide
    eyes->_aLayers[0]._Transform._vPosition = glm::vec3(-40.f, 15.f, 0.f);
    fxBBC* bbc = Add<fxBBC>();
    bbc->_nItemCount = 6;
    bbc->_vCenter = glm::vec3(0.f);
    bbc->_Transform._vPosition = glm::vec3(0.f, -5.f, 0.f);
    fxMantaRay* manta = Add<fxMantaRay>();
    manta->_Transform._vPosition = glm::vec3(45.f, 15.f, 0.f);
    manta->_Transform._vScale.x = 0.2f; // wingspan 0.2 x 0.05 x 200 = 2 units
    manta->_fWindHeight = 0.f;
    Frames(3, "Layers");
    EXPECT_GT(Light(glm::vec3(-40.f - 10.f, 15.f, 0.f), 2), 40); // the layer's square, left side
    EXPECT_LT(Light(glm::vec3(-40.f, 15.f, 0.f), 1), 25);        // ...hollow
    // The logo circles: rays from the ring at radius 9 out to 15 from the origin.
    int rays = 0;
    for (int k = 0; k < 6; ++k)
    {
        const float a = 6.2831855f * float(k) / 6.f;
        rays += Light(glm::vec3(std::sin(a) * 12.f, -5.f - std::cos(a) * 12.f, 0.f), 2) > 60 ? 1 : 0;
    }
    EXPECT_EQ(rays, 6);
    EXPECT_GT(Light(glm::vec3(45.f, 15.f, 0.f), 2), 60); // the manta collapsed on its position
    EXPECT_LT(Light(glm::vec3(45.f, -25.f, 0.f), 2), 25);
}

TEST_F(LineArtPixelTest, MachineWidensTheViewFromTheNextFrameOnly)
{
    // A square drawn in the machine's first frame: the machine's wide view must not reach it.
    ASSERT_TRUE(Archive({{"Data/svg/square.svg", kSquare}}));
    fxSVG* s = Add<fxSVG>();
    s->_sFile = "Data/svg/square.svg";
    s->_fThickness = 1.f;
    s->_vColor = glm::vec4(1.f);
    nanoSVGScene* m = Add<nanoSVGScene>();
    m->_sFile = "Data/svg/square.svg";
    m->_nRenderingMode = 1; // the settings only, no drawing
    nanoSVGScene::_bProcessSettingsDone = false;
    rvBufferDisplay& b = rvSceneDisplay::_DefaultBuffer;
    const float fFov = b._fFov;
    b.UpdateMatrices(glm::mat4(1.f));
    const glm::mat4 mUsual = b._mViewProjection;
    const glm::vec3 corner(25.f, 25.f, 0.f); // 400 units -> 100 display units
    Frames(1, "MachineFirstFrame");
    EXPECT_FLOAT_EQ(b._fFov, fFov);
    EXPECT_GT(Light(Project(corner, mUsual)), 60);
    // From the next frame on the view is wide: the square about a third of its size.
    Frames(1, "MachineSecondFrame");
    EXPECT_FLOAT_EQ(b._fFov, 2.2f);
    const glm::vec2 o = Project(glm::vec3(0.f));
    EXPECT_NEAR(glm::length(Project(corner) - o) / glm::length(Project(corner, mUsual) - o), 0.29f, 0.03f);
    EXPECT_GT(Light(corner), 60);
    EXPECT_LT(Light(Project(corner, mUsual)), 25);
    nanoSVGScene::_bProcessSettingsDone = false;
}
