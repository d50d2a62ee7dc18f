// Saves never destroy the file they replace: a write that fails midway (a size limit on the
// process, no room for the temporary file) leaves the old bytes, and the caller learns it.
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
#include <set>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>
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

std::set<std::string> DirNames(const std::string& dir)
{
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

unsigned ModeOf(const char* path)
{
    struct stat st
    {
    };
    return stat(path, &st) == 0 ? st.st_mode & 07777 : ~0u;
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
    EXPECT_EQ(DirNames("."), std::set<std::string>{"a.txt"});
    // A folder with no room for a temporary file (a file in the way of the folder's path).
    dir.WriteFile("d", "");
    EXPECT_FALSE(rvSaveFile("d/a.txt", "new"));
    // A save that succeeds replaces the file and leaves nothing beside it.
    EXPECT_TRUE(InChildWithFileLimit(64, [] { return rvSaveFile("a.txt", "new"); }));
    EXPECT_EQ(dir.ReadFile("a.txt"), "new");
    EXPECT_EQ(DirNames("."), (std::set<std::string>{"a.txt", "d"}));
}

// What stands at or around the target: the mode of the old file is kept (a new file gets 0666
// less the umask), a symbolic link stays a link and the file it leads to gets the bytes, a
// read-only file is refused with a message, and a link planted at the old fixed temporary name
// leads nowhere.
TEST(SaveFile, KeepsModeLinksAndReadOnlyFiles)
{
    rvTest::TempWorkDir dir;
    const mode_t oldMask = umask(022);
    for (const mode_t mode : {0600, 0640, 0755})
    {
        dir.WriteFile("m.txt", kOld);
        chmod("m.txt", mode);
        EXPECT_TRUE(rvSaveFile("m.txt", "new"));
        EXPECT_EQ(ModeOf("m.txt"), mode) << std::oct << mode;
        EXPECT_EQ(dir.ReadFile("m.txt"), "new");
    }
    EXPECT_TRUE(rvSaveFile("fresh.txt", "new"));
    EXPECT_EQ(ModeOf("fresh.txt"), 0644u);
    umask(oldMask);

    // Links: absolute, relative to the link's own folder, a chain, and one to no file yet.
    dir.WriteFile("real.txt", kOld);
    dir.WriteFile("sub/inner.txt", kOld);
    const std::string abs = std::filesystem::absolute("real.txt").string();
    std::filesystem::create_symlink(abs, "abs.lnk");
    std::filesystem::create_symlink("inner.txt", "sub/rel.lnk");
    std::filesystem::create_symlink("sub/rel.lnk", "chain.lnk");
    std::filesystem::create_symlink("later.txt", "dangling.lnk");
    const struct
    {
        const char* link;
        const char* file;
    } links[] = {{"abs.lnk", "real.txt"},
                 {"sub/rel.lnk", "sub/inner.txt"},
                 {"chain.lnk", "sub/inner.txt"},
                 {"dangling.lnk", "later.txt"}};
    for (const auto& l : links)
    {
        const std::string bytes = std::string("through ") + l.link;
        EXPECT_TRUE(rvSaveFile(l.link, bytes)) << l.link;
        EXPECT_TRUE(std::filesystem::is_symlink(l.link)) << l.link;
        EXPECT_EQ(dir.ReadFile(l.file), bytes) << l.link;
    }

    // Read-only: refused, named, kept (root too: the mode bits decide).
    dir.WriteFile("ro.txt", kOld);
    chmod("ro.txt", 0444);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(rvSaveFile("ro.txt", "new"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "morvane: error: cannot save \"ro.txt\": the file is read-only\n");
    EXPECT_EQ(dir.ReadFile("ro.txt"), kOld);

    // A link planted where an older save put its temporary file.
    dir.WriteFile("victim.txt", kOld);
    std::filesystem::create_symlink("victim.txt", "t.txt.saving");
    EXPECT_TRUE(rvSaveFile("t.txt", "new"));
    EXPECT_EQ(dir.ReadFile("victim.txt"), kOld);
    EXPECT_EQ(dir.ReadFile("t.txt"), "new");
}

// Two processes saving the same file over and over while a third reads it: every read finds
// one whole version, every save succeeds, and no temporary file is left.
TEST(SaveFile, ConcurrentSavesEachLandWhole)
{
    rvTest::TempWorkDir dir;
    const std::string a(150000, 'a'), b(230000, 'b');
    dir.WriteFile("c.txt", a);
    const int kRounds = 60;
    pid_t writers[2];
    for (int w = 0; w < 2; ++w)
    {
        writers[w] = fork();
        if (writers[w] == 0)
        {
            bool ok = true;
            for (int i = 0; i < kRounds; ++i)
                ok = rvSaveFile("c.txt", w ? b : a) && ok;
            _exit(ok ? 0 : 1);
        }
    }
    int torn = 0, reads = 0, running = 2;
    int status[2] = {0, 0};
    while (running)
    {
        const std::string seen = dir.ReadFile("c.txt");
        ++reads;
        if (seen != a && seen != b) ++torn;
        for (int w = 0; w < 2; ++w)
            if (writers[w] && waitpid(writers[w], &status[w], WNOHANG) == writers[w])
            {
                writers[w] = 0;
                --running;
            }
    }
    EXPECT_EQ(torn, 0) << "of " << reads << " reads";
    for (int w = 0; w < 2; ++w)
        EXPECT_TRUE(WIFEXITED(status[w]) && WEXITSTATUS(status[w]) == 0) << w;
    const std::string last = dir.ReadFile("c.txt");
    EXPECT_TRUE(last == a || last == b);
    EXPECT_EQ(DirNames("."), std::set<std::string>{"c.txt"});
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
