// Paths into the data archive: any name asked of the file reader (effects take them from timeline
// and preset files) is normalised, looked up and read from a small mounted archive, whole, as a
// FILE and as text; nothing is read from the disk.
#include "FuzzTarget.h"

#include "Loader/rvDataPack.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{
// The archive's password, as the packing tool writes it.
const char* const kPassword = "Nine grey herons wait beside the river.";
} // namespace

// A fresh folder holding "Data/Morvane-ZQ4.sts" with a few entries, made the working folder
// while the reader mounts it (the fuzzer's own paths stay relative to where it was started).
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char folder[] = "/tmp/morvane-fuzz-archive-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    const std::string cmd = std::string("cd '") + folder +
                            "' && mkdir -p stage/Data/seq stage/Data/svg/deep Data"
                            " && printf '{\"Items\": []}' > stage/Data/seq/a.seq"
                            " && printf '<svg/>' > stage/Data/svg/deep/b.svg"
                            " && : > stage/Data/empty.txt"
                            " && cd stage && zip -q -X -r -P '" +
                            kPassword + "' ../Data/Morvane-ZQ4.sts Data";
    char* start = getcwd(nullptr, 0);
    if (!start || std::system(cmd.c_str()) != 0 || chdir(folder) != 0) std::abort();
    if (!rvDataPack::GetInstance()->IsMounted() || chdir(start) != 0) std::abort();
    std::free(start);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096) return 0;
    std::string path = rvFuzz::Text(data, size);
    rvDataPack* pack = rvDataPack::GetInstance();
    std::vector<char> text;
    pack->ReadInto(path, text, false);
    int length = 0;
    delete[] pack->ReadAll(path, length, false);
    if (FILE* f = pack->OpenAsFILE(path))
    {
        char buffer[64];
        while (std::fread(buffer, 1, sizeof(buffer), f) > 0)
        {
        }
        std::fclose(f);
    }
    rvDataPack::NormalizePath(path);
    return 0;
}
