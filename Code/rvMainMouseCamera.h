#pragma once
// The editor's mouse camera: the wheel zooms, a left drag orbits and a middle drag pans
// the free camera of a render buffer (it shapes the picture while the buffer's
// "Freecam" is on).
#include <imgui.h>

class rvBufferDisplay;

class rvMainMouseCamera
{
public:
    // Applies this frame's mouse input (ImGui's IO state) to the buffer's free camera.
    // The wheel always zooms; orbiting and panning wait until ImGui does not want the mouse.
    void Apply(const ImGuiIO& io, rvBufferDisplay& buffer);

    ImVec2 _vLastLeftDrag = ImVec2(0.f, 0.f);   // mouse position at the last left press or drag step
    ImVec2 _vLastMiddleDrag = ImVec2(0.f, 0.f); // same for the middle button
};
