// The "Live Spectr" window of the live spectrum effect: level read-outs, four sliders, the choice
// between the played file and the capture, and two looks of the vector display.
#include "effects/fxLiveSpec/fxLiveSpec.h"

#include "Factory/rvEditorHook.h"

#include <imgui.h>
#include <imgui_internal.h>

namespace
{
void LevelRows(const char* pszNode, uint32_t nCurrent, uint32_t nMin, uint32_t nMax)
{
    if (ImGui::TreeNodeEx(pszNode, ImGuiTreeNodeFlags_DefaultOpen))
    {
        ImGui::Text("Current %d", int(nCurrent));
        ImGui::Text("Peak Min %d", int(nMin));
        ImGui::Text("Peak Max %d", int(nMax));
        ImGui::TreePop();
    }
    ImGui::Separator();
}

void DrawLiveSpecWindow(fxLiveSpec& e)
{
    ImGuiContext* pContext = ImGui::GetCurrentContext();
    if (!pContext || !pContext->WithinFrameScope) return; // no editor frame being built
    if (ImGui::Begin("Live Spectr", &e._bWindowOpen))
    {
        LevelRows("Chan Left", e._nLevelLeft, e._nPeakMinLeft, e._nPeakMaxLeft);
        LevelRows("Chan Right", e._nLevelRight, e._nPeakMinRight, e._nPeakMaxRight);
        ImGui::SliderInt("Threshold", &e._nThreshold, 0, 32767, "%d");
        ImGui::SliderInt("Scale", &e._nScale, 0, 2048, "%d");
        ImGui::SliderInt("Cap Left", &e._nCapLeft, 0, 2048, "%d");
        ImGui::SliderInt("Cap Right", &e._nCapRight, 0, 2048, "%d");
        if (ImGui::RadioButton("Play File", e._hActive != 0 && e._hActive == e._hFile)) e.PlayFile();
        if (ImGui::RadioButton("Play Record", e._hActive != 0 && e._hActive == e._hRecord)) e.PlayRecord();
        if (ImGui::Button("Line Render")) e.LineRender();
        if (ImGui::Button("Cathodic render")) e.CathodicRender();
        if (!e._sMessage.empty())
        {
            ImGui::Separator();
            ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(1.0f, 0.6f, 0.3f, 1.0f));
            ImGui::TextWrapped("%s", e._sMessage.c_str());
            ImGui::PopStyleColor();
        }
    }
    ImGui::End(); // always paired with Begin, open or not
}

const rvEditorHook<&fxLiveSpec::Render>::Install s_Install(&DrawLiveSpecWindow);
} // namespace
