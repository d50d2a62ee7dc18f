#pragma once
// Wavefront OBJ meshes and their MTL material libraries, read from the data archive. Every face
// stays one polygon run (its corner count, then its corner indices); no triangles are made. Every
// corner also becomes a vector_display_point with the caller's colour and thickness, so a mesh can
// go to the vector display directly (vector_display_add_fan).
//
// Malformed lines are skipped whole: a face with fewer than three corners or an index of 0 or
// beyond what was read so far, a "v"/"vn" line with fewer than three numbers, a "vt" line with
// fewer than two, and a number piece that does not begin with a number.
#include "vector_display/vector_display.h"

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <cstdint>
#include <string>
#include <vector>

struct OBJ_Vertex
{
    glm::vec3 _vPosition = glm::vec3(0.f);
    glm::vec3 _vNormal = glm::vec3(0.f);
    glm::vec2 _vTexCoord = glm::vec2(0.f);
};

struct OBJ_Material
{
    std::string _sName;
    glm::vec3 _vAmbient = glm::vec3(0.f);
    glm::vec3 _vDiffuse = glm::vec3(0.f);
    glm::vec3 _vSpecular = glm::vec3(0.f);
    float _fSpecularExponent = 0.f;
    float _fOpticalDensity = 0.f;
    float _fDissolve = 0.f;
    int32_t _nIllum = 0;
    std::string _sMapAmbient;
    std::string _sMapDiffuse;
    std::string _sMapSpecular;
    std::string _sMapSpecularExponent;
    std::string _sMapDissolve;
    std::string _sMapBump;
};

struct OBJ_Mesh
{
    OBJ_Mesh() = default;
    // Copies both lists and stamps one point per corner with the colour and thickness.
    OBJ_Mesh(const std::vector<OBJ_Vertex>& aVertices, const std::vector<uint32_t>& aIndices,
             const glm::vec3& vColor, float fThickness);

    std::string _sName;
    std::vector<OBJ_Vertex> _aVertices;
    std::vector<vector_display_point> _aPoints;
    // Runs: n, then n indices into _aVertices/_aPoints, face after face.
    std::vector<uint32_t> _aIndices;
    OBJ_Material _Material;
};

class OBJ_Loader
{
public:
    // Replaces the previous result with the meshes of an ".obj" file and the materials of the
    // libraries it names. False (and nothing changed) for a path not ending in ".obj"; false with
    // every list emptied when the file is missing or holds nothing.
    bool ReadObjFile(const std::string& sPath, const glm::vec3& vColor, float fThickness);

    // The same with the file's text given (sPath names the folder of its material libraries).
    bool ReadObjText(const std::string& sText, const std::string& sPath, const glm::vec3& vColor,
                     float fThickness);

    // Appends the materials of an ".mtl" file; false for a path not ending in ".mtl".
    bool ReadMaterialLibrary(const std::string& sPath);
    // Appends the materials of an ".mtl" text.
    void ReadMaterialText(const std::string& sText);

    // The corners of one "f" line; false (and nothing appended) when the line is malformed.
    bool MakeFaceVertices(std::vector<OBJ_Vertex>& aOut, const std::vector<glm::vec3>& aPositions,
                          const std::vector<glm::vec2>& aTexCoords, const std::vector<glm::vec3>& aNormals,
                          const std::string& sLine);

    std::vector<OBJ_Mesh> _aMeshes;
    std::vector<OBJ_Vertex> _aVertices;
    std::vector<uint32_t> _aIndices;
    std::vector<OBJ_Material> _aMaterials;
    glm::vec3 _vColor = glm::vec3(0.f);
    float _fThickness = 0.f;
};

// Text helpers of the reader.
// The first run of characters that are neither blank nor tab.
std::string OBJ_KeywordOf(const std::string& sLine);
// Everything after that run, blanks and tabs trimmed on both sides.
std::string OBJ_TextAfterKeyword(const std::string& sLine);
// Empties aOut, then appends the pieces between delimiters (empty pieces between two adjacent
// delimiters kept, none after a final delimiter).
void OBJ_SplitText(const std::string& sText, std::vector<std::string>& aOut, char cDelimiter);
// A 1-based OBJ index (negative: from the end) as a 0-based position in a list of nLength.
int OBJ_ResolveIndex(int nIndex, int nLength);
