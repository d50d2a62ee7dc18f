#pragma once
// The camera effect: sets the 3D camera of the current render buffer from a position, a
// quaternion, a field of view and a far plane while its bar is active. In "FreePad" mode, with
// the timeline paused, a gamepad flies the camera, scrubs the timeline and writes, moves or
// deletes key frames of the pose; in "Locked" mode the camera holds its last pose.
#include "Factory/fxBase.h"

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

class fxCameraInput;

class fxCamera : public fxBase
{
public:
    enum ControlMode
    {
        ControlMode_None = 0,
        ControlMode_FreePad = 1,
        ControlMode_Locked = 2
    };

    explicit fxCamera(fxDescriptor* pDescriptor);
    ~fxCamera() override;

    void Init() override {}
    void OnEffectStart() override;
    void Render() override;

    // Writes a projection and a view (with their products and inverses) into the current buffer
    // and, unless its free camera is on, brings its demo camera in line with the view.
    void ApplyToCurrentBuffer(const glm::mat4& mProjection, const glm::mat4& mView);

    // Key operations on one pose component ("CamPosition.x" ... "CamQuaternion.w").
    void SetKeyHere(const char* pszName);
    void DeleteKeyHere(const char* pszName);
    void MoveKeyHere(float fSeconds, const char* pszName);
    void JumpToKey(bool bLeftBumper, bool bRightBumper);

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    // The seven pose components, in the order the key operations visit them.
    static const char* const s_apszPoseComponents[7];
    // Clock and gamepads of the flight mode; GLFW unless a test installs another.
    static fxCameraInput* _pInput;

    glm::vec3 _vCamPosition;
    glm::vec4 _vCamQuaternion; // x, y, z, w
    glm::vec3 _vLastPosition;
    glm::vec4 _vLastQuaternion;
    float _fCamFov;
    float _fCamFar;
    float _fSpeed;
    int _eControlMode;
    double _dLastTime;
    float _fScrubRemainder;
    bool _bKeyJumpHeld;
    bool _bStartHeld;

private:
    // One gamepad step: may turn q and move the position, scrub and play/pause the timeline.
    void GamepadSteps(glm::quat& q, const glm::vec3& r0, const glm::vec3& r1, const glm::vec3& r2);
    void SetTimelineTime(float fTime);
};
