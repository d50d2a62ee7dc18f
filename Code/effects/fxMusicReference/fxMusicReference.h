#pragma once
// Music for editing one part of the demo on its own: the effect looks the part up in the
// full-demo timeline and plays the full demo's music from the point where the part begins.
#include "effects/fxMusic/fxMusic.h"

#include <string>
#include <vector>

class fxMusicReference : public fxMusic
{
public:
    explicit fxMusicReference(fxDescriptor* pDescriptor);

    void Init() override;
    void Render() override;

    // Class name "fxMusicReference", parent fxMusic. Its one attribute of its own, "Sequence
    // File", is added by its row in Code/effects/EffectRegistry.cpp.
    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);

    // In the effects of a full-demo timeline, the part: the first "fxSequence" whose "Sequence
    // File" is sPartFile (byte for byte), and its music: the first "fxMusic" whose window
    // overlaps the part's. Takes over the music's file and tempo settings and sets the start
    // offset. False, changing nothing, when either is missing.
    bool TakeOverFrom(const std::vector<fxBase*>& apDemoEffects, const std::string& sPartFile);

    std::string _sSequenceFile = "Data/seq/_DemoFull_.seq";
    float _fPrevStart = 0.0f; // Start / 60 as seen at the last Init or Render
};
