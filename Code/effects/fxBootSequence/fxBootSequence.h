#pragma once
// Console boot scene: the picture of a game console switching on, drawn as flat quads over the
// current render buffer. Its screen goes from off to lit, three buttons are pressed one after the
// other, a status strip changes colour, and finally the screen shows the picture of the render
// buffer of the fxBufferDisplay named by "ScreenFxBuffer" (where other effects type the boot text).
//
// Parts are placed relative to the console picture: a rectangle (ox, oy, w, h) has its centre at
// UnitPos + UnitScl * (ox, oy) in -1 .. 1 across the target (y downward) and the size UnitScl * (w, h)
// in fractions of the target.
#include "Factory/fxBase.h"
#include "rvShaderProgram.h"

#include <glm/glm.hpp>

#include <string>

class fxBufferDisplay;

class fxBootSequence : public fxBase
{
public:
    explicit fxBootSequence(fxDescriptor* pDescriptor);
    ~fxBootSequence() override;

    void Init() override;
    void Kill() override;
    void Render() override;

    // Centre and size, in fractions of the target from its top-left corner, of a rectangle
    // relative to the console picture.
    glm::vec4 Place(const glm::vec4& rc) const;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    float _fUnitTime = 2.0f;
    glm::vec2 _vUnitPos = glm::vec2(0.0f);
    glm::vec2 _vUnitScl = glm::vec2(0.375f, 1.0f);
    std::string _sScreenFxBuffer;
    float _fScreenGlow = 0.0f;
    float _fScreenTime = 1.0f;
    glm::vec4 _vScreenBack0 = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
    glm::vec4 _vScreenBack1 = glm::vec4(35.0f / 255.0f, 35.0f / 255.0f, 35.0f / 255.0f, 1.0f);
    glm::vec4 _vScreenBack2 = glm::vec4(49.0f / 255.0f, 86.0f / 255.0f, 165.0f / 255.0f, 1.0f);
    glm::vec2 _vScreenTextPos = glm::vec2(-0.68f, -0.73f);
    glm::vec2 _vScreenTextScl = glm::vec2(1.0f, 1.0f);
    glm::vec4 _vLoadingBack0 = glm::vec4(23.0f / 255.0f, 23.0f / 255.0f, 23.0f / 255.0f, 1.0f);
    glm::vec4 _vLoadingBack1 = glm::vec4(102.0f / 255.0f, 186.0f / 255.0f, 186.0f / 255.0f, 1.0f);

    rvTexColorProgram2D _shUnit;
    rvTexColorProgram2D _shUBut;
    rvFillColorProgram2D _shFill;
    rvTexColorProgram2D _shScreen;
    const glm::vec4 _rcScreen = glm::vec4(0.0f, -0.333f, 0.795f, 0.545f);
    const glm::vec4 _rcLoading = glm::vec4(0.064f, 0.558f, 0.218f, 0.038f);
    const glm::vec4 _rcButton1 = glm::vec4(0.794f, 0.349f, 0.038f, 0.026f);
    const glm::vec4 _rcButton2 = glm::vec4(0.793f, 0.561f, 0.038f, 0.026f);
    const glm::vec4 _rcButton3 = glm::vec4(-0.26f, 0.561f, 0.038f, 0.026f);
    fxBufferDisplay* _pScreenFx = nullptr;
};
