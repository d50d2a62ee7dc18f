// The editor window of fxAnimation, "Animation Settings": built every frame from Render, drawn only
// with the editor.
#include "effects/fxAnimation/fxAnimation.h"

#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/fxDescriptor.h"
#include "rvSceneDisplay.h"

#include "Factory/rvEditorHook.h"

#include <imgui.h>

#include <imgui_internal.h>

#include <cstdio>
#include <string>

namespace
{
void DrawAnimationSettings(fxAnimation& fx, float w, float h)
{
    // Outside an ImGui frame (tools, tests, the frame-time report) there is no window to build.
    ImGuiContext* pContext = ImGui::GetCurrentContext();
    if (!pContext || !pContext->WithinFrameScope) return;
    bool bOpen = true;
    if (ImGui::Begin("Animation Settings", &bOpen))
    {
        const int count = int(fx._Model._aAnimations.size());
        ImGui::Checkbox("Play", &fx._bPlay);
        if (ImGui::DragInt("Animation N\xC2\xB0", &fx._nAnimation, 1.0f, 0, count - 1, "%d"))
            fx._fAnimTime = 0.0f;
        for (int e = 0; e < count; ++e)
        {
            const rvGLTFModel::Animation& anim = fx._Model._aAnimations[size_t(e)];
            ImGui::Text("%d - (%f, %f)", e, anim._fStart, anim._fEnd);
            ImGui::SameLine();
            char label[300];
            std::snprintf(label, sizeof(label), "Add %s to Sequencer", anim._szName);
            if (ImGui::Button(label))
            {
                AttribDesc* pAttrib = fx._pDescriptor->FindAttrib("Animation");
                NoneDriver* pDriver = pAttrib ? fx.FindDriver(pAttrib) : nullptr;
                if (pDriver && pDriver->_eType == NoneDriver::DRIVER_KEYFRAME)
                {
                    KeyFrameDriver* pKeys = static_cast<KeyFrameDriver*>(pDriver);
                    pKeys->_eInterpolation = KeyFrameDriver::INTERPOLATION_NONE;
                    const int iKey = pKeys->AddKeyAtCurrentTime();
                    if (iKey >= 0) pKeys->EditKey(iKey, pKeys->_aKeys[size_t(iKey)]._fTime, float(e));
                }
                // The key of "AnimationTime" would follow; the class has no such attribute.
            }
        }
        ImGui::Checkbox("_bLOD", &fx._bLOD);
        ImGui::SliderFloat("LOD epsilon", &fx._fLODEpsilon, 0.1f, 10.0f, "%.3f");
        ImGui::SliderFloat("Blend Duration", &fx._fBlendDuration, 0.01f, 1.0f, "%.3f");
        rvSceneDisplay::DrawFreeCameraPanel();
        ImGui::DragFloat("time", &fx._fAnimTime, 0.01f, 0.0f, 0.0f, "%.3f");
        if (fx._nAnimation >= 0 && fx._nAnimation < count)
        {
            rvGLTFModel::Animation& anim = fx._Model._aAnimations[size_t(fx._nAnimation)];
            ImGui::DragFloat("start time", &anim._fStart, 0.01f, 0.0f, 0.0f, "%.3f");
            ImGui::DragFloat("end time", &anim._fEnd, 0.01f, 0.0f, 0.0f, "%.3f");
        }
        ImGui::Checkbox("_bLOOP", &fx._bLOOP);
        ImGui::Checkbox("_bAutoBlending", &fx._bAutoBlending);
        float fInverse = 1.0f / fx._fScale;
        if (ImGui::DragFloat("scale", &fInverse, 1.0f, 1.0f, 50.0f, "%.3f") && fInverse > 0.0f)
            fx._fScale = 1.0f / fInverse;
        ImGui::Separator();
        ImGui::DragInt("vectorizer steps", &fx._nVectorizerSteps, 1.0f, 1, 200, "%d");
        ImGui::DragFloat("percentBlend", &fx._Model._fBlend, 0.0f, 0.0f, 0.0f, "%.3f");
        ImGui::Checkbox("bRenderToFBO", &fx._bRenderToFBO);
        if (ImGui::Button("Recreate buffers"))
        {
            fx.DeleteFramebuffer();
            fx.CreateFramebuffer(int(w), int(h));
        }
        if (ImGui::Button("Save vectorscene")) fx.SaveVectorScene();
        ImGui::Text("Vector countour point count = %d", fx._nContourPointCount);
    }
    ImGui::End();
}

const rvEditorHook<&fxAnimation::DrawSettings>::Install s_Install(&DrawAnimationSettings);
} // namespace
