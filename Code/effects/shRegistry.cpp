#include "effects/shRegistry.h"

#include <cstring>

#include "effects/shUniformList.h"

// One include and one row per sh class.
#include "effects/fxBackGrid/shBackGrid.h"
#include "effects/fxJoyDivision/shJoyDivision.h"
#include "shBasicShader3d.h"
#include "shOccludingShader.h"

const std::vector<shRegistryRow>& shRegistry::All()
{
    static const std::vector<shRegistryRow> s_aRows = {
        Row<shBackGrid>("shBackGrid"),
        Row<shJoyDivision>("shJoyDivision"),
        Row<shBasicShader3d>("shBasicShader3d"),
        Row<shOccludingShader>("shOccludingShader"),
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
