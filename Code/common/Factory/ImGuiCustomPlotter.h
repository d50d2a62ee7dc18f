#pragma once
// The curve plot of the driver window: a line plot in the layout of the UI library's own
// (frame, inner rectangle, tooltip), with key marks and the current frame.
#include <imgui.h>

#include <vector>

class NoneDriver;

// Plots a driver over nCount samples, sample k being its value at k / 60 s with the
// history flag set. A scale limit given as FLT_MAX is taken from the samples. A size of
// 0 wide takes the current item width; nCurrentFrame (from 1) draws a marker.
void PlotDriverCurve(NoneDriver* pDriver, int nCount, float fScaleMin, float fScaleMax, ImVec2 size,
                     int nCurrentFrame);

// The same plot over given samples; pKeys (may be null) flags the samples that sit on a key.
void PlotCurve(const float* pSamples, const bool* pKeys, int nCount, float fScaleMin, float fScaleMax,
               ImVec2 size, int nCurrentFrame);

// Where the plot puts its parts inside the inner rectangle [innerMin, innerMax].
struct PlotCurveLayout
{
    struct Segment
    {
        ImVec2 a, b;
        bool bHovered;
    };
    float fScaleMin = 0.0f, fScaleMax = 0.0f;
    std::vector<Segment> aSegments; // count - 1 of them; none across a sample without a value
    std::vector<ImVec2> aKeyMarks;  // at segment ends whose sample sits on a key
    bool bCurrentFrame = false;     // the current-frame line at x from top to bottom
    float fCurrentX = 0.0f;
    bool bCurrentMark = false; // the diamond on it, at the height of the frame's sample
    ImVec2 vCurrentMark;
};

// Lays the plot out; nHovered is the hovered segment or -1. Samples that are not finite
// (a driver with no value there) are left out of the automatic scale and of the line.
PlotCurveLayout LayoutPlotCurve(const float* pSamples, const bool* pKeys, int nCount, float fScaleMin,
                                float fScaleMax, ImVec2 innerMin, ImVec2 innerMax, int nCurrentFrame,
                                int nHovered);
