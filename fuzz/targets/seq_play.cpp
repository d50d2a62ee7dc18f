// Timelines played for real: a ".seq" document loaded with every registered effect class, each
// item initialised (its files read from the data archive, its GL resources built) and a few
// frames rendered with a fixed step at the start of the timeline and inside each item's window,
// the way the player draws them, then everything driven down and deleted.
//
// Needs GL: a hidden GLFW window is opened once (run under xvfb-run), and the data archive
// "Data/Morvane-ZQ4.sts": run from the repository root. One input is bounded (at most
// kMaxItems items, a fixed number of frames on a small buffer) so that a run keeps a useful speed.
#include "FuzzTarget.h"

#include "Factory/Factory.h"
#include "Factory/fxBase.h"
#include "Factory/rvJson.h"
#include "Sequencer/rvSequence.h"
#include "rvSceneDisplay.h"

#include <epoxy/gl.h>
#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace
{
const unsigned kMaxItems = 6;
const int kBufferWidth = 160, kBufferHeight = 90;
const float kStep = 1.f / 30.f;
// The demo's own timeline: naming it as a nested timeline is refused as an inclusion of itself,
// so that an input cannot make every run load the whole demo.
const char* const kDemoTimeline = "Data/seq/_DemoFull_.seq";

GLFWwindow* s_pWindow = nullptr;

void Frame(rvSequence& timeline, float dt)
{
    rvSceneDisplay::BeginFrame(s_pWindow);
    timeline.Update(dt);
    rvSceneDisplay::PresentFrame(!timeline._bPlaying);
    while (glGetError() != GL_NO_ERROR)
    {
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!glfwInit())
    {
        std::fprintf(stderr, "fuzz seq_play: no display (run under xvfb-run)\n");
        std::exit(1);
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 0);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_STENCIL_BITS, 8);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    s_pWindow = glfwCreateWindow(kBufferWidth, kBufferHeight, "morvane-fuzz", nullptr, nullptr);
    if (!s_pWindow)
    {
        std::fprintf(stderr, "fuzz seq_play: no GL window\n");
        std::exit(1);
    }
    glfwMakeContextCurrent(s_pWindow);
    if (!Factory::_pInstance) new Factory();
    Factory::_pInstance->RegisterAll();
    rvSceneDisplay::ResizeDefaultBuffer(kBufferWidth, kBufferHeight);
    rvSceneDisplay::SetCurrentBuffer(nullptr, true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(rvFuzz::Text(data, size));
    Json::Value root;
    if (!rvJson::Parse(in, &root) || !root.isObject()) return 0;
    Json::Value& items = root["Items"];
    if (items.isArray() && items.size() > kMaxItems) items.resize(kMaxItems);
    if (items.isObject() && items.size() > kMaxItems) return 0;

    rvSequence timeline(false);
    timeline._sFile = kDemoTimeline;
    timeline.LoadItems(root, true); // every item initialised
    timeline._bPlaying = true;
    for (fxBase* fx : timeline._apEffects)
        fx->SetState(State_SequenceStarted);
    for (int i = 0; i < 3; ++i)
        Frame(timeline, kStep);
    // Two frames inside each item's window (its start may lie anywhere an int reaches).
    std::vector<int> starts;
    for (const fxBase* fx : timeline._apEffects)
        starts.push_back(fx->_nStart);
    for (int start : starts)
    {
        timeline.Seek(float(start) / 60.f + kStep);
        Frame(timeline, kStep);
        Frame(timeline, kStep);
    }
    timeline.Clear();
    rvSceneDisplay::SetCurrentBuffer(nullptr, true);
    return 0;
}
