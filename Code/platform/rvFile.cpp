#include "rvFile.h"

#include "rvMessage.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// The file a save writes: the path itself, or the file a symbolic link at the path leads to
// (through a chain of links, each relative one read from the folder of its link). The link
// stays a link.
std::string ResolveLinks(std::string path)
{
    for (int depth = 0; depth < 40; ++depth)
    {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        char buf[4096];
        const ssize_t n = readlink(path.c_str(), buf, sizeof(buf) - 1);
        if (n <= 0) return path;
        std::string link(buf, static_cast<size_t>(n));
        if (link[0] != '/')
        {
            const size_t slash = path.rfind('/');
            if (slash != std::string::npos) link = path.substr(0, slash + 1) + link;
        }
        path = link;
    }
    return path; // a loop: the rename below fails on it, and says so
}

// Creates a temporary file of a name no other save (of this or another process) uses, beside
// the target; never through a link planted there (O_EXCL). The mode is 0666 less the umask,
// as a new file would get. Its descriptor, or -1 with errno set.
int CreateUniqueTemp(const std::string& target, std::string& temp)
{
    static std::atomic<unsigned> s_counter{0};
    const unsigned long long seed =
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        (static_cast<unsigned long long>(getpid()) << 32);
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        char suffix[64];
        std::snprintf(suffix, sizeof(suffix), ".%d-%u-%llx.saving", static_cast<int>(getpid()), s_counter++,
                      (seed * 6364136223846793005ull + static_cast<unsigned>(attempt)) >> 40);
        temp = target + suffix;
        const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size())
    {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
        {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool Fail(const std::string& path, const char* cause)
{
    rvReport(rvMessageKind::Error, "cannot save \"%s\": %s\n", path.c_str(), cause);
    return false;
}
} // namespace

bool rvSaveFile(const std::string& path, const std::string& bytes)
{
    const std::string target = ResolveLinks(path);
    struct stat st;
    const bool exists = stat(target.c_str(), &st) == 0;
    // A read-only file is not replaced behind its owner's back (root's access() ignores the
    // mode bits, hence both tests).
    if (exists && S_ISREG(st.st_mode) && ((st.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0))
        return Fail(path, "the file is read-only");

    std::string temp;
    const int fd = CreateUniqueTemp(target, temp);
    if (fd < 0) return Fail(path, std::strerror(errno));
    int error = 0;
    if (exists && S_ISREG(st.st_mode))
    {
        // The new file keeps the old one's owner where that is allowed (root saving a user's
        // file), and its mode.
        if ((st.st_uid != geteuid() || st.st_gid != getegid()) && fchown(fd, st.st_uid, st.st_gid) != 0 &&
            errno != EPERM)
            error = errno;
        if (!error && fchmod(fd, st.st_mode & 07777) != 0) error = errno;
    }
    if (!error && !WriteAll(fd, bytes)) error = errno;
    // On the disk before the rename: a crash right after it must not leave an empty file.
    if (!error && fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && !error) error = errno;
    if (!error && std::rename(temp.c_str(), target.c_str()) != 0) error = errno;
    if (!error) return true;
    unlink(temp.c_str());
    return Fail(path, std::strerror(error ? error : EIO));
}
