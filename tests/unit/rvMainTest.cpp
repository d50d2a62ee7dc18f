#include "rvMain.h"
#include "rvMainWindow.h"
#include "TestSupport.h"

#include <GLFW/glfw3.h>
#include <imgui.h>

TEST(Main, WindowSizeComesFromTheWholeCommandLine)
{
    struct Case
    {
        const char* commandLine;
        int w, h;
    } cases[] = {
        {"/usr/bin/morvane", 1920, 1080},
        {"/usr/bin/morvane 720p", 1280, 720},
        {"/usr/bin/morvane --size=x720p", 1280, 720}, // anywhere, also inside an argument
        {"/opt/720p/morvane", 1280, 720},             // the program path counts too
        {"/usr/bin/morvane 720 p", 1920, 1080},
        {"/usr/bin/morvane 720P", 1920, 1080},
    };
    for (const Case& c : cases)
    {
        int w = 0, h = 0;
        rvMain::WindowSizeForCommandLine(c.commandLine, w, h);
        EXPECT_EQ(w, c.w) << c.commandLine;
        EXPECT_EQ(h, c.h) << c.commandLine;
    }
}

TEST(Main, FrameDeltaIsLimitedAboveOnly)
{
    EXPECT_FLOAT_EQ(rvMain::ClampFrameDelta(1.f / 60.f), 1.f / 60.f);
    EXPECT_FLOAT_EQ(rvMain::ClampFrameDelta(4.5f), 0.1f); // a stall
    EXPECT_FLOAT_EQ(rvMain::ClampFrameDelta(0.f), 0.f);
    EXPECT_FLOAT_EQ(rvMain::ClampFrameDelta(-0.5f), -0.5f);
}

TEST(Main, TestHookReadsItsWordsAndIgnoresTheRest)
{
    EXPECT_FALSE(rvMain::ParseTestHook(nullptr).bOn);
    struct Case
    {
        const char* text;
        float slow, end, slowLoad;
    } cases[] = {
        {"", 0.f, -1.f, 0.f},
        {"slow=0.25 end=4", 0.25f, 4.f, 0.f},
        {"  end=2.5   slow=1 ", 1.f, 2.5f, 0.f},
        {"slowload=0.2 end=3", 0.f, 3.f, 0.2f},
        {"slow=11 end=-1 slowload=10.5", 0.f, -1.f, 0.f},     // out of range
        {"slow=nan end=inf slowload=-0.1", 0.f, -1.f, 0.f},   // not finite, negative
        {"slow=0.2s end= fast=1 end slowloads=1", 0.f, -1.f, 0.f}, // not numbers, unknown words
    };
    for (const Case& c : cases)
    {
        const rvMain::TestHook hook = rvMain::ParseTestHook(c.text);
        EXPECT_TRUE(hook.bOn) << c.text;
        EXPECT_FLOAT_EQ(hook.fSlowFrame, c.slow) << c.text;
        EXPECT_FLOAT_EQ(hook.fEnd, c.end) << c.text;
        EXPECT_FLOAT_EQ(hook.fSlowLoadStep, c.slowLoad) << c.text;
    }
}

TEST(Main, PresentIsPausedByTheTimelineOrByAStandingClock)
{
    EXPECT_FALSE(rvMain::PresentPaused(true, true, 0.f));
    EXPECT_TRUE(rvMain::PresentPaused(true, false, 0.016f));
    EXPECT_TRUE(rvMain::PresentPaused(false, true, 0.f)); // "Sequencer" off, no time passed
    EXPECT_FALSE(rvMain::PresentPaused(false, false, 0.016f));
}

TEST(Main, WindowedPositionFallsBackOnlyForTheUnsetMarker)
{
    EXPECT_EQ(rvMain::WindowedPosition(rvMain::UnsetWindowPosition), 50);
    EXPECT_EQ(rvMain::WindowedPosition(0), 0);
    EXPECT_EQ(rvMain::WindowedPosition(-20), -20);
    EXPECT_EQ(rvMain::WindowedPosition(300), 300);
}

TEST(Main, TimelineEndIsItsLastFrameOverSixty)
{
    EXPECT_FALSE(rvMain::TimelineReachedEnd(9.99f, 600));
    EXPECT_TRUE(rvMain::TimelineReachedEnd(10.0f, 600));
    EXPECT_TRUE(rvMain::TimelineReachedEnd(10.5f, 600));
    EXPECT_TRUE(rvMain::TimelineReachedEnd(0.f, 0)); // an empty timeline is over at once
    EXPECT_FALSE(rvMain::TimelineReachedEnd(1.99f, 120));
    // The time a timeline stops on at its end counts as ended, whatever its length.
    for (int frames : {600, 3686, 5530, 6451, 7373})
        EXPECT_TRUE(rvMain::TimelineReachedEnd(float(frames) / 60.0f, frames)) << frames;
}

TEST(Main, FrameLogTimesEachFrameToTheNextOneAndReadsBack)
{
    rvMain::FrameLog log;
    EXPECT_EQ(log.Text(), "");
    log.Add(10.0, 0.0f);
    log.Add(10.016, 0.0166f);
    log.Add(10.066, 0.0666f); // a slow frame follows: it lasts until the next start
    log.Add(10.166, 0.1666f); // the last frame has no end: left out
    EXPECT_EQ(log.Text(), "0.0000 16.000\n0.0166 50.000\n0.0666 100.000\n");

    const auto frames =
        rvMain::FrameLog::Parse(log.Text() + "garbage\n1.0\n2.0 nan\n3.0 -1\n4.0 5.0 6.0\n5.0 7.5x\n 6.5 8.25 \n");
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_DOUBLE_EQ(frames[1].first, 0.0166);
    EXPECT_DOUBLE_EQ(frames[1].second, 50.0);
    EXPECT_DOUBLE_EQ(frames[2].second, 100.0);
    EXPECT_DOUBLE_EQ(frames[3].first, 6.5);
    EXPECT_DOUBLE_EQ(frames[3].second, 8.25);
}

TEST(Main, WeightedMedianCountsWhatEachSampleStandsFor)
{
    using VW = std::vector<std::pair<double, double>>;
    // Equal weights: the middle value, the upper one of an even count, whatever the order.
    EXPECT_EQ(rvMain::WeightedMedian(VW{{3, 1}, {1, 1}, {2, 1}}), 2.0);
    EXPECT_EQ(rvMain::WeightedMedian(VW{{4, 2}, {1, 2}, {3, 2}, {2, 2}}), 3.0);
    EXPECT_EQ(rvMain::WeightedMedian(VW{}), 0.0);
    EXPECT_EQ(rvMain::WeightedMedian(VW{{7, 0}, {8, -1}}), 0.0);
    EXPECT_EQ(rvMain::WeightedMedian(VW{{9, 0}, {5, 1}}), 5.0); // what weighs nothing is not the median

    // A fixed-step report of a section that is cheap for its first second (20 steps of 5 ms) and
    // dear for the next four (80 steps of 30 ms). Counted by steps, the dear frames are the median;
    // the player shows 50/5 = 10 frames in each cheap step and 50/30 in each dear one, so most of
    // its frames are cheap: weighted by step over cost, the report finds the player's median.
    VW steps;
    for (int i = 0; i < 20; ++i)
        steps.push_back({5.0, 50.0 / 5.0});
    for (int i = 0; i < 80; ++i)
        steps.push_back({30.0, 50.0 / 30.0});
    EXPECT_EQ(rvMain::WeightedMedian(steps), 5.0);
    for (auto& s : steps)
        s.second = 1.0;
    EXPECT_EQ(rvMain::WeightedMedian(steps), 30.0);
}

TEST(Main, TimelineEndClosesOnlyThePlayer)
{
    // (escape, timeline at end, editor drawn) -> close
    EXPECT_TRUE(rvMain::ShouldCloseWindow(true, false, false));
    EXPECT_TRUE(rvMain::ShouldCloseWindow(true, false, true));
    EXPECT_TRUE(rvMain::ShouldCloseWindow(false, true, false));
    EXPECT_FALSE(rvMain::ShouldCloseWindow(false, true, true)); // play head moved to the end in the editor
    EXPECT_FALSE(rvMain::ShouldCloseWindow(false, false, false));
}

TEST(Main, EscapeCountsOnlyInTheFrameItWentDown)
{
    rvTest::ImGuiHeadless imgui;
    ImGuiIO& io = ImGui::GetIO();
    imgui.NewFrame();
    EXPECT_FALSE(rvMain::EscapeDownDurationIsZero());
    imgui.EndFrame();

    io.KeysDown[rvMain::EscapeKey] = true;
    imgui.NewFrame();
    EXPECT_TRUE(rvMain::EscapeDownDurationIsZero());
    imgui.EndFrame();

    imgui.NewFrame(); // still held
    EXPECT_FALSE(rvMain::EscapeDownDurationIsZero());
    imgui.EndFrame();

    io.KeysDown[rvMain::EscapeKey] = false;
    imgui.NewFrame();
    EXPECT_FALSE(rvMain::EscapeDownDurationIsZero());
    imgui.EndFrame();
}

TEST(Main, OnlyGlfwsIconifyNoticeIsSilenced)
{
    const char* iconify = "X11: Iconification of full screen windows requires a WM that supports EWMH full screen";
    struct Case
    {
        int code;
        const char* text;
        bool notice;
    } cases[] = {
        {GLFW_PLATFORM_ERROR, iconify, true},
        {GLFW_PLATFORM_ERROR, "X11: Failed to open display", false},
        {GLFW_API_UNAVAILABLE, iconify, false},
        {GLFW_PLATFORM_ERROR, "X11: Iconification", false}, // only the start of it
        {GLFW_PLATFORM_ERROR, nullptr, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rvMain::IsGlfwNotice(c.code, c.text), c.notice) << (c.text ? c.text : "(null)");
}
