#include "effects/fxBackGrid/shBackGrid.h"

#include "effects/shEffectProgram.h"
#include "effects/shUniformList.h"

// clang-format off
const char* const shBackGrid::FragmentSource =
"SHADER_HEADER\n"
"#ifdef MORVANE\n"
"#define SHADER_MAIN void main()\n"
"in vec2 fragCoord;\n"
"out vec4 fragColor;\n"
"uniform vec2 UV_POS;\n"
"uniform vec2 UV_SCALE;\n"
"uniform vec4 BACK_COLOR;\n"
"uniform vec4 GRID_COLOR1;\n"
"uniform vec4 GRID_COLOR2;\n"
"uniform vec4 GRID_COLOR3;\n"
"uniform vec2 GRID_WIDTH1;\n"
"uniform vec2 GRID_WIDTH2;\n"
"uniform vec2 GRID_WIDTH3;\n"
"uniform vec2 GRID_SIZE;\n"
"#else\n"
"#define SHADER_MAIN void mainImage( out vec4 fragColor, in vec2 fragCoord )\n"
"vec2 UV_POS = vec2(0.0, 0.0);\n"
"vec2 UV_SCALE = vec2(1.0, 1.0);\n"
"vec4 BACK_COLOR = vec4(0.1, 0.25, 0.35, 1.0);\n"
"vec4 GRID_COLOR1 = vec4(1.0, 1.0, 1.0, 0.1);\n"
"vec4 GRID_COLOR2 = vec4(1.0, 1.0, 1.0, 0.1);\n"
"vec4 GRID_COLOR3 = vec4(1.0, 1.0, 1.0, 0.4);\n"
"vec2 GRID_WIDTH1 = vec2(2.1, 2.1);\n"
"vec2 GRID_WIDTH2 = vec2(2.1, 2.1);\n"
"vec2 GRID_WIDTH3 = vec2(2.1, 2.1);\n"
"vec2 GRID_SIZE = vec2(1.0, 1.0);\n"
"#endif\n"
"\n"
"// Linear step: 0 at a, 1 at b.\n"
"float ramp(float a, float b, float x)\n"
"{\n"
"    return (clamp(x, a, b) - a) / (b - a);\n"
"}\n"
"\n"
"// One grid of step s (per axis), line widths w (in pixel pitches; w.y for the vertical lines,\n"
"// w.x for the horizontal ones) and colour c over col.\n"
"vec3 grid(vec3 col, vec2 pos, vec2 s, vec2 w, vec4 c, float pp)\n"
"{\n"
"    // A cell size of 0 has no lines to draw (and would divide by zero); a negative one\n"
"    // draws the same lines as its opposite.\n"
"    s = abs(s);\n"
"    if (s.x == 0.0 || s.y == 0.0)\n"
"        return col;\n"
"    vec2 h = w * pp * 0.5;\n"
"    vec2 m = 1.0 / s;\n"
"    vec2 d = abs(fract((pos + s * 0.5) * m) - 0.5);\n"
"    float gx = 1.0 - ramp(h.y * m.x, (h.y + pp * 1.2) * m.x, d.x);\n"
"    float gy = 1.0 - ramp(h.x * m.y, (h.x + pp * 1.2) * m.y, d.y);\n"
"    return mix(col, c.rgb, max(gx, gy) * c.a);\n"
"}\n"
"\n"
"SHADER_MAIN\n"
"{\n"
"    vec2 uv = (2.0 * fragCoord - iResolution) / iResolution.y;\n"
"    uv = uv * UV_SCALE + UV_POS;\n"
"    float pp = 1.5 / iResolution.y;\n"
"    vec3 col = BACK_COLOR.rgb;\n"
"    vec2 pos = uv + 0.5;\n"
"    col = grid(col, pos, GRID_SIZE * 0.1, GRID_WIDTH1, GRID_COLOR1, pp);\n"
"    col = grid(col, pos, GRID_SIZE * 0.5, GRID_WIDTH2, GRID_COLOR2, pp);\n"
"    col = grid(col, pos, GRID_SIZE, GRID_WIDTH3, GRID_COLOR3, pp);\n"
"    fragColor = vec4(col, 1.0);\n"
"}\n";
// clang-format on

void shBackGrid::ListUniforms(shUniformList& list)
{
    SH_UNIFORM(list, 2f, UV_POS, _vUvPos);
    SH_UNIFORM(list, 2f, UV_SCALE, _vUvScale);
    SH_UNIFORM(list, 4f, BACK_COLOR, _vBackColor);
    SH_UNIFORM(list, 4f, GRID_COLOR1, _vGridColor1);
    SH_UNIFORM(list, 4f, GRID_COLOR2, _vGridColor2);
    SH_UNIFORM(list, 4f, GRID_COLOR3, _vGridColor3);
    SH_UNIFORM(list, 2f, GRID_WIDTH1, _vGridWidth1);
    SH_UNIFORM(list, 2f, GRID_WIDTH2, _vGridWidth2);
    SH_UNIFORM(list, 2f, GRID_WIDTH3, _vGridWidth3);
    SH_UNIFORM(list, 2f, GRID_SIZE, _vGridSize);
}

bool shBackGrid::Build()
{
    return shEffectProgram::BuildFullScreen(*this, FragmentSource);
}

void shBackGrid::Use()
{
    shEffectProgram::UseFullScreen(*this, __FILE__, __LINE__);
}
