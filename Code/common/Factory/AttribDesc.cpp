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

bool AttribDesc::_bTimeInFrames = false;

AttribDesc::AttribDesc(int eType, const std::string& sName, int nOffset)
    : _eType(eType), _sName(sName), _nOffset(nOffset)
{
    const size_t slash = sName.find('/');
    if (slash == std::string::npos)
    {
        _sLabel = sName;
    }
    else
    {
        _sGroup = sName.substr(0, slash);
        _sLabel = sName.substr(slash + 1);
    }
}

AttribDesc::~AttribDesc()
{
    for (AttribDesc* pChild : _apChildren)
        delete pChild;
    delete _pRange;
}

AttribDesc* AttribDesc::AddChild(const std::string& sSuffix, int eType, int nOffset)
{
    AttribDesc* pChild = Create(eType, _sName + sSuffix, nOffset);
    _apChildren.push_back(pChild);
    return pChild;
}

AttribDesc* AttribDesc::Create(int eType, const std::string& sName, int nOffset)
{
    AttribDesc* p = new AttribDesc(eType, sName, nOffset);
    const int f = int(sizeof(float));
    switch (eType)
    {
    case TYPE_COLOR3:
        p->AddChild(".r", TYPE_FLOAT, nOffset);
        p->AddChild(".g", TYPE_FLOAT, nOffset + f);
        p->AddChild(".b", TYPE_FLOAT, nOffset + 2 * f);
        p->SetRange(0.0f, 1.0f);
        break;
    case TYPE_COLOR4:
        p->AddChild(".r", TYPE_FLOAT, nOffset);
        p->AddChild(".g", TYPE_FLOAT, nOffset + f);
        p->AddChild(".b", TYPE_FLOAT, nOffset + 2 * f);
        p->AddChild(".a", TYPE_FLOAT, nOffset + 3 * f);
        p->SetRange(0.0f, 1.0f);
        break;
    case TYPE_VEC2:
        p->AddChild(".x", TYPE_FLOAT, nOffset);
        p->AddChild(".y", TYPE_FLOAT, nOffset + f);
        break;
    case TYPE_VEC3:
        p->AddChild(".x", TYPE_FLOAT, nOffset);
        p->AddChild(".y", TYPE_FLOAT, nOffset + f);
        p->AddChild(".z", TYPE_FLOAT, nOffset + 2 * f);
        break;
    case TYPE_VEC4:
        // The fourth float is listed first.
        p->AddChild(".w", TYPE_FLOAT, nOffset + 3 * f);
        p->AddChild(".x", TYPE_FLOAT, nOffset);
        p->AddChild(".y", TYPE_FLOAT, nOffset + f);
        p->AddChild(".z", TYPE_FLOAT, nOffset + 2 * f);
        break;
    case TYPE_SCALE2:
        p->AddChild(".x", TYPE_FLOAT, nOffset);
        p->AddChild(".y", TYPE_FLOAT, nOffset + f);
        p->SetRange(0.01f, 2.0f);
        break;
    case TYPE_SCALE3:
        p->AddChild(".x", TYPE_FLOAT, nOffset);
        p->AddChild(".y", TYPE_FLOAT, nOffset + f);
        p->AddChild(".z", TYPE_FLOAT, nOffset + 2 * f);
        p->SetRange(0.01f, 2.0f);
        break;
    case TYPE_TRANSFORM_2D:
        p->AddChild(".Pos", TYPE_VEC2,
                    nOffset + rvOffsetOf<rvTransform2D, rvTransform2D>(&rvTransform2D::_vPosition));
        p->AddChild(".Pivot", TYPE_VEC2,
                    nOffset + rvOffsetOf<rvTransform2D, rvTransform2D>(&rvTransform2D::_vPivot));
        p->AddChild(".Rot", TYPE_FLOAT,
                    nOffset + rvOffsetOf<rvTransform2D, rvTransform2D>(&rvTransform2D::_fRotation));
        p->AddChild(".Scale", TYPE_SCALE2,
                    nOffset + rvOffsetOf<rvTransform2D, rvTransform2D>(&rvTransform2D::_vScale));
        p->SetTransformRanges(-200.0f, 200.0f, -200.0f, 200.0f, -180.0f, 180.0f, 0.01f, 2.0f);
        break;
    case TYPE_TRANSFORM_3D:
        p->AddChild(".Pos", TYPE_VEC3,
                    nOffset + rvOffsetOf<rvTransform3D, rvTransform3D>(&rvTransform3D::_vPosition));
        p->AddChild(".Pivot", TYPE_VEC3,
                    nOffset + rvOffsetOf<rvTransform3D, rvTransform3D>(&rvTransform3D::_vPivot));
        p->AddChild(".Rot", TYPE_VEC3,
                    nOffset + rvOffsetOf<rvTransform3D, rvTransform3D>(&rvTransform3D::_vRotation));
        p->AddChild(".Scale", TYPE_SCALE3,
                    nOffset + rvOffsetOf<rvTransform3D, rvTransform3D>(&rvTransform3D::_vScale));
        p->SetTransformRanges(-200.0f, 200.0f, -200.0f, 200.0f, -180.0f, 180.0f, 0.01f, 2.0f);
        break;
    case TYPE_LOOKAT_CAMERA:
    {
        rvAssert(p->_eType == TYPE_LOOKAT_CAMERA);
        typedef AttribLookAtLayout L;
        const float fPi = 3.141592f;
        p->AddChild(".Yaw", TYPE_FLOAT, nOffset + rvOffsetOf<L, L>(&L::_fYaw))->SetRange(-fPi, fPi);
        p->AddChild(".Pitch", TYPE_FLOAT, nOffset + rvOffsetOf<L, L>(&L::_fPitch))->SetRange(-fPi, fPi);
        p->AddChild(".Roll", TYPE_FLOAT, nOffset + rvOffsetOf<L, L>(&L::_fRoll))->SetRange(-fPi, fPi);
        p->AddChild(".Dist", TYPE_FLOAT, nOffset + rvOffsetOf<L, L>(&L::_fDist))->SetRange(0.01f, 2000.0f);
        p->AddChild(".Pan", TYPE_VEC2, nOffset + rvOffsetOf<L, L>(&L::_fPanX))->SetRange(0.0f, 2000.0f);
        break;
    }
    case TYPE_GEAR:
    {
        typedef AttribGearLayout G;
        p->AddChild(".Name", TYPE_STRING, nOffset + rvOffsetOf<G, G>(&G::_sName));
        p->AddChild(".Highlight", TYPE_BOOL, nOffset + rvOffsetOf<G, G>(&G::_bHighlight));
        p->AddChild(".Speed", TYPE_FLOAT, nOffset + rvOffsetOf<G, G>(&G::_fSpeed));
        p->AddChild(".r", TYPE_FLOAT, nOffset + rvOffsetOf<G, G>(&G::_fR));
        p->AddChild(".g", TYPE_FLOAT, nOffset + rvOffsetOf<G, G>(&G::_fG));
        p->AddChild(".b", TYPE_FLOAT, nOffset + rvOffsetOf<G, G>(&G::_fB));
        break;
    }
    default:
        break;
    }
    return p;
}

void AttribDesc::SetRange(float fMin, float fMax)
{
    if (!_pRange) _pRange = new AttribRange();
    _pRange->_min.f = fMin;
    _pRange->_max.f = fMax;
    for (AttribDesc* pChild : _apChildren)
        pChild->SetRange(fMin, fMax);
}

void AttribDesc::SetIntRange(int nMin, int nMax)
{
    if (!_pRange) _pRange = new AttribRange();
    _pRange->_min.i = nMin;
    _pRange->_max.i = nMax;
    for (AttribDesc* pChild : _apChildren)
        pChild->SetIntRange(nMin, nMax);
}

void AttribDesc::SetTransformRanges(float fPosMin, float fPosMax, float fPivotMin, float fPivotMax,
                                    float fRotMin, float fRotMax, float fScaleMin, float fScaleMax)
{
    rvAssert(_eType == TYPE_TRANSFORM_2D || _eType == TYPE_TRANSFORM_3D);
    rvAssert(_apChildren.size() == 4);
    _apChildren[0]->SetRange(fPosMin, fPosMax);
    _apChildren[1]->SetRange(fPivotMin, fPivotMax);
    _apChildren[2]->SetRange(fRotMin, fRotMax);
    _apChildren[3]->SetRange(fScaleMin, fScaleMax);
}

void AttribDesc::SetItems(const char* const* apszItems, int nCount)
{
    if (_eType != TYPE_ENUM) return;
    _apszItems = apszItems;
    _nItemCount = nCount;
}

bool AttribDesc::GetBool(const fxBase* pEffect) const
{
    rvAssert(IsBool());
    return *static_cast<const bool*>(ValuePtr(pEffect));
}

void AttribDesc::SetBool(fxBase* pEffect, bool b) const
{
    rvAssert(IsBool());
    *static_cast<bool*>(ValuePtr(pEffect)) = b;
}

int AttribDesc::GetInt(const fxBase* pEffect) const
{
    rvAssert(IsInt());
    return *static_cast<const int*>(ValuePtr(pEffect));
}

void AttribDesc::SetInt(fxBase* pEffect, int n) const
{
    rvAssert(IsInt());
    *static_cast<int*>(ValuePtr(pEffect)) = n;
}

float AttribDesc::GetFloat(const fxBase* pEffect) const
{
    rvAssert(IsFloat());
    return *static_cast<const float*>(ValuePtr(pEffect));
}

void AttribDesc::SetFloat(fxBase* pEffect, float f) const
{
    rvAssert(IsFloat());
    *static_cast<float*>(ValuePtr(pEffect)) = f;
}

const std::string& AttribDesc::GetString(const fxBase* pEffect) const
{
    rvAssert(IsString());
    return *static_cast<const std::string*>(ValuePtr(pEffect));
}

void AttribDesc::SetString(fxBase* pEffect, const std::string& s) const
{
    rvAssert(IsString());
    *static_cast<std::string*>(ValuePtr(pEffect)) = s;
}

AttribButtonFn AttribDesc::GetButton(const fxBase* pEffect) const
{
    rvAssert(_eType == TYPE_BUTTON);
    return *static_cast<const AttribButtonFn*>(ValuePtr(pEffect));
}

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
