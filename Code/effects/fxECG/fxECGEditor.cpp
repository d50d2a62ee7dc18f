// The "ECG" debug window of fxECG, drawn from its Render while an editor frame is being built.
#include "effects/fxECG/fxECG.h"

#include "Factory/rvEditorHook.h"
#include "rvSceneDisplay.h"

#include <imgui.h>
#include <imgui_internal.h>

namespace
{
void DrawECGWindow(fxECG& fx)
{
    ImGuiContext* pContext = ImGui::GetCurrentContext();
    if (pContext && pContext->WithinFrameScope)
    {
        bool bOpen = true;
        if (ImGui::Begin("ECG", &bOpen))
        {
            ImGui::SliderFloat("Persistence", &fx._fPersistence, 0.0f, 1.0f, "%.3f");
            ImGui::SliderInt("Octaves", &fx._nOctaves, 0, 10);
            ImGui::SliderFloat("scale", &fx._fScale, 0.1f, 10.0f);
            rvSceneDisplay::DrawFreeCameraPanel();
            ImGui::SliderFloat("interBeat", &fx._HeartBeat._fPause, 0.1f, 2.0f);
            ImGui::Checkbox("bShowAtriaDepolarization", &fx._HeartBeat._bShowAtriaDepolarization);
            ImGui::Checkbox("bShowVentricleDepolarization", &fx._HeartBeat._bShowVentricleDepolarization);
            ImGui::Checkbox("bShowRepolarization", &fx._HeartBeat._bShowRepolarization);
            ImGui::Checkbox("bSeparateColors", &fx._HeartBeat._bSeparateColors);
            ImGui::Separator();
            ImGui::Text("Ventricle Depolarization Params");
            ImGui::SliderFloat("FirstPartMax", &fx._HeartBeat._afPartMax[0], 1.0f, 100.0f);
            ImGui::SliderFloat("SecondPartMax", &fx._HeartBeat._afPartMax[1], 1.0f, 100.0f);
            ImGui::SliderFloat("ThirdPartMax", &fx._HeartBeat._afPartMax[2], 1.0f, 100.0f);
            ImGui::SliderInt("Start VectorScene", &fx._nStartVectorScene, 1, 200);
            ImGui::SliderInt("End VectorScene", &fx._nEndVectorScene, fx._nStartVectorScene + 1, 200);
            ImGui::SliderFloat("genAlpha", &fx._fAlpha, 0.0f, 2.0f);
            fx._HeartBeat._fPersistence = fx._fPersistence;
            fx._HeartBeat._nOctaves = fx._nOctaves;
        }
        ImGui::End();
    }
}

const rvEditorHook<&fxECG::Render>::Install s_Install(&DrawECGWindow);
} // namespace
