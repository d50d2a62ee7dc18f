#include "effects/fxCamera/fxCameraInput.h"

namespace
{
class GlfwCameraInput : public fxCameraInput
{
public:
    double GetTime() override { return glfwGetTime(); }
    bool GetGamepadState(int jid, GLFWgamepadstate* pState) override
    {
        return glfwJoystickIsGamepad(jid) == GLFW_TRUE && glfwGetGamepadState(jid, pState) == GLFW_TRUE;
    }
};
} // namespace

fxCameraInput* fxCameraInput::GetDefault()
{
    static GlfwCameraInput s_Input;
    return &s_Input;
}
