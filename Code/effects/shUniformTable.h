#pragma once
// The uniform table of an effect program ("sh" class): one line per uniform of its own sources,
// written once. From it come the location member and the value member, the lookup in Build, the
// upload in Use, and the GLSL declarations of both halves of the sources.
//
//     // kind, GLSL name, value member, default, stand-alone value, role
//     #define SH_BACKGRID_UNIFORMS(U)   (each line but the last ends with a backslash)
//         U(2f, UV_POS, _vUvPos, (0.0f, 0.0f), SH_SAME, SH_ASSERTED)
//         U(2f, GRID_WIDTH1, _vGridWidth1, (2.0f, 2.0f), (2.1f, 2.1f), SH_ASSERTED)
//
//     struct shBackGrid : rvProgram2D
//     {
//         SH_UNIFORM_TABLE(SH_BACKGRID_UNIFORMS)
//         ...
//     };
//
// Columns:
//   kind      1f float, 1i int, 2f 3f 4f glm vectors, m4 glm::mat4 (column-major)
//   name      the uniform's name in the GLSL source
//   member    the value member, of the kind's type; effects register their attributes on it
//   default   the member's initial value, in parentheses: (1.0f), (0.1f, 0.25f, 0.35f, 1.0f)
//   alone     the value of the stand-alone half of the source, in parentheses, or SH_SAME
//   role      SH_ASSERTED (Use stops when the compiler dropped it), SH_OPTIONAL (uploaded only when
//             active), SH_SAMPLER (a 1i texture unit: "uniform sampler2D" in the program's half only,
//             set at Build and uploaded at Use when active)
//
// SH_UNIFORM_TABLE(TABLE) declares, in table order, `int _location<kind>_<name> = -1;` and the value
// member with its default; `void ListUniforms(shUniformList&)`, which Build (Lookup), Use (Upload)
// and the build check of every program read; and `static void DeclareUniforms(shUniformDeclarations&)`.
// A source line reading SHADER_UNIFORMS becomes, at Build (shEffectProgram::WithUniforms):
//
//     #ifdef MORVANE
//     uniform vec2 UV_POS;            one per line of the table
//     #else
//     vec2 UV_POS = vec2(0.0, 0.0);   the stand-alone value (none for samplers)
//     #endif
//
// and a line reading SHADER_FULL_SCREEN, in the fragment source of a full-screen 2D class, the same
// two halves with the entry point of each: "#define SHADER_MAIN void main()", "in vec2 fragCoord;"
// and "out vec4 fragColor;" in the program's half, "#define SHADER_MAIN void mainImage( out vec4
// fragColor, in vec2 fragCoord )" in the stand-alone one, so that the text also runs in an
// image-shader host.
//
// Comments inside a table are /* */ comments: a // comment would swallow the line continuation.
#include <string>
#include <tuple>

#include <glm/glm.hpp>

#include "effects/shUniformList.h"

enum shUniformRole
{
    SH_ASSERTED,
    SH_OPTIONAL,
    SH_SAMPLER,
};

// The GLSL declarations of a table, both halves.
class shUniformDeclarations
{
public:
    void Add(const char* pszName, shUniformRole eRole, float fValue);
    void Add(const char* pszName, shUniformRole eRole, int nValue);
    void Add(const char* pszName, shUniformRole eRole, const glm::vec2& vValue);
    void Add(const char* pszName, shUniformRole eRole, const glm::vec3& vValue);
    void Add(const char* pszName, shUniformRole eRole, const glm::vec4& vValue);
    void Add(const char* pszName, shUniformRole eRole, const glm::mat4& mValue);

    // "#ifdef MORVANE", the uniform lines, "#else", the stand-alone lines, "#endif", each line ended.
    std::string Block() const;
    // The same with the entry point, input and output of a full-screen fragment source per half.
    std::string FullScreenBlock() const;
    // The source with its line "SHADER_FULL_SCREEN" replaced by FullScreenBlock() and its line
    // "SHADER_UNIFORMS" by Block(); unchanged without them.
    std::string Expand(const char* pszSource) const;

    // GLSL literal of a float: the shortest text that reads back as the same float, always with a
    // decimal point or an exponent ("1.0", "-0.75", "2.04").
    static std::string FloatLiteral(float f);

private:
    void AddLine(const char* pszType, const char* pszName, shUniformRole eRole, const std::string& sValue);

    std::string _sUniforms, _sStandAlone;
};

#define SH_SAME ()

// The C++ type of each kind.
#define SH_TYPE_1f float
#define SH_TYPE_1i int
#define SH_TYPE_2f glm::vec2
#define SH_TYPE_3f glm::vec3
#define SH_TYPE_4f glm::vec4
#define SH_TYPE_m4 glm::mat4

// The stand-alone value of a line: its own when the column holds values, else the default.
template <class... A> std::tuple<A...> shTableValues(A... values)
{
    return std::tuple<A...>(values...);
}
template <class T, class... A> T shStandAloneValue(const T& defaultValue, const std::tuple<A...>& values)
{
    if constexpr (sizeof...(A) == 0)
        return defaultValue;
    else
        return std::make_from_tuple<T>(values);
}

#define SH_TABLE_MEMBERS(KIND, NAME, member, DEFAULT, ALONE, ROLE)                                           \
    int _location##KIND##_##NAME = -1;                                                                       \
    SH_TYPE_##KIND member = SH_TYPE_##KIND DEFAULT;

#define SH_TABLE_LIST(KIND, NAME, member, DEFAULT, ALONE, ROLE)                                              \
    list.Add_##KIND(#NAME, "_location" #KIND "_" #NAME ">=0", &_location##KIND##_##NAME, &member,            \
                    (ROLE) != SH_ASSERTED, (ROLE) == SH_SAMPLER);

#define SH_TABLE_DECLARE(KIND, NAME, member, DEFAULT, ALONE, ROLE)                                           \
    declarations.Add(#NAME, ROLE, shStandAloneValue(SH_TYPE_##KIND DEFAULT, shTableValues ALONE));

#define SH_UNIFORM_TABLE(TABLE)                                                                              \
    TABLE(SH_TABLE_MEMBERS)                                                                                  \
    void ListUniforms(shUniformList& list)                                                                   \
    {                                                                                                        \
        TABLE(SH_TABLE_LIST)                                                                                 \
    }                                                                                                        \
    static void DeclareUniforms(shUniformDeclarations& declarations)                                         \
    {                                                                                                        \
        TABLE(SH_TABLE_DECLARE)                                                                              \
    }
