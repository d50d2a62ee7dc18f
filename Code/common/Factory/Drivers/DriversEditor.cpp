// The drivers' editor: each driver type's settings, the driver window with its type menu and
// curve plot, and the "Min"/"Max" sliders shared by several types. Installed into the drivers'
// DrawSettings and DrawWindow through rvEditorHook.
#include "DriverSettings.h"
#include "Factory/rvEditorHook.h"
#include "BassDriver.h"
#include "ExpressionDriver.h"
#include "Factory/AttribDesc.h"
#include "Factory/Drivers/DriverSettings.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/Drivers/Noise.h"
#include "Factory/Drivers/NoneDriver.h"
#include "Factory/Drivers/rvVariable.h"
#include "Factory/ImGuiCustomPlotter.h"
#include "Factory/fxBase.h"
#include "Factory/rvJson.h"
#include "Factory/rvKeyTimeMode.h"
#include "NoiseDriver.h"
#include "SinusDriver.h"
#include "TriangleDriver.h"
#include "VariableDriver.h"
#include "rvAssert.h"
#include "rvAudio.h"
#include "rvPlatform.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <imgui.h>
#include <imgui_stdlib.h>
#include <limits>
#include <string>

namespace
{
const char* const kHelpAddress = "https://beltoforion.de/en/muparser/";
}

void DrawMinMaxSliders(NoneDriver* pDriver)
{
    float fLo = -100.0f, fHi = 100.0f;
    const AttribDesc* pDesc = pDriver->_pAttribDesc;
    if (pDesc && pDesc->_pRange)
    {
        if (pDesc->IsInt())
        {
            fLo = float(pDesc->_pRange->_min.i);
            fHi = float(pDesc->_pRange->_max.i);
        }
        else
        {
            fLo = pDesc->_pRange->_min.f;
            fHi = pDesc->_pRange->_max.f;
        }
    }
    ImGui::SliderFloat("Min", &pDriver->_fMin, fLo, fHi, "%.2f");
    ImGui::SliderFloat("Max", &pDriver->_fMax, fLo, fHi, "%.2f");
}

// NoneDriver


void NoneDriver::EditorDrawWindow()
{
    if (!_bWindowOpen) return;
    ImGui::SetNextWindowSize(ImVec2(300, 300), ImGuiCond_FirstUseEver);
    if (ImGui::Begin(WindowTitle().c_str(), &_bWindowOpen))
    {
        ImGui::SetNextItemWidth(-1);
        if (ImGui::BeginCombo("##Type", GetDriverName(_eType)))
        {
            for (int i = 0; i < DRIVER_MAX; ++i)
            {
                if (ImGui::Selectable(GetDriverName(i), i == _eType)) _eRequestedType = i;
            }
            ImGui::EndCombo();
        }
        DrawPlot();
        DrawSettings();
    }
    ImGui::End();
}

void NoneDriver::DrawPlot()
{
    const int nFrame = int(std::lround(_pEffect->_fTime * 60.0f));
    PlotDriverCurve(this, _pEffect->_nEnd - _pEffect->_nStart, FLT_MAX, FLT_MAX,
                    ImVec2(ImGui::GetContentRegionAvail().x, 100.0f), nFrame);
}

// KeyFrameDriver

void KeyFrameDriver::EditorDrawSettings()
{
    bool bSort = false;
    if (ImGui::Button("Create Key", ImVec2(-1, 0)))
    {
        AddKeyAtCurrentTime();
        bSort = true;
    }

    ImGui::SetNextItemWidth(-1);
    const int eShown = std::min(std::max(_eInterpolation, 0), INTERPOLATION_MAX - 1);
    if (ImGui::BeginCombo("##Interpo", GetInterpolationName(eShown)))
    {
        for (int i = 0; i < INTERPOLATION_MAX; ++i)
        {
            if (ImGui::Selectable(GetInterpolationName(i), i == _eInterpolation)) _eInterpolation = i;
        }
        ImGui::EndCombo();
    }

    const bool bBounce = _eInterpolation == INTERPOLATION_BOUNCE;
    const bool bEase = _eInterpolation >= INTERPOLATION_EASYIN && _eInterpolation <= INTERPOLATION_EASYINOUT;
    if (bBounce || bEase)
    {
        ImGui::Columns(2);
        const char* apszLabels[2] = {bBounce ? "Amplitude" : "Power", "Attenuation"};
        for (int p = 0; p < (bBounce ? 2 : 1); ++p)
        {
            char szId[16];
            snprintf(szId, sizeof(szId), "##param%d", p);
            ImGui::TextUnformatted(apszLabels[p]);
            ImGui::NextColumn();
            ImGui::SetNextItemWidth(-1);
            ImGui::SliderFloat(szId, &_fParams[p], 0.0f, 1.0f, "%.3f");
            ImGui::NextColumn();
        }
        ImGui::Columns(1);
        ImGui::Separator();
    }

    const bool bLocal = rvKeyTimeMode::_bLocalKeys;
    const float fOffset = bLocal ? 0.0f : float(_pEffect->_nStart) / 60.0f;
    ImGui::Columns(2);
    ImGui::TextUnformatted(bLocal ? "TimeFx" : "TimeSeq");
    ImGui::NextColumn();
    ImGui::TextUnformatted("Value");
    ImGui::NextColumn();
    int iDelete = -1;
    for (int i = 0; i < GetKeyCount(); ++i)
    {
        Key& key = _aKeys[i];
        ImGui::PushID(key._nId != 0 ? key._nId : i);
        if (ImGui::SmallButton("X")) iDelete = i;
        if (ImGui::IsItemHovered()) ImGui::SetTooltip("Delete key");
        ImGui::SameLine();
        ImGui::SetNextItemWidth(-1);
        float fShown = key._fTime + fOffset;
        if (ImGui::InputFloat("##time", &fShown, 0.0f, 0.0f, "%.3f") && std::isfinite(fShown))
        {
            key._fTime = fShown - fOffset;
            bSort = true;
        }
        ImGui::NextColumn();
        ImGui::SetNextItemWidth(-1);
        const AttribRange* pRange = _pAttribDesc ? _pAttribDesc->_pRange : nullptr;
        if (pRange && _pAttribDesc->IsInt())
            ImGui::SliderFloat("##float", &key._fValue, float(pRange->_min.i), float(pRange->_max.i), "%.3f");
        else if (pRange)
            ImGui::SliderFloat("##float", &key._fValue, pRange->_min.f, pRange->_max.f, "%.3f");
        else
            ImGui::InputFloat("##float", &key._fValue, 0.0f, 0.0f, "%.3f");
        ImGui::NextColumn();
        ImGui::PopID();
    }
    ImGui::Columns(1);
    if (iDelete >= 0) _aKeys.erase(_aKeys.begin() + iDelete);
    if (bSort) SortKeys();
}

// SinusDriver

void SinusDriver::EditorDrawSettings()
{
    ImGui::SliderInt("Count", &_Count, 1, MAX_SINES, "%d");
    _Count = _Count < 1 ? 1 : (_Count > MAX_SINES ? MAX_SINES : _Count);
    ImGui::Separator();
    DrawMinMaxSliders(this);
    for (int i = 0; i < _Count; ++i)
    {
        std::string sN = std::to_string(i + 1);
        ImGui::Separator();
        ImGui::SliderFloat(("Period" + sN).c_str(), &_Period[i], 0.01f, 10.0f, "%.2f");
        ImGui::SliderFloat(("Phase" + sN).c_str(), &_Phase[i], 0.0f, 1.0f, "%.3f");
        if (_Count > 1)
            ImGui::SliderFloat(("Amplitude" + sN).c_str(), &_AmplitudeFactor[i], 0.01f, 1.0f, "%.3f");
    }
    ImGui::Separator();
    if (ImGui::Button("Random Values")) RandomValues();
}

// TriangleDriver

void TriangleDriver::EditorDrawSettings()
{
    DrawMinMaxSliders(this);
    ImGui::SliderFloat("Period", &_fPeriod, 0.01f, 10.0f, "%.2f");
    ImGui::SliderFloat("Phase", &_fPhase, 0.0f, 1.0f, "%.3f");
    ImGui::SliderFloat("Symmetry", &_fSymmetry, 0.0f, 1.0f, "%.3f");
}

// NoiseDriver

void NoiseDriver::EditorDrawSettings()
{
    DrawMinMaxSliders(this);
    ImGui::SliderFloat("Period", &_fPeriod, 0.01f, 10.0f, "%.2f");
    ImGui::SliderFloat("Offset", &_fPhase, 0.0f, 10.0f, "%.3f");
    ImGui::SliderInt("Octaves", &_nOctaves, 0, MAX_OCTAVES, "%d");
    ImGui::SliderFloat("Persistence", &_fPersistence, 0.0f, 1.0f, "%.3f");
}

// ExpressionDriver

void ExpressionDriver::DrawHelpLink()
{
    ImU32 colHovered = ImGui::GetColorU32(ImGuiCol_ButtonHovered);
    ImGui::PushStyleColor(ImGuiCol_Text, colHovered);
    ImGui::TextUnformatted("muParser help");
    ImGui::PopStyleColor();
    ImVec2 vMin = ImGui::GetItemRectMin(), vMax = ImGui::GetItemRectMax();
    ImU32 colLine = colHovered;
    if (ImGui::IsItemHovered())
    {
        ImGui::SetTooltip("Open in browser\n%s", kHelpAddress);
        if (ImGui::IsMouseClicked(ImGuiMouseButton_Left)) rvPlatform::OpenWebPage(kHelpAddress);
    }
    else
    {
        colLine = ImGui::GetColorU32(ImGuiCol_Button);
    }
    ImGui::GetWindowDrawList()->AddLine(ImVec2(vMin.x, vMax.y), vMax, colLine, 1.0f);
}

void ExpressionDriver::EditorDrawSettings()
{
    DrawHelpLink();
    ImGui::SetNextItemWidth(-1.0f);
    ImGui::InputText("##string", &_sExpression);
    for (size_t i = 0; i < _aUserVars.size(); ++i)
    {
        ImGui::PushID(int(i));
        ImGui::SliderFloat(_aUserVars[i]._sName.c_str(), &_aUserVars[i]._fValue, -10.0f, 10.0f, "%.10f");
        ImGui::PopID();
    }
}

// VariableDriver

void VariableDriver::EditorDrawSettings()
{
    ImGui::SetNextItemWidth(-1.0f);
    ImGui::InputText("##string", &_sVarName);
}

// BassDriver

void BassDriver::EditorDrawSettings()
{
    DrawMinMaxSliders(this);
    ImGui::Checkbox("Left", &_bLeftChan);
    ImGui::Checkbox("Right", &_bRightChan);
}

// ---------------------------------------------------------------------------------------------

namespace
{
const rvEditorHook<&NoneDriver::DrawWindow>::Install s_NoneWindow([](NoneDriver& d) { d.EditorDrawWindow(); });
const rvEditorHook<&KeyFrameDriver::DrawSettings>::Install s_KeyFrameDriver([](KeyFrameDriver& d) { d.EditorDrawSettings(); });
const rvEditorHook<&SinusDriver::DrawSettings>::Install s_SinusDriver([](SinusDriver& d) { d.EditorDrawSettings(); });
const rvEditorHook<&TriangleDriver::DrawSettings>::Install s_TriangleDriver([](TriangleDriver& d) { d.EditorDrawSettings(); });
const rvEditorHook<&NoiseDriver::DrawSettings>::Install s_NoiseDriver([](NoiseDriver& d) { d.EditorDrawSettings(); });
const rvEditorHook<&ExpressionDriver::DrawSettings>::Install s_ExpressionDriver([](ExpressionDriver& d) { d.EditorDrawSettings(); });
const rvEditorHook<&VariableDriver::DrawSettings>::Install s_VariableDriver([](VariableDriver& d) { d.EditorDrawSettings(); });
const rvEditorHook<&BassDriver::DrawSettings>::Install s_BassDriver([](BassDriver& d) { d.EditorDrawSettings(); });
} // namespace
