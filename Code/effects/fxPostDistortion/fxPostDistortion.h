#pragma once
// Bump distortion post effect: placed on the timeline after the effects whose picture it treats,
// it copies the current render buffer and draws it back swelling and ringing like a struck
// membrane from "  BumpStart" (local time) on, dying away over "  BumpDuration" seconds. Every
// attribute is a value of the program `_shProgram`. The buffer's alpha is never written; no fade.
#include "Factory/fxBase.h"
#include "effects/fxPostDistortion/shPostDistortion.h"

class fxPostDistortion : public fxBase
{
public:
    explicit fxPostDistortion(fxDescriptor* pDescriptor);
    ~fxPostDistortion() override;

    void Init() override;
    void Render() override;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    // Adds the attributes only while the descriptor has none; always returns the descriptor.
    static fxDescriptor* RegisterAttributes();

    shPostDistortion _shProgram;
};
