#include "FileBrowser/rvFileBrowser.h"

#include "EditorUI.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace
{
std::vector<std::string> Names(const rvFileBrowser& b)
{
    std::vector<std::string> a;
    for (const auto& e : b._aEntries)
        a.push_back(e._sName);
    return a;
}

// A working directory with a preset folder: a.fx, B.fx, c.FX, notes.txt, folders zz and !x.
struct BrowserFixture : ::testing::Test
{
    BrowserFixture()
    {
        dir.WriteFile("Data/fx/a.fx", "{}");
        dir.WriteFile("Data/fx/B.fx", "{}");
        dir.WriteFile("Data/fx/c.FX", "{}");
        dir.WriteFile("Data/fx/notes.txt", "");
        dir.WriteFile("Data/fx/zz/inner.fx", "{}");
        dir.WriteFile("Data/fx/!x/keep.txt", "");
        dir.WriteFile("top.fx", "{}");
    }
    // A browser created inside a frame (its constructor opens the popup).
    std::unique_ptr<rvFileBrowser> Open(const char* szTitle, const char* szFilter, const std::string& sStart)
    {
        std::unique_ptr<rvFileBrowser> p;
        ui.Frame([&] { p.reset(new rvFileBrowser(szTitle, szFilter, sStart)); });
        return p;
    }
    rvTest::TempWorkDir dir;
    rvTest::EditorUI ui;
};
} // namespace

TEST_F(BrowserFixture, ListsFoldersFirstThenFilteredFilesWithoutRegardToCase)
{
    auto b = Open("Load Effect", ".fx", "Data/fx");
    EXPECT_TRUE(b->_bIsDirectory);
    EXPECT_EQ(b->_Directory, fs::path("Data/fx"));
    // "!x" sorts before ".."; c.FX is left out (the extension keeps case), notes.txt too.
    EXPECT_EQ(Names(*b), (std::vector<std::string>{"!x", "..", "zz", "a.fx", "B.fx"}));
    EXPECT_EQ(b->_aEntries[2]._Path, fs::path("Data/fx/zz"));

    // ".." climbs to Data, whose listing has no ".." of its own.
    b->SetPath(b->_aEntries[1]._Path);
    EXPECT_EQ(b->_Directory, fs::path("Data"));
    EXPECT_EQ(Names(*b), (std::vector<std::string>{"fx"}));

    // An unreadable directory lists only its "..".
    b->Refresh("Data/missing");
    EXPECT_EQ(Names(*b), (std::vector<std::string>{".."}));
}

TEST_F(BrowserFixture, StartPathChoosesDirectoryAndName)
{
    const fs::path cwd = fs::current_path();
    struct Case
    {
        const char* szStart;
        fs::path directory;
        const char* szName;
        bool bIsDirectory;
    } cases[] = {
        {"Data/fx/a.fx", "Data/fx", "a.fx", false}, // an existing file: its folder, its name
        {"Data/fx/gone.fx", cwd, "", true},         // missing: the working directory
        {"", cwd, "", true},
        {"Data/fx/", "Data/fx", "", true}, // a trailing slash names the same folder
        {"top.fx", ".", "top.fx", false},  // a bare name lies in the working directory
    };
    for (const Case& c : cases)
    {
        auto b = Open("Load Effect", ".fx", c.szStart);
        EXPECT_EQ(b->_Directory, c.directory) << c.szStart;
        EXPECT_EQ(b->_sFileName, c.szName) << c.szStart;
        EXPECT_EQ(b->_bIsDirectory, c.bIsDirectory) << c.szStart;
    }
    // With a trailing slash ".." still leads one level up.
    auto b = Open("Load Effect", ".fx", "Data/fx/");
    EXPECT_EQ(b->_aEntries[1]._sName, "..");
    EXPECT_EQ(b->_aEntries[1]._Path, fs::path("Data"));
}

TEST_F(BrowserFixture, EnterInTheNameBoxAcceptsWithTheFilterExtension)
{
    struct Case
    {
        const char* szTyped;
        bool bAccepted;
        const char* szResult;
    } cases[] = {
        {"scene", true, "Data/fx/scene.seq"},
        {"scene.txt", true, "Data/fx/scene.seq"}, // another extension is replaced
        {"sub/other", true, "Data/fx/other.seq"}, // typed folders are dropped
        {"sub/", false, ""},                      // names no file: stays open
        {"", false, ""},                          // empty box: nothing happens
    };
    for (const Case& c : cases)
    {
        auto b = Open("Save Sequence", ".seq", "Data/fx");
        std::string sOut = "unchanged";
        bool bDone = false;
        auto draw = [&] { bDone = bDone || b->Draw(sOut); };
        ui.Frame(draw); // the box takes the keyboard focus
        ui.Frame(draw);
        rvTest::EditorUI::Type(c.szTyped);
        ui.Frame(draw);
        bool bStillOpen = false;
        ui.Press(257,
                 [&]
                 {
                     draw();
                     bStillOpen = ImGui::IsPopupOpen("Save Sequence");
                 });
        EXPECT_EQ(bDone, c.bAccepted) << c.szTyped;
        EXPECT_EQ(sOut, c.bAccepted ? c.szResult : "unchanged") << c.szTyped;
        EXPECT_EQ(bStillOpen, !c.bAccepted) << c.szTyped;
    }
}

TEST_F(BrowserFixture, CancelEmptiesTheResultAndClosesThePopup)
{
    auto b = Open("Load Effect", ".fx", "Data/fx/a.fx");
    std::string sOut = "Data/fx/a.fx";
    int nTrue = 0;
    bool bOpen = true;
    auto draw = [&]
    {
        if (b->Draw(sOut)) ++nTrue;
        bOpen = ImGui::IsPopupOpen("Load Effect");
    };
    ui.Frame(draw);
    ui.Frame(draw);
    ASSERT_TRUE(bOpen);
    ui.Click(rvTest::EditorUI::LastButtonOf("Load Effect"), draw);
    EXPECT_EQ(nTrue, 1);
    EXPECT_EQ(sOut, "");
    // Not left open behind the deleted browser, where it would block every other window.
    EXPECT_FALSE(bOpen);
}

TEST_F(BrowserFixture, ClickingEntersFoldersAndDoubleClickAcceptsAFile)
{
    auto b = Open("Load Effect", ".fx", "Data/fx");
    std::string sOut;
    bool bDone = false;
    auto draw = [&] { bDone = b->Draw(sOut) || bDone; };
    ui.Frame(draw);
    ui.Frame(draw);
    // Entries are one text line apart inside the list box, below the heading.
    // The list box is the popup's child window.
    ImGuiWindow* pPopup = ImGui::FindWindowByName("Load Effect");
    ImGuiWindow* pList = nullptr;
    for (ImGuiWindow* w : ImGui::GetCurrentContext()->Windows)
        if (w->ParentWindow == pPopup && (w->Flags & ImGuiWindowFlags_ChildWindow)) pList = w;
    ASSERT_NE(pList, nullptr);
    const float fLine = ImGui::GetTextLineHeightWithSpacing();
    auto rowCentre = [&](int i)
    {
        return ImVec2(pList->Pos.x + 40.0f,
                      pList->Pos.y + ImGui::GetStyle().FramePadding.y + fLine * (i + 0.5f));
    };

    ui.Click(rowCentre(2), draw); // [zz]
    EXPECT_EQ(b->_Directory, fs::path("Data/fx/zz"));
    EXPECT_EQ(Names(*b), (std::vector<std::string>{"..", "inner.fx"}));
    ui.Click(rowCentre(1), draw); // inner.fx: chosen, not accepted
    EXPECT_EQ(b->_sFileName, "inner.fx");
    EXPECT_FALSE(bDone);
    ui.Click(rowCentre(1), draw); // the second click of a double click
    EXPECT_TRUE(bDone);
    EXPECT_EQ(sOut, "Data/fx/zz/inner.fx");
}
