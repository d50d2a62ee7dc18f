#include "effects/fxBufferDisplay/fxBufferDisplay.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvBound.h"
#include "Sequencer/rvSequence.h"
#include "rvMessage.h"
#include "rvNumeric.h"
#include "rvSceneDisplay.h"

#include <algorithm>
#include <climits>
#include <cmath>

const char* const fxBufferDisplay::s_apszDebugSlots[9] = {"None",   "SlotL1", "SlotL2", "SlotL3", "SlotL4",
                                                          "SlotR1", "SlotR2", "SlotR3", "SlotR4"};

fxBufferDisplay::fxBufferDisplay(fxDescriptor* pDescriptor) : fxBase(pDescriptor)
{
    _vSizePixel = glm::vec2(0.f, 0.f);
    _vSizeUnit = glm::vec2(1.f, 1.f);
    _vBackColor = glm::vec4(0.f, 0.f, 0.f, 1.f);
    _bKeepRatio = true;
    _bRepeatUV = true;
    _bClear = true;
    _eDebugColor = _eDebugAlpha = _eDebugDepth = 0;
}

fxBufferDisplay::~fxBufferDisplay()
{
    _Buffer.Release(true);
}

void fxBufferDisplay::ComputeSize(int nCurrentWidth, int nCurrentHeight, int& nWidth, int& nHeight) const
{
    // Sizes come from files and drivers: NaN counts as 0 and a huge value stops at INT_MAX here,
    // then at what a frame can afford (below); rvBufferDisplay::Create keeps each side within
    // what GL can make.
    const double W = double(nCurrentWidth), H = double(nCurrentHeight);
    auto side = [](double v) { return rvClampToInt(v, INT_MIN, INT_MAX, 0); };
    nWidth = side(float(H * _vSizeUnit.x));
    if (nWidth == 0 && _vSizePixel.x > 0.f) nWidth = side(_vSizePixel.x);
    nHeight = side(float(H * _vSizeUnit.y));
    if (nHeight == 0 && _vSizePixel.y > 0.f) nHeight = side(_vSizePixel.y);
    if (_bKeepRatio && H > 0.) nWidth = side(float(nHeight) * float(W) / float(H));
    // A size of 0, or a negative one from a hand-edited file, takes the current buffer's size.
    if (nWidth <= 0 || nHeight <= 0)
    {
        nWidth = nCurrentWidth;
        nHeight = nCurrentHeight;
    }
    Afford(nCurrentWidth, nCurrentHeight, nWidth, nHeight);
}

void fxBufferDisplay::Afford(int nCurrentWidth, int nCurrentHeight, int& nWidth, int& nHeight) const
{
    const int nAskedWidth = nWidth, nAskedHeight = nHeight;
    nWidth = std::min(nWidth, kMaxSide);
    nHeight = std::min(nHeight, kMaxSide);
    const double fBudget = std::max(kPixelBudgetFactor * double(std::max(nCurrentWidth, 0)) *
                                        double(std::max(nCurrentHeight, 0)),
                                    kMinPixelBudget);
    const double fPixels = double(nWidth) * double(nHeight);
    if (fPixels > fBudget)
    {
        // The shape is kept; each side stays at least 1.
        const double s = std::sqrt(fBudget / fPixels);
        nWidth = std::max(int(double(nWidth) * s), 1);
        nHeight = std::max(int(double(nHeight) * s), 1);
    }
    if ((nWidth != nAskedWidth || nHeight != nAskedHeight) && rvFirstBoundWarning(this, "Size"))
        rvReport(rvMessageKind::Warning,
                 "fxBufferDisplay \"%s\": a %dx%d buffer is more than a frame can afford; %dx%d is used",
                 _sName.c_str(), nAskedWidth, nAskedHeight, nWidth, nHeight);
}

int fxBufferDisplay::GetBufferFlags() const
{
    return _bRepeatUV ? 0x3b : 0x1b;
}

void fxBufferDisplay::Init()
{
    rvBufferDisplay* pCurrent = rvSceneDisplay::BindedBuffer();
    int w, h;
    ComputeSize(pCurrent->_nWidth, pCurrent->_nHeight, w, h);
    // A buffer that clears itself is made at the effect's start (its vector display's programs are
    // those every display shares, already built); one that keeps its picture is made here.
    if (_bClear && _eState != State_EffectStarted)
    {
        rvBufferDisplay::LimitSize(_sName.c_str(), w, h);
        _nMadeWidth = w > 0 && h > 0 ? w : 0;
        _nMadeHeight = w > 0 && h > 0 ? h : 0;
        return;
    }
    _Buffer.Create(_sName.c_str(), w, h, GetBufferFlags());
    _nMadeWidth = _Buffer._nWidth;
    _nMadeHeight = _Buffer._nHeight;
}

void fxBufferDisplay::Kill()
{
    _Buffer.Release(true);
    _nMadeWidth = _nMadeHeight = 0;
}

void fxBufferDisplay::OnEffectStart()
{
    if (_nMadeWidth > 0 && _nMadeHeight > 0 && !_Buffer.IsValid())
        _Buffer.Create(_sName.c_str(), _nMadeWidth, _nMadeHeight, GetBufferFlags());
}

void fxBufferDisplay::OnEffectStop()
{
    // A buffer cleared by every Render shows nothing of a previous run when it starts again, so its
    // storage can go; one that keeps its picture from frame to frame keeps it. The vector display
    // and its programs stay.
    if (_bClear) _Buffer.Release(false);
}

void fxBufferDisplay::Render()
{
    rvSceneDisplay::SetCurrentBuffer(&_Buffer);
    if (!_bClear) return;
    _Buffer._vBackColor = glm::vec3(_vBackColor);
    glClearColor(_vBackColor.r, _vBackColor.g, _vBackColor.b, 1.0f);
    glClearDepth(1.0);
    glClearStencil(0);
    GLbitfield mask = 0;
    if (_Buffer._nFlags & BUFFER_COLOR) mask |= GL_COLOR_BUFFER_BIT;
    if (_Buffer._nFlags & BUFFER_DEPTH) mask |= GL_DEPTH_BUFFER_BIT;
    if (_Buffer._nFlags & BUFFER_DEPTH_STENCIL) mask |= GL_STENCIL_BUFFER_BIT;
    if (mask) glClear(mask);
}

fxBufferDisplay* fxBufferDisplay::FindNamed(const fxBase* pFrom, const std::string& sName)
{
    if (!pFrom || sName.empty() || !pFrom->_pSequence) return nullptr;
    fxBase* pEffect = pFrom->_pSequence->FindEffect(sName);
    if (!pEffect || !pEffect->_pDescriptor || pEffect->_pDescriptor->_sClassName != "fxBufferDisplay") return nullptr;
    return static_cast<fxBufferDisplay*>(pEffect);
}

fxDescriptor* fxBufferDisplay::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxBufferDisplay", &fxBufferDisplay::Create);
    return s_pDescriptor;
}

fxBase* fxBufferDisplay::Create(fxDescriptor* pDescriptor)
{
    return new fxBufferDisplay(pDescriptor);
}

fxDescriptor* fxBufferDisplay::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    d->Add(TYPE_VEC2, "SizePixel", rvOffsetOf<fxBufferDisplay>(&fxBufferDisplay::_vSizePixel))
        ->SetRange(0.f, 2000.f);
    d->Add(TYPE_VEC2, "SizeUnit", rvOffsetOf<fxBufferDisplay>(&fxBufferDisplay::_vSizeUnit))
        ->SetRange(0.f, 1.f);
    d->Add(TYPE_COLOR4, "BackColor", rvOffsetOf<fxBufferDisplay>(&fxBufferDisplay::_vBackColor))
        ->SetRange(0.f, 1.f);
    d->Add(TYPE_BOOL, "KeepRatio", rvOffsetOf<fxBufferDisplay>(&fxBufferDisplay::_bKeepRatio));
    d->Add(TYPE_BOOL, "RepeatUV", rvOffsetOf<fxBufferDisplay>(&fxBufferDisplay::_bRepeatUV));
    d->Add(TYPE_BOOL, "Clear", rvOffsetOf<fxBufferDisplay>(&fxBufferDisplay::_bClear));
    d->Add(TYPE_ENUM, "Debug Color", rvOffsetOf<fxBufferDisplay>(&fxBufferDisplay::_eDebugColor))
        ->SetItems(s_apszDebugSlots, 9);
    d->Add(TYPE_ENUM, "Debug Alpha", rvOffsetOf<fxBufferDisplay>(&fxBufferDisplay::_eDebugAlpha))
        ->SetItems(s_apszDebugSlots, 9);
    d->Add(TYPE_ENUM, "Debug Depth", rvOffsetOf<fxBufferDisplay>(&fxBufferDisplay::_eDebugDepth))
        ->SetItems(s_apszDebugSlots, 9);
    return d;
}
