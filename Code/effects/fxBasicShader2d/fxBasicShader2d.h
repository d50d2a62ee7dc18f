#pragma once
// 2D test shader: fills the current render buffer with the animated spiral of its program,
// alpha-blended over what the buffer holds (with the default colours the pattern's own value is
// its alpha). No attributes: the program keeps its defaults. No fade.
#include "Factory/fxBase.h"
#include "effects/fxBasicShader2d/shBasicShader2d.h"

class fxBasicShader2d : public fxBase
{
public:
    explicit fxBasicShader2d(fxDescriptor* pDescriptor);
    ~fxBasicShader2d() override;

    void Init() override;
    void Render() override;

    static fxBase* Create(fxDescriptor* pDescriptor);

    shBasicShader2d _shProgram;
};
