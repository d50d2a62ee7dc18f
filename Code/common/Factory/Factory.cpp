#include "Factory/Factory.h"
#include "rvMessage.h"

#include "Factory/AttribDesc.h"
#include "Factory/Drivers/NoneDriver.h"
#include "Factory/fxBase.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvJson.h"
#include "rvAssert.h"

#include <fstream>

Factory* Factory::_pInstance = nullptr;

#define TIMELINE_RGB(r, g, b) (0xFF000000u | (uint32_t(b) << 16) | (uint32_t(g) << 8) | uint32_t(r))
const uint32_t TIMELINE_COLORS[TIMELINE_COLOR_COUNT] = {
    TIMELINE_RGB(214, 160, 144), TIMELINE_RGB(254, 59, 30),   TIMELINE_RGB(161, 44, 50),
    TIMELINE_RGB(250, 47, 122),  TIMELINE_RGB(230, 28, 247),  TIMELINE_RGB(153, 47, 124),
    TIMELINE_RGB(79, 2, 236),    TIMELINE_RGB(45, 105, 203),  TIMELINE_RGB(0, 166, 238),
    TIMELINE_RGB(8, 162, 154),   TIMELINE_RGB(42, 102, 106),  TIMELINE_RGB(74, 73, 87),
    TIMELINE_RGB(142, 123, 164), TIMELINE_RGB(183, 192, 255), TIMELINE_RGB(130, 124, 112),
    TIMELINE_RGB(90, 59, 28),    TIMELINE_RGB(174, 101, 7),   TIMELINE_RGB(247, 170, 48),
    TIMELINE_RGB(244, 234, 92),  TIMELINE_RGB(155, 149, 0),   TIMELINE_RGB(86, 98, 4),
    TIMELINE_RGB(17, 150, 59),   TIMELINE_RGB(81, 225, 19),   TIMELINE_RGB(8, 253, 204),
};
#undef TIMELINE_RGB

Factory::Factory()
{
    rvAssert(_pInstance == nullptr);
    _pInstance = this;
}

int Factory::Register(fxDescriptor* pDescriptor)
{
    pDescriptor->_nId = int(_apDescriptors.size());
    _apDescriptors.push_back(pDescriptor);
    return pDescriptor->_nId;
}

fxDescriptor* Factory::GetDescriptor(int nId) const
{
    if (nId < 0 || nId >= int(_apDescriptors.size())) return nullptr;
    return _apDescriptors[nId];
}

fxBase* Factory::CreateEffect(int nId) const
{
    fxDescriptor* pDescriptor = GetDescriptor(nId);
    if (!pDescriptor || !pDescriptor->_pfnCreate) return nullptr;
    return pDescriptor->_pfnCreate(pDescriptor);
}

fxDescriptor* Factory::FindDescriptor(const std::string& sClassName) const
{
    for (fxDescriptor* pDescriptor : _apDescriptors)
    {
        if (pDescriptor->_sClassName == sClassName) return pDescriptor;
    }
    return nullptr;
}

uint32_t Factory::TimelineColor(int nId)
{
    const int i = nId % TIMELINE_COLOR_COUNT;
    return TIMELINE_COLORS[i < 0 ? i + TIMELINE_COLOR_COUNT : i];
}

fxBase* Factory::EffectFromJson(const Json::Value& json)
{
    if (!_pInstance) return nullptr;
    std::string sClassName;
    rvJson::ReadString(rvJson::Member(json, "Class"), &sClassName);
    fxDescriptor* pDescriptor = _pInstance->FindDescriptor(sClassName);
    if (!pDescriptor || !pDescriptor->_pfnCreate) return nullptr;
    fxBase* pEffect = pDescriptor->_pfnCreate(pDescriptor);
    if (!pEffect) return nullptr;
    const Json::Value& properties = rvJson::Member(json, "Properties");
    pEffect->LoadValues(properties);
    pEffect->LoadDrivers(properties);
    return pEffect;
}

bool Factory::EffectToJson(fxBase* pEffect, Json::Value& json)
{
    json["Class"] = pEffect->_pDescriptor->_sClassName;
    Json::Value& properties = json["Properties"];
    properties = Json::Value(Json::objectValue);
    // The class's own attributes first, then its parent's: a name that a derived class
    // shares with a base class ends up with the base attribute's value, which is the one
    // that reading finds.
    for (fxDescriptor* pLevel = pEffect->_pDescriptor; pLevel; pLevel = pLevel->_pParent)
    {
        for (AttribDesc* pAttrib : pLevel->_apAttribs)
            fxBase::SaveValue(pEffect, properties, pAttrib);
    }
    if (!pEffect->_apAttribDrivers.empty())
    {
        Json::Value& drivers = properties["_apAttribDrivers"];
        drivers = Json::Value(Json::arrayValue);
        for (NoneDriver* pDriver : pEffect->_apAttribDrivers)
        {
            Json::Value element(Json::objectValue);
            pDriver->Save(element);
            drivers.append(element);
        }
    }
    return true;
}

fxBase* Factory::LoadPreset(const std::string& sPath)
{
    std::ifstream in(sPath);
    if (!in.is_open()) return nullptr;
    // The whole document or nothing: a cut file must not make a half-loaded effect.
    Json::Value root;
    if (!rvJson::Parse(in, &root))
    {
        rvReport(rvMessageKind::Error, "preset \"%s\" is not a whole JSON document\n", sPath.c_str());
        return nullptr;
    }
    return EffectFromJson(root);
}

bool Factory::SavePreset(fxBase* pEffect, const std::string& sPath)
{
    Json::Value root(Json::objectValue);
    EffectToJson(pEffect, root);
    return rvJson::SaveFile(sPath, root);
}
