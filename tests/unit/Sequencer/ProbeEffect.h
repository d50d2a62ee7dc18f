#pragma once
// A test effect that records its lifecycle calls and the local time it rendered at.
#include "Factory/fxBase.h"
#include "Factory/fxDescriptor.h"

#include <string>
#include <vector>

class fxProbe : public fxBase
{
public:
    explicit fxProbe(fxDescriptor* d) : fxBase(d) {}
    ~fxProbe() override
    {
        if (_pDeleted) ++*_pDeleted;
    }
    void Init() override { _asLog.push_back("Init"); }
    void Kill() override { _asLog.push_back("Kill"); }
    void OnSequenceStart() override { _asLog.push_back("SeqStart"); }
    void OnSequenceStop() override { _asLog.push_back("SeqStop"); }
    void OnEffectStart() override { _asLog.push_back("FxStart"); }
    void OnEffectStop() override { _asLog.push_back("FxStop"); }
    void Render() override
    {
        ++_nRenders;
        _fRenderedAt = _fTime;
    }
    void Seek(float /*delta*/, float newTime, float /*requested*/) override { _afSeeks.push_back(newTime); }

    static fxDescriptor* GetDescriptor()
    {
        static fxDescriptor* d = new fxDescriptor(fxBase::GetDescriptor(), "fxProbe", &fxProbe::Create);
        return d;
    }
    static fxBase* Create(fxDescriptor* d) { return new fxProbe(d); }

    // A probe in State_DemoStarted, as a timeline load with reset leaves it.
    static fxProbe* Make(int start, int end, const std::string& name = "probe")
    {
        fxProbe* p = static_cast<fxProbe*>(Create(GetDescriptor()));
        p->_nStart = start;
        p->_nEnd = end;
        p->_sName = name;
        return p;
    }

    int Count(const std::string& what) const
    {
        int n = 0;
        for (const std::string& s : _asLog)
            n += s == what;
        return n;
    }

    std::vector<std::string> _asLog;
    std::vector<float> _afSeeks;
    int _nRenders = 0;
    float _fRenderedAt = -1.f;
    int* _pDeleted = nullptr;
};
