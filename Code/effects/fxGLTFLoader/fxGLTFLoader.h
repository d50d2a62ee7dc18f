#pragma once
// The meshes of a glTF/GLB file drawn as a solid wire frame into the current render buffer,
// through the buffer's own camera: vertex positions as the file stores them (no node transform,
// no skinning, no animation), faces in the wire program's fill colour, edges in its line colour.
#include "Factory/fxBase.h"
#include "gltf/rvGLTFModel.h"
#include "shBasicShader3d.h"

#include <string>

class fxGLTFLoader : public fxBase
{
public:
    explicit fxGLTFLoader(fxDescriptor* pDescriptor);
    ~fxGLTFLoader() override;

    void Init() override;
    void Render() override;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);

    std::string _sFile;
    rvGLTFModel _Model;
    shBasicShader3d _shProgram;
};
