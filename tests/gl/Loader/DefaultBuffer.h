#pragma once
// "Default" at the window's framebuffer size and current, as at the start of the loading pass.
#include "rvSceneDisplay.h"

#include <GLFW/glfw3.h>

inline void SetUpDefaultBuffer(GLFWwindow* window)
{
    int w = 0, h = 0;
    glfwGetFramebufferSize(window, &w, &h);
    rvSceneDisplay::ResizeDefaultBuffer(w, h);
    rvSceneDisplay::SetCurrentBuffer(nullptr, true);
}
