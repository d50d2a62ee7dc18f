#pragma once
// A line drawing turning into another one: the source and the destination shapes come from other
// effects of the timeline (their vector scenes, found by instance name) or, failing that, from SVG
// files; their edges are paired once at Init and every frame each pair is drawn as one segment
// between its source and its destination position. By default the morph follows the fades: the
// drawing becomes the destination while the effect fades in and turns back while it fades out.
#include "Factory/fxBase.h"
#include "effects/Morph/morphEdgeSequence.h"

#include <glm/vec2.hpp>
#include <glm/vec4.hpp>
#include <string>

class fxMorph : public fxBase
{
public:
    explicit fxMorph(fxDescriptor* pDescriptor);
    ~fxMorph() override;

    void Init() override;
    void Kill() override;
    void Render() override;

    // One side's shape: the scene of the effect named sFX at the end of its span, else the SVG
    // file. False when neither gives a shape.
    bool TakeShape(bool bSource, const std::string& sFX, const std::string& sSVG, const glm::vec2& vPos,
                   float fSize);
    // The morph amount and the colour factor at the current local time.
    float MorphAmount() const;
    float ColorFactor() const;
    bool InFadeIn() const;
    bool InFadeOut() const;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    morphEdgeSequence _Morph;
    std::string _sSourceFX;
    std::string _sDestinationFX;
    std::string _sSourceSVG = "Data/svg/custom/head.svg";
    std::string _sDestinationSVG = "Data/svg/ZQ4_logo_v1.svg";
    bool _bFadeInMorph = true;
    bool _bFadeInColor = false;
    bool _bFadeOutMorph = true;
    bool _bFadeOutColor = false;
    float _fUserMorph = 1.f;
    float _fThickness = 0.2f;
    glm::vec4 _vColor = glm::vec4(1.f);
    glm::vec2 _vSourcePos = glm::vec2(0.f);
    glm::vec2 _vDestinationPos = glm::vec2(0.f);
    float _fSourceSize = 1.f;
    float _fDestinationSize = 1.f;
};
