// Saves never destroy the file they replace: a write that fails midway (a size limit on the
// process, a directory where the temporary file goes) leaves the old bytes, and the caller
// learns it.
#include "Factory/Factory.h"
#include "Factory/fxBase.h"
#include "Factory/rvpersist.h"
#include "Sequencer/rvSequence.h"
#include "TestSupport.h"
#include "rvFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
const std::string kOld = "old bytes that must survive\n";

// Runs fn in a child process whose files may grow to at most `limit` bytes; its result.
bool InChildWithFileLimit(rlim_t limit, const std::function<bool()>& fn)
{
    const pid_t pid = fork();
    if (pid == 0)
    {
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails with EFBIG instead
        const rlimit r{limit, limit};
        setrlimit(RLIMIT_FSIZE, &r);
        _exit(fn() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class Settings : public rvpersist
{
public:
    Settings() : rvpersist("Settings") { AddString("s", &_s); }
    std::string _s = std::string(4000, 'x');
};
} // namespace

TEST(SaveFile, FailedWritesLeaveTheOldBytes)
{
    rvTest::TempWorkDir dir;
    dir.WriteFile("a.txt", kOld);
    // A write limit below the new size: the write fails midway.
    EXPECT_FALSE(InChildWithFileLimit(64, [] { return rvSaveFile("a.txt", std::string(10000, 'n')); }));
    EXPECT_EQ(dir.ReadFile("a.txt"), kOld);
    EXPECT_FALSE(std::filesystem::exists("a.txt.saving"));
    // A directory where the temporary file goes.
    std::filesystem::create_directory("a.txt.saving");
    EXPECT_FALSE(rvSaveFile("a.txt", "new"));
    EXPECT_EQ(dir.ReadFile("a.txt"), kOld);
    std::filesystem::remove("a.txt.saving");
    // A save that succeeds replaces the file and leaves nothing beside it.
    EXPECT_TRUE(InChildWithFileLimit(64, [] { return rvSaveFile("a.txt", "new"); }));
    EXPECT_EQ(dir.ReadFile("a.txt"), "new");
    EXPECT_FALSE(std::filesystem::exists("a.txt.saving"));
}

// Every save of the program goes through it: timelines, presets and persisted objects.
TEST(SaveFile, TimelinePresetAndPersistedSavesKeepTheOldFile)
{
    rvTest::TempWorkDir dir;
    std::unique_ptr<fxBase> fx(fxBase::Create(fxBase::GetDescriptor()));
    rvSequence seq(false);
    Settings settings;
    const struct
    {
        const char* path;
        std::function<bool()> save;
    } savers[] = {
        {"t.seq", [&] { return seq.SaveSequence("t.seq"); }},
        {"p.fx", [&] { return Factory::SavePreset(fx.get(), "p.fx"); }},
        {"Data/Settings.json", [&] { return settings.SaveFile(); }},
    };
    for (const auto& s : savers)
    {
        dir.WriteFile(s.path, kOld);
        EXPECT_FALSE(InChildWithFileLimit(16, s.save)) << s.path;
        EXPECT_EQ(dir.ReadFile(s.path), kOld) << s.path;
        EXPECT_TRUE(s.save()) << s.path;
        EXPECT_NE(dir.ReadFile(s.path), kOld) << s.path;
    }
}

// A cut document loads nothing: not half of a persisted object (nor half an effect: see the
// preset round trip of the factory's tests).
TEST(SaveFile, CutDocumentsLoadNothing)
{
    rvTest::TempWorkDir dir;
    dir.WriteFile("Data/Settings.json", R"({"Settings": {"s": "half", )");
    Settings settings;
    settings.LoadFile();
    EXPECT_EQ(settings._s, std::string(4000, 'x'));
}
