// The editor window of fxStencilTest: built every frame from Render, drawn only with the editor.
#include "effects/fxStencilTest/fxStencilTest.h"

#include "Factory/rvEditorHook.h"

#include <imgui.h>
#include <imgui_internal.h>

namespace
{
void DrawStencilTestWindow(fxStencilTest& fx)
{
    // Outside an ImGui frame (tools, tests, the frame-time report) there is no window to build.
    ImGuiContext* pContext = ImGui::GetCurrentContext();
    if (!pContext || !pContext->WithinFrameScope) return;
    bool bOpen = true;
    if (ImGui::Begin("StencilTest Settings", &bOpen)) ImGui::Checkbox("Occlusion", &fx._bOcclusion);
    ImGui::End();
}

const rvEditorHook<&fxStencilTest::DrawSettings>::Install s_Install(&DrawStencilTestWindow);
} // namespace
