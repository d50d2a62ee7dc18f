#include "shBasicShader3d.h"

#include "effects/shUniformList.h"

// clang-format off
const char* const shBasicShader3d::VertexSource =
    "SHADER_HEADER\n"
    "in vec4 position;\n"
    "void main()\n"
    "{\n"
    "\tgl_Position = position;\n"
    "}\n";

const char* const shBasicShader3d::GeometrySource =
    "SHADER_HEADER\n"
    "layout(triangles) in;\n"
    "layout(triangle_strip, max_vertices = 3) out;\n"
    "uniform float LINE_BOLD;\n"
    "uniform mat4 MVP;\n"
    "out vec4 dist;\n"
    "float EdgeHeight(vec2 pi, vec2 pj, vec2 pk)\n"
    "{\n"
    "    vec2 a = LINE_BOLD * (pj - pi);\n"
    "    vec2 b = LINE_BOLD * (pk - pi);\n"
    "    float area = abs(a.x * b.y - a.y * b.x);\n"
    "    return area / length(a - b);\n"
    "}\n"
    "void main()\n"
    "{\n"
    "    vec4 c0 = MVP * gl_in[0].gl_Position;\n"
    "    vec4 c1 = MVP * gl_in[1].gl_Position;\n"
    "    vec4 c2 = MVP * gl_in[2].gl_Position;\n"
    "    vec2 p0 = c0.xy / c0.w;\n"
    "    vec2 p1 = c1.xy / c1.w;\n"
    "    vec2 p2 = c2.xy / c2.w;\n"
    "    dist = vec4(EdgeHeight(p0, p1, p2), 0.0, 0.0, 1.0) * c0.w;\n"
    "    gl_Position = c0;\n"
    "    EmitVertex();\n"
    "    dist = vec4(0.0, EdgeHeight(p1, p2, p0), 0.0, 1.0) * c1.w;\n"
    "    gl_Position = c1;\n"
    "    EmitVertex();\n"
    "    dist = vec4(0.0, 0.0, EdgeHeight(p2, p0, p1), 1.0) * c2.w;\n"
    "    gl_Position = c2;\n"
    "    EmitVertex();\n"
    "    EndPrimitive();\n"
    "}\n";

const char* const shBasicShader3d::FragmentSource =
    "SHADER_HEADER\n"
    "uniform vec3 LINE_COLOR;\n"
    "uniform vec3 FILL_COLOR;\n"
    "in vec4 dist;\n"
    "out vec4 fragColor;\n"
    "void main()\n"
    "{\n"
    "    float d = min(dist.x, min(dist.y, dist.z));\n"
    "    float I = exp2(-2.0 * d * d * d);\n"
    "    fragColor = vec4(mix(FILL_COLOR, LINE_COLOR, I), 1.0);\n"
    "}\n";
// clang-format on

void shBasicShader3d::ListUniforms(shUniformList& list)
{
    SH_UNIFORM(list, 1f, LINE_BOLD, _fLineBold);
    SH_UNIFORM(list, 3f, LINE_COLOR, _vLineColor);
    SH_UNIFORM(list, 3f, FILL_COLOR, _vFillColor);
}

bool shBasicShader3d::Build()
{
    if (!_pGeometrySource) _pGeometrySource = GeometrySource;
    if (!_pVertexSource) _pVertexSource = VertexSource;
    if (!_pFragmentSource) _pFragmentSource = FragmentSource;
    if (_attriblocation.empty()) AddAttribLocation("position", 0);
    const bool bOk = rvProgram3D::Build();
    shUniformList list;
    ListUniforms(list);
    list.Lookup(programID);
    return bOk;
}

void shBasicShader3d::Use()
{
    ApplySwitches();
    rvProgram3D::Use();
    shUniformList list;
    ListUniforms(list);
    list.Upload(__FILE__, __LINE__);
}
