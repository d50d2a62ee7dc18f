#include "Factory/fxBase.h"

#include "Factory/AttribDesc.h"
#include "Factory/Drivers/DriverFactory.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/Drivers/NoneDriver.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvBound.h"
#include "Factory/rvJson.h"
#include "Sequencer/rvTimelineClock.h"
#include "rvAssert.h"
#include "rvMessage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

fxBase* fxBase::_pCurrentEffect = nullptr;
void (*fxBase::_pfnUpdateVectorScene)(VectorScene* pScene) = nullptr;

void* fxBase::operator new(size_t nSize)
{
    void* p = ::operator new(nSize);
    std::memset(p, 0, nSize);
    return p;
}

void fxBase::operator delete(void* p)
{
    ::operator delete(p);
}

fxBase::fxBase(fxDescriptor* pDescriptor) : _pDescriptor(pDescriptor)
{
    _sName = pDescriptor ? pDescriptor->_sClassName : std::string();
    _eState = State_DemoStoped;
}

fxBase::~fxBase()
{
    rvAssert(_eState == State_DemoStoped);
    ClearDrivers();
    _eState = -1;
}

// ---------------------------------------------------------------------------------------
// Lifecycle and time

void fxBase::SetState(int eTarget)
{
    while (_eState < eTarget)
    {
        switch (_eState)
        {
        case State_DemoStoped:
            Init();
            _eState = State_DemoStarted;
            break;
        case State_DemoStarted:
            OnSequenceStart();
            _eState = State_SequenceStarted;
            break;
        case State_SequenceStarted:
            _fDeltaTime = 0.0f;
            _fTime = 0.0f;
            _fPendingDelta = 0.0f;
            _eState = State_EffectStarted;
            ApplyDrivers();
            OnEffectStart();
            break;
        default:
            rvAssert(false);
        }
    }
    while (_eState > eTarget)
    {
        switch (_eState)
        {
        case State_EffectStarted:
            OnEffectStop();
            _eState = State_SequenceStarted;
            break;
        case State_SequenceStarted:
            OnSequenceStop();
            _eState = State_DemoStarted;
            break;
        case State_DemoStarted:
            Kill();
            _eState = State_DemoStoped;
            break;
        default:
            rvAssert(false);
        }
    }
}

void fxBase::Update()
{
    rvAssert(_eState == State_EffectStarted || _eState == State_SequenceStarted);

    if (_bReInit)
    {
        const int eState = _eState;
        SetState(State_DemoStoped);
        SetState(eState);
        _bReInit = false;
    }

    // The local end; an End before Start gives an empty window rather than a negative time.
    const float fEnd = std::max(GetDuration(), 0.0f);
    const bool bSeek = _fSeekTime >= 0.0f;
    const float fSeekTime = _fSeekTime;
    float fDelta;
    if (bSeek)
    {
        fDelta = _fSeekTime - _fTime; // a jump is not scaled by TimeScale
        _fPendingDelta = fDelta;
    }
    else
    {
        fDelta = _fPendingDelta * rvTimeScale(this);
    }
    _fDeltaTime = fDelta;
    // After a seek the local time is the clamped target itself: the sum old + (target - old)
    // can miss it by a rounding step, and key highlighting and navigation compare exactly.
    const float fNewTime = bSeek ? _fSeekTime : _fTime + fDelta;
    _fTime = std::min(std::max(fNewTime, 0.0f), fEnd);

    if (bSeek) Seek(_fPendingDelta, _fTime, fSeekTime);
    if (_fPendingDelta != 0.0f || _fSeekTime >= 0.0f) ApplyDrivers();
    _fSeekTime = -1.0f;

    if (_pVectorScene && _pfnUpdateVectorScene) _pfnUpdateVectorScene(_pVectorScene);

    // An Update nested in another effect's Render (a timeline inside an effect) hands the
    // current effect back to that Render when it returns.
    fxBase* const pOuter = _pCurrentEffect;
    _pCurrentEffect = this;
    Render();
    _pCurrentEffect = pOuter;
}

rvTimelineClock::SimulationSteps fxBase::SimulationSteps() const
{
    return rvTimelineClock::SplitSimulationStep(_fDeltaTime);
}

float fxBase::GetFade() const
{
    const float fSpan = GetDuration();
    float fFade = 1.0f;
    if (_fFadeIn != 0.0f && _fTime < _fFadeIn)
        fFade = _fTime / _fFadeIn;
    else if (_fFadeOut != 0.0f && _fTime > fSpan - _fFadeOut)
        fFade = 1.0f - (_fTime - (fSpan - _fFadeOut)) / _fFadeOut;
    return fFade < 0.0f ? 0.0f : fFade;
}

void fxBase::ReportNoEffectNamed(const char* pszAttrib, const std::string& sName, const char* pszClass) const
{
    rvReport(rvMessageKind::Warning,
             "%s \"%s\": \"%s\" names \"%s\", but its timeline has no %s of that name; not used",
             _pDescriptor ? _pDescriptor->_sClassName.c_str() : "effect", _sName.c_str(), pszAttrib,
             sName.c_str(), pszClass ? pszClass : "effect");
}

VectorScene* fxBase::EvaluateAt(float fTime)
{
    if (!_pVectorScene || !(fTime >= 0.0f)) return _pVectorScene;
    if (fTime == _fTime) return _pVectorScene;
    const float fSaved = _fTime;
    _fTime = fTime;
    ApplyDrivers();
    if (_pfnUpdateVectorScene) _pfnUpdateVectorScene(_pVectorScene);
    _fTime = fSaved;
    return _pVectorScene;
}

// ---------------------------------------------------------------------------------------
// Drivers

NoneDriver* fxBase::CreateDriver(fxBase* pEffect, int eType, AttribDesc* pAttrib)
{
    NoneDriver* pDriver = CreateDriverOfType(eType, pEffect, pAttrib);
    if (pDriver)
    {
        pDriver->_eRequestedType = eType;
        pDriver->_eType = eType;
    }
    return pDriver;
}

NoneDriver* fxBase::FindDriver(const AttribDesc* pAttrib) const
{
    if (!pAttrib) return nullptr;
    for (NoneDriver* pDriver : _apAttribDrivers)
    {
        if (pDriver->_pAttribDesc == pAttrib) return pDriver;
    }
    return nullptr;
}

NoneDriver* fxBase::SetDriver(AttribDesc* pAttrib, int eType)
{
    NoneDriver* pCurrent = FindDriver(pAttrib);
    const int eCurrent = pCurrent ? pCurrent->_eType : NoneDriver::DRIVER_NONE;
    if (eType == eCurrent) return pCurrent;
    if (eType == NoneDriver::DRIVER_NONE)
    {
        DeleteDriver(pCurrent);
        return nullptr;
    }
    if (!pAttrib || !pAttrib->IsDrivable())
        return nullptr; // a driver always drives a bool, int, time, float or enum value

    NoneDriver* pDriver = CreateDriver(this, eType, pAttrib);
    if (!pDriver) return nullptr;
    if (pCurrent)
    {
        pDriver->_bWindowOpen = pCurrent->_bWindowOpen;
        pDriver->_bVisible = pCurrent->_bVisible;
        pDriver->_attribName = pCurrent->_attribName;
        pDriver->_fMin = pCurrent->_fMin;
        pDriver->_fMax = pCurrent->_fMax;
        pDriver->_fPeriod = pCurrent->_fPeriod;
        pDriver->_fPhase = pCurrent->_fPhase;
        DeleteDriver(pCurrent);
    }
    else if (pAttrib->_pRange)
    {
        if (pAttrib->IsFloat())
        {
            pDriver->_fMin = pAttrib->_pRange->_min.f;
            pDriver->_fMax = pAttrib->_pRange->_max.f;
        }
        else if (pAttrib->IsInt())
        {
            pDriver->_fMin = float(pAttrib->_pRange->_min.i);
            pDriver->_fMax = float(pAttrib->_pRange->_max.i);
        }
    }
    if (pAttrib->IsBool())
    {
        if (KeyFrameDriver* pKeys = dynamic_cast<KeyFrameDriver*>(pDriver))
            pKeys->_eInterpolation = KeyFrameDriver::INTERPOLATION_NONE;
    }
    _apAttribDrivers.push_back(pDriver);
    pDriver->_eRequestedType = eType;
    pDriver->_eType = eType;
    return pDriver;
}

void fxBase::DeleteDriver(NoneDriver* pDriver)
{
    auto it = std::find(_apAttribDrivers.begin(), _apAttribDrivers.end(), pDriver);
    if (it == _apAttribDrivers.end()) return;
    _apAttribDrivers.erase(it);
    delete pDriver;
}

void fxBase::ClearDrivers()
{
    std::vector<NoneDriver*> apDrivers;
    apDrivers.swap(_apAttribDrivers);
    for (NoneDriver* pDriver : apDrivers)
        delete pDriver;
}

void fxBase::ApplyDrivers()
{
    for (NoneDriver* pDriver : _apAttribDrivers)
        pDriver->Apply();
}

void fxBase::ApplyDriverTypeChanges()
{
    // Type changes replace or remove drivers, so the walk goes over a copy of the list and
    // skips a driver that an earlier change already destroyed.
    const std::vector<NoneDriver*> apDrivers = _apAttribDrivers;
    for (NoneDriver* pDriver : apDrivers)
    {
        if (std::find(_apAttribDrivers.begin(), _apAttribDrivers.end(), pDriver) == _apAttribDrivers.end())
            continue;
        pDriver->DrawWindow();
        AttribDesc* pAttribDesc = pDriver->_pAttribDesc;
        rvAssert(pAttribDesc);
        if (pDriver->_eRequestedType != pDriver->_eType) SetDriver(pAttribDesc, pDriver->_eRequestedType);
    }
}

namespace
{
float CurrentFrameTime(const fxBase* pEffect)
{
    return KeyFrameDriver::SnapToFrame(pEffect->_fTime);
}
} // namespace

float fxBase::NextKeyTime(fxBase* pEffect, bool* pbFound)
{
    const float c = CurrentFrameTime(pEffect);
    float fResult = pEffect->GetDuration();
    bool bFound = false;
    for (NoneDriver* pDriver : pEffect->_apAttribDrivers)
    {
        const KeyFrameDriver* pKeys = dynamic_cast<const KeyFrameDriver*>(pDriver);
        if (!pKeys || pDriver->_eType != NoneDriver::DRIVER_KEYFRAME) continue;
        for (const KeyFrameDriver::Key& key : pKeys->_aKeys)
        {
            if (key._fTime > c)
            {
                bFound = true;
                fResult = std::min(fResult, key._fTime);
                break;
            }
        }
    }
    if (pbFound) *pbFound = bFound;
    return fResult;
}

float fxBase::PrevKeyTime(fxBase* pEffect, bool* pbFound)
{
    const float c = CurrentFrameTime(pEffect);
    float fResult = 0.0f;
    bool bFound = false;
    for (NoneDriver* pDriver : pEffect->_apAttribDrivers)
    {
        const KeyFrameDriver* pKeys = dynamic_cast<const KeyFrameDriver*>(pDriver);
        if (!pKeys || pDriver->_eType != NoneDriver::DRIVER_KEYFRAME) continue;
        for (auto it = pKeys->_aKeys.rbegin(); it != pKeys->_aKeys.rend(); ++it)
        {
            if (it->_fTime < c)
            {
                bFound = true;
                fResult = std::max(fResult, it->_fTime);
                break;
            }
        }
    }
    if (pbFound) *pbFound = bFound;
    return fResult;
}

void fxBase::OffsetKeys(float fDelta)
{
    for (NoneDriver* pDriver : _apAttribDrivers)
    {
        if (KeyFrameDriver* pKeys = dynamic_cast<KeyFrameDriver*>(pDriver))
        {
            for (KeyFrameDriver::Key& key : pKeys->_aKeys)
                key._fTime += fDelta;
        }
    }
}

// ---------------------------------------------------------------------------------------
// JSON

void fxBase::LoadValues(const Json::Value& properties)
{
    if (!properties.isObject() || !_pDescriptor) return;
    for (const std::string& sKey : properties.getMemberNames())
    {
        AttribDesc* pAttrib = _pDescriptor->FindAttrib(sKey);
        if (!pAttrib) continue; // "_apAttribDrivers" and names of attributes that no longer exist
        const Json::Value& v = properties[sKey];
        // A value of another JSON type than the attribute's is skipped: the attribute keeps
        // its own value.
        switch (pAttrib->_eType)
        {
        case TYPE_BOOL:
            if (v.isBool()) pAttrib->SetBool(this, v.asBool());
            break;
        case TYPE_INT:
        case TYPE_TIME:
        case TYPE_ENUM:
            if (v.isInt()) pAttrib->SetInt(this, v.asInt());
            break;
        case TYPE_FLOAT:
        {
            float f;
            if (rvJson::ReadFloat(v, &f)) pAttrib->SetFloat(this, f);
            break;
        }
        case TYPE_STRING:
        case TYPE_FILE:
            if (v.isString()) pAttrib->SetString(this, v.asString());
            break;
        default:
            break;
        }
    }
}

void fxBase::LoadDrivers(const Json::Value& properties)
{
    ClearDrivers();
    const Json::Value& drivers = rvJson::Member(properties, "_apAttribDrivers");
    if (drivers.isArray() && _pDescriptor)
    {
        for (const Json::Value& element : drivers)
        {
            std::string sAttribName;
            int eType = NoneDriver::DRIVER_NONE;
            if (!rvJson::ReadString(rvJson::Member(element, "_attribName"), &sAttribName) ||
                !rvJson::ReadInt(rvJson::Member(element, "_eType"), &eType))
                continue;
            AttribDesc* pAttrib = _pDescriptor->FindAttrib(sAttribName);
            // Only bool, int, time, float and enum values can be driven; a file naming any
            // other attribute, or a second driver for one attribute, is skipped.
            if (!pAttrib || !pAttrib->IsDrivable() || FindDriver(pAttrib)) continue;
            NoneDriver* pDriver = CreateDriver(this, eType, pAttrib);
            if (!pDriver) continue;
            pDriver->Load(element);
            pDriver->_eType = eType;
            pDriver->_eRequestedType = eType;
            _apAttribDrivers.push_back(pDriver);
        }
    }
    if (_eState > State_DemoStoped) _bReInit = true;
}

void fxBase::SaveValue(fxBase* pEffect, Json::Value& properties, AttribDesc* pAttrib)
{
    if (!pAttrib->_apChildren.empty())
    {
        for (AttribDesc* pChild : pAttrib->_apChildren)
            SaveValue(pEffect, properties, pChild);
        return;
    }
    NoneDriver* pDriver = pEffect->FindDriver(pAttrib);
    if (pDriver && pDriver->HasData()) return; // the driver stands for the value
    switch (pAttrib->_eType)
    {
    case TYPE_BOOL:
        properties[pAttrib->_sName] = pAttrib->GetBool(pEffect);
        break;
    case TYPE_INT:
    case TYPE_TIME:
    case TYPE_ENUM:
        properties[pAttrib->_sName] = pAttrib->GetInt(pEffect);
        break;
    case TYPE_FLOAT:
        properties[pAttrib->_sName] = rvJson::FloatToJson(pAttrib->GetFloat(pEffect));
        break;
    case TYPE_STRING:
    case TYPE_FILE:
        properties[pAttrib->_sName] = pAttrib->GetString(pEffect);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------
// Class registration

fxDescriptor* fxBase::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor = new fxDescriptor(nullptr, "fxBase", &fxBase::Create);
    return s_pDescriptor;
}

fxBase* fxBase::Create(fxDescriptor* pDescriptor)
{
    return new fxBase(pDescriptor);
}

fxDescriptor* fxBase::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    AttribDesc* p = d->Add(TYPE_BUTTON, "Create Key", rvOffsetOf<fxBase>(&fxBase::_pfnCreateKey));
    p->_sTooltip = "Create Key at this time\nand for current values\n[K]";
    p->_nShortcutKey = 75; // 'K'
    p = d->Add(TYPE_BUTTON, "ReInit", rvOffsetOf<fxBase>(&fxBase::_pfnReInit));
    p->_sTooltip = "ReInit : Force call kill then Init";
    p = d->Add(TYPE_BUTTON, "ClearDrivers", rvOffsetOf<fxBase>(&fxBase::_pfnClearDrivers));
    p->_sTooltip = "Clear all drivers";
    d->Add(TYPE_STRING, "Name", rvOffsetOf<fxBase>(&fxBase::_sName));
    d->Add(TYPE_FLOAT, "TimeScale", rvOffsetOf<fxBase>(&fxBase::_fTimeScale));
    d->Add(TYPE_TIME, "Start", rvOffsetOf<fxBase>(&fxBase::_nStart));
    d->Add(TYPE_TIME, "End", rvOffsetOf<fxBase>(&fxBase::_nEnd));
    d->Add(TYPE_FLOAT, "FadeIn", rvOffsetOf<fxBase>(&fxBase::_fFadeIn));
    d->Add(TYPE_FLOAT, "FadeOut", rvOffsetOf<fxBase>(&fxBase::_fFadeOut));
    d->Add(TYPE_BOOL, "Debug", rvOffsetOf<fxBase>(&fxBase::_bDebug));
    return d;
}

void fxBase::OnCreateKeyButton(fxBase* pEffect)
{
    for (NoneDriver* pDriver : pEffect->_apAttribDrivers)
    {
        if (pDriver->_eType != NoneDriver::DRIVER_KEYFRAME) continue;
        if (KeyFrameDriver* pKeys = dynamic_cast<KeyFrameDriver*>(pDriver)) pKeys->AddKeyAtCurrentTime();
    }
}

void fxBase::OnReInitButton(fxBase* pEffect)
{
    pEffect->_bReInit = true;
}

void fxBase::OnClearDriversButton(fxBase* pEffect)
{
    pEffect->ClearDrivers();
}
