#pragma once
// Makes "Default" the current render buffer again (flushing the vector display of the buffer
// being left), so the effects after it on the timeline draw into the picture shown on screen.
#include "Factory/fxBase.h"

class fxBufferDefault : public fxBase
{
public:
    explicit fxBufferDefault(fxDescriptor* pDescriptor);

    void Render() override;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    int _eDebugColor;
    int _eDebugAlpha;
    int _eDebugDepth;
};
