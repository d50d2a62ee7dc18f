// fxLorenz's dot count in the editor's current window, drawn from its Render while an editor
// frame is being built.
#include "effects/fxLorenz/fxLorenz.h"

#include "Factory/rvEditorHook.h"

#include <imgui.h>
#include <imgui_internal.h>

namespace
{
void DrawDotCount(fxLorenz& fx)
{
    ImGuiContext* pContext = ImGui::GetCurrentContext();
    if (pContext && pContext->WithinFrameScope) ImGui::Text("Dot:%d", int(fx._aDots.size()));
}

const rvEditorHook<&fxLorenz::Render>::Install s_Install(&DrawDotCount);
} // namespace
