#pragma once
// A static Wavefront OBJ model on the current vector display: every polygon of every mesh becomes a
// filled fan whose outer edges glow, in the colour and thickness baked into the points at load. The
// camera file beside it is loaded too (nothing draws it).
#include "Factory/fxBase.h"
#include "OBJ_Loader.h"
#include "gltf/rvGLTFModel.h"
#include "shBasicShader3d.h"

#include <glm/glm.hpp>

#include <string>

struct vector_display;

class fxObjLoader : public fxBase
{
public:
    explicit fxObjLoader(fxDescriptor* pDescriptor);
    ~fxObjLoader() override;

    void Init() override;
    void Render() override;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    // Submits the polygon runs of one mesh as fans; a run reaching past the end of the list ends
    // the mesh. Returns the number of runs handed to the display (runs under three points count,
    // the display ignores them).
    static int SubmitRuns(vector_display* pDisplay, const OBJ_Mesh& mesh);

    static const char* const CameraFile;

    std::string _sFile;
    OBJ_Loader _Loader;
    shBasicShader3d _shProgram;
    rvGLTFModel _Model;
    float _fThickness;
    glm::vec3 _vColor;
};
