#pragma once
// The scene display: the default render buffer "Default", the current buffer and vector display
// through which every effect reaches the render target, and the frame brackets.
#include "Display/rvBufferDisplay.h"
#include "rvAssert.h"
#include "rvShaderProgram.h"

struct GLFWwindow;
struct vector_display;

class rvSceneDisplay
{
public:
    rvSceneDisplay() = delete;

    static void ResizeDefaultBuffer(int w, int h);
    // Makes `buffer` (or "Default" when null) current and returns the previous current buffer.
    // Leaving a buffer first flushes its vector display into it. Returns null and does nothing
    // when the buffer is already current and force is false.
    static rvBufferDisplay* SetCurrentBuffer(rvBufferDisplay* buffer, bool force = false);
    static void BeginFrame(GLFWwindow* window);
    static void PresentFrame(bool paused);
    static void SetupOccluderStencil();
    static void DrawFreeCameraPanel();
    // Clears the current pointers and releases "Default" (with its display) and the static
    // programs; call while the GL context still exists.
    static void Shutdown();

    static rvBufferDisplay* BindedBuffer()
    {
        rvAssert(_pCurrentBuffer);
        return _pCurrentBuffer;
    }
    static vector_display* BindedDisplay()
    {
        rvAssert(_pCurrentDisplay);
        return _pCurrentDisplay;
    }

    static rvBufferDisplay _DefaultBuffer;
    static rvBufferDisplay* _pCurrentBuffer;
    static vector_display* _pCurrentDisplay;
    static GLFWwindow* _pWindow;
};
