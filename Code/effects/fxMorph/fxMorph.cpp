#include "effects/fxMorph/fxMorph.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Sequencer/rvSequence.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <algorithm>
#include <cmath>

fxMorph::fxMorph(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

fxMorph::~fxMorph() = default;

bool fxMorph::TakeShape(bool bSource, const std::string& sFX, const std::string& sSVG, const glm::vec2& vPos,
                        float fSize)
{
    nanoSVG2Edge& shape = bSource ? _Morph._SVGSource : _Morph._SVGDest;
    fxBase* pOther = _pSequence && !sFX.empty() ? _pSequence->FindEffect(sFX) : nullptr;
    if (pOther && pOther != this)
    {
        shape.Release();
        (bSource ? _Morph._vSourcePos : _Morph._vDestPos) = glm::vec2(0.f);
        (bSource ? _Morph._vSourceScale : _Morph._vDestScale) = glm::vec2(0.1f, -0.1f);
        if (_Morph.AddVectorScene(shape, pOther->EvaluateAt(pOther->GetDuration()), sFX.c_str())) return true;
    }
    if (sSVG.empty()) return false;
    // A shape loaded at size 0 would be re-placed by dividing by 0: it is loaded at size 1 and
    // the size of the moment (0) shrinks it onto its position when drawn.
    const float fLoadSize = std::fabs(fSize) > 1e-6f ? fSize : 1.f;
    return _Morph.LoadShape(bSource, sSVG.c_str(), vPos, glm::vec2(fLoadSize));
}

void fxMorph::Init()
{
    if (!TakeShape(true, _sSourceFX, _sSourceSVG, _vSourcePos, _fSourceSize)) return;
    if (!TakeShape(false, _sDestinationFX, _sDestinationSVG, _vDestinationPos, _fDestinationSize)) return;
    _Morph.Init();
}

void fxMorph::Kill()
{
    _Morph.Release();
}

bool fxMorph::InFadeIn() const
{
    return _fFadeIn != 0.f && _fTime < _fFadeIn;
}

bool fxMorph::InFadeOut() const
{
    return _fFadeOut != 0.f && _fTime > GetDuration() - _fFadeOut;
}

float fxMorph::ColorFactor() const
{
    return (InFadeIn() && _bFadeInColor) || (InFadeOut() && _bFadeOutColor) ? GetFade() : 1.f;
}

float fxMorph::MorphAmount() const
{
    const float f = GetFade();
    if ((InFadeIn() && _bFadeInMorph) || (InFadeOut() && _bFadeOutMorph)) return (3.f - 2.f * f) * f * f * _fUserMorph;
    return _fUserMorph;
}

void fxMorph::Render()
{
    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);
    vector_display_set_rgb(_pCurrentDisplay, glm::vec3(_vColor) * ColorFactor());
    if (_fThickness > 0.f) _pCurrentDisplay->settings.thickness = _fThickness;
    float m = MorphAmount();
    if (!std::isfinite(m)) m = _fUserMorph;
    _Morph.Draw(m, glm::vec4(_vSourcePos, _fSourceSize, _fSourceSize),
                glm::vec4(_vDestinationPos, _fDestinationSize, _fDestinationSize));
}

fxDescriptor* fxMorph::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor = new fxDescriptor(fxBase::GetDescriptor(), "fxMorph", &fxMorph::Create);
    return s_pDescriptor;
}

fxBase* fxMorph::Create(fxDescriptor* pDescriptor)
{
    return new fxMorph(pDescriptor);
}

fxDescriptor* fxMorph::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    d->Add(TYPE_BOOL, "FadeInMorph", rvOffsetOf<fxMorph>(&fxMorph::_bFadeInMorph));
    d->Add(TYPE_BOOL, "FadeInColor", rvOffsetOf<fxMorph>(&fxMorph::_bFadeInColor));
    d->Add(TYPE_BOOL, "FadeOutMorph", rvOffsetOf<fxMorph>(&fxMorph::_bFadeOutMorph));
    d->Add(TYPE_BOOL, "FadeOutColor", rvOffsetOf<fxMorph>(&fxMorph::_bFadeOutColor));
    d->Add(TYPE_FLOAT, "UserMorph", rvOffsetOf<fxMorph>(&fxMorph::_fUserMorph))->SetRange(0.f, 1.f);
    d->Add(TYPE_STRING, "Source/FX", rvOffsetOf<fxMorph>(&fxMorph::_sSourceFX));
    d->Add(TYPE_FILE, "Source/SVG", rvOffsetOf<fxMorph>(&fxMorph::_sSourceSVG))->_sFilter = ".svg";
    d->Add(TYPE_VEC2, "Source/Pos", rvOffsetOf<fxMorph>(&fxMorph::_vSourcePos))->SetRange(-100.f, 100.f);
    d->Add(TYPE_FLOAT, "Source/Size", rvOffsetOf<fxMorph>(&fxMorph::_fSourceSize))->SetRange(0.f, 10.f);
    d->Add(TYPE_STRING, "Destination/FX", rvOffsetOf<fxMorph>(&fxMorph::_sDestinationFX));
    d->Add(TYPE_FILE, "Destination/SVG", rvOffsetOf<fxMorph>(&fxMorph::_sDestinationSVG))->_sFilter = ".svg";
    d->Add(TYPE_VEC2, "Destination/Pos", rvOffsetOf<fxMorph>(&fxMorph::_vDestinationPos))->SetRange(-100.f, 100.f);
    d->Add(TYPE_FLOAT, "Destination/Size", rvOffsetOf<fxMorph>(&fxMorph::_fDestinationSize))->SetRange(0.f, 10.f);
    d->Add(TYPE_FLOAT, "Style/Thickness", rvOffsetOf<fxMorph>(&fxMorph::_fThickness))->SetRange(0.f, 5.f);
    d->Add(TYPE_COLOR4, "Style/Color", rvOffsetOf<fxMorph>(&fxMorph::_vColor));
    return d;
}
