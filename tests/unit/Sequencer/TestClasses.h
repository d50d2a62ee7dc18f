#pragma once
// Registers every effect class, then the probe, for the timeline tests that load ".seq" files.
#include "Factory/Factory.h"
#include "ProbeEffect.h"
#include "effects/fxSequence/fxSequence.h"

inline void RegisterTestClasses()
{
    static bool s_bDone = false;
    if (s_bDone) return;
    s_bDone = true;
    if (!Factory::_pInstance) new Factory();
    Factory::_pInstance->RegisterAll();
    Factory::_pInstance->Register(fxProbe::GetDescriptor());
}

inline std::string ProbeJson(const std::string& name, int start, int end)
{
    return "{ \"Class\" : \"fxProbe\", \"Properties\" : { \"Name\" : \"" + name +
           "\", \"Start\" : " + std::to_string(start) + ", \"End\" : " + std::to_string(end) + " } }";
}

inline std::string NestedJson(const std::string& name, const std::string& file, int start, int end)
{
    return "{ \"Class\" : \"fxSequence\", \"Properties\" : { \"Name\" : \"" + name +
           "\", \"Sequence File\" : \"" + file + "\", \"Start\" : " + std::to_string(start) +
           ", \"End\" : " + std::to_string(end) + " } }";
}

inline std::string SeqJson(const std::vector<std::string>& items, const char* eol = "\n")
{
    std::string s = std::string("{") + eol + "\"Items\" : [" + eol;
    for (size_t i = 0; i < items.size(); ++i)
        s += items[i] + (i + 1 < items.size() ? "," : "") + eol;
    return s + "]" + eol + "}" + eol;
}
