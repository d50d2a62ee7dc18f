#include "rvMain.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace rvMain
{
void WindowSizeForCommandLine(const std::string& commandLine, int& width, int& height)
{
    const bool small = commandLine.find("720p") != std::string::npos;
    width = small ? 1280 : 1920;
    height = small ? 720 : 1080;
}

float ClampFrameDelta(float rawDelta)
{
    return rvTimelineClock::ClampFrameDelta(rawDelta);
}

int WindowedPosition(int stored)
{
    return stored == UnsetWindowPosition ? DefaultWindowedPosition : stored;
}

bool PresentPaused(bool sequencerOn, bool timelinePlaying, float rawDelta)
{
    return sequencerOn ? !timelinePlaying : rawDelta == 0.f;
}

bool TimelineReachedEnd(float time, int frameMax)
{
    // In single precision, as the timeline computes the end it stops on: in double precision a
    // timeline stopped at float(5530 / 60) would never count as ended.
    return time >= float(frameMax) / 60.0f;
}

bool EscapeDownDurationIsZero()
{
    return ImGui::GetIO().KeysDownDuration[EscapeKey] == 0.0f;
}

TestHook ParseTestHook(const char* text)
{
    TestHook hook;
    if (!text) return hook;
    hook.bOn = true;
    std::istringstream words(text);
    std::string word;
    while (words >> word)
    {
        const size_t equal = word.find('=');
        if (equal == std::string::npos) continue;
        const std::string key = word.substr(0, equal), value = word.substr(equal + 1);
        char* end = nullptr;
        const float number = std::strtof(value.c_str(), &end);
        if (value.empty() || *end != '\0' || !std::isfinite(number) || number < 0.f) continue;
        if (key == "slow" && number <= 10.f) hook.fSlowFrame = number;
        if (key == "end") hook.fEnd = number;
        if (key == "slowload" && number <= 10.f) hook.fSlowLoadStep = number;
    }
    return hook;
}

void FrameLog::Add(double fStart, float fTime)
{
    _aFrames.emplace_back(fStart, fTime);
}

std::string FrameLog::Text() const
{
    std::vector<std::pair<double, double>> frames;
    for (size_t i = 0; i + 1 < _aFrames.size(); ++i)
        frames.emplace_back(double(_aFrames[i].second), (_aFrames[i + 1].first - _aFrames[i].first) * 1000.0);
    return Format(frames);
}

std::string FrameLog::Format(const std::vector<std::pair<double, double>>& frames)
{
    std::string text;
    char line[64];
    for (const auto& f : frames)
    {
        std::snprintf(line, sizeof line, "%.4f %.3f\n", f.first, f.second);
        text += line;
    }
    return text;
}

std::vector<std::pair<double, double>> FrameLog::Parse(const std::string& text)
{
    std::vector<std::pair<double, double>> frames;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
    {
        std::istringstream words(line);
        double fTime = 0.0, fMs = 0.0;
        std::string rest;
        if (!(words >> fTime >> fMs) || (words >> rest)) continue;
        if (!std::isfinite(fTime) || !std::isfinite(fMs) || fMs < 0.0) continue;
        frames.emplace_back(fTime, fMs);
    }
    return frames;
}

double WeightedMedian(std::vector<std::pair<double, double>> valueWeight)
{
    std::sort(valueWeight.begin(), valueWeight.end());
    double fTotal = 0.0;
    for (const auto& vw : valueWeight)
        if (vw.second > 0.0) fTotal += vw.second;
    if (!(fTotal > 0.0)) return 0.0;
    double fSum = 0.0;
    for (const auto& vw : valueWeight)
    {
        if (vw.second > 0.0) fSum += vw.second;
        if (fSum > fTotal / 2.0) return vw.first;
    }
    return valueWeight.back().first;
}

bool ShouldCloseWindow(bool escapeWentDown, bool timelineReachedEnd, bool editorDrawn)
{
    return escapeWentDown || (timelineReachedEnd && !editorDrawn);
}
} // namespace rvMain
