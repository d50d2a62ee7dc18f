#include "effects/fxBackCircuit/shBackCircuitObject.h"

#include "effects/shEffectProgram.h"

// Both vertex stages place the object alike (PlaceObject).
const char* const shBackCircuitObjectMapping::VertexSource = R"GLSL(SHADER_HEADER
layout (location = 0) in vec3 inVec3Pos;
uniform mat4 MVP;
SHADER_UNIFORMS
out vec2 vsUV;
vec4 PlaceObject(vec3 p)
{
    vec3 q = p * OBJ_SIZE.xyz * OBJ_SHIFT.y + OBJ_POS.xyz * OBJ_SHIFT.x;
    q.z += OBJ_SHIFT.z;
    return vec4(q, 1.0);
}
void main()
{
    vsUV = (inVec3Pos.xy * OBJ_SIZE.xy + OBJ_POS.xy) / TEXTURE_SIZE;
    gl_Position = MVP * PlaceObject(inVec3Pos);
}
)GLSL";

const char* const shBackCircuitObjectMapping::FragmentSource = R"GLSL(SHADER_HEADER
SHADER_UNIFORMS
in vec2 vsUV;
out vec4 fragColor;
void main()
{
    fragColor = texture(TEXTURE, vsUV);
}
)GLSL";

const char* const shBackCircuitObjectWireframe::VertexSource = R"GLSL(SHADER_HEADER
layout (location = 0) in vec3 inVec3Pos;
SHADER_UNIFORMS
vec4 PlaceObject(vec3 p)
{
    vec3 q = p * OBJ_SIZE.xyz * OBJ_SHIFT.y + OBJ_POS.xyz * OBJ_SHIFT.x;
    q.z += OBJ_SHIFT.z;
    return vec4(q, 1.0);
}
void main()
{
    gl_Position = PlaceObject(inVec3Pos);
}
)GLSL";

const char* const shBackCircuitObjectWireframe::GeometrySource = R"GLSL(SHADER_HEADER
layout (triangles) in;
layout (triangle_strip, max_vertices = 3) out;
uniform mat4 MVP;
SHADER_UNIFORMS
out vec3 gsDist;
void main()
{
    vec4 q[3];
    vec2 s[3];
    for (int k = 0; k < 3; k++)
    {
        q[k] = MVP * gl_in[k].gl_Position;
        s[k] = q[k].xy / q[k].w;
    }
    for (int k = 0; k < 3; k++)
    {
        vec2 a = s[(k + 1) % 3] - s[k];
        vec2 b = s[(k + 2) % 3] - s[k];
        vec2 e = s[(k + 2) % 3] - s[(k + 1) % 3];
        vec3 d = vec3(0.0);
        d[k] = abs(a.x * b.y - a.y * b.x) / max(length(e), 1e-6) * LINE_BOLD * q[k].w;
        gsDist = d;
        gl_Position = q[k];
        EmitVertex();
    }
    EndPrimitive();
}
)GLSL";

const char* const shBackCircuitObjectWireframe::FragmentSource = R"GLSL(SHADER_HEADER
SHADER_UNIFORMS
in vec3 gsDist;
out vec4 fragColor;
void main()
{
    vec3 e = gsDist + (1.0 - LINE_INTENSITY);
    float d = min(e.x, min(e.y, e.z));
    float I = exp2(-2.0 * d * d * d);
    I = max(I - 0.25, 0.0) / 0.75;
    fragColor = vec4(mix(FILL_COLOR, LINE_COLOR, I), 1.0);
}
)GLSL";

rvBackCircuitObjectProgram::~rvBackCircuitObjectProgram()
{
    if (_glBuffer) glDeleteBuffers(1, &_glBuffer);
}

void rvBackCircuitObjectProgram::Use()
{
    rvAssert(false);
}

void rvBackCircuitObjectProgram::Unuse()
{
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisableVertexAttribArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    rvProgram3D::Unuse();
}

void rvBackCircuitObjectProgram::Release()
{
    if (_glBuffer) glDeleteBuffers(1, &_glBuffer);
    _glBuffer = 0;
    rvProgram3D::Release();
}

bool shBackCircuitObjectMapping::Build()
{
    const bool bOk = shEffectProgram::Build3D(*this, VertexSource, nullptr, FragmentSource, {"inVec3Pos"});
    if (!_glBuffer) glGenBuffers(1, &_glBuffer);
    return bOk;
}

bool shBackCircuitObjectWireframe::Build()
{
    const bool bOk =
        shEffectProgram::Build3D(*this, VertexSource, GeometrySource, FragmentSource, {"inVec3Pos"});
    if (!_glBuffer) glGenBuffers(1, &_glBuffer);
    return bOk;
}
