#pragma once
// Builds a small encrypted data archive "Data/Morvane-ZQ4.sts" inside a temporary
// working directory, the way the packer does (zip -P).
#include "Loader/rvLoader.h"
#include "TestSupport.h"

#include <cstdlib>
#include <map>
#include <string>

namespace rvTest
{
constexpr const char* kArchivePassword = "Nine grey herons wait beside the river.";

// Writes the entries (archive name -> content) under "stage/" and zips them, every
// entry encrypted with the password. Returns false when zip failed.
inline bool BuildArchive(const TempWorkDir& dir, const std::map<std::string, std::string>& entries,
                         const std::string& password = kArchivePassword)
{
    std::string names;
    for (const auto& [name, content] : entries)
    {
        dir.WriteFile("stage/" + name, content);
        names += " '" + name + "'";
    }
    dir.WriteFile("Data/.keep", "");
    std::string cmd =
        "cd '" + dir.Path() + "/stage' && zip -q -X -P '" + password + "' ../Data/Morvane-ZQ4.sts" + names;
    return std::system(cmd.c_str()) == 0;
}
// rvLoader::_nTotal after reading a progress table with this text.
inline int ProgressTotalOf(const std::string& text)
{
    FILE* f = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    rvLoader::_nTotal = 0;
    rvLoader::AddTable(f);
    std::fclose(f);
    return rvLoader::_nTotal;
}
} // namespace rvTest
