#pragma once
// GLSL sources of the vector display's four programs. The pointers may be redirected (a test
// does so to check that a source that does not compile makes set-up fail).

struct vector_display_shader_sources
{
    const char* quad_vs;      // textured quad, glow and composition (no version line)
    const char* composite_fs; // texture times (mult, mult, mult, alpha * mult)
    const char* blur_fs;      // 9-tap cross blur
    const char* composite_glow_fs; // image plus glow times mult (alpha: the larger)
    const char* blur_texel_fs;     // the same cross blur, the taps on texel centres through a nearest sampler
    const char* triangle_vs;  // "#version 150": pass-through
    const char* triangle_gs;  // edge distances for the outline
    const char* triangle_fs;  // black (or textured) face with glowing edges
    const char* line_vs;      // "#version 150 core": pass-through
    const char* line_gs;      // ribbons, miters, caps and dots
    const char* line_fs;      // soft beam profile from the dot sprite, fog
};

extern vector_display_shader_sources g_vector_display_shaders;
extern const vector_display_shader_sources g_vector_display_shaders_default;
