// The editor window of fxDepthLine: built every frame from Render, drawn only with the editor.
#include "effects/fxDepthLine/fxDepthLine.h"

#include "Factory/rvEditorHook.h"

#include <imgui.h>
#include <imgui_internal.h>

namespace
{
void DrawDepthLineWindow(fxDepthLine& fx)
{
    // Outside an ImGui frame (tools, tests, the frame-time report) there is no window to build.
    ImGuiContext* pContext = ImGui::GetCurrentContext();
    if (!pContext || !pContext->WithinFrameScope) return;
    bool bOpen = true;
    if (ImGui::Begin("Depth Line", &bOpen))
    {
        ImGui::DragFloat("zNear", &fx._DepthProgram._fZNear, 1.0f, 0.0f, 65535.0f, "%.3f");
        ImGui::DragFloat("zFar", &fx._DepthProgram._fZFar, 1.0f, fx._DepthProgram._fZNear + 0.1f, 65535.0f,
                         "%.3f");
    }
    ImGui::End();
}

const rvEditorHook<&fxDepthLine::DrawSettings>::Install s_Install(&DrawDepthLineWindow);
} // namespace
