// The timeline editor window rendered with the OpenGL backend: rows, an expanded row with its
// curve, the selection and the "Properties" window. Leaves sequence_editor.png in the build
// directory.
#include "GLTestContext.h"
#include "TestSupport.h"

#include <backends/imgui_impl_opengl3.h>
#include <imgui.h>

#include "../unit/Sequencer/TestClasses.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/fxDescriptor.h"
#include "Sequencer/ImCurveEdit.h"
#include "Sequencer/ImSequencer.h"
#include "Sequencer/rvSequence.h"

namespace
{
class SequenceEditorGL : public rvTest::GLTest
{
};
} // namespace

TEST_F(SequenceEditorGL, WindowRenders)
{
    if (!_window) GTEST_SKIP() << "no display";
    RegisterTestClasses();
    ImSequencer::ResetState();
    ImCurveEdit::ResetState();
    const int W = 1280, H = 600;
    rvTest::ImGuiHeadless gui((float)W, (float)H);
    ASSERT_TRUE(ImGui_ImplOpenGL3_Init("#version 400"));
    {
        rvSequence seq(true);
        const char* names[] = {"intro", "grid", "title", "outro"};
        const int spans[][2] = {{0, 300}, {120, 900}, {300, 600}, {800, 1200}};
        for (int i = 0; i < 4; ++i)
            seq.AddEffect(fxProbe::Make(spans[i][0], spans[i][1], names[i]));
        fxBase* grid = seq._apEffects[1];
        auto* keys = static_cast<KeyFrameDriver*>(
            grid->SetDriver(grid->_pDescriptor->FindAttrib("FadeIn"), NoneDriver::DRIVER_KEYFRAME));
        keys->AddKey(0.f, 0.f);
        keys->AddKey(4.f, 1.f);
        keys->AddKey(8.f, 0.25f);
        seq.ItemDoubleClicked(1);
        seq._anSelected = {2};
        seq._fTime = 7.5f;

        rvTest::RenderTarget rt(W, H);
        for (int frame = 0; frame < 3; ++frame)
        {
            ImGui_ImplOpenGL3_NewFrame();
            ImGui::GetIO().MousePos = ImVec2(-100.f, -100.f);
            gui.NewFrame();
            ImGui::SetNextWindowPos(ImVec2(0.f, 0.f));
            ImGui::SetNextWindowSize(ImVec2((float)W, 420.f));
            seq.DrawWindow(1.f / 60.f);
            ImGui::Render();
        }
        rt.Bind();
        glClearColor(0.f, 0.f, 0.f, 1.f);
        glClear(GL_COLOR_BUFFER_BIT);
        ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
        rt.SavePNG(rvTest::BinaryPath("sequence_editor.png"));

        // The expanded row's curve is drawn in the key-frame colour (red) somewhere below its bar.
        int red = 0;
        for (const rvTest::RGBA& p : rt.Read())
            red += p.r > 200 && p.g < 40 && p.b < 40;
        EXPECT_GT(red, 50);
        seq._bShowEditor = false;
        seq.Clear();
    }
    ImGui_ImplOpenGL3_Shutdown();
}
