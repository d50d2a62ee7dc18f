#include "rvMainMouseCamera.h"

#include "Display/rvBufferDisplay.h"

#include <cmath>

namespace
{
constexpr float DegreesPerPixel = 0.2f;
constexpr float RadiansPerDegree = 0.017453292f;
constexpr float TwoPi = 6.2831855f;
constexpr float PanPixelsPerUnit = 100.f;
constexpr int LeftButton = 0;
constexpr int MiddleButton = 2;
} // namespace

void rvMainMouseCamera::Apply(const ImGuiIO& io, rvBufferDisplay& buffer)
{
    // Far away the wheel moves ten times faster. The distance has no bounds.
    float wheel = io.MouseWheel;
    if (buffer._fDist > 10.f) wheel *= 10.f;
    buffer._fDist -= wheel;

    const ImVec2 mouse = io.MousePos;
    if (io.MouseClicked[LeftButton]) _vLastLeftDrag = mouse;
    if (io.MouseClicked[MiddleButton]) _vLastMiddleDrag = mouse;
    if (io.WantCaptureMouse) return;

    if (io.MouseDown[LeftButton])
    {
        // A horizontal drag turns around the vertical axis, a vertical one changes the polar angle.
        const float a = (mouse.x - _vLastLeftDrag.x) * DegreesPerPixel * RadiansPerDegree + buffer._fPitch;
        float pitch = a - std::floor(a / TwoPi) * TwoPi;
        if (pitch >= TwoPi) // a tiny negative angle rounds up to 2 pi
            pitch = 0.f;
        buffer._fPitch = pitch;
        buffer._fYaw += (mouse.y - _vLastLeftDrag.y) * DegreesPerPixel * RadiansPerDegree;
        _vLastLeftDrag = mouse;
    }
    if (io.MouseReleased[LeftButton]) _vLastLeftDrag = ImVec2(0.f, 0.f);

    if (io.MouseDown[MiddleButton])
    {
        buffer._fPanX += (mouse.x - _vLastMiddleDrag.x) / PanPixelsPerUnit;
        buffer._fPanY += (mouse.y - _vLastMiddleDrag.y) / PanPixelsPerUnit;
        _vLastMiddleDrag = mouse;
    }
    if (io.MouseReleased[MiddleButton]) _vLastMiddleDrag = ImVec2(0.f, 0.f);
}
