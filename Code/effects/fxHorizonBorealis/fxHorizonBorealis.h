#pragma once
// Aurora horizon: a night-sky band of aurora light over a black ground, seen by a camera looking at
// a flat horizon. Runs on timeline time; its picture is opaque whatever the fade. Both attributes
// are values of the program `_shProgram`.
#include "Factory/fxBase.h"
#include "effects/fxHorizonBorealis/shHorizonBorealis.h"

class fxHorizonBorealis : public fxBase
{
public:
    explicit fxHorizonBorealis(fxDescriptor* pDescriptor);
    ~fxHorizonBorealis() override;

    void Init() override;
    void Render() override;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    shHorizonBorealis _shProgram;
};
