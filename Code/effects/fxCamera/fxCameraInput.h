#pragma once
// What the camera effect reads of the outside world in its gamepad flight mode: a clock and the
// gamepads in GLFW's standard mapping (15 buttons, 6 axes). The default reads GLFW; tests
// install their own.
#include <epoxy/gl.h>

#include <GLFW/glfw3.h>

class fxCameraInput
{
public:
    virtual ~fxCameraInput() = default;
    // Seconds of a monotonic clock.
    virtual double GetTime() = 0;
    // True and the state filled when joystick jid is a gamepad whose state can be read.
    virtual bool GetGamepadState(int jid, GLFWgamepadstate* pState) = 0;

    // The GLFW-backed input (glfwGetTime, glfwJoystickIsGamepad, glfwGetGamepadState).
    static fxCameraInput* GetDefault();
};
