#include "VectorScene/VectorSceneDisplayOutput.h"

#include "rvAssert.h"
#include "vector_display/vector_display.h"

VectorSceneDisplayOutput::VectorSceneDisplayOutput(vector_display* pDisplay) : _pDisplay(pDisplay)
{
    rvAssert(_pDisplay);
}

void VectorSceneDisplayOutput::SetStyle(float r, float g, float b, float width)
{
    vector_display_set_rgb(_pDisplay, r, g, b);
    if (width > 0.f) _pDisplay->settings.thickness = width;
}

void VectorSceneDisplayOutput::StripBegin(const glm::vec3& p)
{
    vector_display_strip_begin(_pDisplay, p.x, p.y, p.z);
}

void VectorSceneDisplayOutput::StripTo(const glm::vec3& p)
{
    vector_display_strip_to(_pDisplay, p.x, p.y, p.z);
}

void VectorSceneDisplayOutput::StripEnd()
{
    vector_display_strip_end(_pDisplay);
}

// ---- Drawing on the current vector display ----

#include "VectorScene/VectorScene.h"
#include "rvSceneDisplay.h"

void VectorSceneLine::Draw(const rvTransform* pTransform) const
{
    VectorSceneDisplayOutput out(rvSceneDisplay::BindedDisplay());
    Draw(out, pTransform);
}

void VectorSceneLine::DrawSimplified(const rvTransform* pTransform) const
{
    VectorSceneDisplayOutput out(rvSceneDisplay::BindedDisplay());
    DrawSimplified(out, pTransform);
}

void VectorSceneLine::DrawRange(const rvTransform* pTransform, float fFrom, float fTo) const
{
    VectorSceneDisplayOutput out(rvSceneDisplay::BindedDisplay());
    DrawRange(out, pTransform, fFrom, fTo);
}

void VectorScene::Draw() const
{
    VectorSceneDisplayOutput out(rvSceneDisplay::BindedDisplay());
    Draw(out);
}

void VectorScene::DrawSimplified() const
{
    VectorSceneDisplayOutput out(rvSceneDisplay::BindedDisplay());
    DrawSimplified(out);
}

void VectorScene::DrawFraction(float fFrom, float fTo) const
{
    VectorSceneDisplayOutput out(rvSceneDisplay::BindedDisplay());
    DrawFraction(out, fFrom, fTo);
}
