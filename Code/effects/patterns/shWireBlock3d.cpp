#include "effects/patterns/shWireBlock3d.h"

#include "effects/shEffectProgram.h"

const char* const shWireBlock3d::VertexSource = R"GLSL(SHADER_HEADER
layout (location = 0) in vec3 inVec3Pos;
layout (location = 1) in int inIntSlot;
layout (std140) uniform WIRE_BLOCK
{
    vec4 WIRE_PLACE[8];
};
void main()
{
    vec4 place = WIRE_PLACE[inIntSlot & 7];
    gl_Position = vec4(inVec3Pos * place.w + place.xyz, 1.0);
}
)GLSL";

const char* const shWireBlock3d::GeometrySource = R"GLSL(SHADER_HEADER
layout (triangles) in;
layout (triangle_strip, max_vertices = 3) out;
uniform mat4 MVP;
SHADER_UNIFORMS
noperspective out vec3 gsDist;

// Distance in pixels from a to the line through b and c.
float EdgeDistance(vec2 a, vec2 b, vec2 c)
{
    vec2 e = c - b;
    vec2 f = a - b;
    return abs(e.x * f.y - e.y * f.x) / max(length(e), 1e-6);
}

void main()
{
    vec4 q[3];
    vec2 s[3];
    for (int k = 0; k < 3; k++)
    {
        q[k] = MVP * gl_in[k].gl_Position;
        s[k] = (q[k].xy / q[k].w * 0.5 + 0.5) * VIEWPORT_SIZE;
    }
    for (int k = 0; k < 3; k++)
    {
        vec3 d = vec3(0.0);
        d[k] = EdgeDistance(s[k], s[(k + 1) % 3], s[(k + 2) % 3]);
        gsDist = d;
        gl_Position = q[k];
        EmitVertex();
    }
    EndPrimitive();
}
)GLSL";

const char* const shWireBlock3d::FragmentSource = R"GLSL(SHADER_HEADER
SHADER_UNIFORMS
noperspective in vec3 gsDist;
out vec4 fragColor;
void main()
{
    float d = min(gsDist.x, min(gsDist.y, gsDist.z));
    float line = 1.0 - smoothstep(LINE_WIDTH - 0.5, LINE_WIDTH + 0.5, d);
    vec4 c = mix(FILL_COLOR, LINE_COLOR, line);
    fragColor = vec4(c.rgb, c.a * FADE);
}
)GLSL";

shWireBlock3d::~shWireBlock3d()
{
    if (_glWireBuffer) glDeleteBuffers(1, &_glWireBuffer);
}

bool shWireBlock3d::Build()
{
    const bool bOk = shEffectProgram::Build3D(*this, VertexSource, GeometrySource, FragmentSource,
                                              {"inVec3Pos", "inIntSlot"});
    shEffectProgram::BindUniformBlock(programID, "WIRE_BLOCK", GLuint(_nWireBlockBinding));
    return bOk;
}

void shWireBlock3d::Use()
{
    GLint viewport[4] = {0, 0, 1, 1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    _vViewportSize = glm::vec2(float(viewport[2]), float(viewport[3]));
    shEffectProgram::Use3D(*this, __FILE__, __LINE__);
    if (!_glWireBuffer) glGenBuffers(1, &_glWireBuffer);
    glBindBuffer(GL_UNIFORM_BUFFER, _glWireBuffer);
    glBufferData(GL_UNIFORM_BUFFER, sizeof(_aWirePlace), _aWirePlace, GL_DYNAMIC_DRAW);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    glBindBufferBase(GL_UNIFORM_BUFFER, GLuint(_nWireBlockBinding), _glWireBuffer);
}

void shWireBlock3d::Release()
{
    if (_glWireBuffer) glDeleteBuffers(1, &_glWireBuffer);
    _glWireBuffer = 0;
    rvProgram3D::Release();
}
