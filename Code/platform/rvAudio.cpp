#include "rvAudio.h"
#include "rvAudioSDL.h"

namespace
{
rvAudio* g_pInstalled = nullptr;
}

rvAudio& rvAudio::Get()
{
    if (g_pInstalled) return *g_pInstalled;
    // Made on first use and kept until the process ends; its destructor closes the devices.
    static rvAudioSDL s_audio;
    return s_audio;
}

void rvAudio::Set(rvAudio* pAudio)
{
    g_pInstalled = pAudio;
}
