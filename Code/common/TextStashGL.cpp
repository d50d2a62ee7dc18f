#include "TextStashGL.h"
#include "rvMessage.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
// clang-format off
const char* const kVertexSource =
    "#version 330\r\n"
    "\r\n"
    "uniform mat4 projMat;\r\n"
    "\r\n"
    "layout(location = 0) in vec2 vert;\r\n"
    "layout(location = 1) in vec2 coord;\r\n"
    "layout(location = 2) in vec4 color;\r\n"
    "\r\n"
    "out vec2 T;\r\n"
    "out vec4 C;\r\n"
    "\r\n"
    "void main() {\r\n"
    "\tgl_Position = projMat * vec4(vert.x, vert.y, 1.0, 1.0);\r\n"
    "\tT = coord;\r\n"
    "\tC = color;\r\n"
    "}";

const char* const kFragmentSource =
    "#version 330\r\n\r\nout vec4 Color;\r\n\r\nin vec2 T;\r\nin vec4 C;\r\n\r\nuniform sampler2D texture0;\r\n\r\n"
    "void main() {\r\n\tColor = C;\r\n\tColor.a = texture(texture0, T).r;\r\n}";
// clang-format on

void ReportLog(const char* what, GLuint object, bool program)
{
    GLint length = 0;
    if (program)
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    if (length < 2) return;
    std::vector<char> log(size_t(length) + 1, '\0');
    if (program)
        glGetProgramInfoLog(object, length, nullptr, log.data());
    else
        glGetShaderInfoLog(object, length, nullptr, log.data());
    rvReport(rvMessageKind::Error, "TextStashGL: %s failed:\n%s", what, log.data());
}

GLuint Compile(GLenum type, const char* source, const char* what)
{
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok)
    {
        ReportLog(what, shader, false);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// GL_TEXTURE_2D is a capability only outside core profiles.
bool HasTextureEnable()
{
    GLint mask = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &mask);
    return (mask & GL_CONTEXT_CORE_PROFILE_BIT) == 0;
}
} // namespace

GLuint TextStashGLBuildProgram()
{
    const GLuint vs = Compile(GL_VERTEX_SHADER, kVertexSource, "text vertex shader");
    if (!vs) return 0;
    const GLuint fs = Compile(GL_FRAGMENT_SHADER, kFragmentSource, "text fragment shader");
    if (!fs)
    {
        glDeleteShader(vs);
        return 0;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    glDeleteShader(vs);
    glDeleteShader(fs);
    if (!ok)
    {
        ReportLog("text program link", program, true);
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

int TextStashGLCreate(void* userPtr, int width, int height)
{
    TextStashGLContext* gl = static_cast<TextStashGLContext*>(userPtr);
    if (gl->tex) glDeleteTextures(1, &gl->tex);
    gl->tex = 0;
    glGenTextures(1, &gl->tex);
    if (!gl->tex) return 0;
    if (gl->prog) glDeleteProgram(gl->prog);
    gl->prog = TextStashGLBuildProgram();
    if (!gl->prog) return 0;
    gl->loc_tex = glGetUniformLocation(gl->prog, "texture0");
    gl->loc_pm = glGetUniformLocation(gl->prog, "projMat");
    std::memset(gl->projMat, 0, sizeof(gl->projMat));
    gl->projMat[0] = gl->projMat[5] = gl->projMat[10] = gl->projMat[15] = 1.f;
    if (gl->vao) glDeleteVertexArrays(1, &gl->vao);
    gl->vao = 0;
    glGenVertexArrays(1, &gl->vao);
    if (!gl->vao) return 0;
    if (gl->vbo) glDeleteBuffers(1, &gl->vbo);
    gl->vbo = 0;
    glGenBuffers(1, &gl->vbo);
    if (!gl->vbo) return 0;
    gl->width = width;
    gl->height = height;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, gl->tex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RED, width, height, 0, GL_RED, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    return 1;
}

int TextStashGLResize(void* userPtr, int width, int height)
{
    return TextStashGLCreate(userPtr, width, height);
}

void TextStashGLUpdate(void* userPtr, int* rect, const unsigned char* data)
{
    TextStashGLContext* gl = static_cast<TextStashGLContext*>(userPtr);
    if (!gl->tex) return;
    GLint alignment = 4, rowLength = 0, skipPixels = 0, skipRows = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
    glGetIntegerv(GL_UNPACK_SKIP_PIXELS, &skipPixels);
    glGetIntegerv(GL_UNPACK_SKIP_ROWS, &skipRows);

    glBindTexture(GL_TEXTURE_2D, gl->tex);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, gl->width);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, rect[0]);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, rect[1]);
    glTexSubImage2D(GL_TEXTURE_2D, 0, rect[0], rect[1], rect[2] - rect[0], rect[3] - rect[1], GL_RED,
                    GL_UNSIGNED_BYTE, data);

    // The other uploads of the program expect GL's unpack defaults.
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, skipPixels);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, skipRows);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void TextStashGLDraw(void* userPtr, const float* verts, const float* tcoords, const unsigned int* colors,
                     int nverts)
{
    TextStashGLContext* gl = static_cast<TextStashGLContext*>(userPtr);
    if (!gl->tex) return;
    if (HasTextureEnable()) glEnable(GL_TEXTURE_2D);
    if (!gl->prog || !gl->vao || !gl->vbo || nverts <= 0) return;

    glUseProgram(gl->prog);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, gl->tex);
    glUniform1i(gl->loc_tex, 0);
    glUniformMatrix4fv(gl->loc_pm, 1, GL_FALSE, gl->projMat);

    glBindVertexArray(gl->vao);
    glBindBuffer(GL_ARRAY_BUFFER, gl->vbo);
    const GLsizeiptr n = nverts;
    glBufferData(GL_ARRAY_BUFFER, n * 20, nullptr, GL_STATIC_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, n * 8, verts);
    glBufferSubData(GL_ARRAY_BUFFER, n * 8, n * 8, tcoords);
    glBufferSubData(GL_ARRAY_BUFFER, n * 16, n * 4, colors);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 0, reinterpret_cast<const void*>(n * 8));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, 0, reinterpret_cast<const void*>(n * 16));
    glDrawArrays(GL_TRIANGLES, 0, nverts);

    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
}

void TextStashGLDelete(void* userPtr)
{
    TextStashGLContext* gl = static_cast<TextStashGLContext*>(userPtr);
    if (!gl) return;
    if (gl->tex) glDeleteTextures(1, &gl->tex);
    if (gl->prog) glDeleteProgram(gl->prog);
    if (gl->vao) glDeleteVertexArrays(1, &gl->vao);
    if (gl->vbo) glDeleteBuffers(1, &gl->vbo);
    std::free(gl);
}
