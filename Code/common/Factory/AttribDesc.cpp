#include "AttribDesc.h"

#include "FileBrowser/rvFileBrowser.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/Drivers/NoneDriver.h"
#include "Factory/fxBase.h"
#include "rvAssert.h"
#include "rvMath.h"

#include <algorithm>
#include <climits>
#include <cmath>

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
    // An int, time or enum node reads its range as ints: a float range written into it would
    // be read as the floats' bits (a slider running to a billion).
    if (IsInt())
    {
        SetIntRange(RoundToInt(double(fMin)), RoundToInt(double(fMax)));
        return;
    }
    if (!_pRange) _pRange = new AttribRange();
    _pRange->_min.f = fMin;
    _pRange->_max.f = fMax;
    for (AttribDesc* pChild : _apChildren)
        pChild->SetRange(fMin, fMax);
}

int AttribDesc::RoundToInt(double v)
{
    if (std::isnan(v)) return 0;
    const double r = std::round(v);
    return r <= double(INT_MIN) ? INT_MIN : (r >= double(INT_MAX) ? INT_MAX : int(r));
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
    if (_eType == TYPE_TIME) n = std::min(std::max(n, -kMaxFrame), kMaxFrame);
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
