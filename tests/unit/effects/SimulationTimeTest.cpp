// The effects that integrate a simulation keep time at any frame rate: one slow frame leaves
// them where the same time in tenths of a second leaves them; a jump longer than the steps allow
// (a seek, a stall) runs its first second only. And the logo circles' morph: its speed, its pivot
// and a colour that shows.
#include "LineArt/LineArtFixture.h"

#include "effects/fxBBC/fxBBC.h"
#include "effects/fxLorenz/fxLorenz.h"
#include "effects/fxSwarm/fxSwarm.h"

#include <functional>

using rvTest::EffectPtr;
using rvTest::Strip;

namespace
{
// A 100 x 100 drawing for the morph's destination: a square round the centre.
const char* const kLogo = R"(<svg width="100" height="100"><path d="M40 40 L60 40 L60 60 L40 60 Z"/></svg>)";

class SimulationTimeTest : public rvTest::LineArtTest
{
protected:
    // The state of a simulation after the given frames, as numbers to compare.
    template <class T>
    std::vector<float> After(const std::vector<float>& aFrames, const std::function<void(T&)>& setUp,
                             const std::function<std::vector<float>(const T&)>& read)
    {
        EffectPtr<T> e = New<T>();
        e->_fFadeIn = e->_fFadeOut = 0.f;
        e->_nEnd = 60 * 60;
        setUp(*e);
        Frame(*e, 0.f);
        for (float dt : aFrames)
            Frame(*e, dt);
        return read(*e);
    }
    template <class T>
    void ExpectSameState(const std::function<void(T&)>& setUp,
                         const std::function<std::vector<float>(const T&)>& read)
    {
        struct Case
        {
            std::vector<float> slow, fast;
        } cases[] = {
            {{0.4f}, {0.1f, 0.1f, 0.1f, 0.1f}},           // a frame of 2.5 fps
            {{0.2f, 0.05f}, {0.1f, 0.1f, 0.05f}},         // a frame of 5 fps, then a fast one
            {{3.f}, std::vector<float>(10, 0.1f)},        // a stall: the first second only
        };
        for (const Case& c : cases)
        {
            SCOPED_TRACE(c.slow.front());
            const std::vector<float> a = After<T>(c.slow, setUp, read), b = After<T>(c.fast, setUp, read);
            ASSERT_EQ(a.size(), b.size());
            ASSERT_FALSE(a.empty());
            for (size_t i = 0; i < a.size(); ++i)
                ASSERT_NEAR(a[i], b[i], 1e-4f * (1.f + std::abs(b[i]))) << "value " << i;
        }
    }
};
} // namespace

TEST_F(SimulationTimeTest, ASlowFrameRunsTheStepsOfTheFastOnes)
{
    {
        SCOPED_TRACE("swarm");
        ExpectSameState<fxSwarm>([](fxSwarm& s) { s._nRandomSeed = 7; },
                                 [](const fxSwarm& s)
                                 {
                                     std::vector<float> v;
                                     for (const fxSwarm::Boid& b : s._aBoids)
                                         v.insert(v.end(), {b._vPos.x, b._vPos.y, b._vPos.z, b._vVelocity.x});
                                     return v;
                                 });
    }
    {
        SCOPED_TRACE("attractor");
        ExpectSameState<fxLorenz>([](fxLorenz& l) { l._nSeed = 1234; },
                                  [](const fxLorenz& l)
                                  {
                                      std::vector<float> v{float(l._aDots.size())};
                                      for (const fxLorenz::Dot& d : l._aDots)
                                          v.insert(v.end(), {d._Point.x, d._Point.y, d._Point.z, d._fFadeIn});
                                      return v;
                                  });
    }
    {
        SCOPED_TRACE("logo circles");
        ASSERT_TRUE(Archive({{"Data/svg/ZQ4_logo_v1_low.svg", kLogo}}));
        ExpectSameState<fxBBC>(
            [](fxBBC& b)
            {
                b._nItemCount = 4;
                b._fItemRadius = 2.f;
                b._fRadBySec = 1.f;
                b._fLenghtSpeed = 2.f;
            },
            [](const fxBBC& b) { return std::vector<float>{b._fAngle, b._fLength}; });
    }
}

// The recorded rays gather into the logo at the morph's speed: each node covers ten times the
// frame's share of its way (a sixth at 60 fps), about the transform's pivot, in a colour that shows.
TEST_F(SimulationTimeTest, LogoGathersAtItsSpeedAboutThePivotInAVisibleColour)
{
    ASSERT_TRUE(Archive({{"Data/svg/ZQ4_logo_v1_low.svg", kLogo}}));
    EffectPtr<fxBBC> b = New<fxBBC>();
    b->_fFadeIn = b->_fFadeOut = 0.f;
    b->_nEnd = 60 * 60;
    b->_nItemCount = 4;
    b->_fItemRadius = 2.f;
    b->_fLenghtSpeed = 10.f;
    b->_Transform._vPivot = glm::vec3(3.f, -2.f, 0.f);
    Frame(*b, 0.f);
    for (int i = 0; i < 1000 && b->_nPhase != 2; ++i)
        Frame(*b, 0.1f);
    ASSERT_EQ(b->_nPhase, 2);
    const morphNodeSequence& m = b->_Morph;
    // Where each moving node is, and where it goes.
    struct Move
    {
        int node;
        glm::vec2 from, to;
    };
    // A node moves once a frame, towards the target of the first entry (in row order) that has it.
    std::vector<Move> moves;
    std::vector<bool> abSeen(m._aMorphNodes.size(), false);
    auto add = [&](float fNode, float fDest)
    {
        const int n = int(fNode), d = int(fDest);
        if (abSeen[size_t(n)]) return;
        abSeen[size_t(n)] = true;
        moves.push_back({n, m._aMorphNodes[size_t(n)]._v, m._aDestNodes[size_t(d)]});
    };
    for (int r = 0; r < morphNodeSequence::kRows; ++r)
        for (int i = 0; i < m._nRows[r]; ++i)
        {
            const int t = m._aRowTarget[r][size_t(i)];
            if (t < 0) continue;
            const morphNodeSequence::RowEntry& e = m._aRows[r][size_t(i)];
            const morphNodeSequence::RowEntry& d = m._aDestRows[r][size_t(t)];
            add(e._fNode1, d._fNode1);
            add(e._fNode2, d._fNode2);
        }
    ASSERT_FALSE(moves.empty());
    const float dt = 1.f / 60.f;
    Frame(*b, dt);
    int nChecked = 0;
    for (const Move& mv : moves)
    {
        if (glm::length(mv.to - mv.from) < 1e-3f) continue;
        const glm::vec2 at = m._aMorphNodes[size_t(mv.node)]._v;
        const float share = glm::length(at - mv.from) / glm::length(mv.to - mv.from);
        EXPECT_NEAR(share, 10.f * dt, 1e-3f) << "node " << mv.node;
        ++nChecked;
    }
    EXPECT_GT(nChecked, 0);
    EXPECT_EQ(m._SVGSource._vPivot, b->_Transform._vPivot);
    // The logo's lines (the items are dots now) are at least as bright as the rings were
    // (0.4, 0.4, 0.9).
    int nLines = 0;
    for (const Strip& s : Strips())
    {
        if (s.Length() < 1e-3f) continue;
        EXPECT_GE(s._vColor.r + s._vColor.g + s._vColor.b, 1.7f - 1e-4f);
        ++nLines;
    }
    EXPECT_GT(nLines, 0);
}
