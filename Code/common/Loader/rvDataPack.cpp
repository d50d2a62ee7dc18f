#include "Loader/rvDataPack.h"

#include <physfs.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <system_error>

namespace
{
const char* const kProgramName = "Morvane-ZQ4";
const char* const kArchivePath = "Data/Morvane-ZQ4.sts";
const char* const kArchivePassword = "Nine grey herons wait beside the river.";
const char* const kPasswordSeparator = "$";
// Entries are read in pieces of this size, the buffer growing with what arrives.
const size_t kReadChunk = size_t(1) << 20;
// Deflate turns at most 1032 bytes out of one stored byte; other methods store less densely.
const int64_t kMaxInflateRatio = 1032;

// Every read ends here: the count goes to whoever listens (the loading bar).
void Report(const std::string& path, bool forceOS, int bytes)
{
    if (rvDataPack::_pfnReport) rvDataPack::_pfnReport(path, bytes, forceOS);
}

// Frees a PhysicsFS handle on every path out of a read.
struct PhysFile
{
    PHYSFS_File* f;
    ~PhysFile()
    {
        if (f) PHYSFS_close(f);
    }
};

struct StdFile
{
    FILE* f;
    ~StdFile()
    {
        if (f) std::fclose(f);
    }
};
} // namespace

int64_t rvDataPack::MaxEntryBytes(int64_t archiveBytes)
{
    if (archiveBytes <= 0) return INT_MAX;
    return archiveBytes > INT_MAX / kMaxInflateRatio ? INT_MAX : archiveBytes * kMaxInflateRatio;
}

void (*rvDataPack::_pfnReport)(const std::string& path, int bytes, bool disk) = nullptr;

// ---------------------------------------------------------------------------------------------
// rvDataPack
// ---------------------------------------------------------------------------------------------

rvDataPack* rvDataPack::GetInstance()
{
    static rvDataPack* s_pInstance = []
    {
        rvDataPack* pack = new rvDataPack();
        if (!PHYSFS_isInit()) PHYSFS_init(kProgramName);
        if (PHYSFS_isInit() && PHYSFS_mount(kArchivePath, nullptr, 1))
        {
            pack->_sPassword = kArchivePassword;
            std::error_code error;
            const auto size = std::filesystem::file_size(kArchivePath, error);
            if (!error) pack->_nArchiveBytes = static_cast<int64_t>(size);
        }
        else
        {
            // Kept for the caller that cannot go on without the archive (the player names it).
            const char* why = PHYSFS_getErrorByCode(PHYSFS_getLastErrorCode());
            pack->_sMountError = why && *why ? why : "cannot be mounted";
        }
        return pack;
    }();
    return s_pInstance;
}

const char* rvDataPack::ArchivePath()
{
    return kArchivePath;
}

void rvDataPack::NormalizePath(std::string& path)
{
    if (path.empty()) return;
    if (path[0] == '.') path.erase(0, 1);
    for (char& c : path)
        if (c == '\\') c = '/';
}

template <class Vec> bool rvDataPack::ReadArchive(const std::string& path, Vec& bytes)
{
    std::string name = path;
    NormalizePath(name);
    if (!PHYSFS_isInit() || name.empty() || !PHYSFS_exists(name.c_str())) return false;
    if (!_sPassword.empty()) name += kPasswordSeparator + _sPassword;

    PhysFile file{PHYSFS_openRead(name.c_str())};
    if (!file.f) return false;
    // The length an entry declares is only a claim: no entry inflates to more than the deflate
    // ratio allows of the whole archive, and the buffer grows with the bytes that really arrive,
    // so a lying entry costs what its data holds, not what it says.
    const PHYSFS_sint64 length = PHYSFS_fileLength(file.f);
    if (length < 0 || length > INT_MAX || length > MaxEntryBytes(_nArchiveBytes)) return false;
    const size_t total = static_cast<size_t>(length);
    Vec read;
    read.reserve(std::min(total, kReadChunk));
    while (read.size() < total)
    {
        const size_t at = read.size();
        const size_t n = std::min(kReadChunk, total - at);
        read.resize(at + n);
        // A truncated or corrupt entry (or a wrong password that slipped past the check
        // byte) delivers fewer bytes than its length: that is a failed read.
        if (PHYSFS_readBytes(file.f, read.data() + at, n) != static_cast<PHYSFS_sint64>(n)) return false;
    }
    bytes.swap(read);
    return true;
}

template <class Vec> bool rvDataPack::ReadDisk(const std::string& path, Vec& bytes)
{
    StdFile file{std::fopen(path.c_str(), "rb")};
    if (!file.f) return false;
    if (std::fseek(file.f, 0, SEEK_END) != 0) return false;
    long length = std::ftell(file.f);
    if (length < 0 || length > INT_MAX || std::fseek(file.f, 0, SEEK_SET) != 0) return false;
    Vec read(static_cast<size_t>(length));
    if (length > 0 &&
        std::fread(read.data(), 1, static_cast<size_t>(length), file.f) != static_cast<size_t>(length))
        return false;
    bytes.swap(read);
    return true;
}

template <class Vec> bool rvDataPack::Read(const std::string& path, Vec& bytes, bool forceOS)
{
    return forceOS ? ReadDisk(path, bytes) : ReadArchive(path, bytes);
}

uint8_t* rvDataPack::ReadAll(const std::string& path, int& size, bool forceOS)
{
    size = 0;
    std::vector<uint8_t> bytes;
    if (!Read(path, bytes, forceOS))
    {
        Report(path, forceOS, 0);
        return nullptr;
    }
    uint8_t* out = new uint8_t[bytes.size()];
    if (!bytes.empty()) std::copy(bytes.begin(), bytes.end(), out);
    size = static_cast<int>(bytes.size());
    Report(path, forceOS, size);
    return out;
}

bool rvDataPack::ReadInto(const std::string& path, std::vector<uint8_t>& data, bool forceOS)
{
    bool ok = Read(path, data, forceOS);
    Report(path, forceOS, ok ? static_cast<int>(data.size()) : 0);
    return ok;
}

bool rvDataPack::ReadInto(const std::string& path, std::vector<char>& data, bool forceOS)
{
    bool ok = Read(path, data, forceOS);
    Report(path, forceOS, ok ? static_cast<int>(data.size()) : 0);
    return ok;
}

FILE* rvDataPack::OpenAsFILE(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* out = nullptr;
    if (ReadArchive(path, bytes))
    {
        out = std::tmpfile();
        // A temporary file that cannot be made or filled is a failed read.
        if (out && !bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size())
        {
            std::fclose(out);
            out = nullptr;
        }
        if (out) std::rewind(out);
    }
    Report(path, false, out ? static_cast<int>(bytes.size()) : 0);
    return out;
}
