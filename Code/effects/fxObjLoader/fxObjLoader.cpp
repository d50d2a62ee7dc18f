#include "effects/fxObjLoader/fxObjLoader.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"
#include "rvMessage.h"

#include <cstdio>

const char* const fxObjLoader::CameraFile = "./Data/meshes/3vEdizCamera.gltf";

fxObjLoader::fxObjLoader(fxDescriptor* pDescriptor)
    : fxBase(pDescriptor), _sFile("./Data/meshes/3vEdizScene.obj"), _fThickness(1.0f), _vColor(1.0f)
{
}

fxObjLoader::~fxObjLoader() = default;

void fxObjLoader::Init()
{
    _shProgram.Prepare(); // compiled in the loading pass, not by the first frame
    // Colour and thickness are stamped on the points here: edits wait for the next Init.
    if (!_Loader.ReadObjFile(_sFile, _vColor, _fThickness))
        rvReport(rvMessageKind::Warning, "fxObjLoader: no model in \"%s\"", _sFile.c_str());
    if (!_Model.Load(CameraFile))
        rvReport(rvMessageKind::Warning, "fxObjLoader: cannot read \"%s\"", CameraFile);
}

int fxObjLoader::SubmitRuns(vector_display* pDisplay, const OBJ_Mesh& mesh)
{
    const std::vector<uint32_t>& runs = mesh._aIndices;
    const size_t n = runs.size();
    const size_t nPoints = mesh._aPoints.size();
    int nSubmitted = 0;
    for (size_t i = 0; i < n;)
    {
        const size_t k = runs[i];
        if (i + k >= n) break; // the run reaches past the list: the mesh ends here
        // The reader only writes indices of its own points; a run that names another stops the
        // mesh rather than reading outside the point list.
        bool bValid = true;
        for (size_t j = 1; j <= k; ++j)
            bValid = bValid && runs[i + j] < nPoints;
        if (!bValid) break;
        vector_display_add_fan(pDisplay, mesh._aPoints.data(), &runs[i + 1], unsigned(k));
        ++nSubmitted;
        i += 1 + k;
    }
    return nSubmitted;
}

void fxObjLoader::Render()
{
    _shProgram.Use();
    for (const OBJ_Mesh& mesh : _Loader._aMeshes)
    {
        vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
        rvAssert(_pCurrentDisplay);
        SubmitRuns(_pCurrentDisplay, mesh);
    }
    _shProgram.Unuse();
}

fxDescriptor* fxObjLoader::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxObjLoader", &fxObjLoader::Create);
    return s_pDescriptor;
}

fxBase* fxObjLoader::Create(fxDescriptor* pDescriptor)
{
    return new fxObjLoader(pDescriptor);
}

fxDescriptor* fxObjLoader::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    d->Add(TYPE_FILE, "OBJ", rvOffsetOf<fxObjLoader>(&fxObjLoader::_sFile))->_sFilter = ".obj";
    d->Add(TYPE_FLOAT, "Thickness", rvOffsetOf<fxObjLoader>(&fxObjLoader::_fThickness))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_COLOR3, "Color", rvOffsetOf<fxObjLoader>(&fxObjLoader::_vColor));
    return d;
}
