// The free camera panel of the default buffer in the editor.
#include "rvSceneDisplay.h"

#include <imgui.h>



void rvSceneDisplay::DrawFreeCameraPanel()
{
    if (!ImGui::TreeNodeEx("Free Camera", ImGuiTreeNodeFlags_DefaultOpen)) return;
    rvBufferDisplay& b = _DefaultBuffer;
    ImGui::DragFloat("dist", &b._fDist, 1.0f, 0.f, 0.f, "%.3f");
    ImGui::DragFloat("pitch", &b._fPitch, 1.0f, 0.f, 0.f, "%.3f");
    ImGui::DragFloat("yaw", &b._fYaw, 1.0f, 0.f, 0.f, "%.3f");
    ImGui::DragFloat("panX", &b._fPanX, 1.0f, 0.f, 0.f, "%.3f");
    ImGui::DragFloat("panY", &b._fPanY, 1.0f, 0.f, 0.f, "%.3f");
    ImGui::DragFloat("zNear", &b._fNear, 1.0f, 0.f, 0.f, "%.3f");
    ImGui::DragFloat("zFar", &b._fFar, 1.0f, 0.f, 0.f, "%.3f");
    ImGui::TreePop();
}
