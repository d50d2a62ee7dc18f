#include "rvMain.h"

#include <imgui.h>

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
    return rawDelta < MaxFrameDelta ? rawDelta : MaxFrameDelta;
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

bool ShouldCloseWindow(bool escapeWentDown, bool timelineReachedEnd, bool editorDrawn)
{
    return escapeWentDown || (timelineReachedEnd && !editorDrawn);
}
} // namespace rvMain
