// MP3 music: a file of any bytes decoded whole to float samples at the output rate, as the music
// effects open it.
#include "FuzzTarget.h"

#include "rvAudioSDL.h"

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
    std::vector<float> samples;
    rvAudioSDL::DecodeFile(s_sPath.c_str(), 48000, samples);
    return 0;
}
