// The "nanoSVG" window of the eye-universe layers, drawn from every Render: per layer its shape
// count and whether its drawing has a pivot, and the two looks of the vector display.
#include "effects/rvEyesUniverse/rvEyesUniverse.h"

#include "Factory/rvEditorHook.h"
#include "rvSceneDisplay.h"
#include "svg/SvgParser.h"

#include <cstdio>
#include <imgui.h>
#include <imgui_internal.h>

namespace
{
int ShapeCount(const nanoSVG2Edge& svg)
{
    int n = 0;
    for (const SvgShape* s = svg._pImage ? svg._pImage->_pShapes : nullptr; s; s = s->_pNext)
        ++n;
    return n;
}

void DrawLayersWindow(rvEyesUniverse& fx)
{
    ImGuiContext* pContext = ImGui::GetCurrentContext();
    if (!pContext || !pContext->WithinFrameScope) return;
    if (ImGui::Begin("nanoSVG", &fx._bLoaderWindowOpen))
    {
        for (int i = 0; i < rvEyesUniverse::LAYERS; ++i)
        {
            if (i > 0) ImGui::SameLine();
            ImGui::BeginGroup();
            char sLabel[32];
            std::snprintf(sLabel, sizeof sLabel, "SVG %d stats", i);
            if (ImGui::TreeNodeEx(sLabel, ImGuiTreeNodeFlags_DefaultOpen))
            {
                ImGui::Text("Shape : %d", ShapeCount(fx._aLayers[i]._SVG));
                ImGui::TextUnformatted(fx._aLayers[i]._SVG._pPivotPath ? "Pivot Found." : "No Pivot.");
                ImGui::TreePop();
            }
            ImGui::EndGroup();
        }
        ImGui::Separator();
        if (ImGui::Button("Line Render")) rvEyesUniverse::LineRender(rvSceneDisplay::_pCurrentDisplay);
        if (ImGui::Button("Cathodic render")) rvEyesUniverse::CathodicRender(rvSceneDisplay::_pCurrentDisplay);
    }
    ImGui::End();
}

const rvEditorHook<&rvEyesUniverse::Render>::Install s_Install(&DrawLayersWindow);
} // namespace
