// The editor window of fxStencilTest: built every frame from Render, drawn only with the editor.
#include "effects/fxStencilTest/fxStencilTest.h"

#include <imgui.h>

void fxStencilTest::DrawSettings()
{
    bool bOpen = true;
    if (ImGui::Begin("StencilTest Settings", &bOpen)) ImGui::Checkbox("Occlusion", &_bOcclusion);
    ImGui::End();
}
