#include "Factory/Factory.h"

#include "Factory/AttribDesc.h"
#include "Factory/Drivers/NoneDriver.h"
#include "Factory/fxBase.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvJson.h"
#include "rvAssert.h"

#include <fstream>

// Effect class headers, one per registered class, as the classes become part of the program.
#include "effects/fxAnimation/fxAnimation.h"
#include "effects/fxBackGrid/fxBackGrid.h"
#include "effects/fxBufferDefault/fxBufferDefault.h"
#include "effects/fxBufferDisplay/fxBufferDisplay.h"
#include "effects/fxCamera/fxCamera.h"
#include "effects/fxCircle/fxCircle.h"
#include "effects/fxDemoGlobalParams/fxDemoGlobalParams.h"
#include "effects/fxDepthLine/fxDepthLine.h"
#include "effects/fxECG/fxECG.h"
#include "effects/fxExtruder/fxExtruder.h"
#include "effects/fxGLTFLoader/fxGLTFLoader.h"
#include "effects/fxHorizonBorealis/fxHorizonBorealis.h"
#include "effects/fxImage/fxImage.h"
#include "effects/fxJoyDivision/fxJoyDivision.h"
#include "effects/fxLorenz/fxLorenz.h"
#include "effects/fxMusic/fxMusic.h"
#include "effects/fxMusicReference/fxMusicReference.h"
#include "effects/fxObjLoader/fxObjLoader.h"
#include "effects/fxSequence/fxSequence.h"
#include "effects/fxStarField/fxStarField.h"
#include "effects/fxStencilTest/fxStencilTest.h"
#include "effects/fxVectorDisplay/fxVectorDisplay.h"

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

namespace
{
// Descriptor of a class whose attributes Factory::RegisterAll supplies itself: created once
// (thread-safe one-time initialisation through the caller's function-local static), parent
// fxBase, no attributes.
fxDescriptor* MadeHere(const char* pszClassName, fxCreateFn pfnCreate)
{
    return new fxDescriptor(fxBase::GetDescriptor(), pszClassName, pfnCreate);
}

// Registration functions of the classes whose descriptor Factory::RegisterAll makes or
// completes itself. Each fills in when its class becomes part of the program; until then
// the row keeps a descriptor without a create function.
//
// fxLiveSpec, fxBasicShader2d, fxBasicShader3d, fxDepthLine: descriptor made here with the
// class's create function, no attributes, e.g.
//   static fxDescriptor* s = MadeHere("fxLiveSpec", &fxLiveSpec::Create); return s;
// fxMusicReference: fxMusicReference::GetDescriptor(); while its list is empty, first
//   "Sequence File" (TYPE_FILE, filter ".seq") on its sequence-path member.
// fxGLTFLoader: fxGLTFLoader::GetDescriptor(); "GLTF" (TYPE_FILE, filter ".glb") on its
//   model path.
// fxStencilTest: fxStencilTest::GetDescriptor(); "Scale" (TYPE_FLOAT, range 0.1 to 2.0),
//   then "Color" (TYPE_COLOR3).
// (These appends happen only while the class's own list is empty.)
fxDescriptor* RegisterMusicReference()
{
    fxDescriptor* d = fxMusicReference::GetDescriptor();
    if (d->_apAttribs.empty())
        d->Add(TYPE_FILE, "Sequence File", rvOffsetOf<fxMusicReference>(&fxMusicReference::_sSequenceFile))
            ->_sFilter = ".seq";
    return d;
}

fxDescriptor* RegisterDepthLine()
{
    static fxDescriptor* s = MadeHere("fxDepthLine", &fxDepthLine::Create);
    return s;
}

fxDescriptor* RegisterGLTFLoader()
{
    fxDescriptor* d = fxGLTFLoader::GetDescriptor();
    if (d->_apAttribs.empty())
        d->Add(TYPE_FILE, "GLTF", rvOffsetOf<fxGLTFLoader>(&fxGLTFLoader::_sFile))->_sFilter = ".glb";
    return d;
}

fxDescriptor* RegisterStencilTest()
{
    fxDescriptor* d = fxStencilTest::GetDescriptor();
    if (d->_apAttribs.empty())
    {
        d->Add(TYPE_FLOAT, "Scale", rvOffsetOf<fxStencilTest>(&fxStencilTest::_fScale))->SetRange(0.1f, 2.0f);
        d->Add(TYPE_COLOR3, "Color", rvOffsetOf<fxStencilTest>(&fxStencilTest::_vColor));
    }
    return d;
}

struct RegistrationRow
{
    const char* pszClassName;
    // Returns the class's descriptor with its attributes; null = class not available yet.
    fxDescriptor* (*pfnRegister)();
};

// The fixed registration order: the row number is the class id. One row per class; a
// class becoming available replaces its null with its registration function
// (<Class>::RegisterAttributes, or a function above).
const RegistrationRow s_aRegistrationTable[] = {
    /*  0 */ {"fxBase", &fxBase::RegisterAttributes},
    /*  1 */ {"fxCircle", &fxCircle::RegisterAttributes},
    /*  2 */ {"fxText", nullptr},
    /*  3 */ {"fxFractal", nullptr},
    /*  4 */ {"fxJellyFish", nullptr},
    /*  5 */ {"fxSwarm", nullptr},
    /*  6 */ {"fxLinePath", nullptr},
    /*  7 */ {"fxParticleEmitter", nullptr},
    /*  8 */ {"fxMetaBallSystem", nullptr},
    /*  9 */ {"fxSequence", &fxSequence::RegisterAttributes},
    /* 10 */ {"fxSVG", nullptr},
    /* 11 */ {"fxSea", nullptr},
    /* 12 */ {"fxAsteroid", nullptr},
    /* 13 */ {"rvCardoid", nullptr},
    /* 14 */ {"nanoSVGScene", nullptr},
    /* 15 */ {"fxMorph", nullptr},
    /* 16 */ {"rvEyesUniverse", nullptr},
    /* 17 */ {"fxMusic", &fxMusic::RegisterAttributes},
    /* 18 */ {"fxLorenz", &fxLorenz::RegisterAttributes},
    /* 19 */ {"fxBBC", nullptr},
    /* 20 */ {"fxMantaRay", nullptr},
    /* 21 */ {"fxLiveSpec", nullptr},      // descriptor made here
    /* 22 */ {"fxBasicShader2d", nullptr}, // descriptor made here
    /* 23 */ {"fxBasicShader3d", nullptr}, // descriptor made here
    /* 24 */ {"fxBasicScene", nullptr},
    /* 25 */ {"fxAmbientParticles", nullptr},
    /* 26 */ {"fxTunnelPattern3d", nullptr},
    /* 27 */ {"fxBackCircuit", nullptr},
    /* 28 */ {"fxBackGrid", &fxBackGrid::RegisterAttributes},
    /* 29 */ {"fxImage", &fxImage::RegisterAttributes},
    /* 30 */ {"fxVectorDisplay", &fxVectorDisplay::RegisterAttributes},
    /* 31 */ {"fxPostVHS", nullptr},
    /* 32 */ {"fxPostDistortion", nullptr},
    /* 33 */ {"fxBootSequence", nullptr},
    /* 34 */ {"fxBootText", nullptr},
    /* 35 */ {"fxBufferDisplay", &fxBufferDisplay::RegisterAttributes},
    /* 36 */ {"fxBufferDefault", &fxBufferDefault::RegisterAttributes},
    /* 37 */ {"fxJoyDivision", &fxJoyDivision::RegisterAttributes},
    /* 38 */ {"fxStarField", &fxStarField::RegisterAttributes},
    /* 39 */ {"fxDemoGlobalParams", &fxDemoGlobalParams::RegisterAttributes},
    /* 40 */ {"fxMusicReference", &RegisterMusicReference}, // GetDescriptor + "Sequence File"
    /* 41 */ {"fxCamera", &fxCamera::RegisterAttributes},
    /* 42 */ {"fxOcean", nullptr},
    /* 43 */ {"fxHorizonBorealis", &fxHorizonBorealis::RegisterAttributes},
    /* 44 */ {"fxTextNeon", nullptr},
    /* 45 */ {"fxObjVectrex", nullptr},
    /* 46 */ {"fxObjVectrexCard", nullptr},
    /* 47 */ {"fxObjArrow", nullptr},
    /* 48 */ {"fxAnimation", &fxAnimation::RegisterAttributes},
    /* 49 */ {"fxExtruder", &fxExtruder::RegisterAttributes},
    /* 50 */ {"fxDepthLine", &RegisterDepthLine}, // descriptor made here
    /* 51 */ {"fxECG", &fxECG::RegisterAttributes},
    /* 52 */ {"fxObjLoader", &fxObjLoader::RegisterAttributes},
    /* 53 */ {"fxGLTFLoader", &RegisterGLTFLoader}, // GetDescriptor + "GLTF"
    /* 54 */ {"fxTextStash", nullptr},
    /* 55 */ {"fxStencilTest", &RegisterStencilTest}, // GetDescriptor + "Scale", "Color"
};
static_assert(sizeof(s_aRegistrationTable) / sizeof(s_aRegistrationTable[0]) == 56, "56 effect classes");

// Stand-in descriptor for a class that is not available: it keeps the class's id, name
// and colour, but has no create function, so effects of that class are skipped like
// effects of an unregistered class.
fxDescriptor* Unavailable(const char* pszClassName)
{
    return new fxDescriptor(fxBase::GetDescriptor(), pszClassName, nullptr);
}
} // namespace

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

void Factory::RegisterAll()
{
    if (!_apDescriptors.empty()) return; // runs once; a second call (tools, tests) changes nothing
    (void)&MadeHere;                     // used by rows as their classes arrive
    for (const RegistrationRow& row : s_aRegistrationTable)
    {
        fxDescriptor* pDescriptor = row.pfnRegister ? row.pfnRegister() : Unavailable(row.pszClassName);
        rvAssert(pDescriptor && pDescriptor->_sClassName == row.pszClassName);
        Register(pDescriptor);
    }
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
    Json::Value root;
    rvJson::Parse(in, &root); // whatever parsed before an error is used
    in.close();
    return EffectFromJson(root);
}

bool Factory::SavePreset(fxBase* pEffect, const std::string& sPath)
{
    std::ofstream out(sPath, std::ios::out | std::ios::trunc);
    if (!out.is_open()) return false;
    Json::Value root(Json::objectValue);
    EffectToJson(pEffect, root);
    Json::StreamWriterBuilder builder;
    std::unique_ptr<Json::StreamWriter> writer(builder.newStreamWriter());
    writer->write(root, &out);
    out.close();
    return true;
}
