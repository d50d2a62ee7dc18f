#include "effects/rvCardoid/rvCardoid.h"

#include "Display/rvBufferDisplay.h"
#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>

rvCardoid::rvCardoid(fxDescriptor* pDescriptor)
    : fxBase(pDescriptor), _fTotal(10.0f), _fFactor(10.0f), _fRadius(50.0f), _fA(8.0f), _fB(2.0f),
      _fDepthAmplitude(8.0f), _fStep(0.1f), _vCam(0.0f)
{
}

rvCardoid::~rvCardoid() = default;

void rvCardoid::Init()
{
    // Reseeds the shared generator; the effect itself draws no random numbers.
    std::srand(unsigned(std::time(nullptr)));
    rvAssert(rvSceneDisplay::_pCurrentDisplay);
    rvAssert(rvSceneDisplay::_pCurrentBuffer);
}

glm::vec3 rvCardoid::PointAt(float t) const
{
    return glm::vec3(_fA * std::cos(t) + _fB * std::cos(3.0f * t), _fA * std::sin(t) + _fB * std::sin(3.0f * t),
                     _fDepthAmplitude * std::sin(2.0f * t));
}

void rvCardoid::Render()
{
    rvBufferDisplay* pBuffer = rvSceneDisplay::_pCurrentBuffer;
    rvAssert(pBuffer);
    pBuffer->_vCamRotation = _vCam;

    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);
    // A step of 0 or below (or not a number) would never reach 2 pi: nothing is drawn then.
    if (!(_fStep > 0.0f) || !std::isfinite(_fStep)) return;
    const float fStep = std::max(_fStep, MIN_STEP);
    // The blue rises above 1 where the curve dips below z = -4: it is held at 1 there.
    auto blue = [](float zPrev) { return std::min(std::max(0.8f - zPrev / 20.0f, 0.0f), 1.0f); };

    vector_display_set_rgb(_pCurrentDisplay, 0.4f, 0.4f, 0.8f);
    // Points go through the display's transform step without a transform: world coordinates.
    auto world = [this](float t) {
        const glm::vec3 c = PointAt(t);
        glm::vec3 p;
        vector_display_transform_point(&p, nullptr, &c);
        return p;
    };
    const glm::vec3 p0 = world(0.0f);
    vector_display_strip_begin(_pCurrentDisplay, p0.x, p0.y, p0.z);
    float zPrev = 0.0f;
    for (float t = fStep; t < 6.2831855f; t += fStep)
    {
        vector_display_set_rgb(_pCurrentDisplay, 0.4f, 0.4f, blue(zPrev));
        const glm::vec3 p = world(t);
        vector_display_strip_to(_pCurrentDisplay, p.x, p.y, p.z);
        zPrev = p.z;
    }
    vector_display_strip_to(_pCurrentDisplay, p0.x, p0.y, p0.z);
    vector_display_strip_end(_pCurrentDisplay);
}

fxDescriptor* rvCardoid::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor = new fxDescriptor(fxBase::GetDescriptor(), "rvCardoid", &rvCardoid::Create);
    return s_pDescriptor;
}

fxBase* rvCardoid::Create(fxDescriptor* pDescriptor)
{
    return new rvCardoid(pDescriptor);
}

fxDescriptor* rvCardoid::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    d->Add(TYPE_FLOAT, "Total", rvOffsetOf<rvCardoid>(&rvCardoid::_fTotal))->SetRange(6.0f, 256.0f);
    d->Add(TYPE_FLOAT, "Factor", rvOffsetOf<rvCardoid>(&rvCardoid::_fFactor))->SetRange(0.0f, 150.0f);
    d->Add(TYPE_FLOAT, "Radius", rvOffsetOf<rvCardoid>(&rvCardoid::_fRadius))->SetRange(0.0f, 127.0f);
    d->Add(TYPE_FLOAT, "A", rvOffsetOf<rvCardoid>(&rvCardoid::_fA))->SetRange(0.0f, 32.0f);
    d->Add(TYPE_FLOAT, "B", rvOffsetOf<rvCardoid>(&rvCardoid::_fB))->SetRange(0.0f, 32.0f);
    d->Add(TYPE_FLOAT, "Step", rvOffsetOf<rvCardoid>(&rvCardoid::_fStep))->SetRange(0.001f, 1.0f);
    d->Add(TYPE_VEC3, "Cam", rvOffsetOf<rvCardoid>(&rvCardoid::_vCam))->SetRange(-180.0f, 180.0f);
    return d;
}
