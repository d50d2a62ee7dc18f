// The "SVG Loader" window of the SVG machine, drawn from its Render while "Debug" is on: the
// drawing's objects with their visibility (per shape for gears), and the occlusion switches.
#include "effects/nanoSVGScene/nanoSVGScene.h"

#include "Factory/rvEditorHook.h"
#include "svg/SvgParser.h"

#include <cstdio>
#include <imgui.h>
#include <imgui_internal.h>

namespace
{
void DrawLoaderWindow(nanoSVGScene& fx)
{
    ImGuiContext* pContext = ImGui::GetCurrentContext();
    if (!pContext || !pContext->WithinFrameScope) return;
    int nOccluders = 0;
    if (ImGui::Begin("SVG Loader", &fx._bLoaderWindowOpen))
    {
        if (ImGui::TreeNodeEx("SVG 0 stats", ImGuiTreeNodeFlags_DefaultOpen))
        {
            ImGui::TextUnformatted(fx._SVG._pPivotPath ? "Pivot Found." : "No Pivot.");
            ImGui::Text("Object count : %d", int(fx._SVG._apObjects.size()));
            for (size_t i = 0; i < fx._SVG._apObjects.size(); ++i)
            {
                nanoSVGObject* object = fx._SVG._apObjects[i];
                nOccluders += object->_bCache ? 1 : 0;
                ImGui::PushID(int(i));
                char sLabel[128];
                std::snprintf(sLabel, sizeof sLabel, "%d (%zu) - %s", int(i), object->_apShapes.size(),
                              object->_sName.c_str());
                if (!object->_bEng)
                    ImGui::Checkbox(sLabel, &object->_bVisible);
                else if (ImGui::TreeNode(sLabel))
                {
                    for (size_t j = 0; j < object->_apShapes.size(); ++j)
                    {
                        ImGui::PushID(int(j));
                        ImGui::Checkbox(object->_apShapes[j]->_sId, &object->_apShapes[j]->_bShown);
                        ImGui::PopID();
                    }
                    ImGui::TreePop();
                }
                ImGui::PopID();
            }
            ImGui::TreePop();
        }
        ImGui::Separator();
        ImGui::Checkbox("Occlusion", &fx._bOcclusion);
        ImGui::Text("Occluder count : %d", nOccluders);
        ImGui::Checkbox("Show occlusion polygons", &fx._bShowOccluders);
        ImGui::Checkbox("Show Gears", &fx._bShowGears);
        ImGui::Checkbox("Show Others", &fx._bShowOthers);
        ImGui::Checkbox("Reverse Stencil", &fx._bReverseStencil);
        ImGui::SliderFloat("Occluder scale", &fx._fOccluderScale, 0.1f, 2.f, "%.3f");
    }
    ImGui::End();
}

const rvEditorHook<&nanoSVGScene::Render>::Install s_Install(&DrawLoaderWindow);
} // namespace
