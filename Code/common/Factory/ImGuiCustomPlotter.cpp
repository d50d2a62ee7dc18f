#define IMGUI_DEFINE_MATH_OPERATORS
#include "ImGuiCustomPlotter.h"

#include "Factory/Drivers/NoneDriver.h"

#include <imgui_internal.h>

#include <cfloat>
#include <cmath>
#include <memory>

namespace
{
float PointY(float v, float scaleMin, float scaleMax, ImVec2 innerMin, ImVec2 innerMax)
{
    float q = scaleMax == scaleMin ? 0.0f : (v - scaleMin) / (scaleMax - scaleMin);
    q = q < 0.0f ? 0.0f : (q > 1.0f ? 1.0f : q);
    return innerMin.y + (innerMax.y - innerMin.y) * (1.0f - q);
}
} // namespace

PlotCurveLayout LayoutPlotCurve(const float* pSamples, const bool* pKeys, int nCount, float fScaleMin,
                                float fScaleMax, ImVec2 innerMin, ImVec2 innerMax, int nCurrentFrame,
                                int nHovered)
{
    PlotCurveLayout layout;
    if (fScaleMin == FLT_MAX || fScaleMax == FLT_MAX)
    {
        float vMin = FLT_MAX, vMax = -FLT_MAX;
        bool bAny = false;
        for (int k = 0; k < nCount; ++k)
        {
            float v = pSamples[k];
            if (!std::isfinite(v)) continue;
            bAny = true;
            vMin = v < vMin ? v : vMin;
            vMax = v > vMax ? v : vMax;
        }
        if (!bAny) vMin = vMax = 0.0f;
        if (fScaleMin == FLT_MAX) fScaleMin = vMin;
        if (fScaleMax == FLT_MAX) fScaleMax = vMax;
    }
    layout.fScaleMin = fScaleMin;
    layout.fScaleMax = fScaleMax;
    if (nCount < 2) return layout;

    float width = innerMax.x - innerMin.x;
    auto point = [&](int k)
    {
        return ImVec2(innerMin.x + width * float(k) / float(nCount - 1),
                      PointY(pSamples[k], fScaleMin, fScaleMax, innerMin, innerMax));
    };
    layout.aSegments.reserve(nCount - 1);
    for (int j = 0; j < nCount - 1; ++j)
    {
        int k = (j + 1) % nCount;
        if (std::isfinite(pSamples[j]) && std::isfinite(pSamples[k]))
            layout.aSegments.push_back({point(j), point(k), j == nHovered});
        if (pKeys && pKeys[k] && std::isfinite(pSamples[k])) layout.aKeyMarks.push_back(point(k));
    }
    // The current frame's line stays inside the frame.
    if (nCurrentFrame >= 1 && nCurrentFrame <= nCount)
    {
        layout.bCurrentFrame = true;
        layout.fCurrentX = innerMin.x + width * float(nCurrentFrame) / float(nCount);
        float v = pSamples[nCurrentFrame - 1];
        if (std::isfinite(v))
        {
            layout.bCurrentMark = true;
            layout.vCurrentMark =
                ImVec2(layout.fCurrentX, PointY(v, fScaleMin, fScaleMax, innerMin, innerMax));
        }
    }
    return layout;
}

void PlotCurve(const float* pSamples, const bool* pKeys, int nCount, float fScaleMin, float fScaleMax,
               ImVec2 size, int nCurrentFrame)
{
    ImGuiWindow* window = ImGui::GetCurrentWindow();
    if (window->SkipItems) return;
    const ImGuiStyle& style = ImGui::GetStyle();
    const ImGuiID id = window->GetID("##Lines");
    const ImVec2 frameSize =
        ImGui::CalcItemSize(size, ImGui::CalcItemWidth(), ImGui::GetFontSize() + style.FramePadding.y * 2.0f);
    const ImRect frame(window->DC.CursorPos, window->DC.CursorPos + frameSize);
    const ImRect inner(frame.Min + style.FramePadding, frame.Max - style.FramePadding);
    ImGui::ItemSize(frame, style.FramePadding.y);
    if (!ImGui::ItemAdd(frame, 0, &frame)) return;
    const bool bHovered = ImGui::ItemHoverable(frame, id);

    ImGui::RenderFrame(frame.Min, frame.Max, ImGui::GetColorU32(ImGuiCol_FrameBg), true, style.FrameRounding);

    if (nCount < 2) return;
    int nHovered = -1;
    if (bHovered && inner.Contains(ImGui::GetIO().MousePos))
    {
        float p = (ImGui::GetIO().MousePos.x - inner.Min.x) / (inner.Max.x - inner.Min.x);
        p = p < 0.0f ? 0.0f : (p > 0.9999f ? 0.9999f : p);
        nHovered = int(p * float(nCount - 1));
        ImGui::SetTooltip("%d: %8.4g\n%d: %8.4g", nHovered, pSamples[nHovered], nHovered + 1,
                          pSamples[(nHovered + 1) % nCount]);
    }

    PlotCurveLayout layout = LayoutPlotCurve(pSamples, pKeys, nCount, fScaleMin, fScaleMax, inner.Min,
                                             inner.Max, nCurrentFrame, nHovered);
    const ImU32 colLine = ImGui::GetColorU32(ImGuiCol_PlotLines);
    const ImU32 colHovered = ImGui::GetColorU32(ImGuiCol_PlotLinesHovered);
    ImDrawList* pDraw = window->DrawList;
    for (const PlotCurveLayout::Segment& s : layout.aSegments)
        pDraw->AddLine(s.a, s.b, s.bHovered ? colHovered : colLine, 1.0f);
    for (const ImVec2& mark : layout.aKeyMarks)
        pDraw->AddCircleFilled(mark, 3.0f, IM_COL32(0, 255, 0, 255), 12);
    if (layout.bCurrentFrame)
    {
        pDraw->AddLine(ImVec2(layout.fCurrentX, inner.Min.y), ImVec2(layout.fCurrentX, inner.Max.y),
                       colHovered);
        if (layout.bCurrentMark) pDraw->AddCircleFilled(layout.vCurrentMark, 3.0f, colHovered, 4);
    }
}

void PlotDriverCurve(NoneDriver* pDriver, int nCount, float fScaleMin, float fScaleMax, ImVec2 size,
                     int nCurrentFrame)
{
    // Reused between frames: the driver window plots every frame.
    static std::vector<float> s_aSamples;
    static std::unique_ptr<bool[]> s_pKeys;
    static int s_nKeyCapacity = 0;
    if (nCount < 0) nCount = 0;
    s_aSamples.resize(nCount);
    if (nCount > s_nKeyCapacity)
    {
        s_pKeys.reset(new bool[nCount]);
        s_nKeyCapacity = nCount;
    }
    for (int k = 0; k < nCount; ++k)
    {
        // Same expression as key snapping, so that keys are met exactly.
        float t = float(k) / 60.0f;
        s_aSamples[k] = pDriver->GetValue(t, true);
        s_pKeys[k] = pDriver->HasKeyAt(t);
    }
    PlotCurve(s_aSamples.data(), s_pKeys.get(), nCount, fScaleMin, fScaleMax, size, nCurrentFrame);
}
