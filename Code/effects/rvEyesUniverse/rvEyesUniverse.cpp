#include "effects/rvEyesUniverse/rvEyesUniverse.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvEditorHook.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <string>

const char* const rvEyesUniverse::LayerFiles[LAYERS] = {
    "Data/svg/EyesUniverse_low/Eyes_Universe_PRW1.svg",  "Data/svg/EyesUniverse_low/Eyes_Universe_PRW2.svg",
    "Data/svg/EyesUniverse_low/Eyes_Universe_PRW3.svg",  "Data/svg/EyesUniverse_low/Eyes_Universe_PRW4C.svg",
    "Data/svg/EyesUniverse_low/Eyes_Universe_PRW5C.svg",
};

rvEyesUniverse::rvEyesUniverse(fxDescriptor* pDescriptor) : fxBase(pDescriptor)
{
    // A new effect shows its first layer; a saved effect keeps the switches it was saved with.
    _aLayers[0]._bDraw = true;
}

rvEyesUniverse::~rvEyesUniverse() = default;

void rvEyesUniverse::Init()
{
    for (int i = 0; i < LAYERS; ++i)
    {
        rvEyesUniverseLayer& layer = _aLayers[i];
        layer._SVG.Release();
        layer._SVG.Load(LayerFiles[i]);
        layer._Transform._vPivot = glm::vec3(layer._SVG._vPivot.x, layer._SVG._vPivot.y, 0.f);
    }
}

void rvEyesUniverse::UpdateLayerMatrix(rvEyesUniverseLayer& layer)
{
    const nanoSVG2Edge& svg = layer._SVG;
    layer._Transform._vPivot = glm::vec3(svg._vPivot.x, svg._vPivot.y, 0.f);
    const glm::vec3 vSaved = layer._Transform._vPivot;
    layer._Transform._vPivot -= glm::vec3(svg._fHalfWidth, svg._fHalfHeight, 0.f);
    layer._Transform.Update();
    layer._Transform._vPivot = vSaved;
}

void rvEyesUniverse::LineRender(vector_display* pDisplay)
{
    pDisplay->settings.color_brightness = 0.f;
    pDisplay->settings.decay_final = 1.f;
}

void rvEyesUniverse::CathodicRender(vector_display* pDisplay)
{
    pDisplay->settings.color_brightness = 1.f;
    pDisplay->settings.decay_final = 0.2f;
}

void rvEyesUniverse::Render()
{
    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);
    // The "nanoSVG" window (rvEyesUniverseEditor.cpp): layer statistics and the two looks.
    rvEditorHook<&rvEyesUniverse::Render>::Call(*this);
    vector_display_set_rgb(_pCurrentDisplay, 0.6f, 0.5f, 1.0f);
    vector_display_draw_circle(_pCurrentDisplay, 0.f, 0.f, 0.f, 0.f, 64);
    for (int i = 0; i < LAYERS; ++i)
    {
        rvEyesUniverseLayer& layer = _aLayers[i];
        if (!layer._bDraw) continue;
        layer._Transform._vPosition.z += _fDeltaTime * _afSpeed[i];
        UpdateLayerMatrix(layer);
        layer._SVG._mFitMatrix = layer._Transform._mMatrix;
        layer._SVG.Draw();
    }
}

fxDescriptor* rvEyesUniverse::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "rvEyesUniverse", &rvEyesUniverse::Create);
    return s_pDescriptor;
}

fxBase* rvEyesUniverse::Create(fxDescriptor* pDescriptor)
{
    return new rvEyesUniverse(pDescriptor);
}

fxDescriptor* rvEyesUniverse::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    const int nOffset = rvOffsetOf<rvEyesUniverse>(&rvEyesUniverse::_vGlobalOffset);
    const int nSpeed = rvOffsetOf<rvEyesUniverse>(&rvEyesUniverse::_afSpeed);
    d->Add(TYPE_FLOAT, "Global Offset.x", nOffset)->SetRange(0.f, 3000.f);
    d->Add(TYPE_FLOAT, "Global Offset.y", nOffset + int(sizeof(float)))->SetRange(0.f, 3000.f);
    d->Add(TYPE_FLOAT, "Speed0", nSpeed)->SetRange(5.f, 20.f);
    d->Add(TYPE_FLOAT, "Speed1", nSpeed + int(sizeof(float)))->SetRange(5.f, 200.f);
    d->Add(TYPE_VEC4, "Base Color", rvOffsetOf<rvEyesUniverse>(&rvEyesUniverse::_vBaseColor))->SetRange(0.f, 1.f);
    const int nLayers = rvOffsetOf<rvEyesUniverse>(&rvEyesUniverse::_aLayers);
    const int nTransform = rvOffsetOf<rvEyesUniverseLayer, rvEyesUniverseLayer>(&rvEyesUniverseLayer::_Transform);
    const int nDraw = rvOffsetOf<rvEyesUniverseLayer, rvEyesUniverseLayer>(&rvEyesUniverseLayer::_bDraw);
    for (int i = 0; i < LAYERS; ++i)
    {
        const int nLayer = nLayers + i * int(sizeof(rvEyesUniverseLayer));
        const std::string n = std::to_string(i);
        d->Add(TYPE_TRANSFORM_3D, "Transform " + n, nLayer + nTransform)
            ->SetTransformRanges(i == 0 ? -300.f : -1000.f, 100.f, 0.f, 0.f, -180.f, 180.f, 0.01f, 2.f);
        d->Add(TYPE_BOOL, "Draw " + n, nLayer + nDraw);
    }
    return d;
}
