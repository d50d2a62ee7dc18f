// The table of effect classes: one row per class, in the order that gives each its id. Adding
// an effect: docs/adding-an-effect.md.
#include "Factory/AttribDesc.h"
#include "Factory/Factory.h"
#include "Factory/fxBase.h"
#include "Factory/fxDescriptor.h"
#include "rvAssert.h"

#include <iterator>

// One header per registered class.
#include "effects/fxAmbientParticles/fxAmbientParticles.h"
#include "effects/fxAnimation/fxAnimation.h"
#include "effects/fxAsteroid/fxAsteroid.h"
#include "effects/fxBackCircuit/fxBackCircuit.h"
#include "effects/fxBackGrid/fxBackGrid.h"
#include "effects/fxBasicScene/fxBasicScene.h"
#include "effects/fxBasicShader2d/fxBasicShader2d.h"
#include "effects/fxBasicShader3d/fxBasicShader3d.h"
#include "effects/fxBBC/fxBBC.h"
#include "effects/fxBootSequence/fxBootSequence.h"
#include "effects/fxBootText/fxBootText.h"
#include "effects/fxBufferDefault/fxBufferDefault.h"
#include "effects/fxBufferDisplay/fxBufferDisplay.h"
#include "effects/fxCamera/fxCamera.h"
#include "effects/fxCircle/fxCircle.h"
#include "effects/fxDemoGlobalParams/fxDemoGlobalParams.h"
#include "effects/fxDepthLine/fxDepthLine.h"
#include "effects/fxECG/fxECG.h"
#include "effects/fxExtruder/fxExtruder.h"
#include "effects/fxFractal/fxFractal.h"
#include "effects/fxGLTFLoader/fxGLTFLoader.h"
#include "effects/fxHorizonBorealis/fxHorizonBorealis.h"
#include "effects/fxImage/fxImage.h"
#include "effects/fxJellyFish/fxJellyFish.h"
#include "effects/fxJoyDivision/fxJoyDivision.h"
#include "effects/fxLinePath/fxLinePath.h"
#include "effects/fxLiveSpec/fxLiveSpec.h"
#include "effects/fxLorenz/fxLorenz.h"
#include "effects/fxMantaRay/fxMantaRay.h"
#include "effects/fxMetaBallSystem/fxMetaBallSystem.h"
#include "effects/fxMorph/fxMorph.h"
#include "effects/fxMusic/fxMusic.h"
#include "effects/fxMusicReference/fxMusicReference.h"
#include "effects/fxObjArrow/fxObjArrow.h"
#include "effects/fxObjLoader/fxObjLoader.h"
#include "effects/fxObjVectrex/fxObjVectrex.h"
#include "effects/fxObjVectrexCard/fxObjVectrexCard.h"
#include "effects/fxOcean/fxOcean.h"
#include "effects/fxParticleEmitter/fxParticleEmitter.h"
#include "effects/fxPostDistortion/fxPostDistortion.h"
#include "effects/fxPostVHS/fxPostVHS.h"
#include "effects/fxSea/fxSea.h"
#include "effects/fxSequence/fxSequence.h"
#include "effects/fxStarField/fxStarField.h"
#include "effects/fxSVG/fxSVG.h"
#include "effects/fxStencilTest/fxStencilTest.h"
#include "effects/fxSwarm/fxSwarm.h"
#include "effects/fxText/fxText.h"
#include "effects/fxTextNeon/fxTextNeon.h"
#include "effects/fxTextStash/fxTextStash.h"
#include "effects/fxTunnelPattern3d/fxTunnelPattern3d.h"
#include "effects/fxVectorDisplay/fxVectorDisplay.h"
#include "effects/nanoSVGScene/nanoSVGScene.h"
#include "effects/rvCardoid/rvCardoid.h"
#include "effects/rvEyesUniverse/rvEyesUniverse.h"

namespace
{
// Registration functions of the classes whose descriptor this file makes or completes
// itself. Each fills in when its class becomes part of the program; until then the row keeps
// a descriptor without a create function.
//
// fxLiveSpec, fxBasicShader2d, fxBasicShader3d, fxDepthLine: a descriptor made here once
// (function-local static), parent fxBase, the class's create function, no attributes, e.g.
//   static fxDescriptor* s = new fxDescriptor(fxBase::GetDescriptor(), "fxLiveSpec", &fxLiveSpec::Create);
// fxMusicReference: fxMusicReference::GetDescriptor(); while its list is empty, first
//   "Sequence File" (TYPE_FILE, filter ".seq") on its sequence-path member.
// fxGLTFLoader: fxGLTFLoader::GetDescriptor(); "GLTF" (TYPE_FILE, filter ".glb") on its
//   model path.
// fxStencilTest: fxStencilTest::GetDescriptor(); "Scale" (TYPE_FLOAT, range 0.1 to 2.0),
//   then "Color" (TYPE_COLOR3).
// (These appends happen only while the class's own list is empty.)
fxDescriptor* RegisterBasicShader2d()
{
    static fxDescriptor* s = new fxDescriptor(fxBase::GetDescriptor(), "fxBasicShader2d", &fxBasicShader2d::Create);
    return s;
}
fxDescriptor* RegisterBasicShader3d()
{
    static fxDescriptor* s = new fxDescriptor(fxBase::GetDescriptor(), "fxBasicShader3d", &fxBasicShader3d::Create);
    return s;
}
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
    static fxDescriptor* s = new fxDescriptor(fxBase::GetDescriptor(), "fxDepthLine", &fxDepthLine::Create);
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

fxDescriptor* RegisterLiveSpec()
{
    static fxDescriptor* s = new fxDescriptor(fxBase::GetDescriptor(), "fxLiveSpec", &fxLiveSpec::Create);
    return s;
}

// The fixed registration order: the row number is the class id, so rows are never reordered or
// removed; a new class gets a new row at the end, with its registration function
// (<Class>::RegisterAttributes, or a function above). The table's length is the class count.
const fxRegistrationRow s_aRegistrationTable[] = {
    /*  0 */ {"fxBase", &fxBase::RegisterAttributes},
    /*  1 */ {"fxCircle", &fxCircle::RegisterAttributes},
    /*  2 */ {"fxText", &fxText::RegisterAttributes},
    /*  3 */ {"fxFractal", &fxFractal::RegisterAttributes},
    /*  4 */ {"fxJellyFish", &fxJellyFish::RegisterAttributes},
    /*  5 */ {"fxSwarm", &fxSwarm::RegisterAttributes},
    /*  6 */ {"fxLinePath", &fxLinePath::RegisterAttributes},
    /*  7 */ {"fxParticleEmitter", &fxParticleEmitter::RegisterAttributes},
    /*  8 */ {"fxMetaBallSystem", &fxMetaBallSystem::RegisterAttributes},
    /*  9 */ {"fxSequence", &fxSequence::RegisterAttributes},
    /* 10 */ {"fxSVG", &fxSVG::RegisterAttributes},
    /* 11 */ {"fxSea", &fxSea::RegisterAttributes},
    /* 12 */ {"fxAsteroid", &fxAsteroid::RegisterAttributes},
    /* 13 */ {"rvCardoid", &rvCardoid::RegisterAttributes},
    /* 14 */ {"nanoSVGScene", &nanoSVGScene::RegisterAttributes},
    /* 15 */ {"fxMorph", &fxMorph::RegisterAttributes},
    /* 16 */ {"rvEyesUniverse", &rvEyesUniverse::RegisterAttributes},
    /* 17 */ {"fxMusic", &fxMusic::RegisterAttributes},
    /* 18 */ {"fxLorenz", &fxLorenz::RegisterAttributes},
    /* 19 */ {"fxBBC", &fxBBC::RegisterAttributes},
    /* 20 */ {"fxMantaRay", &fxMantaRay::RegisterAttributes},
    /* 21 */ {"fxLiveSpec", &RegisterLiveSpec},      // descriptor made here
    /* 22 */ {"fxBasicShader2d", &RegisterBasicShader2d}, // descriptor made here
    /* 23 */ {"fxBasicShader3d", &RegisterBasicShader3d}, // descriptor made here
    /* 24 */ {"fxBasicScene", &fxBasicScene::RegisterAttributes},
    /* 25 */ {"fxAmbientParticles", &fxAmbientParticles::RegisterAttributes},
    /* 26 */ {"fxTunnelPattern3d", &fxTunnelPattern3d::RegisterAttributes},
    /* 27 */ {"fxBackCircuit", &fxBackCircuit::RegisterAttributes},
    /* 28 */ {"fxBackGrid", &fxBackGrid::RegisterAttributes},
    /* 29 */ {"fxImage", &fxImage::RegisterAttributes},
    /* 30 */ {"fxVectorDisplay", &fxVectorDisplay::RegisterAttributes},
    /* 31 */ {"fxPostVHS", &fxPostVHS::RegisterAttributes},
    /* 32 */ {"fxPostDistortion", &fxPostDistortion::RegisterAttributes},
    /* 33 */ {"fxBootSequence", &fxBootSequence::RegisterAttributes},
    /* 34 */ {"fxBootText", &fxBootText::RegisterAttributes},
    /* 35 */ {"fxBufferDisplay", &fxBufferDisplay::RegisterAttributes},
    /* 36 */ {"fxBufferDefault", &fxBufferDefault::RegisterAttributes},
    /* 37 */ {"fxJoyDivision", &fxJoyDivision::RegisterAttributes},
    /* 38 */ {"fxStarField", &fxStarField::RegisterAttributes},
    /* 39 */ {"fxDemoGlobalParams", &fxDemoGlobalParams::RegisterAttributes},
    /* 40 */ {"fxMusicReference", &RegisterMusicReference}, // GetDescriptor + "Sequence File"
    /* 41 */ {"fxCamera", &fxCamera::RegisterAttributes},
    /* 42 */ {"fxOcean", &fxOcean::RegisterAttributes},
    /* 43 */ {"fxHorizonBorealis", &fxHorizonBorealis::RegisterAttributes},
    /* 44 */ {"fxTextNeon", &fxTextNeon::RegisterAttributes},
    /* 45 */ {"fxObjVectrex", &fxObjVectrex::RegisterAttributes},
    /* 46 */ {"fxObjVectrexCard", &fxObjVectrexCard::RegisterAttributes},
    /* 47 */ {"fxObjArrow", &fxObjArrow::RegisterAttributes},
    /* 48 */ {"fxAnimation", &fxAnimation::RegisterAttributes},
    /* 49 */ {"fxExtruder", &fxExtruder::RegisterAttributes},
    /* 50 */ {"fxDepthLine", &RegisterDepthLine}, // descriptor made here
    /* 51 */ {"fxECG", &fxECG::RegisterAttributes},
    /* 52 */ {"fxObjLoader", &fxObjLoader::RegisterAttributes},
    /* 53 */ {"fxGLTFLoader", &RegisterGLTFLoader}, // GetDescriptor + "GLTF"
    /* 54 */ {"fxTextStash", &fxTextStash::RegisterAttributes},
    /* 55 */ {"fxStencilTest", &RegisterStencilTest}, // GetDescriptor + "Scale", "Color"
};
} // namespace

const fxRegistrationTable& EffectRegistrationTable()
{
    static const fxRegistrationTable s_table = {s_aRegistrationTable, int(std::size(s_aRegistrationTable))};
    return s_table;
}

// ---------------------------------------------------------------------------------------------
// Registration walks the table here, with the effects (render layer): the Factory itself (core)
// knows effect classes only through their descriptors.

namespace
{
// Stand-in descriptor for a class that is not available: it keeps the class's id, name
// and colour, but has no create function, so effects of that class are skipped like
// effects of an unregistered class.
fxDescriptor* Unavailable(const char* pszClassName)
{
    return new fxDescriptor(fxBase::GetDescriptor(), pszClassName, nullptr);
}
} // namespace

void Factory::RegisterAll()
{
    if (!_apDescriptors.empty()) return; // runs once; a second call (tools, tests) changes nothing
    const fxRegistrationTable& table = EffectRegistrationTable();
    for (int i = 0; i < table.nCount; ++i)
    {
        const fxRegistrationRow& row = table.pRows[i];
        fxDescriptor* pDescriptor = row.pfnRegister ? row.pfnRegister() : Unavailable(row.pszClassName);
        rvAssert(pDescriptor && pDescriptor->_sClassName == row.pszClassName);
        Register(pDescriptor);
    }
}
