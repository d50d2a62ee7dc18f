// The circuit background's electrons, without a window: the path picture is decoded from PNG bytes
// made here, the electrons walk it, and the real pictures of the data folder are checked for what
// the effect relies on.
#include "TestSupport.h"

#include "effects/fxBackCircuit/fxBackCircuit.h"

#include <gtest/gtest.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{
typedef fxBackCircuit::ELECTRON Electron;

struct Picture
{
    int w, h;
    std::vector<uint8_t> rgba; // top row first
    Picture(int width, int height) : w(width), h(height), rgba(size_t(width) * height * 4, 0)
    {
        for (size_t i = 3; i < rgba.size(); i += 4)
            rgba[i] = 255;
    }
    void Set(int x, int y, uint8_t r, uint8_t g, uint8_t b)
    {
        uint8_t* p = &rgba[(size_t(y) * w + x) * 4];
        p[0] = r;
        p[1] = g;
        p[2] = b;
    }
    // An 8-connected line of trace pixels from a to b (45-degree or axis-aligned).
    void Line(int ax, int ay, int bx, int by)
    {
        const int sx = (bx > ax) - (bx < ax), sy = (by > ay) - (by < ay);
        for (int x = ax, y = ay;; x += sx, y += sy)
        {
            Set(x, y, 255, 0, 0);
            if (x == bx && y == by) break;
        }
    }
    std::string Png() const
    {
        std::string out;
        stbi_write_png_to_func([](void* ctx, void* data, int size)
                               { static_cast<std::string*>(ctx)->append(static_cast<char*>(data), size); },
                               &out, w, h, 4, rgba.data(), w * 4);
        return out;
    }
};

// A closed loop with 45-degree corners; its top side runs hidden between x 12 and 19, and one
// magenta entry lies on its bottom side.
Picture Loop()
{
    Picture p(32, 32);
    const int corners[][2] = {{6, 4}, {25, 4}, {27, 6}, {27, 25}, {25, 27}, {6, 27}, {4, 25}, {4, 6}, {6, 4}};
    for (int i = 0; i + 1 < 9; ++i)
        p.Line(corners[i][0], corners[i][1], corners[i + 1][0], corners[i + 1][1]);
    for (int x = 12; x <= 19; ++x)
        p.Set(x, 4, 255, 255, 255);
    p.Set(15, 27, 255, 0, 255);
    return p;
}

std::unique_ptr<fxBackCircuit> Circuit(const Picture& picture, int nElectrons, unsigned nSeed)
{
    std::unique_ptr<fxBackCircuit> fx(
        static_cast<fxBackCircuit*>(fxBackCircuit::Create(fxBackCircuit::RegisterAttributes())));
    const std::string png = picture.Png();
    EXPECT_TRUE(fx->LoadPath(reinterpret_cast<const uint8_t*>(png.data()), int(png.size())));
    fx->FindEntryPoints();
    srand(nSeed);
    for (int i = 0; i < nElectrons; ++i)
    {
        Electron e;
        fx->SpawnElectron(e, 2);
        fx->_vElectrons.push_back(e);
    }
    fx->_fDeltaTime = 1.0f / 60.0f;
    return fx;
}

void Walk(fxBackCircuit& fx, int nSteps, const std::function<void(const Electron&)>& check = nullptr)
{
    for (int s = 0; s < nSteps; ++s)
        for (Electron& e : fx._vElectrons)
        {
            fx.MoveElectron(e, fx._fDeltaTime);
            if (check) check(e);
        }
}

const uint8_t* At(const Picture& p, int x, int y)
{
    return &p.rgba[(size_t((y % p.h + p.h) % p.h) * p.w + size_t((x % p.w + p.w) % p.w)) * 4];
}
} // namespace

TEST(BackCircuit, EntryPointsFollowTheTracesNextToTheMagentaPixel)
{
    auto fx = Circuit(Loop(), 0, 1);
    // The entry at (15, 27) has trace neighbours to its left and right, two pixels each way.
    ASSERT_EQ(fx->_vEntryPoints.size(), 4u);
    for (const Electron& e : fx->_vEntryPoints)
    {
        EXPECT_EQ(e._vPos, glm::vec2(15.0f, 27.0f));
        EXPECT_EQ(std::abs(e._vDir.x), 1.0f);
        EXPECT_FALSE(e._bVisible);
    }
}

TEST(BackCircuit, ElectronsStayOnTracesAndAreHiddenOnHiddenRuns)
{
    const Picture loop = Loop();
    auto fx = Circuit(loop, 40, 3);
    int nHiddenSeen = 0, nVisibleSeen = 0;
    Walk(*fx, 600,
         [&](const Electron& e)
         {
             // Never more than a pixel away from a trace pixel of the path picture.
             const int x = int(e._vPos.x), y = int(e._vPos.y);
             bool bNear = false;
             for (int dy = -1; dy <= 1; ++dy)
                 for (int dx = -1; dx <= 1; ++dx)
                     bNear |= At(loop, x + dx, y + dy)[0] >= 155;
             EXPECT_TRUE(bNear) << e._vPos.x << ", " << e._vPos.y;
             // Well inside the hidden run an electron is never drawn.
             if (y == 4 && x >= 14 && x <= 17)
             {
                 EXPECT_FALSE(e._bVisible) << x;
                 ++nHiddenSeen;
             }
             else if (e._bVisible)
                 ++nVisibleSeen;
         });
    EXPECT_GT(nHiddenSeen, 0);
    EXPECT_GT(nVisibleSeen, 1000);
}

TEST(BackCircuit, PathsAreTheSameForTheSameSeed)
{
    auto a = Circuit(Loop(), 30, 42);
    auto b = Circuit(Loop(), 30, 42);
    srand(5);
    Walk(*a, 300);
    srand(5);
    Walk(*b, 300);
    for (size_t i = 0; i < a->_vElectrons.size(); ++i)
    {
        EXPECT_EQ(a->_vElectrons[i]._vPos, b->_vElectrons[i]._vPos) << i;
        EXPECT_EQ(a->_vElectrons[i]._vColor, b->_vElectrons[i]._vColor) << i;
    }
}

// Pictures the player may be given: dead ends with one entry shared by all, no entry at all, no
// trace at all. Nothing stops the walk, and every electron is somewhere in the picture.
TEST(BackCircuit, DeadEndsWithoutEntriesOrTracesNeverStopTheWalk)
{
    Picture oneEntry(32, 8);
    oneEntry.Line(2, 3, 12, 3);
    oneEntry.Set(2, 3, 255, 0, 255);
    Picture noEntry(32, 8);
    noEntry.Line(2, 3, 12, 3);
    Picture empty(16, 16);
    for (const Picture* p : {&oneEntry, &noEntry, &empty})
    {
        auto fx = Circuit(*p, 20, 9);
        fx->_vSpeed01 = glm::vec2(100.0f, 120.0f);
        Walk(*fx, 400);
        for (const Electron& e : fx->_vElectrons)
        {
            EXPECT_GE(e._vPos.x, 0.0f);
            EXPECT_LT(e._vPos.x, float(p->w));
        }
    }
    // With a shared entry, electrons that reach the dead end start again from it.
    auto fx = Circuit(oneEntry, 20, 9);
    Walk(*fx, 400);
    int nAtEntry = 0;
    for (const Electron& e : fx->_vElectrons)
        nAtEntry += e._vPos.x < 12.5f && e._vColor != glm::vec3(0.0f);
    EXPECT_GT(nAtEntry, 0);
}

TEST(BackCircuit, PathPicturesThatCannotBeUsedAreRefused)
{
    auto fx = Circuit(Loop(), 0, 1);
    const std::string garbage = "not a picture at all";
    EXPECT_FALSE(fx->LoadPath(reinterpret_cast<const uint8_t*>(garbage.data()), int(garbage.size())));
    EXPECT_TRUE(fx->_imgPath.empty());
    // A header that claims 100000 x 100000 pixels is refused before anything is decoded.
    std::string huge = Picture(1, 1).Png();
    const uint8_t side[4] = {0x00, 0x01, 0x86, 0xA0};
    huge.replace(16, 4, reinterpret_cast<const char*>(side), 4);
    huge.replace(20, 4, reinterpret_cast<const char*>(side), 4);
    EXPECT_FALSE(fx->LoadPath(reinterpret_cast<const uint8_t*>(huge.data()), int(huge.size())));
    EXPECT_FALSE(fx->LoadPath(nullptr, 0));
    Electron e;
    fx->SpawnElectron(e, 2); // no picture: nothing happens
    EXPECT_EQ(fx->FindNeighbours(&e, e, 2), 0);
}

// The generated pictures: the same size, traces, hidden runs, entries next to traces.
TEST(BackCircuit, DataPicturesCarryTheColourCode)
{
    const std::string sPath = rvTest::ReadFileBytes(rvTest::SourcePath("Data/img/circuitPath.png"));
    const std::string sBack = rvTest::ReadFileBytes(rvTest::SourcePath("Data/img/circuitBack.png"));
    ASSERT_FALSE(sPath.empty()) << "run tools/gen-console-images";
    int w = 0, h = 0, n = 0, bw = 0, bh = 0;
    ASSERT_TRUE(stbi_info_from_memory(reinterpret_cast<const uint8_t*>(sBack.data()), int(sBack.size()), &bw, &bh, &n));
    auto fx = std::unique_ptr<fxBackCircuit>(
        static_cast<fxBackCircuit*>(fxBackCircuit::Create(fxBackCircuit::RegisterAttributes())));
    ASSERT_TRUE(fx->LoadPath(reinterpret_cast<const uint8_t*>(sPath.data()), int(sPath.size())));
    w = fx->_imgWidth;
    h = fx->_imgHeight;
    EXPECT_EQ(w, bw);
    EXPECT_EQ(h, bh);
    int nTrace = 0, nHidden = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
        {
            const uint8_t* p = fx->PathPixel(x, y);
            nTrace += p[0] >= 155;
            nHidden += p[0] >= 155 && p[2] >= 155 && p[1] > 154;
        }
    EXPECT_GT(nTrace, w * h / 50);
    EXPECT_GT(nHidden, 50);
    fx->FindEntryPoints();
    EXPECT_GT(fx->_vEntryPoints.size(), 20u);
}
