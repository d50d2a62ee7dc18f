#include "effects/fxTextStash/fxTextStash.h"

#include "Display/rvBufferDisplay.h"
#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "effects/rvColor.h"
#include "rvAssert.h"
#include <epoxy/gl.h>
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

fxTextStash::fxTextStash(fxDescriptor* pDescriptor)
    : fxBase(pDescriptor), _vPos(0.5f, 0.5f), _fSize(0.1f), _bGlow(false), _vColor(1.0f, 1.0f, 1.0f, 1.0f), _sText(TEXT)
{
}

fxTextStash::~fxTextStash() = default; // the text stash releases its context and font

// The atlas is a GL texture: it is made at the first Init, when the timeline loads with its
// context current (effects are also created without one, to read and check timelines), and
// kept until the effect is deleted.
void fxTextStash::Init()
{
    if (_TextStash._fs) return;
    _TextStash.Create();
    _TextStash.LoadFont(FONT_FILE); // a font that cannot be read leaves the text empty
}

void fxTextStash::Render()
{
    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvBufferDisplay* _pCurrentBuffer = rvSceneDisplay::_pCurrentBuffer;
    rvAssert(_pCurrentDisplay);
    rvAssert(_pCurrentBuffer);
    const int W = _pCurrentBuffer->_nWidth, H = _pCurrentBuffer->_nHeight;

    unsigned fb = 0;
    if (_bGlow) fb = vector_display_begin_frame(_pCurrentDisplay, true);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, W, H);

    rvAssert(_TextStash._fs);
    _TextStash.Begin();
    _TextStash.SetSize(_fSize);
    _TextStash.SetColor(rvClampUnit(_vColor.r), rvClampUnit(_vColor.g), rvClampUnit(_vColor.b),
                        rvClampUnit(_vColor.a));
    _TextStash.DrawText(_vPos.x, _vPos.y, _sText.c_str());
    _TextStash.End();

    if (_bGlow) vector_display_glow(_pCurrentDisplay, fb);
}

fxDescriptor* fxTextStash::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxTextStash", &fxTextStash::Create);
    return s_pDescriptor;
}

fxBase* fxTextStash::Create(fxDescriptor* pDescriptor)
{
    return new fxTextStash(pDescriptor);
}

fxDescriptor* fxTextStash::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    d->Add(TYPE_VEC2, "Pos", rvOffsetOf<fxTextStash>(&fxTextStash::_vPos))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Size", rvOffsetOf<fxTextStash>(&fxTextStash::_fSize))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_BOOL, "Glow", rvOffsetOf<fxTextStash>(&fxTextStash::_bGlow));
    d->Add(TYPE_COLOR4, "Color", rvOffsetOf<fxTextStash>(&fxTextStash::_vColor));
    d->Add(TYPE_STRING, "Text", rvOffsetOf<fxTextStash>(&fxTextStash::_sText));
    return d;
}
