// The headless ImGui context of the editor tests (declared in TestSupport.h); kept apart so the
// core tests link without ImGui.
#include "TestSupport.h"

#include <imgui.h>

#include <cstdint>

namespace rvTest
{
ImGuiHeadless::ImGuiHeadless(float width, float height)
{
    IMGUI_CHECKVERSION();
    _ctx = ImGui::CreateContext();
    ImGui::SetCurrentContext(_ctx);
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.DisplaySize = ImVec2(width, height);
    unsigned char* pixels = nullptr;
    int w = 0, h = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
    io.Fonts->SetTexID((ImTextureID)(intptr_t)1);
}

ImGuiHeadless::~ImGuiHeadless() { ImGui::DestroyContext(_ctx); }

void ImGuiHeadless::NewFrame(float dt)
{
    ImGui::GetIO().DeltaTime = dt;
    ImGui::NewFrame();
}

void ImGuiHeadless::EndFrame() { ImGui::Render(); }
} // namespace rvTest
