#include "effects/fxMusicReference/fxMusicReference.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Sequencer/rvSequence.h"

#include <algorithm>

fxMusicReference::fxMusicReference(fxDescriptor* pDescriptor) : fxMusic(pDescriptor) {}

bool fxMusicReference::TakeOverFrom(const std::vector<fxBase*>& apDemoEffects, const std::string& sPartFile)
{
    fxBase* pPart = nullptr;
    for (fxBase* pEffect : apDemoEffects)
    {
        if (!pEffect || pEffect->_pDescriptor->_sClassName != "fxSequence") continue;
        AttribDesc* pFile = pEffect->_pDescriptor->FindAttrib("Sequence File");
        if (pFile && pFile->IsString() && pFile->GetString(pEffect) == sPartFile)
        {
            pPart = pEffect;
            break;
        }
    }
    if (!pPart) return false;

    fxMusic* pMusic = nullptr;
    for (fxBase* pEffect : apDemoEffects)
    {
        // The class name is exactly "fxMusic", so the object is one.
        if (pEffect && pEffect->_pDescriptor->_sClassName == "fxMusic" && pEffect->_nEnd > pPart->_nStart &&
            pEffect->_nStart < pPart->_nEnd)
        {
            pMusic = static_cast<fxMusic*>(pEffect);
            break;
        }
    }
    if (!pMusic) return false;

    _fTempoBpm = pMusic->_fTempoBpm;
    _fTempoShift = pMusic->_fTempoShift;
    _nTempoMesures = pMusic->_nTempoMesures;
    _sFile = pMusic->_sFile;
    _fStartOffset = std::max(0.0f, float(pPart->_nStart) / 60.0f - float(pMusic->_nStart) / 60.0f);
    _fPrevStart = float(_nStart) / 60.0f;
    return true;
}

void fxMusicReference::Init()
{
    // Only in a main timeline: a part nested in another timeline already has the music there.
    if (!_pSequence || _pSequence->_pParentEffect) return;
    rvSequence demo(false);
    if (demo.LoadSequence(_sSequenceFile, false) && TakeOverFrom(demo._apEffects, _pSequence->_sFile)) Open();
    demo.Clear();
}

void fxMusicReference::Render()
{
    // Moving the effect on the timeline shifts the offset by as much: the music stays tied to
    // the timeline's absolute time.
    const float fStart = float(_nStart) / 60.0f;
    _fStartOffset += fStart - _fPrevStart;
    _fPrevStart = fStart;
    fxMusic::Render();
}

fxDescriptor* fxMusicReference::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxMusic::GetDescriptor(), "fxMusicReference", &fxMusicReference::Create);
    return s_pDescriptor;
}

fxBase* fxMusicReference::Create(fxDescriptor* pDescriptor)
{
    return new fxMusicReference(pDescriptor);
}
