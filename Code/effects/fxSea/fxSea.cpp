#include "effects/fxSea/fxSea.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvBound.h"
#include "effects/rvColor.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

fxSea::fxSea(fxDescriptor* pDescriptor)
    : fxBase(pDescriptor), _fThickness(0.8f), _vColor(0.2f, 0.5f, 0.5f, 1.0f), _nWaveCount(150),
      _nWaveResolution(80), _fSeaLevel(-40.0f), _vSeaDimensions(500.0f, 0.0f, 500.0f), _vWaveDimensionMin(30.0f, 7.0f),
      _vWaveDimensionMax(30.0f, 7.0f), _fWaveLifeMin(1.0f), _fWaveLifeMax(3.0f)
{
}

fxSea::~fxSea() = default;

float fxSea::Unit(unsigned b0, unsigned b1, unsigned b2, unsigned b3)
{
    const uint32_t n = uint32_t(b0) | (uint32_t(b1) << 8) | (uint32_t(b2) << 16) | (uint32_t(b3) << 24);
    return float(n) * 2.3283064e-10f; // 2^-32
}

void fxSea::SpawnWave()
{
    auto byte = []() { return unsigned(std::rand() % 255); };
    fxSeaWave w;
    unsigned b[12];
    for (int i = 0; i < 4; ++i)
        b[i] = byte();
    w.fLife = _fWaveLifeMin + Unit(b[0], b[1], b[2], b[3]) * (_fWaveLifeMax - _fWaveLifeMin);
    // Position: the calls go round z, y, x, lowest byte first.
    for (unsigned& v : b)
        v = byte();
    auto coord = [](float u, float d) { return u * 2.0f * d - d; };
    w.z = coord(Unit(b[0], b[3], b[6], b[9]), _vSeaDimensions.z);
    w.y = coord(Unit(b[1], b[4], b[7], b[10]), _vSeaDimensions.y);
    w.x = coord(Unit(b[2], b[5], b[8], b[11]), _vSeaDimensions.x);
    // Size: amplitude and half-length take turns.
    for (int i = 0; i < 8; ++i)
        b[i] = byte();
    w.fHalfLength =
        _vWaveDimensionMin.x + Unit(b[1], b[3], b[5], b[7]) * (_vWaveDimensionMax.x - _vWaveDimensionMin.x);
    w.fAmplitude =
        _vWaveDimensionMin.y + Unit(b[0], b[2], b[4], b[6]) * (_vWaveDimensionMax.y - _vWaveDimensionMin.y);
    w.fAge = 0.0f;
    _aWaves.push_back(w);
}

void fxSea::DrawWave(vector_display* pDisplay, const fxSeaWave& w, const glm::vec4& color) const
{
    const glm::vec3 S(w.x - w.fHalfLength, w.y + _fSeaLevel, w.z);
    const glm::vec3 E(w.x + w.fHalfLength, w.y + _fSeaLevel, w.z);
    const float v = w.fAge / w.fLife;
    const float e = 2.0f * v - 1.0f;
    const float J = w.fAmplitude * (1.0f - e * e * e * e);
    const float step = 1.0f / float(_nWaveResolution);

    vector_display_strip_begin(pDisplay, S.x, S.y, S.z);
    for (float s = step; s <= 1.0f; s += step)
    {
        float k;
        if (s < v)
            k = s / v;
        else
        {
            // Ages come from drivers: a wave at the very end of its life falls flat.
            const float fSourceRange = 1.0f - v;
            k = fSourceRange > 0.0f ? 1.0f - (s - v) / fSourceRange : 0.0f;
        }
        const glm::vec4 c = color * (k * k * k);
        for (int i = 0; i < 4; ++i)
            pDisplay->current_rgba[i] = c[i];
        if (k * _fThickness > 0.0f) pDisplay->current_thickness = k * _fThickness;
        const glm::vec3 P = S + (E - S) * s + glm::vec3(0.0f, k * k * J, 0.0f);
        vector_display_strip_to(pDisplay, P.x, P.y, P.z);
    }
    vector_display_strip_end(pDisplay);
}

void fxSea::Render()
{
    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);
    const float W0 = _pCurrentDisplay->current_thickness;

    // Dead waves go (a life that is not a positive number counts as over), keeping the order.
    _aWaves.erase(std::remove_if(_aWaves.begin(), _aWaves.end(),
                                 [](const fxSeaWave& w) { return !(w.fAge < w.fLife); }),
                  _aWaves.end());
    const int nWanted = rvBoundInt(this, "WaveCount", _nWaveCount, 0, MAX_WAVES);
    while (int(_aWaves.size()) < nWanted)
        SpawnWave();

    // The colour is written straight into the display: it is held to 0..1 here.
    glm::vec4 C = _vColor * GetFade();
    for (int i = 0; i < 4; ++i)
        C[i] = rvClampUnit(C[i]);
    // A resolution of 0 or below would never reach the end of a wave: such waves are not drawn.
    const bool bDraw = _nWaveResolution > 0 && _nWaveResolution <= MAX_RESOLUTION;
    for (fxSeaWave& w : _aWaves)
    {
        if (bDraw && w.fLife > 0.0f) DrawWave(_pCurrentDisplay, w, C);
        if (_fDeltaTime >= 0.0f) w.fAge += _fDeltaTime;
    }
    if (W0 > 0.0f) _pCurrentDisplay->current_thickness = W0;
}

fxDescriptor* fxSea::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor = new fxDescriptor(fxBase::GetDescriptor(), "fxSea", &fxSea::Create);
    return s_pDescriptor;
}

fxBase* fxSea::Create(fxDescriptor* pDescriptor)
{
    return new fxSea(pDescriptor);
}

fxDescriptor* fxSea::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    d->Add(TYPE_FLOAT, "Thickness", rvOffsetOf<fxSea>(&fxSea::_fThickness))->SetRange(0.0f, 5.0f);
    d->Add(TYPE_COLOR4, "Color", rvOffsetOf<fxSea>(&fxSea::_vColor));
    d->Add(TYPE_VEC3, "SeaDimensions", rvOffsetOf<fxSea>(&fxSea::_vSeaDimensions))->SetRange(0.0f, 100.0f);
    d->Add(TYPE_FLOAT, "SeaLevel", rvOffsetOf<fxSea>(&fxSea::_fSeaLevel))->SetRange(-50.0f, 50.0f);
    d->Add(TYPE_INT, "WaveCount", rvOffsetOf<fxSea>(&fxSea::_nWaveCount))->SetRange(0.0f, 300.0f);
    d->Add(TYPE_INT, "WaveResolution", rvOffsetOf<fxSea>(&fxSea::_nWaveResolution))->SetRange(5.0f, 300.0f);
    d->Add(TYPE_VEC2, "WaveDimensionMin", rvOffsetOf<fxSea>(&fxSea::_vWaveDimensionMin))->SetRange(0.0f, 50.0f);
    d->Add(TYPE_VEC2, "WaveDimensionMax", rvOffsetOf<fxSea>(&fxSea::_vWaveDimensionMax))->SetRange(0.0f, 50.0f);
    d->Add(TYPE_FLOAT, "WaveLifeMin", rvOffsetOf<fxSea>(&fxSea::_fWaveLifeMin))->SetRange(0.0f, 5.0f);
    d->Add(TYPE_FLOAT, "WaveLifeMax", rvOffsetOf<fxSea>(&fxSea::_fWaveLifeMax))->SetRange(0.0f, 5.0f);
    return d;
}
