#include "effects/fxGLTFLoader/fxGLTFLoader.h"

#include "Factory/fxDescriptor.h"
#include "rvMessage.h"

#include <cstdio>

fxGLTFLoader::fxGLTFLoader(fxDescriptor* pDescriptor)
    : fxBase(pDescriptor), _sFile("./Data/meshes/RunningMan.glb")
{
}

// Members go in reverse order: the program, the model, the path, then the fxBase part.
fxGLTFLoader::~fxGLTFLoader() = default;

void fxGLTFLoader::Init()
{
    _shProgram.Prepare(); // compiled in the loading pass, not by the first frame
    _Model._nPositionLocation = 0; // the wire program's only input
    if (!_Model.Load(_sFile.c_str()))
        rvReport(rvMessageKind::Warning, "fxGLTFLoader: cannot read \"%s\"", _sFile.c_str());
}

void fxGLTFLoader::Render()
{
    _shProgram.Use();
    _Model.Draw();
    _shProgram.Unuse();
}

fxDescriptor* fxGLTFLoader::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxGLTFLoader", &fxGLTFLoader::Create);
    return s_pDescriptor;
}

fxBase* fxGLTFLoader::Create(fxDescriptor* pDescriptor)
{
    return new fxGLTFLoader(pDescriptor);
}
