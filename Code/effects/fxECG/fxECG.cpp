#include "effects/fxECG/fxECG.h"

#include "Display/rvBufferDisplay.h"
#include "Factory/AttribDesc.h"
#include "Factory/Drivers/NoneDriver.h"
#include "Factory/Drivers/Noise.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvEditorHook.h"
#include "Loader/rvDataPack.h"
#include "VectorScene/VectorSceneLine.h"
#include "rvAssert.h"
#include "rvMessage.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <algorithm>
#include <cmath>

std::vector<fxECG::Sample> fxECG::_aSamples;
const glm::vec3 fxECG::TRACE_COLOR(0.4745098f, 0.9372549f, 0.5882353f);

namespace
{
const float TWO_PI = 6.2831855f;
const float PI = 3.1415927f;
const float ORIGIN_X = -100.0f;
// The first result of the polar method on the first two outputs of mt19937 seeded with 5489.
const float NORMAL_FACTOR = 0.25316101f;
} // namespace

float fxECG::Normal(float fMean, float fDeviation)
{
    return fMean + fDeviation * NORMAL_FACTOR;
}

void fxECG::HeartBeat::AddSample(float fValue, const glm::vec3& color)
{
    if (_aSamples.size() >= size_t(RING_SIZE)) _aSamples.erase(_aSamples.begin());
    const float x = _aSamples.empty() ? 0.0f : float(std::fmod(double(_aSamples.back()._fX) + 1.0, 200.0));
    _aSamples.push_back(Sample{x, fValue, color});
}

void fxECG::HeartBeat::Step(float dt)
{
    _fBeatTime += dt;
    float t = _fBeatTime;
    const float P0 = _fAtriaStart;
    const float P1 = P0 + _fAtriaDuration;
    const float Q1 = P1 + _fVentricleDuration;
    const float T1 = Q1 + _fRepolarizationDuration;
    if (_bShowAtriaDepolarization && P0 <= t && t <= P1)
    {
        const float c = t - P0;
        const float f = Normal(5.0f, 1.0f) * std::sin(TWO_PI / _fAtriaDuration * c + PI);
        const float v = (f < 0.0f ? -f : (1.0f - f) * 0.2f) + noise1D(c * 5.0f, _nOctaves, _fPersistence);
        AddSample(v, _bSeparateColors ? glm::vec3(1, 0, 1) : TRACE_COLOR);
    }
    else if (_bShowVentricleDepolarization && P1 <= t && t <= Q1)
    {
        const float b = t - P1, D = _fVentricleDuration;
        float v;
        if (b <= D / 3.0f)
            v = (D - b) * Normal(_afPartMax[0], 2.0f) * 10.0f / -6.0f;
        else if (b < 2.0f * D / 3.0f)
            v = Normal(_afPartMax[1], 2.0f) * (D - b) * 10.0f;
        else
            v = Normal(_afPartMax[2], 2.0f) * (D - b) * 10.0f / -3.0f;
        AddSample(v, _bSeparateColors ? glm::vec3(0, 1, 1) : TRACE_COLOR);
    }
    else if (_bShowRepolarization && Q1 <= t && t <= T1)
    {
        const float c = t - Q1;
        const float h = Normal(8.0f, 2.0f) * std::sin(TWO_PI / _fRepolarizationDuration * c);
        const float v = (h > 0.0f ? (1.0f - h) * 0.2f : -h) + noise1D(c * 5.0f, _nOctaves, _fPersistence);
        AddSample(v, _bSeparateColors ? glm::vec3(1, 1, 0) : TRACE_COLOR);
    }
    else
    {
        if (t > _fBeatLength + _fPause)
        {
            _fBeatTime = 0.0f;
            t = 0.0f;
        }
        AddSample(noise1D(t * 5.0f, _nOctaves, _fPersistence), TRACE_COLOR);
    }
}

fxECG::fxECG(fxDescriptor* pDescriptor)
    : fxBase(pDescriptor), _fPersistence(0.4f), _nOctaves(4), _fScale(1.0f), _nStartVectorScene(62),
      _nEndVectorScene(156), _fAlpha(0.0f), _fInterBeat(0.0f), _bDrawLine(false)
{
    const char* const pszFigure = ".\\Data\\fxAnimation.vscene";
    int nSize = 0;
    uint8_t* pData = rvDataPack::GetInstance()->ReadAll(pszFigure, nSize, false);
    const char* pCursor = reinterpret_cast<const char*>(pData);
    // The scene loads whole or not at all.
    if (!pData)
        rvReport(rvMessageKind::Warning, "fxECG: \"%s\" is missing; no figure is drawn", pszFigure);
    else if (!_VectorScene.LoadBinary(pCursor, pCursor + nSize))
        rvReport(rvMessageKind::Warning, "fxECG: \"%s\" is not a whole vector scene; no figure is drawn",
                 pszFigure);
    delete[] pData;
}

// _VectorScene is a member: it goes with the object, before the fxBase part.
fxECG::~fxECG() = default;

void fxECG::OnEffectStart()
{
    if (rvSceneDisplay::_pCurrentBuffer) rvSceneDisplay::_pCurrentBuffer->_fFov = 1.0471967f;
    _aSamples.clear();
}

void fxECG::Render()
{
    rvEditorHook<&fxECG::Render>::Call(*this); // the "ECG" debug window (fxECGEditor.cpp)

    NoneDriver* pDriver = nullptr;
    for (NoneDriver* d : _apAttribDrivers)
        if (d->_eType == NoneDriver::DRIVER_KEYFRAME && d->_pAttribDesc &&
            d->_pAttribDesc->_sName == "InterBeat")
        {
            pDriver = d;
            break;
        }
    _HeartBeat._fPause = _fInterBeat;

    if (_fDeltaTime != 0.0f)
    {
        _aSamples.clear();
        _HeartBeat._fBeatTime = -_HeartBeat._fStart;
        const int n = int(_fTime / 0.016f);
        for (int i = 0; i < n; ++i)
        {
            if (pDriver) _HeartBeat._fPause = pDriver->GetValue(float(i) * 0.016f, false);
            _HeartBeat.Step(0.016f);
        }
        _HeartBeat.Step(_fDeltaTime);
    }
    Draw();
}

void fxECG::Draw()
{
    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);
    rvBufferDisplay* _pCurrentBuffer = rvSceneDisplay::_pCurrentBuffer;
    rvAssert(_pCurrentBuffer);
    const float A = _fAlpha;

    if (A > 0.8f)
    {
        const float s = A - 0.8f + 0.2f;
        const float k = std::min(1.0f, s * s);
        const glm::vec4 color(TRACE_COLOR * k, 1.0f);
        for (VectorSceneLine* l : _VectorScene._apLines)
        {
            l->_vColor = color;
            l->_pColor = nullptr;
        }
        for (VectorScene* c : _VectorScene._apChildren)
            c->SetColor(color);
        const rvTransform* pTransform = _VectorScene.GetTransform();
        for (VectorSceneLine* l : _VectorScene._apLines)
            l->Draw(pTransform);
        for (VectorScene* c : _VectorScene._apChildren)
            c->Draw();
    }
    _pCurrentDisplay->current_thickness = 0.3f;

    static const std::vector<glm::vec3> s_empty;
    const std::vector<glm::vec3>* pRef = &s_empty;
    if (!_VectorScene._apChildren.empty() && _VectorScene._apChildren[0]->_apLines.size() > 1)
        pRef = &_VectorScene._apChildren[0]->_apLines[1]->_aPoints;
    const std::vector<glm::vec3>& p = *pRef;

    const int count = int(_aSamples.size());
    if (A == 2.0f || count < 2) return;

    float c = std::min(1.0f, A);
    bool bOpen = false;
    const int S = _nStartVectorScene, E = _nEndVectorScene;
    // The bending reads points S..E; a range outside the outline (set in the editor window) or
    // reversed leaves the trace unbent rather than reading past the list.
    const bool bBend = A > 0.7f && int(p.size()) > E && S >= 0 && S < E;
    for (int i = 1; i < count; ++i)
    {
        Sample& cur = _aSamples[size_t(i)];
        const Sample& prev = _aSamples[size_t(i - 1)];
        const float x = cur._fX + ORIGIN_X;
        if (cur._fX < prev._fX)
        {
            if (bOpen) vector_display_strip_end(_pCurrentDisplay);
            bOpen = false;
            continue;
        }
        if (bBend)
        {
            if (x >= p[size_t(S)].x || x <= p[size_t(E)].x)
                cur._fValue = 0.0f;
            else
                for (int j = S; j < E; ++j)
                    if (x >= p[size_t(j)].x)
                    {
                        cur._fValue = p[size_t(j)].y;
                        break;
                    }
        }
        else if (A == 0.699f)
            c = 0.2f;
        if (_bDrawLine) c = 0.0f;
        if (!bOpen)
        {
            vector_display_strip_begin(_pCurrentDisplay, prev._fX + ORIGIN_X, prev._fValue * _fScale + 0.0f,
                                       0.0f);
            bOpen = true;
        }
        const float r = float(i) / float(count);
        const float m = std::min(1.0f, r * r) * (1.0f - c);
        vector_display_set_rgb(_pCurrentDisplay, m * cur._vColor.r, m * cur._vColor.g, m * cur._vColor.b);
        if (i == count - 1)
        {
            vector_display_strip_end(_pCurrentDisplay);
            vector_display_set_rgb(_pCurrentDisplay, 1.0f, 1.0f, 1.0f);
            _pCurrentDisplay->current_thickness = 1.0f;
            vector_display_draw_circle(_pCurrentDisplay, x, cur._fValue * _fScale, 0.0f, 0.4f, 10);
            vector_display_set_rgb(_pCurrentDisplay, m * cur._vColor.r, m * cur._vColor.g, m * cur._vColor.b);
            vector_display_strip_begin(_pCurrentDisplay, prev._fX + ORIGIN_X, prev._fValue * _fScale, 0.0f);
        }
        vector_display_strip_to(_pCurrentDisplay, x, cur._fValue * _fScale, 0.0f);
    }
    if (bOpen) vector_display_strip_end(_pCurrentDisplay);
}

fxDescriptor* fxECG::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor = new fxDescriptor(fxBase::GetDescriptor(), "fxECG", &fxECG::Create);
    return s_pDescriptor;
}

fxBase* fxECG::Create(fxDescriptor* pDescriptor)
{
    return new fxECG(pDescriptor);
}

fxDescriptor* fxECG::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    d->Add(TYPE_FLOAT, "Alpha", rvOffsetOf<fxECG>(&fxECG::_fAlpha))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_FLOAT, "InterBeat", rvOffsetOf<fxECG>(&fxECG::_fInterBeat))->SetRange(0.1f, 2.0f);
    d->Add(TYPE_BOOL, "DrawLine", rvOffsetOf<fxECG>(&fxECG::_bDrawLine));
    d->Add(TYPE_FLOAT, "Start",
           rvOffsetOf<fxECG>(&fxECG::_HeartBeat) + rvOffsetOf<HeartBeat, HeartBeat>(&HeartBeat::_fStart))
        ->SetRange(0.0f, 2.0f);
    return d;
}
