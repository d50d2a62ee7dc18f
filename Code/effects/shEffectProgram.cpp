#include "effects/shEffectProgram.h"

#include "rvShaderProgram.h"

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
