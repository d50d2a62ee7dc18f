// The game's live input: arrow keys and Space on the main window, and every gamepad.
#include "effects/fxAsteroid/fxAsteroid.h"

#include "rvSceneDisplay.h"

#include <GLFW/glfw3.h>

uint8_t fxAsteroid::PollDefaultInput()
{
    GLFWwindow* pWindow = rvSceneDisplay::_pWindow;
    if (!pWindow) return 0; // headless: no keyboard, no gamepad
    uint8_t n = 0;
    if (glfwGetKey(pWindow, GLFW_KEY_UP) == GLFW_PRESS) n |= INPUT_THRUST;
    if (glfwGetKey(pWindow, GLFW_KEY_DOWN) == GLFW_PRESS) n |= INPUT_DOWN;
    if (glfwGetKey(pWindow, GLFW_KEY_LEFT) == GLFW_PRESS) n |= INPUT_LEFT;
    if (glfwGetKey(pWindow, GLFW_KEY_RIGHT) == GLFW_PRESS) n |= INPUT_RIGHT;
    if (glfwGetKey(pWindow, GLFW_KEY_SPACE) == GLFW_PRESS) n |= INPUT_FIRE;
    for (int jid = GLFW_JOYSTICK_1; jid <= GLFW_JOYSTICK_16; ++jid)
    {
        GLFWgamepadstate s;
        if (!glfwJoystickIsGamepad(jid) || !glfwGetGamepadState(jid, &s)) continue;
        if (s.buttons[GLFW_GAMEPAD_BUTTON_A]) n |= INPUT_FIRE;
        if (s.buttons[GLFW_GAMEPAD_BUTTON_DPAD_RIGHT]) n |= INPUT_RIGHT;
        if (s.buttons[GLFW_GAMEPAD_BUTTON_DPAD_LEFT]) n |= INPUT_LEFT;
        if (s.buttons[GLFW_GAMEPAD_BUTTON_DPAD_DOWN]) n |= INPUT_DOWN;
        if (s.buttons[GLFW_GAMEPAD_BUTTON_DPAD_UP]) n |= INPUT_THRUST;
        const float x = s.axes[GLFW_GAMEPAD_AXIS_LEFT_X], y = s.axes[GLFW_GAMEPAD_AXIS_LEFT_Y];
        if (x > 0.2f || x < -0.2f) n |= x > 0.0f ? INPUT_RIGHT : INPUT_LEFT;
        if (y > 0.2f || y < -0.2f) n |= y > 0.0f ? INPUT_DOWN : INPUT_THRUST;
    }
    return n;
}
