#pragma once
// Helpers shared by the tests: a temporary working directory, a headless ImGui context.
#include <gtest/gtest.h>
#include <string>

struct ImGuiContext;

namespace rvTest
{
// Changes into a fresh temporary directory for the fixture's lifetime (for code that
// reads or writes "./Data/..."), and back afterwards. The directory is removed.
class TempWorkDir
{
public:
    TempWorkDir();
    ~TempWorkDir();
    const std::string& Path() const { return _path; }
    // Writes a file below the temporary directory, creating its folders.
    void WriteFile(const std::string& relPath, const std::string& content) const;
    std::string ReadFile(const std::string& relPath) const;
    // Copies every file of the source tree's folder relDir whose name ends in ext to the same
    // place below the temporary directory.
    void CopyFromSource(const std::string& relDir, const std::string& ext) const;

private:
    std::string _path, _previous;
};

// An ImGui context with its font atlas built and a display size, but no renderer:
// widgets can be built and their state inspected without a window.
class ImGuiHeadless
{
public:
    explicit ImGuiHeadless(float width = 1280.f, float height = 720.f);
    ~ImGuiHeadless();
    void NewFrame(float dt = 1.f / 60.f);
    void EndFrame(); // ImGui::Render(), draw data ignored

private:
    ImGuiContext* _ctx = nullptr;
};

// Path of a file in the source tree (for committed fixtures).
std::string SourcePath(const std::string& rel);
// The whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// A committed fixture's bytes (ReadFileBytes(SourcePath(rel))).
std::string ReadFixture(const std::string& rel);
// Path in the build directory (where tests leave screenshots and reports).
std::string BinaryPath(const std::string& rel);
// Links the generated assets of the source tree (drawings, fonts, pictures, texts, models, the
// point cloud and the depth image) into "Data/" of the working directory, so that a timeline
// packed there finds the files its effects read.
void LinkGeneratedAssets();
} // namespace rvTest
