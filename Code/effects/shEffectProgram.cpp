#include "effects/shEffectProgram.h"

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "Display/rvBufferDisplay.h"
#include "rvMessage.h"
#include "rvSceneDisplay.h"
#include "rvShaderProgram.h"

const char* const shEffectProgram::FullScreenVertexSource = R"GLSL(SHADER_HEADER
layout (location = 0) in vec2 aPos;
layout (location = 1) in vec2 aTexCoords;
out vec2 fragCoord;
void main()
{
    fragCoord = aTexCoords * iResolution;
    gl_Position = vec4(aPos.x, aPos.y, 0.0, 1.0);
}
)GLSL";

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

const char* shEffectProgram::ExpandUniforms(const char* pszSource, void (*pfnDeclare)(shUniformDeclarations&))
{
    if (!pszSource ||
        (!std::strstr(pszSource, "SHADER_UNIFORMS") && !std::strstr(pszSource, "SHADER_FULL_SCREEN")))
        return pszSource;
    // Keyed by the text itself, so a source that is not a static text cannot be mistaken for
    // another one; node-based, so a text stays where it is while others are added.
    using Key = std::pair<std::string, void (*)(shUniformDeclarations&)>;
    static std::map<Key, std::string> s_texts;
    Key key(pszSource, pfnDeclare);
    auto it = s_texts.find(key);
    if (it == s_texts.end())
    {
        shUniformDeclarations declarations;
        pfnDeclare(declarations);
        it = s_texts.emplace(std::move(key), declarations.Expand(pszSource)).first;
    }
    return it->second.c_str();
}

bool shEffectProgram::BindUniformBlock(GLuint program, const char* pszBlock, GLuint nBinding)
{
    if (!program) return false;
    const GLuint nIndex = glGetUniformBlockIndex(program, pszBlock);
    if (nIndex == GL_INVALID_INDEX) return false;
    glUniformBlockBinding(program, nIndex, nBinding);
    return true;
}

glm::vec4 shEffectProgram::RegionOf(int flags, float x, float y, float w, float h)
{
    const float left = (flags & QUAD_LEFT) ? x : (flags & QUAD_RIGHT) ? x - w : x - w * 0.5f;
    const float top = (flags & QUAD_TOP) ? y : (flags & QUAD_BOTTOM) ? y - h : y - h * 0.5f;
    return glm::vec4(left, top, w, h);
}

GLuint shEffectProgram::CopyOfCurrentBuffer()
{
    // clang-format off
    rvAssert(rvSceneDisplay::_pCurrentBuffer);
    // clang-format on
    return rvSceneDisplay::_pCurrentBuffer->Copy();
}

bool shEffectProgram::LoadDataImage(rvTexColorProgram2D& holder, const char* pszPath)
{
    const rvImageLoad result = holder.LoadImage(pszPath, false);
    if (result == rvImageLoad::Loaded && holder.IsImageLoaded()) return true;
    static std::set<std::string> s_asReported;
    if (s_asReported.insert(pszPath).second)
        rvReport(rvMessageKind::Warning, "%s image %s: the effect is drawn without it",
                 result == rvImageLoad::Missing ? "missing" : "unusable (corrupt, too large or not a known format)",
                 pszPath);
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
