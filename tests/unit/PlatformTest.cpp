#include "rvAssert.h"
#include "rvMessage.h"
#include "rvPlatform.h"
#include "TestSupport.h"

#include <imgui.h>

#include <functional>

TEST(Platform, CommandLineJoinsArgumentsWithBlanks)
{
    char a0[] = "/usr/bin/morvane", a1[] = "720p", a2[] = "x";
    char* argv[] = {a0, a1, a2};
    rvPlatform::SetCommandLine(3, argv);
    EXPECT_EQ(rvPlatform::GetCommandLine(), "/usr/bin/morvane 720p x");
    rvPlatform::SetCommandLine(1, argv);
    EXPECT_EQ(rvPlatform::GetCommandLine(), "/usr/bin/morvane");
}

TEST(Platform, UniqueIdsIncrease)
{
    int64_t a = rvPlatform::NextUniqueId();
    int64_t b = rvPlatform::NextUniqueId();
    EXPECT_GT(b, a);
}

TEST(Platform, DataRootIsTheWorkingFolderOrTheRepositoryAboveTheProgram)
{
    rvTest::TempWorkDir dir;
    const std::string t = dir.Path();
    dir.WriteFile("repo/Data/Morvane-ZQ4.sts", "archive");
    dir.WriteFile("repo/build/morvane", "program");
    dir.WriteFile("elsewhere/morvane", "a copy of the program");
    dir.WriteFile("other/notes.txt", "");
    dir.WriteFile("fixture/Data/Audio/e2e.mp3", ""); // a data folder without its archive
    dir.WriteFile("fake/Data/Morvane-ZQ4.sts/x", "");  // a folder, not the archive
    dir.WriteFile("fake/build/morvane", "");
    struct Case
    {
        std::string cwd, exe, root;
    } cases[] = {
        {t + "/repo", t + "/repo/build/morvane", t + "/repo"},       // from the root, as ./run.sh runs it
        {t + "/other", t + "/repo/build/morvane", t + "/repo"},      // from another folder
        {t + "/repo/build", t + "/repo/build/morvane", t + "/repo"}, // from the build folder
        {t + "/other", t + "/repo/morvane", t + "/repo"},            // built into the root itself
        {t + "/fixture", t + "/repo/build/morvane", t + "/fixture"}, // a data folder: its archive is missing
        {t + "/other", t + "/elsewhere/morvane", ""},                // nowhere
        {t + "/other", t + "/fake/build/morvane", ""},
        {"", t + "/repo/build/morvane", t + "/repo"}, // working folder unknown
    };
    for (const Case& c : cases)
        EXPECT_EQ(rvPlatform::FindDataRoot(c.cwd, c.exe), c.root) << c.cwd << " " << c.exe;
    EXPECT_EQ(rvPlatform::WorkingDirectory(), t);
    EXPECT_NE(rvPlatform::ExecutablePath().find("unit_tests"), std::string::npos);
}

TEST(PlatformDeathTest, AssertionReportsExpressionFileAndLine)
{
    int x = 1;
    EXPECT_DEATH(rvAssert(x == 2), "Assertion failed: x == 2, file .*PlatformTest\\.cpp, line [0-9]+");
}

TEST(Platform, MessagesGoToStderrWithOnePrefixScheme)
{
    struct Case
    {
        std::function<void()> report;
        const char* expected;
    } cases[] = {
        {[] { rvReport(rvMessageKind::Error, "Glfw Error %d: %s", 7, "no"); },
         "morvane: error: Glfw Error 7: no\n"},
        {[] { rvReport(rvMessageKind::Warning, "%s\n", "no"); },
         "morvane: warning: no\n"}, // no second newline
        {[] { rvReport(rvMessageKind::Error, "%s", ""); }, "morvane: error: \n"},
        {[] { rvReport(rvMessageKind::Error, "log:\n%s", "no"); }, "morvane: error: log:\nno\n"},
    };
    for (const Case& c : cases)
    {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        c.report();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.expected);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    }
    // The message box of the platforms without one is an error line with its caption.
    testing::internal::CaptureStderr();
    rvPlatform::MessageBox("Can't play file\n(error code: 2)", "");
    rvPlatform::MessageBox("text", "Title");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "morvane: error: Can't play file\n(error code: 2)\nmorvane: error: Title: text\n");
}

TEST(TestSupport, HeadlessImGuiBuildsAWindow)
{
    rvTest::ImGuiHeadless gui;
    gui.NewFrame();
    bool open = ImGui::Begin("Probe");
    ImGui::Text("hello");
    ImGui::End();
    gui.EndFrame();
    EXPECT_TRUE(open);
}

TEST(TestSupport, TempWorkDirIsCurrentAndRemoved)
{
    std::string path;
    {
        rvTest::TempWorkDir dir;
        path = dir.Path();
        dir.WriteFile("Data/a.txt", "abc");
        EXPECT_EQ(dir.ReadFile("Data/a.txt"), "abc");
        FILE* f = fopen("./Data/a.txt", "rb");
        ASSERT_NE(f, nullptr);
        fclose(f);
    }
    FILE* f = fopen((path + "/Data/a.txt").c_str(), "rb");
    EXPECT_EQ(f, nullptr);
}
