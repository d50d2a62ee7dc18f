#include "shBasicShader3d.h"

#include "effects/shEffectProgram.h"

const char* const shBasicShader3d::VertexSource = R"GLSL(SHADER_HEADER
in vec4 position;
void main()
{
    gl_Position = position;
}
)GLSL";

const char* const shBasicShader3d::GeometrySource = R"GLSL(SHADER_HEADER
layout(triangles) in;
layout(triangle_strip, max_vertices = 3) out;
SHADER_UNIFORMS
uniform mat4 MVP;
out vec4 dist;
float EdgeHeight(vec2 pi, vec2 pj, vec2 pk)
{
    vec2 a = LINE_BOLD * (pj - pi);
    vec2 b = LINE_BOLD * (pk - pi);
    float area = abs(a.x * b.y - a.y * b.x);
    return area / length(a - b);
}
void main()
{
    vec4 c0 = MVP * gl_in[0].gl_Position;
    vec4 c1 = MVP * gl_in[1].gl_Position;
    vec4 c2 = MVP * gl_in[2].gl_Position;
    vec2 p0 = c0.xy / c0.w;
    vec2 p1 = c1.xy / c1.w;
    vec2 p2 = c2.xy / c2.w;
    dist = vec4(EdgeHeight(p0, p1, p2), 0.0, 0.0, 1.0) * c0.w;
    gl_Position = c0;
    EmitVertex();
    dist = vec4(0.0, EdgeHeight(p1, p2, p0), 0.0, 1.0) * c1.w;
    gl_Position = c1;
    EmitVertex();
    dist = vec4(0.0, 0.0, EdgeHeight(p2, p0, p1), 1.0) * c2.w;
    gl_Position = c2;
    EmitVertex();
    EndPrimitive();
}
)GLSL";

const char* const shBasicShader3d::FragmentSource = R"GLSL(SHADER_HEADER
SHADER_UNIFORMS
in vec4 dist;
out vec4 fragColor;
void main()
{
    float d = min(dist.x, min(dist.y, dist.z));
    float I = exp2(-2.0 * d * d * d);
    fragColor = vec4(mix(FILL_COLOR, LINE_COLOR, I), 1.0);
}
)GLSL";

bool shBasicShader3d::Build()
{
    return shEffectProgram::Build3D(*this, VertexSource, GeometrySource, FragmentSource, {"position"});
}

void shBasicShader3d::Use()
{
    shEffectProgram::Use3D(*this, __FILE__, __LINE__);
}
