#include "Tester/EffectTester.h"

#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/Factory.h"
#include "Factory/fxDescriptor.h"
#include "FileBrowser/rvFileBrowser.h"

#include "../Factory/EffectTestSupport.h"
#include "EditorUI.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace
{
const int kRight = 262, kLeft = 263, kSpace = 32, kEnter = 257;
const float kFrame = 1.0f / 60.0f;

struct TesterFixture : ::testing::Test
{
    TesterFixture() { rvTest::TheFactory(); }
    ~TesterFixture() override { AttribDesc::_bTimeInFrames = false; }

    int RecorderId() const { return rvTest::fxRecorder::GetDescriptor()->_nId; }
    void Store(int nIndex)
    {
        dir.WriteFile("Data/EffectTester.json",
                      "{\"EffectTester\": {\"_nDescriptorSelected\": " + std::to_string(nIndex) + "}}");
    }
    int Stored() const
    {
        Json::Value root;
        Json::Reader().parse(dir.ReadFile("Data/EffectTester.json"), root);
        return root["EffectTester"]["_nDescriptorSelected"].asInt();
    }
    rvTest::fxRecorder* Recorder() { return dynamic_cast<rvTest::fxRecorder*>(tester->_pEffect); }
    std::function<void()> Window(float dt = kFrame)
    {
        return [this, dt] { tester->DrawWindow(dt); };
    }
    // Top-left of the first item of the tester window (the "Load FX" button).
    static ImVec2 FirstItem()
    {
        ImGuiWindow* w = ImGui::FindWindowByName("Effect Tester");
        return ImVec2(w->DC.CursorStartPos.x + 10.0f, w->DC.CursorStartPos.y + 6.0f);
    }

    rvTest::TempWorkDir dir;
    rvTest::EditorUI ui;
    std::unique_ptr<EffectTester> tester;
};
} // namespace

TEST_F(TesterFixture, StoredClassIsClampedAndNotStoredAgainOnExit)
{
    const int nCount = Factory::_pInstance->GetCount();
    Store(99);
    tester.reset(new EffectTester());
    EXPECT_EQ(tester->_nDescriptorSelected, nCount - 1);
    fxDescriptor* pLast = Factory::_pInstance->GetDescriptor(nCount - 1);
    if (pLast->_pfnCreate)
    {
        ASSERT_NE(tester->_pEffect, nullptr);
        EXPECT_EQ(tester->_pEffect->_pDescriptor, pLast);
        EXPECT_EQ(tester->_pEffect->_eState, State_EffectStarted);
    }
    tester.reset();
    EXPECT_EQ(Stored(), 99);

    // Without a stored file: the first class (fxBase), playing and looping.
    std::filesystem::remove("Data/EffectTester.json");
    tester.reset(new EffectTester());
    EXPECT_EQ(tester->_nDescriptorSelected, 0);
    ASSERT_NE(tester->_pEffect, nullptr);
    EXPECT_TRUE(tester->_bPlaying && tester->_bLoop);
    EXPECT_EQ(tester->_sPath, "Data/fx");
}

TEST_F(TesterFixture, TransportSnapsPausesStepsAndJumpsToKeys)
{
    Store(RecorderId());
    tester.reset(new EffectTester());
    ASSERT_NE(Recorder(), nullptr);
    fxBase* p = tester->_pEffect;
    ui.Frame(Window());
    EXPECT_FLOAT_EQ(p->_fTime, kFrame); // playing

    // Pausing at 1.2345 s snaps to frame 74.
    p->_fTime = 1.2345f;
    ui.Press(kSpace, Window());
    EXPECT_FALSE(tester->_bPlaying);
    EXPECT_EQ(p->_fTime, float(74 / 60.0));

    // One press of the right arrow: exactly one frame; the paused effect stays there.
    ui.Press(kRight, Window());
    EXPECT_EQ(p->_fTime, float(75 / 60.0));

    // Ctrl + arrows jump between keys, to the end and to 0 when there is none.
    AttribDesc* pSpeed = p->_pDescriptor->FindAttrib("Motion/Speed");
    KeyFrameDriver* pKeys = dynamic_cast<KeyFrameDriver*>(p->SetDriver(pSpeed, NoneDriver::DRIVER_KEYFRAME));
    ASSERT_NE(pKeys, nullptr);
    pKeys->AddKey(2.0f, 1.0f);
    ui.Press(kRight, Window(), true);
    EXPECT_EQ(p->_fTime, 2.0f);
    ui.Press(kRight, Window(), true);
    EXPECT_EQ(p->_fTime, p->GetDuration());
    ui.Press(kLeft, Window(), true);
    EXPECT_EQ(p->_fTime, 2.0f);
    ui.Press(kLeft, Window(), true);
    EXPECT_EQ(p->_fTime, 0.0f);

    // Held, the arrow steps once per frame after the repeat delay.
    ImGuiIO& io = ImGui::GetIO();
    io.KeysDown[kRight] = true;
    for (int i = 0; i < 60; ++i)
        ui.Frame(Window());
    io.KeysDown[kRight] = false;
    const int nSteps = int(std::lround(p->_fTime * 60.0f));
    const int nDelayFrames = int(std::ceil(io.KeyRepeatDelay * 60.0f));
    EXPECT_NEAR(nSteps, 60 - nDelayFrames + 1, 1);
}

TEST_F(TesterFixture, EndOfEffectLoopsThroughStopAndStartOrStops)
{
    Store(RecorderId());
    tester.reset(new EffectTester());
    rvTest::fxRecorder* p = Recorder();
    ASSERT_NE(p, nullptr);
    p->_nEnd = 6; // 0.1 s
    p->_log.clear();
    for (int i = 0; i < 8; ++i)
        ui.Frame(Window());
    auto count = [&](const char* sz) { return std::count(p->_log.begin(), p->_log.end(), std::string(sz)); };
    EXPECT_EQ(count("OnEffectStop"), 1);
    EXPECT_EQ(count("OnEffectStart"), 1);
    EXPECT_EQ(p->_eState, State_EffectStarted);
    EXPECT_LT(p->_fTime, 0.1f);

    // Without "Loop" play stops at the end, and the next play restarts from 0.
    tester->_bLoop = false;
    for (int i = 0; i < 10; ++i)
        ui.Frame(Window());
    EXPECT_FALSE(tester->_bPlaying);
    EXPECT_EQ(p->_eState, State_SequenceStarted);
    EXPECT_EQ(p->_fTime, 0.1f);
    ui.Press(kSpace, Window(0.0f));
    EXPECT_TRUE(tester->_bPlaying);
    EXPECT_EQ(p->_eState, State_EffectStarted);
    EXPECT_EQ(p->_fTime, 0.0f);
}

TEST_F(TesterFixture, PresetLoadShowsItsClassWithoutStoringAndCancelKeepsAll)
{
    {
        std::unique_ptr<rvTest::fxRecorder> pSource(rvTest::NewRecorder());
        pSource->_fSpeed = 3.25f;
        std::filesystem::create_directories("Data/fx");
        ASSERT_TRUE(Factory::SavePreset(pSource.get(), "Data/fx/rec.fx"));
    }
    Store(0);
    tester.reset(new EffectTester());
    ui.Frame(Window());
    ui.Frame(Window());
    const ImVec2 load = FirstItem();

    // Cancel: effect and dialog path unchanged.
    fxBase* pBefore = tester->_pEffect;
    ui.Click(load, Window());
    ASSERT_NE(tester->_pLoadBrowser, nullptr);
    ui.Frame(Window());
    ui.Click(rvTest::EditorUI::LastButtonOf("Load Effect"), Window());
    EXPECT_EQ(tester->_pLoadBrowser, nullptr);
    EXPECT_EQ(tester->_pEffect, pBefore);
    EXPECT_EQ(tester->_sPath, "Data/fx");

    // Loading the recorder's preset.
    ui.Click(load, Window());
    ui.Frame(Window());
    rvTest::EditorUI::Type("rec");
    ui.Frame(Window());
    ui.Press(kEnter, Window());
    ASSERT_NE(Recorder(), nullptr);
    EXPECT_EQ(Recorder()->_fSpeed, 3.25f);
    EXPECT_EQ(Recorder()->_eState, State_EffectStarted);
    EXPECT_EQ(tester->_nDescriptorSelected, RecorderId());
    EXPECT_EQ(tester->_sPath, "Data/fx/rec.fx");
    EXPECT_EQ(Stored(), 0); // the choice is not stored

    // A preset that does not load keeps the tested effect as it was, and the window says so.
    fxBase* pLoaded = tester->_pEffect;
    EXPECT_TRUE(tester->_sFileError.empty());
    dir.WriteFile("Data/fx/bad.fx", "{\"Class\": \"NoSuchClass\"}");
    ui.Click(load, Window());
    EXPECT_EQ(tester->_pLoadBrowser->_sFileName, "rec.fx");
    ui.Frame(Window());
    rvTest::EditorUI::Type("bad");
    ui.Frame(Window());
    ui.Press(kEnter, Window());
    EXPECT_EQ(tester->_pEffect, pLoaded);
    ASSERT_NE(Recorder(), nullptr);
    EXPECT_EQ(Recorder()->_fSpeed, 3.25f);
    EXPECT_EQ(Recorder()->_eState, State_EffectStarted);
    EXPECT_EQ(tester->_sPath, "Data/fx/rec.fx");
    EXPECT_NE(tester->_sFileError.find("Data/fx/bad.fx"), std::string::npos);
    // Neither does a file that is not there or not a whole document; a good one clears the word.
    dir.WriteFile("Data/fx/cut.fx", "{\"Class\": \"fxRecorder\", \"Prop");
    for (const char* szBad : {"Data/fx/none.fx", "Data/fx/cut.fx"})
    {
        EXPECT_FALSE(tester->LoadEffect(szBad));
        EXPECT_EQ(tester->_pEffect, pLoaded) << szBad;
        EXPECT_NE(tester->_sFileError.find(szBad), std::string::npos);
    }
    EXPECT_TRUE(tester->LoadEffect("Data/fx/rec.fx"));
    EXPECT_TRUE(tester->_sFileError.empty());
    // A save that cannot be written says so and keeps the path; a good one clears the word.
    EXPECT_FALSE(tester->SaveEffect("Data/fx/rec.fx/inside-a-file.fx"));
    EXPECT_NE(tester->_sFileError.find("Save failed"), std::string::npos);
    EXPECT_EQ(tester->_sPath, "Data/fx/rec.fx");
    EXPECT_TRUE(tester->SaveEffect("Data/fx/copy.fx"));
    EXPECT_TRUE(tester->_sFileError.empty());
    EXPECT_EQ(tester->_sPath, "Data/fx/copy.fx");
    EXPECT_TRUE(tester->LoadEffect("Data/fx/copy.fx"));
    ui.Frame(Window());

    // Picking a class in "Type" stores it; with no effect (a class that could not be
    // created) even the shown class creates one.
    tester->_pEffect->SetState(State_DemoStoped);
    delete tester->_pEffect;
    tester->_pEffect = nullptr;
    ui.Frame(Window());
    const ImGuiStyle& style = ImGui::GetStyle();
    const float fFrameH = ImGui::GetFrameHeight();
    ImGuiWindow* w = ImGui::FindWindowByName("Effect Tester");
    const ImVec2 combo(w->DC.CursorStartPos.x + 20.0f,
                       w->DC.CursorStartPos.y + fFrameH + 2 * style.ItemSpacing.y + fFrameH * 0.5f);
    ui.Click(combo, Window());
    ImGuiWindow* pList = ImGui::GetCurrentContext()->OpenPopupStack.back().Window;
    ASSERT_NE(pList, nullptr);
    ui.Frame(Window()); // laid out: its scroll range is known
    ImGui::SetScrollY(pList, pList->ScrollMax.y);
    ui.Frame(Window());
    const float y = pList->DC.CursorStartPos.y +
                    RecorderId() * (ImGui::GetTextLineHeight() + style.ItemSpacing.y) +
                    ImGui::GetTextLineHeight() * 0.5f;
    ui.Click(ImVec2(pList->DC.CursorStartPos.x + 10.0f, y), Window());
    ASSERT_NE(Recorder(), nullptr);
    EXPECT_EQ(Recorder()->_fSpeed, 0.5f); // a new effect, not the preset
    EXPECT_EQ(Stored(), RecorderId());
}
