#pragma once
// Plays a whole timeline file inside another timeline: one bar on the outer timeline runs a
// nested rvSequence (no editor) with its own effects, states and time, advanced by the outer
// effect's frame delta.
#include "Factory/fxBase.h"
#include "Sequencer/rvSequence.h"

#include <string>

class fxSequence : public fxBase
{
public:
    explicit fxSequence(fxDescriptor* pDescriptor);
    ~fxSequence() override;

    void Init() override;
    void Kill() override;
    void OnEffectStart() override;
    void OnEffectStop() override;
    void Render() override;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    // "Sync Duration": End = Start + the nested timeline's last frame.
    static void SyncDuration(fxBase* pEffect);

    std::string _sSequenceFile = "Data/seq/";
    float _fTimeSeek = 0.f; // seconds into the nested timeline at which it starts
    rvSequence _Sequence{false};
    void (*_pfnSyncDuration)(fxBase*) = &fxSequence::SyncDuration;
};
