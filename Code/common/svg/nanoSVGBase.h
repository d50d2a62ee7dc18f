#pragma once
// The base of every SVG object: loads a drawing through the SVG reader, measures it against the
// current render buffer and gives its ids and classes their meaning. Shapes are grouped into
// objects by id; "PIVOT" and "Layer_2" objects are hidden and the first "PIVOT" path gives the
// pivot; "CACHE" objects are triangulated into filled occluder meshes; classes "cls-1" to
// "cls-8" set fixed colours; ids ENGn.m and ENGn.m-k form the gear parts.
//
// No virtual destructor: owners destroy these objects through their own type, and each derived
// destructor runs Release.
#include "svg/SvgParser.h"
#include "svg/nanoSVGObject.h"
#include "svg/nanoSVGPart.h"

#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include <cstdint>
#include <vector>

class nanoSVGBase
{
public:
    nanoSVGBase() = default;
    nanoSVGBase(const nanoSVGBase&) = delete;
    nanoSVGBase& operator=(const nanoSVGBase&) = delete;

    // 1 on success, -1 on failure ("Could not open SVG image.\n" on standard output when the
    // drawing cannot be read). Expects a released object; needs a GL context and a current
    // render buffer.
    virtual int Load(const char* sPath);
    // The preparation of the parsed drawing in _pImage for a buffer of w x h pixels: fit factor,
    // pivot, objects and parts, and the occluder meshes (on the GPU only with bUpload).
    void PrepareImage(float w, float h, bool bUpload);
    // Frees the image, the objects with their GPU meshes and the parts; safe when empty.
    virtual void Release();
    virtual void Draw(const glm::vec4& color) { (void)color; }

    // The first shape whose id equals sId exactly, or null.
    SvgShape* FindShape(const char* sId) const;

    // The preparation steps of Load, in order.
    void GroupShapes();
    void BuildParts();
    void Triangulate(bool bUpload = true);
    // The filled mesh of a "CACHE" object: the first two rings of its paths, flattened at the
    // tolerance, as triangles with 16-bit indices. False (both lists empty) when there is no ring,
    // the tessellator fails or the points do not fit the indices.
    static bool TriangulateObject(const nanoSVGObject& object, float fTolerance, std::vector<glm::vec2>& vertices,
                                  std::vector<uint16_t>& indices);

    nanoSVGPart* AddPart();

    // Image units per buffer pixel for a drawing of the given size in a buffer of w x h.
    static float ComputeFitFactor(float fHalfWidth, float fHalfHeight, float w, float h);

    SvgImage* _pImage = nullptr;
    float _fHalfWidth = 0.f, _fHalfHeight = 0.f;
    SvgPath* _pPivotPath = nullptr;
    glm::vec3 _vPivot = glm::vec3(0.f);
    bool _bHasCache = false;
    std::vector<nanoSVGObject*> _apObjects;
    glm::mat4 _mFitMatrix = glm::mat4(1.f);
    float _fFitFactor = 0.f;
    std::vector<nanoSVGPart*> _apParts;
};

// Sets the part's pivot and radius to the smallest circle around every stored point of its
// members' paths of at least 2 points; a part without such a point keeps pivot and radius 0.
void MinimalEnclosingCircle(nanoSVGPart* pPart);
