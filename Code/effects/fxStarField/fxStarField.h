#pragma once
// Star field: a flight through a coloured cloud of stars, optionally swirled, rotated, holed in its
// centre and overlaid with a glowing spiral. Runs on timeline time and fades through alpha
// blending. The attributes are values of `_shProgram`, except the two of the hole's opacity.
#include "Factory/fxBase.h"
#include "effects/fxStarField/shStarField.h"

class fxStarField : public fxBase
{
public:
    explicit fxStarField(fxDescriptor* pDescriptor);
    ~fxStarField() override;

    void Init() override;
    void Render() override;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    // Adds the attributes only while the descriptor has none; always returns the descriptor.
    static fxDescriptor* RegisterAttributes();

    shStarField _shProgram;
    float _fHoleOpacity = 0.0f;
    bool _bHoleDebug = false;
};
