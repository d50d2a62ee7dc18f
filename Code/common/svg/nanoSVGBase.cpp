#include "svg/nanoSVGBase.h"
#include "rvMessage.h"

#include "rvSceneDisplay.h"
#include "svg/EnclosingBall.h"
#include "svg/nanoSVGFlatten.h"

#include <epoxy/gl.h>
#include <GL/glu.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
struct ClassColor
{
    const char* sClass;
    uint32_t nWord;
};

const ClassColor kClassColors[] = {
    {"cls-1", 0xffb7e0d4u}, {"cls-2", 0xff9ad8dbu}, {"cls-3", 0xff6393cdu}, {"cls-4", 0xffa6d8bbu},
    {"cls-5", 0xffdbedd2u}, {"cls-6", 0xff436ab3u}, {"cls-7", 0xff3dc7f4u}, {"cls-8", 0xff5276bau},
};

bool StartsWith(const std::string& s, const char* prefix)
{
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

bool StartsWithNoCase(const std::string& s, const char* prefix)
{
    const size_t n = std::strlen(prefix);
    if (s.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

void ApplyNameRules(nanoSVGObject* object, bool& hasCache)
{
    const std::string& name = object->_sName;
    if (StartsWith(name, "CACHE"))
    {
        object->_bCache = true;
        hasCache = true;
    }
    if (StartsWith(name, "PIVOT")) object->_bVisible = false;
    if (StartsWithNoCase(name, "Layer_2")) object->_bVisible = false;
    if (name == "CACHE3") object->_bCache3 = true;
}

// ---------------------------------------------------------------------------------------------
// Triangulation with the GLU tessellator: triangles only, indices into the ring points (points
// the tessellator adds at crossings are appended).
// ---------------------------------------------------------------------------------------------

struct Tessellation
{
    std::vector<glm::vec2> vertices;
    std::vector<GLdouble> coords; // 3 per vertex, kept alive for the tessellator
    std::vector<uint32_t> indices;
    std::vector<intptr_t> extra; // combined vertices, as indices
    bool failed = false;
};

void TessBegin(GLenum, void*) {}
void TessEdgeFlag(GLboolean, void*) {} // its presence makes the tessellator emit triangles only
void TessEnd(void*) {}
void TessVertex(void* vertex, void* data)
{
    static_cast<Tessellation*>(data)->indices.push_back(uint32_t(reinterpret_cast<intptr_t>(vertex)));
}
void TessError(GLenum, void* data)
{
    static_cast<Tessellation*>(data)->failed = true;
}
void TessCombine(GLdouble coords[3], void* [4], GLfloat[4], void** out, void* data)
{
    Tessellation* t = static_cast<Tessellation*>(data);
    t->vertices.emplace_back(float(coords[0]), float(coords[1]));
    *out = reinterpret_cast<void*>(intptr_t(t->vertices.size() - 1));
}

bool TessellateRings(const std::vector<std::vector<glm::vec2>>& rings, Tessellation& t)
{
    for (const auto& ring : rings)
        t.vertices.insert(t.vertices.end(), ring.begin(), ring.end());
    t.coords.resize(t.vertices.size() * 3);
    for (size_t i = 0; i < t.vertices.size(); ++i)
    {
        t.coords[i * 3 + 0] = t.vertices[i].x;
        t.coords[i * 3 + 1] = t.vertices[i].y;
        t.coords[i * 3 + 2] = 0.0;
    }
    GLUtesselator* tess = gluNewTess();
    if (!tess) return false;
    gluTessCallback(tess, GLU_TESS_BEGIN_DATA, reinterpret_cast<_GLUfuncptr>(TessBegin));
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<_GLUfuncptr>(TessEdgeFlag));
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<_GLUfuncptr>(TessVertex));
    gluTessCallback(tess, GLU_TESS_END_DATA, reinterpret_cast<_GLUfuncptr>(TessEnd));
    gluTessCallback(tess, GLU_TESS_ERROR_DATA, reinterpret_cast<_GLUfuncptr>(TessError));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(TessCombine));
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_ODD);
    gluTessNormal(tess, 0.0, 0.0, 1.0);
    gluTessBeginPolygon(tess, &t);
    size_t base = 0;
    for (const auto& ring : rings)
    {
        gluTessBeginContour(tess);
        for (size_t i = 0; i < ring.size(); ++i)
            gluTessVertex(tess, &t.coords[(base + i) * 3], reinterpret_cast<void*>(intptr_t(base + i)));
        gluTessEndContour(tess);
        base += ring.size();
    }
    gluTessEndPolygon(tess);
    gluDeleteTess(tess);
    return !t.failed;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// nanoSVGBase
// ---------------------------------------------------------------------------------------------

float nanoSVGBase::ComputeFitFactor(float hw, float hh, float w, float h)
{
    float right, top;
    if (h / hh > w / hw)
    {
        right = hw + 1.2f * hw;
        top = hh - 1.2f * hw * h / w;
    }
    else
    {
        right = hw + 1.2f * hh * w / h;
        top = hh - 1.2f * hh;
    }
    return (right - top) / w;
}

int nanoSVGBase::Load(const char* sPath)
{
    if (!sPath) return -1;
    // Callers release first; a forgotten Release must not leak the previous drawing.
    if (_pImage) Release();
    _pImage = SvgParseFile(sPath, 96.f);
    if (!_pImage)
    {
        rvReport(rvMessageKind::Error, "Could not open SVG image.\n");
        return -1;
    }
    rvBufferDisplay* buffer = rvSceneDisplay::BindedBuffer();
    PrepareImage(float(buffer->_nWidth), float(buffer->_nHeight), true);
    return 1;
}

void nanoSVGBase::PrepareImage(float w, float h, bool bUpload)
{
    _fHalfWidth = _pImage->_fWidth * 0.5f;
    _fHalfHeight = _pImage->_fHeight * 0.5f;
    _fFitFactor = ComputeFitFactor(_fHalfWidth, _fHalfHeight, w, h);

    _pPivotPath = nullptr;
    for (SvgShape* shape = _pImage->_pShapes; shape && !_pPivotPath; shape = shape->_pNext)
        for (SvgPath* path = shape->_pPaths; path; path = path->_pNext)
            if (std::strncmp(path->_sId, "PIVOT", 5) == 0)
            {
                _pPivotPath = path;
                break;
            }
    _vPivot.x = _pPivotPath ? _pPivotPath->_pPoints[0] : _fHalfWidth;
    _vPivot.y = _pPivotPath ? _pPivotPath->_pPoints[1] : _fHalfHeight;

    GroupShapes();
    BuildParts();
    Triangulate(bUpload);
}

void nanoSVGBase::Release()
{
    if (_pImage)
    {
        SvgDelete(_pImage);
        _pImage = nullptr;
    }
    _pPivotPath = nullptr;
    for (nanoSVGObject* object : _apObjects)
    {
        if (object->_nVertexArray)
        {
            glDeleteBuffers(1, &object->_nVertexBuffer);
            glDeleteBuffers(1, &object->_nIndexBuffer);
            glDeleteVertexArrays(1, &object->_nVertexArray);
        }
        delete object;
    }
    _apObjects.clear();
    for (nanoSVGPart* part : _apParts)
        delete part;
    _apParts.clear();
}

SvgShape* nanoSVGBase::FindShape(const char* sId) const
{
    if (!_pImage || !sId) return nullptr;
    for (SvgShape* shape = _pImage->_pShapes; shape; shape = shape->_pNext)
        if (std::strcmp(shape->_sId, sId) == 0) return shape;
    return nullptr;
}

void nanoSVGBase::GroupShapes()
{
    _bHasCache = false;
    if (!_pImage) return;
    nanoSVGObject* current = nullptr;
    for (SvgShape* shape = _pImage->_pShapes; shape; shape = shape->_pNext)
    {
        // The class's colour; a gradient stroke gives way to it (the colour shares the gradient's
        // storage, so the gradient is released first).
        for (const ClassColor& c : kClassColors)
            if (std::strcmp(shape->_sClass, c.sClass) == 0)
            {
                if (shape->_Stroke._eType == SVG_PAINT_NONE)
                    shape->_Stroke._nColor = c.nWord;
                else
                    SvgSetPaintColor(&shape->_Stroke, c.nWord);
            }

        const std::string id = shape->_sId;
        // "ENG" objects gather every shape whose id shares their first four characters.
        const bool joins = current && (id == current->_sName ||
                                       (current->_bEng && current->_sName.compare(0, 4, id, 0, 4) == 0));
        if (!joins)
        {
            if (current) ApplyNameRules(current, _bHasCache);
            current = new nanoSVGObject();
            current->_sName = id;
            current->_bEng = StartsWith(id, "ENG");
            _apObjects.push_back(current);
        }
        current->_apShapes.push_back(shape);
        shape->_pPart = nullptr;
        shape->_bShown = true;
    }
    if (current) ApplyNameRules(current, _bHasCache);
}

nanoSVGPart* nanoSVGBase::AddPart()
{
    nanoSVGPart* part = new nanoSVGPart();
    part->_vColor.r = float(std::rand() % 1000) / 1000.f;
    part->_vColor.g = float(std::rand() % 1000) / 1000.f;
    part->_vColor.b = float(std::rand() % 1000) / 1000.f;
    part->_bStepped = std::rand() % 2 == 0;
    _apParts.push_back(part);
    return part;
}

void nanoSVGBase::BuildParts()
{
    nanoSVGPart* part = AddPart();
    int n = 1, k = 1, m = 1;
    auto dropCurrent = [&]
    {
        _apParts.pop_back();
        delete part;
        part = nullptr;
    };
    for (;;)
    {
        const std::string name = "ENG" + std::to_string(n) + "." + std::to_string(m) +
                                 (k == 1 ? std::string() : "-" + std::to_string(k));
        if (SvgShape* shape = FindShape(name.c_str()))
        {
            part->_apMembers.push_back(shape);
            shape->_pPart = part;
            part->_sName = name;
            part->_bHighlight = false;
            part->_fSpeed = 0.f;
            ++m;
        }
        else if (m > 1)
        {
            MinimalEnclosingCircle(part);
            part = AddPart();
            ++k;
            m = 1;
        }
        else if (k > 1)
        {
            dropCurrent();
            part = AddPart();
            ++n;
            k = 1;
            m = 1;
        }
        else
        {
            dropCurrent();
            break;
        }
    }
}

void MinimalEnclosingCircle(nanoSVGPart* pPart)
{
    std::vector<double> points;
    for (const SvgShape* shape : pPart->_apMembers)
        for (const SvgPath* path = shape->_pPaths; path; path = path->_pNext)
        {
            if (path->_nPoints < 2) continue;
            for (int i = 0; i < path->_nPoints * 2; ++i)
                points.push_back(double(path->_pPoints[i]));
        }
    // No point, no circle: the part keeps pivot and radius 0.
    if (points.empty()) return;
    EnclosingBall ball(2, points.data(), points.size() / 2);
    const double* centre = ball.GetCenter();
    pPart->_vPivot = glm::vec3(float(centre[0]), float(centre[1]), 0.f);
    pPart->_fRadius = float(ball.GetRadius());
}

bool nanoSVGBase::TriangulateObject(const nanoSVGObject& object, float fTolerance, std::vector<glm::vec2>& vertices,
                                    std::vector<uint16_t>& indices)
{
    vertices.clear();
    indices.clear();
    std::vector<std::vector<glm::vec2>> rings;
    for (const SvgShape* shape : object._apShapes)
        for (const SvgPath* path = shape->_pPaths; path; path = path->_pNext)
        {
            if (path->_nPoints < 2) continue;
            const float* p = path->_pPoints;
            std::vector<glm::vec2> ring{glm::vec2(p[0], p[1])};
            for (int i = 0; i + 3 < path->_nPoints; i += 3)
                FlattenCubicToPoints(glm::vec2(p[i * 2], p[i * 2 + 1]), glm::vec2(p[i * 2 + 2], p[i * 2 + 3]),
                                     glm::vec2(p[i * 2 + 4], p[i * 2 + 5]), glm::vec2(p[i * 2 + 6], p[i * 2 + 7]),
                                     fTolerance, 0, ring);
            if (path->_bClosed) ring.push_back(ring.front());
            rings.push_back(std::move(ring));
        }
    // No ring, no mesh.
    if (rings.empty()) return false;
    if (rings.size() > 2) rings.resize(2);
    if (object._bCache3 && rings.size() == 2) std::swap(rings[0], rings[1]);

    Tessellation t;
    if (!TessellateRings(rings, t) || t.indices.empty()) return false;
    // 16-bit indices: a mesh whose points do not fit is left out.
    if (t.vertices.size() > 65536) return false;
    vertices = std::move(t.vertices);
    indices.assign(t.indices.begin(), t.indices.end());
    return true;
}

void nanoSVGBase::Triangulate(bool bUpload)
{
    const float tolerance = 1.5f * _fFitFactor;
    std::vector<glm::vec2> vertices;
    std::vector<uint16_t> indices;
    for (nanoSVGObject* object : _apObjects)
    {
        if (!object->_bCache || !TriangulateObject(*object, tolerance, vertices, indices) || !bUpload) continue;

        glGenBuffers(1, &object->_nVertexBuffer);
        glGenBuffers(1, &object->_nIndexBuffer);
        glGenVertexArrays(1, &object->_nVertexArray);
        glBindVertexArray(object->_nVertexArray);
        glBindBuffer(GL_ARRAY_BUFFER, object->_nVertexBuffer);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 8, nullptr);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * 8), vertices.data(), GL_STATIC_DRAW);
        glEnableVertexAttribArray(0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, object->_nIndexBuffer);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * 2), indices.data(), GL_STATIC_DRAW);
        object->_nIndexCount = int(indices.size());
        object->_eIndexType = GL_UNSIGNED_SHORT;
        glBindVertexArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
}
