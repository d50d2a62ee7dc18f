#include "effects/fxBootSequence/fxBootSequence.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "effects/fxBufferDisplay/fxBufferDisplay.h"
#include "rvAssert.h"
#include "rvMessage.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <algorithm>
#include <initializer_list>

namespace
{
const char* const s_pszUnitImage = "Data/img/ZQ4-Unit.png";
const char* const s_pszButtonImage = "Data/img/ZQ4-UnitButton.png";

// Alpha factor and the blend every part but the screen content is drawn with.
void BlendSetUp(rvProgram2D& program, float fAlpha)
{
    program.SetMulAlpha(fAlpha);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
}

void DrawPlaced(rvProgram2D& program, const glm::vec4& placed)
{
    program.DrawQuad(0, placed.x, placed.y, placed.z, placed.w);
}
} // namespace

fxBootSequence::fxBootSequence(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

fxBootSequence::~fxBootSequence()
{
    _shUnit.Release();
    _shUBut.Release();
    _shFill.Release();
    _shScreen.Release();
}

void fxBootSequence::Init()
{
    // Compiled in the loading pass, not by the first frame.
    for (rvProgram* p : std::initializer_list<rvProgram*>{&_shUnit, &_shUBut, &_shFill, &_shScreen})
        p->Prepare();
    _shUnit.LoadImage(s_pszUnitImage, false);
    if (!_shUnit.IsImageLoaded())
        rvReport(rvMessageKind::Warning, "fxBootSequence: cannot use \"%s\"; the console is not drawn", s_pszUnitImage);
    _shUBut.LoadImage(s_pszButtonImage, false);
    if (!_shUBut.IsImageLoaded())
        rvReport(rvMessageKind::Warning, "fxBootSequence: cannot use \"%s\"; the buttons are not drawn",
                 s_pszButtonImage);
    _pScreenFx = fxBufferDisplay::FindNamed(this, _sScreenFxBuffer);
    if (!_pScreenFx && !_sScreenFxBuffer.empty() && _pSequence)
        ReportNoEffectNamed("ScreenFxBuffer", _sScreenFxBuffer, "fxBufferDisplay");
}

void fxBootSequence::Kill()
{
    _shUnit.Release();
    _shUBut.Release();
}

glm::vec4 fxBootSequence::Place(const glm::vec4& rc) const
{
    return glm::vec4((_vUnitPos.x + _vUnitScl.x * rc.x + 1.0f) * 0.5f, (_vUnitPos.y + _vUnitScl.y * rc.y + 1.0f) * 0.5f,
                     _vUnitScl.x * rc.z, _vUnitScl.y * rc.w);
}

void fxBootSequence::Render()
{
    rvBufferDisplay* pBuffer = rvSceneDisplay::_pCurrentBuffer;
    rvAssert(pBuffer);
    const float t = _fTime, fade = GetFade();
    if (_shUnit.IsImageLoaded() && pBuffer->_nWidth > 0)
        _vUnitScl.x = _vUnitScl.y * (float(_shUnit._imageWidth) / float(_shUnit._imageHeight)) *
                      (float(pBuffer->_nHeight) / float(pBuffer->_nWidth));

    // Screen background until the console is on.
    const glm::vec4* pBack = t < _fScreenTime ? &_vScreenBack0 : (t < _fUnitTime ? &_vScreenBack1 : nullptr);
    if (pBack)
    {
        _shFill.UseWithColor(pBack->r, pBack->g, pBack->b, pBack->a);
        BlendSetUp(_shFill, fade);
        DrawPlaced(_shFill, Place(_rcScreen));
        _shFill.Unuse();
    }

    // Screen content: the named buffer's picture while that effect runs. The pointer is looked up
    // again each frame, so a buffer effect removed from the timeline is never reached.
    _pScreenFx = fxBufferDisplay::FindNamed(this, _sScreenFxBuffer);
    if (_pScreenFx && _pScreenFx->_eState == State_EffectStarted)
    {
        vector_display* pDisplay = rvSceneDisplay::_pCurrentDisplay;
        rvAssert(pDisplay);
        GLuint previousFramebuffer = 0;
        if (_fScreenGlow > 0.0f) previousFramebuffer = vector_display_begin_frame(pDisplay, true);
        _shScreen.UseTexture(_pScreenFx->_Buffer._glColorTexture);
        _shScreen.SetMulAlpha(fade);
        DrawPlaced(_shScreen, Place(_rcScreen));
        _shScreen.Unuse();
        if (_fScreenGlow > 0.0f)
        {
            const float fSaved = pDisplay->settings.color_brightness;
            pDisplay->settings.color_brightness = _fScreenGlow;
            vector_display_glow(pDisplay, previousFramebuffer);
            pDisplay->settings.color_brightness = fSaved;
        }
    }

    // Status strip.
    const glm::vec4& strip = t < _fUnitTime ? _vLoadingBack0 : _vLoadingBack1;
    _shFill.UseWithColor(strip.r, strip.g, strip.b, strip.a);
    BlendSetUp(_shFill, fade);
    DrawPlaced(_shFill, Place(_rcLoading));
    _shFill.Unuse();

    // The console over them, its transparent screen and strip letting them through.
    if (_shUnit.IsImageLoaded())
    {
        _shUnit.Use();
        BlendSetUp(_shUnit, fade);
        _shUnit.DrawQuad(0, (_vUnitPos.x + 1.0f) * 0.5f, (_vUnitPos.y + 1.0f) * 0.5f, _vUnitScl.x, _vUnitScl.y);
        _shUnit.Unuse();
    }
    if (!_shUBut.IsImageLoaded()) return;

    // Buttons 1 and 2 are pressed over the second before "ScreenTime" and "UnitTime".
    const float aTimes[2] = {_fScreenTime, _fUnitTime};
    const glm::vec4* aRects[2] = {&_rcButton1, &_rcButton2};
    for (int i = 0; i < 2; ++i)
    {
        const float k = std::clamp(t - (aTimes[i] - 1.0f), 0.0f, 1.0f);
        glm::vec4 placed = Place(*aRects[i]);
        placed.x -= 0.1f * k * placed.z;
        placed.z *= 1.0f - 0.1f * k;
        _shUBut.Use();
        BlendSetUp(_shUBut, fade * (t >= aTimes[i] ? 1.0f : 0.5f));
        DrawPlaced(_shUBut, placed);
        _shUBut.Unuse();
    }
    // Button 3 swells over the second before "UnitTime" and lights green from then on.
    const bool bOn = t >= _fUnitTime;
    const float s = 0.9f + 0.1f * std::clamp(t - (_fUnitTime - 1.0f), 0.0f, 1.0f);
    glm::vec4 placed = Place(_rcButton3);
    placed.z *= s;
    placed.w *= s;
    _shUBut.Use();
    if (bOn)
        _shUBut.SetAddColor(0.0f, 1.0f, -0.3f);
    else
        _shUBut.SetAddColor(0.0f, -0.3f, -0.3f);
    BlendSetUp(_shUBut, fade * (bOn ? 1.0f : 0.5f));
    DrawPlaced(_shUBut, placed);
    _shUBut.Unuse();
}

fxDescriptor* fxBootSequence::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxBootSequence", &fxBootSequence::Create);
    return s_pDescriptor;
}

fxBase* fxBootSequence::Create(fxDescriptor* pDescriptor)
{
    return new fxBootSequence(pDescriptor);
}

fxDescriptor* fxBootSequence::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    typedef fxBootSequence T;
    d->Add(TYPE_FLOAT, "UnitTime", rvOffsetOf<T>(&T::_fUnitTime))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_VEC2, "UnitPos", rvOffsetOf<T>(&T::_vUnitPos))->SetRange(-1.0f, 1.0f);
    d->Add(TYPE_VEC2, "UnitScl", rvOffsetOf<T>(&T::_vUnitScl))->SetRange(0.0f, 10.0f);
    d->Add(TYPE_STRING, "ScreenFxBuffer", rvOffsetOf<T>(&T::_sScreenFxBuffer));
    d->Add(TYPE_FLOAT, "ScreenGlow", rvOffsetOf<T>(&T::_fScreenGlow));
    d->Add(TYPE_FLOAT, "ScreenTime", rvOffsetOf<T>(&T::_fScreenTime))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_COLOR4, "ScreenBack0", rvOffsetOf<T>(&T::_vScreenBack0));
    d->Add(TYPE_COLOR4, "ScreenBack1", rvOffsetOf<T>(&T::_vScreenBack1));
    d->Add(TYPE_COLOR4, "ScreenBack2", rvOffsetOf<T>(&T::_vScreenBack2));
    d->Add(TYPE_VEC2, "ScreenTextPos", rvOffsetOf<T>(&T::_vScreenTextPos))->SetRange(-1.0f, 1.0f);
    d->Add(TYPE_VEC2, "ScreenTextScl", rvOffsetOf<T>(&T::_vScreenTextScl))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_COLOR4, "LoadingBack0", rvOffsetOf<T>(&T::_vLoadingBack0));
    d->Add(TYPE_COLOR4, "LoadingBack1", rvOffsetOf<T>(&T::_vLoadingBack1));
    return d;
}
