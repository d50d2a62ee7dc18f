#pragma once
// The data file reader.
//
// rvDataPack reads every data file of the program whole into memory, from the
// password-protected archive "Data/Morvane-ZQ4.sts" (mounted once, on first use)
// or, on request, from the disk. Each read is reported through _pfnReport (set by the
// loading bar while it counts a loading pass); the reader itself knows nothing of GL.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class rvDataPack
{
public:
    // The pack; the first call creates it and mounts the archive (once per process).
    static rvDataPack* GetInstance();

    // Reads a whole file into a new array (the caller frees it with delete[]).
    // size is set to 0 first and to the file's length on success. Returns null when
    // the file is missing, cannot be read whole, or the path is empty. forceOS reads
    // the path exactly as given from the disk; otherwise from the archive only.
    uint8_t* ReadAll(const std::string& path, int& size, bool forceOS = false);

    // Same, into the caller's vector (resized to the file's length). When nothing
    // could be read the vector is left as it was and false is returned.
    bool ReadInto(const std::string& path, std::vector<uint8_t>& data, bool forceOS = false);
    bool ReadInto(const std::string& path, std::vector<char>& data, bool forceOS = false);

    // An archive file copied into a temporary stream positioned at its start, or null.
    // The caller closes it.
    FILE* OpenAsFILE(const std::string& path);

    // Prepares a path for the archive in place: one leading '.' is dropped and every
    // backslash becomes '/'.
    static void NormalizePath(std::string& path);

    // True when the archive was mounted by GetInstance.
    bool IsMounted() const { return !_sPassword.empty(); }

    std::string _sPassword;   // held only while the archive is mounted
    std::string _sMountError; // why the archive could not be mounted (empty when it was)

    // Longest text file an effect reads (a boot screen, a title); a longer one is refused.
    static constexpr size_t kMaxTextBytes = 1u << 20;

    // The most bytes an entry of an archive of this size can hold (its size times deflate's
    // largest ratio, within INT_MAX); INT_MAX when the size is not known.
    static int64_t MaxEntryBytes(int64_t archiveBytes);
    int64_t _nArchiveBytes = 0; // the mounted archive's size on disk (0: not known)

    // The archive's path, for messages.
    static const char* ArchivePath();

    // Told of every read: the path as asked, the bytes read (0 when nothing was read) and
    // whether it came from the disk. Null: reads are not reported.
    static void (*_pfnReport)(const std::string& path, int bytes, bool disk);

private:
    rvDataPack() = default;
    rvDataPack(const rvDataPack&) = delete;
    rvDataPack& operator=(const rvDataPack&) = delete;

    // Reads an archive entry whole into bytes; false (bytes untouched) on any failure.
    template <class Vec> bool ReadArchive(const std::string& path, Vec& bytes);
    template <class Vec> bool ReadDisk(const std::string& path, Vec& bytes);
    template <class Vec> bool Read(const std::string& path, Vec& bytes, bool forceOS);
};
