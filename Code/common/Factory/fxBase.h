#pragma once
// Base class of every effect: the four-state lifecycle that the timeline drives, the
// per-frame update (local time, seek, attribute drivers, vector-scene refresh, Render), the
// effect's own attributes, its attribute drivers, and its values and drivers as JSON.
#include "Sequencer/rvTimelineClock.h"

#include <cstddef>
#include <json/json.h>
#include <string>
#include <vector>

class AttribDesc;
class fxDescriptor;
class NoneDriver;
class rvSequence;
class rvTransform;
class VectorScene;

enum EffectState
{
    State_DemoStoped = 0,      // constructed, no resources
    State_DemoStarted = 1,     // initialised: files loaded, GPU resources built
    State_SequenceStarted = 2, // the timeline runs, the time lies outside the effect's window
    State_EffectStarted = 3    // the time lies inside [Start, End): updates and renders
};

class fxBase
{
public:
    explicit fxBase(fxDescriptor* pDescriptor);
    // Effects are deleted only in State_DemoStoped (asserted).
    virtual ~fxBase();

    // Lifecycle operations, in this slot order; all do nothing here.
    virtual void Init() {}
    virtual void Kill() {}
    virtual void OnSequenceStart() {}
    virtual void OnSequenceStop() {}
    virtual void OnEffectStart() {}
    virtual void OnEffectStop() {}
    virtual void Render() {}
    virtual void Seek(float /*fDelta*/, float /*fNewTime*/, float /*fRequestedTime*/) {}
    virtual void OnAttribChanged(AttribDesc* /*pAttrib*/) {}

    // Instances are zero-filled before their constructor runs, so members a derived
    // constructor does not set start at zero.
    static void* operator new(size_t nSize);
    static void operator delete(void* p);

    // Walks one state at a time towards the target, one lifecycle operation per step.
    void SetState(int eTarget);
    // The per-frame step; only in State_SequenceStarted or State_EffectStarted.
    void Update();
    // Fade factor at the local time from FadeIn and FadeOut, never below 0.
    float GetFade() const;
    // The frame's time for an effect that integrates its own simulation: _fDeltaTime as equal
    // steps of at most rvTimelineClock::MaxFrameDelta (rvTimelineClock::SplitSimulationStep).
    // The timeline may move an effect by seconds in one frame (it follows the music): one such
    // step would break an explicit integration, and a clamped one would fall behind the music.
    rvTimelineClock::SimulationSteps SimulationSteps() const;
    // Names on stderr an attribute of this effect ("Source", "ScreenFxBuffer") whose value names no
    // effect of the right class (pszClass, or any effect when null) in its timeline. Called where
    // the name is looked up at Init, so once per load.
    void ReportNoEffectNamed(const char* pszAttrib, const std::string& sName, const char* pszClass) const;
    // The vector scene with attribute values of local time t (t < 0: scene only).
    VectorScene* EvaluateAt(float fTime);
    // Local end: (End - Start) / 60 seconds.
    float GetDuration() const { return float((double(_nEnd) - double(_nStart)) / 60.0); }

    // Drivers.
    static NoneDriver* CreateDriver(fxBase* pEffect, int eType, AttribDesc* pAttrib);
    NoneDriver* SetDriver(AttribDesc* pAttrib, int eType);
    // The first driver of the attribute, or null.
    NoneDriver* FindDriver(const AttribDesc* pAttrib) const;
    void DeleteDriver(NoneDriver* pDriver);
    void ClearDrivers();
    void ApplyDrivers();
    void ApplyDriverTypeChanges();
    static float NextKeyTime(fxBase* pEffect, bool* pbFound);
    static float PrevKeyTime(fxBase* pEffect, bool* pbFound);
    void OffsetKeys(float fDelta);

    // JSON ("Properties" object of the effect JSON).
    void LoadValues(const Json::Value& properties);
    void LoadDrivers(const Json::Value& properties);
    static void SaveValue(fxBase* pEffect, Json::Value& properties, AttribDesc* pAttrib);

    // Editor functions (inside an ImGui window): the action buttons of the descriptor and its
    // ancestors as one row (base class first; shortcut keys act while the window has focus),
    // and their property rows under one collapsing header per class, grouped by tree nodes.
    static void DrawButtons(fxBase* pEffect, fxDescriptor* pDescriptor);
    static void DrawProperties(fxBase* pEffect, fxDescriptor* pDescriptor);

    // Class registration.
    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    // Button callbacks.
    static void OnCreateKeyButton(fxBase* pEffect);
    static void OnReInitButton(fxBase* pEffect);
    static void OnClearDriversButton(fxBase* pEffect);

    fxDescriptor* _pDescriptor;
    rvSequence* _pSequence = nullptr;
    int _eState = -1;
    std::string _sName;
    int _nStart = 0;
    int _nEnd = 600;
    float _fFadeIn = 1.0f;
    float _fFadeOut = 1.0f;
    bool _bDebug = false;
    float _fDeltaTime = 0.0f;
    float _fTime = 0.0f;
    float _fTimeScale = 1.0f;
    float _fSeekTime = -1.0f;
    std::vector<NoneDriver*> _apAttribDrivers;
    bool _bReInit = false;
    void (*_pfnCreateKey)(fxBase*) = &fxBase::OnCreateKeyButton;
    void (*_pfnReInit)(fxBase*) = &fxBase::OnReInitButton;
    void (*_pfnClearDrivers)(fxBase*) = &fxBase::OnClearDriversButton;
    bool _bExpanded = false;
    float _fPendingDelta = 0.0f;
    VectorScene* _pVectorScene = nullptr;
    rvTransform* _pTransform = nullptr; // the effect's main transform; not owned

    // The effect whose Render runs, null outside Render.
    static fxBase* _pCurrentEffect;
    // Refreshes the transforms of a vector scene; set by the vector-scene module. While it
    // is null, Update and EvaluateAt leave vector scenes as they are.
    static void (*_pfnUpdateVectorScene)(VectorScene* pScene);
};
