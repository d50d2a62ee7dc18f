#include "TestSupport.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace rvTest
{
TempWorkDir::TempWorkDir()
{
    _previous = fs::current_path().string();
    std::string tmpl = (fs::temp_directory_path() / "morvane-test-XXXXXX").string();
    char* made = mkdtemp(tmpl.data());
    if (!made)
    {
        ADD_FAILURE() << "mkdtemp failed";
        return;
    }
    _path = made;
    fs::current_path(_path);
}

TempWorkDir::~TempWorkDir()
{
    fs::current_path(_previous);
    if (!_path.empty())
    {
        std::error_code ec;
        fs::remove_all(_path, ec);
    }
}

void TempWorkDir::WriteFile(const std::string& relPath, const std::string& content) const
{
    fs::path p = fs::path(_path) / relPath;
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << content;
}

void TempWorkDir::CopyFromSource(const std::string& relDir, const std::string& ext) const
{
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(SourcePath(relDir), ec))
    {
        const std::string name = e.path().filename().string();
        if (name.size() <= ext.size() || name.compare(name.size() - ext.size(), ext.size(), ext) != 0) continue;
        WriteFile(relDir + "/" + name, ReadFileBytes(e.path().string()));
    }
}

std::string TempWorkDir::ReadFile(const std::string& relPath) const
{
    return ReadFileBytes((fs::path(_path) / relPath).string());
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string ReadFixture(const std::string& rel) { return ReadFileBytes(SourcePath(rel)); }

std::string SourcePath(const std::string& rel) { return std::string(MORVANE_SOURCE_DIR) + "/" + rel; }
std::string BinaryPath(const std::string& rel) { return std::string(MORVANE_BINARY_DIR) + "/" + rel; }

void LinkGeneratedAssets()
{
    std::filesystem::create_directories("Data");
    for (const char* rel : {"svg", "Font", "img", "txt", "meshes", "filtered.data", "depth.data", "fxAnimation.vscene"})
    {
        const std::string source = SourcePath(std::string("Data/") + rel);
        const std::string link = std::string("Data/") + rel;
        if (!std::filesystem::exists(source) || std::filesystem::exists(link)) continue;
        if (std::filesystem::is_directory(source))
            std::filesystem::create_directory_symlink(source, link);
        else
            std::filesystem::create_symlink(source, link);
    }
}
} // namespace rvTest
