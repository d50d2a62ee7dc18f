#pragma once
// Changes the look of the current vector display (decay, thickness, intensity, glow, fog,
// composition). Over its FadeIn it moves the display's values from those found at its start to
// its own; it then flushes what the effects before it drew through its own decay ring. The values
// written stay in the display after the effect ends.
#include "Factory/fxBase.h"
#include "vector_display/vector_display.h"

class fxVectorDisplay : public fxBase
{
public:
    explicit fxVectorDisplay(fxDescriptor* pDescriptor);

    void OnEffectStart() override;
    void OnEffectStop() override;
    void Render() override;
    void Seek(float fDelta, float fNewTime, float fRequestedTime) override;

    // Writes the settings of the current local time into a display: during the FadeIn the blend
    // from _StartSettings to _Settings, afterwards _Settings as they are.
    void ApplySettings(vector_display* pDisplay) const;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    vector_display_settings _StartSettings;
    vector_display_settings _Settings;
    vector_display_buffers _Buffers;
    int _eDebugColor;
    int _eDebugAlpha;
    int _eDebugGlow;
    int _eDebugDepth;
};
