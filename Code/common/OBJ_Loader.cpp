#include "OBJ_Loader.h"

#include "Loader/rvDataPack.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

namespace
{
bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool EndsWith(const std::string& s, const char* suffix)
{
    const std::string tail(suffix);
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The longest numeric prefix of a piece; false when the piece does not begin with a number.
bool ReadFloat(const std::string& piece, float& value)
{
    const char* begin = piece.c_str();
    char* end = nullptr;
    value = std::strtof(begin, &end);
    return end != begin;
}

bool ReadInt(const std::string& piece, int& value)
{
    const char* begin = piece.c_str();
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(begin, &end, 10);
    if (end == begin) return false;
    value = v > INT_MAX ? INT_MAX : (v < INT_MIN ? INT_MIN : int(v));
    return true;
}

// Splits at single blanks and drops the empty pieces.
std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> pieces, words;
    OBJ_SplitText(text, pieces, ' ');
    for (std::string& p : pieces)
        if (!p.empty()) words.push_back(std::move(p));
    return words;
}

// Reads the first count pieces as floats; false when there are fewer or one is not a number.
bool ReadFloats(const std::vector<std::string>& pieces, size_t count, float* out)
{
    if (pieces.size() < count) return false;
    for (size_t i = 0; i < count; ++i)
        if (!ReadFloat(pieces[i], out[i])) return false;
    return true;
}

// A whole file read from the archive as text; false when it is missing.
bool ReadText(const std::string& path, std::string& text)
{
    int size = 0;
    std::unique_ptr<uint8_t[]> data(rvDataPack::GetInstance()->ReadAll(path, size));
    if (!data) return false;
    text.assign(reinterpret_cast<const char*>(data.get()), size_t(size));
    return true;
}

// Calls handle(line) for every line of a text, up to its first zero byte.
template <class Handler> void ForEachLine(const std::string& text, Handler handle)
{
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && *p)
    {
        while (p < end && IsBlank(*p))
            ++p;
        const char* start = p;
        while (p < end && *p != '\r' && *p != '\n' && *p != 0)
            ++p;
        const char* stop = p;
        while (stop > start && IsBlank(stop[-1]))
            --stop;
        handle(std::string(start, stop));
        while (p < end && (*p == '\r' || *p == '\n'))
            ++p;
    }
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Text helpers
// ---------------------------------------------------------------------------------------------

std::string OBJ_KeywordOf(const std::string& sLine)
{
    size_t b = 0;
    while (b < sLine.size() && IsBlank(sLine[b]))
        ++b;
    size_t e = b;
    while (e < sLine.size() && !IsBlank(sLine[e]))
        ++e;
    return sLine.substr(b, e - b);
}

std::string OBJ_TextAfterKeyword(const std::string& sLine)
{
    size_t b = 0;
    while (b < sLine.size() && IsBlank(sLine[b]))
        ++b;
    while (b < sLine.size() && !IsBlank(sLine[b]))
        ++b;
    while (b < sLine.size() && IsBlank(sLine[b]))
        ++b;
    size_t e = sLine.size();
    while (e > b && IsBlank(sLine[e - 1]))
        --e;
    return sLine.substr(b, e - b);
}

void OBJ_SplitText(const std::string& sText, std::vector<std::string>& aOut, char cDelimiter)
{
    aOut.clear();
    std::string piece;
    for (char c : sText)
    {
        if (c == cDelimiter)
        {
            aOut.push_back(piece);
            piece.clear();
        }
        else
            piece += c;
    }
    if (!piece.empty()) aOut.push_back(piece);
}

int OBJ_ResolveIndex(int nIndex, int nLength)
{
    if (nIndex < 0) return nLength + nIndex;
    return nIndex - 1;
}

// ---------------------------------------------------------------------------------------------
// OBJ_Mesh
// ---------------------------------------------------------------------------------------------

OBJ_Mesh::OBJ_Mesh(const std::vector<OBJ_Vertex>& aVertices, const std::vector<uint32_t>& aIndices,
                   const glm::vec3& vColor, float fThickness)
    : _aVertices(aVertices), _aIndices(aIndices)
{
    _aPoints.reserve(aVertices.size());
    for (const OBJ_Vertex& v : aVertices)
        _aPoints.emplace_back(v._vPosition.x, v._vPosition.y, v._vPosition.z, vColor.r, vColor.g, vColor.b, 0,
                              fThickness);
}

// ---------------------------------------------------------------------------------------------
// OBJ_Loader
// ---------------------------------------------------------------------------------------------

bool OBJ_Loader::MakeFaceVertices(std::vector<OBJ_Vertex>& aOut, const std::vector<glm::vec3>& aPositions,
                                  const std::vector<glm::vec2>& aTexCoords,
                                  const std::vector<glm::vec3>& aNormals, const std::string& sLine)
{
    enum Form
    {
        FORM_NONE,
        FORM_P,
        FORM_PT,
        FORM_PN,
        FORM_PTN,
    };
    // Resolves one reference against its list; false when it is not a number or out of range.
    auto resolve = [](const std::string& piece, size_t length, int& index)
    {
        int value = 0;
        if (!ReadInt(piece, value) || value == 0) return false;
        index = OBJ_ResolveIndex(value, int(length > size_t(INT_MAX) ? INT_MAX : length));
        return index >= 0 && size_t(index) < length;
    };

    std::vector<OBJ_Vertex> corners;
    bool allHaveNormals = true;
    Form form = FORM_NONE;
    std::vector<std::string> parts;
    for (const std::string& piece : Words(OBJ_TextAfterKeyword(sLine)))
    {
        OBJ_SplitText(piece, parts, '/');
        if (parts.size() == 1)
            form = FORM_P;
        else if (parts.size() == 2)
            form = FORM_PT;
        else if (parts.size() == 3)
            form = parts[1].empty() ? FORM_PN : FORM_PTN;
        if (form == FORM_NONE) continue; // a first piece of another shape yields no corner
        const size_t needed = form == FORM_P ? 1 : (form == FORM_PT ? 2 : 3);
        if (parts.size() < needed) return false;

        OBJ_Vertex corner;
        int index = 0;
        if (!resolve(parts[0], aPositions.size(), index)) return false;
        corner._vPosition = aPositions[size_t(index)];
        if (form == FORM_PT || form == FORM_PTN)
        {
            if (!resolve(parts[1], aTexCoords.size(), index)) return false;
            corner._vTexCoord = aTexCoords[size_t(index)];
        }
        if (form == FORM_PN || form == FORM_PTN)
        {
            if (!resolve(parts[2], aNormals.size(), index)) return false;
            corner._vNormal = aNormals[size_t(index)];
        }
        else
            allHaveNormals = false;
        corners.push_back(corner);
    }
    if (corners.size() < 3) return false;

    if (!allHaveNormals)
    {
        const glm::vec3 a = corners[0]._vPosition - corners[1]._vPosition;
        const glm::vec3 b = corners[2]._vPosition - corners[1]._vPosition;
        const glm::vec3 normal(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
        for (OBJ_Vertex& c : corners)
            c._vNormal = normal;
    }
    aOut.insert(aOut.end(), corners.begin(), corners.end());
    return true;
}

bool OBJ_Loader::ReadMaterialLibrary(const std::string& sPath)
{
    if (!EndsWith(sPath, ".mtl")) return false;
    std::string text;
    // A library that cannot be read adds nothing.
    if (ReadText(sPath, text)) ReadMaterialText(text);
    return true;
}

void OBJ_Loader::ReadMaterialText(const std::string& sText)
{
    OBJ_Material current;
    bool seen = false;
    ForEachLine(
        sText,
        [&](const std::string& line)
        {
            const std::string key = OBJ_KeywordOf(line);
            const std::string rest = OBJ_TextAfterKeyword(line);
            if (key == "newmtl")
            {
                if (seen)
                {
                    _aMaterials.push_back(current);
                    current = OBJ_Material();
                }
                seen = true;
                current._sName = line.size() >= 8 ? rest : "none";
            }
            else if (key == "Ka" || key == "Kd" || key == "Ks")
            {
                std::vector<std::string> pieces;
                OBJ_SplitText(rest, pieces, ' ');
                float rgb[3];
                if (pieces.size() != 3 || !ReadFloats(pieces, 3, rgb)) return;
                glm::vec3& target =
                    key == "Ka" ? current._vAmbient : (key == "Kd" ? current._vDiffuse : current._vSpecular);
                target = glm::vec3(rgb[0], rgb[1], rgb[2]);
            }
            else if (key == "Ns" || key == "Ni" || key == "d")
            {
                float value = 0.f;
                if (!ReadFloat(rest, value)) return;
                (key == "Ns" ? current._fSpecularExponent
                             : (key == "Ni" ? current._fOpticalDensity : current._fDissolve)) = value;
            }
            else if (key == "illum")
            {
                int value = 0;
                if (ReadInt(rest, value)) current._nIllum = value;
            }
            else if (key == "map_Ka")
                current._sMapAmbient = rest;
            else if (key == "map_Kd")
                current._sMapDiffuse = rest;
            else if (key == "map_Ks")
                current._sMapSpecular = rest;
            else if (key == "map_Ns")
                current._sMapSpecularExponent = rest;
            else if (key == "map_d")
                current._sMapDissolve = rest;
            else if (key == "map_Bump" || key == "map_bump" || key == "bump")
                current._sMapBump = rest;
        });
    _aMaterials.push_back(current);
}

bool OBJ_Loader::ReadObjFile(const std::string& sPath, const glm::vec3& vColor, float fThickness)
{
    if (!EndsWith(sPath, ".obj"))
    {
        _vColor = vColor;
        _fThickness = fThickness;
        return false;
    }
    std::string text;
    ReadText(sPath, text); // a missing file reads as no line: every list emptied
    return ReadObjText(text, sPath, vColor, fThickness);
}

bool OBJ_Loader::ReadObjText(const std::string& sText, const std::string& sPath, const glm::vec3& vColor,
                             float fThickness)
{
    _vColor = vColor;
    _fThickness = fThickness;
    _aMeshes.clear();
    _aVertices.clear();
    _aIndices.clear();
    _aMaterials.clear();

    std::vector<glm::vec3> positions, normals;
    std::vector<glm::vec2> texCoords;
    std::vector<OBJ_Vertex> meshVertices;
    std::vector<uint32_t> meshIndices;
    // The material in force for each completed mesh: the faces of a mesh are those read under
    // the last "usemtl" before its completion.
    std::vector<std::string> meshMaterials;
    std::string currentMaterial;
    std::string name;
    bool objectSeen = false;

    auto complete = [&](const std::string& meshName)
    {
        OBJ_Mesh mesh(meshVertices, meshIndices, _vColor, _fThickness);
        mesh._sName = meshName;
        _aMeshes.push_back(std::move(mesh));
        meshMaterials.push_back(currentMaterial);
        meshVertices.clear();
        meshIndices.clear();
    };
    auto hasFaces = [&] { return !meshVertices.empty() && !meshIndices.empty(); };

    ForEachLine(sText,
                [&](const std::string& line)
                {
                    if (line.empty()) return;
                    const std::string key = OBJ_KeywordOf(line);
                    if (line[0] == 'o' || line[0] == 'g')
                    {
                        if (!objectSeen)
                        {
                            objectSeen = true;
                            name = OBJ_TextAfterKeyword(line);
                        }
                        else if (hasFaces())
                        {
                            complete(name);
                            name = OBJ_TextAfterKeyword(line);
                        }
                        else
                            name = (key == "o" || key == "g") ? OBJ_TextAfterKeyword(line) : "unnamed";
                    }
                    else if (key == "v" || key == "vn")
                    {
                        float xyz[3];
                        if (!ReadFloats(Words(OBJ_TextAfterKeyword(line)), 3, xyz)) return;
                        (key == "v" ? positions : normals).emplace_back(xyz[0], xyz[1], xyz[2]);
                    }
                    else if (key == "vt")
                    {
                        std::vector<std::string> pieces;
                        OBJ_SplitText(OBJ_TextAfterKeyword(line), pieces, ' ');
                        float uv[2];
                        if (!ReadFloats(pieces, 2, uv)) return;
                        texCoords.emplace_back(uv[0], uv[1]);
                    }
                    else if (key == "f")
                    {
                        std::vector<OBJ_Vertex> corners;
                        if (!MakeFaceVertices(corners, positions, texCoords, normals, line)) return;
                        const uint32_t n = uint32_t(corners.size());
                        const uint32_t meshBase = uint32_t(meshVertices.size());
                        const uint32_t fileBase = uint32_t(_aVertices.size());
                        meshVertices.insert(meshVertices.end(), corners.begin(), corners.end());
                        _aVertices.insert(_aVertices.end(), corners.begin(), corners.end());
                        meshIndices.push_back(n);
                        _aIndices.push_back(n);
                        for (uint32_t i = 0; i < n; ++i)
                        {
                            meshIndices.push_back(meshBase + i);
                            _aIndices.push_back(fileBase + i);
                        }
                    }
                    else if (key == "usemtl")
                    {
                        if (hasFaces()) complete(name + "_2");
                        currentMaterial = OBJ_TextAfterKeyword(line);
                    }
                    else if (key == "mtllib")
                    {
                        std::vector<std::string> pieces;
                        OBJ_SplitText(sPath, pieces, '/');
                        std::string mtlPath;
                        for (size_t i = 0; i + 1 < pieces.size(); ++i)
                            mtlPath += pieces[i] + "/";
                        ReadMaterialLibrary(mtlPath + OBJ_TextAfterKeyword(line));
                    }
                });
    if (hasFaces()) complete(name);

    for (size_t i = 0; i < _aMeshes.size(); ++i)
    {
        if (meshMaterials[i].empty()) continue;
        for (const OBJ_Material& material : _aMaterials)
            if (material._sName == meshMaterials[i])
            {
                _aMeshes[i]._Material = material;
                break;
            }
    }
    return !_aMeshes.empty() || !_aVertices.empty() || !_aIndices.empty();
}
