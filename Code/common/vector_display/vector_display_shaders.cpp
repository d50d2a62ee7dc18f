#include "vector_display_shaders.h"

namespace
{
constexpr const char* kQuadVS = R"(
attribute vec3 inPosition;
attribute vec2 inTexCoord;
uniform mat4 inModelViewMatrix;
uniform mat4 inProjectionMatrix;
varying vec2 vTexCoord;
void main()
{
    vTexCoord = inTexCoord;
    gl_Position = inProjectionMatrix * inModelViewMatrix * vec4(inPosition, 1.0);
}
)";

constexpr const char* kCompositeFS = R"(
uniform sampler2D tex1;
uniform float alpha;
uniform float mult;
varying vec2 vTexCoord;
void main()
{
    gl_FragColor = texture2D(tex1, vTexCoord) * vec4(mult, mult, mult, alpha * mult);
}
)";

constexpr const char* kBlurFS = R"(
uniform sampler2D tex1;
uniform vec2 scale;
uniform float alpha;
uniform float mult;
varying vec2 vTexCoord;
void main()
{
    float w[9];
    w[0] = 0.05; w[1] = 0.09; w[2] = 0.12; w[3] = 0.15; w[4] = 0.16;
    w[5] = 0.15; w[6] = 0.12; w[7] = 0.09; w[8] = 0.05;
    vec4 sum = vec4(0.0);
    for (int i = 0; i < 9; i++)
    {
        float o = float(i - 4);
        sum += texture2D(tex1, vTexCoord + vec2(o * scale.x, 0.0)) * w[i];
        sum += texture2D(tex1, vTexCoord + vec2(0.0, o * scale.y)) * w[i];
    }
    gl_FragColor = sum * 0.5 * vec4(mult, mult, mult, alpha * mult);
}
)";

// The image plus its glow in one pass: the sum of the two additive composites, alpha the larger.
constexpr const char* kCompositeGlowFS = R"(
uniform sampler2D tex1;
uniform sampler2D tex2;
uniform float mult;
varying vec2 vTexCoord;
void main()
{
    vec4 image = texture2D(tex1, vTexCoord);
    vec4 glow = texture2D(tex2, vTexCoord) * mult;
    gl_FragColor = vec4(image.rgb + glow.rgb, max(image.a, glow.a));
}
)";

// The cross blur of kBlurFS between the glow targets, where a pass's fragments sit on the texel
// centres of the texture it reads: the centre and the vertical taps fall on texel centres too, so
// they are read through a nearest sampler (`texels`, the same texture: one texel each instead of
// four to filter, the same values); the centre, shared by both arms, is read once. The horizontal
// taps (a height-based step, off the centres) stay filtered. The sums keep kBlurFS's order, so the
// passes round as before. Taps paired through linear filtering would be fewer, but an 8-bit
// filtered read rounds each pair, and over the passes that drifts past what the picture allows.
// Written out without a loop: llvmpipe runs it a third faster so.
constexpr const char* kBlurTexelFS = R"(
uniform sampler2D tex1;
uniform sampler2D texels;
uniform vec2 scale;
uniform float mult;
varying vec2 vTexCoord;
vec4 across(float o) { return texture2D(tex1, vTexCoord + vec2(o * scale.x, 0.0)); }
vec4 down(float o) { return texture2D(texels, vTexCoord + vec2(0.0, o * scale.y)); }
void main()
{
    vec4 centre = texture2D(texels, vTexCoord);
    vec4 sum = vec4(0.0);
    sum += across(-4.0) * 0.05; sum += down(-4.0) * 0.05;
    sum += across(-3.0) * 0.09; sum += down(-3.0) * 0.09;
    sum += across(-2.0) * 0.12; sum += down(-2.0) * 0.12;
    sum += across(-1.0) * 0.15; sum += down(-1.0) * 0.15;
    sum += centre * 0.16;       sum += centre * 0.16;
    sum += across(1.0) * 0.15;  sum += down(1.0) * 0.15;
    sum += across(2.0) * 0.12;  sum += down(2.0) * 0.12;
    sum += across(3.0) * 0.09;  sum += down(3.0) * 0.09;
    sum += across(4.0) * 0.05;  sum += down(4.0) * 0.05;
    gl_FragColor = sum * 0.5 * vec4(mult);
}
)";

// The pass-through vertex stage shared by the triangle and line programs.
#define VECTOR_DISPLAY_PASS_THROUGH_VS                                                                       \
    "\n"                                                                                                     \
    "in vec3 inPosition;\n"                                                                                  \
    "in vec3 inColor;\n"                                                                                     \
    "in int inFlags;\n"                                                                                      \
    "in float inThickness;\n"                                                                                \
    "out vec3 vsColor;\n"                                                                                    \
    "flat out int vsFlags;\n"                                                                                \
    "out float vsThickness;\n"                                                                               \
    "void main()\n"                                                                                          \
    "{\n"                                                                                                    \
    "    vsColor = inColor;\n"                                                                               \
    "    vsFlags = inFlags;\n"                                                                               \
    "    vsThickness = inThickness;\n"                                                                       \
    "    gl_Position = vec4(inPosition, 1.0);\n"                                                             \
    "}\n"

// The point flags seen by the geometry stages: the same values as the PTF_ enum of vector_display.h.
#define VECTOR_DISPLAY_POINT_FLAGS                                                                           \
    "\n"                                                                                                     \
    "const int PTF_LINE_STRIPSTART = 1;\n"                                                                   \
    "const int PTF_LINE_STRIPEND = 2;\n"                                                                     \
    "const int PTF_TRIANGLE_DISCARDLINE = 4;\n"                                                              \
    "const int PTF_TEXTURE_MAPPING = 8;\n"

constexpr const char* kTriangleVS = "#version 150" VECTOR_DISPLAY_PASS_THROUGH_VS;

constexpr const char* kTriangleGS = R"(#version 150
layout(triangles) in;
layout(triangle_strip, max_vertices = 3) out;
)" VECTOR_DISPLAY_POINT_FLAGS R"(

uniform mat4 MVP;
uniform float DECALZ;
uniform vec2 VIEWPORT;
uniform vec2 THICKNESS_RANGE;
uniform float THICKNESS_FACTOR;

in vec3 vsColor[];
flat in int vsFlags[];
in float vsThickness[];

out vec4 gsDist;
out vec3 gsColor;
out vec3 gsTexCoord;
// 1 for each edge that is not outlined (edge 1-2, 2-0, 0-1: the components of gsDist). The
// 999999 added to gsDist falls to 0 on the edge itself; this keeps exact hits dark too.
flat out vec3 gsDiscard;

float cross2(vec2 a, vec2 b) { return a.x * b.y - a.y * b.x; }
float discarded(int f) { return (f & PTF_TRIANGLE_DISCARDLINE) != 0 ? 999999.0 : 0.0; }

void emit(int i, vec4 P, vec4 dist, vec3 discardMask)
{
    int f = vsFlags[i];
    gsDist = dist;
    gsDiscard = discardMask;
    gsColor = vsColor[i];
    if ((f & PTF_TEXTURE_MAPPING) != 0)
        gsTexCoord = vec3(float((f >> 24) & 255) / 255.0, float((f >> 16) & 255) / 255.0, 1.0);
    else
        gsTexCoord = vec3(0.0);
    gl_Position = P;
    EmitVertex();
}

void main()
{
    vec4 P[3];
    vec2 p[3];
    float w[3];
    float T[3];
    for (int i = 0; i < 3; i++)
    {
        P[i] = MVP * vec4(gl_in[i].gl_Position.xyz, 1.0);
        p[i] = P[i].xy / P[i].w;
        P[i].z += DECALZ;
        w[i] = max(P[i].w, 1.0);
        float s = 2.0 * VIEWPORT.y / w[i];
        T[i] = clamp(THICKNESS_FACTOR * vsThickness[i] * s, THICKNESS_RANGE.x, THICKNESS_RANGE.y) / s;
    }
    float r = VIEWPORT.y / VIEWPORT.x;
    vec3 mask = vec3(discarded(vsFlags[1]), discarded(vsFlags[2]), discarded(vsFlags[0])) / 999999.0;
    vec2 e01 = p[1] - p[0], e02 = p[2] - p[0], e12 = p[2] - p[1];
    vec2 e10 = -e01, e20 = -e02, e21 = -e12;
    float d01 = max(length(e01), 1e-9), d02 = max(length(e02), 1e-9), d12 = max(length(e12), 1e-9);

    float h0 = abs(cross2(e01, e02)) / d12;
    float t0 = abs(dot(e10, e12)) / (d01 * d12);
    float width0 = mix(T[1], T[2], t0);
    float ratio0 = mix(1.0, r, abs(e12.x) / d12);
    emit(0, P[0], vec4(h0 * w[0] + discarded(vsFlags[1]), 0.0, 0.0, width0) * ratio0, mask);

    float h1 = abs(cross2(e10, e12)) / d02;
    float t1 = abs(dot(e01, e02)) / (d01 * d02);
    float width1 = mix(T[0], T[2], t1);
    float ratio1 = mix(1.0, r, abs(e02.x) / d02);
    emit(1, P[1], vec4(0.0, h1 * w[1] + discarded(vsFlags[2]), 0.0, width1) * ratio1, mask);

    float h2 = abs(cross2(e20, e21)) / d01;
    float t2 = abs(dot(e02, e01)) / (d01 * d02);
    float width2 = mix(T[0], T[1], t2);
    float ratio2 = mix(1.0, r, abs(e01.x) / d01);
    emit(2, P[2], vec4(0.0, 0.0, h2 * w[2] + discarded(vsFlags[0]), width2) * ratio2, mask);
    EndPrimitive();
}
)";

constexpr const char* kTriangleFS = R"(#version 150
uniform sampler2D TEXTURE_MAPPED;
uniform float ALPHA;
uniform float COLOR_INTENSITY;
uniform vec3 COLOR_BACK;
uniform vec3 COLOR_FOG;
in vec4 gsDist;
in vec3 gsColor;
in vec3 gsTexCoord;
flat in vec3 gsDiscard;
out vec4 fragColor;
void main()
{
    vec3 dist = gsDist.xyz + gsDiscard * 999999.0;
    float d = min(dist.x, min(dist.y, dist.z));
    float I = 1.0 - smoothstep(0.0, 1.0, d / gsDist.w);
    vec3 texel = texture(TEXTURE_MAPPED, gsTexCoord.xy).rgb;
    vec3 base = gsTexCoord.z >= 0.9 ? texel : vec3(0.0);
    vec3 colour = mix(base, gsColor, I);
    float z = gl_FragCoord.z / gl_FragCoord.w;
    float fog = 1.0 - pow(1.0 - clamp((z - COLOR_FOG.x) / (COLOR_FOG.y - COLOR_FOG.x), 0.0, 1.0), COLOR_FOG.z);
    fragColor = vec4(mix(colour * COLOR_INTENSITY, COLOR_BACK, fog), ALPHA);
}
)";

constexpr const char* kLineVS = "#version 150 core" VECTOR_DISPLAY_PASS_THROUGH_VS;

// Segment 1-2 of each lines_adjacency window, with its neighbours 0 and 3. Screen space is the
// normalised device position times the viewport size (two units per pixel on both axes).
constexpr const char* kLineGS = R"(#version 150 core
layout(lines_adjacency) in;
layout(triangle_strip, max_vertices = 12) out;
)" VECTOR_DISPLAY_POINT_FLAGS R"(
const float NEAR_W = 1e-4;

uniform mat4 MVP;
uniform float MITER_LIMIT;
uniform vec2 VIEWPORT;
uniform vec2 THICKNESS_RANGE;
uniform float THICKNESS_FACTOR;

in vec3 vsColor[];
flat in int vsFlags[];
in float vsThickness[];

out vec2 gsTexCoord;
out vec3 gsColor;

vec2 screen(vec4 p) { return p.xy / p.w * VIEWPORT; }
vec4 back(vec2 q, vec4 p) { return vec4(p.w * q / VIEWPORT, p.z, p.w); }
vec2 direction(vec2 d, vec2 fallback)
{
    float l = length(d);
    return l > 1e-6 ? d / l : fallback;
}

void vertex(vec2 q, vec4 p, vec2 uv, vec3 colour)
{
    gsTexCoord = uv;
    gsColor = colour;
    gl_Position = back(q, p);
    EmitVertex();
}

void main()
{
    int f0 = vsFlags[0], f1 = vsFlags[1], f2 = vsFlags[2], f3 = vsFlags[3];
    if (((f0 | f1) & PTF_LINE_STRIPEND) != 0 || ((f2 | f3) & PTF_LINE_STRIPSTART) != 0)
        return;
    bool valid0 = (f0 == 0);
    bool valid2 = (f3 == 0);

    vec4 p0 = MVP * vec4(gl_in[0].gl_Position.xyz, 1.0);
    vec4 p1 = MVP * vec4(gl_in[1].gl_Position.xyz, 1.0);
    vec4 p2 = MVP * vec4(gl_in[2].gl_Position.xyz, 1.0);
    vec4 p3 = MVP * vec4(gl_in[3].gl_Position.xyz, 1.0);

    // Clip the segment at the camera plane; the part behind the eye is not drawn.
    if (p1.w < NEAR_W && p2.w < NEAR_W)
        return;
    if (p1.w < NEAR_W)
    {
        p1 = mix(p1, p2, (NEAR_W - p1.w) / (p2.w - p1.w));
        valid0 = false;
    }
    else if (p2.w < NEAR_W)
    {
        p2 = mix(p2, p1, (NEAR_W - p2.w) / (p1.w - p2.w));
        valid2 = false;
    }
    if (p0.w < NEAR_W)
        valid0 = false;
    if (p3.w < NEAR_W)
        valid2 = false;

    float T1 = clamp(2.0 * VIEWPORT.y * vsThickness[1] * THICKNESS_FACTOR / p1.w, THICKNESS_RANGE.x, THICKNESS_RANGE.y);
    float T2 = clamp(2.0 * VIEWPORT.y * vsThickness[2] * THICKNESS_FACTOR / p2.w, THICKNESS_RANGE.x, THICKNESS_RANGE.y);

    vec2 pt1 = screen(p1);
    vec2 pt2 = screen(p2);
    vec2 A = VIEWPORT + vec2(max(T1, T2));
    if ((pt1.x < -A.x && pt2.x < -A.x) || (pt1.x > A.x && pt2.x > A.x) ||
        (pt1.y < -A.y && pt2.y < -A.y) || (pt1.y > A.y && pt2.y > A.y))
        return;

    vec3 c1 = vsColor[1];
    vec3 c2 = vsColor[2];

    if (f1 != 0 || f2 != 0)
    {
        float y = 2.0 * p1.w * T1 / VIEWPORT.y;
        float x = y * VIEWPORT.y / VIEWPORT.x;
        gsColor = c1;
        gsTexCoord = vec2(0.0, 0.0); gl_Position = p1 + vec4(-x, -y, 0.0, 0.0); EmitVertex();
        gsTexCoord = vec2(0.0, 1.0); gl_Position = p1 + vec4(-x, y, 0.0, 0.0); EmitVertex();
        gsTexCoord = vec2(1.0, 0.0); gl_Position = p1 + vec4(x, -y, 0.0, 0.0); EmitVertex();
        gsTexCoord = vec2(1.0, 1.0); gl_Position = p1 + vec4(x, y, 0.0, 0.0); EmitVertex();
        EndPrimitive();
        return;
    }

    vec2 pt0 = screen(p0);
    vec2 pt3 = screen(p3);
    vec2 dir1 = pt2 - pt1;
    float len1 = length(dir1);
    dir1 = direction(dir1, vec2(1.0, 0.0));
    vec2 dir0 = direction(pt1 - pt0, dir1);
    vec2 dir2 = direction(pt3 - pt2, dir1);
    vec2 nrm0 = vec2(-dir0.y, dir0.x);
    vec2 nrm1 = vec2(-dir1.y, dir1.x);
    vec2 nrm2 = vec2(-dir2.y, dir2.x);

    vec2 miter_a = nrm1;
    float length_a = T1;
    vec2 miter_b = nrm1;
    float length_b = T2;
    bool sharp_a = valid0 && dot(dir0, dir1) < -MITER_LIMIT;
    bool sharp_b = valid2 && dot(dir1, dir2) < -MITER_LIMIT;
    if (valid0 && !sharp_a)
    {
        miter_a = normalize(nrm0 + nrm1);
        length_a = T1 / dot(miter_a, nrm1);
    }
    if (valid2 && !sharp_b)
    {
        miter_b = normalize(nrm1 + nrm2);
        length_b = T2 / dot(miter_b, nrm1);
    }

    if (sharp_a)
    {
        if (dot(dir0, nrm1) > 0.0)
        {
            vertex(pt1 + T1 * nrm0, p1, vec2(0.5, 0.0), c1);
            vertex(pt1 + T1 * nrm1, p1, vec2(0.5, 0.0), c1);
        }
        else
        {
            vertex(pt1 - T1 * nrm1, p1, vec2(0.5, 1.0), c1);
            vertex(pt1 - T1 * nrm0, p1, vec2(0.5, 1.0), c1);
        }
        vertex(pt1, p1, vec2(0.5, 0.5), c1);
        EndPrimitive();
    }

    float da = dot(length_a * miter_a, dir1);
    float db = dot(length_b * miter_b, dir1);
    float fact0 = len1 / max(max(len1, da - db), 1e-6);
    float fact1 = len1 / max(max(len1, db - da), 1e-6);

    vertex(pt1 + fact0 * length_a * miter_a, p1, vec2(0.5, 0.5 * (1.0 - fact0)), c1);
    vertex(pt1 - fact1 * length_a * miter_a, p1, vec2(0.5, 1.0 - 0.5 * (1.0 - fact1)), c1);
    vertex(pt2 + fact0 * length_b * miter_b, p2, vec2(0.5, 0.5 * (1.0 - fact0)), c2);
    vertex(pt2 - fact1 * length_b * miter_b, p2, vec2(0.5, 1.0 - 0.5 * (1.0 - fact1)), c2);
    EndPrimitive();

    if (!valid0)
    {
        vertex(pt1 + T1 * (nrm1 - dir1), p1, vec2(0.0, 0.0), c1);
        vertex(pt1 - T1 * (nrm1 + dir1), p1, vec2(0.0, 1.0), c1);
        vertex(pt1 + T1 * nrm1, p1, vec2(0.5, 0.0), c1);
        vertex(pt1 - T1 * nrm1, p1, vec2(0.5, 1.0), c1);
        EndPrimitive();
    }
    if (!valid2)
    {
        vertex(pt2 + T2 * (nrm1 + dir1), p2, vec2(1.0, 0.0), c2);
        vertex(pt2 - T2 * (nrm1 - dir1), p2, vec2(1.0, 1.0), c2);
        vertex(pt2 + T2 * nrm1, p2, vec2(0.5, 0.0), c2);
        vertex(pt2 - T2 * nrm1, p2, vec2(0.5, 1.0), c2);
        EndPrimitive();
    }
}
)";

constexpr const char* kLineFS = R"(#version 150 core
uniform sampler2D tex0;
uniform float ALPHA;
uniform float COLOR_INTENSITY;
uniform vec3 COLOR_BACK;
uniform vec3 COLOR_FOG;
in vec2 gsTexCoord;
in vec3 gsColor;
out vec4 fragColor;
void main()
{
    float a = texture(tex0, gsTexCoord).a;
    float z = gl_FragCoord.z / gl_FragCoord.w;
    // Nearer than the fog's start there is no fog: pow(1, k) is 1, skipped where no fragment needs it.
    float t = clamp((z - COLOR_FOG.x) / (COLOR_FOG.y - COLOR_FOG.x), 0.0, 1.0);
    float fog = 0.0;
    if (t > 0.0)
        fog = 1.0 - pow(1.0 - t, COLOR_FOG.z);
    vec3 colour = mix(gsColor * COLOR_INTENSITY, COLOR_BACK, fog);
    fragColor = vec4(colour, a * ALPHA);
}
)";
} // namespace

const vector_display_shader_sources g_vector_display_shaders_default = {
    kQuadVS,     kCompositeFS, kBlurFS, kCompositeGlowFS, kBlurTexelFS, kTriangleVS,
    kTriangleGS, kTriangleFS,  kLineVS, kLineGS,          kLineFS,
};

vector_display_shader_sources g_vector_display_shaders = g_vector_display_shaders_default;
