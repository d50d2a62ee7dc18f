#include "effects/shUniformTable.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
const char* const kUniformsMarker = "SHADER_UNIFORMS";
const char* const kFullScreenMarker = "SHADER_FULL_SCREEN";

// The position of the line that is exactly `marker`, or npos.
size_t FindMarkerLine(const std::string& text, const char* marker)
{
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + 1))
    {
        const size_t end = at + std::strlen(marker);
        const bool bLineStart = at == 0 || text[at - 1] == '\n';
        const bool bLineEnd = end == text.size() || text[end] == '\n' || text[end] == '\r';
        if (bLineStart && bLineEnd) return at;
    }
    return std::string::npos;
}

void ReplaceLine(std::string& text, size_t at, const std::string& with)
{
    const size_t next = text.find('\n', at);
    text.replace(at, (next == std::string::npos ? text.size() : next + 1) - at, with);
}

std::string Vector(const char* pszType, const float* pf, int n)
{
    std::string s = std::string(pszType) + "(";
    for (int i = 0; i < n; ++i)
        s += (i ? ", " : "") + shUniformDeclarations::FloatLiteral(pf[i]);
    return s + ")";
}
} // namespace

std::string shUniformDeclarations::FloatLiteral(float f)
{
    char text[48] = "";
    // Plain decimals where they are short enough, the exponent form for very large values.
    bool bFound = false;
    if (std::fabs(f) < 1e7f)
        for (int nDecimals = 1; nDecimals <= 9 && !bFound; ++nDecimals)
        {
            std::snprintf(text, sizeof(text), "%.*f", nDecimals, double(f));
            bFound = std::strtof(text, nullptr) == f;
        }
    for (int nDigits = 1; nDigits <= 9 && !bFound; ++nDigits)
    {
        std::snprintf(text, sizeof(text), "%.*g", nDigits, double(f));
        bFound = std::strtof(text, nullptr) == f;
    }
    std::string s = text;
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s;
}

void shUniformDeclarations::AddLine(const char* pszType, const char* pszName, shUniformRole eRole,
                                    const std::string& sValue)
{
    if (eRole == SH_SAMPLER)
    {
        // The texture unit is the program's business; a stand-alone host supplies its own channels.
        _sUniforms += std::string("uniform sampler2D ") + pszName + ";\n";
        return;
    }
    _sUniforms += std::string("uniform ") + pszType + " " + pszName + ";\n";
    _sStandAlone += std::string(pszType) + " " + pszName + " = " + sValue + ";\n";
}

void shUniformDeclarations::Add(const char* pszName, shUniformRole eRole, float fValue)
{
    AddLine("float", pszName, eRole, FloatLiteral(fValue));
}

void shUniformDeclarations::Add(const char* pszName, shUniformRole eRole, int nValue)
{
    AddLine("int", pszName, eRole, std::to_string(nValue));
}

void shUniformDeclarations::Add(const char* pszName, shUniformRole eRole, const glm::vec2& vValue)
{
    AddLine("vec2", pszName, eRole, Vector("vec2", &vValue[0], 2));
}

void shUniformDeclarations::Add(const char* pszName, shUniformRole eRole, const glm::vec3& vValue)
{
    AddLine("vec3", pszName, eRole, Vector("vec3", &vValue[0], 3));
}

void shUniformDeclarations::Add(const char* pszName, shUniformRole eRole, const glm::vec4& vValue)
{
    AddLine("vec4", pszName, eRole, Vector("vec4", &vValue[0], 4));
}

void shUniformDeclarations::Add(const char* pszName, shUniformRole eRole, const glm::mat4& mValue)
{
    AddLine("mat4", pszName, eRole, Vector("mat4", &mValue[0][0], 16));
}

std::string shUniformDeclarations::Block() const
{
    return "#ifdef MORVANE\n" + _sUniforms + "#else\n" + _sStandAlone + "#endif\n";
}

std::string shUniformDeclarations::FullScreenBlock() const
{
    // The program's own entry point and inputs, or Shadertoy's when the text is pasted there.
    static const char* const kProgram = R"GLSL(#ifdef MORVANE
#define SHADER_MAIN void main()
in vec2 fragCoord;
out vec4 fragColor;
)GLSL";
    static const char* const kStandAlone = R"GLSL(#else
#define SHADER_MAIN void mainImage( out vec4 fragColor, in vec2 fragCoord )
)GLSL";
    return kProgram + _sUniforms + kStandAlone + _sStandAlone + "#endif\n";
}

std::string shUniformDeclarations::Expand(const char* pszSource) const
{
    std::string text = pszSource ? pszSource : "";
    size_t at = FindMarkerLine(text, kFullScreenMarker);
    if (at != std::string::npos) ReplaceLine(text, at, FullScreenBlock());
    at = FindMarkerLine(text, kUniformsMarker);
    if (at != std::string::npos) ReplaceLine(text, at, Block());
    return text;
}
