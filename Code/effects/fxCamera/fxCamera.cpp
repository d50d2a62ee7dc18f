#include "effects/fxCamera/fxCamera.h"

#include "Factory/AttribDesc.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/fxDescriptor.h"
#include "Sequencer/rvSequence.h"
#include "effects/fxCamera/fxCameraInput.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>

const char* const fxCamera::s_apszPoseComponents[7] = {
    "CamPosition.x",   "CamPosition.y",   "CamPosition.z",  "CamQuaternion.x",
    "CamQuaternion.y", "CamQuaternion.z", "CamQuaternion.w"};

fxCameraInput* fxCamera::_pInput = nullptr;

namespace
{
const char* const s_apszControlModes[] = {"None", "FreePad", "Locked"};

// (axis * sin(angle / 2), cos(angle / 2))
glm::quat AxisAngle(float fAngle, const glm::vec3& axis)
{
    const glm::vec3 v = axis * std::sin(fAngle * 0.5f);
    return glm::quat(std::cos(fAngle * 0.5f), v.x, v.y, v.z);
}

glm::vec3 Row(const glm::mat3& m, int i)
{
    return glm::vec3(m[0][i], m[1][i], m[2][i]);
}

bool Held(const GLFWgamepadstate& s, int button)
{
    return s.buttons[button] == GLFW_PRESS;
}
} // namespace

fxCamera::fxCamera(fxDescriptor* pDescriptor) : fxBase(pDescriptor)
{
    _vCamPosition = glm::vec3(0.f, 0.f, -100.f);
    _vCamQuaternion = glm::vec4(0.f, 0.f, 0.f, 1.f);
    _vLastPosition = _vCamPosition;
    _vLastQuaternion = _vCamQuaternion;
    _fCamFov = 60.f;
    _fCamFar = 1000.f;
    _fSpeed = 0.5f;
    _eControlMode = ControlMode_None;
    _dLastTime = 0.0;
    _fScrubRemainder = 0.f;
    _bKeyJumpHeld = false;
    _bStartHeld = false;
}

fxCamera::~fxCamera() = default;

void fxCamera::OnEffectStart()
{
    _dLastTime = -1.0;
}

void fxCamera::Render()
{
    // The mouse camera of "Default" rules while the free camera is on.
    if (rvSceneDisplay::_DefaultBuffer._bFreeCam) return;

    if (_eControlMode == ControlMode_Locked && _pSequence)
    {
        _vCamPosition = _vLastPosition;
        _vCamQuaternion = _vLastQuaternion;
    }

    const float fLen = glm::length(_vCamQuaternion);
    glm::quat q(1.f, 0.f, 0.f, 0.f);
    if (fLen > 0.f)
    {
        const glm::vec4 n = _vCamQuaternion / fLen;
        q = glm::quat(n.w, n.x, n.y, n.z);
    }

    if (_eControlMode == ControlMode_FreePad && _pSequence)
    {
        const glm::mat3 r = glm::mat3_cast(q);
        GamepadSteps(q, Row(r, 0), Row(r, 1), Row(r, 2));
        _vCamQuaternion = glm::vec4(q.x, q.y, q.z, q.w);
    }

    rvBufferDisplay* pBuffer = rvSceneDisplay::BindedBuffer();
    const float fFov = _fCamFov * 3.1415927f / 180.f;
    const glm::mat4 mProjection =
        glm::perspectiveFov(fFov, float(pBuffer->_nWidth), float(pBuffer->_nHeight), 0.1f, _fCamFar);
    const glm::mat4 mView = glm::mat4_cast(q) * glm::translate(glm::mat4(1.f), _vCamPosition);
    ApplyToCurrentBuffer(mProjection, mView);
    pBuffer->_fFov = fFov;

    _vLastPosition = _vCamPosition;
    _vLastQuaternion = _vCamQuaternion;
}

void fxCamera::ApplyToCurrentBuffer(const glm::mat4& mProjection, const glm::mat4& mView)
{
    rvBufferDisplay* pBuffer = rvSceneDisplay::BindedBuffer();
    pBuffer->_mProjection = mProjection;
    pBuffer->_mView = mView;
    pBuffer->_mViewProjection = mProjection * mView;
    pBuffer->_mInvProjection = glm::inverse(pBuffer->_mProjection);
    pBuffer->_mInvView = glm::inverse(pBuffer->_mView);
    pBuffer->_mInvViewProjection = glm::inverse(pBuffer->_mViewProjection);
    if (pBuffer->_bFreeCam) return;
    const glm::quat r = glm::quat_cast(glm::mat3(mView));
    const float x = r.x, y = r.y, z = r.z, w = r.w;
    pBuffer->_vRotation = glm::vec3(std::atan2(2.f * (y * z + w * x), w * w - x * x - y * y + z * z),
                                    std::asin(std::clamp(-2.f * (x * z - w * y), -1.f, 1.f)),
                                    std::atan2(2.f * (x * y + w * z), w * w + x * x - y * y - z * z));
    pBuffer->_vPosition = glm::vec3(mView[3]);
}

void fxCamera::SetTimelineTime(float fTime)
{
    _pSequence->_fTime = std::clamp(fTime, 0.f, float(_pSequence->LastFrame()) / 60.f);
}

void fxCamera::GamepadSteps(glm::quat& q, const glm::vec3& r0In, const glm::vec3& r1In, const glm::vec3& r2In)
{
    fxCameraInput* pInput = _pInput ? _pInput : fxCameraInput::GetDefault();
    const double now = pInput->GetTime();
    const float dt = _dLastTime < 0.0 ? 0.f : float(now - _dLastTime);
    _dLastTime = now;

    for (int jid = 0; jid <= GLFW_JOYSTICK_LAST; ++jid)
    {
        GLFWgamepadstate s;
        if (!pInput->GetGamepadState(jid, &s)) continue;

        if (Held(s, GLFW_GAMEPAD_BUTTON_B)) _fSpeed = std::min(1.f, _fSpeed + 0.1f * dt);
        if (Held(s, GLFW_GAMEPAD_BUTTON_X)) _fSpeed = std::max(0.f, _fSpeed - 0.1f * dt);
        const float k = _fSpeed * 9.f + 1.f;
        const float fMoveSpeed = 10.f * k;
        const float fTurnSpeed = 0.5f * k;

        const bool bPlaying = _pSequence->_bPlaying;
        const bool bRecording = Held(s, GLFW_GAMEPAD_BUTTON_A) && !bPlaying;

        // Scrubbing in whole frames; the rest waits in the remainder.
        const float fTriggers =
            s.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] - s.axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER];
        _fScrubRemainder += fTriggers * 0.1f * k * dt;
        const float fScrub = float(int(std::roundf(_fScrubRemainder * 60.f))) / 60.f;
        if (fScrub != 0.f)
        {
            _fScrubRemainder -= fScrub;
            if (bRecording)
                for (const char* pszName : s_apszPoseComponents)
                    MoveKeyHere(fScrub, pszName);
            SetTimelineTime(_pSequence->_fTime + fScrub);
        }

        const bool bStart = Held(s, GLFW_GAMEPAD_BUTTON_START);
        if (bStart && !_bStartHeld)
        {
            _bStartHeld = true;
            if (bPlaying)
            {
                _pSequence->_bPlaying = false;
                for (fxBase* pEffect : _pSequence->_apEffects)
                    pEffect->SetState(State_DemoStarted);
                continue;
            }
            _pSequence->_bPlaying = true;
            for (fxBase* pEffect : _pSequence->_apEffects)
                pEffect->SetState(State_SequenceStarted);
        }
        else
        {
            _bStartHeld = bStart;
            if (bPlaying) continue;
        }

        JumpToKey(Held(s, GLFW_GAMEPAD_BUTTON_LEFT_BUMPER), Held(s, GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER));

        if (Held(s, GLFW_GAMEPAD_BUTTON_RIGHT_THUMB))
        {
            for (const char* pszName : s_apszPoseComponents)
                SetKeyHere(pszName);
        }
        else if (Held(s, GLFW_GAMEPAD_BUTTON_LEFT_THUMB))
        {
            for (const char* pszName : s_apszPoseComponents)
                DeleteKeyHere(pszName);
        }

        const float D = dt * fMoveSpeed;
        const float C = dt * fTurnSpeed;

        glm::vec3 r0 = r0In, r1 = r1In, r2 = r2In;
        if (Held(s, GLFW_GAMEPAD_BUTTON_Y))
        {
            // Level the camera: no roll, no pitch.
            r0 = glm::vec3(r0.x, 0.f, r0.z);
            r1 = glm::vec3(0.f, 1.f, 0.f);
            r2 = glm::cross(r0, r1);
            q = glm::quat_cast(glm::transpose(glm::mat3(r0, r1, r2)));
        }

        const float lx = s.axes[GLFW_GAMEPAD_AXIS_LEFT_X], ly = s.axes[GLFW_GAMEPAD_AXIS_LEFT_Y];
        const float h = (Held(s, GLFW_GAMEPAD_BUTTON_DPAD_UP) ? -D : 0.f) +
                        (Held(s, GLFW_GAMEPAD_BUTTON_DPAD_DOWN) ? D : 0.f);
        const float f = std::fabs(lx) > 0.05f ? -lx * D : 0.f;
        const float a = std::fabs(ly) > 0.05f ? -ly * D : 0.f;
        _vCamPosition += f * r0 + h * r1 + a * r2;

        const float rx = s.axes[GLFW_GAMEPAD_AXIS_RIGHT_X], ry = s.axes[GLFW_GAMEPAD_AXIS_RIGHT_Y];
        const float fYaw = std::fabs(rx) > 0.05f ? rx * C : 0.f;
        const float fPitch = std::fabs(ry) > 0.05f ? ry * C : 0.f;
        const float fRoll = (Held(s, GLFW_GAMEPAD_BUTTON_DPAD_RIGHT) ? C : 0.f) -
                            (Held(s, GLFW_GAMEPAD_BUTTON_DPAD_LEFT) ? C : 0.f);
        if (fYaw != 0.f) q = q * AxisAngle(fYaw, glm::vec3(0.f, 1.f, 0.f));
        if (fPitch != 0.f) q = AxisAngle(fPitch, glm::vec3(1.f, 0.f, 0.f)) * q;
        if (fRoll != 0.f) q = AxisAngle(fRoll, glm::vec3(0.f, 0.f, 1.f)) * q;
    }
}

void fxCamera::SetKeyHere(const char* pszName)
{
    AttribDesc* pAttrib = GetDescriptor()->FindAttrib(pszName);
    rvAssert(pAttrib);
    NoneDriver* pDriver = FindDriver(pAttrib);
    if (!pDriver)
    {
        pDriver = CreateDriver(this, NoneDriver::DRIVER_KEYFRAME, pAttrib);
        _apAttribDrivers.push_back(pDriver);
    }
    if (pDriver->_eType == NoneDriver::DRIVER_KEYFRAME)
        static_cast<KeyFrameDriver*>(pDriver)->AddKeyAtCurrentTime();
}

void fxCamera::DeleteKeyHere(const char* pszName)
{
    AttribDesc* pAttrib = GetDescriptor()->FindAttrib(pszName);
    rvAssert(pAttrib);
    NoneDriver* pDriver = FindDriver(pAttrib);
    if (!pDriver || pDriver->_eType != NoneDriver::DRIVER_KEYFRAME) return;
    KeyFrameDriver* pKeys = static_cast<KeyFrameDriver*>(pDriver);
    const float t = std::roundf(_fTime * 60.f) / 60.f;
    if (!pKeys->HasKeyAt(t)) return;
    const int i = pKeys->GetKeyIndex(t);
    if (i >= 0) pKeys->_aKeys.erase(pKeys->_aKeys.begin() + i);
}

void fxCamera::MoveKeyHere(float fSeconds, const char* pszName)
{
    if (fSeconds == 0.f) return;
    AttribDesc* pAttrib = GetDescriptor()->FindAttrib(pszName);
    rvAssert(pAttrib);
    NoneDriver* pDriver = FindDriver(pAttrib);
    if (!pDriver || pDriver->_eType != NoneDriver::DRIVER_KEYFRAME) return;
    KeyFrameDriver* pKeys = static_cast<KeyFrameDriver*>(pDriver);
    const float fkeytime = std::roundf(_fTime * 60.f) / 60.f;
    const float fnextkeytime = std::roundf((_fTime + fSeconds) * 60.f) / 60.f;
    rvAssert(fkeytime != fnextkeytime);
    const int i = pKeys->GetKeyIndex(fkeytime);
    if (i >= 0) pKeys->EditKey(i, fnextkeytime, pKeys->_aKeys[size_t(i)]._fValue);
}

void fxCamera::JumpToKey(bool bLeftBumper, bool bRightBumper)
{
    if (_bKeyJumpHeld)
    {
        _bKeyJumpHeld = bLeftBumper || bRightBumper;
        return;
    }
    if (bLeftBumper == bRightBumper) return;
    _bKeyJumpHeld = true;
    float d = 0.f;
    const float t = _fTime;
    for (NoneDriver* pDriver : _apAttribDrivers)
    {
        if (pDriver->_eType != NoneDriver::DRIVER_KEYFRAME) continue;
        const std::vector<KeyFrameDriver::Key>& aKeys = static_cast<KeyFrameDriver*>(pDriver)->_aKeys;
        if (bRightBumper)
        {
            for (const KeyFrameDriver::Key& key : aKeys)
            {
                if (key._fTime > t + 0.00001f)
                {
                    const float delta = key._fTime - t;
                    if (d == 0.f || d >= delta) d = delta;
                    break;
                }
            }
        }
        else
        {
            for (auto it = aKeys.rbegin(); it != aKeys.rend(); ++it)
            {
                if (it->_fTime < t - 0.00001f)
                {
                    const float delta = it->_fTime - t;
                    if (d == 0.f || d <= delta) d = delta;
                    break;
                }
            }
        }
    }
    if (_pSequence) SetTimelineTime(_pSequence->_fTime + d);
}

fxDescriptor* fxCamera::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxCamera", &fxCamera::Create);
    return s_pDescriptor;
}

fxBase* fxCamera::Create(fxDescriptor* pDescriptor)
{
    return new fxCamera(pDescriptor);
}

fxDescriptor* fxCamera::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    d->Add(TYPE_VEC3, "CamPosition", rvOffsetOf<fxCamera>(&fxCamera::_vCamPosition));
    d->Add(TYPE_VEC4, "CamQuaternion", rvOffsetOf<fxCamera>(&fxCamera::_vCamQuaternion));
    d->Add(TYPE_FLOAT, "CamFov", rvOffsetOf<fxCamera>(&fxCamera::_fCamFov))->SetRange(1.f, 90.f);
    d->Add(TYPE_FLOAT, "CamFar", rvOffsetOf<fxCamera>(&fxCamera::_fCamFar))->SetRange(10.f, 1000.f);
    d->Add(TYPE_SEPARATOR, "_Separator_", 0);
    d->Add(TYPE_FLOAT, "Speed", rvOffsetOf<fxCamera>(&fxCamera::_fSpeed))->SetRange(0.f, 1.f);
    d->Add(TYPE_SEPARATOR, "_Separator_", 0);
    d->Add(TYPE_ENUM, "ControlMode", rvOffsetOf<fxCamera>(&fxCamera::_eControlMode))
        ->SetItems(s_apszControlModes, 3);
    return d;
}
