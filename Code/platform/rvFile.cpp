#include "rvFile.h"

#include "rvMessage.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

bool rvSaveFile(const std::string& path, const std::string& bytes)
{
    const std::string temp = path + ".saving";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f)
    {
        rvReport(rvMessageKind::Error, "cannot save \"%s\": %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    int error = 0;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) error = errno;
    if (std::fflush(f) != 0 && !error) error = errno;
    // On the disk before the rename: a crash right after it must not leave an empty file.
    if (!error && fsync(fileno(f)) != 0) error = errno;
    if (std::fclose(f) != 0 && !error) error = errno;
    if (!error && std::rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (!error) return true;
    std::remove(temp.c_str());
    rvReport(rvMessageKind::Error, "cannot save \"%s\": %s\n", path.c_str(), std::strerror(error ? error : EIO));
    return false;
}
