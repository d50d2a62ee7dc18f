#pragma once
// The registry of every effect class's descriptor, in a fixed order: a descriptor's
// position is the class's id. Also the JSON form of one effect ("Class" and "Properties")
// and the ".fx" preset files.
#include <cstdint>
#include <json/json.h>
#include <string>
#include <vector>

class fxBase;
class fxDescriptor;

// Timeline colours (ImGui packing: alpha in the top byte, then blue, green, red). An effect
// of class id i is drawn in TIMELINE_COLORS[i % 24].
constexpr int TIMELINE_COLOR_COUNT = 24;
extern const uint32_t TIMELINE_COLORS[TIMELINE_COLOR_COUNT];

// One row of the table of effect classes: the class name and the function that returns its
// descriptor with its attributes (null: the class is not part of the program yet; its row
// keeps the id with a descriptor that cannot create effects).
struct fxRegistrationRow
{
    const char* pszClassName;
    fxDescriptor* (*pfnRegister)();
};

struct fxRegistrationTable
{
    const fxRegistrationRow* pRows;
    int nCount;
};

// The table of effect classes in their fixed order (the row number is the class id). It lives
// with the effects, in Code/effects/EffectRegistry.cpp; RegisterAll reads it.
const fxRegistrationTable& EffectRegistrationTable();

class Factory
{
public:
    // One instance per process (asserted); it becomes _pInstance.
    Factory();

    // Sets the descriptor's id to the current list size, appends it, returns the id.
    int Register(fxDescriptor* pDescriptor);
    // Registers every class of the table of effect classes (EffectRegistrationTable) in its
    // order: the row number is the class id. A row without a registration function keeps its
    // class's id with a descriptor that cannot create effects. Only the first call registers.
    void RegisterAll();

    // A new effect of class id, or null (id out of range, class not available).
    fxBase* CreateEffect(int nId) const;
    // The first descriptor whose class name equals the name exactly, or null.
    fxDescriptor* FindDescriptor(const std::string& sClassName) const;
    int GetCount() const { return int(_apDescriptors.size()); }
    fxDescriptor* GetDescriptor(int nId) const;

    // Effect JSON. From JSON: null when the class is unknown or cannot be created; the
    // effect is returned in State_DemoStoped and belongs to the caller.
    static fxBase* EffectFromJson(const Json::Value& json);
    static bool EffectToJson(fxBase* pEffect, Json::Value& json);
    // ".fx" presets on the disk.
    static fxBase* LoadPreset(const std::string& sPath);
    static bool SavePreset(fxBase* pEffect, const std::string& sPath);

    // TIMELINE_COLORS[nId mod 24], the colour of an effect of class id nId on the timeline.
    static uint32_t TimelineColor(int nId);

    std::vector<fxDescriptor*> _apDescriptors;
    static Factory* _pInstance;
};
