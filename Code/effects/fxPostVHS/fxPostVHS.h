#pragma once
// VHS tape post effect: placed on the timeline after the effects whose picture it treats, it copies
// the current render buffer and draws the copy back over it looking like a worn video tape (barrel
// distortion, line jumps, colour wobble, noise lines, travelling white stripes, scan-line banding,
// grain, a breathing vignette, a monochrome tint taken from the current fxDemoGlobalParams). Every
// attribute is an amount of the program `_shProgram`; a ">>" amount at 0 (up to 0.0001) compiles its
// feature out. The buffer's alpha is never written; there is no fade.
#include "Factory/fxBase.h"
#include "effects/fxPostVHS/shPostVHS.h"

class fxPostVHS : public fxBase
{
public:
    explicit fxPostVHS(fxDescriptor* pDescriptor);
    ~fxPostVHS() override;

    void Init() override;
    void Render() override;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    // Adds the attributes only while the descriptor has none; always returns the descriptor.
    static fxDescriptor* RegisterAttributes();

    shPostVHS _shProgram;
};
