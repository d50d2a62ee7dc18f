#pragma once
// A headless ImGui frame driver for the editor widgets: every frame runs inside one host
// window, and mouse clicks, typed characters and key presses are injected through ImGuiIO.
#include "TestSupport.h"

#include <imgui.h>
#include <imgui_internal.h>

#include <functional>
#include <string>

namespace rvTest
{
class EditorUI
{
public:
    EditorUI()
    {
        ImGuiIO& io = ImGui::GetIO();
        // Our own key indices (the GLFW codes, as the editor's backend uses).
        io.KeyMap[ImGuiKey_Enter] = 257;
        io.KeyMap[ImGuiKey_Tab] = 258;
        io.KeyMap[ImGuiKey_Backspace] = 259;
        io.KeyMap[ImGuiKey_LeftArrow] = 263;
        io.KeyMap[ImGuiKey_RightArrow] = 262;
        io.KeyMap[ImGuiKey_Home] = 268;
        io.KeyMap[ImGuiKey_End] = 269;
        io.KeyMap[ImGuiKey_Space] = 32;
        io.KeyMap[ImGuiKey_A] = 65;
    }

    // One frame with the body inside the window "Host" (placed at the origin, 900 x 700).
    void Frame(const std::function<void()>& body)
    {
        _gui.NewFrame();
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::SetNextWindowSize(ImVec2(900, 700));
        ImGui::Begin("Host", nullptr, ImGuiWindowFlags_NoSavedSettings);
        body();
        ImGui::End();
        _gui.EndFrame();
    }
    // A left click at a point: pressed in one frame, released in the next.
    void Click(ImVec2 pos, const std::function<void()>& body)
    {
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = pos;
        io.MouseDown[0] = true;
        Frame(body);
        io.MouseDown[0] = false;
        Frame(body);
    }
    // A key held for one frame (with Ctrl when asked), then released for one frame.
    void Press(int nKey, const std::function<void()>& body, bool bCtrl = false)
    {
        ImGuiIO& io = ImGui::GetIO();
        io.KeysDown[nKey] = true;
        io.KeyCtrl = bCtrl;
        Frame(body);
        io.KeysDown[nKey] = false;
        io.KeyCtrl = false;
        Frame(body);
    }
    // Characters delivered to the active text field in the next frame.
    static void Type(const std::string& s)
    {
        for (char c : s)
            ImGui::GetIO().AddInputCharacter((unsigned int)(unsigned char)c);
    }
    // Centre of the item last submitted in the current frame.
    static ImVec2 LastItemCentre()
    {
        const ImVec2 a = ImGui::GetItemRectMin(), b = ImGui::GetItemRectMax();
        return ImVec2((a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f);
    }
    // Centre of the last item of a window's last line (read between frames).
    static ImVec2 LastButtonOf(const char* szWindow)
    {
        ImGuiWindow* w = ImGui::FindWindowByName(szWindow);
        if (!w) return ImVec2(-1, -1);
        return ImVec2(w->DC.CursorPosPrevLine.x - 8.0f,
                      w->DC.CursorPosPrevLine.y + w->DC.PrevLineSize.y * 0.5f);
    }

private:
    ImGuiHeadless _gui;
};
} // namespace rvTest
