#pragma once
// The data file reader and the loading bar.
//
// rvDataPack reads every data file of the program whole into memory, from the
// password-protected archive "Data/Morvane-ZQ4.sts" (mounted once, on first use)
// or, on request, from the disk. Each read reports its byte count to rvLoader,
// which, while armed during the start-up loading pass, pumps window events and
// redraws a progress bar.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct GLFWwindow;

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

    std::string _sPassword; // held only while the archive is mounted

private:
    rvDataPack() = default;
    rvDataPack(const rvDataPack&) = delete;
    rvDataPack& operator=(const rvDataPack&) = delete;

    // Reads an archive entry whole into bytes; false (bytes untouched) on any failure.
    template <class Vec> bool ReadArchive(const std::string& path, Vec& bytes);
    template <class Vec> bool ReadDisk(const std::string& path, Vec& bytes);
    template <class Vec> bool Read(const std::string& path, Vec& bytes, bool forceOS);
};

class rvLoader
{
public:
    // Reads the progress table "Data/csv/zq4out.csv" and arms the bar. When the table
    // is missing the bar stays unarmed and the totals keep their values.
    static void Begin(GLFWwindow* window);
    // Called by every read with its byte count (0 when nothing was read).
    static void Progress(int bytes);
    // Disarms the bar (also when Begin found no table: loading then simply went on
    // without a bar). In a recording run (environment variable MORVANE_RECORD_LOADING
    // naming a file) it writes every read of the pass there, "path;bytes;archive|disk" per
    // line, and ends the process with 0 (1 when the file cannot be written).
    static void End();

    // Releases the bar's GL program; call while the context still exists.
    static void Release();

    static bool IsArmed();

    // Adds the second field of every line of a progress table to _nTotal.
    static void AddTable(FILE* table);
    // Counts bytes towards the bar: negative counts add nothing, the count stops at the total.
    static void Advance(int bytes);
    // The filled fraction of the bar: _nLoaded / _nTotal, 0 when the total is 0.
    static float Fraction();
    // Draws the bar's three rectangles into the bound framebuffer's viewport.
    static void DrawBar(float fraction);

    static int _nTotal;
    static int _nLoaded;
};
