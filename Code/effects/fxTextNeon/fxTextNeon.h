#pragma once
// A text that switches on like a neon sign: every glyph flickers on its own from an "off" look
// through a dim "mid" look to the text's colour and width. The flicker is a table of looks per
// glyph and step, made once at Init from a seeded generator; "Neon" (0 to 1) picks the step, so
// a driven "Neon" plays the flicker and scrubbing replays it exactly. The whole text is drawn.
#include "effects/fxText/fxText.h"

#include <cstdint>
#include <vector>

class fxTextNeon : public fxText
{
public:
    explicit fxTextNeon(fxDescriptor* pDescriptor);
    ~fxTextNeon() override;

    void Init() override;
    void Render() override;

    // One step of the generator: a jump in [-"EvalVariation", "EvalVariation").
    float NextJump();
    void BuildNeonTable();
    // The step "Neon" picks, inside 0.._nSteps.
    int CurrentStep() const;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    float _fNeon = 0.f;
    int32_t _nSeedInitial = 0;
    uint32_t _nSeed = 0;
    bool _bSeedPerPath = true;
    static constexpr int kMaxEvalSteps = 1000; // bound of "EvalSteps"
    int _nEvalSteps = 100;
    float _fEvalVariation = 0.3f;
    float _fEvalThreshold = 0.75f;
    glm::vec4 _vColorOff = glm::vec4(0.f, 0.f, 0.5f, 1.f);
    glm::vec4 _vColorMid = glm::vec4(0.f, 0.f, 0.75f, 1.f);
    float _fThicknessOff = 0.25f;
    float _fThicknessMid = 0.3f;
    int _nChar = 0;
    int _nSteps = 1;
    // Look of glyph i at step j at j * _nChar + i: red, green, blue, width.
    std::vector<glm::vec4> _aNeonLooks;
};
