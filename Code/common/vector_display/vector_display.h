#pragma once
// The vector display: thin glowing lines, dots and outlined triangles with phosphor decay.
//
// A procedural module: one record, `vector_display`, and functions that take it first and
// return 0 on success, -1 on failure. Geometry calls only fill CPU arrays; the flush
// (`vector_display_draw`) records them as the current step of a 32-step decay ring, draws the
// newest steps with falling alpha, blurs the result into a glow and composes both onto the
// caller's framebuffer.
//
// The geometry collection makes no GL call, so it can be used (and tested) without a context;
// GL objects are made in `vector_display_setup` and by `vector_display_create` when a context
// is current.
#include <glm/glm.hpp>

#include <vector>

class rvTransform;

#define VECTOR_DISPLAY_MAX_DECAY_STEPS 32

// Bounds on what may stay pending while flushes are skipped (camera without a field of view):
// past them the oldest pending primitives are dropped.
#define VECTOR_DISPLAY_MAX_PENDING_POINTS (1 << 20)
#define VECTOR_DISPLAY_MAX_PENDING_TRIANGLES (1 << 18)
#define VECTOR_DISPLAY_MAX_PENDING_QUADMAPS 4096
// Blur passes of the glow (eight per unit of "color_brightness") and segments of a circle.
#define VECTOR_DISPLAY_MAX_GLOW_PASSES 32
#define VECTOR_DISPLAY_MAX_CIRCLE_SEGMENTS 65536

// Point flags (the geometry shaders use constants of the same names).
enum
{
    PTF_LINE_STRIPSTART = 1,      // adjacency point before the first point of a strip
    PTF_LINE_STRIPEND = 2,        // adjacency point after the last point of a strip
    PTF_TRIANGLE_DISCARDLINE = 4, // triangle vertex: the edge to the next vertex is not outlined
    PTF_TEXTURE_MAPPING = 8,      // triangle vertex: u in bits 24..31, v in bits 16..23 (/255)
};

// One point, also the GPU vertex (stride 32): attributes 0 "inPosition", 1 "inColor",
// 2 "inFlags" (integer), 3 "inThickness".
struct vector_display_point
{
    float x, y, z;
    float r, g, b;
    int flags;
    float thickness;

    vector_display_point() : x(0.f), y(0.f), z(0.f), r(1.f), g(1.f), b(1.f), flags(0), thickness(0.5f) {}
    vector_display_point(float px, float py, float pz, float cr = 1.f, float cg = 1.f, float cb = 1.f,
                         int f = 0, float t = 0.5f)
        : x(px), y(py), z(pz), r(cr), g(cg), b(cb), flags(f), thickness(t)
    {
    }
};
static_assert(sizeof(vector_display_point) == 32, "the vertex layout is 32 bytes");

struct vector_display_triangle
{
    vector_display_point p[3];
};
static_assert(sizeof(vector_display_triangle) == 96, "a triangle is 96 bytes");

// A texture-mapped quad: two triangles (a, b, c) (c, d, a) and the GL texture drawn on them.
struct vector_display_quadmap
{
    vector_display_point points[6];
    unsigned texture;
};

struct vector_display_settings
{
    float decay_steps;      // number of decay steps drawn, clamped to 1..32
    float decay_final;      // part of decay_initial left at the oldest step drawn
    float decay_initial;    // alpha of the step after the newest one
    bool decay_camera;      // each step drawn with the camera it was recorded with
    float thickness_min;    // bounds of a line's width on screen (x10 in the shaders)
    float thickness_max;    //
    float thickness_factor; // multiplies every point's thickness
    float thickness;        // current thickness of new strip and triangle points
    float color_intensity;  // multiplies the colour of lines and triangles
    float color_brightness; // glow strength and blur pass count
    float color[4];         // current colour of new strip and triangle points (a = 1)
    float fog_zmin;         // depth where fog starts
    float fog_zmax;         // depth where fog is complete
    float fog_power;        // fog curve exponent
    bool triangle_culling;  // back faces of triangles culled
    int import_color;       // 1: a flush starts from a copy of the target's colour
    int import_depth;       // 1: the same for depth
    int export_color;       // composition: 0 "Copy", 1 "Add", 2 "Max", 3 "Alpha"
    int export_depth;       // 1: the display's depth is copied back into the target
};

// The line stage draws each segment from a window of four consecutive points (the segment between
// the middle two, its neighbours on either side): one that a strip ends in its first two points or
// starts in its last two draws nothing. Appends to `out` the four point indices of each window of
// points[0..n) that draws, in order (a dot, four points, is one window; a strip of k segments, k):
// the flush draws them as separate windows, the same segments in the same order as the whole strip
// of points would give, without the windows that straddle two strips.
void vector_display_line_windows(const vector_display_point* points, int n, std::vector<unsigned>& out);

// A decay ring: 32 steps of points and triangles.
struct vector_display_buffers
{
    unsigned bufferspoints[VECTOR_DISPLAY_MAX_DECAY_STEPS];
    int npoints_step[VECTOR_DISPLAY_MAX_DECAY_STEPS];
    glm::mat4 mvp_step[VECTOR_DISPLAY_MAX_DECAY_STEPS];
    unsigned bufferstriangles[VECTOR_DISPLAY_MAX_DECAY_STEPS];
    int ntriangles_step[VECTOR_DISPLAY_MAX_DECAY_STEPS];
    // One vertex array per step buffer, its point layout set once.
    unsigned arrayspoints[VECTOR_DISPLAY_MAX_DECAY_STEPS];
    unsigned arraystriangles[VECTOR_DISPLAY_MAX_DECAY_STEPS];
    // What each step's GL buffers hold (points, triangles), drawn or not: a step that no longer
    // draws gives its storage back.
    int pointsheld_step[VECTOR_DISPLAY_MAX_DECAY_STEPS];
    int trianglesheld_step[VECTOR_DISPLAY_MAX_DECAY_STEPS];
    // The line stage's windows of each step: four point indices a window, only the windows that
    // draw (vector_display_line_windows), kept and given back with the step's points.
    unsigned bufferswindows[VECTOR_DISPLAY_MAX_DECAY_STEPS];
    int nwindows_step[VECTOR_DISPLAY_MAX_DECAY_STEPS];
    int resize_count;

    // Zero counts and names, identity matrices, resize_count -1 (no GL call).
    vector_display_buffers();
};

struct vector_display
{
    // Composite program.
    unsigned composite_program;
    int composite_inModelViewMatrix, composite_inProjectionMatrix, composite_alpha, composite_mult;
    // The image and its glow composed in one pass (the blends where that gives the same sum).
    unsigned composite_glow_program;
    int composite_glow_inModelViewMatrix, composite_glow_inProjectionMatrix, composite_glow_mult;
    // Blur program: the first pass, from the full-size image.
    unsigned blur_program;
    int blur_inModelViewMatrix, blur_inProjectionMatrix, blur_scale, blur_alpha, blur_mult;
    // Blur program of the later passes, between the glow targets: the taps that fall on texel
    // centres read through a nearest sampler bound beside the glow texture.
    unsigned blur_texel_program;
    int blur_texel_inModelViewMatrix, blur_texel_inProjectionMatrix, blur_texel_scale, blur_texel_mult;
    unsigned texel_sampler;
    // Triangle program.
    unsigned triangle_program;
    int triangle_MVP, triangle_ALPHA, triangle_DECALZ, triangle_VIEWPORT, triangle_COLOR_INTENSITY,
        triangle_COLOR_BACK, triangle_COLOR_FOG, triangle_THICKNESS_RANGE, triangle_THICKNESS_FACTOR,
        triangle_TEXTURE_MAPPED;
    // Line program.
    unsigned line_program;
    int line_MVP, line_ALPHA, line_MITER_LIMIT, line_VIEWPORT, line_COLOR_INTENSITY, line_COLOR_BACK,
        line_COLOR_FOG, line_THICKNESS_RANGE, line_THICKNESS_FACTOR;

    unsigned target_framebuffer, target_texture;
    unsigned glow_framebuffers[2], glow_textures[2];
    float width, height, glow_width, glow_height;
    unsigned bufferquadfull, bufferquadglow;
    unsigned arrayquadfull, arrayquadglow, arrayquadmap; // their vertex arrays (quad and point layouts)
    int glow_passes;
    int setup_done;
    int resize_count;
    vector_display_settings settings;

    int points_capacity, npoints, npoints_strip;
    vector_display_point* points;
    std::vector<unsigned> windows; // the line windows of the points being flushed (scratch)
    int ndots, nlines;
    int triangles_capacity, ntriangles;
    vector_display_triangle* triangles;
    int quadmaps_capacity, nquadmaps;
    vector_display_quadmap* quadmaps;
    unsigned bufferquadmap;
    vector_display_buffers buffers;

    // Names under which effects write the current colour and thickness directly.
    float (&current_rgba)[4] = settings.color;
    float& current_thickness = settings.thickness;
};

// What a flush needs of the render buffer being drawn: its camera and background.
struct vector_display_camera
{
    float fov;                 // a flush is skipped while this is not positive
    glm::mat4 view_projection; // "MVP"
    glm::vec3 back_color;      // "COLOR_BACK", the colour fog fades to
};
// Fills the camera of the render buffer current at the time of the flush. Without a source a
// flush uses fov 1.0472, the identity matrix and a black background.
typedef void (*vector_display_camera_source)(vector_display_camera* out);
void vector_display_set_camera_source(vector_display_camera_source source);
vector_display_camera vector_display_current_camera();

// Module state shared by every display.
extern int g_step; // the decay step being recorded, 0..31; advanced once per presented frame
extern unsigned g_dot_texture;
extern int g_frame_dots, g_frame_lines, g_frame_triangles; // summed by flushes, reset per frame
extern vector_display_point g_cube_points[8];              // corners read by vector_display_add_cube
extern vector_display_point (&vector_display_cube_points)[8];
extern const int g_cube_faces[6][4];

// Set-up and life.
// Allocates the record and its arrays; makes no GL call. Always 0.
int vector_display_create(vector_display** out, int width, int height);
// Makes the GL objects (programs, step buffers, mapped-quad buffer, dot sprite, glow targets)
// and sets the target; -1 when a shader does not compile, a program does not link or a
// framebuffer is incomplete.
int vector_display_setup(vector_display* self, unsigned framebuffer, unsigned texture);
int vector_display_set_target(vector_display* self, unsigned framebuffer, unsigned texture);
// Deletes the GL objects (only those of a display that was set up) and frees the record.
void vector_display_destroy(vector_display* self);
// A resize of the render buffer: the glow targets are remade at the new size and the target
// set again, the resize counter is incremented (the ring drops its history at the next flush)
// and everything pending is dropped. Returns the result of vector_display_set_target.
int vector_display_resize(vector_display* self, int width, int height, unsigned framebuffer,
                          unsigned texture);
vector_display_settings* vector_display_settings_defaults(vector_display_settings* settings);
void vector_display_buffers_init(vector_display_buffers* buffers);
void vector_display_buffers_delete(vector_display_buffers* buffers);

// Current state.
// The colour of the points that follow. Any float is taken: each channel is held to 0..1 and
// not a number gives 0, so a colour from stored or driven values needs no check of its own.
int vector_display_set_rgb(vector_display* self, float r, float g, float b);
int vector_display_set_rgb(vector_display* self, const glm::vec3& rgb);

// Geometry.
void vector_display_strip_begin(vector_display* self, float x, float y, float z);
void vector_display_strip_to(vector_display* self, float x, float y, float z);
void vector_display_strip_end(vector_display* self);
void vector_display_add_dot(vector_display* self, const vector_display_point* p);
void vector_display_add_line(vector_display* self, const vector_display_point* a,
                             const vector_display_point* b);
int vector_display_add_triangle(vector_display* self, const glm::vec3* p0, const glm::vec3* p1,
                                const glm::vec3* p2);
void vector_display_add_quad(vector_display* self, const vector_display_point* a,
                             const vector_display_point* b, const vector_display_point* c,
                             const vector_display_point* d);
void vector_display_add_cube(vector_display* self);
void vector_display_add_fan(vector_display* self, const vector_display_point* points, const unsigned* indices,
                            unsigned count);
void vector_display_add_mapped_quad(vector_display* self, const vector_display_point* a,
                                    const vector_display_point* b, const vector_display_point* c,
                                    const vector_display_point* d, unsigned texture);
int vector_display_draw_circle(vector_display* self, float x, float y, float z, float radius, int segments);
int vector_display_draw_rect(vector_display* self, float x, float y, float w, float h);
int vector_display_draw_string(vector_display* self, float x, float y, const char* text, float scale);
glm::vec3* vector_display_transform_point(glm::vec3* out, const rvTransform* transform, const glm::vec3* in);

// The frame.
unsigned vector_display_begin_frame(vector_display* self, bool clear);
void vector_display_draw(vector_display* self, vector_display_buffers* buffers, bool clear);
void vector_display_glow(vector_display* self, unsigned targetFramebuffer);
void vector_display_settings_panel(vector_display* self);

// Alpha of a decay step of the given age under these settings (decay_steps already clamped).
float vector_display_step_alpha(const vector_display_settings* settings, int age);

// Internal.
void vector_display_grow_points(vector_display* self, int needed);
void vector_display_grow_triangles(vector_display* self, int needed);
void vector_display_grow_quadmaps(vector_display* self, int needed);
// Drops the oldest pending primitives past the VECTOR_DISPLAY_MAX_PENDING_* bounds.
void vector_display_bound_pending(vector_display* self);
void vector_display_make_dot_texture();
void vector_display_log(const char* format, ...);
unsigned vector_display_compile_shader(unsigned type, const char* source);
int vector_display_check_link(unsigned program);
