#include "rvPlatform.h"
#include "rvAssert.h"
#include "rvMessage.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <climits>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace rvPlatform
{
namespace
{
std::string g_commandLine;
std::atomic<int64_t> g_uniqueId{0};
} // namespace

void AssertFailed(const char* expr, const char* file, int line)
{
    rvReport(rvMessageKind::Error, "Assertion failed: %s, file %s, line %d", expr, file, line);
    std::abort();
}

void SetCommandLine(int argc, char** argv)
{
    g_commandLine.clear();
    for (int i = 0; i < argc; ++i)
    {
        if (i) g_commandLine += ' ';
        g_commandLine += argv[i];
    }
}

const std::string& GetCommandLine()
{
    return g_commandLine;
}

void MessageBox(const char* text, const char* caption)
{
    const bool bCaption = caption && *caption;
    rvReport(rvMessageKind::Error, "%s%s%s", bCaption ? caption : "", bCaption ? ": " : "", text ? text : "");
}

bool OpenWebPage(const std::string& url)
{
    const char* argv[] = {"xdg-open", url.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0)
        return false;
    // xdg-open hands the page to the browser and returns quickly; reap it so no zombie stays.
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int64_t NextUniqueId()
{
    return ++g_uniqueId;
}

std::string ExecutablePath()
{
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    return n > 0 ? std::string(path, size_t(n)) : std::string();
}

std::string WorkingDirectory()
{
    char path[PATH_MAX];
    return getcwd(path, sizeof(path)) ? std::string(path) : std::string();
}

namespace
{
bool IsFile(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
} // namespace

std::string FindDataRoot(const std::string& workingDirectory, const std::string& executable)
{
    const char* const kArchive = "/Data/Morvane-ZQ4.sts";
    if (!workingDirectory.empty() &&
        (IsFile(workingDirectory + kArchive) || IsFolder(workingDirectory + "/Data")))
        return workingDirectory;
    // The folders above the executable, nearest first ("/a/b/morvane": "/a/b", "/a", "").
    std::string folder = executable;
    for (size_t slash = folder.rfind('/'); slash != std::string::npos; slash = folder.rfind('/'))
    {
        folder.resize(slash);
        if (IsFile(folder + kArchive)) return folder.empty() ? "/" : folder;
    }
    return std::string();
}
} // namespace rvPlatform
