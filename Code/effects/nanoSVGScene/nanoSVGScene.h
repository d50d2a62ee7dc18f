#pragma once
// An SVG machine whose parts turn: shapes with ids beginning "ENG" form gears that each turn
// about the centre of their smallest enclosing circle, shapes beginning "CACHE" are filled
// occluders written into the stencil buffer so that the gears disappear behind them, and the
// other shapes are drawn still, on top. Each gear's speed and colour are edited through "Gears",
// element i for gear i.
#include "Factory/fxBase.h"
#include "rvMath.h"
#include "shOccludingShader.h"
#include "svg/nanoSVG2Path.h"
#include "svg/nanoSVGGear.h"

#include <glm/vec4.hpp>
#include <string>

class nanoSVGScene : public fxBase
{
public:
    static constexpr int GEARS_MAX = 60;

    explicit nanoSVGScene(fxDescriptor* pDescriptor);
    ~nanoSVGScene() override;

    void Init() override;
    void Kill() override;
    void Render() override;

    // Gear elements to parts, by position; then one element per part (at most GEARS_MAX).
    void ApplyGearSettings();
    // Turns every part by its speed and places it inside "Transform".
    void UpdateParts();
    void UpdateMatrix(rvTransform3D& transform) const;
    void DrawOccluders();
    // Draws the objects that pass the filter, leaving every visible flag as it was.
    template <class Filter> void DrawObjects(const glm::vec4& color, Filter keep);

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    bool _bLoaderWindowOpen = false;
    shOccludingShader _OccludingShader;
    bool _bAutoTransform = true;
    // Settings of the debug window (not saved).
    bool _bOcclusion = true;
    bool _bShowGears = true;
    bool _bShowOthers = true;
    bool _bShowOccluders = false;
    bool _bReverseStencil = true;
    float _fOccluderScale = 0.988f;
    int _nRenderingMode = 0;
    glm::vec4 _vColor = glm::vec4(1.f);
    std::string _sFile = "Data/svg/EyesUniverse/Eyes_Universe_PRW4C.svg";
    rvTransform3D _Transform;
    rvTransform3D _PartTransform;
    nanoSVG2Path _SVG;
    int _nGears = 0;
    nanoSVGGear _aGears[GEARS_MAX];
    // The drawing's part count was reported as too large for "Gears".
    bool _bGearOverflowReported = false;

    // The camera and line settings that the first Render of any machine makes.
    static bool _bProcessSettingsDone;
};
