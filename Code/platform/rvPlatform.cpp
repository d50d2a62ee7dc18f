#include "rvPlatform.h"
#include "rvAssert.h"
#include "rvMessage.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
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
} // namespace rvPlatform
