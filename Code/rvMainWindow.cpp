#include "rvMainWindow.h"

#include "rvMessage.h"

#include <GLFW/glfw3.h>

#include <cstring>

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

bool rvMain::IsGlfwNotice(int error, const char* description)
{
    // A full-screen window that loses the focus is iconified by GLFW; without a window manager
    // that speaks EWMH (a bare X server, Xvfb) it cannot be, and GLFW says so as an error.
    // The window simply stays: nothing is wrong.
    static const char kIconify[] = "X11: Iconification of full screen windows requires";
    return error == GLFW_PLATFORM_ERROR && description &&
           std::strncmp(description, kIconify, sizeof(kIconify) - 1) == 0;
}

void OnGlfwError(int error, const char* description)
{
    if (rvMain::IsGlfwNotice(error, description)) return;
    rvReport(rvMessageKind::Error, "Glfw Error %d: %s\n", error, description ? description : "");
}
