#pragma once
// Owns a named off-screen render buffer (named after the effect instance) and makes it the
// current buffer in its Render, so the effects after it on the timeline draw into it. Other
// effects read its picture by the instance name while it is in State_EffectStarted.
//
// Init sizes the buffer from the buffer current then. One that keeps its picture from frame to frame
// is made there; one cleared by each Render is made at that size when the effect starts and gives
// its GL storage back when it stops: the demo's buffers seldom run together, and no reader uses a
// buffer that is not started.
#include "Display/rvBufferDisplay.h"
#include "Factory/fxBase.h"

#include <glm/glm.hpp>

#include <string>

class fxBufferDisplay : public fxBase
{
public:
    explicit fxBufferDisplay(fxDescriptor* pDescriptor);
    ~fxBufferDisplay() override;

    void Init() override;
    void Kill() override;
    void Render() override;
    void OnEffectStart() override;
    void OnEffectStop() override;

    // Buffer size for a current buffer of W x H pixels (the sizing rule of Init).
    void ComputeSize(int nCurrentWidth, int nCurrentHeight, int& nWidth, int& nHeight) const;
    // What a frame can afford of a size asked for: at most kMaxSide a side and at most
    // kPixelBudgetFactor times the current buffer's pixels (never less than kMinPixelBudget),
    // in the same shape; one warning when a size is reduced.
    static constexpr int kMaxSide = 8192;
    static constexpr double kPixelBudgetFactor = 4.0;
    static constexpr double kMinPixelBudget = 2048.0 * 2048.0;
    void Afford(int nCurrentWidth, int nCurrentHeight, int& nWidth, int& nHeight) const;
    // Creation flags: colour, depth, vector display, linear, and repeat when "RepeatUV".
    int GetBufferFlags() const;

    // The buffer effect named sName in the timeline of pFrom, when it is exactly of this class;
    // null for an empty name, an effect outside a timeline, a name that finds nothing or an effect
    // of another class.
    static fxBufferDisplay* FindNamed(const fxBase* pFrom, const std::string& sName);

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    // Items of the "Debug ..." choices of the buffer and vector-display effects.
    static const char* const s_apszDebugSlots[9];

    rvBufferDisplay _Buffer;
    glm::vec2 _vSizePixel;
    glm::vec2 _vSizeUnit;
    glm::vec4 _vBackColor;
    bool _bKeepRatio;
    bool _bRepeatUV;
    bool _bClear;
    int _eDebugColor;
    int _eDebugAlpha;
    int _eDebugDepth;

private:
    // The size Init chose for the buffer (0 before Init and after Kill).
    int _nMadeWidth = 0, _nMadeHeight = 0;
};
