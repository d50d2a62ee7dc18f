#include "effects/fxAmbientParticles/fxAmbientParticles.h"

#include "Display/rvBufferDisplay.h"
#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"

namespace
{
const char* const s_apszBlendModes[] = {"None", "Alpha", "Add", "Max"};
const char* const s_apszShapes[] = {"Sphere", "Square", "Bubble", "Diamond", "Cross", "Circle"};
const float kHalfPi = 1.5707964f;
} // namespace

fxAmbientParticles::fxAmbientParticles(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

// The program member deletes its GL program, then the fxBase part runs.
fxAmbientParticles::~fxAmbientParticles() = default;

void fxAmbientParticles::Init()
{
    _shProgram.Prepare(); // compiled in the loading pass, not by the first frame
    // The particles start with their circling phases already spread.
    _shProgram._fTimeOffset = 1234.0f;
    if (rvSceneDisplay::_pCurrentBuffer) AnchorCamera(rvSceneDisplay::_pCurrentBuffer->_mView);
}

void fxAmbientParticles::AnchorCamera(const glm::mat4& mView)
{
    const glm::vec3 thirdRow(mView[0][2], mView[1][2], mView[2][2]);
    _vCameraAnchor = glm::vec3(mView[3]) - _vCameraMotionScale.w * thirdRow;
}

void fxAmbientParticles::TrackCamera(const glm::mat4& mInvView, float fDeltaTime)
{
    const glm::vec3 a(mInvView[0]), b(mInvView[1]), c(mInvView[2]), p(mInvView[3]);
    const glm::vec3 q = p - _vCameraMotionScale.w * c;
    const glm::vec3 m = (q - _vCameraAnchor) * glm::vec3(_vCameraMotionScale);
    _vCameraAnchor = q;
    _vParticleOffset += glm::vec3(glm::dot(a, m), -glm::dot(b, m), -glm::dot(c, m));
    const glm::vec3& g = _vGlobalMotion;
    _vParticleOffset += glm::vec3(-glm::dot(a, g), glm::dot(b, g), glm::dot(c, g)) * fDeltaTime;
}

void fxAmbientParticles::Render()
{
    rvBufferDisplay* pBuffer = rvSceneDisplay::_pCurrentBuffer;
    rvAssert(pBuffer);
    _shProgram._fFade = GetFade();
    TrackCamera(pBuffer->_mInvView, _fDeltaTime);
    _shProgram._vCameraPosition = _vParticleOffset;
    _shProgram._vGlobalMotion = glm::vec3(0.0f); // the drift is in the offset already
    _shProgram.Use();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    if (_eBlendMode == BLEND_NONE)
        glDisable(GL_BLEND);
    else
    {
        glEnable(GL_BLEND);
        glBlendEquation(_eBlendMode == BLEND_MAX ? GL_MAX : GL_FUNC_ADD);
        if (_eBlendMode == BLEND_ALPHA)
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        else
            glBlendFunc(GL_ONE, GL_ONE);
    }
    _shProgram.Draw(0);
    _shProgram.Unuse();
}

fxDescriptor* fxAmbientParticles::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxAmbientParticles", &fxAmbientParticles::Create);
    return s_pDescriptor;
}

fxBase* fxAmbientParticles::Create(fxDescriptor* pDescriptor)
{
    return new fxAmbientParticles(pDescriptor);
}

namespace
{
template <class M> int ProgramOffset(M shAmbientParticles::*pValue)
{
    return rvOffsetOf<fxAmbientParticles>(&fxAmbientParticles::_shProgram) +
           rvOffsetOf<shAmbientParticles, shAmbientParticles>(pValue);
}
} // namespace

fxDescriptor* fxAmbientParticles::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    using P = shAmbientParticles;
    d->Add(TYPE_BOOL, "Enabled", ProgramOffset(&P::_bEnabled));
    d->Add(TYPE_ENUM, "BlendMode", rvOffsetOf<fxAmbientParticles>(&fxAmbientParticles::_eBlendMode))
        ->SetItems(s_apszBlendModes, 4);
    d->Add(TYPE_ENUM, "Shape", ProgramOffset(&P::_nShape))->SetItems(s_apszShapes, P::SHAPE_COUNT);
    d->Add(TYPE_INT, "Seed", ProgramOffset(&P::_nSeed));
    d->Add(TYPE_VEC3, "GlobalMotion", rvOffsetOf<fxAmbientParticles>(&fxAmbientParticles::_vGlobalMotion))
        ->SetRange(-10.0f, 10.0f);
    d->Add(TYPE_VEC4, "CameraMotionScale",
           rvOffsetOf<fxAmbientParticles>(&fxAmbientParticles::_vCameraMotionScale))
        ->SetRange(0.0f, 10.0f);
    d->Add(TYPE_FLOAT, "NoiseMotion", ProgramOffset(&P::_fNoiseMotion))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_VEC2, "LightPosXY", ProgramOffset(&P::_vLightPosXY))->SetRange(-10.0f, 10.0f);
    d->Add(TYPE_FLOAT, "LightRotZ", ProgramOffset(&P::_fLightRotZ));
    d->Add(TYPE_FLOAT, "LightAperture", ProgramOffset(&P::_fLightAperture))->SetRange(0.0f, kHalfPi);
    d->Add(TYPE_FLOAT, "LightFallback", ProgramOffset(&P::_fLightFallback))->SetRange(0.0f, kHalfPi);
    d->Add(TYPE_FLOAT, "LightDistance", ProgramOffset(&P::_fLightDistance))->SetRange(0.0f, 10.0f);
    d->Add(TYPE_COLOR4, "Color0", ProgramOffset(&P::_vColor0));
    d->Add(TYPE_COLOR4, "Color1", ProgramOffset(&P::_vColor1));
    d->Add(TYPE_FLOAT, "Scale", ProgramOffset(&P::_fScale))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_FLOAT, "Size", ProgramOffset(&P::_fSize))->SetRange(0.0f, 0.5f);
    d->Add(TYPE_FLOAT, "Blur", ProgramOffset(&P::_fBlur))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_INT, "Density", ProgramOffset(&P::_nDensity))->SetIntRange(0, 20);
    d->Add(TYPE_FLOAT, "zScale", ProgramOffset(&P::_fDepthScale))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "zAlpha", ProgramOffset(&P::_fDepthAlpha))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Spotlight", ProgramOffset(&P::_fSpotlight))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_BOOL, "DebugGrid", ProgramOffset(&P::_bDebugGrid));
    d->Add(TYPE_BOOL, "DebugLight", ProgramOffset(&P::_bDebugLight));
    return d;
}
