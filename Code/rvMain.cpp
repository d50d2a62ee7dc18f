#include "rvMain.h"

#include <imgui.h>

#include <cmath>
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

bool ShouldCloseWindow(bool escapeWentDown, bool timelineReachedEnd, bool editorDrawn)
{
    return escapeWentDown || (timelineReachedEnd && !editorDrawn);
}
} // namespace rvMain
