#pragma once
// The own uniforms of an effect program ("sh" class), listed in the order of the class's uniform
// table: GLSL name, location member, value member, and whether a missing location is an error.
//
// Every sh class lists its uniforms in one member function, which its uniform table generates
// (shUniformTable.h); written by hand it reads
//
//     void ListUniforms(shUniformList& list)
//     {
//         SH_UNIFORM(list, 2f, UV_POS, _vUvPos);            // asserted at Use
//         SH_UNIFORM_OPTIONAL(list, 1f, MAIN_FADE, _fFade); // uploaded only when active
//     }
//
// which Build (location look-up), Use (checks and uploads) and the build check of every
// registered program (shRegistry) all read, so the three cannot disagree. The list lives on the
// stack: making it costs a few stores per uniform and no allocation.
#include <epoxy/gl.h>

#include <glm/glm.hpp>

enum shUniformType
{
    SH_UNIFORM_1f,
    SH_UNIFORM_1i,
    SH_UNIFORM_2f,
    SH_UNIFORM_3f,
    SH_UNIFORM_4f,
    SH_UNIFORM_m4,
};

struct shUniform
{
    const char* pszName;  // the uniform's name in the GLSL source
    const char* pszCheck; // assertion text: the location member's name followed by ">=0"
    int eType;            // shUniformType
    int* pLocation;       // location member, -1 until Build looks it up
    const void* pValue;   // value that Use uploads
    bool bOptional;       // the compiler may drop it: uploaded only when its location is set
    bool bSampler;        // a texture unit (1i): also set once at Lookup, when active
};

class shUniformList
{
public:
    static const int MAX_UNIFORMS = 64;

    void Add_1f(const char* pszName, const char* pszCheck, int* pLocation, const float* pValue,
                bool bOptional, bool bSampler = false)
    {
        Add(pszName, pszCheck, SH_UNIFORM_1f, pLocation, pValue, bOptional, bSampler);
    }
    void Add_1i(const char* pszName, const char* pszCheck, int* pLocation, const int* pValue, bool bOptional,
                bool bSampler = false)
    {
        Add(pszName, pszCheck, SH_UNIFORM_1i, pLocation, pValue, bOptional, bSampler);
    }
    void Add_2f(const char* pszName, const char* pszCheck, int* pLocation, const glm::vec2* pValue,
                bool bOptional, bool bSampler = false)
    {
        Add(pszName, pszCheck, SH_UNIFORM_2f, pLocation, pValue, bOptional, bSampler);
    }
    void Add_3f(const char* pszName, const char* pszCheck, int* pLocation, const glm::vec3* pValue,
                bool bOptional, bool bSampler = false)
    {
        Add(pszName, pszCheck, SH_UNIFORM_3f, pLocation, pValue, bOptional, bSampler);
    }
    void Add_4f(const char* pszName, const char* pszCheck, int* pLocation, const glm::vec4* pValue,
                bool bOptional, bool bSampler = false)
    {
        Add(pszName, pszCheck, SH_UNIFORM_4f, pLocation, pValue, bOptional, bSampler);
    }
    void Add_m4(const char* pszName, const char* pszCheck, int* pLocation, const glm::mat4* pValue,
                bool bOptional, bool bSampler = false)
    {
        Add(pszName, pszCheck, SH_UNIFORM_m4, pLocation, pValue, bOptional, bSampler);
    }

    // Build step: each location looked up in the linked program, in list order, stored as it
    // comes (-1 included; a program that failed to build gives -1 for all). An active sampler
    // gets its texture unit here.
    void Lookup(GLuint program) const;
    // Use step, for the program in use: each uniform in list order; an asserted one whose
    // location is negative stops the program with its text and the given source file; an
    // optional one is skipped then; the value is uploaded with the setter of its type.
    void Upload(const char* pszFile, int nLine) const;

    int Count() const { return _nCount; }
    const shUniform& operator[](int i) const { return _aUniforms[i]; }

private:
    void Add(const char* pszName, const char* pszCheck, int eType, int* pLocation, const void* pValue,
             bool bOptional, bool bSampler);

    shUniform _aUniforms[MAX_UNIFORMS];
    int _nCount = 0;
};

// SH_UNIFORM(list, 2f, UV_POS, _vUvPos) lists the uniform "UV_POS" with the location member
// `_location2f_UV_POS` (which must exist) and the value `_vUvPos` (type checked against 2f).
#define SH_UNIFORM(list, KIND, NAME, value)                                                                  \
    (list).Add_##KIND(#NAME, "_location" #KIND "_" #NAME ">=0", &_location##KIND##_##NAME, &(value), false)
#define SH_UNIFORM_OPTIONAL(list, KIND, NAME, value)                                                         \
    (list).Add_##KIND(#NAME, "_location" #KIND "_" #NAME ">=0", &_location##KIND##_##NAME, &(value), true)
