#include "effects/fxBackGrid/shBackGrid.h"

#include "effects/shEffectProgram.h"

const char* const shBackGrid::FragmentSource = R"GLSL(SHADER_HEADER
SHADER_FULL_SCREEN

// Linear step: 0 at a, 1 at b.
float ramp(float a, float b, float x)
{
    return (clamp(x, a, b) - a) / (b - a);
}

// One grid of step s (per axis), line widths w (in pixel pitches; w.y for the vertical lines,
// w.x for the horizontal ones) and colour c over col.
vec3 grid(vec3 col, vec2 pos, vec2 s, vec2 w, vec4 c, float pp)
{
    // A cell size of 0 has no lines to draw (and would divide by zero); a negative one
    // draws the same lines as its opposite.
    s = abs(s);
    if (s.x == 0.0 || s.y == 0.0)
        return col;
    vec2 h = w * pp * 0.5;
    vec2 m = 1.0 / s;
    vec2 d = abs(fract((pos + s * 0.5) * m) - 0.5);
    float gx = 1.0 - ramp(h.y * m.x, (h.y + pp * 1.2) * m.x, d.x);
    float gy = 1.0 - ramp(h.x * m.y, (h.x + pp * 1.2) * m.y, d.y);
    return mix(col, c.rgb, max(gx, gy) * c.a);
}

SHADER_MAIN
{
    vec2 uv = (2.0 * fragCoord - iResolution) / iResolution.y;
    uv = uv * UV_SCALE + UV_POS;
    float pp = 1.5 / iResolution.y;
    vec3 col = BACK_COLOR.rgb;
    vec2 pos = uv + 0.5;
    col = grid(col, pos, GRID_SIZE * 0.1, GRID_WIDTH1, GRID_COLOR1, pp);
    col = grid(col, pos, GRID_SIZE * 0.5, GRID_WIDTH2, GRID_COLOR2, pp);
    col = grid(col, pos, GRID_SIZE, GRID_WIDTH3, GRID_COLOR3, pp);
    fragColor = vec4(col, 1.0);
}
)GLSL";

bool shBackGrid::Build()
{
    return shEffectProgram::BuildFullScreen(*this, FragmentSource);
}

void shBackGrid::Use()
{
    shEffectProgram::UseFullScreen(*this, __FILE__, __LINE__);
}
