#include "Factory/ImGuiCustomPlotter.h"

#include "Factory/AttribDesc.h"
#include "Factory/Drivers/TriangleDriver.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <memory>

namespace
{
const ImVec2 kMin(10.f, 20.f), kMax(110.f, 120.f); // a 100 x 100 inner rectangle
}

TEST(ImGuiCustomPlotter, LineSpansTheInnerRectangleOnTheAutomaticScale)
{
    const float samples[] = {0.f, 1.f, 2.f, NAN, 4.f};
    PlotCurveLayout l = LayoutPlotCurve(samples, nullptr, 5, FLT_MAX, FLT_MAX, kMin, kMax, 0, 1);
    EXPECT_EQ(l.fScaleMin, 0.f); // NaN ignored
    EXPECT_EQ(l.fScaleMax, 4.f);
    // Four segments, the two touching the NaN sample are left out.
    ASSERT_EQ(l.aSegments.size(), 2u);
    EXPECT_FLOAT_EQ(l.aSegments[0].a.x, 10.f);
    EXPECT_FLOAT_EQ(l.aSegments[0].a.y, 120.f); // min at the bottom
    EXPECT_FLOAT_EQ(l.aSegments[1].b.x, 60.f);  // sample 2 of 0..4
    EXPECT_FLOAT_EQ(l.aSegments[1].b.y, 70.f);
    EXPECT_FALSE(l.aSegments[0].bHovered);
    EXPECT_TRUE(l.aSegments[1].bHovered);
    EXPECT_FALSE(l.bCurrentFrame); // frame 0 draws no marker

    // Given limits clamp the points; equal limits put every point on the bottom edge.
    PlotCurveLayout c = LayoutPlotCurve(samples, nullptr, 3, 0.5f, 1.f, kMin, kMax, 0, -1);
    EXPECT_FLOAT_EQ(c.aSegments[0].a.y, 120.f);
    EXPECT_FLOAT_EQ(c.aSegments[1].b.y, 20.f);
    const float flat[] = {3.f, 3.f, 3.f};
    PlotCurveLayout f = LayoutPlotCurve(flat, nullptr, 3, FLT_MAX, FLT_MAX, kMin, kMax, 0, -1);
    for (const auto& s : f.aSegments)
        EXPECT_TRUE(s.a.y == 120.f && s.b.y == 120.f);
}

TEST(ImGuiCustomPlotter, KeyMarksOnlyAtSegmentEndsAndTheCurrentFrame)
{
    const float samples[] = {0.f, 1.f, 2.f, 3.f};
    const bool keys[] = {true, false, true, false};
    PlotCurveLayout l = LayoutPlotCurve(samples, keys, 4, 0.f, 3.f, kMin, kMax, 2, -1);
    ASSERT_EQ(l.aKeyMarks.size(), 1u); // the key at time 0 gets no mark
    EXPECT_FLOAT_EQ(l.aKeyMarks[0].x, 10.f + 100.f * 2.f / 3.f);
    ASSERT_TRUE(l.bCurrentFrame && l.bCurrentMark);
    EXPECT_FLOAT_EQ(l.fCurrentX, 10.f + 100.f * 2.f / 4.f); // d / count
    EXPECT_FLOAT_EQ(l.vCurrentMark.y, 120.f - 100.f / 3.f); // height of sample d - 1
    // Beyond the last sample no marker is drawn outside the frame.
    EXPECT_FALSE(LayoutPlotCurve(samples, keys, 4, 0.f, 3.f, kMin, kMax, 5, -1).bCurrentFrame);
}

TEST(ImGuiCustomPlotter, OneSampleDrawsOnlyTheFrame)
{
    const float one[] = {1.f};
    PlotCurveLayout l = LayoutPlotCurve(one, nullptr, 1, FLT_MAX, FLT_MAX, kMin, kMax, 1, -1);
    EXPECT_TRUE(l.aSegments.empty());
    EXPECT_FALSE(l.bCurrentFrame);

    // Drawn in a window: the frame only, then the full plot with more vertices.
    rvTest::ImGuiHeadless gui;
    gui.NewFrame();
    ImGui::SetNextWindowPos(ImVec2(0.f, 0.f));
    ImGui::SetNextWindowSize(ImVec2(400.f, 400.f));
    ImGui::Begin("Plot");
    ImDrawList* pDraw = ImGui::GetWindowDrawList();
    int before = pDraw->VtxBuffer.Size;
    PlotCurve(one, nullptr, 1, FLT_MAX, FLT_MAX, ImVec2(0.f, 100.f), 1);
    int frameOnly = pDraw->VtxBuffer.Size - before;
    // A driver sampled frame by frame.
    std::unique_ptr<AttribDesc> pDesc(AttribDesc::Create(TYPE_FLOAT, "Group/Value", 0));
    TriangleDriver tri(nullptr, pDesc.get());
    before = pDraw->VtxBuffer.Size;
    PlotDriverCurve(&tri, 120, FLT_MAX, FLT_MAX, ImVec2(-1.f, 100.f), 30);
    int full = pDraw->VtxBuffer.Size - before;
    ImGui::End();
    gui.EndFrame();
    EXPECT_GT(frameOnly, 0);
    EXPECT_GT(full, frameOnly);
}
