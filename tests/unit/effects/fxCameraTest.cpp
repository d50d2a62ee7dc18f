#include "effects/fxCamera/fxCamera.h"

#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/fxDescriptor.h"
#include "Sequencer/rvSequence.h"
#include "effects/fxCamera/fxCameraInput.h"
#include "rvSceneDisplay.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>

namespace
{
// One gamepad on joystick 0 with a clock the test moves; triggers released (-1).
struct FakeGamepad : fxCameraInput
{
    double now = 100.0;
    bool connected = true;
    GLFWgamepadstate state{};
    FakeGamepad()
    {
        state.axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] = -1.f;
        state.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = -1.f;
    }
    double GetTime() override { return now; }
    bool GetGamepadState(int jid, GLFWgamepadstate* p) override
    {
        if (jid != 0 || !connected) return false;
        *p = state;
        return true;
    }
    void Set(int button, bool down) { state.buttons[button] = down ? GLFW_PRESS : GLFW_RELEASE; }
};

// A 1920 x 1080 current buffer (no GL objects: the camera only writes matrices) and a paused
// timeline holding one camera in State_EffectStarted.
struct fxCameraTest : ::testing::Test
{
    rvBufferDisplay buffer;
    rvBufferDisplay* pSavedBuffer = nullptr;
    bool bSavedFreeCam = false;
    rvSequence seq{false};
    fxCamera* pCam = nullptr;
    FakeGamepad pad;

    void SetUp() override
    {
        buffer._nWidth = 1920;
        buffer._nHeight = 1080;
        pSavedBuffer = rvSceneDisplay::_pCurrentBuffer;
        bSavedFreeCam = rvSceneDisplay::_DefaultBuffer._bFreeCam;
        rvSceneDisplay::_pCurrentBuffer = &buffer;
        rvSceneDisplay::_DefaultBuffer._bFreeCam = false;
        fxCamera::RegisterAttributes();
        fxCamera::_pInput = &pad;
        pCam = static_cast<fxCamera*>(fxCamera::Create(fxCamera::GetDescriptor()));
        seq._apEffects.push_back(pCam);
        pCam->_pSequence = &seq;
        pCam->SetState(State_EffectStarted);
    }
    void TearDown() override
    {
        pCam->SetState(State_DemoStoped);
        delete pCam;
        fxCamera::_pInput = nullptr;
        rvSceneDisplay::_pCurrentBuffer = pSavedBuffer;
        rvSceneDisplay::_DefaultBuffer._bFreeCam = bSavedFreeCam;
    }
    // One frame of dt seconds of the gamepad clock.
    void Frame(double dt = 1.0 / 60.0)
    {
        pad.now += dt;
        pCam->Render();
    }
    KeyFrameDriver* Driver(const char* name)
    {
        NoneDriver* p = pCam->FindDriver(fxCamera::GetDescriptor()->FindAttrib(name));
        return p && p->_eType == NoneDriver::DRIVER_KEYFRAME ? static_cast<KeyFrameDriver*>(p) : nullptr;
    }
};

void ExpectMatNear(const glm::mat4& a, const glm::mat4& b, float eps = 1e-4f)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(a[c][r], b[c][r], eps) << "[" << c << "][" << r << "]";
}
} // namespace

TEST_F(fxCameraTest, DefaultsGiveTheStandardProjectionAndATranslatedView)
{
    pCam->_pSequence = nullptr;
    pCam->Render();
    const float fov = 3.1415927f / 3.f;
    ExpectMatNear(buffer._mProjection, glm::perspectiveFov(fov, 1920.f, 1080.f, 0.1f, 1000.f));
    ExpectMatNear(buffer._mView, glm::translate(glm::mat4(1.f), glm::vec3(0.f, 0.f, -100.f)));
    ExpectMatNear(buffer._mViewProjection, buffer._mProjection * buffer._mView);
    ExpectMatNear(buffer._mInvView, glm::translate(glm::mat4(1.f), glm::vec3(0.f, 0.f, 100.f)));
    ExpectMatNear(buffer._mInvViewProjection * buffer._mViewProjection, glm::mat4(1.f), 1e-2f);
    EXPECT_FLOAT_EQ(buffer._fFov, fov);
    EXPECT_EQ(buffer._vPosition, glm::vec3(0.f, 0.f, -100.f));
    EXPECT_NEAR(glm::length(buffer._vRotation), 0.f, 1e-6f);
}

TEST_F(fxCameraTest, DemoCameraFollowsTheViewAndFreeCamLeavesTheBufferAlone)
{
    // A turn of 30 degrees about Y: the demo camera reads yaw pi/6.
    pCam->_pSequence = nullptr;
    const float h = 3.1415927f / 12.f;
    pCam->_vCamQuaternion = glm::vec4(0.f, std::sin(h), 0.f, std::cos(h));
    pCam->_vCamPosition = glm::vec3(1.f, 2.f, 3.f);
    pCam->Render();
    EXPECT_NEAR(buffer._vRotation.x, 0.f, 1e-4f);
    EXPECT_NEAR(buffer._vRotation.y, 3.1415927f / 6.f, 1e-5f);
    EXPECT_NEAR(buffer._vRotation.z, 0.f, 1e-4f);
    EXPECT_EQ(buffer._vPosition, glm::vec3(buffer._mView[3]));

    // The buffer's own free camera: matrices written, demo camera untouched.
    buffer._bFreeCam = true;
    buffer._vPosition = glm::vec3(7.f);
    pCam->_vCamPosition = glm::vec3(0.f);
    pCam->Render();
    EXPECT_EQ(buffer._vPosition, glm::vec3(7.f));
    EXPECT_EQ(buffer._mView[3], glm::vec4(0.f, 0.f, 0.f, 1.f));

    // The "Freecam" setting of "Default": the camera does nothing at all.
    rvSceneDisplay::_DefaultBuffer._bFreeCam = true;
    buffer._mView = glm::mat4(2.f);
    pCam->_vCamPosition = glm::vec3(5.f);
    pCam->Render();
    EXPECT_EQ(buffer._mView, glm::mat4(2.f));
    EXPECT_EQ(pCam->_vLastPosition, glm::vec3(0.f));
    rvSceneDisplay::_DefaultBuffer._bFreeCam = false;
}

TEST_F(fxCameraTest, ZeroQuaternionIsTheIdentityAndFreePadWritesItBack)
{
    pCam->_vCamQuaternion = glm::vec4(0.f);
    pCam->Render();
    ExpectMatNear(buffer._mView, glm::translate(glm::mat4(1.f), glm::vec3(0.f, 0.f, -100.f)));
    EXPECT_EQ(pCam->_vCamQuaternion, glm::vec4(0.f)); // mode None leaves the attribute

    pCam->_eControlMode = fxCamera::ControlMode_FreePad;
    pad.connected = false;
    pCam->Render();
    EXPECT_EQ(pCam->_vCamQuaternion, glm::vec4(0.f, 0.f, 0.f, 1.f));
    // A non-unit quaternion comes back normalised.
    pCam->_vCamQuaternion = glm::vec4(0.f, 0.f, 0.f, 3.f);
    pCam->Render();
    EXPECT_EQ(pCam->_vCamQuaternion, glm::vec4(0.f, 0.f, 0.f, 1.f));
}

TEST_F(fxCameraTest, LockedKeepsThePoseWhateverTheDriversWrite)
{
    pCam->_vCamPosition = glm::vec3(1.f, 2.f, 3.f);
    pCam->Render(); // last pose = (1, 2, 3)
    pCam->_eControlMode = fxCamera::ControlMode_Locked;
    pCam->_vCamPosition = glm::vec3(50.f, 0.f, 0.f); // as a key-frame driver would
    pCam->_vCamQuaternion = glm::vec4(1.f, 0.f, 0.f, 0.f);
    pCam->_fCamFov = 30.f; // other attributes still apply
    pCam->Render();
    EXPECT_EQ(pCam->_vCamPosition, glm::vec3(1.f, 2.f, 3.f));
    EXPECT_EQ(pCam->_vCamQuaternion, glm::vec4(0.f, 0.f, 0.f, 1.f));
    ExpectMatNear(buffer._mView, glm::translate(glm::mat4(1.f), glm::vec3(1.f, 2.f, 3.f)));
    EXPECT_NEAR(buffer._fFov, 30.f * 3.1415927f / 180.f, 1e-6f);

    // Without a timeline "Locked" behaves as "None".
    pCam->_pSequence = nullptr;
    pCam->_vCamPosition = glm::vec3(9.f, 9.f, 9.f);
    pCam->Render();
    EXPECT_EQ(pCam->_vCamPosition, glm::vec3(9.f, 9.f, 9.f));
}

TEST_F(fxCameraTest, TriggersScrubTheTimelineInWholeFrames)
{
    pCam->_eControlMode = fxCamera::ControlMode_FreePad;
    pad.state.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = 1.f; // full press against released: 2
    seq._fTime = 1.f;
    pCam->Render(); // first step after the start: dt 0, nothing moves
    EXPECT_EQ(seq._fTime, 1.f);
    for (int i = 0; i < 60; ++i)
        Frame();
    // 2 x 0.1 x (0.5 x 9 + 1) = 1.1 seconds per second.
    EXPECT_NEAR(seq._fTime, 2.1f, 1.f / 60.f);
    const float frames = (seq._fTime - 1.f) * 60.f;
    EXPECT_NEAR(frames, std::round(frames), 1e-3f);

    // Clamped to the timeline's end.
    for (int i = 0; i < 20; ++i)
        Frame(1.0);
    EXPECT_FLOAT_EQ(seq._fTime, 10.f);
}

TEST_F(fxCameraTest, StartPausesAndResumesTheTimeline)
{
    fxCamera* pOther = static_cast<fxCamera*>(fxCamera::Create(fxCamera::GetDescriptor()));
    seq._apEffects.push_back(pOther);
    pOther->SetState(State_SequenceStarted);
    pCam->_eControlMode = fxCamera::ControlMode_FreePad;
    seq._bPlaying = true;
    pCam->Render();
    pad.state.axes[GLFW_GAMEPAD_AXIS_LEFT_Y] = -1.f; // stick forwards

    pad.Set(GLFW_GAMEPAD_BUTTON_START, true);
    Frame();
    EXPECT_FALSE(seq._bPlaying);
    EXPECT_EQ(pOther->_eState, State_DemoStarted);
    EXPECT_EQ(pCam->_eState, State_DemoStarted);
    EXPECT_EQ(pCam->_vCamPosition, glm::vec3(0.f, 0.f, -100.f)); // no flight in that frame

    Frame(); // still held: no new press, paused: the flight runs
    EXPECT_FALSE(seq._bPlaying);
    const glm::vec3 moved = pCam->_vCamPosition;
    EXPECT_GT(moved.z, -100.f); // forwards: the eye goes down -z, so p.z grows

    pad.Set(GLFW_GAMEPAD_BUTTON_START, false);
    Frame();
    pad.Set(GLFW_GAMEPAD_BUTTON_START, true);
    const glm::vec3 before = pCam->_vCamPosition;
    Frame();
    EXPECT_TRUE(seq._bPlaying);
    EXPECT_EQ(pOther->_eState, State_SequenceStarted);
    EXPECT_NE(pCam->_vCamPosition, before); // resuming still flies in that frame

    pOther->SetState(State_DemoStoped);
    delete pOther;
}

TEST_F(fxCameraTest, BumpersJumpBetweenKeysOncePerPress)
{
    pCam->_eControlMode = fxCamera::ControlMode_FreePad;
    pCam->_fTime = 1.f;
    pCam->SetKeyHere("CamFov");
    pCam->_fTime = 3.f;
    pCam->SetKeyHere("CamFar");
    pCam->_fTime = 2.f;
    seq._fTime = 2.f;
    pCam->Render();

    pad.Set(GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER, true);
    Frame();
    EXPECT_FLOAT_EQ(seq._fTime, 3.f);
    Frame();
    EXPECT_FLOAT_EQ(seq._fTime, 3.f); // held: no second jump
    pad.Set(GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, true);
    Frame();
    pad.Set(GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER, false);
    pad.Set(GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, false);
    Frame();
    pad.Set(GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, true);
    pad.Set(GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER, true);
    Frame();
    EXPECT_FLOAT_EQ(seq._fTime, 3.f); // both at once: no jump
    pad.Set(GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER, false);
    pad.Set(GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, false);
    Frame();
    pad.Set(GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, true);
    Frame();
    EXPECT_FLOAT_EQ(seq._fTime, 2.f); // local time 2: the key at 1 s lies 1 s behind
}

TEST_F(fxCameraTest, StickButtonsSetAndDeleteThePoseKeysAndRecordingMovesThem)
{
    pCam->_eControlMode = fxCamera::ControlMode_FreePad;
    pCam->_fTime = 0.5f;
    pCam->_vCamPosition = glm::vec3(4.f, 5.f, 6.f);
    pCam->Render();

    pad.Set(GLFW_GAMEPAD_BUTTON_RIGHT_THUMB, true);
    Frame(0.0);
    pad.Set(GLFW_GAMEPAD_BUTTON_RIGHT_THUMB, false);
    for (const char* name : fxCamera::s_apszPoseComponents)
    {
        KeyFrameDriver* p = Driver(name);
        ASSERT_NE(p, nullptr) << name;
        ASSERT_EQ(p->GetKeyCount(), 1) << name;
        EXPECT_FLOAT_EQ(p->_aKeys[0]._fTime, 0.5f);
    }
    EXPECT_FLOAT_EQ(Driver("CamPosition.y")->_aKeys[0]._fValue, 5.f);
    EXPECT_FLOAT_EQ(Driver("CamQuaternion.w")->_aKeys[0]._fValue, 1.f);

    // A held, right trigger: one frame of scrubbing moves the keys under the play head with it.
    pad.Set(GLFW_GAMEPAD_BUTTON_A, true);
    pad.state.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = 1.f;
    pCam->_fSpeed = 0.f; // k = 1: 0.2 s per second; 1/12 s gives one frame
    Frame(1.0 / 12.0);
    for (const char* name : fxCamera::s_apszPoseComponents)
        EXPECT_FLOAT_EQ(Driver(name)->_aKeys[0]._fTime, 31.f / 60.f) << name;
    // Without a key at the play head nothing moves.
    pCam->_fTime = 0.f;
    Frame(1.0 / 12.0);
    EXPECT_FLOAT_EQ(Driver("CamPosition.x")->_aKeys[0]._fTime, 31.f / 60.f);
    pad.Set(GLFW_GAMEPAD_BUTTON_A, false);
    pad.state.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = -1.f;

    pCam->_fTime = 31.f / 60.f;
    pad.Set(GLFW_GAMEPAD_BUTTON_LEFT_THUMB, true);
    Frame(0.0);
    for (const char* name : fxCamera::s_apszPoseComponents)
        EXPECT_EQ(Driver(name)->GetKeyCount(), 0) << name;
}

TEST_F(fxCameraTest, SticksFlyAndTurnTheCamera)
{
    pCam->_eControlMode = fxCamera::ControlMode_FreePad;
    pCam->Render();
    pad.state.axes[GLFW_GAMEPAD_AXIS_RIGHT_X] = 1.f;
    Frame(0.1);
    // Yaw of 0.1 x 0.5 x 5.5 radians about the world's vertical axis.
    const float yaw = 0.1f * 0.5f * 5.5f;
    EXPECT_NEAR(pCam->_vCamQuaternion.y, std::sin(yaw / 2.f), 1e-5f);
    EXPECT_NEAR(pCam->_vCamQuaternion.w, std::cos(yaw / 2.f), 1e-5f);

    pad.state.axes[GLFW_GAMEPAD_AXIS_RIGHT_X] = 0.f;
    pad.Set(GLFW_GAMEPAD_BUTTON_Y, true); // level again
    pad.Set(GLFW_GAMEPAD_BUTTON_DPAD_UP, true);
    const glm::vec3 before = pCam->_vCamPosition;
    Frame(0.1);
    // Up on the D-pad moves p along -up by D = 0.1 x 55.
    EXPECT_NEAR(pCam->_vCamPosition.y - before.y, -5.5f, 1e-4f);
}

TEST(fxCameraDeathTest, KeyOperationsNeedAnAttributeOfTheClass)
{
    fxCamera::RegisterAttributes();
    fxCamera* pCam = static_cast<fxCamera*>(fxCamera::Create(fxCamera::GetDescriptor()));
    EXPECT_DEATH(pCam->SetKeyHere("CamPosition.q"), "pAttrib");
    EXPECT_DEATH(pCam->MoveKeyHere(1.f / 60.f, "Nope"), "pAttrib");
    pCam->MoveKeyHere(0.f, "Nope"); // a zero move looks nothing up
    pCam->_eState = State_DemoStoped;
    delete pCam;
}
