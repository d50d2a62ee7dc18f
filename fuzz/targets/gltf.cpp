// glTF models (".gltf" text or ".glb"): parsed, the scene, skins and animations built without GL,
// every animation sampled and cross-faded, the pose and the world matrices computed. Buffers may
// only come from inside the model's folder (here a folder of its own) or from data URIs.
#include "FuzzTarget.h"

#include "gltf/rvGLTFModel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

namespace
{
std::string s_sFolder;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char folder[] = "/tmp/morvane-fuzz-gltf-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    s_sFolder = folder;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (s_sFolder.empty()) LLVMFuzzerInitialize(nullptr, nullptr);
    const bool binary = size >= 4 && std::memcmp(data, "glTF", 4) == 0;
    const std::string path = s_sFolder + (binary ? "/model.glb" : "/model.gltf");
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    const bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
    std::fclose(f);
    if (!written) return 0;

    rvGLTFModel model;
    model._bUpload = false;
    if (model.Load(path.c_str()))
    {
        const unsigned count = unsigned(model._aAnimations.size());
        for (unsigned a = 0; a < count && a < 4; ++a)
            for (float t : {-1.f, 0.f, 0.37f, 1e9f})
                model.SampleAnimation(a, t);
        if (count > 1) model.SampleBlendedAnimation(0, count - 1, 0.5f, 0.25f);
        for (rvGLTFModel::Node* node : model._apNodes)
            model.ComputeWorldMatrix(node);
    }
    std::remove(path.c_str());
    return 0;
}
