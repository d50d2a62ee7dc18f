// The reference music: finding the part in the full-demo timeline and the music under it.
#include "ArchiveFixture.h"
#include "DataPackGuard.h"
#include "../Sequencer/TestClasses.h"
#include "RecordingAudio.h"
#include "effects/fxMusicReference/fxMusicReference.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Sequencer/rvSequence.h"
#include "effects/fxSequence/fxSequence.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace
{
// Effects of a full-demo timeline, made directly (never initialised).
class DemoEffects
{
public:
    ~DemoEffects()
    {
        for (fxBase* p : _apEffects)
            delete p;
    }
    void Part(const std::string& sFile, int nStart, int nEnd)
    {
        fxSequence::RegisterAttributes();
        auto* p = static_cast<fxSequence*>(fxSequence::Create(fxSequence::GetDescriptor()));
        p->_sSequenceFile = sFile;
        Add(p, nStart, nEnd);
    }
    fxMusic* Music(const std::string& sFile, int nStart, int nEnd)
    {
        fxMusic::RegisterAttributes();
        auto* p = static_cast<fxMusic*>(fxMusic::Create(fxMusic::GetDescriptor()));
        p->_sFile = sFile;
        Add(p, nStart, nEnd);
        return p;
    }
    void Add(fxBase* p, int nStart, int nEnd)
    {
        p->_nStart = nStart;
        p->_nEnd = nEnd;
        _apEffects.push_back(p);
    }
    std::vector<fxBase*> _apEffects;
};

std::unique_ptr<fxMusicReference> MakeReference(int nStart = 0)
{
    std::unique_ptr<fxMusicReference> p(
        static_cast<fxMusicReference*>(fxMusicReference::Create(fxMusicReference::GetDescriptor())));
    p->_nStart = nStart;
    p->_nEnd = nStart + 3600;
    return p;
}

std::string MusicJson(const std::string& sClass, const std::string& sFile, int nStart, int nEnd)
{
    return "{ \"Class\" : \"" + sClass + "\", \"Properties\" : { \"MP3 File\" : \"" + sFile +
           "\", \"TempoBpm\" : 125.0, \"Start\" : " + std::to_string(nStart) +
           ", \"End\" : " + std::to_string(nEnd) + " } }";
}
} // namespace

TEST(MusicReference, PlaysTheDemoMusicFromWhereThePartBegins)
{
    DemoEffects demo;
    demo.Part("Data/seq/Other.seq", 0, 1200);
    demo.Part("Data/seq/Part1.seq", 1200, 2400);
    fxMusic* pMusic = demo.Music("Data/Audio/Demo.mp3", 600, 9000);
    pMusic->_fTempoBpm = 125.0f;
    pMusic->_fTempoShift = -2.0f;
    pMusic->_nTempoMesures = 8;

    auto p = MakeReference(120);
    ASSERT_TRUE(p->TakeOverFrom(demo._apEffects, "Data/seq/Part1.seq"));
    EXPECT_FLOAT_EQ(p->_fStartOffset, 10.0f);
    EXPECT_EQ(p->_sFile, "Data/Audio/Demo.mp3");
    EXPECT_EQ(p->_fTempoBpm, 125.0f);
    EXPECT_EQ(p->_fTempoShift, -2.0f);
    EXPECT_EQ(p->_nTempoMesures, 8);
    EXPECT_FLOAT_EQ(p->_fPrevStart, 2.0f);
}

TEST(MusicReference, LookupCases)
{
    struct Case
    {
        const char* sName;
        std::string sPartInDemo;
        int nMusicStart, nMusicEnd;
        bool bFound;
        float fOffset;
    };
    const Case aCases[] = {
        {"same path", "Data/seq/Part1.seq", 600, 9000, true, 10.0f},
        {"a leading ./ is another path", "./Data/seq/Part1.seq", 600, 9000, false, 0.0f},
        {"backslashes are another path", "Data\\seq\\Part1.seq", 600, 9000, false, 0.0f},
        {"music ending at the part's Start does not overlap", "Data/seq/Part1.seq", 0, 1200, false, 0.0f},
        {"music starting at the part's End does not overlap", "Data/seq/Part1.seq", 2400, 3000, false, 0.0f},
        {"music starting inside the part plays from 0", "Data/seq/Part1.seq", 1800, 9000, true, 0.0f},
    };
    for (const Case& c : aCases)
    {
        SCOPED_TRACE(c.sName);
        DemoEffects demo;
        demo.Part(c.sPartInDemo, 1200, 2400);
        demo.Music("Data/Audio/Demo.mp3", c.nMusicStart, c.nMusicEnd);
        auto p = MakeReference();
        EXPECT_EQ(p->TakeOverFrom(demo._apEffects, "Data/seq/Part1.seq"), c.bFound);
        EXPECT_FLOAT_EQ(p->_fStartOffset, c.fOffset);
        EXPECT_EQ(p->_sFile, c.bFound ? "Data/Audio/Demo.mp3" : fxMusic::DEFAULT_FILE);
    }
}

TEST(MusicReference, TheFirstOverlappingPlainMusicIsTaken)
{
    DemoEffects demo;
    demo.Part("Data/seq/Part1.seq", 1200, 2400);
    // A music reference in the demo is not a music of the demo.
    auto* pRef = fxMusicReference::Create(fxMusicReference::GetDescriptor());
    static_cast<fxMusic*>(pRef)->_sFile = "Data/Audio/Ref.mp3";
    demo.Add(pRef, 0, 9000);
    demo.Music("Data/Audio/Early.mp3", 0, 600);
    demo.Music("Data/Audio/First.mp3", 900, 9000);
    demo.Music("Data/Audio/Second.mp3", 0, 9000);
    auto p = MakeReference();
    ASSERT_TRUE(p->TakeOverFrom(demo._apEffects, "Data/seq/Part1.seq"));
    EXPECT_EQ(p->_sFile, "Data/Audio/First.mp3");
    EXPECT_FLOAT_EQ(p->_fStartOffset, 5.0f);
}

TEST(MusicReference, MovingItsStartShiftsTheOffset)
{
    rvTest::RecordingAudio audio;
    DemoEffects demo;
    demo.Part("Data/seq/Part1.seq", 1200, 2400);
    demo.Music("Data/Audio/Demo.mp3", 600, 9000);
    auto p = MakeReference(0);
    p->SetState(State_SequenceStarted); // no timeline: Init opens nothing
    ASSERT_TRUE(p->TakeOverFrom(demo._apEffects, "Data/seq/Part1.seq"));
    p->SetState(State_EffectStarted);
    p->_nStart += 60;
    p->_fPendingDelta = 1.0f / 60;
    p->Update();
    EXPECT_FLOAT_EQ(p->_fStartOffset, 11.0f);
    EXPECT_FLOAT_EQ(p->_fPrevStart, 1.0f);
    p->SetState(State_DemoStoped);
}

TEST(MusicReference, InitFindsThePartInTheDemoArchiveButNotInsideANestedTimeline)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    RegisterTestClasses();
    rvTest::RecordingAudio audio;
    rvTest::TempWorkDir dir;
    const std::string sPart = SeqJson({MusicJson("fxMusicReference", "Data/Audio/Unused.mp3", 0, 1200)});
    ASSERT_TRUE(rvTest::BuildArchive(
        dir, {{"Data/seq/_DemoFull_.seq", SeqJson({NestedJson("part", "Data/seq/Part1.seq", 1200, 2400),
                                                   MusicJson("fxMusic", "Data/Audio/Demo.mp3", 600, 9000)})},
              {"Data/seq/Part1.seq", sPart},
              {"Data/seq/Outer.seq", SeqJson({NestedJson("outer", "Data/seq/Part1.seq", 0, 1200)})}}));

    {
        // The part edited on its own: its music is the demo's, from 10 s.
        rvSequence part(false);
        ASSERT_TRUE(part.LoadSequence("Data/seq/Part1.seq", true));
        ASSERT_EQ(part._apEffects.size(), 1u);
        auto* pRef = static_cast<fxMusicReference*>(part._apEffects[0]);
        EXPECT_THAT(audio.Take(), ElementsAre("Init(-1,44100)", "Create(Data/Audio/Demo.mp3,4)"));
        EXPECT_FLOAT_EQ(pRef->_fStartOffset, 10.0f);
        EXPECT_EQ(pRef->_fTempoBpm, 125.0f);
        EXPECT_NE(pRef->_hStream, 0u);
        part.Clear();
        EXPECT_THAT(audio.Take(), ElementsAre("Stop(7)", "StreamFree(7)"));
    }
    {
        // The same part nested in another timeline opens nothing.
        rvSequence outer(false);
        ASSERT_TRUE(outer.LoadSequence("Data/seq/Outer.seq", true));
        auto* pNested = static_cast<fxSequence*>(outer._apEffects[0]);
        ASSERT_EQ(pNested->_Sequence._apEffects.size(), 1u);
        EXPECT_THAT(audio.Take(), IsEmpty());
        EXPECT_EQ(static_cast<fxMusicReference*>(pNested->_Sequence._apEffects[0])->_hStream, 0u);
        outer.Clear();
    }
    {
        // A part that the demo does not name stays silent, without a message.
        rvSequence other(false);
        ASSERT_TRUE(other.LoadSequence("Data/seq/Outer.seq", true));
        audio.Take();
        fxBase* pRef = fxMusicReference::Create(fxMusicReference::GetDescriptor());
        other.AddEffect(pRef);
        testing::internal::CaptureStderr();
        pRef->SetState(State_DemoStarted);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_THAT(audio.Take(), IsEmpty());
        other.Clear();
    }
}
