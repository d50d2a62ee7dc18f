#pragma once
// The libFuzzer entry points every target under fuzz/targets defines. The same target file is
// built two ways: with clang and -fsanitize=fuzzer (MORVANE_FUZZ=ON) for long runs, and with the
// normal compiler against fuzz/replay_main.cpp, which runs it over its corpus and regression files
// as an ordinary test.
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
// Optional, once before the first input.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace rvFuzz
{
// The input as a zero-terminated text (the parsers cut text in place or read up to a zero).
inline std::string Text(const uint8_t* data, size_t size)
{
    return std::string(reinterpret_cast<const char*>(data), size);
}
} // namespace rvFuzz
