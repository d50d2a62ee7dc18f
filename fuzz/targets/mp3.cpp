// MP3 music: a file of any bytes opened as the audio layer opens a stream (the length from the
// frame headers, within what the file's size allows), decoded to float samples at the output
// rate from the start to the end, then read again after seeks, as playback and the editor do.
#include "FuzzTarget.h"

#include "rvMp3Source.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{
std::string s_sPath;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char path[] = "/tmp/morvane-fuzz-mp3-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) std::abort();
    close(fd);
    s_sPath = path;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (s_sPath.empty()) LLVMFuzzerInitialize(nullptr, nullptr);
    FILE* f = std::fopen(s_sPath.c_str(), "wb");
    if (!f) return 0;
    const bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
    std::fclose(f);
    if (!written) return 0;
    rvMp3Source source;
    if (source.Open(s_sPath.c_str(), 48000) != 0) return 0;
    const int64_t nFrames = source.Frames();
    std::vector<float> block(2 * 4096);
    int64_t nRead = 0;
    for (int64_t n; (n = source.Read(block.data(), 4096)) > 0;)
        nRead += n;
    if (nRead > nFrames) std::abort(); // never past the length found at opening
    for (int64_t at : {nFrames / 2, nFrames - 1, int64_t(0), nFrames})
        if (source.Seek(at) && source.Read(block.data(), 1024) > nFrames - at) std::abort();
    return 0;
}
