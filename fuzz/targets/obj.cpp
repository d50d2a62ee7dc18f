// OBJ meshes and MTL material libraries: the same text read as both, then every mesh walked as
// the line effects walk it (runs of n indices). An index outside its mesh is a reader fault.
#include "FuzzTarget.h"

#include "OBJ_Loader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text = rvFuzz::Text(data, size);
    OBJ_Loader loader;
    loader.ReadMaterialText(text);
    loader.ReadObjText(text, "Data/meshes/fuzz.obj", glm::vec3(1.f), 1.f);
    for (const OBJ_Mesh& mesh : loader._aMeshes)
    {
        if (mesh._aPoints.size() != mesh._aVertices.size()) std::abort();
        for (size_t i = 0; i < mesh._aIndices.size();)
        {
            const size_t n = mesh._aIndices[i++];
            if (n > mesh._aIndices.size() - i) std::abort();
            for (size_t k = 0; k < n; ++k, ++i)
                if (mesh._aIndices[i] >= mesh._aVertices.size()) std::abort();
        }
    }
    return 0;
}
