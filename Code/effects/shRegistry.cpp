#include "effects/shRegistry.h"

#include <cstring>

#include "effects/shUniformList.h"

// One include and one row per sh class.
#include "effects/fxBackGrid/shBackGrid.h"

const std::vector<shRegistryRow>& shRegistry::All()
{
    static const std::vector<shRegistryRow> s_aRows = {
        Row<shBackGrid>("shBackGrid"),
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
