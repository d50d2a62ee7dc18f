#include "rvMainWindow.h"

#include "rvMessage.h"

#include <GLFW/glfw3.h>

namespace rvMain
{
void ApplyWindowHints()
{
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 0);
    glfwWindowHint(GLFW_RED_BITS, 8);
    glfwWindowHint(GLFW_GREEN_BITS, 8);
    glfwWindowHint(GLFW_BLUE_BITS, 8);
    glfwWindowHint(GLFW_ALPHA_BITS, 8);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_STENCIL_BITS, 8);
    glfwWindowHint(GLFW_REFRESH_RATE, 60);
}
} // namespace rvMain

void OnGlfwError(int error, const char* description)
{
    rvReport(rvMessageKind::Error, "Glfw Error %d: %s\n", error, description);
}
