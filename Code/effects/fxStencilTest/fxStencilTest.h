#pragma once
// Stencil occlusion tried out on the runner model: the model scaled by "Scale" in one colour and,
// with "Occlusion" ticked in its window, the unscaled model first written to the stencil as an
// occluder, so that only the band of the scaled figure outside its own silhouette shows.
#include "Factory/fxBase.h"
#include "gltf/rvGLTFModel.h"
#include "shBasicShader3d.h"

#include <glm/glm.hpp>

class fxStencilTest : public fxBase
{
public:
    explicit fxStencilTest(fxDescriptor* pDescriptor);
    ~fxStencilTest() override;

    void Init() override;
    void Render() override;

    // The editor window "StencilTest Settings" (fxStencilTestEditor.cpp).
    void DrawSettings();

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);

    static const char* const MeshFile;

    shBasicShader3d _shProgram;
    rvGLTFModel _Model;
    bool _bOcclusion;
    float _fScale;
    glm::vec3 _vColor;
};
