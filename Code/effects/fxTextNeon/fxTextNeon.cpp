#include "effects/fxTextNeon/fxTextNeon.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvBound.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"

#include <algorithm>
#include <cmath>
#include <cstring>

fxTextNeon::fxTextNeon(fxDescriptor* pDescriptor) : fxText(pDescriptor) {}

fxTextNeon::~fxTextNeon() = default;

float fxTextNeon::NextJump()
{
    _nSeed = _nSeed * 1664525u + 1013904223u;
    // The state's bytes in reverse order give the mantissa of a float in [2, 4).
    const uint32_t s = _nSeed;
    const uint32_t swapped = (s >> 24) | ((s >> 8) & 0xFF00u) | ((s << 8) & 0xFF0000u) | (s << 24);
    const uint32_t bits = 0x40000000u | (swapped & 0x007FFFFFu);
    float F;
    std::memcpy(&F, &bits, sizeof F);
    const float v = _fEvalVariation;
    return (F - 2.f) * 0.5f * 2.f * v - v;
}

void fxTextNeon::BuildNeonTable()
{
    _nChar = int(_VectorScene._apChildren.size());
    _nSteps = rvBoundInt(this, "EvalSteps", _nEvalSteps, 1, kMaxEvalSteps);
    _aNeonLooks.assign(size_t(_nChar) * size_t(_nSteps + 1), glm::vec4(0.f));
    if (_aNeonLooks.empty()) return;
    const glm::vec4 off(glm::vec3(_vColorOff), _fThicknessOff);
    const glm::vec4 mid(glm::vec3(_vColorMid), _fThicknessMid);
    const glm::vec4 on(glm::vec3(_vColor), _fThickness);
    _nSeed = uint32_t(_nSeedInitial);
    for (int i = 0; i < _nChar; ++i)
    {
        if (!_bSeedPerPath) _nSeed = uint32_t(_nSeedInitial);
        float p = 0.f;
        glm::vec4 look = off;
        for (int j = 0; j <= _nSteps; ++j)
        {
            if (p < 1.f)
            {
                const float r = NextJump();
                p = std::max(float(j) / float(_nSteps), p + r);
                // A threshold of 0 or below has no ramp: the glyph is at "mid" at once.
                if (p <= _fEvalThreshold)
                    look = _fEvalThreshold > 0.f ? off + (mid - off) * (p / _fEvalThreshold) : mid;
                else if (p < 1.f)
                    look = mid;
                else
                    look = on;
            }
            _aNeonLooks[size_t(j) * size_t(_nChar) + size_t(i)] = look;
        }
    }
}

void fxTextNeon::Init()
{
    fxText::Init();
    BuildNeonTable();
}

int fxTextNeon::CurrentStep() const
{
    const float s = _fNeon * float(_nSteps);
    // A non-finite "Neon" (from a driver) shows the first step.
    if (!std::isfinite(s)) return 0;
    return std::min(std::max(int(s), 0), _nSteps);
}

void fxTextNeon::Render()
{
    const float fFade = GetFade();
    const int s = CurrentStep();
    rvAssert(_VectorScene._apChildren.size() == size_t(_nChar));
    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);
    for (int i = 0; i < _nChar; ++i)
    {
        const glm::vec4& look = _aNeonLooks[size_t(s) * size_t(_nChar) + size_t(i)];
        const glm::vec4 color(glm::vec3(look) * fFade, 1.f);
        VectorScene* pGlyph = _VectorScene._apChildren[size_t(i)];
        pGlyph->SetColor(color);
        pGlyph->SetWidth(look.w);
    }
    for (VectorSceneLine* pLine : _VectorScene._apLines)
        pLine->Draw(_VectorScene.GetTransform());
    for (VectorScene* pGlyph : _VectorScene._apChildren)
        pGlyph->Draw();
}

fxDescriptor* fxTextNeon::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxText::GetDescriptor(), "fxTextNeon", &fxTextNeon::Create);
    return s_pDescriptor;
}

fxBase* fxTextNeon::Create(fxDescriptor* pDescriptor)
{
    return new fxTextNeon(pDescriptor);
}

fxDescriptor* fxTextNeon::RegisterAttributes()
{
    fxText::RegisterAttributes();
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    d->Add(TYPE_FLOAT, "Neon", rvOffsetOf<fxTextNeon>(&fxTextNeon::_fNeon))->SetRange(0.f, 1.f);
    d->Add(TYPE_INT, "EvalSteps", rvOffsetOf<fxTextNeon>(&fxTextNeon::_nEvalSteps))->SetIntRange(1, 100);
    d->Add(TYPE_FLOAT, "EvalVariation", rvOffsetOf<fxTextNeon>(&fxTextNeon::_fEvalVariation))->SetRange(0.1f, 1.f);
    d->Add(TYPE_FLOAT, "EvalThreshold", rvOffsetOf<fxTextNeon>(&fxTextNeon::_fEvalThreshold))->SetRange(0.1f, 1.f);
    d->Add(TYPE_INT, "SeedInitial", rvOffsetOf<fxTextNeon>(&fxTextNeon::_nSeedInitial));
    d->Add(TYPE_BOOL, "SeedPerPath", rvOffsetOf<fxTextNeon>(&fxTextNeon::_bSeedPerPath));
    d->Add(TYPE_COLOR4, "ColorOff", rvOffsetOf<fxTextNeon>(&fxTextNeon::_vColorOff));
    d->Add(TYPE_FLOAT, "ThicknessOff", rvOffsetOf<fxTextNeon>(&fxTextNeon::_fThicknessOff))->SetRange(0.f, 1.f);
    d->Add(TYPE_COLOR4, "ColorMid", rvOffsetOf<fxTextNeon>(&fxTextNeon::_vColorMid));
    d->Add(TYPE_FLOAT, "ThicknessMid", rvOffsetOf<fxTextNeon>(&fxTextNeon::_fThicknessMid))->SetRange(0.f, 1.f);
    return d;
}
