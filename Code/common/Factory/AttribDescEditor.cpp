// Attribute rows of the effect editor: the widgets of each attribute type, the driver button
// and its settings window.
#include "AttribDesc.h"

#include "FileBrowser/rvFileBrowser.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/Drivers/NoneDriver.h"
#include "Factory/fxBase.h"
#include "rvAssert.h"
#include "rvMath.h"

#include <climits>
#include <cmath>
#include <imgui.h>
#include <imgui_stdlib.h>


// ---------------------------------------------------------------------------------------
// Attribute editor

namespace
{
// Seconds typed into a time row, as the nearest whole frame at 60 per second. Values whose
// frame count does not fit an int are clamped; NaN leaves the frames as they are.
int SecondsToFrames(float fSeconds, int nOld)
{
    const double fFrames = double(fSeconds) * 60.0;
    if (std::isnan(fFrames)) return nOld;
    if (fFrames >= double(INT_MAX)) return INT_MAX;
    if (fFrames <= double(INT_MIN)) return INT_MIN;
    return int(std::lround(fFrames));
}
} // namespace

void AttribDesc::DrawUI(fxBase* pEffect)
{
    if (_apChildren.empty())
        DrawLeaf(pEffect);
    else
        DrawComposite(pEffect);
}

void AttribDesc::DrawLeaf(fxBase* pEffect)
{
    if (_eType == TYPE_BUTTON) return; // drawn by the effect's button row
    if (_eType == TYPE_SEPARATOR)
    {
        ImGui::Separator();
        return;
    }
    DrawDriverButton(pEffect);
    ImGui::TextUnformatted(_sLabel.c_str());

    ImGui::NextColumn();
    ImGui::PushID(_sLabel.c_str());
    ImGui::SetNextItemWidth(-1.0f);
    bool bChanged = false;
    void* pValue = ValuePtr(pEffect);
    switch (_eType)
    {
    case TYPE_BOOL:
        bChanged = ImGui::Checkbox("##bool", static_cast<bool*>(pValue));
        break;
    case TYPE_INT:
        if (_pRange)
            bChanged =
                ImGui::SliderInt("##int", static_cast<int*>(pValue), _pRange->_min.i, _pRange->_max.i, "%d");
        else
            bChanged = ImGui::InputInt("##int", static_cast<int*>(pValue), 1, 100);
        break;
    case TYPE_TIME:
        if (_bTimeInFrames)
        {
            bChanged = ImGui::InputInt("##int", static_cast<int*>(pValue), 1, 100);
            if (bChanged) SetInt(pEffect, GetInt(pEffect)); // within the frame limit
        }
        else
        {
            const int nFrames = GetInt(pEffect);
            float fSeconds = float(nFrames / 60.0);
            if (ImGui::InputFloat("##float", &fSeconds, 0.0f, 0.0f, "%.3f",
                                  ImGuiInputTextFlags_CharsScientific))
            {
                SetInt(pEffect, SecondsToFrames(fSeconds, nFrames));
                bChanged = true;
            }
        }
        break;
    case TYPE_FLOAT:
        if (_pRange)
            bChanged = ImGui::SliderFloat("##float", static_cast<float*>(pValue), _pRange->_min.f,
                                          _pRange->_max.f, "%.3f");
        else
            bChanged = ImGui::InputFloat("##float", static_cast<float*>(pValue), 0.0f, 0.0f, "%.3f",
                                         ImGuiInputTextFlags_CharsScientific);
        break;
    case TYPE_STRING:
    {
        std::string* ps = static_cast<std::string*>(pValue);
        if (_bMultiline)
            bChanged =
                ImGui::InputTextMultiline("##string", ps, ImVec2(-1.0f, ImGui::GetTextLineHeight() * 4.0f),
                                          ImGuiInputTextFlags_AllowTabInput);
        else
            bChanged = ImGui::InputText("##string", ps);
        break;
    }
    case TYPE_FILE:
    {
        const std::string& sPath = GetString(pEffect);
        if (ImGui::Button(sPath.empty() ? "..." : sPath.c_str(), ImVec2(-1.0f, 0.0f)))
        {
            delete _pFileBrowser;
            _pFileBrowser = new rvFileBrowser("file selection", _sFilter, sPath);
        }
        if (_pFileBrowser)
        {
            std::string sChosen;
            if (_pFileBrowser->Draw(sChosen))
            {
                delete _pFileBrowser;
                _pFileBrowser = nullptr;
                if (!sChosen.empty())
                {
                    SetString(pEffect, sChosen);
                    bChanged = true;
                    pEffect->_bReInit = true; // Kill and Init read the new file
                }
            }
        }
        break;
    }
    case TYPE_ENUM:
        if (_apszItems && _nItemCount > 0)
            bChanged = ImGui::Combo("##enum", static_cast<int*>(pValue), _apszItems, _nItemCount);
        break;
    default:
        break;
    }
    if (bChanged) pEffect->OnAttribChanged(this);
    ImGui::PopID();
    ImGui::NextColumn();
}

void AttribDesc::DrawDriverButton(fxBase* pEffect)
{
    if (!IsDrivable()) return;
    NoneDriver* pDriver = pEffect->FindDriver(this);
    const int eDriverType = pDriver ? pDriver->_eType : NoneDriver::DRIVER_NONE;
    // The expression text is the one reported for a driver of an unknown type.
    const int DRIVER_MAX = NoneDriver::DRIVER_MAX;
    // clang-format off
    rvAssert(eDriverType >= 0 && eDriverType<DRIVER_MAX);
    // clang-format on

    ImGui::PushID(_sLabel.c_str());
    const bool bOnKey = pDriver && eDriverType == NoneDriver::DRIVER_KEYFRAME &&
                        dynamic_cast<KeyFrameDriver*>(pDriver) && pDriver->HasKeyAt(pEffect->_fTime);
    if (bOnKey) ImGui::PushStyleColor(ImGuiCol_Button, ImVec4(1.0f, 0.2f, 0.2f, 0.8f));
    if (ImGui::SmallButton(NoneDriver::GetDriverLetter(eDriverType))) ImGui::OpenPopup("DriverType_popup");
    if (bOnKey) ImGui::PopStyleColor();
    if (ImGui::IsItemHovered()) ImGui::SetTooltip("Driver configuration");

    if (ImGui::BeginPopup("DriverType_popup", ImGuiWindowFlags_AlwaysAutoResize |
                                                  ImGuiWindowFlags_NoTitleBar |
                                                  ImGuiWindowFlags_NoSavedSettings))
    {
        if (ImGui::MenuItem("Open window"))
        {
            if (!pDriver) pDriver = pEffect->SetDriver(this, NoneDriver::DRIVER_KEYFRAME);
            if (pDriver) pDriver->_bWindowOpen = true;
        }
        ImGui::Separator();
        for (int eType = 0; eType < NoneDriver::DRIVER_MAX; ++eType)
        {
            if (ImGui::MenuItem(NoneDriver::GetDriverName(eType), nullptr, eType == eDriverType))
            {
                pDriver = pEffect->SetDriver(this, eType);
                if (pDriver) pDriver->_bWindowOpen = true;
            }
        }
        ImGui::EndPopup();
    }
    ImGui::PopID();
    ImGui::SameLine();
}

void AttribDesc::DrawComposite(fxBase* pEffect)
{
    ImGui::PushID(_sLabel.c_str());
    ImGui::PushStyleColor(ImGuiCol_Button, ImGui::GetStyleColorVec4(ImGuiCol_WindowBg));
    if (ImGui::SmallButton(_bExpanded ? "v" : ">")) _bExpanded = !_bExpanded;
    ImGui::PopStyleColor();
    ImGui::SameLine();
    ImGui::TextUnformatted(_sLabel.c_str());

    ImGui::NextColumn();
    ImGui::PushItemWidth(-1.0f);
    bool bChanged = false;
    float* pf = static_cast<float*>(ValuePtr(pEffect));
    const bool bRange = _pRange != nullptr;
    const float fMin = bRange ? _pRange->_min.f : 0.0f, fMax = bRange ? _pRange->_max.f : 0.0f;
    const ImGuiColorEditFlags colorFlags =
        ImGuiColorEditFlags_NoInputs | ImGuiColorEditFlags_NoLabel | ImGuiColorEditFlags_NoDragDrop;
    switch (_eType)
    {
    case TYPE_COLOR3:
        bChanged = ImGui::ColorEdit3("##Color", pf, colorFlags);
        break;
    case TYPE_COLOR4:
        bChanged = ImGui::ColorEdit4(
            "##Color", pf, colorFlags | ImGuiColorEditFlags_AlphaBar | ImGuiColorEditFlags_AlphaPreview);
        break;
    case TYPE_VEC2:
        bChanged = bRange ? ImGui::SliderFloat2("##Vec2", pf, fMin, fMax, "%.3f")
                          : ImGui::InputFloat2("##Vec2", pf, "%.3f");
        break;
    case TYPE_VEC3:
        bChanged = bRange ? ImGui::SliderFloat3("##Vec3", pf, fMin, fMax, "%.3f")
                          : ImGui::InputFloat3("##Vec3", pf, "%.3f");
        break;
    case TYPE_VEC4:
        bChanged = bRange ? ImGui::SliderFloat4("##Vec4", pf, fMin, fMax, "%.3f")
                          : ImGui::InputFloat4("##Vec4", pf, "%.3f");
        break;
    case TYPE_SCALE2:
        // A curved slider gives the small scales more room; this UI library has no slider
        // power, and its logarithmic slider is the nearest curve.
        if (ImGui::SliderFloat("##Scale2", &pf[0], bRange ? fMin : 0.01f, bRange ? fMax : 2.0f, "%.4f",
                               ImGuiSliderFlags_Logarithmic))
        {
            pf[1] = pf[0];
            bChanged = true;
        }
        break;
    case TYPE_SCALE3:
        bChanged = ImGui::SliderFloat3("##Scale3", pf, bRange ? fMin : 0.01f, bRange ? fMax : 2.0f, "%.3f");
        break;
    default:
        break; // arrays, transforms, camera and gear: the parts are edited in the child rows
    }
    ImGui::PopItemWidth();
    if (bChanged) pEffect->OnAttribChanged(this);
    ImGui::NextColumn();

    if (_bExpanded)
    {
        ImGui::Indent();
        if (_eType == TYPE_ARRAY)
        {
            // The ".size" row, then as many elements as it says, never more than there are.
            _apChildren[0]->DrawUI(pEffect);
            const int nElements = int(_apChildren.size()) - 1;
            const int nSize = _apChildren[0]->IsInt() ? _apChildren[0]->GetInt(pEffect) : nElements;
            const int nShown = nSize < 0 ? 0 : (nSize > nElements ? nElements : nSize);
            for (int i = 1; i <= nShown; ++i)
                _apChildren[i]->DrawUI(pEffect);
        }
        else
        {
            for (AttribDesc* pChild : _apChildren)
                pChild->DrawUI(pEffect);
        }
        ImGui::Unindent();
    }
    ImGui::PopID();
}
