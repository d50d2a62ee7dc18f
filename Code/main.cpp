// The program's entry: opens the window, sets up ImGui and the scene display, registers
// the effect classes, loads the demo timeline and runs frames until the window closes.
// Everything runs on the main thread.
#include <epoxy/gl.h>

#include <GLFW/glfw3.h>
#include <backends/imgui_impl_glfw.h>
#include <backends/imgui_impl_opengl3.h>
#include <imgui.h>

#include "Factory/Factory.h"
#include "Factory/fxBase.h"
#include "Factory/fxDescriptor.h"
#include "Loader/rvDataPack.h"
#include "Loader/rvLoader.h"
#include "Sequencer/rvSequence.h"
#include "Tester/EffectTester.h"
#include "effects/fxMusic/fxMusic.h"
#include "rvAssert.h"
#include "rvMain.h"
#include "rvMainMouseCamera.h"
#include "rvMainWindow.h"
#include "rvFile.h"
#include "rvMessage.h"
#include "rvPlatform.h"
#include "rvSceneDisplay.h"
#include "rvStop.h"
#include "vector_display/vector_display.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <unistd.h>

// ---------------------------------------------------------------------------------------
// State of the main module (main thread only)

static GLFWwindow* pWindow = nullptr;
static GLFWmonitor* pPrimaryMonitor = nullptr;
static int nWindowSizeX = 1280, nWindowSizeY = 800;
static int nWindowPosX = rvMain::UnsetWindowPosition, nWindowPosY = rvMain::UnsetWindowPosition;
static int nFrameBufferSizeX = 1280, nFrameBufferSizeY = 800;
static bool bFullScreen = false;
static bool bVSync = true;
static bool bImguiDemo = false;
static bool bBrel3dTest = false;
static bool bSequencer = false;
static bool bEffectTester = false;
static bool bRenderImGui = true;

static rvMainMouseCamera MouseCamera;

// The end-to-end tests' hook (MORVANE_TEST_HOOK), off for users.
static rvMain::TestHook Hook;

// Set by the key callback when Escape is pressed; a press and release that both arrive
// within one event poll never show in ImGui's key-down state, so the press is kept here.
static bool bEscapePressed = false;

// ---------------------------------------------------------------------------------------
// Window

// Installed before the ImGui backend, which calls it from its own key callback.
static void OnGlfwKey(GLFWwindow*, int key, int, int action, int)
{
    if (key == GLFW_KEY_ESCAPE && action == GLFW_PRESS) bEscapePressed = true;
}

static void ApplyWindowMode()
{
    if (bFullScreen)
    {
        glfwSetWindowMonitor(pWindow, pPrimaryMonitor, 0, 0, nWindowSizeX, nWindowSizeY, 0);
        return;
    }
    glfwSetWindowMonitor(pWindow, nullptr, rvMain::WindowedPosition(nWindowPosX),
                         rvMain::WindowedPosition(nWindowPosY), nWindowSizeX, nWindowSizeY, 0);
    glfwSetWindowAttrib(pWindow, GLFW_RESIZABLE, GLFW_TRUE);
    glfwSetWindowAttrib(pWindow, GLFW_DECORATED, GLFW_TRUE);
}

static void SetWindowHints()
{
    rvMain::ApplyWindowHints();
    bFullScreen = true;
    pPrimaryMonitor = glfwGetPrimaryMonitor();
}

// Creates the window full screen on the primary monitor and makes its context current.
static bool OpenWindow()
{
    SetWindowHints();
    rvMain::WindowSizeForCommandLine(rvPlatform::GetCommandLine(), nWindowSizeX, nWindowSizeY);
    pWindow = glfwCreateWindow(nWindowSizeX, nWindowSizeY, "Convoxa - Morvane - ZQ4", nullptr, nullptr);
    if (!pWindow) return false;
    if (nWindowPosX != rvMain::UnsetWindowPosition && nWindowPosY != rvMain::UnsetWindowPosition)
        glfwSetWindowPos(pWindow, nWindowPosX, nWindowPosY);
    ApplyWindowMode();
    glfwGetFramebufferSize(pWindow, &nFrameBufferSizeX, &nFrameBufferSizeY);
    glfwMakeContextCurrent(pWindow);
    glfwSwapInterval(bVSync ? 1 : 0);
    // OpenGL entry points are resolved by name through libepoxy on first use.
    return true;
}

// While windowed, the window's place and size are kept for the next switch of mode.
static void RememberWindowedPlacement()
{
    if (bFullScreen) return;
    glfwGetWindowPos(pWindow, &nWindowPosX, &nWindowPosY);
    nWindowSizeX = nFrameBufferSizeX;
    nWindowSizeY = nFrameBufferSizeY;
}

// ---------------------------------------------------------------------------------------
// ImGui

static void InitImGui()
{
    glfwSetKeyCallback(pWindow, OnGlfwKey);
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGui::StyleColorsDark();
    ImGui_ImplGlfw_InitForOpenGL(pWindow, true);
    ImGui_ImplOpenGL3_Init("#version 400");
}

static void StartImGuiFrame()
{
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplGlfw_NewFrame();
    ImGui::NewFrame();
}

// The frame is always built; it is drawn only while the editor is shown.
static void EndImGuiFrame()
{
    ImGui::EndFrame();
    if (!bRenderImGui) return;
    ImGui::Render();
    ImDrawData* drawData = ImGui::GetDrawData();
    if (drawData && drawData->Valid) ImGui_ImplOpenGL3_RenderDrawData(drawData);
}

static void ShutdownImGui()
{
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplGlfw_Shutdown();
    ImGui::DestroyContext();
}

// ---------------------------------------------------------------------------------------
// Scene display

// "Default" at the window size, made current, cleared and shown once.
static void CreateDefaultBuffer()
{
    rvSceneDisplay::ResizeDefaultBuffer(nWindowSizeX, nWindowSizeY);
    rvSceneDisplay::SetCurrentBuffer(&rvSceneDisplay::_DefaultBuffer);
    glClearColor(0.f, 0.f, 0.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
    glfwSwapBuffers(pWindow);
}

// "Default" follows the window's framebuffer when its size changed (and is not 0).
static void ResizeDefaultBufferToFramebuffer()
{
    glfwGetFramebufferSize(pWindow, &nFrameBufferSizeX, &nFrameBufferSizeY);
    const rvBufferDisplay* current = rvSceneDisplay::BindedBuffer();
    const rvBufferDisplay& byDefault = rvSceneDisplay::_DefaultBuffer;
    const bool changed = nFrameBufferSizeX != current->_nWidth || nFrameBufferSizeY != current->_nHeight;
    const bool sameAsDefault =
        nFrameBufferSizeX == byDefault._nWidth && nFrameBufferSizeY == byDefault._nHeight;
    if (changed && nFrameBufferSizeX != 0 && nFrameBufferSizeY != 0 && !sameAsDefault)
        rvSceneDisplay::ResizeDefaultBuffer(nFrameBufferSizeX, nFrameBufferSizeY);
}

// ---------------------------------------------------------------------------------------
// Timeline

// The Factory lives for the whole process; every effect class is registered once.
static void RegisterEffectClasses()
{
    new Factory();
    Factory::_pInstance->RegisterAll();
}

// Escape stopped the loading pass: the player then ends as after Escape in play (status 0).
static bool bEscapeDuringLoading = false;

// The loading pass's stop check (rvStop::pfnLoadingCheck), run after every file read and
// between effect Inits: the window's events are handled, and Escape or a close request stops
// the pass. The test hook's "slowload" makes every step a slow one.
static bool LoadingStopCheck()
{
    if (Hook.fSlowLoadStep > 0.f) std::this_thread::sleep_for(std::chrono::duration<double>(Hook.fSlowLoadStep));
    glfwPollEvents();
    if (bEscapePressed) bEscapeDuringLoading = true;
    bEscapePressed = false;
    return bEscapeDuringLoading || glfwWindowShouldClose(pWindow);
}

enum class LoadResult
{
    Loaded,
    Failed,  // the demo timeline cannot be read: there is nothing to play
    Stopped, // a signal, Escape or a window close during the pass
};

// The loading pass: the bar is shown while the demo timeline and its effects load. Then
// the timeline plays from 0 with every effect waiting for its window. Failed when the demo
// timeline cannot be read (named on stderr by the reader); Stopped when asked to stop during
// the pass (the effects not yet initialised are left so; Shutdown drives down the others).
static LoadResult LoadDemo(rvSequence& timeline)
{
    rvStop::pfnLoadingCheck = &LoadingStopCheck;
    rvLoader::Begin(pWindow);
    const bool loaded = !rvStop::Requested() && timeline.LoadSequence("Data/seq/_DemoFull_.seq", true);
    rvLoader::End();
    const bool stopped = rvStop::Requested();
    rvStop::pfnLoadingCheck = nullptr;
    if (stopped) return LoadResult::Stopped;
    if (!loaded)
    {
        const rvDataPack* pack = rvDataPack::GetInstance();
        if (!pack->IsMounted())
            rvReport(rvMessageKind::Error,
                     "cannot open the data archive \"%s\" in %s: %s (tools/pack-data makes it; ./run.sh builds "
                     "and packs everything)\n",
                     rvDataPack::ArchivePath(), rvPlatform::WorkingDirectory().c_str(), pack->_sMountError.c_str());
        return LoadResult::Failed;
    }
    timeline._fTime = 0.f;
    timeline._bPlaying = true;
    for (fxBase* effect : timeline._apEffects)
        effect->SetState(State_SequenceStarted);
    return LoadResult::Loaded;
}

// ---------------------------------------------------------------------------------------
// Editor windows

// The effect tester lives while "EffectTester" is on: created on the first frame the toggle
// is set, destroyed (its effect driven down and deleted) on the first frame it is clear, or at
// exit while the GL context still exists.
static EffectTester* pEffectTester = nullptr;

static void UpdateEffectTester(float dt)
{
    if (bEffectTester)
    {
        if (!pEffectTester) pEffectTester = new EffectTester();
        pEffectTester->DrawWindow(dt);
        return;
    }
    delete pEffectTester;
    pEffectTester = nullptr;
}

// The demo camera of "Default": the camera used while "Freecam" is off.
static void DrawDemoCameraNode(rvBufferDisplay& buffer)
{
    if (!ImGui::TreeNode("Demo Camera")) return;
    ImGui::SliderFloat("Fov (rad)", &buffer._fFov, 0.01f, 10.f, "%.3f");
    ImGui::SliderFloat("Pos x", &buffer._vPosition.x, -100.f, 100.f, "%.3f");
    ImGui::SliderFloat("Pos y", &buffer._vPosition.y, -100.f, 100.f, "%.3f");
    ImGui::SliderFloat("Pos z", &buffer._vPosition.z, -100.f, 100.f, "%.3f");
    ImGui::SliderFloat("Rot x", &buffer._vRotation.x, -180.f, 180.f, "%.3f");
    ImGui::SliderFloat("Rot y", &buffer._vRotation.y, -180.f, 180.f, "%.3f");
    ImGui::SliderFloat("Rot z", &buffer._vRotation.z, -180.f, 180.f, "%.3f");
    ImGui::TreePop();
}

// The settings window, built every frame; rawDelta is the unclamped frame time.
static void DrawGlobalConfigWindow(float rawDelta)
{
    rvBufferDisplay& byDefault = rvSceneDisplay::_DefaultBuffer;
    bool open = false;
    ImGui::Begin("Global config", &open, 0);
    ImGui::BulletText("%.2f fps", 1.f / rawDelta);
    if (ImGui::Checkbox("VSync", &bVSync)) glfwSwapInterval(bVSync ? 1 : 0);
    if (ImGui::Checkbox("Full Screen", &bFullScreen)) ApplyWindowMode();
    ImGui::Checkbox("Freecam", &byDefault._bFreeCam);
    ImGui::Separator();
    ImGui::Checkbox("ImguiDemo", &bImguiDemo);
    ImGui::Checkbox("Brel3dTest", &bBrel3dTest);
    ImGui::Checkbox("Sequencer", &bSequencer);
    ImGui::Checkbox("EffectTester", &bEffectTester);
    DrawDemoCameraNode(byDefault);
    vector_display_settings_panel(rvSceneDisplay::BindedDisplay());
    ImGui::End();
}

// The star field driven by the "Brel Test" window, or null while its class is not part of
// the program (the window then stays hidden).
static fxBase* CreateStarField()
{
    fxDescriptor* descriptor = Factory::_pInstance->FindDescriptor("fxStarField");
    if (!descriptor || !descriptor->_pfnCreate) return nullptr;
    return descriptor->_pfnCreate(descriptor);
}

// A test window that drives one star-field effect outside the timeline.
struct BrelTestWindow
{
    bool bPause = false;
    bool bCreated = false; // creation is attempted once
    fxBase* pEffect = nullptr;

    void Draw(float dt);
    void Destroy();
};

static BrelTestWindow TestWindow;

void BrelTestWindow::Draw(float dt)
{
    if (!bCreated)
    {
        pEffect = CreateStarField();
        if (pEffect) pEffect->SetState(State_EffectStarted);
        bCreated = true;
    }
    if (!pEffect) return;
    bool open = true;
    if (ImGui::Begin("Brel Test", &open, 0))
    {
        ImGui::Checkbox("Pause", &bPause);
        if (ImGui::Button("Restart")) pEffect->_fTime = 0.f;
        ImGui::Separator();
        fxBase::DrawButtons(pEffect, pEffect->_pDescriptor);
        const int oldStart = pEffect->_nStart;
        ImGui::NewLine();
        fxBase::DrawProperties(pEffect, pEffect->_pDescriptor);
        // With global key times the keys keep their place in absolute time.
        if (pEffect->_nStart != oldStart && !rvSequence::_bLocalKeys)
            pEffect->OffsetKeys((float)((oldStart - pEffect->_nStart) / 60.0));
        pEffect->ApplyDriverTypeChanges();
        ImGui::Separator();
        pEffect->_fPendingDelta = bPause ? 0.f : dt;
        pEffect->Update();
    }
    ImGui::End();
}

// Its Kill releases the effect's GPU resources: call while the context exists.
void BrelTestWindow::Destroy()
{
    if (!pEffect) return;
    pEffect->SetState(State_DemoStoped);
    delete pEffect;
    pEffect = nullptr;
}

static void DrawToggledWindows(float dt)
{
    if (bImguiDemo) ImGui::ShowDemoWindow(&bImguiDemo);
    if (bBrel3dTest) TestWindow.Draw(dt);
}

// ---------------------------------------------------------------------------------------
// Frame loop

static bool ExitRequested(const rvSequence& timeline)
{
    const bool escape = rvMain::EscapeDownDurationIsZero() || bEscapePressed;
    bEscapePressed = false;
    const bool hookEnd = Hook.fEnd >= 0.f && timeline._fTime >= Hook.fEnd;
    // SIGINT and SIGTERM end the run as Escape does.
    return rvMain::ShouldCloseWindow(escape || rvStop::Signal() != 0,
                                     rvMain::TimelineReachedEnd(timeline._fTime, timeline._nFrameMax), bRenderImGui) ||
           hookEnd;
}

// Under the test hook: where the timeline stood against the music it followed, written on
// stderr at the end. The gap of a frame is the timeline time it shows minus the music's time
// when the frame began. The frame that reaches the timeline's end is counted apart: the end
// holds the timeline at its last frame however far the music went past it.
struct SyncReport
{
    float fFirstFrame = 0.f; // the timeline time of the first frame, in which the music starts
    int nFrames = 0;
    int nFollowed = 0;
    float fTimeline = 0.f;
    double fMusic = 0.0;
    float fFrame = 0.f;
    double fMaxGap = 0.0;
    bool bEnded = false;
    double fEndMusic = 0.0;

    void Add(const rvSequence& timeline, const rvTimelineClock::Music& music, float rawDelta)
    {
        if (nFrames++ == 0) fFirstFrame = timeline._fTime;
        if (!music.bPlaying) return;
        if (!timeline._bPlaying)
        {
            bEnded = true;
            fEndMusic = music.fTime;
            return;
        }
        ++nFollowed;
        fTimeline = timeline._fTime;
        fMusic = music.fTime;
        fFrame = rawDelta;
        fMaxGap = std::max(fMaxGap, std::fabs(double(fTimeline) - fMusic));
    }
    void Write(const rvSequence& timeline) const
    {
        std::fprintf(
            stderr,
            "morvane: sync: first frame at %.4f s; frames %d followed %d; last followed frame: timeline "
            "%.4f s, music %.4f s, gap %.4f s, frame %.4f s; largest gap %.4f s\n",
            double(fFirstFrame), nFrames, nFollowed, double(fTimeline), fMusic, double(fTimeline) - fMusic,
            double(fFrame), fMaxGap);
        if (bEnded)
            std::fprintf(stderr, "morvane: sync: the timeline ended at %.4f s, the music at %.4f s\n",
                         double(timeline._fTime), fEndMusic);
    }
};

static void RunFrames(rvSequence& timeline, double previous)
{
    SyncReport report;
    rvMain::FrameLog frameLog; // MORVANE_FRAME_LOG: the frame times, for the frame-time report
    const char* frameLogPath = std::getenv("MORVANE_FRAME_LOG");
    for (;;)
    {
        const double now = glfwGetTime();
        const float rawDelta = (float)(now - previous);
        const float dt = rvMain::ClampFrameDelta(rawDelta);
        // The timeline follows the demo's music while it plays; everything else keeps the
        // clamped step. A jump waiting in the timeline wins over the music it will move.
        rvTimelineClock::Music music;
        if (bSequencer && !timeline.SeekPending()) music = fxMusic::TimelineClock(timeline);
        const float step = rvTimelineClock::Step(timeline._fTime, rawDelta, music);

        glfwPollEvents();
        StartImGuiFrame();
        ResizeDefaultBufferToFramebuffer();
        rvSceneDisplay::BeginFrame(pWindow);
        DrawToggledWindows(dt);
        if (bSequencer) timeline.Update(step);
        if (Hook.bOn) report.Add(timeline, music, rawDelta);
        if (frameLogPath) frameLog.Add(now, timeline._fTime);
        UpdateEffectTester(dt);
        DrawGlobalConfigWindow(rawDelta);
        MouseCamera.Apply(ImGui::GetIO(), *rvSceneDisplay::BindedBuffer());
        rvSceneDisplay::PresentFrame(rvMain::PresentPaused(bSequencer, timeline._bPlaying, rawDelta));
        RememberWindowedPlacement();
        EndImGuiFrame();
        glfwSwapBuffers(pWindow);

        if (Hook.fSlowFrame > 0.f)
            std::this_thread::sleep_for(std::chrono::duration<double>(now + Hook.fSlowFrame - glfwGetTime()));

        if (ExitRequested(timeline)) glfwSetWindowShouldClose(pWindow, GLFW_TRUE);
        if (glfwWindowShouldClose(pWindow))
        {
            if (Hook.bOn) report.Write(timeline);
            if (frameLogPath && !rvSaveFile(frameLogPath, frameLog.Text()))
                rvReport(rvMessageKind::Error, "cannot write the frame log \"%s\"\n", frameLogPath);
            return;
        }
        previous = now;
    }
}

// Every GL object is released while the context exists; no GL call follows glfwTerminate.
// The effects go first (the timeline's, the tester's, the test window's): their Kill releases
// what they hold of the scene display. The Factory and its descriptors live for the process.
static void Shutdown(rvSequence& timeline)
{
    timeline.Clear();
    delete pEffectTester;
    pEffectTester = nullptr;
    TestWindow.Destroy();
    rvSceneDisplay::Shutdown();
    rvLoader::Release();
    ShutdownImGui();
    glfwTerminate();
    pWindow = nullptr;
}

// ---------------------------------------------------------------------------------------

// ---------------------------------------------------------------------------------------
// Data

// The player reads "Data/..." from its working directory; started from another folder, it
// moves to the repository root of its executable (rvPlatform::FindDataRoot). False, with one
// line saying where it looked, when there is none.
static bool GoToDataRoot()
{
    const std::string here = rvPlatform::WorkingDirectory();
    const std::string executable = rvPlatform::ExecutablePath();
    const std::string root = rvPlatform::FindDataRoot(here, executable);
    if (root.empty())
    {
        rvReport(rvMessageKind::Error,
                 "cannot find the data archive \"%s\" in %s nor in a folder above %s; run ./run.sh in the "
                 "repository, or build/morvane from the repository root\n",
                 rvDataPack::ArchivePath(), here.c_str(), executable.c_str());
        return false;
    }
    if (root != here && chdir(root.c_str()) != 0)
    {
        rvReport(rvMessageKind::Error, "cannot enter the data folder %s: %s\n", root.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------

// main's exit status: 0 after a normal run (the timeline's end, Escape, also during the loading
// pass, a close while playing); 128 + the signal's number after SIGINT or SIGTERM (130, 143); -1
// when GLFW or the window fails, or when the window is closed during the loading pass; 1 when
// the data or the demo timeline cannot be found or loaded.
int main(int argc, char** argv)
{
    // Before anything starts SDL's audio, which would otherwise take both signals for itself.
    rvStop::InstallSignalHandlers();
    rvPlatform::SetCommandLine(argc, argv);
    Hook = rvMain::ParseTestHook(std::getenv("MORVANE_TEST_HOOK"));
    if (!GoToDataRoot()) return 1;

    glfwSetErrorCallback(OnGlfwError);
    if (!glfwInit()) return -1;
    if (!OpenWindow())
    {
        glfwTerminate();
        return -1;
    }
    InitImGui();
    CreateDefaultBuffer();

    RegisterEffectClasses();
    // Its effects are driven down and deleted by Shutdown; the rest of it goes on return.
    rvSequence timeline(true);
    TestWindow = BrelTestWindow();
    ImGui::GetIO().IniFilename = nullptr; // no "imgui.ini" is read or written
    glfwSetInputMode(pWindow, GLFW_CURSOR, GLFW_CURSOR_DISABLED);
    const LoadResult load = LoadDemo(timeline);
    if (load != LoadResult::Loaded)
    {
        const bool closed = glfwWindowShouldClose(pWindow);
        Shutdown(timeline);
        if (rvStop::Signal()) return rvStop::ExitStatusForSignal(rvStop::Signal());
        if (load == LoadResult::Failed) return 1;
        return bEscapeDuringLoading && !closed ? 0 : -1;
    }
    bSequencer = true;
    bRenderImGui = false;

    // The clock starts after the loading pass: the first frame moves the timeline off 0 by a
    // moment and starts the music there, so pictures and sound begin together.
    if (!glfwWindowShouldClose(pWindow)) RunFrames(timeline, glfwGetTime());

    Shutdown(timeline);
    return rvStop::Signal() ? rvStop::ExitStatusForSignal(rvStop::Signal()) : 0;
}
