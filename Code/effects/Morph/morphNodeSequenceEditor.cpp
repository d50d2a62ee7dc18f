// The "Current Seq" window of morphNodeSequence (graph statistics, source and destination
// toggles), drawn from its Render.
#include "effects/Morph/morphNodeSequence.h"

#include "Factory/rvEditorHook.h"

#include <imgui.h>
#include <imgui_internal.h>

namespace
{
void DrawSequenceWindow(morphNodeSequence& seq)
{
    // Only inside an editor frame (always so in the player): a frame rendered without one
    // (tests, benchmarks) draws the morph without its window.
    ImGuiContext* pContext = ImGui::GetCurrentContext();
    if (!pContext || !pContext->WithinFrameScope) return;
    if (ImGui::Begin("Current Seq", &seq._bShowWindow))
    {
        auto stats = [](const char* sLabel, const char* sShapes, int nShapes, int nNodes, int nEdges)
        {
            if (ImGui::TreeNodeEx(sLabel, ImGuiTreeNodeFlags_DefaultOpen))
            {
                if (sShapes)
                    ImGui::TextUnformatted(sShapes);
                else
                    ImGui::Text("Shape : %d", nShapes);
                ImGui::Text("Node : %d", nNodes);
                ImGui::Text("Edge : %d", nEdges);
                ImGui::TreePop();
            }
            ImGui::Separator();
        };
        stats("Source stats", nullptr, seq._SVGSource._nShapes, seq._nNodeSource, seq._SVGSource._nEdges);
        stats("Dest stats", nullptr, seq._SVGDest._nShapes, seq._nNodeDest, seq._SVGDest._nEdges);
        stats("Morph", "Shape : ??", 0, seq._nNodeCurrent, seq._nEdgeCurrent);
        if (ImGui::Button("Display Source")) seq._bDisplaySource = !seq._bDisplaySource;
        if (ImGui::Button("Display Dest")) seq._bDisplayDest = !seq._bDisplayDest;
    }
    ImGui::End();
}

const rvEditorHook<&morphNodeSequence::Render>::Install s_Install(&DrawSequenceWindow);
} // namespace
