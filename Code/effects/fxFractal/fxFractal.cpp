#include "effects/fxFractal/fxFractal.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvBound.h"
#include "effects/rvColor.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"

#include <algorithm>
#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/quaternion.hpp>

fxFractal::fxFractal(fxDescriptor* pDescriptor)
    : fxBase(pDescriptor), _pDisplay(nullptr), _nBrancheCount(2), _nDepthMax(4), _nDepthMin(0), _nBuiltDepthMax(-1),
      _fBuiltFade(1.0f), _fBaseSize(10.0f), _vBaseColor(0.9f, 0.5f, 0.0f), _fBaseThickness(1.0f),
      _vLeafColor(0.0f, 0.5f, 0.9f), _fLeafThickness(0.2f), _bShowModel(false), _bShowFractal(true)
{
    for (Branch& b : _aBranches)
        b = Branch{0.0f, glm::vec3(0.0f), glm::vec3(0.0f), glm::mat4(1.0f), false};
}

fxFractal::~fxFractal() = default;

void fxFractal::UpdateBranchMatrix(Branch& branch, float fScaleDivisor)
{
    const glm::vec3 d = branch.v1 - branch.v0;
    branch._fLength = glm::length(d);
    // A branch without length (or with points that are not numbers) has no direction: it is
    // left out rather than drawn through a matrix that is not finite.
    const float m = branch._fLength / fScaleDivisor;
    branch._bValid = branch._fLength > 0.0f && std::isfinite(branch._fLength) && std::isfinite(m);
    if (!branch._bValid)
    {
        branch._mLocal = glm::mat4(1.0f);
        return;
    }
    const glm::vec3 u = d / branch._fLength;
    // The rotation taking +y onto u; straight down falls back to no rotation.
    glm::quat q(1.0f + u.y, u.z, 0.0f, -u.x);
    const float len = glm::length(q);
    q = len > 0.0f ? q / len : glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    branch._mLocal = glm::translate(glm::mat4(1.0f), branch.v0) * glm::mat4_cast(q) *
                     glm::scale(glm::mat4(1.0f), glm::vec3(m));
}

int fxFractal::BranchCount() const
{
    return rvBoundInt(this, "BrancheCount", _nBrancheCount, 0, BRANCH_MAX);
}

int fxFractal::DepthMax() const
{
    return rvBoundInt(this, "DepthMax", _nDepthMax, 0, MAX_DEPTH);
}

int fxFractal::DrawnDepthMax() const
{
    const long long B = BranchCount();
    int nDepth = 0;
    long long nSegments = 0, nLevel = 1;
    const int nDepthMax = DepthMax();
    while (nDepth < nDepthMax)
    {
        nLevel *= B;
        if (nSegments + nLevel > MAX_SEGMENTS) break;
        nSegments += nLevel;
        ++nDepth;
        if (B == 0) return nDepthMax; // nothing below the trunk however deep
    }
    return nDepth;
}

long long fxFractal::SegmentCount() const
{
    const long long B = BranchCount();
    long long n = 0;
    if (_bShowModel) n += 1 + B;
    if (!_bShowFractal) return n;
    if (_nDepthMin <= 0) n += 1;
    long long nLevel = 1;
    const int nDepthMax = DrawnDepthMax();
    for (int d = 1; d <= nDepthMax; ++d)
    {
        nLevel *= B;
        if (d >= _nDepthMin) n += nLevel;
    }
    return n;
}

void fxFractal::BuildLevels(float fFade)
{
    _fBuiltFade = fFade;
    _nBuiltDepthMax = _nDepthMax;
    // At least two entries: the trunk always runs from entry 0 to entry 1.
    const int nLast = std::max(DepthMax(), 1);
    _aLevels.assign(size_t(nLast) + 1, vector_display_point());
    for (int j = 0; j <= nLast; ++j)
    {
        const float v = float(j) / float(nLast);
        const glm::vec3 c = rvUnitColor((_vBaseColor + (_vLeafColor - _vBaseColor) * v) * fFade);
        vector_display_point& p = _aLevels[size_t(j)];
        p.r = c.r;
        p.g = c.g;
        p.b = c.b;
        p.flags = 0;
        p.thickness = _fBaseThickness + (_fLeafThickness - _fBaseThickness) * v;
    }
}

void fxFractal::DrawSegment(const glm::mat4& M, float fLength, int a, int b)
{
    const glm::vec4 p0 = M * glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
    const glm::vec4 p1 = M * glm::vec4(0.0f, fLength, 0.0f, 1.0f);
    vector_display_point& A = _aLevels[size_t(a)];
    vector_display_point& B = _aLevels[size_t(b)];
    A.x = p0.x;
    A.y = p0.y;
    A.z = p0.z;
    B.x = p1.x;
    B.y = p1.y;
    B.z = p1.z;
    vector_display_add_line(_pDisplay, &A, &B);
}

void fxFractal::DrawLevel(int nDepth, const glm::mat4& M, int k, int nDepthMax)
{
    nDepth += 1;
    if (nDepth > nDepthMax) return;
    const int nBranches = BranchCount();
    for (int i = 1; i <= nBranches; ++i)
    {
        const Branch& branch = _aBranches[i];
        if (!branch._bValid) continue;
        const glm::mat4 L = M * branch._mLocal;
        if (nDepth >= _nDepthMin) DrawSegment(L, branch._fLength, k, k + 1);
        DrawLevel(nDepth, L, k + 1, nDepthMax);
    }
}

void fxFractal::Render()
{
    // Drawing goes to the display current now (the buffer may have changed since construction).
    _pDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pDisplay);
    _Transform.Update();
    Branch& trunk = _aBranches[0];
    trunk.v0 = glm::vec3(0.0f);
    trunk.v1 = glm::vec3(0.0f, _fBaseSize, 0.0f);
    UpdateBranchMatrix(trunk, 1.0f);
    const int nBranches = BranchCount();
    for (int i = 1; i <= nBranches; ++i)
        UpdateBranchMatrix(_aBranches[i], _fBaseSize);

    const float fFade = GetFade();
    if (fFade != _fBuiltFade || _nDepthMax != _nBuiltDepthMax || _aLevels.size() < 2) BuildLevels(fFade);
    if (!trunk._bValid) return; // a trunk without length carries no tree

    const glm::mat4& T = _Transform._mMatrix;
    const glm::mat4 M0 = T * trunk._mLocal;
    if (_bShowModel)
    {
        DrawSegment(M0, trunk._fLength, 0, 1);
        for (int i = 1; i <= nBranches; ++i)
            if (_aBranches[i]._bValid) DrawSegment(M0 * _aBranches[i]._mLocal, _aBranches[i]._fLength, 0, 1);
    }
    if (_bShowFractal)
    {
        if (_nDepthMin <= 0) DrawSegment(M0, trunk._fLength, 0, 1);
        // The level table has DepthMax + 1 entries; the drawn depth never goes past it.
        const int nDepthMax = std::min(DrawnDepthMax(), int(_aLevels.size()) - 1);
        DrawLevel(0, M0, 0, nDepthMax);
    }
}

fxDescriptor* fxFractal::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor = new fxDescriptor(fxBase::GetDescriptor(), "fxFractal", &fxFractal::Create);
    return s_pDescriptor;
}

fxBase* fxFractal::Create(fxDescriptor* pDescriptor)
{
    return new fxFractal(pDescriptor);
}

fxDescriptor* fxFractal::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    using F = fxFractal;
    d->Add(TYPE_TRANSFORM_3D, "Transform", rvOffsetOf<F>(&F::_Transform));
    d->Add(TYPE_INT, "DepthMin", rvOffsetOf<F>(&F::_nDepthMin))->SetRange(0.0f, 15.0f);
    d->Add(TYPE_INT, "DepthMax", rvOffsetOf<F>(&F::_nDepthMax))->SetRange(0.0f, 15.0f);
    d->Add(TYPE_BOOL, "ShowModel", rvOffsetOf<F>(&F::_bShowModel));
    d->Add(TYPE_BOOL, "ShowFractal", rvOffsetOf<F>(&F::_bShowFractal));
    d->Add(TYPE_FLOAT, "BaseSize", rvOffsetOf<F>(&F::_fBaseSize))->SetRange(0.0f, 100.0f);
    d->Add(TYPE_FLOAT, "BaseThickness", rvOffsetOf<F>(&F::_fBaseThickness))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_COLOR3, "BaseColor", rvOffsetOf<F>(&F::_vBaseColor));
    d->Add(TYPE_FLOAT, "LeafThickness", rvOffsetOf<F>(&F::_fLeafThickness))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_COLOR3, "LeafColor", rvOffsetOf<F>(&F::_vLeafColor));
    d->Add(TYPE_INT, "BrancheCount", rvOffsetOf<F>(&F::_nBrancheCount))->SetRange(0.0f, 4.0f);
    for (int i = 0; i < BRANCH_MAX; ++i)
    {
        const std::string s = "Branche[" + std::to_string(i) + "]";
        const int nBranch = rvOffsetOf<F>(&F::_aBranches) + int(sizeof(Branch)) * (i + 1);
        d->Add(TYPE_VEC3, s + ".v0", nBranch + rvOffsetOf<Branch, Branch>(&Branch::v0))->SetRange(-10.0f, 10.0f);
        d->Add(TYPE_VEC3, s + ".v1", nBranch + rvOffsetOf<Branch, Branch>(&Branch::v1))->SetRange(-10.0f, 10.0f);
    }
    return d;
}
