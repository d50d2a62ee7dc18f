// Helpers of the vector display: messages, shader building, the dot sprite, array growth and
// the camera the flushes read.
#include <epoxy/gl.h>
#include "rvMessage.h"

#include "vector_display.h"

#include "rvMath.h"
#include "rvShaderProgram.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
vector_display_camera_source s_cameraSource = nullptr;

// Capacity that holds `needed` items: doubled from the current one.
int GrownCapacity(int capacity, int needed)
{
    int c = capacity > 0 ? capacity : 1;
    while (c < needed)
        c *= 2;
    return c;
}

template <typename T> void GrowArray(T*& items, int& capacity, int count, int needed)
{
    if (needed <= capacity) return;
    int newCapacity = GrownCapacity(capacity, needed);
    T* grown = static_cast<T*>(calloc(size_t(newCapacity), sizeof(T)));
    if (items && count > 0) memcpy(static_cast<void*>(grown), items, size_t(count) * sizeof(T));
    free(items);
    items = grown;
    capacity = newCapacity;
}
} // namespace

void vector_display_log(const char* format, ...)
{
    char text[4096];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    rvReport(rvMessageKind::Error, "vector_display: %s", text);
}

void vector_display_grow_points(vector_display* self, int needed)
{
    GrowArray(self->points, self->points_capacity, self->npoints, needed);
}

void vector_display_grow_triangles(vector_display* self, int needed)
{
    GrowArray(self->triangles, self->triangles_capacity, self->ntriangles, needed);
}

void vector_display_grow_quadmaps(vector_display* self, int needed)
{
    GrowArray(self->quadmaps, self->quadmaps_capacity, self->nquadmaps, needed);
}

unsigned vector_display_compile_shader(unsigned type, const char* source)
{
    GLuint shader = glCreateShader(type);
    if (shader == 0) return 0;
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status == GL_TRUE) return shader;
    // A source that does not compile is reported and the caller fails its set-up.
    const std::string log = rvGLInfoLog(shader);
    if (!log.empty())
        vector_display_log("Error compiling shader:\n%s\n", log.c_str());
    else
        vector_display_log("Error compiling shader (no log)\n");
    glDeleteShader(shader);
    return 0;
}

int vector_display_check_link(unsigned program)
{
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status == GL_TRUE) return 0;
    const std::string log = rvGLInfoLog(program);
    if (!log.empty()) vector_display_log("Error linking program:\n%s\n", log.c_str());
    glDeleteProgram(program);
    return -1;
}

void vector_display_make_dot_texture()
{
    if (g_dot_texture != 0) return;
    const int size = 64;
    std::vector<unsigned char> pixels(size_t(size * size * 4));
    for (int j = 0; j < size; ++j)
    {
        for (int i = 0; i < size; ++i)
        {
            float dx = float(i - 32), dy = float(j - 32);
            float r = std::sqrt(dx * dx + dy * dy) / 32.f;
            float a = std::pow(16.f, -2.f * std::fmin(r, 1.f));
            a = a < 0.f ? 0.f : (a > 1.f ? 1.f : a);
            unsigned char* p = &pixels[size_t((j * size + i) * 4)];
            p[0] = p[1] = p[2] = 255;
            p[3] = (unsigned char)(a * 255.f);
        }
    }
    glActiveTexture(GL_TEXTURE0);
    glGenTextures(1, &g_dot_texture);
    glBindTexture(GL_TEXTURE_2D, g_dot_texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    GLenum err = glGetError();
    if (err != GL_NO_ERROR) vector_display_log("opengl error in %s: %d", "glTexImage2D", int(err));
    glBindTexture(GL_TEXTURE_2D, 0);
}

void vector_display_set_camera_source(vector_display_camera_source source)
{
    s_cameraSource = source;
}

vector_display_camera vector_display_current_camera()
{
    vector_display_camera camera;
    camera.fov = 1.0472f;
    camera.view_projection = glm::mat4(1.f);
    camera.back_color = glm::vec3(0.f);
    if (s_cameraSource) s_cameraSource(&camera);
    return camera;
}

glm::vec3* vector_display_transform_point(glm::vec3* out, const rvTransform* transform, const glm::vec3* in)
{
    if (!transform)
    {
        *out = *in;
        return out;
    }
    // M * (in, 1), without the division by w.
    glm::vec4 p = transform->_mMatrix * glm::vec4(*in, 1.f);
    *out = glm::vec3(p);
    return out;
}
