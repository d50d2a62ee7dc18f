#include "shRegistry.h"

#include <cstring>

#include "effects/shUniformList.h"

// One include and one row per sh class.
#include "effects/fxAmbientParticles/shAmbientParticles.h"
#include "effects/fxAnimation/rvSkinningProgram.h"
#include "effects/fxBackCircuit/shBackCircuitObject.h"
#include "effects/fxBackGrid/shBackGrid.h"
#include "effects/fxBasicShader2d/shBasicShader2d.h"
#include "effects/fxDepthLine/rvQuadDepthProgram.h"
#include "effects/fxHorizonBorealis/shHorizonBorealis.h"
#include "effects/fxJoyDivision/shJoyDivision.h"
#include "effects/fxOcean/shOcean.h"
#include "effects/fxPostDistortion/shPostDistortion.h"
#include "effects/fxPostVHS/shPostVHS.h"
#include "effects/fxStarField/shStarField.h"
#include "effects/fxTunnelPattern3d/shTunnelPattern3d.h"
#include "effects/patterns/shPostTint.h"
#include "effects/patterns/shWireBlock3d.h"
#include "shBasicShader3d.h"
#include "shOccludingShader.h"

const std::vector<shRegistryRow>& shRegistry::All()
{
    static const std::vector<shRegistryRow> s_aRows = {
        Row<shBackGrid>("shBackGrid"),
        Row<shJoyDivision>("shJoyDivision"),
        Row<shBasicShader2d>("shBasicShader2d"),
        Row<shBasicShader3d>("shBasicShader3d"),
        Row<shHorizonBorealis>("shHorizonBorealis"),
        Row<shOccludingShader>("shOccludingShader"),
        Row<shStarField>("shStarField"),
        Row<shPostVHS>("shPostVHS"),
        Row<shOcean>("shOcean"),
        Row<shAmbientParticles>("shAmbientParticles"),
        Row<shPostDistortion>("shPostDistortion"),
        Row<shPostTint>("shPostTint"),
        Row<shWireBlock3d>("shWireBlock3d"),
        Row<shTunnelPattern3d>("shTunnelPattern3d"),
        Row<shBackCircuitObjectMapping>("shBackCircuitObjectMapping"),
        Row<shBackCircuitObjectWireframe>("shBackCircuitObjectWireframe"),
        Row<rvSkinningProgram>("rvSkinningProgram"),
        Row<rvQuadDepthProgram>("rvQuadDepthProgram"),
    };
    return s_aRows;
}

const shRegistryRow* shRegistry::Find(const char* pszClassName)
{
    for (const shRegistryRow& row : All())
    {
        if (std::strcmp(row.pszClassName, pszClassName) == 0) return &row;
    }
    return nullptr;
}
