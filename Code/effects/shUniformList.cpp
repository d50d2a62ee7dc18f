#include "effects/shUniformList.h"

#include "rvAssert.h"

void shUniformList::Add(const char* pszName, const char* pszCheck, int eType, int* pLocation,
                        const void* pValue, bool bOptional, bool bSampler)
{
    rvAssert(_nCount < MAX_UNIFORMS);
    rvAssert(!bSampler || eType == SH_UNIFORM_1i);
    _aUniforms[_nCount++] = {pszName, pszCheck, eType, pLocation, pValue, bOptional, bSampler};
}

void shUniformList::Lookup(GLuint program) const
{
    for (int i = 0; i < _nCount; ++i)
    {
        const shUniform& u = _aUniforms[i];
        *u.pLocation = program ? glGetUniformLocation(program, u.pszName) : -1;
        if (u.bSampler && *u.pLocation >= 0)
            glProgramUniform1i(program, *u.pLocation, *static_cast<const int*>(u.pValue));
    }
}

void shUniformList::Upload(const char* pszFile, int nLine) const
{
    for (int i = 0; i < _nCount; ++i)
    {
        const shUniform& u = _aUniforms[i];
        const int nLocation = *u.pLocation;
        if (nLocation < 0)
        {
            if (u.bOptional) continue;
            rvPlatform::AssertFailed(u.pszCheck, pszFile, nLine);
        }
        const float* pf = static_cast<const float*>(u.pValue);
        switch (u.eType)
        {
        case SH_UNIFORM_1f:
            glUniform1f(nLocation, pf[0]);
            break;
        case SH_UNIFORM_1i:
            glUniform1i(nLocation, *static_cast<const int*>(u.pValue));
            break;
        case SH_UNIFORM_2f:
            glUniform2f(nLocation, pf[0], pf[1]);
            break;
        case SH_UNIFORM_3f:
            glUniform3f(nLocation, pf[0], pf[1], pf[2]);
            break;
        case SH_UNIFORM_4f:
            glUniform4f(nLocation, pf[0], pf[1], pf[2], pf[3]);
            break;
        case SH_UNIFORM_m4:
            glUniformMatrix4fv(nLocation, 1, GL_FALSE, pf);
            break;
        default:
            rvAssert(false);
        }
    }
}
