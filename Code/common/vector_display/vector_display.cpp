// The vector display: record, set-up, geometry collection and the flush (decay ring, triangle
// and line passes, glow and composition).
#include <epoxy/gl.h>

#include "vector_display.h"
#include "vector_display_shaders.h"
#include "vector_font_simplex.h"

#include "rvAssert.h"
#include "rvNumeric.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <cmath>
#include <cstdlib>
#include <cstring>

int g_step = 0;
unsigned g_dot_texture = 0;
int g_frame_dots = 0;
int g_frame_lines = 0;
int g_frame_triangles = 0;
vector_display_point g_cube_points[8];
vector_display_point (&vector_display_cube_points)[8] = g_cube_points;
const int g_cube_faces[6][4] = {
    {0, 1, 2, 3}, {0, 4, 5, 1}, {3, 7, 4, 0}, {2, 6, 7, 3}, {1, 5, 6, 2}, {7, 6, 5, 4},
};

namespace
{
inline bool IsInRange(int v, int lo, int hi)
{
    return v >= lo && v <= hi;
}

// Logs a pending GL error under the name of the call that raised it.
void CheckGL(const char* call)
{
    GLenum err = glGetError();
    if (err != GL_NO_ERROR) vector_display_log("opengl error in %s: %d", call, int(err));
}

vector_display_point CurrentPoint(const vector_display* self, float x, float y, float z)
{
    const vector_display_settings& s = self->settings;
    return vector_display_point(x, y, z, s.color[0], s.color[1], s.color[2], 0, s.thickness);
}

inline void AppendPoint(vector_display* self, const vector_display_point& p)
{
    self->points[self->npoints++] = p;
}

void AppendTriangle(vector_display* self, const vector_display_point& a, const vector_display_point& b,
                    const vector_display_point& c)
{
    vector_display_triangle& t = self->triangles[self->ntriangles++];
    t.p[0] = a;
    t.p[1] = b;
    t.p[2] = c;
}

// Builds one program; 0 when a shader does not compile or the program does not link.
GLuint BuildProgram(const char* vs, const char* gs, const char* fs, bool pointLayout)
{
    GLuint shaders[3] = {0, 0, 0};
    shaders[0] = vector_display_compile_shader(GL_VERTEX_SHADER, vs);
    if (gs) shaders[1] = vector_display_compile_shader(GL_GEOMETRY_SHADER, gs);
    shaders[2] = vector_display_compile_shader(GL_FRAGMENT_SHADER, fs);
    if (!shaders[0] || (gs && !shaders[1]) || !shaders[2])
    {
        for (GLuint s : shaders)
            if (s) glDeleteShader(s);
        return 0;
    }
    GLuint program = glCreateProgram();
    for (GLuint s : shaders)
        if (s) glAttachShader(program, s);
    glBindAttribLocation(program, 0, "inPosition");
    if (pointLayout)
    {
        glBindAttribLocation(program, 1, "inColor");
        glBindAttribLocation(program, 2, "inFlags");
        glBindAttribLocation(program, 3, "inThickness");
    }
    else
    {
        glBindAttribLocation(program, 2, "inTexCoord");
    }
    glLinkProgram(program);
    for (GLuint s : shaders)
        if (s)
        {
            glDetachShader(program, s);
            glDeleteShader(s);
        }
    if (vector_display_check_link(program) != 0) return 0;
    return program;
}

// The programs and the nearest sampler, one set for every display of the context: all their
// uniforms but the samplers' units (the same for every display) are set by each draw, so a display
// never sees another one's values. Built by the first display set up, deleted with the last one.
struct SharedPrograms
{
    GLuint composite = 0, blur = 0, composite_glow = 0, blur_texel = 0, triangle = 0, line = 0;
    GLuint texel_sampler = 0;
    int users = 0;
};
SharedPrograms g_programs;

void DeleteSharedPrograms()
{
    GLuint programs[6] = {g_programs.composite,  g_programs.blur,     g_programs.composite_glow,
                          g_programs.blur_texel, g_programs.triangle, g_programs.line};
    for (GLuint p : programs)
        if (p) glDeleteProgram(p);
    if (g_programs.texel_sampler) glDeleteSamplers(1, &g_programs.texel_sampler);
    g_programs = SharedPrograms();
}

// Builds the set if no display holds it yet; false (nothing kept) if a program does not build.
bool AcquireSharedPrograms()
{
    if (g_programs.users > 0)
    {
        ++g_programs.users;
        return true;
    }
    const vector_display_shader_sources& src = g_vector_display_shaders;
    g_programs.composite = BuildProgram(src.quad_vs, nullptr, src.composite_fs, false);
    g_programs.blur = BuildProgram(src.quad_vs, nullptr, src.blur_fs, false);
    g_programs.composite_glow = BuildProgram(src.quad_vs, nullptr, src.composite_glow_fs, false);
    g_programs.blur_texel = BuildProgram(src.quad_vs, nullptr, src.blur_texel_fs, false);
    g_programs.triangle = BuildProgram(src.triangle_vs, src.triangle_gs, src.triangle_fs, true);
    g_programs.line = BuildProgram(src.line_vs, src.line_gs, src.line_fs, true);
    if (!g_programs.composite || !g_programs.blur || !g_programs.composite_glow || !g_programs.blur_texel ||
        !g_programs.triangle || !g_programs.line)
    {
        DeleteSharedPrograms();
        return false;
    }
    GLuint p = g_programs.composite_glow;
    glUseProgram(p);
    glUniform1i(glGetUniformLocation(p, "tex1"), 0);
    glUniform1i(glGetUniformLocation(p, "tex2"), 1);
    p = g_programs.blur_texel;
    glUseProgram(p);
    glUniform1i(glGetUniformLocation(p, "tex1"), 0);
    glUniform1i(glGetUniformLocation(p, "texels"), 1);
    glUseProgram(g_programs.triangle);
    glUniform1i(glGetUniformLocation(g_programs.triangle, "TEXTURE_MAPPED"), 0);
    glUseProgram(0);
    glGenSamplers(1, &g_programs.texel_sampler);
    glSamplerParameteri(g_programs.texel_sampler, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glSamplerParameteri(g_programs.texel_sampler, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glSamplerParameteri(g_programs.texel_sampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(g_programs.texel_sampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    g_programs.users = 1;
    return true;
}

void ReleaseSharedPrograms()
{
    if (g_programs.users > 0 && --g_programs.users == 0) DeleteSharedPrograms();
}

// A vertex array reading `buffer` with the layout of the points (stride 32, flags as an
// integer attribute); made once, bound for each draw.
GLuint MakePointArray(GLuint buffer)
{
    GLuint array = 0;
    glGenVertexArrays(1, &array);
    glBindVertexArray(array);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    for (GLuint i = 0; i < 4; ++i)
        glEnableVertexAttribArray(i);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 32, reinterpret_cast<const void*>(0));
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, 32, reinterpret_cast<const void*>(12));
    glVertexAttribIPointer(2, 1, GL_INT, 32, reinterpret_cast<const void*>(24));
    glVertexAttribPointer(3, 1, GL_FLOAT, GL_FALSE, 32, reinterpret_cast<const void*>(28));
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return array;
}

// The same for the screen quads (x, y, z, u, v).
GLuint MakeQuadArray(GLuint buffer)
{
    GLuint array = 0;
    glGenVertexArrays(1, &array);
    glBindVertexArray(array);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 20, reinterpret_cast<const void*>(0));
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, 20, reinterpret_cast<const void*>(12));
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return array;
}

void DeleteArray(unsigned& array)
{
    if (array) glDeleteVertexArrays(1, &array);
    array = 0;
}

void FillQuad(GLuint buffer, float W, float H)
{
    const float v[30] = {
        0.f, 0.f, 10000.f, 0.f, 1.f, W,   H, 10000.f, 1.f, 0.f, W, 0.f, 10000.f, 1.f, 1.f,
        0.f, 0.f, 10000.f, 0.f, 1.f, 0.f, H, 10000.f, 0.f, 0.f, W, H,   10000.f, 1.f, 0.f,
    };
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(v), v, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

// x 0..W to -1..1, y 0..H to +1..-1, depth range 0..70001.
glm::mat4 QuadProjection(float W, float H)
{
    return glm::ortho(0.f, W, H, 0.f, 0.f, 70001.f);
}

void DeleteGlowTargets(vector_display* self)
{
    for (int i = 0; i < 2; ++i)
    {
        if (self->glow_framebuffers[i]) glDeleteFramebuffers(1, &self->glow_framebuffers[i]);
        if (self->glow_textures[i]) glDeleteTextures(1, &self->glow_textures[i]);
        self->glow_framebuffers[i] = 0;
        self->glow_textures[i] = 0;
    }
}

// The uniforms shared by the line and triangle programs.
struct FrameUniforms
{
    int MVP, ALPHA, VIEWPORT, COLOR_INTENSITY, COLOR_BACK, COLOR_FOG, THICKNESS_RANGE, THICKNESS_FACTOR;
};

void SetFrameUniforms(const vector_display* self, const FrameUniforms& u, const vector_display_camera& camera)
{
    const vector_display_settings& s = self->settings;
    glUniformMatrix4fv(u.MVP, 1, GL_FALSE, glm::value_ptr(camera.view_projection));
    glUniform1f(u.ALPHA, 1.f);
    glUniform2f(u.VIEWPORT, self->width, self->height);
    glUniform1f(u.COLOR_INTENSITY, s.color_intensity);
    glUniform3f(u.COLOR_BACK, camera.back_color.x, camera.back_color.y, camera.back_color.z);
    glUniform3f(u.COLOR_FOG, s.fog_zmin, s.fog_zmax, s.fog_power);
    glUniform2f(u.THICKNESS_RANGE, s.thickness_min * 10.f, s.thickness_max * 10.f);
    glUniform1f(u.THICKNESS_FACTOR, s.thickness_factor);
}

// (lo, hi) ordered; equal bounds get hi + 0.0001.
void OrderRange(float& lo, float& hi)
{
    if (hi > lo) return;
    float a = std::fmin(lo, hi), b = std::fmax(lo, hi);
    if (a == b) b += 0.0001f;
    lo = a;
    hi = b;
}

// Dots and segments held by the points of a strip array (START ... END runs).
void CountStrips(const vector_display_point* points, int n, int* dots, int* lines)
{
    *dots = 0;
    *lines = 0;
    int i = 0;
    while (i < n)
    {
        if (!(points[i].flags & PTF_LINE_STRIPSTART))
        {
            ++i;
            continue;
        }
        int inner = 0;
        int j = i + 1;
        while (j < n && !(points[j].flags & PTF_LINE_STRIPEND))
        {
            ++inner;
            ++j;
        }
        if (inner == 1)
            ++*dots;
        else if (inner > 1)
            *lines += inner - 1;
        i = j + 1;
    }
}

// The number of ring steps drawn: the decay's steps, kept within 1..VECTOR_DISPLAY_MAX_DECAY_STEPS
// (the setting itself is brought into that range).
int DecaySteps(vector_display_settings& s)
{
    if (!(s.decay_steps >= 1.f)) s.decay_steps = 1.f;
    if (s.decay_steps > float(VECTOR_DISPLAY_MAX_DECAY_STEPS)) s.decay_steps = float(VECTOR_DISPLAY_MAX_DECAY_STEPS);
    return int(s.decay_steps);
}

// Steps as old as the decay or older are never drawn again (the ring only draws the last N), yet
// their buffers would keep a heavy frame's vertices for 32 frames: they are emptied, and so is the
// current step's storage from an earlier frame when this frame wrote nothing there.
void ReleaseFadedSteps(vector_display_buffers* buffers, int N)
{
    for (int age = 0; age < VECTOR_DISPLAY_MAX_DECAY_STEPS; ++age)
    {
        const int step = (g_step - age + VECTOR_DISPLAY_MAX_DECAY_STEPS) % VECTOR_DISPLAY_MAX_DECAY_STEPS;
        const bool faded = age >= N;
        if (buffers->pointsheld_step[step] > 0 && (faded || (age == 0 && buffers->npoints_step[step] == 0)))
        {
            glBindBuffer(GL_ARRAY_BUFFER, buffers->bufferspoints[step]);
            glBufferData(GL_ARRAY_BUFFER, 0, nullptr, GL_STATIC_DRAW);
            glBindBuffer(GL_ARRAY_BUFFER, buffers->bufferswindows[step]);
            glBufferData(GL_ARRAY_BUFFER, 0, nullptr, GL_STATIC_DRAW);
            buffers->pointsheld_step[step] = 0;
            buffers->npoints_step[step] = 0;
            buffers->nwindows_step[step] = 0;
        }
        if (buffers->trianglesheld_step[step] > 0 && (faded || (age == 0 && buffers->ntriangles_step[step] == 0)))
        {
            glBindBuffer(GL_ARRAY_BUFFER, buffers->bufferstriangles[step]);
            glBufferData(GL_ARRAY_BUFFER, 0, nullptr, GL_STATIC_DRAW);
            buffers->trianglesheld_step[step] = 0;
            buffers->ntriangles_step[step] = 0;
        }
    }
}

// The glow of the display's image and the composition of both onto targetFramebuffer. Leaves
// the display's quad vertex array bound.
void Glow(vector_display* self, unsigned targetFramebuffer)
{
    const vector_display_settings& s = self->settings;
    glClearColor(0.f, 0.f, 0.f, 0.f);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    // Blur passes at a third of the size. Each covers its whole target, so it is written without
    // blending instead of being cleared and added onto: the same result (the sum onto 0) without a
    // clear per pass. The first reads the image; the others read the previous pass, at the pass's
    // own size, where the paired taps of the linear program give the same weights.
    const glm::mat4 modelView = glm::translate(glm::mat4(1.f), glm::vec3(0.f, 0.f, -70000.f));
    // Eight passes per unit of brightness, at most VECTOR_DISPLAY_MAX_GLOW_PASSES (a brightness from
    // a file or a driver may be anything).
    const int passes = rvClampToInt(double(s.color_brightness) * 8.0, 0, VECTOR_DISPLAY_MAX_GLOW_PASSES, 0);
    self->glow_passes = passes;
    const float blurMult = (s.color_brightness - 1.f) / 5.f + 1.05f;
    glDisable(GL_BLEND);
    glBindVertexArray(self->arrayquadglow);
    glViewport(0, 0, int(self->glow_width), int(self->glow_height));
    glActiveTexture(GL_TEXTURE0);
    if (passes > 0)
    {
        glm::mat4 projection = QuadProjection(self->glow_width, self->glow_height);
        glUseProgram(self->blur_program);
        glUniformMatrix4fv(self->blur_inProjectionMatrix, 1, GL_FALSE, glm::value_ptr(projection));
        glUniformMatrix4fv(self->blur_inModelViewMatrix, 1, GL_FALSE, glm::value_ptr(modelView));
        glUniform1f(self->blur_alpha, 1.f);
        glUniform1f(self->blur_mult, blurMult);
        glUniform2f(self->blur_scale, 1.f / self->glow_height, 1.f / self->glow_height);
        glBindTexture(GL_TEXTURE_2D, self->target_texture);
        glBindFramebuffer(GL_FRAMEBUFFER, self->glow_framebuffers[0]);
        glDrawArrays(GL_TRIANGLES, 0, 6);
        if (passes > 1)
        {
            glUseProgram(self->blur_texel_program);
            glUniformMatrix4fv(self->blur_texel_inProjectionMatrix, 1, GL_FALSE, glm::value_ptr(projection));
            glUniformMatrix4fv(self->blur_texel_inModelViewMatrix, 1, GL_FALSE, glm::value_ptr(modelView));
            glUniform1f(self->blur_texel_mult, blurMult);
            glUniform2f(self->blur_texel_scale, 1.f / self->glow_height, 1.f / self->glow_height);
        }
        // The texture read is bound on unit 0 (filtered) and on unit 1 (through the nearest sampler).
        glBindSampler(1, self->texel_sampler);
        for (int i = 1; i < passes; ++i)
        {
            const GLuint source = self->glow_textures[(i - 1) % 2];
            glActiveTexture(GL_TEXTURE1);
            glBindTexture(GL_TEXTURE_2D, source);
            glActiveTexture(GL_TEXTURE0);
            glBindTexture(GL_TEXTURE_2D, source);
            glBindFramebuffer(GL_FRAMEBUFFER, self->glow_framebuffers[i % 2]);
            glDrawArrays(GL_TRIANGLES, 0, 6);
        }
        glBindSampler(1, 0);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, 0);
        glActiveTexture(GL_TEXTURE0);
    }

    // Composition onto the target. "Copy" and "Add" take the image and the glow in one pass (the
    // sum of the two, each term clamped the same way); "Max" and "Alpha" blend the image first,
    // then add the glow.
    glBindFramebuffer(GL_FRAMEBUFFER, targetFramebuffer);
    glViewport(0, 0, int(self->width), int(self->height));
    glBindVertexArray(self->arrayquadfull);
    const glm::mat4 projection = QuadProjection(self->width, self->height);
    const bool glow = s.color_brightness > 0.f && passes > 0;
    const float glowMult = (s.color_brightness - 1.f) * 0.5f + 1.25f;
    const GLuint glowTexture = glow ? self->glow_textures[(passes - 1) % 2] : 0;
    if (s.export_color == 0)
        glDisable(GL_BLEND);
    else
        glEnable(GL_BLEND);
    glBlendEquationSeparate(s.export_color == 2 ? GL_MAX : GL_FUNC_ADD, GL_MAX);
    if (s.export_color == 3)
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    else
        glBlendFunc(GL_ONE, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, self->target_texture);
    if (glow && (s.export_color == 0 || s.export_color == 1))
    {
        glUseProgram(self->composite_glow_program);
        glUniformMatrix4fv(self->composite_glow_inProjectionMatrix, 1, GL_FALSE, glm::value_ptr(projection));
        glUniformMatrix4fv(self->composite_glow_inModelViewMatrix, 1, GL_FALSE, glm::value_ptr(modelView));
        glUniform1f(self->composite_glow_mult, glowMult);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, glowTexture);
        glDrawArrays(GL_TRIANGLES, 0, 6);
        glBindTexture(GL_TEXTURE_2D, 0);
        glActiveTexture(GL_TEXTURE0);
    }
    else
    {
        glUseProgram(self->composite_program);
        glUniformMatrix4fv(self->composite_inProjectionMatrix, 1, GL_FALSE, glm::value_ptr(projection));
        glUniformMatrix4fv(self->composite_inModelViewMatrix, 1, GL_FALSE, glm::value_ptr(modelView));
        glUniform1f(self->composite_alpha, 1.f);
        glUniform1f(self->composite_mult, 1.f);
        glDrawArrays(GL_TRIANGLES, 0, 6);
        if (glow)
        {
            glEnable(GL_BLEND);
            glBlendEquationSeparate(GL_FUNC_ADD, GL_MAX);
            glBlendFunc(GL_ONE, GL_ONE);
            glUniform1f(self->composite_mult, glowMult);
            glBindTexture(GL_TEXTURE_2D, glowTexture);
            glDrawArrays(GL_TRIANGLES, 0, 6);
        }
    }

    if (s.export_depth)
    {
        int w = int(self->width), h = int(self->height);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, self->target_framebuffer);
        glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_DEPTH_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, targetFramebuffer);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}
} // namespace

vector_display_buffers::vector_display_buffers()
{
    for (int i = 0; i < VECTOR_DISPLAY_MAX_DECAY_STEPS; ++i)
    {
        bufferspoints[i] = 0;
        npoints_step[i] = 0;
        mvp_step[i] = glm::mat4(1.f);
        bufferstriangles[i] = 0;
        ntriangles_step[i] = 0;
        arrayspoints[i] = 0;
        arraystriangles[i] = 0;
        pointsheld_step[i] = 0;
        trianglesheld_step[i] = 0;
        bufferswindows[i] = 0;
        nwindows_step[i] = 0;
    }
    resize_count = -1;
}

vector_display_settings* vector_display_settings_defaults(vector_display_settings* s)
{
    s->decay_steps = 10.f;
    s->decay_final = 0.2f;
    s->decay_initial = 0.2f;
    s->decay_camera = false;
    s->thickness_min = 0.1f;
    s->thickness_max = 2.f;
    s->thickness_factor = 1.f;
    s->thickness = 0.5f;
    s->color_intensity = 1.f;
    s->color_brightness = 1.f;
    s->color[0] = s->color[1] = s->color[2] = s->color[3] = 1.f;
    s->fog_zmin = 500.f;
    s->fog_zmax = 1000.f;
    s->fog_power = 3.f;
    s->triangle_culling = true;
    s->import_color = 0;
    s->import_depth = 0;
    s->export_color = 1;
    s->export_depth = 0;
    return s;
}

int vector_display_create(vector_display** out, int width, int height)
{
    vector_display* self = new vector_display();
    self->resize_count = -1;
    vector_display_settings_defaults(&self->settings);
    // `buffers` is constructed with identity matrices and resize_count -1.
    self->points_capacity = 60;
    self->triangles_capacity = 60;
    self->quadmaps_capacity = 60;
    self->points = static_cast<vector_display_point*>(calloc(60, sizeof(vector_display_point)));
    self->triangles = static_cast<vector_display_triangle*>(calloc(60, sizeof(vector_display_triangle)));
    self->quadmaps = static_cast<vector_display_quadmap*>(calloc(60, sizeof(vector_display_quadmap)));
    self->width = float(width);
    self->height = float(height);
    self->glow_width = float(width / 3.0);
    self->glow_height = float(height / 3.0);
    // The GL objects (mapped-quad buffer, step buffers) are made by the set-up, so a display
    // can collect geometry without a context.
    *out = self;
    return 0;
}

int vector_display_setup(vector_display* self, unsigned framebuffer, unsigned texture)
{
    self->setup_done = 1;
    GLint previousArray = 0;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &previousArray);
    if (!self->bufferquadmap)
    {
        glGenBuffers(1, &self->bufferquadmap);
        self->arrayquadmap = MakePointArray(self->bufferquadmap);
    }
    if (!self->buffers.bufferspoints[0]) vector_display_buffers_init(&self->buffers);

    if (!self->composite_program)
    {
        if (!AcquireSharedPrograms()) return -1;
        self->composite_program = g_programs.composite;
        self->blur_program = g_programs.blur;
        self->composite_glow_program = g_programs.composite_glow;
        self->blur_texel_program = g_programs.blur_texel;
        self->triangle_program = g_programs.triangle;
        self->line_program = g_programs.line;
        self->texel_sampler = g_programs.texel_sampler;
    }
    GLuint p = self->composite_program;
    self->composite_inModelViewMatrix = glGetUniformLocation(p, "inModelViewMatrix");
    self->composite_inProjectionMatrix = glGetUniformLocation(p, "inProjectionMatrix");
    self->composite_alpha = glGetUniformLocation(p, "alpha");
    self->composite_mult = glGetUniformLocation(p, "mult");

    p = self->blur_program;
    self->blur_inModelViewMatrix = glGetUniformLocation(p, "inModelViewMatrix");
    self->blur_inProjectionMatrix = glGetUniformLocation(p, "inProjectionMatrix");
    self->blur_scale = glGetUniformLocation(p, "scale");
    self->blur_alpha = glGetUniformLocation(p, "alpha");
    self->blur_mult = glGetUniformLocation(p, "mult");

    p = self->composite_glow_program;
    self->composite_glow_inModelViewMatrix = glGetUniformLocation(p, "inModelViewMatrix");
    self->composite_glow_inProjectionMatrix = glGetUniformLocation(p, "inProjectionMatrix");
    self->composite_glow_mult = glGetUniformLocation(p, "mult");

    p = self->blur_texel_program;
    self->blur_texel_inModelViewMatrix = glGetUniformLocation(p, "inModelViewMatrix");
    self->blur_texel_inProjectionMatrix = glGetUniformLocation(p, "inProjectionMatrix");
    self->blur_texel_scale = glGetUniformLocation(p, "scale");
    self->blur_texel_mult = glGetUniformLocation(p, "mult");

    p = self->triangle_program;
    self->triangle_MVP = glGetUniformLocation(p, "MVP");
    self->triangle_ALPHA = glGetUniformLocation(p, "ALPHA");
    self->triangle_DECALZ = glGetUniformLocation(p, "DECALZ");
    self->triangle_VIEWPORT = glGetUniformLocation(p, "VIEWPORT");
    self->triangle_COLOR_INTENSITY = glGetUniformLocation(p, "COLOR_INTENSITY");
    self->triangle_COLOR_BACK = glGetUniformLocation(p, "COLOR_BACK");
    self->triangle_COLOR_FOG = glGetUniformLocation(p, "COLOR_FOG");
    self->triangle_THICKNESS_RANGE = glGetUniformLocation(p, "THICKNESS_RANGE");
    self->triangle_THICKNESS_FACTOR = glGetUniformLocation(p, "THICKNESS_FACTOR");
    self->triangle_TEXTURE_MAPPED = glGetUniformLocation(p, "TEXTURE_MAPPED");

    p = self->line_program;
    self->line_MVP = glGetUniformLocation(p, "MVP");
    self->line_ALPHA = glGetUniformLocation(p, "ALPHA");
    self->line_MITER_LIMIT = glGetUniformLocation(p, "MITER_LIMIT");
    self->line_VIEWPORT = glGetUniformLocation(p, "VIEWPORT");
    self->line_COLOR_INTENSITY = glGetUniformLocation(p, "COLOR_INTENSITY");
    self->line_COLOR_BACK = glGetUniformLocation(p, "COLOR_BACK");
    self->line_COLOR_FOG = glGetUniformLocation(p, "COLOR_FOG");
    self->line_THICKNESS_RANGE = glGetUniformLocation(p, "THICKNESS_RANGE");
    self->line_THICKNESS_FACTOR = glGetUniformLocation(p, "THICKNESS_FACTOR");

    vector_display_make_dot_texture();

    if (!self->bufferquadfull)
    {
        glGenBuffers(1, &self->bufferquadfull);
        self->arrayquadfull = MakeQuadArray(self->bufferquadfull);
    }
    if (!self->bufferquadglow)
    {
        glGenBuffers(1, &self->bufferquadglow);
        self->arrayquadglow = MakeQuadArray(self->bufferquadglow);
    }
    glBindVertexArray(GLuint(previousArray));
    glClearColor(0.f, 0.f, 0.f, 1.f);

    int rc = vector_display_set_target(self, framebuffer, texture);
    return rc < 0 ? rc : 0;
}

int vector_display_set_target(vector_display* self, unsigned framebuffer, unsigned texture)
{
    if (!self->setup_done) return 0;
    GLint previous = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous);
    self->target_framebuffer = framebuffer;
    self->target_texture = texture;

    // A second call (a resize) replaces the glow targets of the first.
    DeleteGlowTargets(self);
    glGenFramebuffers(2, self->glow_framebuffers);
    CheckGL("glGenFramebuffers");
    glGenTextures(2, self->glow_textures);
    CheckGL("glGenTextures");
    int gw = int(self->glow_width), gh = int(self->glow_height);
    for (int i = 0; i < 2; ++i)
    {
        glBindFramebuffer(GL_FRAMEBUFFER, self->glow_framebuffers[i]);
        CheckGL("glBindFramebuffer");
        glBindTexture(GL_TEXTURE_2D, self->glow_textures[i]);
        CheckGL("glBindTexture");
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, gw, gh, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        CheckGL("glTexImage2D");
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        CheckGL("glTexParameteri GL_TEXTURE_MIN_FILTER");
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        CheckGL("glTexParameteri GL_TEXTURE_MAG_FILTER");
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        CheckGL("glTexParameteri GL_TEXTURE_WRAP_S");
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        CheckGL("glTexParameteri GL_TEXTURE_WRAP_T");
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, self->glow_textures[i],
                               0);
        CheckGL("glFramebufferTexture2D");
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        {
            vector_display_log("glow framebuffer %d incomplete (%dx%d)", i, gw, gh);
            glBindTexture(GL_TEXTURE_2D, 0);
            glBindFramebuffer(GL_FRAMEBUFFER, GLuint(previous));
            return -1;
        }
    }
    glBindTexture(GL_TEXTURE_2D, 0);

    // The display's own target must be complete too.
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (framebuffer == 0 || status != GL_FRAMEBUFFER_COMPLETE)
    {
        vector_display_log("target framebuffer %u incomplete", framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, GLuint(previous));
        return -1;
    }

    FillQuad(self->bufferquadfull, self->width, self->height);
    FillQuad(self->bufferquadglow, self->glow_width, self->glow_height);

    glBindFramebuffer(GL_FRAMEBUFFER, GLuint(previous));
    return 0;
}

int vector_display_resize(vector_display* self, int width, int height, unsigned framebuffer, unsigned texture)
{
    self->width = float(width);
    self->height = float(height);
    self->glow_width = float(width / 3.0);
    self->glow_height = float(height / 3.0);
    int rc = vector_display_set_target(self, framebuffer, texture);
    self->resize_count++;
    self->npoints = 0;
    self->npoints_strip = 0;
    self->ndots = 0;
    self->nlines = 0;
    self->ntriangles = 0;
    self->nquadmaps = 0;
    return rc;
}

void vector_display_destroy(vector_display* self)
{
    if (!self) return;
    if (self->setup_done)
    {
        if (self->composite_program) ReleaseSharedPrograms(); // the set is shared; the last display deletes it
        if (self->bufferquadfull) glDeleteBuffers(1, &self->bufferquadfull);
        if (self->bufferquadglow) glDeleteBuffers(1, &self->bufferquadglow);
        DeleteGlowTargets(self);
        if (self->bufferquadmap) glDeleteBuffers(1, &self->bufferquadmap);
        DeleteArray(self->arrayquadfull);
        DeleteArray(self->arrayquadglow);
        DeleteArray(self->arrayquadmap);
        if (self->buffers.bufferspoints[0]) vector_display_buffers_delete(&self->buffers);
    }
    free(self->points);
    free(self->triangles);
    free(self->quadmaps);
    delete self;
}

void vector_display_buffers_init(vector_display_buffers* buffers)
{
    for (int i = 0; i < VECTOR_DISPLAY_MAX_DECAY_STEPS; ++i)
    {
        buffers->npoints_step[i] = 0;
        buffers->nwindows_step[i] = 0;
        buffers->ntriangles_step[i] = 0;
    }
    glGenBuffers(VECTOR_DISPLAY_MAX_DECAY_STEPS, buffers->bufferspoints);
    glGenBuffers(VECTOR_DISPLAY_MAX_DECAY_STEPS, buffers->bufferstriangles);
    glGenBuffers(VECTOR_DISPLAY_MAX_DECAY_STEPS, buffers->bufferswindows);
    GLint previousArray = 0;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &previousArray);
    for (int i = 0; i < VECTOR_DISPLAY_MAX_DECAY_STEPS; ++i)
    {
        buffers->arrayspoints[i] = MakePointArray(buffers->bufferspoints[i]);
        glBindVertexArray(buffers->arrayspoints[i]);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers->bufferswindows[i]); // kept by the vertex array
        buffers->arraystriangles[i] = MakePointArray(buffers->bufferstriangles[i]);
    }
    glBindVertexArray(GLuint(previousArray));
}

void vector_display_buffers_delete(vector_display_buffers* buffers)
{
    const unsigned* bufferspoints = buffers->bufferspoints;
    rvAssert(*bufferspoints);
    glDeleteBuffers(VECTOR_DISPLAY_MAX_DECAY_STEPS, buffers->bufferspoints);
    glDeleteBuffers(VECTOR_DISPLAY_MAX_DECAY_STEPS, buffers->bufferstriangles);
    glDeleteBuffers(VECTOR_DISPLAY_MAX_DECAY_STEPS, buffers->bufferswindows);
    for (int i = 0; i < VECTOR_DISPLAY_MAX_DECAY_STEPS; ++i)
    {
        DeleteArray(buffers->arrayspoints[i]);
        DeleteArray(buffers->arraystriangles[i]);
        buffers->bufferspoints[i] = 0;
        buffers->bufferstriangles[i] = 0;
        buffers->bufferswindows[i] = 0;
        buffers->nwindows_step[i] = 0;
        buffers->npoints_step[i] = 0;
        buffers->ntriangles_step[i] = 0;
    }
}

int vector_display_set_rgb(vector_display* self, float r, float g, float b)
{
    self->settings.color[0] = rvClampUnit(r);
    self->settings.color[1] = rvClampUnit(g);
    self->settings.color[2] = rvClampUnit(b);
    self->settings.color[3] = 1.f;
    return 0;
}

int vector_display_set_rgb(vector_display* self, const glm::vec3& rgb)
{
    return vector_display_set_rgb(self, rgb.r, rgb.g, rgb.b);
}

// ---------------------------------------------------------------------------------------------
// Geometry

void vector_display_strip_begin(vector_display* self, float x, float y, float z)
{
    rvAssert(self->npoints_strip == 0);
    vector_display_grow_points(self, self->npoints + 2);
    vector_display_point p = CurrentPoint(self, x, y, z);
    vector_display_point start = p;
    start.flags = PTF_LINE_STRIPSTART;
    AppendPoint(self, start);
    AppendPoint(self, p);
    self->npoints_strip = 2;
}

void vector_display_strip_to(vector_display* self, float x, float y, float z)
{
    rvAssert(self->npoints_strip >= 2);
    vector_display_grow_points(self, self->npoints + 1);
    AppendPoint(self, CurrentPoint(self, x, y, z));
    self->npoints_strip += 1;
    self->nlines += 1;
}

void vector_display_strip_end(vector_display* self)
{
    rvAssert(self->npoints_strip >= 2);
    bool single = self->npoints_strip == 2;
    vector_display_grow_points(self, self->npoints + (single ? 2 : 1));
    vector_display_point end = self->points[self->npoints - 1];
    end.flags = PTF_LINE_STRIPEND;
    AppendPoint(self, end);
    if (single)
    {
        AppendPoint(self, end);
        self->ndots += 1;
    }
    self->npoints_strip = 0;
}

void vector_display_add_dot(vector_display* self, const vector_display_point* p)
{
    rvAssert(self->npoints_strip == 0);
    vector_display_grow_points(self, self->npoints + 4);
    vector_display_point q[4] = {*p, *p, *p, *p};
    q[0].flags |= PTF_LINE_STRIPSTART;
    q[2].flags |= PTF_LINE_STRIPEND;
    q[3].flags |= PTF_LINE_STRIPEND;
    for (const vector_display_point& v : q)
        AppendPoint(self, v);
    self->ndots += 1;
}

void vector_display_add_line(vector_display* self, const vector_display_point* a,
                             const vector_display_point* b)
{
    rvAssert(self->npoints_strip == 0);
    vector_display_grow_points(self, self->npoints + 4);
    vector_display_point q[4] = {*a, *a, *b, *b};
    q[0].flags |= PTF_LINE_STRIPSTART;
    q[3].flags |= PTF_LINE_STRIPEND;
    for (const vector_display_point& v : q)
        AppendPoint(self, v);
    self->nlines += 1;
}

int vector_display_add_triangle(vector_display* self, const glm::vec3* p0, const glm::vec3* p1,
                                const glm::vec3* p2)
{
    vector_display_grow_triangles(self, self->ntriangles + 1);
    AppendTriangle(self, CurrentPoint(self, p0->x, p0->y, p0->z), CurrentPoint(self, p1->x, p1->y, p1->z),
                   CurrentPoint(self, p2->x, p2->y, p2->z));
    return 0;
}

void vector_display_add_quad(vector_display* self, const vector_display_point* a,
                             const vector_display_point* b, const vector_display_point* c,
                             const vector_display_point* d)
{
    vector_display_grow_triangles(self, self->ntriangles + 2);
    vector_display_point c1 = *c, a2 = *a;
    c1.flags |= PTF_TRIANGLE_DISCARDLINE;
    a2.flags |= PTF_TRIANGLE_DISCARDLINE;
    AppendTriangle(self, *a, *b, c1);
    AppendTriangle(self, *c, *d, a2);
}

void vector_display_add_cube(vector_display* self)
{
    vector_display_grow_triangles(self, self->ntriangles + 12);
    for (const int* f : g_cube_faces)
        vector_display_add_quad(self, &g_cube_points[f[0]], &g_cube_points[f[1]], &g_cube_points[f[2]],
                                &g_cube_points[f[3]]);
}

void vector_display_add_fan(vector_display* self, const vector_display_point* points, const unsigned* indices,
                            unsigned count)
{
    if (count < 3) return;
    vector_display_grow_triangles(self, self->ntriangles + int(count));
    unsigned last = count - 3;
    for (unsigned k = 0; k <= last; ++k)
    {
        vector_display_point a = points[indices[0]];
        vector_display_point b = points[indices[k + 1]];
        vector_display_point c = points[indices[k + 2]];
        if (k > 0) a.flags |= PTF_TRIANGLE_DISCARDLINE;    // the edge from the centre lies inside
        if (k < last) c.flags |= PTF_TRIANGLE_DISCARDLINE; // so does the edge back to the centre
        AppendTriangle(self, a, b, c);
    }
}

void vector_display_add_mapped_quad(vector_display* self, const vector_display_point* a,
                                    const vector_display_point* b, const vector_display_point* c,
                                    const vector_display_point* d, unsigned texture)
{
    vector_display_grow_quadmaps(self, self->nquadmaps + 1);
    vector_display_quadmap& q = self->quadmaps[self->nquadmaps++];
    q.points[0] = *a;
    q.points[1] = *b;
    q.points[2] = *c;
    q.points[3] = *c;
    q.points[4] = *d;
    q.points[5] = *a;
    q.points[2].flags |= PTF_TRIANGLE_DISCARDLINE;
    q.points[5].flags |= PTF_TRIANGLE_DISCARDLINE;
    q.texture = texture;
}

int vector_display_draw_circle(vector_display* self, float x, float y, float z, float radius, int segments)
{
    // A non-positive count would never reach the full turn; a huge one would not advance the angle.
    if (segments <= 0) return 0;
    if (segments > VECTOR_DISPLAY_MAX_CIRCLE_SEGMENTS) segments = VECTOR_DISPLAY_MAX_CIRCLE_SEGMENTS;
    const float step = 6.2831855f / float(segments);
    vector_display_strip_begin(self, x, y - radius, z);
    float angle = 0.f;
    do
    {
        angle += step;
        vector_display_strip_to(self, x + std::sin(angle) * radius, y - std::cos(angle) * radius, z);
    } while (double(angle) < 6.282185482025146);
    vector_display_strip_end(self);
    return 0;
}

int vector_display_draw_rect(vector_display* self, float x, float y, float w, float h)
{
    vector_display_strip_begin(self, x, y, 0.f);
    vector_display_strip_to(self, x + w, y, 0.f);
    vector_display_strip_to(self, x + w, y + h, 0.f);
    vector_display_strip_to(self, x, y + h, 0.f);
    vector_display_strip_to(self, x, y, 0.f);
    vector_display_strip_end(self);
    return 0;
}

int vector_display_draw_string(vector_display* self, float x, float y, const char* text, float scale)
{
    const float x0 = x;
    float pen = x;
    for (const unsigned char* s = reinterpret_cast<const unsigned char*>(text); s && *s; ++s)
    {
        int c = *s;
        if (c == '\n')
        {
            pen = x0;
            y -= 35.f * scale;
            continue;
        }
        if (c == '\t')
        {
            if (scale != 0.f)
                pen = x0 + (std::floor((pen + 0.001f - x0) / scale / 40.f) + 1.f) * 40.f * scale;
            continue;
        }
        const vector_font_glyph* glyph = vector_font_simplex_glyph(c);
        if (!glyph) continue;
        bool open = false;
        for (int i = 0; i < glyph->count; ++i)
        {
            int gx = glyph->points[2 * i], gy = glyph->points[2 * i + 1];
            if (gx == -1 && gy == -1)
            {
                if (open) vector_display_strip_end(self);
                open = false;
                continue;
            }
            float px = pen + float(gx) * scale, py = y + float(gy) * scale;
            if (!open)
                vector_display_strip_begin(self, px, py, 0.f);
            else
                vector_display_strip_to(self, px, py, 0.f);
            open = true;
        }
        if (open) vector_display_strip_end(self);
        pen += float(glyph->advance) * scale;
    }
    return 0;
}

void vector_display_bound_pending(vector_display* self)
{
    if (self->npoints > VECTOR_DISPLAY_MAX_PENDING_POINTS)
    {
        // Keep the newest half, cut at the start of a strip; an open strip is kept whole.
        int cut = self->npoints - VECTOR_DISPLAY_MAX_PENDING_POINTS / 2;
        int openStart = self->npoints_strip > 0 ? self->npoints - self->npoints_strip : self->npoints;
        while (cut < openStart && !(self->points[cut].flags & PTF_LINE_STRIPSTART))
            ++cut;
        if (cut > openStart) cut = openStart;
        memmove(static_cast<void*>(self->points), self->points + cut,
                size_t(self->npoints - cut) * sizeof(vector_display_point));
        self->npoints -= cut;
        CountStrips(self->points, self->npoints, &self->ndots, &self->nlines);
    }
    if (self->ntriangles > VECTOR_DISPLAY_MAX_PENDING_TRIANGLES)
    {
        int cut = self->ntriangles - VECTOR_DISPLAY_MAX_PENDING_TRIANGLES / 2;
        memmove(static_cast<void*>(self->triangles), self->triangles + cut,
                size_t(self->ntriangles - cut) * sizeof(vector_display_triangle));
        self->ntriangles -= cut;
    }
    if (self->nquadmaps > VECTOR_DISPLAY_MAX_PENDING_QUADMAPS)
    {
        int cut = self->nquadmaps - VECTOR_DISPLAY_MAX_PENDING_QUADMAPS / 2;
        memmove(static_cast<void*>(self->quadmaps), self->quadmaps + cut,
                size_t(self->nquadmaps - cut) * sizeof(vector_display_quadmap));
        self->nquadmaps -= cut;
    }
}

// ---------------------------------------------------------------------------------------------
// The frame

void vector_display_line_windows(const vector_display_point* points, int n, std::vector<unsigned>& out)
{
    // The geometry stage's own test (kLineGS): a window draws unless a strip ends at its first or
    // second point or starts at its third or fourth.
    for (int i = 0; i + 3 < n; ++i)
    {
        const int head = points[i].flags | points[i + 1].flags, tail = points[i + 2].flags | points[i + 3].flags;
        if ((head & PTF_LINE_STRIPEND) || (tail & PTF_LINE_STRIPSTART)) continue;
        const unsigned first = unsigned(i);
        out.insert(out.end(), {first, first + 1, first + 2, first + 3});
    }
}

float vector_display_step_alpha(const vector_display_settings* s, int age)
{
    if (age <= 0) return 1.f;
    float fraction = 0.f;
    if (age - 1 != 0) fraction = float(age - 1) / (s->decay_steps - 2.f);
    return (1.f - (1.f - s->decay_final) * fraction) * s->decay_initial;
}

unsigned vector_display_begin_frame(vector_display* self, bool clear)
{
    GLint previous = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_FRAMEBUFFER, self->target_framebuffer);
    glViewport(0, 0, int(self->width), int(self->height));
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE); // a depth clear needs depth writes
    glClearColor(0.f, 0.f, 0.f, 0.f);
    glClearDepth(1.0);
    const bool importColor = self->settings.import_color != 0;
    const bool importDepth = self->settings.import_depth != 0;
    if (!(importColor && importDepth) && clear)
    {
        GLbitfield bits = 0;
        if (!importColor) bits |= GL_COLOR_BUFFER_BIT;
        if (!importDepth) bits |= GL_DEPTH_BUFFER_BIT;
        glClear(bits);
    }
    if (!importColor && !importDepth) return unsigned(previous);
    GLbitfield bits = (importColor ? GL_COLOR_BUFFER_BIT : 0) | (importDepth ? GL_DEPTH_BUFFER_BIT : 0);
    int w = int(self->width), h = int(self->height);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(previous));
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, bits, GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, self->target_framebuffer);
    return unsigned(previous);
}

void vector_display_draw(vector_display* self, vector_display_buffers* buffers, bool clear)
{
    if (!self->setup_done || self->width == 0.f || self->height == 0.f) return;
    const vector_display_camera camera = vector_display_current_camera();
    if (!(camera.fov > 0.f))
    {
        // Nothing is drawn; what is pending stays pending, within bounds.
        vector_display_bound_pending(self);
        return;
    }
    if (!buffers) buffers = &self->buffers;
    rvAssert(IsInRange(g_step, 0, VECTOR_DISPLAY_MAX_DECAY_STEPS - 1));

    buffers->npoints_step[g_step] = 0;
    buffers->nwindows_step[g_step] = 0;
    buffers->ntriangles_step[g_step] = 0;
    if (self->resize_count != buffers->resize_count)
    {
        buffers->resize_count = self->resize_count;
        for (int i = 0; i < VECTOR_DISPLAY_MAX_DECAY_STEPS; ++i)
        {
            buffers->npoints_step[i] = 0;
            buffers->nwindows_step[i] = 0;
            buffers->ntriangles_step[i] = 0;
        }
    }
    if (self->npoints == 0 && self->ntriangles == 0 && self->nquadmaps == 0)
    {
        ReleaseFadedSteps(buffers, DecaySteps(self->settings));
        return;
    }

    vector_display_settings& s = self->settings;
    OrderRange(s.fog_zmin, s.fog_zmax);
    OrderRange(s.thickness_min, s.thickness_max);

    GLint previousVao = 0;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &previousVao);

    const unsigned previous = vector_display_begin_frame(self, clear);

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    buffers->mvp_step[g_step] = camera.view_projection;
    const int N = DecaySteps(s);

    // Triangles, newest step first: the first step drawn is opaque and writes depth, older
    // ones add their light behind it.
    rvAssert(buffers->bufferstriangles[g_step] != 0 || self->ntriangles == 0);
    if (self->ntriangles > 0)
    {
        glBindBuffer(GL_ARRAY_BUFFER, buffers->bufferstriangles[g_step]);
        glBufferData(GL_ARRAY_BUFFER,
                     GLsizeiptr(self->ntriangles) * GLsizeiptr(sizeof(vector_display_triangle)),
                     self->triangles, GL_STATIC_DRAW);
        buffers->trianglesheld_step[g_step] = self->ntriangles;
    }
    buffers->ntriangles_step[g_step] = self->ntriangles;

    const FrameUniforms tri = {self->triangle_MVP,
                               self->triangle_ALPHA,
                               self->triangle_VIEWPORT,
                               self->triangle_COLOR_INTENSITY,
                               self->triangle_COLOR_BACK,
                               self->triangle_COLOR_FOG,
                               self->triangle_THICKNESS_RANGE,
                               self->triangle_THICKNESS_FACTOR};
    glUseProgram(self->triangle_program);
    SetFrameUniforms(self, tri, camera);
    glUniform1f(self->triangle_DECALZ, 0.f);
    glUniform1i(self->triangle_TEXTURE_MAPPED, 0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    if (s.triangle_culling)
        glEnable(GL_CULL_FACE);
    else
        glDisable(GL_CULL_FACE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_BLEND);
    // Unit 0 is sampled only by mapped quads; nothing (least of all the target) stays bound.
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    for (int a = 0; a < N; ++a)
    {
        int step = (g_step - a + VECTOR_DISPLAY_MAX_DECAY_STEPS) % VECTOR_DISPLAY_MAX_DECAY_STEPS;
        int count = buffers->ntriangles_step[step];
        float alpha = vector_display_step_alpha(&s, a);
        if (count == 0 || alpha <= 0.f) continue;
        glUniform1f(tri.ALPHA, alpha);
        if (s.decay_camera) glUniformMatrix4fv(tri.MVP, 1, GL_FALSE, glm::value_ptr(buffers->mvp_step[step]));
        glBindVertexArray(buffers->arraystriangles[step]);
        glDrawArrays(GL_TRIANGLES, 0, 3 * count);
        glDepthMask(GL_FALSE);
        glEnable(GL_BLEND);
        glBlendEquationSeparate(GL_FUNC_ADD, GL_MAX);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    }

    // Mapped quads: this flush only, opaque; their points uploaded together, one draw per quad.
    if (self->nquadmaps > 0)
    {
        rvAssert(self->bufferquadmap);
        const GLsizeiptr quadBytes = sizeof(self->quadmaps[0].points);
        glBindBuffer(GL_ARRAY_BUFFER, self->bufferquadmap);
        glBufferData(GL_ARRAY_BUFFER, quadBytes * self->nquadmaps, nullptr, GL_STREAM_DRAW);
        for (int i = 0; i < self->nquadmaps; ++i)
            glBufferSubData(GL_ARRAY_BUFFER, quadBytes * i, quadBytes, self->quadmaps[i].points);
        glBindVertexArray(self->arrayquadmap);
        glUniform1f(tri.ALPHA, 1.f);
        glUniformMatrix4fv(tri.MVP, 1, GL_FALSE, glm::value_ptr(camera.view_projection));
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glDepthMask(GL_TRUE);
        glActiveTexture(GL_TEXTURE0);
        for (int i = 0; i < self->nquadmaps; ++i)
        {
            glBindTexture(GL_TEXTURE_2D, self->quadmaps[i].texture);
            glDrawArrays(GL_TRIANGLES, 6 * i, 6);
        }
    }

    // Lines, oldest step first, all windows of a step in one draw.
    rvAssert(buffers->bufferspoints[g_step] != 0 || self->npoints == 0);
    if (self->npoints > 0)
    {
        glBindBuffer(GL_ARRAY_BUFFER, buffers->bufferspoints[g_step]);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(self->npoints) * GLsizeiptr(sizeof(vector_display_point)),
                     self->points, GL_STATIC_DRAW);
        buffers->pointsheld_step[g_step] = self->npoints;
        self->windows.clear();
        vector_display_line_windows(self->points, self->npoints, self->windows);
        glBindBuffer(GL_ARRAY_BUFFER, buffers->bufferswindows[g_step]);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(self->windows.size() * sizeof(unsigned)), self->windows.data(),
                     GL_STATIC_DRAW);
        buffers->nwindows_step[g_step] = int(self->windows.size() / 4);
    }
    buffers->npoints_step[g_step] = self->npoints;
    ReleaseFadedSteps(buffers, N);

    const FrameUniforms line = {
        self->line_MVP,        self->line_ALPHA,     self->line_VIEWPORT,        self->line_COLOR_INTENSITY,
        self->line_COLOR_BACK, self->line_COLOR_FOG, self->line_THICKNESS_RANGE, self->line_THICKNESS_FACTOR};
    glUseProgram(self->line_program);
    SetFrameUniforms(self, line, camera);
    glUniform1f(self->line_MITER_LIMIT, 0.75f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_FALSE);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendEquationSeparate(GL_FUNC_ADD, GL_MAX);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, g_dot_texture);
    for (int i = 0; i < N; ++i)
    {
        int age = N - 1 - i;
        int step = (g_step - age + VECTOR_DISPLAY_MAX_DECAY_STEPS) % VECTOR_DISPLAY_MAX_DECAY_STEPS;
        int count = buffers->nwindows_step[step];
        float alpha = vector_display_step_alpha(&s, age);
        if (count == 0 || alpha <= 0.f) continue;
        glUniform1f(line.ALPHA, alpha);
        if (s.decay_camera)
            glUniformMatrix4fv(line.MVP, 1, GL_FALSE, glm::value_ptr(buffers->mvp_step[step]));
        glBindVertexArray(buffers->arrayspoints[step]);
        glDrawElements(GL_LINES_ADJACENCY, 4 * count, GL_UNSIGNED_INT, nullptr);
    }

    glDisable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDepthMask(GL_TRUE);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    Glow(self, previous);

    g_frame_dots += self->ndots;
    g_frame_lines += self->nlines;
    g_frame_triangles += self->ntriangles + 2 * self->nquadmaps;
    self->ndots = 0;
    self->nlines = 0;
    self->npoints = 0;
    self->ntriangles = 0;
    self->nquadmaps = 0;

    glDisable(GL_STENCIL_TEST);
    glBindVertexArray(GLuint(previousVao));
}

void vector_display_glow(vector_display* self, unsigned targetFramebuffer)
{
    GLint previousVao = 0;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &previousVao);
    Glow(self, targetFramebuffer);
    glBindVertexArray(GLuint(previousVao));
}
