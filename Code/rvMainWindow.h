#pragma once
// The window hints of the program's GL context, in one place: the player's window and the
// tests' hidden window are made with them, so the tests run on the program's context.

namespace rvMain
{
// Sets the GLFW hints for the next window: a 3.0 context request (on Mesa it gives the
// compatibility context with all of GL 4.x), 8-bit RGBA, 24-bit depth, 8-bit stencil,
// 60 Hz when full screen. Needs glfwInit first.
void ApplyWindowHints();
} // namespace rvMain

// The GLFW error callback of the program and of the tests' window: reports
// "Glfw Error <code>: <description>" as an error, except GLFW's notices (rvMain::IsGlfwNotice).
void OnGlfwError(int error, const char* description);

namespace rvMain
{
// Whether a GLFW error is only a notice, said by nothing: the iconification that a window manager
// without EWMH full screen (a bare X server, Xvfb) cannot do when a full-screen window loses
// the focus.
bool IsGlfwNotice(int error, const char* description);
} // namespace rvMain
