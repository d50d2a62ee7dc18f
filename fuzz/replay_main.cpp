// Runs one fuzz target over files and folders (walked recursively, in name order): the seed
// corpus and the regression files of faults the fuzzers found. A crash, a sanitizer report or a
// hang fails the test that runs it.
#include "FuzzTarget.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int*, char***);

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i)
    {
        std::error_code ec;
        if (fs::is_directory(argv[i], ec))
        {
            for (const auto& entry : fs::recursive_directory_iterator(argv[i], ec))
                if (entry.is_regular_file()) files.push_back(entry.path());
        }
        else if (fs::is_regular_file(argv[i], ec))
            files.push_back(argv[i]);
        else
        {
            std::fprintf(stderr, "fuzz replay: no file or folder \"%s\"\n", argv[i]);
            return 2;
        }
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& path : files)
    {
        std::ifstream in(path, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("fuzz replay: %zu inputs\n", files.size());
    return files.empty() ? 3 : 0;
}
