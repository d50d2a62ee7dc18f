#pragma once
// Grid background: fills the current render buffer with a flat colour under three square grids of
// thin anti-aliased lines, like graph paper. Every attribute is a value of the program
// `_shProgram`. The grid moves only when its attributes are driven; it has no fade.
#include "Factory/fxBase.h"
#include "effects/fxBackGrid/shBackGrid.h"

class fxBackGrid : public fxBase
{
public:
    explicit fxBackGrid(fxDescriptor* pDescriptor);
    ~fxBackGrid() override;

    void Init() override;
    void Render() override;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    shBackGrid _shProgram;
};
