#pragma once
// Shows a picture in the current render buffer: a PNG of the data archive, or the image of an
// fxBufferDisplay of the same timeline found by its instance name. Full screen or as a sprite,
// with optional aspect ratio, tiling, tint, one of four blend modes, fades and glow.
#include "Factory/fxBase.h"
#include "rvShaderProgram.h"

#include <glm/glm.hpp>

#include <string>

class fxImage : public fxBase
{
public:
    enum ColorBlend
    {
        ColorBlend_Copy = 0,
        ColorBlend_Alpha = 1,
        ColorBlend_Add = 2,
        ColorBlend_Max = 3
    };

    explicit fxImage(fxDescriptor* pDescriptor);
    ~fxImage() override;

    void Init() override;
    void Kill() override;
    void Render() override;

    // The effect named by "FX Buffer" in this effect's timeline when it is an fxBufferDisplay,
    // else null. Render asks again every frame, so a buffer effect deleted, renamed or
    // reloaded with its timeline is never reached through a stale pointer.
    fxBase* FindBufferEffect() const;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    rvTexColorProgram2D _program;
    std::string _sPngFile;
    std::string _sFxBuffer;
    fxBase* _pFxBuffer;
    glm::vec2 _vScreenPos;
    glm::vec4 _vColorMul;
    glm::vec4 _vColorAdd;
    int _eColorBlend;
    float _fScreenSize;
    bool _bKeepRatioX;
    bool _bKeepRatioY;
    bool _bFullscreen;
    bool _bRepeatUV;
    bool _bValidImg;
    bool _bGlow;
};
