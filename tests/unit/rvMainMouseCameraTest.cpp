#include "Display/rvBufferDisplay.h"
#include "TestSupport.h"
#include "rvMainMouseCamera.h"

#include <cmath>
#include <imgui.h>

namespace
{
// One frame of mouse input through a headless ImGui context, then the camera step.
struct MouseCameraFixture : ::testing::Test
{
    void Frame(ImVec2 pos, bool left, bool middle, float wheel = 0.f, bool imguiWantsMouse = false)
    {
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = pos;
        io.MouseDown[0] = left;
        io.MouseDown[2] = middle;
        io.MouseWheel = wheel;
        imgui.NewFrame();
        io.WantCaptureMouse = imguiWantsMouse;
        camera.Apply(io, buffer);
        imgui.EndFrame();
    }

    rvTest::ImGuiHeadless imgui;
    rvMainMouseCamera camera;
    rvBufferDisplay buffer; // never created: only its camera members are used
};
} // namespace

TEST_F(MouseCameraFixture, WheelStepGrowsTenfoldBeyondDistanceTen)
{
    struct Case
    {
        float dist, wheel, expected;
    } cases[] = {{10.f, 1.f, 9.f}, {10.5f, 1.f, 0.5f}, {10.5f, -1.f, 20.5f}, {0.5f, 1.f, -0.5f}};
    for (const Case& c : cases)
    {
        buffer._fDist = c.dist;
        Frame(ImVec2(10, 10), false, false, c.wheel);
        EXPECT_FLOAT_EQ(buffer._fDist, c.expected) << c.dist << " " << c.wheel;
    }
}

TEST_F(MouseCameraFixture, WheelZoomsEvenWhileImGuiWantsTheMouse)
{
    buffer._fDist = 5.f;
    Frame(ImVec2(10, 10), false, false, 1.f, true);
    EXPECT_FLOAT_EQ(buffer._fDist, 4.f);
}

TEST_F(MouseCameraFixture, LeftDragOrbitsPointTwoDegreesPerPixel)
{
    buffer._fPitch = 0.5f;
    buffer._fYaw = 1.f;
    Frame(ImVec2(100, 100), true, false); // press: the drag starts here
    EXPECT_FLOAT_EQ(buffer._fPitch, 0.5f);
    Frame(ImVec2(200, 150), true, false);
    EXPECT_NEAR(buffer._fPitch, 0.5f + 0.349066f, 1e-5f);
    EXPECT_NEAR(buffer._fYaw, 1.f + 0.174533f, 1e-5f);
    Frame(ImVec2(200, 150), false, false); // release
    EXPECT_EQ(camera._vLastLeftDrag.x, 0.f);
    EXPECT_EQ(camera._vLastLeftDrag.y, 0.f);
}

TEST_F(MouseCameraFixture, OrbitAngleStaysWithinOneTurn)
{
    const float twoPi = 6.2831855f;
    buffer._fPitch = 6.2f;
    Frame(ImVec2(0, 0), true, false);
    Frame(ImVec2(100, 0), true, false); // +0.349 passes 2 pi
    EXPECT_NEAR(buffer._fPitch, 6.2f + 0.349066f - twoPi, 1e-4f);
    buffer._fPitch = 0.f;
    Frame(ImVec2(std::nextafter(100.f, 0.f), 0), true, false); // a hair left: the wrap rounds to 2 pi
    EXPECT_GE(buffer._fPitch, 0.f);
    EXPECT_LT(buffer._fPitch, twoPi);
    buffer._fPitch = 0.1f;
    Frame(ImVec2(-900, 0), true, false); // -1000 px: far below zero
    EXPECT_GE(buffer._fPitch, 0.f);
    EXPECT_LT(buffer._fPitch, twoPi);
}

TEST_F(MouseCameraFixture, MiddleDragPansOneUnitPerHundredPixels)
{
    Frame(ImVec2(300, 300), false, true);
    Frame(ImVec2(400, 250), false, true);
    EXPECT_FLOAT_EQ(buffer._fPanX, 1.f);
    EXPECT_FLOAT_EQ(buffer._fPanY, -0.5f);
    Frame(ImVec2(400, 250), false, false);
    EXPECT_EQ(camera._vLastMiddleDrag.x, 0.f);
}

TEST_F(MouseCameraFixture, DragsWaitWhileImGuiWantsTheMouse)
{
    const float pitch = buffer._fPitch, panX = buffer._fPanX;
    Frame(ImVec2(100, 100), true, true, 0.f, true);
    Frame(ImVec2(300, 100), true, true, 0.f, true);
    EXPECT_EQ(buffer._fPitch, pitch);
    EXPECT_EQ(buffer._fPanX, panX);
    // The press position was still taken, so a drag continuing outside ImGui starts there.
    EXPECT_EQ(camera._vLastLeftDrag.x, 100.f);
    EXPECT_EQ(camera._vLastMiddleDrag.x, 100.f);
}
