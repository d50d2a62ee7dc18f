#pragma once
// A registered Factory shared by the framework tests, and a recording effect.
#include "Factory/AttribDesc.h"
#include "Factory/Factory.h"
#include "Factory/fxBase.h"
#include "Factory/fxDescriptor.h"
#include "rvMath.h"

#include <string>
#include <vector>

namespace rvTest
{
// The process's Factory with every class registered, plus fxRecorder (created once).
Factory* TheFactory();

// An effect that records its lifecycle calls and carries one attribute of each drivable
// kind and a few composite ones.
class fxRecorder : public fxBase
{
public:
    explicit fxRecorder(fxDescriptor* d) : fxBase(d) {}
    ~fxRecorder() override
    {
        if (_eState != State_DemoStoped) SetState(State_DemoStoped);
    }
    void Init() override { _log.push_back("Init"); }
    void Kill() override { _log.push_back("Kill"); }
    void OnSequenceStart() override { _log.push_back("OnSequenceStart"); }
    void OnSequenceStop() override { _log.push_back("OnSequenceStop"); }
    void OnEffectStart() override
    {
        _log.push_back("OnEffectStart");
        _fSpeedAtStart = _fSpeed;
        _fTimeAtStart = _fTime;
    }
    void OnEffectStop() override { _log.push_back("OnEffectStop"); }
    void Render() override
    {
        _log.push_back("Render");
        _pRenderedAs = _pCurrentEffect;
    }
    void Seek(float fDelta, float fNewTime, float fRequested) override
    {
        _log.push_back("Seek");
        _aSeek = {fDelta, fNewTime, fRequested};
    }

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* d) { return new fxRecorder(d); }
    static fxDescriptor* RegisterAttributes();

    std::vector<std::string> _log;
    std::vector<float> _aSeek;
    fxBase* _pRenderedAs = nullptr;
    float _fSpeedAtStart = -1, _fTimeAtStart = -1;

    float _fSpeed = 0.5f;
    int _nCount = 3;
    bool _bOn = false;
    int _eMode = 0;
    float _aColor[3] = {1, 0.5f, 0.25f};
    rvTransform3D _Transform;
    std::string _sFile = "a.svg";
    float _fFadeIn = 7.0f; // same name as a base attribute ("FadeIn")
};

fxRecorder* NewRecorder();
} // namespace rvTest
