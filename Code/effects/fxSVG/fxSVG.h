#pragma once
// One SVG drawing as glowing lines: at Init every path becomes a polyline of the effect's vector
// scene (one child node per shape), curves flattened here, the drawing optionally centred on its
// "PIVOT" path and scaled so that its longer side spans 100 units, and the lines simplified for a
// level of detail. Every line is drawn in the effect's one colour and width. The scene is the
// effect's vector scene, so other effects can take the drawing as a shape by instance name.
#include "Factory/fxBase.h"
#include "VectorScene/VectorScene.h"
#include "rvMath.h"

#include <glm/vec4.hpp>
#include <string>

struct SvgImage;

class fxSVG : public fxBase
{
public:
    // Resolution for lengths given in physical units (in, cm, mm, pt, pc).
    static constexpr float kDpi = 96.f;

    explicit fxSVG(fxDescriptor* pDescriptor);
    ~fxSVG() override;

    void Init() override;
    void Render() override;

    // Builds the scene from a parsed drawing (Init's steps after the parse).
    void BuildScene(const SvgImage* pImage);
    // Simplifies every line with "LOD Epsilon" and records it in the root.
    void Simplify();
    // "LOD Epsilon" within 0..VectorScene::kMaxEpsilon.
    float LODEpsilon() const;
    // Appends the end points of one flattened cubic to the line (de Casteljau halving up to
    // level 12, a piece kept once its middle lies within the tolerance of its chord).
    static void AddCubicBezier(VectorSceneLine* pLine, float x1, float y1, float x2, float y2, float x3, float y3,
                               float x4, float y4, float fTolerance, int nLevel);

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    VectorScene _VectorScene;
    rvTransform3D _Transform;
    glm::vec4 _vColor = glm::vec4(0.f, 0.6f, 1.f, 1.f);
    std::string _sFile = "Data/svg/EyesUniverse/Machinery_Of_Time.svg";
    bool _bAutoTransform = true;
    bool _bLODEnabled = true;
    float _fLODEpsilon = 0.1f;
    float _fThickness = 0.5f;
};
