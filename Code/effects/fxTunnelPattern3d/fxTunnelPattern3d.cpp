#include "effects/fxTunnelPattern3d/fxTunnelPattern3d.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvBound.h"
#include "Sequencer/rvSequence.h"
#include "effects/shEffectProgram.h"
#include "rvAssert.h"
#include "rvMath.h"
#include "rvSceneDisplay.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace
{
// The four pattern tables, entries 0 to 7 (the fourth component is unused).
const float s_aPatternTables[4][8][3] = {
    {{0, 0, 0}, {0, 0, 0}, {-0.125f, 0.8f, -0.125f}, {0.125f, 0.8f, 0.125f}, {0, 0, 0}, {0, 0, 0},
     {-0.125f, 0.4f, -0.125f}, {0.125f, 0.4f, 0.125f}},
    {{0, 0, 0}, {0.25f, 0, 0.25f}, {0.25f, 0.4f, 0.25f}, {-0.25f, 0.8f, -0.25f}, {-0.125f, 1.6f, -0.125f},
     {0, 0.8f, 0}, {-0.5f, 0.4f, -0.5f}, {-0.5f, 0, -0.5f}},
    {{5, 0, 0}, {5, 0, 0}, {5, 0, 0}, {5, 0, 0}, {5, 0, 0}, {5, 0, 0}, {5, 0, 0}, {5, 0, 0}},
    {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 1, 0}},
};

// One vertex of a band, 100 bytes, in the order of the program's inputs.
struct BandVertex
{
    float mainTgt[2], mainRad[2], mainOff[2], mainVar[3];
    float formTgt[2], formRad[2], formOff[2], formVar[3];
    float pos[4];
    int period[3];
};
static_assert(sizeof(BandVertex) == fxTunnelPattern3d::VERTEX_BYTES, "a band vertex is 100 bytes");

void Put(float* out, const glm::vec2& v)
{
    out[0] = v.x;
    out[1] = v.y;
}
void Put(float* out, const glm::vec3& v)
{
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}

void FillVertex(BandVertex& v, const fxTunnelPattern3d::FORM_POINT& main, const fxTunnelPattern3d::FORM_POINT& form,
                const glm::vec4& pos, int j, int side, int index)
{
    Put(v.mainTgt, main.tgt);
    Put(v.mainRad, main.rad);
    Put(v.mainOff, main.off);
    Put(v.mainVar, main.var);
    Put(v.formTgt, form.tgt);
    Put(v.formRad, form.rad);
    Put(v.formOff, form.off);
    Put(v.formVar, form.var);
    v.pos[0] = pos.x;
    v.pos[1] = pos.y;
    v.pos[2] = pos.z;
    v.pos[3] = pos.w;
    v.period[0] = j;
    v.period[1] = side;
    v.period[2] = index;
}

float SignOf(float v)
{
    return v > 0.0f ? 1.0f : (v < 0.0f ? -1.0f : 0.0f);
}

// Random value in [-a, a] from the C runtime generator (0 .. 32767).
float RandomIn(float a)
{
    return float(rvRand15()) * 2.0f * a / 32767.0f - a;
}

fxTunnelPattern3d::PTS_CIRCLE* Ring(TLS_LIST_ELEMENT* p)
{
    return static_cast<fxTunnelPattern3d::PTS_CIRCLE*>(p);
}
} // namespace

fxTunnelPattern3d::fxTunnelPattern3d(fxDescriptor* pDescriptor) : fxBase(pDescriptor)
{
    std::memset(_aPatternTables, 0, sizeof(_aPatternTables));
    std::memset(_aMainPattern, 0, sizeof(_aMainPattern));
    std::memset(_aForms, 0, sizeof(_aForms));
    std::memset(_aMainForm, 0, sizeof(_aMainForm));
}

fxTunnelPattern3d::~fxTunnelPattern3d()
{
    _lCircles.Clear();
}

void fxTunnelPattern3d::OnEffectStart()
{
    srand(unsigned(time(nullptr)));
    _DesignBuilt._nCircleCount = 0; // the next Render builds the chain
    glGenBuffers(MAX_CIRCLES, _glVertexBuffers);
    for (GLuint buffer : _glVertexBuffers)
    {
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glBufferData(GL_ARRAY_BUFFER, BAND_BYTES, nullptr, GL_DYNAMIC_DRAW);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glGenBuffers(1, &_glUniformBuffer);
    glBindBuffer(GL_UNIFORM_BUFFER, _glUniformBuffer);
    glBufferData(GL_UNIFORM_BUFFER, sizeof(_aMainPattern), nullptr, GL_DYNAMIC_COPY);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    glGenVertexArrays(1, &_glVertexArray);
    _fOffsetZ = 0.0f;
}

void fxTunnelPattern3d::OnEffectStop()
{
    _lCircles.DeleteAll();
    glDeleteBuffers(MAX_CIRCLES, _glVertexBuffers);
    std::memset(_glVertexBuffers, 0, sizeof(_glVertexBuffers));
    glDeleteBuffers(1, &_glUniformBuffer);
    _glUniformBuffer = 0;
    glDeleteVertexArrays(1, &_glVertexArray);
    _glVertexArray = 0;
}

bool fxTunnelPattern3d::UsableDesign(DESIGN& out) const
{
    // Values from files or drivers outside what the buffers hold are bounded; a depth step that is
    // not a positive finite number, or a radius that is not finite, leaves nothing to draw.
    out = _Design;
    out._nCircleCount = rvBoundInt(this, "Design/CircleCount", out._nCircleCount, 2, MAX_CIRCLES);
    out._nPointPerCircle = rvBoundInt(this, "Design/PointPerCircle", out._nPointPerCircle, 1, MAX_POINTS - 1);
    return std::isfinite(out._fStepz) && out._fStepz > 0.0f && std::isfinite(out._fRadius) &&
           std::isfinite(_fOffsetZ) && std::fabs(_fOffsetZ) < 1e30f;
}

void fxTunnelPattern3d::SelectForm(FORM& out, float f) const
{
    const int n = _DesignBuilt._nPointPerCircle;
    const FORM* pCopy = nullptr;
    if (!(f > 0.0f)) // a value that is not a number takes the line too
        pCopy = &_aForms[0];
    else if (f == 1.0f)
        pCopy = &_aForms[1];
    else if (f >= 2.0f)
        pCopy = &_aForms[2];
    if (pCopy)
    {
        std::memcpy(out, *pCopy, sizeof(FORM_POINT) * size_t(n + 1));
        return;
    }
    const int k = int(f);
    MixForms(out, _aForms[k], _aForms[k + 1], f - float(k));
}

void fxTunnelPattern3d::MixForms(FORM& out, const FORM& a, const FORM& b, float t) const
{
    for (int i = 0; i <= _DesignBuilt._nPointPerCircle; ++i)
    {
        out[i].tgt = a[i].tgt + (b[i].tgt - a[i].tgt) * t;
        out[i].rad = a[i].rad + (b[i].rad - a[i].rad) * t;
        out[i].off = a[i].off + (b[i].off - a[i].off) * t;
        out[i].var = glm::vec3(0.0f);
    }
}

void fxTunnelPattern3d::BuildDesign()
{
    for (int t = 0; t < 4; ++t)
        for (int k = 0; k < 8; ++k)
            _aPatternTables[t][k] =
                glm::vec4(s_aPatternTables[t][k][0], s_aPatternTables[t][k][1], s_aPatternTables[t][k][2], 0.0f);

    const float R = _DesignBuilt._fRadius;
    const int N = _DesignBuilt._nPointPerCircle;
    const float kPi = 3.1415927f;
    std::memset(_aForms, 0, sizeof(_aForms));
    for (int i = 0; i <= N; ++i)
    {
        const float u = float(i) / float(N);
        const float g = 6.2831855f * u + 1.5707964f;
        const float c = std::cos(g), s = std::sin(g);
        const float h = kPi * R / float(N);
        FORM_POINT& line = _aForms[0][i];
        line.off = glm::vec2((2.0f * u - 1.0f) * kPi * R / 2.0f, -R / 2.0f);
        line.tgt = glm::vec2(h, 0.0f);
        line.rad = glm::vec2(0.0f, R / 4.0f);
        FORM_POINT& circle = _aForms[1][i];
        circle.off = glm::vec2(R / 2.0f * c, R / 2.0f * s);
        circle.tgt = glm::vec2(-h * s, h * c);
        circle.rad = glm::vec2(-R / 4.0f * c, -R / 4.0f * s);
        FORM_POINT& square = _aForms[2][i];
        const float m = std::max(std::fabs(c), std::fabs(s));
        square.off = glm::vec2(R / 2.0f * c / m, R / 2.0f * s / m);
        const float A = std::fabs(c) >= std::fabs(s) ? -SignOf(c) : 0.0f;
        const float B = std::fabs(s) >= std::fabs(c) ? -SignOf(s) : 0.0f;
        square.rad = glm::vec2(R / 4.0f * A, R / 4.0f * B);
        square.tgt = glm::vec2(-h * B, h * A);
    }

    _lCircles.DeleteAll();
    const float fStep = _DesignBuilt._fStepz;
    float z = _fOffsetZ - float(_DesignBuilt._nCircleCount) * fStep * 0.5f;
    for (int j = 0; j < _DesignBuilt._nCircleCount; ++j)
    {
        PTS_CIRCLE* pCircle = new PTS_CIRCLE();
        GenerateCircle(pCircle, j, z, z + fStep);
        _lCircles.AddTail(pCircle);
        z += fStep;
    }
}

void fxTunnelPattern3d::GenerateCircle(PTS_CIRCLE* pCircle, int nIndex, float fZmin, float fZmax)
{
    if (!pCircle) return;
    pCircle->zmin = fZmin;
    pCircle->zmax = fZmax;
    pCircle->offset = _vNextOffset;
    pCircle->index = nIndex;
    pCircle->explosion = _fNextExplosion;
    // fZmin < fZmax for a positive step, except where the camera's depth (driven) is so large that
    // adding the step changes nothing: the ring is then flat, which draws nothing wrong.

    const int N = _DesignBuilt._nPointPerCircle;
    SelectForm(pCircle->pts, _fNextForm);

    for (int axis = 0; axis < 3; ++axis)
    {
        const float a = _vNextVariation[axis];
        if (a == 0.0f) continue;
        for (int j = 0; j <= N; ++j)
            pCircle->pts[j].var[axis] += RandomIn(a);
    }

    const int r = nIndex & 7;
    for (int t = 0; t < 4; ++t)
    {
        const float w = _afNextPatternWeight[t];
        if (w == 0.0f) continue;
        const glm::vec4* P = _aPatternTables[t];
        for (int j = 0; j <= N; ++j)
        {
            glm::vec3& var = pCircle->pts[j].var;
            var.x += w * P[j & 7].x;
            var.y += w * std::max(P[r].y, P[j & 7].y);
            var.z += w * P[r].z;
        }
    }

    // Seam: points 0 and N meet half-way for a partly closed form, fully for circle and square.
    const float c = _fNextForm < 1.0f ? _fNextForm - std::trunc(_fNextForm) : 1.0f;
    glm::vec3& v0 = pCircle->pts[0].var;
    glm::vec3& vN = pCircle->pts[N].var;
    const glm::vec3 average = (v0 + vN) * 0.5f;
    v0 += (average - v0) * c;
    vN += (average - vN) * c;
}

void fxTunnelPattern3d::Init()
{
    _shProgram.Prepare(); // compiled in the loading pass, not by the first frame
}

void fxTunnelPattern3d::Render()
{
    rvBufferDisplay* pBuffer = rvSceneDisplay::_pCurrentBuffer;
    rvAssert(pBuffer);
    const float t = _pSequence ? _pSequence->_fTime : _fTime;
    if (t == 0.0f) _fOffsetZ = 0.0f;
    _mViewProjection = pBuffer->_mViewProjection;
    if (_fDeltaTime != 0.0f)
    {
        _fOffsetZ += -pBuffer->_mView[2][2] * _fDeltaTime * _fMainSpeed;
        _fDeltaTime = 0.0f;
    }
    _shProgram._fOffsetZ = _fOffsetZ;
    DrawTunnel();
}

void fxTunnelPattern3d::DrawTunnel()
{
    const float fFade = GetFade();
    _shProgram._fFade = fFade;
    // Alpha blending while fading or with a see-through fill; otherwise alpha is not written.
    shEffectProgram::SetFadeBlend(std::min(fFade, _shProgram._vFillColor.a));

    DESIGN design;
    if (!UsableDesign(design)) return;
    if (design != _DesignBuilt)
    {
        _DesignBuilt = design;
        BuildDesign();
    }
    if (_bClearDepth)
    {
        glClearDepth(1.0);
        glClear(GL_DEPTH_BUFFER_BIT);
    }

    SelectForm(_aMainForm, _fMainForm);
    for (int k = 0; k < 8; ++k)
    {
        _aMainPattern[k] = glm::vec4(0.0f);
        for (int t = 0; t < 4; ++t)
            _aMainPattern[k] += _afMainPatternWeight[t] * _aPatternTables[t][k];
    }
    glBindBuffer(GL_UNIFORM_BUFFER, _glUniformBuffer);
    glBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof(_aMainPattern), _aMainPattern);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);

    if (!_lCircles._pHead) return;

    // The ring holding the travelled depth, and its position p counted from -1 at the head.
    PTS_CIRCLE* pCurrent = nullptr;
    int p = -1;
    for (TLS_LIST_ELEMENT* e = _lCircles._pHead; e; e = e->_pNext, ++p)
        if (Ring(e)->zmin <= _fOffsetZ && _fOffsetZ <= Ring(e)->zmax)
        {
            pCurrent = Ring(e);
            break;
        }
    glm::vec2 v(0.0f), D(0.0f);
    float G = 0.0f;
    const float fStep = _DesignBuilt._fStepz;
    if (pCurrent)
    {
        v = pCurrent->offset;
        PTS_CIRCLE* pNext = Ring(pCurrent->_pNext);
        D = pNext ? pNext->offset : v;
        if (pNext) rvAssert(pNext->zmin == pCurrent->zmax);
        G = (_fOffsetZ - pCurrent->zmin) / (pCurrent->zmax - pCurrent->zmin);

        // Recycling: at most one ring a frame keeps the camera's ring in the middle of the chain.
        const int half = _lCircles._nCount / 2;
        if (p > half)
        {
            PTS_CIRCLE* pMoved = Ring(_lCircles._pHead);
            _lCircles.Sup(pMoved);
            PTS_CIRCLE* pTail = Ring(_lCircles._pTail);
            const int nIndex = pTail ? pTail->index + 1 : 0;
            const float z = pTail ? pTail->zmax : 0.0f;
            GenerateCircle(pMoved, nIndex, z, z + fStep);
            _lCircles.AddTail(pMoved);
        }
        else if (p < half)
        {
            PTS_CIRCLE* pMoved = Ring(_lCircles._pTail);
            _lCircles.Sup(pMoved);
            PTS_CIRCLE* pHead = Ring(_lCircles._pHead);
            const int nIndex = pHead ? pHead->index - 1 : 0;
            const float z = pHead ? pHead->zmin : 0.0f;
            GenerateCircle(pMoved, nIndex, z - fStep, z);
            _lCircles.AddHead(pMoved);
        }
    }

    rvAssert(rvSceneDisplay::_pCurrentDisplay);
    _shProgram._fDesignStepz = fStep;
    _shProgram._fDepthMax = float(_DesignBuilt._nCircleCount >> 1) * fStep;
    _shProgram.Use();
    _shProgram.SetMVP(_mViewProjection);

    const float* M = &_mViewProjection[0][0];
    const glm::vec4 centre(M[12] - v.x + G * (D.x - v.x), M[13] - v.y + G * (D.y - v.y), M[14] - _fOffsetZ,
                           _fMainExplosion);

    GLint previousArray = 0;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &previousArray);
    glBindVertexArray(_glVertexArray);
    for (GLuint location = 0; location < 10; ++location)
        glEnableVertexAttribArray(location);
    glBindBufferBase(GL_UNIFORM_BUFFER, GLuint(_shProgram._nMainPatternBinding), _glUniformBuffer);

    PTS_CIRCLE* apRings[MAX_CIRCLES];
    int nRings = 0;
    for (TLS_LIST_ELEMENT* e = _lCircles._pHead; e && nRings < MAX_CIRCLES; e = e->_pNext)
        apRings[nRings++] = Ring(e);
    const int N = _DesignBuilt._nPointPerCircle;
    for (int i = 0; i + 1 < nRings; ++i)
    {
        const PTS_CIRCLE* A = apRings[nRings - 2 - i];
        const PTS_CIRCLE* B = apRings[nRings - 1 - i];
        const glm::vec4 posA = centre + glm::vec4(A->offset, A->zmin, A->explosion);
        const glm::vec4 posB = centre + glm::vec4(B->offset, B->zmin, B->explosion);
        glBindBuffer(GL_ARRAY_BUFFER, _glVertexBuffers[i]);
        BandVertex* pVertices = static_cast<BandVertex*>(glMapBuffer(GL_ARRAY_BUFFER, GL_WRITE_ONLY));
        if (pVertices)
        {
            for (int j = 0; j <= N; ++j)
            {
                FillVertex(pVertices[2 * j], _aMainForm[j], A->pts[j], posA, j, 0, A->index);
                FillVertex(pVertices[2 * j + 1], _aMainForm[j], B->pts[j], posB, j, 1, B->index);
            }
            glUnmapBuffer(GL_ARRAY_BUFFER);
            const size_t aOffsets[9] = {0, 8, 16, 24, 36, 44, 52, 60, 72};
            const GLint aSizes[9] = {2, 2, 2, 3, 2, 2, 2, 3, 4};
            for (GLuint k = 0; k < 9; ++k)
                glVertexAttribPointer(k, aSizes[k], GL_FLOAT, GL_FALSE, VERTEX_BYTES,
                                      reinterpret_cast<const void*>(aOffsets[k]));
            glVertexAttribIPointer(9, 3, GL_INT, VERTEX_BYTES, reinterpret_cast<const void*>(size_t(88)));
            glDrawArrays(GL_TRIANGLE_STRIP, 0, 2 * (N + 1));
        }
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }

    glBindBufferBase(GL_UNIFORM_BUFFER, GLuint(_shProgram._nMainPatternBinding), 0);
    for (GLuint location = 0; location < 10; ++location)
        glDisableVertexAttribArray(location);
    glBindVertexArray(GLuint(previousArray));
    _shProgram.Unuse();
}

fxDescriptor* fxTunnelPattern3d::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxTunnelPattern3d", &fxTunnelPattern3d::Create);
    return s_pDescriptor;
}

fxBase* fxTunnelPattern3d::Create(fxDescriptor* pDescriptor)
{
    return new fxTunnelPattern3d(pDescriptor);
}

namespace
{
template <class M> int Offset(M fxTunnelPattern3d::*pValue)
{
    return rvOffsetOf<fxTunnelPattern3d>(pValue);
}
template <class M> int DesignOffset(M fxTunnelPattern3d::DESIGN::*pValue)
{
    return Offset(&fxTunnelPattern3d::_Design) +
           rvOffsetOf<fxTunnelPattern3d::DESIGN, fxTunnelPattern3d::DESIGN>(pValue);
}
template <class M> int ProgramOffset(M shTunnelPattern3d::*pValue)
{
    return Offset(&fxTunnelPattern3d::_shProgram) + rvOffsetOf<shTunnelPattern3d, shTunnelPattern3d>(pValue);
}
} // namespace

fxDescriptor* fxTunnelPattern3d::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    typedef fxTunnelPattern3d T;
    typedef shTunnelPattern3d S;
    const int nMainWeights = Offset(&T::_afMainPatternWeight);
    const int nNextWeights = Offset(&T::_afNextPatternWeight);
    const int f = int(sizeof(float));
    d->Add(TYPE_INT, "Design/CircleCount", DesignOffset(&DESIGN::_nCircleCount))->SetIntRange(2, 128);
    d->Add(TYPE_INT, "Design/PointPerCircle", DesignOffset(&DESIGN::_nPointPerCircle))->SetIntRange(8, 128);
    d->Add(TYPE_FLOAT, "Design/Stepz", DesignOffset(&DESIGN::_fStepz))->SetRange(1.0f, 100.0f);
    d->Add(TYPE_FLOAT, "Design/Radius", DesignOffset(&DESIGN::_fRadius))->SetRange(1.0f, 100.0f);
    d->Add(TYPE_SEPARATOR, "_Separator_", 0);
    d->Add(TYPE_FLOAT, "Main/Speed", Offset(&T::_fMainSpeed))->SetRange(0.0f, 100.0f);
    d->Add(TYPE_VEC3, "Main/Position", Offset(&T::_vMainPosition))->SetRange(-100.0f, 100.0f);
    d->Add(TYPE_VEC3, "Main/Rotation", Offset(&T::_vMainRotation))->SetRange(-180.0f, 180.0f);
    d->Add(TYPE_FLOAT, "Main/Form", Offset(&T::_fMainForm))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_FLOAT, "Main/Pattern0", nMainWeights)->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Main/Pattern1", nMainWeights + f)->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Main/Spectrer", Offset(&T::_fMainSpectrer))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Main/Explosion", Offset(&T::_fMainExplosion))->SetRange(0.0f, 10.0f);
    d->Add(TYPE_SEPARATOR, "_Separator_", 0);
    d->Add(TYPE_VEC2, "Next/Offset", Offset(&T::_vNextOffset))->SetRange(-10.0f, 10.0f);
    d->Add(TYPE_FLOAT, "Next/Form", Offset(&T::_fNextForm))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_FLOAT, "Next/Pattern0", nNextWeights)->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Next/Pattern1", nNextWeights + f)->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Next/DecalX", nNextWeights + 2 * f)->SetRange(-1.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Next/DecalY", nNextWeights + 3 * f)->SetRange(-1.0f, 1.0f);
    d->Add(TYPE_VEC3, "Next/Variation", Offset(&T::_vNextVariation))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_FLOAT, "Next/Explosion", Offset(&T::_fNextExplosion))->SetRange(0.0f, 10.0f);
    d->Add(TYPE_SEPARATOR, "_Separator_", 0);
    d->Add(TYPE_FLOAT, "Shader/LINE_BOLD", ProgramOffset(&S::_fLineBold))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Shader/LINE_SMOTHNESS", ProgramOffset(&S::_fLineSmothness))->SetRange(0.0f, 10.0f);
    d->Add(TYPE_FLOAT, "Shader/LINE_THRESHOLD", ProgramOffset(&S::_fLineThreshold))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_COLOR4, "Shader/LINE_INTENSITY", ProgramOffset(&S::_vLineIntensity));
    d->Add(TYPE_COLOR4, "Shader/LINE_COLOR", ProgramOffset(&S::_vLineColor));
    d->Add(TYPE_COLOR4, "Shader/VARIATION_COLOR", ProgramOffset(&S::_vColorVariation));
    d->Add(TYPE_VEC2, "Shader/VARIATION_COLOR_SCALE", ProgramOffset(&S::_vColorVariationScale))
        ->SetRange(0.0f, 100.0f);
    d->Add(TYPE_COLOR4, "Shader/FILL_COLOR", ProgramOffset(&S::_vFillColor));
    d->Add(TYPE_COLOR4, "Shader/FOG_COLOR", ProgramOffset(&S::_vFogColor));
    d->Add(TYPE_FLOAT, "Shader/FOG_POWER", ProgramOffset(&S::_fFogPower))->SetRange(0.0f, 10.0f);
    d->Add(TYPE_FLOAT, "Shader/FOG_DECAL", ProgramOffset(&S::_fFogDecal))->SetRange(0.0f, 300.0f);
    d->Add(TYPE_FLOAT, "Shader/EXPLOSION_NORMAL", ProgramOffset(&S::_fExplosionNormal))->SetRange(0.0f, 5.0f);
    d->Add(TYPE_BOOL, "Shader/ClearDepth", Offset(&T::_bClearDepth));
    return d;
}
