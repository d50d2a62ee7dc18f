#include "effects/shEffectProgram.h"

#include "rvShaderProgram.h"

#include <cstdio>
#include <set>
#include <string>

const char* const shEffectProgram::FullScreenVertexSource =
    "SHADER_HEADER\n"
    "layout (location = 0) in vec2 aPos;\n"
    "layout (location = 1) in vec2 aTexCoords;\n"
    "out vec2 fragCoord;\n"
    "void main()\n"
    "{\n"
    "    fragCoord = aTexCoords * iResolution;\n"
    "    gl_Position = vec4(aPos.x, aPos.y, 0.0, 1.0);\n"
    "}\n";

void shEffectProgram::UploadTimelineTime(rvProgram2D& program)
{
    rvAssert(rvProgram::_currentProgramUsed == &program);
    if (program._location1f_iTime >= 0)
        glUniform1f(program._location1f_iTime, rvProgram2D::ClockTime(TIME_PARENT_SEQUENCE));
}

void shEffectProgram::SetFadeBlend(float fFade)
{
    if (fFade < 1.0f)
    {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glBlendEquation(GL_FUNC_ADD);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
    }
    else
    {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
        glDisable(GL_BLEND);
    }
}

bool shEffectProgram::LoadDataImage(rvTexColorProgram2D& holder, const char* pszPath)
{
    holder.LoadImage(pszPath, false);
    if (holder.IsImageLoaded()) return true;
    static std::set<std::string> s_asReported;
    if (s_asReported.insert(pszPath).second)
        std::fprintf(stderr, "Missing image %s: the effect is drawn without it.\n", pszPath);
    return false;
}

GLuint shEffectProgram::NeutralNoiseTexture()
{
    static GLuint s_glTexture = 0;
    if (!s_glTexture)
    {
        const unsigned char grey[4] = {128, 128, 128, 128};
        glGenTextures(1, &s_glTexture);
        glBindTexture(GL_TEXTURE_2D, s_glTexture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, grey);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    return s_glTexture;
}
