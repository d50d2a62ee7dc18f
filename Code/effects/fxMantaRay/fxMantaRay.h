#pragma once
// A manta ray swimming along its own recent path: the outline of "Data/svg/custom/mantaray.svg"
// is laid along a spine read back from the drivers of "Transform" (position and rotation) at
// past times, so the body follows where the head has been; the drawing's across-axis becomes the
// wingspan and the wings move up and down with a cosine wave.
#include "Factory/fxBase.h"
#include "rvMath.h"
#include "svg/nanoSVG2Edge.h"
#include "vector_display/vector_display.h"

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>
#include <string>
#include <vector>

class NoneDriver;

class fxMantaRay : public fxBase
{
public:
    static constexpr int SPINE_SAMPLES = 100;

    struct SpineSample
    {
        glm::vec3 _vPosition = glm::vec3(0.f);
        glm::vec3 _vRight = glm::vec3(0.f);
        glm::vec3 _vUp = glm::vec3(0.f);
    };
    struct OutlinePoint
    {
        glm::vec2 _vSvg = glm::vec2(0.f);
        float _fU = 0.f; // across, -1 to 1
        float _fV = 0.f; // along, 0 (head) to 1 (tail)
        vector_display_point _Point;
    };

    explicit fxMantaRay(fxDescriptor* pDescriptor);
    ~fxMantaRay() override;

    void Init() override;
    void Kill() override;
    void Render() override;

    // Outline points, their (u, v) and the body size from the loaded drawing.
    void BuildOutline();
    // The drivers of the position and rotation of "Transform", looked up in the current list.
    void FindSpineDrivers();
    // The spine at the current local time.
    void BuildSpine();
    // Every outline point laid on the spine and waved.
    void PlaceOutline();

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    rvTransform3D _Transform;
    std::string _sFile = "Data/svg/custom/mantaray.svg";
    nanoSVG2Edge _SVG;
    std::vector<OutlinePoint> _aOutline;
    std::vector<SpineSample> _aSpine;
    glm::vec2 _vBodySize = glm::vec2(0.f);
    float _fSplineScale = 10.f;
    float _fThickness = 1.f;
    float _fWindHeight = 0.f;
    float _fWindPeriod = 1.f;
    bool _bDebugSpine = false;
    glm::vec4 _vColor = glm::vec4(1.f);
    NoneDriver* _apSpineDrivers[6] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
};
