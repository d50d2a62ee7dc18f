#include "Factory/AttribDesc.h"
#include "Factory/Drivers/BassDriver.h"
#include "Factory/fxBase.h"
#include "rvAudio.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
// A fake music channel: the level query alternates between two results, as a live
// channel does between calls.
uint32_t s_nChannel = 0;
uint32_t s_aResults[2] = {0, 0};
int s_nQueries = 0;

uint32_t FakeChannel()
{
    return s_nChannel;
}
uint32_t FakeLevel(uint32_t hChannel)
{
    EXPECT_EQ(hChannel, s_nChannel);
    return s_aResults[s_nQueries++ % 2];
}

struct BassDriverTest : ::testing::Test
{
    std::unique_ptr<AttribDesc> pDesc{AttribDesc::Create(TYPE_FLOAT, "Group/Value", 0)};
    void SetUp() override
    {
        s_nChannel = 0;
        s_nQueries = 0;
        BassDriver::SetLevelSource({FakeChannel, FakeLevel});
    }
    void TearDown() override { BassDriver::SetLevelSource({nullptr, nullptr}); }
};
} // namespace

TEST_F(BassDriverTest, NoMusicGivesZeroAndRecordsNothing)
{
    BassDriver d(nullptr, pDesc.get());
    EXPECT_EQ(d.GetValue(0.f, false), 0.f);
    EXPECT_TRUE(d._aHistory.empty());
    EXPECT_EQ(s_nQueries, 0);
    // The silent default source behaves the same.
    BassDriver::SetLevelSource({nullptr, nullptr});
    EXPECT_EQ(d.GetValue(0.f, false), 0.f);
}

TEST_F(BassDriverTest, ChannelSelectionAndScale)
{
    s_nChannel = 42;
    // Left from the low half of the first result, right from the high half of the second.
    s_aResults[0] = (0x1111u << 16) | 32767u; // left 1.0 (the high half is ignored)
    s_aResults[1] = (16384u << 16) | 0x2222u; // right 16384 / 32767 (the low half is ignored)
    const float R = 16384.f / 32767.f;
    struct Case
    {
        bool left, right;
        float level;
    } cases[] = {{false, false, R}, {false, true, R}, {true, false, 1.f}, {true, true, (R + 1.f) * 0.5f}};
    for (const Case& c : cases)
    {
        BassDriver d(nullptr, pDesc.get());
        d._bLeftChan = c.left;
        d._bRightChan = c.right;
        d._fMin = 2.f; // Min is not added: the value is half the span times the level
        d._fMax = 6.f;
        s_nQueries = 0;
        EXPECT_FLOAT_EQ(d.GetValue(0.f, false), 2.f * c.level) << c.left << c.right;
        EXPECT_EQ(s_nQueries, 2);
        ASSERT_EQ(d._aHistory.size(), 1u);
        EXPECT_FLOAT_EQ(d._aHistory[0], c.level);
    }
}

TEST_F(BassDriverTest, HistoryKeepsTheLastFramesOfTheEffect)
{
    std::unique_ptr<fxBase> pEffect(fxBase::Create(fxBase::GetDescriptor()));
    pEffect->_nStart = 10;
    pEffect->_nEnd = 13; // 3 frames long
    BassDriver d(pEffect.get(), pDesc.get());
    d._bLeftChan = true;
    s_nChannel = 1;
    for (uint32_t level : {1000u, 2000u, 3000u, 4000u})
    {
        s_aResults[0] = s_aResults[1] = level;
        d.GetValue(0.f, false);
    }
    ASSERT_EQ(d._aHistory.size(), 3u);
    EXPECT_FLOAT_EQ(d._aHistory[0], 2000.f / 32767.f);
    // The display reads the recorded levels by frame, 0 outside them, and records nothing.
    EXPECT_FLOAT_EQ(d.GetValue(0.f, true), 0.5f * 2000.f / 32767.f);
    EXPECT_FLOAT_EQ(d.GetValue(2.f / 60.f, true), 0.5f * 4000.f / 32767.f);
    EXPECT_EQ(d.GetValue(-1.f / 60.f, true), 0.f);
    EXPECT_EQ(d.GetValue(3.f / 60.f, true), 0.f);
    EXPECT_EQ(d._aHistory.size(), 3u);
}

namespace
{
// Only the level query matters here.
class LevelOnlyAudio : public rvAudio
{
public:
    Handle hAsked = 0;
    bool Init(int, int) override { return true; }
    bool Free() override { return true; }
    Handle StreamCreateFile(const char*, uint32_t) override { return 0; }
    bool StreamFree(Handle) override { return true; }
    bool Play(Handle, bool) override { return true; }
    bool Pause(Handle) override { return true; }
    bool Stop(Handle) override { return true; }
    int64_t SecondsToBytes(Handle, double) override { return 0; }
    bool SetPosition(Handle, int64_t) override { return true; }
    bool SetAttribute(Handle, Attrib, float) override { return true; }
    uint32_t GetLevel(Handle h) override
    {
        hAsked = h;
        return (32767u << 16) | 0u; // right full, left silent
    }
    int GetSpectrum(Handle, float*) override { return -1; }
    bool RecordInit(int) override { return true; }
    Handle RecordStart(int, int) override { return 0; }
    bool RecordFree() override { return true; }
    int LastError() override { return 0; }
    int64_t GetPosition(Handle) override { return 0; }
    const char* OutputDriver() override { return ""; }
};
} // namespace

TEST_F(BassDriverTest, TheDefaultLevelQueryIsTheAudioLayers)
{
    LevelOnlyAudio audio;
    rvAudio::Set(&audio);
    BassDriver::SetLevelSource({FakeChannel, nullptr});
    s_nChannel = 9;
    BassDriver d(nullptr, pDesc.get());
    EXPECT_FLOAT_EQ(d.GetValue(0.f, false), 0.5f); // right channel, full level, Max 1
    EXPECT_EQ(audio.hAsked, 9u);
    rvAudio::Set(nullptr);
}
