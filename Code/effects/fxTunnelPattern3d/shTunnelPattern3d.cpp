#include "effects/fxTunnelPattern3d/shTunnelPattern3d.h"

#include "effects/shEffectProgram.h"

const char* const shTunnelPattern3d::VertexSource = R"GLSL(SHADER_HEADER
#extension GL_ARB_explicit_attrib_location : enable
layout (location = 0) in vec2 inVec2MainTgt;
layout (location = 1) in vec2 inVec2MainRad;
layout (location = 2) in vec2 inVec2MainOff;
layout (location = 3) in vec3 inVec3MainVar;
layout (location = 4) in vec2 inVec2FormTgt;
layout (location = 5) in vec2 inVec2FormRad;
layout (location = 6) in vec2 inVec2FormOff;
layout (location = 7) in vec3 inVec3FormVar;
layout (location = 8) in vec4 inVec4FormPos;
layout (location = 9) in ivec3 inVec3FormPeriod;
layout (std140, binding = 2) uniform MAIN_PATTERN_BLOCK
{
    vec4 MAIN_PATTERN[8];
};
SHADER_UNIFORMS
out vec4 vsCenterExplosion;
flat out int vsDecalStrip;
void main()
{
    vec3 var = inVec3FormVar;
    int px = inVec3FormPeriod.x & 7;
    int pz = inVec3FormPeriod.z & 7;
    var.x += MAIN_PATTERN[px].x;
    var.y += max(MAIN_PATTERN[pz].y, MAIN_PATTERN[px].y);
    var.z += MAIN_PATTERN[pz].z;
    vec4 p = vec4(inVec4FormPos.xyz, 1.0);
    p.xy += inVec2FormOff + inVec2MainOff;
    p.xy += var.x * (inVec2FormTgt + inVec2MainTgt);
    p.xy += var.y * (inVec2FormRad + inVec2MainRad);
    p.z += var.z * DESIGN_STEPZ;
    vsCenterExplosion = inVec4FormPos;
    vsDecalStrip = inVec3FormPeriod.y;
    gl_Position = p;
}
)GLSL";

const char* const shTunnelPattern3d::GeometrySource = R"GLSL(SHADER_HEADER
layout (triangles) in;
layout (triangle_strip, max_vertices = 3) out;
uniform mat4 MVP;
SHADER_UNIFORMS
in vec4 vsCenterExplosion[];
flat in int vsDecalStrip[];
out float gsRadius;
out vec4 gsDist;

float Cross2(vec2 a, vec2 b)
{
    return a.x * b.y - a.y * b.x;
}

void main()
{
    vec3 p[3];
    for (int k = 0; k < 3; k++)
        p[k] = gl_in[k].gl_Position.xyz;
    vec4 c0 = vsCenterExplosion[0];
    vec4 c1 = vsCenterExplosion[1];
    if (c0.w != 0.0)
    {
        vec3 a = p[0] - p[1];
        vec3 b = p[2] - p[1];
        vec3 n = normalize(mix(cross(a, b), (p[0] + p[1] + p[2]) / 3.0 - (c0.xyz + c1.xyz) / 2.0, EXPLOSION_NORMAL));
        for (int k = 0; k < 3; k++)
            p[k] += c0.w * n;
    }
    vec4 q[3];
    vec2 s[3];
    float f[3];
    for (int k = 0; k < 3; k++)
    {
        q[k] = MVP * vec4(p[k], 1.0);
        s[k] = q[k].xy / q[k].w;
        f[k] = 4.0 / (0.1 + 2.0 * LINE_BOLD) * q[k].w;
    }
    bool second = vsDecalStrip[2] == 1;
    float d01 = length(s[1] - s[0]);
    float d02 = length(s[2] - s[0]);
    float d12 = length(s[2] - s[1]);

    float h0 = abs(Cross2(s[1] - s[0], s[2] - s[0])) / length(s[1] - s[2]);
    float t0 = abs(dot(s[0] - s[1], s[2] - s[1])) / (d01 * d12);
    float h1 = abs(Cross2(s[0] - s[1], s[2] - s[1])) / length(s[0] - s[2]);
    float t1 = abs(dot(s[1] - s[0], s[2] - s[0])) / (d01 * d02);
    float h2 = abs(Cross2(s[0] - s[2], s[1] - s[2])) / length(s[0] - s[1]);
    float t2 = abs(dot(s[2] - s[0], s[1] - s[0])) / (d01 * d02);

    vec3 dist[3];
    dist[0] = vec3(0.0);
    dist[1] = vec3(0.0);
    dist[2] = vec3(0.0);
    dist[0][second ? 1 : 0] = mix(f[1], f[2], t0) * h0;
    dist[1][second ? 2 : 1] = mix(f[0], f[2], t1) * h1;
    dist[2][second ? 0 : 2] = mix(f[0], f[1], t2) * h2;
    for (int k = 0; k < 3; k++)
    {
        gsDist = vec4(dist[k], q[k].z);
        gsRadius = length(q[k].xy);
        gl_Position = q[k];
        EmitVertex();
    }
    EndPrimitive();
}
)GLSL";

const char* const shTunnelPattern3d::FragmentSource = R"GLSL(SHADER_HEADER
SHADER_UNIFORMS
in float gsRadius;
in vec4 gsDist;
out vec4 FragColor;

float Hash(vec2 c)
{
    return fract(sin(dot(c, vec2(12.0, 77.0))) * 43758.0);
}

float ValueNoise(vec2 point, vec2 scale)
{
    vec2 q = point / scale;
    vec2 cell = floor(q);
    vec2 w = smoothstep(0.0, 1.0, fract(q));
    float a = Hash(cell);
    float b = Hash(cell + vec2(1.0, 0.0));
    float c = Hash(cell + vec2(0.0, 1.0));
    float d = Hash(cell + vec2(1.0, 1.0));
    return mix(mix(a, b, w.x), mix(c, d, w.x), w.y);
}

void main()
{
    float fog = 1.0 - exp(-abs((gsDist.w - FOG_DECAL) / DEPTH_MAX) * FOG_POWER);
    vec3 e = gsDist.xyz + (1.0 - LINE_INTENSITY.xyz);
    float d = min(e.x, min(e.y, e.z));
    float I = exp2(-LINE_SMOTHNESS * d * d);
    I = max(I - LINE_THRESHOLD, 0.0) / max(1.0 - LINE_THRESHOLD, 1e-6);
    float n = ValueNoise(vec2(OFFSET_Z - gsDist.w, gsRadius), COLOR_VARIATION_SCALE);
    vec4 line = LINE_COLOR;
    line.rgb = clamp(LINE_COLOR.rgb + COLOR_VARIATION.w * COLOR_VARIATION.rgb * (2.0 * n - 1.0), 0.0, 1.0);
    FragColor = mix(I * line + (1.0 - I) * FILL_COLOR, FOG_COLOR, fog);
    FragColor.a *= FADE;
}
)GLSL";

bool shTunnelPattern3d::Build()
{
    const bool bOk = shEffectProgram::Build3D(
        *this, VertexSource, GeometrySource, FragmentSource,
        {"inVec2MainTgt", "inVec2MainRad", "inVec2MainOff", "inVec3MainVar", "inVec2FormTgt", "inVec2FormRad",
         "inVec2FormOff", "inVec3FormVar", "inVec4FormPos", "inVec3FormPeriod"});
    shEffectProgram::BindUniformBlock(programID, "MAIN_PATTERN_BLOCK", GLuint(_nMainPatternBinding));
    return bOk;
}

void shTunnelPattern3d::Use()
{
    shEffectProgram::Use3D(*this, __FILE__, __LINE__);
}

void shTunnelPattern3d::SetMVP(const glm::mat4& mMVP)
{
    _mMVP = mMVP;
    // clang-format off
    rvAssert(_locationm4_MVP>=0);
    // clang-format on
    glUniformMatrix4fv(_locationm4_MVP, 1, GL_FALSE, &_mMVP[0][0]);
}
