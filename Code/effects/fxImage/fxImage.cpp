#include "effects/fxImage/fxImage.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Sequencer/rvSequence.h"
#include "effects/fxBufferDisplay/fxBufferDisplay.h"
#include "effects/shEffectProgram.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

namespace
{
const char* const s_apszColorBlend[] = {"Copy", "Alpha", "Add", "Max"};
const char* const s_pszNoFile = "Data/img/";
} // namespace

fxImage::fxImage(fxDescriptor* pDescriptor) : fxBase(pDescriptor)
{
    _sPngFile = s_pszNoFile;
    _pFxBuffer = nullptr;
    _vScreenPos = glm::vec2(0.f, 0.f);
    _vColorMul = glm::vec4(1.f, 1.f, 1.f, 1.f);
    _vColorAdd = glm::vec4(0.f, 0.f, 0.f, 1.f);
    _eColorBlend = ColorBlend_Alpha;
    _fScreenSize = 0.5f;
    _bKeepRatioX = false;
    _bKeepRatioY = true;
    _bFullscreen = false;
    _bRepeatUV = false;
    _bValidImg = false;
    _bGlow = false;
}

fxImage::~fxImage() = default;

fxBase* fxImage::FindBufferEffect() const
{
    if (_sFxBuffer.empty() || !_pSequence) return nullptr;
    fxBase* pEffect = _pSequence->FindEffect(_sFxBuffer);
    if (pEffect && pEffect->_pDescriptor && pEffect->_pDescriptor->_sClassName == "fxBufferDisplay")
        return pEffect;
    return nullptr;
}

void fxImage::Init()
{
    _program.Prepare(); // compiled in the loading pass, not by the first frame
    _bValidImg = false;
    _pFxBuffer = nullptr;
    if (!_sFxBuffer.empty() && _pSequence)
    {
        _pFxBuffer = FindBufferEffect();
        return; // a named buffer: no image file is tried
    }
    if (_sPngFile == s_pszNoFile) return;
    _bValidImg = shEffectProgram::LoadDataImage(_program, _sPngFile.c_str()); // a missing one is named once
}

void fxImage::Kill()
{
    _program.Release();
    _bValidImg = false;
    _pFxBuffer = nullptr;
}

void fxImage::Render()
{
    if (!_sFxBuffer.empty() && _pSequence) _pFxBuffer = FindBufferEffect();
    const bool bFromBuffer = _pFxBuffer && _pFxBuffer->_eState == State_EffectStarted;
    if (!_bValidImg && !bFromBuffer) return;
    vector_display* pDisplay = rvSceneDisplay::BindedDisplay();

    GLuint previousFramebuffer = 0;
    if (_bGlow) previousFramebuffer = vector_display_begin_frame(pDisplay, true);

    if (bFromBuffer)
    {
        _program.UseTexture(static_cast<fxBufferDisplay*>(_pFxBuffer)->_Buffer._glColorTexture);
    }
    else
    {
        rvAssert(_bValidImg);
        _program.Use();
    }

    if (_eColorBlend == ColorBlend_Copy)
        glDisable(GL_BLEND);
    else
        glEnable(GL_BLEND);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glBlendEquationSeparate(_eColorBlend == ColorBlend_Max ? GL_MAX : GL_FUNC_ADD, GL_MAX);
    if (_eColorBlend == ColorBlend_Alpha)
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    else
        glBlendFunc(GL_ONE, GL_ONE);

    const float o = GetFade();
    _program.SetMulAlpha(o);
    _program.SetMulColor(o * _vColorMul.r, o * _vColorMul.g, o * _vColorMul.b);
    _program.SetAddColor(_vColorAdd.r, _vColorAdd.g, _vColorAdd.b);

    int flags = 0;
    if (_bRepeatUV) flags |= QUAD_EXTEND;
    if (_bKeepRatioX) flags |= QUAD_HEIGHT_FROM_WIDTH;
    if (_bKeepRatioY) flags |= QUAD_WIDTH_FROM_HEIGHT;

    if (_bFullscreen)
        _program.Draw(flags);
    else
        _program.DrawQuad(flags, (_vScreenPos.x + 1.f) * 0.5f, (_vScreenPos.y + 1.f) * 0.5f, _fScreenSize,
                          _fScreenSize);
    _program.Unuse();

    if (_bGlow) vector_display_glow(pDisplay, previousFramebuffer);
}

fxDescriptor* fxImage::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxImage", &fxImage::Create);
    return s_pDescriptor;
}

fxBase* fxImage::Create(fxDescriptor* pDescriptor)
{
    return new fxImage(pDescriptor);
}

fxDescriptor* fxImage::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    d->Add(TYPE_FILE, "PNG File", rvOffsetOf<fxImage>(&fxImage::_sPngFile))->_sFilter = ".png";
    d->Add(TYPE_STRING, "FX Buffer", rvOffsetOf<fxImage>(&fxImage::_sFxBuffer));
    d->Add(TYPE_SEPARATOR, "_Separator_", 0);
    d->Add(TYPE_VEC2, "ScreenPos", rvOffsetOf<fxImage>(&fxImage::_vScreenPos))->SetRange(-2.f, 2.f);
    d->Add(TYPE_FLOAT, "ScreenSize", rvOffsetOf<fxImage>(&fxImage::_fScreenSize))->SetRange(0.01f, 2.f);
    d->Add(TYPE_BOOL, "KeepRatioX", rvOffsetOf<fxImage>(&fxImage::_bKeepRatioX));
    d->Add(TYPE_BOOL, "KeepRatioY", rvOffsetOf<fxImage>(&fxImage::_bKeepRatioY));
    d->Add(TYPE_BOOL, "Fullscreen", rvOffsetOf<fxImage>(&fxImage::_bFullscreen));
    d->Add(TYPE_BOOL, "RepeatUV", rvOffsetOf<fxImage>(&fxImage::_bRepeatUV));
    d->Add(TYPE_COLOR4, "ColorMul", rvOffsetOf<fxImage>(&fxImage::_vColorMul));
    d->Add(TYPE_COLOR4, "ColorAdd", rvOffsetOf<fxImage>(&fxImage::_vColorAdd));
    d->Add(TYPE_ENUM, "ColorBlend", rvOffsetOf<fxImage>(&fxImage::_eColorBlend))
        ->SetItems(s_apszColorBlend, 4);
    d->Add(TYPE_BOOL, "Glow", rvOffsetOf<fxImage>(&fxImage::_bGlow));
    return d;
}
