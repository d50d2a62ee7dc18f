#include "effects/fxSequence/fxSequence.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "rvMessage.h"

#include <algorithm>

fxSequence::fxSequence(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

fxSequence::~fxSequence() = default;

void fxSequence::Init()
{
    _Sequence._pParentEffect = this;
    // A timeline that would include itself, directly or through other nested timelines, is
    // refused: it would load itself forever. The nested timeline then stays empty.
    if (_pSequence && _pSequence->IncludesFile(_sSequenceFile))
    {
        rvReport(rvMessageKind::Warning,
                 "fxSequence \"%s\": timeline \"%s\" would include itself; not loaded", _sName.c_str(),
                 _sSequenceFile.c_str());
        return;
    }
    _Sequence.LoadSequence(_sSequenceFile, true);
}

void fxSequence::Kill()
{
    _Sequence.Clear();
}

void fxSequence::OnEffectStart()
{
    _Sequence._fTime = 0.f;
    _Sequence._bPlaying = true;
    for (fxBase* fx : _Sequence._apEffects)
        fx->SetState(State_SequenceStarted);
    if (_fTimeSeek > 0.f) _Sequence._fTime = std::min(_fTimeSeek, _Sequence.LastFrame() / 60.0f);
}

void fxSequence::OnEffectStop()
{
    _Sequence._bPlaying = false;
    for (fxBase* fx : _Sequence._apEffects)
        fx->SetState(State_DemoStarted);
}

void fxSequence::Render()
{
    _Sequence.Update(_fDeltaTime);
}

void fxSequence::SyncDuration(fxBase* pEffect)
{
    fxSequence* self = static_cast<fxSequence*>(pEffect);
    // Within the frames a time may hold (the sum of two stored times is no int past them).
    const long long nEnd = (long long)self->_nStart + self->_Sequence.LastFrame();
    self->_nEnd = int(std::min(std::max(nEnd, -(long long)kMaxFrame), (long long)kMaxFrame));
}

fxDescriptor* fxSequence::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxSequence", &fxSequence::Create);
    return s_pDescriptor;
}

fxBase* fxSequence::Create(fxDescriptor* pDescriptor)
{
    return new fxSequence(pDescriptor);
}

fxDescriptor* fxSequence::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    AttribDesc* file =
        d->Add(TYPE_FILE, "Sequence File", rvOffsetOf<fxSequence>(&fxSequence::_sSequenceFile));
    file->_sFilter = ".seq";
    d->Add(TYPE_BUTTON, "Sync Duration", rvOffsetOf<fxSequence>(&fxSequence::_pfnSyncDuration));
    d->Add(TYPE_FLOAT, "Time Seek", rvOffsetOf<fxSequence>(&fxSequence::_fTimeSeek));
    return d;
}
