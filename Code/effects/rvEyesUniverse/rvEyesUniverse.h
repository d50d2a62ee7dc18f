#pragma once
// Up to five SVG drawings stacked as layers of line segments: a head in profile, orbits, an eye,
// a ring of gears and the rays of an iris. Each layer has its own switch and "Transform"; layers
// 0 and 1 travel along z at "Speed0" and "Speed1". A dot marks the centre of the picture.
#include "Factory/fxBase.h"
#include "rvMath.h"
#include "svg/nanoSVG2Edge.h"

#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

struct vector_display;

struct rvEyesUniverseLayer
{
    bool _bDraw = false;
    rvTransform3D _Transform;
    nanoSVG2Edge _SVG;
};

class rvEyesUniverse : public fxBase
{
public:
    static constexpr int LAYERS = 5;
    static const char* const LayerFiles[LAYERS];

    explicit rvEyesUniverse(fxDescriptor* pDescriptor);
    ~rvEyesUniverse() override;

    void Init() override;
    void Render() override;

    // The layer's matrix from its transform. Node coordinates are relative to the drawing's
    // centre, so the drawing's pivot is taken in those coordinates: rotation and scale turn
    // about it and "Pos" places it.
    void UpdateLayerMatrix(rvEyesUniverseLayer& layer);

    // The two looks of the vector display offered by the debug window.
    static void LineRender(vector_display* pDisplay);
    static void CathodicRender(vector_display* pDisplay);

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    rvEyesUniverseLayer _aLayers[LAYERS];
    bool _bLoaderWindowOpen = false;
    float _afSpeed[LAYERS] = {0.f, 0.f, 0.f, 0.f, 0.f};
    glm::vec3 _vGlobalOffset = glm::vec3(0.f);
    glm::vec4 _vBaseColor = glm::vec4(1.f);
};
